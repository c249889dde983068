// The members of the connection against a meter that answers anything: each
// frame the member sends is answered by the next reply of the input, with no
// waits. Covers every reply decoder behind the members (plans, measurements,
// stored file headers and pages, settings, screen blocks) and the paths that
// follow a short, long or unchecked reply; each member checks its result, and
// that a failed call leaves its out-parameters as they were.
//
// Input: one byte choosing the member (its low 7 bits) and the mode (bit 7).
// Scripted mode: per frame sent, a mode byte (bit 0: make the reply's last
// byte its checksum) and a counted run of reply bytes. Known-values mode: bytes
// that set the simulated meter's settings; the meter then answers every frame
// from its state, the member must succeed and give back what the meter holds.
#include "answering_meter.h"
#include "fuzz_input.h"
#include "member_calls.h"
#include "scripted_serial_device.h"

#include "common/option_texts.h"
#include "frame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

namespace {

using namespace korvane::fuzzing;
using namespace sondrel;

// With FUZZ_COUNT_SUCCESSES set, prints at exit how many inputs each member
// was called with and how many of them it succeeded on: how far the corpus
// reaches into the members.
struct SuccessCounts {
    std::map<std::string_view, std::pair<int, int>> calledAndSucceeded;
    ~SuccessCounts() {
        for (const auto& [member, counts] : calledAndSucceeded)
            std::printf("%-22s %4d inputs, %4d succeed\n", std::string(member).c_str(),
                        counts.first, counts.second);
    }
};

void countSuccess(std::string_view member) {
    static const bool counting = std::getenv("FUZZ_COUNT_SUCCESSES") != nullptr;
    if (!counting) return;
    static SuccessCounts counts;
    auto& [called, succeeded] = counts.calledAndSucceeded[member];
    ++called;
    succeeded += lastMemberSucceeded();
}

using KnownValueCheck = std::function<void(KorvaneConnection&, const korvane::sim::MeterState&)>;

// What a member reads back from the meter's state, for the members that read
// one value of it.
const std::map<std::string_view, KnownValueCheck>& knownValueChecks() {
    static const std::map<std::string_view, KnownValueCheck> checks{
        {"SLMType",
         [](KorvaneConnection& c, const korvane::sim::MeterState& s) {
             std::string model;
             c.SLMType(&model);
             check(model == std::to_string(s.settings.model) +
                                ModelVariants.textOf(s.settings.variant).value_or(""),
                   "SLMType gave " + model + " for model " + std::to_string(s.settings.model) +
                       " variant " + std::to_string(s.settings.variant));
         }},
        {"ReadSLMVolume",
         [](KorvaneConnection& c, const korvane::sim::MeterState& s) {
             std::uint8_t volume = 0;
             std::int16_t result = 0;
             c.ReadSLMVolume(&volume, &result);
             check(volume == s.settings.volume, "ReadSLMVolume gave another volume");
         }},
        {"ReadTemperatureUnit",
         [](KorvaneConnection& c, const korvane::sim::MeterState& s) {
             std::string unit;
             std::int16_t result = 0;
             c.ReadTemperatureUnit(&unit, &result);
             check(unit == TemperatureUnits.textOf(s.settings.temperatureUnit),
                   "ReadTemperatureUnit gave " + unit);
         }},
        {"ReadShutdownUnit",
         [](KorvaneConnection& c, const korvane::sim::MeterState& s) {
             std::string unit;
             std::int16_t result = 0;
             c.ReadShutdownUnit(&unit, &result);
             check(unit == ShutdownTimes.textOf(s.settings.shutdown),
                   "ReadShutdownUnit gave " + unit);
         }},
        {"ReadPlanNum",
         [](KorvaneConnection& c, const korvane::sim::MeterState& s) {
             UserPlanNumber slot = UserPlanE;
             std::int16_t result = 0;
             c.ReadPlanNum(&slot, &result);
             check(static_cast<int>(slot) == s.plans.activeSlot, "ReadPlanNum gave another slot");
         }},
        {"ReadFileCountDigi",
         [](KorvaneConnection& c, const korvane::sim::MeterState& s) {
             std::uint8_t count = 0;
             std::int16_t result = 0;
             c.ReadFileCountDigi(&count, &result);
             check(count == s.files.files.size(), "ReadFileCountDigi gave another count");
         }},
        {"ReadChannel",
         [](KorvaneConnection& c, const korvane::sim::MeterState& s) {
             SafeArray<Channellist> plan;
             ChannelHead head;
             Variant result;
             c.ReadChannel(UserPlanA, &plan, &head, &result);
             const auto& stored = std::get<korvane::sim::AnalogPlan>(s.plans.slots[0].plan);
             check(plan.size() == stored.channels.size(), "ReadChannel gave another count");
             for (std::size_t i = 0; i < stored.channels.size(); ++i)
                 check(std::lround(plan.at(static_cast<std::int32_t>(i) + 1).freq * 100) ==
                           stored.channels[i].freq,
                       "ReadChannel gave another frequency for channel " + std::to_string(i + 1));
         }},
    };
    return checks;
}

void scripted(const MemberCall& member, FuzzInput& input) {
    auto device = std::make_unique<ScriptedSerialDevice>([&input](std::span<const std::uint8_t>) {
        const std::uint8_t mode = input.byte();
        auto reply = input.counted();
        if ((mode & 1) && !reply.empty())
            reply.back() = frameChecksum(std::span(reply).first(reply.size() - 1));
        return reply;
    });
    const Connection connection = connectionOn(std::move(device));
    member.call(*connection);
    countSuccess(member.name);
}

void knownValues(const MemberCall& member, FuzzInput& input) {
    AnsweringMeter meter;
    auto& settings = meter.state.settings;
    settings.volume = input.byte() % (korvane::sim::SettingsMemory::LoudestVolume + 1);
    settings.temperatureUnit = input.byte() % 2;
    settings.shutdown = input.byte() % 5;
    settings.variant = input.byte() % 4;
    settings.model = static_cast<std::uint16_t>(input.byte() << 8 | input.byte());
    // The active slot also chooses the carriers the meter measures.
    const std::uint8_t slot = input.byte() % 5;
    if (member.name == "ReadPlanNum") meter.state.plans.activeSlot = slot;
    const Connection connection = connectionOn(std::make_unique<ScriptedSerialDevice>(
        [&meter](std::span<const std::uint8_t> frame) { return meter.answer(frame); }));
    meter.prepareFor(member.name, *connection);
    member.call(*connection);
    countSuccess(member.name);
    check(lastMemberSucceeded(), std::string(member.name) + " failed on the meter's own replies");
    if (const auto known = knownValueChecks().find(member.name); known != knownValueChecks().end())
        known->second(*connection, meter.state);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const auto calls = memberCalls();
    const std::uint8_t choice = input.byte();
    const MemberCall& member = calls[(choice & 0x7F) % calls.size()];
    if (choice & 0x80)
        knownValues(member, input);
    else
        scripted(member, input);
    return 0;
}
