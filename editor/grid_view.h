// The widgets inside the plan grid: the table view, its cell editor delegate
// and the record selectors at the left of the rows. They report what the user
// does to their Grid, which turns it into the grid's notifications.
#pragma once

#include <QHeaderView>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

namespace plandex {

class Grid;

class GridDelegate : public QStyledItemDelegate {
  public:
    explicit GridDelegate(Grid* grid);

    QWidget* editor() const { return editor_; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    Grid* grid_;
    mutable QPointer<QWidget> editor_;
};

// Record selectors: a narrow column left of the rows; a click selects the row.
class RowSelectors : public QHeaderView {
  public:
    explicit RowSelectors(Grid* grid);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

  private:
    Grid* grid_;
};

class GridView : public QTableView {
  public:
    explicit GridView(Grid* grid);

    GridDelegate* delegate() const { return delegate_; }
    // Commits the text of the open cell editor, as Enter does.
    void commitEditor();
    // Closes the open cell editor without committing it.
    void discardEditor();
    // Acts on a key sent by name ("ENTER", "UP", "DOWN", "PGDN", "PGUP", "RIGHT", "LEFT").
    void performKey(const QString& key);
    // The drop-down button of a cell in a column that has one.
    QRect buttonRect(const QModelIndex& index) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The second press of a quick second click comes as a double-click: the
    // grid hears of it as of any press.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Grid* grid_;
    GridDelegate* delegate_;
};

} // namespace plandex
