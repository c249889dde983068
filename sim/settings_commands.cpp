// Model and settings commands. Reads answer with the setting in R[5]; sets
// that the library reads back answer with the value now set in R[5]; the
// other sets echo their parameters. A code the meter does not know leaves
// the setting as it was.
#include "common/command_codes.h"
#include "handlers.h"

#include "common/option_texts.h"

#include <algorithm>

namespace korvane::sim {

using namespace sondrel::command_codes;
namespace {

using sondrel::Bytes;

constexpr std::size_t ModelReplyLength = 11;
constexpr std::size_t ValueReplyLength = 7;
constexpr std::size_t AckLength = 6;

Bytes valueReply(std::uint8_t command, std::uint8_t value) {
    const std::uint8_t data[] = {value};
    return makeReply(command, ValueReplyLength, data);
}

// The frame's parameters sent back, in a reply as long as the frame.
Bytes echoReply(const ReceivedFrame& f) {
    return makeReply(f.command(), f.bytes.size(), f.params());
}

// Parameters of a frame that carries at least `count` of them.
bool hasParams(const ReceivedFrame& f, std::size_t count) {
    return f.params().size() >= count;
}

} // namespace

void registerSettingsCommands(CommandTable& table, MeterState& state) {
    SettingsMemory& s = state.settings;
    table.on(CmdReadModel, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        const std::uint8_t data[] = {static_cast<std::uint8_t>(s.model >> 8),
                                     static_cast<std::uint8_t>(s.model & 0xFF), s.variant};
        return makeReply(f.command(), ModelReplyLength, data);
    });
    table.on(CmdReadVolume, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        return valueReply(f.command(), s.volume);
    });
    table.on(CmdSetupVolume, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 1)) return std::nullopt;
        s.volume = std::min(f.params()[0], SettingsMemory::LoudestVolume);
        return valueReply(f.command(), s.volume);
    });
    table.on(CmdSetupLevelUnit, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 1)) return std::nullopt;
        if (sondrel::LevelUnits.textOf(f.params()[0])) s.levelUnit = f.params()[0];
        return valueReply(f.command(), s.levelUnit);
    });
    table.on(CmdReadTemperatureUnit, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        return valueReply(f.command(), s.temperatureUnit);
    });
    table.on(CmdSetupTemperatureUnit, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 1)) return std::nullopt;
        if (sondrel::TemperatureUnits.textOf(f.params()[0])) s.temperatureUnit = f.params()[0];
        return valueReply(f.command(), s.temperatureUnit);
    });
    table.on(CmdSetupLimits, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, s.limits.size())) return std::nullopt;
        std::copy_n(f.params().begin(), s.limits.size(), s.limits.begin());
        return echoReply(f);
    });
    table.on(CmdSetupFreqStep, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 2)) return std::nullopt;
        if (f.params()[0] <= 1) {
            s.stepUnit = f.params()[0];
            s.stepMultiplier = f.params()[1];
        }
        return echoReply(f);
    });
    table.on(CmdSetupDateTime, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 6)) return std::nullopt;
        const auto p = f.params();
        const sondrel::CivilDateTime clock{2000 + p[3], p[4], p[5], p[0], p[1], p[2]};
        // A clock the meter cannot show is refused without an answer.
        if (!sondrel::comDateOf(clock)) return std::nullopt;
        s.clock = clock;
        return echoReply(f);
    });
    table.on(CmdSetupShutdownTime, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 1)) return std::nullopt;
        if (sondrel::ShutdownTimes.textOf(f.params()[0])) s.shutdown = f.params()[0];
        return echoReply(f);
    });
    table.on(CmdReadShutdownTime, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        return valueReply(f.command(), s.shutdown);
    });
    table.on(CmdSetupBackLight, [&s](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 1)) return std::nullopt;
        if (sondrel::BacklightTimes.textOf(f.params()[0])) s.backlight = f.params()[0];
        return makeReply(f.command(), AckLength);
    });
    table.on(CmdSetupBaudRate, [&state](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!hasParams(f, 1)) return std::nullopt;
        // The answer still goes out at the old speed; the new one follows it.
        if (auto baud = sondrel::baudRateOfCode(f.params()[0])) state.link.pendingBaud = *baud;
        return makeReply(f.command(), AckLength);
    });
}

} // namespace korvane::sim
