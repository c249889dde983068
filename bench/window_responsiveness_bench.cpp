// How well the editor's window answers while it works with a meter that
// answers at line speed, with a 10 ms timer on the window's thread: a Download
// and an Upload of a 250-channel plan through the main window, and "read all"
// of the Meter window's Stored files page. Prints, for each, the longest gap
// between two ticks (from the click to the end of the work) and the 99th
// percentile of the gaps.
#include "bench_support.h"

#include "Form2.h"
#include "live_pace.h"
#include "messages.h"
#include "meter_connection.h"
#include "meter_files_page.h"
#include "meter_live_page.h"
#include "meter_window.h"
#include "plan_store.h"
#include "texts.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
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
// and the work it starts goes on (running() says so).
std::vector<double> gapsDuring(const std::function<bool()>& running,
                               const std::function<void()>& action) {
    std::vector<Clock::time_point> ticks{Clock::now()};
    QTimer timer;
    timer.setInterval(TickMs);
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(Clock::now()); });
    timer.start();
    action();
    while (running())
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

// The Meter window's "read all" on a well-filled meter: every stored file read
// into a folder through the Stored files page.
void readAllFiles(Form2& form, korvane::sim::MeterSimulator& meter) {
    constexpr int Files = 16, Pages = 3;
    meter.withState([](korvane::sim::MeterState& s) {
        const auto model = s.files.files;
        s.files.files.clear();
        for (int i = 0; i < Files; ++i) {
            auto file = model[static_cast<std::size_t>(i) % model.size()];
            file.name = "RUN" + std::to_string(i + 1);
            file.content.resize(Pages * 64, static_cast<std::uint8_t>(i));
            s.files.files.push_back(file);
        }
    });
    MeterWindow* window = showMeterWindow(form);
    auto* page = window->findChild<MeterFilesPage*>();
    const auto jobRunning = [window] { return window->jobRunning(); };
    page->listFiles();
    while (jobRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QTemporaryDir folder;
    page->setFolderChooser([&folder] { return folder.path(); });
    korvane::bench::Stopwatch reading;
    const auto gaps = gapsDuring(jobRunning, [page] { page->readAll(); });
    report("Read all", gaps, reading.seconds(),
           QStringLiteral("%1 files of %2 pages; %3")
               .arg(page->files().size())
               .arg(Pages)
               .arg(page->outcome()->text()));
    window->close();
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
    const auto gaps =
        gapsDuring([&form] { return form.transferRunning(); },
                   [&] {
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

    std::printf("Window of the editor while it works with the meter (timer every %d ms):\n",
                TickMs);
    korvane::bench::Stopwatch download;
    const auto transferring = [&form] { return form.ProgressBar1()->isVisible(); };
    auto gaps = gapsDuring(transferring, [&] { form.ToolKv_ButtonClick("Download"); });
    report("Download", gaps, download.seconds(), messages.last);

    messages.last.clear();
    korvane::bench::Stopwatch upload;
    gaps = gapsDuring(transferring, [&] { form.ToolKv_ButtonClick("Upload"); });
    report("Upload", gaps, upload.seconds(),
           QStringLiteral("%1 rows received").arg(form.store().rowCount()));
    liveScenario(form);
    readAllFiles(form, meter.meter());
    installMessageSink(nullptr);
    return 0;
}
