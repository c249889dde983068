// The survey window's limits, history and report against the simulated meter:
// a plan surveyed from the table with one channel lifted out of limits, checked
// against a profile of the user's own, kept, compared with the next visit and
// saved as a PDF report.
#include "transfer_fixture.h" // first: before Qt's keywords

#include "own_texts.h"
#include "survey_history.h"
#include "survey_history_window.h"
#include "survey_limit_overlay.h"
#include "survey_report_panel.h"
#include "survey_window.h"
#include "toolbar.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <fstream>

namespace plandex::testing {
namespace {

// Three channels 150 MHz apart; the meter lifts the second one 20 dB.
AnalogPlan threeChannelPlan() {
    AnalogPlan plan;
    for (int i = 0; i < 3; ++i)
        plan.channels.push_back(
            entry(qPrintable(QString("S%1").arg(i + 1)), 112.25f + 150.0f * i, "TV", 5.5f));
    plan.head = {{1, 3, 0, 0, 0, 0}, 1, 800};
    return plan;
}

class SurveyReportPanelTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        ASSERT_TRUE(home_.isValid());
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", home_.filePath("data").toUtf8());
        std::filesystem::create_directories(home_.filePath("config/sondrel/limits").toStdString());
        std::ofstream(home_.filePath("config/sondrel/limits/outlet.json").toStdString())
            << R"({"name": "Own outlet limits", "analogue": {"minLevel": 60, "maxLevel": 90}})";
        std::ofstream(home_.filePath("config/sondrel/limits/steps.json").toStdString())
            << R"({"name": "Steps only", "maxAdjacentDifference": 3})";
        std::ofstream(home_.filePath("config/sondrel/limits/digital.json").toStdString())
            << R"({"name": "Digital quality", "digital": {"minMer": 99}})";
        putInSlotA(threeChannelPlan());
        load({});
        run("Upload");
        ASSERT_EQ(form->OperationResult, "Yes");
        messages.shown.clear();
    }
    // Surveys the table's plan and gives the panel of the window it opens.
    SurveyReportPanel* survey(double liftDb) {
        meter->withState([liftDb](korvane::sim::MeterState& s) {
            s.signal.levelOffsets.set({262.25, liftDb});
        });
        form->ToolKv()->button(SurveyButton)->trigger();
        finish();
        const auto windows = form->findChildren<SurveyWindow*>();
        if (windows.isEmpty()) return nullptr;
        return windows.back()->findChild<SurveyReportPanel*>();
    }
    static void pick(SurveyReportPanel* panel, const char* profile) {
        const int index = panel->profilePicker()->findData(QString::fromLatin1(profile));
        ASSERT_GT(index, 0) << profile;
        panel->profilePicker()->setCurrentIndex(index);
    }
    static QString pdfText(const QString& pdf) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        EXPECT_TRUE(pdftotext.waitForFinished(30000));
        // Compatibility forms undo the ligatures the PDF's font set ("ﬀ" for "ff").
        return QString::fromUtf8(pdftotext.readAllStandardOutput())
            .normalized(QString::NormalizationForm_KC);
    }
    static QTableWidget* tableOf(SurveyReportPanel* panel) {
        return panel->parentWidget()->findChild<QTableWidget*>();
    }
    static QString verdictCell(SurveyReportPanel* panel, int row) {
        QTableWidget* table = tableOf(panel);
        return table->item(row, table->columnCount() - 1)->text();
    }
    static QColor colourAt(const QImage& image, const QColor& wanted) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == wanted) return wanted;
        return {};
    }

    QTemporaryDir home_;
};

TEST_F(SurveyReportPanelTest, AChannelOutOfLimitsIsMarkedKeptComparedAndReported) {
    SurveyReportPanel* panel = survey(20);
    ASSERT_TRUE(panel);
    QTableWidget* table = panel->parentWidget()->findChild<QTableWidget*>();
    const int verdictColumn = table->columnCount() - 1;
    EXPECT_EQ(table->horizontalHeaderItem(verdictColumn)->text(),
              ownText(OwnText::SurveyColumnVerdict));
    EXPECT_TRUE(table->item(1, verdictColumn)->text().isEmpty()); // nothing checked yet
    int verdictColumns = 0;
    for (int column = 0; column < table->columnCount(); ++column)
        verdictColumns +=
            table->horizontalHeaderItem(column)->text() == ownText(OwnText::SurveyColumnVerdict);
    EXPECT_EQ(verdictColumns, 1);

    const int picked = panel->profilePicker()->findData(QStringLiteral("outlet"));
    ASSERT_GT(picked, 0) << "the user's own profile is offered";
    panel->profilePicker()->setCurrentIndex(picked);
    const ReportLanguage language = editorReportLanguage();
    EXPECT_EQ(panel->verdict()->text(),
              reportText(ReportText::VerdictFail, language).arg(1).arg(3));
    // A mark and a word besides the colour, on the lifted channel only.
    EXPECT_TRUE(table->item(1, verdictColumn)->text().startsWith(QStringLiteral("✗ ")));
    EXPECT_EQ(table->item(1, verdictColumn)->foreground().color(), failColour);
    EXPECT_TRUE(table->item(0, verdictColumn)->text().startsWith(QStringLiteral("✓ ")));
    EXPECT_TRUE(table->item(2, verdictColumn)->text().startsWith(QStringLiteral("✓ ")));
    // The chart marks the failed channel.
    auto* window = qobject_cast<SurveyWindow*>(panel->parentWidget());
    ASSERT_TRUE(window);
    QWidget* chart = window->chart();
    ASSERT_TRUE(chart);
    EXPECT_EQ(colourAt(chart->grab().toImage(), failColour), failColour);

    // Keep needs a site; then the survey is in the history.
    EXPECT_FALSE(panel->keep());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, ownText(OwnText::SurveyNeedSite));
    panel->siteField()->setText(QStringLiteral("Block 7"));
    ASSERT_TRUE(panel->keep());
    const std::int64_t firstId = panel->report().survey.id;
    {
        const auto kept = sondrel::client::SurveyHistory().load(firstId);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->site, "Block 7");
        EXPECT_EQ(kept->profile, "outlet");
        EXPECT_EQ(kept->verdict, "fail");
        EXPECT_EQ(kept->survey.results, panel->report().survey.survey.results);
    }

    // The next visit: the channel is back; compared with the first, it moved.
    SurveyReportPanel* next = survey(0);
    ASSERT_TRUE(next);
    EXPECT_EQ(next, panel) << "the survey window is reused";
    EXPECT_EQ(next->report().survey.id, 0) << "the new survey is not kept yet";
    EXPECT_FALSE(next->report().comparison) << "nor compared";
    next->profilePicker()->setCurrentIndex(picked);
    EXPECT_EQ(next->verdict()->text(), reportText(ReportText::VerdictPass, language));
    ASSERT_TRUE(next->compareWith(firstId));
    ASSERT_TRUE(next->report().comparison);
    EXPECT_EQ(next->report().comparison->flagged, 1);
    EXPECT_TRUE(next->report().comparison->channels[1].flagged);
    EXPECT_TRUE(next->verdict()->text().contains(
        ownText(OwnText::SurveyCompared).arg(1).arg(2.0, 0, 'f', 1).arg(firstId)));

    const QString pdf = home_.filePath("visit.pdf");
    ASSERT_TRUE(next->saveReport(pdf));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_FALSE(next->saveReport(home_.filePath("missing/visit.pdf")));
}

// Compare with... and Print reach their dialogs, which a runner answers as a
// user would: cancelled they change nothing; answered, the earlier survey
// chosen is compared and the printer prints the report (to a PDF file here).
// The meter names its model once per survey; the window, the history and the
// printed report show it.
TEST_F(SurveyReportPanelTest, CompareAndPrintAreAnsweredThroughTheirDialogs) {
    meter->withState([](korvane::sim::MeterState& s) {
        s.settings.model = 2750;
        s.settings.variant = 1; // "A"
    });
    SurveyReportPanel* panel = survey(20);
    ASSERT_TRUE(panel);
    auto* window = qobject_cast<SurveyWindow*>(panel->parentWidget());
    EXPECT_TRUE(window->source()->text().contains(ownText(OwnText::SurveyMeterModel).arg("2750A")))
        << window->source()->text().toStdString();
    EXPECT_FALSE(panel->readQualityButton()->isEnabled()) << "no digital channel to read";
    pick(panel, "outlet");
    panel->siteField()->setText(QStringLiteral("Block 7"));
    ASSERT_TRUE(panel->keep());
    const std::int64_t firstId = panel->report().survey.id;
    EXPECT_EQ(sondrel::client::SurveyHistory().load(firstId)->meterModel, "2750A");

    SurveyReportPanel* next = survey(0);
    ASSERT_EQ(next, panel);
    ASSERT_TRUE(next->keep());
    const std::int64_t secondId = next->report().survey.id;

    QStringList offered;
    QString label;
    bool answer = false;
    next->setDialogRunner([&](QDialog& dialog) {
        auto* input = qobject_cast<QInputDialog*>(&dialog);
        if (!input) return int(QDialog::Rejected);
        offered = input->comboBoxItems();
        label = input->labelText();
        if (!answer) return int(QDialog::Rejected);
        input->setTextValue(offered.value(0));
        return int(QDialog::Accepted);
    });
    next->compareButton()->click();
    EXPECT_EQ(label, ownText(OwnText::SurveyChooseEarlier).arg("Block 7"));
    // The survey shown is not offered against itself.
    ASSERT_EQ(offered.size(), 1) << offered.join('|').toStdString();
    EXPECT_TRUE(offered[0].startsWith(QString::number(firstId) + "  "));
    EXPECT_TRUE(offered[0].endsWith("  " + ownText(OwnText::SurveyVerdictFail)));
    EXPECT_FALSE(next->report().comparison) << "cancelled";
    answer = true;
    next->compareButton()->click();
    ASSERT_TRUE(next->report().comparison);
    EXPECT_EQ(next->report().earlier->id, firstId);
    EXPECT_EQ(next->report().comparison->flagged, 1);

    const QString printed = home_.filePath("printed.pdf");
    bool printAnswer = false;
    next->setDialogRunner([&](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print || !printAnswer) return int(QDialog::Rejected);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(printed);
        return int(QDialog::Accepted);
    });
    next->printButton()->click();
    EXPECT_FALSE(QFile::exists(printed)) << "cancelled";
    printAnswer = true;
    // The editor's report is in the editor's language, whatever the locale says.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    next->printButton()->click();
    qunsetenv("LC_ALL");
    const QString text = pdfText(printed);
    EXPECT_TRUE(text.contains(QStringLiteral("PASS: every check passed"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Block 7")));
    EXPECT_TRUE(text.contains(QStringLiteral("2750A")));
    EXPECT_TRUE(text.contains(QStringLiteral("Compared with survey %1").arg(firstId)));

    // The History window lists both visits with the meter and their verdicts.
    next->historyButton()->click();
    auto* history = next->findChild<SurveyHistoryWindow*>();
    ASSERT_TRUE(history);
    QTreeWidgetItem* site = history->tree()->topLevelItem(0);
    ASSERT_EQ(site->childCount(), 2);
    EXPECT_EQ(site->child(0)->text(1), QString::number(firstId));
    EXPECT_EQ(site->child(1)->text(1), QString::number(secondId));
    EXPECT_EQ(site->child(0)->text(3), "2750A");
    EXPECT_EQ(site->child(0)->text(5), ownText(OwnText::SurveyVerdictFail));
    EXPECT_EQ(site->child(1)->text(5), ownText(OwnText::SurveyVerdictPass));
    EXPECT_TRUE(messages.shown.empty());
}

// In Chinese the window's verdicts, the PDF and the History window are all in
// Chinese, from the editor's own texts: no English word of the history shows.
TEST_F(SurveyReportPanelTest, TheReportAndTheHistoryAreInTheEditorsLanguage) {
    LanguageOffset = ChineseOffset;
    SurveyReportPanel* panel = survey(20);
    ASSERT_TRUE(panel);
    pick(panel, "outlet");
    EXPECT_EQ(panel->verdict()->text(),
              reportText(ReportText::VerdictFail, ReportLanguage::Chinese).arg(1).arg(3));
    panel->siteField()->setText(QStringLiteral("七号楼"));
    ASSERT_TRUE(panel->keep());
    survey(0);
    panel->profilePicker()->setCurrentIndex(0); // kept without limits
    ASSERT_TRUE(panel->keep());

    const QString pdf = home_.filePath("report.pdf");
    ASSERT_TRUE(panel->saveReport(pdf));
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("电平测量报告"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("七号楼")));
    EXPECT_FALSE(text.contains(QStringLiteral("Level survey report")));

    panel->historyButton()->click();
    auto* history = panel->findChild<SurveyHistoryWindow*>();
    ASSERT_TRUE(history);
    QTreeWidget* tree = history->tree();
    const OwnText headers[] = {OwnText::SurveyHistorySite,   OwnText::SurveyHistoryId,
                               OwnText::SurveyHistoryTime,   OwnText::SurveyHistoryMeter,
                               OwnText::SurveyHistoryLimits, OwnText::SurveyHistoryVerdict};
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(tree->headerItem()->text(column), ownText(headers[column]));
    EXPECT_EQ(history->windowTitle(), ownText(OwnText::SurveyHistoryTitle));
    QTreeWidgetItem* site = tree->topLevelItem(0);
    EXPECT_EQ(site->text(0), QStringLiteral("七号楼"));
    ASSERT_EQ(site->childCount(), 2);
    EXPECT_EQ(site->child(0)->text(5), QStringLiteral("不合格"));
    EXPECT_EQ(site->child(1)->text(5), ownText(OwnText::SurveyVerdictNotChecked));
    EXPECT_EQ(site->child(1)->text(5), QStringLiteral("未按限值检查"));
}

// A network-wide figure that fails marks the channels it comes from: their
// verdict cells name it, the chart puts its failure mark over them, and the
// PDF names it on their rows.
TEST_F(SurveyReportPanelTest, AFailedAdjacentDifferenceMarksItsChannels) {
    SurveyReportPanel* panel = survey(20);
    ASSERT_TRUE(panel);
    pick(panel, "steps");
    ASSERT_TRUE(panel->report().checks);
    const auto& adjacent = panel->report().checks->network.at(0);
    ASSERT_EQ(adjacent.verdict, sondrel::client::Verdict::Fail);
    ASSERT_TRUE(adjacent.channel == 2 || adjacent.otherChannel == 2);
    const QString named =
        reportText(ReportText::AdjacentDifference, ReportLanguage::English).arg("analogue");
    for (int row = 0; row < 3; ++row) {
        const int number = row + 1;
        const bool concerned = number == adjacent.channel || number == adjacent.otherChannel;
        EXPECT_EQ(verdictCell(panel, row).startsWith(QStringLiteral("✗ ")), concerned) << row;
        EXPECT_EQ(verdictCell(panel, row).contains(named), concerned) << row;
    }
    auto* window = qobject_cast<SurveyWindow*>(panel->parentWidget());
    EXPECT_EQ(colourAt(window->chart()->grab().toImage(), failColour), failColour);

    const QString pdf = home_.filePath("steps.pdf");
    ASSERT_TRUE(panel->saveReport(pdf));
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("✗ ") + named)) << text.toStdString();
}

// MER and BER of the digital channels are read on request, shown in two more
// columns, checked and kept with the survey.
TEST_F(SurveyReportPanelTest, MerAndBerAreReadOnRequestAndChecked) {
    // The survey measures the meter's active plan: two digital channels around a carrier.
    AnalogPlan plan;
    plan.channels = {entry("E5", 175.25f, "TV", 5.5f), entry("S38", 514.0f, "DIGI", 6.0f),
                     entry("S39", 522.0f, "DIGI", 6.0f)};
    plan.head = {{1, 3, 0, 0, 0, 0}, 1, 800};
    putInSlotA(plan);
    SurveyReportPanel* panel = survey(0);
    ASSERT_TRUE(panel);
    pick(panel, "digital");
    // Without the readings the MER limit could not be checked.
    EXPECT_EQ(panel->report().checks->overall, sondrel::client::Verdict::NotMeasured);
    ASSERT_TRUE(panel->readQualityButton()->isEnabled());
    const int columnsBefore = tableOf(panel)->columnCount();

    panel->readQualityButton()->click();
    finish();
    EXPECT_TRUE(messages.shown.empty());
    const auto& quality = panel->report().survey.quality;
    ASSERT_TRUE(quality);
    ASSERT_EQ(quality->size(), 2u);
    QTableWidget* table = tableOf(panel);
    ASSERT_EQ(table->columnCount(), columnsBefore + 2);
    EXPECT_EQ(table->horizontalHeaderItem(columnsBefore - 1)->text(),
              ownText(OwnText::SurveyColumnMer));
    for (const auto& reading : *quality) {
        ASSERT_TRUE(reading.mer) << reading.number;
        EXPECT_LT(*reading.mer, 99.0);
    }
    // Both digital channels fail their MER limit; the carrier has nothing to check.
    EXPECT_EQ(panel->report().checks->overall, sondrel::client::Verdict::Fail);
    const QString mer = reportText(ReportText::Mer, ReportLanguage::English);
    int failedRows = 0;
    for (int row = 0; row < 3; ++row) {
        const auto& r = panel->report().survey.survey.results[static_cast<std::size_t>(row)];
        if (!sondrel::client::isDigital(r.channel)) {
            EXPECT_TRUE(verdictCell(panel, row).isEmpty());
            EXPECT_TRUE(table->item(row, columnsBefore - 1)->text().isEmpty());
            continue;
        }
        EXPECT_EQ(
            table->item(row, columnsBefore - 1)->text(),
            QString::number(*sondrel::client::qualityOf(*quality, r.channel.number)->mer, 'f', 1));
        EXPECT_TRUE(verdictCell(panel, row).contains(mer)) << row;
        ++failedRows;
    }
    EXPECT_EQ(failedRows, 2);
    panel->siteField()->setText(QStringLiteral("Head end"));
    ASSERT_TRUE(panel->keep());
    EXPECT_EQ(sondrel::client::SurveyHistory().load(panel->report().survey.id)->quality, quality);
}

} // namespace
} // namespace plandex::testing
