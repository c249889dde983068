// The survey window's limits, history and report against the simulated meter:
// a plan surveyed from the table with one channel lifted out of limits, checked
// against a profile of the user's own, kept, compared with the next visit and
// saved as a PDF report.
#include "transfer_fixture.h" // first: before Qt's keywords

#include "own_texts.h"
#include "survey_history.h"
#include "survey_limit_overlay.h"
#include "survey_report_panel.h"
#include "survey_window.h"
#include "toolbar.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>

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

} // namespace
} // namespace plandex::testing
