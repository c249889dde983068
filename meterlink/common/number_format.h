// Number texts in the pattern "###0.00": at least one integer digit, exactly
// two decimals, no grouping. The value is first taken to 15 significant
// digits and then rounded half away from zero, the way the automation
// runtime formats numbers, so 1.005 gives "1.01" although its binary value
// lies just below.
#pragma once

#include <string>

namespace sondrel {

// "0.05", "-0.03", "870.00". A value that rounds to zero gives "0.00", never "-0.00".
std::string formatTwoDecimals(double value);

} // namespace sondrel
