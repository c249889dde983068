#include "common/dispatch_members.h"

#include <algorithm>
#include <cctype>

namespace sondrel {
namespace {

constexpr bool slotsInOrder() {
    for (std::size_t i = 0; i < KorvaneMembers.size(); ++i)
        if (KorvaneMembers[i].slot != static_cast<int>(i) + 1) return false;
    return true;
}
static_assert(slotsInOrder(), "members must be listed in slot order");

constexpr bool optionalParamsLast() {
    for (const auto& m : KorvaneMembers)
        for (std::size_t i = requiredParamCount(m); i < m.params.size(); ++i)
            if (!m.params[i].optional) return false;
    return true;
}
static_assert(optionalParamsLast(), "optional parameters must follow the required ones");

bool answers(const MemberInfo& m, InvokeKind kind) {
    switch (m.kind) {
    case MemberKind::Method:
    case MemberKind::PropertyGet:
        return (kind & (InvokeMethod | InvokePropertyGet)) != 0;
    case MemberKind::PropertyPut:
        return (kind & InvokePropertyPut) != 0;
    }
    return false;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

const MemberInfo* findMember(DispId dispId, InvokeKind kind) {
    for (const auto& m : KorvaneMembers)
        if (m.dispId == dispId && answers(m, kind)) return &m;
    return nullptr;
}

const MemberInfo* findMemberByName(std::string_view name) {
    for (const auto& m : KorvaneMembers)
        if (sameNameIgnoringCase(m.name, name)) return &m;
    return nullptr;
}

VarType varTypeOf(ParamType type) {
    switch (type) {
    case ParamType::Variant:
        return VarType::Empty;
    case ParamType::I2:
        return VarType::I2;
    case ParamType::UI1:
        return VarType::UI1;
    case ParamType::R4:
        return VarType::R4;
    case ParamType::Bstr:
        return VarType::Bstr;
    case ParamType::Bool:
        return VarType::Bool;
    case ParamType::Date:
        return VarType::Date;
    case ParamType::PlanNumber:
        return VarType::I4;
    case ParamType::Bytes:
        return VarType::Bytes;
    case ParamType::Channels:
        return VarType::Channels;
    case ParamType::ChannelsDigi:
        return VarType::ChannelsDigi;
    case ParamType::Head:
        return VarType::Head;
    case ParamType::FileHeader:
        return VarType::FileHeader;
    }
    return VarType::Empty;
}

std::string typeText(ParamType type) {
    switch (type) {
    case ParamType::Variant:
        return "VARIANT";
    case ParamType::I2:
        return "short";
    case ParamType::UI1:
        return "byte";
    case ParamType::R4:
        return "single";
    case ParamType::Bstr:
        return "string";
    case ParamType::Bool:
        return "boolean";
    case ParamType::Date:
        return "DATE";
    case ParamType::PlanNumber:
        return "UserPlanNumber";
    case ParamType::Bytes:
        return "byte[]";
    case ParamType::Channels:
        return "Channellist[]";
    case ParamType::ChannelsDigi:
        return "ChannellistDigi[]";
    case ParamType::Head:
        return "ChannelHead";
    case ParamType::FileHeader:
        return "FileHead";
    }
    return "?";
}

std::string typeText(const ParamInfo& param) {
    std::string text = typeText(param.type);
    if (param.type == ParamType::Variant && param.holds != ParamType::Variant) {
        text += " (" + typeText(param.holds);
        if (param.lowerBound != 0) text += " from " + std::to_string(param.lowerBound);
        text += ")";
    }
    return text;
}

std::string resultText(ResultType type) {
    switch (type) {
    case ResultType::None:
        return "none";
    case ResultType::Variant:
        return "VARIANT";
    case ResultType::I2:
        return "short";
    case ResultType::Bstr:
        return "string";
    case ResultType::Bool:
        return "boolean";
    }
    return "?";
}

} // namespace sondrel
