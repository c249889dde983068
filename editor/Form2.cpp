#include "Form2.h"

#include "cell_editing.h"
#include "failure_texts.h"
#include "grid.h"
#include "messages.h"
#include "meter_connection.h"
#include "meter_window.h"
#include "own_texts.h"
#include "plan_files.h"
#include "survey_command.h"
#include "texts.h"
#include "toolbar.h"
#include "transfer.h"
#include "twips.h"
#include "validation.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSessionManager>
#include <QTimer>
#include <QToolButton>

namespace plandex {
namespace {

// The window manager's frame carries the title and the close button.
constexpr double WindowWidth = 11610, WindowHeight = 7035;
constexpr double RowHeight = 300, ColumnWidth = 1750;

const int FavouriteCaptions[] = {TextId::Favourite1, TextId::Favourite2, TextId::Favourite3,
                                 TextId::Favourite4, TextId::Favourite5, TextId::Favourite6};
const int ColumnCaptions[] = {TextId::ColumnId, TextId::ColumnStdCh, TextId::ColumnType,
                              TextId::ColumnFreq, TextId::ColumnAudio};
const int ButtonCaptions[] = {TextId::Upload, TextId::Download, TextId::Open,
                              TextId::Save,   TextId::Copy,     TextId::Paste,
                              TextId::Insert, TextId::Delete,   TextId::Order};

} // namespace

Form2::Form2(PlanStore store, QWidget* parent) : QWidget(parent), store_(std::move(store)) {
    setObjectName("Form2");
    buildControls();
    Form_Load();
    installCellEditing(*this);
}

Form2::~Form2() {
    // The job uses nothing of the window, but its end must not call back into it.
    worker_->disconnect(this);
    worker_->requestStop();
    worker_->wait();
    // The cell editing and the entry checks react to focus changes, which the
    // window's parts cause as they go: they go first, while the window is whole.
    delete findChild<CellEditing*>();
    delete findChild<ChannelEntryChecks*>();
}

void Form2::buildControls() {
    setFixedSize(twipsToPixels(WindowWidth), twipsToPixels(WindowHeight));

    toolKv_ = new Toolbar(this);
    setTwipsGeometry(toolKv_, 120, 30, 11415, 525);
    connect(toolKv_, &Toolbar::buttonClick, this, &Form2::ToolKv_ButtonClick);

    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setTextVisible(false);
    setTwipsGeometry(progressBar1_, 120, 510, 9375, 135);

    adodc1_ = new DataControl(this);
    adodc1_->setObjectName("Adodc1");
    fregtable_ = new Grid(this);
    fregtable_->setObjectName("Fregtable");
    setTwipsGeometry(fregtable_, 120, 630, 9375, 6135);
    fregtable_->setDataSource(adodc1_);
    fregtable_->setColumnNumberFormat(ColumnFreq, QStringLiteral("0.00"));
    fregtable_->setColumnNumberFormat(ColumnAudio1, QStringLiteral("0.00"));

    buildSidePanel();

    combo3_ = new QComboBox(this);
    combo3_->setObjectName("Combo3");
    combo3_->setEditable(true);
    setTwipsGeometry(combo3_, 0, 0, ColumnWidth, 315);
    combo3_->hide();

    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    connect(timer1_, &QTimer::timeout, this, &Form2::Timer1_Timer);

    // In the toolbar's row, between its last button and the side panel.
    cancelTransfer_ = new QPushButton(this);
    cancelTransfer_->setObjectName("CancelTransfer");
    setTwipsGeometry(cancelTransfer_, 8700, 105, 900, 375);
    cancelTransfer_->hide();
    connect(cancelTransfer_, &QPushButton::clicked, this, &Form2::CancelTransfer_Click);

    worker_ = new MeterWorker(this);
    connect(worker_, &MeterWorker::progress, this, &Form2::showTransferProgress);
    connect(worker_, &MeterWorker::finished, this, &Form2::transferEnded);
    // A logout must not end the program in the middle of a job with the meter.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this] { sessionEnding(); });
}

void Form2::buildSidePanel() {
    frame3_ = new QGroupBox(this);
    frame3_->setObjectName("Frame3");
    setTwipsGeometry(frame3_, 9600, 30, 1935, 6855);
    frame3_->raise(); // the panel stands over the empty right end of the toolbar

    auto label = [this](int element, double top) {
        auto* l = new QLabel(frame3_);
        l->setObjectName(QStringLiteral("Label3_%1").arg(element));
        setTwipsGeometry(l, 90, top, 1755, 240);
        label3_[static_cast<std::size_t>(element)] = l;
    };
    auto textBox = [this](int element, double top, double width) {
        auto* t = new QLineEdit(frame3_);
        t->setObjectName(QStringLiteral("Text1_%1").arg(element));
        t->setAlignment(Qt::AlignCenter);
        setTwipsGeometry(t, 90, top, width, 285);
        text1_[static_cast<std::size_t>(element)] = t;
    };

    double top = 300;
    for (std::size_t i = 0; i < FavouriteElements.size(); ++i, top += 660) {
        label(FavouriteLabelElements[i], top);
        textBox(FavouriteElements[i], top + 240, 1755);
    }
    label(UnitLabelElement, top);
    combo5_ = new QComboBox(frame3_);
    combo5_->setObjectName("Combo5");
    combo5_->setEditable(true);
    setTwipsGeometry(combo5_, 90, top + 240, 1755, 315);

    top += 660;
    label4_ = new QLabel(frame3_);
    label4_->setObjectName("Label4");
    setTwipsGeometry(label4_, 90, top, 1755, 240);
    textBox(SpanElement, top + 240, 1200);
    label5_ = new QLabel(QStringLiteral("MHz"), frame3_);
    label5_->setObjectName("Label5");
    setTwipsGeometry(label5_, 1350, top + 240, 495, 285);

    command3_ = new QPushButton(frame3_);
    command3_->setObjectName("Command3");
    setTwipsGeometry(command3_, 90, top + 720, 1755, 375);
    connect(command3_, &QPushButton::clicked, this, &Form2::Command3_Click);
}

void Form2::Form_Load() {
    // IDs are the plan's numbering, kept by Insert, Delete and Order, not typed.
    fregtable_->setColumnLocked(ColumnId, true);
    fregtable_->setColumnLocked(ColumnType, true);
    fregtable_->setColumnLocked(ColumnAudio1, true);
    fregtable_->setAllowRowSizing(false);
    setWindowTitle(Text(TextId::ProgramTitle));
    combo3_->addItems({"4.50", "5.50", "6.00", "6.50"});
    combo3_->setCurrentText(QStringLiteral("4.50"));
    combo5_->addItems({"dBuV", "dBmV"});
    combo5_->setCurrentIndex(-1);
    combo5_->setCurrentText(QString());
    timer1_->stop();
    for (int b = DownloadButton; b <= OrderButton; ++b)
        setButtonEnabled(b, false);
    setButtonEnabled(OpenButton, true);
    fregtable_->setRowHeightTwips(RowHeight);
    for (int c = 0; c < GridColumnCount; ++c) {
        fregtable_->setColumnWidthTwips(c, ColumnWidth);
        fregtable_->setColumnAlignment(c, Qt::AlignCenter);
    }
    progressBar1_->hide();
    centreOnScreen(this);
    ApplyCaptions();
    if (const auto missing = meterLibraryFailure()) {
        const QString reason = ownText(OwnText::LibraryUnavailable).arg(*missing);
        for (int b : {UploadButton, DownloadButton, SurveyButton, MeterButton}) {
            setButtonEnabled(b, false);
            toolKv_->button(b)->setToolTip(reason);
        }
        command3_->setEnabled(false);
        command3_->setToolTip(reason);
    }
}

void Form2::ApplyCaptions() {
    for (int b = UploadButton; b <= OrderButton; ++b)
        toolKv_->button(b)->setText(Text(ButtonCaptions[b - 1]));
    toolKv_->button(SurveyButton)->setText(ownText(OwnText::SurveyCommand));
    toolKv_->button(MeterButton)->setText(ownText(OwnText::MeterCommand));
    for (std::size_t i = 0; i < FavouriteLabelElements.size(); ++i)
        Label3(FavouriteLabelElements[i])->setText(Text(FavouriteCaptions[i]));
    Label3(UnitLabelElement)->setText(Text(TextId::Unit));
    setWindowTitle(Text(TextId::ProgramTitle) + VersionSuffix);
    for (int c = 0; c < GridColumnCount; ++c)
        fregtable_->setColumnCaption(c, Text(ColumnCaptions[c]));
    label4_->setText(Text(TextId::Span));
    frame3_->setTitle(Text(TextId::HeaderPanel));
    fregtable_->setCaption(Text(TextId::GridCaption));
    command3_->setText(Text(TextId::Download));
    cancelTransfer_->setText(ownText(OwnText::CancelTransfer));
}

void Form2::RefreshDataGrid(int refreshcmdType, const QString& refreshString) {
    fregtable_->commitPendingEdits();
    adodc1_->setConnectionString(store_.databasePath());
    adodc1_->setCommandType(refreshcmdType);
    adodc1_->setRecordSource(refreshString);
    adodc1_->refresh();
}

void Form2::RenumberChannels(const QString& orderClause) {
    fregtable_->commitPendingEdits();
    store_.renumberChannels(orderClause);
}

void Form2::ToolKv_ButtonClick(const QString& key) {
    if (transferActive_) return; // nothing else runs during a transfer
    dispatchingKey_ = key;
    runStoreStep(commandCaption(key), [&] { dispatch(key); });
    dispatchingKey_.clear();
}

bool Form2::runStoreStep(const QString& command, const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const StoreError& e) {
        // The plan database failed under the command; its transaction kept the table.
        tell(storeFailureMessage(ownText(OwnText::CommandNotDone).arg(command), e),
             MessageStyle::Exclamation);
        return false;
    }
}

QString Form2::commandCaption(const QString& key) const {
    for (std::size_t i = 0; i < ToolbarKeys.size(); ++i)
        if (key == QLatin1String(ToolbarKeys[i]))
            return toolKv_->button(static_cast<int>(i) + 1)->text().trimmed();
    return key;
}

void Form2::dispatch(const QString& key) {
    // A cell still being edited belongs to the plan the command works on; a
    // change the database refused is not carried into another plan.
    if (!commitEdits()) {
        tell(ownText(OwnText::CommandRefusedUnwritten).arg(commandCaption(key)),
             MessageStyle::Exclamation);
        return;
    }
    if (key == "Upload") {
        uploadPlan(*this);
    } else if (key == "Download") {
        downloadPlan(*this);
    } else if (key == "Open") {
        OpenPlanFile(*this);
        if (OperationResult == ResultYes) {
            for (int b : {DownloadButton, SaveButton, InsertButton, OrderButton})
                setButtonEnabled(b, true);
            for (int b : {CopyButton, PasteButton, DeleteButton})
                setButtonEnabled(b, false);
        }
    } else if (key == "Save") {
        SavePlanFile(*this);
        if (OperationResult == ResultYes) {
            setButtonEnabled(SaveButton, true);
            setButtonEnabled(CopyButton, false);
            setButtonEnabled(DeleteButton, false);
        }
    } else if (key == "Copy") {
        CopySelectedChannels();
        setButtonEnabled(PasteButton, true);
        setButtonEnabled(CopyButton, false);
    } else if (key == "Paste") {
        PasteChannels();
        setButtonEnabled(CopyButton, false);
        setButtonEnabled(DeleteButton, false);
    } else if (key == "Delete") {
        DeleteSelectedChannels();
        RenumberChannels(OrderById);
        RefreshDataGrid(CommandText, SelectByFreq);
        setButtonEnabled(SaveButton, true);
        setButtonEnabled(CopyButton, false);
        setButtonEnabled(PasteButton, false);
        setButtonEnabled(DeleteButton, false);
    } else if (key == "Insert") {
        InsertChannel();
        setButtonEnabled(SaveButton, true);
        setButtonEnabled(CopyButton, false);
        setButtonEnabled(PasteButton, false);
        setButtonEnabled(DeleteButton, false);
    } else if (key == "Survey") {
        surveyTablePlan(*this);
    } else if (key == "Meter") {
        showMeterWindow(*this);
    } else if (key == "Order") {
        RenumberChannels(OrderByFreq);
        RefreshDataGrid(CommandText, SelectByFreq);
        setButtonEnabled(SaveButton, true);
        setButtonEnabled(CopyButton, false);
        setButtonEnabled(PasteButton, false);
        setButtonEnabled(DeleteButton, false);
    }
}

void Form2::CopySelectedChannels() {
    std::vector<std::int16_t> ids;
    for (int bookmark : fregtable_->selectedBookmarks())
        ids.push_back(
            static_cast<std::int16_t>(fregtable_->columnValueAt(bookmark, ColumnId).toInt()));
    CopiedIds = std::move(ids);
}

void Form2::PasteChannels() {
    const std::size_t after = static_cast<std::size_t>(store_.rowCount()) + CopiedIds.size();
    if (after > static_cast<std::size_t>(MaxPlanRows)) {
        tell(ownText(OwnText::TooManyChannels).arg(after), MessageStyle::Exclamation);
        return;
    }
    try {
        store_.pasteChannels(CopiedIds);
    } catch (const StoreError&) {
        return; // nothing copied, or a copied row is gone: the plan stays as it was
    }
    RefreshDataGrid(CommandText, SelectStored);
}

void Form2::DeleteSelectedChannels() {
    if (ask(TextId::ConfirmDelete, MessageStyle::Question) != MessageAnswer::Yes) return;
    // The selected rows themselves, by their place in the grid: IDs may repeat.
    std::vector<int> rows;
    for (int bookmark : fregtable_->selectedBookmarks())
        rows.push_back(bookmark - 1);
    adodc1_->deleteRows(std::move(rows));
}

bool Form2::InsertChannel() {
    if (ask(TextId::ConfirmInsert, MessageStyle::Question) != MessageAnswer::Yes) return false;
    const int at =
        fregtable_->currentBookmark() > 0 ? fregtable_->columnValue(ColumnId).toInt() : 1;
    if (!store_.insertChannel(at)) return true; // 250 channels already
    RefreshDataGrid(CommandText, SelectById);
    fregtable_->setCurrentBookmark(at);
    fregtable_->setCurrentColumn(ColumnType);
    fregtable_->setFocus();
    return true;
}

void Form2::setButtonEnabled(int index, bool enabled) {
    // Without the link library no job with the meter can run.
    if (index == UploadButton || index == DownloadButton || index == SurveyButton ||
        index == MeterButton)
        enabled = enabled && !meterLibraryFailure();
    toolKv_->setButtonEnabled(index, enabled);
    // Survey is offered with Download, once a plan is shown; it reads the
    // meter's own plan first and measures that.
    if (index == DownloadButton) toolKv_->setButtonEnabled(SurveyButton, enabled);
}

bool Form2::isButtonEnabled(int index) const {
    return toolKv_->isButtonEnabled(index);
}

void Form2::Timer1_Timer() {
    if (progressBar1_->maximum() - 6 >= progressBar1_->value())
        progressBar1_->setValue(progressBar1_->value() + 5);
}

bool Form2::commitEdits() {
    if (auto* editing = findChild<CellEditing*>()) editing->commitOpenEditor();
    return fregtable_->commitPendingEdits();
}

void Form2::Command3_Click() {
    if (transferActive_) return;
    commitEdits();
    sendPlanHeader(*this);
}

void Form2::sessionEnding() {
    if (!transferActive_) return;
    closeAfterTransfer_ = true;
    worker_->requestStop();
    worker_->wait();
}

void Form2::CancelTransfer_Click() {
    worker_->requestStop();
    cancelTransfer_->setEnabled(false);
}

void Form2::runMeterJob(MeterJob job, std::function<void()> whenDone, TransferKind kind) {
    if (transferActive_) return;
    commitEdits();
    transferActive_ = true;
    closeAfterTransfer_ = false;
    endedDuringQuestion_ = false;
    runningJobKey_ = dispatchingKey_;
    whenTransferDone_ = std::move(whenDone);
    lockForTransfer(true, kind);
    worker_->start(meterLibrary(), meterPort(), std::move(job));
}

void Form2::lockForTransfer(bool locked, TransferKind kind) {
    // Disabled parents keep their children's own states for afterwards.
    toolKv_->setEnabled(!locked);
    fregtable_->setEnabled(!locked);
    frame3_->setEnabled(!locked);
    if (locked) combo3_->hide();
    cancelTransfer_->setEnabled(true);
    cancelTransfer_->setVisible(locked && kind == TransferKind::Cancellable);
}

void Form2::showTransferProgress(int done, int total) {
    if (total <= 0) return;
    progressBar1_->setRange(0, total);
    progressBar1_->setValue(done);
}

void Form2::transferEnded() {
    // The close question is open: its answer decides whether the outcome is shown.
    if (closeQuestionOpen_) {
        endedDuringQuestion_ = true;
        return;
    }
    finishTransfer();
}

void Form2::finishTransfer() {
    auto whenDone = std::move(whenTransferDone_);
    whenTransferDone_ = {};
    cancelTransfer_->hide();
    // The window asked to close meanwhile: the transfer stopped; nothing more is shown.
    if (!closeAfterTransfer_ && whenDone) {
        try {
            whenDone();
        } catch (const StoreError& e) {
            tell(storeFailureMessage(ownText(OwnText::PlanNotRead), e), MessageStyle::Exclamation);
        }
    }
    lockForTransfer(false, TransferKind::Single);
    transferActive_ = false;
    runningJobKey_.clear();
    if (closeAfterTransfer_) {
        close();
        return;
    }
    // The keyboard goes back to the plan after every job.
    fregtable_->setFocus();
}

void Form2::closeEvent(QCloseEvent* event) {
    if (transferActive_) {
        // The window closes once the transfer has stopped after its current packet.
        event->ignore();
        if (closeQuestionOpen_) return;
        if (closeAfterTransfer_ || !worker_->busy()) {
            closeAfterTransfer_ = true;
            return;
        }
        closeQuestionOpen_ = true;
        const MessageAnswer answer =
            tell(ownText(runningJobKey_ == u"Survey" ? OwnText::StopSurveyToClose
                                                     : OwnText::StopTransferToClose),
                 MessageStyle::Question);
        closeQuestionOpen_ = false;
        if (answer == MessageAnswer::Yes) {
            closeAfterTransfer_ = true;
            worker_->requestStop();
        }
        // A job that ended while the question was open ends now: with its
        // outcome, or, the window closing, without.
        if (endedDuringQuestion_) finishTransfer();
        return;
    }
    // Closing the main window ends the program.
    event->accept();
    QCoreApplication::quit();
}

Form2* showMainWindow(const PlanStore& store) {
    static QPointer<Form2> mainWindow;
    if (!mainWindow) {
        mainWindow = new Form2(store);
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    mainWindow->show();
    return mainWindow;
}

} // namespace plandex
