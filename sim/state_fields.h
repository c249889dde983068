// Reading the simulator's state file: every number is checked against its
// field's range before it is stored, so a file the meter cannot use is refused
// at start with the field named, instead of being truncated or overflowing.
#pragma once

#include "common/com_date.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace korvane::sim {

// A state file field the meter cannot use; what() names the field.
class StateFieldError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// The value as a T: a number, whole when T is, from low to high.
template <typename T>
T checkedNumber(const nlohmann::json& value, const std::string& field, double low, double high) {
    if (!value.is_number()) throw StateFieldError("field " + field + " is not a number");
    const double number = value.get<double>();
    if (!std::isfinite(number) || number < low || number > high ||
        (std::is_integral_v<T> && number != std::trunc(number)))
        throw StateFieldError("field " + field + " must be " +
                              (std::is_integral_v<T> ? "a whole number " : "a number ") + "from " +
                              nlohmann::json(low).dump() + " to " + nlohmann::json(high).dump() +
                              ", not " + value.dump());
    if constexpr (std::is_integral_v<T>)
        return value.is_number_float() ? static_cast<T>(number) : value.get<T>();
    else
        return static_cast<T>(number);
}

// The field `key` of an object, or fallback when it is absent.
template <typename T>
T numberField(const nlohmann::json& j, const std::string& section, const char* key, T fallback,
              double low, double high) {
    if (!j.contains(key)) return fallback;
    return checkedNumber<T>(j.at(key), section + "." + key, low, high);
}

// The whole-number field `key` of an object, which must be there and fit T
// (or 0 to high, when high is given).
template <typename T>
T wholeField(const nlohmann::json& j, const std::string& section, const char* key,
             double high = static_cast<double>(std::numeric_limits<T>::max())) {
    if (!j.contains(key)) throw StateFieldError("field " + section + "." + key + " is missing");
    return checkedNumber<T>(j.at(key), section + "." + key,
                            static_cast<double>(std::numeric_limits<T>::lowest()), high);
}

// A byte field, 0 to 255 unless narrower.
inline std::uint8_t byteField(const nlohmann::json& value, const std::string& field,
                              double high = 255) {
    return checkedNumber<std::uint8_t>(value, field, 0, high);
}

// A date and time stored as [year, month, day, hour, minute, second]; it must
// name a real date (years 100 to 9999) and time of day.
inline sondrel::CivilDateTime civilFieldOf(const nlohmann::json& value, const std::string& field) {
    if (!value.is_array() || value.size() != 6)
        throw StateFieldError("field " + field +
                              " must hold year, month, day, hour, minute, second");
    sondrel::CivilDateTime c;
    int* parts[] = {&c.year, &c.month, &c.day, &c.hour, &c.minute, &c.second};
    for (std::size_t i = 0; i < 6; ++i)
        *parts[i] = checkedNumber<int>(value[i], field, -99999, 99999);
    if (!sondrel::isValidDate(c.year, c.month, c.day) ||
        !sondrel::isValidTime(c.hour, c.minute, c.second))
        throw StateFieldError("field " + field + " names no date and time: " + value.dump());
    return c;
}

} // namespace korvane::sim
