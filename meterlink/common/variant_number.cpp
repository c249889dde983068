#include "common/variant_number.h"

#include <cctype>
#include <charconv>

namespace sondrel {

std::optional<double> numberOfVariant(const Variant& value) {
    if (value.type() != VarType::Bstr) return value.toNumber();
    // Read with '.' as the decimal point whatever the process locale says.
    const std::string& text = value.asBstr();
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(*begin)))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(end[-1])))
        --end;
    if (begin < end && *begin == '+') ++begin;
    double number = 0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (error != std::errc() || stop != end || begin == end) return std::nullopt;
    return number;
}

} // namespace sondrel
