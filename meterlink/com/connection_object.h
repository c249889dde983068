// The COM object of class KorvaneConnection: the dual interface
// _KorvaneConnection over the library's own connection. Every vtable entry and
// IDispatch::Invoke make the same member call (member_call.h); nothing of a
// member is implemented here.
#pragma once

#include "com_headers.h"

#include "korvane_interface.h"

#include <atomic>
#include <initializer_list>

namespace sondrel::com {

GUID guidOf(const sondrel::Guid& id);

class ConnectionObject final : public ::_KorvaneConnection, public ISupportErrorInfo {
  public:
    ConnectionObject();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* argError) override;

    // _KorvaneConnection, in slot order
    HRESULT STDMETHODCALLTYPE CarryPlanNum(::UserPlanNumber Plannum, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE GetCN(VARIANT freq, VARIANT* cnvalue, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE OpenDeviceConnection(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE GetlevelByChannel(VARIANT chnum, VARIANT* videolevel,
                                                VARIANT* peak_videolevel,
                                                VARIANT* adjust_videolevel, VARIANT* audiolevel,
                                                VARIANT* peadk_audiolevel,
                                                VARIANT* adjust_audiolevel,
                                                VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE GetLevelByFrequence(VARIANT freq, VARIANT* levelvalue,
                                                  VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ReadChannel(::UserPlanNumber Plannum, SAFEARRAY** ChannelPlan,
                                          ::ChannelHead* Head, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ReadChannelDigi(::UserPlanNumber Plannum, VARIANT* ChannelPlan,
                                              VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE CarryChannelHead(::ChannelHead* Head, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE CarryChannel(VARIANT* ChannelPlan, ::UserPlanNumber Plannum,
                                           ::ChannelHead* Head, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE CarryChannelDigi(VARIANT* ChannelPlan, ::UserPlanNumber Plannum,
                                               VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE CloseDeviceConnection(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE Reset(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_PortDevice(short* result) override;
    HRESULT STDMETHODCALLTYPE put_PortDevice(short value) override;
    HRESULT STDMETHODCALLTYPE DeleteFile(unsigned char* filenum, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadSLMVolume(unsigned char* VolumeLevel, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupSLMVolume(unsigned char* VolumeLevel, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadFileHead(unsigned char* FileIndexNum, ::FileHead* FileHead,
                                           short* result) override;
    HRESULT STDMETHODCALLTYPE ReadFileHeadDigi(unsigned char* FileIndexNum, ::FileHead* FileHead,
                                               short* result) override;
    HRESULT STDMETHODCALLTYPE UserNameTransmmission(::UserPlanNumber Plannum,
                                                    SAFEARRAY** ChannelPlan,
                                                    VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE SLMType(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE ReadDigi(short nowchan, float* power, float* powerpj, float* mer,
                                       float* ber, short* zhishu, short* dishu,
                                       VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE ReadPowerDigi(short nowchan, float* power, float* powerpj,
                                            VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_PortState(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_PortState(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE ReadFileContent(SAFEARRAY** FileContent, unsigned char* filenum,
                                              short* result) override;
    HRESULT STDMETHODCALLTYPE ReadFileContentDigi(SAFEARRAY** FileContent, unsigned char* filenum,
                                                  short* result) override;
    HRESULT STDMETHODCALLTYPE askwendb(short* WenDB, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadFileCount(unsigned char* FileCount, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadFileCountDigi(unsigned char* FileCount, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupFreq(float freq, VARIANT* freqrev, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadNowChannel(BSTR* NowChannel, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadPlanNum(::UserPlanNumber* NowChannel, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupNowChannel(BSTR* NowChannel, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadSLMScreen(SAFEARRAY** SLMScreen, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadSLMScreenBig(SAFEARRAY** SLMScreen, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupLevelUnit(BSTR* LevelUnit, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadTemperatureUnit(BSTR* TemperatureUnit, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupTemperatureUnit(BSTR* TemperatureUnit, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupSLMLimit(VARIANT* SLMLimit, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupFreqStep(BSTR* FreqStep, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupDateTime(DATE* NowDate, DATE* NowTime, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupShutdownTime(BSTR* ShutdownTime, short* result) override;
    HRESULT STDMETHODCALLTYPE ReadShutdownUnit(BSTR* ShutdownUnit, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupBaudRate(unsigned char* BaudRate, short* result) override;
    HRESULT STDMETHODCALLTYPE SetupBackLight(BSTR* Backlight, short* result) override;
    HRESULT STDMETHODCALLTYPE GetFreqOffset(VARIANT freq, VARIANT* FreqOffsetValue,
                                            VARIANT* result) override;

  private:
    ~ConnectionObject();

    // Calls the member of this slot with the arguments in parameter order;
    // stores its result in *result in the result's declared type.
    template <typename Result>
    HRESULT call(int slot, std::initializer_list<VARIANT> args, Result* result);

    std::atomic<ULONG> references_{1};
    sondrel::_KorvaneConnection* inner_;
};

} // namespace sondrel::com
