#include "connection_object.h"

#include "com_values.h"
#include "common/dispatch_members.h"
#include "inner_connection.h"
#include "member_call.h"
#include "sondrel_ids.h"
#include "type_library.h"

#include <cstring>
#include <vector>

namespace sondrel::com {

GUID guidOf(const sondrel::Guid& id) {
    GUID out{id.data1, id.data2, id.data3, {}};
    std::memcpy(out.Data4, id.data4.data(), sizeof out.Data4);
    return out;
}

namespace {

// Arguments of an early-bound call, as the VARIANTs a late-bound caller would
// pass: values by value, in/out parameters by reference to the caller's own
// storage. A null pointer leaves an optional parameter out.
VARIANT missingArgument() {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

VARIANT valueOf(const VARIANT& given) {
    return given; // read only: a shallow copy is enough
}

VARIANT i2Of(short value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I2;
    V_I2(&v) = value;
    return v;
}

VARIANT boolOf(VARIANT_BOOL value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value;
    return v;
}

VARIANT r4Of(float value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_R4;
    V_R4(&v) = value;
    return v;
}

VARIANT planOf(::UserPlanNumber value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT refTo(VARTYPE type, void* where) {
    if (!where) return missingArgument();
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | type;
    V_BYREF(&v) = where;
    return v;
}

VARIANT refOf(VARIANT* p) {
    return refTo(VT_VARIANT, p);
}
VARIANT refOf(short* p) {
    return refTo(VT_I2, p);
}
VARIANT refOf(unsigned char* p) {
    return refTo(VT_UI1, p);
}
VARIANT refOf(float* p) {
    return refTo(VT_R4, p);
}
VARIANT refOf(BSTR* p) {
    return refTo(VT_BSTR, p);
}
VARIANT refOf(DATE* p) {
    return refTo(VT_DATE, p);
}
VARIANT refOf(::UserPlanNumber* p) {
    static_assert(sizeof(::UserPlanNumber) == sizeof(LONG));
    return refTo(VT_I4, p);
}
VARIANT recordsRef(SAFEARRAY** p) {
    return refTo(VT_ARRAY | VT_RECORD, p);
}
VARIANT bytesRef(SAFEARRAY** p) {
    return refTo(VT_ARRAY | VT_UI1, p);
}
VARIANT recordRef(RecordKind kind, void* p) {
    if (!p) return missingArgument();
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_RECORD;
    V_RECORD(&v) = p;
    V_RECORDINFO(&v) = recordInfo(kind);
    return v;
}
VARIANT refOf(::ChannelHead* p) {
    return recordRef(RecordKind::ChannelHead, p);
}
VARIANT refOf(::FileHead* p) {
    return recordRef(RecordKind::FileHead, p);
}

WORD flagsOf(MemberKind kind) {
    switch (kind) {
    case MemberKind::Method:
        return DISPATCH_METHOD;
    case MemberKind::PropertyGet:
        return DISPATCH_PROPERTYGET;
    case MemberKind::PropertyPut:
        return DISPATCH_PROPERTYPUT;
    }
    return DISPATCH_METHOD;
}

// The member's result in the declared result type of the vtable entry.
HRESULT storeResult(VARIANT& outcome, VARIANT* result) {
    *result = outcome;
    return S_OK;
}

HRESULT changeResult(VARIANT& outcome, VARTYPE type) {
    const HRESULT hr = VariantChangeType(&outcome, &outcome, 0, type);
    if (FAILED(hr)) VariantClear(&outcome);
    return hr;
}

HRESULT storeResult(VARIANT& outcome, short* result) {
    const HRESULT hr = changeResult(outcome, VT_I2);
    if (SUCCEEDED(hr)) *result = V_I2(&outcome);
    return hr;
}

HRESULT storeResult(VARIANT& outcome, BSTR* result) {
    const HRESULT hr = changeResult(outcome, VT_BSTR);
    if (SUCCEEDED(hr)) *result = V_BSTR(&outcome);
    return hr;
}

HRESULT storeResult(VARIANT& outcome, std::nullptr_t) {
    VariantClear(&outcome);
    return S_OK;
}

} // namespace

ConnectionObject::ConnectionObject() : inner_(createInnerConnection()) {}

ConnectionObject::~ConnectionObject() {
    inner_->Release();
}

template <typename Result>
HRESULT ConnectionObject::call(int slot, std::initializer_list<VARIANT> args, Result* result) {
    if constexpr (!std::is_same_v<Result, std::nullptr_t>)
        if (!result) return E_POINTER;
    const MemberInfo& member = KorvaneMembers.at(static_cast<std::size_t>(slot - 1));
    std::vector<VARIANT> arguments(args);
    CallFailure failure;
    VARIANT outcome;
    VariantInit(&outcome);
    const HRESULT hr =
        callMember(*inner_, member.dispId, flagsOf(member.kind), arguments.data(),
                   static_cast<UINT>(arguments.size()), &outcome, &failure, RecordForm::Typed);
    if (hr == DISP_E_EXCEPTION) {
        publishErrorInfo(failure.excep.source, failure.excep.description);
        return failure.excep.code;
    }
    if (FAILED(hr)) return hr;
    if constexpr (std::is_same_v<Result, std::nullptr_t>)
        return storeResult(outcome, nullptr);
    else
        return storeResult(outcome, result);
}

HRESULT ConnectionObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, ::IID_IUnknown) || IsEqualIID(iid, ::IID_IDispatch) ||
        IsEqualIID(iid, guidOf(sondrel::IID__KorvaneConnection))) {
        *object = static_cast<::_KorvaneConnection*>(this);
    } else if (IsEqualIID(iid, ::IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ConnectionObject::AddRef() {
    return ++references_;
}

ULONG ConnectionObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT ConnectionObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, guidOf(sondrel::IID__KorvaneConnection)) ? S_OK : S_FALSE;
}

HRESULT ConnectionObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT ConnectionObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeLib* library = typeLibrary();
    if (!library) return TYPE_E_CANTLOADLIBRARY;
    return library->GetTypeInfoOfGuid(guidOf(sondrel::IID__KorvaneConnection), info);
}

HRESULT ConnectionObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    BSTR name = SysAllocString(names[0]);
    const MemberInfo* member = findMemberByName(utf8Of(name));
    SysFreeString(name);
    ids[0] = member ? member->dispId : DISPID_UNKNOWN;
    bool allKnown = member != nullptr;
    // Further names are parameter names: their position in the parameter list.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (!member) {
            allKnown = false;
            continue;
        }
        BSTR param = SysAllocString(names[i]);
        const std::string wanted = utf8Of(param);
        SysFreeString(param);
        bool found = false;
        for (std::size_t p = 0; p < member->params.size(); ++p)
            if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, wanted.c_str(), -1,
                               std::string(member->params[p].name).c_str(), -1) == CSTR_EQUAL) {
                ids[i] = static_cast<DISPID>(p);
                found = true;
            }
        allKnown = allKnown && found;
    }
    return allKnown ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT ConnectionObject::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* excep, UINT* argError) {
    if (!IsEqualIID(iid, ::IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!params || params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    // DISPPARAMS holds the arguments last first, named ones (by parameter
    // position, as GetIDsOfNames gives it) before the positional ones.
    const UINT count = params->cArgs, named = params->cNamedArgs, positional = count - named;
    std::vector<VARIANT> arguments(positional, missingArgument());
    for (UINT i = 0; i < positional; ++i)
        arguments[i] = params->rgvarg[count - 1 - i];
    for (UINT k = 0; k < named; ++k) {
        const DISPID id = params->rgdispidNamedArgs[k];
        // A property's new value comes last, after any other argument.
        const UINT at = id == DISPID_PROPERTYPUT ? count - 1 : static_cast<UINT>(id);
        if (id != DISPID_PROPERTYPUT && (id < 0 || at < positional)) return DISP_E_PARAMNOTFOUND;
        if (at >= arguments.size()) arguments.resize(at + 1, missingArgument());
        arguments[at] = params->rgvarg[k];
    }
    CallFailure failure;
    VARIANT outcome;
    VariantInit(&outcome);
    const HRESULT hr =
        callMember(*inner_, member, flags, arguments.data(), static_cast<UINT>(arguments.size()),
                   &outcome, &failure, RecordForm::Objects);
    if (hr == DISP_E_EXCEPTION) {
        if (excep) {
            std::memset(excep, 0, sizeof *excep);
            excep->scode = failure.excep.code;
            excep->bstrSource = bstrOf(failure.excep.source);
            excep->bstrDescription = bstrOf(failure.excep.description);
        }
        return hr;
    }
    if (FAILED(hr)) {
        // The failing argument's place in DISPPARAMS (positional ones only).
        if (argError && failure.argument < positional &&
            (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == DISP_E_PARAMNOTFOUND))
            *argError = count - 1 - failure.argument;
        return hr;
    }
    if (result)
        *result = outcome;
    else
        VariantClear(&outcome);
    return S_OK;
}

// The vtable: each entry is the member call of its slot (numbers as in
// common/dispatch_members.h).
HRESULT ConnectionObject::CarryPlanNum(::UserPlanNumber Plannum, VARIANT* result) {
    return call(1, {planOf(Plannum)}, result);
}
HRESULT ConnectionObject::GetCN(VARIANT freq, VARIANT* cnvalue, VARIANT* result) {
    return call(2, {valueOf(freq), refOf(cnvalue)}, result);
}
HRESULT ConnectionObject::OpenDeviceConnection(VARIANT* result) {
    return call(3, {}, result);
}
HRESULT ConnectionObject::GetlevelByChannel(VARIANT chnum, VARIANT* videolevel,
                                            VARIANT* peak_videolevel, VARIANT* adjust_videolevel,
                                            VARIANT* audiolevel, VARIANT* peadk_audiolevel,
                                            VARIANT* adjust_audiolevel, VARIANT* result) {
    return call(4,
                {valueOf(chnum), refOf(videolevel), refOf(peak_videolevel),
                 refOf(adjust_videolevel), refOf(audiolevel), refOf(peadk_audiolevel),
                 refOf(adjust_audiolevel)},
                result);
}
HRESULT ConnectionObject::GetLevelByFrequence(VARIANT freq, VARIANT* levelvalue, VARIANT* result) {
    return call(5, {valueOf(freq), refOf(levelvalue)}, result);
}
HRESULT ConnectionObject::ReadChannel(::UserPlanNumber Plannum, SAFEARRAY** ChannelPlan,
                                      ::ChannelHead* Head, VARIANT* result) {
    return call(6, {planOf(Plannum), recordsRef(ChannelPlan), refOf(Head)}, result);
}
HRESULT ConnectionObject::ReadChannelDigi(::UserPlanNumber Plannum, VARIANT* ChannelPlan,
                                          VARIANT* result) {
    return call(7, {planOf(Plannum), refOf(ChannelPlan)}, result);
}
HRESULT ConnectionObject::CarryChannelHead(::ChannelHead* Head, VARIANT* result) {
    return call(8, {refOf(Head)}, result);
}
HRESULT ConnectionObject::CarryChannel(VARIANT* ChannelPlan, ::UserPlanNumber Plannum,
                                       ::ChannelHead* Head, VARIANT* result) {
    return call(9, {refOf(ChannelPlan), planOf(Plannum), refOf(Head)}, result);
}
HRESULT ConnectionObject::CarryChannelDigi(VARIANT* ChannelPlan, ::UserPlanNumber Plannum,
                                           VARIANT* result) {
    return call(10, {refOf(ChannelPlan), planOf(Plannum)}, result);
}
HRESULT ConnectionObject::CloseDeviceConnection(VARIANT* result) {
    return call(11, {}, result);
}
HRESULT ConnectionObject::Reset(VARIANT* result) {
    return call(12, {}, result);
}
HRESULT ConnectionObject::get_PortDevice(short* result) {
    return call(13, {}, result);
}
HRESULT ConnectionObject::put_PortDevice(short value) {
    return call<std::nullptr_t>(14, {i2Of(value)}, nullptr);
}
HRESULT ConnectionObject::DeleteFile(unsigned char* filenum, short* result) {
    return call(15, {refOf(filenum)}, result);
}
HRESULT ConnectionObject::ReadSLMVolume(unsigned char* VolumeLevel, short* result) {
    return call(16, {refOf(VolumeLevel)}, result);
}
HRESULT ConnectionObject::SetupSLMVolume(unsigned char* VolumeLevel, short* result) {
    return call(17, {refOf(VolumeLevel)}, result);
}
HRESULT ConnectionObject::ReadFileHead(unsigned char* FileIndexNum, ::FileHead* FileHead,
                                       short* result) {
    return call(18, {refOf(FileIndexNum), refOf(FileHead)}, result);
}
HRESULT ConnectionObject::ReadFileHeadDigi(unsigned char* FileIndexNum, ::FileHead* FileHead,
                                           short* result) {
    return call(19, {refOf(FileIndexNum), refOf(FileHead)}, result);
}
HRESULT ConnectionObject::UserNameTransmmission(::UserPlanNumber Plannum, SAFEARRAY** ChannelPlan,
                                                VARIANT* result) {
    return call(20, {planOf(Plannum), recordsRef(ChannelPlan)}, result);
}
HRESULT ConnectionObject::SLMType(BSTR* result) {
    return call(21, {}, result);
}
HRESULT ConnectionObject::ReadDigi(short nowchan, float* power, float* powerpj, float* mer,
                                   float* ber, short* zhishu, short* dishu, VARIANT* result) {
    return call(22,
                {i2Of(nowchan), refOf(power), refOf(powerpj), refOf(mer), refOf(ber), refOf(zhishu),
                 refOf(dishu)},
                result);
}
HRESULT ConnectionObject::ReadPowerDigi(short nowchan, float* power, float* powerpj,
                                        VARIANT* result) {
    return call(23, {i2Of(nowchan), refOf(power), refOf(powerpj)}, result);
}
HRESULT ConnectionObject::get_PortState(VARIANT_BOOL* result) {
    return call(24, {}, result);
}
HRESULT ConnectionObject::put_PortState(VARIANT_BOOL value) {
    return call<std::nullptr_t>(25, {boolOf(value)}, nullptr);
}
HRESULT ConnectionObject::ReadFileContent(SAFEARRAY** FileContent, unsigned char* filenum,
                                          short* result) {
    return call(26, {bytesRef(FileContent), refOf(filenum)}, result);
}
HRESULT ConnectionObject::ReadFileContentDigi(SAFEARRAY** FileContent, unsigned char* filenum,
                                              short* result) {
    return call(27, {bytesRef(FileContent), refOf(filenum)}, result);
}
HRESULT ConnectionObject::askwendb(short* WenDB, short* result) {
    return call(28, {refOf(WenDB)}, result);
}
HRESULT ConnectionObject::ReadFileCount(unsigned char* FileCount, short* result) {
    return call(29, {refOf(FileCount)}, result);
}
HRESULT ConnectionObject::ReadFileCountDigi(unsigned char* FileCount, short* result) {
    return call(30, {refOf(FileCount)}, result);
}
HRESULT ConnectionObject::SetupFreq(float freq, VARIANT* freqrev, short* result) {
    return call(31, {r4Of(freq), refOf(freqrev)}, result);
}
HRESULT ConnectionObject::ReadNowChannel(BSTR* NowChannel, short* result) {
    return call(32, {refOf(NowChannel)}, result);
}
HRESULT ConnectionObject::ReadPlanNum(::UserPlanNumber* NowChannel, short* result) {
    return call(33, {refOf(NowChannel)}, result);
}
HRESULT ConnectionObject::SetupNowChannel(BSTR* NowChannel, short* result) {
    return call(34, {refOf(NowChannel)}, result);
}
HRESULT ConnectionObject::ReadSLMScreen(SAFEARRAY** SLMScreen, short* result) {
    return call(35, {bytesRef(SLMScreen)}, result);
}
HRESULT ConnectionObject::ReadSLMScreenBig(SAFEARRAY** SLMScreen, short* result) {
    return call(36, {bytesRef(SLMScreen)}, result);
}
HRESULT ConnectionObject::SetupLevelUnit(BSTR* LevelUnit, short* result) {
    return call(37, {refOf(LevelUnit)}, result);
}
HRESULT ConnectionObject::ReadTemperatureUnit(BSTR* TemperatureUnit, short* result) {
    return call(38, {refOf(TemperatureUnit)}, result);
}
HRESULT ConnectionObject::SetupTemperatureUnit(BSTR* TemperatureUnit, short* result) {
    return call(39, {refOf(TemperatureUnit)}, result);
}
HRESULT ConnectionObject::SetupSLMLimit(VARIANT* SLMLimit, short* result) {
    return call(40, {refOf(SLMLimit)}, result);
}
HRESULT ConnectionObject::SetupFreqStep(BSTR* FreqStep, short* result) {
    return call(41, {refOf(FreqStep)}, result);
}
HRESULT ConnectionObject::SetupDateTime(DATE* NowDate, DATE* NowTime, short* result) {
    return call(42, {refOf(NowDate), refOf(NowTime)}, result);
}
HRESULT ConnectionObject::SetupShutdownTime(BSTR* ShutdownTime, short* result) {
    return call(43, {refOf(ShutdownTime)}, result);
}
HRESULT ConnectionObject::ReadShutdownUnit(BSTR* ShutdownUnit, short* result) {
    return call(44, {refOf(ShutdownUnit)}, result);
}
HRESULT ConnectionObject::SetupBaudRate(unsigned char* BaudRate, short* result) {
    return call(45, {refOf(BaudRate)}, result);
}
HRESULT ConnectionObject::SetupBackLight(BSTR* Backlight, short* result) {
    return call(46, {refOf(Backlight)}, result);
}
HRESULT ConnectionObject::GetFreqOffset(VARIANT freq, VARIANT* FreqOffsetValue, VARIANT* result) {
    return call(47, {valueOf(freq), refOf(FreqOffsetValue)}, result);
}

} // namespace sondrel::com
