#include "common/option_texts.h"

#include <algorithm>
#include <array>

namespace sondrel {
namespace {

constexpr std::array levelUnits{OptionText{0, "dBuV"}, OptionText{1, "dBmV"}, OptionText{2, "dBm"}};
constexpr std::array temperatureUnits{OptionText{0, "C"}, OptionText{1, "F"}};
constexpr std::array shutdownTimes{OptionText{0, "Always ON"}, OptionText{1, "3 min"},
                                   OptionText{2, "5 min"}, OptionText{3, "10 min"},
                                   OptionText{4, "30 min"}};
constexpr std::array backlightTimes{OptionText{0, "ON"}, OptionText{1, "3 min"},
                                    OptionText{2, "5 min"}, OptionText{3, "10 min"},
                                    OptionText{4, "30 min"}};
constexpr std::array planLetters{OptionText{0, "A"}, OptionText{1, "B"}, OptionText{2, "C"},
                                 OptionText{3, "D"}, OptionText{4, "E"}};
constexpr std::array modelVariants{OptionText{1, "A"}, OptionText{2, "B"}, OptionText{3, "Q"}};

constexpr std::array freqSteps{
    FreqStepOption{"10 KHz", 0, 1},  FreqStepOption{"100 KHz", 0, 10},
    FreqStepOption{"1 MHz", 1, 1},   FreqStepOption{"10 MHz", 1, 10},
    FreqStepOption{"Channel", 0, 0},
};

constexpr std::array<unsigned, 6> lineSpeeds{9600, 14400, 19200, 38400, 56000, 57600};

} // namespace

const OptionTable LevelUnits{levelUnits};
const OptionTable TemperatureUnits{temperatureUnits};
const OptionTable ShutdownTimes{shutdownTimes};
const OptionTable BacklightTimes{backlightTimes};
const OptionTable PlanLetters{planLetters};
const OptionTable ModelVariants{modelVariants};

std::optional<std::uint8_t> OptionTable::codeOf(std::string_view text) const {
    auto it = std::ranges::find(entries_, text, &OptionText::text);
    if (it == entries_.end()) return std::nullopt;
    return it->code;
}

std::optional<std::string> OptionTable::textOf(std::uint8_t code) const {
    auto it = std::ranges::find(entries_, code, &OptionText::code);
    if (it == entries_.end()) return std::nullopt;
    return std::string(it->text);
}

std::span<const FreqStepOption> freqStepOptions() {
    return freqSteps;
}

std::optional<FreqStepOption> freqStepOf(std::string_view text) {
    auto it = std::ranges::find(freqSteps, text, &FreqStepOption::text);
    if (it == freqSteps.end()) return std::nullopt;
    return *it;
}

std::optional<FreqStepOption> freqStepOf(std::uint8_t unit, std::uint8_t multiplier) {
    auto it = std::ranges::find_if(freqSteps, [&](const FreqStepOption& o) {
        return o.unit == unit && o.multiplier == multiplier;
    });
    if (it == freqSteps.end()) return std::nullopt;
    return *it;
}

std::optional<unsigned> baudRateOfCode(std::uint8_t code) {
    if (code >= lineSpeeds.size()) return std::nullopt;
    return lineSpeeds[code];
}

std::span<const unsigned> baudRates() {
    return lineSpeeds;
}

std::string lineSettingsText(unsigned baud) {
    return std::to_string(baud) + ",n,8,1";
}

} // namespace sondrel
