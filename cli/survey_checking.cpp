#include "survey_checking.h"

#include "cli_errors.h"
#include "commands_report.h"
#include "offscreen_gui.h"
#include "survey_checks.h"
#include "survey_history.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <unistd.h>

namespace sondrel::cli {
namespace {

using client::CheckResult;
using client::Verdict;

std::string berText(double ber) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1E", ber);
    return text;
}

std::string figureText(const CheckResult& c) {
    if (!c.value) return "not measured";
    if (c.kind == client::CheckKind::Ber) return berText(*c.value);
    return fixed(*c.value, c.kind == client::CheckKind::Tilt ? 2 : 1);
}

std::string limitText(const CheckResult& c) {
    std::string text;
    if (c.min) text += ">= " + fixed(*c.min, 1);
    if (c.min && c.max) text += " and ";
    if (c.max)
        text += "<= " + (c.kind == client::CheckKind::Ber ? berText(*c.max) : fixed(*c.max, 1));
    return text;
}

Json checkJson(const CheckResult& c) {
    Json check{{"check", client::checkKindName(c.kind)},
               {"verdict", client::verdictName(c.verdict)},
               {"value", nullptr}};
    if (c.value) check["value"] = *c.value;
    if (c.min) check["min"] = *c.min;
    if (c.max) check["max"] = *c.max;
    if (c.channel) check["channel"] = c.channel;
    if (c.otherChannel) check["otherChannel"] = c.otherChannel;
    if (c.kind == client::CheckKind::AdjacentDifference || c.kind == client::CheckKind::Spread)
        check["kind"] = c.digital ? "digital" : "analogue";
    return check;
}

std::string meterModel(Session& session) {
    std::string model;
    if (failed(session.connection().SLMType(&model))) return {};
    return model;
}

std::string userName() {
    const char* user = std::getenv("USER");
    return user ? user : "";
}

// Whether a file can be made at `path`: its folder exists and may be written.
bool canWriteTo(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::absolute(path).parent_path();
    return access(folder.c_str(), W_OK) == 0;
}

} // namespace

bool writeSurveyReportPdf(const plandex::SurveyReport& report, const std::string& path) {
    const OffscreenGui gui;
    return plandex::saveSurveyReportPdf(report, QString::fromStdString(path),
                                        plandex::systemReportLanguage());
}

void SurveyChecking::addOptions(CLI::App& command) {
    command.add_option("--limits", limits_,
                       "check against this limits profile (a shipped or own profile's name, or "
                       "a JSON file)");
    command.add_option("--site", site_, "the site surveyed, for --keep and --compare");
    command.add_option("--operator", operator_, "who surveyed, for the report (default: $USER)");
    command.add_flag("--keep", keep_, "keep the survey in the history");
    command.add_option("--compare", compare_,
                       "compare with an earlier survey: 'last' of the site, or a survey id");
    command.add_option("--threshold", threshold_,
                       "flag channels that changed by more than this many dB (default 2)");
    command.add_option("--pdf", pdf_, "write the report to this PDF file");
    command.add_flag("--mer", mer_, "also read MER and BER of digital channels");
    command.footer(command.get_footer() +
                   "\nWith --limits the exit status is 0 when every check passed, 10 when a "
                   "check failed, 4 when no check failed but one could not be made (a channel "
                   "not measured, C/N or MER not asked for).");
}

void SurveyChecking::prepare() {
    if ((keep_ || compare_ == "last") && site_.empty())
        throw UsageError("--keep and --compare last need --site");
    if (!compare_.empty() && compare_ != "last" &&
        compare_.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError("--compare takes 'last' or a survey id");
    if (!pdf_.empty() && !canWriteTo(pdf_))
        throw UsageError("cannot write " + pdf_ + ": its folder is missing or not writable");
    if (!limits_.empty()) {
        try {
            report_.profile = client::findLimitsProfile(limits_);
        } catch (const client::LimitsError& e) {
            throw UsageError(e.what());
        }
    }
    report_.survey.site = site_;
    report_.survey.operatorName = operator_.empty() ? userName() : operator_;
}

void SurveyChecking::finish(Session& session, const client::Survey& survey) {
    client::KeptSurvey& kept = report_.survey;
    kept.survey = survey;
    kept.time = client::utcTimeNow();
    if (mer_) kept.quality = client::readDigitalQuality(session.connection(), survey);
    kept.meterModel = meterModel(session);
    if (report_.profile) {
        report_.checks = client::checkSurvey(survey, *report_.profile, kept.quality);
        kept.profile = report_.profile->id;
        kept.verdict = client::verdictName(report_.checks->overall);
    }
    if (!keep_ && compare_.empty()) {
        if (!pdf_.empty() && !writeSurveyReportPdf(report_, pdf_))
            throw UsageError("could not write " + pdf_);
        return;
    }
    try {
        client::SurveyHistory history;
        if (compare_ == "last")
            report_.earlier = history.latestOfSite(site_);
        else if (!compare_.empty())
            report_.earlier = history.load(std::stoll(compare_));
        if (!compare_.empty() && !report_.earlier)
            std::cerr << "survey: no earlier survey to compare with\n";
        if (report_.earlier)
            report_.comparison =
                client::compareSurveys(report_.earlier->survey, survey, threshold_);
        if (keep_) kept.id = history.keep(kept);
    } catch (const client::HistoryError& e) {
        throw UsageError(e.what());
    }
    if (!pdf_.empty() && !writeSurveyReportPdf(report_, pdf_))
        throw UsageError("could not write " + pdf_);
}

void SurveyChecking::print(std::ostream& out) const {
    if (report_.survey.quality)
        for (const auto& q : *report_.survey.quality)
            out << "channel " << q.number << ": MER "
                << (q.mer ? fixed(*q.mer, 1) + " dB" : "not measured") << ", BER "
                << (q.ber ? berText(*q.ber) : "not measured") << '\n';
    if (const auto& checks = report_.checks) {
        // Failures one by one; checks that could not be made counted by kind.
        std::map<std::string, int> notMeasured;
        for (const CheckResult& c : checks->channels) {
            if (c.verdict == Verdict::Fail)
                out << "channel " << c.channel << " " << client::checkKindName(c.kind) << ": "
                    << figureText(c) << " (" << limitText(c) << ") fail\n";
            else if (c.verdict == Verdict::NotMeasured)
                ++notMeasured[client::checkKindName(c.kind)];
        }
        for (const auto& [kind, count] : notMeasured)
            out << kind << " not measured on " << count << " channels\n";
        for (const CheckResult& c : checks->network)
            out << (c.digital                           ? "digital "
                    : c.kind == client::CheckKind::Tilt ? ""
                                                        : "analogue ")
                << client::checkKindName(c.kind) << ": " << figureText(c) << " (" << limitText(c)
                << ") " << client::verdictName(c.verdict) << '\n';
        out << "verdict: " << client::verdictName(checks->overall) << " against "
            << report_.profile->id << '\n';
    }
    if (report_.comparison) {
        out << "compared with survey " << report_.earlier->id << " of " << report_.earlier->time
            << ": " << report_.comparison->flagged << " channels changed by more than "
            << fixed(report_.comparison->threshold, 1) << " dB\n";
        for (const auto& change : report_.comparison->channels)
            if (change.flagged)
                out << "  channel " << change.channel.number << " " << change.channel.name << ": "
                    << (change.change ? fixed(*change.change, 1) + " dB" : "measured once") << '\n';
    }
    if (report_.survey.id) out << "kept as survey " << report_.survey.id << '\n';
}

void SurveyChecking::addTo(Json& line) const {
    if (report_.survey.quality) {
        Json quality = Json::array();
        for (const auto& q : *report_.survey.quality)
            quality.push_back({{"channel", q.number},
                               {"mer", q.mer ? Json(*q.mer) : Json()},
                               {"ber", q.ber ? Json(*q.ber) : Json()}});
        line["quality"] = quality;
    }
    if (const auto& checks = report_.checks) {
        Json channels = Json::array(), network = Json::array();
        for (const CheckResult& c : checks->channels)
            channels.push_back(checkJson(c));
        for (const CheckResult& c : checks->network)
            network.push_back(checkJson(c));
        line["limits"] = report_.profile->id;
        line["checks"] = {{"channels", channels}, {"network", network}};
        line["verdict"] = client::verdictName(checks->overall);
    }
    if (report_.comparison) {
        Json changes = Json::array();
        for (const auto& change : report_.comparison->channels)
            changes.push_back({{"channel", change.channel.number},
                               {"change", change.change ? Json(*change.change) : Json()},
                               {"flagged", change.flagged}});
        line["comparison"] = {{"with", report_.earlier->id},
                              {"flagged", report_.comparison->flagged},
                              {"channels", changes}};
    }
    if (report_.survey.id) line["kept"] = report_.survey.id;
}

int SurveyChecking::exitStatus(int measured) const {
    if (!report_.checks) return measured;
    switch (report_.checks->overall) {
    case Verdict::Pass:
        return ExitCompleted;
    case Verdict::Fail:
        return ExitCheckFailed;
    case Verdict::NotMeasured:
        break;
    }
    return ExitNotDone;
}

} // namespace sondrel::cli
