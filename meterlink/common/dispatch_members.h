// The members of _KorvaneConnection as late-bound clients see them: slot,
// name, dispatch identifier, kind, parameters with their types, passing and
// optional flags, and the result type. The library's dispatcher and the
// sondrel command-line client both read this one table.
#pragma once

#include "korvane_interface.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace sondrel {

// What a parameter or result holds.
enum class ParamType : std::uint8_t {
    Variant,      // any value, passed as it is
    I2,           // 16-bit integer
    UI1,          // byte
    R4,           // single
    Bstr,         // string
    Bool,         // 16-bit boolean
    Date,         // automation date
    PlanNumber,   // UserPlanNumber (32-bit)
    Bytes,        // array of bytes
    Channels,     // array of Channellist
    ChannelsDigi, // array of ChannellistDigi
    Head,         // ChannelHead record
    FileHeader,   // FileHead record
};

enum class Passing : std::uint8_t { In, InOut };

enum class MemberKind : std::uint8_t { Method, PropertyGet, PropertyPut };

struct ParamInfo {
    std::string_view name;
    ParamType type;
    Passing passing;
    bool optional = false;
    // For a Variant parameter: what the member expects inside it (Variant: anything).
    ParamType holds = ParamType::Variant;
    // For arrays, the lower bound the member expects of an array a client builds.
    std::int32_t lowerBound = 0;
};

enum class ResultType : std::uint8_t { None, Variant, I2, Bstr, Bool };

struct MemberInfo {
    int slot; // 1-based position after the dispatch methods
    std::string_view name;
    DispId dispId;
    MemberKind kind;
    std::span<const ParamInfo> params;
    ResultType result;
};

namespace members_detail {
using enum ParamType;
using enum Passing;
inline constexpr ParamInfo CarryPlanNum[] = {{"Plannum", PlanNumber, In}};
inline constexpr ParamInfo GetCN[] = {{"freq", Variant, In}, {"cnvalue", Variant, InOut}};
inline constexpr ParamInfo GetlevelByChannel[] = {{"chnum", Variant, In},
                                                  {"videolevel", Variant, InOut},
                                                  {"peak_videolevel", Variant, InOut},
                                                  {"adjust_videolevel", Variant, InOut},
                                                  {"audiolevel", Variant, InOut},
                                                  {"peadk_audiolevel", Variant, InOut},
                                                  {"adjust_audiolevel", Variant, InOut}};
inline constexpr ParamInfo GetLevelByFrequence[] = {{"freq", Variant, In},
                                                    {"levelvalue", Variant, InOut}};
inline constexpr ParamInfo ReadChannel[] = {
    {"Plannum", PlanNumber, In}, {"ChannelPlan", Channels, InOut}, {"Head", Head, InOut}};
inline constexpr ParamInfo ReadChannelDigi[] = {
    {"Plannum", PlanNumber, In}, {"ChannelPlan", Variant, InOut, false, ChannelsDigi}};
inline constexpr ParamInfo CarryChannelHead[] = {{"Head", Head, InOut}};
inline constexpr ParamInfo CarryChannel[] = {{"ChannelPlan", Variant, InOut, false, Channels, 1},
                                             {"Plannum", PlanNumber, In},
                                             {"Head", Head, InOut}};
inline constexpr ParamInfo CarryChannelDigi[] = {
    {"ChannelPlan", Variant, InOut, false, ChannelsDigi, 1}, {"Plannum", PlanNumber, In}};
inline constexpr ParamInfo PutPortDevice[] = {{"value", I2, In}};
inline constexpr ParamInfo DeleteFile[] = {{"filenum", UI1, InOut}};
inline constexpr ParamInfo VolumeLevel[] = {{"VolumeLevel", UI1, InOut}};
inline constexpr ParamInfo ReadFileHead[] = {{"FileIndexNum", UI1, InOut},
                                             {"FileHead", FileHeader, InOut}};
inline constexpr ParamInfo UserNameTransmmission[] = {{"Plannum", PlanNumber, In},
                                                      {"ChannelPlan", Channels, InOut}};
inline constexpr ParamInfo ReadDigi[] = {
    {"nowchan", I2, In}, {"power", R4, InOut},        {"powerpj", R4, InOut},    {"mer", R4, InOut},
    {"ber", R4, InOut},  {"zhishu", I2, InOut, true}, {"dishu", I2, InOut, true}};
inline constexpr ParamInfo ReadPowerDigi[] = {
    {"nowchan", I2, In}, {"power", R4, InOut}, {"powerpj", R4, InOut}};
inline constexpr ParamInfo PutPortState[] = {{"value", Bool, In}};
inline constexpr ParamInfo ReadFileContent[] = {{"FileContent", Bytes, InOut},
                                                {"filenum", UI1, InOut}};
inline constexpr ParamInfo askwendb[] = {{"WenDB", I2, InOut}};
inline constexpr ParamInfo FileCount[] = {{"FileCount", UI1, InOut}};
inline constexpr ParamInfo SetupFreq[] = {{"freq", R4, In}, {"freqrev", Variant, InOut, true}};
inline constexpr ParamInfo NowChannelText[] = {{"NowChannel", Bstr, InOut}};
inline constexpr ParamInfo ReadPlanNum[] = {{"NowChannel", PlanNumber, InOut}};
inline constexpr ParamInfo SLMScreen[] = {{"SLMScreen", Bytes, InOut}};
inline constexpr ParamInfo SetupLevelUnit[] = {{"LevelUnit", Bstr, InOut}};
inline constexpr ParamInfo TemperatureUnit[] = {{"TemperatureUnit", Bstr, InOut}};
inline constexpr ParamInfo SetupSLMLimit[] = {{"SLMLimit", Variant, InOut}};
inline constexpr ParamInfo SetupFreqStep[] = {{"FreqStep", Bstr, InOut}};
inline constexpr ParamInfo SetupDateTime[] = {{"NowDate", Date, InOut}, {"NowTime", Date, InOut}};
inline constexpr ParamInfo SetupShutdownTime[] = {{"ShutdownTime", Bstr, InOut}};
inline constexpr ParamInfo ReadShutdownUnit[] = {{"ShutdownUnit", Bstr, InOut}};
inline constexpr ParamInfo SetupBaudRate[] = {{"BaudRate", UI1, InOut}};
inline constexpr ParamInfo SetupBackLight[] = {{"Backlight", Bstr, InOut}};
inline constexpr ParamInfo GetFreqOffset[] = {{"freq", Variant, In},
                                              {"FreqOffsetValue", Variant, InOut}};
} // namespace members_detail

// Every member, in slot order.
inline constexpr std::array<MemberInfo, 47> KorvaneMembers = [] {
    namespace p = members_detail;
    using enum MemberKind;
    using enum ResultType;
    return std::array<MemberInfo, 47>{{
        {1, "CarryPlanNum", 0x60030002, Method, p::CarryPlanNum, Variant},
        {2, "GetCN", 0x60030005, Method, p::GetCN, Variant},
        {3, "OpenDeviceConnection", 0x60030006, Method, {}, Variant},
        {4, "GetlevelByChannel", 0x60030007, Method, p::GetlevelByChannel, Variant},
        {5, "GetLevelByFrequence", 0x60030008, Method, p::GetLevelByFrequence, Variant},
        {6, "ReadChannel", 0x60030009, Method, p::ReadChannel, Variant},
        {7, "ReadChannelDigi", 0x6003000A, Method, p::ReadChannelDigi, Variant},
        {8, "CarryChannelHead", 0x6003000B, Method, p::CarryChannelHead, Variant},
        {9, "CarryChannel", 0x6003000C, Method, p::CarryChannel, Variant},
        {10, "CarryChannelDigi", 0x6003000D, Method, p::CarryChannelDigi, Variant},
        {11, "CloseDeviceConnection", 0x6003000E, Method, {}, Variant},
        {12, "Reset", 0x6003000F, Method, {}, Variant},
        {13, "PortDevice", 0x68030001, PropertyGet, {}, I2},
        {14, "PortDevice", 0x68030001, PropertyPut, p::PutPortDevice, None},
        {15, "DeleteFile", 0x60030015, Method, p::DeleteFile, I2},
        {16, "ReadSLMVolume", 0x60030016, Method, p::VolumeLevel, I2},
        {17, "SetupSLMVolume", 0x60030017, Method, p::VolumeLevel, I2},
        {18, "ReadFileHead", 0x60030018, Method, p::ReadFileHead, I2},
        {19, "ReadFileHeadDigi", 0x60030019, Method, p::ReadFileHead, I2},
        {20, "UserNameTransmmission", 0x6003001D, Method, p::UserNameTransmmission, Variant},
        {21, "SLMType", 0x60030020, Method, {}, Bstr},
        {22, "ReadDigi", 0x60030021, Method, p::ReadDigi, Variant},
        {23, "ReadPowerDigi", 0x60030022, Method, p::ReadPowerDigi, Variant},
        {24, "PortState", 0x68030000, PropertyGet, {}, Bool},
        {25, "PortState", 0x68030000, PropertyPut, p::PutPortState, None},
        {26, "ReadFileContent", 0x60030024, Method, p::ReadFileContent, I2},
        {27, "ReadFileContentDigi", 0x60030025, Method, p::ReadFileContent, I2},
        {28, "askwendb", 0x60030026, Method, p::askwendb, I2},
        {29, "ReadFileCount", 0x60030027, Method, p::FileCount, I2},
        {30, "ReadFileCountDigi", 0x60030028, Method, p::FileCount, I2},
        {31, "SetupFreq", 0x60030029, Method, p::SetupFreq, I2},
        {32, "ReadNowChannel", 0x6003002A, Method, p::NowChannelText, I2},
        {33, "ReadPlanNum", 0x6003002B, Method, p::ReadPlanNum, I2},
        {34, "SetupNowChannel", 0x6003002C, Method, p::NowChannelText, I2},
        {35, "ReadSLMScreen", 0x6003002D, Method, p::SLMScreen, I2},
        {36, "ReadSLMScreenBig", 0x6003002E, Method, p::SLMScreen, I2},
        {37, "SetupLevelUnit", 0x6003002F, Method, p::SetupLevelUnit, I2},
        {38, "ReadTemperatureUnit", 0x60030030, Method, p::TemperatureUnit, I2},
        {39, "SetupTemperatureUnit", 0x60030031, Method, p::TemperatureUnit, I2},
        {40, "SetupSLMLimit", 0x60030032, Method, p::SetupSLMLimit, I2},
        {41, "SetupFreqStep", 0x60030033, Method, p::SetupFreqStep, I2},
        {42, "SetupDateTime", 0x60030034, Method, p::SetupDateTime, I2},
        {43, "SetupShutdownTime", 0x60030035, Method, p::SetupShutdownTime, I2},
        {44, "ReadShutdownUnit", 0x60030036, Method, p::ReadShutdownUnit, I2},
        {45, "SetupBaudRate", 0x60030037, Method, p::SetupBaudRate, I2},
        {46, "SetupBackLight", 0x60030038, Method, p::SetupBackLight, I2},
        {47, "GetFreqOffset", 0x60030039, Method, p::GetFreqOffset, Variant},
    }};
}();

// Number of parameters a call must pass (optional ones come last).
constexpr std::size_t requiredParamCount(const MemberInfo& m) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < m.params.size(); ++i)
        if (!m.params[i].optional) n = i + 1;
    return n;
}

// The member a dispatch identifier reaches with this kind of call, or null.
// A property is read by a get or a method call and written only by a put; a
// method answers a method call or a get.
const MemberInfo* findMember(DispId dispId, InvokeKind kind);
// The first member of this name (case-insensitive), or null.
const MemberInfo* findMemberByName(std::string_view name);

// How Invoke is asked to reach a member of this kind.
constexpr InvokeKind invokeKindOf(MemberKind kind) {
    switch (kind) {
    case MemberKind::Method:
        return InvokeMethod;
    case MemberKind::PropertyGet:
        return InvokePropertyGet;
    case MemberKind::PropertyPut:
        return InvokePropertyPut;
    }
    return InvokeMethod;
}

// The value type a parameter of this type is converted to (Variant: none, Empty).
VarType varTypeOf(ParamType type);

// Text for listings: "short", "Channellist[]", "VARIANT (ChannellistDigi[] from 1)".
std::string typeText(const ParamInfo& param);
std::string typeText(ParamType type);
std::string resultText(ResultType type);

} // namespace sondrel
