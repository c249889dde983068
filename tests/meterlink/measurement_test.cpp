// Tuning, level readings, the C/N estimate, the carrier offset sweep, digital
// channel readings and the active plan letter, against the simulated meter
// over a pseudo-terminal: frames on the wire, decodings, and the figures the
// meter's signal model gives.
#include "common/member_errors.h"
#include "last_failure.h"
#include "reply_check.h"
#include "signal_model.h"
#include "simulated_meter.h"

#include <cmath>
#include <deque>
#include <memory>

using namespace korvane::testing;
using korvane::sim::MeterState;
using korvane::sim::ReceivedFrame;
using sondrel::Bytes;
using sondrel::Variant;

namespace {

constexpr std::uint8_t CmdTune = 0x02;
constexpr std::uint8_t CmdReadLevel = 0x08;

// kHz of every tuning frame the meter received, in order.
std::vector<std::uint32_t> tunedKilohertz(const std::vector<Bytes>& frames) {
    std::vector<std::uint32_t> khz;
    for (const Bytes& f : frames)
        if (f.at(4) == CmdTune)
            khz.push_back(std::uint32_t{f.at(5)} << 16 | f.at(6) << 8 | f.at(7));
    return khz;
}

// A spectrum without ripple, spread, tilt or offsets: levels stand exactly
// where the model's parameters put them.
void flattenSpectrumOf(korvane::sim::SignalModel& model) {
    model.noiseRipple = 0;
    model.levelSpread = 0;
    model.tiltPer100MHz = 0;
    model.maxOffsetKHz = 0;
}
void flattenSpectrum(MeterState& s) {
    flattenSpectrumOf(s.signal);
}

std::int16_t resultOf(const Variant& v) {
    return v.asI2();
}

} // namespace

class MeasurementTest : public SimulatedMeterTest {
  protected:
    // Level reads are answered with these levels (tenths) in turn, then not at all.
    void scriptLevels(std::vector<std::uint16_t> tenths) {
        auto queue = std::make_shared<std::deque<std::uint16_t>>(tenths.begin(), tenths.end());
        meter().setHandler(CmdReadLevel, [queue](const ReceivedFrame& f) -> std::optional<Bytes> {
            if (queue->empty()) return std::nullopt;
            const std::uint16_t t = queue->front();
            queue->pop_front();
            const std::uint8_t data[] = {static_cast<std::uint8_t>(t >> 8),
                                         static_cast<std::uint8_t>(t & 0xFF)};
            return korvane::sim::makeReply(f.command(), 12, data);
        });
    }
    // Digital reads (0x51 or 0x57) are answered with these data bytes from position 5.
    void scriptDigital(std::uint8_t command, std::size_t length, Bytes data) {
        meter().setHandler(command, [=](const ReceivedFrame&) -> std::optional<Bytes> {
            return korvane::sim::makeReply(command, length, data);
        });
    }
    std::vector<Bytes> frames() { return meter().wireLog().framesToMeter(); }
};

TEST_F(MeasurementTest, SetupFreqSendsKilohertzAndReportsWhatTheMeterSet) {
    Variant freqrev;
    std::int16_t result = -1;
    link().SetupFreq(100.0f, &freqrev, &result);
    EXPECT_EQ(result, 1);
    EXPECT_DOUBLE_EQ(freqrev.asR8(), 100.0);
    link().SetupFreq(55.25f, nullptr, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(framesToMeterHex(), (std::vector<std::string>{"55 AA 01 09 02 01 86 A0 CE",
                                                            "55 AA 01 09 02 00 D7 D2 4C"}));
    // Beyond its range the meter tunes to its highest frequency and says so.
    link().SetupFreq(900.0f, &freqrev, &result);
    EXPECT_DOUBLE_EQ(freqrev.asR8(), 870.0);
    // A negative frequency has no byte that fits: 0 kHz goes out.
    link().SetupFreq(-1.0f, &freqrev, &result);
    EXPECT_EQ(tunedKilohertz(frames()).back(), 0u);
    EXPECT_DOUBLE_EQ(freqrev.asR8(), 5.0);
}

TEST_F(MeasurementTest, SetupFreqWritesTheReportedFrequencyEvenFromABadChecksum) {
    meter().faults().add(korvane::sim::parseFaultRule("02:badsum"));
    Variant freqrev = Variant::r8(-1);
    std::int16_t result = -1;
    link().SetupFreq(100.0f, &freqrev, &result);
    EXPECT_EQ(result, 0);
    EXPECT_DOUBLE_EQ(freqrev.asR8(), 100.0);
}

TEST_F(MeasurementTest, LevelByFrequencyTunesThenReadsTenths) {
    scriptLevels({0x029A, 0x029A});
    Variant level;
    Variant result;
    link().GetLevelByFrequence(Variant::r8(55.25), &level, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_DOUBLE_EQ(level.asR8(), 66.6);
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 09 02 00 D7 D2 4C", "55 AA 01 06 08 F2"}));

    // askwendb reads where the meter is tuned, without tuning, undivided.
    std::int16_t raw = 0;
    std::int16_t done = 0;
    link().askwendb(&raw, &done);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(raw, 666);
    EXPECT_EQ(framesToMeterHex().back(), "55 AA 01 06 08 F2");
    EXPECT_EQ(framesToMeterHex().size(), 3u);
}

TEST_F(MeasurementTest, LevelsFailWithoutWritingWhenNoReadingComes) {
    scriptLevels({0x8000});
    std::int16_t raw = 7;
    std::int16_t done = 0;
    link().askwendb(&raw, &done);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(raw, 7) << "a reading above 32767 leaves WenDB as it was";

    // The scripted meter has no more readings: the level read gets no answer.
    Variant level = Variant::r8(-1);
    Variant result;
    link().GetLevelByFrequence(Variant::r8(100), &level, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_DOUBLE_EQ(level.asR8(), -1);

    meter().wireLog().clear();
    link().GetLevelByFrequence(Variant::bstr("not a frequency"), &level, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_TRUE(framesToMeterHex().empty());
}

TEST_F(MeasurementTest, ALevelWithABadChecksumIsWrittenButReportedAsFailed) {
    meter().faults().add(korvane::sim::parseFaultRule("08:badsum"));
    meter().withState([](MeterState& s) { flattenSpectrum(s); });
    Variant level;
    Variant result;
    link().GetLevelByFrequence(Variant::r8(20.0), &level, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_DOUBLE_EQ(level.asR8(), 30.0) << "the noise floor";
}

TEST_F(MeasurementTest, CnOfTheIsolatedCarrierExampleReadsFourProbesAndGives33) {
    // C = 85.0 (read twice), probe 55 MHz 60.0, then 40.3, 41.0 and 39.8.
    scriptLevels({850, 850, 600, 403, 410, 398});
    Variant cn;
    Variant result;
    ASSERT_EQ(link().GetCN(Variant::r8(55.25), &cn, &result), sondrel::S_Ok);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_EQ(cn.asI2(), 33);
    EXPECT_EQ(tunedKilohertz(frames()),
              (std::vector<std::uint32_t>{55250, 55250, 55000, 57000, 58000, 59000}));
}

TEST_F(MeasurementTest, CnAcrossTheBandReadsAllElevenProbesAndUsesTheSecondLowest) {
    // 90.0 stands only 15.0 above probe 1, so the fixed probes are read too.
    scriptLevels({900, 900, 750, 700, 700, 700, 352, 300, 700, 700, 700, 700, 700});
    Variant cn;
    Variant result;
    link().GetCN(Variant::i2(600), &cn, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_EQ(cn.asI2(), 43) << "90 - 35 - 12";
    EXPECT_EQ(tunedKilohertz(frames()),
              (std::vector<std::uint32_t>{600000, 600000, 600000, 602000, 603000, 604000, 46000,
                                          48000, 50000, 600000, 650000, 700000, 750000}));
}

TEST_F(MeasurementTest, CnOfAWeakCarrierStopsAfterTwoReadingsAndALostReadingFails) {
    scriptLevels({799, 799, 850, 850});
    Variant cn = Variant::i2(-99);
    Variant result;
    link().GetCN(Variant::r8(55.25), &cn, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_EQ(cn.asI2(), -99);
    EXPECT_EQ(tunedKilohertz(frames()).size(), 2u);

    // Two readings left: the first probe's reading never comes.
    link().GetCN(Variant::r8(55.25), &cn, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_EQ(cn.asI2(), -99);
}

TEST_F(MeasurementTest, CnLetsAnArgumentThatIsNoNumberOrBeyondItsProbesFailTheCall) {
    Variant cn = Variant::i2(-99);
    Variant result;
    EXPECT_EQ(link().GetCN(Variant::bstr("fifty"), &cn, &result), sondrel::MemberETypeMismatch);
    EXPECT_EQ(cn.asI2(), -99);
    EXPECT_TRUE(framesToMeterHex().empty());
    EXPECT_EQ(sondrel::describeMemberError(sondrel::MemberETypeMismatch), "Type mismatch");

    // A carrier beyond what the tuning frame can carry is never confirmed by
    // the meter, so no level is read there and the call ends with 0.
    scriptLevels({850, 850});
    EXPECT_EQ(link().GetCN(Variant::r8(40000), &cn, &result), sondrel::S_Ok);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_EQ(cn.asI2(), -99);
    EXPECT_EQ(tunedKilohertz(frames()).size(), 1u);
}

TEST_F(MeasurementTest, CnOfAModelCarrierIsItsHeightOverTheNoiseLessTwelve) {
    // Channel E3 of the demonstration plan: video carrier 55.25 MHz.
    meter().withState([](MeterState& s) {
        flattenSpectrum(s);
        s.signal.videoLevel = 85.0;
        s.signal.noiseFloor = 30.0;
    });
    Variant cn;
    Variant result;
    link().GetCN(Variant::r8(55.25), &cn, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_EQ(cn.asI2(), 43);
    EXPECT_EQ(tunedKilohertz(frames()).size(), 6u) << "the carrier stands alone";
}

TEST_F(MeasurementTest, LevelsComeInTheUnitTheMeterIsSetTo) {
    // Channel E3's video carrier at 85 dBuV: 25 dBmV; in dBm it lies below
    // 0, which the unsigned reading cannot carry.
    meter().withState([](MeterState& s) {
        flattenSpectrum(s);
        s.signal.videoLevel = 85.0;
        s.signal.noiseFloor = 30.0;
    });
    const auto levelIn = [&](std::uint8_t unit) {
        meter().withState([unit](MeterState& s) { s.settings.levelUnit = unit; });
        Variant level;
        Variant result;
        link().GetLevelByFrequence(Variant::r8(55.25), &level, &result);
        EXPECT_EQ(resultOf(result), 1);
        return level.asR8();
    };
    const double dbuv = levelIn(0);
    EXPECT_NEAR(dbuv, 85.0, 0.5);
    EXPECT_NEAR(levelIn(1), dbuv - 60.0, 0.05);
    EXPECT_DOUBLE_EQ(levelIn(2), 0.0);
}

TEST_F(MeasurementTest, FreqOffsetRefusesFrequenciesOutsideTheSweepRangeWithoutTraffic) {
    for (const Variant& freq : {Variant::r8(-1), Variant::r8(870.01), Variant::bstr("x")}) {
        Variant offset = Variant::bstr("unchanged");
        Variant result;
        link().GetFreqOffset(freq, &offset, &result);
        EXPECT_EQ(resultOf(result), 0);
        EXPECT_EQ(offset.asBstr(), "unchanged");
    }
    EXPECT_TRUE(framesToMeterHex().empty());
}

TEST_F(MeasurementTest, FreqOffsetWithElevenEqualLevelsGivesTheHighestPoint) {
    meter().withState([](MeterState& s) { flattenSpectrum(s); });
    Variant offset = Variant::bstr("untouched");
    Variant result;
    link().GetFreqOffset(Variant::r8(860), &offset, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_EQ(offset.asBstr(), "0.05");
    const auto tuned = tunedKilohertz(frames());
    ASSERT_EQ(tuned.size(), 12u);
    EXPECT_EQ(tuned[0], 860000u);
    EXPECT_EQ(tuned[1], 859950u);
    EXPECT_EQ(tuned[11], 860050u);

    // 870 MHz is accepted, but the meter tunes no higher than 870: the first
    // sweep point above it is not confirmed and ends the sweep.
    meter().wireLog().clear();
    link().GetFreqOffset(Variant::r8(870), &offset, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_EQ(offset.asBstr(), "0.05");
    const auto edge = tunedKilohertz(frames());
    ASSERT_EQ(edge.size(), 8u);
    EXPECT_EQ(edge[0], 870000u);
    EXPECT_EQ(edge[7], 870010u);
}

TEST_F(MeasurementTest, FreqOffsetFindsTheModelCarrierBesideItsNominalFrequency) {
    // A carrier of the demonstration plan that the model puts off its nominal frequency.
    const auto [channel, offsetKHz] = meter().withState([](MeterState& s) {
        for (const auto& c : korvane::sim::channelsOfActivePlan(s.plans))
            if (c.type == "TV" && s.signal.carrierOffsetKHz(c) != 0)
                return std::pair{c, s.signal.carrierOffsetKHz(c)};
        return std::pair{korvane::sim::ModelChannel{}, 0};
    });
    ASSERT_NE(offsetKHz, 0);
    Variant offset;
    Variant result;
    link().GetFreqOffset(Variant::r8(channel.mhz), &offset, &result);
    EXPECT_EQ(resultOf(result), 1);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.2f", offsetKHz / 1000.0);
    EXPECT_EQ(offset.asBstr(), expected) << channel.mhz << " MHz";
}

TEST_F(MeasurementTest, DigitalReadsDecodeSignedPowerAndTheBitErrorFigure) {
    float power = 0, powerpj = 0, mer = 0, ber = 0;
    std::int16_t zhishu = -1, dishu = -1;
    Variant result;
    // power 72.5, powerpj FF 38 = -20.0, MER 33.1, BER 23 x 10^-6.
    scriptDigital(0x51, 14, {0x02, 0xD5, 0xFF, 0x38, 0x01, 0x4B, 5, 23});
    link().ReadDigi(41, &power, &powerpj, &mer, &ber, &zhishu, &dishu, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_FLOAT_EQ(power, 72.5f);
    EXPECT_FLOAT_EQ(powerpj, -20.0f);
    EXPECT_FLOAT_EQ(mer, 33.1f);
    EXPECT_FLOAT_EQ(ber, 2.3e-5f);
    EXPECT_EQ(zhishu, 5);
    EXPECT_EQ(dishu, 23);
    EXPECT_EQ(framesToMeterHex(), std::vector<std::string>{"55 AA 01 07 51 29 7F"});

    scriptDigital(0x57, 10, {0x02, 0xD5, 0x80, 0x00});
    link().ReadPowerDigi(41, &power, &powerpj, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_FLOAT_EQ(powerpj, -3276.8f);
    EXPECT_EQ(framesToMeterHex().back(), "55 AA 01 07 57 29 79");
}

TEST_F(MeasurementTest, BitErrorMarkersStandInForFiguresAndLeaveTheExponentAlone) {
    struct Case {
        std::uint8_t exponent, mantissa;
        float mer, ber;
    };
    for (const Case c : {Case{15, 0, 101, 101}, Case{0, 0, 33.1f, 100}, Case{0, 255, 33.1f, 99}}) {
        scriptDigital(0x51, 14, {0x02, 0xD5, 0x00, 0x10, 0x01, 0x4B, c.exponent, c.mantissa});
        float power = 0, powerpj = 0, mer = 0, ber = 0;
        std::int16_t zhishu = -1, dishu = -1;
        Variant result;
        link().ReadDigi(3, &power, &powerpj, &mer, &ber, &zhishu, &dishu, &result);
        EXPECT_EQ(resultOf(result), 1);
        EXPECT_FLOAT_EQ(mer, c.mer) << int(c.exponent) << "/" << int(c.mantissa);
        EXPECT_FLOAT_EQ(ber, c.ber);
        EXPECT_EQ(zhishu, -1);
        EXPECT_EQ(dishu, -1);
    }
    // Optional exponent and mantissa may be left out.
    scriptDigital(0x51, 14, {0, 0, 0, 0, 0, 0, 3, 45});
    float power = 0, powerpj = 0, mer = 0, ber = 0;
    Variant result;
    link().ReadDigi(3, &power, &powerpj, &mer, &ber, nullptr, nullptr, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_FLOAT_EQ(ber, 4.5e-3f);
}

TEST_F(MeasurementTest, AShortDigitalReplyFailsAndWritesNothing) {
    // Eight bytes: power 72.5 at 5..6, then only one byte of powerpj. A reply
    // cut short is no reply: nothing of it is taken.
    meter().setHandler(0x51, [](const ReceivedFrame&) -> std::optional<Bytes> {
        return Bytes{0x55, 0xAA, 0x01, 0x0E, 0x51, 0x02, 0xD5, 0xFF};
    });
    float power = 0, powerpj = 1, mer = 1, ber = 1;
    Variant result;
    link().ReadDigi(3, &power, &powerpj, &mer, &ber, nullptr, nullptr, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_FLOAT_EQ(power, 0);
    EXPECT_FLOAT_EQ(powerpj, 1);
    EXPECT_FLOAT_EQ(mer, 1);
    EXPECT_EQ(sondrel::lastFailure().kind, sondrel::FailureKind::NoAnswer);

    // With the checksum-only check, the bytes that came are decoded as far
    // as they go, as before frames were recognised.
    ::setenv(sondrel::ReplyCheckVariable, "checksum", 1);
    link().ReadDigi(3, &power, &powerpj, &mer, &ber, nullptr, nullptr, &result);
    ::unsetenv(sondrel::ReplyCheckVariable);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_FLOAT_EQ(power, 72.5f);
    EXPECT_FLOAT_EQ(powerpj, 1);

    // A channel number that is no byte fails before anything is sent.
    meter().wireLog().clear();
    link().ReadPowerDigi(256, &power, &powerpj, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_TRUE(framesToMeterHex().empty());
}

TEST_F(MeasurementTest, DigitalChannelsOfTheModelReportPowerMerAndBitErrors) {
    const auto expected = meter().withState([](MeterState& s) {
        const auto channels = korvane::sim::channelsOfActivePlan(s.plans);
        for (const auto& c : channels)
            if (auto q = s.signal.digitalQuality(c, channels)) return std::pair{c, *q};
        return std::pair{korvane::sim::ModelChannel{}, korvane::sim::DigitalQuality{}};
    });
    const auto& [channel, quality] = expected;
    ASSERT_EQ(channel.type, "DIGI") << "the active plan has a digital channel";
    ASSERT_TRUE(quality.mer);
    float power = 0, powerpj = 0, mer = 0, ber = 0;
    Variant result;
    link().ReadDigi(static_cast<std::int16_t>(channel.number), &power, &powerpj, &mer, &ber,
                    nullptr, nullptr, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_NEAR(power, quality.power, 0.051);
    EXPECT_NEAR(powerpj, quality.powerFromAverage, 0.051);
    EXPECT_NEAR(mer, *quality.mer, 0.051);
    if (quality.preBer)
        EXPECT_NEAR(ber / *quality.preBer, 1.0, 0.06);
    else
        EXPECT_FLOAT_EQ(ber, 100);
    // A TV channel does not lock.
    link().ReadDigi(1, &power, &powerpj, &mer, &ber, nullptr, nullptr, &result);
    EXPECT_FLOAT_EQ(mer, 101);
    EXPECT_FLOAT_EQ(ber, 101);
}

TEST_F(MeasurementTest, PlanLettersSelectAndReportTheActivePlan) {
    std::string letter = "C";
    std::int16_t result = 0;
    link().SetupNowChannel(&letter, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(letter, "C");
    letter = "?";
    link().ReadNowChannel(&letter, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(letter, "C");
    EXPECT_EQ(meter().withState([](MeterState& s) { return s.plans.activeSlot; }), 2);

    // Lower case is no plan letter: code 0 goes out and the meter reports A.
    letter = "c";
    link().SetupNowChannel(&letter, &result);
    EXPECT_EQ(letter, "A");
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 07 28 02 CF", "55 AA 01 06 27 D3",
                                        "55 AA 01 07 28 00 D1"}));
}

TEST_F(MeasurementTest, APlanCodeOutsideTheLettersLeavesTheTextAsItWas) {
    meter().setHandler(0x27, [](const ReceivedFrame& f) -> std::optional<Bytes> {
        return korvane::sim::makeReply(f.command(), 7, Bytes{7});
    });
    std::string letter = "unchanged";
    std::int16_t result = 0;
    link().ReadNowChannel(&letter, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(letter, "unchanged");
}

TEST_F(MeasurementTest, LevelByChannelIsReservedAndSendsNothing) {
    Variant v[6];
    Variant result = Variant::i2(5);
    link().GetlevelByChannel(Variant::i2(3), &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &result);
    EXPECT_TRUE(result.isEmpty());
    for (const Variant& out : v)
        EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(framesToMeterHex().empty());
}

TEST(SignalModel, TheStateFileKeepsTheSpectrumParametersAndTheTuning) {
    korvane::sim::SignalModel model;
    model.noiseFloor = 25.5;
    model.maxOffsetKHz = 0;
    model.tunedKHz = 123456;
    const nlohmann::json saved = model;
    korvane::sim::SignalModel loaded;
    saved.get_to(loaded);
    EXPECT_EQ(nlohmann::json(loaded), saved);
    EXPECT_EQ(loaded.tunedKHz, 123456u);
}

TEST(SignalModel, CarriersRiseAboveTheNoiseAndFallAwayBesideThem) {
    korvane::sim::SignalModel model;
    flattenSpectrumOf(model);
    const std::vector<korvane::sim::ModelChannel> plan{{1, "TV", 55.25, 6.5, 0, 0},
                                                       {2, "DIGI", 474.0, 0, 0, 6.875}};
    EXPECT_NEAR(model.levelAt(55.25, plan), model.videoLevel, 0.01);
    EXPECT_NEAR(model.levelAt(61.75, plan), model.videoLevel - model.audioBelowVideo, 0.01);
    EXPECT_NEAR(model.levelAt(55.30, plan), model.videoLevel - 3.01, 0.01) << "the 3 dB point";
    EXPECT_NEAR(model.levelAt(58.0, plan), model.noiseFloor, 0.01);
    // A digital block is flat: its power shared out over 7.9 MHz in 100 kHz slices.
    const double density = model.digitalPower - 10 * std::log10(1.15 * 6.875 * 10);
    EXPECT_NEAR(model.levelAt(472.0, plan), density, 0.01);
    EXPECT_NEAR(model.levelAt(476.0, plan), density, 0.01);
    EXPECT_NEAR(model.levelAt(480.0, plan), model.noiseFloor, 0.01);
    EXPECT_FALSE(model.digitalQuality(plan[0], plan));
    const auto quality = model.digitalQuality(plan[1], plan);
    ASSERT_TRUE(quality && quality->mer);
    EXPECT_NEAR(*quality->mer, density - model.noiseFloor - 1, 0.01);
    EXPECT_NEAR(quality->powerFromAverage, 0, 1e-9);
}
