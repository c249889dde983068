// The fields of the interface's records, by name and in declared order, for
// turning records into JSON objects and back. Each field comes with the value
// type it holds, so 16-bit booleans are told apart from 16-bit integers.
#pragma once

#include "variant.h"

#include <concepts>
#include <type_traits>

namespace sondrel::cli {

template <typename R>
concept ChannelRecord = std::same_as<std::remove_const_t<R>, Channellist> ||
    std::same_as<std::remove_const_t<R>, ChannellistDigi>;

// Calls visit(name, field, type) for every field of the record.
template <ChannelRecord R, typename Visit> void forEachField(R& r, Visit&& visit) {
    visit("ChannelNumber", r.ChannelNumber, VarType::I4);
    visit("Type", r.Type, VarType::Bstr);
    visit("Serial", r.Serial, VarType::UI1);
    visit("freq", r.freq, VarType::R4);
    visit("ChannelOK", r.ChannelOK, VarType::Bool);
    visit("TiltOK", r.TiltOK, VarType::Bool);
    visit("ChannelName", r.ChannelName, VarType::Bstr);
    visit("Audio1", r.Audio1, VarType::R4);
    visit("Audio2", r.Audio2, VarType::R4);
    visit("Memo", r.Memo, VarType::Bstr);
    if constexpr (std::same_as<std::remove_const_t<R>, ChannellistDigi>)
        visit("Rate", r.Rate, VarType::Bstr);
}

template <typename R, typename Visit>
requires std::same_as<std::remove_const_t<R>, ChannelHead>
void forEachField(R& h, Visit&& visit) {
    visit("Fav1", h.Fav1, VarType::UI1);
    visit("Fav2", h.Fav2, VarType::UI1);
    visit("Fav3", h.Fav3, VarType::UI1);
    visit("Fav4", h.Fav4, VarType::UI1);
    visit("Fav5", h.Fav5, VarType::UI1);
    visit("Fav6", h.Fav6, VarType::UI1);
    visit("Span", h.Span, VarType::I2);
    visit("Un", h.Un, VarType::UI1);
}

template <typename R, typename Visit>
requires std::same_as<std::remove_const_t<R>, FileHead>
void forEachField(R& f, Visit&& visit) {
    visit("FileName", f.FileName, VarType::Bstr);
    visit("FileDate", f.FileDate, VarType::Date);
    visit("FileTime", f.FileTime, VarType::Date);
    visit("FileBaseChannel", f.FileBaseChannel, VarType::Bstr);
    visit("FileInfoLimitsTest", f.FileInfoLimitsTest, VarType::Bool);
    visit("FileInfoTilt", f.FileInfoTilt, VarType::Bool);
    visit("FileInfoSpect", f.FileInfoSpect, VarType::Bool);
    visit("FileInfoScan", f.FileInfoScan, VarType::Bool);
    visit("FileInfoLevel", f.FileInfoLevel, VarType::Bool);
    visit("FileInfo24Hour", f.FileInfo24Hour, VarType::Bool);
    visit("FileInfoQAM", f.FileInfoQAM, VarType::Bool);
}

// A field's value as a Variant of its type.
template <typename T> Variant fieldValue(const T& field, VarType type) {
    if constexpr (std::same_as<T, std::string>)
        return Variant::bstr(field);
    else if constexpr (std::same_as<T, float>)
        return Variant::r4(field);
    else if constexpr (std::same_as<T, ComDate>)
        return Variant::date(field);
    else if constexpr (std::same_as<T, std::uint8_t>)
        return Variant::ui1(field);
    else if constexpr (std::same_as<T, std::int32_t>)
        return Variant::i4(field);
    else // 16-bit: a boolean or an integer
        return type == VarType::Bool ? Variant::boolean(field != VariantFalse) : Variant::i2(field);
}

// Stores a Variant already converted to the field's type.
template <typename T> void setField(T& field, const Variant& value) {
    if constexpr (std::same_as<T, std::string>)
        field = value.asBstr();
    else if constexpr (std::same_as<T, float>)
        field = value.asR4();
    else if constexpr (std::same_as<T, ComDate>)
        field = value.asDate();
    else if constexpr (std::same_as<T, std::uint8_t>)
        field = value.asUI1();
    else if constexpr (std::same_as<T, std::int32_t>)
        field = value.asI4();
    else
        field = value.type() == VarType::Bool ? value.asBool() : value.asI2();
}

} // namespace sondrel::cli
