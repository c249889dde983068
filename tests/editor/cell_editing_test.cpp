// Editing inside the grid of the main window: the Audio1 editor over its cell,
// the mouse pairing and the Type toggle, keys and the grid's own requests.
#include "cell_editing_fixture.h"
#include "event_waits.h"
#include "twips.h"

#include <QMouseEvent>
#include <QTableView>

namespace plandex::testing {
namespace {

class CellEditingTest : public EditorWindowTest {
  protected:
    std::vector<PlanRow> initialRows() const override {
        std::vector<PlanRow> rows{{1, "S1", "TV", 471.25, 6.5}};
        for (int id = 2; id <= 8; ++id)
            rows.push_back({id, QString::number(id), "DIGI", 474.0 + 8 * id, 8});
        return rows;
    }
    void SetUp() override {
        EditorWindowTest::SetUp();
        showPlan();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QTableView& view() const { return *qobject_cast<QTableView*>(grid().table()); }
    QComboBox& audioEditor() const { return *form->Combo3(); }
    // Rectangle of a cell in the window's coordinates.
    QRect cellRect(int bookmark, int column) const {
        const QRect r = view().visualRect(view().model()->index(bookmark - 1, column));
        return QRect(view().viewport()->mapTo(form.get(), r.topLeft()), r.size());
    }
    void clickCell(int bookmark, int column, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(view().viewport(), button, {},
                          view().visualRect(view().model()->index(bookmark - 1, column)).center());
        QApplication::processEvents();
    }
    float twipsXOfColumn(int column) const {
        return static_cast<float>(grid().columnLeftTwips(column) + 100);
    }
};

TEST_F(CellEditingTest, Audio1EditorOpensOverTheThirdVisibleRow) {
    grid().setCurrentBookmark(3);
    editing->OpenCellEditor(ColumnAudio1);
    EXPECT_TRUE(audioEditor().isVisible());
    EXPECT_EQ(editing->editorColumn, ColumnAudio1);
    const QRect expected(twipsToPixels(grid().leftTwips() + grid().columnLeftTwips(ColumnAudio1)),
                         twipsToPixels(grid().topTwips() + 1077), twipsToPixels(1750),
                         audioEditor().height());
    EXPECT_EQ(audioEditor().geometry(), expected);
    // And that is where the grid draws the cell, to within a pixel.
    const QRect cell = cellRect(3, ColumnAudio1);
    EXPECT_LE(std::abs(audioEditor().x() - cell.x()), 1);
    EXPECT_LE(std::abs(audioEditor().y() - cell.y()), 1);
    EXPECT_LE(std::abs(audioEditor().width() - cell.width()), 1);
    EXPECT_DOUBLE_EQ(grid().columnValueAt(3, ColumnAudio1).toDouble(), 8)
        << "opening leaves the cell as it is";
    EXPECT_EQ(audioEditor().currentText(), grid().columnText(ColumnAudio1))
        << "the list opens on the cell's own value";
}

TEST_F(CellEditingTest, Audio1ListWritesOnlyAChoiceAndOnlyIntoItsOwnRow) {
    audioEditor().setCurrentText("6.00"); // the value chosen last time, elsewhere
    clickCell(2, ColumnAudio1);
    clickCell(2, ColumnAudio1);
    ASSERT_TRUE(audioEditor().isVisible());
    EXPECT_DOUBLE_EQ(grid().columnValueAt(2, ColumnAudio1).toDouble(), 8) << "one click, no choice";

    clickCell(4, ColumnName);
    EXPECT_FALSE(audioEditor().isVisible()) << "the list goes with its cell";
    const int fivePointFive = audioEditor().findText("5.50");
    audioEditor().setCurrentIndex(fivePointFive);
    emit audioEditor().activated(fivePointFive); // a late pick in the list of row 2
    EXPECT_DOUBLE_EQ(grid().columnValueAt(4, ColumnAudio1).toDouble(), 8) << "not into row 4";
    EXPECT_DOUBLE_EQ(grid().columnValueAt(2, ColumnAudio1).toDouble(), 8);

    clickCell(3, ColumnAudio1);
    clickCell(3, ColumnAudio1);
    ASSERT_TRUE(audioEditor().isVisible());
    audioEditor().setCurrentIndex(fivePointFive);
    emit audioEditor().activated(fivePointFive);
    EXPECT_DOUBLE_EQ(grid().columnValueAt(3, ColumnAudio1).toDouble(), 5.5) << "a pick writes";
    EXPECT_DOUBLE_EQ(grid().columnValueAt(2, ColumnAudio1).toDouble(), 8);
}

// Paste and the other commands read the grid again, in another order: the list
// opened for one channel must not write into the channel now in its row.
TEST_F(CellEditingTest, Audio1ListGoesWhenTheGridIsReadAgain) {
    clickCell(2, ColumnAudio1);
    clickCell(2, ColumnAudio1);
    ASSERT_TRUE(audioEditor().isVisible());
    const auto before = storedRows();
    form->RefreshDataGrid(CommandText, "SELECT * FROM ChannelPlanUser ORDER BY Freq DESC");
    EXPECT_FALSE(audioEditor().isVisible());
    grid().setCurrentBookmark(2); // another channel now
    const int fivePointFive = audioEditor().findText("5.50");
    audioEditor().setCurrentIndex(fivePointFive);
    emit audioEditor().activated(fivePointFive);
    form->ToolKv_ButtonClick("Order"); // writes whatever the grid holds
    for (int b = 1; b <= grid().rowCount(); ++b)
        EXPECT_NE(grid().columnValueAt(b, ColumnAudio1).toDouble(), 5.5) << "row " << b;
    for (const PlanRow& row : storedRows())
        EXPECT_NE(row.audio1, 5.5) << "channel " << row.name.toStdString();
    EXPECT_EQ(storedRows().size(), before.size());
}

// A value typed into the list and not yet confirmed is the user's edit: a job
// with the meter takes it along, as it takes a cell being edited.
TEST_F(CellEditingTest, Audio1ValueTypedButNotConfirmedIsWrittenBeforeAJob) {
    clickCell(2, ColumnAudio1);
    clickCell(2, ColumnAudio1);
    ASSERT_TRUE(audioEditor().isVisible());
    audioEditor().setCurrentText("6.00");
    form->ToolKv_ButtonClick("Download");
    ASSERT_EVENTUALLY(!form->transferRunning(), 20000);
    EXPECT_DOUBLE_EQ(storedRows().at(1).audio1, 6.0);
    EXPECT_FALSE(audioEditor().isVisible());
}

TEST_F(CellEditingTest, EditorTopFollowsTheRowFormula) {
    const int expected[] = {450, 764, 1077, 1391, 1704, 2018};
    for (int n = 0; n < 6; ++n) {
        grid().setCurrentBookmark(n + 1);
        editing->OpenCellEditor(ColumnAudio1);
        EXPECT_EQ(audioEditor().y(), twipsToPixels(grid().topTwips() + expected[n])) << n;
    }
}

TEST_F(CellEditingTest, FirstMouseNotificationDoesNotOpenTheEditor) {
    clickCell(2, ColumnName, Qt::RightButton);
    EXPECT_EQ(editing->mouseSeen, 0) << "right button";
    clickCell(2, ColumnAudio1);
    EXPECT_EQ(grid().currentColumn(), ColumnAudio1);
    EXPECT_FALSE(audioEditor().isVisible());
    EXPECT_EQ(editing->mouseSeen, 1);
    clickCell(4, ColumnAudio1);
    EXPECT_TRUE(audioEditor().isVisible());
    EXPECT_EQ(audioEditor().geometry().topLeft(), cellRect(4, ColumnAudio1).topLeft());
}

TEST_F(CellEditingTest, PointerLeftOfTheFirstColumnChangesNothing) {
    grid().setCurrentColumn(ColumnName);
    form->setButtonEnabled(CopyButton, true);
    form->setButtonEnabled(DeleteButton, true);
    editing->HandleGridMouse(LeftButton, 0, 300, 600);
    EXPECT_EQ(grid().currentColumn(), ColumnName);
    EXPECT_TRUE(form->isButtonEnabled(CopyButton));
    EXPECT_TRUE(form->isButtonEnabled(DeleteButton));
    EXPECT_EQ(editing->mouseSeen, 0);
    editing->HandleGridMouse(LeftButton, 0, 8000, 600);
    EXPECT_EQ(grid().currentColumn(), ColumnAudio1) << "the Audio1 band";
    EXPECT_FALSE(form->isButtonEnabled(CopyButton));
    EXPECT_FALSE(form->isButtonEnabled(DeleteButton));
}

TEST_F(CellEditingTest, QuickSecondClickOnTypeTogglesItToo) {
    clickCell(1, ColumnType);
    // The second press of a quick second click arrives as a double-click.
    const QPoint at = view().visualRect(view().model()->index(0, ColumnType)).center();
    QMouseEvent second(QEvent::MouseButtonDblClick, at, view().viewport()->mapToGlobal(at),
                       Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(view().viewport(), &second);
    QApplication::processEvents();
    EXPECT_EQ(grid().columnText(ColumnType), "DIGI");
}

TEST_F(CellEditingTest, SecondClickOnTypeTogglesItWithTheSpanCorrection) {
    field(SpanElement).setText("8");
    const auto typeAndFreq = [&] {
        return std::make_pair(grid().columnValueAt(1, ColumnType).toString(),
                              grid().columnValueAt(1, ColumnFreq).toDouble());
    };
    clickCell(1, ColumnType);
    EXPECT_EQ(typeAndFreq(), std::make_pair(QString("TV"), 471.25)) << "first click: a new cell";
    clickCell(1, ColumnType);
    EXPECT_EQ(typeAndFreq(), std::make_pair(QString("DIGI"), 474.0));
    EXPECT_EQ(editing->lastClickRow, -1);
    clickCell(1, ColumnType);
    EXPECT_EQ(typeAndFreq(), std::make_pair(QString("DIGI"), 474.0)) << "third: a new cell";
    clickCell(1, ColumnType);
    EXPECT_EQ(typeAndFreq(), std::make_pair(QString("TV"), 471.25));
}

TEST_F(CellEditingTest, SecondClickOnFreqWritesTheRowAndStaysOnTheCell) {
    clickCell(3, ColumnName);
    grid().setColumnText(ColumnName, "AB"); // a changed row, not yet written
    clickCell(3, ColumnFreq);
    EXPECT_EQ(storedRows()[2].name, "3") << "first click: a new cell";
    clickCell(3, ColumnFreq);
    QApplication::processEvents();
    EXPECT_EQ(storedRows()[2].name, "AB");
    EXPECT_EQ(grid().currentBookmark(), 3);
    EXPECT_EQ(grid().currentColumn(), ColumnFreq);
    EXPECT_FALSE(grid().columnLocked(ColumnFreq));
}

TEST_F(CellEditingTest, TypeSwitchWithEmptySpanLowersTheFrequency) {
    grid().setCurrentBookmark(1);
    editing->SwitchType();
    EXPECT_EQ(grid().columnValueAt(1, ColumnType).toString(), "DIGI");
    EXPECT_DOUBLE_EQ(grid().columnValueAt(1, ColumnFreq).toDouble(), 470);
}

TEST_F(CellEditingTest, CtrlCCopiesEvenWithTheButtonDisabled) {
    view().selectRow(1);
    view().selectionModel()->select(view().model()->index(3, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QApplication::processEvents();
    EXPECT_TRUE(form->isButtonEnabled(CopyButton)) << "selecting rows enables Copy";
    form->setButtonEnabled(CopyButton, false);
    view().setFocus();
    QTest::keyClick(&view(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(form->CopiedIds.empty()) << "Ctrl+Shift+C does nothing";
    QTest::keyClick(&view(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->CopiedIds, (std::vector<std::int16_t>{2, 4}));
    EXPECT_TRUE(form->isButtonEnabled(PasteButton));
    QTest::keyClick(&view(), Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(storedRows().size(), 10u);
}

TEST_F(CellEditingTest, DeleteKeyRunsTheToolbarsDelete) {
    view().selectRow(1);
    QApplication::processEvents();
    view().setFocus();
    messages.answers = {MessageAnswer::No};
    QTest::keyClick(&view(), Qt::Key_Delete);
    QApplication::processEvents();
    EXPECT_EQ(storedRows().size(), 8u);
    ASSERT_EQ(messages.textIds(), std::vector<int>{TextId::ConfirmDelete});
    EXPECT_EQ(messages.shown.back().style, MessageStyle::Question);

    view().selectRow(1);
    QApplication::processEvents();
    QTest::keyClick(&view(), Qt::Key_Delete); // answered Yes
    QApplication::processEvents();
    EXPECT_EQ(storedRows().size(), 7u);
    EXPECT_EQ(storedRows()[1].name, "3") << "ID 2 is gone and the rest renumbered";
}

TEST_F(CellEditingTest, GridsOwnDeletionIsRefused) {
    view().selectRow(1);
    QApplication::processEvents();
    bool cancel = false;
    emit grid().beforeDelete(cancel);
    EXPECT_TRUE(cancel);
    ASSERT_EQ(messages.textIds(), std::vector<int>{TextId::ConfirmDelete});
    EXPECT_EQ(messages.shown.back().style, MessageStyle::Exclamation);
    EXPECT_EQ(storedRows().size(), 8u);
}

TEST_F(CellEditingTest, InsertKeyAsksAndInsertsOnlyOnYes) {
    view().setFocus();
    messages.answers = {MessageAnswer::No};
    QTest::keyClick(&view(), Qt::Key_Insert);
    EXPECT_EQ(storedRows().size(), 8u);
    QTest::keyClick(&view(), Qt::Key_Insert);
    EXPECT_EQ(storedRows().size(), 9u);
    EXPECT_EQ(messages.textIds(), (std::vector<int>{TextId::ConfirmInsert, TextId::ConfirmInsert}));
}

TEST_F(CellEditingTest, EditorLosingTheFocusWritesItsTextAndHides) {
    grid().setCurrentBookmark(2);
    editing->OpenCellEditor(ColumnAudio1);
    audioEditor().setCurrentText("6.00");
    audioEditor().setFocus();
    QApplication::processEvents();
    view().setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(audioEditor().isVisible());
    EXPECT_DOUBLE_EQ(grid().columnValueAt(2, ColumnAudio1).toDouble(), 6.0);
}

TEST_F(CellEditingTest, GridEventsDriveTheButtonsAndTheEditor) {
    grid().setCurrentBookmark(2);
    editing->OpenCellEditor(ColumnAudio1);
    emit grid().scroll();
    EXPECT_FALSE(audioEditor().isVisible()) << "scrolling hides the editor";
    emit grid().change();
    EXPECT_TRUE(form->isButtonEnabled(SaveButton));
    form->setButtonEnabled(PasteButton, true);
    emit grid().afterDelete();
    EXPECT_FALSE(form->isButtonEnabled(PasteButton));
    int response = 1;
    emit grid().error(GridError::ValueNotConverted, response);
    EXPECT_EQ(response, 0) << "the grid's own error box stays away";
}

} // namespace
} // namespace plandex::testing
