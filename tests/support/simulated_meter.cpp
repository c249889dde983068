#include "simulated_meter.h"

#include <cstdlib>
#include <ctime>
#include <random>

namespace korvane::testing {

TempDir::TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("korvane-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ConnectionHandle makeConnection() {
    return ConnectionHandle(new sondrel::KorvaneConnection());
}

void SimulatedMeterTest::SetUp() {
    if (const char* old = std::getenv("SONDREL_PORTS")) {
        hadPorts_ = true;
        previousPorts_ = old;
    }
    ::setenv("SONDREL_PORTS", portsFolder_.str().c_str(), 1);
    sim::SimulatorOptions options;
    options.comNumber = SimulatedPort;
    options.portsFolder = portsFolder_.str();
    meter_ = std::make_unique<sim::MeterSimulator>(options);
    meter_->start();
    connection_ = makeConnection();
    connection_->put_PortDevice(SimulatedPort);
}

void SimulatedMeterTest::TearDown() {
    connection_.reset();
    if (meter_) meter_->stop();
    if (hadPorts_)
        ::setenv("SONDREL_PORTS", previousPorts_.c_str(), 1);
    else
        ::unsetenv("SONDREL_PORTS");
}

std::vector<std::string> SimulatedMeterTest::framesToMeterHex() const {
    std::vector<std::string> out;
    for (const auto& f : meter_->wireLog().framesToMeter())
        out.push_back(sim::hexBytes(f));
    return out;
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace korvane::testing
