// What `sondrel survey` does beyond measuring: checks the survey against a
// limits profile, reads MER and BER of digital channels, keeps the survey in
// the history, compares it with an earlier one of the site, writes the PDF
// report. The survey command calls in three places: configure, before
// measuring, and once the survey is done.
#pragma once

#include "json_values.h"
#include "level_survey.h"
#include "session.h"
#include "survey_report.h"

#include <CLI/CLI.hpp>

#include <string>

namespace sondrel::cli {

// Some check failed against the limits profile (apart from the statuses
// every command gives for a link failure).
inline constexpr int ExitCheckFailed = 10;

// Writes a report as PDF in the system's language, drawing offscreen.
bool writeSurveyReportPdf(const plandex::SurveyReport& report, const std::string& path);

class SurveyChecking {
  public:
    void addOptions(CLI::App& command);
    // Reads the profile and checks the options, before anything is measured;
    // throws UsageError.
    void prepare();
    // Reads MER and BER when asked, checks, keeps, compares, writes the report.
    void finish(Session& session, const client::Survey& survey);
    // The checks' lines for people (nothing without a profile or comparison).
    void print(std::ostream& out) const;
    // The checks' fields in the survey's JSON line.
    void addTo(Json& line) const;
    // The survey's exit status given what measuring alone gave: with a profile,
    // 10 when a check failed, 4 when one could not be made, else 0.
    int exitStatus(int measured) const;

  private:
    std::string limits_, site_, operator_, compare_, pdf_;
    bool keep_ = false, mer_ = false;
    double threshold_ = client::DefaultChangeThresholdDb;
    plandex::SurveyReport report_;
};

} // namespace sondrel::cli
