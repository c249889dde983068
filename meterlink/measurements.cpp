// Using the meter as an instrument: tuning, level readings, the carrier-to-
// noise estimate and the carrier offset sweep computed here from level
// readings, digital channel power and quality, and the active plan letter.
#include "KorvaneConnection.h"
#include "common/command_codes.h"
#include "common/plan_codec_packets.h"
#include "measurements_estimates.h"

#include "common/member_errors.h"
#include "common/option_texts.h"
#include "common/rounding.h"
#include "common/variant_number.h"

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace sondrel {
namespace {

constexpr std::uint8_t SetupFreqReplyLength = 9;
constexpr std::uint8_t LevelReplyLength = 12;
constexpr std::uint8_t PlanReplyLength = 7;
constexpr std::uint8_t DigiReplyLength = 14;
constexpr std::uint8_t PowerDigiReplyLength = 10;

// Carrier levels below this (in tenths) are too weak for a C/N estimate.
constexpr int WeakestCarrierTenths = 800;

// Highest frequency, in MHz, the offset sweep accepts.
constexpr double HighestSweepMHz = 870.0;

// Digital read markers in place of measured figures.
constexpr float NotLockedMarker = 101;
constexpr float NoBitErrorsMarker = 100;
constexpr float BitErrorsOverflowMarker = 99;

// A parameter byte of the frequency: a part that does not fit a byte is sent as 0.
std::uint8_t byteOrZero(std::int64_t part) {
    return (part >= 0 && part <= 255) ? static_cast<std::uint8_t>(part) : 0;
}

// The frequency in kHz, halves to even; 0 when it is no number a 32-bit count holds.
std::int64_t kilohertzOf(float mhz) {
    const double khz = roundHalfEven(static_cast<double>(mhz) * 1000.0);
    if (!std::isfinite(khz) || khz < std::numeric_limits<std::int32_t>::min() ||
        khz > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int64_t>(khz);
}

// A VARIANT frequency as the single-precision number the meter is tuned with.
std::optional<float> singleOf(const Variant& value) {
    const auto number = numberOfVariant(value);
    if (!number || !std::isfinite(*number) ||
        std::fabs(*number) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(*number);
}

// One level reading through GetLevelByFrequence: the level, or nullopt when
// the reading returned 0.
std::optional<double> readingAt(KorvaneConnection& meter, const Variant& mhz) {
    Variant level;
    Variant done;
    meter.GetLevelByFrequence(mhz, &level, &done);
    if (done.asI2() == 0) return std::nullopt;
    return level.asR8();
}

// Sends a digital channel read and decodes power and powerpj from what the
// meter buffered (without a checksum test). The reply, or nullopt when the
// channel is no byte or the reply is too short; power may be written even then.
std::optional<Reply> readDigitalPower(FrameExchange& wire, std::uint8_t command,
                                      std::int16_t channel, std::uint8_t replyLength, float& power,
                                      float& powerpj) {
    if (channel < 0 || channel > 255) return std::nullopt;
    const std::uint8_t params[] = {static_cast<std::uint8_t>(channel)};
    wire.SendAndWait(replyLength, commandBuffer(command, params));
    try {
        Reply reply(wire.link().input());
        power = static_cast<float>(reply.u16be(5) / 10.0);
        powerpj = static_cast<float>(static_cast<std::int16_t>(reply.u16be(7)) / 10.0);
        return reply;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

HResult KorvaneConnection::SetupFreq(float freq, Variant* freqrev, std::int16_t* result) {
    if (!result) return E_Pointer;
    const std::int64_t khz = kilohertzOf(freq);
    const std::uint8_t params[] = {byteOrZero(khz / 65536), byteOrZero(khz % 65536 / 256),
                                   byteOrZero(khz % 256)};
    Reply reply;
    *result = wire().Exchange(SetupFreqReplyLength, commandBuffer(CmdSetupFreq, params), reply);
    // The frequency the meter reports as set, even from a reply with a bad checksum.
    if (freqrev && !reply.empty()) *freqrev = Variant::r8(reply.u24be(5) / 1000.0);
    return S_Ok;
}

HResult KorvaneConnection::GetLevelByFrequence(const Variant& freq, Variant* levelvalue,
                                               Variant* result) {
    if (!levelvalue || !result) return E_Pointer;
    *result = Variant::i2(0);
    const auto mhz = singleOf(freq);
    if (!mhz) return S_Ok;
    std::int16_t tuned = 0;
    SetupFreq(*mhz, nullptr, &tuned); // a failed tuning shows in the reading that follows
    Reply reply;
    const std::int16_t read = wire().Exchange(LevelReplyLength, commandBuffer(CmdReadLevel), reply);
    if (reply.empty()) return S_Ok;
    *levelvalue = Variant::r8(reply.u16be(5) / 10.0);
    *result = Variant::i2(read);
    return S_Ok;
}

HResult KorvaneConnection::askwendb(std::int16_t* WenDB, std::int16_t* result) {
    if (!WenDB || !result) return E_Pointer;
    Reply reply;
    *result = wire().Exchange(LevelReplyLength, commandBuffer(CmdReadLevel), reply);
    if (!reply.empty() && reply.u16be(5) <= std::numeric_limits<std::int16_t>::max())
        *WenDB = static_cast<std::int16_t>(reply.u16be(5));
    return S_Ok;
}

HResult KorvaneConnection::GetCN(const Variant& freq, Variant* cnvalue, Variant* result) {
    if (!cnvalue || !result) return E_Pointer;
    // Errors are not trapped here: they fail the call.
    const auto carrierMHz = numberOfVariant(freq);
    if (!carrierMHz) return MemberETypeMismatch;
    *result = Variant::i2(0);

    // The first reading settles the meter on the carrier; the second counts.
    if (!readingAt(*this, freq)) return S_Ok;
    const auto carrier = readingAt(*this, freq);
    if (!carrier) return S_Ok;
    if (*carrier * 10 < WeakestCarrierTenths) return S_Ok;

    std::array<std::int16_t, CnProbeCount> probes{};
    try {
        probes = cnProbeFrequencies(*carrierMHz);
    } catch (const std::overflow_error&) {
        return MemberEOverflow;
    }
    std::vector<double> tenths;
    bool alone = false;
    for (std::size_t j = 0; j < (alone ? CnProbesBesideCarrier : CnProbeCount); ++j) {
        const auto level = readingAt(*this, Variant::i2(probes[j]));
        if (!level) return S_Ok;
        tenths.push_back(roundHalfEven(*level * 10));
        if (j == 0) alone = carrierStandsAlone(*carrier, tenths[0]);
    }
    *cnvalue = Variant::i2(carrierToNoise(*carrier, std::move(tenths), alone));
    *result = Variant::i2(1);
    return S_Ok;
}

HResult KorvaneConnection::GetFreqOffset(const Variant& freq, Variant* FreqOffsetValue,
                                         Variant* result) {
    if (!FreqOffsetValue || !result) return E_Pointer;
    *result = Variant::i2(0);
    const auto mhz = numberOfVariant(freq);
    if (!mhz || !(*mhz >= 0 && *mhz <= HighestSweepMHz)) return S_Ok;

    const float nominal = sweepNominal(*mhz);
    readingAt(*this, Variant::r4(nominal)); // tunes to the carrier first; not counted
    std::array<SweepReading, SweepPoints> sweep{};
    const auto points = sweepFrequencies(*mhz);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto level = readingAt(*this, Variant::r4(points[i]));
        if (!level) return S_Ok;
        sweep[i] = {points[i], *level};
    }
    *FreqOffsetValue = Variant::bstr(peakOffsetText(sweep, nominal));
    *result = Variant::i2(1);
    return S_Ok;
}

HResult KorvaneConnection::ReadDigi(std::int16_t nowchan, float* power, float* powerpj, float* mer,
                                    float* ber, std::int16_t* zhishu, std::int16_t* dishu,
                                    Variant* result) {
    if (!power || !powerpj || !mer || !ber || !result) return E_Pointer;
    *result = Variant::i2(0);
    const auto reply =
        readDigitalPower(wire(), CmdReadDigi, nowchan, DigiReplyLength, *power, *powerpj);
    if (!reply) return S_Ok;
    try {
        const std::uint8_t exponent = reply->byte(11);
        const std::uint8_t mantissa = reply->byte(12);
        if (exponent == 15 && mantissa == 0) {
            *mer = NotLockedMarker;
            *ber = NotLockedMarker;
        } else {
            *mer = static_cast<float>(reply->u16be(9) / 10.0);
            if (exponent == 0 && mantissa == 0) {
                *ber = NoBitErrorsMarker;
            } else if (exponent == 0 && mantissa == 255) {
                *ber = BitErrorsOverflowMarker;
            } else {
                // Mantissa in tenths: 23 and 5 stand for 2.3E-5.
                *ber = static_cast<float>(mantissa * std::pow(10.0, -(exponent + 1)));
                if (dishu) *dishu = mantissa;
                if (zhishu) *zhishu = exponent;
            }
        }
    } catch (const ReplyTooShort&) {
        return S_Ok;
    }
    *result = Variant::i2(1);
    return S_Ok;
}

HResult KorvaneConnection::ReadPowerDigi(std::int16_t nowchan, float* power, float* powerpj,
                                         Variant* result) {
    if (!power || !powerpj || !result) return E_Pointer;
    const auto reply =
        readDigitalPower(wire(), CmdReadPowerDigi, nowchan, PowerDigiReplyLength, *power, *powerpj);
    *result = Variant::i2(reply ? 1 : 0);
    return S_Ok;
}

HResult KorvaneConnection::ReadNowChannel(std::string* NowChannel, std::int16_t* result) {
    if (!NowChannel || !result) return E_Pointer;
    Reply reply;
    *result = wire().Exchange(PlanReplyLength, commandBuffer(CmdReadPlanNumber), reply);
    if (*result != 0)
        if (auto letter = PlanLetters.textOf(reply.byte(5))) *NowChannel = *letter;
    return S_Ok;
}

HResult KorvaneConnection::SetupNowChannel(std::string* NowChannel, std::int16_t* result) {
    if (!NowChannel || !result) return E_Pointer;
    const std::uint8_t params[] = {PlanLetters.codeOf(*NowChannel).value_or(0)};
    Reply reply;
    *result = wire().Exchange(PlanReplyLength, commandBuffer(CmdSelectPlan, params), reply);
    if (*result != 0)
        if (auto letter = PlanLetters.textOf(reply.byte(5))) *NowChannel = *letter;
    return S_Ok;
}

HResult KorvaneConnection::GetlevelByChannel(const Variant&, Variant*, Variant*, Variant*, Variant*,
                                             Variant*, Variant*, Variant* result) {
    // Reserved by the interface; the meter has no command for it.
    if (!result) return E_Pointer;
    *result = Variant();
    return S_Ok;
}

} // namespace sondrel
