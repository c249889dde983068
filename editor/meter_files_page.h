// The Meter window's Stored files page: the meter's measurement files listed
// with their headers, read one or all into a folder as raw files beside an
// index, a file read shown byte by byte, and a file deleted after the user
// confirmed it. Every exchange runs as a job of the window; "read all" counts
// its files on the progress bar and stops on the window's Stop, keeping the
// files it completed.
#pragma once

#include "stored_files.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace plandex {

class MeterWindow;

// The bytes as lines of 16: offset, hex and the printable ASCII characters.
QString hexViewText(const std::vector<std::uint8_t>& bytes);

class MeterFilesPage : public QWidget {
    Q_OBJECT
  public:
    explicit MeterFilesPage(MeterWindow& window);

    // Which header form the list asks for: as the model says, long or short.
    enum class FormChoice { FromModel, Long, Short };

    // Test seams: the folder files are read into (a folder dialog by default;
    // an empty answer cancels) and the answer to the delete question (a
    // message box by default).
    void setFolderChooser(std::function<QString()> choose) { chooseFolder_ = std::move(choose); }
    void setDeleteConfirmer(std::function<bool(const QString& question)> confirm) {
        confirmDelete_ = std::move(confirm);
    }

    // The commands, as their buttons give them.
    void listFiles();
    void readSelected();
    void readAll();
    void deleteSelected();

    const std::vector<sondrel::client::StoredFileEntry>& files() const { return files_; }
    QTableWidget* table() const { return table_; }
    QComboBox* formChoice() const { return form_; }
    QPlainTextEdit* contentView() const { return hexView_; }
    // What the last command came to (files listed, read, stopped).
    QLabel* outcome() const { return outcome_; }

  private:
    void applyTexts();
    void setBusy(bool busy);
    void showFiles(const std::vector<sondrel::client::StoredFileEntry>& files);
    void showContent();
    void readInto(std::vector<sondrel::client::StoredFileEntry> files);
    const sondrel::client::StoredFileEntry* selectedFile() const;
    // Selects the row of the file with this number, if the list has it.
    void selectFile(int number);
    sondrel::client::HeaderForm listedForm_ = sondrel::client::HeaderForm::Long;
    QString model_; // as the meter last gave it, for the state line
    QString chooseFolder();

    MeterWindow& window_;
    QComboBox* form_ = nullptr;
    QLabel* formLabel_ = nullptr;
    QPushButton* list_ = nullptr;
    QPushButton* read_ = nullptr;
    QPushButton* readAll_ = nullptr;
    QPushButton* delete_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* contentTitle_ = nullptr;
    QPlainTextEdit* hexView_ = nullptr;
    QLabel* outcome_ = nullptr;
    bool busy_ = false;

    std::vector<sondrel::client::StoredFileEntry> files_;
    // Contents read since the list was last read, by file number.
    std::map<int, std::vector<std::uint8_t>> contents_;
    std::function<QString()> chooseFolder_;
    std::function<bool(const QString&)> confirmDelete_;
};

} // namespace plandex
