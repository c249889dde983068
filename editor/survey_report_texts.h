// The words of a survey report, in English and Chinese. The report is drawn
// by the editor and by sondrel, which has no editor's language setting, so it
// carries its own table and takes the language as an argument.
#pragma once

#include <QString>

namespace plandex {

enum class ReportLanguage { English, Chinese };

// The language of the system's locale (LC_ALL, LC_MESSAGES, LANG).
ReportLanguage systemReportLanguage();

enum class ReportText {
    Title,
    VerdictPass,
    VerdictFail,       // %1 failed checks of %2
    VerdictIncomplete, // no check failed, some could not be made
    VerdictNoProfile,  // the survey was not checked against limits
    Site,
    Time,
    Operator,
    Meter,
    Profile,
    ExampleProfile, // after the name of a profile whose numbers are an example
    Unit,
    NetworkFigures,
    Check,
    Measured,
    Limit,
    Verdict,
    Pass,
    Fail,
    NotMeasured,
    Level,
    CarrierToNoise,
    Mer,
    Ber,
    AdjacentDifference, // %1 analogue or digital
    Spread,             // %1 analogue or digital
    Tilt,
    Analogue,
    Digital,
    Channels,
    Channel,
    Name,
    Type,
    Frequency,
    Comparison,        // %1 id, %2 time of the earlier survey
    ComparisonSummary, // %1 channels flagged, %2 channels, %3 threshold dB
    TiltChange,        // %1 before, %2 after
    Change,
    Stopped,
    LimitBand,  // legend of the chart's limit lines
    FailedMark, // legend of the chart's failed-channel marks
};

QString reportText(ReportText id, ReportLanguage language);

} // namespace plandex
