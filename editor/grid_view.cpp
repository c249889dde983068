#include "grid_view.h"

#include "grid.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <map>

namespace plandex {

GridDelegate::GridDelegate(Grid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setAlignment(grid_->presentation_->column(index.column()).alignment);
        QObject::connect(line, &QLineEdit::textEdited, grid_, [g = grid_] { emit g->change(); });
    }
    editor_ = editor;
    return editor;
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        grid_->cellEdited(index.row(), index.column(), line->text());
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const auto* view = static_cast<const GridView*>(grid_->view_);
    const QRect button = view->buttonRect(index);
    if (button.isNull()) return;
    painter->save();
    painter->fillRect(button.adjusted(1, 1, -1, -1), option.palette.button());
    painter->setPen(option.palette.color(QPalette::ButtonText));
    painter->setBrush(option.palette.color(QPalette::ButtonText));
    const QPoint c = button.center();
    const int s = std::max(2, button.height() / 6);
    painter->drawPolygon(QPolygon({QPoint(c.x() - s, c.y() - s / 2),
                                   QPoint(c.x() + s, c.y() - s / 2), QPoint(c.x(), c.y() + s)}));
    painter->restore();
}

RowSelectors::RowSelectors(Grid* grid) : QHeaderView(Qt::Vertical), grid_(grid) {
    setSectionsClickable(true);
    setHighlightSections(true);
}

void RowSelectors::mousePressEvent(QMouseEvent* event) {
    QHeaderView::mousePressEvent(event);
    grid_->mousePressed(viewport(), event->position().toPoint(), event->buttons(),
                        event->modifiers());
}

void RowSelectors::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    // The current row carries a small arrow, as record selectors do.
    if (logicalIndex != grid_->currentBookmark() - 1) return;
    painter->save();
    // The style leaves its own clip behind; the arrow belongs to this section.
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::ButtonText));
    const QPoint c = rect.center();
    const int s = std::max(3, rect.height() / 5);
    painter->drawPolygon(
        QPolygon({QPoint(c.x() - s / 2, c.y() - s), QPoint(c.x() - s / 2, c.y() + s),
                  QPoint(c.x() + s / 2 + 1, c.y())}));
    painter->restore();
}

GridView::GridView(Grid* grid) : QTableView(grid), grid_(grid), delegate_(new GridDelegate(grid)) {
    setItemDelegate(delegate_);
    setVerticalHeader(new RowSelectors(grid));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
}

void GridView::commitEditor() {
    if (QWidget* editor = delegate_->editor()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void GridView::discardEditor() {
    if (QWidget* editor = delegate_->editor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void GridView::performKey(const QString& key) {
    static const std::map<QString, CursorAction> moves = {
        {"UP", MoveUp},       {"DOWN", MoveDown},   {"PGDN", MovePageDown},
        {"PGUP", MovePageUp}, {"RIGHT", MoveRight}, {"LEFT", MoveLeft}};
    if (key == "ENTER") {
        commitEditor();
    } else if (const auto move = moves.find(key); move != moves.end()) {
        // Moving commits an open editor; leaving the row writes it.
        const QModelIndex next = moveCursor(move->second, Qt::NoModifier);
        if (next.isValid()) setCurrentIndex(next);
    }
}

QRect GridView::buttonRect(const QModelIndex& index) const {
    if (!index.isValid() || index != currentIndex() ||
        !grid_->presentation_->column(index.column()).button)
        return {};
    const QRect cell = visualRect(index);
    return QRect(cell.right() - cell.height() + 1, cell.top(), cell.height(), cell.height());
}

void GridView::keyPressEvent(QKeyEvent* event) {
    bool handled = false;
    grid_->keyPressed(event->key(), event->modifiers(), handled);
    if (!handled) QTableView::keyPressEvent(event);
}

void GridView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex current = currentIndex();
    const bool onButton = buttonRect(current).contains(event->position().toPoint());
    QTableView::mousePressEvent(event);
    grid_->mousePressed(viewport(), event->position().toPoint(), event->buttons(),
                        event->modifiers());
    if (onButton && event->button() == Qt::LeftButton) emit grid_->buttonClick(current.column());
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    grid_->mousePressed(viewport(), event->position().toPoint(), event->buttons(),
                        event->modifiers());
    QTableView::mouseDoubleClickEvent(event);
}

} // namespace plandex
