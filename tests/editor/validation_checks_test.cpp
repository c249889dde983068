// The entry checks as the user meets them: values typed into grid cells and
// side-panel fields of the main window, on a real plan database.
#include "cell_editing_fixture.h"

#include <QSignalBlocker>
#include <QTableView>

namespace plandex::testing {
namespace {

class ValidationTest : public EditorWindowTest {
  protected:
    std::vector<PlanRow> initialRows() const override {
        // IDs deliberately not in frequency order; row 2 has no audio offset.
        return {{1, "S1", "TV", 500, 6.5}, {2, "S2", "DIGI", 100, 0}, {3, "S3", "TV", 300, 6.5}};
    }
    void SetUp() override {
        EditorWindowTest::SetUp();
        showPlan();
    }
    QTableView& view() const { return *qobject_cast<QTableView*>(grid().table()); }
    // Types text into a cell of the row with this bookmark and presses Enter.
    void typeIntoCell(int bookmark, int column, const QString& text) {
        grid().setCurrentBookmark(bookmark);
        grid().setCurrentColumn(column);
        view().setFocus();
        view().edit(view().currentIndex());
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_TRUE(editor) << "cell editor open";
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QApplication::processEvents();
    }
    QString cellText(int bookmark, int column) const {
        return grid().columnValueAt(bookmark, column).toString();
    }
};

TEST_F(ValidationTest, StdChOfOneToThreeCharactersIsAccepted) {
    for (const char* name : {"A", "AB1", "999"}) {
        typeIntoCell(1, ColumnName, name);
        EXPECT_EQ(cellText(1, ColumnName), name);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ValidationTest, StdChOfWrongLengthBringsBackTheStoredName) {
    for (const char* name : {"", "ABCD"}) {
        typeIntoCell(1, ColumnName, name);
        EXPECT_EQ(cellText(1, ColumnName), "S1") << name;
    }
    EXPECT_EQ(messages.textIds(), (std::vector<int>{26, 26}));
    EXPECT_EQ(messages.shown.front().style, MessageStyle::Exclamation);
    EXPECT_EQ(messages.shown.front().title, "Plandex");
    EXPECT_EQ(messages.shown.front().prompt, " Must be from 1 to 3 characters !");
}

TEST_F(ValidationTest, StdChWithAChineseCharacterIsRefusedOnEverySystem) {
    typeIntoCell(1, ColumnName, QString::fromUtf8("A频"));
    EXPECT_EQ(cellText(1, ColumnName), "S1");
    LanguageOffset = ChineseOffset;
    typeIntoCell(1, ColumnName, QString::fromUtf8("频"));
    EXPECT_EQ(cellText(1, ColumnName), "S1");
    EXPECT_EQ(messages.textIds(), (std::vector<int>{59, 59}));
    EXPECT_EQ(messages.shown.back().prompt, QString::fromUtf8("'标准频道号'不能用汉字"));
}

TEST_F(ValidationTest, FreqBandEndsAreAcceptedAndBeyondThemRestored) {
    // Row 2 (ID 2) has Audio1 0, so only the band itself counts.
    typeIntoCell(2, ColumnFreq, "46");
    typeIntoCell(2, ColumnFreq, "1000");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_DOUBLE_EQ(grid().columnValueAt(2, ColumnFreq).toDouble(), 1000);
    typeIntoCell(2, ColumnFreq, "45.99");
    EXPECT_DOUBLE_EQ(grid().columnValueAt(2, ColumnFreq).toDouble(), 100) << "stored value";
    typeIntoCell(2, ColumnFreq, "1000.01");
    EXPECT_DOUBLE_EQ(grid().columnValueAt(2, ColumnFreq).toDouble(), 100);
    EXPECT_EQ(messages.textIds(), (std::vector<int>{27, 27}));
}

TEST_F(ValidationTest, FreqMustLeaveRoomForHalfOfAudio1) {
    typeIntoCell(1, ColumnFreq, "49.25"); // 49.25 - 6.5 / 2 is exactly 46
    EXPECT_TRUE(messages.shown.empty());
    typeIntoCell(1, ColumnFreq, "48");
    EXPECT_EQ(messages.textIds(), std::vector<int>{30});
    EXPECT_DOUBLE_EQ(grid().columnValueAt(1, ColumnFreq).toDouble(), 500);
}

TEST_F(ValidationTest, RestoredValueIsFoundByIdWhateverTheGridOrder) {
    form->RefreshDataGrid(CommandText, SelectByFreq); // IDs 2, 3, 1 from the top
    ASSERT_EQ(bookmarkOfId(2), 1);
    typeIntoCell(1, ColumnFreq, "2000");
    EXPECT_DOUBLE_EQ(grid().columnValueAt(1, ColumnFreq).toDouble(), 100);
    typeIntoCell(3, ColumnName, "ABCD");
    EXPECT_EQ(cellText(3, ColumnName), "S1");
    EXPECT_EQ(messages.textIds(), (std::vector<int>{27, 26}));
}

TEST_F(ValidationTest, RowWithoutStoredTwinGetsItsValueFromBeforeTheEdit) {
    // IDs are not typed; a row's ID not yet written leaves it without a stored twin.
    grid().setCurrentBookmark(1);
    grid().setColumnValue(ColumnId, 99);
    typeIntoCell(1, ColumnName, "ABCD");
    EXPECT_EQ(cellText(1, ColumnName), "S1");
    typeIntoCell(1, ColumnFreq, "5000");
    EXPECT_DOUBLE_EQ(grid().columnValueAt(1, ColumnFreq).toDouble(), 500);
    EXPECT_EQ(messages.textIds(), (std::vector<int>{26, 27}));
}

class LowerCaseTypeTest : public ValidationTest {
  protected:
    std::vector<PlanRow> initialRows() const override {
        return {{1, "S1", "tv", 500, 6.5}, {2, "S2", "TV", 100, 6.5}};
    }
};

TEST_F(LowerCaseTypeTest, RowWithLowerCaseTvIsNotWritten) {
    typeIntoCell(1, ColumnName, "AB");
    EXPECT_TRUE(messages.shown.empty()) << "the name itself is fine";
    grid().setCurrentBookmark(2); // leaving the row writes it
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(messages.textIds(), std::vector<int>{39});
    EXPECT_EQ(storedRows().front().name, "S1") << "the change was not written";
    EXPECT_EQ(grid().currentBookmark(), 1) << "the grid stays on the refused row";
    EXPECT_FALSE(form->isButtonEnabled(SaveButton));
}

TEST_F(ValidationTest, WrittenRowEnablesSave) {
    ASSERT_FALSE(form->isButtonEnabled(SaveButton));
    typeIntoCell(1, ColumnName, "AB");
    grid().setCurrentBookmark(2);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(storedRows().front().name, "AB");
    EXPECT_TRUE(form->isButtonEnabled(SaveButton));
}

TEST_F(ValidationTest, FavouriteIdsKeystrokeByKeystroke) {
    QTest::keyClicks(&field(0), "250");
    EXPECT_EQ(field(0).text(), "250");
    EXPECT_TRUE(messages.shown.empty());
    QTest::keyClicks(&field(0), "1");
    EXPECT_EQ(field(0).text(), "");
    QTest::keyClicks(&field(6), "12a");
    EXPECT_EQ(field(6).text(), "");
    EXPECT_EQ(messages.textIds(), (std::vector<int>{67, 67}));
    EXPECT_EQ(messages.shown.front().prompt, "Please input correct ID ");
}

TEST_F(ValidationTest, SpanKeystrokeByKeystroke) {
    QTest::keyClicks(&field(SpanElement), "8.5");
    EXPECT_EQ(field(SpanElement).text(), "8.5");
    EXPECT_TRUE(messages.shown.empty());

    field(SpanElement).clear();
    QTest::keyClicks(&field(SpanElement), "1");
    EXPECT_EQ(field(SpanElement).text(), "");
    EXPECT_EQ(messages.textIds(), std::vector<int>{29});

    QTest::keyClicks(&field(SpanElement), "8,");
    EXPECT_EQ(field(SpanElement).text(), "") << "cleared at the comma, silently";
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(ValidationTest, ClearingAFieldRunsTheChecksAgainForTheNextOne) {
    {
        const QSignalBlocker blockSecond(&field(1));
        const QSignalBlocker blockSixth(&field(6));
        field(1).setText("x");
        field(6).setText("300");
    }
    field(SpanElement).setText("1");
    EXPECT_EQ(messages.textIds(), (std::vector<int>{67, 67}));
    EXPECT_EQ(field(1).text(), "");
    EXPECT_EQ(field(6).text(), "");
    // The re-runs were for the cleared favourites, so the span was not checked.
    EXPECT_EQ(field(SpanElement).text(), "1");
}

} // namespace
} // namespace plandex::testing
