// A tagged value in the manner of an automation VARIANT: what the interface's
// VARIANT parameters carry and what late-bound calls pass as arguments.
#pragma once

#include "sondrel_types.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace sondrel {

class Variant;
using VariantArray = SafeArray<Variant>;

enum class VarType {
    Empty,
    Null,
    I2,    // 16-bit integer
    I4,    // 32-bit integer (enumerations)
    UI1,   // byte
    R4,    // single
    R8,    // double
    Bstr,  // string
    Bool,  // 16-bit boolean
    Date,  // automation date
    Bytes, // array of bytes
    Channels,
    ChannelsDigi,
    Variants, // array of variants
    Head,     // ChannelHead record
    FileHeader,
};

class Variant {
  public:
    struct NullTag {
        friend bool operator==(NullTag, NullTag) = default;
    };
    struct BoolValue {
        VariantBool value = VariantFalse;
        friend bool operator==(BoolValue, BoolValue) = default;
    };

    Variant() = default;
    static Variant null() { return Variant(Storage{NullTag{}}); }
    static Variant i2(std::int16_t v) { return Variant(Storage{v}); }
    static Variant i4(std::int32_t v) { return Variant(Storage{v}); }
    static Variant ui1(std::uint8_t v) { return Variant(Storage{v}); }
    static Variant r4(float v) { return Variant(Storage{v}); }
    static Variant r8(double v) { return Variant(Storage{v}); }
    static Variant bstr(std::string v) { return Variant(Storage{std::move(v)}); }
    static Variant boolean(bool v) {
        return Variant(Storage{BoolValue{v ? VariantTrue : VariantFalse}});
    }
    static Variant date(ComDate v) { return Variant(Storage{v}); }
    static Variant bytes(SafeArray<std::uint8_t> v) { return Variant(Storage{std::move(v)}); }
    static Variant channels(SafeArray<Channellist> v) { return Variant(Storage{std::move(v)}); }
    static Variant channelsDigi(SafeArray<ChannellistDigi> v) {
        return Variant(Storage{std::move(v)});
    }
    static Variant variants(VariantArray v);
    static Variant head(ChannelHead v) { return Variant(Storage{v}); }
    static Variant fileHead(FileHead v) { return Variant(Storage{std::move(v)}); }

    VarType type() const { return static_cast<VarType>(storage_.index()); }
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isMissing() const { return type() == VarType::Empty || type() == VarType::Null; }
    bool isNumeric() const;

    // Typed access; each throws std::bad_variant_access on the wrong type.
    std::int16_t asI2() const { return std::get<std::int16_t>(storage_); }
    std::int32_t asI4() const { return std::get<std::int32_t>(storage_); }
    std::uint8_t asUI1() const { return std::get<std::uint8_t>(storage_); }
    float asR4() const { return std::get<float>(storage_); }
    double asR8() const { return std::get<double>(storage_); }
    const std::string& asBstr() const { return std::get<std::string>(storage_); }
    VariantBool asBool() const { return std::get<BoolValue>(storage_).value; }
    ComDate asDate() const { return std::get<ComDate>(storage_); }
    const SafeArray<std::uint8_t>& asBytes() const {
        return std::get<SafeArray<std::uint8_t>>(storage_);
    }
    const SafeArray<Channellist>& asChannels() const {
        return std::get<SafeArray<Channellist>>(storage_);
    }
    const SafeArray<ChannellistDigi>& asChannelsDigi() const {
        return std::get<SafeArray<ChannellistDigi>>(storage_);
    }
    const VariantArray& asVariants() const;
    const ChannelHead& asHead() const { return std::get<ChannelHead>(storage_); }
    const FileHead& asFileHead() const { return std::get<FileHead>(storage_); }

    // Numeric value of any scalar number, boolean or date; nullopt otherwise.
    std::optional<double> toNumber() const;

    friend bool operator==(const Variant& a, const Variant& b);

  private:
    // Arrays of variants are held by pointer, so that a Variant can contain them.
    struct VariantsBox {
        std::shared_ptr<const VariantArray> array;
        friend bool operator==(const VariantsBox& x, const VariantsBox& y) {
            return *x.array == *y.array;
        }
    };
    using Storage = std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, std::uint8_t,
                                 float, double, std::string, BoolValue, ComDate,
                                 SafeArray<std::uint8_t>, SafeArray<Channellist>,
                                 SafeArray<ChannellistDigi>, VariantsBox, ChannelHead, FileHead>;
    explicit Variant(Storage s) : storage_(std::move(s)) {}
    Storage storage_;
};

} // namespace sondrel
