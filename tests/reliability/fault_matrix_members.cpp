#include "fault_matrix_members.h"

#include "common/plan_codec_entries.h"
#include "common/screen_blocks.h"

namespace korvane::testing {
namespace {

using namespace sondrel;
using sim::FaultKind;
using sim::MeterState;

constexpr int AnalogChannels = 20;     // 3 entry packets and the header packet
constexpr int DigitalChannels = 10;    // 3 packets of 4
constexpr int NamedChannels = 25;      // 150 name bytes: 3 packets of 64
constexpr int StoredFiles = 13;        // 3 directory pages of 6 entries
constexpr std::size_t FileBytes = 150; // 3 content pages of 64
constexpr std::size_t ScreenBlocks = 3;

// Extra bytes after a good reply are ignored, stray bytes before it skipped.
bool spoils(FaultKind kind) {
    return kind != FaultKind::Extra && kind != FaultKind::Garbage;
}

// Fewer than the expected bytes within the wait.
bool leavesReplyShort(FaultKind kind) {
    return kind == FaultKind::NoReply || kind == FaultKind::Truncate || kind == FaultKind::Delay ||
           kind == FaultKind::Close;
}

SafeArray<Channellist> analogPlanOf(int channels) {
    SafeArray<Channellist> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        auto& c = plan.at(i);
        c.ChannelName = "S" + std::to_string(i);
        c.freq = 45.0f + 8.0f * static_cast<float>(i);
        c.Type = i % 2 ? "TV" : "DIGI";
        c.Audio1 = 6.5f;
        c.Memo = "Name" + std::to_string(i % 10);
    }
    return plan;
}

SafeArray<ChannellistDigi> digitalPlanOf(int channels) {
    SafeArray<ChannellistDigi> plan;
    plan.redim(1, channels);
    for (int i = 1; i <= channels; ++i) {
        auto& c = plan.at(i);
        c.ChannelName = "D" + std::to_string(i);
        c.Type = "DIGI";
        c.ChannelNumber = i;
        c.freq = 100.0f + 8.0f * static_cast<float>(i);
        c.Audio1 = 8.0f;
        c.Memo = "256QAM";
        c.Rate = "6.875";
    }
    return plan;
}

// The plans as the meter keeps them, entry by entry.
sim::AnalogPlan storedAnalogPlan() {
    sim::AnalogPlan plan;
    for (int i = 1; i <= AnalogChannels; ++i)
        plan.channels.push_back(
            analogEntryOf(analogPlanOf(AnalogChannels).at(i), CodePage("WINDOWS-1252")));
    plan.head.favourites = {1, 2, 3, 4, 5, 6};
    plan.head.span = 2000;
    return plan;
}

sim::DigitalPlan storedDigitalPlan() {
    sim::DigitalPlan plan;
    for (int i = 1; i <= DigitalChannels; ++i)
        plan.channels.push_back(
            digitalEntryOf(digitalPlanOf(DigitalChannels).at(i), CodePage("WINDOWS-1252")));
    return plan;
}

std::vector<UserNameEntry> storedUserNames() {
    std::vector<UserNameEntry> names;
    for (int i = 1; i <= NamedChannels; ++i)
        names.push_back(
            userNameEntryOf(analogPlanOf(NamedChannels).at(i), CodePage("WINDOWS-1252")));
    return names;
}

void storeAnalogPlan(MeterState& s) {
    s.plans.slots[0].plan = storedAnalogPlan();
    s.plans.activeSlot = 0;
}

void storeDigitalPlan(MeterState& s) {
    s.plans.slots[0].plan = storedDigitalPlan();
    s.plans.activeSlot = 0;
}

// Slot A emptied, so that a send that claims success must have filled it.
void emptySlot(MeterState& s) {
    s.plans.slots[0] = sim::PlanSlot{sim::DigitalPlan{}, {}};
}

sim::PlanSlot slotA(sim::MeterSimulator& meter) {
    return meter.withState([](MeterState& s) { return s.plans.slots[0]; });
}

// Every channel of a plan read as the meter holds it.
bool readAsStored(const SafeArray<Channellist>& plan) {
    const SafeArray<Channellist> sent = analogPlanOf(AnalogChannels);
    if (plan.size() != sent.size()) return false;
    for (int i = 1; i <= AnalogChannels; ++i) {
        const Channellist& got = plan.at(i);
        const Channellist& want = sent.at(i);
        // A short name comes back with the spaces it was sent with in front.
        const std::string name =
            std::string(3 - std::min<std::size_t>(3, want.ChannelName.size()), ' ') +
            want.ChannelName;
        if (got.ChannelName != name) return false;
        if (got.freq != want.freq || got.Type != want.Type || got.Audio1 != want.Audio1)
            return false;
    }
    return true;
}

void storeFiles(MeterState& s) {
    s.files.files.resize(StoredFiles, s.files.files.front());
    s.files.files.front().content.assign(FileBytes, 0x5A);
}

void showScreen(MeterState& s, sim::ScreenMemory::Form form, std::size_t blockSize) {
    s.screen.form = form;
    s.screen.order = sim::ScreenMemory::Order::Ascending;
    // Varied bytes, so that no block's plain sum happens to equal its checksum
    // (a sum of 0 or 128) and a plain-sum fault spoils the block it hits.
    Bytes picture(ScreenBlocks * blockSize);
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<std::uint8_t>(i % 251);
    s.screen.picture = picture;
}

// A byte array the member must hand back untouched when it fails.
SafeArray<std::uint8_t> callersBytes() {
    SafeArray<std::uint8_t> bytes;
    bytes.items = {1, 2, 3};
    return bytes;
}

std::int16_t resultOf(const Variant& v) {
    return v.type() == VarType::I2 ? v.asI2() : -1;
}

char noChange(FaultKind, int) {
    return 0;
}

MemberRun screenRun(KorvaneConnection& link, bool big) {
    SafeArray<std::uint8_t> screen = callersBytes();
    std::int16_t result = 0;
    if (big)
        link.ReadSLMScreenBig(&screen, &result);
    else
        link.ReadSLMScreen(&screen, &result);
    const std::size_t size = big ? BigScreenForm.bufferSize : SmallScreenForm.bufferSize;
    return {result, result == 1 ? screen.size() == size : screen == callersBytes()};
}

} // namespace

int packetAt(const MatrixMember& member, PacketPosition position) {
    switch (position) {
    case PacketPosition::First:
        return 1;
    case PacketPosition::Middle:
        return (member.packets + 1) / 2;
    case PacketPosition::Last:
        break;
    }
    return member.packets;
}

std::vector<MatrixMember> matrixMembers() {
    const auto failsOnSpoilt = [](FaultKind kind, int) -> std::int16_t {
        return spoils(kind) ? 0 : 1;
    };
    const auto fixed = [](std::size_t n) { return [n](int) { return n; }; };
    std::vector<MatrixMember> members;

    members.push_back({"ReadChannel", 0x66, 4, Routine::Exchange,
                       [](int packet) -> std::size_t {
                           return packet == 1 ? 74 : packet == 4 ? 17 : 72;
                       },
                       storeAnalogPlan,
                       [](KorvaneConnection& link, sim::MeterSimulator&) {
                           SafeArray<Channellist> plan;
                           ChannelHead head;
                           Variant result;
                           link.ReadChannel(UserPlanA, &plan, &head, &result);
                           const std::int16_t r = resultOf(result);
                           return MemberRun{r, r != 1 || (readAsStored(plan) && head.Span == 20 &&
                                                          head.Fav1 == 1 && head.Fav6 == 6)};
                       },
                       failsOnSpoilt, noChange});

    members.push_back(
        {"ReadChannelDigi", 0x66, 3, Routine::Exchange,
         [](int packet) -> std::size_t { return packet == 1 ? 90 : 88; }, storeDigitalPlan,
         [](KorvaneConnection& link, sim::MeterSimulator&) {
             Variant plan = Variant::i2(7); // handed over only on success
             Variant result;
             link.ReadChannelDigi(UserPlanA, &plan, &result);
             const std::int16_t r = resultOf(result);
             const auto readBack = [&] {
                 if (plan.type() != VarType::ChannelsDigi) return false;
                 const auto& got = plan.asChannelsDigi();
                 if (got.size() != DigitalChannels) return false;
                 for (int i = 1; i <= DigitalChannels; ++i)
                     if (digitalEntryOf(got.at(i), CodePage("WINDOWS-1252")) !=
                         storedDigitalPlan().channels[static_cast<std::size_t>(i - 1)])
                         return false;
                 return true;
             };
             const bool promised = r == 1 ? readBack() : plan == Variant::i2(7);
             return MemberRun{r, promised};
         },
         failsOnSpoilt, noChange});

    members.push_back(
        {"CarryChannel", 0x67, 4, Routine::SendAndWait, fixed(6), emptySlot,
         [](KorvaneConnection& link, sim::MeterSimulator& meter) {
             Variant plan = Variant::channels(analogPlanOf(AnalogChannels));
             ChannelHead head;
             head.Fav1 = 1, head.Fav2 = 2, head.Fav3 = 3, head.Fav4 = 4, head.Fav5 = 5,
             head.Fav6 = 6;
             head.Span = 20;
             Variant result;
             link.CarryChannel(&plan, UserPlanA, &head, &result);
             const std::int16_t r = resultOf(result);
             const sim::PlanSlot slot = slotA(meter);
             const auto* stored = std::get_if<sim::AnalogPlan>(&slot.plan);
             return MemberRun{r, r != 1 || (stored && *stored == storedAnalogPlan())};
         },
         // The meter's answers are not examined, only whether they came,
         // for the entry packets and the header packet alike.
         [](FaultKind kind, int) -> std::int16_t { return leavesReplyShort(kind) ? 0 : 1; },
         [](FaultKind kind, int) -> char {
             return leavesReplyShort(kind) && kind != FaultKind::Close ? 'a' : 0;
         }});

    members.push_back(
        {"CarryChannelDigi", 0x67, 3, Routine::Exchange, fixed(6),
         [](MeterState& s) { s.plans.slots[0] = sim::PlanSlot{}; },
         [](KorvaneConnection& link, sim::MeterSimulator& meter) {
             Variant plan = Variant::channelsDigi(digitalPlanOf(DigitalChannels));
             Variant result;
             link.CarryChannelDigi(&plan, UserPlanA, &result);
             const std::int16_t r = resultOf(result);
             const sim::PlanSlot slot = slotA(meter);
             const auto* stored = std::get_if<sim::DigitalPlan>(&slot.plan);
             return MemberRun{r, r != 1 || (stored && *stored == storedDigitalPlan())};
         },
         failsOnSpoilt, noChange});

    members.push_back(
        {"UserNameTransmmission", 0x71, 3, Routine::Exchange, fixed(6),
         [](MeterState& s) { s.plans.slots[0].userNames.clear(); },
         [](KorvaneConnection& link, sim::MeterSimulator& meter) {
             SafeArray<Channellist> plan = analogPlanOf(NamedChannels);
             Variant result;
             link.UserNameTransmmission(UserPlanA, &plan, &result);
             const std::int16_t r = resultOf(result);
             return MemberRun{r, r != 1 || slotA(meter).userNames == storedUserNames()};
         },
         failsOnSpoilt, noChange});

    members.push_back(
        {"ReadFileCount", 0x6A, 3, Routine::Exchange, fixed(72), storeFiles,
         [](KorvaneConnection& link, sim::MeterSimulator&) {
             std::uint8_t count = 200;
             std::int16_t result = 0;
             link.ReadFileCount(&count, &result);
             return MemberRun{result, result == 1 ? count == StoredFiles : count == 200};
         },
         // Directory pages after the first are not checked.
         [](FaultKind kind, int packet) -> std::int16_t {
             return packet == 1 && spoils(kind) ? 0 : 1;
         },
         noChange});

    members.push_back({"ReadFileContent", 0x6B, 3, Routine::Exchange, fixed(72), storeFiles,
                       [](KorvaneConnection& link, sim::MeterSimulator&) {
                           std::uint8_t file = 1;
                           SafeArray<std::uint8_t> content = callersBytes();
                           std::int16_t result = 0;
                           link.ReadFileContent(&content, &file, &result);
                           const bool promised =
                               result == 1 ? content.size() == 3 * 64 : content == callersBytes();
                           return MemberRun{result, promised};
                       },
                       failsOnSpoilt, noChange});

    const auto laterBlockChange = [](FaultKind kind, int packet) -> char {
        return packet > 1 && spoils(kind) ? 'b' : 0;
    };
    members.push_back(
        {"ReadSLMScreen", 0x72, 3, Routine::Exchange, fixed(SmallScreenForm.replyLength),
         [](MeterState& s) {
             showScreen(s, sim::ScreenMemory::Form::Small, SmallScreenForm.blockSize);
         },
         [](KorvaneConnection& link, sim::MeterSimulator&) { return screenRun(link, false); },
         failsOnSpoilt, laterBlockChange});
    members.push_back(
        {"ReadSLMScreenBig", 0x72, 3, Routine::Exchange, fixed(BigScreenForm.replyLength),
         [](MeterState& s) {
             showScreen(s, sim::ScreenMemory::Form::Big, BigScreenForm.blockSize);
         },
         [](KorvaneConnection& link, sim::MeterSimulator&) { return screenRun(link, true); },
         failsOnSpoilt, laterBlockChange});
    return members;
}

} // namespace korvane::testing
