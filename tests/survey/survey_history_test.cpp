// Kept surveys in a real SQLite file: what goes in comes out, the schema's
// version is written and a newer one is refused.
#include "survey_history.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace sondrel::client {
namespace {

namespace fs = std::filesystem;

class History : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("survey-history-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path file() const { return folder_ / "deeper" / "surveys.sqlite"; }

    fs::path folder_;
};

KeptSurvey keptSurvey(const std::string& site, double firstLevel) {
    KeptSurvey kept;
    kept.site = site;
    kept.time = "2026-12-07T10:00:00Z";
    kept.meterModel = "2000Q";
    kept.operatorName = "Lin";
    kept.profile = "fcc-76-605";
    kept.verdict = "fail";
    kept.survey.unit = "dBmV";
    kept.survey.favourites = {1, 3, 0, 0, 0, 0};
    kept.survey.results = {
        {{1, "E2", "TV", 48.25}, firstLevel, 44, false},
        {{2, "E3", "TV", 55.25}, std::nullopt, std::nullopt, true}, // failed, C/N too
        {{3, "C21", "DIGI", 474.0}, 18.5, std::nullopt, false},
        {{4, "C22", "DIGI", 482.0}, 18.2, std::nullopt, false},
    };
    kept.quality = std::vector<DigitalQualityReading>{{3, 33.4, 0.0, false},
                                                      {4, std::nullopt, std::nullopt, true}};
    return kept;
}

TEST_F(History, AKeptSurveyComesBackAsItWentIn) {
    KeptSurvey kept = keptSurvey("Block 7", 21.3);
    std::int64_t id = 0;
    {
        SurveyHistory history(file());
        id = history.keep(kept);
        EXPECT_GT(id, 0);
    }
    SurveyHistory reopened(file());
    const auto loaded = reopened.load(id);
    ASSERT_TRUE(loaded);
    kept.id = id;
    EXPECT_EQ(loaded->id, id);
    EXPECT_EQ(loaded->site, kept.site);
    EXPECT_EQ(loaded->time, kept.time);
    EXPECT_EQ(loaded->meterModel, kept.meterModel);
    EXPECT_EQ(loaded->operatorName, kept.operatorName);
    EXPECT_EQ(loaded->profile, kept.profile);
    EXPECT_EQ(loaded->verdict, kept.verdict);
    EXPECT_EQ(loaded->survey.unit, "dBmV");
    EXPECT_EQ(loaded->survey.favourites, kept.survey.favourites);
    EXPECT_EQ(loaded->survey.stopped, false);
    EXPECT_EQ(loaded->survey.results, kept.survey.results); // the failed one stays failed
    EXPECT_EQ(loaded->quality, kept.quality);
    EXPECT_FALSE(reopened.load(id + 1));

    // Without MER readings none come back.
    KeptSurvey plain = keptSurvey("Block 7", 20.0);
    plain.quality.reset();
    plain.survey.stopped = true;
    const auto loadedPlain = reopened.load(reopened.keep(plain));
    EXPECT_FALSE(loadedPlain->quality);
    EXPECT_TRUE(loadedPlain->survey.stopped);
}

TEST_F(History, TheLatestSurveyOfASiteIsFoundBeforeAGivenOne) {
    SurveyHistory history(file());
    const auto first = history.keep(keptSurvey("Block 7", 20.0));
    const auto other = history.keep(keptSurvey("Harbour", 20.0));
    const auto second = history.keep(keptSurvey("Block 7", 23.0));
    EXPECT_EQ(history.latestOfSite("Block 7")->id, second);
    EXPECT_EQ(history.latestOfSite("Block 7", second)->id, first);
    EXPECT_FALSE(history.latestOfSite("Block 7", first));
    EXPECT_EQ(history.latestOfSite("Harbour")->id, other);
    EXPECT_FALSE(history.latestOfSite("Nowhere"));
    const auto listed = history.list("Block 7");
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, first);
    EXPECT_TRUE(listed[0].survey.results.empty()); // the list leaves the channels out
    EXPECT_EQ(history.list().size(), 3u);
}

TEST_F(History, TheSchemaCarriesItsVersionAndANewerFileIsLeftAlone) {
    { SurveyHistory history(file()); }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), SurveyHistory::SchemaVersion);
    sqlite3_finalize(statement);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    try {
        SurveyHistory newer(file());
        FAIL() << "a newer schema was opened";
    } catch (const HistoryError& e) {
        EXPECT_NE(std::string(e.what()).find("newer"), std::string::npos) << e.what();
    }
}

TEST_F(History, ASurveyThatCannotBeWrittenWholeLeavesNoHalfOfItBehind) {
    SurveyHistory history(file());
    history.keep(keptSurvey("Block 7", 20.0));
    {
        // The third channel of a survey cannot be written.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER refuse BEFORE INSERT ON channels "
                               "WHEN NEW.position = 2 BEGIN SELECT RAISE(ABORT, 'disk full'); END",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    EXPECT_THROW(history.keep(keptSurvey("Block 7", 21.0)), HistoryError);
    EXPECT_EQ(history.list().size(), 1u); // neither the survey nor its first channels
    EXPECT_EQ(history.latestOfSite("Block 7")->survey.results.size(), 4u);
}

} // namespace
} // namespace sondrel::client
