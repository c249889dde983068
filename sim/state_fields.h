// Reading the simulator's state file: every number is checked against its
// field's range before it is stored, so a file the meter cannot use is refused
// at start with the field named, instead of being truncated or overflowing.
#pragma once

#include "common/com_date.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

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

// The member `key` of an object, which must be of the JSON kind given
// (nlohmann's value_t); nullptr when the object has no such member.
inline const nlohmann::json* typedField(const nlohmann::json& j, const std::string& section,
                                        const char* key, nlohmann::json::value_t kind) {
    const auto it = j.find(key);
    if (it == j.end()) return nullptr;
    if (it->type() != kind && !(kind == nlohmann::json::value_t::number_float && it->is_number())) {
        static const auto kindName = [](nlohmann::json::value_t k) {
            return std::string(nlohmann::json(k).type_name());
        };
        throw StateFieldError("field " + section + "." + key + " must be " +
                              (kind == nlohmann::json::value_t::array ? "an " : "a ") +
                              kindName(kind) + ", not " + it->dump().substr(0, 40));
    }
    return &*it;
}

// Refuses a value that is not a JSON object.
inline void requireObject(const nlohmann::json& j, const std::string& field) {
    if (!j.is_object())
        throw StateFieldError("field " + field + " must be an object, not " +
                              j.dump().substr(0, 40));
}

// The text field `key` of an object, which must be there.
inline std::string requiredText(const nlohmann::json& j, const std::string& section,
                                const char* key) {
    const nlohmann::json* value = typedField(j, section, key, nlohmann::json::value_t::string);
    if (!value) throw StateFieldError("field " + section + "." + key + " is missing");
    return value->get<std::string>();
}

// A text field that must be one of the choices; fallback when it is absent.
inline std::string choiceField(const nlohmann::json& j, const std::string& section, const char* key,
                               const std::string& fallback,
                               std::initializer_list<const char*> choices) {
    const nlohmann::json* value = typedField(j, section, key, nlohmann::json::value_t::string);
    if (!value) return fallback;
    const std::string text = value->get<std::string>();
    std::string listed;
    for (const char* choice : choices) {
        if (text == choice) return text;
        listed += std::string(listed.empty() ? "" : ", ") + "\"" + choice + "\"";
    }
    throw StateFieldError("field " + section + "." + key + " must be one of " + listed +
                          ", not \"" + text + "\"");
}

// Bytes the meter keeps as text (names), in the state file: each byte is the
// character of the same code (Latin-1), so that ASCII reads as itself and
// every byte of any code page survives the file. "Zürich" is 6 bytes; a
// CP1251 "Москва" is written as "Ìîñêâà".
inline std::string textOfBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b < 0x80) {
            text += static_cast<char>(b);
        } else {
            text += static_cast<char>(0xC0 | b >> 6);
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

// The bytes of such text; throws StateFieldError naming the field for a
// character above code 255.
inline std::vector<std::uint8_t> bytesOfText(const std::string& text, const std::string& field) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        unsigned code = lead;
        if (lead >= 0x80) {
            const bool twoBytes = (lead == 0xC2 || lead == 0xC3) && i + 1 < text.size();
            if (!twoBytes)
                throw StateFieldError("field " + field + " holds a character above code 255: \"" +
                                      text + "\"");
            code = (lead & 0x1F) << 6 | (static_cast<unsigned char>(text[++i]) & 0x3F);
        }
        bytes.push_back(static_cast<std::uint8_t>(code));
    }
    return bytes;
}

} // namespace korvane::sim
