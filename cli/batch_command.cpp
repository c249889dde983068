// sondrel [--port N] batch: many calls on one object, one connection and one
// open port. Each line of standard input is {"member": NAME, "args": [...]};
// each gets one line on standard output, exactly as `call` prints it (the
// error object included), flushed before the next line is read, so a script
// can converse with the meter. A line that cannot be called as written
// answers with {"member": NAME, "error": TEXT} and the batch goes on. The
// exit status is the worst of the lines: 3 when a member let an error reach
// the caller, else 2 when a line was unusable, else 0. Once standard output
// cannot be written, or its reader has gone, the batch stops at once: nothing
// more is sent to the meter for nobody (exit 9).
#include "cli_errors.h"
#include "command_registry.h"
#include "member_call.h"
#include "output.h"

#include <algorithm>
#include <iostream>

namespace sondrel::cli {
namespace {

// The longest line taken: a whole channel plan as records is some 20 kB.
constexpr std::size_t MaxLineBytes = 1 << 20;
// The most of a bad line an error quotes.
constexpr std::size_t QuotedBytes = 60;
// A line is an object holding "args", an array of arguments.
constexpr int MaxLineDepth = MaxArgumentDepth + 2;

// The start of a line, for an error message.
std::string quoted(const std::string& text) {
    return text.size() <= QuotedBytes ? text : text.substr(0, QuotedBytes) + "...";
}

struct InputLine {
    std::string text;
    bool tooLong = false; // text holds only the start of the line
};

// The next line of standard input, keeping at most MaxLineBytes of it.
std::optional<InputLine> readLine(std::istream& in) {
    std::streambuf& buffer = *in.rdbuf();
    InputLine line;
    bool any = false;
    for (int c = buffer.sbumpc(); c != std::char_traits<char>::eof(); c = buffer.sbumpc()) {
        any = true;
        if (c == '\n') return line;
        if (line.text.size() < MaxLineBytes)
            line.text.push_back(static_cast<char>(c));
        else
            line.tooLong = true;
    }
    return any ? std::optional(line) : std::nullopt;
}

struct BatchLine {
    std::string member;
    std::vector<Json> arguments;
};

// The call a line asks for. `member` is set as soon as the line names one,
// for the error line should the rest be unusable.
BatchLine batchLineOf(const std::string& text, std::string& member) {
    Json line;
    try {
        line = parseJson(text, MaxLineDepth);
    } catch (const Json::parse_error&) {
        throw UsageError("line is not JSON: " + quoted(text));
    }
    if (!line.is_object() || !line.contains("member") || !line["member"].is_string())
        throw UsageError("line needs {\"member\": NAME, \"args\": [ARG, ...]}: " + quoted(text));
    member = line["member"].get<std::string>();
    for (const auto& item : line.items())
        if (item.key() != "member" && item.key() != "args")
            throw UsageError("line has an unknown key: " + quoted(item.key()));
    BatchLine batch{member, {}};
    if (line.contains("args")) {
        if (!line["args"].is_array()) throw UsageError("\"args\" must be an array");
        batch.arguments.assign(line["args"].begin(), line["args"].end());
    }
    return batch;
}

class BatchCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.footer("Reads one call a line from standard input: {\"member\": NAME, \"args\": "
                       "[ARG, ...]} with ARG as for call (lines of at most 1 MiB); prints one "
                       "line for each as call does. Exit status: the worst line's (0 done, 2 an "
                       "unusable line, 3 a member error; 1 library not loadable); 9 when the "
                       "output could not be written, which ends the batch at once.");
    }

    int run(Session& session) override {
        int worst = ExitCompleted;
        while (const auto input = readLine(std::cin)) {
            const std::string& text = input->text;
            if (!input->tooLong && text.find_first_not_of(" \t\r") == std::string::npos) continue;
            checkOutputReader();
            Json out;
            std::string member;
            try {
                if (input->tooLong)
                    throw UsageError("line longer than " + std::to_string(MaxLineBytes) +
                                     " bytes: " + quoted(text));
                const BatchLine line = batchLineOf(text, member);
                out = callMember(session, line.member, line.arguments);
            } catch (const UsageError& e) {
                out = errorLine(member, e.what());
                worst = std::max(worst, ExitUsage);
            } catch (const MemberError& e) {
                out = errorLine(e.member(), e.what());
                worst = std::max(worst, ExitMemberError);
            }
            printLineNow(jsonLine(out));
        }
        return worst;
    }
};

const RegisterCommand<BatchCommand> registration{
    "batch", "make many calls on one connection, one JSON line each from standard input"};

} // namespace
} // namespace sondrel::cli
