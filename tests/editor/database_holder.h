// Another program holding the plan database: a connection of its own that
// keeps an exclusive transaction open until release() or its end, as a second
// editor or a backup tool in the middle of its work does.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <gtest/gtest.h>

namespace plandex::testing {

class DatabaseHolder {
  public:
    explicit DatabaseHolder(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name_);
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=0");
        EXPECT_TRUE(db.open());
        EXPECT_TRUE(QSqlQuery(db).exec("BEGIN EXCLUSIVE")) << "the holder takes the database";
    }
    ~DatabaseHolder() {
        release();
        QSqlDatabase::removeDatabase(name_);
    }
    DatabaseHolder(const DatabaseHolder&) = delete;
    DatabaseHolder& operator=(const DatabaseHolder&) = delete;

    void release() {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (!db.isOpen()) return;
        QSqlQuery(db).exec("ROLLBACK");
        db.close();
    }

  private:
    QString name_ = QStringLiteral("database-holder");
};

} // namespace plandex::testing
