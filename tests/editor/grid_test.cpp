// The grid adapter over a real plan database: commits, row writes, selection,
// keys, mouse positions in twips and the keystrokes it is sent.
#include "cell_editing_fixture.h"
#include "delivered_database.h"
#include "twips.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

namespace plandex::testing {
namespace {

class GridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        ASSERT_TRUE(folder.isValid());
        store = std::make_unique<PlanStore>(
            copyDeliveredDatabase(folder.path(), {{1, "S1", "TV", 55.25, 6.5},
                                                  {2, "S2", "DIGI", 474, 8},
                                                  {3, "C5", "TV", 175.25, 5.5}}));
        window.resize(twipsToPixels(9600), twipsToPixels(7000));
        grid = new Grid(&window);
        grid->setGeometry(twipsToPixels(120), twipsToPixels(1080), twipsToPixels(9375),
                          twipsToPixels(6135));
        control.setConnectionString(store->databasePath());
        control.setRecordSource(SelectById);
        control.refresh();
        grid->setDataSource(&control);
        grid->setColumnNumberFormat(ColumnFreq, "0.00");
        grid->setColumnLocked(ColumnType, true);
        record();
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QTableView& view() const { return *qobject_cast<QTableView*>(grid->table()); }
    QModelIndex cell(int bookmark, int column) const {
        return view().model()->index(bookmark - 1, column);
    }
    // Types text into a cell's editor, as the user does, leaving the editor open.
    void typeInto(int bookmark, int column, const QString& text) {
        view().setCurrentIndex(cell(bookmark, column));
        view().edit(cell(bookmark, column));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
    }
    void settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    void record() {
        QObject::connect(grid, &Grid::beforeColUpdate, [this] { events << "beforeColUpdate"; });
        QObject::connect(grid, &Grid::afterColUpdate,
                         [this](int c) { events << QString("afterColUpdate %1").arg(c); });
        QObject::connect(grid, &Grid::beforeUpdate, [this](bool& cancel) {
            events << QString("beforeUpdate %1").arg(grid->currentBookmark());
            cancel = refuseWrites;
        });
        QObject::connect(grid, &Grid::change, [this] { ++changes; });
        QObject::connect(grid, &Grid::selChange, [this] { events << "selChange"; });
        QObject::connect(grid, &Grid::error, [this](int code, int& response) {
            events << QString("error %1").arg(code);
            response = 0;
        });
        QObject::connect(grid, &Grid::keyDown, [this](int key, int shift) {
            events << QString("keyDown %1 %2").arg(key).arg(shift);
        });
        QObject::connect(grid, &Grid::beforeDelete, [this](bool& cancel) {
            events << "beforeDelete";
            cancel = refuseDeletes;
        });
        QObject::connect(grid, &Grid::afterDelete, [this] { events << "afterDelete"; });
        QObject::connect(grid, &Grid::beforeInsert, [this](bool&) { events << "beforeInsert"; });
        QObject::connect(grid, &Grid::mouseDown, [this](int button, int shift, float x, float y) {
            mouse = {button, shift, x, y};
        });
    }

    QTemporaryDir folder;
    RecordingMessages messages;
    std::unique_ptr<PlanStore> store;
    QWidget window;
    DataControl control;
    Grid* grid = nullptr;
    QStringList events;
    int changes = 0;
    bool refuseWrites = false;
    bool refuseDeletes = false;
    struct {
        int button = 0, shift = 0;
        float x = 0, y = 0;
    } mouse;
};

TEST_F(GridTest, ShowsTheQueryInItsOrderWithTheNumberFormat) {
    EXPECT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->currentBookmark(), 1) << "the first row is current after a refresh";
    grid->setCurrentBookmark(2);
    EXPECT_EQ(grid->columnText(ColumnFreq), "474.00");
    EXPECT_DOUBLE_EQ(grid->columnValue(ColumnFreq).toDouble(), 474);
    EXPECT_EQ(grid->columnText(ColumnAudio1), "8");
    EXPECT_EQ(grid->columnValueAt(3, ColumnName).toString(), "C5");
    EXPECT_EQ(view().model()->data(cell(1, ColumnFreq)).toString(), "55.25");
}

TEST_F(GridTest, EditedCellCommitsToTheRowAndTheRowIsWrittenWhenLeft) {
    typeInto(1, ColumnName, "X1");
    EXPECT_EQ(changes, 2) << "one change per keystroke";
    grid->sendKeys("{ENTER}");
    EXPECT_TRUE(events.isEmpty()) << "keys take effect after the caller returned";
    settle();
    EXPECT_EQ(events, QStringList({"beforeColUpdate", "afterColUpdate 1"}));
    EXPECT_EQ(grid->columnValue(ColumnName).toString(), "X1");
    EXPECT_EQ(store->rows(OrderById).at(0).name, "S1") << "not written while the row is current";
    grid->sendKeys("{DOWN}");
    settle();
    EXPECT_EQ(events.last(), "beforeUpdate 1") << "the written row counts as current";
    EXPECT_EQ(grid->currentBookmark(), 2);
    EXPECT_EQ(store->rows(OrderById).at(0).name, "X1");
}

TEST_F(GridTest, MovingAwayWhileEditingCommitsFirstThenWritesTheRow) {
    typeInto(2, ColumnFreq, "480.5");
    view().setCurrentIndex(cell(3, ColumnFreq));
    settle();
    EXPECT_EQ(events, QStringList({"beforeColUpdate", "afterColUpdate 3", "beforeUpdate 2"}));
    EXPECT_DOUBLE_EQ(store->rows(OrderById).at(1).freq, 480.5);
}

TEST_F(GridTest, RefusedRowStaysUnwrittenAndKeepsTheGridOnIt) {
    refuseWrites = true;
    grid->setCurrentBookmark(1);
    grid->setColumnValue(ColumnType, "tv");
    view().setCurrentIndex(cell(3, ColumnName));
    settle();
    EXPECT_EQ(grid->currentBookmark(), 1);
    EXPECT_EQ(store->rows(OrderById).at(0).type, "TV");
    refuseWrites = false;
    grid->setColumnValue(ColumnType, "DIGI");
    grid->commitPendingEdits();
    EXPECT_EQ(store->rows(OrderById).at(0).type, "DIGI");
}

TEST_F(GridTest, LockedColumnRefusesTyping) {
    view().setCurrentIndex(cell(1, ColumnType));
    view().edit(cell(1, ColumnType));
    EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
    grid->setColumnLocked(ColumnType, false);
    view().edit(cell(1, ColumnType));
    EXPECT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
}

TEST_F(GridTest, TextThatIsNoNumberIsRefusedWithTheErrorNotification) {
    typeInto(1, ColumnFreq, "abc");
    grid->commitPendingEdits();
    EXPECT_EQ(events, QStringList({"beforeColUpdate",
                                   QString("error %1").arg(GridError::ValueNotConverted)}));
    EXPECT_DOUBLE_EQ(grid->columnValueAt(1, ColumnFreq).toDouble(), 55.25);
    EXPECT_TRUE(messages.shown.empty()) << "response 0 keeps the grid's own message away";
    grid->setColumnText(ColumnFreq, "60.5");
    EXPECT_DOUBLE_EQ(grid->columnValue(ColumnFreq).toDouble(), 60.5);
}

TEST_F(GridTest, ClearingTheModifiedMarkDropsThePendingEdit) {
    typeInto(1, ColumnName, "ZZ");
    grid->clearCellModified();
    grid->commitPendingEdits();
    EXPECT_EQ(grid->columnValue(ColumnName).toString(), "S1");
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(GridTest, SelectedRowsComeInSelectionOrder) {
    auto* selectors = view().verticalHeader();
    const auto rowCentre = [&](int bookmark) {
        return QPoint(selectors->width() / 2, selectors->sectionViewportPosition(bookmark - 1) + 5);
    };
    QTest::mouseClick(selectors->viewport(), Qt::LeftButton, {}, rowCentre(3));
    QTest::mouseClick(selectors->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(1));
    EXPECT_EQ(grid->selectedBookmarks(), std::vector<int>({3, 1}));
    EXPECT_EQ(grid->selectedCount(), 2);
    EXPECT_EQ(events.count("selChange"), 2);
    EXPECT_LT(mouse.x, 330) << "the record selectors lie left of the first column";
}

TEST_F(GridTest, MousePositionIsReportedInTwipsFromTheGridsCorner) {
    const QRect r = view().visualRect(cell(2, ColumnAudio1));
    QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, r.center());
    const QPoint inGrid = view().viewport()->mapTo(grid, r.center());
    EXPECT_EQ(mouse.button, 1);
    EXPECT_FLOAT_EQ(mouse.x, static_cast<float>(pixelsToTwips(inGrid.x())));
    EXPECT_FLOAT_EQ(mouse.y, static_cast<float>(pixelsToTwips(inGrid.y())));
    // Column 4 spans the Audio1 band the editing relies on.
    EXPECT_GT(mouse.x, 7320);
    EXPECT_LT(mouse.x, 9050);
    EXPECT_EQ(grid->currentColumn(), ColumnAudio1);
    EXPECT_EQ(grid->currentBookmark(), 2);
    // Within the rounding of each width to whole pixels and the frame.
    EXPECT_NEAR(grid->columnLeftTwips(ColumnAudio1), 330 + 4 * 1750, 60);
}

TEST_F(GridTest, RowsAreThreeHundredTwipsHighBelowCaptionAndTitles) {
    const QRect first = view().visualRect(cell(1, 0));
    const QRect second = view().visualRect(cell(2, 0));
    const int firstTop = view().viewport()->mapTo(grid, first.topLeft()).y();
    EXPECT_NEAR(pixelsToTwips(firstTop), 450, 15);
    EXPECT_EQ(second.top() - first.top(), twipsToPixels(300) + 1) << "cell and its grid line";
    EXPECT_EQ(grid->firstVisibleBookmark(), 1);
}

TEST_F(GridTest, KeysAreReportedWithTheirCodesAndShiftState) {
    view().setFocus();
    QTest::keyClick(&view(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&view(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&view(), Qt::Key_Insert);
    EXPECT_EQ(events,
              QStringList({"keyDown 67 2", "keyDown 86 3", "keyDown 45 0", "beforeInsert"}));
}

TEST_F(GridTest, DeleteKeyAsksTheHandlerBeforeTheGridDeletesSelectedRows) {
    view().selectRow(1);
    refuseDeletes = true;
    QTest::keyClick(&view(), Qt::Key_Delete);
    EXPECT_EQ(store->rowCount(), 3);
    EXPECT_FALSE(events.contains("afterDelete"));
    refuseDeletes = false;
    QTest::keyClick(&view(), Qt::Key_Delete);
    EXPECT_TRUE(events.contains("afterDelete"));
    EXPECT_EQ(store->rowCount(), 2);
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(store->rows(OrderById).at(1).name, "C5");
}

} // namespace
} // namespace plandex::testing
