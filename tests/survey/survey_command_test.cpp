// sondrel survey as a shell user runs it: sondrel as a program against
// korvane-sim as a program, the meter's plan and tilt in its state file.
#include "../cli/child_process.h"
#include "meter_with_plan.h"
#include "simulated_meter.h"
#include "survey_csv.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int SimPort = 13;

// Three analogue channels and a digital one, favourites 1 and 4.
constexpr PlanChannel smallPlan[] = {
    {"E2", "TV", 48.25f}, {"S5", "TV", 133.25f}, {"S21", "TV", 303.25f}, {"C21", "DIGI", 474.0f}};

sim::MeterState meterWithSmallPlan() {
    return meterWithPlan({smallPlan[0], smallPlan[1], smallPlan[2], smallPlan[3]},
                         {1, 4, 0, 0, 0, 0, 8, 1});
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

TEST_F(SurveyCommand, TheMetersPlanWithALostReplyAndThePlanFileGiveTheSameNumbers) {
    // The level reply of the second channel is lost once.
    startMeter(meterWithSmallPlan(), {"--fault", "08:noreply,after=1,times=1"});
    Finished run = sondrel({"--meter", "--json", "--csv", file("levels.csv").string(), "--png",
                            file("levels.png").string()});
    EXPECT_EQ(run.status, 4) << run.err; // not every channel measured
    const json result = json::parse(run.out);
    ASSERT_EQ(result.at("channels").size(), 4u);
    EXPECT_EQ(result.at("unit"), "dBuV");
    EXPECT_EQ(result.at("failed"), 1);
    const json& channels = result.at("channels");
    EXPECT_EQ(channels[1].at("result"), "failed");
    EXPECT_TRUE(channels[1].at("level").is_null());
    EXPECT_EQ(channels[3].at("name"), "C21");
    for (int i : {0, 2, 3})
        EXPECT_GT(channels[i].at("level").get<double>(), 60.0) << i;
    EXPECT_TRUE(result.at("tilt").is_number());

    // The CSV holds the same results, and the chart is a PNG picture.
    const auto csv = sondrel::client::parseSurveyCsv(fileText(file("levels.csv")));
    ASSERT_TRUE(csv);
    ASSERT_EQ(csv->results.size(), 4u);
    EXPECT_FALSE(csv->results[1].level);
    EXPECT_EQ(*csv->results[2].level, channels[2].at("level").get<double>());
    EXPECT_EQ(fileText(file("levels.png")).substr(0, 8), "\x89PNG\r\n\x1a\n");

    // The same plan from the editor's file, now with every reply: a table as it goes.
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
    std::getline(lines, line);
    EXPECT_NE(line.find(" 133.25 "), std::string::npos) << line;
    EXPECT_EQ(line.find("failed"), std::string::npos) << line;
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_NE(line.find(channels[3].at("level").dump()), std::string::npos) << line;
    std::getline(lines, line);
    EXPECT_EQ(line.rfind("tilt: -", 0), 0u) << line;
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
