// Upload, Download and the header send, end to end: the main window calls the
// library loaded at run time, which talks over a real pseudo-terminal to the
// simulated meter registered as a COM port in a private ports folder.
#include "transfer_fixture.h" // first: before Qt's keywords

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>

namespace plandex::testing {
namespace {

TEST_F(TransferTest, DownloadPutsThePlanInFrequencyOrderAndTheHeaderIntoSlotA) {
    // 20 channels, stored against frequency order: three entry packets and the header.
    std::vector<PlanRow> rows;
    std::vector<AnalogEntry> expected;
    for (int id = 1; id <= 20; ++id) {
        const double freq = 48.25 + 8 * (20 - id);
        const QString name = QString("C%1").arg(id);
        rows.push_back({id, name, id % 2 ? "TV" : "DIGI", freq, id % 2 ? 6.5 : 6.0});
        expected.insert(expected.begin(), entry(qPrintable(name), static_cast<float>(freq),
                                                id % 2 ? "TV" : "DIGI", id % 2 ? 6.5f : 6.0f));
    }
    load(rows);
    setHeader({"1", "2", "3", "4", "5", "6"}, "8.5", "dBmV");
    std::vector<std::pair<int, int>> shown; // the bar's value and maximum during the send
    QObject::connect(form->ProgressBar1(), &QProgressBar::valueChanged,
                     [&](int v) { shown.emplace_back(v, form->ProgressBar1()->maximum()); });
    run("Download");

    ASSERT_EQ(messages.textIds(), std::vector<int>({TextId::TransferSucceeded}));
    EXPECT_EQ(messages.shown[0].style, MessageStyle::Information);
    EXPECT_EQ(messages.shown[0].title, "Plandex");
    const AnalogPlan sent = slotA();
    EXPECT_EQ(sent.channels, expected);
    EXPECT_EQ(sent.head, (HeadEntry{{1, 2, 3, 4, 5, 6}, 2, 800})) << "8.5 MHz goes as 8";
    EXPECT_EQ(commandsToMeter(),
              std::vector<std::uint8_t>(
                  {OpenCommand, PlanCommand, PlanCommand, PlanCommand, PlanCommand, ResetCommand}));
    EXPECT_EQ(buttonStates(), afterTransfer);
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
    EXPECT_FALSE(form->Timer1()->isActive());
    using Shown = std::vector<std::pair<int, int>>;
    const Shown expectedShown{{ProgressStart, ProgressMaximum}, {1, 4}, {2, 4}, {3, 4}, {4, 4}};
    EXPECT_EQ(shown, expectedShown) << "packets done of the four packets in all, then full";
}

TEST_F(TransferTest, DownloadRefusesARowWithoutATypeCodeBeforeSendingAnything) {
    load({{1, "S1", "TV", 471.25, 6.5}, {2, "D8", "DIGI", 474, 8}});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    run("Download");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Row 2 (D8): Type DIGI with Audio Offset 8 has no type "
                                        "code the meter knows. Nothing was sent.");
    EXPECT_TRUE(commandsToMeter().empty());
}

TEST_F(TransferTest, UploadFillsTheTableTheHeaderAndTheButtons) {
    putInSlotA({{entry("S1", 471.25f, "TV", 6.5f), entry("E2", 48.25f, "TV", 4.5f),
                 entry("C5", 175.1f, "DIGI", 6.0f)},
                {{9, 8, 7, 6, 5, 4}, 2, 800}});
    load({{1, "OLD", "TV", 100, 4.5}});
    form->Fregtable()->setCaption("my own plan");
    run("Upload");

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(form->OperationResult, "Yes");
    EXPECT_EQ(form->store().rows(OrderById), std::vector<PlanRow>({{1, " S1", "TV", 471.25, 6.5},
                                                                   {2, " E2", "TV", 48.25, 4.5},
                                                                   {3, " C5", "DIGI", 175.1, 6.0}}))
        << "IDs in the meter's order, names as the meter holds them";
    EXPECT_EQ(header(), QStringList({"9", "8", "7", "6", "5", "4", "8", "dBmV"}));
    EXPECT_FLOAT_EQ(form->SpanValue, 8);
    EXPECT_EQ(form->Fregtable()->caption(), "  CH No");
    EXPECT_EQ(form->Fregtable()->rowCount(), 3);
    EXPECT_DOUBLE_EQ(form->Fregtable()->columnValueAt(1, ColumnFreq).toDouble(), 48.25)
        << "the grid shows the plan by frequency";
    EXPECT_EQ(buttonStates(), afterTransfer);
    EXPECT_EQ(commandsToMeter().front(), OpenCommand);
    EXPECT_NE(commandsToMeter().back(), ResetCommand) << "no reset after a read";
}

TEST_F(TransferTest, UploadStoresTheChannelsBeforeTheFirstWithFrequencyZero) {
    putInSlotA({{entry("A", 100, "TV", 5.5f), entry("B", 200, "TV", 5.5f), AnalogEntry{},
                 entry("D", 400, "TV", 5.5f)},
                {{1, 1, 1, 1, 1, 1}, 1, 700}});
    load({});
    run("Upload");
    const auto rows = form->store().rows(OrderById);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].name, "  B");
    EXPECT_EQ(form->Combo5()->currentText(), "dBuV");
}

TEST_F(TransferTest, HeaderSendChangesOnlyTheHeaderOfSlotA) {
    const AnalogPlan before = slotA();
    load({});
    setHeader({"1", "2", "3", "4", "5", "6"}, "7.5", "dBuV");
    form->Command3()->click();
    finish();
    EXPECT_EQ(onlyMessage().prompt, "Data transferred successfully");
    EXPECT_EQ(onlyMessage().style, MessageStyle::Information) << "a success is no warning";
    const AnalogPlan after = slotA();
    EXPECT_EQ(after.head, (HeadEntry{{1, 2, 3, 4, 5, 6}, 1, 800})) << "7.5 MHz goes as 8";
    EXPECT_EQ(after.channels, before.channels);
    EXPECT_EQ(commandsToMeter(),
              std::vector<std::uint8_t>({OpenCommand, PlanCommand, ResetCommand}));
}

TEST_F(TransferTest, PortThatCannotBeOpenedChangesNothing) {
    setMeterPort(AbsentPort);
    load({{1, "S1", "TV", 471.25, 6.5}});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    run("Upload");
    run("Download");
    form->Command3()->click();
    finish();
    EXPECT_EQ(messages.textIds(), std::vector<int>(3, TextId::ConnectionFailed));
    for (const auto& m : messages.shown)
        EXPECT_EQ(m.style, MessageStyle::Exclamation);
    EXPECT_EQ(form->store().rows(OrderById), std::vector<PlanRow>({{1, "S1", "TV", 471.25, 6.5}}));
    EXPECT_EQ(buttonStates(), afterLoad);
    EXPECT_TRUE(form->OperationResult.isEmpty());
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
    EXPECT_TRUE(commandsToMeter().empty());
}

TEST_F(TransferTest, SilentMeterFailsTheReadAndLeavesTheTable) {
    meter->faults().add(korvane::sim::parseFaultRule("66:noreply"));
    load({{1, "S1", "TV", 471.25, 6.5}});
    run("Upload");
    const QString expected = "A" + Text(TextId::ReadFailed);
    EXPECT_EQ(onlyMessage().prompt, expected);
    EXPECT_EQ(onlyMessage().prompt, "APlease make sure connet or reset to try again");
    EXPECT_EQ(onlyMessage().title, Text(TextId::ReadFailed));
    EXPECT_EQ(onlyMessage().style, MessageStyle::Information);
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(form->store().rows(OrderById), std::vector<PlanRow>({{1, "S1", "TV", 471.25, 6.5}}));
    EXPECT_EQ(buttonStates(), afterLoad);
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
}

TEST_F(TransferTest, PlanTheDatabaseRefusesLeavesTableAndHeaderAsTheyWere) {
    putAnalogPlanInSlotA(*meter,
                         {{entry("S1", 471.25f, "TV", 6.5f), entry("E2", 48.25f, "TV", 4.5f)},
                          {{9, 8, 7, 6, 5, 4}, 2, 800}});
    load({{1, "OLD", "TV", 100, 4.5}});
    setHeader({"1", "2", "3", "4", "5", "6"}, "7", "dBuV");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "refuse");
        db.setDatabaseName(form->store().databasePath());
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec("CREATE TRIGGER refuse BEFORE INSERT ON ChannelPlanUser "
                                       "WHEN NEW.ID = 2 BEGIN SELECT RAISE(ABORT, 'full'); END"));
    }
    QSqlDatabase::removeDatabase("refuse");
    run("Upload");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.startsWith("Upload was not carried out"))
        << messages.shown[0].prompt.toStdString();
    EXPECT_FALSE(messages.shown[0].prompt.contains("INSERT")) << "never the database's words";
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(form->store().rows(OrderById), std::vector<PlanRow>({{1, "OLD", "TV", 100, 4.5}}));
    EXPECT_EQ(header(), QStringList({"1", "2", "3", "4", "5", "6", "7", "dBuV"}));
    EXPECT_EQ(buttonStates(), afterLoad);
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
}

TEST_F(TransferTest, DownloadOfAnEmptyPlanSendsNothing) {
    load({});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    run("Download");
    EXPECT_EQ(messages.textIds(),
              std::vector<int>({TextId::LoadPlanFirst, TextId::TransferFailed}));
    EXPECT_EQ(messages.shown[0].style, MessageStyle::Exclamation);
    EXPECT_EQ(messages.shown[1].style, MessageStyle::Information);
    EXPECT_EQ(commandsToMeter(), std::vector<std::uint8_t>({OpenCommand})) << "not even a reset";
    EXPECT_EQ(buttonStates(), afterTransfer) << "buttons come back whatever the outcome";
}

TEST_F(TransferTest, LineLostDuringTheSendReportsAFailedTransfer) {
    meter->faults().add(korvane::sim::parseFaultRule("67:close"));
    load({{1, "S1", "TV", 471.25, 6.5}});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    run("Download");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
    EXPECT_EQ(buttonStates(), afterTransfer);
}

TEST_F(TransferTest, AMeterFallingSilentMidTransferReportsAFailedTransfer) {
    // A cable pulled after the first packet: the meter answers nothing more.
    meter->faults().add(korvane::sim::parseFaultRule("67:noreply,after=1"));
    load({{1, "S1", "TV", 471.25, 6.5}});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    run("Download");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
}

TEST_F(TransferTest, HeaderThatDoesNotFitFailsTheDownloadBeforeSending) {
    load({{1, "S1", "TV", 471.25, 6.5}});
    setHeader({"1", "2", "300", "4", "5", "6"}, "8", "dBuV", true);
    run("Download");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
    EXPECT_EQ(commandsToMeter(), std::vector<std::uint8_t>({OpenCommand}));
}

TEST_F(TransferTest, HeaderSendWithAnEmptyFieldAsksToSetItFirst) {
    load({});
    for (int empty : {0, 6, SpanElement}) {
        setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
        form->Text1(empty)->clear();
        form->Command3()->click();
        finish();
    }
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "");
    form->Command3()->click();
    finish();
    EXPECT_EQ(messages.textIds(), std::vector<int>(4, TextId::SetHeaderFirst));
    EXPECT_TRUE(commandsToMeter().empty()) << "the connection is not even opened";
}

TEST_F(TransferTest, HeaderMappingRoundsHalvesToEvenAndMapsTheUnit) {
    load({});
    setHeader({"1", "2.5", "3.5", "0", "250", "6"}, "8.5", "dBuV", true);
    auto head = headerFromControls(*form);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->Fav2, 2);
    EXPECT_EQ(head->Fav3, 4);
    EXPECT_EQ(head->Fav5, 250);
    EXPECT_EQ(head->Span, 8);
    EXPECT_EQ(head->Un, 1);
    setHeader({"1", "2", "3", "4", "5", "6"}, "7.5", "dBmV", true);
    head = headerFromControls(*form);
    EXPECT_EQ(head->Span, 8);
    EXPECT_EQ(head->Un, 2);
    form->Combo5()->setCurrentText("anything");
    EXPECT_EQ(headerFromControls(*form)->Un, 1);

    sondrel::ChannelHead received;
    received.Un = 3; // neither unit: the box no longer claims one
    showHeader(*form, received);
    EXPECT_EQ(form->Combo5()->currentText(), "");
}

} // namespace
} // namespace plandex::testing
