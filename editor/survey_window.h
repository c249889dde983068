// The window that shows a finished (or cancelled) level survey: which plan was
// measured, the chart of levels with its tilt line, the numbers in a table
// beside it, the meter's model, the tilt and the favourites' difference below, and Save as CSV
// and as PNG. One window serves every survey of a main window: a new survey
// replaces the one shown.
#pragma once

#include "level_survey.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace plandex {

class SurveyReportPanel;

class SurveyWindow : public QWidget {
    Q_OBJECT
  public:
    // `source` says which plan was measured; empty when the caller has nothing
    // to say. `meterModel` is the model the meter named itself; empty when not known.
    explicit SurveyWindow(sondrel::client::Survey survey, const QString& source = {},
                          QWidget* parent = nullptr, const std::string& meterModel = {});

    // Shows another survey in place of this one.
    void setSurvey(sondrel::client::Survey survey, const QString& source,
                   const std::string& meterModel = {});

    const sondrel::client::Survey& survey() const { return survey_; }
    QLabel* source() const { return source_; }
    QWidget* chart() const { return chart_; }
    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    QPushButton* saveCsvButton() const { return saveCsv_; }
    QPushButton* savePngButton() const { return savePng_; }
    SurveyReportPanel* reportPanel() const { return reportPanel_; }

    // What the Save buttons write once their dialog has a name; a failure is
    // told to the user and gives false.
    bool saveCsv(const QString& path) const;
    bool savePng(const QString& path) const;

  private:
    void fillTable();
    QString summaryText() const;
    void askAndSave(const QString& filter, bool (SurveyWindow::*save)(const QString&) const);

    sondrel::client::Survey survey_;
    QLabel* source_ = nullptr;
    QWidget* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QPushButton* savePng_ = nullptr;
    SurveyReportPanel* reportPanel_ = nullptr;
};

} // namespace plandex
