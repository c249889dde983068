#include "survey_history_window.h"

#include "messages.h"
#include "own_texts.h"
#include "survey_checks.h"
#include "survey_history.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace plandex {

QString keptVerdictText(const std::string& kept) {
    if (kept.empty()) return ownText(OwnText::SurveyVerdictNotChecked);
    using sondrel::client::Verdict;
    const std::pair<Verdict, OwnText> words[] = {
        {Verdict::Pass, OwnText::SurveyVerdictPass},
        {Verdict::Fail, OwnText::SurveyVerdictFail},
        {Verdict::NotMeasured, OwnText::SurveyVerdictNotMeasured},
    };
    for (const auto& [verdict, word] : words)
        if (kept == sondrel::client::verdictName(verdict)) return ownText(word);
    return QString::fromStdString(kept);
}

SurveyHistoryWindow::SurveyHistoryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(ownText(OwnText::SurveyHistoryTitle));
    tree_ = new QTreeWidget(this);
    tree_->setHeaderLabels(
        {ownText(OwnText::SurveyHistorySite), ownText(OwnText::SurveyHistoryId),
         ownText(OwnText::SurveyHistoryTime), ownText(OwnText::SurveyHistoryMeter),
         ownText(OwnText::SurveyHistoryLimits), ownText(OwnText::SurveyHistoryVerdict)});
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
                   QString::fromStdString(survey.profile), keptVerdictText(survey.verdict)});
    }
    tree_->header()->resizeSections(QHeaderView::ResizeToContents);
    return true;
}

} // namespace plandex
