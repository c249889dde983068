#include "survey_history_window.h"

#include "messages.h"
#include "own_texts.h"
#include "survey_history.h"
#include "survey_report_panel.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace plandex {

SurveyHistoryWindow::SurveyHistoryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(ownText(OwnText::SurveyHistoryTitle));
    tree_ = new QTreeWidget(this);
    const ReportLanguage language = editorReportLanguage();
    tree_->setHeaderLabels(
        {reportText(ReportText::Site, language), ownText(OwnText::SurveyHistoryId),
         reportText(ReportText::Time, language), reportText(ReportText::Meter, language),
         reportText(ReportText::Profile, language), reportText(ReportText::Verdict, language)});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    resize(760, 420);
    reload();
}

bool SurveyHistoryWindow::reload() {
    tree_->clear();
    std::vector<sondrel::client::KeptSurvey> kept;
    try {
        kept = sondrel::client::SurveyHistory().list();
    } catch (const sondrel::client::HistoryError& e) {
        tell(ownText(OwnText::SurveyHistoryFailed).arg(QString::fromUtf8(e.what())),
             MessageStyle::Exclamation);
        return false;
    }
    std::map<std::string, QTreeWidgetItem*> sites;
    for (const auto& survey : kept) {
        QTreeWidgetItem*& site = sites[survey.site];
        if (!site) {
            site = new QTreeWidgetItem(tree_, {QString::fromStdString(survey.site)});
            site->setExpanded(true);
        }
        new QTreeWidgetItem(
            site, {QString(), QString::number(survey.id), QString::fromStdString(survey.time),
                   QString::fromStdString(survey.meterModel),
                   QString::fromStdString(survey.profile), QString::fromStdString(survey.verdict)});
    }
    tree_->header()->resizeSections(QHeaderView::ResizeToContents);
    return true;
}

} // namespace plandex
