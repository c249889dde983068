// Stored measurement file commands: delete (0x29), header (0x2A), directory
// pages or file count (0x6A) and content pages (0x6B).
#include "common/command_codes.h"
#include "handlers.h"

#include "common/stored_file_layout.h"

#include <algorithm>
#include <cstdio>

namespace korvane::sim {

using namespace sondrel::command_codes;
namespace {

using sondrel::Bytes;
using namespace sondrel::stored_files;

constexpr std::size_t AckLength = 6;

// Reply data starts at reply position 5; positions below are reply positions.
constexpr std::size_t DataStart = 5;

Bytes replyData(std::size_t replyLength) {
    return Bytes(replyLength - sondrel::FrameOverhead, 0);
}

void putText(Bytes& data, std::size_t pos, const std::string& text) {
    std::copy(text.begin(), text.end(),
              data.begin() + static_cast<std::ptrdiff_t>(pos - DataStart));
}

std::string twoDigits(int a, int b, int c, char separator) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", a % 100, separator, b % 100, separator,
                  c % 100);
    return text;
}

Bytes headerReply(const StoredFile& f, HeaderForm form) {
    const auto& s = f.stored;
    const std::string time = twoDigits(s.hour, s.minute, s.second, ':');
    if (form == HeaderForm::Short) {
        Bytes data = replyData(ShortHeaderLength);
        putText(data, ShortDatePos, twoDigits(s.month, s.day, s.year, '/'));
        putText(data, ShortTimePos, time);
        return makeReply(CmdReadFileHead, ShortHeaderLength, data);
    }
    Bytes data = replyData(LongHeaderLength);
    putText(data, LongNamePos, f.name.substr(0, NameLength));
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", s.year % 10000, s.month % 100, s.day % 100);
    putText(data, LongDatePos, date);
    putText(data, LongTimePos, time);
    data[LongFlagsPos - DataStart] = f.flags;
    data[LongBasePlanPos - DataStart] = f.basePlan;
    return makeReply(CmdReadFileHead, LongHeaderLength, data);
}

// The next page of the transfer, or nothing when none is under way.
std::optional<Bytes> nextPage(std::optional<PagedTransfer>& transfer) {
    if (!transfer || transfer->next >= std::max<std::size_t>(transfer->count(), 1))
        return std::nullopt;
    Bytes data = replyData(PagedReplyLength);
    data[PageCountPos - DataStart] = static_cast<std::uint8_t>(transfer->count());
    data[PageNumberPos - DataStart] = static_cast<std::uint8_t>(transfer->next + 1);
    if (transfer->next < transfer->count())
        std::copy_n(transfer->pages.begin() +
                        static_cast<std::ptrdiff_t>(transfer->next * PageSize),
                    PageSize, data.begin() + static_cast<std::ptrdiff_t>(PageDataPos - DataStart));
    const std::uint8_t command = transfer->command;
    if (++transfer->next >= transfer->count()) transfer.reset();
    return makeReply(command, PagedReplyLength, data);
}

void startTransfer(std::optional<PagedTransfer>& transfer, std::uint8_t command, Bytes pages) {
    pages.resize((pages.size() + PageSize - 1) / PageSize * PageSize, 0);
    transfer = PagedTransfer{command, std::move(pages), 0};
}

} // namespace

void registerStoredFileCommands(CommandTable& table, MeterState& state) {
    auto& memory = state.files;
    table.on(CmdDeleteFile, [&memory](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (f.params().empty() || !memory.file(f.params()[0])) return std::nullopt;
        memory.files.erase(memory.files.begin() + (f.params()[0] - 1));
        return makeReply(CmdDeleteFile, AckLength);
    });
    table.on(CmdReadFileHead, [&memory](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (f.params().empty()) return std::nullopt;
        const StoredFile* file = memory.file(f.params()[0]);
        if (!file) return std::nullopt;
        return headerReply(*file, memory.headerForm);
    });
    table.on(CmdReadDirectory, [&memory](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!f.params().empty()) {
            startTransfer(memory.transfer, CmdReadDirectory, memory.directoryPages());
            return nextPage(memory.transfer);
        }
        if (memory.transfer && memory.transfer->command == CmdReadDirectory)
            return nextPage(memory.transfer);
        const auto count = static_cast<std::uint16_t>(memory.files.size());
        const std::uint8_t data[] = {static_cast<std::uint8_t>(count >> 8),
                                     static_cast<std::uint8_t>(count & 0xFF)};
        return makeReply(CmdReadDirectory, CountReplyLength, data);
    });
    table.on(CmdReadFileContent, [&memory](const ReceivedFrame& f) -> std::optional<Bytes> {
        if (!f.params().empty()) {
            const StoredFile* file = memory.file(f.params()[0]);
            startTransfer(memory.transfer, CmdReadFileContent, file ? file->content : Bytes{});
            return nextPage(memory.transfer);
        }
        if (memory.transfer && memory.transfer->command == CmdReadFileContent)
            return nextPage(memory.transfer);
        return std::nullopt;
    });
}

} // namespace korvane::sim
