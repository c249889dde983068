#include "data_control.h"

#include <algorithm>
#include <cmath>

namespace plandex {

QVariant columnValueOf(const PlanRow& row, int column) {
    switch (column) {
    case ColumnId:
        return row.id;
    case ColumnName:
        return row.name;
    case ColumnType:
        return row.type;
    case ColumnFreq:
        return row.freq;
    case ColumnAudio1:
        return row.audio1;
    default:
        return {};
    }
}

void assignColumn(PlanRow& row, int column, const QVariant& value) {
    switch (column) {
    case ColumnId:
        row.id = static_cast<int>(std::lround(value.toDouble()));
        break;
    case ColumnName:
        row.name = value.toString();
        break;
    case ColumnType:
        row.type = value.toString();
        break;
    case ColumnFreq:
        row.freq = value.toDouble();
        break;
    case ColumnAudio1:
        row.audio1 = value.toDouble();
        break;
    default:
        break;
    }
}

DataControl::DataControl(QObject* parent) : QAbstractTableModel(parent) {}

void DataControl::setConnectionString(const QString& databasePath) {
    databasePath_ = databasePath;
}

void DataControl::setCommandType(int commandType) {
    if (commandType != CommandText) throw StoreError("only query texts are supported");
}

void DataControl::setRecordSource(const QString& query) {
    recordSource_ = query;
}

void DataControl::refresh() {
    std::vector<StoredRow> fresh = PlanStore(databasePath_).select(recordSource_);
    beginResetModel();
    rows_.clear();
    rows_.reserve(fresh.size());
    for (StoredRow& r : fresh) {
        PlanRow shown = r.row;
        rows_.push_back({std::move(r), std::move(shown), false});
    }
    endResetModel();
}

void DataControl::setColumnValue(int row, int column, const QVariant& value) {
    Record& r = rows_.at(row);
    assignColumn(r.row, column, value);
    r.changed = true;
    emit dataChanged(index(row, column), index(row, column));
}

void DataControl::writeRow(int row) {
    Record& r = rows_.at(row);
    if (!r.changed) return;
    PlanStore(databasePath_).updateRow(r.read, r.row);
    r.read.row = r.row;
    r.changed = false;
}

void DataControl::dropChanges() {
    for (int row = 0; row < rowCount(); ++row) {
        Record& r = rows_[static_cast<std::size_t>(row)];
        if (!r.changed) continue;
        r.row = r.read.row;
        r.changed = false;
        emit dataChanged(index(row, 0), index(row, GridColumnCount - 1));
    }
}

void DataControl::deleteRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        PlanStore(databasePath_).deleteRow(rows_.at(row).read);
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    }
}

int DataControl::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DataControl::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GridColumnCount;
}

QVariant DataControl::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return columnValueOf(rows_.at(index.row()).row, index.column());
}

QVariant DataControl::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const names[GridColumnCount] = {"ID", "CHName", "Type", "Freq", "Audio1"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < GridColumnCount)
        return QString::fromLatin1(names[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace plandex
