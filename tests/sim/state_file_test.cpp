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
        "settings": {"volume": 15, "clock": [2255, 12, 31, 23, 59, 59]}})",
                        folder),
              "");
}
