// Rounding to a whole number with halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2): how the meter's figures are rounded
// everywhere, on either end of the line.
#pragma once

#include <cmath>

namespace sondrel {

inline double roundHalfEven(double x) {
    const double nearest = std::round(x); // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5) return 2.0 * std::round(x / 2.0);
    return nearest;
}

} // namespace sondrel
