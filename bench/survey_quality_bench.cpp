// Figures for what checking a survey adds to it, on the 60-channel
// demonstration plan against a meter that answers at line speed (9600 baud):
// the MER and BER of the digital channels (ReadDigi) against their floor, and
// the processor time of checking the survey against a profile and keeping it.
#include "KorvaneConnection.h"
#include "bench_support.h"
#include "digital_quality.h"
#include "level_survey.h"
#include "survey_checks.h"
#include "survey_history.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

using namespace korvane;
using namespace sondrel;

namespace {

constexpr const char* Profile = R"({"analogue": {"minLevel": 60, "maxLevel": 90},
  "digital": {"minLevel": 50, "maxLevel": 90, "minMer": 28, "maxBer": 1e-4},
  "maxAdjacentDifference": 3, "spread": {"maxDifference": 10, "baseMhz": 300,
  "perHundredMhz": 1}, "tilt": {"min": -3, "max": 3}})";

} // namespace

int main() {
    bench::BenchMeter meter(/*pacing=*/true);
    auto* link = new KorvaneConnection();
    link->put_PortDevice(bench::BenchPort);

    const auto plan = bench::readDemoPlan(*link);
    if (!plan) {
        std::printf("ReadChannel of the demonstration plan failed\n");
        return 1;
    }
    const client::Survey survey = client::runSurvey(*link, *plan, {});

    bench::Stopwatch qualityTime;
    const auto quality = client::readDigitalQuality(*link, survey);
    const double seconds = qualityTime.seconds();
    link->Release();
    std::size_t unread = 0;
    for (const auto& q : quality)
        unread += q.failed;
    const double floor = static_cast<double>(quality.size()) * bench::QualityFloor;
    std::printf("MER and BER, %zu digital channels: %6.3f s (floor %.3f s: %.4f s a channel), "
                "%.1f %% above the floor\n",
                quality.size(), seconds, floor, bench::QualityFloor, 100 * (seconds / floor - 1));

    const client::LimitsProfile profile = client::parseLimitsProfile(Profile, "bench");
    const double cpuBefore = bench::cpuSeconds();
    constexpr int Rounds = 1000;
    std::size_t verdicts = 0;
    for (int i = 0; i < Rounds; ++i)
        verdicts += client::checkSurvey(survey, profile, quality).channels.size();
    const double checkCpu = (bench::cpuSeconds() - cpuBefore) / Rounds;
    std::printf("checking against a profile:    %8.1f us of processor time (%zu channel checks)\n",
                checkCpu * 1e6, verdicts / Rounds);

    const auto file = std::filesystem::temp_directory_path() /
                      ("survey-quality-bench-" + std::to_string(getpid()) + ".sqlite");
    client::SurveyHistory history(file);
    client::KeptSurvey kept{0, "bench", client::utcTimeNow(), "", "", "bench", "", survey, quality};
    bench::Stopwatch keepTime;
    history.keep(kept);
    std::printf("keeping the survey:            %8.1f ms\n", keepTime.seconds() * 1e3);
    std::filesystem::remove(file);
    std::printf("unread digital channels:       %zu\n", unread);
    return unread == 0 ? 0 : 1;
}
