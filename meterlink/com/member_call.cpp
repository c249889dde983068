#include "member_call.h"

#include "com_values.h"
#include "common/dispatch_coercion.h"
#include "connection_object.h"
#include "dispatch.h"
#include "last_failure.h"
#include "sondrel_ids.h"

#include <vector>

namespace sondrel::com {
namespace {

InvokeKind kindOf(WORD flags) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return InvokePropertyPut;
    return static_cast<InvokeKind>(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET));
}

bool holdsEmpty(const VARIANT& arg) {
    if (V_VT(&arg) == (VT_BYREF | VT_VARIANT))
        return V_VARIANTREF(&arg) && V_VT(V_VARIANTREF(&arg)) == VT_EMPTY;
    return V_VT(&arg) == VT_EMPTY;
}

// One argument as the shared dispatcher takes it. A left-out optional argument
// is Empty there; an Empty variable given for an optional VARIANT is passed as
// Null, so that the member still sees it and can write into it (left unwritten,
// it stays Empty: see the write-back).
Variant argumentOf(const VARIANT& arg, const ParamInfo* param) {
    if (isMissing(arg)) return {};
    if (!param) return fromCom(arg, ParamType::Variant);
    if (holdsEmpty(arg)) {
        // A typed parameter given Empty (a script's fresh variable) gets its zero.
        if (param->type != ParamType::Variant) return emptyValueOf(param->type);
        if (param->optional && (V_VT(&arg) & VT_BYREF)) return Variant::null();
        return {};
    }
    return fromCom(arg, param->type == ParamType::Variant ? param->holds : param->type);
}

// A member's result that says "failed": a 16-bit 0, plain or in a VARIANT.
bool isFailedResult(const Variant& outcome) {
    return outcome.type() == VarType::I2 && outcome.asI2() == 0;
}

} // namespace

void publishErrorInfo(const std::string& source, const std::string& description) {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return;
    create->SetGUID(guidOf(sondrel::IID__KorvaneConnection));
    BSTR sourceText = bstrOf(source), descriptionText = bstrOf(description);
    create->SetSource(sourceText);
    create->SetDescription(descriptionText);
    SysFreeString(sourceText);
    SysFreeString(descriptionText);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(::IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

HRESULT callMember(sondrel::_KorvaneConnection& target, DISPID member, WORD flags, VARIANT* args,
                   UINT count, VARIANT* result, CallFailure* failure, RecordForm form) {
    const InvokeKind kind = kindOf(flags);
    const MemberInfo* info = findMember(member, kind);
    if (!info) return DISP_E_MEMBERNOTFOUND;
    std::vector<Variant> values;
    values.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const ParamInfo* param = i < info->params.size() ? &info->params[i] : nullptr;
        try {
            values.push_back(argumentOf(args[i], param));
        } catch (const CoercionError& e) {
            failure->argument = i;
            return e.code();
        }
    }
    const std::vector<Variant> given = values;
    Variant outcome;
    SetErrorInfo(0, nullptr);
    const HResult hr = invokeMember(target, member, kind, values, &outcome, &failure->excep);
    if (hr != S_Ok) return hr;
    if (const Failure why = lastFailure(); why.kind != FailureKind::None && isFailedResult(outcome))
        publishErrorInfo(DispatchSource, why.text);
    for (UINT i = 0; i < count && i < info->params.size(); ++i) {
        if (!(V_VT(&args[i]) & VT_BYREF) || info->params[i].passing != Passing::InOut ||
            isMissing(args[i]))
            continue;
        // What the member left as it was stays the caller's own (an Empty
        // variable stays Empty, a caller's array is not replaced by a copy).
        if (values[i] == given[i]) continue;
        try {
            storeByRef(values[i], args[i], form);
        } catch (const CoercionError& e) {
            failure->argument = i;
            return e.code();
        }
    }
    if (result) {
        try {
            toCom(outcome, result, form);
        } catch (const CoercionError& e) {
            return e.code();
        }
    }
    return S_OK;
}

} // namespace sondrel::com
