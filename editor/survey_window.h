// The window that shows a finished (or cancelled) level survey: the chart of
// levels with its tilt line, the numbers in a table beside it, the tilt and
// the favourites' difference below, and Save as CSV and as PNG.
#pragma once

#include "level_survey.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace plandex {

class SurveyWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SurveyWindow(sondrel::client::Survey survey, QWidget* parent = nullptr);

    const sondrel::client::Survey& survey() const { return survey_; }
    QWidget* chart() const { return chart_; }
    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    QPushButton* saveCsvButton() const { return saveCsv_; }
    QPushButton* savePngButton() const { return savePng_; }

    // What the Save buttons write once their dialog has a name; a failure is
    // told to the user and gives false.
    bool saveCsv(const QString& path) const;
    bool savePng(const QString& path) const;

  private:
    void fillTable();
    QString summaryText() const;
    void askAndSave(const QString& filter, bool (SurveyWindow::*save)(const QString&) const);

    sondrel::client::Survey survey_;
    QWidget* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QPushButton* savePng_ = nullptr;
};

} // namespace plandex
