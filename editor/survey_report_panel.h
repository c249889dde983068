// The survey window's checks, history and report: a limits profile picker,
// the overall verdict, a verdict column in the table (colours and marks, so
// it reads without telling colours apart), the limit lines and failure marks
// over the chart, Read MER and BER, Keep, Compare with..., Save report (PDF),
// Print and History.
#pragma once

#include "survey_report.h"

#include <QDialog>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace plandex {

class SurveyReportPanel : public QWidget {
    Q_OBJECT
  public:
    // `table` and `chart` are the survey window's; the panel adds to them.
    SurveyReportPanel(const sondrel::client::Survey& survey, const std::string& meterModel,
                      QTableWidget* table, QWidget* chart, QWidget* parent);

    // A new survey in the same window, made with the meter `meterModel` names
    // itself (empty: not known): checked with the picked profile, its verdict
    // column added to the refilled table, not yet kept or compared.
    void setSurvey(const sondrel::client::Survey& survey, const std::string& meterModel = {});
    // The MER and BER of the survey's digital channels, read after it: shown
    // in two more columns and checked.
    void setQuality(std::vector<sondrel::client::DigitalQualityReading> quality);

    // Runs the Print and Compare with... dialogs; QDialog::exec unless a
    // caller (a test) answers them itself.
    using DialogRunner = std::function<int(QDialog&)>;
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

    QComboBox* profilePicker() const { return profiles_; }
    QLineEdit* siteField() const { return site_; }
    QLabel* verdict() const { return verdict_; }
    QPushButton* readQualityButton() const { return readQuality_; }
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
    bool print(QPrinter& printer);

  private:
    void check();
    void fillPanelColumns();
    QTableWidgetItem* verdictCell(int number, ReportLanguage language) const;
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
    QPushButton *readQuality_, *keep_, *compare_, *saveReport_, *print_, *history_;
    int firstColumn_ = 0; // the first column the panel adds to the table
    DialogRunner runDialog_ = [](QDialog& dialog) { return dialog.exec(); };
};

// The report language that matches the editor's.
ReportLanguage editorReportLanguage();

} // namespace plandex
