#include "level_watch.h"

#include "failure_reason.h"
#include "interrupts.h"
#include "live_pace.h"
#include "live_readings.h"
#include "output.h"

#include <chrono>
#include <limits>

namespace sondrel::cli {
namespace {

using Clock = std::chrono::steady_clock;

bool portUnusable(FailureKind kind) {
    return kind == FailureKind::NoDevice || kind == FailureKind::InUse ||
           kind == FailureKind::Permission;
}

Json optionalNumber(std::optional<double> value) {
    return value ? Json(*value) : Json(nullptr);
}

std::string optionalText(std::optional<double> value) {
    return value ? fixed(*value, 1) : std::string("none");
}

void printSummary(const client::LiveSeries& series, double mostPerSecond, bool json) {
    const auto& readings = series.readings();
    const double seconds = readings.empty() ? 0 : readings.back().seconds;
    if (json) {
        printLineNow(jsonLine(Json{{"readings", readings.size()},
                                   {"failed", series.failedCount()},
                                   {"seconds", seconds},
                                   {"perSecond", series.readingsPerSecond()},
                                   {"mostPerSecond", mostPerSecond},
                                   {"lowest", optionalNumber(series.lowest())},
                                   {"highest", optionalNumber(series.highest())},
                                   {"current", optionalNumber(series.current())}}));
        return;
    }
    printLineNow(std::to_string(readings.size()) + " readings (" +
                 std::to_string(series.failedCount()) + " failed) in " + fixed(seconds, 1) +
                 " s: " + fixed(series.readingsPerSecond(), 2) + " a second (at most " +
                 fixed(mostPerSecond, 2) + " the meter's pauses allow); lowest " +
                 optionalText(series.lowest()) + ", highest " + optionalText(series.highest()) +
                 ", current " + optionalText(series.current()));
}

} // namespace

int watchLevel(Session& session, double freq, std::optional<double> seconds, bool json) {
    // A whole run fits the series: the summary covers every reading.
    client::LiveSeries series(std::numeric_limits<double>::infinity());
    const double mostPerSecond = client::mostReadingsPerSecond(
        client::LiveQuantity::Level, session.baud().value_or(client::DefaultBaud));
    const auto start = Clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    Failure lastFailure;
    bool measured = false;
    const InterruptsStopLoop stopping;
    while (!interruptRequested() && (!seconds || elapsed() < *seconds)) {
        std::vector<Variant> args{Variant::r8(freq), Variant()};
        const bool done = callDone(session, "GetLevelByFrequence", args);
        const double at = elapsed();
        if (done) {
            const double level = numberOf(args[1]);
            measured = true;
            series.add(at, level);
            printLineNow(json ? jsonLine(Json{{"t", at}, {"freq", freq}, {"level", level}})
                              : fixed(at, 1) + " s  level at " + fixed(freq, 2) +
                                    " MHz: " + fixed(level, 1));
            continue;
        }
        lastFailure = session.library().lastFailure();
        series.add(at, std::nullopt);
        const FailureReport report = reportOf(lastFailure, "no answer from the meter");
        Json line{{"t", at}, {"freq", freq}, {"level", nullptr}};
        if (lastFailure.kind != FailureKind::None) {
            line["failure"] = failureKindName(lastFailure.kind);
            line["reason"] = report.text;
        }
        printLineNow(json ? jsonLine(line) : fixed(at, 1) + " s  failed: " + report.text);
        if (portUnusable(lastFailure.kind)) break;
    }
    printSummary(series, mostPerSecond, json);
    return measured ? ExitCompleted : reportOf(lastFailure, "").exitStatus;
}

} // namespace sondrel::cli
