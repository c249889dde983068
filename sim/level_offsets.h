// Channels set apart from the spectrum's usual levels, so a demonstration
// shows channels out of limits: `--offset 303.25=12` lifts the carrier (or
// digital block) at 303.25 MHz by 12 dB, `--offset 474=-20` sinks one. Kept in
// --state as signal.levelOffsets: [{"mhz": 303.25, "db": 12}, ...].
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace korvane::sim {

struct LevelOffset {
    double mhz = 0;
    double db = 0;
    friend bool operator==(const LevelOffset&, const LevelOffset&) = default;
};

struct LevelOffsets {
    std::vector<LevelOffset> entries;
    // The offset of the channel at mhz (to 10 kHz); 0 for any other.
    double at(double mhz) const;
    // Sets a channel's offset, replacing an earlier one; 0 dB removes it.
    void set(const LevelOffset& offset);
};

// "MHZ=DB"; throws std::invalid_argument naming what is wrong.
LevelOffset parseLevelOffset(const std::string& text);

void to_json(nlohmann::json& j, const LevelOffsets& offsets);
void from_json(const nlohmann::json& j, LevelOffsets& offsets);

} // namespace korvane::sim
