#include "cell_editing.h"

#include "Form2.h"
#include "grid.h"
#include "grid_keys.h"
#include "messages.h"
#include "texts.h"
#include "toolbar.h"
#include "twips.h"
#include "validation.h"
#include "validation_numbers.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <cmath>

namespace plandex {
namespace {

constexpr double RowHeightTwips = 300;
// Pointer bands, in twips from the grid's left edge: left of the first column,
// and the Audio1 column.
constexpr float FirstColumnStart = 330;
constexpr float Audio1BandStart = 7320, Audio1BandEnd = 9050;

// Top of the editor for the n-th visible row below the grid's top edge:
// 300 · n + (0.03 · n + 1) · 450, rounded to the nearest (halves to even).
double editorOffsetTwips(int n) {
    return RowHeightTwips * n + std::nearbyint((0.03 * n + 1) * 450);
}

} // namespace

CellEditing::CellEditing(Form2& form, ChannelEntryChecks& checks)
    : QObject(&form), form_(form), checks_(checks) {
    setObjectName("CellEditing");
    connectGrid();
    connect(qApp, &QApplication::focusChanged, this, &CellEditing::onFocusChanged);
    connect(form.Combo3(), &QComboBox::activated, this, &CellEditing::writeChosenValue);
    // A re-read puts other channels under the rows: the list belonged to the
    // channel it was opened for and goes, unwritten.
    connect(form.Adodc1(), &QAbstractItemModel::modelReset, this, [this] {
        editorBookmark_ = 0;
        form_.Combo3()->hide();
    });
}

void CellEditing::commitOpenEditor() {
    if (form_.Combo3()->isVisible()) CloseCellEditor();
}

void CellEditing::connectGrid() {
    Grid* grid = form_.Fregtable();
    connect(grid, &Grid::beforeColUpdate, &checks_, &ChannelEntryChecks::SnapshotStoredRows);
    connect(grid, &Grid::afterColUpdate, &checks_, &ChannelEntryChecks::ValidateCellEdit);
    connect(grid, &Grid::beforeUpdate, &checks_, &ChannelEntryChecks::ValidateRowBeforeWrite);
    connect(grid, &Grid::buttonClick, this, &CellEditing::OpenCellEditor);
    connect(grid, &Grid::mouseDown, this, &CellEditing::HandleGridMouse);
    connect(grid, &Grid::keyDown, this, &CellEditing::HandleGridKey);
    connect(grid, &Grid::beforeInsert, this, [this](bool& cancel) {
        // Failing like the toolbar's Insert: said, and nothing leaves the key handler.
        bool inserted = false;
        form_.runStoreStep(Text(TextId::Insert).trimmed(),
                           [&] { inserted = form_.InsertChannel(); });
        if (!inserted) cancel = true;
    });
    connect(grid, &Grid::beforeDelete, this, [](bool& cancel) {
        // Rows go only through the toolbar's Delete, which asks Yes or No.
        ask(TextId::ConfirmDelete, MessageStyle::Exclamation);
        cancel = true;
    });
    connect(grid, &Grid::afterDelete, this, [this] { form_.setButtonEnabled(PasteButton, false); });
    connect(grid, &Grid::change, this, [this] { form_.setButtonEnabled(SaveButton, true); });
    connect(grid, &Grid::selChange, this, [this] {
        form_.setButtonEnabled(CopyButton, true);
        form_.setButtonEnabled(DeleteButton, true);
    });
    connect(grid, &Grid::scroll, this, [this] { form_.Combo3()->hide(); });
    // Text that does not convert is dealt with by the entry checks; a row the
    // database refused is said by the grid at once.
    connect(grid, &Grid::error, this, [](int code, int& response) {
        if (code != GridError::RowNotWritten) response = 0;
    });
    // On leaving the grid: a check on entering it would run again each time a
    // message box hands the focus back, without end.
    connect(grid, &Grid::lostFocus, this, [this] {
        // The focus going to a message box (this check's own, where no window
        // manager keeps it in place) is no leaving of the grid.
        if (checkingOnLeave_ || QApplication::activeModalWidget()) return;
        checkingOnLeave_ = true;
        checks_.ValidateCellEdit(ColumnType);
        checkingOnLeave_ = false;
    });
}

void CellEditing::OpenCellEditor(int column) {
    Grid& grid = *form_.Fregtable();
    QComboBox& editor = *form_.Combo3();
    const int n = grid.currentBookmark() - grid.firstVisibleBookmark();
    const double top = grid.topTwips() + editorOffsetTwips(n);
    if (column == ColumnAudio1) {
        const double left = grid.leftTwips() + grid.columnLeftTwips(ColumnAudio1);
        editor.setGeometry(twipsToPixels(left), twipsToPixels(top),
                           twipsToPixels(grid.columnWidthTwips(ColumnAudio1)), editor.height());
        editorColumn = ColumnAudio1;
        editorBookmark_ = grid.currentBookmark();
        editor.setCurrentText(grid.columnText(ColumnAudio1));
        valueAtOpen_ = editor.currentText();
        editor.raise();
        editor.show();
    }
    checks_.ValidateCellEdit(editorColumn);
}

void CellEditing::CloseCellEditor() {
    writeChosenValue();
    form_.Combo3()->hide();
    checks_.ValidateCellEdit(ColumnAudio1);
}

void CellEditing::writeChosenValue() {
    const QString chosen = form_.Combo3()->currentText();
    Grid& grid = *form_.Fregtable();
    if (chosen == valueAtOpen_ || editorBookmark_ < 1 || grid.currentBookmark() != editorBookmark_)
        return;
    grid.setColumnText(editorColumn, chosen);
    valueAtOpen_ = chosen;
}

void CellEditing::HandleGridMouse(int button, int, float x, float) {
    if (x < FirstColumnStart) return;
    Grid& grid = *form_.Fregtable();
    if (x > Audio1BandStart && x < Audio1BandEnd) grid.setCurrentColumn(ColumnAudio1);
    // The editor belongs to its cell: once another cell is current it goes, unwritten.
    if (grid.currentBookmark() != editorBookmark_ || grid.currentColumn() != ColumnAudio1)
        form_.Combo3()->hide();
    if (mouseSeen == 1 && grid.currentColumn() == ColumnAudio1) {
        form_.Combo3()->show();
        OpenCellEditor(ColumnAudio1);
    }
    form_.setButtonEnabled(DeleteButton, false);
    form_.setButtonEnabled(CopyButton, false);
    if (button != LeftButton) return;

    grid.setColumnLocked(ColumnFreq, false);
    const int column = grid.currentColumn();
    const int bookmark = grid.currentBookmark();
    if (column == lastClickCol && bookmark == lastClickRow) {
        if (column == ColumnType) {
            lastClickRow = -1;
            SwitchType();
        } else if (column == ColumnFreq) {
            // Drop the typing in progress and write the row, staying on the cell.
            grid.clearCellModified();
            QMetaObject::invokeMethod(
                &grid, [&grid] { grid.commitPendingEdits(); }, Qt::QueuedConnection);
        }
    } else {
        grid.sendKeys(QStringLiteral("{ENTER}"));
        lastClickRow = static_cast<std::int16_t>(bookmark);
        lastClickCol = static_cast<std::int16_t>(column);
    }
    mouseSeen = 1;
}

void CellEditing::SwitchType() {
    Grid& grid = *form_.Fregtable();
    const double span = leadingNumber(form_.Text1(SpanElement)->text());
    const double freq = leadingNumber(grid.columnText(ColumnFreq));
    const double correction = span / 2 - 1.25;
    const QString type = grid.columnText(ColumnType);
    if (type == u"TV") {
        grid.setColumnText(ColumnType, QStringLiteral("DIGI"));
        grid.setColumnText(ColumnFreq, plainDecimal(freq + correction, 15));
    } else if (type == u"DIGI") {
        grid.setColumnText(ColumnFreq, plainDecimal(freq - correction, 15));
        grid.setColumnText(ColumnType, QStringLiteral("TV"));
    }
}

void CellEditing::HandleGridKey(int keyCode, int shift) {
    if (keyCode == KeyCode::Delete)
        form_.ToolKv_ButtonClick(QStringLiteral("Delete"));
    else if (keyCode == KeyCode::C && shift == CtrlMask)
        form_.ToolKv_ButtonClick(QStringLiteral("Copy"));
    else if (keyCode == KeyCode::V && shift == CtrlMask)
        form_.ToolKv_ButtonClick(QStringLiteral("Paste"));
}

bool CellEditing::isInEditor(const QWidget* widget) const {
    // Walks up through windows too, so the editor's drop-down list counts.
    for (; widget; widget = widget->parentWidget())
        if (widget == form_.Combo3()) return true;
    return false;
}

void CellEditing::onFocusChanged(QWidget* old, QWidget* now) {
    // A window losing activation (now empty) is not the editor losing the focus.
    if (now && isInEditor(old) && !isInEditor(now)) CloseCellEditor();
}

void installCellEditing(Form2& form) {
    auto* checks = new ChannelEntryChecks(form);
    new CellEditing(form, *checks);
}

} // namespace plandex
