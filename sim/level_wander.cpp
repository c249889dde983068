#include "level_wander.h"

#include <cmath>
#include <numbers>

namespace korvane::sim {
namespace {

// A slow swell and a quicker ripple on it, periods in seconds; their weights
// add up to 1, so the drift never exceeds db.
constexpr double SwellSeconds = 23.0, RippleSeconds = 7.3;
constexpr double SwellWeight = 0.7, RippleWeight = 0.3;

} // namespace

double LevelWander::at(double mhz, double seconds) const {
    if (db == 0) return 0;
    constexpr double turn = 2 * std::numbers::pi;
    // Phases from the frequency: neighbouring channels drift apart.
    const double swell = std::sin(turn * seconds / SwellSeconds + mhz * std::numbers::phi);
    const double ripple = std::sin(turn * seconds / RippleSeconds + mhz * std::numbers::sqrt2);
    return db * (SwellWeight * swell + RippleWeight * ripple);
}

double LevelWander::now(double mhz) const {
    if (db == 0) return 0;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return at(mhz, elapsed.count());
}

} // namespace korvane::sim
