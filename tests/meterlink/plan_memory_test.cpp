// The simulated meter's plan memory: what it keeps in its state file, and how
// it treats plan packets that arrive out of sequence.
#include "common/plan_codec_packets.h"
#include "frame_exchange.h"
#include "plan_test_plans.h"

using namespace korvane::testing;
using namespace sondrel;
using korvane::sim::AnalogPlan;
using korvane::sim::DigitalPlan;
using korvane::sim::PlanMemory;

TEST(PlanMemory, SlotsAndActiveSlotSurviveTheStateFileByteForByte) {
    PlanMemory memory;
    memory.activeSlot = 3;
    AnalogPlan odd;
    odd.channels.push_back({{0x00, 0xE9, 0xFF}, 131071, 0x40}); // bytes no name text would give
    odd.head.span = 65535;
    memory.slots[4].plan = odd;
    memory.slots[4].userNames.push_back({{'A', 0, 0x80, 'B', 'C'}});

    const nlohmann::json saved = nlohmann::json::parse(nlohmann::json(memory).dump());
    PlanMemory loaded;
    loaded.slots = {};
    saved.get_to(loaded);
    EXPECT_EQ(loaded.slots, memory.slots);
    EXPECT_EQ(loaded.activeSlot, 3);
    EXPECT_EQ(saved["slots"][0]["channels"][0]["name"], std::string(1, '\0') + "E2")
        << "names stay readable";
}

TEST(PlanMemory, AStateFileThatDoesNotDescribeFiveValidSlotsIsRefused) {
    const nlohmann::json good = PlanMemory();
    const auto refused = [](nlohmann::json j) {
        PlanMemory memory;
        EXPECT_ANY_THROW(j.get_to(memory)) << j.dump().substr(0, 200);
    };
    nlohmann::json fourSlots = good;
    fourSlots["slots"].erase(4);
    refused(fourSlots);
    nlohmann::json longName = good;
    longName["slots"][0]["channels"][0]["name"] = "E2XY";
    refused(longName);
    nlohmann::json wideName = good;
    wideName["slots"][0]["channels"][0]["name"] = "频道A";
    refused(wideName);
    nlohmann::json unknownKind = good;
    unknownKind["slots"][1]["kind"] = "hybrid";
    refused(unknownKind);
    nlohmann::json tooMany = good;
    tooMany["slots"][2]["channels"] = nlohmann::json::array_t(256, good["slots"][2]["channels"][0]);
    refused(tooMany);
    nlohmann::json badActive = good;
    badActive["activeSlot"] = 5;
    refused(badActive);
}

TEST(PlanMemory, TheSimulatorKeepsItsPlansInItsStateFileBetweenRuns) {
    TempDir folder;
    korvane::sim::SimulatorOptions options;
    options.stateFile = (folder.path() / "meter.json").string();
    DigitalPlan plan;
    plan.channels.push_back(digitalEntryOf(digitalPlan(1).at(1), CodePage("WINDOWS-1252")));
    {
        korvane::sim::MeterSimulator first(options);
        first.withState([&](auto& s) {
            s.plans.slots[1].plan = plan;
            s.plans.activeSlot = 1;
        });
        first.saveState();
    }
    korvane::sim::MeterSimulator second(options);
    EXPECT_EQ(second.withState([](auto& s) { return s.plans.slots[1].plan; }),
              decltype(korvane::sim::PlanSlot::plan)(plan));
    EXPECT_EQ(second.withState([](auto& s) { return s.plans.activeSlot; }), 1);
}

class PlanSequenceTest : public SimulatedMeterTest {};

TEST_F(PlanSequenceTest, APlanWhosePacketsArriveOutOfOrderIsNotStoredNorAnswered) {
    connection_.reset(); // this test speaks to the meter frame by frame
    SerialLink line;
    line.setCommPort(SimulatedPort);
    line.setPortOpen(true);
    FrameExchange wire(line);
    const auto entries = EncodeAnalogPlan(analogPlan(14), CodePage("WINDOWS-1252"));
    const auto before = meter().withState([](auto& s) { return s.plans.slots[4]; });

    wire.SendAndWait(6, commandBuffer(CmdCarryPlan, analogEntryPacket(3, 1, 14, 4, entries)));
    // Packet 2 of 3 skipped: the meter drops the write and stays silent.
    wire.SendAndWait(6, commandBuffer(CmdCarryPlan, analogHeadPacket(3, HeadEntry{})));

    const auto log = meter().wireLog().entries();
    const auto answers = std::count_if(log.begin(), log.end(), [](const auto& e) {
        return e.direction == korvane::sim::Direction::FromMeter;
    });
    EXPECT_EQ(answers, 1);
    EXPECT_EQ(meter().withState([](auto& s) { return s.plans.slots[4]; }), before);
}
