#include "plan_codec_numbers.h"

#include "rounding.h"

#include <charconv>
#include <cmath>

namespace sondrel {

std::uint32_t wholeUnits(double scaled, std::uint32_t limit, std::string_view field) {
    const double rounded = roundHalfEven(scaled);
    if (!std::isfinite(rounded) || rounded < 0.0 || rounded >= static_cast<double>(limit))
        throw PlanValueDoesNotFit(std::string(field) + " does not fit its field");
    return static_cast<std::uint32_t>(rounded);
}

std::uint32_t centiMhzOf(float mhz, std::uint32_t limit, std::string_view field) {
    const float scaled = mhz * 100.0f;
    return wholeUnits(scaled, limit, field);
}

float mhzOfCentiMhz(std::uint32_t units) {
    return static_cast<float>(units / 100.0);
}

std::uint32_t rateUnitsOf(const std::string& rate) {
    const auto first = rate.find_first_not_of(" \t");
    const auto last = rate.find_last_not_of(" \t");
    if (first == std::string::npos) throw PlanValueDoesNotFit("Rate is empty");
    std::string_view text(rate.data() + first, last - first + 1);
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw PlanValueDoesNotFit("Rate is not a number: " + rate);
    return wholeUnits(value * 1000.0, FrequencyFieldLimit, "Rate");
}

std::string rateTextOf(std::uint32_t units) {
    std::string text = std::to_string(units / 1000);
    if (const std::uint32_t fraction = units % 1000; fraction != 0) {
        std::string digits = std::to_string(1000 + fraction).substr(1);
        digits.erase(digits.find_last_not_of('0') + 1);
        text += '.' + digits;
    }
    return text;
}

} // namespace sondrel
