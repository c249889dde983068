#include "live_strip_chart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plandex {
namespace {

const QColor traceColour{48, 110, 200};
const QColor failedColour{215, 40, 40};
const QColor gridColour{220, 220, 220};
// The scale never spans less, so the noise of a steady level stays small.
constexpr double LeastSpanDb = 2.0;
constexpr double LeastShownSeconds = 30.0;
constexpr int Margin = 6;
constexpr int FailedTick = 8;

} // namespace

LiveStripChart::LiveStripChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LiveStripChart"));
    setMinimumHeight(120);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void LiveStripChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("000.0")) + Margin;
    const QRectF plot = QRectF(rect()).adjusted(labelWidth, Margin, -Margin, -Margin);
    painter.setPen(gridColour);
    painter.drawRect(plot);
    if (!series_ || series_->readings().empty()) return;

    const auto& readings = series_->readings();
    const double newest = readings.back().seconds;
    // The first readings spread over at least half a minute; then the chart scrolls.
    const double shown = std::min(std::max(newest - readings.front().seconds, LeastShownSeconds),
                                  series_->spanSeconds());
    const double oldest = newest - shown;
    const auto lowest = series_->lowest(), highest = series_->highest();
    double low = lowest.value_or(0), high = highest.value_or(0);
    if (high - low < LeastSpanDb) {
        const double middle = (high + low) / 2;
        low = middle - LeastSpanDb / 2;
        high = middle + LeastSpanDb / 2;
    }
    const auto xOf = [&](double seconds) {
        return plot.left() + (seconds - oldest) / (newest - oldest) * plot.width();
    };
    const auto yOf = [&](double value) {
        return plot.bottom() - (value - low) / (high - low) * plot.height();
    };

    if (lowest) {
        painter.setPen(palette().color(QPalette::Text));
        const auto label = [&](double value, int flags) {
            painter.drawText(QRectF(0, yOf(value) - 10, labelWidth - Margin / 2, 20),
                             flags | Qt::AlignRight, QString::number(value, 'f', 1));
        };
        label(*highest, Qt::AlignTop);
        label(*lowest, Qt::AlignBottom);
        painter.setPen(QPen(gridColour, 1, Qt::DashLine));
        painter.drawLine(QPointF(plot.left(), yOf(*highest)), QPointF(plot.right(), yOf(*highest)));
        painter.drawLine(QPointF(plot.left(), yOf(*lowest)), QPointF(plot.right(), yOf(*lowest)));
    }

    QPainterPath trace;
    bool broken = true;
    for (const auto& r : readings) {
        if (!r.value) {
            broken = true;
            continue;
        }
        const QPointF point(xOf(r.seconds), yOf(*r.value));
        if (broken)
            trace.moveTo(point);
        else
            trace.lineTo(point);
        broken = false;
    }
    painter.setPen(QPen(traceColour, 2));
    painter.drawPath(trace);
    // A lone reading between gaps still shows.
    painter.setBrush(traceColour);
    if (readings.back().value)
        painter.drawEllipse(QPointF(xOf(newest), yOf(*readings.back().value)), 3, 3);

    painter.setPen(QPen(failedColour, 2));
    for (const auto& r : readings)
        if (!r.value)
            painter.drawLine(QPointF(xOf(r.seconds), plot.bottom()),
                             QPointF(xOf(r.seconds), plot.bottom() - FailedTick));
}

} // namespace plandex
