// One editor per plan database: a lock file beside the database, held for the
// whole run. A second editor on the same database is told so and stops before
// it touches anything; a lock left behind by an editor that crashed (its
// process is gone) is taken over.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace plandex {

struct DatabaseLock {
    std::unique_ptr<QLockFile> file; // held while it lives; empty when not taken
    bool heldByAnotherEditor = false;
};

// The lock file of a database: its name with ".lock" appended.
QString databaseLockPath(const QString& databasePath);

// Takes the lock of the database without waiting.
DatabaseLock lockPlanDatabase(const QString& databasePath);

// Says, in the user's language, why the lock was not taken. False when the
// editor must not go on (another editor has the database); an editor that
// could not write the lock file goes on without it.
bool reportDatabaseLock(const DatabaseLock& lock, const QString& databasePath);

} // namespace plandex
