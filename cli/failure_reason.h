// Why the meter did not carry a command out, as sondrel tells it: the
// library's record of the last call's failure turned into an exit status and
// words that say what to do about it.
#pragma once

#include "last_failure.h"

#include <string>
#include <string_view>

namespace sondrel::cli {

struct FailureReport {
    int exitStatus = 0; // ExitNotDone or one of the statuses after it (cli_errors.h)
    std::string text;   // the reason, for "MEMBER was not carried out: TEXT"
};

// The report for a failure; `unknown` is the reason given when the library
// recorded none.
FailureReport reportOf(const Failure& failure, std::string_view unknown);

} // namespace sondrel::cli
