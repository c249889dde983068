// sondrel [--port N] call MEMBER [ARG ...]: calls one member late-bound and
// prints {"member": NAME, "result": R, "args": [A1, ...]}, the args being every
// parameter's value after the call. A property is read without an argument and
// written with one.
#include "cli_errors.h"
#include "command_registry.h"
#include "json_values.h"
#include "session.h"

#include <iostream>

namespace sondrel::cli {
namespace {

const MemberInfo& chooseMember(const std::string& name, std::size_t argumentCount) {
    const MemberInfo* member = findMemberByName(name);
    if (!member) throw UsageError("no member named " + name);
    if (member->kind != MemberKind::Method && argumentCount > 0)
        member = findMember(member->dispId, InvokePropertyPut);
    return *member;
}

class CallCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        // Everything after the member name is an argument, even "-3".
        command.prefix_command();
        command.footer("MEMBER is a member name (see sondrel members); each ARG is one JSON "
                       "value, e.g. 3, 55.25, '\"dBmV\"', true, null, '{\"Fav1\": 3}', '[1, 2]', "
                       "'\"2009-08-25T13:45:30\"'.");
        command_ = &command;
    }

    int run(Session& session) override {
        const auto words = command_->remaining();
        if (words.empty()) throw UsageError("call needs a MEMBER (see sondrel members)");
        const MemberInfo& member = chooseMember(words[0], words.size() - 1);
        if (words.size() - 1 > member.params.size())
            throw UsageError(std::string(member.name) + " takes " +
                             std::to_string(member.params.size()) + " argument(s), not " +
                             std::to_string(words.size() - 1));

        // Left-out trailing arguments count as null.
        std::vector<Variant> args;
        for (std::size_t i = 0; i < member.params.size(); ++i) {
            Json value;
            if (i + 1 < words.size()) {
                try {
                    value = Json::parse(words[i + 1]);
                } catch (const Json::parse_error&) {
                    throw UsageError("argument " + std::to_string(i + 1) +
                                     " is not JSON: " + words[i + 1]);
                }
            }
            args.push_back(argumentFromJson(value, member.params[i]));
        }

        const Variant result = session.call(member, args);
        Json args_json = Json::array();
        for (const auto& a : args)
            args_json.push_back(jsonFromVariant(a));
        Json line = Json::object();
        line["member"] = std::string(member.name);
        line["result"] = jsonFromVariant(result);
        line["args"] = std::move(args_json);
        std::cout << jsonLine(line) << '\n';
        return 0;
    }

  private:
    CLI::App* command_ = nullptr;
};

const RegisterCommand<CallCommand> registration{"call", "call one member: call MEMBER [ARG ...]"};

} // namespace
} // namespace sondrel::cli
