#include "stored_files_memory.h"

#include "state_fields.h"

#include "common/stored_file_layout.h"

#include <algorithm>

namespace korvane::sim {
namespace {

using sondrel::Bytes;
using namespace sondrel::stored_files;

constexpr std::size_t DirectoryEntrySize = 10;
constexpr std::size_t EntriesPerPage = 6;
constexpr std::size_t PageNumberOffset = 60;

std::size_t pagesFor(std::size_t bytes) {
    return (bytes + PageSize - 1) / PageSize;
}

// A level file of a measurement run: a 16-byte head ("KLV1", flags, plan,
// record count) and one 4-byte record per channel (number, level in tenths,
// 0), the levels drawn from a fixed pattern.
Bytes levelFileContent(std::uint8_t flags, std::uint8_t plan, int channels, int seed) {
    Bytes content{'K',
                  'L',
                  'V',
                  '1',
                  flags,
                  plan,
                  static_cast<std::uint8_t>(channels >> 8),
                  static_cast<std::uint8_t>(channels & 0xFF)};
    content.resize(16, 0);
    for (int number = 1; number <= channels; ++number) {
        const int tenths = 700 + (number * 37 + seed * 11) % 150;
        content.insert(content.end(),
                       {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(tenths >> 8),
                        static_cast<std::uint8_t>(tenths & 0xFF), 0});
    }
    return content;
}

} // namespace

std::size_t PagedTransfer::count() const {
    return pages.size() / PageSize;
}

StoredFilesMemory::StoredFilesMemory() {
    files = {
        {"LEVEL1", {2009, 8, 25, 13, 45, 30}, 0x90, 0, levelFileContent(0x90, 0, 40, 1)},
        {"SCAN01", {2009, 8, 26, 9, 5, 0}, 0x20, 0, levelFileContent(0x20, 0, 60, 2)},
        {"TILT", {2009, 9, 1, 17, 30, 12}, 0x08, 2, levelFileContent(0x08, 2, 6, 3)},
        {"QAM", {2010, 1, 4, 8, 0, 0}, 0x02, 2, levelFileContent(0x02, 2, 18, 4)},
    };
}

const StoredFile* StoredFilesMemory::file(std::size_t number) const {
    if (number < 1 || number > files.size()) return nullptr;
    return &files[number - 1];
}

Bytes StoredFilesMemory::directoryPages() const {
    const std::size_t pageCount = std::max<std::size_t>(1, (files.size() + 5) / EntriesPerPage);
    Bytes pages(pageCount * PageSize, 0);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const StoredFile& f = files[i];
        auto entry =
            pages.begin() + static_cast<std::ptrdiff_t>(i / EntriesPerPage * PageSize +
                                                        i % EntriesPerPage * DirectoryEntrySize);
        entry[0] = static_cast<std::uint8_t>(i + 1);
        std::copy_n(f.name.begin(), std::min(f.name.size(), NameLength), entry + 1);
        entry[7] = f.flags;
        entry[8] = f.basePlan;
        entry[9] = static_cast<std::uint8_t>(pagesFor(f.content.size()));
    }
    for (std::size_t page = 0; page < pageCount; ++page) {
        pages[page * PageSize + PageNumberOffset] = static_cast<std::uint8_t>(page + 1);
        pages[page * PageSize + DirectoryCountOffset] = static_cast<std::uint8_t>(files.size());
    }
    return pages;
}

void to_json(nlohmann::json& j, const StoredFilesMemory& memory) {
    auto list = nlohmann::json::array();
    for (const StoredFile& f : memory.files) {
        const auto& s = f.stored;
        list.push_back({{"name", f.name},
                        {"stored", {s.year, s.month, s.day, s.hour, s.minute, s.second}},
                        {"flags", f.flags},
                        {"basePlan", f.basePlan},
                        {"content", f.content}});
    }
    j = {{"headerForm", memory.headerForm == HeaderForm::Long ? "long" : "short"}, {"files", list}};
}

void from_json(const nlohmann::json& j, StoredFilesMemory& memory) {
    memory.headerForm =
        j.value("headerForm", "long") == "short" ? HeaderForm::Short : HeaderForm::Long;
    if (!j.contains("files")) return;
    memory.files.clear();
    for (const auto& item : j.at("files")) {
        StoredFile f;
        item.at("name").get_to(f.name);
        if (f.name.size() > 6) throw StateFieldError("field files.name: at most 6 characters");
        f.stored = civilFieldOf(item.at("stored"), "files.stored");
        f.flags = byteField(item.at("flags"), "files.flags");
        f.basePlan = byteField(item.at("basePlan"), "files.basePlan", 4);
        for (const auto& value : item.at("content"))
            f.content.push_back(byteField(value, "files.content"));
        memory.files.push_back(std::move(f));
    }
}

} // namespace korvane::sim
