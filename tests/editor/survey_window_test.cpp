// The survey's chart and window, headless: the chart drawn offscreen leaves a
// failed channel's column without a bar, the window shows the numbers and
// saves them as CSV and PNG.
#include "messages.h"
#include "own_texts.h"
#include "survey_chart.h"
#include "survey_csv.h"
#include "survey_plan.h"
#include "survey_window.h"
#include "toolbar_icons.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace plandex {
namespace {

using sondrel::client::Survey;
using sondrel::client::SurveyResult;

// Five channels falling 1 dB per 100 MHz; the third (S21) failed.
Survey surveyWithAGap() {
    Survey survey;
    survey.unit = "dBuV";
    survey.favourites = {1, 5, 0, 0, 0, 0};
    const auto add = [&](int number, const char* name, const char* type, double mhz,
                         std::optional<double> level) {
        survey.results.push_back({{number, name, type, mhz}, level, {}, false});
    };
    add(1, "E2", "TV", 48.25, 84.0);
    add(2, "S5", "TV", 133.25, 83.2);
    add(3, "S21", "TV", 303.25, std::nullopt);
    add(4, "S30", "TV", 375.25, 80.8);
    add(5, "C21", "DIGI", 474.0, 74.3);
    return survey;
}

bool isBar(QRgb pixel) {
    const QColor colour(pixel);
    return colour == analogueBarColour || colour == digitalBarColour;
}

// Bar-coloured pixels in the column at x within the plotting area.
int barPixelsInColumn(const QImage& image, const SurveyChartLayout& layout, double x) {
    int count = 0;
    const int column = static_cast<int>(std::lround(x));
    for (int y = static_cast<int>(layout.plot().top());
         y < static_cast<int>(layout.plot().bottom()); ++y)
        count += isBar(image.pixel(column, y));
    return count;
}

TEST(SurveyChart, AFailedChannelIsAGapBetweenBarsUnderTheTiltLine) {
    const Survey survey = surveyWithAGap();
    const QSize size(640, 320);
    const QImage image = surveyChartImage(survey, size);
    ASSERT_EQ(image.size(), size);
    const SurveyChartLayout layout(survey, QRectF(QPointF(0, 0), QSizeF(size)));

    EXPECT_EQ(barPixelsInColumn(image, layout, layout.xOf(303.25)), 0);
    for (double mhz : {48.25, 133.25, 375.25, 474.0})
        EXPECT_GT(barPixelsInColumn(image, layout, layout.xOf(mhz)), 20) << mhz;
    // A digital bar in its own colour, and the tilt line across the failed column.
    EXPECT_EQ(QColor(image.pixel(static_cast<int>(layout.xOf(474.0)),
                                 static_cast<int>(layout.plot().bottom()) - 2)),
              digitalBarColour);
    int redInGap = 0;
    for (int y = 0; y < size.height(); ++y) {
        const QColor c(image.pixel(static_cast<int>(std::lround(layout.xOf(303.25))), y));
        redInGap += c.red() > 150 && c.green() < 120 && c.blue() < 120;
    }
    EXPECT_GT(redInGap, 0);
}

class RecordingSink : public MessageSink {
  public:
    MessageAnswer show(const QString& prompt, const QString&, MessageStyle) override {
        prompts << prompt;
        return MessageAnswer::Ok;
    }
    QStringList prompts;
};

TEST(SurveyWindow, ShowsTheNumbersAndSavesThemAsCsvAndPng) {
    SurveyWindow window(surveyWithAGap());
    window.show();
    QTableWidget* table = window.table();
    ASSERT_EQ(table->rowCount(), 5);
    EXPECT_EQ(table->item(0, 4)->text(), "84.0");
    EXPECT_EQ(table->item(2, 4)->text(), ownText(OwnText::SurveyFailed));
    EXPECT_EQ(table->item(4, 2)->text(), "DIGI");
    // Tilt over the analogue channels; highest minus lowest favourite: 74.3 - 84.0.
    EXPECT_TRUE(window.summary()->text().contains("-9.7"))
        << window.summary()->text().toStdString();

    // The chart in the window leaves the same gap.
    const QImage shown = window.chart()->grab().toImage();
    const SurveyChartLayout layout(window.survey(), QRectF(window.chart()->rect()));
    EXPECT_EQ(barPixelsInColumn(shown, layout, layout.xOf(303.25)), 0);
    EXPECT_GT(barPixelsInColumn(shown, layout, layout.xOf(375.25)), 20);

    QTemporaryDir folder;
    const QString csv = folder.filePath("levels.csv"), png = folder.filePath("levels.png");
    ASSERT_TRUE(window.saveCsv(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto back = sondrel::client::parseSurveyCsv(file.readAll().toStdString());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->results, window.survey().results);
    ASSERT_TRUE(window.savePng(png));
    EXPECT_EQ(QImage(png).size(), QSize(960, 480));

    RecordingSink sink;
    MessageSink* previous = installMessageSink(&sink);
    const QString nowhere = folder.filePath("missing/levels.csv");
    EXPECT_FALSE(window.saveCsv(nowhere));
    EXPECT_FALSE(window.savePng(folder.filePath("missing/levels.png")));
    installMessageSink(previous);
    ASSERT_EQ(sink.prompts.size(), 2);
    EXPECT_TRUE(sink.prompts[0].contains(nowhere));
}

TEST(SurveyPlanOfEditor, APlanFileIsSurveyedAsOpenWouldStoreIt) {
    PlanFileContent file;
    file.rows = {{5, "S1", "TV", 105.25, 5.5}, {9, "C21", "DIGI", 474, 8}};
    file.footerValues = {"2", "1", "", "x", "0", "0", "dBmV", "8"};
    const auto plan = surveyPlanOf(file);
    ASSERT_EQ(plan.channels.size(), 2u);
    EXPECT_EQ(plan.channels[0], (sondrel::client::SurveyChannel{1, "S1", "TV", 105.25}));
    EXPECT_EQ(plan.channels[1], (sondrel::client::SurveyChannel{2, "C21", "DIGI", 474}));
    EXPECT_EQ(plan.favourites, (std::vector<int>{2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(plan.unit, "dBmV");
    // The main window's rows keep their IDs; a unit box that is empty means dBuV.
    EXPECT_EQ(surveyPlanOf(file.rows, {}, "").channels[1].number, 9);
    EXPECT_EQ(surveyPlanOf(file.rows, {}, "").unit, "dBuV");
}

TEST(SurveyWindow, TheSurveyCommandHasAPictureOfItsOwn) {
    const QImage survey = toolbarIcon("Survey").pixmap(32, 32).toImage();
    ASSERT_FALSE(survey.isNull());
    EXPECT_NE(survey, toolbarIcon("Order").pixmap(32, 32).toImage());
    EXPECT_EQ(QColor(survey.pixel(5, 28)), analogueBarColour);
}

TEST(SurveyWindow, ACancelledSurveySaysSoAndAPlanTooSmallHasNoTilt) {
    Survey survey;
    survey.results.push_back({{1, "E2", "TV", 48.25}, 84.0, {}, false});
    survey.stopped = true;
    SurveyWindow window(survey);
    EXPECT_TRUE(window.summary()->text().contains(ownText(OwnText::SurveyNoTilt)));
    EXPECT_TRUE(window.summary()->text().contains(ownText(OwnText::SurveyStopped)));
}

} // namespace
} // namespace plandex
