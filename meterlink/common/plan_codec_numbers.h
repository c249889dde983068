// Numbers of the channel plan on the wire: frequencies and audio offsets in
// whole units of 0.01 MHz, symbol rates in units of 0.001 MS/s, rounded to the
// nearest unit (halves to even) and refused when they do not fit their field.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sondrel {

// A plan value that cannot travel in its field: the sending method fails on it
// before anything of the plan goes out.
class PlanValueDoesNotFit : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Frequencies and rates: the top byte of their 24-bit form is 0 or 1.
inline constexpr std::uint32_t FrequencyFieldLimit = 131072;
// Audio offsets: 16 bits.
inline constexpr std::uint32_t WordFieldLimit = 65536;
// Span times 100 in the plan header: 0..32767.
inline constexpr std::uint32_t SpanFieldLimit = 32768;

// Rounds an already scaled value to a whole number, halves to even, and checks
// that it lies in 0 .. limit-1; throws PlanValueDoesNotFit naming the field.
std::uint32_t wholeUnits(double scaled, std::uint32_t limit, std::string_view field);

// MHz to units of 0.01 MHz. The product is taken in single precision, the
// precision the records hold, so 100.015 MHz is the half 10001.5 and goes to 10002.
std::uint32_t centiMhzOf(float mhz, std::uint32_t limit, std::string_view field);
// Units of 0.01 MHz to MHz, in the records' single precision.
float mhzOfCentiMhz(std::uint32_t units);

// A symbol rate text in MS/s ("6.875", blanks around allowed) to units of
// 0.001 MS/s; an empty, non-numeric or too large rate throws PlanValueDoesNotFit.
std::uint32_t rateUnitsOf(const std::string& rate);
// Units of 0.001 MS/s as MS/s text with a decimal point and no trailing zeros: "6.875", "7".
std::string rateTextOf(std::uint32_t units);

} // namespace sondrel
