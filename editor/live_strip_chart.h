// The Live page's strip chart: the readings of the last minutes as a line
// over time, the newest at the right edge. A failed reading breaks the line
// and leaves a red tick at the bottom, so a gap is never bridged by an old
// value. The scale follows the lowest and highest value kept.
#pragma once

#include "live_readings.h"

#include <QWidget>

namespace plandex {

class LiveStripChart : public QWidget {
    Q_OBJECT
  public:
    explicit LiveStripChart(QWidget* parent = nullptr);

    // The series drawn; it stays the caller's. Call update() after adding readings.
    void setSeries(const sondrel::client::LiveSeries* series) { series_ = series; }

    QSize sizeHint() const override { return {600, 220}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const sondrel::client::LiveSeries* series_ = nullptr;
};

} // namespace plandex
