// How well the editor's window answers while it moves a 250-channel plan: a
// Download and an Upload through the main window against a meter that answers
// at line speed, with a 10 ms timer on the window's thread. Prints, for each,
// the longest gap between two ticks (from the click to the end of the
// transfer) and the 99th percentile of the gaps.
#include "bench_support.h"

#include "Form2.h"
#include "live_pace.h"
#include "messages.h"
#include "meter_connection.h"
#include "meter_live_page.h"
#include "meter_window.h"
#include "plan_store.h"
#include "texts.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace plandex;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Channels = 250;
constexpr int TickMs = 10;

// Answers every message at once and remembers the last one.
class QuietMessages final : public MessageSink {
  public:
    MessageAnswer show(const QString& prompt, const QString&, MessageStyle style) override {
        last = prompt;
        return style == MessageStyle::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    QString last;
};

std::vector<PlanRow> benchPlan() {
    std::vector<PlanRow> rows;
    for (int id = 1; id <= Channels; ++id)
        rows.push_back({id, QString::number(id), "TV", 45.25 + 4.0 * id, 6.5});
    return rows;
}

// Gaps in milliseconds between the ticks of a 10 ms timer while action runs
// and the transfer it starts goes on (the progress bar shows).
std::vector<double> gapsDuring(Form2& form, const std::function<void()>& action) {
    std::vector<Clock::time_point> ticks{Clock::now()};
    QTimer timer;
    timer.setInterval(TickMs);
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(Clock::now()); });
    timer.start();
    action();
    while (form.ProgressBar1()->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ticks.push_back(Clock::now());
    std::vector<double> gaps;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        gaps.push_back(std::chrono::duration<double, std::milli>(ticks[i] - ticks[i - 1]).count());
    return gaps;
}

void report(const char* what, std::vector<double> gaps, double seconds, const QString& outcome) {
    std::sort(gaps.begin(), gaps.end());
    const double longest = gaps.back();
    const double p99 = gaps[static_cast<std::size_t>(0.99 * static_cast<double>(gaps.size() - 1))];
    std::printf("%-9s %5.2f s, %4zu ticks: longest gap %6.1f ms, 99th percentile %6.1f ms  (%s)\n",
                what, seconds, gaps.size(), longest, p99, qPrintable(outcome));
}

// The Meter window's Live page reading the plan's first channel for a few
// seconds, then Stop: the window's gaps, and the readings a second beside the
// most the library's pauses allow.
void liveScenario(Form2& form) {
    constexpr double LiveSeconds = 6;
    MeterWindow* window = showMeterWindow(form);
    auto* page = window->findChild<MeterLivePage*>();
    page->channelBox()->setCurrentIndex(1);
    korvane::bench::Stopwatch live;
    const auto gaps = gapsDuring(form, [&] {
        page->startButton()->click();
        while (live.seconds() < LiveSeconds)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, TickMs);
        page->stopButton()->click();
        while (form.transferRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, TickMs);
    });
    const auto& series = page->series();
    report("Live", gaps, live.seconds(),
           QStringLiteral("%1 readings, %2 failed, %3 a second; at most %4 a second")
               .arg(series.readings().size())
               .arg(series.failedCount())
               .arg(series.readingsPerSecond(), 0, 'f', 2)
               .arg(sondrel::client::mostReadingsPerSecond(sondrel::client::LiveQuantity::Level), 0,
                    'f', 2));
    window->close();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    korvane::bench::BenchMeter meter(/*pacing=*/true);

    QTemporaryDir folder;
    const QString database = folder.filePath(DatabaseFileName);
    QFile::copy(QStringLiteral(PLANDEX_DELIVERED_DATABASE), database);
    QFile(database).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    PlanStore(database).replaceAll(benchPlan());

    LanguageOffset = EnglishOffset;
    QuietMessages messages;
    installMessageSink(&messages);
    setMeterLibrary(sondrel::client::SondrelLibrary::load());
    chooseMeterPort(korvane::bench::BenchPort);

    Form2 form{PlanStore(database)};
    form.show();
    for (int element = 0; element < 7; ++element)
        form.Text1(element)->setText(element == SpanElement ? "8" : "1");

    std::printf("Window of the editor during 250-channel transfers (timer every %d ms):\n", TickMs);
    korvane::bench::Stopwatch download;
    auto gaps = gapsDuring(form, [&] { form.ToolKv_ButtonClick("Download"); });
    report("Download", gaps, download.seconds(), messages.last);

    messages.last.clear();
    korvane::bench::Stopwatch upload;
    gaps = gapsDuring(form, [&] { form.ToolKv_ButtonClick("Upload"); });
    report("Upload", gaps, upload.seconds(),
           QStringLiteral("%1 rows received").arg(form.store().rowCount()));
    liveScenario(form);
    installMessageSink(nullptr);
    return 0;
}
