// The printable report of a survey: one or two A4 pages with the overall
// verdict at the top, where, when, who and with which meter and limits, the
// chart with its limit lines and failed channels marked, the network-wide
// figures, every channel's readings and verdicts, and the change since the
// site's previous survey. Drawn on any paged device: a PDF file or a printer.
#pragma once

#include "survey_checks.h"
#include "survey_comparison.h"
#include "survey_history.h"
#include "survey_limits.h"
#include "survey_report_texts.h"

#include <QString>

#include <optional>

class QPagedPaintDevice;

namespace plandex {

struct SurveyReport {
    sondrel::client::KeptSurvey survey; // site, time, operator, meter and readings
    std::optional<sondrel::client::LimitsProfile> profile;
    std::optional<sondrel::client::SurveyChecks> checks; // with the profile
    // The earlier survey compared with, and the comparison.
    std::optional<sondrel::client::KeptSurvey> earlier;
    std::optional<sondrel::client::SurveyComparison> comparison;
};

// Paints the report on a device set up for A4; false when it cannot be painted on.
bool paintSurveyReport(QPagedPaintDevice& device, const SurveyReport& report,
                       ReportLanguage language);

// Writes the report as a PDF file; needs a QGuiApplication (offscreen will do).
bool saveSurveyReportPdf(const SurveyReport& report, const QString& path, ReportLanguage language);

// A check's name as the report's tables give it: "Level", "MER", "Adjacent
// difference, analogue", ...
QString checkName(const sondrel::client::CheckResult& check, ReportLanguage language);
// The names of the checks channel `number` failed, its own and the network-wide
// figures that come from it, separated by "; "; empty when it failed none.
QString failedChecksOf(const sondrel::client::SurveyChecks& checks, int number,
                       ReportLanguage language);

// The overall verdict line at the top of the report.
QString overallVerdictText(const SurveyReport& report, ReportLanguage language);

} // namespace plandex
