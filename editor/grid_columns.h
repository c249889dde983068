// How the grid presents the data control's columns: captions, widths,
// alignment, number format ("0.00" shows two decimals) and the locked flag
// that refuses typing. A proxy over the data control, so the values stay raw.
#pragma once

#include <QIdentityProxyModel>
#include <QString>

#include <vector>

namespace plandex {

struct GridColumn {
    QString caption;
    double widthTwips = 1750;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QString numberFormat; // "", or "0.00" and the like
    bool locked = false;
    bool button = false; // shows a drop-down button in the current cell
};

class GridPresentation : public QIdentityProxyModel {
    Q_OBJECT
  public:
    explicit GridPresentation(int columnCount, QObject* parent = nullptr);

    const GridColumn& column(int index) const { return columns_.at(index); }
    // Changes a column's presentation and shows the change.
    template <typename Change> void changeColumn(int index, Change change) {
        change(columns_.at(index));
        columnChanged(index);
    }
    int presentedColumns() const { return static_cast<int>(columns_.size()); }

    // The text a value shows in a column.
    QString textOf(int column, const QVariant& value) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    void columnChanged(int index);
    std::vector<GridColumn> columns_;
};

} // namespace plandex
