// Drives Sondrel.dll as any Windows program would: creates KorvaneConnection by
// class identifier with CoCreateInstance, calls it through the vtable (early
// binding, in slot order) and through IDispatch, against the simulated meter
// on a serial port (COM5 unless a number is given; a second number names a port
// whose meter does not answer CloseDeviceConnection). Prints one line per case
// and "N passed, M failed".
#include <windows.h>

#include <oaidl.h>
#include <ole2.h>
#include <oleauto.h>

#undef DeleteFile

#include "Sondrel.h"

#include "check_report.h"
#include "common/dispatch_members.h"
#include "sondrel_ids.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

CheckReport report;

GUID guidOf(const sondrel::Guid& id) {
    GUID out{id.data1, id.data2, id.data3, {}};
    std::memcpy(out.Data4, id.data4.data(), sizeof out.Data4);
    return out;
}

// The level korvane-sim's default signal model gives at 471.25 MHz with its
// demo plan active: the video carrier of channel E21 with tilt and spread, in
// the tenths the meter sends.
constexpr double SimulatedLevelAt471_25 = 82.5;

// The cases main() runs, with and without the port of a silent meter; a case
// that silently stops running fails the check.
constexpr int ExpectedCases = 44;
constexpr int SilentLineCases = 4;

// A port number the Wine prefix has no device for.
constexpr short AbsentPort = 9;

// The type library's identity and the record the round trip builds arrays of.
const GUID LibraryId = {
    0x6F1C2A92, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
const GUID ChannellistId = {
    0x6F1C2A93, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};

std::string hex(long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// UTF-8 text of UTF-16 text, for comparisons and the report.
std::string narrow(const wchar_t* text, std::size_t length) {
    if (length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::string textOf(BSTR text) {
    return narrow(text, SysStringLen(text));
}

std::string describe(const VARIANT& v) {
    VARIANT shown;
    VariantInit(&shown);
    std::string out = "vt " + std::to_string(V_VT(&v));
    if (SUCCEEDED(VariantChangeType(&shown, const_cast<VARIANT*>(&v), 0, VT_BSTR)))
        out += " \"" + textOf(V_BSTR(&shown)) + "\"";
    VariantClear(&shown);
    return out;
}

bool isShort(const VARIANT& v, short expected) {
    return V_VT(&v) == VT_I2 && V_I2(&v) == expected;
}

VARIANT r8(double value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_R8;
    V_R8(&v) = value;
    return v;
}

VARIANT text(const wchar_t* value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(value);
    return v;
}

VARIANT byRef(VARTYPE type, void* where) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | type;
    V_BYREF(&v) = where;
    return v;
}

VARIANT recordRef(void* record, IRecordInfo* info) {
    VARIANT v = byRef(VT_RECORD, record);
    V_RECORDINFO(&v) = info;
    return v;
}

VARIANT i4(long value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

// IDispatch::Invoke with the arguments in parameter order.
HRESULT invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result,
               EXCEPINFO* excep = nullptr) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID put = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO ignored{};
    UINT argError = 0;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                      excep ? excep : &ignored, &argError);
    if (!excep) {
        SysFreeString(ignored.bstrSource);
        SysFreeString(ignored.bstrDescription);
        SysFreeString(ignored.bstrHelpFile);
    }
    return hr;
}

struct Plan {
    LONG lower = 0;
    std::vector<Channellist*> items; // into the locked array
};

// The channels of a SAFEARRAY of Channellist (the array stays locked until unlock).
Plan channelsOf(SAFEARRAY* array) {
    Plan plan;
    if (!array || SafeArrayGetDim(array) != 1) return plan;
    LONG upper = 0;
    SafeArrayGetLBound(array, 1, &plan.lower);
    SafeArrayGetUBound(array, 1, &upper);
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    for (LONG i = 0; i <= upper - plan.lower; ++i)
        plan.items.push_back(static_cast<Channellist*>(data) + i);
    return plan;
}

std::string compareChannel(const Channellist& a, const Channellist& b) {
    auto same = [](BSTR x, BSTR y) { return textOf(x) == textOf(y); };
    if (a.ChannelNumber != b.ChannelNumber) return "ChannelNumber";
    if (!same(a.Type, b.Type)) return "Type " + textOf(a.Type) + "/" + textOf(b.Type);
    if (a.Serial != b.Serial) return "Serial";
    if (a.freq != b.freq) return "freq " + std::to_string(a.freq) + "/" + std::to_string(b.freq);
    if (a.ChannelOK != b.ChannelOK) return "ChannelOK";
    if (a.TiltOK != b.TiltOK) return "TiltOK";
    if (!same(a.ChannelName, b.ChannelName))
        return "ChannelName " + textOf(a.ChannelName) + "/" + textOf(b.ChannelName);
    if (a.Audio1 != b.Audio1) return "Audio1";
    if (a.Audio2 != b.Audio2) return "Audio2";
    if (!same(a.Memo, b.Memo)) return "Memo";
    return {};
}

// Empty when both arrays hold the same channels with the same bounds, else the first difference.
std::string comparePlans(SAFEARRAY* a, SAFEARRAY* b) {
    Plan x = channelsOf(a), y = channelsOf(b);
    std::string difference;
    if (x.lower != y.lower)
        difference = "lower bounds " + std::to_string(x.lower) + "/" + std::to_string(y.lower);
    else if (x.items.size() != y.items.size())
        difference =
            "counts " + std::to_string(x.items.size()) + "/" + std::to_string(y.items.size());
    for (std::size_t i = 0; difference.empty() && i < x.items.size(); ++i) {
        const std::string field = compareChannel(*x.items[i], *y.items[i]);
        if (!field.empty()) difference = "channel " + std::to_string(i) + ": " + field;
    }
    if (a) SafeArrayUnaccessData(a);
    if (b) SafeArrayUnaccessData(b);
    return difference;
}

bool sameHead(const ChannelHead& a, const ChannelHead& b) {
    return a.Fav1 == b.Fav1 && a.Fav2 == b.Fav2 && a.Fav3 == b.Fav3 && a.Fav4 == b.Fav4 &&
           a.Fav5 == b.Fav5 && a.Fav6 == b.Fav6 && a.Span == b.Span && a.Un == b.Un;
}

std::string headText(const ChannelHead& h) {
    char out[80];
    std::snprintf(out, sizeof out, "%d %d %d %d %d %d span %d unit %d", h.Fav1, h.Fav2, h.Fav3,
                  h.Fav4, h.Fav5, h.Fav6, h.Span, h.Un);
    return out;
}

DATE dateOf(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME t{year, month, 0, day, hour, minute, second, 0};
    DATE out = 0;
    SystemTimeToVariantTime(&t, &out);
    return out;
}

// The type library describes the vtable slots and DISPIDs of the library's member table.
void checkTypeLibrary(IDispatch* object) {
    ITypeInfo* info = nullptr;
    if (!report.check("GetTypeInfo gives the interface's description",
                      SUCCEEDED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info))
        return;
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    const bool dual = attributes && (attributes->wTypeFlags & TYPEFLAG_FDUAL);
    int matched = 0;
    std::string mismatch;
    for (UINT i = 0; attributes && i < attributes->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        BSTR name = nullptr;
        info->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr);
        const std::string member = textOf(name);
        SysFreeString(name);
        bool found = false;
        for (const auto& m : sondrel::KorvaneMembers) {
            const INVOKEKIND kind = m.kind == sondrel::MemberKind::Method ? INVOKE_FUNC
                                    : m.kind == sondrel::MemberKind::PropertyGet
                                        ? INVOKE_PROPERTYGET
                                        : INVOKE_PROPERTYPUT;
            if (m.dispId != f->memid || kind != f->invkind) continue;
            found = true;
            // Slot n follows the seven slots of IUnknown and IDispatch.
            const SHORT slot = static_cast<SHORT>((6 + m.slot) * sizeof(void*));
            if (f->oVft == slot && member == m.name)
                ++matched;
            else if (mismatch.empty())
                mismatch = member + " at offset " + std::to_string(f->oVft);
        }
        // The first seven are IUnknown's and IDispatch's own.
        if (f->oVft < static_cast<SHORT>(7 * sizeof(void*))) found = true;
        if (!found && mismatch.empty())
            mismatch = member + " has an unknown DISPID " + hex(f->memid);
        info->ReleaseFuncDesc(f);
    }
    if (attributes) info->ReleaseTypeAttr(attributes);
    info->Release();
    report.check("the interface is dual", dual);
    report.check("the type library has all 47 members in slot order with their DISPIDs",
                 matched == 47 && mismatch.empty(),
                 std::to_string(matched) + " matched; " + mismatch);
}

// The field names of a record as the registered type library gives them, in order.
std::string fieldsOf(const GUID& record) {
    IRecordInfo* info = nullptr;
    ITypeInfo* type = nullptr;
    if (FAILED(GetRecordInfoFromGuids(LibraryId, 2, 1, 0, record, &info))) return "(no record)";
    info->GetTypeInfo(&type);
    info->Release();
    if (!type) return "(no type)";
    TYPEATTR* attributes = nullptr;
    type->GetTypeAttr(&attributes);
    std::string names;
    for (UINT i = 0; attributes && i < attributes->cVars; ++i) {
        VARDESC* field = nullptr;
        if (FAILED(type->GetVarDesc(i, &field))) continue;
        BSTR name = nullptr;
        UINT count = 0;
        type->GetNames(field->memid, &name, 1, &count);
        if (!names.empty()) names += ' ';
        names += textOf(name);
        SysFreeString(name);
        type->ReleaseVarDesc(field);
    }
    if (attributes) type->ReleaseTypeAttr(attributes);
    type->Release();
    return names;
}

// Record fields in their binding order: a field out of order fails here even
// where a round trip through the library would not notice.
void checkRecordLayouts() {
    const GUID channelHead = {
        0x6F1C2A95, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
    const GUID fileHead = {
        0x6F1C2A96, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
    const std::string channel = fieldsOf(ChannellistId);
    report.check("Channellist has its ten fields in order",
                 channel == "ChannelNumber Type Serial freq ChannelOK TiltOK ChannelName Audio1 "
                            "Audio2 Memo",
                 channel);
    const std::string head = fieldsOf(channelHead);
    report.check("ChannelHead has its eight fields in order",
                 head == "Fav1 Fav2 Fav3 Fav4 Fav5 Fav6 Span Un", head);
    const std::string file = fieldsOf(fileHead);
    report.check("FileHead has its eleven fields in order",
                 file == "FileName FileDate FileTime FileBaseChannel FileInfoLimitsTest "
                         "FileInfoTilt FileInfoSpect FileInfoScan FileInfoLevel FileInfo24Hour "
                         "FileInfoQAM",
                 file);
}

void checkNames(IDispatch* object) {
    std::string wrong;
    for (const auto& m : sondrel::KorvaneMembers) {
        std::wstring name(m.name.begin(), m.name.end());
        LPOLESTR names[] = {name.data()};
        DISPID id = 0;
        if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) ||
            id != m.dispId)
            wrong += std::string(m.name) + " ";
    }
    report.check("GetIDsOfNames gives every member's DISPID", wrong.empty(), wrong);
    std::wstring unknown = L"NoSuchMember";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    report.check("GetIDsOfNames refuses an unknown name",
                 object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id) ==
                     DISP_E_UNKNOWNNAME);
}

void checkConnection(_KorvaneConnection* meter, short port) {
    short number = -1;
    meter->get_PortDevice(&number);
    report.check("PortDevice is 0 before the first put", number == 0, std::to_string(number));
    meter->put_PortDevice(port);
    meter->get_PortDevice(&number);
    report.check("PortDevice put and get through the vtable", number == port,
                 std::to_string(number));
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = meter->OpenDeviceConnection(&result);
    report.check("OpenDeviceConnection returns a 16-bit 1", SUCCEEDED(hr) && isShort(result, 1),
                 hex(hr) + " " + describe(result));
    VariantClear(&result);
}

void checkPlanSlot(_KorvaneConnection* meter) {
    UserPlanNumber slot = UserPlanD;
    short result = 0;
    meter->ReadPlanNum(&slot, &result);
    report.check("ReadPlanNum writes the active slot back", result == 1 && slot == UserPlanA,
                 std::to_string(result) + " slot " + std::to_string(slot));
    VARIANT carried;
    VariantInit(&carried);
    meter->CarryPlanNum(UserPlanC, &carried);
    slot = UserPlanA;
    meter->ReadPlanNum(&slot, &result);
    report.check("CarryPlanNum selects the slot ReadPlanNum then reads",
                 isShort(carried, 1) && result == 1 && slot == UserPlanC,
                 describe(carried) + " slot " + std::to_string(slot));
    meter->CarryPlanNum(UserPlanA, &carried);
}

void checkMeasurements(_KorvaneConnection* meter) {
    VARIANT revision;
    VariantInit(&revision);
    short result = 0;
    meter->SetupFreq(471.25f, &revision, &result);
    report.check("SetupFreq writes back the frequency the meter tuned",
                 result == 1 && V_VT(&revision) == VT_R8 &&
                     std::fabs(V_R8(&revision) - 471.25) < 1e-6,
                 std::to_string(result) + " " + describe(revision));
    result = 0;
    report.check("SetupFreq without its optional argument",
                 SUCCEEDED(meter->SetupFreq(471.25f, nullptr, &result)) && result == 1);

    VARIANT level, outcome;
    VariantInit(&level);
    VariantInit(&outcome);
    meter->GetLevelByFrequence(r8(471.25), &level, &outcome);
    VARIANT asNumber;
    VariantInit(&asNumber);
    const bool numeric = SUCCEEDED(VariantChangeType(&asNumber, &level, 0, VT_R8));
    report.check("GetLevelByFrequence reads the simulator's level of the carrier",
                 isShort(outcome, 1) && numeric &&
                     std::fabs(V_R8(&asNumber) - SimulatedLevelAt471_25) < 0.001,
                 describe(outcome) + " level " + describe(level));
    VariantClear(&level);

    BSTR model = nullptr;
    meter->SLMType(&model);
    report.check("SLMType returns the model as a BSTR", textOf(model) == "2000Q", textOf(model));
    SysFreeString(model);

    unsigned char volume = 0;
    result = 0;
    meter->ReadSLMVolume(&volume, &result);
    report.check("ReadSLMVolume writes back a byte", result == 1 && volume == 5,
                 std::to_string(result) + " volume " + std::to_string(volume));
}

// A member that fails keeps its result 0 and S_OK; the cause is in the
// thread's IErrorInfo for a client that asks, and a call that succeeds leaves
// none there.
void checkFailureReason(_KorvaneConnection* meter, short port, short absentPort) {
    meter->put_PortDevice(absentPort);
    VARIANT outcome;
    VariantInit(&outcome);
    const HRESULT hr = meter->OpenDeviceConnection(&outcome);
    IErrorInfo* error = nullptr;
    BSTR description = nullptr, source = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error) {
        error->GetDescription(&description);
        error->GetSource(&source);
        error->Release();
    }
    const std::string absent = "COM" + std::to_string(absentPort);
    report.check("a failed member gives result 0, S_OK and the cause in IErrorInfo",
                 hr == S_OK && isShort(outcome, 0) &&
                     textOf(description).find(absent) != std::string::npos &&
                     textOf(source) == "Sondrel.KorvaneConnection",
                 hex(hr) + " " + describe(outcome) + " " + textOf(source) + ": " +
                     textOf(description));
    SysFreeString(description);
    SysFreeString(source);

    meter->put_PortDevice(port);
    meter->OpenDeviceConnection(&outcome);
    error = nullptr;
    const HRESULT after = GetErrorInfo(0, &error);
    report.check("a member that succeeds leaves no IErrorInfo",
                 isShort(outcome, 1) && after == S_FALSE, describe(outcome) + " " + hex(after));
    if (error) error->Release();
}

void checkMemberError(_KorvaneConnection* meter, IDispatch* object) {
    VARIANT cn, outcome;
    VariantInit(&cn);
    VariantInit(&outcome);
    VARIANT fifty = text(L"fifty");
    const HRESULT hr = meter->GetCN(fifty, &cn, &outcome);
    IErrorInfo* error = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &error) == S_OK && error) {
        error->GetDescription(&description);
        error->Release();
    }
    report.check("a member's error fails the vtable call with its HRESULT and IErrorInfo",
                 hr == static_cast<HRESULT>(0x800A000D) && textOf(description) == "Type mismatch",
                 hex(hr) + " " + textOf(description));
    SysFreeString(description);

    EXCEPINFO excep{};
    const HRESULT late = invoke(object, 0x60030005, DISPATCH_METHOD,
                                {fifty, byRef(VT_VARIANT, &cn)}, &outcome, &excep);
    report.check("a member's error reaches Invoke as DISP_E_EXCEPTION with EXCEPINFO",
                 late == DISP_E_EXCEPTION && excep.scode == static_cast<SCODE>(0x800A000D) &&
                     textOf(excep.bstrDescription) == "Type mismatch" &&
                     textOf(excep.bstrSource) == "Sondrel.KorvaneConnection",
                 hex(late) + " " + hex(excep.scode) + " " + textOf(excep.bstrDescription));
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    VariantClear(&fifty);

    VARIANT none;
    VariantInit(&none);
    report.check("Invoke with too few arguments is DISP_E_BADPARAMCOUNT",
                 invoke(object, 0x60030008, DISPATCH_METHOD, {}, &none) == DISP_E_BADPARAMCOUNT);
    report.check("Invoke of an unknown DISPID is DISP_E_MEMBERNOTFOUND",
                 invoke(object, 0x60030001, DISPATCH_METHOD, {}, &none) == DISP_E_MEMBERNOTFOUND);
}

// Reads the demo plan of slot A, writes it changed to slot b, reads slot b back.
void checkPlanTransfer(_KorvaneConnection* meter, IDispatch* object) {
    SAFEARRAY* plan = nullptr;
    ChannelHead head{};
    VARIANT outcome;
    VariantInit(&outcome);
    meter->ReadChannel(UserPlanA, &plan, &head, &outcome);
    Plan read = channelsOf(plan);
    const bool demo = read.items.size() == 60 && read.lower == 1 &&
                      textOf(read.items[0]->ChannelName) == " E2" &&
                      read.items[0]->freq == 48.25f && textOf(read.items[0]->Type) == "TV" &&
                      read.items[0]->Audio1 == 5.5f && read.items[0]->Audio2 == 0.0f &&
                      textOf(read.items[59]->ChannelName) == "E28";
    const std::string seen =
        std::to_string(read.items.size()) + " from " + std::to_string(read.lower) +
        (read.items.empty() ? "" : " first " + textOf(read.items[0]->ChannelName));
    if (plan) SafeArrayUnaccessData(plan);
    report.check("ReadChannel fills a Channellist array from 1 with the demo plan",
                 isShort(outcome, 1) && demo, describe(outcome) + " " + seen);
    const ChannelHead demoHead{1, 4, 14, 22, 43, 60, 8, 1};
    report.check("ReadChannel writes the ChannelHead record back", sameHead(head, demoHead),
                 headText(head));
    if (!plan) return;

    // The plan to send: the demo plan with a renamed channel and a changed header.
    IRecordInfo* channelInfo = nullptr;
    report.check(
        "GetRecordInfoFromGuids finds Channellist in the registered type library",
        SUCCEEDED(GetRecordInfoFromGuids(LibraryId, 2, 1, 0, ChannellistId, &channelInfo)));
    SAFEARRAY* sent = nullptr;
    SafeArrayCopy(plan, &sent);
    Plan changed = channelsOf(sent);
    SysFreeString(changed.items[2]->ChannelName);
    changed.items[2]->ChannelName = SysAllocString(L"WIN");
    // A character beyond ASCII travels as its byte in the system's ANSI code page.
    SysFreeString(changed.items[3]->ChannelName);
    changed.items[3]->ChannelName = SysAllocString(L"\u00C9AB");
    SafeArrayUnaccessData(sent);
    ChannelHead sentHead = head;
    sentHead.Fav1 = 2;
    sentHead.Span = 16;
    VARIANT planVariant;
    VariantInit(&planVariant);
    V_VT(&planVariant) = VT_ARRAY | VT_RECORD;
    V_ARRAY(&planVariant) = sent;
    meter->CarryChannel(&planVariant, UserPlanb, &sentHead, &outcome);
    report.check("CarryChannel sends a record array in a VARIANT through the vtable",
                 isShort(outcome, 1), describe(outcome));
    report.check("CarryChannel leaves the caller's array in place",
                 V_VT(&planVariant) == (VT_ARRAY | VT_RECORD) && V_ARRAY(&planVariant) == sent);
    sent = V_ARRAY(&planVariant);

    SAFEARRAY* back = nullptr;
    ChannelHead backHead{};
    meter->ReadChannel(UserPlanb, &back, &backHead, &outcome);
    const std::string difference = comparePlans(sent, back);
    report.check("the plan read back through the vtable equals the plan sent",
                 isShort(outcome, 1) && difference.empty(), describe(outcome) + " " + difference);
    report.check("the header read back equals the header sent", sameHead(backHead, sentHead),
                 headText(backHead));

    // The same read late-bound: a typed array and a record by reference.
    SAFEARRAY* lateBack = nullptr;
    ChannelHead lateHead{};
    IRecordInfo* headInfo = nullptr;
    GetRecordInfoFromGuids(
        LibraryId, 2, 1, 0,
        {0x6F1C2A95, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}}, &headInfo);
    HRESULT hr = invoke(
        object, 0x60030009, DISPATCH_METHOD,
        {i4(UserPlanb), byRef(VT_ARRAY | VT_RECORD, &lateBack), recordRef(&lateHead, headInfo)},
        &outcome);
    const std::string lateDifference = comparePlans(sent, lateBack);
    report.check("ReadChannel through Invoke writes the record array and header back",
                 hr == S_OK && isShort(outcome, 1) && lateDifference.empty() &&
                     sameHead(lateHead, sentHead),
                 hex(hr) + " " + lateDifference + " " + headText(lateHead));

    // CarryChannel late-bound, the plan in a VARIANT by reference; slot b gets the demo plan again.
    VARIANT original;
    VariantInit(&original);
    V_VT(&original) = VT_ARRAY | VT_RECORD;
    SafeArrayCopy(plan, &V_ARRAY(&original));
    hr =
        invoke(object, 0x6003000C, DISPATCH_METHOD,
               {byRef(VT_VARIANT, &original), i4(UserPlanb), recordRef(&head, headInfo)}, &outcome);
    SAFEARRAY* again = nullptr;
    meter->ReadChannel(UserPlanb, &again, &backHead, &outcome);
    const std::string againDifference = comparePlans(plan, again);
    report.check("CarryChannel through Invoke sends the plan that ReadChannel then reads",
                 hr == S_OK && againDifference.empty() && sameHead(backHead, head),
                 hex(hr) + " " + againDifference);

    hr = invoke(object, 0x6003000B, DISPATCH_METHOD, {recordRef(&head, headInfo)}, &outcome);
    report.check("CarryChannelHead through Invoke takes the record by reference",
                 hr == S_OK && isShort(outcome, 1), hex(hr) + " " + describe(outcome));

    VariantClear(&planVariant); // owns the plan sent
    for (SAFEARRAY* array : {plan, back, lateBack, again})
        if (array) SafeArrayDestroy(array);
    VariantClear(&original);
    if (channelInfo) channelInfo->Release();
    if (headInfo) headInfo->Release();
}

void checkDates(_KorvaneConnection* meter, IDispatch* object) {
    unsigned char index = 1;
    FileHead file{};
    short result = 0;
    meter->ReadFileHeadDigi(&index, &file, &result);
    report.check("ReadFileHeadDigi writes a FileHead with COM dates",
                 result == 1 && textOf(file.FileName) == "LEVEL1" &&
                     file.FileDate == dateOf(2009, 8, 25) &&
                     std::fabs(file.FileTime - dateOf(1899, 12, 30, 13, 45, 30)) < 1e-9 &&
                     file.FileInfoLevel == VARIANT_TRUE && file.FileInfoTilt == VARIANT_FALSE,
                 std::to_string(result) + " " + textOf(file.FileName) + " " +
                     std::to_string(file.FileDate) + " " + std::to_string(file.FileTime));
    SysFreeString(file.FileName);
    SysFreeString(file.FileBaseChannel);

    DATE day = dateOf(2031, 2, 3), time = dateOf(1899, 12, 30, 4, 5, 6);
    VARIANT outcome;
    VariantInit(&outcome);
    HRESULT hr = invoke(object, 0x60030034, DISPATCH_METHOD,
                        {byRef(VT_DATE, &day), byRef(VT_DATE, &time)}, &outcome);
    report.check("SetupDateTime through Invoke takes DATEs by reference",
                 hr == S_OK && isShort(outcome, 1), hex(hr) + " " + describe(outcome));
    day = dateOf(1999, 12, 31);
    hr = invoke(object, 0x60030034, DISPATCH_METHOD, {byRef(VT_DATE, &day), byRef(VT_DATE, &time)},
                &outcome);
    report.check("SetupDateTime refuses a year the meter cannot keep",
                 hr == S_OK && isShort(outcome, 0), hex(hr) + " " + describe(outcome));
}

LRESULT CALLBACK countingWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        ++*reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Between the packets of a transfer the library handles the thread's pending
// window messages, as a host's message loop would.
void checkMessagesDuringTransfer(_KorvaneConnection* meter) {
    WNDCLASSW type{};
    type.lpfnWndProc = countingWindow;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"SondrelCheckCounter";
    RegisterClassW(&type);
    HWND window = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  type.hInstance, nullptr);
    int handled = 0;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handled));
    PostMessageW(window, WM_USER, 0, 0);
    SAFEARRAY* plan = nullptr;
    ChannelHead head{};
    VARIANT outcome;
    VariantInit(&outcome);
    meter->ReadChannel(UserPlanA, &plan, &head, &outcome);
    report.check("ReadChannel handles the thread's pending window messages between packets",
                 window && isShort(outcome, 1) && handled == 1,
                 describe(outcome) + " handled " + std::to_string(handled));
    if (plan) SafeArrayDestroy(plan);
    DestroyWindow(window);
}

ULONGLONG processorTime100ns() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

// On a line whose meter never answers, the exchange waits out its timeout
// inside ReadFile: no busy loop.
void checkSilentLine(_KorvaneConnection* meter, short port, short silentPort) {
    meter->put_PortDevice(silentPort);
    VARIANT outcome;
    VariantInit(&outcome);
    const ULONGLONG cpuBefore = processorTime100ns();
    const ULONGLONG started = GetTickCount64();
    meter->CloseDeviceConnection(&outcome);
    const ULONGLONG waited = GetTickCount64() - started;
    const ULONGLONG cpuMs = (processorTime100ns() - cpuBefore) / 10000;
    report.check("an unanswered exchange fails after its reply wait",
                 isShort(outcome, 0) && waited >= 1500 && waited < 4000,
                 describe(outcome) + " after " + std::to_string(waited) + " ms");
    report.check("waiting for a silent meter costs almost no processor time", cpuMs * 20 < waited,
                 std::to_string(cpuMs) + " ms of processor in " + std::to_string(waited) + " ms");
    meter->put_PortDevice(port);
}

HANDLE openPort(short port) {
    const std::wstring name = L"\\\\.\\COM" + std::to_wstring(port);
    return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

// Flow control as another program may leave it on a port: RTS/CTS and XON/XOFF
// on, or all off. False when the port cannot be opened or set.
bool setFlowControl(short port, bool on) {
    HANDLE handle = openPort(port);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool done = GetCommState(handle, &dcb);
    dcb.fOutxCtsFlow = on;
    dcb.fRtsControl = on ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutX = on;
    dcb.fInX = on;
    done = done && SetCommState(handle, &dcb);
    CloseHandle(handle);
    return done;
}

// The flow control set on a port now, as text ("cts rts outx inx" when all on;
// Wine shows RTS/CTS as cts alone).
std::string flowControlOf(short port) {
    HANDLE handle = openPort(port);
    if (handle == INVALID_HANDLE_VALUE) return "(cannot open)";
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    std::string out = GetCommState(handle, &dcb) ? "" : "(no state)";
    CloseHandle(handle);
    if (dcb.fOutxCtsFlow) out += "cts ";
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) out += "rts ";
    if (dcb.fOutX) out += "outx ";
    if (dcb.fInX) out += "inx ";
    return out;
}

// A port another program left with flow control on: the library talks to the
// meter all the same, and gives the port back as it found it.
void checkLineGivenBack(_KorvaneConnection* meter, short port, short otherPort) {
    meter->put_PortDevice(otherPort); // the library lets the meter's port go
    const bool set = setFlowControl(port, true);
    const std::string found = flowControlOf(port);
    meter->put_PortDevice(port);
    unsigned char volume = 0;
    short result = 0;
    meter->ReadSLMVolume(&volume, &result);
    report.check("the meter answers on a port left with flow control on",
                 set && found.find("cts") != std::string::npos &&
                     found.find("outx") != std::string::npos &&
                     found.find("inx") != std::string::npos && result == 1 && volume == 5,
                 "found '" + found + "' result " + std::to_string(result));
    meter->put_PortDevice(otherPort);
    const std::string after = flowControlOf(port);
    report.check("the port's flow control is given back when the library lets it go",
                 after == found, "'" + after + "'");
    setFlowControl(port, false);
    meter->put_PortDevice(port);
}

void checkLateBoundByRef(IDispatch* object, short expectedPort) {
    VARIANT revision, outcome;
    VariantInit(&revision);
    VariantInit(&outcome);
    V_VT(&revision) = VT_BSTR;
    V_BSTR(&revision) = SysAllocString(L"before");
    HRESULT hr = invoke(object, 0x60030029, DISPATCH_METHOD,
                        {r8(503.25), byRef(VT_VARIANT, &revision)}, &outcome);
    report.check("SetupFreq through Invoke writes its ByRef VARIANT back",
                 hr == S_OK && isShort(outcome, 1) && V_VT(&revision) == VT_R8 &&
                     std::fabs(V_R8(&revision) - 503.25) < 1e-6,
                 hex(hr) + " " + describe(revision));
    VariantClear(&revision);

    // Named arguments, in the order a caller chooses: SetupFreq(freqrev:=x, freq:=f).
    std::wstring names[] = {L"SetupFreq", L"FREQREV", L"freq"};
    LPOLESTR nameList[] = {names[0].data(), names[1].data(), names[2].data()};
    DISPID ids[3] = {};
    object->GetIDsOfNames(IID_NULL, nameList, 3, LOCALE_USER_DEFAULT, ids);
    VARIANT namedArgs[] = {byRef(VT_VARIANT, &revision), r8(471.25)};
    DISPID namedIds[] = {ids[1], ids[2]};
    DISPPARAMS namedParams{namedArgs, namedIds, 2, 2};
    EXCEPINFO excep{};
    UINT argError = 0;
    hr = object->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &namedParams,
                        &outcome, &excep, &argError);
    report.check("Invoke takes named arguments by the positions GetIDsOfNames gives",
                 ids[0] == 0x60030029 && ids[1] == 1 && ids[2] == 0 && hr == S_OK &&
                     isShort(outcome, 1) && V_VT(&revision) == VT_R8 &&
                     std::fabs(V_R8(&revision) - 471.25) < 1e-6,
                 hex(ids[1]) + " " + hex(ids[2]) + " " + hex(hr) + " " + describe(revision));
    VariantClear(&revision);

    short port = 0;
    hr = invoke(object, 0x68030001, DISPATCH_PROPERTYGET, {}, &outcome);
    port = V_VT(&outcome) == VT_I2 ? V_I2(&outcome) : -1;
    report.check("PortDevice get through Invoke gives the port put",
                 hr == S_OK && port == expectedPort, std::to_string(port));

    unsigned char volume = 0;
    hr = invoke(object, 0x60030016, DISPATCH_METHOD, {byRef(VT_UI1, &volume)}, &outcome);
    report.check("ReadSLMVolume through Invoke writes a byte by reference",
                 hr == S_OK && isShort(outcome, 1) && volume == 5, std::to_string(volume));
}

} // namespace

int main(int argc, char** argv) {
    const short port = static_cast<short>(argc > 1 ? std::atoi(argv[1]) : 5);
    // A second port whose meter does not answer CloseDeviceConnection, if given.
    const short silentPort = static_cast<short>(argc > 2 ? std::atoi(argv[2]) : 0);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const GUID classId = guidOf(sondrel::CLSID_KorvaneConnection);
    CLSID fromProgId{};
    report.check("the ProgID names the class",
                 SUCCEEDED(CLSIDFromProgID(L"Sondrel.KorvaneConnection", &fromProgId)) &&
                     IsEqualCLSID(fromProgId, classId));
    _KorvaneConnection* meter = nullptr;
    const HRESULT created =
        CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER,
                         guidOf(sondrel::IID__KorvaneConnection), reinterpret_cast<void**>(&meter));
    if (report.check("CoCreateInstance by CLSID gives _KorvaneConnection",
                     SUCCEEDED(created) && meter, hex(created))) {
        IDispatch* object = meter; // the dual interface is its own IDispatch
        checkTypeLibrary(object);
        checkNames(object);
        checkRecordLayouts();
        checkConnection(meter, port);
        checkFailureReason(meter, port, AbsentPort);
        checkPlanSlot(meter);
        checkMeasurements(meter);
        checkMemberError(meter, object);
        checkPlanTransfer(meter, object);
        checkDates(meter, object);
        checkLateBoundByRef(object, port);
        checkMessagesDuringTransfer(meter);
        if (silentPort > 0) {
            checkLineGivenBack(meter, port, silentPort);
            checkSilentLine(meter, port, silentPort);
        }
        meter->Release();
    }
    CoUninitialize();
    return report.close(ExpectedCases + (silentPort > 0 ? SilentLineCases : 0));
}
