// Fregtable, the plan grid: a caption above a table bound to the data control
// Adodc1. It offers what the editor's windows need of a data grid, in the
// grid's own terms: bookmarks are 1-based row positions in the grid's order,
// positions and sizes are in twips, keys and mouse buttons are reported as key
// codes and state bits (grid_keys.h). Edited cells commit to the row; a
// changed row is written to the table when the current row moves away.
//
// Notifications come as signals, each after the user action that causes it:
//   beforeColUpdate()             an edited cell value is about to be committed
//   afterColUpdate(column)        it was committed
//   beforeUpdate(cancel)          a changed row is about to be written; cancel keeps it unwritten
//   beforeInsert(cancel)          the user asked the grid for a new row (Insert key)
//   beforeDelete(cancel)          the user asked the grid to delete the selected rows (Delete key)
//   afterDelete()                 the grid deleted them
//   change()                      the user changed the text of the cell being edited
//   selChange()                   the set of selected rows changed and is not empty
//   scroll()                      the rows or columns scrolled
//   error(code, response)         the grid met an error; response 0 keeps it from showing a message
//   keyDown(keyCode, shift)       a key went down while the grid had the focus, before it acts on
//   it mouseDown(button, shift, x, y) a mouse button went down on the grid, after the current cell
//   moved gotFocus(), lostFocus()       the focus entered or left the grid (its cell editor
//   included) buttonClick(column)           the drop-down button of the current cell was pressed
#pragma once

#include "data_control.h"
#include "grid_columns.h"

#include <QFrame>
#include <QPointer>
#include <QVariant>

#include <optional>
#include <vector>

class QLabel;

namespace plandex {

class GridView;

// Codes of the errors the grid reports.
namespace GridError {
inline constexpr int ValueNotConverted = 13; // typed text does not fit the column's type
inline constexpr int RowNotWritten = 16389;  // the table refused a changed row
} // namespace GridError

class Grid : public QFrame {
    Q_OBJECT
  public:
    explicit Grid(QWidget* parent = nullptr);
    ~Grid() override;

    // Binds the grid to a data control; it shows the control's rows from now on.
    void setDataSource(DataControl* source);
    DataControl* dataSource() const { return source_; }

    void setCaption(const QString& caption);
    QString caption() const;

    void setRowHeightTwips(double twips);
    double rowHeightTwips() const;
    void setAllowRowSizing(bool allow);

    // Columns.
    int columnCount() const;
    void setColumnCaption(int column, const QString& caption);
    QString columnCaption(int column) const;
    void setColumnWidthTwips(int column, double twips);
    double columnWidthTwips(int column) const;
    // Left edge of a column, in twips from the grid's left edge.
    double columnLeftTwips(int column) const;
    void setColumnAlignment(int column, Qt::Alignment alignment);
    void setColumnNumberFormat(int column, const QString& format);
    void setColumnLocked(int column, bool locked);
    bool columnLocked(int column) const;
    void setColumnButton(int column, bool button);

    // Values of the current row. A value set is shown at once and written with the
    // row; it raises no commit notifications. Text set on a numeric column must
    // be a number (else the error notification, and nothing changes).
    QVariant columnValue(int column) const;
    void setColumnValue(int column, const QVariant& value);
    QString columnText(int column) const;
    void setColumnText(int column, const QString& text);
    // Value of a column in the row with this bookmark.
    QVariant columnValueAt(int bookmark, int column) const;

    int rowCount() const;
    // Selected rows, in the order they were selected.
    int selectedCount() const { return static_cast<int>(selectedBookmarks_.size()); }
    const std::vector<int>& selectedBookmarks() const { return selectedBookmarks_; }

    // Current cell; bookmark 0 means there is no current row.
    int currentColumn() const;
    void setCurrentColumn(int column);
    int currentBookmark() const;
    void setCurrentBookmark(int bookmark);
    int firstVisibleBookmark() const;

    // Drops the pending edit of the current cell.
    void clearCellModified();

    // Position of the grid in its window, in twips.
    double leftTwips() const;
    double topTwips() const;

    // Keystrokes as "{ENTER}", "{UP}", "{DOWN}", "{PGDN}", "{RIGHT}"; they take effect
    // after the caller has returned, in the order sent, as if typed.
    void sendKeys(const QString& keys);

    // Commits a pending cell edit and writes the changed rows now (before the
    // table is read or changed by other means). False when the database
    // refused a row: its change is still in the grid, and was said.
    bool commitPendingEdits();
    // Forgets the cell being edited and every change not yet written: the
    // table they belong to was replaced.
    void discardPendingEdits();

    // The table widget inside (for focus and for tests).
    QWidget* table() const;

  signals:
    void beforeColUpdate();
    void afterColUpdate(int column);
    void beforeUpdate(bool& cancel);
    void beforeInsert(bool& cancel);
    void beforeDelete(bool& cancel);
    void afterDelete();
    void change();
    void selChange();
    void scroll();
    void error(int code, int& response);
    void keyDown(int keyCode, int shift);
    void mouseDown(int button, int shift, float x, float y);
    void gotFocus();
    void lostFocus();
    void buttonClick(int column);

  private:
    friend class GridView;
    friend class GridDelegate;
    friend class RowSelectors;

    struct PendingCommit {
        int row;
        int column;
        QString text;
    };

    // From the view and its delegate.
    void cellEdited(int row, int column, const QString& text);
    void keyPressed(int qtKey, Qt::KeyboardModifiers modifiers, bool& handled);
    void mousePressed(QWidget* from, const QPoint& pos, Qt::MouseButtons buttons,
                      Qt::KeyboardModifiers modifiers);

    // Processes the pending cell commit, then writes changed rows the current row left.
    void settle(bool includingCurrentRow);
    void settleNow(bool includingCurrentRow);
    void scheduleSettle();
    void commitCell(const PendingCommit& commit);
    bool writeRow(int row);
    void reportError(int code, const QString& description);
    std::optional<QVariant> convertText(int column, const QString& text) const;
    void trackSelection();
    // The columns of a newly bound or refreshed source take the widths set for them.
    void applyColumnWidths();
    void onFocusChanged(QWidget* old, QWidget* now);
    bool contains(QWidget* widget) const;

    QLabel* caption_ = nullptr;
    GridView* view_ = nullptr;
    GridPresentation* presentation_ = nullptr;
    QPointer<DataControl> source_;
    std::optional<PendingCommit> pendingCommit_;
    bool settleScheduled_ = false;
    bool settling_ = false;
    bool resettle_ = false;
    bool storeRefusedWrite_ = false;
    // While a commit or a row write is handled, the row it concerns counts as current.
    std::optional<int> handlerRow_;
    std::vector<int> selectedBookmarks_;
    double rowHeightTwips_ = 300;
};

} // namespace plandex
