// The meter's stored measurement files as a client sees them: the list with
// each file's header decoded once (name, date, time, kinds, plan), reading one
// file's raw bytes, deleting one, and copying files into a folder of the
// computer as raw files beside an index. The contents are the meter's own
// format and are passed on unread. Knows nothing of the wire: it talks to any
// _KorvaneConnection.
#pragma once

#include "korvane_interface.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel::client {

// Which reply form the meter gives for file headers and the file count: the
// long form (ReadFileHeadDigi, ReadFileCountDigi) has name, kinds and plan;
// the short form (ReadFileHead, ReadFileCount) only date and time.
enum class HeaderForm { Short, Long };

// The form a meter model answers with: the digital variant (model text ending
// in "Q", as "2000Q") gives long headers, the others short ones.
HeaderForm headerFormOfModel(std::string_view model);

struct StoredFileEntry {
    int number = 0;                 // from 1, in the order the meter stored them
    std::string name;               // without the zero bytes that pad it; empty in the short form
    std::string date;               // "2009-08-25", or the date's number when no calendar holds it
    std::string time;               // "13:45:30"
    std::vector<std::string> kinds; // "Level", "Scan", ... (names of fileInfoFlags())
    std::string plan;               // "A" .. "E", or empty
};

// The kinds as one text, separated by blanks: "Level LimitsTest".
std::string kindsText(const StoredFileEntry& entry);
// The entry of a header the library filled.
StoredFileEntry entryOfHead(int number, const FileHead& head);

// Told after every step with how many are done of how many; returning false
// stops before the next step.
using StepProgress = std::function<bool(std::size_t done, std::size_t total)>;

struct StoredFileList {
    std::vector<StoredFileEntry> files; // fewer than count when stopped or failed
    int count = 0;                      // how many files the meter said it holds
    bool stopped = false;
    // The member that was not carried out (the list ends before it), or empty.
    std::string failedMember;
    bool done() const { return !stopped && failedMember.empty(); }
};

// Counts the files and reads every header, in the given form.
StoredFileList listStoredFiles(_KorvaneConnection& meter, HeaderForm form,
                               const StepProgress& progress = {});

// One file's content (whole 64-byte pages as the meter sends them); nullopt
// when ReadFileContent was not carried out.
std::optional<std::vector<std::uint8_t>> readStoredFile(_KorvaneConnection& meter, int number);

// Deletes file `number`; the files after it move up one number.
bool deleteStoredFile(_KorvaneConnection& meter, int number);

// A file name for the computer from a file's number and the meter's name:
// "001-LEVEL1.bin". Letters, digits, '-' and '_' of the name are kept and any
// other character becomes '_', so no name reaches outside the folder; the
// number tells files of the same name apart.
std::string safeFileName(const StoredFileEntry& entry);

// A folder being filled with copies of stored files: every file goes into a
// file of its own that did not exist before (a name already taken gets "-2",
// "-3", ... before its extension), and the index files.csv (or files-2.csv,
// ...) names every file written so far:
//
//   Number,Name,Date,Time,Kinds,Plan,Bytes,File
//   1,LEVEL1,2009-08-25,13:45:30,Level LimitsTest,A,256,001-LEVEL1.bin
//
// The index is written again after every file, so a copy that stops early
// leaves an index of the files it completed.
class StoredFilesFolder {
  public:
    struct Written {
        StoredFileEntry entry;
        std::size_t bytes = 0;
        std::string file; // its name within the folder
    };
    // Thrown when the folder or a file in it cannot be written.
    struct WriteError : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    explicit StoredFilesFolder(std::filesystem::path folder);
    const std::filesystem::path& folder() const { return folder_; }
    // Writes content as a new file and the index again; throws WriteError.
    const Written& add(const StoredFileEntry& entry, const std::vector<std::uint8_t>& content);
    const std::vector<Written>& written() const { return written_; }
    // The index's path; empty until the first file was added.
    std::filesystem::path indexPath() const;

  private:
    std::filesystem::path folder_;
    std::string index_;
    std::vector<Written> written_;
};

// The index text of the files written, as StoredFilesFolder keeps it.
std::string storedFilesIndexCsv(const std::vector<StoredFilesFolder::Written>& written);

// Reading files into a folder: each one read, then written, in the order given.
struct StoredFilesCopy {
    std::size_t completed = 0;
    bool stopped = false;
    std::string failedMember; // ReadFileContent when a read was not carried out
    int failedNumber = 0;     // the file it failed on
    std::string writeError;   // why the folder could not be written, or empty
};
StoredFilesCopy
copyStoredFiles(_KorvaneConnection& meter, const std::vector<StoredFileEntry>& files,
                StoredFilesFolder& folder, const StepProgress& progress = {},
                const std::function<void(const StoredFileEntry&, const std::vector<std::uint8_t>&)>&
                    eachRead = {});

} // namespace sondrel::client
