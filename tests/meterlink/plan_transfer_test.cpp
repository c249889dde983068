// Whole plans through the simulated meter over a pseudo-terminal: analogue
// plans with their header, digital plans, user names, the header alone and the
// active plan slot, with the packets they take on the wire.
#include "common/plan_codec_packets.h"
#include "plan_test_plans.h"

using namespace korvane::testing;
using namespace sondrel;

namespace {

std::int16_t resultOf(const Variant& v) {
    return v.asI2();
}

class PlanTransferTest : public SimulatedMeterTest {
  protected:
    std::int16_t carry(const SafeArray<Channellist>& plan, UserPlanNumber slot,
                       ChannelHead head = planHead()) {
        Variant planVariant = Variant::channels(plan), result;
        link().CarryChannel(&planVariant, slot, &head, &result);
        return resultOf(result);
    }
    std::vector<Bytes> framesToMeter() { return meter().wireLog().framesToMeter(); }
};

} // namespace

TEST_F(PlanTransferTest, AnalogPlanOf250ChannelsComesBackFieldByFieldWithItsHeader) {
    const auto plan = analogPlan(250);
    YieldCounter yields;
    ASSERT_EQ(carry(plan, UserPlanb), 1);
    EXPECT_EQ(framesToMeter().size(), 29u) << "28 entry packets and the header packet";
    EXPECT_EQ(yields.count, 27) << "between the entry packets";
    EXPECT_EQ(meter().withState([](auto& s) {
        return std::get<korvane::sim::AnalogPlan>(s.plans.slots[1].plan).channels.size();
    }),
              250u);

    meter().wireLog().clear();
    yields.count = 0;
    SafeArray<Channellist> received;
    ChannelHead head;
    Variant result;
    link().ReadChannel(UserPlanb, &received, &head, &result);
    ASSERT_EQ(resultOf(result), 1);
    EXPECT_EQ(received.lowerBound, 1);
    const auto expected = analogReadBack(plan);
    ASSERT_EQ(received.size(), expected.size());
    for (int i = 1; i <= 250; ++i)
        EXPECT_EQ(received.at(i), expected.at(i)) << "channel " << i;
    EXPECT_EQ(head, planHead());
    EXPECT_EQ(framesToMeter().size(), 29u);
    EXPECT_EQ(yields.count, 28) << "before every packet after the first, the header's included";
}

TEST_F(PlanTransferTest, DigitalPlanOf60ChannelsComesBackFieldByField) {
    const auto plan = digitalPlan(60);
    Variant planVariant = Variant::channelsDigi(plan), result;
    link().CarryChannelDigi(&planVariant, UserPlanD, &result);
    ASSERT_EQ(resultOf(result), 1);
    const auto frames = framesToMeter();
    ASSERT_EQ(frames.size(), 15u);
    EXPECT_EQ(frames.front().size(), 90u);
    EXPECT_EQ(frames.back().size(), 88u);

    meter().wireLog().clear();
    Variant received;
    link().ReadChannelDigi(UserPlanD, &received, &result);
    ASSERT_EQ(resultOf(result), 1);
    ASSERT_EQ(received.type(), VarType::ChannelsDigi);
    const auto& channels = received.asChannelsDigi();
    const auto expected = digitalReadBack(plan);
    EXPECT_EQ(channels.lowerBound, 1);
    ASSERT_EQ(channels.size(), expected.size());
    for (int i = 1; i <= 60; ++i)
        EXPECT_EQ(channels.at(i), expected.at(i)) << "channel " << i;
    EXPECT_EQ(framesToMeter().size(), 15u);
}

TEST_F(PlanTransferTest, EntryPacketCountsAndNumbering) {
    struct Case {
        int channels;
        std::size_t entryPackets;
    };
    for (const Case c : {Case{4, 1}, Case{9, 1}, Case{10, 2}, Case{14, 2}, Case{255, 29}}) {
        meter().wireLog().clear();
        ASSERT_EQ(carry(analogPlan(c.channels), UserPlanE), 1) << c.channels;
        const auto frames = framesToMeter();
        const std::size_t packets = c.entryPackets + 1;
        ASSERT_EQ(frames.size(), packets) << c.channels;
        for (std::size_t k = 1; k <= packets; ++k) {
            const Bytes& f = frames[k - 1];
            const std::size_t length = k == 1 ? 74 : k < packets ? 72 : 17;
            EXPECT_EQ(f.size(), length) << c.channels << " channels, packet " << k;
            EXPECT_EQ(f[4], 0x67);
            EXPECT_EQ(f[5], packets) << "P in every packet";
            EXPECT_EQ(f[6], k);
        }
        EXPECT_EQ(frames[0][7], c.channels);
        EXPECT_EQ(frames[0][8], UserPlanE);
    }
    // Four channels: 28 entry bytes, then zeros up to the checksum.
    meter().wireLog().clear();
    carry(analogPlan(4), UserPlanE);
    const Bytes first = framesToMeter().front();
    EXPECT_NE(first[9 + 27], 0);
    EXPECT_TRUE(
        std::all_of(first.begin() + 9 + 28, first.end() - 1, [](auto b) { return b == 0; }));
}

TEST_F(PlanTransferTest, ATwoCharacterNameGoesWithAZeroInFrontAndComesBackWithABlank) {
    SafeArray<Channellist> plan;
    plan.redim(1, 1);
    plan.at(1).ChannelName = "S1";
    plan.at(1).Type = "TV";
    plan.at(1).freq = 55.25f;
    plan.at(1).Audio1 = 6.5f;
    ChannelHead head;
    head.Fav1 = 1;
    head.Span = 8;
    head.Un = 1;
    ASSERT_EQ(carry(plan, UserPlanA, head), 1);
    const auto frames = framesToMeterHex();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].substr(0, 3 * 16), "55 AA 01 4A 67 02 01 01 00 00 53 31 00 15 95 04 ");
    EXPECT_EQ(frames[1], "55 AA 01 11 67 02 02 01 00 00 00 00 00 01 03 20 5F");

    meter().wireLog().clear();
    SafeArray<Channellist> received;
    ChannelHead receivedHead;
    Variant result;
    link().ReadChannel(UserPlanA, &received, &receivedHead, &result);
    ASSERT_EQ(resultOf(result), 1);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received.at(1).ChannelName, " S1");
    EXPECT_EQ(received.at(1).freq, 55.25f);
    EXPECT_EQ(received.at(1).Type, "TV");
    EXPECT_EQ(received.at(1).Audio1, 6.5f);
    EXPECT_EQ(receivedHead, head);
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 07 66 00 93", "55 AA 01 06 66 94"}))
        << "one entry packet, then only the header";
}

TEST_F(PlanTransferTest, TenChannelsTakeOneMoreEntryPacketOfWhichOnlyTheFirstEntryIsUsed) {
    ASSERT_EQ(carry(analogPlan(10), UserPlanA), 1);
    meter().wireLog().clear();
    SafeArray<Channellist> received;
    ChannelHead head;
    Variant result;
    link().ReadChannel(UserPlanA, &received, &head, &result);
    ASSERT_EQ(resultOf(result), 1);
    EXPECT_EQ(received, analogReadBack(analogPlan(10)));
    EXPECT_EQ(framesToMeter().size(), 3u);
}

TEST_F(PlanTransferTest, TheDemonstrationPlansReadBack) {
    SafeArray<Channellist> cable;
    ChannelHead head;
    Variant result;
    link().ReadChannel(UserPlanA, &cable, &head, &result);
    ASSERT_EQ(resultOf(result), 1);
    ASSERT_EQ(cable.size(), 60u);
    EXPECT_EQ(cable.at(1).ChannelName, " E2");
    EXPECT_EQ(cable.at(1).freq, 48.25f);
    EXPECT_EQ(cable.at(1).Type, "TV");
    EXPECT_EQ(cable.at(1).Audio1, 5.5f);
    EXPECT_EQ(cable.at(60).ChannelName, "E28");
    EXPECT_EQ(cable.at(60).freq, 527.25f);
    EXPECT_EQ(cable.at(60).Type, "DIGI");
    EXPECT_EQ(head.Span, 8);
    EXPECT_EQ(head.Fav6, 60);

    Variant digital;
    link().ReadChannelDigi(UserPlanC, &digital, &result);
    ASSERT_EQ(resultOf(result), 1);
    const auto& channels = digital.asChannelsDigi();
    ASSERT_EQ(channels.size(), 18u);
    EXPECT_EQ(channels.at(2).Type, "DUAL");
    EXPECT_EQ(channels.at(2).Audio2, 5.74f);
    EXPECT_EQ(channels.at(3).ChannelName, std::string("C21") + '\0');
    EXPECT_EQ(channels.at(3).freq, 474.0f);
    EXPECT_EQ(channels.at(3).Memo, "256QAM");
    EXPECT_EQ(channels.at(3).Rate, "6.875");
}

TEST_F(PlanTransferTest, UserNamesTravelSixBytesAChannelAndTheMeterKeepsThem) {
    SafeArray<Channellist> plan;
    plan.redim(1, 11);
    for (int i = 1; i <= 11; ++i)
        plan.at(i).Memo = std::string(5, static_cast<char>('A' + i - 1)) + "xyz";
    Variant result;
    link().UserNameTransmmission(UserPlanb, &plan, &result);
    ASSERT_EQ(resultOf(result), 1);
    const auto frames = framesToMeter();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].size(), 73u);
    EXPECT_EQ(Bytes(frames[0].begin() + 5, frames[0].begin() + 14),
              (Bytes{2, 1, UserPlanb, 'A', 'A', 'A', 'A', 'A', 0}));
    ASSERT_EQ(frames[1].size(), 72u);
    EXPECT_EQ(Bytes(frames[1].begin() + 5, frames[1].begin() + 10), (Bytes{2, 2, 'K', 0, 0}));
    EXPECT_TRUE(
        std::all_of(frames[1].begin() + 10, frames[1].end() - 1, [](auto b) { return b == 0; }));

    const auto stored = meter().withState([](auto& s) { return s.plans.slots[1].userNames; });
    ASSERT_EQ(stored.size(), 11u);
    EXPECT_EQ(stored[0].name, (std::array<std::uint8_t, 5>{'A', 'A', 'A', 'A', 'A'}));
    EXPECT_EQ(stored[10].name, (std::array<std::uint8_t, 5>{'K', 'K', 'K', 'K', 'K'}));
}

TEST_F(PlanTransferTest, SelectedSlotIsReportedAndTakesTheHeaderSentAlone) {
    Variant result;
    link().CarryPlanNum(UserPlanC, &result);
    EXPECT_EQ(resultOf(result), 1);
    UserPlanNumber now = UserPlanA;
    std::int16_t done = 0;
    link().ReadPlanNum(&now, &done);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(now, UserPlanC);

    link().CarryPlanNum(UserPlanb, &result);
    meter().wireLog().clear();
    ChannelHead head = planHead();
    link().CarryChannelHead(&head, &result);
    EXPECT_EQ(resultOf(result), 1);
    EXPECT_EQ(framesToMeterHex(),
              std::vector<std::string>{"55 AA 01 11 67 01 01 03 07 0B 13 2A FA 01 07 D0 62"});
    EXPECT_EQ(meter().withState([](auto& s) {
        return std::get<korvane::sim::AnalogPlan>(s.plans.slots[1].plan).head;
    }),
              headEntryOf(planHead()));
}
