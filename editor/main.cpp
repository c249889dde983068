// Plandex: prepares the channel plan of the signal level meter and moves it to
// and from the meter. Starts with the start-up window Form1.
#include "Form1.h"
#include "database_lock.h"
#include "plan_store.h"
#include "texts.h"

#include "platform/system_language.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plandex"));
    QApplication::setOrganizationName(QStringLiteral("plandex"));
    // The windows are laid out for a small 9-point face; CJK glyphs come from the
    // system's fallback fonts.
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);
    // Qt's own texts (message-box buttons, file dialogs) follow the editor's language.
    QTranslator qtTexts;
    if (plandex::languageOffsetFor(sondrel::systemDefaultLanguageId()) == plandex::ChineseOffset &&
        qtTexts.load(QStringLiteral("qtbase_zh_CN"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // One editor per plan database: a second one says so and leaves it alone.
    plandex::LanguageOffset = plandex::languageOffsetFor(sondrel::systemDefaultLanguageId());
    const QString database = plandex::PlanStore::defaultDatabasePath();
    const plandex::DatabaseLock lock = plandex::lockPlanDatabase(database);
    if (!plandex::reportDatabaseLock(lock, database)) return 1;

    auto* form1 = new plandex::Form1(plandex::PlanStore(database));
    form1->setAttribute(Qt::WA_DeleteOnClose);
    form1->show();
    return QApplication::exec();
}
