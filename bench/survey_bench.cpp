// Figures for a level survey of the 60-channel demonstration plan against a
// meter that answers at line speed (9600 baud): its time against its floor,
// the exchanges the members must make with their pauses, the level unit
// setting included; then the survey with the MER and BER of its digital
// channels, as `sondrel survey --mer` makes it, against its floor.
#include "KorvaneConnection.h"
#include "bench_support.h"
#include "digital_quality.h"
#include "level_survey.h"

#include <algorithm>
#include <cstdio>

using namespace korvane;
using namespace sondrel;

namespace {

using bench::QualityFloor;
using bench::SecondsPerByte;
constexpr double ExchangePause = 0.4; // before every Exchange

// An analogue reading: tune (9-byte frame, 9-byte reply) and read the level
// (6-byte frame, 12-byte reply), each an Exchange with its pause.
constexpr double analogueFloor = 2 * ExchangePause + (9 + 9 + 6 + 12) * SecondsPerByte;
// A digital reading: the power command (7 bytes) and its 10-byte reply, sent
// without a pause.
constexpr double digitalFloor = (7 + 10) * SecondsPerByte;
// Setting the level unit first: a 7-byte frame and its 7-byte echo, an Exchange.
constexpr double unitFloor = ExchangePause + (7 + 7) * SecondsPerByte;

} // namespace

int main() {
    bench::BenchMeter meter(/*pacing=*/true);
    auto* link = new KorvaneConnection();
    link->put_PortDevice(bench::BenchPort);

    bench::Stopwatch read;
    const auto demoPlan = bench::readDemoPlan(*link);
    const double readSeconds = read.seconds();
    if (!demoPlan) {
        std::printf("ReadChannel of the demonstration plan failed\n");
        return 1;
    }
    const client::SurveyPlan& plan = *demoPlan;
    std::size_t analogue = 0, digital = 0;
    for (const auto& channel : plan.channels)
        ++(client::isDigital(channel) ? digital : analogue);

    const double cpuBefore = bench::cpuSeconds();
    bench::Stopwatch surveyTime;
    const client::Survey survey = client::runSurvey(*link, plan, {});
    const double seconds = surveyTime.seconds();
    const double cpu = bench::cpuSeconds() - cpuBefore;
    bench::Stopwatch qualityTime;
    const auto quality = client::readDigitalQuality(*link, survey);
    const double qualitySeconds = qualityTime.seconds();
    link->Release();
    const std::size_t unread = static_cast<std::size_t>(std::count_if(
        quality.begin(), quality.end(), [](const auto& q) { return q.failed || !q.mer; }));

    std::size_t failedChannels = 0;
    for (const auto& r : survey.results)
        failedChannels += !r.level;
    const double floor = unitFloor + static_cast<double>(analogue) * analogueFloor +
                         static_cast<double>(digital) * digitalFloor;
    const auto fit = client::fitTilt(survey.results);
    std::printf("plan read with ReadChannel:    %6.2f s\n", readSeconds);
    std::printf("survey, %zu analogue + %zu digital channels: %6.2f s (floor %.2f s: %.4f s an "
                "analogue, %.4f s a digital channel), %.1f %% above the floor\n",
                analogue, digital, seconds, floor, analogueFloor, digitalFloor,
                100 * (seconds / floor - 1));
    std::printf("per channel:                   %6.3f s\n",
                seconds / static_cast<double>(survey.results.size()));
    std::printf("processor use:                 %6.2f %% of one core\n", 100 * cpu / seconds);
    std::printf("failed channels:               %zu; tilt %.2f dB per 100 MHz; unit %s\n",
                failedChannels, fit ? fit->dbPer100MHz : 0.0,
                survey.unit.empty() ? "not confirmed" : survey.unit.c_str());
    const double merFloor = static_cast<double>(digital) * QualityFloor;
    std::printf("with MER and BER (--mer):      %6.2f s (floor %.2f s: %.4f s more a digital "
                "channel), %.1f %% above the floor; %zu digital channels not read\n",
                seconds + qualitySeconds, floor + merFloor, QualityFloor,
                100 * ((seconds + qualitySeconds) / (floor + merFloor) - 1), unread);
    return failedChannels == 0 && !survey.unit.empty() && quality.size() == digital && unread == 0
               ? 0
               : 1;
}
