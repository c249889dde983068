// The arguments of one late-bound call, converted to the types the member's
// parameters ask for and kept where the member can read and write them; after
// the call the in/out ones go back to the caller's values.
#pragma once

#include "common/dispatch_members.h"

#include <stdexcept>
#include <variant>
#include <vector>

namespace sondrel {

// A call that cannot be made as asked, with the dispatch error code to report.
class InvokeError : public std::runtime_error {
  public:
    InvokeError(HResult code, const std::string& reason)
        : std::runtime_error(reason), code_(code) {}
    HResult code() const { return code_; }

  private:
    HResult code_;
};

class CallArguments {
  public:
    // Converts args (already checked for their count); throws InvokeError.
    CallArguments(const MemberInfo& member, const std::vector<Variant>& args);

    // The value of an in parameter.
    template <typename T> T in(std::size_t i) const { return std::get<T>(values_.at(i)); }
    const Variant& variantIn(std::size_t i) const { return std::get<Variant>(values_.at(i)); }
    VariantBool booleanIn(std::size_t i) const { return std::get<Flag>(values_.at(i)).value; }

    // Where the member reads and writes an in/out parameter; null when an
    // optional one was left out.
    template <typename T> T* ref(std::size_t i) { return std::get_if<T>(&values_.at(i)); }

    // Puts every in/out value back into args, in its parameter's type.
    void writeBack(std::vector<Variant>& args) const;

  private:
    // A boolean kept apart from the 16-bit integer it is stored as.
    struct Flag {
        VariantBool value = VariantFalse;
    };
    using Value =
        std::variant<std::monostate, Variant, std::int16_t, std::uint8_t, float, std::string, Flag,
                     ComDate, UserPlanNumber, SafeArray<std::uint8_t>, SafeArray<Channellist>,
                     SafeArray<ChannellistDigi>, ChannelHead, FileHead>;

    static Value convert(const ParamInfo& param, const Variant& given);
    static Variant toVariant(const Value& value);

    const MemberInfo& member_;
    std::vector<Value> values_;
};

} // namespace sondrel
