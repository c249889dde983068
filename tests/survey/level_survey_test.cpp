// The level survey against the simulated meter over a real pseudo-terminal:
// the tilt it measures against the one the meter was given, failed channels,
// stopping between channels; and the tilt and CSV arithmetic on their own.
#include "level_survey.h"
#include "simulated_meter.h"
#include "survey_csv.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvane::testing {
namespace {

using sondrel::client::fitTilt;
using sondrel::client::runSurvey;
using sondrel::client::Survey;
using sondrel::client::SurveyChannel;
using sondrel::client::SurveyPlan;
using sondrel::client::SurveyResult;

// The channels of the meter's active plan as the meter numbers them.
SurveyPlan planOfMeter(sim::MeterSimulator& meter, std::initializer_list<int> numbers = {}) {
    SurveyPlan plan;
    meter.withState([&](sim::MeterState& state) {
        for (const auto& c : sim::channelsOfActivePlan(state.plans))
            if (numbers.size() == 0 ||
                std::find(numbers.begin(), numbers.end(), c.number) != numbers.end())
                plan.channels.push_back({c.number, "C" + std::to_string(c.number), c.type, c.mhz});
    });
    return plan;
}

class LevelSurvey : public SimulatedMeterTest {};

TEST_F(LevelSurvey, TheWholeDemoPlanShowsTheTiltTheMeterWasGiven) {
    constexpr double setTilt = -1.5;
    meter().withState([](sim::MeterState& s) { s.signal.tiltPer100MHz = setTilt; });
    SurveyPlan plan = planOfMeter(meter());
    ASSERT_EQ(plan.channels.size(), 60u);
    std::reverse(plan.channels.begin(),
                 plan.channels.end()); // measured in frequency order all the same
    plan.favourites = {1, 4, 14, 22, 43, 60};

    std::vector<std::size_t> progress;
    const Survey survey =
        runSurvey(link(), plan, {}, [&](const SurveyResult&, auto done, auto total) {
            EXPECT_EQ(total, 60u);
            progress.push_back(done);
            return true;
        });
    ASSERT_EQ(survey.results.size(), 60u);
    EXPECT_FALSE(survey.stopped);
    EXPECT_EQ(progress.back(), 60u);

    const auto [model, channels] = meter().withState(
        [](sim::MeterState& s) { return std::pair(s.signal, sim::channelsOfActivePlan(s.plans)); });
    double lastMhz = 0;
    for (const SurveyResult& r : survey.results) {
        EXPECT_GT(r.channel.mhz, lastMhz);
        lastMhz = r.channel.mhz;
        ASSERT_TRUE(r.level) << r.channel.number;
        const auto& c = channels[static_cast<std::size_t>(r.channel.number - 1)];
        // A carrier beside its nominal frequency reads up to about 1.1 dB low
        // through the 100 kHz filter; digital channel power reads exactly.
        const double expected = model.carrierLevel(c);
        if (r.channel.type == "DIGI")
            EXPECT_NEAR(*r.level, expected, 0.051) << r.channel.number;
        else
            EXPECT_NEAR(*r.level, expected - 0.6, 0.65) << r.channel.number;
    }
    const auto fit = fitTilt(survey.results);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->dbPer100MHz, setTilt, 0.2);
    // The carriers' own spread of up to 1.5 dB sets how far the best line
    // can lie from the set tilt; what the meter read must not add to that.
    std::vector<SurveyResult> ideal = survey.results;
    for (SurveyResult& r : ideal)
        r.level = model.carrierLevel(channels[static_cast<std::size_t>(r.channel.number - 1)]);
    const double idealTilt = fitTilt(ideal)->dbPer100MHz;
    EXPECT_NEAR(fit->dbPer100MHz, idealTilt, 0.05);
    ASSERT_TRUE(fit->analogue && fit->digital);
    EXPECT_DOUBLE_EQ(fit->analogue->lowestMhz, 48.25);
    std::printf("tilt set %.2f, of the carriers' levels %.3f, measured %.3f dB/100 MHz\n", setTilt,
                idealTilt, fit->dbPer100MHz);

    // Favourites 1 (48.25 MHz) and 60 (527.25 MHz) are the lowest and highest.
    const auto difference = sondrel::client::favouriteDifference(survey);
    ASSERT_TRUE(difference);
    EXPECT_NEAR(*difference, *survey.results.back().level - *survey.results.front().level, 1e-9);
}

TEST_F(LevelSurvey, AChannelWhoseReplyIsLostIsFailedAndTheSurveyGoesOn) {
    // The level read of the second analogue channel and the power read of the
    // digital one go unanswered once each.
    meter().faults().add(sim::parseFaultRule("08:noreply,after=1,times=1"));
    meter().faults().add(sim::parseFaultRule("57:noreply,times=1"));
    SurveyPlan plan = planOfMeter(meter(), {1, 2, 3, 49});
    plan.favourites = {1, 2, 0, 0, 0, 0};
    const Survey survey = runSurvey(link(), plan, {});
    ASSERT_EQ(survey.results.size(), 4u);
    EXPECT_TRUE(survey.results[0].level);
    EXPECT_FALSE(survey.results[1].level);
    EXPECT_TRUE(survey.results[2].level);
    EXPECT_FALSE(survey.results[3].level);
    EXPECT_GT(*survey.results[2].level, 60.0);
    // A failed favourite gives no difference rather than a made-up one.
    EXPECT_FALSE(sondrel::client::favouriteDifference(survey));
    // Only the two measured levels count towards the tilt.
    const auto fit = fitTilt(survey.results);
    ASSERT_TRUE(fit);
    EXPECT_FALSE(fit->digital);
    EXPECT_NEAR(fit->dbPer100MHz,
                100 * (*survey.results[2].level - *survey.results[0].level) / (62.25 - 48.25),
                1e-9);
}

TEST_F(LevelSurvey, StoppingEndsTheSurveyBetweenChannels) {
    SurveyPlan plan = planOfMeter(meter(), {1, 2, 3, 4});
    plan.favourites = {1, 2, 4};
    meter().wireLog().clear();
    const Survey survey =
        runSurvey(link(), plan, {}, [](const SurveyResult&, auto done, auto) { return done < 2; });
    EXPECT_TRUE(survey.stopped);
    ASSERT_EQ(survey.results.size(), 2u);
    EXPECT_EQ(survey.results[1].channel.number, 2);
    // Favourite 4 was never measured: no difference of favourites.
    EXPECT_FALSE(sondrel::client::favouriteDifference(survey));
    // Tune and read for each of the two channels, nothing after.
    EXPECT_EQ(framesToMeterHex().size(), 4u);
}

TEST_F(LevelSurvey, CarrierToNoiseIsReadForAnalogueChannelsOnly) {
    meter().withState([](sim::MeterState& s) {
        s.signal.tiltPer100MHz = 0;
        s.signal.videoLevel = 90;
    });
    const SurveyPlan plan = planOfMeter(meter(), {1, 49});
    const Survey survey = runSurvey(link(), plan, {.carrierToNoise = true});
    ASSERT_EQ(survey.results.size(), 2u);
    ASSERT_TRUE(survey.results[0].cn);
    EXPECT_GE(*survey.results[0].cn, 20);
    EXPECT_FALSE(survey.results[0].cnFailed);
    EXPECT_FALSE(survey.results[1].cn);
    EXPECT_FALSE(survey.results[1].cnFailed);
}

SurveyResult measured(int number, const std::string& type, double mhz, double level) {
    return {{number, "N" + std::to_string(number), type, mhz}, level, {}, false};
}

TEST(TiltFit, DigitalChannelsKeepTheirOwnLevelAndShareTheSlope) {
    // Analogue on 80 - 2 dB/100 MHz, digital 8 dB lower on the same slope.
    std::vector<SurveyResult> results;
    for (double mhz : {100.0, 200.0, 300.0, 400.0})
        results.push_back(measured(1, "TV", mhz, 80 - 2 * (mhz - 100) / 100));
    for (double mhz : {450.0, 550.0})
        results.push_back(measured(2, "DIGI", mhz, 72 - 2 * (mhz - 100) / 100));
    results.push_back({{3, "X", "TV", 600}, std::nullopt, {}, false}); // failed: left out
    const auto fit = fitTilt(results);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->dbPer100MHz, -2.0, 1e-9);
    ASSERT_TRUE(fit->digital);
    EXPECT_NEAR(fit->digital->meanLevel, 72 - 2 * 4.0, 1e-9);
    EXPECT_DOUBLE_EQ(fit->analogue->highestMhz, 400.0);
    EXPECT_NEAR(sondrel::client::TiltFit::levelAt(*fit->analogue, fit->dbPer100MHz, 500), 72, 1e-9);

    EXPECT_FALSE(fitTilt({}));
    EXPECT_FALSE(fitTilt({measured(1, "TV", 100, 80), measured(2, "DIGI", 200, 70)}));
}

TEST(SurveyPlanOfMeter, ChannelsAreNumberedByPlaceAndTheUnitComesFromTheHeader) {
    sondrel::SafeArray<sondrel::Channellist> channels;
    channels.redim(1, 2);
    channels.at(1) = {0, "TV", 0, 55.25f, 0, 0, " E3", 5.5f, 0, ""};
    channels.at(2) = {0, "DIGI", 0, 474.0f, 0, 0, "C21", 8.0f, 0, ""};
    sondrel::ChannelHead head{2, 1, 0, 0, 0, 0, 8, 2};
    const SurveyPlan plan = sondrel::client::surveyPlanOf(channels, head);
    ASSERT_EQ(plan.channels.size(), 2u);
    EXPECT_EQ(plan.channels[0].name, "E3"); // without the blank that pads it
    EXPECT_EQ(plan.channels[1], (SurveyChannel{2, "C21", "DIGI", 474.0}));
    EXPECT_EQ(plan.favourites, (std::vector<int>{2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(plan.unit, "dBmV");
    head.Un = 1;
    EXPECT_EQ(sondrel::client::surveyPlanOf(channels, head).unit, "dBuV");
}

TEST(SurveyCsv, ReadsBackEqual) {
    Survey survey;
    survey.unit = "dBmV";
    survey.results = {measured(1, "TV", 48.25, 23.4),
                      measured(2, "DIGI", 474, 15.1),
                      {{3, "a,\"b\"", "TV", 55.25}, std::nullopt, {}, true},
                      {{4, "E4", "TV", 62.25}, 30.7, 43, false}};
    const std::string text = sondrel::client::surveyCsv(survey);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1),
              "Channel,Name,Type,Frequency (MHz),Level (dBmV),C/N (dB),Result\r\n");
    EXPECT_NE(text.find("\r\n3,\"a,\"\"b\"\"\",TV,55.25,,failed,failed\r\n"), std::string::npos)
        << text;
    const auto back = sondrel::client::parseSurveyCsv(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->unit, "dBmV");
    EXPECT_EQ(back->results, survey.results);

    EXPECT_FALSE(sondrel::client::parseSurveyCsv("not a survey\r\n"));
    EXPECT_FALSE(
        sondrel::client::parseSurveyCsv("Channel,Name,Type,Frequency (MHz),Level (dBuV),C/N "
                                        "(dB),Result\r\n1,E2,TV,48.25,0,,failed"));
}

} // namespace
} // namespace korvane::testing
