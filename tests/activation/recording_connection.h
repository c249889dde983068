// A stand-in for KorvaneConnection behind the real dispatcher: it records which
// member a late-bound call reached and what it was given, and writes known
// values into its in/out parameters.
#pragma once

#include "dispatch.h"

#include <stdexcept>
#include <string>

namespace korvane::testing {

using namespace sondrel;

class RecordingConnection final : public _KorvaneConnection {
  public:
    std::string called;         // member reached, "get_"/"put_" for properties
    HResult answer = S_Ok;      // what every member returns
    bool throwInside = false;   // members throw instead of returning
    bool optionalGiven[2] = {}; // ReadDigi: zhishu, dishu passed
    float lastFloat = 0;        // SetupFreq's freq
    UserPlanNumber lastPlan{};  // CarryPlanNum's Plannum
    ComDate lastDate{};         // SetupDateTime's NowDate as received
    Variant lastVariant;        // GetCN's freq
    std::int16_t portDevice = 0;
    VariantBool portState = VariantFalse;

    HResult QueryInterface(const Guid&, void**) override { return E_NoInterface; }
    std::uint32_t AddRef() override { return 1; }
    std::uint32_t Release() override { return 1; }
    HResult GetIDsOfNames(const std::string& name, DispId* id) override {
        return memberIdOfName(name, id);
    }
    HResult Invoke(DispId id, InvokeKind kind, std::vector<Variant>& args, Variant* result,
                   ExcepInfo* excep) override {
        return invokeMember(*this, id, kind, args, result, excep);
    }

    HResult CarryPlanNum(UserPlanNumber p, Variant* r) override {
        lastPlan = p;
        return done("CarryPlanNum", r);
    }
    HResult GetCN(const Variant& freq, Variant* cn, Variant* r) override {
        lastVariant = freq;
        *cn = Variant::i2(33);
        return done("GetCN", r);
    }
    HResult OpenDeviceConnection(Variant* r) override { return done("OpenDeviceConnection", r); }
    HResult GetlevelByChannel(const Variant&, Variant*, Variant*, Variant*, Variant*, Variant*,
                              Variant*, Variant*) override {
        return hit("GetlevelByChannel"); // leaves its result empty
    }
    HResult GetLevelByFrequence(const Variant&, Variant*, Variant* r) override {
        return done("GetLevelByFrequence", r);
    }
    HResult ReadChannel(UserPlanNumber, SafeArray<Channellist>* plan, ChannelHead* head,
                        Variant* r) override {
        plan->redim(1, 2);
        plan->at(1).ChannelName = "S1";
        head->Span = 20;
        return done("ReadChannel", r);
    }
    HResult ReadChannelDigi(UserPlanNumber, Variant*, Variant* r) override {
        return done("ReadChannelDigi", r);
    }
    HResult CarryChannelHead(ChannelHead*, Variant* r) override {
        return done("CarryChannelHead", r);
    }
    HResult CarryChannel(Variant*, UserPlanNumber, ChannelHead*, Variant* r) override {
        return done("CarryChannel", r);
    }
    HResult CarryChannelDigi(Variant*, UserPlanNumber, Variant* r) override {
        return done("CarryChannelDigi", r);
    }
    HResult CloseDeviceConnection(Variant* r) override { return done("CloseDeviceConnection", r); }
    HResult Reset(Variant* r) override { return done("Reset", r); }
    HResult get_PortDevice(std::int16_t* r) override {
        *r = portDevice;
        return hit("get_PortDevice");
    }
    HResult put_PortDevice(std::int16_t v) override {
        portDevice = v;
        return hit("put_PortDevice");
    }
    HResult DeleteFile(std::uint8_t*, std::int16_t* r) override { return done("DeleteFile", r); }
    HResult ReadSLMVolume(std::uint8_t* level, std::int16_t* r) override {
        *level = 7;
        return done("ReadSLMVolume", r);
    }
    HResult SetupSLMVolume(std::uint8_t*, std::int16_t* r) override {
        return done("SetupSLMVolume", r);
    }
    HResult ReadFileHead(std::uint8_t*, FileHead* head, std::int16_t* r) override {
        head->FileName = "F1";
        return done("ReadFileHead", r);
    }
    HResult ReadFileHeadDigi(std::uint8_t*, FileHead*, std::int16_t* r) override {
        return done("ReadFileHeadDigi", r);
    }
    HResult UserNameTransmmission(UserPlanNumber, SafeArray<Channellist>*, Variant* r) override {
        return done("UserNameTransmmission", r);
    }
    HResult SLMType(std::string* r) override {
        *r = "2000A";
        return hit("SLMType");
    }
    HResult ReadDigi(std::int16_t, float* power, float*, float*, float*, std::int16_t* zhishu,
                     std::int16_t* dishu, Variant* r) override {
        *power = 66.6f;
        optionalGiven[0] = zhishu != nullptr;
        optionalGiven[1] = dishu != nullptr;
        if (zhishu) *zhishu = 5;
        return done("ReadDigi", r);
    }
    HResult ReadPowerDigi(std::int16_t, float*, float*, Variant* r) override {
        return done("ReadPowerDigi", r);
    }
    HResult get_PortState(VariantBool* r) override {
        *r = portState;
        return hit("get_PortState");
    }
    HResult put_PortState(VariantBool v) override {
        portState = v;
        return hit("put_PortState");
    }
    HResult ReadFileContent(SafeArray<std::uint8_t>* content, std::uint8_t*,
                            std::int16_t* r) override {
        content->items = {1, 2, 3};
        return done("ReadFileContent", r);
    }
    HResult ReadFileContentDigi(SafeArray<std::uint8_t>*, std::uint8_t*, std::int16_t* r) override {
        return done("ReadFileContentDigi", r);
    }
    HResult askwendb(std::int16_t* wenDb, std::int16_t* r) override {
        *wenDb = -5;
        return done("askwendb", r);
    }
    HResult ReadFileCount(std::uint8_t*, std::int16_t* r) override {
        return done("ReadFileCount", r);
    }
    HResult ReadFileCountDigi(std::uint8_t*, std::int16_t* r) override {
        return done("ReadFileCountDigi", r);
    }
    HResult SetupFreq(float freq, Variant* freqrev, std::int16_t* r) override {
        lastFloat = freq;
        if (freqrev) *freqrev = Variant::r8(100.0);
        return done("SetupFreq", r);
    }
    HResult ReadNowChannel(std::string* now, std::int16_t* r) override {
        *now = "C";
        return done("ReadNowChannel", r);
    }
    HResult ReadPlanNum(UserPlanNumber* now, std::int16_t* r) override {
        *now = UserPlanC;
        return done("ReadPlanNum", r);
    }
    HResult SetupNowChannel(std::string*, std::int16_t* r) override {
        return done("SetupNowChannel", r);
    }
    HResult ReadSLMScreen(SafeArray<std::uint8_t>*, std::int16_t* r) override {
        return done("ReadSLMScreen", r);
    }
    HResult ReadSLMScreenBig(SafeArray<std::uint8_t>*, std::int16_t* r) override {
        return done("ReadSLMScreenBig", r);
    }
    HResult SetupLevelUnit(std::string*, std::int16_t* r) override {
        return done("SetupLevelUnit", r);
    }
    HResult ReadTemperatureUnit(std::string*, std::int16_t* r) override {
        return done("ReadTemperatureUnit", r);
    }
    HResult SetupTemperatureUnit(std::string*, std::int16_t* r) override {
        return done("SetupTemperatureUnit", r);
    }
    HResult SetupSLMLimit(Variant*, std::int16_t* r) override { return done("SetupSLMLimit", r); }
    HResult SetupFreqStep(std::string*, std::int16_t* r) override {
        return done("SetupFreqStep", r);
    }
    HResult SetupDateTime(ComDate* date, ComDate*, std::int16_t* r) override {
        lastDate = *date;
        return done("SetupDateTime", r);
    }
    HResult SetupShutdownTime(std::string*, std::int16_t* r) override {
        return done("SetupShutdownTime", r);
    }
    HResult ReadShutdownUnit(std::string*, std::int16_t* r) override {
        return done("ReadShutdownUnit", r);
    }
    HResult SetupBaudRate(std::uint8_t*, std::int16_t* r) override {
        return done("SetupBaudRate", r);
    }
    HResult SetupBackLight(std::string*, std::int16_t* r) override {
        return done("SetupBackLight", r);
    }
    HResult GetFreqOffset(const Variant&, Variant*, Variant* r) override {
        return done("GetFreqOffset", r);
    }

  private:
    HResult hit(const char* name) {
        called = name;
        if (throwInside) throw std::runtime_error("meter unplugged");
        return answer;
    }
    HResult done(const char* name, Variant* result) {
        *result = Variant::i2(1);
        return hit(name);
    }
    HResult done(const char* name, std::int16_t* result) {
        *result = 1;
        return hit(name);
    }
};

} // namespace korvane::testing
