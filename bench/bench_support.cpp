#include "bench_support.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace korvane::bench {

BenchMeter::BenchMeter(bool pacing) {
    char pattern[] = "/tmp/korvane-bench-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    ::setenv("SONDREL_PORTS", folder_.c_str(), 1);
    sim::SimulatorOptions options;
    options.comNumber = BenchPort;
    options.portsFolder = folder_;
    options.pacing = pacing;
    meter_ = std::make_unique<sim::MeterSimulator>(options);
    meter_->start();
}

BenchMeter::~BenchMeter() {
    meter_->stop();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::optional<sondrel::client::SurveyPlan> readDemoPlan(sondrel::_KorvaneConnection& link) {
    sondrel::SafeArray<sondrel::Channellist> channels;
    sondrel::ChannelHead head;
    sondrel::Variant result;
    link.ReadChannel(sondrel::UserPlanA, &channels, &head, &result);
    if (result.toNumber() != 1.0 || channels.size() != 60) return std::nullopt;
    return sondrel::client::surveyPlanOf(channels, head);
}

} // namespace korvane::bench
