#include "survey_report_panel.h"

#include "messages.h"
#include "own_texts.h"
#include "survey_history_window.h"
#include "survey_limit_overlay.h"
#include "texts.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace plandex {
namespace {

using sondrel::client::CheckResult;
using sondrel::client::Verdict;

// Drawn over the chart, the same size as it, letting the mouse through: the
// limit lines and the failed channels' marks of the current check.
class LimitOverlay : public QWidget {
  public:
    LimitOverlay(const SurveyReport& report, QWidget* chart) : QWidget(chart), report_(report) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        resize(chart->size());
        chart->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) resize(parentWidget()->size());
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        if (!report_.profile || !report_.checks) return;
        QPainter painter(this);
        drawLimitOverlay(painter, QRectF(rect()), report_.survey.survey, *report_.profile,
                         *report_.checks);
    }

  private:
    const SurveyReport& report_;
};

// A mark and a word as well as a colour: the verdict reads in any colour vision.
QString verdictCellText(Verdict verdict, ReportLanguage language) {
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("✓ ") + reportText(ReportText::Pass, language);
    case Verdict::Fail:
        return QStringLiteral("✗ ") + reportText(ReportText::Fail, language);
    case Verdict::NotMeasured:
        break;
    }
    return QStringLiteral("? ") + reportText(ReportText::NotMeasured, language);
}

QTableWidgetItem* readOnlyCell(const QString& text = {}) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

bool hasDigitalChannel(const sondrel::client::Survey& survey) {
    return std::any_of(survey.results.begin(), survey.results.end(), [](const auto& r) {
        return sondrel::client::isDigital(r.channel) && r.level;
    });
}

} // namespace

ReportLanguage editorReportLanguage() {
    return LanguageOffset == ChineseOffset ? ReportLanguage::Chinese : ReportLanguage::English;
}

SurveyReportPanel::SurveyReportPanel(const sondrel::client::Survey& survey,
                                     const std::string& meterModel, QTableWidget* table,
                                     QWidget* chart, QWidget* parent)
    : QWidget(parent), table_(table) {
    if (const char* user = std::getenv("USER")) report_.survey.operatorName = user;
    overlay_ = new LimitOverlay(report_, chart);

    profiles_ = new QComboBox(this);
    // Profile names are long: the picker shares the row with the buttons.
    profiles_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    profiles_->setMinimumContentsLength(24);
    profiles_->addItem(ownText(OwnText::SurveyNoLimits));
    available_ = sondrel::client::availableLimitsProfiles();
    for (const auto& profile : available_)
        profiles_->addItem(QString::fromStdString(profile.name),
                           QString::fromStdString(profile.id));
    site_ = new QLineEdit(this);
    site_->setMinimumWidth(120);
    verdict_ = new QLabel(this);
    verdict_->setTextFormat(Qt::PlainText);
    readQuality_ = new QPushButton(ownText(OwnText::SurveyReadQuality), this);
    keep_ = new QPushButton(ownText(OwnText::SurveyKeep), this);
    compare_ = new QPushButton(ownText(OwnText::SurveyCompare), this);
    saveReport_ = new QPushButton(ownText(OwnText::SurveySaveReport), this);
    print_ = new QPushButton(ownText(OwnText::SurveyPrint), this);
    history_ = new QPushButton(ownText(OwnText::SurveyHistory), this);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(ownText(OwnText::SurveyLimits), this));
    controls->addWidget(profiles_, 1);
    controls->addWidget(new QLabel(ownText(OwnText::SurveySite), this));
    controls->addWidget(site_, 1);
    for (QPushButton* button : {readQuality_, keep_, compare_, saveReport_, print_, history_})
        controls->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(verdict_);
    layout->addLayout(controls);

    setSurvey(survey, meterModel);

    connect(profiles_, &QComboBox::currentIndexChanged, this, [this] { check(); });
    connect(keep_, &QPushButton::clicked, this, [this] { keep(); });
    connect(compare_, &QPushButton::clicked, this, [this] { askAndCompare(); });
    connect(saveReport_, &QPushButton::clicked, this, [this] { askAndSaveReport(); });
    connect(print_, &QPushButton::clicked, this, [this] { askAndPrint(); });
    connect(history_, &QPushButton::clicked, this, [this] {
        auto* window = new SurveyHistoryWindow(this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    });
}

void SurveyReportPanel::setSurvey(const sondrel::client::Survey& survey,
                                  const std::string& meterModel) {
    report_.survey.id = 0;
    report_.survey.survey = survey;
    report_.survey.meterModel = meterModel;
    report_.survey.quality.reset();
    report_.survey.time = sondrel::client::utcTimeNow();
    report_.earlier.reset();
    report_.comparison.reset();
    // The window refilled its table: the panel's columns follow its own.
    firstColumn_ = table_->columnCount();
    readQuality_->setEnabled(hasDigitalChannel(survey));
    check();
}

void SurveyReportPanel::setQuality(std::vector<sondrel::client::DigitalQualityReading> quality) {
    report_.survey.quality = std::move(quality);
    check();
}

void SurveyReportPanel::check() {
    const int picked = profiles_->currentIndex() - 1;
    if (picked >= 0 && picked < static_cast<int>(available_.size())) {
        report_.profile = available_[static_cast<std::size_t>(picked)];
        report_.checks = sondrel::client::checkSurvey(report_.survey.survey, *report_.profile,
                                                      report_.survey.quality);
        report_.survey.profile = report_.profile->id;
        report_.survey.verdict = sondrel::client::verdictName(report_.checks->overall);
    } else {
        report_.profile.reset();
        report_.checks.reset();
        report_.survey.profile.clear();
        report_.survey.verdict.clear();
    }
    verdict_->setText(overallVerdictText(report_, editorReportLanguage()));
    const QColor colour = !report_.checks ? palette().windowText().color()
                          : report_.checks->overall == Verdict::Fail ? failColour
                          : report_.checks->overall == Verdict::Pass ? passColour
                                                                     : Qt::darkGray;
    verdict_->setStyleSheet(QStringLiteral("font-weight: bold; color: %1").arg(colour.name()));
    fillPanelColumns();
    overlay_->update();
}

void SurveyReportPanel::fillPanelColumns() {
    const ReportLanguage language = editorReportLanguage();
    const auto& quality = report_.survey.quality;
    // MER and BER have columns once they were read; the verdict comes last.
    const int verdictColumn = firstColumn_ + (quality ? 2 : 0);
    table_->setColumnCount(verdictColumn + 1);
    if (quality) {
        table_->setHorizontalHeaderItem(firstColumn_,
                                        new QTableWidgetItem(ownText(OwnText::SurveyColumnMer)));
        table_->setHorizontalHeaderItem(firstColumn_ + 1,
                                        new QTableWidgetItem(ownText(OwnText::SurveyColumnBer)));
    }
    table_->setHorizontalHeaderItem(verdictColumn,
                                    new QTableWidgetItem(ownText(OwnText::SurveyColumnVerdict)));
    int row = 0;
    for (const auto& r : report_.survey.survey.results) {
        if (quality) {
            const auto* reading = sondrel::client::qualityOf(*quality, r.channel.number);
            const QString failed = ownText(OwnText::SurveyFailed);
            auto* mer = readOnlyCell(!reading       ? QString()
                                     : reading->mer ? QString::number(*reading->mer, 'f', 1)
                                                    : failed);
            auto* ber = readOnlyCell(
                reading && reading->ber ? QString::number(*reading->ber, 'E', 1) : QString());
            for (auto* item : {mer, ber})
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, firstColumn_, mer);
            table_->setItem(row, firstColumn_ + 1, ber);
        }
        table_->setItem(row++, verdictColumn, verdictCell(r.channel.number, language));
    }
    for (int column = firstColumn_; column <= verdictColumn; ++column)
        table_->resizeColumnToContents(column);
}

QTableWidgetItem* SurveyReportPanel::verdictCell(int number, ReportLanguage language) const {
    auto* item = readOnlyCell();
    if (!report_.checks) return item;
    const auto& checks = *report_.checks;
    // A channel the profile limits nothing of has no verdict of its own; a
    // failed network-wide figure that comes from it still marks it.
    const bool ownChecks = !sondrel::client::checksOfChannel(checks, number).empty();
    const QString failed = failedChecksOf(checks, number, language);
    const Verdict verdict = !failed.isEmpty() ? Verdict::Fail
                            : ownChecks       ? sondrel::client::verdictOfChannel(checks, number)
                                              : Verdict::Pass;
    if (!ownChecks && failed.isEmpty()) return item;
    item->setText(verdictCellText(verdict, language) +
                  (failed.isEmpty() ? QString() : QStringLiteral(": ") + failed));
    if (verdict == Verdict::Fail) {
        item->setForeground(failColour);
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
    } else if (verdict == Verdict::Pass) {
        item->setForeground(passColour);
    }
    return item;
}

bool SurveyReportPanel::keep() {
    const std::string site = site_->text().trimmed().toStdString();
    if (site.empty()) {
        tell(ownText(OwnText::SurveyNeedSite), MessageStyle::Exclamation);
        return false;
    }
    report_.survey.site = site;
    try {
        report_.survey.id = sondrel::client::SurveyHistory().keep(report_.survey);
    } catch (const sondrel::client::HistoryError& e) {
        tell(ownText(OwnText::SurveyHistoryFailed).arg(QString::fromUtf8(e.what())),
             MessageStyle::Exclamation);
        return false;
    }
    verdict_->setText(overallVerdictText(report_, editorReportLanguage()) + QStringLiteral("    ") +
                      ownText(OwnText::SurveyKept).arg(report_.survey.id));
    return true;
}

bool SurveyReportPanel::compareWith(std::int64_t earlierId) {
    try {
        report_.earlier = sondrel::client::SurveyHistory().load(earlierId);
    } catch (const sondrel::client::HistoryError& e) {
        tell(ownText(OwnText::SurveyHistoryFailed).arg(QString::fromUtf8(e.what())),
             MessageStyle::Exclamation);
        return false;
    }
    if (!report_.earlier) {
        tell(ownText(OwnText::SurveyNothingKept), MessageStyle::Exclamation);
        return false;
    }
    report_.comparison =
        sondrel::client::compareSurveys(report_.earlier->survey, report_.survey.survey);
    verdict_->setText(overallVerdictText(report_, editorReportLanguage()) + QStringLiteral("    ") +
                      ownText(OwnText::SurveyCompared)
                          .arg(report_.comparison->flagged)
                          .arg(report_.comparison->threshold, 0, 'f', 1)
                          .arg(report_.earlier->id));
    return true;
}

void SurveyReportPanel::askAndCompare() {
    const std::string site = site_->text().trimmed().toStdString();
    if (site.empty()) {
        tell(ownText(OwnText::SurveyNeedSite), MessageStyle::Exclamation);
        return;
    }
    std::vector<sondrel::client::KeptSurvey> kept;
    try {
        kept = sondrel::client::SurveyHistory().list(site);
    } catch (const sondrel::client::HistoryError& e) {
        tell(ownText(OwnText::SurveyHistoryFailed).arg(QString::fromUtf8(e.what())),
             MessageStyle::Exclamation);
        return;
    }
    std::erase_if(kept, [this](const auto& k) { return k.id == report_.survey.id; });
    if (kept.empty()) {
        tell(ownText(OwnText::SurveyNothingKept), MessageStyle::Exclamation);
        return;
    }
    QStringList choices;
    for (auto it = kept.rbegin(); it != kept.rend(); ++it)
        choices << QStringLiteral("%1  %2  %3")
                       .arg(it->id)
                       .arg(QString::fromStdString(it->time), keptVerdictText(it->verdict));
    QInputDialog dialog(this);
    dialog.setWindowTitle(ownText(OwnText::SurveyCompare));
    dialog.setLabelText(ownText(OwnText::SurveyChooseEarlier).arg(QString::fromStdString(site)));
    dialog.setComboBoxItems(choices);
    dialog.setComboBoxEditable(false);
    if (runDialog_(dialog) != QDialog::Accepted) return;
    compareWith(dialog.textValue().section(QLatin1Char(' '), 0, 0).toLongLong());
}

bool SurveyReportPanel::saveReport(const QString& path) {
    report_.survey.site = site_->text().trimmed().toStdString();
    if (saveSurveyReportPdf(report_, path, editorReportLanguage())) return true;
    tell(ownText(OwnText::SurveySaveFailed).arg(path), MessageStyle::Exclamation);
    return false;
}

void SurveyReportPanel::askAndSaveReport() {
    const QString path = QFileDialog::getSaveFileName(this, ownText(OwnText::SurveySaveReport),
                                                      QString(), QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty()) saveReport(path);
}

bool SurveyReportPanel::print(QPrinter& printer) {
    report_.survey.site = site_->text().trimmed().toStdString();
    if (paintSurveyReport(printer, report_, editorReportLanguage())) return true;
    tell(ownText(OwnText::SurveySaveFailed).arg(printer.printerName()), MessageStyle::Exclamation);
    return false;
}

void SurveyReportPanel::askAndPrint() {
    QPrinter printer;
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, this);
    if (runDialog_(dialog) == QDialog::Accepted) print(printer);
}

} // namespace plandex
