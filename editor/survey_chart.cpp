#include "survey_chart.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plandex {
namespace {

using sondrel::client::Survey;
using sondrel::client::SurveyResult;

// Room for the axis lettering around the plotting area, pixels.
constexpr double LeftMargin = 64, RightMargin = 16, TopMargin = 28, BottomMargin = 46;
const QColor gridColour{225, 225, 225};
const QColor axisColour{60, 60, 60};

// The step between axis marks that gives at most `marks` of them over `span`.
double markStep(double span, int marks, std::initializer_list<double> steps) {
    for (double step : steps)
        if (span / step <= marks) return step;
    return *(steps.end() - 1);
}

QString number(double value, int decimals) {
    // A real minus sign reads better than a hyphen on a chart.
    return QString::number(value, 'f', decimals).replace(u'-', QChar(0x2212));
}

void drawAxes(QPainter& painter, const SurveyChartLayout& layout, const QString& unit) {
    const QRectF& plot = layout.plot();
    const QFontMetricsF metrics(painter.font());
    const double levelStep =
        markStep(layout.highestLevel() - layout.lowestLevel(), 10, {1, 2, 5, 10, 20, 50});
    for (double level = std::ceil(layout.lowestLevel() / levelStep) * levelStep;
         level <= layout.highestLevel() + 1e-9; level += levelStep) {
        const double y = layout.yOf(level);
        painter.setPen(gridColour);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(axisColour);
        const QString text = number(level, 0);
        painter.drawText(QPointF(plot.left() - 6 - metrics.horizontalAdvance(text),
                                 y + metrics.ascent() / 2 - 1),
                         text);
    }
    const double mhzStep =
        markStep(layout.highestMhz() - layout.lowestMhz(), 12, {10, 20, 50, 100, 200, 500});
    for (double mhz = std::ceil(layout.lowestMhz() / mhzStep) * mhzStep;
         mhz <= layout.highestMhz() + 1e-9; mhz += mhzStep) {
        const double x = layout.xOf(mhz);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        const QString text = number(mhz, 0);
        painter.drawText(
            QPointF(x - metrics.horizontalAdvance(text) / 2, plot.bottom() + 6 + metrics.ascent()),
            text);
    }
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.drawText(QPointF(plot.right() - metrics.horizontalAdvance("MHz"),
                             plot.bottom() + 8 + metrics.ascent() + metrics.height()),
                     "MHz");
    painter.drawText(QPointF(plot.left() - LeftMargin + 4, plot.top() - 10), unit);
}

void drawBars(QPainter& painter, const SurveyChartLayout& layout, const Survey& survey) {
    const QRectF& plot = layout.plot();
    const double half = layout.barWidth() / 2;
    for (const SurveyResult& r : survey.results) {
        const double x = layout.xOf(r.channel.mhz);
        if (!r.level) {
            // A failed channel stays a gap; a cross where its bar would stand
            // marks it, inside the plot so that it never covers the axis lettering.
            painter.setPen(QPen(tiltLineColour, 1.5));
            const QPointF c(x, plot.bottom() - 6);
            painter.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
            painter.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
            continue;
        }
        const double top = std::clamp(layout.yOf(*r.level), plot.top(), plot.bottom());
        const QColor colour = isDigital(r.channel) ? digitalBarColour : analogueBarColour;
        painter.fillRect(QRectF(QPointF(x - half, top), QPointF(x + half, plot.bottom())), colour);
    }
}

void drawTiltLine(QPainter& painter, const SurveyChartLayout& layout, const Survey& survey) {
    const auto fit = sondrel::client::fitTilt(survey.results);
    if (!fit) return;
    painter.save();
    painter.setClipRect(layout.plot());
    painter.setPen(QPen(tiltLineColour, 2));
    for (const auto& group : {fit->analogue, fit->digital}) {
        if (!group || group->lowestMhz == group->highestMhz) continue;
        const auto levelAt = [&](double mhz) {
            return sondrel::client::TiltFit::levelAt(*group, fit->dbPer100MHz, mhz);
        };
        painter.drawLine(
            QPointF(layout.xOf(group->lowestMhz), layout.yOf(levelAt(group->lowestMhz))),
            QPointF(layout.xOf(group->highestMhz), layout.yOf(levelAt(group->highestMhz))));
    }
    painter.restore();
    painter.setPen(tiltLineColour);
    painter.drawText(QPointF(layout.plot().left() + 8, layout.plot().top() - 10),
                     number(fit->dbPer100MHz, 2) + " dB / 100 MHz");
}

} // namespace

SurveyChartLayout::SurveyChartLayout(const Survey& survey, const QRectF& area)
    : plot_(area.adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin)) {
    std::vector<double> mhz;
    std::vector<double> levels;
    for (const SurveyResult& r : survey.results) {
        mhz.push_back(r.channel.mhz);
        if (r.level) levels.push_back(*r.level);
    }
    std::sort(mhz.begin(), mhz.end());
    // The closest neighbours set the bar width; the range leaves room for one bar each side.
    double closest = 8.0;
    for (std::size_t i = 1; i < mhz.size(); ++i)
        if (mhz[i] > mhz[i - 1]) closest = std::min(closest, mhz[i] - mhz[i - 1]);
    lowMhz_ = mhz.empty() ? 0 : mhz.front() - closest;
    highMhz_ = mhz.empty() ? 100 : mhz.back() + closest;
    if (levels.empty()) {
        lowLevel_ = 0, highLevel_ = 100;
    } else {
        const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
        lowLevel_ = std::floor((*low - 6) / 5) * 5;
        highLevel_ = std::ceil((*high + 3) / 5) * 5;
    }
    barWidth_ = std::clamp(0.7 * closest * plot_.width() / (highMhz_ - lowMhz_), 1.0, 40.0);
}

double SurveyChartLayout::xOf(double mhz) const {
    return plot_.left() + (mhz - lowMhz_) / (highMhz_ - lowMhz_) * plot_.width();
}

double SurveyChartLayout::yOf(double level) const {
    return plot_.bottom() - (level - lowLevel_) / (highLevel_ - lowLevel_) * plot_.height();
}

void drawSurveyChart(QPainter& painter, const QRectF& area, const Survey& survey) {
    const SurveyChartLayout layout(survey, area);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false); // bars on whole pixels
    // A unit the meter did not confirm is not guessed.
    drawAxes(painter, layout,
             survey.unit.empty() ? QStringLiteral("?") : QString::fromStdString(survey.unit));
    drawBars(painter, layout, survey);
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawTiltLine(painter, layout, survey);
    painter.restore();
}

QImage surveyChartImage(const Survey& survey, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    drawSurveyChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), survey);
    return image;
}

bool saveSurveyChartPng(const Survey& survey, const QString& path, QSize size) {
    return surveyChartImage(survey, size).save(path, "PNG");
}

} // namespace plandex
