// KorvaneConnection: the library's one class. Its members are defined in the
// file of the area they belong to (plan_protocol, measurements, stored_files,
// settings, screen_capture, dispatch); this file and KorvaneConnection.cpp hold
// the object's state, its serial control and the connection members.
//
// An object may be used from several threads: its members are serialised, a
// call from another thread waits until the running one has returned (and so
// do calls of other objects that share its serial control). A call
// made from inside a running one on the same thread (a client's event handler
// run while a transfer yields) is not held back; clients must not start one.
// The failure record (last_failure.h) belongs to the calling thread's last call.
#pragma once

#include "frame_exchange.h"
#include "korvane_interface.h"
#include "serial_link.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace sondrel {

// Size of the serial control's input buffer.
inline constexpr std::size_t SerialInBufferSize = 3072;

class KorvaneConnection final : public _KorvaneConnection {
  public:
    KorvaneConnection();
    // A connection on a serial control of the caller's, with its own waits:
    // for checks that feed the members replies from memory.
    KorvaneConnection(std::shared_ptr<SerialLink> control, ExchangeTiming timing);
    KorvaneConnection(const KorvaneConnection&) = delete;
    KorvaneConnection& operator=(const KorvaneConnection&) = delete;

    // IUnknownLike
    HResult QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // IDispatchLike (dispatch.cpp)
    HResult GetIDsOfNames(const std::string& name, DispId* dispId) override;
    HResult Invoke(DispId dispId, InvokeKind kind, std::vector<Variant>& args, Variant* result,
                   ExcepInfo* excep) override;

    // Connection (KorvaneConnection.cpp)
    HResult OpenDeviceConnection(Variant* result) override;
    HResult CloseDeviceConnection(Variant* result) override;
    HResult Reset(Variant* result) override;
    HResult get_PortDevice(std::int16_t* result) override;
    HResult put_PortDevice(std::int16_t value) override;
    HResult get_PortState(VariantBool* result) override;
    HResult put_PortState(VariantBool value) override;

    // Channel plans (plan_protocol.cpp)
    HResult CarryPlanNum(UserPlanNumber Plannum, Variant* result) override;
    HResult ReadChannel(UserPlanNumber Plannum, SafeArray<Channellist>* ChannelPlan,
                        ChannelHead* Head, Variant* result) override;
    HResult ReadChannelDigi(UserPlanNumber Plannum, Variant* ChannelPlan, Variant* result) override;
    HResult CarryChannelHead(ChannelHead* Head, Variant* result) override;
    HResult CarryChannel(Variant* ChannelPlan, UserPlanNumber Plannum, ChannelHead* Head,
                         Variant* result) override;
    HResult CarryChannelDigi(Variant* ChannelPlan, UserPlanNumber Plannum,
                             Variant* result) override;
    HResult UserNameTransmmission(UserPlanNumber Plannum, SafeArray<Channellist>* ChannelPlan,
                                  Variant* result) override;
    HResult ReadPlanNum(UserPlanNumber* NowChannel, std::int16_t* result) override;

    // Measurements (measurements.cpp)
    HResult GetCN(const Variant& freq, Variant* cnvalue, Variant* result) override;
    HResult GetlevelByChannel(const Variant& chnum, Variant* videolevel, Variant* peak_videolevel,
                              Variant* adjust_videolevel, Variant* audiolevel,
                              Variant* peadk_audiolevel, Variant* adjust_audiolevel,
                              Variant* result) override;
    HResult GetLevelByFrequence(const Variant& freq, Variant* levelvalue, Variant* result) override;
    HResult ReadDigi(std::int16_t nowchan, float* power, float* powerpj, float* mer, float* ber,
                     std::int16_t* zhishu, std::int16_t* dishu, Variant* result) override;
    HResult ReadPowerDigi(std::int16_t nowchan, float* power, float* powerpj,
                          Variant* result) override;
    HResult askwendb(std::int16_t* WenDB, std::int16_t* result) override;
    HResult SetupFreq(float freq, Variant* freqrev, std::int16_t* result) override;
    HResult ReadNowChannel(std::string* NowChannel, std::int16_t* result) override;
    HResult SetupNowChannel(std::string* NowChannel, std::int16_t* result) override;
    HResult GetFreqOffset(const Variant& freq, Variant* FreqOffsetValue, Variant* result) override;

    // Stored measurement files (stored_files.cpp)
    HResult DeleteFile(std::uint8_t* filenum, std::int16_t* result) override;
    HResult ReadFileHead(std::uint8_t* FileIndexNum, FileHead* FileHead,
                         std::int16_t* result) override;
    HResult ReadFileHeadDigi(std::uint8_t* FileIndexNum, FileHead* FileHead,
                             std::int16_t* result) override;
    HResult ReadFileContent(SafeArray<std::uint8_t>* FileContent, std::uint8_t* filenum,
                            std::int16_t* result) override;
    HResult ReadFileContentDigi(SafeArray<std::uint8_t>* FileContent, std::uint8_t* filenum,
                                std::int16_t* result) override;
    HResult ReadFileCount(std::uint8_t* FileCount, std::int16_t* result) override;
    HResult ReadFileCountDigi(std::uint8_t* FileCount, std::int16_t* result) override;

    // Instrument settings (settings.cpp)
    HResult SLMType(std::string* result) override;
    HResult ReadSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) override;
    HResult SetupSLMVolume(std::uint8_t* VolumeLevel, std::int16_t* result) override;
    HResult SetupLevelUnit(std::string* LevelUnit, std::int16_t* result) override;
    HResult ReadTemperatureUnit(std::string* TemperatureUnit, std::int16_t* result) override;
    HResult SetupTemperatureUnit(std::string* TemperatureUnit, std::int16_t* result) override;
    HResult SetupSLMLimit(Variant* SLMLimit, std::int16_t* result) override;
    HResult SetupFreqStep(std::string* FreqStep, std::int16_t* result) override;
    HResult SetupDateTime(ComDate* NowDate, ComDate* NowTime, std::int16_t* result) override;
    HResult SetupShutdownTime(std::string* ShutdownTime, std::int16_t* result) override;
    HResult ReadShutdownUnit(std::string* ShutdownUnit, std::int16_t* result) override;
    HResult SetupBaudRate(std::uint8_t* BaudRate, std::int16_t* result) override;
    HResult SetupBackLight(std::string* Backlight, std::int16_t* result) override;

    // Screen capture (screen_capture.cpp)
    HResult ReadSLMScreen(SafeArray<std::uint8_t>* SLMScreen, std::int16_t* result) override;
    HResult ReadSLMScreenBig(SafeArray<std::uint8_t>* SLMScreen, std::int16_t* result) override;

    // Number of live objects in the process (for the library's unload check).
    static long liveObjects();

  private:
    ~KorvaneConnection();

    // Taken at the entry of every member: holds the lock of the object's
    // serial control for the call (objects sharing a control take turns too)
    // and starts the calling thread's failure record afresh.
    class MemberCall {
      public:
        explicit MemberCall(KorvaneConnection& connection);

      private:
        std::lock_guard<std::recursive_mutex> lock_;
    };

    // The frame routines over the shared serial control.
    FrameExchange& wire() { return exchange_; }

    std::atomic<std::uint32_t> references_{1};
    std::int16_t portNumber_ = 0;
    std::shared_ptr<SerialLink> control_;
    VariantBool portState_ = VariantFalse;
    std::int16_t TimedOut = 0;
    FrameExchange exchange_;
};

// The serial control of the calling thread, created with the first object and
// shared by every object of that thread (the last PortDevice put wins).
std::shared_ptr<SerialLink> threadSerialControl();

} // namespace sondrel
