// One late-bound call as `call` and `batch` make it, and the line it prints.
#pragma once

#include "json_values.h"
#include "session.h"

#include <string>
#include <vector>

namespace sondrel::cli {

// Calls the member named (without regard to case; a property is read without
// an argument and written with one) with arguments given as JSON values, left
// out trailing ones counting as null. Returns the line
// {"member": NAME, "result": R, "args": [A1, ...]}, the args being every
// parameter's value after the call. Throws UsageError or MemberError.
Json callMember(Session& session, const std::string& name, const std::vector<Json>& arguments);

// The line for a member that let an error reach the caller, or for a call that
// could not be made as asked: {"member": NAME, "error": TEXT}.
Json errorLine(const std::string& member, const std::string& text);

} // namespace sondrel::cli
