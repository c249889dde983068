// The meter worker on its own: one job at a time on a thread of its own, with
// a connection of its own on the chosen port, progress delivered to the
// window's thread, and a stop the job sees.
#include "simulated_plan_slot.h" // first: before Qt's keywords

#include "event_waits.h"
#include "meter_worker.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace plandex::testing {
namespace {

constexpr int MeterPort = 6;

class MeterWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        qputenv("SONDREL_PORTS", folder.filePath("ports").toLocal8Bit());
        korvane::sim::SimulatorOptions options;
        options.comNumber = MeterPort;
        options.portsFolder = folder.filePath("ports").toStdString();
        meter = std::make_unique<korvane::sim::MeterSimulator>(options);
        meter->start();
        library = sondrel::client::SondrelLibrary::load();
    }
    void TearDown() override {
        meter->stop();
        qunsetenv("SONDREL_PORTS");
    }
    QTemporaryDir folder;
    std::unique_ptr<korvane::sim::MeterSimulator> meter;
    std::shared_ptr<sondrel::client::SondrelLibrary> library;
    MeterWorker worker;
};

TEST_F(MeterWorkerTest, RunsTheJobOnItsOwnThreadWithItsOwnOpenConnection) {
    QSignalSpy finished(&worker, &MeterWorker::finished);
    QThread* jobThread = nullptr;
    std::int16_t opened = 0, port = 0;
    ASSERT_TRUE(
        worker.start(library, MeterPort, [&](sondrel::_KorvaneConnection* meter, MeterJobContext&) {
            jobThread = QThread::currentThread();
            meter->get_PortDevice(&port);
            sondrel::Variant result;
            meter->OpenDeviceConnection(&result);
            opened = result.asI2();
        }));
    EXPECT_TRUE(worker.busy());
    EXPECT_FALSE(worker.start(library, MeterPort, [](auto*, auto&) {})) << "one job at a time";
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(worker.busy());
    EXPECT_NE(jobThread, QThread::currentThread());
    EXPECT_EQ(port, MeterPort);
    EXPECT_EQ(opened, 1);
}

TEST_F(MeterWorkerTest, DeliversProgressAndTheStopToTheJob) {
    QSignalSpy progress(&worker, &MeterWorker::progress);
    QSignalSpy finished(&worker, &MeterWorker::finished);
    std::atomic<bool> sawStop{false};
    worker.start(library, MeterPort, [&](sondrel::_KorvaneConnection*, MeterJobContext& job) {
        job.reportProgress(1, 3);
        while (!job.stopRequested())
            QThread::msleep(5);
        sawStop = true;
    });
    ASSERT_EVENTUALLY(progress.count() == 1, 5000);
    EXPECT_EQ(progress.at(0), (QList<QVariant>{1, 3}));
    worker.requestStop();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(sawStop);
}

TEST_F(MeterWorkerTest, WithoutALibraryTheJobGetsNoConnection) {
    QSignalSpy finished(&worker, &MeterWorker::finished);
    bool sawNone = false;
    worker.start(nullptr, MeterPort,
                 [&](sondrel::_KorvaneConnection* meter, MeterJobContext&) { sawNone = !meter; });
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(sawNone);
}

TEST_F(MeterWorkerTest, GoingAwayStopsTheJobAndWaitsForIt) {
    std::atomic<bool> ended{false};
    {
        MeterWorker local;
        local.start(library, MeterPort, [&](sondrel::_KorvaneConnection*, MeterJobContext& job) {
            while (!job.stopRequested())
                QThread::msleep(5);
            ended = true;
        });
    }
    EXPECT_TRUE(ended);
}

} // namespace
} // namespace plandex::testing
