#include "stored_files.h"

#include "survey_csv.h"

#include "common/com_date.h"
#include "common/stored_file_layout.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace sondrel::client {
namespace {

constexpr const char* IndexName = "files";
constexpr const char* IndexExtension = ".csv";
constexpr const char* ContentExtension = ".bin";

// A date or time no calendar holds shows as its number.
std::string dateText(ComDate date) {
    const auto f = civilOf(date);
    if (!f) return std::to_string(date.value);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", f->year, f->month, f->day);
    return text;
}

std::string timeText(ComDate time) {
    const auto f = civilOf(time);
    if (!f) return std::to_string(time.value);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", f->hour, f->minute, f->second);
    return text;
}

bool carriedOut(HResult hr, std::int16_t result) {
    return !failed(hr) && result == 1;
}

// "stem.ext" in the folder, or "stem-2.ext", "stem-3.ext", ...: the first name
// no file has yet.
std::string freeName(const std::filesystem::path& folder, const std::string& stem,
                     const std::string& extension) {
    std::string name = stem + extension;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(folder / name, error) || error; ++n) {
        if (error) throw StoredFilesFolder::WriteError("cannot look into " + folder.string());
        name = stem + "-" + std::to_string(n) + extension;
    }
    return name;
}

void writeWhole(const std::filesystem::path& path, const char* data, std::size_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data, static_cast<std::streamsize>(size));
    if (!file.flush()) throw StoredFilesFolder::WriteError("cannot write " + path.string());
}

} // namespace

HeaderForm headerFormOfModel(std::string_view model) {
    return !model.empty() && model.back() == 'Q' ? HeaderForm::Long : HeaderForm::Short;
}

std::string kindsText(const StoredFileEntry& entry) {
    std::string text;
    for (const std::string& kind : entry.kinds)
        text += (text.empty() ? "" : " ") + kind;
    return text;
}

StoredFileEntry entryOfHead(int number, const FileHead& head) {
    StoredFileEntry entry{
        number, head.FileName,       dateText(head.FileDate), timeText(head.FileTime),
        {},     head.FileBaseChannel};
    entry.name.erase(entry.name.find_last_not_of('\0') + 1);
    for (const auto& flag : stored_files::fileInfoFlags())
        if (head.*flag.field) entry.kinds.emplace_back(flag.name);
    return entry;
}

StoredFileList listStoredFiles(_KorvaneConnection& meter, HeaderForm form,
                               const StepProgress& progress) {
    const bool longForm = form == HeaderForm::Long;
    StoredFileList list;
    std::uint8_t count = 0;
    std::int16_t result = 0;
    const HResult counted =
        longForm ? meter.ReadFileCountDigi(&count, &result) : meter.ReadFileCount(&count, &result);
    if (!carriedOut(counted, result)) {
        list.failedMember = longForm ? "ReadFileCountDigi" : "ReadFileCount";
        return list;
    }
    list.count = count;
    for (int number = 1; number <= list.count; ++number) {
        if (progress && !progress(list.files.size(), static_cast<std::size_t>(list.count))) {
            list.stopped = true;
            return list;
        }
        auto index = static_cast<std::uint8_t>(number);
        FileHead head;
        result = 0;
        const HResult read = longForm ? meter.ReadFileHeadDigi(&index, &head, &result)
                                      : meter.ReadFileHead(&index, &head, &result);
        if (!carriedOut(read, result)) {
            list.failedMember = longForm ? "ReadFileHeadDigi" : "ReadFileHead";
            return list;
        }
        list.files.push_back(entryOfHead(number, head));
    }
    if (progress) progress(list.files.size(), static_cast<std::size_t>(list.count));
    return list;
}

std::optional<std::vector<std::uint8_t>> readStoredFile(_KorvaneConnection& meter, int number) {
    if (number < 1 || number > 255) return std::nullopt; // not a number the meter can name
    SafeArray<std::uint8_t> content;
    auto file = static_cast<std::uint8_t>(number);
    std::int16_t result = 0;
    const HResult hr = meter.ReadFileContent(&content, &file, &result);
    if (!carriedOut(hr, result)) return std::nullopt;
    return std::move(content.items);
}

bool deleteStoredFile(_KorvaneConnection& meter, int number) {
    if (number < 1 || number > 255) return false;
    auto file = static_cast<std::uint8_t>(number);
    std::int16_t result = 0;
    const HResult hr = meter.DeleteFile(&file, &result);
    return carriedOut(hr, result);
}

std::string safeFileName(const StoredFileEntry& entry) {
    char number[8];
    std::snprintf(number, sizeof number, "%03d", entry.number);
    std::string name = std::string(number) + "-";
    for (const char c : entry.name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        name += plain ? c : '_';
    }
    if (entry.name.empty()) name += "file";
    return name + ContentExtension;
}

StoredFilesFolder::StoredFilesFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder_, error))
        throw WriteError("no folder " + folder_.string());
}

std::filesystem::path StoredFilesFolder::indexPath() const {
    return index_.empty() ? std::filesystem::path() : folder_ / index_;
}

const StoredFilesFolder::Written& StoredFilesFolder::add(const StoredFileEntry& entry,
                                                         const std::vector<std::uint8_t>& content) {
    const std::string safe = safeFileName(entry);
    const std::string stem =
        safe.substr(0, safe.size() - std::string_view(ContentExtension).size());
    const std::string name = freeName(folder_, stem, ContentExtension);
    writeWhole(folder_ / name, reinterpret_cast<const char*>(content.data()), content.size());
    written_.push_back({entry, content.size(), name});
    if (index_.empty()) index_ = freeName(folder_, IndexName, IndexExtension);
    const std::string index = storedFilesIndexCsv(written_);
    writeWhole(folder_ / index_, index.data(), index.size());
    return written_.back();
}

std::string storedFilesIndexCsv(const std::vector<StoredFilesFolder::Written>& written) {
    std::string text = "Number,Name,Date,Time,Kinds,Plan,Bytes,File\n";
    for (const auto& w : written) {
        const StoredFileEntry& e = w.entry;
        text += std::to_string(e.number) + ',' + csvField(e.name) + ',' + csvField(e.date) + ',' +
                csvField(e.time) + ',' + csvField(kindsText(e)) + ',' + csvField(e.plan) + ',' +
                std::to_string(w.bytes) + ',' + csvField(w.file) + '\n';
    }
    return text;
}

StoredFilesCopy copyStoredFiles(
    _KorvaneConnection& meter, const std::vector<StoredFileEntry>& files, StoredFilesFolder& folder,
    const StepProgress& progress,
    const std::function<void(const StoredFileEntry&, const std::vector<std::uint8_t>&)>& eachRead) {
    StoredFilesCopy copy;
    for (const StoredFileEntry& entry : files) {
        if (progress && !progress(copy.completed, files.size())) {
            copy.stopped = true;
            return copy;
        }
        const auto content = readStoredFile(meter, entry.number);
        if (!content) {
            copy.failedMember = "ReadFileContent";
            copy.failedNumber = entry.number;
            return copy;
        }
        if (eachRead) eachRead(entry, *content);
        try {
            folder.add(entry, *content);
        } catch (const StoredFilesFolder::WriteError& e) {
            copy.writeError = e.what();
            return copy;
        }
        ++copy.completed;
    }
    if (progress) progress(copy.completed, files.size());
    return copy;
}

} // namespace sondrel::client
