// Limits profiles and the checks of a survey against them, on hand-computed cases.
#include "survey_checks.h"
#include "survey_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace sondrel::client {
namespace {

SurveyResult analogue(int number, double mhz, std::optional<double> level,
                      std::optional<int> cn = {}) {
    return {{number, "A" + std::to_string(number), "TV", mhz}, level, cn, false};
}

SurveyResult digital(int number, double mhz, std::optional<double> level) {
    return {{number, "D" + std::to_string(number), "DIGI", mhz}, level, {}, false};
}

Survey surveyOf(std::vector<SurveyResult> results, std::string unit = "dBuV") {
    Survey survey;
    survey.results = std::move(results);
    survey.unit = std::move(unit);
    return survey;
}

const CheckResult* networkCheck(const SurveyChecks& checks, CheckKind kind, bool isDigital) {
    for (const CheckResult& c : checks.network)
        if (c.kind == kind && c.digital == isDigital) return &c;
    return nullptr;
}

const CheckResult* channelCheck(const SurveyChecks& checks, int number, CheckKind kind) {
    for (const CheckResult* c : checksOfChannel(checks, number))
        if (c->kind == kind) return c;
    return nullptr;
}

LimitsProfile profileOf(const char* json) {
    return parseLimitsProfile(json, "test");
}

TEST(SurveyChecks, AdjacentDifferenceFindsTheLargestPairUpToTheBandEdge) {
    const LimitsProfile profile = profileOf(R"({"maxAdjacentDifference": 3})");
    // The largest step is between the last two channels of the band.
    const Survey survey = surveyOf({analogue(1, 48.25, 80.0), analogue(2, 55.25, 81.0),
                                    analogue(3, 62.25, 80.0), analogue(4, 69.25, 84.5)});
    const SurveyChecks checks = checkSurvey(survey, profile);
    const CheckResult* adjacent = networkCheck(checks, CheckKind::AdjacentDifference, false);
    ASSERT_TRUE(adjacent);
    EXPECT_EQ(adjacent->verdict, Verdict::Fail);
    EXPECT_DOUBLE_EQ(*adjacent->value, 4.5);
    EXPECT_EQ(adjacent->channel, 3);
    EXPECT_EQ(adjacent->otherChannel, 4);
    EXPECT_EQ(*adjacent->max, 3.0);
    EXPECT_EQ(checks.overall, Verdict::Fail);

    // Exactly at the limit passes; the first pair is the band's other edge.
    const Survey atLimit =
        surveyOf({analogue(1, 48.25, 83.0), analogue(2, 55.25, 80.0), analogue(3, 62.25, 81.0)});
    const SurveyChecks atLimitChecks = checkSurvey(atLimit, profile);
    const CheckResult* edge = networkCheck(atLimitChecks, CheckKind::AdjacentDifference, false);
    EXPECT_EQ(edge->verdict, Verdict::Pass);
    EXPECT_DOUBLE_EQ(*edge->value, 3.0);
    EXPECT_EQ(edge->channel, 1);
}

TEST(SurveyChecks, SpreadAllowanceGrowsByEveryHundredMegahertzBegunAboveTheBase) {
    const SpreadLimit fcc{10, 300, 1};
    EXPECT_EQ(fcc.allowedFor(48.25), 10);
    EXPECT_EQ(fcc.allowedFor(300), 10);
    EXPECT_EQ(fcc.allowedFor(301), 11);
    EXPECT_EQ(fcc.allowedFor(400), 11);
    EXPECT_EQ(fcc.allowedFor(401), 12);
    EXPECT_EQ(fcc.allowedFor(862), 16);

    const LimitsProfile profile =
        profileOf(R"({"spread": {"maxDifference": 10, "baseMhz": 300, "perHundredMhz": 1}})");
    // 11.5 dB apart: too much for a plan ending at 290 MHz, allowed (12 dB) up to 474 MHz.
    const auto spreadOf = [&](double topMhz) {
        const Survey survey = surveyOf(
            {analogue(1, 48.25, 70.0), analogue(2, 200.25, 81.5), analogue(3, topMhz, 75.0)});
        return *networkCheck(checkSurvey(survey, profile), CheckKind::Spread, false);
    };
    EXPECT_EQ(spreadOf(290).verdict, Verdict::Fail);
    EXPECT_EQ(*spreadOf(290).max, 10);
    EXPECT_EQ(spreadOf(474).verdict, Verdict::Pass);
    EXPECT_EQ(*spreadOf(474).max, 12);
    EXPECT_DOUBLE_EQ(*spreadOf(474).value, 11.5);
}

TEST(SurveyChecks, AFailedReadingIsNeverAPass) {
    const LimitsProfile profile = profileOf(
        R"({"analogue": {"minLevel": 60, "maxLevel": 80}, "maxAdjacentDifference": 3,
            "spread": {"maxDifference": 10}, "tilt": {"min": -3, "max": 3}})");
    const Survey survey =
        surveyOf({analogue(1, 48.25, 70.0), analogue(2, 55.25, {}), analogue(3, 62.25, 71.0)});
    const SurveyChecks checks = checkSurvey(survey, profile);
    const CheckResult* level = channelCheck(checks, 2, CheckKind::Level);
    ASSERT_TRUE(level);
    EXPECT_EQ(level->verdict, Verdict::NotMeasured);
    EXPECT_FALSE(level->value);
    // What was measured is within every limit, yet a channel is missing.
    for (CheckKind kind : {CheckKind::AdjacentDifference, CheckKind::Spread, CheckKind::Tilt})
        EXPECT_EQ(networkCheck(checks, kind, false)->verdict, Verdict::NotMeasured)
            << checkKindName(kind);
    EXPECT_EQ(checks.overall, Verdict::NotMeasured);

    // A difference already beyond the limit fails even with a channel missing;
    // the two channels either side of the gap are not neighbours.
    const Survey beyond = surveyOf({analogue(1, 48.25, 70.0), analogue(2, 55.25, 75.0),
                                    analogue(3, 62.25, {}), analogue(4, 69.25, 70.0)});
    const SurveyChecks failing = checkSurvey(beyond, profile);
    const CheckResult* adjacent = networkCheck(failing, CheckKind::AdjacentDifference, false);
    EXPECT_EQ(adjacent->verdict, Verdict::Fail);
    EXPECT_EQ(adjacent->otherChannel, 2);
    EXPECT_EQ(failing.overall, Verdict::Fail);

    // A stopped survey did not reach every channel: its figures are not judged either.
    Survey stopped = surveyOf({analogue(1, 48.25, 70.0), analogue(2, 55.25, 71.0)});
    stopped.stopped = true;
    EXPECT_EQ(networkCheck(checkSurvey(stopped, profile), CheckKind::Spread, false)->verdict,
              Verdict::NotMeasured);
}

TEST(SurveyChecks, KindsKeepTheirOwnLimitsAndNeighboursAndUnitsAreConverted) {
    // Levels in dBmV: 0 dBmV is 60 dBuV.
    const LimitsProfile profile = profileOf(
        R"({"unit": "dBmV", "analogue": {"minLevel": 0, "minCn": 43},
            "digital": {"minLevel": -10, "maxLevel": 15, "minMer": 30, "maxBer": 1e-6},
            "maxAdjacentDifference": 3})");
    // A digital channel 20 dB below its analogue neighbours is not their neighbour.
    const Survey survey =
        surveyOf({analogue(1, 48.25, 60.0, 44), digital(2, 50.0, 40.0),
                  analogue(3, 55.25, 59.9, 42), digital(4, 58.0, 41.0), digital(5, 66.0, 80.0)});
    const std::vector<DigitalQualityReading> quality{
        {2, 31.0, 1e-7, false}, {4, 29.5, 2e-6, false}, {5, {}, {}, true}};
    const SurveyChecks checks = checkSurvey(survey, profile, quality);
    EXPECT_EQ(checks.unit, "dBmV");
    EXPECT_EQ(channelCheck(checks, 1, CheckKind::Level)->verdict, Verdict::Pass);
    EXPECT_DOUBLE_EQ(*channelCheck(checks, 1, CheckKind::Level)->value, 0.0);
    EXPECT_EQ(channelCheck(checks, 3, CheckKind::Level)->verdict, Verdict::Fail);
    EXPECT_EQ(channelCheck(checks, 1, CheckKind::CarrierToNoise)->verdict, Verdict::Pass);
    EXPECT_EQ(channelCheck(checks, 3, CheckKind::CarrierToNoise)->verdict, Verdict::Fail);
    EXPECT_FALSE(channelCheck(checks, 2, CheckKind::CarrierToNoise)); // no C/N for digital
    EXPECT_FALSE(channelCheck(checks, 1, CheckKind::Mer));            // nor MER for analogue
    // 40 dBuV is -20 dBmV, below the digital minimum of -10.
    EXPECT_DOUBLE_EQ(*channelCheck(checks, 2, CheckKind::Level)->value, -20.0);
    EXPECT_EQ(channelCheck(checks, 2, CheckKind::Level)->verdict, Verdict::Fail);
    EXPECT_EQ(channelCheck(checks, 5, CheckKind::Level)->verdict, Verdict::Fail); // 20 dBmV
    EXPECT_EQ(channelCheck(checks, 2, CheckKind::Mer)->verdict, Verdict::Pass);
    EXPECT_EQ(channelCheck(checks, 4, CheckKind::Mer)->verdict, Verdict::Fail);
    EXPECT_EQ(channelCheck(checks, 2, CheckKind::Ber)->verdict, Verdict::Pass);
    EXPECT_EQ(channelCheck(checks, 4, CheckKind::Ber)->verdict, Verdict::Fail);
    // The receiver did not lock on channel 5: its MER and BER are not measured.
    EXPECT_EQ(channelCheck(checks, 5, CheckKind::Mer)->verdict, Verdict::NotMeasured);
    EXPECT_EQ(channelCheck(checks, 5, CheckKind::Ber)->verdict, Verdict::NotMeasured);

    const CheckResult* analogueStep = networkCheck(checks, CheckKind::AdjacentDifference, false);
    EXPECT_DOUBLE_EQ(*analogueStep->value, 0.1);
    EXPECT_EQ(analogueStep->verdict, Verdict::Pass);
    const CheckResult* digitalStep = networkCheck(checks, CheckKind::AdjacentDifference, true);
    EXPECT_DOUBLE_EQ(*digitalStep->value, 39.0);
    EXPECT_EQ(digitalStep->channel, 4);

    // Without the MER readings the MER and BER checks are not measured.
    const SurveyChecks unread = checkSurvey(survey, profile);
    EXPECT_EQ(channelCheck(unread, 2, CheckKind::Mer)->verdict, Verdict::NotMeasured);
}

TEST(SurveyChecks, ATiltOutsideItsRangeFails) {
    const LimitsProfile profile = profileOf(R"({"tilt": {"min": -1, "max": 1}})");
    // 2 dB lower every 100 MHz.
    const Survey survey =
        surveyOf({analogue(1, 100, 80.0), analogue(2, 200, 78.0), analogue(3, 300, 76.0)});
    const SurveyChecks checks = checkSurvey(survey, profile);
    const CheckResult* tilt = networkCheck(checks, CheckKind::Tilt, false);
    EXPECT_DOUBLE_EQ(*tilt->value, -2.0);
    EXPECT_EQ(tilt->verdict, Verdict::Fail);
    const LimitsProfile wide = profileOf(R"({"tilt": {"min": -2, "max": 1}})");
    EXPECT_EQ(networkCheck(checkSurvey(survey, wide), CheckKind::Tilt, false)->verdict,
              Verdict::Pass);
}

// A failed network-wide figure names the channels it comes from, so that the
// chart and the tables can mark them; a passed one marks nothing.
TEST(SurveyChecks, AFailedNetworkFigureNamesTheChannelsItComesFrom) {
    const LimitsProfile profile = profileOf(
        R"({"maxAdjacentDifference": 3, "spread": {"maxDifference": 6}, "tilt": {"min": -1, "max": 1}})");
    // Channel 3 stands 5 dB above its neighbours; channel 5 is the lowest;
    // the digital channel has its own spread, and fails nothing.
    const Survey survey =
        surveyOf({analogue(1, 100, 80.0), analogue(2, 200, 79.0), analogue(3, 300, 84.0),
                  analogue(4, 400, 81.0), analogue(5, 500, 77.0), digital(6, 474, 70.0)});
    const SurveyChecks checks = checkSurvey(survey, profile);
    const CheckResult* spread = networkCheck(checks, CheckKind::Spread, false);
    EXPECT_EQ(spread->verdict, Verdict::Fail);
    EXPECT_DOUBLE_EQ(*spread->value, 7.0);
    EXPECT_EQ(spread->channel, 5);      // lowest level
    EXPECT_EQ(spread->otherChannel, 3); // highest level
    const CheckResult* tilt = networkCheck(checks, CheckKind::Tilt, false);
    EXPECT_EQ(tilt->channel, 1); // the ends of the band
    EXPECT_EQ(tilt->otherChannel, 5);
    EXPECT_EQ(tilt->verdict, Verdict::Pass);

    const auto kindsOf = [&](int number) {
        std::vector<CheckKind> kinds;
        for (const CheckResult* c : failedNetworkChecksOf(checks, number))
            kinds.push_back(c->kind);
        return kinds;
    };
    using Kinds = std::vector<CheckKind>;
    EXPECT_EQ(kindsOf(1), Kinds{});
    EXPECT_EQ(kindsOf(2), (Kinds{CheckKind::AdjacentDifference})); // 2-3: 5 dB
    EXPECT_EQ(kindsOf(3), (Kinds{CheckKind::AdjacentDifference, CheckKind::Spread}));
    EXPECT_EQ(kindsOf(5), (Kinds{CheckKind::Spread}));
    EXPECT_EQ(kindsOf(6), Kinds{}); // one digital channel: no figure of its kind
    EXPECT_EQ(kindsOf(0), Kinds{});
    // Each channel's own verdict stays its own.
    EXPECT_EQ(verdictOfChannel(checks, 3), Verdict::NotMeasured); // the profile limits no level
}

TEST(LimitsProfiles, FaultyFilesAreRefusedWithTheFieldNamed) {
    const auto why = [](const char* json) {
        try {
            parseLimitsProfile(json, "bad");
        } catch (const LimitsError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(why("[1, 2]"), "not a JSON object");
    EXPECT_EQ(why("{"), "not a JSON object");
    EXPECT_EQ(why(R"({"unit": "dBm"})"), "unit is neither dBuV nor dBmV");
    EXPECT_EQ(why(R"({"analogue": {"minLevel": "60"}})"), "analogue.minLevel is not a number");
    EXPECT_EQ(why(R"({"analogue": {"minLevel": 80, "maxLevel": 60}})"),
              "analogue.minLevel is above maxLevel");
    EXPECT_EQ(why(R"({"digital": {"maxBer": 2}})"),
              "digital.maxBer is not a ratio between 0 and 1");
    EXPECT_EQ(why(R"({"spread": {"baseMhz": 300}})"), "spread.maxDifference is missing");
    EXPECT_EQ(why(R"({"tilt": {"min": 2, "max": -2}})"), "tilt.min is above tilt.max");
    EXPECT_EQ(why(R"({"example": "yes"})"), "example is not true or false");
    EXPECT_EQ(why("{}"), "accepted"); // nothing limited, nothing checked
}

TEST(LimitsProfiles, EveryShippedProfileReadsAndSaysWhereItsNumbersComeFrom) {
    int found = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SHIPPED_PROFILES)) {
        if (entry.path().extension() != ".json") continue;
        const LimitsProfile profile = readLimitsProfile(entry.path());
        EXPECT_FALSE(profile.source.empty()) << profile.id;
        EXPECT_NE(profile.name, profile.id) << profile.id;
        if (profile.example) {
            EXPECT_NE(profile.source.find("EXAMPLE"), std::string::npos) << profile.id;
        }
        ++found;
    }
    EXPECT_GE(found, 3);
    // The US rule: 0 dBmV at least, 3 dB between neighbours, 10 dB to 300 MHz plus 1 per 100.
    const LimitsProfile fcc =
        readLimitsProfile(std::filesystem::path(SHIPPED_PROFILES) / "fcc-76-605.json");
    EXPECT_FALSE(fcc.example);
    EXPECT_EQ(fcc.unit, "dBmV");
    EXPECT_EQ(*fcc.analogue.minLevel, 0);
    EXPECT_EQ(*fcc.analogue.minCn, 43);
    EXPECT_EQ(*fcc.maxAdjacentDifference, 3);
    EXPECT_EQ(fcc.spread->allowedFor(450), 12);
}

TEST(LimitsProfiles, AUsersOwnProfileHidesAShippedOneOfTheSameName) {
    const auto config =
        std::filesystem::temp_directory_path() /
        ("limits-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(config / "sondrel" / "limits");
    {
        std::ofstream(config / "sondrel" / "limits" / "fcc-76-605.json")
            << R"({"name": "My own", "analogue": {"minLevel": 5}})";
    }
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("SONDREL_LIMITS_DIR", SHIPPED_PROFILES, 1);
    EXPECT_EQ(findLimitsProfile("fcc-76-605").name, "My own");
    EXPECT_FALSE(findLimitsProfile("gy-t-106-outlet-example").name.empty());
    const auto all = availableLimitsProfiles();
    EXPECT_EQ(
        std::count_if(all.begin(), all.end(), [](const auto& p) { return p.id == "fcc-76-605"; }),
        1);
    EXPECT_THROW(findLimitsProfile("no-such-profile"), LimitsError);
    std::filesystem::remove_all(config);
}

TEST(SurveyComparison, ChangesBeyondTheThresholdAndChannelsMeasuredOnceAreFlagged) {
    const Survey earlier =
        surveyOf({analogue(1, 48.25, 80.0), analogue(2, 55.25, 80.0), analogue(3, 62.25, 80.0),
                  analogue(4, 69.25, {}), analogue(9, 90.25, 70.0)});
    // The later survey in dBmV: 20.0 dBmV is 80.0 dBuV.
    const Survey later = surveyOf({analogue(1, 48.25, 22.0), analogue(2, 55.25, 22.1),
                                   analogue(3, 62.25, {}), analogue(4, 69.25, 19.0)},
                                  "dBmV");
    const SurveyComparison c = compareSurveys(earlier, later);
    ASSERT_EQ(c.channels.size(), 5u);
    EXPECT_DOUBLE_EQ(*c.channels[0].change, 2.0);
    EXPECT_FALSE(c.channels[0].flagged); // exactly the threshold
    EXPECT_DOUBLE_EQ(*c.channels[1].change, 2.1);
    EXPECT_TRUE(c.channels[1].flagged);
    EXPECT_TRUE(c.channels[2].flagged);         // measured before, failed now
    EXPECT_TRUE(c.channels[3].flagged);         // failed before, measured now
    EXPECT_EQ(c.channels[4].channel.number, 9); // gone from the later plan
    EXPECT_FALSE(c.channels[4].after);
    EXPECT_TRUE(c.channels[4].flagged);
    EXPECT_EQ(c.flagged, 4);
    EXPECT_EQ(compareSurveys(earlier, later, 2.5).flagged, 3);
}

} // namespace
} // namespace sondrel::client
