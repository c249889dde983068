// Channel entry checks: a committed STD CH, Type or Freq cell of the grid, the
// Type of a row about to be written, and every change of a side-panel header
// field. A failed check shows its message and then puts the stored value
// back, refuses the row write, or clears the field.
#pragma once

#include "sondrel_types.h" // sondrel::Channellist

#include <QObject>

#include <optional>
#include <vector>

namespace plandex {

class Form2;

class ChannelEntryChecks : public QObject {
    Q_OBJECT
  public:
    // Checks the grid and side panel of form; lives as long as the window. The
    // header fields are checked from now on, on every change of their text.
    explicit ChannelEntryChecks(Form2& form);

    // Rebuilds storedRows from the table, just before an edited cell is
    // committed, and remembers the current row as it stands before the edit.
    void SnapshotStoredRows();
    // Checks the current row after its cell of this column was committed.
    void ValidateCellEdit(int column);
    // Refuses to write the current row while its Type is invalid.
    void ValidateRowBeforeWrite(bool& cancel);
    // Checks the header fields after element `changed` of Text1 changed.
    void ValidateHeaderFields(int changed);

    // The table's rows in ID order, as they stood before the last cell commit.
    const std::vector<sondrel::Channellist>& storedRows() const { return storedRows_; }

  private:
    sondrel::Channellist workingRow() const;
    // The value to put back into the current row: that of its stored row, found
    // by ID; a row without one gets the value its cell held before the edit.
    const sondrel::Channellist& restoreSource(const sondrel::Channellist& row) const;

    Form2& form_;
    std::vector<sondrel::Channellist> storedRows_;
    sondrel::Channellist rowBeforeEdit_;
};

} // namespace plandex
