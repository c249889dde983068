// The chart of a level survey: one bar per channel at its frequency, coloured
// by type, nothing where a measurement failed (a cross just above the axis
// says so), and the fitted tilt line over the bars. Drawn with QPainter onto any
// paint device, so the editor's window and the command line's PNG share it.
#pragma once

#include "level_survey.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

namespace plandex {

inline const QColor analogueBarColour{48, 110, 200};
inline const QColor digitalBarColour{40, 160, 90};
inline const QColor tiltLineColour{215, 40, 40};

// Where frequencies and levels fall on a chart drawn into `area`.
class SurveyChartLayout {
  public:
    SurveyChartLayout(const sondrel::client::Survey& survey, const QRectF& area);
    // The plotting area inside the axes.
    const QRectF& plot() const { return plot_; }
    double xOf(double mhz) const;
    double yOf(double level) const;
    double barWidth() const { return barWidth_; }
    double lowestLevel() const { return lowLevel_; }
    double highestLevel() const { return highLevel_; }
    double lowestMhz() const { return lowMhz_; }
    double highestMhz() const { return highMhz_; }

  private:
    QRectF plot_;
    double lowMhz_ = 0, highMhz_ = 0, lowLevel_ = 0, highLevel_ = 0, barWidth_ = 0;
};

void drawSurveyChart(QPainter& painter, const QRectF& area, const sondrel::client::Survey& survey);

// The chart as a picture on white; needs a QGuiApplication (any platform,
// offscreen included) for its lettering.
QImage surveyChartImage(const sondrel::client::Survey& survey, QSize size = {960, 480});

// Writes the chart as a PNG file; false when the file cannot be written.
bool saveSurveyChartPng(const sondrel::client::Survey& survey, const QString& path,
                        QSize size = {960, 480});

} // namespace plandex
