#include "common/dispatch_coercion.h"

#include "common/com_date.h"
#include "common/rounding.h"
#include "common/variant_number.h"

#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sondrel {
namespace {

// Exactly `digits` decimal digits at pos.
std::optional<int> digitsAt(std::string_view text, std::size_t pos, std::size_t digits) {
    if (pos + digits > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = pos; i < pos + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "HH:MM:SS" at pos, the rest of the text being empty.
std::optional<CivilDateTime> timeAt(std::string_view text, std::size_t pos, CivilDateTime f) {
    if (text.size() != pos + 8 || text[pos + 2] != ':' || text[pos + 5] != ':') return std::nullopt;
    const auto h = digitsAt(text, pos, 2), m = digitsAt(text, pos + 3, 2),
               s = digitsAt(text, pos + 6, 2);
    if (!h || !m || !s) return std::nullopt;
    f.hour = *h;
    f.minute = *m;
    f.second = *s;
    return f;
}

template <typename T> std::string shortestText(T value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

[[noreturn]] void mismatch(const Variant& value, VarType target) {
    throw CoercionError(DispETypeMismatch, "type mismatch: cannot use " +
                                               varTypeText(value.type()) + " as " +
                                               varTypeText(target));
}

// The number a scalar stands for, for the numeric, boolean and date targets.
double numberOf(const Variant& value, VarType target) {
    if (value.isEmpty()) return 0.0;
    if (value.type() == VarType::Bstr) {
        if (auto n = numberOfVariant(value)) return *n;
        if (target == VarType::Date)
            if (auto d = parseDate(value.asBstr())) return d->value;
        throw CoercionError(DispETypeMismatch, "type mismatch: \"" + value.asBstr() + "\" is not " +
                                                   varTypeText(target));
    }
    if (auto n = value.toNumber()) return *n;
    mismatch(value, target);
}

template <typename Int> Int wholeNumber(double x, VarType target) {
    const double r = roundHalfEven(x);
    if (!std::isfinite(r) || r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        throw CoercionError(DispEOverflow, "overflow: " + shortestText(x) + " does not fit " +
                                               varTypeText(target));
    return static_cast<Int>(r);
}

std::string textOf(const Variant& value) {
    switch (value.type()) {
    case VarType::Empty:
        return {};
    case VarType::Bstr:
        return value.asBstr();
    case VarType::Bool:
        return value.asBool() ? "True" : "False";
    case VarType::R4:
        return shortestText(value.asR4());
    case VarType::Date:
        if (auto text = formatDate(value.asDate())) return *text;
        throw CoercionError(DispEOverflow, "overflow: the date lies outside the years 100 to 9999");
    default:
        if (value.isNumeric()) return shortestText(*value.toNumber());
        mismatch(value, VarType::Bstr);
    }
}

bool truthOf(const Variant& value) {
    if (value.type() == VarType::Bstr) {
        std::string lower;
        for (char c : value.asBstr())
            lower += static_cast<char>(std::tolower(c));
        if (lower == "true") return true;
        if (lower == "false") return false;
    }
    return numberOf(value, VarType::Bool) != 0.0;
}

} // namespace

Variant coerce(const Variant& value, VarType target) {
    if (value.type() == target) return value;
    if (value.type() == VarType::Null)
        throw CoercionError(DispETypeMismatch, "type mismatch: null is not " + varTypeText(target));
    switch (target) {
    case VarType::I2:
        return Variant::i2(wholeNumber<std::int16_t>(numberOf(value, target), target));
    case VarType::I4:
        return Variant::i4(wholeNumber<std::int32_t>(numberOf(value, target), target));
    case VarType::UI1:
        return Variant::ui1(wholeNumber<std::uint8_t>(numberOf(value, target), target));
    case VarType::R4: {
        const double x = numberOf(value, target);
        if (std::isfinite(x) && std::fabs(x) > FLT_MAX)
            throw CoercionError(DispEOverflow,
                                "overflow: " + shortestText(x) + " does not fit a single");
        return Variant::r4(static_cast<float>(x));
    }
    case VarType::R8:
        return Variant::r8(numberOf(value, target));
    case VarType::Bstr:
        return Variant::bstr(textOf(value));
    case VarType::Bool:
        return Variant::boolean(truthOf(value));
    case VarType::Date:
        return Variant::date(ComDate{numberOf(value, target)});
    default:
        mismatch(value, target);
    }
}

std::string varTypeText(VarType type) {
    switch (type) {
    case VarType::Empty:
        return "an empty value";
    case VarType::Null:
        return "null";
    case VarType::I2:
        return "a 16-bit integer";
    case VarType::I4:
        return "a 32-bit integer";
    case VarType::UI1:
        return "a byte (0 to 255)";
    case VarType::R4:
        return "a single";
    case VarType::R8:
        return "a double";
    case VarType::Bstr:
        return "a string";
    case VarType::Bool:
        return "a boolean";
    case VarType::Date:
        return "a date";
    case VarType::Bytes:
        return "an array of bytes";
    case VarType::Channels:
        return "an array of Channellist";
    case VarType::ChannelsDigi:
        return "an array of ChannellistDigi";
    case VarType::Variants:
        return "an array of values";
    case VarType::Head:
        return "a ChannelHead record";
    case VarType::FileHeader:
        return "a FileHead record";
    }
    return "a value";
}

std::optional<std::string> formatDate(ComDate date) {
    const auto f = civilOf(date);
    if (!f) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", f->year, f->month, f->day,
                  f->hour, f->minute, f->second);
    return std::string(text);
}

std::optional<ComDate> parseDate(std::string_view text) {
    if (auto timeOnly = timeAt(text, 0, CivilDateTime{})) return comDateOf(*timeOnly);
    const auto y = digitsAt(text, 0, 4), m = digitsAt(text, 5, 2), d = digitsAt(text, 8, 2);
    if (!y || !m || !d || text[4] != '-' || text[7] != '-') return std::nullopt;
    const CivilDateTime day{*y, *m, *d, 0, 0, 0};
    if (text.size() == 10) return comDateOf(day);
    if (text[10] != 'T' && text[10] != ' ') return std::nullopt;
    const auto withTime = timeAt(text, 11, day);
    return withTime ? comDateOf(*withTime) : std::nullopt;
}

} // namespace sondrel
