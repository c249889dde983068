// Simulated meter: the measurement files stored in its memory, numbered from 1
// in the order they were stored, and the paged transfer in progress.
//
// On the line (see common/stored_file_layout.h for the positions):
//   header 0x2A n    short form: date "MM/DD/YY", time "HH:MM:SS";
//                    long form: name (6 bytes, padded with 0), date
//                    "YYYY-MM-DD", time, flags byte, base plan 0..4.
//                    Which form the meter answers with is headerForm.
//   directory 0x6A 0 then bare 0x6A: pages of 64 bytes, six entries of ten
//                    bytes each (number, name 6 bytes, flags, base plan,
//                    content pages), then in bytes 60..63 the page number,
//                    the file count, 0, 0. A bare 0x6A with no directory
//                    transfer under way answers the 8-byte count form.
//   content 0x6B n then bare 0x6B: the file's bytes in pages of 64 (the last
//                    one padded with 0); a file that does not exist has 0 pages.
//   delete 0x29 n:   the files after n move up one number.
// The meter stays silent on a header or delete request for a file it does not have.
#pragma once

#include "common/com_date.h"
#include "frame.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace korvane::sim {

struct StoredFile {
    std::string name; // the meter's bytes, at most 6, in its code page
    sondrel::CivilDateTime stored;
    std::uint8_t flags = 0;    // bits of stored_files::fileInfoFlags()
    std::uint8_t basePlan = 0; // the plan slot the measurement used, 0..4
    sondrel::Bytes content;
};

enum class HeaderForm { Short, Long };

// A directory or content transfer: its pages and the next one to send.
struct PagedTransfer {
    std::uint8_t command = 0;
    sondrel::Bytes pages;
    std::size_t next = 0;
    std::size_t count() const;
};

struct StoredFilesMemory {
    StoredFilesMemory(); // starts with the demonstration files
    std::vector<StoredFile> files;
    HeaderForm headerForm = HeaderForm::Long;
    std::optional<PagedTransfer> transfer;

    // The directory as the meter pages it (at least one page).
    sondrel::Bytes directoryPages() const;
    // The file with number n (from 1), if there is one.
    const StoredFile* file(std::size_t number) const;
};

// The files and the header form are kept; a transfer under way is not. Names
// are written as text of one character a byte (see textOfBytes in
// state_fields.h). At most 255 files of at most 255 pages each: the count, the
// file numbers and a content's page count travel in one byte.
void to_json(nlohmann::json& j, const StoredFilesMemory& memory);
void from_json(const nlohmann::json& j, StoredFilesMemory& memory);

} // namespace korvane::sim
