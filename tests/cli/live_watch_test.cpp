// Live readings' figures on hand-computed series and paces, and `sondrel level
// --watch` as a shell user runs it against korvane-sim: a line a reading, the
// figures at the end (also after Ctrl-C), failed readings as failed.
#include "child_process.h"
#include "live_pace.h"
#include "live_readings.h"
#include "meter_state.h"
#include "simulated_meter.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>

namespace korvane::testing {
namespace {

using nlohmann::json;
using sondrel::client::LiveQuantity;
using sondrel::client::LiveSeries;

TEST(LiveFigures, LowestHighestCurrentAndPaceOfASeriesWithAFailedReading) {
    LiveSeries series(300);
    EXPECT_FALSE(series.lowest() || series.highest() || series.current());
    EXPECT_EQ(series.readingsPerSecond(), 0.0);
    series.add(10.0, 80.0);
    EXPECT_EQ(series.readingsPerSecond(), 0.0) << "one reading has no pace";
    series.add(10.8, 82.5);
    series.add(11.6, std::nullopt);
    series.add(12.4, 79.5);
    series.add(14.0, 81.0);
    EXPECT_EQ(series.lowest(), 79.5);
    EXPECT_EQ(series.highest(), 82.5);
    EXPECT_EQ(series.current(), 81.0);
    EXPECT_EQ(series.failedCount(), 1u);
    EXPECT_DOUBLE_EQ(series.readingsPerSecond(), 4 / 4.0); // 5 readings over 4 s

    series.add(14.8, std::nullopt);
    EXPECT_FALSE(series.current()) << "a failed latest reading is no value, not the one before";
    EXPECT_EQ(series.lowest(), 79.5) << "the figures of the readings kept stay";
}

TEST(LiveFigures, ReadingsOlderThanTheSpanLeaveTheFigures) {
    LiveSeries series(10);
    series.add(0, 99.0); // an extreme that goes out of the window
    for (int s = 1; s <= 20; ++s)
        series.add(s, 50.0 + s % 3);
    EXPECT_EQ(series.readings().front().seconds, 10.0);
    EXPECT_EQ(series.readings().size(), 11u);
    EXPECT_EQ(series.highest(), 52.0);
    EXPECT_EQ(series.lowest(), 50.0);
    EXPECT_DOUBLE_EQ(series.readingsPerSecond(), 1.0);
    series.clear();
    EXPECT_FALSE(series.current());
}

TEST(LivePace, TheBoundComesFromTheLibrarysPausesAndTheFramesOnTheLine) {
    // A level: SetupFreq (9 + 9 bytes) and the level command (6 + 12), each
    // after the library's 0.4 s pause; ReadDigi (7 + 14) without one. 10 bits a byte.
    EXPECT_DOUBLE_EQ(sondrel::client::leastSecondsPerReading(LiveQuantity::Level, 9600),
                     0.8 + 36 * 10 / 9600.0);
    EXPECT_DOUBLE_EQ(sondrel::client::leastSecondsPerReading(LiveQuantity::Digital, 9600),
                     21 * 10 / 9600.0);
    EXPECT_DOUBLE_EQ(sondrel::client::mostReadingsPerSecond(LiveQuantity::Level, 19200),
                     1 / (0.8 + 36 * 10 / 19200.0));
}

constexpr int SimPort = 12;

class LevelWatch : public ::testing::Test {
  protected:
    Environment environment() const {
        return {{"SONDREL_PORTS", (home_.path() / "ports").string()}};
    }
    // The demonstration meter with exact levels, as korvane-sim with these options.
    void startMeter(const std::vector<std::string>& options = {}) {
        state_.signal.noiseRipple = state_.signal.levelSpread = state_.signal.tiltPer100MHz = 0;
        state_.signal.maxOffsetKHz = 0;
        const std::string stateFile = (home_.path() / "meter.json").string();
        std::ofstream(stateFile) << json(state_).dump();
        std::vector<std::string> argv{KORVANE_SIM_PROGRAM, "--com", std::to_string(SimPort),
                                      "--state", stateFile};
        argv.insert(argv.end(), options.begin(), options.end());
        meter_ = std::make_unique<RunningProgram>(argv, environment());
        ASSERT_EQ(meter_->readLine().rfind("device ", 0), 0u);
        ASSERT_EQ(meter_->readLine().rfind("port COM", 0), 0u);
    }
    std::vector<std::string> sondrel(std::vector<std::string> args) const {
        args.insert(args.begin(), {SONDREL_PROGRAM, "--port", std::to_string(SimPort)});
        return args;
    }
    double modelLevel(double mhz) const {
        return std::round(state_.signal.levelAt(mhz, sim::channelsOfActivePlan(state_.plans)) *
                          10) /
               10;
    }

    sim::MeterState state_;
    TempDir home_;
    std::unique_ptr<RunningProgram> meter_;
};

TEST_F(LevelWatch, ReadsUntilItsSecondsAndEndsWithTheFigures) {
    startMeter();
    const Finished run = runProgram(
        sondrel({"level", "55.25", "--watch", "--seconds", "2", "--json"}), environment());
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<json> lines;
    std::istringstream out(run.out);
    for (std::string line; std::getline(out, line);)
        lines.push_back(json::parse(line));
    ASSERT_GE(lines.size(), 3u) << run.out;
    const json summary = lines.back();
    lines.pop_back();
    for (const json& reading : lines)
        EXPECT_EQ(reading.at("level"), modelLevel(55.25)) << reading.dump();
    EXPECT_EQ(summary.at("readings"), lines.size());
    EXPECT_EQ(summary.at("failed"), 0);
    EXPECT_EQ(summary.at("lowest"), modelLevel(55.25));
    EXPECT_EQ(summary.at("highest"), modelLevel(55.25));
    EXPECT_EQ(summary.at("current"), modelLevel(55.25));
    EXPECT_DOUBLE_EQ(summary.at("mostPerSecond").get<double>(),
                     sondrel::client::mostReadingsPerSecond(LiveQuantity::Level));
    EXPECT_GT(summary.at("perSecond").get<double>(), 0.0);

    const Finished once = runProgram(sondrel({"level", "55.25"}), environment());
    char expected[64];
    std::snprintf(expected, sizeof expected, "level at 55.25 MHz: %.1f\n", modelLevel(55.25));
    EXPECT_EQ(once.out, expected) << "without --watch, as before";
    EXPECT_EQ(runProgram(sondrel({"level", "55.25", "--seconds", "2"}), environment()).status, 2);
}

TEST_F(LevelWatch, CtrlCEndsTheReadingsWithTheSummary) {
    startMeter({"--wander", "1"});
    RunningProgram watch(sondrel({"level", "55.25", "--watch"}), environment());
    const std::string first = watch.readLine();
    EXPECT_NE(first.find(" s  level at 55.25 MHz: "), std::string::npos) << first;
    watch.signal(SIGINT);
    std::string summary;
    for (std::string line; !(line = watch.readLine()).empty();)
        summary = line;
    EXPECT_NE(summary.find("readings (0 failed)"), std::string::npos) << summary;
    EXPECT_NE(summary.find("lowest "), std::string::npos) << summary;
    EXPECT_EQ(watch.wait(), 0);
}

TEST_F(LevelWatch, ASilentMeterGivesFailedReadingsAndTheReasonsStatus) {
    startMeter({"--fault", "08:noreply"});
    const Finished run =
        runProgram(sondrel({"level", "55.25", "--watch", "--seconds", "3"}), environment());
    EXPECT_EQ(run.status, 4) << run.out << run.err; // no answer
    EXPECT_NE(run.out.find(" s  failed: "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("level at"), std::string::npos) << "no value where none was read";
    EXPECT_NE(run.out.find("current none"), std::string::npos) << run.out;
}

} // namespace
} // namespace korvane::testing
