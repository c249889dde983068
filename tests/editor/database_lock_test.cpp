// One editor per plan database: the lock file beside it, held by another
// process, left by a crashed one, or impossible to write.
#include "cell_editing_fixture.h"
#include "database_lock.h"
#include "own_texts.h"

#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace plandex::testing {
namespace {

class DatabaseLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        LanguageOffset = EnglishOffset;
        ASSERT_TRUE(folder.isValid());
        database = folder.filePath("FileDB2000.mdb");
    }
    // Another editor: a process of its own that takes the lock and keeps it
    // until it is killed. Returns its pid once the lock is in place.
    pid_t anotherEditor() {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(ready[0]);
            const DatabaseLock lock = lockPlanDatabase(database);
            const char taken = lock.file ? 'y' : 'n';
            (void)!write(ready[1], &taken, 1);
            pause();
            _exit(0);
        }
        close(ready[1]);
        char taken = 0;
        EXPECT_EQ(read(ready[0], &taken, 1), 1);
        close(ready[0]);
        EXPECT_EQ(taken, 'y');
        return child;
    }
    static void end(pid_t child) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }

    QTemporaryDir folder;
    QString database;
    RecordingMessages messages;
};

TEST_F(DatabaseLockTest, SecondEditorIsToldAndStops) {
    const pid_t first = anotherEditor();
    const DatabaseLock second = lockPlanDatabase(database);
    EXPECT_FALSE(second.file);
    EXPECT_TRUE(second.heldByAnotherEditor);
    EXPECT_FALSE(reportDatabaseLock(second, database));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, ownText(OwnText::DatabaseInUse).arg(database));
    end(first);
}

// An editor that crashed left its lock file; its process is gone.
TEST_F(DatabaseLockTest, LockOfACrashedEditorIsTakenOver) {
    end(anotherEditor());
    ASSERT_TRUE(QFile::exists(databaseLockPath(database))) << "the crash left the lock behind";
    const DatabaseLock lock = lockPlanDatabase(database);
    EXPECT_TRUE(lock.file);
    EXPECT_TRUE(reportDatabaseLock(lock, database));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DatabaseLockTest, LockIsFreeAgainOnceTheEditorEnds) {
    { const DatabaseLock first = lockPlanDatabase(database); }
    EXPECT_TRUE(lockPlanDatabase(database).file);
}

} // namespace
} // namespace plandex::testing
