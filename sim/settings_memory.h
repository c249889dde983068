// Simulated meter: its model and the user settings it remembers. Settings are
// kept as the codes that travel on the line (see common/option_texts.h for
// their texts); the state file shows them as their texts. The line speed is
// the link's (MeterState::link), not a remembered setting.
#pragma once

#include "common/com_date.h"

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>

namespace korvane::sim {

struct SettingsMemory {
    // Model number and variant letter code (1 "A", 2 "B", 3 "Q", 0 none): "2000Q".
    std::uint16_t model = 2000;
    std::uint8_t variant = 3;
    std::uint8_t volume = 5;
    std::uint8_t levelUnit = 0;
    std::uint8_t temperatureUnit = 0;
    std::array<std::uint8_t, 8> limits{60, 80, 40, 10, 43, 30, 15, 25};
    // Tuning step: unit (0 kHz, 1 MHz) and multiplier; 0, 0 steps by channel.
    std::uint8_t stepUnit = 0;
    std::uint8_t stepMultiplier = 0;
    sondrel::CivilDateTime clock{2009, 8, 25, 13, 45, 30}; // as last set
    std::uint8_t shutdown = 0;
    std::uint8_t backlight = 0;

    static constexpr std::uint8_t LoudestVolume = 15;
};

void to_json(nlohmann::json& j, const SettingsMemory& s);
void from_json(const nlohmann::json& j, SettingsMemory& s);

} // namespace korvane::sim
