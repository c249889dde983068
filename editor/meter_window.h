// The Meter window: the meter beyond its channel plan, in pages (live
// measurement, the instrument's settings and clock, its stored files, its
// screen). One window serves a main window; it is made on the first "Meter"
// command and shown again after. Every page's work with the meter runs as a
// job on the main window's meter worker: one job at a time, the main window
// locked meanwhile, progress and Stop here, and nothing waits for the meter on
// the window's thread.
#pragma once

#include "meter_worker.h"

#include "last_failure.h"

#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace plandex {

class Form2;

class MeterWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MeterWindow(Form2& form);

    Form2& form() const { return form_; }

    // Runs job on the main window's meter worker; whenDone runs on this
    // window's thread once the job has ended, also when it was stopped. While
    // it runs busyChanged(true) tells the pages to refuse their own commands and
    // Stop is offered. False, and nothing started, while any job with the meter
    // runs (this window's or the main window's).
    bool runJob(MeterJob job, std::function<void()> whenDone);
    bool jobRunning() const { return jobRunning_; }
    // Asks the running job to stop after its current exchange.
    void stop();

    // The state line: the meter answered (model when this job learnt it, else
    // empty: the model an earlier job learnt is shown) ...
    void showAnswered(const QString& model);
    // ... or `what` failed, for the library's reason `failure`.
    void showFailure(const QString& what, const sondrel::Failure& failure);

    QTabWidget* pages() const { return pages_; }
    QLabel* stateLine() const { return stateLine_; }
    QPushButton* stopButton() const { return stop_; }
    QProgressBar* progress() const { return progress_; }

  signals:
    // A job of this window started (true) or ended (false).
    void busyChanged(bool busy);

  protected:
    // Closing stops this window's running job; the window is only hidden, so
    // the job's end still finds its pages.
    void closeEvent(QCloseEvent* event) override;

  private:
    void addPages();
    void applyTexts();
    QString portText() const;

    Form2& form_;
    QTabWidget* pages_ = nullptr;
    QLabel* stateLine_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool jobRunning_ = false;
    QString model_; // the meter's model, once a job has read it
};

// Toolbar "Meter": shows the main window's Meter window, making it first.
MeterWindow* showMeterWindow(Form2& form);

} // namespace plandex
