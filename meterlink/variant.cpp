#include "variant.h"

namespace sondrel {

Variant Variant::variants(VariantArray v) {
    return Variant(Storage{VariantsBox{std::make_shared<const VariantArray>(std::move(v))}});
}

const VariantArray& Variant::asVariants() const {
    return *std::get<VariantsBox>(storage_).array;
}

bool Variant::isNumeric() const {
    switch (type()) {
    case VarType::I2:
    case VarType::I4:
    case VarType::UI1:
    case VarType::R4:
    case VarType::R8:
        return true;
    default:
        return false;
    }
}

std::optional<double> Variant::toNumber() const {
    switch (type()) {
    case VarType::I2:
        return asI2();
    case VarType::I4:
        return asI4();
    case VarType::UI1:
        return asUI1();
    case VarType::R4:
        return asR4();
    case VarType::R8:
        return asR8();
    case VarType::Bool:
        return asBool();
    case VarType::Date:
        return asDate().value;
    default:
        return std::nullopt;
    }
}

bool operator==(const Variant& a, const Variant& b) {
    return a.storage_ == b.storage_;
}

} // namespace sondrel
