// The dispatcher: member table, every dispatch identifier reaching its slot,
// argument conversion, optional parameters, write-back and error reporting.
#include "common/dispatch_coercion.h"
#include "common/dispatch_members.h"
#include "common/member_errors.h"
#include "expected_members.h"
#include "recording_connection.h"

#include <gtest/gtest.h>

#include <cctype>

namespace korvane::testing {
namespace {

constexpr DispId PortDeviceId = 0x68030001;
constexpr DispId PortStateId = 0x68030000;

DispId idOf(const std::string& name) {
    DispId id = 0;
    EXPECT_EQ(memberIdOfName(name, &id), S_Ok) << name;
    return id;
}

// An argument every parameter of this type accepts.
Variant plainArgument(const ParamInfo& p) {
    switch (p.type) {
    case ParamType::Variant:
        return {};
    case ParamType::Bytes:
        return Variant::bytes({});
    case ParamType::Channels:
        return Variant::channels({});
    case ParamType::ChannelsDigi:
        return Variant::channelsDigi({});
    case ParamType::Head:
        return Variant::head({});
    case ParamType::FileHeader:
        return Variant::fileHead({});
    default:
        return coerce(Variant::i2(0), varTypeOf(p.type));
    }
}

class DispatchTest : public ::testing::Test {
  protected:
    HResult call(const std::string& name, InvokeKind kind, std::vector<Variant>& args,
                 Variant* result = nullptr) {
        return target.Invoke(idOf(name), kind, args, result, &excep);
    }
    RecordingConnection target;
    ExcepInfo excep;
};

TEST(MemberTable, MatchesTheDocumentedInterface) {
    ASSERT_EQ(KorvaneMembers.size(), ExpectedMembers.size());
    for (std::size_t i = 0; i < KorvaneMembers.size(); ++i) {
        const auto& m = KorvaneMembers[i];
        const auto& e = ExpectedMembers[i];
        EXPECT_EQ(m.slot, e.slot);
        EXPECT_EQ(m.name, e.name);
        EXPECT_EQ(static_cast<std::uint32_t>(m.dispId), e.dispId) << m.name;
        const bool property = e.name == "PortDevice" || e.name == "PortState";
        EXPECT_EQ(m.kind == MemberKind::Method, !property) << m.name;
    }
    EXPECT_EQ(findMember(PortDeviceId, InvokePropertyGet)->slot, 13);
    EXPECT_EQ(findMember(PortDeviceId, InvokePropertyPut)->slot, 14);
    EXPECT_EQ(findMember(PortStateId, InvokePropertyGet)->slot, 24);
    EXPECT_EQ(findMember(PortStateId, InvokePropertyPut)->slot, 25);
}

TEST_F(DispatchTest, EveryDispatchIdentifierReachesItsOwnMember) {
    for (const auto& m : KorvaneMembers) {
        std::string lower(m.name);
        for (auto& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        DispId id = 0;
        ASSERT_EQ(target.GetIDsOfNames(lower, &id), S_Ok) << m.name;
        EXPECT_EQ(id, m.dispId) << m.name;

        std::vector<Variant> args;
        for (const auto& p : m.params)
            args.push_back(plainArgument(p));
        target.called.clear();
        ASSERT_EQ(target.Invoke(id, invokeKindOf(m.kind), args, nullptr, &excep), S_Ok)
            << m.name << ": " << excep.description;
        const char* prefix = m.kind == MemberKind::PropertyGet   ? "get_"
                             : m.kind == MemberKind::PropertyPut ? "put_"
                                                                 : "";
        EXPECT_EQ(target.called, prefix + std::string(m.name)) << "slot " << m.slot;
    }
}

TEST_F(DispatchTest, UnknownNamesAndKindsAreRefused) {
    DispId id = 0;
    EXPECT_EQ(target.GetIDsOfNames("OpenDevice", &id), DispEUnknownName);
    std::vector<Variant> none;
    EXPECT_EQ(target.Invoke(0x60030001, InvokeMethod, none, nullptr, &excep), DispEMemberNotFound);
    EXPECT_EQ(call("Reset", InvokePropertyPut, none), DispEMemberNotFound);
    EXPECT_TRUE(target.called.empty());
}

TEST_F(DispatchTest, PropertyGetAndPutAreToldApart) {
    std::vector<Variant> value{Variant::i2(9)};
    ASSERT_EQ(call("PortDevice", InvokePropertyPut, value), S_Ok);
    EXPECT_EQ(target.called, "put_PortDevice");

    std::vector<Variant> none;
    Variant result;
    // Automation clients often read a property with method and get flags together.
    ASSERT_EQ(call("PortDevice", static_cast<InvokeKind>(InvokeMethod | InvokePropertyGet), none,
                   &result),
              S_Ok);
    EXPECT_EQ(target.called, "get_PortDevice");
    EXPECT_EQ(result, Variant::i2(9));

    std::vector<Variant> flag{Variant::boolean(true)};
    ASSERT_EQ(call("PortState", InvokePropertyPut, flag), S_Ok);
    ASSERT_EQ(call("PortState", InvokePropertyGet, none, &result), S_Ok);
    EXPECT_EQ(result, Variant::boolean(true));
}

TEST_F(DispatchTest, ArgumentsAreConvertedToTheParameterTypes) {
    auto putPort = [&](Variant v) {
        std::vector<Variant> args{std::move(v)};
        EXPECT_EQ(call("PortDevice", InvokePropertyPut, args), S_Ok) << excep.description;
        return target.portDevice;
    };
    EXPECT_EQ(putPort(Variant::r8(2.5)), 2); // halves to even
    EXPECT_EQ(putPort(Variant::r8(3.5)), 4);
    EXPECT_EQ(putPort(Variant::bstr(" 12 ")), 12);
    EXPECT_EQ(putPort(Variant::boolean(true)), -1);
    EXPECT_EQ(putPort(Variant::ui1(200)), 200);

    std::vector<Variant> freq{Variant::bstr("55.25")};
    ASSERT_EQ(call("SetupFreq", InvokeMethod, freq), S_Ok);
    EXPECT_FLOAT_EQ(target.lastFloat, 55.25f);

    std::vector<Variant> plan{Variant::i2(2)};
    ASSERT_EQ(call("CarryPlanNum", InvokeMethod, plan), S_Ok);
    EXPECT_EQ(target.lastPlan, UserPlanC);

    std::vector<Variant> dates{Variant::bstr("2009-08-25T13:45:30"), Variant::r8(0.5)};
    ASSERT_EQ(call("SetupDateTime", InvokeMethod, dates), S_Ok);
    EXPECT_NEAR(target.lastDate.value, 40050.0 + (13 * 3600 + 45 * 60 + 30) / 86400.0, 1e-9);
    // In/out dates come back as dates.
    EXPECT_EQ(dates[1], Variant::date(ComDate{0.5}));

    // A VARIANT parameter takes the value as it is.
    std::vector<Variant> cn{Variant::bstr("abc"), Variant()};
    ASSERT_EQ(call("GetCN", InvokeMethod, cn), S_Ok);
    EXPECT_EQ(target.lastVariant, Variant::bstr("abc"));
}

TEST_F(DispatchTest, ArgumentsOfTheWrongKindAreRefusedBeforeTheCall) {
    struct Case {
        const char* member;
        InvokeKind kind;
        Variant value;
        HResult expected;
    };
    const Case cases[] = {
        {"PortDevice", InvokePropertyPut, Variant::i4(40000), DispEOverflow},
        {"SetupSLMVolume", InvokeMethod, Variant::i2(256), DispEOverflow},
        {"SetupSLMVolume", InvokeMethod, Variant::i2(-1), DispEOverflow},
        {"SetupSLMVolume", InvokeMethod, Variant::bstr("loud"), DispETypeMismatch},
        {"SetupFreq", InvokeMethod, Variant::r8(1e39), DispEOverflow},
        {"askwendb", InvokeMethod, Variant::null(), DispETypeMismatch},
        {"ReadSLMScreen", InvokeMethod, Variant::bstr("x"), DispETypeMismatch},
        {"CarryChannelHead", InvokeMethod, Variant::fileHead({}), DispETypeMismatch},
        {"SetupDateTime", InvokeMethod, Variant::bstr("2009-02-30"), DispETypeMismatch},
    };
    for (const auto& c : cases) {
        const MemberInfo* m = findMember(idOf(c.member), c.kind);
        std::vector<Variant> args{c.value};
        for (std::size_t i = 1; i < m->params.size(); ++i)
            args.push_back(plainArgument(m->params[i]));
        target.called.clear();
        EXPECT_EQ(call(c.member, c.kind, args), c.expected) << c.member;
        EXPECT_EQ(excep.code, c.expected);
        EXPECT_NE(excep.description.find(std::string(m->params[0].name)), std::string::npos)
            << excep.description;
        EXPECT_TRUE(target.called.empty()) << c.member;
    }
}

TEST_F(DispatchTest, CountsAndOptionalParameters) {
    std::vector<Variant> one{Variant::i2(1)};
    EXPECT_EQ(call("Reset", InvokeMethod, one), DispEBadParamCount);

    std::vector<Variant> digi{Variant::i2(1), Variant::r4(0), Variant::r4(0), Variant::r4(0)};
    EXPECT_EQ(call("ReadDigi", InvokeMethod, digi), DispEBadParamCount); // 5 are required

    digi.push_back(Variant::r4(0));
    ASSERT_EQ(call("ReadDigi", InvokeMethod, digi), S_Ok);
    EXPECT_FALSE(target.optionalGiven[0]);
    EXPECT_EQ(digi.size(), 5u);

    digi.push_back(Variant::i2(0)); // zhishu given
    digi.push_back(Variant());      // dishu left out
    ASSERT_EQ(call("ReadDigi", InvokeMethod, digi), S_Ok);
    EXPECT_TRUE(target.optionalGiven[0]);
    EXPECT_FALSE(target.optionalGiven[1]);
    EXPECT_EQ(digi[5], Variant::i2(5));
    EXPECT_TRUE(digi[6].isEmpty());

    std::vector<Variant> missing{Variant()};
    EXPECT_EQ(call("ReadSLMVolume", InvokeMethod, missing), DispEParamNotOptional);
    std::vector<Variant> tooMany(8);
    EXPECT_EQ(call("ReadDigi", InvokeMethod, tooMany), DispEBadParamCount);
}

TEST_F(DispatchTest, InOutArgumentsAreWrittenBackInTheirParameterTypes) {
    std::vector<Variant> volume{Variant::r8(3)};
    ASSERT_EQ(call("ReadSLMVolume", InvokeMethod, volume), S_Ok);
    EXPECT_EQ(volume[0], Variant::ui1(7));

    std::vector<Variant> wen{Variant::bstr("1")};
    ASSERT_EQ(call("askwendb", InvokeMethod, wen), S_Ok);
    EXPECT_EQ(wen[0], Variant::i2(-5));

    std::vector<Variant> read{Variant::i2(0), Variant::channels({}), Variant::head({})};
    ASSERT_EQ(call("ReadChannel", InvokeMethod, read), S_Ok);
    EXPECT_EQ(read[0], Variant::i2(0)); // in parameters stay as the caller passed them
    ASSERT_EQ(read[1].type(), VarType::Channels);
    EXPECT_EQ(read[1].asChannels().lowerBound, 1);
    EXPECT_EQ(read[1].asChannels().at(1).ChannelName, "S1");
    EXPECT_EQ(read[2].asHead().Span, 20);

    std::vector<Variant> head{Variant::i2(1), Variant::fileHead({})};
    ASSERT_EQ(call("ReadFileHead", InvokeMethod, head), S_Ok);
    EXPECT_EQ(head[0], Variant::ui1(1));
    EXPECT_EQ(head[1].asFileHead().FileName, "F1");

    std::vector<Variant> content{Variant::bytes({}), Variant::i2(2)};
    ASSERT_EQ(call("ReadFileContent", InvokeMethod, content), S_Ok);
    EXPECT_EQ(content[0].asBytes().items, (std::vector<std::uint8_t>{1, 2, 3}));

    std::vector<Variant> letter{Variant::bstr("")}, slot{Variant::i2(0)};
    ASSERT_EQ(call("ReadNowChannel", InvokeMethod, letter), S_Ok);
    EXPECT_EQ(letter[0], Variant::bstr("C"));
    ASSERT_EQ(call("ReadPlanNum", InvokeMethod, slot), S_Ok);
    EXPECT_EQ(slot[0], Variant::i4(UserPlanC));

    std::vector<Variant> tune{Variant::i2(100), Variant::bstr("before")};
    ASSERT_EQ(call("SetupFreq", InvokeMethod, tune), S_Ok);
    EXPECT_EQ(tune[0], Variant::i2(100));
    EXPECT_EQ(tune[1], Variant::r8(100.0));

    std::vector<Variant> power{Variant::i2(1), Variant::i2(0), Variant::i2(0), Variant::i2(0),
                               Variant::i2(0)};
    ASSERT_EQ(call("ReadDigi", InvokeMethod, power), S_Ok);
    EXPECT_EQ(power[1], Variant::r4(66.6f));
    EXPECT_EQ(power[2], Variant::r4(0.0f));
}

TEST_F(DispatchTest, ResultsTakeTheirDeclaredTypes) {
    std::vector<Variant> none;
    Variant result = Variant::bstr("untouched");
    ASSERT_EQ(call("SLMType", InvokeMethod, none, &result), S_Ok);
    EXPECT_EQ(result, Variant::bstr("2000A"));
    ASSERT_EQ(call("OpenDeviceConnection", InvokeMethod, none, &result), S_Ok);
    EXPECT_EQ(result, Variant::i2(1));
    std::vector<Variant> volume{Variant::ui1(0)};
    ASSERT_EQ(call("ReadSLMVolume", InvokeMethod, volume, &result), S_Ok);
    EXPECT_EQ(result, Variant::i2(1));
    ASSERT_EQ(call("PortState", InvokePropertyGet, none, &result), S_Ok);
    EXPECT_EQ(result, Variant::boolean(false));
    std::vector<Variant> levels(7);
    ASSERT_EQ(call("GetlevelByChannel", InvokeMethod, levels, &result), S_Ok);
    EXPECT_TRUE(result.isEmpty());
}

TEST_F(DispatchTest, AFailedMemberBecomesAnExceptionWithoutWriteBack) {
    target.answer = MemberETypeMismatch;
    std::vector<Variant> args{Variant::bstr("abc"), Variant()};
    EXPECT_EQ(call("GetCN", InvokeMethod, args), DispEException);
    EXPECT_EQ(excep.code, MemberETypeMismatch);
    EXPECT_EQ(excep.description, "Type mismatch");
    EXPECT_EQ(excep.source, "Sondrel.KorvaneConnection");
    EXPECT_TRUE(args[1].isEmpty()); // the member wrote 33, but a failed call hands nothing back

    target.answer = S_Ok;
    target.throwInside = true;
    std::vector<Variant> none;
    EXPECT_EQ(call("Reset", InvokeMethod, none), DispEException);
    EXPECT_EQ(excep.code, E_Fail);
    EXPECT_NE(excep.description.find("meter unplugged"), std::string::npos);
}

} // namespace
} // namespace korvane::testing
