// The plan database: the file FileDB2000.mdb (an SQLite database) with the one
// table ChannelPlanUser. Every operation opens its own connection and closes it
// again. Operations that rewrite the table run in one transaction, so that the
// table holds either the old rows or the new ones, whatever happens in between.
#pragma once

#include "plan_row.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

namespace plandex {

// Why the database refused an operation, as the user is told it; what() keeps
// the database's own text for logs.
enum class StoreFailure {
    Busy,      // another program holds the database
    ReadOnly,  // the file or its folder may not be written
    NotOpened, // the file is missing or cannot be opened
    Damaged,   // the file is not a plan database, or is damaged
    DiskFull,  // no room left to write
    RowGone,   // the row edited in the grid is no longer in the table as it was read
    Other,
};

class StoreError : public std::runtime_error {
  public:
    explicit StoreError(const std::string& what, StoreFailure reason = StoreFailure::Other)
        : std::runtime_error(what), reason_(reason) {}
    StoreFailure reason() const { return reason_; }

  private:
    StoreFailure reason_;
};

inline constexpr const char* DatabaseFileName = "FileDB2000.mdb";
inline constexpr int MaxPlanRows = 250;

// Queries the grid and the transfers run.
inline constexpr const char* SelectByFreq = "SELECT * FROM ChannelPlanUser ORDER BY Freq";
inline constexpr const char* SelectById = "SELECT * FROM ChannelPlanUser ORDER BY ID";
inline constexpr const char* SelectStored = "SELECT * FROM ChannelPlanUser";
inline constexpr const char* OrderById = "ORDER BY ID";
inline constexpr const char* OrderByFreq = "ORDER BY Freq";

// A row together with the SQLite rowid that identifies it while IDs repeat.
// A rowid alone is no identity across a replacement of the table (SQLite hands
// the same rowids out again): a write goes to the row only while it still holds
// what was read.
struct StoredRow {
    std::int64_t rowid = 0;
    PlanRow row;
};

class PlanStore {
  public:
    // The database the program uses: FileDB2000.mdb beside the program when the
    // program's folder is writable; otherwise, and always for an installed program
    // (delivered file in ../share/plandex), a per-user copy of the delivered file,
    // $XDG_DATA_HOME/plandex/FileDB2000.mdb (by default ~/.local/share/plandex),
    // made from it the first time.
    static QString defaultDatabasePath();
    // The same rule for the program folder programDir.
    static QString databasePathFor(const QString& programDir);

    // A store on an existing database file; the file is never created here.
    explicit PlanStore(QString databasePath);
    const QString& databasePath() const { return path_; }

    // Rows of a "SELECT * FROM ChannelPlanUser ..." statement, with their rowids.
    std::vector<StoredRow> select(const QString& statement) const;
    // All rows in the order of orderClause (e.g. OrderById).
    std::vector<PlanRow> rows(const QString& orderClause) const;
    int rowCount() const;

    // Rewrites the table in the order of orderClause with IDs 1..n. Rows with the
    // same sort key keep their stored order.
    void renumberChannels(const QString& orderClause);

    // Adds the row (ID at, CHName the highest free ID from 250 down, "TV", 46, 4.5)
    // before the row with ID at, then renumbers by ID. False, and nothing changed,
    // when IDs 1..250 are all in use.
    bool insertChannel(int at);

    // Deletes the rows with these IDs; a failing statement does not stop the others.
    void deleteChannels(const std::vector<int>& ids);

    // Adds a copy of the row carrying each ID (keeping the ID, so that renumbering
    // by ID places it beside its original), then renumbers by ID. Throws, with
    // nothing changed, when no IDs are given or an ID has no row.
    void pasteChannels(const std::vector<std::int16_t>& ids);

    // Replaces every row by rows, as given. beforeEachRow runs before each row is
    // added (to let the user interface breathe); if it throws, nothing changes.
    void replaceAll(const std::vector<PlanRow>& rows,
                    const std::function<void()>& beforeEachRow = {});

    // Writes the five columns of a row edited in the grid. Throws StoreError
    // (RowGone) when no row with that rowid still holds `read`.
    void updateRow(const StoredRow& read, const PlanRow& row);
    // Deletes the row read as `read`; a row that changed meanwhile stays (RowGone).
    void deleteRow(const StoredRow& read);

  private:
    QString path_;
};

} // namespace plandex
