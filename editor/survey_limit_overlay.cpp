#include "survey_limit_overlay.h"

#include "survey_chart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace plandex {
namespace {

using sondrel::client::CheckResult;
using sondrel::client::Verdict;

void drawLimitLine(QPainter& painter, const SurveyChartLayout& layout, double level,
                   const QColor& colour) {
    if (level < layout.lowestLevel() || level > layout.highestLevel()) return;
    painter.setPen(QPen(colour, 1.5, Qt::DashLine));
    const double y = layout.yOf(level);
    painter.drawLine(QPointF(layout.plot().left(), y), QPointF(layout.plot().right(), y));
}

} // namespace

bool failsAnyCheck(const sondrel::client::SurveyChecks& checks, int number) {
    const auto channelChecks = sondrel::client::checksOfChannel(checks, number);
    return std::any_of(channelChecks.begin(), channelChecks.end(),
                       [](const CheckResult* c) { return c->verdict == Verdict::Fail; }) ||
           !sondrel::client::failedNetworkChecksOf(checks, number).empty();
}

void drawLimitOverlay(QPainter& painter, const QRectF& area, const sondrel::client::Survey& survey,
                      const sondrel::client::LimitsProfile& profile,
                      const sondrel::client::SurveyChecks& checks) {
    const SurveyChartLayout layout(survey, area);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The profile's limits in the survey's unit, where the bars are drawn.
    const auto inSurveyUnit = [&](double level) {
        return sondrel::client::convertLevel(level, profile.unit, survey.unit);
    };
    for (const auto* kind : {&profile.analogue, &profile.digital}) {
        const QColor colour = kind == &profile.analogue ? analogueBarColour : digitalBarColour;
        if (kind->minLevel) drawLimitLine(painter, layout, inSurveyUnit(*kind->minLevel), colour);
        if (kind->maxLevel) drawLimitLine(painter, layout, inSurveyUnit(*kind->maxLevel), colour);
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(failColour);
    for (const auto& r : survey.results) {
        if (!failsAnyCheck(checks, r.channel.number)) continue;
        const double x = layout.xOf(r.channel.mhz);
        const double top = r.level ? std::clamp(layout.yOf(*r.level), layout.plot().top() + 10,
                                                layout.plot().bottom())
                                   : layout.plot().bottom();
        QPainterPath triangle;
        triangle.moveTo(x, top - 3);
        triangle.lineTo(x - 5, top - 12);
        triangle.lineTo(x + 5, top - 12);
        triangle.closeSubpath();
        painter.drawPath(triangle);
    }
    painter.restore();
}

} // namespace plandex
