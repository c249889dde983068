// A level survey from the shell: every channel of a plan measured in
// frequency order, printed as it goes, with the tilt at the end.
//
//   sondrel --port 3 survey                       the meter's active plan
//   sondrel --port 3 survey --plan cable.txt --cn --csv levels.csv --png levels.png
//
// The output files are checked before the first frame, and whatever ends the
// survey, the channels measured so far are printed before anything else can
// go wrong.
#include "cli_errors.h"
#include "command_registry.h"
#include "commands_report.h"
#include "interrupts.h"
#include "level_survey.h"
#include "offscreen_gui.h"
#include "output_paths.h"
#include "plan_file_io.h"
#include "platform/codepage.h"
#include "survey_chart.h"
#include "survey_checking.h"
#include "survey_csv.h"
#include "survey_plan.h"

#include <fstream>
#include <iostream>
#include <unistd.h>

namespace sondrel::cli {
namespace {

using client::Survey;
using client::SurveyResult;

using client::ActivePlan;

// The meter's active plan, numbered as the meter numbers it.
client::SurveyPlan planOfMeter(Session& session) {
    const ActivePlan active = client::readActivePlan(session.connection());
    if (active.outcome == ActivePlan::Outcome::SlotUnknown)
        throw UsageError("the meter did not say which plan is active");
    if (active.outcome == ActivePlan::Outcome::NotRead)
        throw UsageError("the meter's active plan could not be read");
    return active.plan;
}

constexpr const char* MeterSilent = "the meter does not answer";
constexpr const char* Interrupted = "interrupted";

// Why the survey ended before its last channel; empty when it did not.
std::string stopReason(const Survey& survey) {
    if (survey.meterSilent) return MeterSilent;
    return survey.stopped ? Interrupted : "";
}

// The unit as the table's header and the summary show it.
std::string unitLabel(const std::string& unit) {
    return unit.empty() ? "?" : unit;
}

client::SurveyPlan planOfFile(const std::string& path) {
    const sondrel::CodePage codePage = sondrel::CodePage::system();
    const auto content = plandex::readPlanFile(QString::fromStdString(path), codePage);
    if (!content) throw UsageError("\"" + path + "\" is not a plan file that can be read");
    return plandex::surveyPlanOf(*content);
}

std::string levelText(const SurveyResult& r) {
    return r.level ? fixed(*r.level, 1) : "failed";
}

std::string cnText(const SurveyResult& r) {
    return r.cn ? std::to_string(*r.cn) : r.cnFailed ? "failed" : "";
}

std::string padded(std::string text, std::size_t width, bool right = false) {
    if (text.size() >= width) return text;
    const std::string pad(width - text.size(), ' ');
    return right ? pad + text : text + pad;
}

std::string tableLine(const SurveyResult& r) {
    return padded(std::to_string(r.channel.number), 4, true) + "  " + padded(r.channel.name, 5) +
           " " + padded(r.channel.type, 5) + padded(fixed(r.channel.mhz, 2), 8, true) +
           padded(levelText(r), 12, true) + padded(cnText(r), 8, true);
}

std::string favouriteText(const client::FavouriteDifferences& difference) {
    if (!difference.analogue && !difference.digital) return "not measured";
    std::string text;
    if (difference.analogue) text = fixed(*difference.analogue, 1) + " dB (analogue)";
    if (difference.digital)
        text += (text.empty() ? "" : ", ") + fixed(*difference.digital, 1) + " dB (digital)";
    return text;
}

Json resultJson(const SurveyResult& r) {
    Json line{{"channel", r.channel.number},
              {"name", r.channel.name},
              {"type", r.channel.type},
              {"freq", r.channel.mhz},
              {"level", nullptr},
              {"result", r.level ? "measured" : "failed"}};
    if (r.level) line["level"] = *r.level;
    if (r.cn) line["cn"] = *r.cn;
    if (r.cnFailed) line["cn"] = "failed";
    return line;
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

bool writeChart(const Survey& survey, const std::string& path) {
    const OffscreenGui gui;
    return plandex::saveSurveyChartPng(survey, QString::fromStdString(path));
}

class SurveyCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        auto* plan = command.add_option("--plan", planFile_, "survey the plan of this plan file");
        command.add_flag("--meter", fromMeter_, "survey the meter's active plan (the default)")
            ->excludes(plan);
        command.add_flag("--cn", cn_, "also estimate the C/N of analogue channels (slow)");
        command.add_option("--unit", unit_, "read the levels in this unit (default: the plan's)")
            ->check(CLI::IsMember({"dBuV", "dBmV", "dBm"}));
        command.add_option("--csv", csvFile_, "write the results to this CSV file");
        command.add_option("--png", pngFile_, "draw the chart into this PNG file");
        command.add_flag("--json", json_, "print one line of JSON at the end instead of a table");
        command.footer(
            "Analogue channels are read at their vision carrier, digital ones by their channel "
            "power (the meter knows them by their number in its active plan; a plan file is "
            "numbered as a Download numbers it, in frequency order). Before measuring, the "
            "survey sets the meter's level unit to the plan's (or --unit) and labels the levels "
            "with the unit the meter confirms; the meter keeps that unit afterwards. The tilt "
            "is the least-squares slope of level against frequency, dB per 100 MHz; the "
            "favourites' difference is taken within analogue and within digital channels.\n"
            "The --csv and --png files are checked before the meter is asked anything. When "
            "the first 3 channels all fail the survey stops: the meter does not answer. "
            "Ctrl-C stops after the current channel; what was measured is printed.\n"
            "Exit status: 0 every channel measured, 1 library not loadable, 2 usage error (or "
            "an output file that could not be written at the end), 3 member error, 4 some "
            "channels could not be measured, the meter does not answer or the survey was "
            "interrupted.");
        checking_.addOptions(command);
    }

    int run(Session& session) override {
        for (const std::string* path : {&csvFile_, &pngFile_})
            if (!path->empty()) checkOutputPath(*path);
        client::SurveyPlan plan = planFile_.empty() ? planOfMeter(session) : planOfFile(planFile_);
        if (plan.channels.empty()) throw UsageError("the plan has no channels");
        if (!unit_.empty()) plan.unit = unit_;
        checking_.prepare();
        const bool showProgress = isatty(STDERR_FILENO) != 0;
        client::SurveyOptions options{.carrierToNoise = cn_};
        options.unitConfirmed = [&](const std::string& unit) {
            if (unit.empty())
                std::cerr << "sondrel: the meter did not confirm the level unit " << plan.unit
                          << "; the levels are in its own unit, which is not known\n";
            else if (unit != plan.unit)
                std::cerr << "sondrel: the meter reads in " << unit << ", not " << plan.unit
                          << '\n';
            if (!json_)
                std::cout << "  Ch  Name  Type      MHz"
                          << padded("Level " + unitLabel(unit), 12, true) << "  C/N dB"
                          << std::endl;
        };
        Survey survey;
        {
            const InterruptsStopLoop stopping; // the survey stops after the current channel
            survey =
                client::runSurvey(session.connection(), plan, options,
                                  [&](const SurveyResult& r, std::size_t done, std::size_t total) {
                                      if (!json_) std::cout << tableLine(r) << std::endl;
                                      if (showProgress)
                                          std::cerr << "\rsurvey: " << done << " of " << total
                                                    << " channels" << (done == total ? "\n" : "")
                                                    << std::flush;
                                      return !interruptRequested();
                                  });
        }
        if (showProgress && survey.stopped) std::cerr << '\n';
        checking_.finish(session, survey);
        printResults(survey);
        if (survey.meterSilent) {
            const Failure why = session.library().lastFailure();
            std::cerr << "sondrel: " << MeterSilent
                      << (why.text.empty() ? std::string() : ": " + why.text) << '\n';
        }

        bool written = true;
        if (!csvFile_.empty() && !writeText(csvFile_, client::surveyCsv(survey))) {
            std::cerr << "sondrel: could not write " << csvFile_ << '\n';
            written = false;
        }
        if (!pngFile_.empty() && !writeChart(survey, pngFile_)) {
            std::cerr << "sondrel: could not write " << pngFile_ << '\n';
            written = false;
        }
        if (!written) return ExitUsage;
        const bool allMeasured =
            !survey.stopped && std::all_of(survey.results.begin(), survey.results.end(),
                                           [](const auto& r) { return r.level.has_value(); });
        return checking_.exitStatus(allMeasured ? ExitCompleted : ExitNotDone);
    }

  private:
    void printResults(const Survey& survey) const {
        const auto fit = client::fitTilt(survey.results);
        const auto difference = client::favouriteDifferences(survey);
        const auto failedCount = std::count_if(survey.results.begin(), survey.results.end(),
                                               [](const auto& r) { return !r.level; });
        const std::string stopped = stopReason(survey);
        if (json_) {
            Json line{{"unit", nullptr},
                      {"channels", Json::array()},
                      {"tilt", nullptr},
                      {"favouriteDifference", nullptr},
                      {"digitalFavouriteDifference", nullptr},
                      {"failed", failedCount},
                      {"stopped", nullptr}};
            if (!survey.unit.empty()) line["unit"] = survey.unit;
            for (const SurveyResult& r : survey.results)
                line["channels"].push_back(resultJson(r));
            if (fit) line["tilt"] = std::round(fit->dbPer100MHz * 100) / 100;
            if (difference.analogue) line["favouriteDifference"] = *difference.analogue;
            if (difference.digital) line["digitalFavouriteDifference"] = *difference.digital;
            if (!stopped.empty()) line["stopped"] = stopped;
            checking_.addTo(line);
            std::cout << jsonLine(line) << std::endl;
            return;
        }
        std::cout << "tilt: "
                  << (fit ? fixed(fit->dbPer100MHz, 2) + " dB per 100 MHz" : "not measured")
                  << "; highest minus lowest favourite: " << favouriteText(difference) << '\n';
        if (failedCount)
            std::cout << failedCount << " of " << survey.results.size()
                      << " channels could not be measured\n";
        if (!stopped.empty()) std::cout << "survey stopped: " << stopped << '\n';
        checking_.print(std::cout);
        std::cout << std::flush;
    }

    std::string planFile_, csvFile_, pngFile_, unit_;
    bool fromMeter_ = false, cn_ = false, json_ = false;
    SurveyChecking checking_;
};

const RegisterCommand<SurveyCommand> survey{
    "survey", "measure every channel of a plan and the tilt between its ends"};

} // namespace
} // namespace sondrel::cli
