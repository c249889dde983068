// Form2, the editor's main window: the plan grid Fregtable over the data
// control Adodc1, the plan header in the side panel Frame3, the toolbar ToolKv
// with its commands, the progress bar of the transfers and the closing.
#pragma once

#include "data_control.h"
#include "meter_worker.h"
#include "plan_store.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace plandex {

class Grid;
class Toolbar;

// Side panel elements: Text1 0..3, 5, 6 hold favourites 1 to 6, 4 the span.
inline constexpr std::array<int, 6> FavouriteElements = {0, 1, 2, 3, 5, 6};
inline constexpr int SpanElement = 4;
// Label3 elements captioning favourites 1 to 6, and the unit label.
inline constexpr std::array<int, 6> FavouriteLabelElements = {0, 1, 3, 4, 6, 7};
inline constexpr int UnitLabelElement = 5;

// Results of Open, Save and the read from the meter, as OperationResult holds them.
inline constexpr const char* ResultYes = "Yes";
inline constexpr const char* ResultNo = "No";

// A job with the meter the user can stop (a plan transfer), or one that is over
// within a packet (the header send).
enum class TransferKind { Cancellable, Single };

class Form2 : public QWidget {
    Q_OBJECT
  public:
    explicit Form2(PlanStore store, QWidget* parent = nullptr);
    ~Form2() override;

    const PlanStore& store() const { return store_; }
    PlanStore& store() { return store_; }

    // Controls.
    Toolbar* ToolKv() const { return toolKv_; }
    QProgressBar* ProgressBar1() const { return progressBar1_; }
    Grid* Fregtable() const { return fregtable_; }
    DataControl* Adodc1() const { return adodc1_; }
    QGroupBox* Frame3() const { return frame3_; }
    QLabel* Label3(int element) const { return label3_.at(static_cast<std::size_t>(element)); }
    QLineEdit* Text1(int element) const { return text1_.at(static_cast<std::size_t>(element)); }
    QComboBox* Combo5() const { return combo5_; }
    QLabel* Label4() const { return label4_; }
    QLabel* Label5() const { return label5_; }
    QPushButton* Command3() const { return command3_; }
    QComboBox* Combo3() const { return combo3_; }
    QTimer* Timer1() const { return timer1_; }
    QPushButton* CancelTransfer() const { return cancelTransfer_; }
    MeterWorker* Worker() const { return worker_; }

    // Window state shared with the transfers and the plan files.
    QString OperationResult;
    float SpanValue = 0;
    std::vector<std::int16_t> CopiedIds;

    void ApplyCaptions();
    // Runs the query in the data control and shows its rows in the grid.
    void RefreshDataGrid(int refreshcmdType = CommandText,
                         const QString& refreshString = SelectByFreq);
    void RenumberChannels(const QString& orderClause);

    // The toolbar dispatcher: runs the command of the button with this key.
    void ToolKv_ButtonClick(const QString& key);
    void CopySelectedChannels();
    void PasteChannels();
    void DeleteSelectedChannels();
    // False when the user declined the question.
    bool InsertChannel();

    // Runs job on the meter worker with the library and port chosen at start-up.
    // Until it has ended and whenDone has run on this thread, the toolbar, the
    // grid and the side panel refuse input and no other command runs; a
    // cancellable job shows the Cancel button meanwhile.
    void runMeterJob(MeterJob job, std::function<void()> whenDone, TransferKind kind);
    bool transferRunning() const { return transferActive_; }

    // Toolbar buttons by position, 1 ("Upload") to 11 ("Meter").
    void setButtonEnabled(int index, bool enabled);
    bool isButtonEnabled(int index) const;

    // Runs a step that uses the plan database from an event handler: a store
    // failure ends it with the message that `command` (its caption) was not
    // carried out and why; nothing leaves the handler. False when it failed.
    bool runStoreStep(const QString& command, const std::function<void()>& step);

    // The session ends (logout): a running job stops after its current packet
    // and is waited for; nothing it brought is kept.
    void sessionEnding();

    void Timer1_Timer();
    void Command3_Click();
    // Stops the running transfer after its current packet.
    void CancelTransfer_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildSidePanel();
    void Form_Load();
    void dispatch(const QString& key);
    void lockForTransfer(bool locked, TransferKind kind);
    void showTransferProgress(int done, int total);
    void transferEnded();
    void finishTransfer();
    // Commits the Audio Offset list's value and the grid's edits; false when
    // the database refused a row.
    bool commitEdits();
    QString commandCaption(const QString& key) const;

    PlanStore store_;
    Toolbar* toolKv_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    Grid* fregtable_ = nullptr;
    DataControl* adodc1_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    std::array<QLabel*, 8> label3_{};
    std::array<QLineEdit*, 7> text1_{};
    QComboBox* combo5_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* label5_ = nullptr;
    QPushButton* command3_ = nullptr;
    QComboBox* combo3_ = nullptr;
    QTimer* timer1_ = nullptr;
    QPushButton* cancelTransfer_ = nullptr;
    MeterWorker* worker_ = nullptr;
    std::function<void()> whenTransferDone_;
    bool transferActive_ = false;
    bool closeAfterTransfer_ = false;
    // The close question is open; a job that ends meanwhile waits for its answer.
    bool closeQuestionOpen_ = false;
    bool endedDuringQuestion_ = false;
    // The toolbar key being run, and the one whose job with the meter runs.
    QString dispatchingKey_;
    QString runningJobKey_;
};

// Shows the main window, creating it first unless it exists already.
Form2* showMainWindow(const PlanStore& store);

} // namespace plandex
