// Plan transfers that go wrong: replies lost or damaged in the middle of a
// transfer, a line that fails while sending, and values that do not fit their
// fields; what each method returns and what it leaves behind.
#include "common/plan_codec_packets.h"
#include "plan_test_plans.h"

using namespace korvane::testing;
using namespace sondrel;
using korvane::sim::parseFaultRule;

namespace {

std::int16_t resultOf(const Variant& v) {
    return v.asI2();
}

class PlanFaultTest : public SimulatedMeterTest {
  protected:
    std::int16_t carry(const SafeArray<Channellist>& plan, UserPlanNumber slot = UserPlanb,
                       ChannelHead head = planHead()) {
        Variant planVariant = Variant::channels(plan), result;
        link().CarryChannel(&planVariant, slot, &head, &result);
        return resultOf(result);
    }
    std::int16_t carryDigi(const SafeArray<ChannellistDigi>& plan,
                           UserPlanNumber slot = UserPlanD) {
        Variant planVariant = Variant::channelsDigi(plan), result;
        link().CarryChannelDigi(&planVariant, slot, &result);
        return resultOf(result);
    }
    std::int16_t carryNames(SafeArray<Channellist> plan) {
        Variant result;
        link().UserNameTransmmission(UserPlanb, &plan, &result);
        return resultOf(result);
    }
    std::size_t framesSent() { return meter().wireLog().framesToMeter().size(); }
    korvane::sim::PlanSlot slot(int index) {
        return meter().withState([&](auto& s) { return s.plans.slots[index]; });
    }
};

SafeArray<Channellist> namedPlan(int channels) {
    SafeArray<Channellist> plan = analogPlan(channels);
    for (auto& c : plan.items)
        c.Memo = "Name5";
    return plan;
}

} // namespace

TEST_F(PlanFaultTest, ReadChannelKeepsWhatArrivedWhenAReplyIsLostAfterTheSecondPacket) {
    ASSERT_EQ(carry(analogPlan(30)), 1);
    meter().wireLog().clear();
    meter().faults().add(parseFaultRule("66:noreply,after=2"));
    SafeArray<Channellist> received = analogPlan(3);
    ChannelHead head; // left as it was
    head.Fav1 = 99;
    Variant result;
    link().ReadChannel(UserPlanb, &received, &head, &result);
    EXPECT_EQ(resultOf(result), 0);
    ASSERT_EQ(received.lowerBound, 1);
    ASSERT_EQ(received.size(), 30u) << "re-dimensioned after the first reply";
    const auto expected = analogReadBack(analogPlan(30));
    for (int i = 1; i <= 18; ++i)
        EXPECT_EQ(received.at(i), expected.at(i)) << "channel " << i;
    for (int i = 19; i <= 30; ++i)
        EXPECT_EQ(received.at(i), Channellist{}) << "channel " << i;
    EXPECT_EQ(head.Fav1, 99);
    EXPECT_EQ(framesSent(), 3u) << "nothing asked for after the lost reply";
}

TEST_F(PlanFaultTest, ReadChannelDigiHandsNothingOverWhenAReplyHasAWrongChecksum) {
    meter().faults().add(parseFaultRule("66:badsum,after=1"));
    Variant received = Variant::i2(7);
    Variant result;
    link().ReadChannelDigi(UserPlanC, &received, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_EQ(received, Variant::i2(7));
    EXPECT_EQ(framesSent(), 2u);
}

TEST_F(PlanFaultTest, ReadingAnEmptySlotFailsAndLeavesTheCallersArray) {
    SafeArray<Channellist> received = analogPlan(2);
    ChannelHead head = planHead();
    Variant result;
    link().ReadChannel(UserPlanD, &received, &head, &result);
    EXPECT_EQ(resultOf(result), 0);
    EXPECT_EQ(received, analogPlan(2));
    EXPECT_EQ(head, planHead());
}

TEST_F(PlanFaultTest, CarryChannelDigiStopsAtTheFirstUnansweredPacketAndTheMeterKeepsItsPlan) {
    const auto before = slot(3);
    meter().faults().add(parseFaultRule("67:noreply,after=2"));
    EXPECT_EQ(carryDigi(digitalPlan(14)), 0);
    EXPECT_EQ(framesSent(), 3u) << "packet 4 of 4 is never sent";
    EXPECT_EQ(slot(3), before) << "an incomplete plan is not stored";
}

TEST_F(PlanFaultTest, UserNamesStopAtAWrongChecksum) {
    meter().faults().add(parseFaultRule("71:badsum"));
    EXPECT_EQ(carryNames(namedPlan(11)), 0);
    EXPECT_EQ(framesSent(), 1u);
    EXPECT_TRUE(slot(1).userNames.empty());
}

TEST_F(PlanFaultTest, CarryChannelDoesNotExamineTheMetersAnswers) {
    meter().faults().add(parseFaultRule("67:badsum"));
    EXPECT_EQ(carry(analogPlan(14)), 1);
    EXPECT_EQ(framesSent(), 3u);
    EXPECT_EQ(std::get<korvane::sim::AnalogPlan>(slot(1).plan).channels.size(), 14u);
}

TEST_F(PlanFaultTest, CarryChannelFailsWhenTheMeterFallsSilentMidTransfer) {
    // A cable pulled after the first packet: nothing, or too little, comes back.
    for (const char* fault :
         {"67:noreply,after=1", "67:truncate=5,after=1", "67:noreply,after=2"}) {
        meter().faults().clear();
        meter().faults().add(parseFaultRule(fault));
        EXPECT_EQ(carry(analogPlan(14)), 0) << fault;
    }
}

TEST_F(PlanFaultTest, AHeaderPacketThatCannotBeWrittenIsAFailure) {
    // The meter hangs the line up instead of answering packet 1, so the header
    // packet finds no line to go out on.
    meter().faults().add(parseFaultRule("67:close"));
    EXPECT_EQ(carry(analogPlan(9)), 0);
    EXPECT_EQ(framesSent(), 1u) << "packet 1 went out, the header did not";

    link().put_PortDevice(15); // no such port
    ChannelHead head = planHead();
    Variant result;
    link().CarryChannelHead(&head, &result);
    EXPECT_EQ(resultOf(result), 0);
}

TEST_F(PlanFaultTest, ValuesThatDoNotFitFailBeforeAnythingIsSent) {
    auto plan = analogPlan(20);
    EXPECT_EQ(carry(analogPlan(256)), 0);
    EXPECT_EQ(carry(SafeArray<Channellist>{}), 0);
    plan.at(20).freq = 1310.72f;
    EXPECT_EQ(carry(plan), 0);
    plan = analogPlan(20);
    plan.at(20).ChannelName = "频";
    EXPECT_EQ(carry(plan), 0);
    plan = analogPlan(20);
    plan.lowerBound = 0;
    EXPECT_EQ(carry(plan), 0);
    ChannelHead head = planHead();
    head.Span = 328;
    EXPECT_EQ(carry(analogPlan(20), UserPlanb, head), 0);
    head.Span = -1;
    EXPECT_EQ(carry(analogPlan(20), UserPlanb, head), 0);
    EXPECT_EQ(carry(analogPlan(20), static_cast<UserPlanNumber>(256)), 0);
    Variant wrongKind = Variant::channelsDigi(digitalPlan(4)), result;
    ChannelHead goodHead = planHead();
    link().CarryChannel(&wrongKind, UserPlanb, &goodHead, &result);
    EXPECT_EQ(resultOf(result), 0);
    head.Span = 328;
    link().CarryChannelHead(&head, &result);
    EXPECT_EQ(resultOf(result), 0);

    auto digital = digitalPlan(8);
    digital.at(8).Rate = "abc";
    EXPECT_EQ(carryDigi(digital), 0);
    digital.at(8).Rate = "";
    EXPECT_EQ(carryDigi(digital), 0);
    digital = digitalPlan(8);
    digital.at(8).ChannelNumber = 300;
    EXPECT_EQ(carryDigi(digital), 0);
    EXPECT_EQ(carryDigi(digitalPlan(256)), 0);

    auto names = namedPlan(5);
    names.at(5).Memo = "Four";
    EXPECT_EQ(carryNames(names), 0);
    EXPECT_EQ(carryNames(namedPlan(256)), 0);
    EXPECT_EQ(carryNames(SafeArray<Channellist>{}), 0);

    EXPECT_EQ(framesSent(), 0u);
}

TEST_F(PlanFaultTest, PlanSlotExchangesWithAWrongChecksumFail) {
    meter().faults().add(parseFaultRule("27:badsum"));
    meter().faults().add(parseFaultRule("28:badsum"));
    UserPlanNumber now = UserPlanE;
    std::int16_t done = 1;
    link().ReadPlanNum(&now, &done);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(now, UserPlanE);
    Variant result;
    link().CarryPlanNum(UserPlanC, &result);
    EXPECT_EQ(resultOf(result), 0);
}
