// `sondrel level FREQ --watch`: the level read again and again, each reading
// printed as it comes (a failed one as failed, with the library's reason),
// until Ctrl-C or --seconds; then the figures of the editor's Live page:
// lowest, highest, current, readings a second beside the most the meter's
// pauses allow.
#pragma once

#include "commands_report.h"

#include <optional>

namespace sondrel::cli {

// Exit status 0 when at least one reading was measured; else the status of
// the library's reason for the last failure. Stops early when the port itself
// fails (no device, in use, no permission): no later reading could succeed.
int watchLevel(Session& session, double freq, std::optional<double> seconds, bool json);

} // namespace sondrel::cli
