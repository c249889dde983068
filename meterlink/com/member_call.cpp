#include "member_call.h"

#include "com_values.h"
#include "common/dispatch_coercion.h"
#include "dispatch.h"

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

} // namespace

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
    const HResult hr = invokeMember(target, member, kind, values, &outcome, &failure->excep);
    if (hr != S_Ok) return hr;
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
