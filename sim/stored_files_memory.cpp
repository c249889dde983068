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
constexpr std::size_t MaxStoredFiles = 255;
constexpr std::size_t MaxContentBytes = 255 * PageSize;

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
        list.push_back(
            {{"name", textOfBytes(std::span(reinterpret_cast<const std::uint8_t*>(f.name.data()),
                                            f.name.size()))},
             {"stored", {s.year, s.month, s.day, s.hour, s.minute, s.second}},
             {"flags", f.flags},
             {"basePlan", f.basePlan},
             {"content", f.content}});
    }
    j = {{"headerForm", memory.headerForm == HeaderForm::Long ? "long" : "short"}, {"files", list}};
}

void from_json(const nlohmann::json& j, StoredFilesMemory& memory) {
    requireObject(j, "files");
    memory.headerForm = choiceField(j, "files", "headerForm", "long", {"long", "short"}) == "short"
                            ? HeaderForm::Short
                            : HeaderForm::Long;
    const auto* files = typedField(j, "files", "files", nlohmann::json::value_t::array);
    if (!files) return;
    // File numbers and the count travel in one byte, a content's page count too.
    if (files->size() > MaxStoredFiles)
        throw StateFieldError("field files.files holds " + std::to_string(files->size()) +
                              " files; the meter keeps at most " + std::to_string(MaxStoredFiles));
    memory.files.clear();
    for (const auto& item : *files) {
        requireObject(item, "files.files");
        StoredFile f;
        const auto name = bytesOfText(requiredText(item, "files", "name"), "files.name");
        if (name.size() > NameLength)
            throw StateFieldError("field files.name: \"" + textOfBytes(name) + "\" is more than " +
                                  std::to_string(NameLength) + " bytes");
        f.name.assign(name.begin(), name.end());
        if (!item.contains("stored")) throw StateFieldError("field files.stored is missing");
        f.stored = civilFieldOf(item.at("stored"), "files.stored");
        if (!item.contains("flags")) throw StateFieldError("field files.flags is missing");
        f.flags = byteField(item.at("flags"), "files.flags");
        if (!item.contains("basePlan")) throw StateFieldError("field files.basePlan is missing");
        f.basePlan = byteField(item.at("basePlan"), "files.basePlan", 4);
        const auto* content = typedField(item, "files", "content", nlohmann::json::value_t::array);
        if (!content) throw StateFieldError("field files.content is missing");
        if (content->size() > MaxContentBytes)
            throw StateFieldError("field files.content holds " + std::to_string(content->size()) +
                                  " bytes; a file holds at most " +
                                  std::to_string(MaxContentBytes) + " (255 pages of 64)");
        for (const auto& value : *content)
            f.content.push_back(byteField(value, "files.content"));
        memory.files.push_back(std::move(f));
    }
}

} // namespace korvane::sim
