// Channels the simulated meter sets off their level for a demonstration: the
// option's text, the state file's field and the spectrum they change.
#include "meter_state.h"
#include "state_fields.h"

#include <gtest/gtest.h>

namespace korvane::sim {
namespace {

TEST(LevelOffsets, TheOptionTakesFrequencyAndDecibelsWithinTheMetersRange) {
    EXPECT_EQ(parseLevelOffset("303.25=12"), (LevelOffset{303.25, 12}));
    EXPECT_EQ(parseLevelOffset("474=-20.5"), (LevelOffset{474, -20.5}));
    for (const char* bad :
         {"303.25", "=12", "303.25=", "abc=1", "303.25=12dB", "1000=3", "303.25=61", "4=1"})
        EXPECT_THROW(parseLevelOffset(bad), std::invalid_argument) << bad;
}

TEST(LevelOffsets, AnOffsetLiftsOnlyItsChannelAndIsKeptInTheState) {
    SignalModel model;
    const ModelChannel lifted{2, "TV", 303.25, 5.5, 0, 0};
    const ModelChannel other{3, "TV", 311.25, 5.5, 0, 0};
    const double before = model.carrierLevel(lifted), otherBefore = model.carrierLevel(other);
    model.levelOffsets.set({303.25, 12});
    EXPECT_DOUBLE_EQ(model.carrierLevel(lifted), before + 12);
    EXPECT_DOUBLE_EQ(model.carrierLevel(other), otherBefore);
    model.levelOffsets.set({303.25, -3}); // a second offset replaces the first
    EXPECT_DOUBLE_EQ(model.carrierLevel(lifted), before - 3);

    MeterState state;
    state.signal = model;
    MeterState read;
    nlohmann::json(state).get_to(read);
    EXPECT_EQ(read.signal.levelOffsets.entries, model.levelOffsets.entries);

    model.levelOffsets.set({303.25, 0}); // 0 dB puts the channel back
    EXPECT_TRUE(model.levelOffsets.entries.empty());
    EXPECT_FALSE(nlohmann::json(model).contains("levelOffsets"));

    nlohmann::json bad = state;
    bad["signal"]["levelOffsets"] = {{{"mhz", 303.25}, {"db", 99}}};
    EXPECT_THROW(bad.get_to(read), StateFieldError);
}

} // namespace
} // namespace korvane::sim
