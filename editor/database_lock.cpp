#include "database_lock.h"

#include "messages.h"
#include "own_texts.h"

#include <QDir>

namespace plandex {

QString databaseLockPath(const QString& databasePath) {
    return databasePath + QStringLiteral(".lock");
}

DatabaseLock lockPlanDatabase(const QString& databasePath) {
    DatabaseLock lock;
    auto file = std::make_unique<QLockFile>(databaseLockPath(databasePath));
    // A lock is never stale by its age: an editor may stay open for days. It is
    // stale only when the process that wrote it is gone.
    file->setStaleLockTime(0);
    if (file->tryLock(0)) {
        lock.file = std::move(file);
        return lock;
    }
    lock.heldByAnotherEditor = file->error() == QLockFile::LockFailedError;
    return lock;
}

bool reportDatabaseLock(const DatabaseLock& lock, const QString& databasePath) {
    if (lock.file) return true;
    const QString shown = QDir::toNativeSeparators(databasePath);
    if (lock.heldByAnotherEditor) {
        tell(ownText(OwnText::DatabaseInUse).arg(shown), MessageStyle::Exclamation);
        return false;
    }
    tell(ownText(OwnText::DatabaseNotLocked).arg(shown, ownText(OwnText::StoreReadOnly)),
         MessageStyle::Exclamation);
    return true;
}

} // namespace plandex
