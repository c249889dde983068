#include "grid.h"

#include "data_control.h"
#include "failure_texts.h"
#include "grid_keys.h"
#include "grid_view.h"
#include "messages.h"
#include "own_texts.h"
#include "texts.h"
#include "twips.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <set>

namespace plandex {
namespace {

// Caption bar and column titles together take the height the editor's windows
// expect above the first row.
constexpr double CaptionHeightTwips = 210;
constexpr double ColumnTitleHeightTwips = 240;
constexpr double RecordSelectorWidthTwips = 330;

// While a cell commit or a row write of another row is handled, that row is
// the grid's current row for the handlers.
class RowOverride {
  public:
    RowOverride(std::optional<int>& slot, int row) : slot_(slot), saved_(slot) { slot_ = row; }
    ~RowOverride() { slot_ = saved_; }
    RowOverride(const RowOverride&) = delete;
    RowOverride& operator=(const RowOverride&) = delete;

  private:
    std::optional<int>& slot_;
    std::optional<int> saved_;
};

} // namespace

Grid::Grid(QWidget* parent)
    : QFrame(parent), presentation_(new GridPresentation(GridColumnCount, this)) {
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    caption_ = new QLabel(this);
    caption_->setObjectName("FregtableCaption");
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setAutoFillBackground(true);
    caption_->setBackgroundRole(QPalette::Dark);
    caption_->setForegroundRole(QPalette::BrightText);
    // The grid's frame counts into the height above the first row.
    caption_->setFixedHeight(twipsToPixels(CaptionHeightTwips) - frameWidth());
    layout->addWidget(caption_);

    view_ = new GridView(this);
    view_->setObjectName("FregtableTable");
    // Framed by the grid alone, so the rows sit where the window computes them.
    view_->setFrameShape(QFrame::NoFrame);
    view_->setModel(presentation_);
    view_->horizontalHeader()->setFixedHeight(twipsToPixels(ColumnTitleHeightTwips));
    view_->verticalHeader()->setFixedWidth(twipsToPixels(RecordSelectorWidthTwips));
    view_->verticalHeader()->setMinimumSectionSize(1);
    layout->addWidget(view_);
    setFocusProxy(view_);

    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { scheduleSettle(); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged,
            view_->verticalHeader()->viewport(), qOverload<>(&QWidget::update));
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { trackSelection(); });
    connect(presentation_, &QAbstractItemModel::modelReset, this, [this] {
        selectedBookmarks_.clear();
        pendingCommit_.reset();
        applyColumnWidths();
        // Fresh rows start with the first one current, as a data control's do.
        if (presentation_->rowCount() > 0)
            view_->selectionModel()->setCurrentIndex(presentation_->index(0, 0),
                                                     QItemSelectionModel::NoUpdate);
    });
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit scroll(); });
    connect(view_->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { emit scroll(); });
    connect(qApp, &QApplication::focusChanged, this, &Grid::onFocusChanged);

    setRowHeightTwips(rowHeightTwips_);
}

Grid::~Grid() {
    disconnect(qApp, nullptr, this, nullptr);
}

void Grid::setDataSource(DataControl* source) {
    source_ = source;
    presentation_->setSourceModel(source);
}

void Grid::applyColumnWidths() {
    for (int c = 0; c < columnCount(); ++c)
        view_->setColumnWidth(c, twipsToPixels(presentation_->column(c).widthTwips));
}

void Grid::setCaption(const QString& caption) {
    caption_->setText(caption);
}
QString Grid::caption() const {
    return caption_->text();
}

void Grid::setRowHeightTwips(double twips) {
    rowHeightTwips_ = twips;
    // A row's section includes its one-pixel grid line below the cell.
    view_->verticalHeader()->setDefaultSectionSize(twipsToPixels(twips) + 1);
}

double Grid::rowHeightTwips() const {
    return rowHeightTwips_;
}

void Grid::setAllowRowSizing(bool allow) {
    view_->verticalHeader()->setSectionResizeMode(allow ? QHeaderView::Interactive
                                                        : QHeaderView::Fixed);
}

int Grid::columnCount() const {
    return presentation_->presentedColumns();
}

void Grid::setColumnCaption(int column, const QString& caption) {
    presentation_->changeColumn(column, [&](GridColumn& c) { c.caption = caption; });
}

QString Grid::columnCaption(int column) const {
    return presentation_->column(column).caption;
}

void Grid::setColumnWidthTwips(int column, double twips) {
    presentation_->changeColumn(column, [&](GridColumn& c) { c.widthTwips = twips; });
    view_->setColumnWidth(column, twipsToPixels(twips));
}

double Grid::columnWidthTwips(int column) const {
    return presentation_->column(column).widthTwips;
}

double Grid::columnLeftTwips(int column) const {
    const QPoint inGrid =
        view_->viewport()->mapTo(this, QPoint(view_->columnViewportPosition(column), 0));
    return pixelsToTwips(inGrid.x());
}

void Grid::setColumnAlignment(int column, Qt::Alignment alignment) {
    presentation_->changeColumn(column, [&](GridColumn& c) { c.alignment = alignment; });
}

void Grid::setColumnNumberFormat(int column, const QString& format) {
    presentation_->changeColumn(column, [&](GridColumn& c) { c.numberFormat = format; });
}

void Grid::setColumnLocked(int column, bool locked) {
    presentation_->changeColumn(column, [&](GridColumn& c) { c.locked = locked; });
}

bool Grid::columnLocked(int column) const {
    return presentation_->column(column).locked;
}

void Grid::setColumnButton(int column, bool button) {
    presentation_->changeColumn(column, [&](GridColumn& c) { c.button = button; });
}

QVariant Grid::columnValue(int column) const {
    return columnValueAt(currentBookmark(), column);
}

void Grid::setColumnValue(int column, const QVariant& value) {
    const int row = currentBookmark() - 1;
    if (!source_ || row < 0) return;
    source_->setColumnValue(row, column, value);
}

QString Grid::columnText(int column) const {
    return presentation_->textOf(column, columnValue(column));
}

void Grid::setColumnText(int column, const QString& text) {
    if (currentBookmark() < 1) return;
    if (const auto value = convertText(column, text))
        setColumnValue(column, *value);
    else
        reportError(GridError::ValueNotConverted, text);
}

QVariant Grid::columnValueAt(int bookmark, int column) const {
    if (!source_ || bookmark < 1 || bookmark > source_->rowCount()) return {};
    return columnValueOf(source_->planRow(bookmark - 1), column);
}

int Grid::rowCount() const {
    return source_ ? source_->rowCount() : 0;
}

int Grid::currentColumn() const {
    return std::max(0, view_->currentIndex().column());
}

void Grid::setCurrentColumn(int column) {
    const int row = view_->currentIndex().row();
    if (row < 0) return;
    view_->selectionModel()->setCurrentIndex(presentation_->index(row, column),
                                             QItemSelectionModel::NoUpdate);
}

int Grid::currentBookmark() const {
    if (handlerRow_) return *handlerRow_ + 1;
    return view_->currentIndex().row() + 1;
}

void Grid::setCurrentBookmark(int bookmark) {
    if (bookmark < 1 || bookmark > rowCount()) return;
    view_->selectionModel()->setCurrentIndex(presentation_->index(bookmark - 1, currentColumn()),
                                             QItemSelectionModel::NoUpdate);
    view_->scrollTo(view_->currentIndex());
}

int Grid::firstVisibleBookmark() const {
    return view_->rowAt(0) + 1;
}

void Grid::clearCellModified() {
    view_->discardEditor();
}

double Grid::leftTwips() const {
    return pixelsToTwips(mapTo(window(), QPoint(0, 0)).x());
}
double Grid::topTwips() const {
    return pixelsToTwips(mapTo(window(), QPoint(0, 0)).y());
}

void Grid::sendKeys(const QString& keys) {
    static const QRegularExpression keyName(QStringLiteral("\\{(\\w+)\\}"));
    for (const auto& match : keyName.globalMatch(keys)) {
        const QString key = match.captured(1).toUpper();
        QMetaObject::invokeMethod(
            view_, [v = view_, key] { v->performKey(key); }, Qt::QueuedConnection);
    }
}

bool Grid::commitPendingEdits() {
    storeRefusedWrite_ = false;
    view_->commitEditor();
    settle(true);
    return !storeRefusedWrite_;
}

void Grid::discardPendingEdits() {
    view_->discardEditor();
    pendingCommit_.reset();
    if (source_) source_->dropChanges();
}

QWidget* Grid::table() const {
    return view_;
}

void Grid::cellEdited(int row, int column, const QString& text) {
    pendingCommit_ = PendingCommit{row, column, text};
    scheduleSettle();
}

void Grid::keyPressed(int qtKey, Qt::KeyboardModifiers modifiers, bool& handled) {
    if (const int code = keyCodeOf(qtKey)) emit keyDown(code, shiftStateOf(modifiers));
    if (qtKey == Qt::Key_Insert) {
        bool cancel = false;
        emit beforeInsert(cancel);
        handled = true;
    } else if (qtKey == Qt::Key_Delete && !selectedBookmarks_.empty()) {
        handled = true;
        bool cancel = false;
        emit beforeDelete(cancel);
        if (cancel || !source_ || selectedBookmarks_.empty()) return;
        std::vector<int> rows;
        for (int b : selectedBookmarks_)
            rows.push_back(b - 1);
        try {
            source_->deleteRows(rows);
        } catch (const StoreError& e) {
            reportError(
                GridError::RowNotWritten,
                storeFailureMessage(
                    ownText(OwnText::CommandNotDone).arg(Text(TextId::Delete).trimmed()), e));
        }
        emit afterDelete();
    }
}

void Grid::mousePressed(QWidget* from, const QPoint& pos, Qt::MouseButtons buttons,
                        Qt::KeyboardModifiers modifiers) {
    const QPoint inGrid = from->mapTo(this, pos);
    emit mouseDown(buttonStateOf(buttons), shiftStateOf(modifiers),
                   static_cast<float>(pixelsToTwips(inGrid.x())),
                   static_cast<float>(pixelsToTwips(inGrid.y())));
}

void Grid::scheduleSettle() {
    if (settleScheduled_) return;
    settleScheduled_ = true;
    QMetaObject::invokeMethod(
        this, [this] { settle(false); }, Qt::QueuedConnection);
}

void Grid::settle(bool includingCurrentRow) {
    settleScheduled_ = false;
    // A handler's message box runs the event loop; a settle asked for meanwhile
    // follows this one instead of running inside it.
    if (settling_) {
        resettle_ = true;
        return;
    }
    settling_ = true;
    settleNow(includingCurrentRow);
    settling_ = false;
    if (resettle_) {
        resettle_ = false;
        scheduleSettle();
    }
}

void Grid::settleNow(bool includingCurrentRow) {
    if (pendingCommit_) {
        const PendingCommit commit = *pendingCommit_;
        pendingCommit_.reset();
        commitCell(commit);
    }
    if (!source_) return;
    const int current = view_->currentIndex().row();
    for (int row = 0; row < source_->rowCount(); ++row) {
        if (!source_->isRowChanged(row) || (row == current && !includingCurrentRow)) continue;
        if (!writeRow(row) && row != current) {
            // A refused row keeps the grid on it until it can be written.
            view_->selectionModel()->setCurrentIndex(presentation_->index(row, currentColumn()),
                                                     QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

void Grid::commitCell(const PendingCommit& commit) {
    if (!source_ || commit.row >= source_->rowCount()) return;
    const QModelIndex index = presentation_->index(commit.row, commit.column);
    if (commit.text == presentation_->data(index).toString()) return; // not modified
    RowOverride current(handlerRow_, commit.row);
    emit beforeColUpdate();
    const auto value = convertText(commit.column, commit.text);
    if (!value) {
        reportError(GridError::ValueNotConverted, commit.text);
        return;
    }
    if (commit.row >= source_->rowCount()) return;
    source_->setColumnValue(commit.row, commit.column, *value);
    emit afterColUpdate(commit.column);
}

bool Grid::writeRow(int row) {
    bool cancel = false;
    {
        RowOverride current(handlerRow_, row);
        emit beforeUpdate(cancel);
    }
    if (cancel) return false;
    if (!source_ || row >= source_->rowCount()) return true;
    try {
        source_->writeRow(row);
        return true;
    } catch (const StoreError& e) {
        const QString what =
            ownText(OwnText::EditNotWritten).arg(columnValueAt(row + 1, ColumnId).toInt());
        // A row that is no longer in the table as read can never be written:
        // its change goes. Any other refusal keeps it for another try.
        const bool gone = e.reason() == StoreFailure::RowGone;
        if (gone) source_->dropChanges();
        storeRefusedWrite_ = storeRefusedWrite_ || !gone;
        reportError(GridError::RowNotWritten, storeFailureMessage(what, e));
        return gone;
    }
}

void Grid::reportError(int code, const QString& description) {
    int response = 1;
    emit error(code, response);
    if (response != 0) tell(description, MessageStyle::Exclamation);
}

std::optional<QVariant> Grid::convertText(int column, const QString& text) const {
    if (column != ColumnId && column != ColumnFreq && column != ColumnAudio1) return QVariant(text);
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(number)) return std::nullopt;
    if (column != ColumnId) return QVariant(number);
    if (std::abs(number) > 2147483647.0) return std::nullopt;
    return QVariant(static_cast<int>(std::lround(number)));
}

void Grid::trackSelection() {
    std::set<int> now;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows())
        now.insert(index.row() + 1);
    const std::vector<int> before = selectedBookmarks_;
    std::erase_if(selectedBookmarks_, [&](int b) { return !now.count(b); });
    for (int b : now)
        if (std::find(selectedBookmarks_.begin(), selectedBookmarks_.end(), b) ==
            selectedBookmarks_.end())
            selectedBookmarks_.push_back(b);
    if (selectedBookmarks_ != before && !selectedBookmarks_.empty()) emit selChange();
}

bool Grid::contains(QWidget* widget) const {
    return widget && (widget == view_ || view_->isAncestorOf(widget));
}

void Grid::onFocusChanged(QWidget* old, QWidget* now) {
    const bool was = contains(old);
    const bool is = contains(now);
    if (!was && is) emit gotFocus();
    if (was && !is) emit lostFocus();
}

} // namespace plandex
