// Measurement commands: tune (0x02), read the level where tuned (0x08), and
// read a digital channel's power and quality (0x51) or its power alone (0x57),
// all from the signal model over the active plan. Levels go out in the level
// unit the meter is set to.
#include "common/command_codes.h"
#include "handlers.h"

#include <algorithm>
#include <cmath>

namespace korvane::sim {

using namespace sondrel::command_codes;
namespace {

using sondrel::Bytes;

constexpr std::size_t TuneReplyLength = 9;
constexpr std::size_t LevelReplyLength = 12;
constexpr std::size_t DigiReplyLength = 14;
constexpr std::size_t PowerDigiReplyLength = 10;

void putU16(Bytes& out, long value) {
    const auto v = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

long tenths(double value, long lowest, long highest) {
    return std::clamp(std::lround(value * 10.0), lowest, highest);
}

// A level of the signal model (dBuV) in the meter's level unit setting: 0 dBuV,
// 1 dBmV (60 dB less), 2 dBm (108.75 dB less, across 75 ohms), any other code
// dBuV. The wire carries no sign: a level below 0 in its unit goes out as 0.
long levelTenthsInUnit(double dBuV, std::uint8_t levelUnit) {
    constexpr double DbmvBelowDbuv = 60.0, DbmBelowDbuv = 108.75;
    const double offset = levelUnit == 1 ? DbmvBelowDbuv : levelUnit == 2 ? DbmBelowDbuv : 0.0;
    return tenths(dBuV - offset, 0, 65535);
}

// Bit errors as the meter sends them: exponent e and mantissa m (10..99) with
// ratio m x 10^-(e+1); 15, 0 when not locked; 0, 0 when none were counted;
// 0, 255 when too many to count.
std::pair<std::uint8_t, std::uint8_t> bitErrorBytes(const DigitalQuality& q) {
    if (!q.mer) return {15, 0};
    if (!q.preBer) return {0, 0};
    if (*q.preBer >= 0.1) return {0, 255};
    int exponent = static_cast<int>(-std::floor(std::log10(*q.preBer)));
    long mantissa = std::lround(*q.preBer * std::pow(10.0, exponent + 1));
    if (mantissa >= 100) mantissa /= 10, --exponent;
    return {static_cast<std::uint8_t>(exponent), static_cast<std::uint8_t>(mantissa)};
}

// Power, power from the average, MER and bit errors of a channel by number.
// A channel that is not digital, or not in the plan, reads as the level
// where it is tuned and does not lock.
Bytes digitalReading(MeterState& state, std::uint8_t number, bool withQuality) {
    const auto channels = channelsOfActivePlan(state.plans);
    const auto channel = std::ranges::find(channels, int{number}, &ModelChannel::number);
    if (channel != channels.end())
        state.signal.tunedKHz = static_cast<std::uint32_t>(std::lround(channel->mhz * 1000));
    const auto quality =
        channel != channels.end() ? state.signal.digitalQuality(*channel, channels) : std::nullopt;
    DigitalQuality reading = quality.value_or(
        DigitalQuality{state.signal.levelAt(state.signal.tunedKHz / 1000.0, channels), 0, {}, {}});
    Bytes data;
    putU16(data, levelTenthsInUnit(reading.power, state.settings.levelUnit));
    putU16(data, tenths(reading.powerFromAverage, -32768, 32767));
    if (!withQuality) return data;
    putU16(data, reading.mer ? tenths(*reading.mer, 0, 65535) : 0);
    const auto [exponent, mantissa] = bitErrorBytes(reading);
    data.push_back(exponent);
    data.push_back(mantissa);
    return data;
}

} // namespace

void registerMeasurementCommands(CommandTable& table, MeterState& state) {
    table.on(CmdSetupFreq, [&state](const ReceivedFrame& f) -> std::optional<Bytes> {
        const auto p = f.params();
        if (p.size() < 3) return std::nullopt;
        const std::uint32_t asked = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
        // Beyond its range the meter tunes to the nearest end and says so.
        auto& tuned = state.signal.tunedKHz;
        tuned = std::clamp(asked, SignalModel::LowestKHz, SignalModel::HighestKHz);
        const std::uint8_t data[] = {static_cast<std::uint8_t>(tuned >> 16),
                                     static_cast<std::uint8_t>(tuned >> 8 & 0xFF),
                                     static_cast<std::uint8_t>(tuned & 0xFF)};
        return makeReply(CmdSetupFreq, TuneReplyLength, data);
    });
    table.on(CmdReadLevel, [&state](const ReceivedFrame& f) -> std::optional<Bytes> {
        const auto channels = channelsOfActivePlan(state.plans);
        Bytes data;
        putU16(data,
               levelTenthsInUnit(state.signal.levelAt(state.signal.tunedKHz / 1000.0, channels),
                                 state.settings.levelUnit));
        return makeReply(f.command(), LevelReplyLength, data);
    });
    table.on(CmdReadDigi, [&state](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (f.params().empty()) return std::nullopt;
        return makeReply(f.command(), DigiReplyLength, digitalReading(state, f.params()[0], true));
    });
    table.on(CmdReadPowerDigi, [&state](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (f.params().empty()) return std::nullopt;
        return makeReply(f.command(), PowerDigiReplyLength,
                         digitalReading(state, f.params()[0], false));
    });
}

} // namespace korvane::sim
