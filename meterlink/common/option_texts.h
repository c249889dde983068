// The option texts clients see for the meter's settings and the codes that go
// on the wire for them. One table per setting, used by the library to encode
// and decode, by the simulator to keep its settings readable, and by the
// command-line client to list the choices. Texts are compared exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sondrel {

struct OptionText {
    std::uint8_t code;
    std::string_view text;
};

class OptionTable {
  public:
    constexpr explicit OptionTable(std::span<const OptionText> entries) : entries_(entries) {}

    // Code of a text, exact match (case included); nullopt when it is not in the table.
    std::optional<std::uint8_t> codeOf(std::string_view text) const;
    // Text of a code; nullopt when the code is not in the table.
    std::optional<std::string> textOf(std::uint8_t code) const;
    std::span<const OptionText> entries() const { return entries_; }

  private:
    std::span<const OptionText> entries_;
};

extern const OptionTable LevelUnits;       // "dBuV" 0, "dBmV" 1, "dBm" 2
extern const OptionTable TemperatureUnits; // "C" 0, "F" 1
extern const OptionTable ShutdownTimes;    // "Always ON" 0, "3 min" 1 .. "30 min" 4
extern const OptionTable BacklightTimes;   // "ON" 0, "3 min" 1 .. "30 min" 4
extern const OptionTable PlanLetters;      // "A" 0 .. "E" 4, the user plan slots
extern const OptionTable ModelVariants;    // "A" 1, "B" 2, "Q" 3 (0: no letter)

// Tuning step: a unit byte (0 kHz steps, 1 MHz steps) and a multiplier byte;
// the pair 0, 0 steps channel by channel.
struct FreqStepOption {
    std::string_view text;
    std::uint8_t unit;
    std::uint8_t multiplier;
};
std::span<const FreqStepOption> freqStepOptions();
// The option of a text, exact match; nullopt when it is not in the table.
std::optional<FreqStepOption> freqStepOf(std::string_view text);
// The option of a (unit, multiplier) pair; nullopt when no text names it.
std::optional<FreqStepOption> freqStepOf(std::uint8_t unit, std::uint8_t multiplier);

// Line speeds by baud-rate code 0..5: 9600, 14400, 19200, 38400, 56000, 57600.
std::optional<unsigned> baudRateOfCode(std::uint8_t code);
std::span<const unsigned> baudRates();
// The serial control's settings text for a speed, always no parity, 8 data
// bits, 1 stop bit: "38400,n,8,1".
std::string lineSettingsText(unsigned baud);

} // namespace sondrel
