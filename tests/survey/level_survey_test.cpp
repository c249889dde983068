// The level survey against the simulated meter over a real pseudo-terminal:
// the tilt it measures against the one the meter was given, failed channels,
// stopping between channels; and the tilt and CSV arithmetic on their own.
#include "common/plan_codec_entries.h"
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

// Two carriers with a digital channel between them, favourites 1 and 3, as
// a meter's plan slot holds them.
sim::AnalogPlan carriersAroundADigitalChannel() {
    sim::AnalogPlan plan;
    const sondrel::CodePage codePage("WINDOWS-1252");
    for (const auto& [name, type, mhz] :
         {std::tuple{"E2", "TV", 48.25f}, std::tuple{"C21", "DIGI", 474.0f},
          std::tuple{"E69", "TV", 855.3f}}) {
        sondrel::Channellist channel;
        channel.ChannelName = name;
        channel.Type = type;
        channel.freq = mhz;
        channel.Audio1 = 5.5f;
        plan.channels.push_back(sondrel::analogEntryOf(channel, codePage));
    }
    plan.head = sondrel::headEntryOf(sondrel::ChannelHead{1, 3, 0, 0, 0, 0, 8, 1});
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

    // Each kind's difference is between its own lowest and highest favourite
    // (channel 60 at the top of the band is digital: never set against a carrier).
    std::vector<const SurveyResult*> analogueFavourites, digitalFavourites;
    for (const SurveyResult& r : survey.results)
        if (std::ranges::find(plan.favourites, r.channel.number) != plan.favourites.end())
            (r.channel.type == "DIGI" ? digitalFavourites : analogueFavourites).push_back(&r);
    ASSERT_GE(analogueFavourites.size(), 2u);
    const auto difference = sondrel::client::favouriteDifferences(survey);
    ASSERT_TRUE(difference.analogue);
    EXPECT_NEAR(*difference.analogue,
                *analogueFavourites.back()->level - *analogueFavourites.front()->level, 1e-9);
    EXPECT_EQ(difference.digital.has_value(), digitalFavourites.size() >= 2);
    if (difference.digital) {
        EXPECT_NEAR(*difference.digital,
                    *digitalFavourites.back()->level - *digitalFavourites.front()->level, 1e-9);
    }
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
    EXPECT_FALSE(sondrel::client::favouriteDifferences(survey).analogue);
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
    EXPECT_FALSE(sondrel::client::favouriteDifferences(survey).analogue);
    // The level unit, then tune and read for each of the two channels, nothing after.
    EXPECT_EQ(framesToMeterHex().size(), 5u);
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

// The level unit setting of the simulated meter: 0 dBuV, 1 dBmV, 2 dBm.
std::uint8_t unitSetting(sim::MeterSimulator& meter) {
    return meter.withState([](sim::MeterState& s) { return s.settings.levelUnit; });
}

TEST_F(LevelSurvey, TheMeterIsSetToTheSurveysUnitAndTheLevelsCarryTheUnitItConfirmed) {
    // A meter left in dBmV, and a plan whose header says dBuV.
    meter().withState([](sim::MeterState& s) {
        s.settings.levelUnit = 1;
        // High enough to read above 0 dBm as well.
        s.signal.videoLevel = 125;
        s.signal.digitalPower = 120;
    });
    SurveyPlan plan = planOfMeter(meter(), {1, 14, 49});
    plan.unit = "dBuV";
    const auto [model, channels] = meter().withState(
        [](sim::MeterState& s) { return std::pair(s.signal, sim::channelsOfActivePlan(s.plans)); });
    const auto expectedDbuv = [&](const SurveyResult& r) {
        return model.carrierLevel(channels[static_cast<std::size_t>(r.channel.number - 1)]);
    };

    const Survey inDbuv = runSurvey(link(), plan, {});
    EXPECT_EQ(inDbuv.unit, "dBuV");
    EXPECT_EQ(unitSetting(meter()), 0) << "the meter reads in dBuV from now on";
    ASSERT_EQ(inDbuv.results.size(), 3u);
    for (const SurveyResult& r : inDbuv.results) {
        ASSERT_TRUE(r.level) << r.channel.number;
        const double tolerance = isDigital(r.channel) ? 0.051 : 1.25;
        EXPECT_NEAR(*r.level, expectedDbuv(r), tolerance) << r.channel.number;
    }

    // Asked for dBmV and dBm, the same channels read 60 and 108.75 dB lower.
    for (const auto& [unit, below] : {std::pair("dBmV", 60.0), std::pair("dBm", 108.75)}) {
        plan.unit = unit;
        const Survey other = runSurvey(link(), plan, {});
        EXPECT_EQ(other.unit, unit);
        ASSERT_EQ(other.results.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(*other.results[i].level, *inDbuv.results[i].level - below, 0.051)
                << unit << " channel " << other.results[i].channel.number;
    }
}

TEST_F(LevelSurvey, AUnitTheMeterDoesNotConfirmIsNotGuessed) {
    meter().faults().add(sim::parseFaultRule("16:noreply"));
    SurveyPlan plan = planOfMeter(meter(), {1, 2});
    plan.unit = "dBmV";
    const Survey survey = runSurvey(link(), plan, {});
    EXPECT_EQ(survey.unit, "") << "no label rather than the one asked for";
    ASSERT_EQ(survey.results.size(), 2u);
    EXPECT_TRUE(survey.results[0].level) << "the levels are still read";
    EXPECT_FALSE(survey.meterSilent);
    // The CSV says so instead of naming a unit.
    const std::string csv = sondrel::client::surveyCsv(survey);
    EXPECT_EQ(csv.rfind("Channel,Name,Type,Frequency (MHz),Level (unit not confirmed),", 0), 0u)
        << csv;
    EXPECT_EQ(sondrel::client::parseSurveyCsv(csv)->unit, "");
}

TEST_F(LevelSurvey, AMeterThatDoesNotAnswerEndsTheSurveyAfterItsFirstChannels) {
    meter().faults().add(sim::parseFaultRule("any:noreply"));
    const SurveyPlan plan = planOfMeter(meter(), {1, 2, 3, 4, 5, 6, 7, 8});
    std::size_t reported = 0;
    const Survey survey = runSurvey(link(), plan, {}, [&](const SurveyResult&, auto done, auto) {
        reported = done;
        return true;
    });
    EXPECT_TRUE(survey.meterSilent);
    EXPECT_TRUE(survey.stopped);
    EXPECT_EQ(survey.results.size(), sondrel::client::SilentMeterChannels);
    EXPECT_EQ(reported, sondrel::client::SilentMeterChannels);
    EXPECT_EQ(survey.unit, "");
    EXPECT_FALSE(fitTilt(survey.results));

    // Channels that fail at first and then answer are failures, not a silent meter.
    meter().faults().clear();
    meter().faults().add(sim::parseFaultRule("08:noreply,times=2"));
    const Survey late = runSurvey(link(), plan, {});
    EXPECT_FALSE(late.meterSilent);
    EXPECT_FALSE(late.stopped);
    ASSERT_EQ(late.results.size(), 8u);
    EXPECT_FALSE(late.results[1].level);
    EXPECT_TRUE(late.results[2].level);
}

TEST_F(LevelSurvey, TheActivePlanIsReadAsTheMeterNumbersIt) {
    // Slot C active, holding a digital channel between two carriers.
    meter().withState([&](sim::MeterState& s) {
        s.plans.slots[2].plan = carriersAroundADigitalChannel();
        s.plans.activeSlot = 2;
    });
    const auto active = sondrel::client::readActivePlan(link());
    ASSERT_EQ(active.outcome, sondrel::client::ActivePlan::Outcome::Read);
    EXPECT_EQ(active.slot, 'C');
    ASSERT_EQ(active.plan.channels.size(), 3u);
    EXPECT_EQ(active.plan.channels[1], (SurveyChannel{2, "C21", "DIGI", 474.0}));
    EXPECT_EQ(active.plan.channels[2].mhz, 855.3) << "the decimal the plan holds";
    EXPECT_EQ(active.plan.favourites, (std::vector<int>{1, 3, 0, 0, 0, 0}));

    // The digital channel's power is that of the meter's channel 2.
    const Survey survey = runSurvey(link(), active.plan, {});
    const auto [model, channels] = meter().withState(
        [](sim::MeterState& s) { return std::pair(s.signal, sim::channelsOfActivePlan(s.plans)); });
    ASSERT_TRUE(survey.results[1].level);
    EXPECT_NEAR(*survey.results[1].level, model.carrierLevel(channels[1]), 0.051);

    meter().faults().add(sim::parseFaultRule("27:noreply"));
    EXPECT_EQ(sondrel::client::readActivePlan(link()).outcome,
              sondrel::client::ActivePlan::Outcome::SlotUnknown);
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

TEST(FavouriteDifferences, AreTakenWithinOneKindOfChannel) {
    // Carriers at 84 and 80 dBuV, digital channel power at 70 and 69.
    Survey survey;
    survey.favourites = {1, 2, 3, 4, 0, 0};
    survey.results = {measured(1, "TV", 48.25, 84.0), measured(2, "DIGI", 474, 70.0),
                      measured(3, "TV", 503.25, 80.0), measured(4, "DIGI", 800, 69.0),
                      measured(5, "TV", 850.25, 50.0)}; // not a favourite
    auto difference = sondrel::client::favouriteDifferences(survey);
    ASSERT_TRUE(difference.analogue && difference.digital);
    EXPECT_DOUBLE_EQ(*difference.analogue, -4.0);
    EXPECT_DOUBLE_EQ(*difference.digital, -1.0);

    // One favourite of a kind gives no difference of that kind.
    survey.favourites = {1, 2, 3, 0, 0, 0};
    difference = sondrel::client::favouriteDifferences(survey);
    EXPECT_TRUE(difference.analogue);
    EXPECT_FALSE(difference.digital) << "a carrier level minus a channel power means nothing";
}

TEST(PlanFrequencies, AreTheDecimalsThePlanHolds) {
    for (const double mhz : {55.3, 48.25, 855.3, 474.0, 119.13, 0.1})
        EXPECT_EQ(sondrel::client::planMhz(static_cast<float>(mhz)), mhz);
    sondrel::SafeArray<sondrel::Channellist> channels;
    channels.redim(1, 1);
    channels.at(1) = {0, "TV", 0, 55.3f, 0, 0, "E3", 5.5f, 0, ""};
    Survey survey;
    survey.results = {
        {sondrel::client::surveyPlanOf(channels, {}).channels.at(0), 80.0, {}, false}};
    const std::string csv = sondrel::client::surveyCsv(survey);
    EXPECT_NE(csv.find("\r\n1,E3,TV,55.3,80,,measured\r\n"), std::string::npos) << csv;
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
