// The number a VARIANT argument stands for, as an automation client expects a
// numeric parameter to accept it: any number, boolean or date, or a text that
// reads wholly as a number ("55.25").
#pragma once

#include "variant.h"

#include <optional>

namespace sondrel {

std::optional<double> numberOfVariant(const Variant& value);

} // namespace sondrel
