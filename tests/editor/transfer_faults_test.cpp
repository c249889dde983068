// A meter that stays silent at the first, a middle or the last packet of a
// 40-channel Upload or Download: the transfer fails with its own message and
// the table keeps its rows.
#include "transfer_fixture.h" // first: before Qt's keywords

namespace plandex::testing {
namespace {

struct SilentPacket {
    const char* transfer; // the toolbar command
    const char* where;
    int after; // packets answered before the silent one (six packets in all)
};

void PrintTo(const SilentPacket& p, std::ostream* out) {
    *out << p.transfer << " silent at the " << p.where << " packet";
}

class TransferFaultTest : public TransferTest, public ::testing::WithParamInterface<SilentPacket> {
  protected:
    static std::vector<PlanRow> plan() {
        std::vector<PlanRow> rows;
        for (int id = 1; id <= 40; ++id)
            rows.push_back({id, QString("C%1").arg(id), "TV", 45.25 + 4.0 * id, 6.5});
        return rows;
    }
};

TEST_P(TransferFaultTest, FailsWithItsMessageAndLeavesTheTable) {
    const SilentPacket& p = GetParam();
    const bool upload = std::string(p.transfer) == "Upload";
    AnalogPlan inMeter;
    for (int i = 1; i <= 40; ++i)
        inMeter.channels.push_back(entry("M", 100.0f + 8.0f * i, "TV", 5.5f));
    putInSlotA(inMeter);
    meter->faults().add(korvane::sim::parseFaultRule(QString("%1:noreply,after=%2,times=1")
                                                         .arg(upload ? "66" : "67")
                                                         .arg(p.after)
                                                         .toStdString()));
    load(plan());
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    run(p.transfer);

    ASSERT_EQ(messages.shown.size(), 1u);
    if (upload) {
        EXPECT_EQ(messages.shown[0].prompt, "A" + Text(TextId::ReadFailed));
        EXPECT_EQ(messages.shown[0].title, Text(TextId::ReadFailed));
        EXPECT_EQ(form->OperationResult, "No");
    } else {
        EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
    }
    EXPECT_EQ(form->store().rows(OrderById), plan());
    EXPECT_FALSE(form->transferRunning());
}

INSTANTIATE_TEST_SUITE_P(Upload, TransferFaultTest,
                         ::testing::Values(SilentPacket{"Upload", "first", 0},
                                           SilentPacket{"Upload", "middle", 2},
                                           SilentPacket{"Upload", "last", 5}));
INSTANTIATE_TEST_SUITE_P(Download, TransferFaultTest,
                         ::testing::Values(SilentPacket{"Download", "first", 0},
                                           SilentPacket{"Download", "middle", 2},
                                           SilentPacket{"Download", "last", 5}));

} // namespace
} // namespace plandex::testing
