// sondrel survey checked against limits, kept, compared and reported, as a
// technician runs it: sondrel and korvane-sim as programs, one channel of the
// simulated meter lifted out of its limits.
#include "../cli/child_process.h"
#include "meter_with_plan.h"
#include "simulated_meter.h"
#include "survey_csv.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <fstream>

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int SimPort = 14;

// Four analogue channels and two digital ones; the digital ones are known by
// their places, 5 and 6.
sim::MeterState meterWithSixChannels() {
    return meterWithPlan({{"E2", "TV", 48.25f},
                          {"S5", "TV", 133.25f},
                          {"S21", "TV", 303.25f},
                          {"E30", "TV", 543.25f},
                          {"C21", "DIGI", 474.0f},
                          {"C22", "DIGI", 482.0f}},
                         {1, 4, 0, 0, 0, 0, 8, 1});
}

// Levels 60 to 90 dBuV for both kinds, MER of 20 dB at least: the simulated
// meter's carriers at about 75 to 85 dBuV pass unless lifted.
constexpr const char* OutletProfile = R"({
  "name": "Test outlet", "source": "made for this test", "example": true,
  "analogue": {"minLevel": 60, "maxLevel": 90},
  "digital": {"minLevel": 60, "maxLevel": 90, "minMer": 20, "maxBer": 1e-2},
  "tilt": {"min": -4, "max": 1}
})";

class SurveyLimitsCommand : public ::testing::Test {
  protected:
    Environment environment() const {
        return {{"SONDREL_PORTS", (home_.path() / "ports").string()},
                {"XDG_DATA_HOME", (home_.path() / "data").string()},
                {"XDG_CONFIG_HOME", (home_.path() / "config").string()},
                {"XDG_RUNTIME_DIR", home_.str()},
                {"LANG", "C"}};
    }
    Finished sondrel(std::vector<std::string> args, Environment extra = {}) {
        args.insert(args.begin(), {SONDREL_PROGRAM, "--port", std::to_string(SimPort)});
        Environment env = environment();
        for (auto& [name, value] : extra)
            env[name] = value;
        return runProgram(args, env);
    }
    void startMeter(const std::vector<std::string>& extra) {
        std::vector<std::string> argv{KORVANE_SIM_PROGRAM, "--com", std::to_string(SimPort),
                                      "--state", file("meter.json").string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        meter_.reset();
        meter_ = std::make_unique<RunningProgram>(argv, environment());
        ASSERT_EQ(meter_->readLine().rfind("device ", 0), 0u);
        ASSERT_EQ(meter_->readLine().rfind("port COM", 0), 0u);
    }
    fs::path file(const std::string& name) const { return home_.path() / name; }
    std::string pdfText(const fs::path& pdf) const {
        const Finished run = runProgram({"/usr/bin/pdftotext", pdf.string(), "-"});
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    TempDir home_;
    std::unique_ptr<RunningProgram> meter_;
};

TEST_F(SurveyLimitsCommand, AChannelLiftedOutOfLimitsFailsAndTheNextVisitIsComparedWithIt) {
    std::ofstream(file("meter.json")) << json(meterWithSixChannels()).dump();
    std::ofstream(file("outlet.json")) << OutletProfile;
    // Channel 2 (133.25 MHz) 15 dB too high: about 98 dBuV.
    startMeter({"--offset", "133.25=15"});
    Finished run =
        sondrel({"survey", "--json", "--mer", "--limits", file("outlet.json").string(), "--site",
                 "Block 7", "--keep", "--operator", "Lin", "--pdf", file("first.pdf").string()});
    EXPECT_EQ(run.status, 10) << run.err; // a check failed
    json line = json::parse(run.out);
    EXPECT_EQ(line.at("verdict"), "fail");
    EXPECT_EQ(line.at("kept"), 1);
    int failures = 0;
    for (const json& check : line.at("checks").at("channels")) {
        if (check.at("verdict") != "pass") {
            ++failures;
            EXPECT_EQ(check.at("channel"), 2) << check;
            EXPECT_EQ(check.at("check"), "level");
            EXPECT_GT(check.at("value").get<double>(), 90.0);
            EXPECT_EQ(check.at("max"), 90.0);
        }
    }
    EXPECT_EQ(failures, 1);
    // Both digital channels were read for MER and BER and checked.
    ASSERT_EQ(line.at("quality").size(), 2u);
    EXPECT_GT(line.at("quality")[0].at("mer").get<double>(), 20.0);
    const std::string first = pdfText(file("first.pdf"));
    EXPECT_NE(first.find("FAIL: 1 of "), std::string::npos) << first;
    EXPECT_NE(first.find("Block 7"), std::string::npos);
    EXPECT_NE(first.find("Lin"), std::string::npos);
    EXPECT_NE(first.find("Test outlet"), std::string::npos);
    // The page renders as a picture.
    EXPECT_EQ(runProgram({"/usr/bin/pdftoppm", "-png", "-r", "30", "-f", "1", "-l", "1",
                          file("first.pdf").string(), file("page").string()})
                  .status,
              0);
    EXPECT_EQ(fileText(file("page-1.png")).substr(0, 4), "\x89PNG");

    // The next visit: the channel is back and the cable tilts more.
    startMeter({"--offset", "133.25=0", "--tilt", "-1.5"});
    run = sondrel({"survey", "--mer", "--limits", file("outlet.json").string(), "--site", "Block 7",
                   "--keep", "--compare", "last", "--pdf", file("second.pdf").string()},
                  {{"LANG", "zh_CN.UTF-8"}});
    EXPECT_EQ(run.status, 0) << run.out << run.err; // every check passed
    EXPECT_NE(run.out.find("verdict: pass"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("compared with survey 1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("kept as survey 2"), std::string::npos) << run.out;
    const std::string second = pdfText(file("second.pdf"));
    EXPECT_NE(second.find("合格：全部检查通过"), std::string::npos) << second;
    EXPECT_NE(second.find("与"), std::string::npos); // the comparison, in Chinese

    // The history: two surveys of the site; channel 2 came down 15 dB, the
    // highest channel fell with the tilt, the lowest stayed.
    run = sondrel({"surveys", "--json", "list", "--site", "Block 7"});
    ASSERT_EQ(run.status, 0) << run.err;
    line = json::parse(run.out);
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0].at("verdict"), "fail");
    EXPECT_EQ(line[1].at("verdict"), "pass");
    EXPECT_EQ(line[0].at("meter"), line[1].at("meter"));
    run = sondrel({"surveys", "--json", "compare", "1", "2"});
    EXPECT_EQ(run.status, 10) << run.err; // channels changed beyond 2 dB
    line = json::parse(run.out);
    std::map<int, json> changes;
    for (const json& c : line.at("channels"))
        changes[c.at("channel").get<int>()] = c;
    EXPECT_FALSE(changes.at(1).at("flagged"));
    EXPECT_TRUE(changes.at(2).at("flagged"));
    EXPECT_LT(changes.at(2).at("change").get<double>(), -12.0);
    EXPECT_TRUE(changes.at(4).at("flagged"));

    run = sondrel({"surveys", "export", "1", "--csv", file("first.csv").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto csv = sondrel::client::parseSurveyCsv(fileText(file("first.csv")));
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->results.size(), 6u);
    EXPECT_EQ(sondrel({"surveys", "show", "9"}).status, 2); // no such survey
}

// The report follows the locale's language, LC_ALL before LC_MESSAGES before
// LANG, any Chinese territory included; drawing it says nothing on standard
// error, even for a user without a runtime folder of their own.
TEST_F(SurveyLimitsCommand, TheReportIsInTheLocalesLanguageAndWrittenWithoutNoise) {
    std::ofstream(file("meter.json")) << json(meterWithSixChannels()).dump();
    std::ofstream(file("outlet.json")) << OutletProfile;
    startMeter({});
    const struct {
        Environment locale;
        bool chinese;
    } cases[] = {
        {{{"LANG", "C"}}, false},
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_HK.UTF-8"}}, true},
        {{{"LANG", "zh_CN.UTF-8"}, {"LC_ALL", "C"}}, false},
        {{{"LANG", "C"}, {"LC_ALL", "zh_SG.UTF-8"}}, true},
    };
    for (const auto& [locale, chinese] : cases) {
        Environment env = locale;
        env["XDG_RUNTIME_DIR"] = ""; // Qt warns when it has no runtime folder
        const Finished run =
            sondrel({"survey", "--limits", file("outlet.json").string(), "--pdf",
                     file("report.pdf").string(), "--png", file("chart.png").string()},
                    env);
        const std::string where = locale.begin()->second + " " + locale.rbegin()->second;
        EXPECT_EQ(run.status, 4) << where << run.err; // MER was not asked for
        EXPECT_EQ(run.err, "") << where;
        const std::string text = pdfText(file("report.pdf"));
        EXPECT_EQ(text.find("电平测量报告") != std::string::npos, chinese) << where << text;
        EXPECT_EQ(text.find("Level survey report") != std::string::npos, !chinese) << where;
    }
}

TEST_F(SurveyLimitsCommand, ChecksThatCannotBeMadeAreNotAPassAndBadProfilesStopBeforeMeasuring) {
    std::ofstream(file("meter.json")) << json(meterWithSixChannels()).dump();
    // The shipped US profile wants C/N, which was not asked for.
    startMeter({});
    Finished run =
        sondrel({"survey", "--limits", "fcc-76-605"}, {{"SONDREL_LIMITS_DIR", SHIPPED_PROFILES}});
    EXPECT_EQ(run.status, 4) << run.out << run.err;
    EXPECT_NE(run.out.find("C/N not measured on 4 channels"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("verdict: not measured"), std::string::npos) << run.out;

    std::ofstream(file("broken.json")) << R"({"analogue": {"minLevel": "sixty"}})";
    run = sondrel({"survey", "--limits", file("broken.json").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("analogue.minLevel is not a number"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("E2"), std::string::npos);   // nothing was measured
    EXPECT_EQ(sondrel({"survey", "--keep"}).status, 2); // --keep needs --site
}

} // namespace
} // namespace korvane::testing
