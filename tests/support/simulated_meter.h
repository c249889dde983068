// Test fixture: a simulated meter on a real pseudo-terminal, registered as a
// COM port in a private ports folder, and a KorvaneConnection pointed at it.
#pragma once

#include "KorvaneConnection.h"
#include "meter_simulator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace korvane::testing {

// A private folder removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

// Owns one reference to a KorvaneConnection created in this process.
struct ConnectionRelease {
    void operator()(sondrel::KorvaneConnection* c) const { c->Release(); }
};
using ConnectionHandle = std::unique_ptr<sondrel::KorvaneConnection, ConnectionRelease>;
ConnectionHandle makeConnection();

// The port number the fixture registers the simulator as.
inline constexpr int SimulatedPort = 7;

class SimulatedMeterTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    sim::MeterSimulator& meter() { return *meter_; }
    sondrel::KorvaneConnection& link() { return *connection_; }
    // Frames the meter received since the last clear, as hex text.
    std::vector<std::string> framesToMeterHex() const;

    TempDir portsFolder_;
    std::unique_ptr<sim::MeterSimulator> meter_;
    ConnectionHandle connection_;

  private:
    std::string previousPorts_;
    bool hadPorts_ = false;
};

// Processor time the whole process has used so far, in seconds.
double processCpuSeconds();

} // namespace korvane::testing
