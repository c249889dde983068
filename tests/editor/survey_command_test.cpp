// The Survey command of the main window against the simulated meter: it
// measures the plan the meter holds, numbered as the meter numbers it, on the
// meter worker with the window locked, counts the channels as it goes, stops
// between channels on Cancel, stops early and says so when the meter does not
// answer, and shows what was measured in the one survey window the main
// window owns.
#include "transfer_fixture.h" // first: before Qt's keywords

#include "grid.h"
#include "own_texts.h"
#include "survey_window.h"
#include "toolbar.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>

#include <functional>
#include <utility>

namespace plandex::testing {
namespace {

using korvane::sim::parseFaultRule;
using sondrel::client::SurveyResult;

constexpr double SetTilt = -4.0; // dB per 100 MHz: steep enough to order the levels

// count TV channels 150 MHz apart, favourites 1 and the last.
AnalogPlan spreadPlan(int count) {
    AnalogPlan plan;
    for (int i = 0; i < count; ++i)
        plan.channels.push_back(
            entry(qPrintable(QString("S%1").arg(i + 1)), 112.25f + 150.0f * i, "TV", 5.5f));
    plan.head = {{1, static_cast<std::uint8_t>(count), 0, 0, 0, 0}, 1, 800};
    return plan;
}

class SurveyCommandTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        meter->withState([](korvane::sim::MeterState& s) { s.signal.tiltPer100MHz = SetTilt; });
    }
    // The plan in the meter's slot A, uploaded into the table as a user would.
    void uploadPlanOf(int count) {
        putInSlotA(spreadPlan(count));
        if (!form) load({});
        run("Upload");
        ASSERT_EQ(form->OperationResult, "Yes");
        messages.shown.clear();
    }
    void clickSurvey() { form->ToolKv()->button(SurveyButton)->trigger(); }
    // Runs action on the window's thread once `channel` channels are measured.
    void atChannel(int channel, std::function<void(int, int)> action) {
        QObject::connect(
            form->Worker(), &MeterWorker::progress, form.get(),
            [channel, action = std::move(action), done = false](int k, int total) mutable {
                if (k < channel || done) return;
                done = true;
                action(k, total);
            });
    }
    QList<SurveyWindow*> surveyWindows() const { return form->findChildren<SurveyWindow*>(); }
    std::size_t count(std::uint8_t command) const {
        const auto all = commandsToMeter();
        return static_cast<std::size_t>(std::count(all.begin(), all.end(), command));
    }
};

TEST_F(SurveyCommandTest, ASurveyOfTheTablesPlanShowsEveryChannelsLevelInItsOwnWindow) {
    uploadPlanOf(4);
    std::vector<std::pair<int, int>> steps;
    QObject::connect(form->Worker(), &MeterWorker::progress, form.get(),
                     [&](int done, int total) { steps.emplace_back(done, total); });
    bool lockedMeanwhile = false;
    QString captionMeanwhile;
    const std::size_t opensBefore = count(OpenCommand);
    atChannel(2, [&](int, int) {
        lockedMeanwhile = !form->ToolKv()->isEnabled() && !form->Fregtable()->isEnabled() &&
                          !form->Frame3()->isEnabled() && form->CancelTransfer()->isVisible();
        captionMeanwhile = form->Fregtable()->caption();
        // Nothing else runs meanwhile, not even a second survey.
        form->ToolKv_ButtonClick("Survey");
        form->ToolKv_ButtonClick("Upload");
        form->ToolKv_ButtonClick("Download");
        form->Command3_Click();
    });
    clickSurvey();
    finish();

    EXPECT_TRUE(lockedMeanwhile);
    // The caption hears of each channel after this test does.
    EXPECT_EQ(captionMeanwhile, "1 of 4 channels measured");
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_EQ(count(OpenCommand), opensBefore + 1) << "the survey's own connection only";
    EXPECT_EQ(count(PlanCommand), 0u) << "the meter's plan is read, never written";
    EXPECT_TRUE(messages.shown.empty());

    const auto windows = surveyWindows();
    ASSERT_EQ(windows.size(), 1u);
    const SurveyWindow* window = windows[0];
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow()) << "a window of its own, not a part of the main window";
    const auto& survey = window->survey();
    EXPECT_FALSE(survey.stopped);
    EXPECT_EQ(survey.unit, "dBuV");
    EXPECT_EQ(survey.favourites, (std::vector<int>{1, 4, 0, 0, 0, 0}));
    ASSERT_EQ(survey.results.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const SurveyResult& r = survey.results[i];
        EXPECT_EQ(r.channel.number, static_cast<int>(i + 1));
        EXPECT_EQ(r.channel.name, "S" + std::to_string(i + 1));
        EXPECT_DOUBLE_EQ(r.channel.mhz, 112.25 + 150.0 * static_cast<double>(i));
        ASSERT_TRUE(r.level) << "channel " << i + 1;
        // 150 MHz at the set tilt is 6 dB: far beyond the carriers' ripple.
        if (i > 0) {
            EXPECT_LT(*r.level, *survey.results[i - 1].level) << "channel " << i + 1;
        }
    }
    EXPECT_EQ(window->table()->rowCount(), 4);
    EXPECT_EQ(window->table()->columnCount(), 6) << "no C/N column for a survey without C/N";
    EXPECT_EQ(window->table()->horizontalHeaderItem(5)->text(),
              ownText(OwnText::SurveyColumnVerdict));
    EXPECT_FALSE(window->summary()->text().contains(ownText(OwnText::SurveyStopped)));
    // Which plan, and the meter's model as it names itself (the simulator's 2000Q).
    EXPECT_EQ(window->source()->text(),
              "Measured: the meter's active channel plan A (4 channels)    Meter: 2000Q");

    // Ready for the next command, its caption and bar as before.
    EXPECT_TRUE(form->ToolKv()->isEnabled());
    EXPECT_TRUE(form->Fregtable()->isEnabled());
    EXPECT_FALSE(form->CancelTransfer()->isVisible());
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
    EXPECT_EQ(form->Fregtable()->caption(), Text(TextId::GridCaption));

    // The survey window goes with the main window.
    QPointer<SurveyWindow> kept(windows[0]);
    form.reset();
    EXPECT_TRUE(kept.isNull());
}

TEST_F(SurveyCommandTest, CancelStopsBetweenChannelsAndShowsWhatWasMeasured) {
    LanguageOffset = ChineseOffset;
    uploadPlanOf(6);
    atChannel(2, [&](int, int) { form->CancelTransfer()->click(); });
    clickSurvey();
    finish();

    const auto windows = surveyWindows();
    ASSERT_EQ(windows.size(), 1u);
    const auto& survey = windows[0]->survey();
    EXPECT_TRUE(survey.stopped);
    // The window hears of channel 2 while the worker measures channel 3.
    EXPECT_GE(survey.results.size(), 2u);
    EXPECT_LE(survey.results.size(), 3u);
    for (const SurveyResult& r : survey.results)
        EXPECT_TRUE(r.level) << "a measured channel has its level";
    EXPECT_TRUE(windows[0]->summary()->text().contains(
        QString::fromUtf8("测量已取消，只显示已测的频道。")));
    EXPECT_TRUE(messages.shown.empty());

    EXPECT_TRUE(form->ToolKv()->isEnabled());
    EXPECT_FALSE(form->CancelTransfer()->isVisible());
    EXPECT_EQ(form->store().rowCount(), 6) << "the table is the survey's to read only";
    run("Upload");
    EXPECT_EQ(form->OperationResult, "Yes") << "ready for the next command";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SurveyCommandTest, ClosingDuringASurveyAsksThenStopsAndCloses) {
    uploadPlanOf(6);
    messages.answers = {MessageAnswer::Yes};
    atChannel(1, [&](int, int) { form->close(); });
    clickSurvey();
    ASSERT_EVENTUALLY(!form->isVisible(), 30000);

    EXPECT_FALSE(form->transferRunning());
    ASSERT_EQ(messages.shown.size(), 1u) << "the question and nothing after it";
    EXPECT_EQ(messages.shown[0].prompt, ownText(OwnText::StopSurveyToClose));
    EXPECT_TRUE(surveyWindows().empty()) << "no survey window for a closed editor";
}

TEST_F(SurveyCommandTest, SurveyNeedsAMeterThatAnswersAndAPlanItCanRead) {
    load({});
    EXPECT_FALSE(form->isButtonEnabled(SurveyButton)) << "no plan shown yet, as for Download";

    uploadPlanOf(3);
    EXPECT_TRUE(form->isButtonEnabled(SurveyButton));
    // The active plan cannot be read: nothing is measured.
    meter->faults().add(parseFaultRule("27:noreply"));
    meter->wireLog().clear();
    run("Survey");
    meter->faults().clear();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].prompt.startsWith(ownText(OwnText::SurveyPlanNotRead)));
    EXPECT_EQ(count(0x08), 0u) << "no level read without the plan";
    EXPECT_TRUE(surveyWindows().empty());
    messages.shown.clear();

    setMeterPort(AbsentPort);
    run("Survey");
    EXPECT_EQ(messages.textIds(), std::vector<int>({TextId::ConnectionFailed}));
    EXPECT_TRUE(surveyWindows().empty());
    EXPECT_TRUE(form->ToolKv()->isEnabled());
    EXPECT_FALSE(form->ProgressBar1()->isVisible());
}

// A table whose IDs are not in frequency order, with digital channels between
// the carriers: a Download numbers them 1..5 in frequency order.
const std::vector<PlanRow> mixedRows = {{1, "S39", "DIGI", 522, 6.0},
                                        {2, "E5", "TV", 175.25, 5.5},
                                        {3, "S38", "DIGI", 514, 6.0},
                                        {4, "E2", "TV", 48.25, 5.5},
                                        {5, "C30", "DIGI", 546, 6.0}};

TEST_F(SurveyCommandTest, AfterADownloadEveryDigitalChannelReadsItsOwnPower) {
    load(mixedRows);
    setHeader({"4", "1", "0", "0", "0", "0"}, "8", "dBuV");
    run("Download");
    ASSERT_EQ(messages.textIds(), std::vector<int>({TextId::TransferSucceeded}))
        << messages.shown.at(0).prompt.toStdString();
    messages.shown.clear();
    // The meter was left reading in dBmV.
    meter->withState([](korvane::sim::MeterState& s) { s.settings.levelUnit = 1; });

    run("Survey");
    EXPECT_TRUE(messages.shown.empty());
    const auto windows = surveyWindows();
    ASSERT_EQ(windows.size(), 1u);
    const auto& survey = windows[0]->survey();
    EXPECT_EQ(survey.unit, "dBuV");
    const auto [model, channels] = meter->withState([](korvane::sim::MeterState& s) {
        return std::pair(s.signal, korvane::sim::channelsOfActivePlan(s.plans));
    });
    ASSERT_EQ(survey.results.size(), mixedRows.size());
    for (const SurveyResult& r : survey.results) {
        // The meter's channel of this number is the one at this frequency.
        const auto& c = channels.at(static_cast<std::size_t>(r.channel.number - 1));
        EXPECT_EQ(c.mhz, r.channel.mhz) << r.channel.name;
        ASSERT_TRUE(r.level) << r.channel.name;
        if (r.channel.type == "DIGI")
            EXPECT_NEAR(*r.level, model.carrierLevel(c), 0.051) << r.channel.name;
        else
            EXPECT_NEAR(*r.level, model.carrierLevel(c) - 0.6, 0.65) << r.channel.name;
    }
    // Favourites 4 and 1 of the panel are the meter's channels 4 and 1: one
    // digital and one analogue, so neither kind has a difference.
    const auto difference = sondrel::client::favouriteDifferences(survey);
    EXPECT_FALSE(difference.analogue);
    EXPECT_FALSE(difference.digital);
}

// Whether the loaded library records why a call failed: asked on this thread
// with a port that has no device.
bool libraryGivesReasons() {
    const auto library = meterLibrary();
    const auto connection = library->createConnection();
    connection->put_PortDevice(AbsentPort);
    sondrel::Variant result;
    connection->OpenDeviceConnection(&result);
    return !library->lastFailure().text.empty();
}

TEST_F(SurveyCommandTest, AMeterThatStopsAnsweringIsToldInTheUsersLanguage) {
    uploadPlanOf(6);
    for (const int language : {EnglishOffset, ChineseOffset}) {
        LanguageOffset = language;
        // The plan is read; then unit, tune and level go unanswered.
        for (const char* rule : {"16:noreply", "02:noreply", "08:noreply"})
            meter->faults().add(parseFaultRule(rule));
        run("Survey");
        meter->faults().clear();

        EXPECT_TRUE(surveyWindows().empty()) << "no table of failures";
        ASSERT_EQ(messages.shown.size(), 1u);
        const QString prompt = messages.shown[0].prompt;
        const QString said = ownText(OwnText::SurveyMeterSilent).arg(3);
        EXPECT_TRUE(prompt.startsWith(said)) << prompt.toStdString();
        // A library that says why its calls fail gives the line below.
        if (libraryGivesReasons()) {
            EXPECT_FALSE(prompt.section('\n', 1).trimmed().isEmpty()) << prompt.toStdString();
        } else {
            EXPECT_EQ(prompt, said);
        }
        EXPECT_TRUE(prompt.contains(language == ChineseOffset ? QString::fromUtf8("仪表没有应答")
                                                              : QString("does not answer")));
        EXPECT_LE(count(0x02), 3u) << "no channel tuned after the first three";
        EXPECT_TRUE(form->ToolKv()->isEnabled());
        messages.shown.clear();
        meter->wireLog().clear();
    }
}

TEST_F(SurveyCommandTest, EverySurveyIsShownInTheSameWindow) {
    uploadPlanOf(3);
    run("Survey");
    ASSERT_EQ(surveyWindows().size(), 1u);
    QPointer<SurveyWindow> first(surveyWindows()[0]);
    putInSlotA(spreadPlan(5));
    run("Survey");
    ASSERT_EQ(surveyWindows().size(), 1u);
    EXPECT_EQ(surveyWindows()[0], first.data());
    EXPECT_EQ(first->survey().results.size(), 5u) << "the new survey replaces the old one";
    EXPECT_EQ(first->table()->rowCount(), 5);
    EXPECT_TRUE(first->isVisible());
}

} // namespace
} // namespace plandex::testing
