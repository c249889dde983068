// The Meter window's Live page against the simulated meter: the levels, the
// digital figures and the one-off readings it shows are the simulator's own;
// Stop, closing either window and a silent meter end or mark the readings
// at once, never leaving an old value on show.
#include "transfer_fixture.h"

#include "failure_texts.h"
#include "live_pace.h"
#include "live_strip_chart.h"
#include "meter_live_page.h"
#include "meter_window.h"
#include "own_texts.h"
#include "toolbar.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>

#include <atomic>
#include <cmath>
#include <cstdio>

namespace plandex::testing {
namespace {

using korvane::sim::MeterState;

constexpr double TvMhz = 175.25, DigiMhz = 474.0;

// The level the simulated meter reads at mhz, in tenths as it sends it.
double modelLevel(korvane::sim::MeterSimulator& meter, double mhz) {
    return meter.withState([&](MeterState& s) {
        const auto channels = korvane::sim::channelsOfActivePlan(s.plans);
        return std::round(s.signal.levelAt(mhz, channels) * 10) / 10;
    });
}

class MeterLivePageTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        // The table's plan is the meter's: channel 1 an analogue carrier, 2 a digital block.
        putInSlotA({{entry("E5", TvMhz, "TV", 5.5f), entry("D1", DigiMhz, "DIGI", 6.0f)}, {}});
        load({{1, "E5", "TV", TvMhz, 5.5}, {2, "D1", "DIGI", DigiMhz, 6.0}});
    }
    MeterLivePage* openPage() {
        form->ToolKv()->button(MeterButton)->trigger();
        window = form->findChild<MeterWindow*>();
        return window ? window->findChild<MeterLivePage*>() : nullptr;
    }
    // Starts live readings of the table's row `row` (0: the typed frequency).
    void start(MeterLivePage* page, int row) {
        page->channelBox()->setCurrentIndex(row);
        page->startButton()->click();
        ASSERT_TRUE(page->liveRunning());
    }
    void stopAndWait(MeterLivePage* page) {
        page->stopButton()->click();
        ASSERT_EVENTUALLY(!form->transferRunning(), 5000);
        EXPECT_FALSE(page->liveRunning());
    }
    static std::size_t readings(const MeterLivePage* page) {
        return page->series().readings().size();
    }
    MeterWindow* window = nullptr;
};

TEST_F(MeterLivePageTest, TheLevelShownIsTheSimulatorsAndTheFiguresFollowIt) {
    MeterLivePage* page = openPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(window->pages()->tabText(0), "Live");
    ASSERT_EQ(page->channelBox()->count(), 3) << "the typed frequency and the table's two rows";
    start(page, 1);
    EXPECT_FALSE(page->startButton()->isEnabled());
    EXPECT_FALSE(form->ToolKv()->isEnabled()) << "the main window waits for the job";
    ASSERT_EVENTUALLY(readings(page) >= 3, 15000);
    stopAndWait(page);

    const double level = modelLevel(*meter, TvMhz);
    for (const auto& r : page->series().readings()) {
        ASSERT_TRUE(r.value.has_value());
        EXPECT_DOUBLE_EQ(*r.value, level);
    }
    EXPECT_EQ(meter->withState([](MeterState& s) { return s.signal.tunedKHz; }), 175250u);
    const QString levelText = QString::number(level, 'f', 1);
    EXPECT_EQ(page->readingLabel()->text(), "Level: " + levelText);
    EXPECT_EQ(page->figuresLabel()->text(),
              QString("lowest %1, highest %1, current %1").arg(levelText));
    // The pace against the bound the library's pauses set (two exchanges a
    // reading); this simulator sends at no line speed, so the pauses alone count.
    using sondrel::client::LiveQuantity, sondrel::client::mostReadingsPerSecond;
    const double most = mostReadingsPerSecond(LiveQuantity::Level);
    EXPECT_GT(page->series().readingsPerSecond(), 0.5 * most);
    EXPECT_LE(page->series().readingsPerSecond(),
              mostReadingsPerSecond(LiveQuantity::Level, 1'000'000'000));
    EXPECT_TRUE(page->paceLabel()->text().contains(QString::number(most, 'f', 2)))
        << page->paceLabel()->text().toStdString();
    EXPECT_TRUE(page->digitalLabel()->text().isEmpty()) << "an analogue carrier has no MER";
    EXPECT_TRUE(window->stateLine()->text().contains("the meter answers"));
    EXPECT_TRUE(page->startButton()->isEnabled());
}

TEST_F(MeterLivePageTest, ATypedFrequencyIsReadThereAndABadOneIsRefused) {
    MeterLivePage* page = openPage();
    page->channelBox()->setCurrentIndex(0);
    page->frequencyEdit()->setText("900");
    page->startButton()->click();
    EXPECT_FALSE(page->liveRunning());
    EXPECT_FALSE(form->transferRunning());
    EXPECT_EQ(window->stateLine()->text(), ownText(OwnText::MeterLiveBadFrequency));

    page->frequencyEdit()->setText("175.3"); // on the skirt of the carrier at 175.25
    start(page, 0);
    ASSERT_EVENTUALLY(readings(page) >= 1, 10000);
    stopAndWait(page);
    EXPECT_DOUBLE_EQ(*page->series().current(), modelLevel(*meter, 175.3));
}

TEST_F(MeterLivePageTest, ADigitalChannelShowsTheSimulatorsPowerMerAndBitErrorsThenNotLocked) {
    MeterLivePage* page = openPage();
    const auto quality = [&] {
        return meter->withState([](MeterState& s) {
            const auto channels = korvane::sim::channelsOfActivePlan(s.plans);
            return s.signal.digitalQuality(channels.at(1), channels).value();
        });
    };
    const auto expected = quality();
    ASSERT_TRUE(expected.mer && expected.preBer) << "the demonstration block locks with errors";
    start(page, 2);
    EXPECT_FALSE(page->cnButton()->isEnabled()) << "C/N belongs to analogue carriers";
    ASSERT_EVENTUALLY(readings(page) >= 1, 10000);
    const double power = std::round(expected.power * 10) / 10;
    EXPECT_DOUBLE_EQ(*page->series().current(), power);
    char ber[32];
    std::snprintf(ber, sizeof ber, "%.1E", *expected.preBer);
    const QString digital = page->digitalLabel()->text();
    EXPECT_TRUE(digital.contains("Power: " + QString::number(power, 'f', 1)))
        << digital.toStdString();
    EXPECT_TRUE(digital.contains("MER: " + QString::number(*expected.mer, 'f', 1) + " dB"))
        << digital.toStdString();
    EXPECT_TRUE(digital.contains(QString("BER: ") + ber)) << digital.toStdString();

    // The block sinks into the noise: the receiver no longer locks.
    meter->withState([](MeterState& s) { s.signal.digitalPower = 40; });
    ASSERT_FALSE(quality().mer.has_value());
    ASSERT_EVENTUALLY(page->digitalLabel()->text().contains("not locked"), 10000);
    EXPECT_FALSE(page->digitalLabel()->text().contains("MER"));
    stopAndWait(page);
    EXPECT_DOUBLE_EQ(*page->series().current(), std::round(quality().power * 10) / 10);
}

TEST_F(MeterLivePageTest, CnAndTheCarrierOffsetAreReadOnceBetweenLiveReadings) {
    // A spectrum of exact levels: 85.0 over a noise floor of 30.0; carriers off their place.
    meter->withState([](MeterState& s) {
        s.signal.noiseRipple = s.signal.levelSpread = s.signal.tiltPer100MHz = 0;
        s.signal.videoLevel = 85.0;
        s.signal.noiseFloor = 30.0;
    });
    const auto [cn, offsetKHz] = meter->withState([](MeterState& s) {
        const auto channels = korvane::sim::channelsOfActivePlan(s.plans);
        return std::pair{std::lround(s.signal.videoLevel - s.signal.noiseFloor - 12),
                         s.signal.carrierOffsetKHz(channels.at(0))};
    });
    MeterLivePage* page = openPage();
    start(page, 1);
    ASSERT_EVENTUALLY(readings(page) >= 1, 10000);
    page->cnButton()->click();
    page->offsetButton()->click(); // asked while C/N is still waiting: read after it
    ASSERT_EVENTUALLY(!page->cnLabel()->text().isEmpty(), 30000);
    EXPECT_EQ(page->cnLabel()->text(), QString("C/N: %1 dB").arg(cn));
    EXPECT_TRUE(page->offsetLabel()->text().isEmpty()) << "one one-off between two readings";
    const std::size_t before = readings(page);
    ASSERT_EVENTUALLY(readings(page) > before, 10000) << "live readings go on between them";
    ASSERT_EVENTUALLY(!page->offsetLabel()->text().isEmpty(), 30000);
    EXPECT_EQ(page->offsetLabel()->text(),
              QString("Carrier offset: %1 MHz").arg(offsetKHz / 1000.0, 0, 'f', 2));
    stopAndWait(page);

    // Without live readings a one-off is a job of its own.
    page->cnLabel()->clear();
    page->cnButton()->click();
    EXPECT_TRUE(form->transferRunning());
    ASSERT_EVENTUALLY(!form->transferRunning(), 30000);
    EXPECT_EQ(page->cnLabel()->text(), QString("C/N: %1 dB").arg(cn));
    EXPECT_FALSE(page->liveRunning());
}

TEST_F(MeterLivePageTest, StopAndClosingEitherWindowEndTheReadingsAtOnce) {
    MeterLivePage* page = openPage();
    start(page, 1);
    ASSERT_EVENTUALLY(readings(page) >= 1, 10000);
    stopAndWait(page);

    start(page, 1);
    ASSERT_EVENTUALLY(readings(page) >= 1, 10000);
    window->close();
    ASSERT_EVENTUALLY(!form->transferRunning(), 5000);
    EXPECT_FALSE(page->liveRunning());
    EXPECT_TRUE(form->isVisible());

    window->show();
    start(page, 1);
    ASSERT_EVENTUALLY(readings(page) >= 1, 10000);
    form->close();
    ASSERT_EVENTUALLY(!form->transferRunning(), 5000);
    ASSERT_EVENTUALLY(!form->isVisible(), 1000) << "the main window closes once the job ended";
    EXPECT_TRUE(messages.shown.empty()) << "stopping live readings loses nothing: no question";
}

TEST_F(MeterLivePageTest, ClosingTheMainWindowDuringAOneOffEndsItWithoutAQuestion) {
    MeterLivePage* page = openPage();
    page->channelBox()->setCurrentIndex(1);
    page->offsetButton()->click();
    ASSERT_TRUE(form->transferRunning());
    form->close(); // the sweep, one member call, ends first
    ASSERT_EVENTUALLY(!form->transferRunning(), 20000);
    ASSERT_EVENTUALLY(!form->isVisible(), 1000);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MeterLivePageTest, AnotherJobWithTheMeterLeavesTheStartCommandsRefused) {
    MeterLivePage* page = openPage();
    page->channelBox()->setCurrentIndex(1);
    std::atomic<bool> release{false};
    bool done = false;
    ASSERT_TRUE(window->runJob(
        [&release](sondrel::_KorvaneConnection*, MeterJobContext& job) {
            while (!release && !job.stopRequested())
                QThread::msleep(5);
        },
        [&done] { done = true; }));
    EXPECT_FALSE(page->startButton()->isEnabled());
    EXPECT_FALSE(page->cnButton()->isEnabled());
    EXPECT_FALSE(page->offsetButton()->isEnabled());
    EXPECT_FALSE(page->stopButton()->isEnabled()) << "the page's Stop is for its own readings";
    page->startButton()->click();
    EXPECT_FALSE(page->liveRunning());
    release = true;
    ASSERT_EVENTUALLY(done, 5000);
    EXPECT_TRUE(page->startButton()->isEnabled());
    EXPECT_TRUE(page->cnButton()->isEnabled());
}

TEST_F(MeterLivePageTest, ASilentMeterGivesAFailedReadingAndItsReasonNeverTheOldValue) {
    MeterLivePage* page = openPage();
    start(page, 1);
    ASSERT_EVENTUALLY(page->series().current().has_value(), 10000);
    meter->faults().add(korvane::sim::parseFaultRule("08:noreply"));
    ASSERT_EVENTUALLY(readings(page) >= 1 && !page->series().current(), 15000);
    EXPECT_EQ(page->readingLabel()->text(), "failed");
    EXPECT_TRUE(page->figuresLabel()->text().endsWith("current –"))
        << page->figuresLabel()->text().toStdString();
    const QString state = window->stateLine()->text();
    EXPECT_TRUE(state.contains(ownText(OwnText::MeterLiveReadingFailed))) << state.toStdString();
    EXPECT_TRUE(state.contains(ownText(OwnText::MeterNoAnswer))) << state.toStdString();
    EXPECT_GE(page->series().failedCount(), 1u);
    stopAndWait(page);

    // A meter gone from its port ends the readings with the reason.
    meter->stop();
    start(page, 1);
    ASSERT_EVENTUALLY(!form->transferRunning(), 20000);
    EXPECT_FALSE(page->series().current().has_value());
    EXPECT_EQ(page->readingLabel()->text(), "failed");
    EXPECT_TRUE(window->stateLine()->text().contains(ownText(OwnText::MeterLiveReadingFailed)));
}

TEST_F(MeterLivePageTest, ThePageSpeaksChinese) {
    LanguageOffset = ChineseOffset;
    MeterLivePage* page = openPage();
    EXPECT_EQ(window->pages()->tabText(0), QString::fromUtf8("实时测量"));
    EXPECT_EQ(page->startButton()->text(), QString::fromUtf8("开始"));
    EXPECT_EQ(page->channelBox()->itemText(0), QString::fromUtf8("（输入的频率）"));
    EXPECT_EQ(page->readingLabel()->text(), QString::fromUtf8("尚无读数"));
    start(page, 1);
    ASSERT_EVENTUALLY(readings(page) >= 1, 10000);
    stopAndWait(page);
    EXPECT_TRUE(page->readingLabel()->text().startsWith(QString::fromUtf8("电平：")));
    EXPECT_TRUE(page->paceLabel()->text().startsWith(QString::fromUtf8("每秒")));
}

// Pixels of roughly this colour in column x of the picture.
int pixelsLike(const QImage& picture, int x, QColor colour) {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const QColor c = picture.pixelColor(x, y);
        if (std::abs(c.red() - colour.red()) < 40 && std::abs(c.green() - colour.green()) < 40 &&
            std::abs(c.blue() - colour.blue()) < 40)
            ++count;
    }
    return count;
}

TEST(LiveStripChartDrawing, AFailedReadingBreaksTheTraceAndLeavesARedTick) {
    sondrel::client::LiveSeries series(300);
    series.add(0, 80.0);
    series.add(10, std::nullopt);
    series.add(20, 81.0);
    series.add(30, 80.5);
    LiveStripChart chart;
    chart.resize(400, 200);
    chart.setSeries(&series);
    const QImage picture = chart.grab().toImage();
    const QColor trace{48, 110, 200}, failed{215, 40, 40};
    int tick = -1;
    for (int x = 0; x < picture.width() && tick < 0; ++x)
        if (pixelsLike(picture, x, failed) > 0) tick = x;
    ASSERT_GT(tick, 0) << "the failed reading is marked";
    int before = 0, after = 0;
    for (int x = 0; x < tick - 3; ++x)
        before += pixelsLike(picture, x, trace);
    for (int x = tick + 3; x < picture.width(); ++x)
        after += pixelsLike(picture, x, trace);
    EXPECT_EQ(before, 0) << "no line from the reading before the failed one across the gap";
    EXPECT_GT(after, 0) << "the readings after it are drawn";
}

} // namespace
} // namespace plandex::testing
