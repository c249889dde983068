// The meter's model and its user settings. Settings travel as short codes;
// clients see the option texts of common/option_texts.h.
#include "KorvaneConnection.h"
#include "common/command_codes.h"

#include "common/com_date.h"
#include "common/option_texts.h"
#include "common/rounding.h"
#include "common/variant_number.h"

#include <array>

namespace sondrel {
namespace {

constexpr std::uint8_t ModelReplyLength = 11;
constexpr std::uint8_t SettingReplyLength = 7; // a read, or a set that echoes the value now set
constexpr std::uint8_t AckReplyLength = 6;
// Sets without an echo that the library reads: the meter answers with a
// frame as long as the command's.
constexpr std::uint8_t LimitsReplyLength = 14;
constexpr std::uint8_t FreqStepReplyLength = 8;
constexpr std::uint8_t DateTimeReplyLength = 13;
constexpr std::uint8_t ShutdownReplyLength = 8;

constexpr std::size_t LimitCount = 8;
constexpr int FirstClockYear = 2000;
constexpr int LastClockYear = 2255;

// The reply's value byte R[5]: the setting read, or the one now set.
constexpr std::size_t ValuePos = 5;

// Sends a setting's frame and returns the result of the exchange.
std::int16_t sendSetting(FrameExchange& wire, std::uint8_t command,
                         std::span<const std::uint8_t> params, std::uint8_t replyLength,
                         Reply& reply) {
    return wire.Exchange(replyLength, commandBuffer(command, params), reply);
}

std::int16_t sendSetting(FrameExchange& wire, std::uint8_t command,
                         std::span<const std::uint8_t> params, std::uint8_t replyLength) {
    Reply reply;
    return sendSetting(wire, command, params, replyLength, reply);
}

// Elements 0..7 of an array of numbers, each as a byte (halves to even);
// nullopt when one is missing or does not fit a byte.
std::optional<std::array<std::uint8_t, LimitCount>> limitBytesOf(const Variant& limits) {
    std::array<std::uint8_t, LimitCount> bytes{};
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(LimitCount); ++i) {
        std::optional<double> number;
        if (limits.type() == VarType::Bytes) {
            const auto& array = limits.asBytes();
            if (i < array.lowerBound || i > array.upperBound()) return std::nullopt;
            number = array.at(i);
        } else if (limits.type() == VarType::Variants) {
            const auto& array = limits.asVariants();
            if (i < array.lowerBound || i > array.upperBound()) return std::nullopt;
            number = numberOfVariant(array.at(i));
        }
        if (!number) return std::nullopt;
        const double whole = roundHalfEven(*number);
        if (!(whole >= 0 && whole <= 255)) return std::nullopt;
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(whole);
    }
    return bytes;
}

} // namespace

HResult KorvaneConnection::SLMType(std::string* result) {
    const MemberCall call(*this);
    if (!result) return E_Pointer;
    result->clear();
    Reply reply;
    wire().ExchangeWithRetry(ModelReplyLength, commandBuffer(CmdReadModel), reply, TimedOut);
    if (TimedOut == 1 || reply.empty()) return S_Ok;
    *result = std::to_string(reply.u16be(5)) + ModelVariants.textOf(reply.byte(7)).value_or("");
    return S_Ok;
}

HResult KorvaneConnection::ReadSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) {
    const MemberCall call(*this);
    if (!VolumeLevel || !result) return E_Pointer;
    Reply reply;
    *result = sendSetting(wire(), CmdReadVolume, {}, SettingReplyLength, reply);
    if (*result != 0) *VolumeLevel = reply.byte(ValuePos);
    return S_Ok;
}

HResult KorvaneConnection::SetupSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) {
    const MemberCall call(*this);
    if (!VolumeLevel || !result) return E_Pointer;
    const std::uint8_t params[] = {*VolumeLevel};
    Reply reply;
    *result = sendSetting(wire(), CmdSetupVolume, params, SettingReplyLength, reply);
    if (*result != 0) *VolumeLevel = reply.byte(ValuePos);
    return S_Ok;
}

HResult KorvaneConnection::SetupLevelUnit(std::string* LevelUnit, std::int16_t* result) {
    const MemberCall call(*this);
    if (!LevelUnit || !result) return E_Pointer;
    const std::uint8_t params[] = {LevelUnits.codeOf(*LevelUnit).value_or(0)};
    Reply reply;
    *result = sendSetting(wire(), CmdSetupLevelUnit, params, SettingReplyLength, reply);
    if (*result != 0) *LevelUnit = LevelUnits.textOf(reply.byte(ValuePos)).value_or("dBuV");
    return S_Ok;
}

HResult KorvaneConnection::ReadTemperatureUnit(std::string* TemperatureUnit, std::int16_t* result) {
    const MemberCall call(*this);
    if (!TemperatureUnit || !result) return E_Pointer;
    Reply reply;
    *result = sendSetting(wire(), CmdReadTemperatureUnit, {}, SettingReplyLength, reply);
    if (*result != 0)
        *TemperatureUnit = TemperatureUnits.textOf(reply.byte(ValuePos)).value_or("C");
    return S_Ok;
}

HResult KorvaneConnection::SetupTemperatureUnit(std::string* TemperatureUnit,
                                                std::int16_t* result) {
    const MemberCall call(*this);
    if (!TemperatureUnit || !result) return E_Pointer;
    const std::uint8_t params[] = {TemperatureUnits.codeOf(*TemperatureUnit).value_or(0)};
    Reply reply;
    *result = sendSetting(wire(), CmdSetupTemperatureUnit, params, SettingReplyLength, reply);
    if (*result != 0)
        if (auto unit = TemperatureUnits.textOf(reply.byte(ValuePos))) *TemperatureUnit = *unit;
    return S_Ok;
}

HResult KorvaneConnection::SetupSLMLimit(Variant* SLMLimit, std::int16_t* result) {
    const MemberCall call(*this);
    if (!SLMLimit || !result) return E_Pointer;
    *result = 0;
    const auto limits = limitBytesOf(*SLMLimit);
    if (!limits) return S_Ok;
    *result = sendSetting(wire(), CmdSetupLimits, *limits, LimitsReplyLength);
    return S_Ok;
}

HResult KorvaneConnection::SetupFreqStep(std::string* FreqStep, std::int16_t* result) {
    const MemberCall call(*this);
    if (!FreqStep || !result) return E_Pointer;
    // A text not in the table steps by channel, like "Channel" itself.
    const FreqStepOption step = freqStepOf(*FreqStep).value_or(FreqStepOption{"", 0, 0});
    const std::uint8_t params[] = {step.unit, step.multiplier};
    *result = sendSetting(wire(), CmdSetupFreqStep, params, FreqStepReplyLength);
    return S_Ok;
}

HResult KorvaneConnection::SetupDateTime(ComDate* NowDate, ComDate* NowTime, std::int16_t* result) {
    const MemberCall call(*this);
    if (!NowDate || !NowTime || !result) return E_Pointer;
    *result = 0;
    const auto date = civilOf(*NowDate);
    const auto time = civilOf(*NowTime);
    // Nothing is sent for a value no date can hold; the meter keeps the year
    // as an offset from 2000 in one byte.
    if (!date || !time || date->year < FirstClockYear || date->year > LastClockYear) return S_Ok;
    const std::uint8_t params[] = {static_cast<std::uint8_t>(time->hour),
                                   static_cast<std::uint8_t>(time->minute),
                                   static_cast<std::uint8_t>(time->second),
                                   static_cast<std::uint8_t>(date->year - FirstClockYear),
                                   static_cast<std::uint8_t>(date->month),
                                   static_cast<std::uint8_t>(date->day),
                                   0};
    *result = sendSetting(wire(), CmdSetupDateTime, params, DateTimeReplyLength);
    return S_Ok;
}

HResult KorvaneConnection::SetupShutdownTime(std::string* ShutdownTime, std::int16_t* result) {
    const MemberCall call(*this);
    if (!ShutdownTime || !result) return E_Pointer;
    const std::uint8_t params[] = {ShutdownTimes.codeOf(*ShutdownTime).value_or(0), 0};
    *result = sendSetting(wire(), CmdSetupShutdownTime, params, ShutdownReplyLength);
    return S_Ok;
}

HResult KorvaneConnection::ReadShutdownUnit(std::string* ShutdownUnit, std::int16_t* result) {
    const MemberCall call(*this);
    if (!ShutdownUnit || !result) return E_Pointer;
    Reply reply;
    *result = sendSetting(wire(), CmdReadShutdownTime, {}, SettingReplyLength, reply);
    // Decoded from any reply that came back in full, even with a bad checksum.
    if (!reply.empty())
        if (auto text = ShutdownTimes.textOf(reply.byte(ValuePos))) *ShutdownUnit = *text;
    return S_Ok;
}

HResult KorvaneConnection::SetupBaudRate(std::uint8_t* BaudRate, std::int16_t* result) {
    const MemberCall call(*this);
    if (!BaudRate || !result) return E_Pointer;
    const auto baud = baudRateOfCode(*BaudRate);
    const std::uint8_t params[] = {baud ? *BaudRate : std::uint8_t{0}};
    // The meter answers at the old speed and changes after its answer; the
    // port follows even when the answer is missing, as the meter may have
    // changed all the same.
    *result = sendSetting(wire(), CmdSetupBaudRate, params, AckReplyLength);
    if (baud) {
        try {
            control_->setSettings(lineSettingsText(*baud));
        } catch (const std::exception&) {
            *result = 0;
        }
    }
    return S_Ok;
}

HResult KorvaneConnection::SetupBackLight(std::string* Backlight, std::int16_t* result) {
    const MemberCall call(*this);
    if (!Backlight || !result) return E_Pointer;
    const std::uint8_t params[] = {BacklightTimes.codeOf(*Backlight).value_or(0)};
    *result = sendSetting(wire(), CmdSetupBackLight, params, AckReplyLength);
    return S_Ok;
}

} // namespace sondrel
