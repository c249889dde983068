// What the user is told after a job with the meter, and what the table holds
// then: edits the database refused, a held database, plans larger than the
// editor holds, a meter that hangs up on the header, the close question, the
// session's end, focus and the progress bar.
#include "transfer_fixture.h" // first: before Qt's keywords

#include "database_holder.h"
#include "failure_texts.h"
#include "own_texts.h"

#include <QAction>
#include <QLineEdit>
#include <QTableView>

namespace plandex::testing {
namespace {

using korvane::sim::parseFaultRule;

AnalogPlan meterPlan(int count) {
    AnalogPlan plan;
    for (int i = 1; i <= count; ++i)
        plan.channels.push_back(entry(qPrintable(QString::number(i).rightJustified(3, u'0')),
                                      48.25f + 3.5f * i, "TV", 6.5f));
    plan.head = {{1, 2, 3, 4, 5, 6}, 2, 800};
    return plan;
}

std::vector<PlanRow> rowsOf(const AnalogPlan& plan) {
    std::vector<PlanRow> rows;
    for (std::size_t i = 0; i < plan.channels.size(); ++i)
        rows.push_back({static_cast<int>(i) + 1, QString::number(i + 1).rightJustified(3, u'0'),
                        "TV", 48.25 + 3.5 * static_cast<double>(i + 1), 6.5});
    return rows;
}

const std::vector<PlanRow> tablePlan = {
    {1, "S1", "TV", 55.25, 6.5}, {2, "S2", "TV", 62.25, 6.5}, {3, "S3", "TV", 69.25, 6.5}};

class TransferOutcomeTest : public TransferTest {
  protected:
    QTableView& view() const { return *qobject_cast<QTableView*>(form->Fregtable()->table()); }
    // Types into a cell without Enter: the edit stays open in the grid.
    void typeInto(int bookmark, int column, const QString& text) {
        form->RefreshDataGrid(CommandText, SelectById);
        const QModelIndex index = view().model()->index(bookmark - 1, column);
        view().setCurrentIndex(index);
        view().edit(index);
        auto* editor = view().viewport()->findChild<QLineEdit*>();
        ASSERT_TRUE(editor) << "the cell's editor is open";
        editor->setText(text);
    }
    bool anyPromptHas(const QString& text) const {
        for (const auto& m : messages.shown)
            if (m.prompt.contains(text)) return true;
        return false;
    }
};

// A name typed into a cell (no Enter) while another program holds the
// database: the write fails, is said at once, and never reaches the plan the
// Upload brings.
TEST_F(TransferOutcomeTest, RefusedEditIsSaidAndNeverWrittenIntoTheReceivedPlan) {
    putInSlotA(meterPlan(5));
    load(tablePlan);
    typeInto(3, ColumnName, "XYZ");
    {
        DatabaseHolder holder(form->store().databasePath());
        form->ToolKv_ButtonClick("Upload");
    }
    finish();
    EXPECT_TRUE(commandsToMeter().empty()) << "the Upload did not start";
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[0].prompt.startsWith(ownText(OwnText::EditNotWritten).arg(3)));
    EXPECT_TRUE(messages.shown[0].prompt.endsWith(ownText(OwnText::StoreBusy)));
    EXPECT_EQ(messages.shown[1].prompt, ownText(OwnText::CommandRefusedUnwritten).arg("Upload"));

    run("Upload"); // the database is free again
    EXPECT_EQ(form->store().rows(OrderById), rowsOf(meterPlan(5)));
    EXPECT_EQ(form->Fregtable()->columnValueAt(3, ColumnName).toString(), "003");
}

// The Insert key with the database held: the toolbar's message, no crash.
TEST_F(TransferOutcomeTest, InsertKeyWithTheDatabaseHeldIsSaid) {
    load(tablePlan);
    form->RefreshDataGrid(CommandText, SelectById);
    form->activateWindow();
    view().setFocus();
    {
        DatabaseHolder holder(form->store().databasePath());
        QTest::keyClick(&view(), Qt::Key_Insert);
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.textIds().at(0), TextId::ConfirmInsert);
    EXPECT_EQ(messages.shown[1].prompt,
              ownText(OwnText::CommandNotDone).arg("Insert") + "\n" + ownText(OwnText::StoreBusy));
    EXPECT_EQ(form->store().rows(OrderById), tablePlan);

    messages.shown.clear();
    {
        DatabaseHolder holder(form->store().databasePath());
        form->ToolKv_ButtonClick("Order");
    }
    ASSERT_EQ(messages.shown.size(), 1u) << "the toolbar says the same";
    EXPECT_EQ(messages.shown[0].prompt,
              ownText(OwnText::CommandNotDone).arg("Order") + "\n" + ownText(OwnText::StoreBusy));
}

TEST_F(TransferOutcomeTest, UploadWithTheDatabaseHeldSaysSoInTheUsersWords) {
    putInSlotA(meterPlan(5));
    load(tablePlan);
    DatabaseHolder holder(form->store().databasePath());
    run("Upload");
    holder.release();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt,
              ownText(OwnText::CommandNotDone).arg("Upload") + "\n" + ownText(OwnText::StoreBusy));
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(form->store().rows(OrderById), tablePlan);
}

// 250 channels is the editor's one limit (Insert, Paste, Open): a larger plan
// from the meter is refused before it reaches the table.
TEST_F(TransferOutcomeTest, PlanOfMoreThan250ChannelsFromTheMeterIsRefused) {
    putInSlotA(meterPlan(253));
    load(tablePlan);
    run("Upload");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, ownText(OwnText::ReceivedPlanTooLarge).arg(253));
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(form->store().rows(OrderById), tablePlan);

    messages.shown.clear();
    putInSlotA(meterPlan(250));
    run("Upload");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->store().rowCount(), 250);
}

// The header packet's answer decides: a meter that hangs up, or one that takes
// the packet without a word, has not taken the header.
class HeaderSendOutcomeTest : public TransferOutcomeTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(HeaderSendOutcomeTest, AMeterThatDoesNotTakeTheHeaderMakesItFail) {
    meter->faults().add(parseFaultRule(GetParam()));
    load({});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    form->Command3()->click();
    finish();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
}

INSTANTIATE_TEST_SUITE_P(HangUpOrSilence, HeaderSendOutcomeTest,
                         ::testing::Values("67:close", "67:noreply"));

// The close question stays true: a job that ends while it is open waits for
// the answer; the window is not unlocked under it, nor is the outcome shown on top.
TEST_F(TransferOutcomeTest, JobEndingWhileTheCloseQuestionIsOpenWaitsForTheAnswer) {
    meter->faults().add(parseFaultRule("66:delay=40"));
    putInSlotA(meterPlan(40));
    load(tablePlan);
    struct QuestionSink final : MessageSink {
        MessageAnswer show(const QString& prompt, const QString&, MessageStyle) override {
            shown << prompt;
            if (shown.size() > 1) return MessageAnswer::Ok;
            // The user takes the time the job needs to end.
            for (int waited = 0; form->Worker()->busy() && waited < 30000; waited += 20)
                QTest::qWait(20);
            QTest::qWait(100);
            lockedMeanwhile = form->transferRunning() && !form->Fregtable()->isEnabled();
            shownMeanwhile = shown.size();
            return MessageAnswer::No;
        }
        Form2* form = nullptr;
        QStringList shown;
        bool lockedMeanwhile = false;
        qsizetype shownMeanwhile = 0;
    } sink;
    sink.form = form.get();
    MessageSink* previous = installMessageSink(&sink);
    QObject::connect(form->Worker(), &MeterWorker::progress, form.get(),
                     [&, asked = false]() mutable {
                         if (asked) return;
                         asked = true;
                         form->close();
                     });
    form->ToolKv_ButtonClick("Upload");
    finish();
    installMessageSink(previous);

    EXPECT_EQ(sink.shownMeanwhile, 1) << "nothing on top of the question";
    EXPECT_TRUE(sink.lockedMeanwhile) << "the window stays locked under the question";
    ASSERT_EQ(sink.shown.size(), 1) << "a read that succeeds shows nothing after the No";
    EXPECT_EQ(sink.shown[0], ownText(OwnText::StopTransferToClose));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->store().rowCount(), 40) << "answered No: the read's outcome counts";
}

// A logout during a job: the job stops after its current packet and nothing
// it brought is kept.
TEST_F(TransferOutcomeTest, SessionEndStopsTheJobAndKeepsNothingPartial) {
    meter->faults().add(parseFaultRule("66:delay=40"));
    putInSlotA(meterPlan(40));
    load(tablePlan);
    QObject::connect(form->Worker(), &MeterWorker::progress, form.get(),
                     [&, done = false]() mutable {
                         if (done) return;
                         done = true;
                         form->sessionEnding();
                     });
    form->ToolKv_ButtonClick("Upload");
    finish();
    const auto commands = commandsToMeter();
    EXPECT_LE(std::count(commands.begin(), commands.end(), std::uint8_t{0x66}), 3)
        << "stopped after the packet under way, not read to its end";
    EXPECT_EQ(form->store().rows(OrderById), tablePlan);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TransferOutcomeTest, FailedUploadHidesTheBarBeforeItsMessageAndGivesTheGridTheFocus) {
    meter->faults().add(parseFaultRule("66:noreply"));
    load(tablePlan);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    struct BarSink final : MessageSink {
        MessageAnswer show(const QString&, const QString&, MessageStyle) override {
            barVisible = bar->isVisible();
            return MessageAnswer::Ok;
        }
        QProgressBar* bar = nullptr;
        bool barVisible = true;
    } sink;
    sink.bar = form->ProgressBar1();
    MessageSink* previous = installMessageSink(&sink);
    run("Upload");
    installMessageSink(previous);
    EXPECT_FALSE(sink.barVisible) << "the bar went before the message";
    ASSERT_EVENTUALLY(form->Fregtable()->table()->hasFocus(), 5000);
}

// A header with a unit the editor does not know empties the unit box rather
// than keeping the previous unit for the next Download.
TEST_F(TransferOutcomeTest, UnknownUnitIsNotKeptFromBefore) {
    AnalogPlan plan = meterPlan(2);
    plan.head.unit = 7;
    putInSlotA(plan);
    load(tablePlan);
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBmV");
    run("Upload");
    EXPECT_NE(form->Combo5()->currentText(), "dBmV");
    EXPECT_TRUE(form->Combo5()->currentText().isEmpty());
}

TEST_F(TransferOutcomeTest, WithoutTheLibraryUploadAndDownloadAreOffAndSayWhy) {
    markMeterLibraryMissing("libSondrel.so.2: cannot open shared object file");
    load(tablePlan);
    EXPECT_FALSE(form->isButtonEnabled(UploadButton));
    EXPECT_FALSE(form->isButtonEnabled(DownloadButton));
    EXPECT_FALSE(form->Command3()->isEnabled());
    form->setButtonEnabled(UploadButton, true); // as after Open
    EXPECT_FALSE(form->isButtonEnabled(UploadButton));
    EXPECT_TRUE(form->ToolKv()->button(UploadButton)->toolTip().contains("cannot open shared"));
    EXPECT_TRUE(form->isButtonEnabled(OpenButton));
}

} // namespace
} // namespace plandex::testing
