// The Meter window's Instrument page: the meter's model and user settings.
// "Read from the meter" asks for everything the meter can report (model,
// volume, temperature unit, automatic switch-off); each row sets its value and
// says what the meter made of it: confirmed when the meter reported the value
// back (in its answer, or read again for a setting it can report), sent but
// not confirmed when it took the change without reporting anything, or not
// set with the reason. The clock row sends this computer's time, shown before
// and after; the line speed changes only after a warning, and every later job
// of the editor follows the meter to it.
#pragma once

#include "meter_settings.h"

#include "last_failure.h"

#include <QWidget>

#include <array>
#include <map>

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace plandex {

class MeterWindow;

class MeterInstrumentPage : public QWidget {
    Q_OBJECT
  public:
    // The rows that set something, in the page's order.
    enum class Row {
        Volume,
        LevelUnit,
        TemperatureUnit,
        Backlight,
        SwitchOff,
        Step,
        Limits,
        Clock,
        LineSpeed
    };
    static constexpr int LimitCount = 8;

    explicit MeterInstrumentPage(MeterWindow& window);

    void readSettings();
    void setRow(Row row);
    // Asks first; false when the user declined or a job runs.
    bool changeLineSpeed();

    QPushButton* readButton() const { return read_; }
    QLabel* model() const { return model_; }
    QSpinBox* volume() const { return volume_; }
    QComboBox* choice(sondrel::client::TextSettingId id) const { return choices_.at(id); }
    QSpinBox* limit(int index) const { return limits_.at(static_cast<std::size_t>(index)); }
    QComboBox* lineSpeed() const { return lineSpeed_; }
    QPushButton* setButton(Row row) const { return setButtons_.at(row); }
    // What the meter said about a row (or the model).
    QLabel* status(Row row) const { return statuses_.at(row); }
    QLabel* modelStatus() const { return modelStatus_; }
    // The clock row's date and time to be sent, ticking; its status says what was sent.
    QLabel* clockToSend() const { return clockToSend_; }

  private:
    void addRow(Row row, const QString& label, QWidget* control);
    void onBusy(bool busy);
    void showClockToSend();

    MeterWindow& window_;
    QPushButton* read_ = nullptr;
    QLabel* model_ = nullptr;
    QLabel* modelStatus_ = nullptr;
    QSpinBox* volume_ = nullptr;
    std::map<sondrel::client::TextSettingId, QComboBox*> choices_;
    std::array<QSpinBox*, LimitCount> limits_{};
    QComboBox* lineSpeed_ = nullptr;
    std::map<Row, QPushButton*> setButtons_;
    std::map<Row, QLabel*> statuses_;
    QLabel* clockToSend_ = nullptr;
    QTimer* clockTick_ = nullptr;
    QGridLayout* grid_ = nullptr;
};

} // namespace plandex
