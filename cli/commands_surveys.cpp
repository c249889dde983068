// The kept surveys (sondrel survey --keep) and the limits profiles:
//
//   sondrel surveys list [--site NAME]        every kept survey, oldest first
//   sondrel surveys show ID [--pdf FILE]      one survey as CSV, or its report
//   sondrel surveys compare A B               each channel's change from A to B
//   sondrel surveys export ID --csv FILE
//   sondrel surveys profiles                  the limits profiles found
#include "cli_errors.h"
#include "command_registry.h"
#include "commands_report.h"
#include "survey_checking.h"
#include "survey_csv.h"
#include "survey_history.h"
#include "survey_limits.h"

#include <fstream>
#include <iostream>

namespace sondrel::cli {
namespace {

using client::KeptSurvey;

KeptSurvey loadKept(const client::SurveyHistory& history, std::int64_t id) {
    auto kept = history.load(id);
    if (!kept) throw UsageError("no kept survey " + std::to_string(id));
    return *kept;
}

std::string summaryLine(const KeptSurvey& kept) {
    return std::to_string(kept.id) + "  " + kept.time + "  " + kept.site + "  " +
           (kept.meterModel.empty() ? "-" : kept.meterModel) + "  " +
           (kept.profile.empty() ? "-" : kept.profile + " " + kept.verdict);
}

Json summaryJson(const KeptSurvey& kept) {
    return {{"id", kept.id},
            {"site", kept.site},
            {"time", kept.time},
            {"meter", kept.meterModel},
            {"operator", kept.operatorName},
            {"unit", kept.survey.unit},
            {"profile", kept.profile},
            {"verdict", kept.verdict}};
}

// The report of a kept survey, checked again against its profile when that is still found.
plandex::SurveyReport reportOf(const KeptSurvey& kept) {
    plandex::SurveyReport report;
    report.survey = kept;
    if (kept.profile.empty()) return report;
    try {
        report.profile = client::findLimitsProfile(kept.profile);
        report.checks = client::checkSurvey(kept.survey, *report.profile, kept.quality);
    } catch (const client::LimitsError& e) {
        std::cerr << "surveys: " << e.what() << "; the report shows no checks\n";
    }
    return report;
}

class SurveysCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.require_subcommand(1);
        command.add_flag("--json", json_, "print JSON instead of text");
        command.add_option("--history", historyFile_,
                           "the history file (default: $XDG_DATA_HOME/sondrel/surveys.sqlite)");
        list_ = command.add_subcommand("list", "every kept survey, oldest first");
        list_->add_option("--site", site_, "only the surveys of this site");
        show_ = command.add_subcommand("show", "a kept survey's channels as CSV");
        show_->add_option("ID", id_, "the survey")->required();
        show_->add_option("--pdf", pdf_, "write its report to this PDF file instead");
        compare_ = command.add_subcommand("compare", "each channel's change from survey A to B");
        compare_->add_option("A", id_, "the earlier survey")->required();
        compare_->add_option("B", other_, "the later survey")->required();
        compare_->add_option("--threshold", threshold_, "flag changes beyond this, dB (2)");
        exportCsv_ = command.add_subcommand("export", "write a kept survey as a CSV file");
        exportCsv_->add_option("ID", id_, "the survey")->required();
        exportCsv_->add_option("--csv", csv_, "the file to write")->required();
        profiles_ = command.add_subcommand("profiles", "the limits profiles --limits can name");
        command.footer("Exit status: 0 done, 2 usage error (no such survey, unreadable "
                       "history); compare gives 10 when a channel changed beyond the threshold.");
    }

    int run(Session&) override {
        if (profiles_->parsed()) return listProfiles();
        try {
            client::SurveyHistory history(historyFile_.empty()
                                              ? client::SurveyHistory::defaultFile()
                                              : std::filesystem::path(historyFile_));
            if (list_->parsed()) return list(history);
            if (show_->parsed()) return show(history);
            if (compare_->parsed()) return compare(history);
            return exportCsv(history);
        } catch (const client::HistoryError& e) {
            throw UsageError(e.what());
        }
    }

  private:
    int listProfiles() const {
        Json all = Json::array();
        for (const auto& p : client::availableLimitsProfiles()) {
            if (json_)
                all.push_back({{"id", p.id}, {"name", p.name}, {"example", p.example}});
            else
                std::cout << p.id << "  " << p.name << (p.example ? "  (example)" : "") << '\n';
        }
        if (json_) std::cout << jsonLine(all) << '\n';
        return ExitCompleted;
    }

    int list(const client::SurveyHistory& history) const {
        Json all = Json::array();
        for (const KeptSurvey& kept : history.list(site_)) {
            if (json_)
                all.push_back(summaryJson(kept));
            else
                std::cout << summaryLine(kept) << '\n';
        }
        if (json_) std::cout << jsonLine(all) << '\n';
        return ExitCompleted;
    }

    int show(const client::SurveyHistory& history) const {
        const KeptSurvey kept = loadKept(history, id_);
        if (!pdf_.empty()) {
            if (!writeSurveyReportPdf(reportOf(kept), pdf_))
                throw UsageError("could not write " + pdf_);
            return ExitCompleted;
        }
        if (json_) {
            Json line = summaryJson(kept);
            line["csv"] = client::surveyCsv(kept.survey);
            std::cout << jsonLine(line) << '\n';
        } else {
            std::cout << summaryLine(kept) << '\n' << client::surveyCsv(kept.survey);
        }
        return ExitCompleted;
    }

    int compare(const client::SurveyHistory& history) const {
        const KeptSurvey earlier = loadKept(history, id_), later = loadKept(history, other_);
        const auto comparison = client::compareSurveys(earlier.survey, later.survey, threshold_);
        Json changes = Json::array();
        for (const auto& c : comparison.channels) {
            if (json_) {
                changes.push_back({{"channel", c.channel.number},
                                   {"name", c.channel.name},
                                   {"freq", c.channel.mhz},
                                   {"before", c.before ? Json(*c.before) : Json()},
                                   {"after", c.after ? Json(*c.after) : Json()},
                                   {"change", c.change ? Json(*c.change) : Json()},
                                   {"flagged", c.flagged}});
                continue;
            }
            const auto level = [](const std::optional<double>& l) {
                return l ? fixed(*l, 1) : std::string("-");
            };
            std::cout << c.channel.number << "  " << c.channel.name << "  "
                      << fixed(c.channel.mhz, 2) << "  " << level(c.before) << " -> "
                      << level(c.after) << "  " << (c.change ? fixed(*c.change, 1) : "-")
                      << (c.flagged ? "  *" : "") << '\n';
        }
        if (json_)
            std::cout << jsonLine({{"from", earlier.id},
                                   {"to", later.id},
                                   {"threshold", comparison.threshold},
                                   {"flagged", comparison.flagged},
                                   {"channels", changes}})
                      << '\n';
        else
            std::cout << comparison.flagged << " channels changed by more than "
                      << fixed(comparison.threshold, 1) << " dB (marked *)\n";
        return comparison.flagged ? ExitCheckFailed : ExitCompleted;
    }

    int exportCsv(const client::SurveyHistory& history) const {
        const KeptSurvey kept = loadKept(history, id_);
        std::ofstream out(csv_, std::ios::binary | std::ios::trunc);
        out << client::surveyCsv(kept.survey);
        out.close();
        if (!out) throw UsageError("could not write " + csv_);
        return ExitCompleted;
    }

    CLI::App *list_ = nullptr, *show_ = nullptr, *compare_ = nullptr, *exportCsv_ = nullptr,
             *profiles_ = nullptr;
    bool json_ = false;
    std::string historyFile_, site_, pdf_, csv_;
    std::int64_t id_ = 0, other_ = 0;
    double threshold_ = client::DefaultChangeThresholdDb;
};

const RegisterCommand<SurveysCommand> surveys{
    "surveys", "kept surveys: list, show, compare, export; and the limits profiles"};

} // namespace
} // namespace sondrel::cli
