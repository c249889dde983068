// A line that hangs up (cable pulled, adapter unplugged, meter's end gone):
// waiting on it costs no processor time, the port is closed, and once the
// device is back under the same number the next exchange just works.
#include "frame_exchange.h"
#include "simulated_meter.h"

#include <chrono>
#include <memory>
#include <vector>

using namespace korvane::testing;
using korvane::sim::parseFaultRule;
using sondrel::Variant;

namespace {

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

class LineLossTest : public SimulatedMeterTest {
  protected:
    // The meter's end goes away and comes back on a new pseudo-terminal
    // registered under the same port number, as a replugged adapter does.
    void replugMeter() {
        meter_.reset();
        korvane::sim::SimulatorOptions options;
        options.comNumber = SimulatedPort;
        options.portsFolder = portsFolder_.str();
        meter_ = std::make_unique<korvane::sim::MeterSimulator>(options);
        meter_->start();
    }

    std::int16_t closeConnection() {
        Variant result;
        link().CloseDeviceConnection(&result);
        return result.asI2();
    }
};

TEST_F(LineLossTest, AHungUpLineFailsTheExchangeWithoutBurningAProcessor) {
    meter().faults().add(parseFaultRule("09:close"));
    const double cpuBefore = processCpuSeconds();
    const auto start = Clock::now();
    EXPECT_EQ(closeConnection(), 0);
    const double cpu = processCpuSeconds() - cpuBefore;
    EXPECT_LT(cpu / secondsSince(start), 0.05) << cpu << " s of processor";
    EXPECT_LT(secondsSince(start), 2.5);
}

TEST_F(LineLossTest, ARepluggedMeterAnswersTheNextCallWithoutANewPortPut) {
    EXPECT_EQ(closeConnection(), 1);
    replugMeter();
    EXPECT_EQ(closeConnection(), 1) << "the port number is opened afresh";
    EXPECT_EQ(framesToMeterHex(), std::vector<std::string>{"55 AA 01 06 09 F1"});
}

TEST_F(LineLossTest, AHangUpDuringAnExchangeClosesThePortUntilTheMeterIsBack) {
    meter().faults().add(parseFaultRule("09:close"));
    EXPECT_EQ(closeConnection(), 0);
    replugMeter();
    EXPECT_EQ(closeConnection(), 1);
    Variant result;
    link().OpenDeviceConnection(&result);
    EXPECT_EQ(result.asI2(), 1);
    EXPECT_EQ(meter().wireLog().framesToMeter().size(), 2u);
}

TEST_F(LineLossTest, AHungUpPortNeverReachesAnotherMeterThatCameUpMeanwhile) {
    meter().faults().add(parseFaultRule("09:close"));
    EXPECT_EQ(closeConnection(), 0);
    // Other meters come up on other numbers while this one is gone; a new
    // pseudo-terminal takes the lowest free device number.
    std::vector<std::unique_ptr<korvane::sim::MeterSimulator>> others;
    for (int port = SimulatedPort + 1; port <= SimulatedPort + 4; ++port) {
        korvane::sim::SimulatorOptions options;
        options.comNumber = port;
        options.portsFolder = portsFolder_.str();
        others.push_back(std::make_unique<korvane::sim::MeterSimulator>(options));
        others.back()->start();
        EXPECT_NE(others.back()->devicePath(), meter().devicePath())
            << "COM" << port << " got the line of the hung-up meter";
    }
    EXPECT_EQ(closeConnection(), 0) << "the hung-up port number leads to no other meter";
    for (const auto& other : others)
        EXPECT_TRUE(other->wireLog().framesToMeter().empty()) << other->devicePath();
}

TEST_F(LineLossTest, WhileNoMeterIsThereEveryCallFailsAtOnce) {
    EXPECT_EQ(closeConnection(), 1);
    meter_.reset(); // takes its port entry along
    auto start = Clock::now();
    EXPECT_EQ(closeConnection(), 0);
    EXPECT_LT(secondsSince(start), 1.0) << "a vanished device is not waited on";
    start = Clock::now();
    EXPECT_EQ(closeConnection(), 0);
    EXPECT_LT(secondsSince(start), 1.0);
}
