#include "dispatch_arguments.h"

#include "common/dispatch_coercion.h"

namespace sondrel {

CallArguments::CallArguments(const MemberInfo& member, const std::vector<Variant>& args)
    : member_(member) {
    values_.reserve(member.params.size());
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        const ParamInfo& param = member.params[i];
        const Variant given = i < args.size() ? args[i] : Variant();
        const std::string which = "argument " + std::to_string(i + 1) + " (" +
                                  std::string(param.name) + ") of " + std::string(member.name);
        // Empty stands for a left-out argument, as automation's "missing" marker does.
        if (given.isEmpty() && param.optional) {
            values_.emplace_back(std::monostate{});
            continue;
        }
        if (given.isEmpty() && param.type != ParamType::Variant)
            throw InvokeError(DispEParamNotOptional, which + " is not optional");
        try {
            values_.push_back(convert(param, given));
        } catch (const CoercionError& e) {
            throw InvokeError(e.code(), which + ": " + e.what());
        }
    }
}

CallArguments::Value CallArguments::convert(const ParamInfo& param, const Variant& given) {
    if (param.type == ParamType::Variant) return given;
    const Variant v = coerce(given, varTypeOf(param.type));
    switch (param.type) {
    case ParamType::I2:
        return v.asI2();
    case ParamType::UI1:
        return v.asUI1();
    case ParamType::R4:
        return v.asR4();
    case ParamType::Bstr:
        return v.asBstr();
    case ParamType::Bool:
        return Flag{v.asBool()};
    case ParamType::Date:
        return v.asDate();
    case ParamType::PlanNumber:
        return static_cast<UserPlanNumber>(v.asI4());
    case ParamType::Bytes:
        return v.asBytes();
    case ParamType::Channels:
        return v.asChannels();
    case ParamType::ChannelsDigi:
        return v.asChannelsDigi();
    case ParamType::Head:
        return v.asHead();
    case ParamType::FileHeader:
        return v.asFileHead();
    case ParamType::Variant:
        break;
    }
    return given;
}

Variant CallArguments::toVariant(const Value& value) {
    struct ToVariant {
        Variant operator()(std::monostate) const { return {}; }
        Variant operator()(const Variant& v) const { return v; }
        Variant operator()(std::int16_t v) const { return Variant::i2(v); }
        Variant operator()(std::uint8_t v) const { return Variant::ui1(v); }
        Variant operator()(float v) const { return Variant::r4(v); }
        Variant operator()(const std::string& v) const { return Variant::bstr(v); }
        Variant operator()(Flag v) const { return Variant::boolean(v.value != VariantFalse); }
        Variant operator()(ComDate v) const { return Variant::date(v); }
        Variant operator()(UserPlanNumber v) const { return Variant::i4(v); }
        Variant operator()(const SafeArray<std::uint8_t>& v) const { return Variant::bytes(v); }
        Variant operator()(const SafeArray<Channellist>& v) const { return Variant::channels(v); }
        Variant operator()(const SafeArray<ChannellistDigi>& v) const {
            return Variant::channelsDigi(v);
        }
        Variant operator()(const ChannelHead& v) const { return Variant::head(v); }
        Variant operator()(const FileHead& v) const { return Variant::fileHead(v); }
    };
    return std::visit(ToVariant{}, value);
}

void CallArguments::writeBack(std::vector<Variant>& args) const {
    for (std::size_t i = 0; i < values_.size() && i < args.size(); ++i)
        if (member_.params[i].passing == Passing::InOut &&
            !std::holds_alternative<std::monostate>(values_[i]))
            args[i] = toVariant(values_[i]);
}

} // namespace sondrel
