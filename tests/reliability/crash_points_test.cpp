// The process killed (SIGKILL) at random points while the editor replaces its
// plan from a file (Open), stores a plan received from the meter (the store of
// an Upload), and writes a plan file (Save); Save is also killed just before
// each step of its writing. Whatever the point, the table holds the old plan or
// the new one and the file is the old or the new one, never a mix, with no
// temporary file left beside it. The random points come from a seed that the
// test prints; set CRASH_POINT_SEED to the printed value to aim at them again.
#include "cell_editing_fixture.h"
#include "file_system_faults.h"
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
#include <cstring>
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

struct ChildRun {
    Clock::time_point start;
    Clock::duration took{};
    bool killed = false; // the kill came before the child ended
};

// Runs `operation` on the main window over the database in a child process;
// kills the child `killAfter` after the operation started (or, with
// `fromFirstFileStep`, after its first step in the watched folder), unless it
// ended first.
ChildRun runInChild(const QString& database, const std::function<void(Form2&)>& operation,
                    std::optional<Clock::duration> killAfter, bool fromFirstFileStep = false) {
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
    ChildRun run{Clock::now()};
    if (started && killAfter) {
        int status = 0;
        while (fromFirstFileStep && fileSystemFaults().stepsStarted == 0 &&
               ::waitpid(child, &status, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::this_thread::sleep_for(*killAfter);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    run.took = Clock::now() - run.start;
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    EXPECT_TRUE(started) << "the child did not reach the operation";
    if (!run.killed) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed";
    }
    return run;
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

    // Kill points spread over the operation's own time, measured once without
    // a kill, from `from` on.
    std::vector<Clock::duration> killPoints(Clock::duration whole,
                                            Clock::duration from = Clock::duration::zero()) {
        using std::chrono::microseconds;
        std::uniform_int_distribution<long long> at(
            std::chrono::duration_cast<microseconds>(from).count(),
            std::chrono::duration_cast<microseconds>(whole).count());
        std::vector<Clock::duration> points;
        for (int i = 0; i < KillPointsPerOperation; ++i)
            points.push_back(std::chrono::microseconds(at(random)));
        return points;
    }

    // Kills the operation at every point; after each kill the table must hold
    // the old plan or exactly `newPlan`.
    void killWhileReplacing(const std::function<void(Form2&)>& operation,
                            const std::vector<PlanRow>& newPlan) {
        const auto whole = runInChild(database, operation, std::nullopt).took;
        ASSERT_EQ(PlanStore(database).rows(OrderById), newPlan) << "the operation itself fails";
        int leftOld = 0, leftNew = 0, landedInside = 0;
        for (const auto point : killPoints(whole)) {
            restoreDatabase();
            landedInside += runInChild(database, operation, point).killed;
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
        EXPECT_GT(landedInside, 0) << "no kill came before the operation ended";
        std::printf("%d kills landed before the end; they left the old plan %d times, the new "
                    "one %d times (operation takes %lld us)\n",
                    landedInside, leftOld, leftNew,
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

class SaveCrashPointTest : public CrashPointTest {
  protected:
    void SetUp() override {
        CrashPointTest::SetUp();
        ASSERT_TRUE(QDir(folder.path()).mkdir("files"));
        PlanStore(database).replaceAll(planOf(NewPlanRows, 400));
        restoreFile();
        runInChild(database, save, std::nullopt);
        steps = fileSystemFaults().stepsDone;
        newFile = contentOf(file);
        ASSERT_NE(newFile, oldFile) << "Save itself fails";
        ASSERT_GT(steps, 0) << "Save wrote nothing the test could see";
    }
    void TearDown() override { fileSystemFaults().stopWatching(); }

    // The old file back, alone in its folder, and the writing watched again.
    void restoreFile() {
        for (const QString& name : QDir(files).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(files + "/" + name);
        putContent(file, oldFile);
        fileSystemFaults().watch(files.toStdString());
    }

    // The file is the old one or the new one. Nothing else stays in its folder,
    // except in the instant between linking the finished new file under a
    // temporary name and renaming it over the old one: that copy is whole.
    void expectOldOrNewFile(const std::string& when) {
        const QByteArray onDisk = contentOf(file);
        if (onDisk == oldFile)
            ++leftOld;
        else if (onDisk == newFile)
            ++leftNew;
        else
            ADD_FAILURE() << when << ": the file is " << onDisk.size()
                          << " bytes, neither the old file nor the new one";
        for (const QString& name : QDir(files).entryList(QDir::Files | QDir::Hidden)) {
            if (name == "plan.txt") continue;
            const bool renameWasNext = std::strncmp(fileSystemFaults().lastStep, "rename", 6) == 0;
            EXPECT_TRUE(renameWasNext && contentOf(files + "/" + name) == newFile)
                << when << ": " << name.toStdString() << " is left behind";
            leftCopies += renameWasNext;
        }
    }

    const QString files = folder.filePath("files");
    const QString file = files + "/plan.txt";
    const QByteArray oldFile = "an older plan file\r\n";
    const std::function<void(Form2&)> save = [this](Form2& form) {
        PathChooser chooser(file);
        installPlanFileChooser(&chooser);
        SavePlanFile(form);
        if (form.OperationResult != ResultYes) ::_exit(3);
    };
    QByteArray newFile;
    int steps = 0, leftOld = 0, leftNew = 0, leftCopies = 0;
};

TEST_F(SaveCrashPointTest, KilledBeforeEachStepOfTheWritingLeavesTheOldFileOrTheNewOne) {
    for (int step = 1; step <= steps; ++step) {
        restoreFile();
        fileSystemFaults().killBeforeStep = step;
        EXPECT_TRUE(runInChild(database, save, std::nullopt).killed) << "step " << step;
        expectOldOrNewFile("killed before step " + std::to_string(step) + " (" +
                           fileSystemFaults().lastStep + ")");
    }
    EXPECT_GT(leftOld, 0) << "a kill before the last step keeps the old file";
    std::printf("%d steps; the kills left the old file %d times, the new one %d times, a whole "
                "copy beside it %d times\n",
                steps, leftOld, leftNew, leftCopies);
}

TEST_F(SaveCrashPointTest, KilledAnywhereOnASlowDiskLeavesTheOldFileOrTheNewOne) {
    // Every step of the writing takes 20 ms, and the kills come at random
    // moments after the first step began, so that they land inside the writing.
    constexpr int slowStep = 20000;
    const auto slowDisk = [&] {
        restoreFile();
        fileSystemFaults().slowStepMicroseconds = slowStep;
    };
    slowDisk();
    runInChild(database, save, std::nullopt);
    ASSERT_EQ(contentOf(file), newFile);
    int landedInside = 0;
    for (const auto point : killPoints(fileSystemFaults().writingTook())) {
        slowDisk();
        const ChildRun run = runInChild(database, save, point, true);
        const int started = fileSystemFaults().stepsStarted, done = fileSystemFaults().stepsDone;
        landedInside += run.killed && started > 0 && done < steps;
        expectOldOrNewFile(
            "killed " +
            std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(point).count()) +
            " us after the first step, in step " + std::to_string(started) + " (seed " +
            std::to_string(seed) + ")");
    }
    std::printf("%d of %d kills landed inside the writing; they left the old file %d times, "
                "the new one %d times, a whole copy beside it %d times\n",
                landedInside, KillPointsPerOperation, leftOld, leftNew, leftCopies);
    EXPECT_GE(landedInside, KillPointsPerOperation / 3)
        << "the kills must land inside the writing to show anything";
}

} // namespace
} // namespace plandex::testing
