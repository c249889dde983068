// Command bytes of the meter's protocol, one list for the library and the
// simulated meter (the channel-plan commands live with their packets in
// plan_codec_packets.h).
#pragma once

#include <cstdint>

namespace sondrel {
namespace command_codes {

inline constexpr std::uint8_t CmdSetupFreq = 0x02;
inline constexpr std::uint8_t CmdReadLevel = 0x08;
inline constexpr std::uint8_t CmdCloseConnection = 0x09;
inline constexpr std::uint8_t CmdReset = 0x0A;
inline constexpr std::uint8_t CmdSetupLevelUnit = 0x16;
inline constexpr std::uint8_t CmdReadTemperatureUnit = 0x17;
inline constexpr std::uint8_t CmdSetupTemperatureUnit = 0x18;
inline constexpr std::uint8_t CmdReadVolume = 0x19;
inline constexpr std::uint8_t CmdSetupVolume = 0x1A;
inline constexpr std::uint8_t CmdSetupDateTime = 0x1C;
inline constexpr std::uint8_t CmdSetupShutdownTime = 0x1E;
inline constexpr std::uint8_t CmdSetupLimits = 0x22;
inline constexpr std::uint8_t CmdSetupFreqStep = 0x24;
inline constexpr std::uint8_t CmdDeleteFile = 0x29;
inline constexpr std::uint8_t CmdReadFileHead = 0x2A;
inline constexpr std::uint8_t CmdOpenConnection = 0x2B;
inline constexpr std::uint8_t CmdSetupBackLight = 0x38;
inline constexpr std::uint8_t CmdReadShutdownTime = 0x39;
inline constexpr std::uint8_t CmdReadModel = 0x50;
inline constexpr std::uint8_t CmdReadDigi = 0x51;
inline constexpr std::uint8_t CmdReadPowerDigi = 0x57;
inline constexpr std::uint8_t CmdSetupBaudRate = 0x58;
inline constexpr std::uint8_t CmdReadDirectory = 0x6A;
inline constexpr std::uint8_t CmdReadFileContent = 0x6B;
inline constexpr std::uint8_t CmdReadScreen = 0x72;

} // namespace command_codes
using namespace command_codes;
} // namespace sondrel
