#include "json_values.h"

#include "cli_errors.h"
#include "common/dispatch_coercion.h"
#include "record_fields.h"

#include <charconv>
#include <limits>

namespace sondrel::cli {
namespace {

// The Variant a JSON scalar (or array of scalars) stands for on its own.
Variant naturalVariant(const Json& value, const std::string& context, int depth = 0) {
    switch (value.type()) {
    case Json::value_t::null:
        return {};
    case Json::value_t::boolean:
        return Variant::boolean(value.get<bool>());
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: {
        if (value.is_number_unsigned() &&
            value.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
            return Variant::r8(value.get<double>());
        const auto n = value.get<std::int64_t>();
        if (n >= std::numeric_limits<std::int16_t>::min() &&
            n <= std::numeric_limits<std::int16_t>::max())
            return Variant::i2(static_cast<std::int16_t>(n));
        if (n >= std::numeric_limits<std::int32_t>::min() &&
            n <= std::numeric_limits<std::int32_t>::max())
            return Variant::i4(static_cast<std::int32_t>(n));
        return Variant::r8(static_cast<double>(n));
    }
    case Json::value_t::number_float:
        return Variant::r8(value.get<double>());
    case Json::value_t::string:
        return Variant::bstr(value.get<std::string>());
    case Json::value_t::array: {
        if (depth >= MaxArgumentDepth)
            throw UsageError(context + ": arrays nested more than " +
                             std::to_string(MaxArgumentDepth) + " deep");
        VariantArray items;
        for (const auto& item : value)
            items.items.push_back(naturalVariant(item, context, depth + 1));
        return Variant::variants(std::move(items));
    }
    default:
        throw UsageError(context + ": a record is not expected here");
    }
}

// A JSON value converted to a field's or element's type.
Variant converted(const Json& value, VarType type, const std::string& context) {
    try {
        return coerce(naturalVariant(value, context), type);
    } catch (const CoercionError& e) {
        throw UsageError(context + ": " + e.what());
    }
}

const char* recordName(const Channellist&) {
    return "Channellist";
}
const char* recordName(const ChannellistDigi&) {
    return "ChannellistDigi";
}
const char* recordName(const ChannelHead&) {
    return "ChannelHead";
}
const char* recordName(const FileHead&) {
    return "FileHead";
}

template <typename R> R recordFromJson(const Json& value, const std::string& context) {
    R record{};
    if (!value.is_object())
        throw UsageError(context + ": expects an object with the fields of " + recordName(record));
    std::size_t known = 0;
    forEachField(record, [&](const char* name, auto& field, VarType type) {
        const auto it = value.find(name);
        if (it == value.end()) return;
        ++known;
        if (!it->is_null()) setField(field, converted(*it, type, context + ": field " + name));
    });
    if (known != value.size()) {
        for (const auto& item : value.items()) {
            // A named copy: lambdas in clang 14 cannot capture structured bindings.
            const std::string key = item.key();
            bool declared = false;
            forEachField(record, [&](const char* name, auto&, VarType) {
                declared = declared || key == name;
            });
            if (!declared)
                throw UsageError(context + ": " + recordName(record) + " has no field \"" + key +
                                 "\"");
        }
    }
    return record;
}

template <typename R>
SafeArray<R> recordsFromJson(const Json& value, const ParamInfo& param,
                             const std::string& context) {
    if (!value.is_array()) throw UsageError(context + ": expects an array of records");
    SafeArray<R> array;
    array.lowerBound = param.lowerBound;
    for (std::size_t i = 0; i < value.size(); ++i)
        array.items.push_back(
            recordFromJson<R>(value[i], context + ": element " + std::to_string(i + 1)));
    return array;
}

SafeArray<std::uint8_t> bytesFromJson(const Json& value, const ParamInfo& param,
                                      const std::string& context) {
    if (!value.is_array()) throw UsageError(context + ": expects an array of byte values");
    SafeArray<std::uint8_t> bytes;
    bytes.lowerBound = param.lowerBound;
    for (std::size_t i = 0; i < value.size(); ++i)
        bytes.items.push_back(
            converted(value[i], VarType::UI1, context + ": element " + std::to_string(i + 1))
                .asUI1());
    return bytes;
}

// What a null stands for: a left-out argument where that is allowed, else the
// empty value of the parameter's type.
Variant nullArgument(const ParamInfo& param) {
    if (param.optional || param.type == ParamType::Variant) return {};
    switch (param.type) {
    case ParamType::Bytes:
        return Variant::bytes({param.lowerBound, {}});
    case ParamType::Channels:
        return Variant::channels({param.lowerBound, {}});
    case ParamType::ChannelsDigi:
        return Variant::channelsDigi({param.lowerBound, {}});
    case ParamType::Head:
        return Variant::head({});
    case ParamType::FileHeader:
        return Variant::fileHead({});
    default:
        return coerce(Variant(), varTypeOf(param.type)); // 0, "", false or day 0
    }
}

template <typename R> Json jsonFromRecord(const R& record) {
    Json object = Json::object();
    forEachField(record, [&](const char* name, const auto& field, VarType type) {
        object[name] = jsonFromVariant(fieldValue(field, type));
    });
    return object;
}

template <typename T> Json jsonFromArray(const SafeArray<T>& array) {
    Json items = Json::array();
    for (const auto& item : array.items) {
        if constexpr (std::same_as<T, std::uint8_t>)
            items.push_back(item);
        else if constexpr (std::same_as<T, Variant>)
            items.push_back(jsonFromVariant(item));
        else
            items.push_back(jsonFromRecord(item));
    }
    return items;
}

// A single as the double with the same shortest text (66.6f gives 66.6, not
// 66.59999847412109).
double widened(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double wide = value;
    std::from_chars(text, end, wide);
    return wide;
}

} // namespace

Json parseJson(const std::string& text, int maxDepth) {
    // The callback sees every value as the parser meets it, at the depth of
    // the array or object being opened; refusing there stops the parse before
    // anything deeper is built.
    const auto limit = [maxDepth](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start ||
             event == Json::parse_event_t::array_start) &&
            depth >= maxDepth)
            throw UsageError("arrays and objects nested more than " + std::to_string(maxDepth) +
                             " deep");
        return true;
    };
    return Json::parse(text, limit);
}

Variant argumentFromJson(const Json& value, const ParamInfo& param) {
    const std::string context(param.name);
    if (value.is_null()) return nullArgument(param);
    const ParamType shape = param.type == ParamType::Variant ? param.holds : param.type;
    switch (shape) {
    case ParamType::Bytes:
        return Variant::bytes(bytesFromJson(value, param, context));
    case ParamType::Channels:
        return Variant::channels(recordsFromJson<Channellist>(value, param, context));
    case ParamType::ChannelsDigi:
        return Variant::channelsDigi(recordsFromJson<ChannellistDigi>(value, param, context));
    case ParamType::Head:
        return Variant::head(recordFromJson<ChannelHead>(value, context));
    case ParamType::FileHeader:
        return Variant::fileHead(recordFromJson<FileHead>(value, context));
    default:
        return naturalVariant(value, context);
    }
}

Json jsonFromVariant(const Variant& value) {
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
        return nullptr;
    case VarType::I2:
        return value.asI2();
    case VarType::I4:
        return value.asI4();
    case VarType::UI1:
        return value.asUI1();
    case VarType::R4:
        return widened(value.asR4());
    case VarType::R8:
        return value.asR8();
    case VarType::Bstr:
        return value.asBstr();
    case VarType::Bool:
        return value.asBool() != VariantFalse;
    case VarType::Date:
        if (auto text = formatDate(value.asDate())) return *text;
        return value.asDate().value;
    case VarType::Bytes:
        return jsonFromArray(value.asBytes());
    case VarType::Channels:
        return jsonFromArray(value.asChannels());
    case VarType::ChannelsDigi:
        return jsonFromArray(value.asChannelsDigi());
    case VarType::Variants:
        return jsonFromArray(value.asVariants());
    case VarType::Head:
        return jsonFromRecord(value.asHead());
    case VarType::FileHeader:
        return jsonFromRecord(value.asFileHead());
    }
    return nullptr;
}

std::string jsonLine(const Json& value) {
    if (value.is_object()) {
        std::string line = "{";
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (it != value.begin()) line += ", ";
            line += Json(it.key()).dump(-1, ' ', false, Json::error_handler_t::replace);
            line += ": " + jsonLine(it.value());
        }
        return line + "}";
    }
    if (value.is_array()) {
        std::string line = "[";
        for (std::size_t i = 0; i < value.size(); ++i)
            line += (i ? ", " : "") + jsonLine(value[i]);
        return line + "]";
    }
    // Texts from the meter need not be valid UTF-8; such bytes print as U+FFFD.
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace sondrel::cli
