// Adodc1, the data control behind the grid: it runs a query against the plan
// database, keeps the result as a snapshot between refreshes and writes a
// changed row back to the row it was read from: the same rowid still holding
// the values read (a rowid alone may name another row after the table was
// replaced). As a Qt model it offers the
// rows to the grid; values are the columns' own (int, text, double).
#pragma once

#include "plan_store.h"

#include <QAbstractTableModel>

#include <vector>

namespace plandex {

enum GridColumnIndex {
    ColumnId = 0,
    ColumnName = 1,
    ColumnType = 2,
    ColumnFreq = 3,
    ColumnAudio1 = 4
};
inline constexpr int GridColumnCount = 5;

// Command type of a query text, the only kind the editor uses.
inline constexpr int CommandText = 1;

class DataControl : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit DataControl(QObject* parent = nullptr);

    // The database file (an empty path leaves the control unconnected).
    void setConnectionString(const QString& databasePath);
    const QString& connectionString() const { return databasePath_; }
    void setCommandType(int commandType);
    void setRecordSource(const QString& query);
    const QString& recordSource() const { return recordSource_; }

    // Runs the query and offers its rows instead of the previous ones. Throws
    // StoreError; the previous rows stay on offer then.
    void refresh();

    PlanRow planRow(int row) const { return rows_.at(row).row; }
    bool isRowChanged(int row) const { return rows_.at(row).changed; }
    // Sets a column of a row in the snapshot and marks the row changed.
    void setColumnValue(int row, int column, const QVariant& value);
    // Writes a changed row to the table. Throws StoreError; the row stays changed.
    void writeRow(int row);
    // Forgets every change not yet written (the table was replaced under them).
    void dropChanges();
    // Deletes the rows (indices into the snapshot) from the table and the snapshot.
    void deleteRows(std::vector<int> rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    struct Record {
        StoredRow read; // the row as the query returned it
        PlanRow row;    // as shown, with the changes not yet written
        bool changed = false;
    };
    QString databasePath_;
    QString recordSource_;
    std::vector<Record> rows_;
};

// The value of one column of a row, typed as the column is.
QVariant columnValueOf(const PlanRow& row, int column);
// Sets a column from a value of its own type (or one that converts to it).
void assignColumn(PlanRow& row, int column, const QVariant& value);

} // namespace plandex
