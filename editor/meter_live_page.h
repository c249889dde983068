// The Meter window's Live page: a channel of the table, or a typed frequency,
// measured again and again until Stop, for a technician aligning an amplifier
// while watching. An analogue carrier gives its level (GetLevelByFrequence); a
// DIGI channel its power, MER and bit errors (ReadDigi), with the meter's
// not-locked and no-error markers in words. C/N and the carrier offset are
// read once on demand, between live readings. The strip chart shows the
// last minutes with the lowest, highest and current value, and the readings a
// second stand beside the most the meter's pauses allow.
//
// Every reading is what the meter said: a failed one shows as failed and as a
// gap in the chart, never as the value before it. Stop, closing this window
// and closing the main window end the readings after the current exchange.
#pragma once

#include "live_job.h"
#include "live_readings.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace plandex {

class LiveStripChart;
class MeterWindow;

class MeterLivePage : public QWidget {
    Q_OBJECT
  public:
    explicit MeterLivePage(MeterWindow& window);

    // The readings shown: the last minutes of the latest Start.
    const sondrel::client::LiveSeries& series() const { return series_; }
    bool liveRunning() const { return liveRunning_; }

    QComboBox* channelBox() const { return channel_; }
    QLineEdit* frequencyEdit() const { return frequency_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* cnButton() const { return cn_; }
    QPushButton* offsetButton() const { return offset_; }
    QLabel* readingLabel() const { return reading_; }
    QLabel* digitalLabel() const { return digital_; }
    QLabel* cnLabel() const { return cnResult_; }
    QLabel* offsetLabel() const { return offsetResult_; }
    QLabel* figuresLabel() const { return figures_; }
    QLabel* paceLabel() const { return pace_; }
    LiveStripChart* chart() const { return chart_; }

  protected:
    void showEvent(QShowEvent* event) override;
    // Closing the main window while the page reads ends the readings, then closes it.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void applyTexts();
    // The channels of the main window's table, the selection kept.
    void fillChannels();
    void onChannelChosen();
    // The channel chosen in the list; nullptr for a typed frequency.
    const LiveTarget* chosenChannel() const;
    // What to measure, from the channel or the typed frequency; nullopt (and
    // the state line says why) when neither names one.
    std::optional<LiveTarget> target();
    void startLive();
    void measureOnce(LiveOneOff oneOff);
    bool runJob(const LiveTarget& target, bool live, LiveOneOff oneOff);
    void jobEnded();
    void showResult(const LiveResult& result);
    void showReading(const LiveResult& result);
    void showOneOff(const LiveResult& result);
    void showFigures();
    void updateCommands();

    MeterWindow& window_;
    std::vector<LiveTarget> channels_;
    std::optional<LiveTarget> measured_;
    std::shared_ptr<LiveRequests> requests_;
    sondrel::client::LiveSeries series_;
    bool liveRunning_ = false;
    bool ownJob_ = false;
    bool otherJob_ = false;
    bool closeMainWhenStopped_ = false;
    bool failureShown_ = true; // the state line does not yet say the meter answers

    QComboBox* channel_ = nullptr;
    QLabel* channelCaption_ = nullptr;
    QLabel* frequencyCaption_ = nullptr;
    QLineEdit* frequency_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* cn_ = nullptr;
    QPushButton* offset_ = nullptr;
    QLabel* reading_ = nullptr;
    QLabel* digital_ = nullptr;
    QLabel* cnResult_ = nullptr;
    QLabel* offsetResult_ = nullptr;
    QLabel* figures_ = nullptr;
    QLabel* pace_ = nullptr;
    LiveStripChart* chart_ = nullptr;
};

} // namespace plandex
