// sondrel members: every member of the interface in slot order, one a line:
//   slot  DISPID  kind  Name(parameter type passing[ opt], ...) -> result
#include "command_registry.h"
#include "common/dispatch_members.h"

#include <cstdio>
#include <iostream>

namespace sondrel::cli {
namespace {

const char* kindText(MemberKind kind) {
    switch (kind) {
    case MemberKind::Method:
        return "method";
    case MemberKind::PropertyGet:
        return "get";
    case MemberKind::PropertyPut:
        return "put";
    }
    return "?";
}

std::string signature(const MemberInfo& m) {
    std::string text(m.name);
    text += "(";
    for (std::size_t i = 0; i < m.params.size(); ++i) {
        const ParamInfo& p = m.params[i];
        if (i) text += ", ";
        text += std::string(p.name) + " " + typeText(p) +
                (p.passing == Passing::In ? " in" : " in/out") + (p.optional ? " opt" : "");
    }
    text += ")";
    if (m.result != ResultType::None) text += " -> " + resultText(m.result);
    return text;
}

class MembersCommand final : public Command {
  public:
    void configure(CLI::App&) override {}
    int run(Session&) override {
        for (const auto& m : KorvaneMembers) {
            char head[48];
            std::snprintf(head, sizeof head, "%2d  0x%08X  %-6s  ", m.slot,
                          static_cast<unsigned>(m.dispId), kindText(m.kind));
            std::cout << head << signature(m) << '\n';
        }
        return 0;
    }
};

const RegisterCommand<MembersCommand> registration{
    "members", "list every member with its slot, DISPID and parameters"};

} // namespace
} // namespace sondrel::cli
