#include "survey_report.h"

#include "survey_chart.h"
#include "survey_limit_overlay.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace plandex {
namespace {

using sondrel::client::CheckKind;
using sondrel::client::CheckResult;
using sondrel::client::SurveyResult;
using sondrel::client::Verdict;

// The page is laid out on a width of this many units, whatever the device's resolution.
constexpr double PageWidth = 700;
constexpr double RowHeight = 15;
const QColor incompleteColour{110, 110, 110};

QString decimal(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

int countOf(const sondrel::client::SurveyChecks& checks, Verdict verdict) {
    const auto is = [verdict](const CheckResult& c) { return c.verdict == verdict; };
    return static_cast<int>(std::count_if(checks.channels.begin(), checks.channels.end(), is) +
                            std::count_if(checks.network.begin(), checks.network.end(), is));
}

QString verdictWord(Verdict verdict, ReportLanguage language) {
    switch (verdict) {
    case Verdict::Pass:
        return reportText(ReportText::Pass, language);
    case Verdict::Fail:
        return reportText(ReportText::Fail, language);
    case Verdict::NotMeasured:
        break;
    }
    return reportText(ReportText::NotMeasured, language);
}

QString figureText(const CheckResult& c) {
    if (!c.value) return QStringLiteral("-");
    if (c.kind == CheckKind::Ber) return QString::number(*c.value, 'E', 1);
    return decimal(*c.value, c.kind == CheckKind::Tilt ? 2 : 1);
}

QString limitText(const CheckResult& c) {
    const auto number = [&](double v) {
        return c.kind == CheckKind::Ber ? QString::number(v, 'E', 1) : decimal(v, 1);
    };
    if (c.min && c.max) return number(*c.min) + QStringLiteral(" … ") + number(*c.max);
    if (c.min) return QStringLiteral("≥ ") + number(*c.min);
    if (c.max) return QStringLiteral("≤ ") + number(*c.max);
    return {};
}

// Paints rows from the top of a page down and turns the page when it is full.
class PageCursor {
  public:
    PageCursor(QPagedPaintDevice& device, QPainter& painter) : device_(device), painter_(painter) {
        const double scale = painter.device()->width() / PageWidth;
        pageHeight_ = painter.device()->height() / scale;
        painter.scale(scale, scale);
    }
    double y() const { return y_; }
    void advance(double height) { y_ += height; }
    // Turns the page unless `height` more fits on this one.
    void need(double height) {
        if (y_ + height <= pageHeight_) return;
        device_.newPage();
        y_ = 0;
    }
    void font(double pixels, bool bold = false) {
        QFont f = painter_.font();
        f.setPixelSize(static_cast<int>(pixels));
        f.setBold(bold);
        painter_.setFont(f);
    }
    void text(double x, double width, const QString& text, double height = RowHeight) {
        painter_.drawText(QRectF(x, y_, width, height), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    // Text that may be longer than its room, in a smaller letter and cut with
    // an ellipsis rather than running off the page.
    void smallText(double x, double width, const QString& text) {
        const QFont before = painter_.font();
        font(7, before.bold());
        this->text(x, width,
                   QFontMetricsF(painter_.font()).elidedText(text, Qt::ElideRight, width));
        painter_.setFont(before);
    }

  private:
    QPagedPaintDevice& device_;
    QPainter& painter_;
    double y_ = 0;
    double pageHeight_ = 0;
};

void heading(PageCursor& cursor, const QString& text) {
    cursor.need(RowHeight * 3);
    cursor.advance(6);
    cursor.font(12, true);
    cursor.text(0, PageWidth, text, 18);
    cursor.advance(20);
    cursor.font(9);
}

void drawVerdictBanner(QPainter& painter, PageCursor& cursor, const SurveyReport& report,
                       ReportLanguage language) {
    const QColor colour = !report.checks                            ? incompleteColour
                          : report.checks->overall == Verdict::Pass ? passColour
                          : report.checks->overall == Verdict::Fail ? failColour
                                                                    : incompleteColour;
    const QRectF banner(0, cursor.y(), PageWidth, 34);
    painter.fillRect(banner, colour);
    painter.setPen(Qt::white);
    cursor.font(17, true);
    painter.drawText(banner.adjusted(10, 0, -10, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     overallVerdictText(report, language));
    painter.setPen(Qt::black);
    cursor.advance(banner.height() + 8);
}

void drawFacts(PageCursor& cursor, const SurveyReport& report, ReportLanguage language) {
    const auto& kept = report.survey;
    QString profile = report.profile ? QString::fromStdString(report.profile->name) : "-";
    if (report.profile && report.profile->example)
        profile += QStringLiteral(" ") + reportText(ReportText::ExampleProfile, language);
    const std::pair<ReportText, QString> facts[] = {
        {ReportText::Site, QString::fromStdString(kept.site)},
        {ReportText::Time, QString::fromStdString(kept.time)},
        {ReportText::Operator, QString::fromStdString(kept.operatorName)},
        {ReportText::Meter, QString::fromStdString(kept.meterModel)},
        {ReportText::Unit, QString::fromStdString(kept.survey.unit)},
        {ReportText::Profile, profile},
    };
    cursor.font(9);
    for (const auto& [label, value] : facts) {
        cursor.text(0, 90, reportText(label, language));
        cursor.text(90, PageWidth - 90, value.isEmpty() ? QStringLiteral("-") : value);
        cursor.advance(RowHeight);
    }
    if (kept.survey.stopped) {
        cursor.text(0, PageWidth, reportText(ReportText::Stopped, language));
        cursor.advance(RowHeight);
    }
}

void drawChart(QPainter& painter, PageCursor& cursor, const SurveyReport& report,
               ReportLanguage language) {
    const QRectF area(0, cursor.y() + 4, PageWidth, 250);
    cursor.font(8);
    drawSurveyChart(painter, area, report.survey.survey);
    if (report.profile && report.checks)
        drawLimitOverlay(painter, area, report.survey.survey, *report.profile, *report.checks);
    cursor.advance(area.height() + 6);
    if (report.checks) {
        cursor.text(0, PageWidth,
                    reportText(ReportText::LimitBand, language) + QStringLiteral("    ") +
                        reportText(ReportText::FailedMark, language));
        cursor.advance(RowHeight);
    }
}

void drawVerdictCell(QPainter& painter, PageCursor& cursor, double x, double width, Verdict verdict,
                     ReportLanguage language) {
    if (verdict == Verdict::Fail) {
        painter.setPen(failColour);
        cursor.font(9, true);
    }
    cursor.text(x, width,
                verdict == Verdict::Fail ? QStringLiteral("✗ ") + verdictWord(verdict, language)
                                         : verdictWord(verdict, language));
    painter.setPen(Qt::black);
    cursor.font(9);
}

void drawNetwork(QPainter& painter, PageCursor& cursor, const SurveyReport& report,
                 ReportLanguage language) {
    if (!report.checks || report.checks->network.empty()) return;
    heading(cursor, reportText(ReportText::NetworkFigures, language));
    const double columns[] = {0, 300, 400, 520};
    cursor.font(9, true);
    cursor.text(columns[0], 300, reportText(ReportText::Check, language));
    cursor.text(columns[1], 100, reportText(ReportText::Measured, language));
    cursor.text(columns[2], 120, reportText(ReportText::Limit, language));
    cursor.text(columns[3], 180, reportText(ReportText::Verdict, language));
    cursor.advance(RowHeight);
    cursor.font(9);
    for (const CheckResult& c : report.checks->network) {
        cursor.need(RowHeight);
        QString name = checkName(c, language);
        // The channels it comes from, which the chart and the channel table mark when it fails.
        if (c.channel)
            name += (c.kind == CheckKind::AdjacentDifference ? QStringLiteral(" (%1-%2)")
                                                             : QStringLiteral(" (%1, %2)"))
                        .arg(c.channel)
                        .arg(c.otherChannel);
        cursor.text(columns[0], 300, name);
        cursor.text(columns[1], 100, figureText(c));
        cursor.text(columns[2], 120, limitText(c));
        drawVerdictCell(painter, cursor, columns[3], 180, c.verdict, language);
        cursor.advance(RowHeight);
    }
}

// The comparison's line for a channel of the survey; nullptr without one.
const sondrel::client::ChannelChange* changeOf(const SurveyReport& report, const SurveyResult& r) {
    if (!report.comparison) return nullptr;
    for (const auto& change : report.comparison->channels)
        if (change.channel == r.channel) return &change;
    return nullptr;
}

void drawChannels(QPainter& painter, PageCursor& cursor, const SurveyReport& report,
                  ReportLanguage language) {
    heading(cursor, reportText(ReportText::Channels, language));
    const QString unit = QString::fromStdString(report.survey.survey.unit);
    constexpr int Columns = 10;
    const double x[Columns] = {0, 35, 95, 140, 200, 290, 335, 385, 445, 505};
    const auto header = [&] {
        cursor.font(9, true);
        const ReportText names[Columns] = {ReportText::Channel, ReportText::Name,
                                           ReportText::Type,    ReportText::Frequency,
                                           ReportText::Level,   ReportText::CarrierToNoise,
                                           ReportText::Mer,     ReportText::Ber,
                                           ReportText::Change,  ReportText::Verdict};
        for (int i = 0; i < Columns; ++i) {
            QString title = reportText(names[i], language);
            if (names[i] == ReportText::Level) title += QStringLiteral(" (") + unit + ")";
            cursor.text(x[i], (i + 1 < Columns ? x[i + 1] : PageWidth) - x[i], title);
        }
        cursor.advance(RowHeight);
        cursor.font(9);
    };
    header();
    for (const SurveyResult& r : report.survey.survey.results) {
        const double before = cursor.y();
        cursor.need(RowHeight);
        if (cursor.y() < before) header();
        const auto* quality =
            report.survey.quality
                ? sondrel::client::qualityOf(*report.survey.quality, r.channel.number)
                : nullptr;
        const QString failedText = verdictWord(Verdict::NotMeasured, language);
        const QString cells[] = {
            QString::number(r.channel.number),
            QString::fromStdString(r.channel.name),
            QString::fromStdString(r.channel.type),
            decimal(r.channel.mhz, 2),
            r.level ? decimal(*r.level, 1) : failedText,
            r.cn         ? QString::number(*r.cn)
            : r.cnFailed ? failedText
                         : QString(),
            quality && quality->mer ? decimal(*quality->mer, 1)
            : quality               ? failedText
                                    : QString(),
            quality && quality->ber ? QString::number(*quality->ber, 'E', 1) : QString(),
        };
        for (int i = 0; i < 8; ++i)
            cursor.text(x[i], x[i + 1] - x[i], cells[i]);
        if (const auto* change = changeOf(report, r)) {
            // A flagged change is marked with a star as well as its colour.
            const QString text =
                (change->change ? decimal(*change->change, 1) : QStringLiteral("-")) +
                (change->flagged ? QStringLiteral(" *") : QString());
            if (change->flagged) painter.setPen(failColour);
            cursor.text(x[8], x[9] - x[8], text);
            painter.setPen(Qt::black);
        }
        if (report.checks) {
            // A channel the profile limits nothing of has no verdict of its own,
            // but a failed network-wide figure that comes from it is still named.
            if (!sondrel::client::checksOfChannel(*report.checks, r.channel.number).empty())
                drawVerdictCell(painter, cursor, x[9], PageWidth - x[9],
                                sondrel::client::verdictOfChannel(*report.checks, r.channel.number),
                                language);
            const QString failed = failedChecksOf(*report.checks, r.channel.number, language);
            if (!failed.isEmpty()) {
                painter.setPen(failColour);
                cursor.smallText(x[9] + 52, PageWidth - x[9] - 52, QStringLiteral("✗ ") + failed);
                painter.setPen(Qt::black);
            }
        }
        cursor.advance(RowHeight);
    }
}

// The comparison's summary; each channel's change is in the channel table.
void drawComparison(PageCursor& cursor, const SurveyReport& report, ReportLanguage language) {
    if (!report.comparison || !report.earlier) return;
    const auto& comparison = *report.comparison;
    heading(cursor, reportText(ReportText::Comparison, language)
                        .arg(report.earlier->id)
                        .arg(QString::fromStdString(report.earlier->time)));
    const auto tilt = [](const std::optional<double>& t) {
        return t ? decimal(*t, 2) : QStringLiteral("-");
    };
    cursor.text(0, PageWidth,
                reportText(ReportText::ComparisonSummary, language)
                    .arg(comparison.flagged)
                    .arg(comparison.channels.size())
                    .arg(decimal(comparison.threshold, 1)));
    cursor.advance(RowHeight);
    cursor.text(0, PageWidth,
                reportText(ReportText::TiltChange, language)
                    .arg(tilt(comparison.tiltBefore), tilt(comparison.tiltAfter)));
    cursor.advance(RowHeight);
}

} // namespace

QString checkName(const CheckResult& check, ReportLanguage language) {
    const QString kind =
        reportText(check.digital ? ReportText::Digital : ReportText::Analogue, language);
    switch (check.kind) {
    case CheckKind::Level:
        break;
    case CheckKind::CarrierToNoise:
        return reportText(ReportText::CarrierToNoise, language);
    case CheckKind::Mer:
        return reportText(ReportText::Mer, language);
    case CheckKind::Ber:
        return reportText(ReportText::Ber, language);
    case CheckKind::AdjacentDifference:
        return reportText(ReportText::AdjacentDifference, language).arg(kind);
    case CheckKind::Spread:
        return reportText(ReportText::Spread, language).arg(kind);
    case CheckKind::Tilt:
        return reportText(ReportText::Tilt, language);
    }
    return reportText(ReportText::Level, language);
}

QString failedChecksOf(const sondrel::client::SurveyChecks& checks, int number,
                       ReportLanguage language) {
    QStringList names;
    for (const CheckResult* c : sondrel::client::checksOfChannel(checks, number))
        if (c->verdict == Verdict::Fail) names << checkName(*c, language);
    for (const CheckResult* c : sondrel::client::failedNetworkChecksOf(checks, number))
        names << checkName(*c, language);
    return names.join(QStringLiteral("; "));
}

QString overallVerdictText(const SurveyReport& report, ReportLanguage language) {
    if (!report.checks) return reportText(ReportText::VerdictNoProfile, language);
    switch (report.checks->overall) {
    case Verdict::Pass:
        return reportText(ReportText::VerdictPass, language);
    case Verdict::Fail:
        return reportText(ReportText::VerdictFail, language)
            .arg(countOf(*report.checks, Verdict::Fail))
            .arg(report.checks->channels.size() + report.checks->network.size());
    case Verdict::NotMeasured:
        break;
    }
    return reportText(ReportText::VerdictIncomplete, language)
        .arg(countOf(*report.checks, Verdict::NotMeasured));
}

bool paintSurveyReport(QPagedPaintDevice& device, const SurveyReport& report,
                       ReportLanguage language) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    PageCursor cursor(device, painter);
    cursor.font(20, true);
    cursor.text(0, PageWidth, reportText(ReportText::Title, language), 28);
    cursor.advance(34);
    drawVerdictBanner(painter, cursor, report, language);
    drawFacts(cursor, report, language);
    drawChart(painter, cursor, report, language);
    drawNetwork(painter, cursor, report, language);
    drawComparison(cursor, report, language);
    drawChannels(painter, cursor, report, language);
    return painter.end();
}

bool saveSurveyReportPdf(const SurveyReport& report, const QString& path, ReportLanguage language) {
    QPdfWriter writer(path);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    writer.setTitle(reportText(ReportText::Title, language));
    writer.setCreator(QStringLiteral("sondrel"));
    return paintSurveyReport(writer, report, language);
}

} // namespace plandex
