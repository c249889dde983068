#include "measurements_estimates.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "sondrel_types.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

namespace sondrel {
namespace {

constexpr int IsolatedCarrierMarginTenths = 200;
constexpr double HighestCn = 50;
constexpr double LowestPositiveCn = 20;
constexpr double SweepStepMHz = 0.01;
constexpr double SweepHalfWidthMHz = 0.05;

// A frequency rounded to hundredths of a MHz through its "###0.00" text.
float hundredthsOf(double mhz) {
    const std::string text = formatTwoDecimals(mhz);
    float value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

std::array<std::int16_t, CnProbeCount> cnProbeFrequencies(double carrierMHz) {
    const std::array<double, CnProbeCount> mhz = {
        carrierMHz, carrierMHz + 1.5, carrierMHz + 3.0, carrierMHz + 3.5, 46, 48, 50, 600, 650, 700,
        750};
    std::array<std::int16_t, CnProbeCount> probes{};
    for (std::size_t i = 0; i < probes.size(); ++i) {
        const double whole = roundHalfEven(mhz[i]);
        if (!(whole >= std::numeric_limits<std::int16_t>::min() &&
              whole <= std::numeric_limits<std::int16_t>::max()))
            throw std::overflow_error("probe frequency beyond 16 bits");
        probes[i] = static_cast<std::int16_t>(whole);
    }
    return probes;
}

bool carrierStandsAlone(double carrierLevel, double firstProbeTenths) {
    return carrierLevel * 10 - firstProbeTenths > IsolatedCarrierMarginTenths;
}

std::int16_t carrierToNoise(double carrierLevel, std::vector<double> probeTenths,
                            bool standsAlone) {
    std::sort(probeTenths.begin(), probeTenths.end());
    const double noise = roundHalfEven(probeTenths.at(standsAlone ? 0 : 1) / 10);
    double cn = roundHalfEven(carrierLevel - noise - static_cast<int>(KvCnOffsetA));
    if (cn > HighestCn) cn = HighestCn;
    if (cn >= 1 && cn < LowestPositiveCn) cn = LowestPositiveCn;
    return static_cast<std::int16_t>(cn);
}

std::array<float, SweepPoints> sweepFrequencies(double mhz) {
    const float start = hundredthsOf(mhz - SweepHalfWidthMHz);
    std::array<float, SweepPoints> points{};
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = static_cast<float>(start + SweepStepMHz * static_cast<double>(i));
    return points;
}

float sweepNominal(double mhz) {
    return hundredthsOf(mhz);
}

std::string peakOffsetText(std::array<SweepReading, SweepPoints> sweep, float nominal) {
    std::stable_sort(sweep.begin(), sweep.end(), [](const SweepReading& a, const SweepReading& b) {
        return a.level < b.level;
    });
    return formatTwoDecimals(sweep.back().mhz - nominal);
}

} // namespace sondrel
