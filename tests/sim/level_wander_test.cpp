// Levels that drift for a demonstration's living trace: off by default, within
// the drift asked for, moving over time and apart from channel to channel.
#include "signal_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace korvane::sim {
namespace {

TEST(LevelWander, OffByDefaultSoLevelsStayExact) {
    const SignalModel model;
    const ModelChannel channel{1, "TV", 303.25, 5.5, 0, 0};
    const double level = model.carrierLevel(channel);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(model.carrierLevel(channel), level);
    EXPECT_EQ(model.wander.at(303.25, 12.5), 0.0);
}

TEST(LevelWander, DriftStaysWithinItsBoundAndMovesOverTimeAndAcrossChannels) {
    LevelWander wander;
    wander.db = 0.8;
    double lowest = 0, highest = 0, largestStep = 0;
    double previous = wander.at(303.25, 0);
    for (int tenth = 1; tenth <= 600; ++tenth) {
        const double drift = wander.at(303.25, tenth / 10.0);
        EXPECT_LE(std::fabs(drift), 0.8 + 1e-12) << "at " << tenth / 10.0 << " s";
        lowest = std::min(lowest, drift);
        highest = std::max(highest, drift);
        largestStep = std::max(largestStep, std::fabs(drift - previous));
        previous = drift;
    }
    EXPECT_GT(highest - lowest, 0.8) << "a minute shows most of the range";
    EXPECT_LT(largestStep, 0.1) << "slowly: a tenth of a second moves it little";
    EXPECT_NE(wander.at(303.25, 10), wander.at(311.25, 10)) << "each channel on its own";
}

TEST(LevelWander, TheModelsCarrierLevelCarriesTheDrift) {
    SignalModel model;
    const ModelChannel channel{1, "TV", 303.25, 5.5, 0, 0};
    const double still = model.carrierLevel(channel);
    model.wander.db = 2.0;
    model.wander.start -= std::chrono::seconds(5); // a drift well away from zero by now
    const double moved = model.carrierLevel(channel);
    EXPECT_NE(moved, still);
    EXPECT_LE(std::fabs(moved - still), 2.0);
}

} // namespace
} // namespace korvane::sim
