// What a limits check adds to the survey chart: the level limits of each kind
// as dashed lines across the plot, and a triangle above every channel with a
// failed check of its own or that a failed network-wide figure comes from, so
// a failure shows without telling colours apart.
#pragma once

#include "survey_checks.h"

#include <QColor>
#include <QRectF>

class QPainter;

namespace plandex {

inline const QColor failColour{213, 94, 0};  // vermilion: apart from blue in every colour vision
inline const QColor passColour{0, 114, 178}; // blue

// Whether channel `number` failed a check of its own or a network-wide figure
// that comes from it: the channels the chart marks.
bool failsAnyCheck(const sondrel::client::SurveyChecks& checks, int number);

// Draws over a chart that drawSurveyChart drew into `area`.
void drawLimitOverlay(QPainter& painter, const QRectF& area, const sondrel::client::Survey& survey,
                      const sondrel::client::LimitsProfile& profile,
                      const sondrel::client::SurveyChecks& checks);

} // namespace plandex
