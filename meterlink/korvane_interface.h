// The binary interface of the meter link library: a reference-counted object
// with a late-binding entry (dispatch identifiers) followed by the 47 members
// of _KorvaneConnection in their fixed slot order. Early-bound clients call the
// virtual members directly; late-bound clients go through GetIDsOfNames/Invoke.
#pragma once

#include "sondrel_types.h"
#include "variant.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sondrel {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    friend bool operator==(const Guid&, const Guid&) = default;
};

using DispId = std::int32_t;

// How Invoke is asked to reach a member.
enum InvokeKind : std::uint16_t {
    InvokeMethod = 1,
    InvokePropertyGet = 2,
    InvokePropertyPut = 4,
};

// What Invoke reports when a member let an error reach the caller.
struct ExcepInfo {
    HResult code = S_Ok;
    std::string source;
    std::string description;
};

class IUnknownLike {
  public:
    virtual HResult QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

  protected:
    ~IUnknownLike() = default;
};

class IDispatchLike : public IUnknownLike {
  public:
    // Dispatch identifier of a member name (case-insensitive).
    virtual HResult GetIDsOfNames(const std::string& name, DispId* dispId) = 0;
    // Calls a member by dispatch identifier. args are in parameter order; by-reference
    // parameters are written back into them. On DispEException, excep says why.
    virtual HResult Invoke(DispId dispId, InvokeKind kind, std::vector<Variant>& args,
                           Variant* result, ExcepInfo* excep) = 0;

  protected:
    ~IDispatchLike() = default;
};

// The default interface of KorvaneConnection. Parameters passed by pointer are
// in/out; a null pointer stands for an omitted optional parameter.
class _KorvaneConnection : public IDispatchLike {
  public:
    virtual HResult CarryPlanNum(UserPlanNumber Plannum, Variant* result) = 0;
    virtual HResult GetCN(const Variant& freq, Variant* cnvalue, Variant* result) = 0;
    virtual HResult OpenDeviceConnection(Variant* result) = 0;
    virtual HResult GetlevelByChannel(const Variant& chnum, Variant* videolevel,
                                      Variant* peak_videolevel, Variant* adjust_videolevel,
                                      Variant* audiolevel, Variant* peadk_audiolevel,
                                      Variant* adjust_audiolevel, Variant* result) = 0;
    virtual HResult GetLevelByFrequence(const Variant& freq, Variant* levelvalue,
                                        Variant* result) = 0;
    virtual HResult ReadChannel(UserPlanNumber Plannum, SafeArray<Channellist>* ChannelPlan,
                                ChannelHead* Head, Variant* result) = 0;
    virtual HResult ReadChannelDigi(UserPlanNumber Plannum, Variant* ChannelPlan,
                                    Variant* result) = 0;
    virtual HResult CarryChannelHead(ChannelHead* Head, Variant* result) = 0;
    virtual HResult CarryChannel(Variant* ChannelPlan, UserPlanNumber Plannum, ChannelHead* Head,
                                 Variant* result) = 0;
    virtual HResult CarryChannelDigi(Variant* ChannelPlan, UserPlanNumber Plannum,
                                     Variant* result) = 0;
    virtual HResult CloseDeviceConnection(Variant* result) = 0;
    virtual HResult Reset(Variant* result) = 0;
    virtual HResult get_PortDevice(std::int16_t* result) = 0;
    virtual HResult put_PortDevice(std::int16_t value) = 0;
    virtual HResult DeleteFile(std::uint8_t* filenum, std::int16_t* result) = 0;
    virtual HResult ReadSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) = 0;
    virtual HResult SetupSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) = 0;
    virtual HResult ReadFileHead(std::uint8_t* FileIndexNum, FileHead* FileHead,
                                 std::int16_t* result) = 0;
    virtual HResult ReadFileHeadDigi(std::uint8_t* FileIndexNum, FileHead* FileHead,
                                     std::int16_t* result) = 0;
    virtual HResult UserNameTransmmission(UserPlanNumber Plannum,
                                          SafeArray<Channellist>* ChannelPlan, Variant* result) = 0;
    virtual HResult SLMType(std::string* result) = 0;
    virtual HResult ReadDigi(std::int16_t nowchan, float* power, float* powerpj, float* mer,
                             float* ber, std::int16_t* zhishu, std::int16_t* dishu,
                             Variant* result) = 0;
    virtual HResult ReadPowerDigi(std::int16_t nowchan, float* power, float* powerpj,
                                  Variant* result) = 0;
    virtual HResult get_PortState(VariantBool* result) = 0;
    virtual HResult put_PortState(VariantBool value) = 0;
    virtual HResult ReadFileContent(SafeArray<std::uint8_t>* FileContent, std::uint8_t* filenum,
                                    std::int16_t* result) = 0;
    virtual HResult ReadFileContentDigi(SafeArray<std::uint8_t>* FileContent, std::uint8_t* filenum,
                                        std::int16_t* result) = 0;
    virtual HResult askwendb(std::int16_t* WenDB, std::int16_t* result) = 0;
    virtual HResult ReadFileCount(std::uint8_t* FileCount, std::int16_t* result) = 0;
    virtual HResult ReadFileCountDigi(std::uint8_t* FileCount, std::int16_t* result) = 0;
    virtual HResult SetupFreq(float freq, Variant* freqrev, std::int16_t* result) = 0;
    virtual HResult ReadNowChannel(std::string* NowChannel, std::int16_t* result) = 0;
    virtual HResult ReadPlanNum(UserPlanNumber* NowChannel, std::int16_t* result) = 0;
    virtual HResult SetupNowChannel(std::string* NowChannel, std::int16_t* result) = 0;
    virtual HResult ReadSLMScreen(SafeArray<std::uint8_t>* SLMScreen, std::int16_t* result) = 0;
    virtual HResult ReadSLMScreenBig(SafeArray<std::uint8_t>* SLMScreen, std::int16_t* result) = 0;
    virtual HResult SetupLevelUnit(std::string* LevelUnit, std::int16_t* result) = 0;
    virtual HResult ReadTemperatureUnit(std::string* TemperatureUnit, std::int16_t* result) = 0;
    virtual HResult SetupTemperatureUnit(std::string* TemperatureUnit, std::int16_t* result) = 0;
    virtual HResult SetupSLMLimit(Variant* SLMLimit, std::int16_t* result) = 0;
    virtual HResult SetupFreqStep(std::string* FreqStep, std::int16_t* result) = 0;
    virtual HResult SetupDateTime(ComDate* NowDate, ComDate* NowTime, std::int16_t* result) = 0;
    virtual HResult SetupShutdownTime(std::string* ShutdownTime, std::int16_t* result) = 0;
    virtual HResult ReadShutdownUnit(std::string* ShutdownUnit, std::int16_t* result) = 0;
    virtual HResult SetupBaudRate(std::uint8_t* BaudRate, std::int16_t* result) = 0;
    virtual HResult SetupBackLight(std::string* Backlight, std::int16_t* result) = 0;
    virtual HResult GetFreqOffset(const Variant& freq, Variant* FreqOffsetValue,
                                  Variant* result) = 0;

  protected:
    ~_KorvaneConnection() = default;
};

} // namespace sondrel
