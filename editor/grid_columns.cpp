#include "grid_columns.h"

#include <QLocale>

namespace plandex {
namespace {

// Decimals a number format such as "0.00" asks for; -1 when it sets none.
int decimalsOf(const QString& format) {
    const int point = format.indexOf('.');
    if (format.isEmpty()) return -1;
    return point < 0 ? 0 : static_cast<int>(format.size()) - point - 1;
}

bool isNumber(const QVariant& value) {
    const auto id = value.typeId();
    return id == QMetaType::Double || id == QMetaType::Float || id == QMetaType::Int ||
           id == QMetaType::LongLong;
}

} // namespace

GridPresentation::GridPresentation(int columnCount, QObject* parent)
    : QIdentityProxyModel(parent), columns_(static_cast<std::size_t>(columnCount)) {}

QString GridPresentation::textOf(int column, const QVariant& value) const {
    const int decimals = column >= 0 && column < presentedColumns()
                             ? decimalsOf(columns_.at(column).numberFormat)
                             : -1;
    if (decimals >= 0 && isNumber(value))
        return QLocale::c().toString(value.toDouble(), 'f', decimals);
    if (value.typeId() == QMetaType::Double)
        return QLocale::c().toString(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
}

QVariant GridPresentation::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return textOf(index.column(), QIdentityProxyModel::data(index, Qt::EditRole));
    case Qt::TextAlignmentRole:
        return index.column() < presentedColumns()
                   ? QVariant(static_cast<int>(columns_.at(index.column()).alignment))
                   : QVariant();
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

QVariant GridPresentation::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (role == Qt::DisplayRole && section >= 0 && section < presentedColumns())
        return columns_.at(section).caption;
    return QIdentityProxyModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridPresentation::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QIdentityProxyModel::flags(index) | Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const bool locked = index.column() < presentedColumns() && columns_.at(index.column()).locked;
    return locked ? f & ~Qt::ItemIsEditable : f | Qt::ItemIsEditable;
}

void GridPresentation::columnChanged(int index) {
    emit headerDataChanged(Qt::Horizontal, index, index);
    if (rowCount() > 0) emit dataChanged(this->index(0, index), this->index(rowCount() - 1, index));
}

} // namespace plandex
