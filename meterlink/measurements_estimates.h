// The figures the library works out from level readings, apart from the
// line: where the carrier-to-noise estimate probes and how it turns readings
// into a figure, and which sweep point the carrier offset is taken from.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sondrel {

inline constexpr std::size_t CnProbeCount = 11;
// When the carrier stands alone only the probes beside it are read.
inline constexpr std::size_t CnProbesBesideCarrier = 4;

// Whole MHz, halves to even: the carrier, +1.5, +3 and +3.5 MHz, then fixed
// points across the band where cable plans rarely put a carrier. Throws
// std::overflow_error when one does not fit 16 bits.
std::array<std::int16_t, CnProbeCount> cnProbeFrequencies(double carrierMHz);

// True when the carrier level stands more than 20.0 above the first probe's
// reading (in tenths): the noise is then read right beside it.
bool carrierStandsAlone(double carrierLevel, double firstProbeTenths);

// C/N from the carrier level and the probe readings in tenths: the lowest
// reading (carrier alone) or the second lowest (across the band) is the noise;
// C - noise - 12, halves to even, with figures above 50 reported as 50 and
// figures from 1 to 19 as 20.
std::int16_t carrierToNoise(double carrierLevel, std::vector<double> probeTenths, bool standsAlone);

inline constexpr std::size_t SweepPoints = 11;
struct SweepReading {
    float mhz;
    double level;
};
// The frequencies the offset sweep reads, from `nominal` - 0.05 to + 0.05 MHz,
// and the nominal frequency itself, each through its "###0.00" text.
std::array<float, SweepPoints> sweepFrequencies(double mhz);
float sweepNominal(double mhz);
// The peak's distance from the nominal frequency as "###0.00" text; of equal
// highest levels the last one read (the highest frequency) counts.
std::string peakOffsetText(std::array<SweepReading, SweepPoints> sweep, float nominal);

} // namespace sondrel
