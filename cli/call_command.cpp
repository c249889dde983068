// sondrel [--port N] call MEMBER [ARG ...]: calls one member late-bound and
// prints {"member": NAME, "result": R, "args": [A1, ...]} (see member_call.h).
#include "cli_errors.h"
#include "command_registry.h"
#include "member_call.h"

#include <iostream>

namespace sondrel::cli {
namespace {

// CLI11 would show "call [OPTIONS]": the member and its arguments are taken
// as they come, not as declared options.
class CallUsage final : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App*, std::string name) const override {
        return "Usage: " + name + " MEMBER [ARG ...]\n";
    }
};

class CallCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        // Everything after the member name is an argument, even "-3".
        command.prefix_command();
        command.formatter(std::make_shared<CallUsage>());
        command.footer("MEMBER is a member name (see sondrel members); each ARG is one JSON "
                       "value, e.g. 3, 55.25, '\"dBmV\"', true, null, '{\"Fav1\": 3}', '[1, 2]', "
                       "'\"2009-08-25T13:45:30\"'.");
        command_ = &command;
    }

    int run(Session& session) override {
        const auto words = command_->remaining();
        if (words.empty()) throw UsageError("call needs a MEMBER (see sondrel members)");
        std::vector<Json> arguments;
        for (std::size_t i = 1; i < words.size(); ++i) {
            try {
                arguments.push_back(parseJson(words[i], MaxArgumentDepth));
            } catch (const Json::parse_error&) {
                throw UsageError("argument " + std::to_string(i) + " is not JSON: " + words[i]);
            }
        }
        std::cout << jsonLine(callMember(session, words[0], arguments)) << '\n';
        return ExitCompleted;
    }

  private:
    CLI::App* command_ = nullptr;
};

const RegisterCommand<CallCommand> registration{"call", "call one member: call MEMBER [ARG ...]"};

} // namespace
} // namespace sondrel::cli
