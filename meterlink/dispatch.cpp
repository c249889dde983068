#include "dispatch.h"

#include "KorvaneConnection.h"
#include "common/member_errors.h"
#include "dispatch_arguments.h"

#include <cstdio>

namespace sondrel {
namespace {

// What a member hands back through its final out-parameter, by result type.
struct Outcome {
    Variant variant;
    std::int16_t number = 0;
    std::string text;
    VariantBool flag = VariantFalse;

    Variant as(ResultType type) const {
        switch (type) {
        case ResultType::None:
            return {};
        case ResultType::Variant:
            return variant;
        case ResultType::I2:
            return Variant::i2(number);
        case ResultType::Bstr:
            return Variant::bstr(text);
        case ResultType::Bool:
            return Variant::boolean(flag != VariantFalse);
        }
        return {};
    }
};

// One call per slot, in slot order. Parameter positions follow the table in
// dispatch_members.h.
HResult callSlot(_KorvaneConnection& t, int slot, CallArguments& a, Outcome& o) {
    using U8 = std::uint8_t;
    using I16 = std::int16_t;
    using Plan = UserPlanNumber;
    using Bytes8 = SafeArray<std::uint8_t>;
    switch (slot) {
    case 1:
        return t.CarryPlanNum(a.in<Plan>(0), &o.variant);
    case 2:
        return t.GetCN(a.variantIn(0), a.ref<Variant>(1), &o.variant);
    case 3:
        return t.OpenDeviceConnection(&o.variant);
    case 4:
        return t.GetlevelByChannel(a.variantIn(0), a.ref<Variant>(1), a.ref<Variant>(2),
                                   a.ref<Variant>(3), a.ref<Variant>(4), a.ref<Variant>(5),
                                   a.ref<Variant>(6), &o.variant);
    case 5:
        return t.GetLevelByFrequence(a.variantIn(0), a.ref<Variant>(1), &o.variant);
    case 6:
        return t.ReadChannel(a.in<Plan>(0), a.ref<SafeArray<Channellist>>(1), a.ref<ChannelHead>(2),
                             &o.variant);
    case 7:
        return t.ReadChannelDigi(a.in<Plan>(0), a.ref<Variant>(1), &o.variant);
    case 8:
        return t.CarryChannelHead(a.ref<ChannelHead>(0), &o.variant);
    case 9:
        return t.CarryChannel(a.ref<Variant>(0), a.in<Plan>(1), a.ref<ChannelHead>(2), &o.variant);
    case 10:
        return t.CarryChannelDigi(a.ref<Variant>(0), a.in<Plan>(1), &o.variant);
    case 11:
        return t.CloseDeviceConnection(&o.variant);
    case 12:
        return t.Reset(&o.variant);
    case 13:
        return t.get_PortDevice(&o.number);
    case 14:
        return t.put_PortDevice(a.in<I16>(0));
    case 15:
        return t.DeleteFile(a.ref<U8>(0), &o.number);
    case 16:
        return t.ReadSLMVolume(a.ref<U8>(0), &o.number);
    case 17:
        return t.SetupSLMVolume(a.ref<U8>(0), &o.number);
    case 18:
        return t.ReadFileHead(a.ref<U8>(0), a.ref<FileHead>(1), &o.number);
    case 19:
        return t.ReadFileHeadDigi(a.ref<U8>(0), a.ref<FileHead>(1), &o.number);
    case 20:
        return t.UserNameTransmmission(a.in<Plan>(0), a.ref<SafeArray<Channellist>>(1), &o.variant);
    case 21:
        return t.SLMType(&o.text);
    case 22:
        return t.ReadDigi(a.in<I16>(0), a.ref<float>(1), a.ref<float>(2), a.ref<float>(3),
                          a.ref<float>(4), a.ref<I16>(5), a.ref<I16>(6), &o.variant);
    case 23:
        return t.ReadPowerDigi(a.in<I16>(0), a.ref<float>(1), a.ref<float>(2), &o.variant);
    case 24:
        return t.get_PortState(&o.flag);
    case 25:
        return t.put_PortState(a.booleanIn(0));
    case 26:
        return t.ReadFileContent(a.ref<Bytes8>(0), a.ref<U8>(1), &o.number);
    case 27:
        return t.ReadFileContentDigi(a.ref<Bytes8>(0), a.ref<U8>(1), &o.number);
    case 28:
        return t.askwendb(a.ref<I16>(0), &o.number);
    case 29:
        return t.ReadFileCount(a.ref<U8>(0), &o.number);
    case 30:
        return t.ReadFileCountDigi(a.ref<U8>(0), &o.number);
    case 31:
        return t.SetupFreq(a.in<float>(0), a.ref<Variant>(1), &o.number);
    case 32:
        return t.ReadNowChannel(a.ref<std::string>(0), &o.number);
    case 33:
        return t.ReadPlanNum(a.ref<Plan>(0), &o.number);
    case 34:
        return t.SetupNowChannel(a.ref<std::string>(0), &o.number);
    case 35:
        return t.ReadSLMScreen(a.ref<Bytes8>(0), &o.number);
    case 36:
        return t.ReadSLMScreenBig(a.ref<Bytes8>(0), &o.number);
    case 37:
        return t.SetupLevelUnit(a.ref<std::string>(0), &o.number);
    case 38:
        return t.ReadTemperatureUnit(a.ref<std::string>(0), &o.number);
    case 39:
        return t.SetupTemperatureUnit(a.ref<std::string>(0), &o.number);
    case 40:
        return t.SetupSLMLimit(a.ref<Variant>(0), &o.number);
    case 41:
        return t.SetupFreqStep(a.ref<std::string>(0), &o.number);
    case 42:
        return t.SetupDateTime(a.ref<ComDate>(0), a.ref<ComDate>(1), &o.number);
    case 43:
        return t.SetupShutdownTime(a.ref<std::string>(0), &o.number);
    case 44:
        return t.ReadShutdownUnit(a.ref<std::string>(0), &o.number);
    case 45:
        return t.SetupBaudRate(a.ref<U8>(0), &o.number);
    case 46:
        return t.SetupBackLight(a.ref<std::string>(0), &o.number);
    case 47:
        return t.GetFreqOffset(a.variantIn(0), a.ref<Variant>(1), &o.variant);
    }
    return DispEMemberNotFound;
}

HResult report(ExcepInfo* excep, HResult returned, const std::string& description, HResult code) {
    if (excep) *excep = {code, DispatchSource, description};
    return returned;
}

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

} // namespace

HResult memberIdOfName(const std::string& name, DispId* dispId) {
    if (!dispId) return E_Pointer;
    const MemberInfo* m = findMemberByName(name);
    if (!m) return DispEUnknownName;
    *dispId = m->dispId;
    return S_Ok;
}

HResult invokeMember(_KorvaneConnection& target, DispId dispId, InvokeKind kind,
                     std::vector<Variant>& args, Variant* result, ExcepInfo* excep) {
    const MemberInfo* m = findMember(dispId, kind);
    if (!m)
        return report(excep, DispEMemberNotFound,
                      "no member " + hex(static_cast<std::uint32_t>(dispId)) +
                          " for this kind of call",
                      DispEMemberNotFound);
    const std::string name(m->name);
    const std::size_t required = requiredParamCount(*m), total = m->params.size();
    if (args.size() < required || args.size() > total) {
        const std::string expected =
            required == total ? std::to_string(total)
                              : std::to_string(required) + " to " + std::to_string(total);
        return report(excep, DispEBadParamCount,
                      name + " takes " + expected + " argument(s), not " +
                          std::to_string(args.size()),
                      DispEBadParamCount);
    }
    try {
        CallArguments arguments(*m, args);
        Outcome outcome;
        const HResult hr = callSlot(target, m->slot, arguments, outcome);
        if (failed(hr)) return report(excep, DispEException, describeMemberError(hr), hr);
        arguments.writeBack(args);
        if (result) *result = outcome.as(m->result);
        return S_Ok;
    } catch (const InvokeError& e) {
        return report(excep, e.code(), e.what(), e.code());
    } catch (const std::exception& e) {
        return report(excep, DispEException, name + ": " + e.what(), E_Fail);
    }
}

HResult KorvaneConnection::GetIDsOfNames(const std::string& name, DispId* dispId) {
    const MemberCall call(*this);
    return memberIdOfName(name, dispId);
}

HResult KorvaneConnection::Invoke(DispId dispId, InvokeKind kind, std::vector<Variant>& args,
                                  Variant* result, ExcepInfo* excep) {
    const MemberCall call(*this);
    return invokeMember(*this, dispId, kind, args, result, excep);
}

} // namespace sondrel
