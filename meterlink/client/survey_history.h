// Kept surveys, one SQLite file per user ($XDG_DATA_HOME/sondrel/surveys.sqlite,
// else ~/.local/share/sondrel/surveys.sqlite): the site, when, the meter's
// model, the plan surveyed (its channels, favourites and unit), the limits
// profile and verdict, and every channel's readings. The file's schema carries
// a version number (PRAGMA user_version); a file of a newer version is left
// alone rather than misread. Each survey is written in one transaction.
#pragma once

#include "digital_quality.h"
#include "level_survey.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace sondrel::client {

struct KeptSurvey {
    std::int64_t id = 0; // given by keep()
    std::string site;
    std::string time;       // UTC, "2026-12-07T16:20:00Z"
    std::string meterModel; // as SLMType names it; empty when unknown
    std::string operatorName;
    std::string profile; // the limits profile's id; empty when not checked
    std::string verdict; // "pass", "fail", "not measured"; empty when not checked
    Survey survey;
    std::optional<std::vector<DigitalQualityReading>> quality; // when MER was read
};

class HistoryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class SurveyHistory {
  public:
    static constexpr int SchemaVersion = 1;

    // Opens the file, creating it and its folder when missing; throws HistoryError.
    explicit SurveyHistory(const std::filesystem::path& file = defaultFile());
    ~SurveyHistory();
    SurveyHistory(const SurveyHistory&) = delete;
    SurveyHistory& operator=(const SurveyHistory&) = delete;

    static std::filesystem::path defaultFile();

    // Keeps a survey; its id. All of it or nothing is written.
    std::int64_t keep(const KeptSurvey& kept);
    // Every kept survey without its channels, oldest first; of one site when given.
    std::vector<KeptSurvey> list(const std::string& site = {}) const;
    std::optional<KeptSurvey> load(std::int64_t id) const;
    // The latest survey of a site kept before survey `before` (0: the latest of all).
    std::optional<KeptSurvey> latestOfSite(const std::string& site, std::int64_t before = 0) const;

  private:
    sqlite3* db_ = nullptr;
};

// The time now as KeptSurvey::time writes it.
std::string utcTimeNow();

} // namespace sondrel::client
