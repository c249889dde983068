// A level survey from the shell: every channel of a plan measured in
// frequency order, printed as it goes, with the tilt at the end.
//
//   sondrel --port 3 survey                       the meter's active plan
//   sondrel --port 3 survey --plan cable.txt --cn --csv levels.csv --png levels.png
#include "cli_errors.h"
#include "command_registry.h"
#include "commands_report.h"
#include "level_survey.h"
#include "plan_file_io.h"
#include "platform/codepage.h"
#include "survey_chart.h"
#include "survey_checking.h"
#include "survey_csv.h"
#include "survey_plan.h"

#include <QGuiApplication>

#include <fstream>
#include <iostream>
#include <unistd.h>

namespace sondrel::cli {
namespace {

using client::Survey;
using client::SurveyResult;

// The meter's active plan, read with ReadPlanNum and ReadChannel.
client::SurveyPlan planOfMeter(Session& session) {
    _KorvaneConnection& meter = session.connection();
    UserPlanNumber slot = UserPlanA;
    std::int16_t done = 0;
    if (failed(meter.ReadPlanNum(&slot, &done)) || done != 1)
        throw UsageError("the meter did not say which plan is active");
    SafeArray<Channellist> channels;
    ChannelHead head;
    Variant result;
    if (failed(meter.ReadChannel(slot, &channels, &head, &result)) || result.toNumber() != 1.0)
        throw UsageError("the meter's active plan could not be read");
    return client::surveyPlanOf(channels, head);
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

// The chart needs a GUI application for its lettering; without a display it
// draws on the offscreen platform.
bool writeChart(const Survey& survey, const std::string& path) {
    int argc = 3;
    char name[] = "sondrel", option[] = "-platform", platform[] = "offscreen";
    char* argv[] = {name, option, platform, nullptr};
    QGuiApplication application(argc, argv);
    return plandex::saveSurveyChartPng(survey, QString::fromStdString(path));
}

class SurveyCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        auto* plan = command.add_option("--plan", planFile_, "survey the plan of this plan file");
        command.add_flag("--meter", fromMeter_, "survey the meter's active plan (the default)")
            ->excludes(plan);
        command.add_flag("--cn", cn_, "also estimate the C/N of analogue channels (slow)");
        command.add_option("--csv", csvFile_, "write the results to this CSV file");
        command.add_option("--png", pngFile_, "draw the chart into this PNG file");
        command.add_flag("--json", json_, "print one line of JSON at the end instead of a table");
        command.footer(
            "Analogue channels are read at their vision carrier, digital ones by their channel "
            "power (the meter knows them by their number in its active plan). Levels are in the "
            "unit the plan names. The tilt is the least-squares slope of level against "
            "frequency, dB per 100 MHz.\n"
            "Exit status: 0 every channel measured, 1 library not loadable, 2 usage error, 3 "
            "member error, 4 some channels could not be measured.");
        checking_.addOptions(command);
    }

    int run(Session& session) override {
        const client::SurveyPlan plan =
            planFile_.empty() ? planOfMeter(session) : planOfFile(planFile_);
        if (plan.channels.empty()) throw UsageError("the plan has no channels");
        checking_.prepare();
        const bool showProgress = isatty(STDERR_FILENO) != 0;
        if (!json_)
            std::cout << "  Ch  Name  Type      MHz" << padded("Level " + plan.unit, 12, true)
                      << "  C/N dB\n";
        const Survey survey =
            client::runSurvey(session.connection(), plan, {.carrierToNoise = cn_},
                              [&](const SurveyResult& r, std::size_t done, std::size_t total) {
                                  if (!json_) std::cout << tableLine(r) << std::endl;
                                  if (showProgress)
                                      std::cerr << "\rsurvey: " << done << " of " << total
                                                << " channels" << (done == total ? "\n" : "")
                                                << std::flush;
                                  return true;
                              });
        const auto fit = client::fitTilt(survey.results);
        const auto difference = client::favouriteDifference(survey);
        const auto failedCount = std::count_if(survey.results.begin(), survey.results.end(),
                                               [](const auto& r) { return !r.level; });

        checking_.finish(session, survey);
        if (!csvFile_.empty() && !writeText(csvFile_, client::surveyCsv(survey)))
            throw UsageError("could not write " + csvFile_);
        if (!pngFile_.empty() && !writeChart(survey, pngFile_))
            throw UsageError("could not write " + pngFile_);

        if (json_) {
            Json line{{"unit", survey.unit},
                      {"channels", Json::array()},
                      {"tilt", nullptr},
                      {"favouriteDifference", nullptr},
                      {"failed", failedCount}};
            for (const SurveyResult& r : survey.results)
                line["channels"].push_back(resultJson(r));
            if (fit) line["tilt"] = std::round(fit->dbPer100MHz * 100) / 100;
            if (difference) line["favouriteDifference"] = *difference;
            checking_.addTo(line);
            std::cout << jsonLine(line) << '\n';
        } else {
            std::cout << "tilt: "
                      << (fit ? fixed(fit->dbPer100MHz, 2) + " dB per 100 MHz" : "not measured")
                      << "; highest minus lowest favourite: "
                      << (difference ? fixed(*difference, 1) + " dB" : "not measured") << '\n';
            if (failedCount)
                std::cout << failedCount << " of " << survey.results.size()
                          << " channels could not be measured\n";
            checking_.print(std::cout);
        }
        return checking_.exitStatus(failedCount ? ExitNotDone : ExitCompleted);
    }

  private:
    std::string planFile_, csvFile_, pngFile_;
    bool fromMeter_ = false, cn_ = false, json_ = false;
    SurveyChecking checking_;
};

const RegisterCommand<SurveyCommand> survey{
    "survey", "measure every channel of a plan and the tilt between its ends"};

} // namespace
} // namespace sondrel::cli
