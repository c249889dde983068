// Levels that move a little over time, so a live reading in a demonstration
// shows a living trace: with `--wander 0.8` every carrier (or digital block)
// drifts slowly, up to 0.8 dB either side of its level, each channel in its
// own rhythm. Off (0 dB) unless asked for, so the spectrum otherwise stays
// exactly as the model gives it; not kept in --state.
#pragma once

#include <chrono>

namespace korvane::sim {

struct LevelWander {
    double db = 0; // the largest drift either side; 0: levels stand still
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    // The drift of the channel at mhz, `seconds` after start, dB.
    double at(double mhz, double seconds) const;
    // The drift of the channel at mhz now.
    double now(double mhz) const;
};

} // namespace korvane::sim
