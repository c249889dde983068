// The interface table as the meter's PC software documents it: slot, name and
// dispatch identifier of each member, typed out here apart from the library's
// own table so that a slip in either one shows.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace korvane::testing {

struct ExpectedMember {
    int slot;
    std::string_view name;
    std::uint32_t dispId;
};

inline constexpr std::array<ExpectedMember, 47> ExpectedMembers{{
    {1, "CarryPlanNum", 0x60030002},
    {2, "GetCN", 0x60030005},
    {3, "OpenDeviceConnection", 0x60030006},
    {4, "GetlevelByChannel", 0x60030007},
    {5, "GetLevelByFrequence", 0x60030008},
    {6, "ReadChannel", 0x60030009},
    {7, "ReadChannelDigi", 0x6003000A},
    {8, "CarryChannelHead", 0x6003000B},
    {9, "CarryChannel", 0x6003000C},
    {10, "CarryChannelDigi", 0x6003000D},
    {11, "CloseDeviceConnection", 0x6003000E},
    {12, "Reset", 0x6003000F},
    {13, "PortDevice", 0x68030001},
    {14, "PortDevice", 0x68030001},
    {15, "DeleteFile", 0x60030015},
    {16, "ReadSLMVolume", 0x60030016},
    {17, "SetupSLMVolume", 0x60030017},
    {18, "ReadFileHead", 0x60030018},
    {19, "ReadFileHeadDigi", 0x60030019},
    {20, "UserNameTransmmission", 0x6003001D},
    {21, "SLMType", 0x60030020},
    {22, "ReadDigi", 0x60030021},
    {23, "ReadPowerDigi", 0x60030022},
    {24, "PortState", 0x68030000},
    {25, "PortState", 0x68030000},
    {26, "ReadFileContent", 0x60030024},
    {27, "ReadFileContentDigi", 0x60030025},
    {28, "askwendb", 0x60030026},
    {29, "ReadFileCount", 0x60030027},
    {30, "ReadFileCountDigi", 0x60030028},
    {31, "SetupFreq", 0x60030029},
    {32, "ReadNowChannel", 0x6003002A},
    {33, "ReadPlanNum", 0x6003002B},
    {34, "SetupNowChannel", 0x6003002C},
    {35, "ReadSLMScreen", 0x6003002D},
    {36, "ReadSLMScreenBig", 0x6003002E},
    {37, "SetupLevelUnit", 0x6003002F},
    {38, "ReadTemperatureUnit", 0x60030030},
    {39, "SetupTemperatureUnit", 0x60030031},
    {40, "SetupSLMLimit", 0x60030032},
    {41, "SetupFreqStep", 0x60030033},
    {42, "SetupDateTime", 0x60030034},
    {43, "SetupShutdownTime", 0x60030035},
    {44, "ReadShutdownUnit", 0x60030036},
    {45, "SetupBaudRate", 0x60030037},
    {46, "SetupBackLight", 0x60030038},
    {47, "GetFreqOffset", 0x60030039},
}};

} // namespace korvane::testing
