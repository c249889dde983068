#include "survey_window.h"

#include "messages.h"
#include "own_texts.h"
#include "plan_file_io.h"
#include "survey_chart.h"
#include "survey_csv.h"
#include "survey_report_panel.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace plandex {
namespace {

using sondrel::client::Survey;
using sondrel::client::SurveyResult;

// The chart, redrawn to the widget's size.
class SurveyChartView : public QWidget {
  public:
    SurveyChartView(const Survey& survey, QWidget* parent) : QWidget(parent), survey_(survey) {
        setMinimumSize(480, 280);
        setAutoFillBackground(true);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawSurveyChart(painter, QRectF(rect()), survey_);
    }

  private:
    const Survey& survey_;
};

QTableWidgetItem* cell(const QString& text, bool number) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString decimal(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

} // namespace

SurveyWindow::SurveyWindow(Survey survey, const QString& source, QWidget* parent,
                           const std::string& meterModel)
    : QWidget(parent) {
    setWindowTitle(ownText(OwnText::SurveyTitle));
    source_ = new QLabel(this);
    chart_ = new SurveyChartView(survey_, this);
    table_ = new QTableWidget(this);
    summary_ = new QLabel(this);
    saveCsv_ = new QPushButton(ownText(OwnText::SurveySaveCsv), this);
    savePng_ = new QPushButton(ownText(OwnText::SurveySavePng), this);
    setSurvey(std::move(survey), source, meterModel);

    auto* views = new QHBoxLayout;
    views->addWidget(chart_, 3);
    views->addWidget(table_, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary_, 1);
    buttons->addWidget(saveCsv_);
    buttons->addWidget(savePng_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source_);
    layout->addLayout(views, 1);
    layout->addLayout(buttons);
    reportPanel_ = new SurveyReportPanel(survey_, meterModel, table_, chart_, this);
    layout->addWidget(reportPanel_);
    resize(1100, 520);

    connect(saveCsv_, &QPushButton::clicked, this,
            [this] { askAndSave(QStringLiteral("CSV (*.csv)"), &SurveyWindow::saveCsv); });
    connect(savePng_, &QPushButton::clicked, this,
            [this] { askAndSave(QStringLiteral("PNG (*.png)"), &SurveyWindow::savePng); });
}

void SurveyWindow::setSurvey(Survey survey, const QString& source, const std::string& meterModel) {
    survey_ = std::move(survey);
    QStringList heading;
    if (!source.isEmpty()) heading << source;
    if (!meterModel.empty())
        heading << ownText(OwnText::SurveyMeterModel).arg(QString::fromStdString(meterModel));
    source_->setText(heading.join(QStringLiteral("    ")));
    source_->setVisible(!heading.isEmpty());
    summary_->setText(summaryText());
    fillTable();
    // A reused window checks, keeps and reports the new survey.
    if (reportPanel_) reportPanel_->setSurvey(survey_, meterModel);
    chart_->update();
}

void SurveyWindow::fillTable() {
    const QString unit =
        survey_.unit.empty() ? QStringLiteral("?") : QString::fromStdString(survey_.unit);
    // C/N has a column only when the survey read it.
    const bool withCn = std::any_of(survey_.results.begin(), survey_.results.end(),
                                    [](const SurveyResult& r) { return r.cn || r.cnFailed; });
    const int columns = withCn ? 6 : 5;
    table_->clear();
    table_->setColumnCount(columns);
    table_->setHorizontalHeaderLabels(
        {ownText(OwnText::SurveyColumnChannel), ownText(OwnText::SurveyColumnName),
         ownText(OwnText::SurveyColumnType), ownText(OwnText::SurveyColumnFrequency),
         ownText(OwnText::SurveyColumnLevel).arg(unit), ownText(OwnText::SurveyColumnCn)});
    table_->setRowCount(static_cast<int>(survey_.results.size()));
    table_->verticalHeader()->hide();
    const QString failed = ownText(OwnText::SurveyFailed);
    int row = 0;
    for (const SurveyResult& r : survey_.results) {
        const QString cn = r.cn ? QString::number(*r.cn) : r.cnFailed ? failed : QString();
        const QString texts[] = {
            QString::number(r.channel.number),       QString::fromStdString(r.channel.name),
            QString::fromStdString(r.channel.type),  decimal(r.channel.mhz, 2),
            r.level ? decimal(*r.level, 1) : failed, cn};
        for (int column = 0; column < columns; ++column)
            table_->setItem(row, column, cell(texts[column], column == 0 || column >= 3));
        ++row;
    }
    table_->resizeColumnsToContents();
}

QString SurveyWindow::summaryText() const {
    const auto fit = sondrel::client::fitTilt(survey_.results);
    const auto difference = sondrel::client::favouriteDifferences(survey_);
    QString text = fit ? ownText(OwnText::SurveyTilt).arg(decimal(fit->dbPer100MHz, 2))
                       : ownText(OwnText::SurveyNoTilt);
    const QString gap = QStringLiteral("    ");
    if (difference.analogue)
        text += gap + ownText(OwnText::SurveyFavourites).arg(decimal(*difference.analogue, 1));
    if (difference.digital)
        text += gap + ownText(OwnText::SurveyDigiFavourites).arg(decimal(*difference.digital, 1));
    if (!difference.analogue && !difference.digital)
        text += gap + ownText(OwnText::SurveyNoFavourites);
    if (survey_.unit.empty()) text += QStringLiteral("\n") + ownText(OwnText::SurveyUnitUnknown);
    if (survey_.meterSilent)
        text +=
            QStringLiteral("\n") + ownText(OwnText::SurveyMeterSilent).arg(survey_.results.size());
    else if (survey_.stopped)
        text += QStringLiteral("\n") + ownText(OwnText::SurveyStopped);
    return text;
}

bool SurveyWindow::saveCsv(const QString& path) const {
    const std::string text = sondrel::client::surveyCsv(survey_);
    if (writeFileAtomically(path, QByteArray::fromStdString(text))) return true;
    tell(ownText(OwnText::SurveySaveFailed).arg(path), MessageStyle::Exclamation);
    return false;
}

bool SurveyWindow::savePng(const QString& path) const {
    if (saveSurveyChartPng(survey_, path)) return true;
    tell(ownText(OwnText::SurveySaveFailed).arg(path), MessageStyle::Exclamation);
    return false;
}

void SurveyWindow::askAndSave(const QString& filter,
                              bool (SurveyWindow::*save)(const QString&) const) {
    const QString path = QFileDialog::getSaveFileName(this, windowTitle(), QString(), filter);
    if (!path.isEmpty()) (this->*save)(path);
}

} // namespace plandex
