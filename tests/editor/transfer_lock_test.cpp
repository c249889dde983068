// A transfer nobody can break into: while the worker talks to the meter the
// window refuses every other command, Cancel stops after the current packet
// and changes nothing in the table, closing the window asks and then stops,
// and each transfer has a connection of its own.
#include "transfer_fixture.h" // first: before Qt's keywords

#include "own_texts.h"

#include <functional>

namespace plandex::testing {
namespace {

using korvane::sim::parseFaultRule;

constexpr std::uint8_t ReadCommand = 0x66;

std::vector<PlanRow> channels(int count) {
    std::vector<PlanRow> rows;
    for (int id = 1; id <= count; ++id)
        rows.push_back({id, QString("C%1").arg(id), "TV", 45.25 + 4.0 * id, 6.5});
    return rows;
}

AnalogPlan meterPlan(int count) {
    AnalogPlan plan;
    for (int i = 1; i <= count; ++i)
        plan.channels.push_back(
            entry(qPrintable(QString("M%1").arg(i)), 100.0f + 8.0f * i, "TV", 5.5f));
    plan.head = {{1, 2, 3, 4, 5, 6}, 1, 800};
    return plan;
}

class TransferLockTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        // Each packet takes a while, so that the window can act between packets.
        meter->faults().add(parseFaultRule("66:delay=40"));
        meter->faults().add(parseFaultRule("67:delay=40"));
        putInSlotA(meterPlan(40)); // five entry packets and the header
    }
    // Runs action on the window's thread once packet `packet` of the transfer is done.
    void atPacket(int packet, std::function<void()> action) {
        QObject::connect(form->Worker(), &MeterWorker::progress, form.get(),
                         [packet, action = std::move(action), done = false](int k, int) mutable {
                             if (k < packet || done) return;
                             done = true;
                             action();
                         });
    }
    // The window hears of packet k while the worker goes on with the next one,
    // so a stop asked for at packet k comes after packet k or k + 1.
    void expectStoppedAfter(std::uint8_t command, std::size_t k) const {
        EXPECT_GE(count(command), k);
        EXPECT_LE(count(command), k + 1);
    }
    std::size_t count(std::uint8_t command) const {
        const auto all = commandsToMeter();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), command));
    }
};

TEST_F(TransferLockTest, DuringAnUploadTheWindowRefusesEveryOtherCommand) {
    load(channels(3));
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    form->setButtonEnabled(DeleteButton, true);
    bool lockedMeanwhile = false;
    atPacket(2, [&] {
        lockedMeanwhile = !form->ToolKv()->isEnabled() && !form->Fregtable()->isEnabled() &&
                          !form->Frame3()->isEnabled() && form->CancelTransfer()->isVisible();
        form->ToolKv_ButtonClick("Download");
        form->ToolKv_ButtonClick("Upload");
        form->ToolKv_ButtonClick("Delete");
        form->Command3_Click();
        // A key in the grid runs the toolbar's commands too.
        form->findChild<CellEditing*>()->HandleGridKey(KeyCode::Delete, 0);
        // An edit typed into the grid meanwhile.
        QTest::keyClicks(form->Fregtable()->table(), "777");
        QTest::keyClick(form->Fregtable()->table(), Qt::Key_Return);
    });
    run("Upload");

    EXPECT_TRUE(lockedMeanwhile);
    EXPECT_TRUE(messages.shown.empty()) << "not even the Delete question";
    EXPECT_EQ(count(OpenCommand), 1u);
    EXPECT_EQ(count(PlanCommand), 0u) << "nothing was sent to the meter";
    EXPECT_EQ(count(ResetCommand), 0u);
    const auto rows = form->store().rows(OrderById);
    ASSERT_EQ(rows.size(), 40u) << "the received plan, whole";
    for (int i = 0; i < 40; ++i)
        EXPECT_DOUBLE_EQ(rows[i].freq, 108.0 + 8.0 * i) << "no edit went into row " << i + 1;
    EXPECT_TRUE(form->ToolKv()->isEnabled());
    EXPECT_TRUE(form->Fregtable()->isEnabled());
    EXPECT_FALSE(form->CancelTransfer()->isVisible());
}

TEST_F(TransferLockTest, CancelStopsADownloadAfterTheCurrentPacket) {
    load(channels(40));
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    atPacket(2, [&] { form->CancelTransfer()->click(); });
    run("Download");

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt,
              "The transfer was stopped. The channel plan in the meter may be incomplete.");
    expectStoppedAfter(PlanCommand, 2);
    EXPECT_EQ(count(ResetCommand), 0u);
    EXPECT_EQ(form->store().rows(OrderById), channels(40));
    EXPECT_EQ(buttonStates(), afterTransfer);

    messages.shown.clear();
    run("Download");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferSucceeded}))
        << "ready for the next command";
    EXPECT_EQ(slotA().channels.size(), 40u);
}

TEST_F(TransferLockTest, CancelStopsAnUploadAndLeavesTheTable) {
    LanguageOffset = ChineseOffset;
    load(channels(3));
    atPacket(1, [&] { form->CancelTransfer()->click(); });
    run("Upload");

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, QString::fromUtf8("传输已停止。"));
    expectStoppedAfter(ReadCommand, 1);
    EXPECT_EQ(form->store().rows(OrderById), channels(3));
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(buttonStates(), afterLoad);
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
}

TEST_F(TransferLockTest, ClosingDuringATransferAsksThenStopsAndCloses) {
    load(channels(3));
    messages.answers = {MessageAnswer::No, MessageAnswer::Yes};
    atPacket(1, [&] { form->close(); }); // answered No: the transfer goes on
    atPacket(3, [&] { form->close(); }); // answered Yes
    form->ToolKv_ButtonClick("Upload");
    ASSERT_EVENTUALLY(!form->isVisible(), 30000);

    EXPECT_FALSE(form->transferRunning());
    ASSERT_EQ(messages.shown.size(), 2u) << "the two questions and nothing after them";
    EXPECT_EQ(messages.shown[0].prompt, ownText(OwnText::StopTransferToClose));
    EXPECT_EQ(messages.shown[0].style, MessageStyle::Question);
    expectStoppedAfter(ReadCommand, 3);
    EXPECT_EQ(form->store().rows(OrderById), channels(3));
}

TEST_F(TransferLockTest, DestroyingTheWindowDuringATransferStopsIt) {
    load(channels(3));
    bool destroyed = false;
    QObject::connect(form.get(), &QObject::destroyed, [&] { destroyed = true; });
    atPacket(2, [&] { form.release()->deleteLater(); });
    form->ToolKv_ButtonClick("Upload");
    ASSERT_EVENTUALLY(destroyed, 30000);
    expectStoppedAfter(ReadCommand, 2);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TransferLockTest, NoConnectionHoldsThePortBetweenTransfers) {
    load(channels(3));
    // The ports are opened exclusively: another connection can open the port
    // only if the editor holds none.
    const auto otherProgram = [&] {
        sondrel::client::ConnectionPtr other = meterLibrary()->createConnection();
        other->put_PortDevice(MeterPort);
        sondrel::Variant result;
        other->OpenDeviceConnection(&result);
        return result.asI2();
    };
    run("Upload");
    ASSERT_EQ(form->OperationResult, "Yes");
    EXPECT_EQ(otherProgram(), 1) << "after an Upload";
    meter->faults().clear(); // the first rule that matches a frame is the one applied
    meter->faults().add(parseFaultRule("66:noreply,times=1"));
    run("Upload");
    ASSERT_EQ(form->OperationResult, "No");
    EXPECT_EQ(otherProgram(), 1) << "after a failed Upload";
    messages.shown.clear();
    run("Upload");
    EXPECT_EQ(form->OperationResult, "Yes") << "the next transfer starts afresh";
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace plandex::testing
