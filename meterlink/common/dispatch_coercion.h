// Converting a value to the type a parameter asks for, the way automation
// converts late-bound arguments: numbers between integer and floating kinds
// (rounded halves to even, range-checked), numbers and text both ways,
// booleans as -1/0, dates as ISO 8601 text ("2009-08-25T13:45:30").
#pragma once

#include "variant.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sondrel {

// Why a value could not be converted: DispETypeMismatch or DispEOverflow.
class CoercionError : public std::runtime_error {
  public:
    CoercionError(HResult code, const std::string& reason)
        : std::runtime_error(reason), code_(code) {}
    HResult code() const { return code_; }

  private:
    HResult code_;
};

// The value as the target type. Scalars convert among themselves (I2, I4,
// UI1, R4, R8, Bstr, Bool, Date; Empty gives 0, "" or false); arrays and
// records only to their own type. Throws CoercionError.
Variant coerce(const Variant& value, VarType target);

// "16-bit integer", "string", "array of Channellist", ... for messages.
std::string varTypeText(VarType type);

// ISO 8601 text of an automation date, to the nearest second; nullopt outside
// the years 100 to 9999.
std::optional<std::string> formatDate(ComDate date);
// Reads "YYYY-MM-DD", "YYYY-MM-DDTHH:MM:SS" (or with a blank for T) and
// "HH:MM:SS" (a time of day alone, on day 0); nullopt when the text is none of these.
std::optional<ComDate> parseDate(std::string_view text);

} // namespace sondrel
