// The Meter window's frame: the toolbar command that opens it, its jobs on the
// main window's meter worker (lock, Stop, closing) and its state line, against
// the simulated meter.
#include "transfer_fixture.h"

#include "failure_texts.h"
#include "meter_window.h"
#include "own_texts.h"
#include "toolbar.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <atomic>
#include <memory>
#include <string>

namespace plandex::testing {
namespace {

class MeterWindowTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        load({});
    }
    MeterWindow* openWindow() {
        form->ToolKv()->button(MeterButton)->trigger();
        return form->findChild<MeterWindow*>();
    }
    // A job that keeps asking the meter for its model until it is told to stop.
    static MeterJob untilStopped(std::atomic<int>& calls) {
        return [&calls](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            if (!openDeviceConnection(meter)) return;
            while (!job.stopRequested()) {
                std::string model;
                meter->SLMType(&model);
                ++calls;
            }
        };
    }
};

TEST_F(MeterWindowTest, TheToolbarOpensOneWindowInTheUsersLanguageWithoutAPlanShown) {
    EXPECT_TRUE(form->isButtonEnabled(MeterButton)) << "the meter needs no plan in the table";
    EXPECT_EQ(form->ToolKv()->button(MeterButton)->text(), "Meter");
    MeterWindow* window = openWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    window->close();
    EXPECT_EQ(openWindow(), window) << "the second command shows the same window";
    EXPECT_EQ(form->findChildren<MeterWindow*>().size(), 1);
    EXPECT_TRUE(window->stateLine()->text().contains("COM7"));

    LanguageOffset = ChineseOffset;
    form->ApplyCaptions();
    EXPECT_EQ(form->ToolKv()->button(MeterButton)->text(), QString::fromUtf8("仪表"));
}

TEST_F(MeterWindowTest, AJobLocksTheMainWindowUntilStopAndRefusesASecondJob) {
    MeterWindow* window = openWindow();
    QSignalSpy busy(window, &MeterWindow::busyChanged);
    std::atomic<int> calls{0};
    bool done = false;
    ASSERT_TRUE(window->runJob(untilStopped(calls), [&done] { done = true; }));
    EXPECT_TRUE(form->transferRunning());
    EXPECT_FALSE(form->ToolKv()->isEnabled()) << "the plan's commands wait for the job";
    EXPECT_TRUE(window->stopButton()->isVisible());
    std::atomic<int> second{0};
    EXPECT_FALSE(window->runJob(untilStopped(second), {})) << "one job with the meter at a time";
    ASSERT_EVENTUALLY(calls >= 2, 10000);

    window->stopButton()->click();
    ASSERT_EVENTUALLY(done, 10000);
    EXPECT_FALSE(window->jobRunning());
    EXPECT_FALSE(form->transferRunning());
    EXPECT_TRUE(form->ToolKv()->isEnabled());
    EXPECT_FALSE(window->stopButton()->isVisible());
    EXPECT_EQ(second, 0);
    ASSERT_EQ(busy.size(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());
}

TEST_F(MeterWindowTest, ClosingTheWindowStopsItsJob) {
    MeterWindow* window = openWindow();
    std::atomic<int> calls{0};
    bool done = false;
    ASSERT_TRUE(window->runJob(untilStopped(calls), [&done] { done = true; }));
    ASSERT_EVENTUALLY(calls >= 1, 10000);
    window->close();
    ASSERT_EVENTUALLY(done, 10000);
    EXPECT_FALSE(form->transferRunning());
    EXPECT_TRUE(form->isVisible()) << "only the Meter window closed";
}

TEST_F(MeterWindowTest, TheStateLineGivesTheLibrarysReasonWhenTheMeterIsGone) {
    MeterWindow* window = openWindow();
    meter->stop();
    auto failure = std::make_shared<sondrel::Failure>();
    bool done = false;
    ASSERT_TRUE(window->runJob(
        [failure](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            if (!openDeviceConnection(meter)) *failure = job.lastFailure();
        },
        [&] {
            window->showFailure(QStringLiteral("not reached"), *failure);
            done = true;
        }));
    ASSERT_EVENTUALLY(done, 20000);
    EXPECT_NE(failure->kind, sondrel::FailureKind::None);
    const QString detail = meterFailureDetail(*failure);
    ASSERT_FALSE(detail.isEmpty());
    EXPECT_TRUE(window->stateLine()->text().contains(detail))
        << window->stateLine()->text().toStdString();
}

TEST_F(MeterWindowTest, TheModelOnceReadStaysOnTheStateLineAfterJobsThatDoNotAskIt) {
    MeterWindow* window = openWindow();
    window->showAnswered(QStringLiteral("2000Q"));
    window->showAnswered(QString()); // a screen capture does not ask the model
    EXPECT_TRUE(window->stateLine()->text().contains("2000Q"))
        << window->stateLine()->text().toStdString();
}

} // namespace
} // namespace plandex::testing
