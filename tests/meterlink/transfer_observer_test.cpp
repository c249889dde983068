// The transfer observer of the plan members: progress after every packet but
// the last, and a stop after the current packet, against the simulated meter.
#include "plan_test_plans.h"

#include <thread>
#include <utility>
#include <vector>

using namespace korvane::testing;
using namespace sondrel;

namespace {

// Records every report and asks to stop once packetsDone reaches stopAt.
class RecordingObserver {
  public:
    explicit RecordingObserver(int stopAt = 0) : stopAt_(stopAt) {
        setTransferObserver(&RecordingObserver::observe, this);
    }
    ~RecordingObserver() { setTransferObserver(nullptr, nullptr); }
    std::vector<std::pair<int, int>> reports;

  private:
    static int observe(void* self, int done, int total) {
        auto* me = static_cast<RecordingObserver*>(self);
        me->reports.emplace_back(done, total);
        return me->stopAt_ == 0 || done < me->stopAt_;
    }
    int stopAt_;
};

std::vector<std::pair<int, int>> counted(int last, int total) {
    std::vector<std::pair<int, int>> reports;
    for (int k = 1; k <= last; ++k)
        reports.emplace_back(k, total);
    return reports;
}

class TransferObserverTest : public SimulatedMeterTest {
  protected:
    std::int16_t carry(const SafeArray<Channellist>& plan) {
        Variant planVariant = Variant::channels(plan), result;
        ChannelHead head = planHead();
        link().CarryChannel(&planVariant, UserPlanA, &head, &result);
        return result.asI2();
    }
    std::int16_t read() {
        SafeArray<Channellist> received;
        ChannelHead head;
        Variant result;
        link().ReadChannel(UserPlanA, &received, &head, &result);
        return result.asI2();
    }
    std::size_t packetsToMeter() { return meter().wireLog().framesToMeter().size(); }
};

TEST_F(TransferObserverTest, CountsThePacketsOfAnAnalogueSendAndRead) {
    RecordingObserver observer;
    ASSERT_EQ(carry(analogPlan(40)), 1);
    EXPECT_EQ(observer.reports, counted(5, 6)) << "5 entry packets, then the header";

    observer.reports.clear();
    ASSERT_EQ(read(), 1);
    EXPECT_EQ(observer.reports, counted(5, 6)) << "the count comes with the first reply";
}

TEST_F(TransferObserverTest, CountsThePacketsOfADigitalSend) {
    RecordingObserver observer;
    Variant plan = Variant::channelsDigi(digitalPlan(12)), result;
    link().CarryChannelDigi(&plan, UserPlanD, &result);
    ASSERT_EQ(result.asI2(), 1);
    EXPECT_EQ(observer.reports, counted(2, 3));
}

TEST_F(TransferObserverTest, StopsASendAfterTheCurrentPacket) {
    RecordingObserver observer(3);
    EXPECT_EQ(carry(analogPlan(250)), 0) << "a stopped transfer fails";
    EXPECT_EQ(packetsToMeter(), 3u) << "nothing after the packet the observer stopped at";
    EXPECT_EQ(observer.reports, counted(3, 29));
}

TEST_F(TransferObserverTest, StopsAReadAfterTheCurrentPacket) {
    {
        RecordingObserver none;
        ASSERT_EQ(carry(analogPlan(40)), 1);
    }
    meter().wireLog().clear();
    RecordingObserver observer(1);
    EXPECT_EQ(read(), 0);
    EXPECT_EQ(packetsToMeter(), 1u);
}

TEST_F(TransferObserverTest, ObservesOnlyTheThreadThatInstalledIt) {
    RecordingObserver observer(1);
    std::int16_t result = 0;
    std::thread other([&] { result = carry(analogPlan(30)); });
    other.join();
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(observer.reports.empty());
}

} // namespace
