// The survey window's checks, history and report: a limits profile picker,
// the overall verdict, a verdict column in the table (colours and marks, so
// it reads without telling colours apart), the limit lines and failure marks
// over the chart, Keep, Compare with..., Save report (PDF), Print and History.
#pragma once

#include "survey_report.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace plandex {

class SurveyReportPanel : public QWidget {
    Q_OBJECT
  public:
    // `table` and `chart` are the survey window's; the panel adds to them.
    SurveyReportPanel(const sondrel::client::Survey& survey, QTableWidget* table, QWidget* chart,
                      QWidget* parent);

    // A new survey in the same window: checked with the picked profile, its
    // verdict column added to the refilled table, not yet kept or compared.
    void setSurvey(const sondrel::client::Survey& survey);

    QComboBox* profilePicker() const { return profiles_; }
    QLineEdit* siteField() const { return site_; }
    QLabel* verdict() const { return verdict_; }
    QPushButton* keepButton() const { return keep_; }
    QPushButton* compareButton() const { return compare_; }
    QPushButton* saveReportButton() const { return saveReport_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* historyButton() const { return history_; }
    const SurveyReport& report() const { return report_; }

    // What the buttons do once their dialogs are answered; failures are told
    // to the user and give false / nullopt.
    bool keep();
    bool compareWith(std::int64_t earlierId);
    bool saveReport(const QString& path);

  private:
    void check();
    void fillVerdictColumn();
    void askAndCompare();
    void askAndSaveReport();
    void askAndPrint();

    SurveyReport report_;
    std::vector<sondrel::client::LimitsProfile> available_;
    QTableWidget* table_;
    QWidget* overlay_;
    QComboBox* profiles_;
    QLineEdit* site_;
    QLabel* verdict_;
    QPushButton *keep_, *compare_, *saveReport_, *print_, *history_;
    int verdictColumn_;
};

// The report language that matches the editor's.
ReportLanguage editorReportLanguage();

} // namespace plandex
