#include "common/number_format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sondrel {
namespace {

std::uint64_t powerOfTen(int exponent) {
    std::uint64_t p = 1;
    while (exponent-- > 0)
        p *= 10;
    return p;
}

// magnitude x 100 rounded half away from zero, from its 15 significant digits;
// magnitude is finite and below 1e15.
std::uint64_t hundredthsOf(double magnitude) {
    char text[32];
    std::snprintf(text, sizeof text, "%.14e", magnitude); // d.dddddddddddddde+XX
    std::uint64_t digits = 0;                             // the 15 significant digits
    for (const char* p = text; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits = digits * 10 + static_cast<unsigned>(*p - '0');
    const int exponent = std::atoi(std::strchr(text, 'e') + 1);
    // magnitude x 100 = digits x 10^(exponent - 12)
    const int shift = exponent - 12;
    if (shift >= 0) return digits * powerOfTen(shift);
    if (shift < -16) return 0;
    const std::uint64_t divisor = powerOfTen(-shift);
    const std::uint64_t whole = digits / divisor;
    return (digits % divisor) * 2 >= divisor ? whole + 1 : whole;
}

} // namespace

std::string formatTwoDecimals(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e15) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", value);
        return text;
    }
    const std::uint64_t hundredths = hundredthsOf(std::fabs(value));
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu.%02llu", (value < 0 && hundredths > 0) ? "-" : "",
                  static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

} // namespace sondrel
