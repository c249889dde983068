#include "member_calls.h"

#include "fuzz_input.h"

#include "common/plan_codec_packets.h"

#include <string>

namespace korvane::fuzzing {
namespace {

using namespace sondrel;

void checkResult(std::int16_t result, std::string_view member) {
    check(result == 0 || result == 1, std::string(member) + " gave a result other than 0 or 1");
}
void checkResult(const Variant& result, std::string_view member) {
    check(result.type() == VarType::I2, std::string(member) + " gave no 16-bit result");
    checkResult(result.asI2(), member);
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
         SafeArray<Channellist> plan;
         ChannelHead head;
         Variant result;
         c.ReadChannel(UserPlanA, &plan, &head, &result);
         checkResult(result, "ReadChannel");
         if (result.asI2() == 1)
             check(plan.lowerBound == 1 && !plan.empty() && plan.size() <= MaxPlanChannels,
                   "ReadChannel gave a plan of no channels or too many");
     }},
    {"ReadChannelDigi",
     [](KorvaneConnection& c) {
         Variant plan;
         Variant result;
         c.ReadChannelDigi(UserPlanA, &plan, &result);
         checkResult(result, "ReadChannelDigi");
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
         Variant cn;
         Variant result;
         c.GetCN(Variant::r8(100.0), &cn, &result);
         checkResult(result, "GetCN");
     }},
    {"GetLevelByFrequence",
     [](KorvaneConnection& c) {
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
         float power = 0, powerpj = 0;
         Variant result;
         c.ReadPowerDigi(5, &power, &powerpj, &result);
         checkResult(result, "ReadPowerDigi");
     }},
    {"askwendb",
     [](KorvaneConnection& c) {
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
         std::string slot;
         std::int16_t result = 0;
         c.ReadNowChannel(&slot, &result);
         checkResult(result, "ReadNowChannel");
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
         std::int16_t result = 0;
         c.ReadFileHead(&file, &head, &result);
         checkResult(result, "ReadFileHead");
     }},
    {"ReadFileHeadDigi",
     [](KorvaneConnection& c) {
         std::uint8_t file = 1;
         FileHead head;
         std::int16_t result = 0;
         c.ReadFileHeadDigi(&file, &head, &result);
         checkResult(result, "ReadFileHeadDigi");
     }},
    {"ReadFileContent",
     [](KorvaneConnection& c) {
         std::uint8_t file = 1;
         SafeArray<std::uint8_t> content;
         std::int16_t result = 0;
         c.ReadFileContent(&content, &file, &result);
         checkResult(result, "ReadFileContent");
         if (result == 1)
             check(content.size() % 64 == 0 && !content.empty(),
                   "ReadFileContent gave no whole pages");
     }},
    {"ReadFileCount",
     [](KorvaneConnection& c) {
         std::uint8_t count = 0;
         std::int16_t result = 0;
         c.ReadFileCount(&count, &result);
         checkResult(result, "ReadFileCount");
     }},
    {"ReadFileCountDigi",
     [](KorvaneConnection& c) {
         std::uint8_t count = 0;
         std::int16_t result = 0;
         c.ReadFileCountDigi(&count, &result);
         checkResult(result, "ReadFileCountDigi");
     }},
    {"SLMType",
     [](KorvaneConnection& c) {
         std::string model;
         c.SLMType(&model);
     }},
    {"ReadSLMVolume",
     [](KorvaneConnection& c) {
         std::uint8_t volume = 0;
         std::int16_t result = 0;
         c.ReadSLMVolume(&volume, &result);
         checkResult(result, "ReadSLMVolume");
     }},
    {"ReadTemperatureUnit",
     [](KorvaneConnection& c) {
         std::string unit;
         std::int16_t result = 0;
         c.ReadTemperatureUnit(&unit, &result);
         checkResult(result, "ReadTemperatureUnit");
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
         std::int16_t result = 0;
         c.ReadSLMScreen(&screen, &result);
         checkResult(result, "ReadSLMScreen");
     }},
    {"ReadSLMScreenBig",
     [](KorvaneConnection& c) {
         SafeArray<std::uint8_t> screen;
         std::int16_t result = 0;
         c.ReadSLMScreenBig(&screen, &result);
         checkResult(result, "ReadSLMScreenBig");
     }},
};

} // namespace

std::span<const MemberCall> memberCalls() {
    return calls;
}

Connection connectionOn(std::unique_ptr<SerialDevice> device) {
    auto control = std::make_shared<SerialLink>(std::move(device));
    const ExchangeTiming noWaits{std::chrono::milliseconds(0), std::chrono::milliseconds(0),
                                 std::chrono::milliseconds(0)};
    return Connection(new KorvaneConnection(std::move(control), noWaits));
}

} // namespace korvane::fuzzing
