// The JSON forms of sondrel's arguments and output, and its port argument.
#include "cli_errors.h"
#include "failure_reason.h"
#include "json_values.h"
#include "session.h"

#include <gtest/gtest.h>

namespace sondrel::cli {
namespace {

// Parameter of a member; of a property, its put.
const ParamInfo& param(std::string_view member, std::size_t index) {
    const MemberInfo* m = findMemberByName(member);
    if (m->kind != MemberKind::Method) m = findMember(m->dispId, InvokePropertyPut);
    if (index >= m->params.size()) throw std::out_of_range("no such parameter");
    return m->params[index];
}

Variant argument(std::string_view member, std::size_t index, const char* json) {
    return argumentFromJson(Json::parse(json), param(member, index));
}

std::string usageErrorOf(std::string_view member, std::size_t index, const char* json) {
    try {
        argument(member, index, json);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "no error";
}

TEST(JsonArguments, ChannelArraysStartAtTheLowerBoundTheMemberExpects) {
    const Variant plan = argument(
        "CarryChannel", 0,
        R"([{"ChannelName": "S1", "freq": 655.25, "Type": "TV", "Audio1": 6.5}, {"ChannelOK": true}])");
    ASSERT_EQ(plan.type(), VarType::Channels);
    const auto& channels = plan.asChannels();
    EXPECT_EQ(channels.lowerBound, 1);
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_EQ(channels.at(1).ChannelName, "S1");
    EXPECT_FLOAT_EQ(channels.at(1).freq, 655.25f);
    EXPECT_EQ(channels.at(1).Type, "TV");
    EXPECT_EQ(channels.at(1).ChannelOK, VariantFalse); // missing fields keep their defaults
    EXPECT_EQ(channels.at(2).ChannelOK, VariantTrue);

    const Variant digi = argument("CarryChannelDigi", 0, R"([{"Rate": "6.875", "Memo": "64QAM"}])");
    ASSERT_EQ(digi.type(), VarType::ChannelsDigi);
    EXPECT_EQ(digi.asChannelsDigi().lowerBound, 1);
    EXPECT_EQ(digi.asChannelsDigi().at(1).Rate, "6.875");

    EXPECT_EQ(
        argument("UserNameTransmmission", 1, R"([{"Memo": "ABCDE"}])").asChannels().lowerBound, 0);
}

TEST(JsonArguments, RecordsTakeTheirDeclaredFieldNames) {
    const Variant head = argument("CarryChannelHead", 0, R"({"Fav1": 3, "Span": 20, "Un": null})");
    EXPECT_EQ(head.asHead(), (ChannelHead{3, 0, 0, 0, 0, 0, 20, 0}));
    const Variant file =
        argument("ReadFileHead", 1, R"({"FileName": "F1", "FileDate": "2009-08-25T00:00:00"})");
    EXPECT_EQ(file.asFileHead().FileName, "F1");
    EXPECT_EQ(file.asFileHead().FileDate.value, 40050.0);

    EXPECT_NE(usageErrorOf("CarryChannelHead", 0, R"({"fav1": 3})").find("no field \"fav1\""),
              std::string::npos);
    EXPECT_NE(usageErrorOf("CarryChannelHead", 0, R"({"Fav1": 300})").find("Fav1"),
              std::string::npos);
    EXPECT_NE(usageErrorOf("CarryChannel", 0, R"([{"ChannelOK": "maybe"}])").find("element 1"),
              std::string::npos);
    EXPECT_NE(usageErrorOf("CarryChannelHead", 0, "3"), "no error");
    EXPECT_NE(usageErrorOf("CarryChannel", 0, R"({"Fav1": 3})"), "no error");
    EXPECT_NE(usageErrorOf("SetupFreq", 0, R"({"f": 1})"), "no error");
}

TEST(JsonArguments, ByteArraysAreArraysOfNumbers) {
    EXPECT_EQ(argument("ReadSLMScreen", 0, "[0, 255, 7]").asBytes().items,
              (std::vector<std::uint8_t>{0, 255, 7}));
    EXPECT_NE(usageErrorOf("ReadSLMScreen", 0, "[256]"), "no error");
    EXPECT_NE(usageErrorOf("ReadSLMScreen", 0, R"("abc")"), "no error");
}

TEST(JsonArguments, NullLeavesOutOrTakesTheEmptyValueOfTheType) {
    EXPECT_TRUE(argument("ReadDigi", 5, "null").isEmpty()); // optional
    EXPECT_TRUE(argument("GetCN", 1, "null").isEmpty());    // VARIANT
    EXPECT_EQ(argument("ReadSLMVolume", 0, "null"), Variant::ui1(0));
    EXPECT_EQ(argument("ReadNowChannel", 0, "null"), Variant::bstr(""));
    EXPECT_EQ(argument("SetupDateTime", 0, "null"), Variant::date({0.0}));
    EXPECT_EQ(argument("ReadChannel", 2, "null"), Variant::head({}));
    EXPECT_EQ(argument("ReadChannel", 1, "null").asChannels().size(), 0u);
}

TEST(JsonArguments, ScalarsKeepTheirJsonKind) {
    EXPECT_EQ(argument("GetCN", 0, "3"), Variant::i2(3));
    EXPECT_EQ(argument("GetCN", 0, "-70000"), Variant::i4(-70000));
    EXPECT_EQ(argument("GetCN", 0, "3000000000"), Variant::r8(3e9));
    EXPECT_EQ(argument("GetCN", 0, "55.25"), Variant::r8(55.25));
    EXPECT_EQ(argument("GetCN", 0, R"("abc")"), Variant::bstr("abc"));
    EXPECT_EQ(argument("PortState", 0, "true"), Variant::boolean(true));
    const Variant limits = argument("SetupSLMLimit", 0, "[1, 2]");
    ASSERT_EQ(limits.type(), VarType::Variants);
    EXPECT_EQ(limits.asVariants().items, (std::vector<Variant>{Variant::i2(1), Variant::i2(2)}));
}

TEST(JsonOutput, ValuesInTheirJsonForms) {
    EXPECT_EQ(jsonLine(jsonFromVariant(Variant::r4(66.6f))), "66.6");
    EXPECT_EQ(jsonLine(jsonFromVariant(Variant())), "null");
    EXPECT_EQ(jsonLine(jsonFromVariant(Variant::boolean(true))), "true");
    EXPECT_EQ(jsonLine(jsonFromVariant(Variant::date({40050.5}))), R"("2009-08-25T12:00:00")");
    EXPECT_EQ(jsonLine(jsonFromVariant(Variant::bytes({1, {4, 5}}))), "[4, 5]");
    EXPECT_EQ(
        jsonLine(jsonFromVariant(Variant::head({1, 2, 3, 4, 5, 6, 20, 1}))),
        R"({"Fav1": 1, "Fav2": 2, "Fav3": 3, "Fav4": 4, "Fav5": 5, "Fav6": 6, "Span": 20, "Un": 1})");
    SafeArray<ChannellistDigi> plan;
    plan.redim(1, 1);
    plan.at(1).Rate = "6.875";
    plan.at(1).TiltOK = VariantTrue;
    EXPECT_EQ(
        jsonLine(jsonFromVariant(Variant::channelsDigi(plan))),
        R"([{"ChannelNumber": 0, "Type": "", "Serial": 0, "freq": 0.0, "ChannelOK": false, "TiltOK": true, "ChannelName": "", "Audio1": 0.0, "Audio2": 0.0, "Memo": "", "Rate": "6.875"}])");
    // Bytes that are no UTF-8 must not stop the output.
    EXPECT_EQ(jsonLine(jsonFromVariant(Variant::bstr("A\xff"))), "\"A\xEF\xBF\xBD\"");
}

TEST(JsonOutput, OneLineWithBlanksAfterSeparators) {
    Json line = Json::object();
    line["member"] = "Reset";
    line["result"] = 1;
    line["args"] = Json::array({1, Json::array({2, 3}), Json::object({{"a", nullptr}})});
    EXPECT_EQ(jsonLine(line),
              R"({"member": "Reset", "result": 1, "args": [1, [2, 3], {"a": null}]})");
    EXPECT_EQ(jsonLine(Json::array()), "[]");
}

// Text of `depth` arrays, one inside the other, round a 1.
std::string nestedArrays(std::size_t depth) {
    return std::string(depth, '[') + "1" + std::string(depth, ']');
}

TEST(JsonDepth, ArgumentsNestedDeeperThanAnyMemberTakesAreRefusedNotFollowed) {
    EXPECT_EQ(parseJson(nestedArrays(MaxArgumentDepth), MaxArgumentDepth).dump(),
              nestedArrays(MaxArgumentDepth));
    EXPECT_EQ(parseJson(R"([{"Fav1": [1]}])", 3).dump(), R"([{"Fav1":[1]}])");
    EXPECT_THROW(parseJson(nestedArrays(MaxArgumentDepth + 1), MaxArgumentDepth), UsageError);
    EXPECT_THROW(parseJson(R"([{"a": {}}])", 2), UsageError);
    // Deep enough to exhaust the stack of any recursive reader or copy.
    EXPECT_THROW(parseJson(nestedArrays(200000), MaxArgumentDepth), UsageError);
    EXPECT_THROW(parseJson("[1", MaxArgumentDepth), Json::parse_error);

    // Built in memory, past the parser: the conversion refuses it too.
    Json deep = 1;
    for (int i = 0; i < MaxArgumentDepth + 1; ++i)
        deep = Json::array({deep});
    EXPECT_THROW(argumentFromJson(deep, param("SetupSLMLimit", 0)), UsageError);
    EXPECT_THROW(argumentFromJson(deep, param("GetCN", 0)), UsageError);
    EXPECT_NO_THROW(argumentFromJson(deep[0], param("SetupSLMLimit", 0)));
}

TEST(FailureReports, EachKindHasItsExitStatusAndSaysWhatToDo) {
    const FailureReport unknown = reportOf({FailureKind::None, ""}, "no answer, or else");
    EXPECT_EQ(unknown.exitStatus, ExitNotDone);
    EXPECT_EQ(unknown.text, "no answer, or else");

    const FailureReport permission =
        reportOf({FailureKind::Permission, "cannot open /dev/ttyUSB0: Permission denied"}, "");
    EXPECT_EQ(permission.exitStatus, ExitPermission);
    EXPECT_EQ(permission.text.rfind("cannot open /dev/ttyUSB0: Permission denied (", 0), 0u);
    EXPECT_NE(permission.text.find("dialout"), std::string::npos);
    EXPECT_NE(permission.text.find("log out and in"), std::string::npos);

    // Distinct statuses, so that a script can tell them apart.
    const std::pair<FailureKind, int> statuses[] = {
        {FailureKind::NoAnswer, ExitNotDone},      {FailureKind::WrongAnswer, ExitWrongAnswer},
        {FailureKind::NoDevice, ExitNoDevice},     {FailureKind::InUse, ExitInUse},
        {FailureKind::Permission, ExitPermission}, {FailureKind::CodePage, ExitNotDone},
        {FailureKind::Cancelled, ExitNotDone},     {FailureKind::Other, ExitNotDone}};
    for (const auto& [kind, status] : statuses) {
        const FailureReport report = reportOf({kind, "the library's words"}, "unknown");
        EXPECT_EQ(report.exitStatus, status) << failureKindName(kind);
        EXPECT_EQ(report.text.rfind("the library's words", 0), 0u) << failureKindName(kind);
    }
    EXPECT_NE(reportOf({FailureKind::NoDevice, ""}, "").text.find("sondrel ports"),
              std::string::npos);
}

TEST(PortArgument, NumberOrComName) {
    EXPECT_EQ(parsePortNumber("3"), 3);
    EXPECT_EQ(parsePortNumber("COM16"), 16);
    EXPECT_EQ(parsePortNumber("com1"), 1);
    for (const char* bad : {"0", "17", "COM", "COMx", "3a", "", "-1", "COM 3"})
        EXPECT_THROW(parsePortNumber(bad), UsageError) << bad;
}

} // namespace
} // namespace sondrel::cli
