// Upload, Download and the header send, end to end: the main window calls the
// library loaded at run time, which talks over a real pseudo-terminal to the
// simulated meter registered as a COM port in a private ports folder.
#include "simulated_plan_slot.h" // first: before Qt's keywords

#include "cell_editing_fixture.h"
#include "delivered_database.h"
#include "meter_connection.h"
#include "transfer.h"

#include "common/plan_codec_entries.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>

namespace plandex::testing {
namespace {

using korvane::sim::AnalogPlan;
using sondrel::AnalogEntry;
using sondrel::HeadEntry;

constexpr int MeterPort = 7;
constexpr int AbsentPort = 9;
constexpr std::uint8_t OpenCommand = 0x2B, ResetCommand = 0x0A, PlanCommand = 0x67;

const sondrel::CodePage western("WINDOWS-1252");

AnalogEntry entry(const char* name, float freq, const char* type, float audio1) {
    sondrel::Channellist c;
    c.ChannelName = name;
    c.freq = freq;
    c.Type = type;
    c.Audio1 = audio1;
    return sondrel::analogEntryOf(c, western);
}

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        LanguageOffset = EnglishOffset;
        qputenv("SONDREL_PORTS", folder.filePath("ports").toLocal8Bit());
        korvane::sim::SimulatorOptions options;
        options.comNumber = MeterPort;
        options.portsFolder = folder.filePath("ports").toStdString();
        meter = std::make_unique<korvane::sim::MeterSimulator>(options);
        meter->start();
        auto library = sondrel::client::SondrelLibrary::load();
        setMeterConnection(library, library->createConnection());
        MeterConnection()->put_PortDevice(MeterPort);
    }
    void TearDown() override {
        form.reset();
        setMeterConnection(nullptr, {});
        meter->stop();
        qunsetenv("SONDREL_PORTS");
    }
    void load(const std::vector<PlanRow>& rows) {
        form = std::make_unique<Form2>(PlanStore(copyDeliveredDatabase(folder.path(), rows)));
        form->show();
    }
    // Fills the side panel; unchecked, the entry checks do not see the texts.
    void setHeader(const QStringList& favourites, const QString& span, const QString& unit,
                   bool unchecked = false) {
        auto set = [&](int element, const QString& text) {
            QSignalBlocker quiet(unchecked ? form->Text1(element) : nullptr);
            form->Text1(element)->setText(text);
        };
        for (std::size_t i = 0; i < FavouriteElements.size(); ++i)
            set(FavouriteElements[i], favourites.value(static_cast<qsizetype>(i)));
        set(SpanElement, span);
        form->Combo5()->setCurrentText(unit);
    }
    QStringList header() const {
        QStringList texts;
        for (int element : FavouriteElements)
            texts << form->Text1(element)->text();
        return texts << form->Text1(SpanElement)->text() << form->Combo5()->currentText();
    }
    void putInSlotA(const AnalogPlan& plan) { putAnalogPlanInSlotA(*meter, plan); }
    AnalogPlan slotA() { return analogPlanInSlotA(*meter); }
    std::vector<std::uint8_t> commandsToMeter() const {
        std::vector<std::uint8_t> commands;
        for (const auto& frame : meter->wireLog().framesToMeter())
            if (frame.size() > 4) commands.push_back(frame[4]); // 55 AA 01 length command
        return commands;
    }
    std::vector<bool> buttonStates() const {
        std::vector<bool> states;
        for (int b = UploadButton; b <= OrderButton; ++b)
            states.push_back(form->isButtonEnabled(b));
        return states;
    }
    const RecordedMessage& onlyMessage() const {
        EXPECT_EQ(messages.shown.size(), 1u);
        return messages.shown.at(0);
    }

    QTemporaryDir folder;
    std::unique_ptr<korvane::sim::MeterSimulator> meter;
    RecordingMessages messages;
    std::unique_ptr<Form2> form;
};

const std::vector<bool> afterLoad = {true, false, true, false, false, false, false, false, false};
const std::vector<bool> afterTransfer = {true, true, true, true, false, false, true, false, true};

TEST_F(TransferTest, DownloadPutsThePlanInFrequencyOrderAndTheHeaderIntoSlotA) {
    // 20 channels, stored against frequency order: three entry packets and the header.
    std::vector<PlanRow> rows;
    std::vector<AnalogEntry> expected;
    for (int id = 1; id <= 20; ++id) {
        const double freq = 48.25 + 8 * (20 - id);
        const QString name = QString("C%1").arg(id);
        rows.push_back({id, name, id % 2 ? "TV" : "DIGI", freq, id % 2 ? 6.5 : 8});
        expected.insert(expected.begin(), entry(qPrintable(name), static_cast<float>(freq),
                                                id % 2 ? "TV" : "DIGI", id % 2 ? 6.5f : 8.0f));
    }
    load(rows);
    setHeader({"1", "2", "3", "4", "5", "6"}, "8.5", "dBmV");
    int highestShown = 0;
    QObject::connect(form->ProgressBar1(), &QProgressBar::valueChanged, [&](int v) {
        if (v < ProgressMaximum) highestShown = std::max(highestShown, v);
    });
    form->ToolKv_ButtonClick("Download");

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
    EXPECT_GT(highestShown, ProgressStart) << "the progress timer ran between the packets";
}

TEST_F(TransferTest, UploadFillsTheTableTheHeaderAndTheButtons) {
    putInSlotA({{entry("S1", 471.25f, "TV", 6.5f), entry("E2", 48.25f, "TV", 4.5f),
                 entry("C5", 175.1f, "DIGI", 6.0f)},
                {{9, 8, 7, 6, 5, 4}, 2, 800}});
    load({{1, "OLD", "TV", 100, 4.5}});
    form->Fregtable()->setCaption("my own plan");
    form->ToolKv_ButtonClick("Upload");

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
    form->ToolKv_ButtonClick("Upload");
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
    EXPECT_EQ(onlyMessage().prompt, "Data transferred successfully");
    EXPECT_EQ(onlyMessage().style, MessageStyle::Exclamation);
    const AnalogPlan after = slotA();
    EXPECT_EQ(after.head, (HeadEntry{{1, 2, 3, 4, 5, 6}, 1, 800})) << "7.5 MHz goes as 8";
    EXPECT_EQ(after.channels, before.channels);
    EXPECT_EQ(commandsToMeter(),
              std::vector<std::uint8_t>({OpenCommand, PlanCommand, ResetCommand}));
}

TEST_F(TransferTest, PortThatCannotBeOpenedChangesNothing) {
    MeterConnection()->put_PortDevice(AbsentPort);
    load({{1, "S1", "TV", 471.25, 6.5}});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    form->ToolKv_ButtonClick("Upload");
    form->ToolKv_ButtonClick("Download");
    form->Command3()->click();
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
    form->ToolKv_ButtonClick("Upload");
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
    form->ToolKv_ButtonClick("Upload");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains("full"));
    EXPECT_EQ(form->OperationResult, "No");
    EXPECT_EQ(form->store().rows(OrderById), std::vector<PlanRow>({{1, "OLD", "TV", 100, 4.5}}));
    EXPECT_EQ(header(), QStringList({"1", "2", "3", "4", "5", "6", "7", "dBuV"}));
    EXPECT_EQ(buttonStates(), afterLoad);
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
}

TEST_F(TransferTest, DownloadOfAnEmptyPlanSendsNothing) {
    load({});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    form->ToolKv_ButtonClick("Download");
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
    form->ToolKv_ButtonClick("Download");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
    EXPECT_EQ(buttonStates(), afterTransfer);
}

TEST_F(TransferTest, AMeterFallingSilentMidTransferReportsAFailedTransfer) {
    // A cable pulled after the first packet: the meter answers nothing more.
    meter->faults().add(korvane::sim::parseFaultRule("67:noreply,after=1"));
    load({{1, "S1", "TV", 471.25, 6.5}});
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
    form->ToolKv_ButtonClick("Download");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
}

TEST_F(TransferTest, HeaderThatDoesNotFitFailsTheDownloadBeforeSending) {
    load({{1, "S1", "TV", 471.25, 6.5}});
    setHeader({"1", "2", "300", "4", "5", "6"}, "8", "dBuV", true);
    form->ToolKv_ButtonClick("Download");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::TransferFailed}));
    EXPECT_EQ(commandsToMeter(), std::vector<std::uint8_t>({OpenCommand}));
}

TEST_F(TransferTest, HeaderSendWithAnEmptyFieldAsksToSetItFirst) {
    load({});
    for (int empty : {0, 6, SpanElement}) {
        setHeader({"1", "2", "3", "4", "5", "6"}, "8", "dBuV");
        form->Text1(empty)->clear();
        form->Command3()->click();
    }
    setHeader({"1", "2", "3", "4", "5", "6"}, "8", "");
    form->Command3()->click();
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
    received.Un = 3; // neither unit: the box keeps its text
    showHeader(*form, received);
    EXPECT_EQ(form->Combo5()->currentText(), "anything");
}

} // namespace
} // namespace plandex::testing
