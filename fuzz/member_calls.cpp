#include "member_calls.h"

#include "fuzz_input.h"

#include "common/plan_codec_packets.h"

#include <string>
#include <tuple>

namespace korvane::fuzzing {
namespace {

using namespace sondrel;

bool lastCallSucceeded = false;

void checkResult(std::int16_t result, std::string_view member) {
    check(result == 0 || result == 1, std::string(member) + " gave a result other than 0 or 1");
    lastCallSucceeded = result == 1;
}
void checkResult(const Variant& result, std::string_view member) {
    check(result.type() == VarType::I2, std::string(member) + " gave no 16-bit result");
    checkResult(result.asI2(), member);
}

bool failed(std::int16_t result) {
    return result == 0;
}
bool failed(const Variant& result) {
    return result.type() == VarType::I2 && result.asI2() == 0;
}

// A failed call leaves what it was given to fill as it was: the caller's
// earlier values are not replaced by a half-read reply.
template <typename Result, typename... Out>
void checkKeptOnFailure(const Result& result, std::string_view member,
                        const std::tuple<Out...>& before, const std::tuple<Out...>& after) {
    if (failed(result))
        check(before == after, std::string(member) + " failed but changed its out-parameters");
}

SafeArray<Channellist> analogPlanOf(int channels) {
    SafeArray<Channellist> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        plan.at(i).ChannelName = "S" + std::to_string(i);
        plan.at(i).freq = 45.0f + 4.25f * static_cast<float>(i);
        plan.at(i).Type = "TV";
        plan.at(i).Audio1 = 6.5f;
        plan.at(i).Memo = "NAME" + std::to_string(i % 10);
    }
    return plan;
}

SafeArray<ChannellistDigi> digitalPlanOf(int channels) {
    SafeArray<ChannellistDigi> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        plan.at(i).ChannelName = "D" + std::to_string(i);
        plan.at(i).Type = "DIGI";
        plan.at(i).freq = 100.0f + 8.0f * static_cast<float>(i);
        plan.at(i).Memo = "256QAM";
        plan.at(i).Rate = "6.875";
    }
    return plan;
}

const MemberCall calls[] = {
    {"ReadChannel",
     [](KorvaneConnection& c) {
         SafeArray<Channellist> plan = analogPlanOf(3);
         ChannelHead head;
         head.Span = 77;
         const ChannelHead before = head;
         Variant result;
         c.ReadChannel(UserPlanA, &plan, &head, &result);
         checkResult(result, "ReadChannel");
         // The channels that arrived before a failure stay; the header comes last.
         checkKeptOnFailure(result, "ReadChannel", std::tuple(before), std::tuple(head));
         if (result.asI2() == 1)
             check(plan.lowerBound == 1 && !plan.empty() && plan.size() <= MaxPlanChannels,
                   "ReadChannel gave a plan of no channels or too many");
     }},
    {"ReadChannelDigi",
     [](KorvaneConnection& c) {
         Variant plan = Variant::channelsDigi(digitalPlanOf(2));
         const auto before = std::tuple(plan);
         Variant result;
         c.ReadChannelDigi(UserPlanA, &plan, &result);
         checkResult(result, "ReadChannelDigi");
         checkKeptOnFailure(result, "ReadChannelDigi", before, std::tuple(plan));
         if (result.asI2() == 1)
             check(plan.type() == VarType::ChannelsDigi, "ReadChannelDigi gave no plan");
     }},
    {"ReadPlanNum",
     [](KorvaneConnection& c) {
         UserPlanNumber slot = UserPlanA;
         std::int16_t result = 0;
         c.ReadPlanNum(&slot, &result);
         checkResult(result, "ReadPlanNum");
     }},
    {"CarryChannel",
     [](KorvaneConnection& c) {
         Variant plan = Variant::channels(analogPlanOf(14));
         ChannelHead head;
         head.Span = 20;
         Variant result;
         c.CarryChannel(&plan, UserPlanA, &head, &result);
         checkResult(result, "CarryChannel");
     }},
    {"CarryChannelDigi",
     [](KorvaneConnection& c) {
         Variant plan = Variant::channelsDigi(digitalPlanOf(6));
         Variant result;
         c.CarryChannelDigi(&plan, UserPlanA, &result);
         checkResult(result, "CarryChannelDigi");
     }},
    {"UserNameTransmmission",
     [](KorvaneConnection& c) {
         SafeArray<Channellist> plan = analogPlanOf(11);
         Variant result;
         c.UserNameTransmmission(UserPlanA, &plan, &result);
         checkResult(result, "UserNameTransmmission");
     }},
    {"GetCN",
     [](KorvaneConnection& c) {
         Variant cn = Variant::r8(-7);
         Variant result;
         c.GetCN(Variant::r8(55.25), &cn, &result); // a carrier of the demonstration plan
         checkResult(result, "GetCN");
         checkKeptOnFailure(result, "GetCN", std::tuple(Variant::r8(-7)), std::tuple(cn));
     }},
    {"GetLevelByFrequence",
     [](KorvaneConnection& c) {
         // The level comes from any reply that arrived in full, even one with a bad
         // checksum, so a failed call may give one.
         Variant level;
         Variant result;
         c.GetLevelByFrequence(Variant::r8(100.0), &level, &result);
         checkResult(result, "GetLevelByFrequence");
     }},
    {"ReadDigi",
     [](KorvaneConnection& c) {
         float power = 0, powerpj = 0, mer = 0, ber = 0;
         std::int16_t zhishu = 0, dishu = 0;
         Variant result;
         c.ReadDigi(5, &power, &powerpj, &mer, &ber, &zhishu, &dishu, &result);
         checkResult(result, "ReadDigi");
     }},
    {"ReadPowerDigi",
     [](KorvaneConnection& c) {
         // The power is taken from what the meter buffered, before the rest of the
         // reply is known to be there, so a failed call may give one.
         float power = 0, powerpj = 0;
         Variant result;
         c.ReadPowerDigi(5, &power, &powerpj, &result);
         checkResult(result, "ReadPowerDigi");
     }},
    {"askwendb",
     [](KorvaneConnection& c) {
         // The level comes from any reply that arrived in full, even one
         // with a bad checksum, so a failed call may give one.
         std::int16_t level = 0, result = 0;
         c.askwendb(&level, &result);
         checkResult(result, "askwendb");
     }},
    {"SetupFreq",
     [](KorvaneConnection& c) {
         Variant tuned;
         std::int16_t result = 0;
         c.SetupFreq(474.0f, &tuned, &result);
         checkResult(result, "SetupFreq");
     }},
    {"ReadNowChannel",
     [](KorvaneConnection& c) {
         std::string slot = "kept";
         std::int16_t result = 0;
         c.ReadNowChannel(&slot, &result);
         checkResult(result, "ReadNowChannel");
         checkKeptOnFailure(result, "ReadNowChannel", std::tuple(std::string("kept")),
                            std::tuple(slot));
     }},
    {"GetFreqOffset",
     [](KorvaneConnection& c) {
         Variant offset;
         Variant result;
         c.GetFreqOffset(Variant::r8(100.0), &offset, &result);
         checkResult(result, "GetFreqOffset");
     }},
    {"ReadFileHead",
     [](KorvaneConnection& c) {
         std::uint8_t file = 1;
         FileHead head;
         head.FileName = "kept";
         const auto before = std::tuple(file, head);
         std::int16_t result = 0;
         c.ReadFileHead(&file, &head, &result);
         checkResult(result, "ReadFileHead");
         checkKeptOnFailure(result, "ReadFileHead", before, std::tuple(file, head));
     }},
    {"ReadFileHeadDigi",
     [](KorvaneConnection& c) {
         std::uint8_t file = 1;
         FileHead head;
         head.FileName = "kept";
         const auto before = std::tuple(file, head);
         std::int16_t result = 0;
         c.ReadFileHeadDigi(&file, &head, &result);
         checkResult(result, "ReadFileHeadDigi");
         checkKeptOnFailure(result, "ReadFileHeadDigi", before, std::tuple(file, head));
     }},
    {"ReadFileContent",
     [](KorvaneConnection& c) {
         std::uint8_t file = 1;
         SafeArray<std::uint8_t> content;
         content.redim(0, 2);
         const auto before = std::tuple(content, file);
         std::int16_t result = 0;
         c.ReadFileContent(&content, &file, &result);
         checkResult(result, "ReadFileContent");
         checkKeptOnFailure(result, "ReadFileContent", before, std::tuple(content, file));
         if (result == 1)
             check(content.size() % 64 == 0 && !content.empty(),
                   "ReadFileContent gave no whole pages");
     }},
    {"ReadFileCount",
     [](KorvaneConnection& c) {
         std::uint8_t count = 77;
         std::int16_t result = 0;
         c.ReadFileCount(&count, &result);
         checkResult(result, "ReadFileCount");
         checkKeptOnFailure(result, "ReadFileCount", std::tuple(std::uint8_t{77}),
                            std::tuple(count));
     }},
    {"ReadFileCountDigi",
     [](KorvaneConnection& c) {
         std::uint8_t count = 77;
         std::int16_t result = 0;
         c.ReadFileCountDigi(&count, &result);
         checkResult(result, "ReadFileCountDigi");
         checkKeptOnFailure(result, "ReadFileCountDigi", std::tuple(std::uint8_t{77}),
                            std::tuple(count));
     }},
    {"SLMType",
     [](KorvaneConnection& c) {
         std::string model = "kept";
         c.SLMType(&model);
         // Empty when the meter did not answer, else its number and variant letter.
         const std::size_t digits = model.find_first_not_of("0123456789");
         check(model.empty() || (digits != 0 && (digits == std::string::npos ||
                                                 (digits + 1 == model.size() &&
                                                  std::string_view("ABQ").find(model[digits]) !=
                                                      std::string_view::npos))),
               "SLMType gave \"" + model + "\", not a model");
         lastCallSucceeded = !model.empty();
     }},
    {"ReadSLMVolume",
     [](KorvaneConnection& c) {
         std::uint8_t volume = 77;
         std::int16_t result = 0;
         c.ReadSLMVolume(&volume, &result);
         checkResult(result, "ReadSLMVolume");
         checkKeptOnFailure(result, "ReadSLMVolume", std::tuple(std::uint8_t{77}),
                            std::tuple(volume));
     }},
    {"ReadTemperatureUnit",
     [](KorvaneConnection& c) {
         std::string unit = "kept";
         std::int16_t result = 0;
         c.ReadTemperatureUnit(&unit, &result);
         checkResult(result, "ReadTemperatureUnit");
         checkKeptOnFailure(result, "ReadTemperatureUnit", std::tuple(std::string("kept")),
                            std::tuple(unit));
     }},
    {"ReadShutdownUnit",
     [](KorvaneConnection& c) {
         std::string unit;
         std::int16_t result = 0;
         c.ReadShutdownUnit(&unit, &result);
         checkResult(result, "ReadShutdownUnit");
     }},
    {"ReadSLMScreen",
     [](KorvaneConnection& c) {
         SafeArray<std::uint8_t> screen;
         screen.redim(0, 2);
         const auto before = std::tuple(screen);
         std::int16_t result = 0;
         c.ReadSLMScreen(&screen, &result);
         checkResult(result, "ReadSLMScreen");
         checkKeptOnFailure(result, "ReadSLMScreen", before, std::tuple(screen));
     }},
    {"ReadSLMScreenBig",
     [](KorvaneConnection& c) {
         SafeArray<std::uint8_t> screen;
         screen.redim(0, 2);
         const auto before = std::tuple(screen);
         std::int16_t result = 0;
         c.ReadSLMScreenBig(&screen, &result);
         checkResult(result, "ReadSLMScreenBig");
         checkKeptOnFailure(result, "ReadSLMScreenBig", before, std::tuple(screen));
     }},
};

} // namespace

std::span<const MemberCall> memberCalls() {
    return calls;
}

bool lastMemberSucceeded() {
    return lastCallSucceeded;
}

Connection connectionOn(std::unique_ptr<SerialDevice> device) {
    auto control = std::make_shared<SerialLink>(std::move(device));
    const ExchangeTiming noWaits{std::chrono::milliseconds(0), std::chrono::milliseconds(0),
                                 std::chrono::milliseconds(0)};
    return Connection(new KorvaneConnection(std::move(control), noWaits));
}

} // namespace korvane::fuzzing
