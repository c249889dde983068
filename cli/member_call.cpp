#include "member_call.h"

#include "cli_errors.h"

namespace sondrel::cli {
namespace {

const MemberInfo& chooseMember(const std::string& name, std::size_t argumentCount) {
    const MemberInfo* member = findMemberByName(name);
    if (!member) throw UsageError("no member named " + name);
    if (member->kind != MemberKind::Method && argumentCount > 0)
        member = findMember(member->dispId, InvokePropertyPut);
    return *member;
}

} // namespace

Json callMember(Session& session, const std::string& name, const std::vector<Json>& arguments) {
    const MemberInfo& member = chooseMember(name, arguments.size());
    if (arguments.size() > member.params.size())
        throw UsageError(std::string(member.name) + " takes " +
                         std::to_string(member.params.size()) + " argument(s), not " +
                         std::to_string(arguments.size()));
    std::vector<Variant> args;
    for (std::size_t i = 0; i < member.params.size(); ++i)
        args.push_back(
            argumentFromJson(i < arguments.size() ? arguments[i] : Json(), member.params[i]));

    const Variant result = session.call(member, args);
    Json argsJson = Json::array();
    for (const auto& a : args)
        argsJson.push_back(jsonFromVariant(a));
    Json line = Json::object();
    line["member"] = std::string(member.name);
    line["result"] = jsonFromVariant(result);
    line["args"] = std::move(argsJson);
    return line;
}

Json errorLine(const std::string& member, const std::string& text) {
    Json line = Json::object();
    line["member"] = member;
    line["error"] = text;
    return line;
}

} // namespace sondrel::cli
