// The Meter window's Screen page against the simulated meter: the picture is
// the meter's display pixel for pixel in both block forms, enlarged without
// blurring, saved as PNG and read back the same; the refresh never queues
// behind another job; a silent meter clears the picture and gives its reason.
#include "transfer_fixture.h"

#include "failure_texts.h"
#include "meter_screen_page.h"
#include "meter_window.h"
#include "own_texts.h"
#include "toolbar.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <atomic>
#include <random>

namespace plandex::testing {
namespace {

using korvane::sim::ScreenMemory;
constexpr std::uint8_t ScreenCommand = 0x72;

class MeterScreenPageTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        load({});
        form->ToolKv()->button(MeterButton)->trigger();
        window = form->findChild<MeterWindow*>();
        ASSERT_NE(window, nullptr);
        page = window->findChild<MeterScreenPage*>();
        ASSERT_NE(page, nullptr);
    }
    // Gives the meter a display of width x height showing random pixels.
    sondrel::Bytes showRandomPicture(ScreenMemory::Form formOfBlocks, int width, int height,
                                     ScreenMemory::Order order) {
        std::mt19937 random(static_cast<unsigned>(width * 1000 + height));
        sondrel::Bytes picture(static_cast<std::size_t>(width / 8 * height));
        for (auto& byte : picture)
            byte = static_cast<std::uint8_t>(random());
        meter->withState([&](auto& s) {
            s.screen.form = formOfBlocks;
            s.screen.width = width;
            s.screen.height = height;
            s.screen.order = order;
            s.screen.picture = picture;
        });
        return picture;
    }
    void capture(MeterScreenPage::Form blocks, const QString& size) {
        page->form()->setCurrentIndex(blocks);
        page->size()->setText(size);
        ASSERT_TRUE(page->capture());
        ASSERT_EVENTUALLY(!window->jobRunning(), 60000);
    }
    static bool dark(QRgb pixel) { return qGray(pixel) < 128; }
    // Every pixel of image (at zoom) against the meter's raster.
    static void expectRaster(const QImage& image, const sondrel::Bytes& raster, int width,
                             int height, int zoom) {
        ASSERT_EQ(image.size(), QSize(width * zoom, height * zoom));
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (dark(image.pixel(x, y)) !=
                    korvane::sim::pixelAt(raster, width, x / zoom, y / zoom))
                    ++wrong;
        EXPECT_EQ(wrong, 0) << "pixels unlike the meter's";
    }

    MeterWindow* window = nullptr;
    MeterScreenPage* page = nullptr;
};

struct FormCase {
    const char* name;
    ScreenMemory::Form meterForm;
    MeterScreenPage::Form pageForm;
    int width, height;
    ScreenMemory::Order order;
};
void PrintTo(const FormCase& c, std::ostream* out) {
    *out << c.name;
}

class ScreenInBothForms : public MeterScreenPageTest,
                          public ::testing::WithParamInterface<FormCase> {};

TEST_P(ScreenInBothForms, ThePictureIsTheMetersRasterPixelForPixelAndSavesAsPng) {
    const FormCase& c = GetParam();
    const sondrel::Bytes raster = showRandomPicture(c.meterForm, c.width, c.height, c.order);
    capture(c.pageForm, QStringLiteral("%1x%2").arg(c.width).arg(c.height));
    expectRaster(page->picture(), raster, c.width, c.height, 1);

    page->zoom()->setValue(3);
    expectRaster(page->shownPicture(), raster, c.width, c.height, 3);
    EXPECT_EQ(page->view()->pixmap().size(), QSize(c.width * 3, c.height * 3));

    const QString file = folder.filePath(QStringLiteral("screen.png"));
    ASSERT_TRUE(page->savePng(file));
    QImage saved(file, "PNG");
    ASSERT_FALSE(saved.isNull());
    expectRaster(saved, raster, c.width, c.height, 3);
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              page->shownPicture().convertToFormat(QImage::Format_RGB32));

    page->copyButton()->click();
    const QImage copied = QGuiApplication::clipboard()->image();
    expectRaster(copied, raster, c.width, c.height, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ScreenInBothForms,
    ::testing::Values(FormCase{"Small", ScreenMemory::Form::Small, MeterScreenPage::Small, 64, 32,
                               ScreenMemory::Order::OddThenEven},
                      FormCase{"Big", ScreenMemory::Form::Big, MeterScreenPage::Big, 160, 24,
                               ScreenMemory::Order::Descending}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeterScreenPageTest, TheDemoMetersSpectrumScreenComesThroughWhole) {
    capture(MeterScreenPage::Small, QStringLiteral("128x64"));
    const auto [raster, width, height] = meter->withState([](auto& s) {
        return std::tuple{korvane::sim::spectrumScreen(s.screen, s.signal,
                                                       korvane::sim::channelsOfActivePlan(s.plans)),
                          s.screen.width, s.screen.height};
    });
    expectRaster(page->picture(), raster, width, height, 1);
    EXPECT_TRUE(page->caption()->text().contains(QStringLiteral("128")));
}

TEST_F(MeterScreenPageTest, ASizeBeyondWhatTheMeterSentShowsNoPictureButSaysWhy) {
    showRandomPicture(ScreenMemory::Form::Small, 64, 32, ScreenMemory::Order::Ascending);
    capture(MeterScreenPage::Small, QStringLiteral("64x32"));
    ASSERT_FALSE(page->picture().isNull());
    page->size()->setText(QStringLiteral("800x800"));
    emit page->size()->editingFinished();
    EXPECT_TRUE(page->picture().isNull());
    EXPECT_EQ(page->caption()->text(),
              ownText(OwnText::MeterScreenTooBig).arg("800x800").arg(10001));
    EXPECT_FALSE(page->saveButton()->isEnabled());
    page->size()->setText(QStringLiteral("60x32"));
    emit page->size()->editingFinished();
    EXPECT_EQ(page->caption()->text(), ownText(OwnText::MeterScreenBadSize));
}

TEST_F(MeterScreenPageTest, AWideDisplayIsNotEnlargedBeyondWhatTheWindowCanShowAtOnce) {
    const sondrel::Bytes raster =
        showRandomPicture(ScreenMemory::Form::Small, 512, 8, ScreenMemory::Order::Ascending);
    capture(MeterScreenPage::Small, QStringLiteral("512x8"));
    page->zoom()->setValue(page->zoom()->maximum());
    const int zoom = page->zoom()->value();
    EXPECT_GE(zoom, 2);
    EXPECT_LE(page->shownPicture().width(), 2048);
    expectRaster(page->shownPicture(), raster, 512, 8, zoom);
}

TEST_F(MeterScreenPageTest, APictureThatCannotBeWrittenSaysSo) {
    showRandomPicture(ScreenMemory::Form::Small, 64, 32, ScreenMemory::Order::Ascending);
    capture(MeterScreenPage::Small, QStringLiteral("64x32"));
    const QString file = folder.filePath(QStringLiteral("no such folder/screen.png"));
    EXPECT_FALSE(page->savePng(file));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.contains(file));
}

TEST_F(MeterScreenPageTest, TheRefreshSkipsWhileAnotherJobRunsAndNeverQueues) {
    showRandomPicture(ScreenMemory::Form::Small, 64, 8, ScreenMemory::Order::Ascending);
    page->size()->setText(QStringLiteral("64x8"));
    page->refreshSeconds()->setValue(page->refreshSeconds()->minimum());
    page->refresh()->setChecked(true);

    std::atomic<bool> stop{false};
    bool otherDone = false;
    ASSERT_TRUE(window->runJob(
        [&stop](sondrel::_KorvaneConnection*, MeterJobContext& job) {
            while (!stop && !job.stopRequested())
                QThread::msleep(10);
        },
        [&otherDone] { otherDone = true; }));
    ASSERT_EVENTUALLY(page->refreshesSkipped() >= 1, 10000);
    EXPECT_EQ(page->refreshesStarted(), 0);
    stop = true;
    ASSERT_EVENTUALLY(otherDone, 10000);
    EXPECT_FALSE(window->jobRunning()) << "no capture waited for the job's end";
    // A capture starts with the request that carries a parameter (length 7).
    const auto captures = [this] {
        const auto frames = meter->wireLog().framesToMeter();
        return std::count_if(frames.begin(), frames.end(), [](const sondrel::Bytes& frame) {
            return frame.size() > 4 && frame[3] == 7 && frame[4] == ScreenCommand;
        });
    };
    EXPECT_EQ(captures(), 0);

    ASSERT_EVENTUALLY(page->refreshesStarted() >= 1 && !window->jobRunning(), 20000);
    page->refresh()->setChecked(false);
    ASSERT_EVENTUALLY(!window->jobRunning(), 20000);
    EXPECT_FALSE(page->picture().isNull());
    EXPECT_EQ(captures(), page->refreshesStarted())
        << "every capture came from a tick, none queued";
}

TEST_F(MeterScreenPageTest, AClosedWindowIsNotRefreshed) {
    page->refreshSeconds()->setValue(page->refreshSeconds()->minimum());
    page->refresh()->setChecked(true);
    window->close();
    QTest::qWait(page->refreshSeconds()->value() * 1000 + 500);
    EXPECT_EQ(page->refreshesStarted(), 0);
    EXPECT_FALSE(window->jobRunning());
    window->show();
    ASSERT_EVENTUALLY(page->refreshesStarted() >= 1, 10000);
    page->refresh()->setChecked(false);
    ASSERT_EVENTUALLY(!window->jobRunning(), 30000);
}

TEST_F(MeterScreenPageTest, ASilentMeterClearsThePictureAndGivesTheReason) {
    showRandomPicture(ScreenMemory::Form::Small, 64, 32, ScreenMemory::Order::Ascending);
    capture(MeterScreenPage::Small, QStringLiteral("64x32"));
    ASSERT_FALSE(page->picture().isNull());
    meter->faults().add(korvane::sim::parseFaultRule("any:noreply"));
    capture(MeterScreenPage::Small, QStringLiteral("64x32"));
    EXPECT_TRUE(page->picture().isNull()) << "an old picture is not the meter's answer";
    const QString reason = meterFailureDetail({sondrel::FailureKind::NoAnswer, ""});
    EXPECT_TRUE(window->stateLine()->text().contains(ownText(OwnText::MeterScreenFailed)));
    EXPECT_TRUE(window->stateLine()->text().contains(reason))
        << window->stateLine()->text().toStdString();
    EXPECT_TRUE(page->captureButton()->isEnabled());
}

TEST_F(MeterScreenPageTest, ThePageSpeaksChinese) {
    LanguageOffset = ChineseOffset;
    MeterScreenPage chinese(*window);
    EXPECT_EQ(chinese.captureButton()->text(), ownText(OwnText::MeterScreenCapture));
    EXPECT_NE(ownText(OwnText::MeterScreenCapture), QStringLiteral("Capture"));
    EXPECT_EQ(chinese.form()->itemText(MeterScreenPage::Big), ownText(OwnText::MeterScreenBig));
    EXPECT_TRUE(chinese.refresh()->text().toUtf8().size() > chinese.refresh()->text().size())
        << "written in Chinese";
}

} // namespace
} // namespace plandex::testing
