// sondrel [--port N] batch: many calls on one object, one connection and one
// open port. Each line of standard input is {"member": NAME, "args": [...]};
// each gets one line on standard output, exactly as `call` prints it (the
// error object included), flushed before the next line is read, so a script
// can converse with the meter. A line that cannot be called as written
// answers with {"member": NAME, "error": TEXT} and the batch goes on. The
// exit status is the worst of the lines: 3 when a member let an error reach
// the caller, else 2 when a line was unusable, else 0.
#include "cli_errors.h"
#include "command_registry.h"
#include "member_call.h"

#include <algorithm>
#include <iostream>

namespace sondrel::cli {
namespace {

struct BatchLine {
    std::string member;
    std::vector<Json> arguments;
};

BatchLine batchLineOf(const std::string& text) {
    Json line;
    try {
        line = Json::parse(text);
    } catch (const Json::parse_error&) {
        throw UsageError("line is not JSON: " + text);
    }
    if (!line.is_object() || !line.contains("member") || !line["member"].is_string())
        throw UsageError("line needs {\"member\": NAME, \"args\": [ARG, ...]}: " + text);
    for (const auto& item : line.items())
        if (item.key() != "member" && item.key() != "args")
            throw UsageError("line has an unknown key: " + item.key());
    BatchLine batch{line["member"].get<std::string>(), {}};
    if (line.contains("args")) {
        if (!line["args"].is_array()) throw UsageError("\"args\" must be an array");
        batch.arguments.assign(line["args"].begin(), line["args"].end());
    }
    return batch;
}

// The member a line names, for its error line; empty when it names none.
std::string memberNamed(const std::string& text) {
    try {
        const Json line = Json::parse(text);
        if (line.is_object() && line.contains("member") && line["member"].is_string())
            return line["member"].get<std::string>();
    } catch (const Json::parse_error&) {
    }
    return {};
}

class BatchCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.footer("Reads one call a line from standard input: {\"member\": NAME, \"args\": "
                       "[ARG, ...]} with ARG as for call; prints one line for each as call "
                       "does. Exit status: the worst line's (0 done, 2 an unusable line, 3 a "
                       "member error; 1 library not loadable).");
    }

    int run(Session& session) override {
        int worst = ExitCompleted;
        std::string text;
        while (std::getline(std::cin, text)) {
            if (text.find_first_not_of(" \t\r") == std::string::npos) continue;
            Json out;
            try {
                const BatchLine line = batchLineOf(text);
                out = callMember(session, line.member, line.arguments);
            } catch (const UsageError& e) {
                out = errorLine(memberNamed(text), e.what());
                worst = std::max(worst, ExitUsage);
            } catch (const MemberError& e) {
                out = errorLine(e.member(), e.what());
                worst = std::max(worst, ExitMemberError);
            }
            std::cout << jsonLine(out) << std::endl; // flushed: the caller may be waiting for it
        }
        return worst;
    }
};

const RegisterCommand<BatchCommand> registration{
    "batch", "make many calls on one connection, one JSON line each from standard input"};

} // namespace
} // namespace sondrel::cli
