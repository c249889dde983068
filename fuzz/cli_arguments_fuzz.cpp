// The command-line client's JSON arguments: any JSON text as the argument of
// any parameter of any member. An argument the client accepts is shown as JSON
// and, for records and arrays, that JSON is accepted again as the same value.
//
// Input: a byte choosing the member, a byte choosing the parameter, then the
// JSON text.
#include "fuzz_input.h"

#include "cli_errors.h"
#include "json_values.h"

namespace {

using namespace sondrel;
using korvane::fuzzing::check;

bool isBuiltByTheClient(ParamType type) {
    return type == ParamType::Bytes || type == ParamType::Channels ||
           type == ParamType::ChannelsDigi || type == ParamType::Head ||
           type == ParamType::FileHeader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvane::fuzzing::FuzzInput input(data, size);
    const MemberInfo& member = KorvaneMembers[input.byte() % KorvaneMembers.size()];
    const std::uint8_t which = input.byte();
    if (member.params.empty()) return 0;
    const ParamInfo& param = member.params[which % member.params.size()];
    const auto json = cli::Json::parse(input.restAsText(), nullptr, false);
    if (json.is_discarded()) return 0;
    Variant value;
    try {
        value = cli::argumentFromJson(json, param);
    } catch (const cli::UsageError&) {
        return 0;
    }
    const cli::Json shown = cli::jsonFromVariant(value);
    cli::jsonLine(shown);
    const ParamType built = param.type == ParamType::Variant ? param.holds : param.type;
    if (isBuiltByTheClient(built)) {
        Variant again;
        try {
            again = cli::argumentFromJson(shown, param);
        } catch (const cli::UsageError& e) {
            korvane::fuzzing::fail(std::string("the client refuses its own JSON: ") + e.what());
        }
        check(cli::jsonFromVariant(again) == shown,
              "the client's JSON does not read back the same");
    }
    return 0;
}
