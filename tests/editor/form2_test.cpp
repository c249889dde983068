// The main window: its load, captions, toolbar states and the commands Copy,
// Paste, Delete, Insert and Order on a real plan database, and the progress timer.
#include "cell_editing_fixture.h"
#include "delivered_database.h"
#include "twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace plandex::testing {
namespace {

class Form2Test : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        LanguageOffset = EnglishOffset;
    }
    void TearDown() override {
        form.reset();
        LanguageOffset = EnglishOffset;
    }
    void load(const std::vector<PlanRow>& rows) {
        form = std::make_unique<Form2>(PlanStore(copyDeliveredDatabase(folder.path(), rows)));
        form->show();
    }
    // The plan shown in ID order, as after Open or Insert.
    void showById() {
        form->RefreshDataGrid(CommandText, SelectById);
        QApplication::processEvents();
    }
    Grid& grid() const { return *form->Fregtable(); }
    QTableView& view() const { return *qobject_cast<QTableView*>(grid().table()); }
    // Selects whole rows as a user does with the record selectors, in this order.
    void selectRows(std::initializer_list<int> bookmarks) {
        for (int b : bookmarks)
            view().selectionModel()->select(view().model()->index(b - 1, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
    }
    std::vector<bool> buttonStates() const {
        std::vector<bool> states;
        for (int b = UploadButton; b <= OrderButton; ++b)
            states.push_back(form->isButtonEnabled(b));
        return states;
    }
    void setButtons(std::vector<bool> states) {
        for (int b = UploadButton; b <= OrderButton; ++b)
            form->setButtonEnabled(b, states[static_cast<std::size_t>(b - 1)]);
    }
    QStringList gridNames() const {
        QStringList names;
        for (int b = 1; b <= grid().rowCount(); ++b)
            names << grid().columnValueAt(b, ColumnName).toString();
        return names;
    }
    std::vector<PlanRow> stored() const { return form->store().rows(OrderById); }
    QStringList storedNames() const {
        QStringList names;
        for (const PlanRow& r : stored())
            names << r.name;
        return names;
    }
    static bool idsAreOneToN(const std::vector<PlanRow>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].id != static_cast<int>(i) + 1) return false;
        return true;
    }

    QTemporaryDir folder;
    RecordingMessages messages;
    std::unique_ptr<Form2> form;
};

const std::vector<bool> allEnabled(9, true);

TEST_F(Form2Test, AfterLoadOnlyUploadAndOpenAreEnabledAndTheGridIsEmpty) {
    load(rowsWithFrequencies({100, 200, 300}));
    EXPECT_EQ(buttonStates(),
              std::vector<bool>({true, false, true, false, false, false, false, false, false}));
    EXPECT_EQ(grid().rowCount(), 0) << "the plan of the previous run is not shown yet";
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
    EXPECT_FALSE(form->Timer1()->isActive());
    EXPECT_FALSE(form->Combo3()->isVisible());
    EXPECT_EQ(form->Combo3()->currentText(), "4.50");
    EXPECT_EQ(form->Combo3()->count(), 4);
    EXPECT_EQ(form->Combo5()->currentText(), "");
    EXPECT_EQ(form->Combo5()->itemText(1), "dBmV");
    EXPECT_TRUE(grid().columnLocked(ColumnType));
    EXPECT_TRUE(grid().columnLocked(ColumnAudio1));
    EXPECT_FALSE(grid().columnLocked(ColumnFreq));
    EXPECT_DOUBLE_EQ(grid().columnWidthTwips(ColumnFreq), 1750);
    EXPECT_DOUBLE_EQ(grid().rowHeightTwips(), 300);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Form2Test, EnglishCaptions) {
    load({});
    QStringList toolbar;
    for (int b = UploadButton; b <= OrderButton; ++b)
        toolbar << form->ToolKv()->button(b)->text();
    EXPECT_EQ(toolbar, QStringList({"Upload", "Download", "Open", "Save", "Copy", "Paste", "Insert",
                                    "Delete", "Order"}));
    EXPECT_EQ(grid().caption(), "  CH No");
    QStringList columns;
    for (int c = 0; c < GridColumnCount; ++c)
        columns << grid().columnCaption(c);
    EXPECT_EQ(columns, QStringList({"    ID", "STD CH", "  Type", "  Freq", "Audio Offset"}));
    EXPECT_EQ(form->Label3(0)->text(), "1st Favorite CH  ID");
    EXPECT_EQ(form->Label3(3)->text(), "3rd Favorite CH ID");
    EXPECT_EQ(form->Label3(7)->text(), "6th Favorite CH  ID");
    EXPECT_EQ(form->Label3(5)->text(), "Unit");
    EXPECT_EQ(form->Label4()->text(), "BW");
    EXPECT_EQ(form->Label5()->text(), "MHz");
    EXPECT_EQ(form->Frame3()->title(), "Favorites / Tilt");
    EXPECT_EQ(form->Command3()->text(), "Download");
    EXPECT_EQ(form->windowTitle(), "Plandex V1.25") << "in the window manager's frame";
}

TEST_F(Form2Test, ChineseCaptionsKeepTheirBlanks) {
    LanguageOffset = ChineseOffset;
    load({});
    EXPECT_EQ(form->ToolKv()->button(UploadButton)->text(), QString::fromUtf8("上传 "));
    EXPECT_EQ(form->ToolKv()->button(OrderButton)->text(), QString::fromUtf8("排序"));
    EXPECT_EQ(grid().caption(), QString::fromUtf8("   频道表"));
    EXPECT_EQ(grid().columnCaption(ColumnId), QString::fromUtf8("  序列号"));
    EXPECT_EQ(grid().columnCaption(ColumnAudio1), QString::fromUtf8("伴音"));
    EXPECT_EQ(form->Frame3()->title(), QString::fromUtf8("设置"));
    EXPECT_EQ(form->Label3(6)->text(), QString::fromUtf8("第5个喜好频道序号"));
    EXPECT_EQ(form->Command3()->text(), QString::fromUtf8("下传"));
    EXPECT_EQ(form->windowTitle(), "Plandex V1.25");
}

TEST_F(Form2Test, CopyAndPastePlaceEachCopyBesideItsOriginal) {
    load(rowsWithFrequencies({100, 200, 300, 400, 500, 600}));
    showById();
    setButtons(allEnabled);
    selectRows({5, 2});
    form->ToolKv_ButtonClick("Copy");
    EXPECT_EQ(form->CopiedIds, std::vector<std::int16_t>({5, 2})) << "in selection order";
    EXPECT_TRUE(form->isButtonEnabled(PasteButton));
    EXPECT_FALSE(form->isButtonEnabled(CopyButton));
    EXPECT_EQ(stored().size(), 6u) << "Copy writes nothing";

    form->ToolKv_ButtonClick("Paste");
    EXPECT_EQ(storedNames(), QStringList({"1", "2", "2", "3", "4", "5", "5", "6"}));
    EXPECT_TRUE(idsAreOneToN(stored()));
    EXPECT_EQ(gridNames(), storedNames()) << "the grid shows the stored order";
    EXPECT_FALSE(form->isButtonEnabled(CopyButton));
    EXPECT_FALSE(form->isButtonEnabled(DeleteButton));
    EXPECT_TRUE(form->isButtonEnabled(PasteButton));
}

TEST_F(Form2Test, PasteBeforeAnyCopyChangesNothing) {
    load(rowsWithFrequencies({100, 200}));
    showById();
    form->ToolKv_ButtonClick("Paste");
    EXPECT_EQ(storedNames(), QStringList({"1", "2"}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Form2Test, DeclinedDeleteKeepsTheRowsButShowsThemByFrequency) {
    load(rowsWithFrequencies({300, 100, 200}));
    showById();
    selectRows({2});
    messages.answers = {MessageAnswer::No};
    form->ToolKv_ButtonClick("Delete");
    ASSERT_EQ(messages.textIds(), std::vector<int>({TextId::ConfirmDelete}));
    EXPECT_EQ(messages.shown[0].style, MessageStyle::Question);
    EXPECT_EQ(messages.shown[0].title, "Plandex");
    EXPECT_EQ(storedNames(), QStringList({"1", "2", "3"}));
    EXPECT_EQ(gridNames(), QStringList({"2", "3", "1"})) << "frequency order";
    EXPECT_TRUE(form->isButtonEnabled(SaveButton));
    EXPECT_FALSE(form->isButtonEnabled(CopyButton));
    EXPECT_FALSE(form->isButtonEnabled(PasteButton));
    EXPECT_FALSE(form->isButtonEnabled(DeleteButton));
}

TEST_F(Form2Test, AcceptedDeleteRemovesTheSelectedRowsAndRenumbers) {
    load(rowsWithFrequencies({100, 200, 300, 400, 500}));
    showById();
    selectRows({4, 2});
    form->ToolKv_ButtonClick("Delete");
    EXPECT_EQ(storedNames(), QStringList({"1", "3", "5"}));
    EXPECT_TRUE(idsAreOneToN(stored()));
    EXPECT_EQ(gridNames(), QStringList({"1", "3", "5"}));
}

TEST_F(Form2Test, DeleteRemovesExactlyTheSelectedRowsWhenIdsRepeat) {
    load({{1, "A", "TV", 100, 6.5},
          {2, "B", "TV", 200, 6.5},
          {2, "C", "TV", 300, 6.5},
          {3, "D", "TV", 400, 6.5}});
    showById();
    EXPECT_TRUE(form->Fregtable()->columnLocked(ColumnId)) << "IDs are not typed";
    selectRows({2});
    form->ToolKv_ButtonClick("Delete");
    EXPECT_EQ(storedNames(), QStringList({"A", "C", "D"}));
    EXPECT_TRUE(idsAreOneToN(stored()));
}

TEST_F(Form2Test, DestroyingTheVisibleWindowRunsNoEntryCheck) {
    load({{1, "A", "XX", 100, 6.5}}); // a Type the leaving check refuses
    showById();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Fregtable()->table()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(form->Fregtable()->table()->hasFocus());
    form.reset();
    EXPECT_TRUE(messages.shown.empty()) << "the window was gone, not left";
}

TEST_F(Form2Test, InsertPutsTheNewRowAtTheCurrentRowAndMakesItsTypeCellCurrent) {
    std::vector<double> frequencies;
    for (int i = 0; i < 60; ++i)
        frequencies.push_back(100 + i);
    load(rowsWithFrequencies(frequencies));
    showById();
    int expectedRows = 60;
    for (int at : {29, 1, 30, 58, expectedRows + 4}) {
        grid().setCurrentBookmark(at);
        const int current = grid().currentBookmark();
        form->ToolKv_ButtonClick("Insert");
        ++expectedRows;
        QApplication::processEvents();
        const auto rows = stored();
        ASSERT_EQ(static_cast<int>(rows.size()), expectedRows) << at;
        EXPECT_TRUE(idsAreOneToN(rows));
        EXPECT_EQ(rows[static_cast<std::size_t>(current - 1)].name, "250") << at;
        EXPECT_DOUBLE_EQ(rows[static_cast<std::size_t>(current - 1)].freq, 46);
        EXPECT_EQ(grid().currentBookmark(), current) << at;
        EXPECT_EQ(grid().currentColumn(), ColumnType) << at;
        EXPECT_EQ(grid().columnValue(ColumnId).toInt(), current) << "ID order after Insert";
    }
    EXPECT_TRUE(form->isButtonEnabled(SaveButton));
    EXPECT_FALSE(form->isButtonEnabled(DeleteButton));
}

TEST_F(Form2Test, InsertIntoAnEmptyPlanAndDeclinedInsert) {
    load({});
    messages.answers = {MessageAnswer::No};
    form->ToolKv_ButtonClick("Insert");
    EXPECT_TRUE(stored().empty());
    EXPECT_TRUE(form->isButtonEnabled(SaveButton)) << "the buttons change all the same";
    form->ToolKv_ButtonClick("Insert");
    EXPECT_EQ(stored(), std::vector<PlanRow>({{1, "250", "TV", 46, 4.5}}));
    EXPECT_EQ(grid().rowCount(), 1);
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::ConfirmInsert, TextId::ConfirmInsert}));
}

TEST_F(Form2Test, InsertWith250ChannelsChangesNothing) {
    load(rowsWithFrequencies(std::vector<double>(250, 100.0)));
    showById();
    grid().setCurrentBookmark(10);
    form->ToolKv_ButtonClick("Insert");
    EXPECT_EQ(stored().size(), 250u);
    EXPECT_EQ(storedNames().at(9), "10");
}

TEST_F(Form2Test, OrderRenumbersByFrequency) {
    load(rowsWithFrequencies({300, 100, 200}));
    showById();
    form->ToolKv_ButtonClick("Order");
    EXPECT_EQ(storedNames(), QStringList({"2", "3", "1"}));
    EXPECT_TRUE(idsAreOneToN(stored()));
    EXPECT_EQ(gridNames(), QStringList({"2", "3", "1"}));
    EXPECT_TRUE(form->isButtonEnabled(SaveButton));
}

TEST_F(Form2Test, EditedCellIsWrittenBeforeACommandWorksOnThePlan) {
    load(rowsWithFrequencies({300, 100, 200}));
    showById();
    grid().setCurrentBookmark(1);
    grid().setColumnValue(ColumnFreq, 50.0); // pending in the grid's row
    form->ToolKv_ButtonClick("Order");
    EXPECT_EQ(storedNames(), QStringList({"1", "2", "3"}));
    EXPECT_DOUBLE_EQ(stored().at(0).freq, 50);
}

TEST_F(Form2Test, ProgressTimerStepsByFiveUpToMaximumLessSix) {
    load({});
    QProgressBar* bar = form->ProgressBar1();
    bar->setRange(1, 100);
    bar->setValue(2);
    std::vector<int> values;
    for (int tick = 0; tick < 25; ++tick) {
        form->Timer1_Timer();
        values.push_back(bar->value());
    }
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values[1], 12);
    EXPECT_EQ(values[18], 97);
    EXPECT_EQ(values[19], 97);
    EXPECT_EQ(values.back(), 97);
}

TEST_F(Form2Test, TheWindowManagersFrameCarriesTheTitleAndTheClose) {
    load({});
    EXPECT_EQ(form->findChild<QToolButton*>("Command10"), nullptr) << "no drawn close button";
    EXPECT_EQ(form->Fregtable()->y(), twipsToPixels(630)) << "no drawn title strip above";
    form->close();
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace plandex::testing
