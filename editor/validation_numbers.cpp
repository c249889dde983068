#include "validation_numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace plandex {
namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString fromChars(const char* first, const char* last) {
    return QString::fromLatin1(first, static_cast<qsizetype>(last - first));
}

// Drops trailing zeros of the fraction, and the point when nothing follows it.
QString withoutTrailingZeros(QString text) {
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.')) text.chop(1);
    }
    return text == u"-0" ? QStringLiteral("0") : text;
}

} // namespace

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    std::string digits;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        digits += char(text[i++].unicode());
    bool seenPoint = false;
    bool seenDigit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits += char(c.unicode());
            seenDigit = true;
        } else if (c == u'.' && !seenPoint) {
            digits += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit) return 0.0;
    if (digits.front() == '+') digits.erase(0, 1);
    double value = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

std::optional<double> wholeTextNumber(QStringView text) {
    const std::string latin = text.trimmed().toString().toStdString();
    if (latin.empty()) return std::nullopt;
    const char* first = latin.data();
    const char* last = latin.data() + latin.size();
    if (*first == '+') ++first;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString plainDecimal(double value, int significantDigits) {
    if (value == 0.0 || !std::isfinite(value)) return QStringLiteral("0");
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int fractionDigits = std::max(0, significantDigits - 1 - exponent);
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, fractionDigits);
    if (result.ec != std::errc()) return QStringLiteral("0");
    return withoutTrailingZeros(fromChars(buffer, result.ptr));
}

QString shortestDecimal(double value) {
    char buffer[400];
    const float single = static_cast<float>(value);
    const auto result =
        static_cast<double>(single) == value
            ? std::to_chars(buffer, buffer + sizeof buffer, single, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return withoutTrailingZeros(fromChars(buffer, result.ptr));
}

} // namespace plandex
