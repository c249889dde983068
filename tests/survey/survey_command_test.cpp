// sondrel survey as a shell user runs it: sondrel as a program against
// korvane-sim as a program, the meter's plan, tilt and level unit in its
// state file; the levels are checked against the simulator's signal model.
#include "../cli/child_process.h"
#include "meter_with_plan.h"
#include "simulated_meter.h"
#include "survey_csv.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int SimPort = 13;

// Three analogue channels and a digital one, favourites 1 and 4.
constexpr PlanChannel smallPlan[] = {
    {"E2", "TV", 48.25f}, {"S5", "TV", 133.25f}, {"S21", "TV", 303.3f}, {"C21", "DIGI", 474.0f}};

// The small plan in slot A, the meter left reading in dBmV while the plan's
// header says dBuV. Its carriers sit on their nominal frequencies exactly on
// the tilted line, so the meter reads the model's levels and the tilt it was
// given.
sim::MeterState meterWithSmallPlan() {
    sim::MeterState state = meterWithPlan({smallPlan[0], smallPlan[1], smallPlan[2], smallPlan[3]},
                                          {1, 4, 0, 0, 0, 0, 8, 1});
    state.signal.levelSpread = 0;
    state.signal.maxOffsetKHz = 0;
    state.settings.levelUnit = 1;
    return state;
}

// The same plan as the editor saves it.
std::string smallPlanFile() {
    std::string text = "  CH No\r\nID\tCHName\tTYPE\tFREQ\tAUDIO\t\r\n";
    int id = 0;
    for (const auto& c : smallPlan) {
        std::ostringstream line;
        line << ++id << '\t' << c.name << '\t' << c.type << '\t' << c.mhz << "\t5.5\t\r\n";
        text += line.str();
    }
    for (const char* fav : {"1", "4", "0", "0", "0", "0"})
        text += std::string("Favorite CH  ID*\t") + fav + "\r\n";
    return text + "Unit*\tdBuV\r\n*Span\t8\r\n";
}

class SurveyCommand : public ::testing::Test {
  protected:
    Environment environment() const {
        return {{"SONDREL_PORTS", (home_.path() / "ports").string()},
                {"XDG_DATA_HOME", (home_.path() / "data").string()},
                {"XDG_RUNTIME_DIR", home_.str()}};
    }
    Finished sondrel(std::vector<std::string> args) {
        args.insert(args.begin(), {SONDREL_PROGRAM, "--port", std::to_string(SimPort), "survey"});
        return runProgram(args, environment());
    }
    void startMeter(const sim::MeterState& state, const std::vector<std::string>& extra) {
        const std::string stateFile = file("meter.json").string();
        std::ofstream(stateFile) << json(state).dump();
        std::vector<std::string> argv{KORVANE_SIM_PROGRAM, "--com", std::to_string(SimPort),
                                      "--state", stateFile};
        argv.insert(argv.end(), extra.begin(), extra.end());
        meter_ = std::make_unique<RunningProgram>(argv, environment());
        ASSERT_EQ(meter_->readLine().rfind("device ", 0), 0u);
        ASSERT_EQ(meter_->readLine().rfind("port COM", 0), 0u);
    }
    fs::path file(const std::string& name) const { return home_.path() / name; }

    TempDir home_;
    std::unique_ptr<RunningProgram> meter_;
};

// What the meter's model says each channel of the plan reads, in dBuV.
std::vector<double> modelLevels(const sim::MeterState& state) {
    std::vector<double> levels;
    for (const auto& channel : sim::channelsOfActivePlan(state.plans))
        levels.push_back(state.signal.carrierLevel(channel));
    return levels;
}

// A reading against the model, in tenths as the meter sends it.
void expectModelLevel(const json& channel, double modelLevel) {
    ASSERT_TRUE(channel.at("level").is_number()) << channel.dump();
    EXPECT_NEAR(channel.at("level").get<double>(), modelLevel, 0.1) << channel.dump();
}

TEST_F(SurveyCommand, TheMetersPlanWithALostReplyAndThePlanFileGiveTheModelsLevels) {
    const sim::MeterState state = meterWithSmallPlan();
    const std::vector<double> model = modelLevels(state);
    // The level reply of the second channel is lost once.
    startMeter(state, {"--fault", "08:noreply,after=1,times=1"});
    Finished run = sondrel({"--meter", "--json", "--csv", file("levels.csv").string(), "--png",
                            file("levels.png").string()});
    EXPECT_EQ(run.status, 4) << run.err; // not every channel measured
    const json result = json::parse(run.out);
    ASSERT_EQ(result.at("channels").size(), 4u);
    // The meter was in dBmV: the survey set it to the plan's dBuV, and it said so.
    EXPECT_EQ(result.at("unit"), "dBuV");
    EXPECT_EQ(result.at("failed"), 1);
    EXPECT_TRUE(result.at("stopped").is_null());
    const json& channels = result.at("channels");
    EXPECT_EQ(channels[1].at("result"), "failed");
    EXPECT_TRUE(channels[1].at("level").is_null());
    EXPECT_EQ(channels[3].at("name"), "C21");
    EXPECT_EQ(channels[2].at("freq"), 303.3) << "the decimal the plan holds";
    for (std::size_t i : {0u, 2u, 3u})
        expectModelLevel(channels[i], model[i]);
    // Favourites 1 and 4 are of two kinds: no difference between them.
    EXPECT_TRUE(result.at("favouriteDifference").is_null());
    EXPECT_TRUE(result.at("digitalFavouriteDifference").is_null());

    // The CSV holds the same results, and the chart is a PNG picture.
    const std::string csvText = fileText(file("levels.csv"));
    EXPECT_NE(csvText.find(",303.3,"), std::string::npos) << csvText;
    const auto csv = sondrel::client::parseSurveyCsv(csvText);
    ASSERT_TRUE(csv);
    ASSERT_EQ(csv->results.size(), 4u);
    EXPECT_FALSE(csv->results[1].level);
    EXPECT_EQ(*csv->results[2].level, channels[2].at("level").get<double>());
    EXPECT_EQ(fileText(file("levels.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");

    // The same plan from the editor's file, now with every reply: a table as it
    // goes, and the tilt the carriers of the model stand on.
    std::ofstream(file("plan.txt"), std::ios::binary) << smallPlanFile();
    run = sondrel({"--plan", file("plan.txt").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "  Ch  Name  Type      MHz  Level dBuV  C/N dB");
    std::getline(lines, line);
    EXPECT_EQ(line, "   1  E2    TV      48.25" + std::string(12 - 4, ' ') +
                        channels[0].at("level").dump() + "        ");
    std::vector<double> levels{channels[0].at("level").get<double>()};
    for (int i = 1; i < 4; ++i) {
        std::getline(lines, line);
        EXPECT_EQ(line.find("failed"), std::string::npos) << line;
        std::istringstream fields(line);
        std::string number, name, type;
        double mhz = 0, level = 0;
        fields >> number >> name >> type >> mhz >> level;
        levels.push_back(level);
    }
    EXPECT_NEAR(levels[1], model[1], 0.1);
    EXPECT_DOUBLE_EQ(levels[3], channels[3].at("level").get<double>());
    std::getline(lines, line);
    ASSERT_EQ(line.rfind("tilt: ", 0), 0u) << line;
    const double tilt = std::stod(line.substr(6));
    EXPECT_NEAR(tilt, state.signal.tiltPer100MHz, 0.05) << "the slope the simulator was given";

    // Asked for dBmV, the meter reads 60 dB lower and the levels say so.
    run = sondrel({"--plan", file("plan.txt").string(), "--unit", "dBmV", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    const json inDbmv = json::parse(run.out);
    EXPECT_EQ(inDbmv.at("unit"), "dBmV");
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(inDbmv.at("channels")[i].at("level").get<double>(), levels[i] - 60, 0.051) << i;
}

TEST_F(SurveyCommand, AMeterThatDoesNotAnswerStopsTheSurveyAndSaysSo) {
    startMeter(meterWithSmallPlan(), {"--fault", "any:noreply"});
    std::ofstream(file("plan.txt"), std::ios::binary) << smallPlanFile();
    const Finished run = sondrel({"--plan", file("plan.txt").string(), "--json"});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("the meter does not answer"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("did not confirm the level unit"), std::string::npos) << run.err;
    const json result = json::parse(run.out);
    EXPECT_EQ(result.at("stopped"), "the meter does not answer");
    EXPECT_EQ(result.at("channels").size(), 3u) << "the first three, not every channel";
    EXPECT_TRUE(result.at("unit").is_null()) << "no unit the meter did not confirm";
}

TEST_F(SurveyCommand, OutputFilesAreCheckedBeforeTheMeterIsAsked) {
    startMeter(meterWithSmallPlan(), {"--wire-log", file("wire.log").string()});
    const std::string nowhere = file("missing/levels.csv").string();
    Finished run = sondrel({"--json", "--csv", nowhere});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(nowhere), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
    run = sondrel({"--png", home_.str()});
    EXPECT_EQ(run.status, 2) << "a folder is no picture file";
    EXPECT_EQ(fileText(file("wire.log")), "") << "not a frame before the paths were checked";
}

TEST_F(SurveyCommand, AnInterruptedSurveyPrintsAndWritesWhatItMeasured) {
    startMeter(meterWithSmallPlan(), {});
    RunningProgram survey({SONDREL_PROGRAM, "--port", std::to_string(SimPort), "survey", "--csv",
                           file("levels.csv").string()},
                          environment());
    EXPECT_EQ(survey.readLine(std::chrono::seconds(20)).rfind("  Ch  Name", 0), 0u);
    const std::string first = survey.readLine(std::chrono::seconds(20));
    EXPECT_EQ(first.rfind("   1  E2", 0), 0u) << first;
    survey.signal(SIGINT);
    std::vector<std::string> rest;
    for (std::string line; !(line = survey.readLine(std::chrono::seconds(20))).empty();)
        rest.push_back(line);
    EXPECT_EQ(survey.wait(), 4);
    ASSERT_GE(rest.size(), 2u);
    EXPECT_EQ(rest.back(), "survey stopped: interrupted");
    const auto csv = sondrel::client::parseSurveyCsv(fileText(file("levels.csv")));
    ASSERT_TRUE(csv);
    EXPECT_GE(csv->results.size(), 1u);
    EXPECT_LT(csv->results.size(), 4u);
    EXPECT_TRUE(csv->results[0].level);
}

TEST_F(SurveyCommand, TheSimulatorKeepsTheTiltItWasGivenInItsState) {
    startMeter(sim::MeterState{}, {"--tilt", "-2.5"});
    meter_.reset(); // stopping saves the state
    sim::MeterState saved;
    json::parse(fileText(file("meter.json"))).get_to(saved);
    EXPECT_EQ(saved.signal.tiltPer100MHz, -2.5);
    // Without --tilt the kept one stands.
    startMeter(saved, {});
    meter_.reset();
    json::parse(fileText(file("meter.json"))).get_to(saved);
    EXPECT_EQ(saved.signal.tiltPer100MHz, -2.5);
    EXPECT_LT(sim::SignalModel{}.tiltPer100MHz, 0); // a new meter's carriers fall too
}

TEST_F(SurveyCommand, AFileThatIsNotAPlanIsAUsageError) {
    std::ofstream(file("binary.txt"), std::ios::binary) << std::string("\0\1\2", 3);
    const Finished run = sondrel({"--plan", file("binary.txt").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("is not a plan file"), std::string::npos) << run.err;
}

} // namespace
} // namespace korvane::testing
