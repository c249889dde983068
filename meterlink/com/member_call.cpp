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

bool isArrayOrRecord(ParamType type) {
    switch (type) {
    case ParamType::Bytes:
    case ParamType::Channels:
    case ParamType::ChannelsDigi:
    case ParamType::Head:
    case ParamType::FileHeader:
        return true;
    default:
        return false;
    }
}

// A typed in/out array or record given as an empty variable (a script's fresh
// Dim): the member fills it, so it starts as an empty value of its type.
Variant emptyValueOf(ParamType type) {
    switch (type) {
    case ParamType::Bytes:
        return Variant::bytes({});
    case ParamType::Channels:
        return Variant::channels({});
    case ParamType::ChannelsDigi:
        return Variant::channelsDigi({});
    case ParamType::Head:
        return Variant::head({});
    default:
        return Variant::fileHead({});
    }
}

Variant argumentOf(const VARIANT& arg, const ParamInfo* param) {
    if (isMissing(arg)) return {};
    if (!param) return fromCom(arg, ParamType::Variant);
    if (param->passing == Passing::InOut && isArrayOrRecord(param->type) &&
        V_VT(&arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&arg) &&
        V_VT(V_VARIANTREF(&arg)) == VT_EMPTY)
        return emptyValueOf(param->type);
    return fromCom(arg, param->type == ParamType::Variant ? param->holds : param->type);
}

} // namespace

HRESULT callMember(sondrel::_KorvaneConnection& target, DISPID member, WORD flags, VARIANT* args,
                   UINT count, VARIANT* result, CallFailure* failure) {
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
    Variant outcome;
    const HResult hr = invokeMember(target, member, kind, values, &outcome, &failure->excep);
    if (hr != S_Ok) return hr;
    for (UINT i = 0; i < count && i < info->params.size(); ++i) {
        if (!(V_VT(&args[i]) & VT_BYREF) || info->params[i].passing != Passing::InOut ||
            isMissing(args[i]))
            continue;
        try {
            storeByRef(values[i], args[i]);
        } catch (const CoercionError& e) {
            failure->argument = i;
            return e.code();
        }
    }
    if (result) {
        try {
            toCom(outcome, result);
        } catch (const CoercionError& e) {
            return e.code();
        }
    }
    return S_OK;
}

} // namespace sondrel::com
