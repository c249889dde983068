// Editing in the plan grid: the Audio1 drop-down editor Combo3 laid over the
// current cell, the Type toggle on a second click of a Type cell, the keys and
// the grid's own insert and delete requests that run toolbar commands, and the
// grid notifications that switch toolbar buttons. Committed values go through
// the channel entry checks.
#pragma once

#include <QObject>

#include <QString>

#include <cstdint>

class QWidget;

namespace plandex {

class ChannelEntryChecks;
class Form2;

class CellEditing : public QObject {
    Q_OBJECT
  public:
    // Connects itself and the checks to the grid, Combo3 and the side panel of form.
    CellEditing(Form2& form, ChannelEntryChecks& checks);

    // Lays the editor of this column (only column 4 has one) over the current
    // cell, showing the cell's own value.
    void OpenCellEditor(int column);
    // Writes a value the user chose in the editor into the cell it was opened
    // for and hides it (Combo3 lost the focus).
    void CloseCellEditor();
    // Commits a value typed or chosen in the open editor, as leaving it does
    // (before a command or a job with the meter takes the plan).
    void commitOpenEditor();
    // A mouse button went down on the grid at x, y (twips from its top-left corner).
    void HandleGridMouse(int button, int shift, float x, float y);
    // Switches the current row between "TV" and "DIGI", moving its frequency by
    // the span correction s / 2 - 1.25.
    void SwitchType();
    // Delete, Ctrl+C and Ctrl+V run the toolbar's commands, enabled or not.
    void HandleGridKey(int keyCode, int shift);

    // Window fields of the editing (0 when the window loads).
    std::int16_t editorColumn = 0;
    std::int16_t lastClickRow = 0;
    std::int16_t lastClickCol = 0;
    std::int16_t mouseSeen = 0;

  private:
    void connectGrid();
    // Writes the editor's text into its cell when the user changed it and that
    // cell is still the current one; never into another row.
    void writeChosenValue();
    void onFocusChanged(QWidget* old, QWidget* now);
    bool isInEditor(const QWidget* widget) const;

    Form2& form_;
    ChannelEntryChecks& checks_;
    // The row the editor was opened for, and its value then.
    int editorBookmark_ = 0;
    QString valueAtOpen_;
    bool checkingOnLeave_ = false;
};

// Creates the channel entry checks and the cell editing of the main window.
void installCellEditing(Form2& form);

} // namespace plandex
