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

// Five channels falling 1 dB per 100 MHz; the third (S21) failed; favourites
// the first and the fourth.
Survey surveyWithAGap() {
    Survey survey;
    survey.unit = "dBuV";
    survey.favourites = {1, 4, 0, 0, 0, 0};
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

// A bar as the picture shows it: a run of columns holding bar-coloured pixels.
struct Bar {
    int left = 0, right = 0; // first and last column
    int top = 0;             // highest bar-coloured pixel
    QColor colour;
    double centre() const { return (left + right) / 2.0; }
};

std::vector<Bar> barsIn(const QImage& image) {
    std::vector<Bar> bars;
    bool inBar = false;
    for (int x = 0; x < image.width(); ++x) {
        int top = -1;
        for (int y = 0; y < image.height() && top < 0; ++y)
            if (isBar(image.pixel(x, y))) top = y;
        if (top < 0) {
            inBar = false;
            continue;
        }
        if (!inBar) bars.push_back({x, x, top, QColor(image.pixel(x, top))});
        bars.back().right = x;
        bars.back().top = std::min(bars.back().top, top);
        inBar = true;
    }
    return bars;
}

// The row of the frequency axis: the row with the most pixels of the axis colour.
int axisRow(const QImage& image) {
    int best = 0, bestCount = 0;
    for (int y = 0; y < image.height(); ++y) {
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += QColor(image.pixel(x, y)) == QColor(60, 60, 60);
        if (count > bestCount) best = y, bestCount = count;
    }
    return best;
}

bool isTiltRed(QRgb pixel) {
    const QColor c(pixel);
    return c.red() > 150 && c.green() < 120 && c.blue() < 120;
}

int redPixelsInColumn(const QImage& image, int x, int fromY, int toY) {
    int count = 0;
    for (int y = std::max(fromY, 0); y < std::min(toY, image.height()); ++y)
        count += isTiltRed(image.pixel(x, y));
    return count;
}

// The bars of the measured channels of surveyWithAGap, checked from the
// picture alone: four of them, placed by frequency, as high as their levels,
// standing on the axis, the digital one in its colour, and the tilt line over
// the failed channel's gap.
void expectTheBarsOfSurveyWithAGap(const QImage& image) {
    const auto bars = barsIn(image);
    ASSERT_EQ(bars.size(), 4u);
    const double mhz[] = {48.25, 133.25, 375.25, 474.0};
    const double pixelsPerMhz = (bars[3].centre() - bars[0].centre()) / (mhz[3] - mhz[0]);
    for (std::size_t i = 1; i < 3; ++i)
        EXPECT_NEAR(bars[i].centre(), bars[0].centre() + (mhz[i] - mhz[0]) * pixelsPerMhz, 1.5)
            << mhz[i];
    // Levels 84.0, 83.2, 80.8 and 74.3: each bar lower than the one before.
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_GT(bars[i].top, bars[i - 1].top) << mhz[i];
    EXPECT_EQ(bars[3].colour, digitalBarColour);
    EXPECT_EQ(bars[0].colour, analogueBarColour);
    const int axis = axisRow(image);
    for (const Bar& bar : bars)
        EXPECT_EQ(QColor(image.pixel(static_cast<int>(bar.centre()), axis - 1)), bar.colour);
    const int gap =
        static_cast<int>(std::lround(bars[0].centre() + (303.25 - 48.25) * pixelsPerMhz));
    EXPECT_GT(redPixelsInColumn(image, gap, 0, axis), 0) << "the tilt line crosses the gap";
}

TEST(SurveyChart, AFailedChannelIsAGapBetweenBarsUnderTheTiltLine) {
    const QImage image = surveyChartImage(surveyWithAGap(), QSize(640, 320));
    ASSERT_EQ(image.size(), QSize(640, 320));
    expectTheBarsOfSurveyWithAGap(image);
}

TEST(SurveyChart, AFailureMarkStaysAboveTheAxisAndItsLettering) {
    // The highest channel, beside the axis' "MHz", measured and failed.
    Survey measured = surveyWithAGap();
    measured.results[2].level = 82.0;
    measured.results.push_back({{6, "C60", "TV", 783.25}, 80.0, {}, false});
    Survey failed = measured;
    failed.results.back().level.reset();
    const QImage withBar = surveyChartImage(measured, QSize(640, 320));
    const QImage withMark = surveyChartImage(failed, QSize(640, 320));
    const int axis = axisRow(withBar);
    ASSERT_EQ(axisRow(withMark), axis);
    // Below the axis the two pictures are the same: the mark covers no lettering.
    EXPECT_EQ(withBar.copy(0, axis + 1, 640, 320 - axis - 1),
              withMark.copy(0, axis + 1, 640, 320 - axis - 1));
    // And the mark is there, where the bar stood.
    const Bar last = barsIn(withBar).back();
    int marked = 0;
    for (int x = last.left - 3; x <= last.right + 3; ++x)
        marked += redPixelsInColumn(withMark, x, axis - 14, axis);
    EXPECT_GT(marked, 4);
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
    // Highest minus lowest favourite, both carriers: 80.8 - 84.0.
    EXPECT_TRUE(window.summary()->text().contains("-3.2"))
        << window.summary()->text().toStdString();

    // The chart in the window leaves the same gap.
    expectTheBarsOfSurveyWithAGap(window.chart()->grab().toImage());

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

TEST(SurveyPlanOfEditor, APlanFileIsNumberedAsADownloadNumbersIt) {
    PlanFileContent file;
    file.rows = {
        {5, "S1", "TV", 105.3, 5.5}, {9, "C21", "DIGI", 474, 8}, {2, "E2", "TV", 48.25, 5.5}};
    file.footerValues = {"2", "1", "", "x", "0", "0", "dBmV", "8"};
    const auto plan = surveyPlanOf(file);
    ASSERT_EQ(plan.channels.size(), 3u);
    EXPECT_EQ(plan.channels[0], (sondrel::client::SurveyChannel{1, "E2", "TV", 48.25}));
    EXPECT_EQ(plan.channels[1], (sondrel::client::SurveyChannel{2, "S1", "TV", 105.3}));
    EXPECT_EQ(plan.channels[2], (sondrel::client::SurveyChannel{3, "C21", "DIGI", 474}));
    EXPECT_EQ(plan.favourites, (std::vector<int>{2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(plan.unit, "dBmV");
    // The main window's rows keep their IDs; a unit box that is empty means dBuV.
    EXPECT_EQ(surveyPlanOf(file.rows, {}, "").channels[1].number, 9);
    EXPECT_EQ(surveyPlanOf(file.rows, {}, "").unit, "dBuV");
    // A frequency the table holds as it came from the meter, in single precision.
    EXPECT_EQ(surveyPlanOf({{1, "E3", "TV", double{55.3f}, 5.5}}, {}, "").channels[0].mhz, 55.3);
}

TEST(SurveyWindow, TheSurveyCommandHasAPictureOfItsOwn) {
    const QImage survey = toolbarIcon("Survey").pixmap(32, 32).toImage();
    ASSERT_FALSE(survey.isNull());
    EXPECT_NE(survey, toolbarIcon("Order").pixmap(32, 32).toImage());
    EXPECT_EQ(QColor(survey.pixel(5, 28)), analogueBarColour);
}

TEST(SurveyWindow, ShowsCnOnlyWhenItWasReadAndNeverGuessesTheUnit) {
    Survey survey = surveyWithAGap();
    SurveyWindow window(survey, "plan A");
    // Channel, name, type, frequency, level and, last, the checks' verdict.
    EXPECT_EQ(window.table()->columnCount(), 6);
    EXPECT_EQ(window.table()->horizontalHeaderItem(5)->text(),
              ownText(OwnText::SurveyColumnVerdict));
    EXPECT_EQ(window.source()->text(), "plan A");

    survey.results[0].cn = 43;
    survey.results[1].cnFailed = true;
    survey.unit.clear(); // the meter did not confirm it
    window.setSurvey(survey, "plan B");
    ASSERT_EQ(window.table()->columnCount(), 7);
    EXPECT_EQ(window.table()->horizontalHeaderItem(5)->text(), ownText(OwnText::SurveyColumnCn));
    EXPECT_EQ(window.table()->horizontalHeaderItem(6)->text(),
              ownText(OwnText::SurveyColumnVerdict));
    EXPECT_EQ(window.table()->item(0, 5)->text(), "43");
    EXPECT_EQ(window.table()->item(1, 5)->text(), ownText(OwnText::SurveyFailed));
    EXPECT_EQ(window.table()->horizontalHeaderItem(4)->text(),
              ownText(OwnText::SurveyColumnLevel).arg("?"));
    EXPECT_TRUE(window.summary()->text().contains(ownText(OwnText::SurveyUnitUnknown)));
    EXPECT_EQ(window.source()->text(), "plan B");
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
