#include "survey_history.h"

#include <sqlite3.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <system_error>

namespace sondrel::client {
namespace {

namespace fs = std::filesystem;

constexpr const char* Schema = R"(
CREATE TABLE surveys (
  id INTEGER PRIMARY KEY,
  site TEXT NOT NULL,
  time TEXT NOT NULL,
  meter_model TEXT NOT NULL,
  operator TEXT NOT NULL,
  unit TEXT NOT NULL,
  favourites TEXT NOT NULL,
  stopped INTEGER NOT NULL,
  profile TEXT NOT NULL,
  verdict TEXT NOT NULL,
  quality_read INTEGER NOT NULL
);
CREATE INDEX surveys_by_site ON surveys (site, id);
CREATE TABLE channels (
  survey INTEGER NOT NULL REFERENCES surveys (id) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  number INTEGER NOT NULL,
  name TEXT NOT NULL,
  type TEXT NOT NULL,
  mhz REAL NOT NULL,
  level REAL,
  cn INTEGER,
  cn_failed INTEGER NOT NULL,
  mer REAL,
  ber REAL,
  quality_failed INTEGER,
  PRIMARY KEY (survey, position)
);
)";

// One prepared statement, finalized when it goes out of scope.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            throw HistoryError(std::string("survey history: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, const std::string& text) {
        return check(sqlite3_bind_text(statement_, i, text.c_str(), static_cast<int>(text.size()),
                                       SQLITE_TRANSIENT));
    }
    Statement& bind(int i, std::int64_t value) {
        return check(sqlite3_bind_int64(statement_, i, value));
    }
    Statement& bind(int i, std::optional<double> value) {
        return check(value ? sqlite3_bind_double(statement_, i, *value)
                           : sqlite3_bind_null(statement_, i));
    }
    // True while there is a row to read.
    bool step() {
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw HistoryError(std::string("survey history: ") + sqlite3_errmsg(db_));
    }
    std::string text(int i) const {
        const auto* p = sqlite3_column_text(statement_, i);
        return p ? reinterpret_cast<const char*>(p) : "";
    }
    std::int64_t integer(int i) const { return sqlite3_column_int64(statement_, i); }
    std::optional<double> real(int i) const {
        if (sqlite3_column_type(statement_, i) == SQLITE_NULL) return std::nullopt;
        return sqlite3_column_double(statement_, i);
    }

  private:
    Statement& check(int rc) {
        if (rc != SQLITE_OK)
            throw HistoryError(std::string("survey history: ") + sqlite3_errmsg(db_));
        return *this;
    }
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

void execute(sqlite3* db, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw HistoryError("survey history: " + text);
    }
}

std::string favouritesText(const std::vector<int>& favourites) {
    std::string text;
    for (int f : favourites)
        text += (text.empty() ? "" : ",") + std::to_string(f);
    return text;
}

std::vector<int> favouritesOf(const std::string& text) {
    std::vector<int> favourites;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        favourites.push_back(std::atoi(item.c_str()));
    return favourites;
}

constexpr const char* SurveyColumns =
    "SELECT id, site, time, meter_model, operator, unit, favourites, stopped, profile, verdict, "
    "quality_read FROM surveys ";

KeptSurvey keptOf(const Statement& row) {
    KeptSurvey kept;
    kept.id = row.integer(0);
    kept.site = row.text(1);
    kept.time = row.text(2);
    kept.meterModel = row.text(3);
    kept.operatorName = row.text(4);
    kept.survey.unit = row.text(5);
    kept.survey.favourites = favouritesOf(row.text(6));
    kept.survey.stopped = row.integer(7) != 0;
    kept.profile = row.text(8);
    kept.verdict = row.text(9);
    if (row.integer(10) != 0) kept.quality.emplace();
    return kept;
}

std::string hostFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value && *value) return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/" + fallbackUnderHome;
}

} // namespace

std::string utcTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

fs::path SurveyHistory::defaultFile() {
    return fs::path(hostFolder("XDG_DATA_HOME", ".local/share")) / "sondrel" / "surveys.sqlite";
}

SurveyHistory::SurveyHistory(const fs::path& file) {
    std::error_code error;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), error);
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw HistoryError("cannot open " + file.string() + ": " + why);
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        execute(db_, "PRAGMA foreign_keys = ON");
        Statement version(db_, "PRAGMA user_version");
        version.step();
        const std::int64_t found = version.integer(0);
        if (found > SchemaVersion)
            throw HistoryError(file.string() + " was written by a newer sondrel (schema " +
                               std::to_string(found) + ")");
        if (found == 0) {
            execute(db_, "BEGIN IMMEDIATE");
            try {
                execute(db_, Schema);
                execute(db_, ("PRAGMA user_version = " + std::to_string(SchemaVersion)).c_str());
                execute(db_, "COMMIT");
            } catch (...) {
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        }
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SurveyHistory::~SurveyHistory() {
    sqlite3_close(db_);
}

std::int64_t SurveyHistory::keep(const KeptSurvey& kept) {
    execute(db_, "BEGIN IMMEDIATE");
    try {
        Statement survey(db_, "INSERT INTO surveys (site, time, meter_model, operator, unit, "
                              "favourites, stopped, profile, verdict, quality_read) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        survey.bind(1, kept.site)
            .bind(2, kept.time)
            .bind(3, kept.meterModel)
            .bind(4, kept.operatorName)
            .bind(5, kept.survey.unit)
            .bind(6, favouritesText(kept.survey.favourites))
            .bind(7, std::int64_t{kept.survey.stopped})
            .bind(8, kept.profile)
            .bind(9, kept.verdict)
            .bind(10, std::int64_t{kept.quality.has_value()});
        survey.step();
        const std::int64_t id = sqlite3_last_insert_rowid(db_);
        std::int64_t position = 0;
        for (const SurveyResult& r : kept.survey.results) {
            Statement channel(db_, "INSERT INTO channels VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                   "?, ?)");
            channel.bind(1, id)
                .bind(2, position++)
                .bind(3, std::int64_t{r.channel.number})
                .bind(4, r.channel.name)
                .bind(5, r.channel.type)
                .bind(6, std::optional<double>(r.channel.mhz))
                .bind(7, r.level)
                .bind(8, r.cn ? std::optional<double>(*r.cn) : std::nullopt)
                .bind(9, std::int64_t{r.cnFailed});
            const DigitalQualityReading* q =
                kept.quality ? qualityOf(*kept.quality, r.channel.number) : nullptr;
            channel.bind(10, q ? q->mer : std::nullopt).bind(11, q ? q->ber : std::nullopt);
            channel.bind(12, q ? std::optional<double>(q->failed) : std::nullopt);
            channel.step();
        }
        execute(db_, "COMMIT");
        return id;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::vector<KeptSurvey> SurveyHistory::list(const std::string& site) const {
    Statement rows(db_, site.empty()
                            ? (std::string(SurveyColumns) + "ORDER BY id").c_str()
                            : (std::string(SurveyColumns) + "WHERE site = ? ORDER BY id").c_str());
    if (!site.empty()) rows.bind(1, site);
    std::vector<KeptSurvey> found;
    while (rows.step())
        found.push_back(keptOf(rows));
    return found;
}

std::optional<KeptSurvey> SurveyHistory::load(std::int64_t id) const {
    Statement row(db_, (std::string(SurveyColumns) + "WHERE id = ?").c_str());
    row.bind(1, id);
    if (!row.step()) return std::nullopt;
    KeptSurvey kept = keptOf(row);
    Statement channels(db_, "SELECT number, name, type, mhz, level, cn, cn_failed, mer, ber, "
                            "quality_failed FROM channels WHERE survey = ? ORDER BY position");
    channels.bind(1, id);
    while (channels.step()) {
        SurveyResult r;
        r.channel = {static_cast<int>(channels.integer(0)), channels.text(1), channels.text(2),
                     channels.real(3).value_or(0)};
        r.level = channels.real(4);
        if (const auto cn = channels.real(5)) r.cn = static_cast<int>(*cn);
        r.cnFailed = channels.integer(6) != 0;
        kept.survey.results.push_back(r);
        if (const auto failed = channels.real(9); failed && kept.quality)
            kept.quality->push_back(
                {r.channel.number, channels.real(7), channels.real(8), *failed != 0});
    }
    return kept;
}

std::optional<KeptSurvey> SurveyHistory::latestOfSite(const std::string& site,
                                                      std::int64_t before) const {
    Statement row(db_, "SELECT id FROM surveys WHERE site = ? AND (? = 0 OR id < ?) "
                       "ORDER BY id DESC LIMIT 1");
    row.bind(1, site).bind(2, before).bind(3, before);
    if (!row.step()) return std::nullopt;
    return load(row.integer(0));
}

} // namespace sondrel::client
