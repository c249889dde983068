// The plan store on a real SQLite file, a copy of the database the build delivers.
#include "cell_editing_fixture.h"
#include "database_holder.h"
#include "delivered_database.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace plandex::testing {
namespace {

class PlanStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureApplication();
        ASSERT_TRUE(folder.isValid());
    }
    PlanStore storeWith(const std::vector<PlanRow>& rows) {
        return PlanStore(copyDeliveredDatabase(folder.path(), rows));
    }
    // Runs one statement on the database file outside the store.
    static bool execute(const QString& path, const QString& statement) {
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test-exec");
            db.setDatabaseName(path);
            ok = db.open() && QSqlQuery(db).exec(statement);
        }
        QSqlDatabase::removeDatabase("test-exec");
        return ok;
    }
    static std::vector<int> ids(const std::vector<PlanRow>& rows) {
        std::vector<int> out;
        for (const PlanRow& r : rows)
            out.push_back(r.id);
        return out;
    }
    static QStringList names(const std::vector<PlanRow>& rows) {
        QStringList out;
        for (const PlanRow& r : rows)
            out << r.name;
        return out;
    }

    QTemporaryDir folder;
};

TEST_F(PlanStoreTest, DeliveredDatabaseHoldsTheEmptyTableWithItsFiveColumnsInOrder) {
    const QString path = copyDeliveredDatabase(folder.path());
    QStringList columns;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test-columns");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("PRAGMA table_info(ChannelPlanUser)"));
        while (q.next())
            columns << q.value(1).toString();
    }
    QSqlDatabase::removeDatabase("test-columns");
    EXPECT_EQ(columns, QStringList({"ID", "CHName", "Type", "Freq", "Audio1"}));
    EXPECT_EQ(PlanStore(path).rowCount(), 0);
}

TEST_F(PlanStoreTest, MissingFileIsAnErrorAndIsNotCreated) {
    const QString path = folder.filePath(DatabaseFileName);
    EXPECT_THROW(PlanStore(path).rowCount(), StoreError);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(PlanStoreTest, TextInANumberColumnIsRefused) {
    PlanStore store = storeWith(rowsWithFrequencies({100}));
    const QString path = store.databasePath();
    EXPECT_FALSE(execute(path, "UPDATE ChannelPlanUser SET Freq = 'abc'"));
    EXPECT_TRUE(execute(path, "UPDATE ChannelPlanUser SET Freq = '120'")) << "a number as text";
    EXPECT_DOUBLE_EQ(store.rows(OrderById).at(0).freq, 120);
}

TEST_F(PlanStoreTest, DatabaseBesideAWritableProgramFolder) {
    EXPECT_EQ(PlanStore::databasePathFor(folder.path()), folder.filePath(DatabaseFileName));
}

TEST_F(PlanStoreTest, ReadOnlyProgramFolderGetsAPerUserCopyOfTheDeliveredFile) {
    if (geteuid() == 0) GTEST_SKIP() << "every folder is writable for root";
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    const QString programDir = folder.filePath("bin");
    QDir().mkpath(programDir);
    PlanStore(copyDeliveredDatabase(programDir, rowsWithFrequencies({100, 200}))).rowCount();
    QFile::setPermissions(programDir, QFile::ReadOwner | QFile::ExeOwner);
    const QString path = PlanStore::databasePathFor(programDir);
    QFile::setPermissions(programDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(path, dataHome.filePath("plandex/FileDB2000.mdb"));
    EXPECT_EQ(PlanStore(path).rowCount(), 2) << "a copy of the delivered file";
    qunsetenv("XDG_DATA_HOME");
}

// An installed editor (bin/plandex, share/plandex/FileDB2000.mdb) works on the
// per-user copy even where it could write beside itself, as root can.
TEST_F(PlanStoreTest, InstalledProgramAlwaysWorksOnAPerUserCopyOfTheSharedTemplate) {
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    const QString programDir = folder.filePath("usr/bin");
    const QString templateDir = folder.filePath("usr/share/plandex");
    QDir().mkpath(programDir);
    QDir().mkpath(templateDir);
    const QString templateFile = copyDeliveredDatabase(templateDir, rowsWithFrequencies({100}));
    QFile::setPermissions(templateFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    const QString path = PlanStore::databasePathFor(programDir);
    ASSERT_EQ(path, dataHome.filePath("plandex/FileDB2000.mdb"));
    EXPECT_FALSE(QFileInfo::exists(QDir(programDir).filePath(DatabaseFileName)));
    PlanStore copy(path);
    ASSERT_TRUE(copy.insertChannel(1)) << "the copy is the user's to change";
    EXPECT_EQ(copy.rowCount(), 2);
    EXPECT_EQ(PlanStore(templateFile).rowCount(), 1) << "the template stays as delivered";
    EXPECT_EQ(PlanStore::databasePathFor(programDir), path) << "later runs keep the copy";
    qunsetenv("XDG_DATA_HOME");
}

TEST_F(PlanStoreTest, InsertIntoEmptyTableMakesTheDefaultRow) {
    PlanStore store = storeWith({});
    ASSERT_TRUE(store.insertChannel(1));
    EXPECT_EQ(store.rows(OrderById), std::vector<PlanRow>({{1, "250", "TV", 46, 4.5}}));
}

TEST_F(PlanStoreTest, InsertInTheMiddleMovesTheFollowingRowsDown) {
    PlanStore store = storeWith(rowsWithFrequencies({100, 200, 300, 400, 500}));
    ASSERT_TRUE(store.insertChannel(3));
    const auto rows = store.rows(OrderById);
    EXPECT_EQ(ids(rows), std::vector<int>({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(names(rows), QStringList({"1", "2", "250", "3", "4", "5"}));
    EXPECT_EQ(rows[2], PlanRow({3, "250", "TV", 46, 4.5}));
}

TEST_F(PlanStoreTest, InsertTakesTheHighestFreeNumberAsName) {
    std::vector<PlanRow> rows = rowsWithFrequencies(std::vector<double>(249, 100.0));
    PlanStore store = storeWith(rows);
    ASSERT_TRUE(store.insertChannel(249));
    EXPECT_EQ(store.rows(OrderById).at(248).name, "250");
    EXPECT_EQ(store.rowCount(), 250);
    // IDs 1..250 are now all taken: a 251st channel is refused without a change.
    const auto before = store.rows(OrderById);
    EXPECT_FALSE(store.insertChannel(1));
    EXPECT_EQ(store.rows(OrderById), before);
}

TEST_F(PlanStoreTest, PasteAddsEachCopyBesideItsOriginal) {
    PlanStore store = storeWith(rowsWithFrequencies({100, 200, 300}));
    store.pasteChannels({2, 3});
    const auto rows = store.rows(OrderById);
    EXPECT_EQ(ids(rows), std::vector<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(names(rows), QStringList({"1", "2", "2", "3", "3"}));
    // The table's stored order is the ID order, which the unordered query shows.
    EXPECT_EQ(store.rows(QString()), rows);
}

TEST_F(PlanStoreTest, PasteOfAMissingIdChangesNothing) {
    PlanStore store = storeWith(rowsWithFrequencies({100, 200, 300}));
    const auto before = store.rows(OrderById);
    EXPECT_THROW(store.pasteChannels({2, 9}), StoreError);
    EXPECT_THROW(store.pasteChannels({}), StoreError);
    EXPECT_EQ(store.rows(OrderById), before);
}

TEST_F(PlanStoreTest, RenumberByFrequency) {
    PlanStore store = storeWith(rowsWithFrequencies({300, 100, 200}));
    store.renumberChannels(OrderByFreq);
    const auto rows = store.rows(OrderById);
    EXPECT_EQ(names(rows), QStringList({"2", "3", "1"}));
    EXPECT_EQ(ids(rows), std::vector<int>({1, 2, 3}));
    EXPECT_DOUBLE_EQ(rows[0].freq, 100);
}

TEST_F(PlanStoreTest, DeleteRemovesEveryListedIdAndSkipsMissingOnes) {
    PlanStore store = storeWith(rowsWithFrequencies({100, 200, 300, 400}));
    store.deleteChannels({2, 7, 4});
    EXPECT_EQ(names(store.rows(OrderById)), QStringList({"1", "3"}));
    store.renumberChannels(OrderById);
    EXPECT_EQ(ids(store.rows(OrderById)), std::vector<int>({1, 2}));
}

TEST_F(PlanStoreTest, ReplaceAllAndTheGridsRowWrites) {
    PlanStore store = storeWith(rowsWithFrequencies({100, 200}));
    store.replaceAll({{1, "A", "DIGI", 474, 8}});
    const auto stored = store.select(SelectById);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].row, PlanRow({1, "A", "DIGI", 474, 8}));
    store.updateRow(stored[0], {1, "B", "TV", 471.25, 6.5});
    EXPECT_EQ(store.rows(OrderById), std::vector<PlanRow>({{1, "B", "TV", 471.25, 6.5}}));
    store.deleteRow(store.select(SelectById).at(0));
    EXPECT_EQ(store.rowCount(), 0);
}

// SQLite hands a replaced table's rowids out again: a row read before the
// replacement names another channel afterwards and is written nowhere.
TEST_F(PlanStoreTest, ARowReadBeforeAReplacementIsNotWrittenIntoTheNewPlan) {
    PlanStore store = storeWith({{1, "S1", "TV", 55.25, 6.5}, {2, "S2", "TV", 62.25, 6.5}});
    const auto before = store.select(SelectById);
    const std::vector<PlanRow> received = {{1, "C02", "TV", 55.25, 6.5},
                                           {2, "C03", "TV", 62.25, 6.5}};
    store.replaceAll(received);
    ASSERT_EQ(store.select(SelectById).at(1).rowid, before.at(1).rowid) << "the rowid is reused";

    try {
        store.updateRow(before.at(1), {2, "XYZ", "TV", 62.25, 6.5});
        ADD_FAILURE() << "the edit went into the replaced table";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.reason(), StoreFailure::RowGone);
    }
    EXPECT_THROW(store.deleteRow(before.at(0)), StoreError);
    EXPECT_EQ(store.rows(OrderById), received);
}

// A database another program holds refuses reads and writes as busy, with the
// table unchanged; once it lets go, the same write goes through.
TEST_F(PlanStoreTest, HeldDatabaseIsReportedAsBusy) {
    PlanStore store = storeWith({{1, "S1", "TV", 55.25, 6.5}});
    const auto read = store.select(SelectById).at(0);
    {
        DatabaseHolder holder(store.databasePath());
        for (const auto& operation : std::vector<std::function<void()>>{
                 [&] { store.rows(OrderById); },
                 [&] {
                     store.updateRow(read, {1, "X", "TV", 55.25, 6.5});
                 },
                 [&] { store.replaceAll({}); }}) {
            try {
                operation();
                ADD_FAILURE() << "the held database was used";
            } catch (const StoreError& e) {
                EXPECT_EQ(e.reason(), StoreFailure::Busy) << e.what();
            }
        }
    }
    store.updateRow(read, {1, "X", "TV", 55.25, 6.5});
    EXPECT_EQ(store.rows(OrderById).at(0).name, "X");
}

// A renumbering that fails on its third row leaves the old plan whole.
TEST_F(PlanStoreTest, InterruptedRenumberingLeavesThePlanWhole) {
    PlanStore store = storeWith(rowsWithFrequencies({300, 100, 200}));
    const auto before = store.rows(QString());
    ASSERT_TRUE(execute(
        store.databasePath(),
        "CREATE TRIGGER interrupt BEFORE INSERT ON ChannelPlanUser "
        "WHEN NEW.ID = 3 AND NEW.CHName = '1' BEGIN SELECT RAISE(ABORT, 'interrupted'); END"));
    EXPECT_THROW(store.renumberChannels(OrderByFreq), StoreError);
    EXPECT_EQ(store.rows(QString()), before);
    // Insert and Paste renumber too, in the same transaction as their change.
    ASSERT_TRUE(execute(store.databasePath(), "DROP TRIGGER interrupt"));
    ASSERT_TRUE(execute(
        store.databasePath(),
        "CREATE TRIGGER interrupt BEFORE INSERT ON ChannelPlanUser "
        "WHEN NEW.CHName = '3' AND NEW.ID = 4 BEGIN SELECT RAISE(ABORT, 'interrupted'); END"));
    EXPECT_THROW(store.insertChannel(1), StoreError);
    EXPECT_EQ(store.rows(QString()), before);
}

// The process dies in the middle of replacing the plan: the next start finds the old one.
TEST_F(PlanStoreTest, ProcessKilledWhileReplacingLeavesThePlanWhole) {
    PlanStore store = storeWith(rowsWithFrequencies({100, 200, 300, 400}));
    const auto before = store.rows(QString());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int added = 0;
        store.replaceAll(rowsWithFrequencies({500, 600, 700, 800, 900}), [&] {
            if (++added == 3) ::kill(::getpid(), SIGKILL);
        });
        ::_exit(0); // not reached
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(store.rows(QString()), before);
}

} // namespace
} // namespace plandex::testing
