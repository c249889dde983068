// The simulator's state file: a file the meter cannot use is refused at start,
// naming the file and the field, and nothing of it is taken half-way.
#include "meter_simulator.h"
#include "simulated_meter.h"

#include <fstream>

using namespace korvane::sim;
using korvane::testing::TempDir;

namespace {

// The message the simulator refuses this state with; empty when it takes it.
std::string refusalOf(const std::string& state, const TempDir& folder) {
    const std::string file = (folder.path() / "meter.json").string();
    std::ofstream(file) << state;
    SimulatorOptions options;
    options.stateFile = file;
    try {
        MeterSimulator simulator(options);
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

} // namespace

TEST(StateFile, FieldsOutOfRangeAreRefusedWithTheFileAndFieldNamed) {
    const TempDir folder;
    const std::pair<const char*, const char*> cases[] = {
        {R"({"screen": {"width": 4}})", "screen.width"},
        {R"({"screen": {"height": 0}})", "screen.height"},
        {R"({"screen": {"width": 1073741824}})", "screen.width"},
        {R"({"screen": {"width": 2040, "height": 2040}})", "screen.height"},
        {R"({"screen": {"spanMHz": -3}})", "screen.spanMHz"},
        {R"({"screen": {"picture": [1, 256]}})", "screen.picture"},
        {R"({"settings": {"volume": 1e10}})", "settings.volume"},
        {R"({"settings": {"volume": -1.5}})", "settings.volume"},
        {R"({"settings": {"limits": [1, 2, 3, 4, 5, 6, 7, 300]}})", "settings.limits"},
        {R"({"settings": {"clock": [2009, 8, 25, 25, 0, 0]}})", "settings.clock"},
        {R"({"files": {"files": [{"name": "A", "stored": [2009, 8, 25, -1, 0, 0],
            "flags": 0, "basePlan": 0, "content": []}]}})",
         "files.stored"},
        {R"({"files": {"files": [{"name": "A", "stored": [2009, 8, 25, 1, 0, 0],
            "flags": 0, "basePlan": 9, "content": []}]}})",
         "files.basePlan"},
        {R"({"signal": {"resolutionKHz": 0}})", "signal.resolutionKHz"},
        {R"({"signal": {"tunedKHz": 1e10}})", "signal.tunedKHz"},
        {R"({"signal": {"maxOffsetKHz": -1.5}})", "signal.maxOffsetKHz"},
        {R"({"signal": {"videoLevel": "loud"}})", "signal.videoLevel"},
        {R"({"plans": {"activeSlot": 7}})", "plans.activeSlot"},
        {R"({"plans": {"slots": [{"kind": "analogue", "channels": [
            {"name": "S01", "freq_10kHz": 16777216, "typeCode": 1}]}, {"kind": "digital"},
            {"kind": "digital"}, {"kind": "digital"}, {"kind": "digital"}]}})",
         "plans.channels.freq_10kHz"},
        {R"({"plans": {"slots": [{"kind": "digital", "channels": [{"typeCode": 8,
            "number": 1, "flags": 0, "freq_10kHz": 47400, "audio1_10kHz": 70000,
            "audio2_10kHz": 0, "modulation": 2, "name": "D001", "rate_kSps": 6875}]},
            {"kind": "digital"}, {"kind": "digital"}, {"kind": "digital"}, {"kind": "digital"}]}})",
         "plans.channels.audio1_10kHz"},
        {R"({"plans": {"slots": [{"kind": "analogue", "head": {"favourites": [1, 2, 3, 4, 5, 256],
            "unit": 1, "span_10kHz": 2000}}, {"kind": "digital"}, {"kind": "digital"},
            {"kind": "digital"}, {"kind": "digital"}]}})",
         "plans.head.favourites"},
    };
    for (const auto& [state, field] : cases) {
        const std::string refusal = refusalOf(state, folder);
        EXPECT_NE(refusal.find((folder.path() / "meter.json").string()), std::string::npos)
            << state << ": " << refusal;
        EXPECT_NE(refusal.find(field), std::string::npos) << state << ": " << refusal;
    }
}

TEST(StateFile, FieldsInRangeAreTaken) {
    const TempDir folder;
    EXPECT_EQ(refusalOf(R"({"screen": {"width": 8, "height": 1, "spanMHz": 20},
        "settings": {"volume": 15, "clock": [2255, 12, 31, 23, 59, 59]},
        "signal": {"resolutionKHz": 1, "tunedKHz": 870000, "tiltPer100MHz": -20},
        "plans": {"activeSlot": 4}})",
                        folder),
              "");
}
