// The arithmetic behind the C/N estimate and the carrier offset sweep, and the
// number text they report, apart from the line.
#include "common/number_format.h"
#include "common/rounding.h"
#include "measurements_estimates.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace sondrel;

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(56.75), 57);
    EXPECT_EQ(roundHalfEven(58.25), 58);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
    EXPECT_EQ(roundHalfEven(-0.4), 0);
}

TEST(NumberText, TwoDecimalsRoundHalfAwayFromZeroOnTheDecimalDigits) {
    EXPECT_EQ(formatTwoDecimals(0.05), "0.05");
    EXPECT_EQ(formatTwoDecimals(55.2), "55.20");
    EXPECT_EQ(formatTwoDecimals(870), "870.00");
    EXPECT_EQ(formatTwoDecimals(-0.03), "-0.03");
    EXPECT_EQ(formatTwoDecimals(1.005), "1.01") << "1.005 lies just below in binary";
    EXPECT_EQ(formatTwoDecimals(0.125), "0.13");
    EXPECT_EQ(formatTwoDecimals(-0.125), "-0.13");
    EXPECT_EQ(formatTwoDecimals(0.0049999), "0.00");
    EXPECT_EQ(formatTwoDecimals(-0.001), "0.00") << "no negative zero";
    EXPECT_EQ(formatTwoDecimals(1234567.891), "1234567.89");
    // A single-precision difference such as 55.3f - 55.25f.
    EXPECT_EQ(formatTwoDecimals(55.3f - 55.25f), "0.05");
}

TEST(CnProbes, FourBesideTheCarrierThenFixedPointsAcrossTheBand) {
    const auto probes = cnProbeFrequencies(55.25);
    EXPECT_EQ(probes,
              (std::array<std::int16_t, 11>{55, 57, 58, 59, 46, 48, 50, 600, 650, 700, 750}));
    EXPECT_EQ(cnProbeFrequencies(100.5)[0], 100) << "halves to even";
    EXPECT_EQ(cnProbeFrequencies(32763.0)[3], 32766);
    EXPECT_THROW(cnProbeFrequencies(32765.0), std::overflow_error) << "32768.5 at probe 4";
    EXPECT_THROW(cnProbeFrequencies(-40000.0), std::overflow_error);
}

TEST(CnEstimate, TheIsolatedCarrierExampleGives33) {
    // C = 85.0; probe 1 reads 60.0, probes 2 to 4 read 40.3, 41.0 and 39.8.
    EXPECT_TRUE(carrierStandsAlone(85.0, 600));
    EXPECT_EQ(carrierToNoise(85.0, {600, 403, 410, 398}, true), 33);
}

TEST(CnEstimate, ACarrierOnlyTwentyAboveItsNeighbourUsesTheSecondLowestOfTheBand) {
    EXPECT_FALSE(carrierStandsAlone(85.0, 650)) << "exactly 20.0 above is not alone";
    EXPECT_TRUE(carrierStandsAlone(85.0, 649));
    // Lowest 300 (a gap), second lowest 352: noise 35 (35.2 rounded).
    const std::vector<double> band{650, 600, 610, 620, 352, 360, 300, 500, 510, 520, 530};
    EXPECT_EQ(carrierToNoise(85.0, band, false), 38);
    EXPECT_EQ(carrierToNoise(85.0, band, true), 43) << "alone: the lowest counts";
}

TEST(CnEstimate, FiguresAreClampedTo20And50ButZeroAndBelowStay) {
    const auto cnWithNoise = [](double carrier, double noiseTenths) {
        return carrierToNoise(carrier, {900, noiseTenths, noiseTenths + 5, noiseTenths + 9}, true);
    };
    EXPECT_EQ(cnWithNoise(85.0, 660), 20) << "85 - 66 - 12 = 7";
    EXPECT_EQ(cnWithNoise(85.0, 100), 50) << "85 - 10 - 12 = 63";
    EXPECT_EQ(cnWithNoise(85.0, 730), 0) << "85 - 73 - 12 = 0";
    EXPECT_EQ(cnWithNoise(85.0, 770), -4) << "85 - 77 - 12 = -4";
    EXPECT_EQ(cnWithNoise(85.0, 540), 20) << "19 becomes 20";
    EXPECT_EQ(cnWithNoise(85.0, 530), 20) << "20 stays";
    EXPECT_EQ(cnWithNoise(85.0, 230), 50) << "50 stays";
    // Noise 40.5 rounds to 40 (even), C 85.5 - 40 - 12 = 33.5 rounds to 34.
    EXPECT_EQ(carrierToNoise(85.5, {900, 405, 500, 500}, true), 34);
}

TEST(OffsetSweep, ElevenPointsTenKilohertzApartAroundTheNominalFrequency) {
    const auto points = sweepFrequencies(55.25);
    EXPECT_FLOAT_EQ(points.front(), 55.2f);
    EXPECT_FLOAT_EQ(points[5], 55.25f);
    EXPECT_FLOAT_EQ(points.back(), 55.3f);
    EXPECT_FLOAT_EQ(sweepNominal(55.2549), 55.25f);
    EXPECT_FLOAT_EQ(sweepFrequencies(0)[0], -0.05f);
}

TEST(OffsetSweep, ThePeakGivesTheOffsetAndEqualLevelsFavourTheHighestFrequency) {
    const auto points = sweepFrequencies(100.0);
    std::array<SweepReading, SweepPoints> sweep{};
    for (std::size_t i = 0; i < sweep.size(); ++i)
        sweep[i] = {points[i], 70.0};
    EXPECT_EQ(peakOffsetText(sweep, 100.0f), "0.05");
    sweep[2].level = 80.0;
    EXPECT_EQ(peakOffsetText(sweep, 100.0f), "-0.03");
    sweep[5].level = 80.0;
    EXPECT_EQ(peakOffsetText(sweep, 100.0f), "0.00");
    sweep[7].level = 80.1;
    EXPECT_EQ(peakOffsetText(sweep, 100.0f), "0.02");
}
