// What the task commands (level, cn, files, set, screen, ...) share: text for
// people by default, one line of JSON with --json, and exit status 4 or the
// status of the reason the library gives when the meter did not carry the
// command out (a member result of 0).
#pragma once

#include "cli_errors.h"
#include "json_values.h"
#include "session.h"

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace sondrel::cli {

class Report {
  public:
    // Adds --json and the exit statuses to a command's help.
    void addOptions(CLI::App& command);
    // Prints the outcome, as JSON fields or as the text; returns exit status 0.
    int done(const Json& fields, const std::string& text) const;
    // True when --json was given.
    bool json() const { return json_; }
    // Prints that the member was not carried out ({"member": NAME, "result": 0}
    // with --json, with "failure" and "reason" when the library knows why;
    // else one line on standard error saying why); returns the status of that
    // reason (ExitNotDone when none is known). `why` is said when the library
    // gives no reason.
    int notDone(Session& session, std::string_view member,
                std::string_view why = "no answer, or a reply of another form, from the "
                                       "meter") const;

  private:
    bool json_ = false;
};

// Calls a member; true when it reports 1 (carried out). A string result (the
// model) counts as carried out when it is not empty.
bool callDone(Session& session, std::string_view member, std::vector<Variant>& args);

// A number as text with the given decimals: "55.25", "84.1".
std::string fixed(double value, int decimals);
// A number a member wrote (any numeric kind); 0 when there is none.
double numberOf(const Variant& value);

} // namespace sondrel::cli
