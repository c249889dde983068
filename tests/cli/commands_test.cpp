// The task commands of sondrel (level, cn, digital, files, model, get, set,
// screen) as a shell user runs them: sondrel as a program against korvane-sim
// as a program, with the meter's state given in its state file.
#include "child_process.h"
#include "common/option_texts.h"
#include "meter_state.h"
#include "simulated_meter.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int SimPort = 11;

// The demonstration meter with a spectrum of exact levels: no ripple, spread,
// tilt or offsets; video carriers at 85.0 over a noise floor of 30.0.
sim::MeterState exactMeter() {
    sim::MeterState state;
    auto& signal = state.signal;
    signal.noiseRipple = signal.levelSpread = signal.tiltPer100MHz = 0;
    signal.maxOffsetKHz = 0;
    signal.videoLevel = 85.0;
    signal.noiseFloor = 30.0;
    return state;
}

class SondrelCommands : public ::testing::Test {
  protected:
    Environment environment() const {
        return {{"SONDREL_PORTS", (home_.path() / "ports").string()},
                {"XDG_DATA_HOME", (home_.path() / "data").string()}};
    }

    Finished sondrel(std::vector<std::string> args) {
        args.insert(args.begin(), {SONDREL_PROGRAM, "--port", std::to_string(SimPort)});
        return runProgram(args, environment());
    }

    // Starts korvane-sim as the port with this state; faults as --fault takes them.
    void startMeter(const sim::MeterState& state, const std::vector<std::string>& faults = {}) {
        std::ofstream(stateFile()) << json(state).dump();
        std::vector<std::string> argv{KORVANE_SIM_PROGRAM, "--com",     std::to_string(SimPort),
                                      "--state",           stateFile(), "--wire-log",
                                      wireLog().string()};
        for (const auto& f : faults)
            argv.insert(argv.end(), {"--fault", f});
        meter_ = std::make_unique<RunningProgram>(argv, environment());
        ASSERT_EQ(meter_->readLine().rfind("device ", 0), 0u);
        ASSERT_EQ(meter_->readLine().rfind("port COM", 0), 0u);
    }
    // Stops the meter; it saves its state.
    sim::MeterState stopMeter() {
        meter_.reset();
        sim::MeterState state;
        json::parse(fileText(stateFile())).get_to(state);
        return state;
    }

    std::string stateFile() const { return (home_.path() / "meter.json").string(); }
    fs::path wireLog() const { return home_.path() / "wire.log"; }
    fs::path file(const std::string& name) const { return home_.path() / name; }

    TempDir home_;
    std::unique_ptr<RunningProgram> meter_;
};

TEST_F(SondrelCommands, CnThroughCallAndThroughItsCommandMatchesTheModel) {
    startMeter(exactMeter());
    // Channel E3 of the demonstration plan: 85.0 over 30.0, less 12.
    Finished run = sondrel({"call", "GetCN", "55.25", "null"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"member\": \"GetCN\", \"result\": 1, \"args\": [55.25, 43]}\n");
    run = sondrel({"cn", "55.25"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "C/N at 55.25 MHz: 43 dB\n");
}

TEST_F(SondrelCommands, LevelAndDigitalReadingsComeAsTextOrJson) {
    startMeter(exactMeter());
    Finished run = sondrel({"level", "55.25"});
    EXPECT_EQ(run.out, "level at 55.25 MHz: 85.0\n");
    run = sondrel({"level", "58", "--json"});
    EXPECT_EQ(run.out, "{\"freq\": 58.0, \"level\": 30.0}\n");

    // Channel 49 of the demonstration plan is digital; channel 1 is analogue.
    run = sondrel({"digital", "49", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    const json digital = json::parse(run.out);
    EXPECT_EQ(digital.at("channel"), 49);
    EXPECT_EQ(digital.at("power"), 82.0);
    EXPECT_TRUE(digital.contains("mer"));
    EXPECT_NE(digital.at("state"), "not locked");
    run = sondrel({"digital", "1"});
    EXPECT_EQ(run.out, "channel 1: power 85.0 (+0.0 against the average), not locked\n");
    EXPECT_NE(fileText(wireLog()).find("> 55 AA 01 07 51 01 A7\n"), std::string::npos);
}

TEST_F(SondrelCommands, AScreenCopyIsThePicturePixelForPixel) {
    sim::MeterState state = exactMeter();
    state.screen.width = 64;
    state.screen.height = 24;
    startMeter(state);
    Finished run = sondrel({"screen", "--out", file("screen.pbm").string(), "--pbm", "64x24"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "screen: 192 bytes of a 64x24 picture written to " +
                           file("screen.pbm").string() + "\n");
    const sondrel::Bytes expected =
        sim::spectrumScreen(state.screen, state.signal, sim::channelsOfActivePlan(state.plans));
    EXPECT_EQ(fileText(file("screen.pbm")),
              "P4\n64 24\n" + std::string(expected.begin(), expected.end()));

    run = sondrel({"screen", "--out", file("screen.bin").string(), "--json"});
    EXPECT_EQ(run.out, "{\"out\": \"" + file("screen.bin").string() +
                           "\", \"format\": \"raw\", \"bytes\": 10001}\n");
    const std::string raw = fileText(file("screen.bin"));
    ASSERT_EQ(raw.size(), 10001u);
    EXPECT_EQ(raw.substr(0, 192), std::string(expected.begin(), expected.end()));
}

TEST_F(SondrelCommands, APictureLargerThanTheBufferOrAnIntIsRefusedAndNothingWritten) {
    startMeter(exactMeter());
    for (const char* size : {"524288x65536", "8000000x8000", "99999999999x8", "128x80000"}) {
        const Finished run = sondrel({"screen", "--out", file("big.pbm").string(), "--pbm", size});
        EXPECT_EQ(run.status, 2) << size << ": " << run.out;
        EXPECT_FALSE(fs::exists(file("big.pbm"))) << size;
    }
}

TEST_F(SondrelCommands, FilesAreListedCopiedAndDeleted) {
    const sim::MeterState state = exactMeter();
    startMeter(state);
    Finished run = sondrel({"files", "list"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "  1  LEVEL1  2009-08-25 13:45:30  plan A  Level LimitsTest");
    EXPECT_NE(run.out.find("\n4 files\n"), std::string::npos) << run.out;

    run = sondrel({"files", "read", "2", "--out", file("scan.bin").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto& content = state.files.files[1].content;
    EXPECT_EQ(fileText(file("scan.bin")), std::string(content.begin(), content.end()));

    run = sondrel({"files", "delete", "4", "--json"});
    EXPECT_EQ(run.out, "{\"deleted\": 4}\n");
    EXPECT_EQ(stopMeter().files.files.size(), 3u);
}

TEST_F(SondrelCommands, ReadAllCopiesEveryFileIntoTheFolderBesideAnIndex) {
    const sim::MeterState state = exactMeter();
    startMeter(state);
    fs::create_directory(file("saved"));
    Finished run = sondrel({"files", "read", "--all", "--dir", file("saved").string(), "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    const json answer = json::parse(run.out);
    const auto& files = state.files.files;
    ASSERT_EQ(answer.at("count"), files.size());
    EXPECT_EQ(answer.at("index"), "files.csv");
    std::istringstream index(fileText(file("saved") / "files.csv"));
    std::string line;
    std::getline(index, line);
    EXPECT_EQ(line, "Number,Name,Date,Time,Kinds,Plan,Bytes,File");
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string name = answer.at("files").at(i).at("file");
        std::string content = fileText(file("saved") / name);
        const auto& stored = files[i].content;
        ASSERT_GE(content.size(), stored.size());
        EXPECT_EQ(content.substr(0, stored.size()), std::string(stored.begin(), stored.end()));
        EXPECT_EQ(content.find_first_not_of('\0', stored.size()), std::string::npos)
            << "only the last page's padding follows";
        ASSERT_TRUE(std::getline(index, line));
        EXPECT_EQ(line.substr(0, line.find(',')), std::to_string(i + 1));
        EXPECT_EQ(line.substr(line.rfind(',') + 1), name);
        EXPECT_NE(line.find("," + std::to_string(content.size()) + ","), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(index, line)) << "one line a file";

    run = sondrel({"files", "read", "--all"});
    EXPECT_EQ(run.status, 2) << "--all needs --dir";
    run = sondrel({"files", "read", "--all", "--dir", file("none").string()});
    EXPECT_EQ(run.status, 2) << "no such folder";
    EXPECT_NE(run.err.find("none"), std::string::npos) << run.err;
}

TEST_F(SondrelCommands, SettingsAreReadAndChangedByTheirTexts) {
    startMeter(exactMeter());
    EXPECT_EQ(sondrel({"model"}).out, "2000Q\n");
    EXPECT_EQ(sondrel({"set", "level-unit", "dBmV"}).out, "level-unit: dBmV\n");
    EXPECT_EQ(sondrel({"set", "switch-off", "10 min"}).out, "switch-off: 10 min\n");
    EXPECT_EQ(sondrel({"get", "switch-off", "--json"}).out, "{\"switch-off\": \"10 min\"}\n");
    EXPECT_EQ(sondrel({"set", "volume", "20"}).out, "volume: 15\n") << "the meter's loudest";
    EXPECT_EQ(sondrel({"set", "clock", "2009-08-25T13:45:30"}).out, "clock: 2009-08-25T13:45:30\n");
    EXPECT_EQ(sondrel({"set", "limits", "1", "2", "3", "4", "5", "6", "7", "8"}).status, 0);

    // A text that is not one of the choices is a usage error, and nothing is sent.
    const Finished wrong = sondrel({"set", "level-unit", "dbmv"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("dBmV"), std::string::npos) << "the choices are named";

    const sim::MeterState after = stopMeter();
    EXPECT_EQ(after.settings.levelUnit, 1);
    EXPECT_EQ(after.settings.shutdown, 3);
    EXPECT_EQ(after.settings.clock, (sondrel::CivilDateTime{2009, 8, 25, 13, 45, 30}));
    EXPECT_EQ(after.settings.limits, (std::array<std::uint8_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    const std::string log = fileText(wireLog());
    EXPECT_NE(log.find("> 55 AA 01 0D 1C 0D 2D 1E 09 08 19 00 55\n"), std::string::npos);
    EXPECT_EQ(log.find("> 55 AA 01 07 16 00"), std::string::npos);
}

TEST_F(SondrelCommands, AMeterThatDoesNotAnswerEndsWithStatus4) {
    startMeter(exactMeter(), {"any:noreply"});
    Finished run = sondrel({"get", "volume"});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(run.out.empty());
    // The words are the library's when it says why, else the general ones.
    EXPECT_EQ(run.err.rfind("sondrel: ReadSLMVolume was not carried out: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("answer"), std::string::npos) << run.err;
    run = sondrel({"get", "volume", "--json"});
    EXPECT_EQ(run.status, 4);
    const json line = json::parse(run.out);
    EXPECT_EQ(line.at("member"), "ReadSLMVolume");
    EXPECT_EQ(line.at("result"), 0);
    EXPECT_EQ(line.value("failure", "no answer"), "no answer");
}

// The demonstration plan's channel at mhz, as the meter's model sees it.
sim::ModelChannel channelAt(const sim::MeterState& state, double mhz) {
    for (const auto& channel : sim::channelsOfActivePlan(state.plans))
        if (std::abs(channel.mhz - mhz) < 0.001) return channel;
    throw std::out_of_range("no channel at that frequency");
}

TEST_F(SondrelCommands, OffsetTuneAndPlanReportWhatTheMeterDid) {
    sim::MeterState state = exactMeter();
    state.signal.maxOffsetKHz = 30;
    startMeter(state);
    // E3's carrier sits a fixed number of 10 kHz steps off 55.25 MHz.
    const int offsetKHz = state.signal.carrierOffsetKHz(channelAt(state, 55.25));
    Finished run = sondrel({"offset", "55.25", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NEAR(json::parse(run.out).at("offset").get<double>(), offsetKHz / 1000.0, 1e-9)
        << run.out;

    run = sondrel({"tune", "100.25"});
    EXPECT_EQ(run.status, 0) << run.err;
    // Beyond its range the meter tunes to the top and says so.
    run = sondrel({"tune", "900", "--json"});
    const double tuned = json::parse(run.out).at("tuned").get<double>();

    EXPECT_EQ(sondrel({"plan"}).out, "active plan: A\n");
    EXPECT_EQ(sondrel({"plan", "C", "--json"}).out, "{\"plan\": \"C\"}\n");
    EXPECT_EQ(sondrel({"plan"}).out, "active plan: C\n");

    const sim::MeterState after = stopMeter();
    EXPECT_NEAR(after.signal.tunedKHz / 1000.0, tuned, 1e-9) << "the frequency the meter took";
    EXPECT_EQ(tuned, sim::SignalModel::HighestKHz / 1000.0);
    EXPECT_EQ(after.plans.activeSlot, 2);
}

TEST_F(SondrelCommands, StepAndDigitalPowerAreTheMetersFigures) {
    sim::MeterState state = exactMeter();
    state.signal.digitalPower = 77.3;
    startMeter(state);
    EXPECT_EQ(sondrel({"set", "step", "100 KHz"}).out, "step: 100 KHz\n");
    // Channel 49 is the first digital one of the demonstration plan.
    Finished run = sondrel({"digital", "49", "--power-only", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"channel\": 49, \"power\": 77.3, \"powerpj\": 0.0}\n");
    EXPECT_EQ(sondrel({"digital", "49", "--power-only"}).out,
              "channel 49: power 77.3 (+0.0 against the average)\n");
    const sim::MeterState after = stopMeter();
    const auto step = sondrel::freqStepOf("100 KHz");
    EXPECT_EQ(after.settings.stepUnit, step->unit);
    EXPECT_EQ(after.settings.stepMultiplier, step->multiplier);
    EXPECT_NE(fileText(wireLog()).find("> 55 AA 01 07 57 31"), std::string::npos);
    EXPECT_EQ(fileText(wireLog()).find("> 55 AA 01 07 51"), std::string::npos)
        << "--power-only reads the power alone";
}

TEST_F(SondrelCommands, ShortHeadersAndTheBigScreenComeAsTheMeterSendsThem) {
    sim::MeterState state = exactMeter();
    state.files.headerForm = sim::HeaderForm::Short;
    state.screen.form = sim::ScreenMemory::Form::Big;
    startMeter(state);
    Finished run = sondrel({"files", "list", "--short-form"});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto& files = state.files.files;
    std::string expected;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& s = files[i].stored;
        char line[64];
        std::snprintf(line, sizeof line, "%3zu          %04d-%02d-%02d %02d:%02d:%02d\n", i + 1,
                      s.year, s.month, s.day, s.hour, s.minute, s.second);
        expected += line;
    }
    EXPECT_EQ(run.out, expected + std::to_string(files.size()) + " files\n");

    run = sondrel({"screen", "--big", "--out", file("big.bin").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string raw = fileText(file("big.bin"));
    ASSERT_EQ(raw.size(), 40001u);
    const sondrel::Bytes picture =
        sim::spectrumScreen(state.screen, state.signal, sim::channelsOfActivePlan(state.plans));
    EXPECT_EQ(raw.substr(0, picture.size()), std::string(picture.begin(), picture.end()));
}

TEST_F(SondrelCommands, AfterSetBaudLaterRunsReachTheMeterWithBaudAndBringItBack) {
    startMeter(exactMeter());
    const std::string volume = "volume: " + std::to_string(exactMeter().settings.volume) + "\n";
    Finished run = sondrel({"set", "baud", "19200"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("sondrel --baud 19200 set baud 9600"), std::string::npos) << run.out;
    EXPECT_EQ(sondrel({"get", "volume"}).status, 4) << "a run at 9600 is not understood";

    run = runProgram(
        {SONDREL_PROGRAM, "--port", std::to_string(SimPort), "--baud", "19200", "get", "volume"},
        environment());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, volume);
    run = runProgram({SONDREL_PROGRAM, "--port", std::to_string(SimPort), "--baud", "19200", "set",
                      "baud", "9600"},
                     environment());
    EXPECT_EQ(run.out, "line speed: 9600 baud\n");
    run = sondrel({"get", "volume"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, volume);

    // A meter still at 9600 is taken to the speed asked for.
    run = runProgram(
        {SONDREL_PROGRAM, "--port", std::to_string(SimPort), "--baud", "38400", "get", "volume"},
        environment());
    EXPECT_EQ(run.out, volume);
    EXPECT_EQ(sondrel({"get", "volume"}).status, 4);
}

TEST_F(SondrelCommands, ASurveyWithCnGivesTheModelsCarrierToNoise) {
    sim::MeterState state = exactMeter();
    auto& plan = std::get<sim::AnalogPlan>(state.plans.slots[state.plans.activeSlot].plan);
    plan.channels.resize(2); // a short survey: C/N takes 6 or 13 readings a channel
    startMeter(state);
    const Finished run = sondrel({"survey", "--cn", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    const json channels = json::parse(run.out).at("channels");
    ASSERT_EQ(channels.size(), 2u) << run.out;
    for (const auto& channel : channels) {
        const double mhz = channel.at("freq").get<double>();
        EXPECT_NEAR(channel.at("level").get<double>(),
                    state.signal.carrierLevel(channelAt(state, mhz)), 0.05)
            << mhz;
        // The carrier over the flat noise floor, less the 12 dB the estimate takes off.
        EXPECT_EQ(channel.at("cn"),
                  static_cast<int>(state.signal.videoLevel - state.signal.noiseFloor - 12))
            << mhz;
    }
}

TEST_F(SondrelCommands, EveryTaskCommandExplainsItselfAndItsExitStatuses) {
    for (const auto& command : std::vector<std::vector<std::string>>{{"level"},
                                                                     {"cn"},
                                                                     {"offset"},
                                                                     {"tune"},
                                                                     {"digital"},
                                                                     {"plan"},
                                                                     {"model"},
                                                                     {"files", "list"},
                                                                     {"files", "read"},
                                                                     {"files", "delete"},
                                                                     {"get", "volume"},
                                                                     {"set", "step"},
                                                                     {"set", "baud"},
                                                                     {"screen"}}) {
        auto args = command;
        args.push_back("--help");
        const Finished run = sondrel(args);
        EXPECT_EQ(run.status, 0) << command[0];
        EXPECT_NE(run.out.find("--json"), std::string::npos) << command[0];
        EXPECT_NE(run.out.find("4 the meter did not carry it out"), std::string::npos)
            << command[0];
    }
    const Finished baud = sondrel({"set", "baud", "--help"});
    EXPECT_NE(baud.out.find("later runs reach the meter with --baud RATE"), std::string::npos)
        << baud.out;
    const Finished steps = sondrel({"set", "step", "--help"});
    EXPECT_NE(steps.out.find("100 KHz"), std::string::npos) << steps.out;
}

} // namespace
} // namespace korvane::testing
