#include "plan_store.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QUrl>
#include <QVariant>

namespace plandex {
namespace {

constexpr int BusyWaitMs = 1000;

// SQLite's primary result codes, as the driver reports them.
StoreFailure failureOf(const QSqlError& e) {
    switch (e.nativeErrorCode().toInt() & 0xff) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return StoreFailure::Busy;
    case 8: // SQLITE_READONLY
    case 3: // SQLITE_PERM
        return StoreFailure::ReadOnly;
    case 14: // SQLITE_CANTOPEN
        return StoreFailure::NotOpened;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
    case 1:  // SQLITE_ERROR: no such table, no such column
        return StoreFailure::Damaged;
    case 13: // SQLITE_FULL
        return StoreFailure::DiskFull;
    default:
        return StoreFailure::Other;
    }
}

[[noreturn]] void fail(const std::string& what, const QSqlError& e) {
    throw StoreError(what + ": " + e.text().toStdString(), failureOf(e));
}

// One connection for the duration of one store operation.
class Connection {
  public:
    explicit Connection(const QString& path) : name_(nextName()) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name_);
            // mode=rw: a missing file is an error instead of a new empty database.
            // A program that holds the database for a moment is waited for; one
            // that keeps it is reported soon, before the window seems to hang.
            db.setConnectOptions(
                QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyWaitMs));
            db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + "?mode=rw");
            if (db.open()) return;
            error_ = db.lastError();
        }
        QSqlDatabase::removeDatabase(name_);
        fail("cannot open " + path.toStdString(), error_);
    }
    ~Connection() {
        database().close();
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QSqlDatabase database() const { return QSqlDatabase::database(name_, false); }

  private:
    static QString nextName() {
        static QAtomicInteger<int> counter;
        return QStringLiteral("plan-store-%1").arg(counter.fetchAndAddRelaxed(1));
    }
    QString name_;
    QSqlError error_;
};

// Rolls back unless committed, so that an exception leaves the old rows in place.
class Transaction {
  public:
    explicit Transaction(QSqlDatabase db) : db_(std::move(db)) {
        if (!db_.transaction()) fail("begin", db_.lastError());
    }
    ~Transaction() {
        if (!committed_) db_.rollback();
    }
    void commit() {
        if (!db_.commit()) fail("commit", db_.lastError());
        committed_ = true;
    }

  private:
    QSqlDatabase db_;
    bool committed_ = false;
};

QSqlQuery run(const QSqlDatabase& db, const QString& statement, const QVariantList& values = {}) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement)) fail(statement.toStdString(), query.lastError());
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) fail(statement.toStdString(), query.lastError());
    return query;
}

PlanRow rowOf(const QSqlQuery& q, int first) {
    return PlanRow{q.value(first).toInt(), q.value(first + 1).toString(),
                   q.value(first + 2).toString(), q.value(first + 3).toDouble(),
                   q.value(first + 4).toDouble()};
}

const QString insertStatement =
    QStringLiteral("INSERT INTO ChannelPlanUser (ID, CHName, Type, Freq, Audio1) "
                   "VALUES (?, ?, ?, ?, ?)");

void insertRow(const QSqlDatabase& db, const PlanRow& r) {
    run(db, insertStatement, {r.id, r.name, r.type, r.freq, r.audio1});
}

// Rows of equal sort key come back in stored (rowid) order.
QString withStoredOrder(const QString& orderClause) {
    const QString clause = orderClause.trimmed();
    return clause.isEmpty() ? QStringLiteral("ORDER BY rowid") : clause + ", rowid";
}

std::vector<PlanRow> readRows(const QSqlDatabase& db, const QString& orderClause) {
    QSqlQuery q = run(db, "SELECT ID, CHName, Type, Freq, Audio1 FROM ChannelPlanUser " +
                              withStoredOrder(orderClause));
    std::vector<PlanRow> rows;
    while (q.next())
        rows.push_back(rowOf(q, 0));
    return rows;
}

void renumber(const QSqlDatabase& db, const QString& orderClause) {
    std::vector<PlanRow> rows = readRows(db, orderClause);
    run(db, "DELETE FROM ChannelPlanUser");
    int id = 1;
    for (PlanRow& r : rows) {
        r.id = id++;
        insertRow(db, r);
    }
}

bool idInUse(const QSqlDatabase& db, int id) {
    return run(db, "SELECT 1 FROM ChannelPlanUser WHERE ID = ?", {id}).next();
}

} // namespace

QString PlanStore::defaultDatabasePath() {
    return databasePathFor(QCoreApplication::applicationDirPath());
}

QString PlanStore::databasePathFor(const QString& programDir) {
    // An installed program (bin/plandex) finds the delivered file in
    // share/plandex and always works on the per-user copy, even for a user who
    // could write beside the program.
    const QString beside = QDir(programDir).filePath(DatabaseFileName);
    const QString shared = QDir::cleanPath(programDir + "/../share/plandex/" + DatabaseFileName);
    const bool installed = !QFileInfo::exists(beside) && QFileInfo::exists(shared);
    if (!installed && QFileInfo(programDir).isWritable()) return beside;
    const QString delivered = installed ? shared : beside;

    const QString userDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/plandex";
    const QString userCopy = QDir(userDir).filePath(DatabaseFileName);
    if (!QFileInfo::exists(userCopy) && QFileInfo::exists(delivered) && QDir().mkpath(userDir) &&
        QFile::copy(delivered, userCopy)) {
        // The delivered file may be read-only; the copy is the user's to change.
        QFile(userCopy).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return userCopy;
}

PlanStore::PlanStore(QString databasePath) : path_(std::move(databasePath)) {}

std::vector<StoredRow> PlanStore::select(const QString& statement) const {
    // The grid writes edited rows back by rowid, since IDs may repeat mid-edit.
    static const QRegularExpression selectAll(QStringLiteral("^\\s*SELECT\\s+\\*\\s+"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = selectAll.match(statement);
    if (!m.hasMatch()) throw StoreError("not a SELECT * statement: " + statement.toStdString());
    Connection c(path_);
    QSqlQuery q = run(c.database(), "SELECT rowid, ID, CHName, Type, Freq, Audio1 " +
                                        statement.mid(m.capturedLength()));
    std::vector<StoredRow> rows;
    while (q.next())
        rows.push_back({q.value(0).toLongLong(), rowOf(q, 1)});
    return rows;
}

std::vector<PlanRow> PlanStore::rows(const QString& orderClause) const {
    Connection c(path_);
    return readRows(c.database(), orderClause);
}

int PlanStore::rowCount() const {
    Connection c(path_);
    QSqlQuery q = run(c.database(), "SELECT COUNT(*) FROM ChannelPlanUser");
    return q.next() ? q.value(0).toInt() : 0;
}

void PlanStore::renumberChannels(const QString& orderClause) {
    Connection c(path_);
    Transaction t(c.database());
    renumber(c.database(), orderClause);
    t.commit();
}

bool PlanStore::insertChannel(int at) {
    Connection c(path_);
    const QSqlDatabase db = c.database();
    Transaction t(db);
    int freeId = MaxPlanRows;
    while (freeId >= 1 && idInUse(db, freeId))
        --freeId;
    if (freeId < 1) return false;
    run(db, "UPDATE ChannelPlanUser SET ID = ID + 1 WHERE ID >= ?", {at});
    insertRow(db, PlanRow{at, QString::number(freeId), "TV", 46.0, 4.5});
    renumber(db, OrderById);
    t.commit();
    return true;
}

void PlanStore::deleteChannels(const std::vector<int>& ids) {
    Connection c(path_);
    Transaction t(c.database());
    for (int id : ids) {
        try {
            run(c.database(), "DELETE FROM ChannelPlanUser WHERE ID = ?", {id});
        } catch (const StoreError&) {
            // One failing row does not keep the others.
        }
    }
    t.commit();
}

void PlanStore::pasteChannels(const std::vector<std::int16_t>& ids) {
    if (ids.empty()) throw StoreError("nothing copied");
    Connection c(path_);
    const QSqlDatabase db = c.database();
    Transaction t(db);
    for (std::int16_t id : ids) {
        QSqlQuery q = run(db,
                          "SELECT ID, CHName, Type, Freq, Audio1 FROM ChannelPlanUser "
                          "WHERE ID = ? ORDER BY rowid",
                          {int(id)});
        if (!q.next()) throw StoreError("no channel with ID " + std::to_string(id));
        const PlanRow copy = rowOf(q, 0);
        q.finish();
        insertRow(db, copy);
    }
    renumber(db, OrderById);
    t.commit();
}

void PlanStore::replaceAll(const std::vector<PlanRow>& rows,
                           const std::function<void()>& beforeEachRow) {
    Connection c(path_);
    Transaction t(c.database());
    run(c.database(), "DELETE FROM ChannelPlanUser");
    for (const PlanRow& r : rows) {
        if (beforeEachRow) beforeEachRow();
        insertRow(c.database(), r);
    }
    t.commit();
}

namespace {

// The row with this rowid, as long as it still holds what was read.
const QString sameRowAsRead =
    QStringLiteral("WHERE rowid = ? AND ID IS ? AND CHName IS ? AND Type IS ? AND Freq IS ? "
                   "AND Audio1 IS ?");

QVariantList asRead(const StoredRow& read) {
    const PlanRow& r = read.row;
    return {qint64(read.rowid), r.id, r.name, r.type, r.freq, r.audio1};
}

void expectOneRow(const QSqlQuery& q, const StoredRow& read) {
    if (q.numRowsAffected() != 1)
        throw StoreError("row " + std::to_string(read.rowid) + " is no longer as it was read",
                         StoreFailure::RowGone);
}

} // namespace

void PlanStore::updateRow(const StoredRow& read, const PlanRow& row) {
    Connection c(path_);
    QVariantList values{row.id, row.name, row.type, row.freq, row.audio1};
    values += asRead(read);
    expectOneRow(run(c.database(),
                     "UPDATE ChannelPlanUser SET ID = ?, CHName = ?, Type = ?, Freq = ?, "
                     "Audio1 = ? " +
                         sameRowAsRead,
                     values),
                 read);
}

void PlanStore::deleteRow(const StoredRow& read) {
    Connection c(path_);
    expectOneRow(run(c.database(), "DELETE FROM ChannelPlanUser " + sameRowAsRead, asRead(read)),
                 read);
}

} // namespace plandex
