// Build step: writes the empty plan database delivered beside the editor,
// FileDB2000.mdb with the table ChannelPlanUser. The editor itself never
// creates the file.
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QString partial = path + ".partial";
    QFile::remove(partial);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
        db.setDatabaseName(partial);
        QSqlQuery q(db);
        // STRICT: a value that does not fit its column's type is refused, as
        // the plan's typed columns refuse text in a number column.
        ok = db.open() && q.exec("CREATE TABLE ChannelPlanUser ("
                                 "ID INTEGER, CHName TEXT, Type TEXT, Freq REAL, Audio1 REAL"
                                 ") STRICT");
        if (!ok)
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text() + db.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase("make");
    if (!ok) return 1;
    QFile::remove(path);
    return QFile::rename(partial, path) ? 0 : 1;
}
