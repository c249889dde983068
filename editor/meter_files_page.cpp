#include "meter_files_page.h"

#include "meter_window.h"
#include "own_texts.h"
#include "transfer.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>
#include <optional>

namespace plandex {
namespace {

using sondrel::client::HeaderForm;
using sondrel::client::StoredFileEntry;
using sondrel::client::StoredFilesFolder;

enum Column { NumberColumn, NameColumn, DateColumn, TimeColumn, KindsColumn, PlanColumn, Columns };

constexpr int BytesPerLine = 16;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// What the question before a delete and the hex view's title call a file.
QString fileLabel(const StoredFileEntry& file) {
    return (file.name.empty() ? QString() : text(file.name) + QStringLiteral(", ")) +
           text(file.date) + QLatin1Char(' ') + text(file.time);
}

// Asked between the steps of a job: counts them on the progress bar and tells
// whether to go on.
sondrel::client::StepProgress stepsOf(MeterJobContext& job) {
    return [&job](std::size_t done, std::size_t total) {
        job.reportProgress(static_cast<int>(done), static_cast<int>(total));
        return !job.stopRequested();
    };
}

} // namespace

QString hexViewText(const std::vector<std::uint8_t>& bytes) {
    QString view;
    for (std::size_t line = 0; line < bytes.size(); line += BytesPerLine) {
        QString hex, ascii;
        for (std::size_t i = line; i < line + BytesPerLine; ++i) {
            if (i >= bytes.size()) {
                hex += QStringLiteral("   ");
                continue;
            }
            hex += QStringLiteral("%1 ").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
            ascii += bytes[i] >= 0x20 && bytes[i] < 0x7F ? QChar(bytes[i]) : QChar('.');
        }
        view +=
            QStringLiteral("%1  %2 %3\n")
                .arg(QStringLiteral("%1").arg(line, 8, 16, QLatin1Char('0')).toUpper(), hex, ascii);
    }
    return view;
}

MeterFilesPage::MeterFilesPage(MeterWindow& window) : window_(window) {
    setObjectName(QStringLiteral("MeterFilesPage"));
    formLabel_ = new QLabel(this);
    form_ = new QComboBox(this);
    form_->setObjectName(QStringLiteral("FilesHeaderForm"));
    list_ = new QPushButton(this);
    list_->setObjectName(QStringLiteral("FilesList"));
    read_ = new QPushButton(this);
    read_->setObjectName(QStringLiteral("FilesRead"));
    readAll_ = new QPushButton(this);
    readAll_->setObjectName(QStringLiteral("FilesReadAll"));
    delete_ = new QPushButton(this);
    delete_->setObjectName(QStringLiteral("FilesDelete"));

    table_ = new QTableWidget(0, Columns, this);
    table_->setObjectName(QStringLiteral("FilesTable"));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);

    contentTitle_ = new QLabel(this);
    hexView_ = new QPlainTextEdit(this);
    hexView_->setObjectName(QStringLiteral("FilesContent"));
    hexView_->setReadOnly(true);
    hexView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    hexView_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    outcome_ = new QLabel(this);
    outcome_->setObjectName(QStringLiteral("FilesOutcome"));
    outcome_->setWordWrap(true);
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* commands = new QHBoxLayout;
    commands->addWidget(formLabel_);
    commands->addWidget(form_);
    commands->addStretch(1);
    for (QPushButton* button : {list_, read_, readAll_, delete_})
        commands->addWidget(button);
    auto* contentPane = new QWidget(this);
    auto* contentLayout = new QVBoxLayout(contentPane);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addWidget(contentTitle_);
    contentLayout->addWidget(hexView_, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(contentPane);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(commands);
    layout->addWidget(split, 1);
    layout->addWidget(outcome_);

    connect(list_, &QPushButton::clicked, this, &MeterFilesPage::listFiles);
    connect(read_, &QPushButton::clicked, this, &MeterFilesPage::readSelected);
    connect(readAll_, &QPushButton::clicked, this, &MeterFilesPage::readAll);
    connect(delete_, &QPushButton::clicked, this, &MeterFilesPage::deleteSelected);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        showContent();
        setBusy(busy_);
    });
    connect(&window_, &MeterWindow::busyChanged, this, &MeterFilesPage::setBusy);

    chooseFolder_ = [this] {
        return QFileDialog::getExistingDirectory(this, ownText(OwnText::MeterFilesChooseFolder),
                                                 QDir::homePath());
    };
    confirmDelete_ = [this](const QString& question) {
        return QMessageBox::question(this, ownText(OwnText::MeterTitle), question) ==
               QMessageBox::Yes;
    };
    applyTexts();
    setBusy(false);
}

void MeterFilesPage::applyTexts() {
    formLabel_->setText(ownText(OwnText::MeterFilesHeaderForm));
    form_->clear();
    form_->addItem(ownText(OwnText::MeterFilesFormModel), int(FormChoice::FromModel));
    form_->addItem(ownText(OwnText::MeterFilesFormLong), int(FormChoice::Long));
    form_->addItem(ownText(OwnText::MeterFilesFormShort), int(FormChoice::Short));
    list_->setText(ownText(OwnText::MeterFilesList));
    read_->setText(ownText(OwnText::MeterFilesRead));
    readAll_->setText(ownText(OwnText::MeterFilesReadAll));
    delete_->setText(ownText(OwnText::MeterFilesDelete));
    table_->setHorizontalHeaderLabels(
        {ownText(OwnText::MeterFilesColumnNumber), ownText(OwnText::MeterFilesColumnName),
         ownText(OwnText::MeterFilesColumnDate), ownText(OwnText::MeterFilesColumnTime),
         ownText(OwnText::MeterFilesColumnKinds), ownText(OwnText::MeterFilesColumnPlan)});
    showContent();
}

void MeterFilesPage::setBusy(bool busy) {
    busy_ = busy;
    const bool chosen = selectedFile() != nullptr;
    form_->setEnabled(!busy);
    list_->setEnabled(!busy);
    read_->setEnabled(!busy && chosen);
    readAll_->setEnabled(!busy && !files_.empty());
    delete_->setEnabled(!busy && chosen);
}

const StoredFileEntry* MeterFilesPage::selectedFile() const {
    const auto rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return nullptr;
    const auto row = static_cast<std::size_t>(rows.first().row());
    return row < files_.size() ? &files_[row] : nullptr;
}

void MeterFilesPage::selectFile(int number) {
    for (std::size_t row = 0; row < files_.size(); ++row)
        if (files_[row].number == number) table_->selectRow(static_cast<int>(row));
}

void MeterFilesPage::showFiles(const std::vector<StoredFileEntry>& files) {
    files_ = files;
    contents_.clear();
    table_->clearSelection();
    table_->setRowCount(static_cast<int>(files_.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const StoredFileEntry& f = files_[static_cast<std::size_t>(row)];
        const QString cells[Columns] = {
            QString::number(f.number), text(f.name), text(f.date), text(f.time),
            text(kindsText(f)),        text(f.plan)};
        for (int column = 0; column < Columns; ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table_->resizeColumnsToContents();
    showContent();
    setBusy(busy_);
}

void MeterFilesPage::showContent() {
    const StoredFileEntry* file = selectedFile();
    const auto content = file ? contents_.find(file->number) : contents_.end();
    if (content == contents_.end()) {
        contentTitle_->setText(ownText(OwnText::MeterFilesNoContent));
        hexView_->clear();
        return;
    }
    contentTitle_->setText(ownText(OwnText::MeterFilesContentTitle)
                               .arg(file->number)
                               .arg(fileLabel(*file))
                               .arg(content->second.size()));
    hexView_->setPlainText(hexViewText(content->second));
}

void MeterFilesPage::listFiles() {
    struct Listing {
        sondrel::client::StoredFileList list;
        HeaderForm form = HeaderForm::Long;
        std::string model;
        bool listed = false; // the meter gave its whole list, or Stop cut it short
        sondrel::Failure failure;
    };
    auto listing = std::make_shared<Listing>();
    const auto choice = static_cast<FormChoice>(form_->currentData().toInt());
    window_.runJob(
        [listing, choice](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            if (!openDeviceConnection(meter)) {
                listing->failure = job.lastFailure();
                return;
            }
            listing->form = choice == FormChoice::Short ? HeaderForm::Short : HeaderForm::Long;
            if (choice == FormChoice::FromModel) {
                meter->SLMType(&listing->model);
                if (listing->model.empty()) {
                    listing->failure = job.lastFailure();
                    return;
                }
                listing->form = sondrel::client::headerFormOfModel(listing->model);
            }
            listing->list = sondrel::client::listStoredFiles(*meter, listing->form, stepsOf(job));
            listing->listed = listing->list.failedMember.empty();
            if (!listing->listed) listing->failure = job.lastFailure();
        },
        [this, listing] {
            const auto& list = listing->list;
            if (!listing->listed) {
                // Part of a list would pass for the meter's whole list: none is shown.
                showFiles({});
                outcome_->clear();
                window_.showFailure(ownText(OwnText::MeterFilesListFailed), listing->failure);
                return;
            }
            listedForm_ = listing->form;
            if (!listing->model.empty()) model_ = text(listing->model);
            showFiles(list.files);
            window_.showAnswered(model_);
            outcome_->setText(list.stopped ? ownText(OwnText::MeterCancelled)
                                           : ownText(OwnText::MeterFilesListed).arg(list.count));
        });
}

QString MeterFilesPage::chooseFolder() {
    return chooseFolder_ ? chooseFolder_() : QString();
}

void MeterFilesPage::readSelected() {
    if (const StoredFileEntry* file = selectedFile()) readInto({*file});
}

void MeterFilesPage::readAll() {
    if (!files_.empty()) readInto(files_);
}

void MeterFilesPage::readInto(std::vector<StoredFileEntry> files) {
    const QString chosen = chooseFolder();
    if (chosen.isEmpty()) return;
    std::shared_ptr<StoredFilesFolder> folder;
    try {
        folder =
            std::make_shared<StoredFilesFolder>(std::filesystem::path(chosen.toStdU16String()));
    } catch (const StoredFilesFolder::WriteError& e) {
        outcome_->setText(ownText(OwnText::MeterFilesWriteFailed).arg(text(e.what())));
        return;
    }
    struct Reading {
        std::vector<StoredFileEntry> files;
        sondrel::client::StoredFilesCopy copy;
        std::map<int, std::vector<std::uint8_t>> contents;
        sondrel::Failure failure;
        bool reached = false;
    };
    auto reading = std::make_shared<Reading>();
    reading->files = std::move(files);
    window_.runJob(
        [reading, folder](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            if (!openDeviceConnection(meter)) {
                reading->failure = job.lastFailure();
                return;
            }
            reading->reached = true;
            reading->copy = sondrel::client::copyStoredFiles(
                *meter, reading->files, *folder, stepsOf(job),
                [&reading](const StoredFileEntry& file, const std::vector<std::uint8_t>& bytes) {
                    reading->contents[file.number] = bytes;
                });
            if (!reading->copy.failedMember.empty()) reading->failure = job.lastFailure();
        },
        [this, reading, folder, chosen] {
            const auto& copy = reading->copy;
            const QString where = QDir::toNativeSeparators(chosen);
            for (auto& [number, bytes] : reading->contents)
                contents_[number] = std::move(bytes);
            if (!selectedFile() && !reading->contents.empty())
                selectFile(reading->contents.begin()->first);
            showContent();
            if (!reading->reached) {
                outcome_->clear();
                window_.showFailure(ownText(OwnText::MeterFilesListFailed), reading->failure);
            } else if (!copy.failedMember.empty()) {
                const QString what = ownText(OwnText::MeterFilesReadFailed)
                                         .arg(copy.failedNumber)
                                         .arg(copy.completed)
                                         .arg(where);
                outcome_->setText(what);
                window_.showFailure(what, reading->failure);
            } else if (!copy.writeError.empty()) {
                outcome_->setText(
                    ownText(OwnText::MeterFilesWriteFailed).arg(text(copy.writeError)));
            } else if (copy.stopped) {
                outcome_->setText(ownText(OwnText::MeterFilesReadStopped)
                                      .arg(copy.completed)
                                      .arg(reading->files.size())
                                      .arg(where));
            } else if (reading->files.size() == 1) {
                outcome_->setText(ownText(OwnText::MeterFilesReadOneDone)
                                      .arg(reading->files.front().number)
                                      .arg(where));
            } else {
                outcome_->setText(
                    ownText(OwnText::MeterFilesReadDone).arg(copy.completed).arg(where));
            }
            if (reading->reached && copy.failedMember.empty()) window_.showAnswered(model_);
        });
}

void MeterFilesPage::deleteSelected() {
    const StoredFileEntry* file = selectedFile();
    if (!file || !confirmDelete_ ||
        !confirmDelete_(
            ownText(OwnText::MeterFilesConfirmDelete).arg(file->number).arg(fileLabel(*file))))
        return;
    struct Deleting {
        int number = 0;
        bool deleted = false;
        sondrel::client::StoredFileList list;
        sondrel::Failure failure;
    };
    auto deleting = std::make_shared<Deleting>();
    deleting->number = file->number;
    const HeaderForm form = listedForm_;
    window_.runJob(
        [deleting, form](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            if (!openDeviceConnection(meter) ||
                !sondrel::client::deleteStoredFile(*meter, deleting->number)) {
                deleting->failure = job.lastFailure();
                return;
            }
            deleting->deleted = true;
            // The files after it moved up: the list is read again.
            deleting->list = sondrel::client::listStoredFiles(*meter, form, stepsOf(job));
            if (!deleting->list.failedMember.empty()) deleting->failure = job.lastFailure();
        },
        [this, deleting] {
            if (!deleting->deleted) {
                const QString what = ownText(OwnText::MeterFilesDeleteFailed).arg(deleting->number);
                outcome_->setText(what);
                window_.showFailure(what, deleting->failure);
                return;
            }
            showFiles(deleting->list.done() ? deleting->list.files
                                            : std::vector<StoredFileEntry>{});
            if (!deleting->list.failedMember.empty()) {
                window_.showFailure(ownText(OwnText::MeterFilesListFailed), deleting->failure);
                outcome_->clear();
                return;
            }
            window_.showAnswered(model_);
            outcome_->setText(ownText(OwnText::MeterFilesListed).arg(deleting->list.count));
        });
}

} // namespace plandex
