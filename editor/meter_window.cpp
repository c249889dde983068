#include "meter_window.h"

#include "Form2.h"
#include "failure_texts.h"
#include "meter_connection.h"
#include "meter_files_page.h"
#include "meter_instrument_page.h"
#include "meter_live_page.h"
#include "meter_screen_page.h"
#include "own_texts.h"
#include "twips.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace plandex {

MeterWindow::MeterWindow(Form2& form) : QWidget(&form), form_(form) {
    setObjectName(QStringLiteral("MeterWindow"));
    setWindowFlag(Qt::Window);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("MeterPages"));
    stateLine_ = new QLabel(this);
    stateLine_->setObjectName(QStringLiteral("MeterState"));
    stateLine_->setWordWrap(true);
    stateLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->hide();
    stop_ = new QPushButton(this);
    stop_->setObjectName(QStringLiteral("MeterStop"));
    stop_->hide();
    connect(stop_, &QPushButton::clicked, this, &MeterWindow::stop);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(stateLine_, 1);
    bottom->addWidget(progress_);
    bottom->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(bottom);

    addPages();
    applyTexts();
    resize(760, 520);
}

void MeterWindow::addPages() {
    pages_->addTab(new MeterLivePage(*this), ownText(OwnText::MeterLivePage));
    pages_->addTab(new MeterInstrumentPage(*this), ownText(OwnText::MeterInstrumentPage));
    pages_->addTab(new MeterFilesPage(*this), ownText(OwnText::MeterFilesPage));
    pages_->addTab(new MeterScreenPage(*this), ownText(OwnText::MeterScreenPage));
}

void MeterWindow::applyTexts() {
    setWindowTitle(ownText(OwnText::MeterTitle));
    stop_->setText(ownText(OwnText::MeterStop));
    stateLine_->setText(portText());
}

QString MeterWindow::portText() const {
    return ownText(OwnText::MeterStatePort).arg(meterPort());
}

bool MeterWindow::runJob(MeterJob job, std::function<void()> whenDone) {
    if (form_.transferRunning()) return false;
    jobRunning_ = true;
    progress_->setRange(0, 0); // busy until the job counts its steps
    progress_->show();
    stop_->setEnabled(true);
    stop_->show();
    const auto counting =
        connect(form_.Worker(), &MeterWorker::progress, this, [this](int done, int total) {
            if (total <= 0) return;
            progress_->setRange(0, total);
            progress_->setValue(done);
        });
    emit busyChanged(true);
    form_.runMeterJob(
        std::move(job),
        [this, counting, whenDone = std::move(whenDone)] {
            disconnect(counting);
            progress_->hide();
            stop_->hide();
            jobRunning_ = false;
            emit busyChanged(false);
            if (whenDone) whenDone();
        },
        TransferKind::Cancellable);
    return true;
}

void MeterWindow::stop() {
    if (!jobRunning_) return;
    stop_->setEnabled(false);
    form_.CancelTransfer_Click();
}

void MeterWindow::showAnswered(const QString& model) {
    if (!model.isEmpty()) model_ = model;
    stateLine_->setText(portText() + QStringLiteral(" · ") +
                        (model_.isEmpty() ? ownText(OwnText::MeterAnswers)
                                          : ownText(OwnText::MeterAnswersModel).arg(model_)));
}

void MeterWindow::showFailure(const QString& what, const sondrel::Failure& failure) {
    const QString detail = meterFailureDetail(failure);
    stateLine_->setText(portText() + QStringLiteral(" · ") + what +
                        (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail));
}

void MeterWindow::closeEvent(QCloseEvent* event) {
    stop();
    event->accept(); // hidden, not deleted: the running job's end still finds the pages
}

MeterWindow* showMeterWindow(Form2& form) {
    auto* window = form.findChild<MeterWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new MeterWindow(form);
        centreOnScreen(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace plandex
