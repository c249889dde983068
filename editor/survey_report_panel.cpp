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

} // namespace

ReportLanguage editorReportLanguage() {
    return LanguageOffset == ChineseOffset ? ReportLanguage::Chinese : ReportLanguage::English;
}

SurveyReportPanel::SurveyReportPanel(const sondrel::client::Survey& survey, QTableWidget* table,
                                     QWidget* chart, QWidget* parent)
    : QWidget(parent), table_(table) {
    if (const char* user = std::getenv("USER")) report_.survey.operatorName = user;
    overlay_ = new LimitOverlay(report_, chart);

    profiles_ = new QComboBox(this);
    profiles_->addItem(ownText(OwnText::SurveyNoLimits));
    available_ = sondrel::client::availableLimitsProfiles();
    for (const auto& profile : available_)
        profiles_->addItem(QString::fromStdString(profile.name),
                           QString::fromStdString(profile.id));
    site_ = new QLineEdit(this);
    verdict_ = new QLabel(this);
    verdict_->setTextFormat(Qt::PlainText);
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
    for (QPushButton* button : {keep_, compare_, saveReport_, print_, history_})
        controls->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(verdict_);
    layout->addLayout(controls);

    setSurvey(survey);

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

void SurveyReportPanel::setSurvey(const sondrel::client::Survey& survey) {
    report_.survey.id = 0;
    report_.survey.survey = survey;
    report_.survey.time = sondrel::client::utcTimeNow();
    report_.earlier.reset();
    report_.comparison.reset();
    verdictColumn_ = table_->columnCount();
    table_->setColumnCount(verdictColumn_ + 1);
    table_->setHorizontalHeaderItem(verdictColumn_,
                                    new QTableWidgetItem(ownText(OwnText::SurveyColumnVerdict)));
    check();
}

void SurveyReportPanel::check() {
    const int picked = profiles_->currentIndex() - 1;
    if (picked >= 0 && picked < static_cast<int>(available_.size())) {
        report_.profile = available_[static_cast<std::size_t>(picked)];
        report_.checks = sondrel::client::checkSurvey(report_.survey.survey, *report_.profile);
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
    fillVerdictColumn();
    overlay_->update();
}

void SurveyReportPanel::fillVerdictColumn() {
    const ReportLanguage language = editorReportLanguage();
    int row = 0;
    for (const auto& r : report_.survey.survey.results) {
        auto* item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        // A channel the profile limits nothing of has no verdict.
        if (report_.checks &&
            !sondrel::client::checksOfChannel(*report_.checks, r.channel.number).empty()) {
            const Verdict verdict =
                sondrel::client::verdictOfChannel(*report_.checks, r.channel.number);
            item->setText(verdictCellText(verdict, language));
            if (verdict == Verdict::Fail) {
                item->setForeground(failColour);
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            } else if (verdict == Verdict::Pass) {
                item->setForeground(passColour);
            }
        }
        table_->setItem(row++, verdictColumn_, item);
    }
    table_->resizeColumnToContents(verdictColumn_);
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
                       .arg(QString::fromStdString(it->time), QString::fromStdString(it->verdict));
    bool chosen = false;
    const QString choice =
        QInputDialog::getItem(this, ownText(OwnText::SurveyCompare), ownText(OwnText::SurveySite),
                              choices, 0, false, &chosen);
    if (chosen) compareWith(choice.section(QLatin1Char(' '), 0, 0).toLongLong());
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

void SurveyReportPanel::askAndPrint() {
    QPrinter printer;
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    report_.survey.site = site_->text().trimmed().toStdString();
    if (!paintSurveyReport(printer, report_, editorReportLanguage()))
        tell(ownText(OwnText::SurveySaveFailed).arg(printer.printerName()),
             MessageStyle::Exclamation);
}

} // namespace plandex
