// The process killed (SIGKILL) at random points while the editor replaces its
// plan from a file (Open), stores a plan received from the meter (the store of
// an Upload), and writes a plan file (Save). Whatever the point, the table
// holds the old plan or the new one and the file is the old or the new one,
// never a mix. The points come from a seed that the test prints; set
// CRASH_POINT_SEED to the printed value to aim at the same points again.
#include "cell_editing_fixture.h"
#include "plan_file_encoding.h"
#include "plan_file_format.h"
#include "plan_files.h"
#include "transfer.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace plandex::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int KillPointsPerOperation = 12;
constexpr int OldPlanRows = 100;
constexpr int NewPlanRows = MaxPlanRows;

class PathChooser final : public PlanFileChooser {
  public:
    explicit PathChooser(QString path) : path_(std::move(path)) {}
    QString fileToOpen() override { return path_; }
    QString fileToSave() override { return path_; }

  private:
    QString path_;
};

std::vector<PlanRow> planOf(int rows, double firstFreq) {
    std::vector<PlanRow> plan;
    for (int i = 1; i <= rows; ++i)
        plan.push_back({i, "C" + QString::number(i), i % 2 ? "TV" : "DIGI", firstFreq + 0.25 * i,
                        i % 2 ? 6.5 : 8.0});
    return plan;
}

unsigned seedOfThisRun() {
    if (const char* given = std::getenv("CRASH_POINT_SEED"))
        return std::strtoul(given, nullptr, 10);
    return std::random_device{}();
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void putContent(const QString& path, const QByteArray& bytes) {
    QFile::remove(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Runs `operation` on the main window over the database in a child process;
// kills the child `killAfter` after the operation started, unless it ended
// first. Gives the time from the start to the end of the child.
Clock::duration runInChild(const QString& database, const std::function<void(Form2&)>& operation,
                           std::optional<Clock::duration> killAfter) {
    int ready[2];
    if (::pipe(ready) != 0) ADD_FAILURE() << "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        Form2 form{PlanStore(database)};
        const char go = 1;
        if (::write(ready[1], &go, 1) != 1) ::_exit(2);
        operation(form);
        ::_exit(0); // a killed process has no teardown either
    }
    ::close(ready[1]);
    char go = 0;
    const bool started = ::read(ready[0], &go, 1) == 1;
    ::close(ready[0]);
    const auto start = Clock::now();
    if (started && killAfter) {
        std::this_thread::sleep_for(*killAfter);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto took = Clock::now() - start;
    EXPECT_TRUE(started) << "the child did not reach the operation";
    if (!killAfter || !WIFSIGNALED(status)) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed";
    }
    return took;
}

class CrashPointTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        LanguageOffset = EnglishOffset;
        ASSERT_TRUE(folder.isValid());
        database = copyDeliveredDatabase(folder.path(), oldPlan);
        pristine = contentOf(database);
        seed = seedOfThisRun();
        random.seed(seed);
        std::printf("crash point seed: %u (CRASH_POINT_SEED=%u repeats these points)\n", seed,
                    seed);
        std::fflush(stdout);
    }

    // The database back to the old plan, without the journal a killed
    // transaction leaves behind.
    void restoreDatabase() {
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            QFile::remove(database + suffix);
        putContent(database, pristine);
    }

    // Kill points spread over the operation's own time, measured once without a kill.
    std::vector<Clock::duration> killPoints(Clock::duration whole) {
        std::uniform_int_distribution<long long> at(
            0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count());
        std::vector<Clock::duration> points;
        for (int i = 0; i < KillPointsPerOperation; ++i)
            points.push_back(std::chrono::microseconds(at(random)));
        return points;
    }

    // Kills the operation at every point; after each kill the table must hold
    // the old plan or exactly `newPlan`.
    void killWhileReplacing(const std::function<void(Form2&)>& operation,
                            const std::vector<PlanRow>& newPlan) {
        const auto whole = runInChild(database, operation, std::nullopt);
        ASSERT_EQ(PlanStore(database).rows(OrderById), newPlan) << "the operation itself fails";
        int leftOld = 0, leftNew = 0;
        for (const auto point : killPoints(whole)) {
            restoreDatabase();
            runInChild(database, operation, point);
            const auto rows = PlanStore(database).rows(OrderById);
            const long long us =
                std::chrono::duration_cast<std::chrono::microseconds>(point).count();
            if (rows == oldPlan)
                ++leftOld;
            else if (rows == newPlan)
                ++leftNew;
            else
                ADD_FAILURE() << "killed after " << us << " us: the table holds " << rows.size()
                              << " rows, neither the old plan nor the new one (seed " << seed
                              << ")";
        }
        std::printf("%d kills left the old plan, %d the new one (operation takes %lld us)\n",
                    leftOld, leftNew,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::microseconds>(whole).count()));
    }

    QTemporaryDir folder;
    RecordingMessages messages;
    const std::vector<PlanRow> oldPlan = planOf(OldPlanRows, 100);
    QString database;
    QByteArray pristine;
    unsigned seed = 0;
    std::mt19937 random;
};

TEST_F(CrashPointTest, OpenKilledAnywhereLeavesTheOldPlanOrTheFilesPlan) {
    const std::vector<PlanRow> filePlan = planOf(NewPlanRows, 400);
    const QString file = folder.filePath("plan.txt");
    putContent(file, *encodeAnsi(formatPlanText("  CH No", filePlan, {{"*Span", "8"}}),
                                 ansiCodePageFor(LanguageOffset)));
    killWhileReplacing(
        [&](Form2& form) {
            PathChooser chooser(file);
            installPlanFileChooser(&chooser);
            OpenPlanFile(form);
            if (form.OperationResult != ResultYes) ::_exit(3);
        },
        filePlan);
}

TEST_F(CrashPointTest, UploadStoreKilledAnywhereLeavesTheOldPlanOrTheReceivedOne) {
    sondrel::SafeArray<sondrel::Channellist> received;
    received.redim(1, NewPlanRows);
    for (int i = 1; i <= NewPlanRows; ++i) {
        received.at(i).ChannelName = "R" + std::to_string(i);
        received.at(i).freq = 400.0f + 0.25f * static_cast<float>(i);
        received.at(i).Type = "TV";
        received.at(i).Audio1 = 6.5f;
    }
    // As an Upload stores a plan: the received rows replace the table in one
    // transaction, the window repainting before each row.
    killWhileReplacing(
        [&](Form2& form) {
            form.store().replaceAll(receivedRows(received),
                                    [] { QCoreApplication::processEvents(); });
        },
        receivedRows(received));
}

TEST_F(CrashPointTest, SaveKilledAnywhereLeavesTheOldFileOrTheNewOne) {
    const QString file = folder.filePath("plan.txt");
    const QByteArray oldFile = "an older plan file\r\n";
    PlanStore(database).replaceAll(planOf(NewPlanRows, 400));
    const auto save = [&](Form2& form) {
        PathChooser chooser(file);
        installPlanFileChooser(&chooser);
        SavePlanFile(form);
        if (form.OperationResult != ResultYes) ::_exit(3);
    };
    putContent(file, oldFile);
    const auto whole = runInChild(database, save, std::nullopt);
    const QByteArray newFile = contentOf(file);
    ASSERT_NE(newFile, oldFile) << "Save itself fails";
    int leftOld = 0, leftNew = 0;
    for (const auto point : killPoints(whole)) {
        putContent(file, oldFile);
        runInChild(database, save, point);
        const QByteArray onDisk = contentOf(file);
        if (onDisk == oldFile)
            ++leftOld;
        else if (onDisk == newFile)
            ++leftNew;
        else
            ADD_FAILURE() << "killed after "
                          << std::chrono::duration_cast<std::chrono::microseconds>(point).count()
                          << " us: the file is " << onDisk.size()
                          << " bytes, neither the old file nor the new one (seed " << seed << ")";
    }
    std::printf("%d kills left the old file, %d the new one\n", leftOld, leftNew);
}

} // namespace
} // namespace plandex::testing
