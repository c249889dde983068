// The simulator's state file: a file the meter cannot use is refused at start,
// naming the file and the field, and nothing of it is taken half-way.
#include "meter_simulator.h"
#include "simulated_meter.h"

#include "child_process.h"

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

TEST(StateFile, AFileThatHoldsNoStateIsRefusedAndLeftAsItWas) {
    const TempDir folder;
    const std::string file = (folder.path() / "meter.json").string();
    const std::pair<const char*, const char*> cases[] = {
        {"[]", "must hold an object of the sections"},
        {"42", "must hold an object of the sections"},
        {R"("hello")", "must hold an object of the sections"},
        {"null", "must hold an object of the sections"},
        {R"({"settings": 5})", "field settings must be an object"},
        {R"({"plans": {"slots": 5}})", "plans.slots"},
        {R"({"plans": {"slots": [1, 2, 3, 4, 5]}})", "plans.slots"},
        {R"({"plans": {"slots": [{"kind": 3}, {}, {}, {}, {}]}})", "plans.slots.kind"},
        {R"({"screen": {"form": 3}})", "screen.form"},
        {R"({"screen": {"form": "huge"}})", "screen.form"},
        {R"({"screen": {"order": ["up"]}})", "screen.order"},
        {R"({"files": {"headerForm": 1}})", "files.headerForm"},
        {R"({"files": {"files": {"name": "A"}}})", "files.files"},
        {R"({"files": {"files": [{"name": 5}]}})", "files.name"},
        {R"({"settings": {"levelUnit": 2}})", "settings.levelUnit"},
    };
    for (const auto& [state, field] : cases) {
        const std::string refusal = refusalOf(state, folder);
        EXPECT_NE(refusal.find(file), std::string::npos) << state << ": " << refusal;
        EXPECT_NE(refusal.find(field), std::string::npos) << state << ": " << refusal;
        EXPECT_EQ(korvane::testing::fileText(file), state) << "rewritten";
    }
}

// A state with `count` stored files of `bytes` bytes each.
std::string filesState(std::size_t count, std::size_t bytes) {
    nlohmann::json file = {{"name", "F"},
                           {"stored", {2009, 8, 25, 13, 45, 30}},
                           {"flags", 0},
                           {"basePlan", 0},
                           {"content", std::vector<int>(bytes, 7)}};
    return nlohmann::json{{"files", {{"files", std::vector<nlohmann::json>(count, file)}}}}.dump();
}

TEST(StateFile, WhatTheMeterCannotHoldOrSendIsRefusedAtLoad) {
    const TempDir folder;
    // The count, the file numbers and a content's page count travel in one byte.
    EXPECT_EQ(refusalOf(filesState(255, 255 * 64), folder), "");
    EXPECT_NE(refusalOf(filesState(256, 1), folder).find("files.files"), std::string::npos);
    EXPECT_NE(refusalOf(filesState(1, 255 * 64 + 1), folder).find("files.content"),
              std::string::npos);
    // The display of 128x64 pixels shows 1024 bytes.
    const auto picture = [](std::size_t bytes) {
        return nlohmann::json{{"screen", {{"picture", std::vector<int>(bytes, 1)}}}}.dump();
    };
    EXPECT_EQ(refusalOf(picture(1024), folder), "");
    EXPECT_NE(refusalOf(picture(1025), folder).find("screen.picture"), std::string::npos);
    EXPECT_NE(refusalOf(picture(100000), folder).find("screen.picture"), std::string::npos);
}

// The stored files of a state file, after a simulator loaded and saved it.
nlohmann::json filesAfterRoundTrip(const std::string& state, const TempDir& folder,
                                   std::string& nameBytes) {
    const std::string file = (folder.path() / "names.json").string();
    std::ofstream(file) << state;
    SimulatorOptions options;
    options.stateFile = file;
    {
        MeterSimulator simulator(options);
        simulator.start();
        nameBytes = simulator.withState([](MeterState& s) { return s.files.files.at(0).name; });
        simulator.stop();
    }
    return nlohmann::json::parse(korvane::testing::fileText(file)).at("files").at("files");
}

TEST(StateFile, FileNamesAreTheMetersBytesOneCharacterEach) {
    const TempDir folder;
    const auto stateNamed = [](const std::string& name) {
        return R"({"files": {"files": [{"name": ")" + name +
               R"(", "stored": [2009, 8, 25, 13, 45, 30], "flags": 0, "basePlan": 0,
               "content": []}]}})";
    };
    std::string bytes;
    // Six characters are six bytes, whatever their code.
    EXPECT_EQ(filesAfterRoundTrip(stateNamed("Zürich"), folder, bytes)[0]["name"], "Zürich");
    EXPECT_EQ(bytes, "Z\xFCrich");
    // "Москва" in Windows-1251 and "中文" in GBK, byte for byte.
    EXPECT_EQ(filesAfterRoundTrip(stateNamed("Ìîñêâà"), folder, bytes)[0]["name"], "Ìîñêâà");
    EXPECT_EQ(bytes, "\xCC\xEE\xF1\xEA\xE2\xE0");
    EXPECT_EQ(filesAfterRoundTrip(stateNamed("ÖÐÎÄ"), folder, bytes)[0]["name"], "ÖÐÎÄ");
    EXPECT_EQ(bytes, "\xD6\xD0\xCE\xC4");

    EXPECT_NE(refusalOf(stateNamed("Zürich1"), folder).find("files.name"), std::string::npos);
    EXPECT_NE(refusalOf(stateNamed("中"), folder).find("files.name"), std::string::npos)
        << "no byte of the meter is written so";
}
