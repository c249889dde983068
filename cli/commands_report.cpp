#include "commands_report.h"

#include "cli_errors.h"
#include "failure_reason.h"

#include <cstdio>
#include <iostream>

namespace sondrel::cli {

void Report::addOptions(CLI::App& command) {
    command.add_flag("--json", json_, "print one line of JSON instead of text");
    // Below what the command says of itself, if anything.
    const std::string statuses = ExitStatusHelp;
    const std::string own = command.get_footer();
    command.footer(own.empty() ? statuses : own + "\n\n" + statuses);
}

int Report::done(const Json& fields, const std::string& text) const {
    std::cout << (json_ ? jsonLine(fields) : text) << '\n';
    return ExitCompleted;
}

int Report::notDone(Session& session, std::string_view member, std::string_view why) const {
    const Failure failure = session.library().lastFailure();
    const FailureReport report = reportOf(failure, why);
    if (json_) {
        Json line = Json::object();
        line["member"] = std::string(member);
        line["result"] = 0;
        if (failure.kind != FailureKind::None) {
            line["failure"] = failureKindName(failure.kind);
            line["reason"] = report.text;
        }
        std::cout << jsonLine(line) << '\n';
    } else {
        std::cerr << "sondrel: " << member << " was not carried out: " << report.text << '\n';
    }
    return report.exitStatus;
}

bool callDone(Session& session, std::string_view member, std::vector<Variant>& args) {
    const Variant result = session.call(member, args);
    if (result.type() == VarType::Bstr) return !result.asBstr().empty();
    return result.toNumber() == 1.0;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double numberOf(const Variant& value) {
    return value.toNumber().value_or(0.0);
}

} // namespace sondrel::cli
