// The measurement files the meter keeps: counting them, reading the header or
// the whole content of one, deleting one. Contents pass through unread.
#include "KorvaneConnection.h"
#include "common/command_codes.h"

#include "common/com_date.h"
#include "common/option_texts.h"
#include "common/stored_file_layout.h"
#include "last_failure.h"
#include "platform/codepage.h"
#include "platform/system_language.h"
#include "stored_files_dates.h"

#include <algorithm>

namespace sondrel {
namespace {

using namespace stored_files;

constexpr std::uint8_t DeleteReplyLength = 6;

// The bytes as one text through the system's code page, so a character of two
// bytes (GBK) stays whole; zero bytes are characters too.
std::string textOf(std::span<const std::uint8_t> bytes) {
    return CodePage::system().decode(std::string(bytes.begin(), bytes.end()));
}

// A date or time text ends at its first zero byte, as the meter pads it.
std::string dateTextOf(std::span<const std::uint8_t> bytes) {
    return textOf(bytes.first(std::find(bytes.begin(), bytes.end(), 0) - bytes.begin()));
}

// An unreadable date or time is no failure: today's date or the time now stands in.
ComDate fileDateOf(std::span<const std::uint8_t> text) {
    return readDateText(dateTextOf(text), systemDefaultLanguageId()).value_or(todayLocal());
}
ComDate fileTimeOf(std::span<const std::uint8_t> text) {
    return readDateText(dateTextOf(text), systemDefaultLanguageId()).value_or(timeOfDayLocal());
}

enum class LaterPages {
    Checked,   // a page that fails ends the transfer
    AsTheyCome // a page that fails repeats the reply before it
};

// A paged transfer: the first request names what to send, each bare request
// after it fetches the next page. The pages in order, 64 bytes each; nullopt
// when the first reply failed or announced no pages, or a checked page failed.
std::optional<Bytes> readPages(FrameExchange& wire, std::uint8_t command, std::uint8_t what,
                               LaterPages later) {
    const std::uint8_t params[] = {what};
    Reply reply;
    if (wire.Exchange(PagedReplyLength, commandBuffer(command, params), reply) == 0)
        return std::nullopt;
    const std::size_t pageCount = reply.byte(PageCountPos);
    if (pageCount == 0) return std::nullopt;
    Bytes pages;
    pages.reserve(pageCount * PageSize);
    const auto keepPage = [&] {
        const auto page = reply.slice(PageDataPos, PageSize);
        pages.insert(pages.end(), page.begin(), page.end());
    };
    keepPage();
    const Bytes next = commandBuffer(command);
    for (std::size_t page = 2; page <= pageCount; ++page) {
        const std::int16_t got = wire.Exchange(PagedReplyLength, next, reply);
        if (got == 0 && later == LaterPages::Checked) return std::nullopt;
        keepPage();
    }
    return pages;
}

} // namespace

HResult KorvaneConnection::DeleteFile(std::uint8_t* filenum, std::int16_t* result) {
    const MemberCall call(*this);
    if (!filenum || !result) return E_Pointer;
    const std::uint8_t params[] = {*filenum};
    Reply reply;
    *result = wire().Exchange(DeleteReplyLength, commandBuffer(CmdDeleteFile, params), reply);
    return S_Ok;
}

HResult KorvaneConnection::ReadFileHead(std::uint8_t* FileIndexNum, FileHead* head,
                                        std::int16_t* result) {
    const MemberCall call(*this);
    if (!FileIndexNum || !head || !result) return E_Pointer;
    *result = 0;
    const std::uint8_t params[] = {*FileIndexNum};
    Reply reply;
    if (wire().Exchange(ShortHeaderLength, commandBuffer(CmdReadFileHead, params), reply) == 0)
        return S_Ok;
    try {
        // The short form names no file, plan or contents: those stay empty.
        FileHead read;
        read.FileDate = fileDateOf(reply.slice(ShortDatePos, ShortDateLength));
        read.FileTime = fileTimeOf(reply.slice(ShortTimePos, TimeLength));
        *head = std::move(read);
        *result = 1;
    } catch (const std::exception&) {
    }
    return S_Ok;
}

HResult KorvaneConnection::ReadFileHeadDigi(std::uint8_t* FileIndexNum, FileHead* head,
                                            std::int16_t* result) {
    const MemberCall call(*this);
    if (!FileIndexNum || !head || !result) return E_Pointer;
    *result = 0;
    const std::uint8_t params[] = {*FileIndexNum};
    Reply reply;
    if (wire().Exchange(LongHeaderLength, commandBuffer(CmdReadFileHead, params), reply) == 0)
        return S_Ok;
    try {
        FileHead read;
        read.FileName = textOf(reply.slice(LongNamePos, NameLength));
        read.FileDate = fileDateOf(reply.slice(LongDatePos, LongDateLength));
        read.FileTime = fileTimeOf(reply.slice(LongTimePos, TimeLength));
        read.FileBaseChannel = PlanLetters.textOf(reply.byte(LongBasePlanPos)).value_or("");
        const std::uint8_t flags = reply.byte(LongFlagsPos);
        for (const FileInfoFlag& flag : fileInfoFlags())
            read.*flag.field = (flags & flag.mask) ? VariantTrue : VariantFalse;
        *head = std::move(read);
        *result = 1;
    } catch (const std::exception&) {
    }
    return S_Ok;
}

HResult KorvaneConnection::ReadFileCount(std::uint8_t* FileCount, std::int16_t* result) {
    const MemberCall call(*this);
    if (!FileCount || !result) return E_Pointer;
    *result = 0;
    try {
        // All pages are fetched although only the count on the last one is kept.
        const auto pages = readPages(wire(), CmdReadDirectory, 0, LaterPages::AsTheyCome);
        if (!pages) return S_Ok;
        *FileCount = (*pages)[pages->size() - PageSize + DirectoryCountOffset];
        *result = 1;
        clearLastFailure(); // a later page that failed is no failure of this member
    } catch (const std::exception&) {
    }
    return S_Ok;
}

HResult KorvaneConnection::ReadFileCountDigi(std::uint8_t* FileCount, std::int16_t* result) {
    const MemberCall call(*this);
    if (!FileCount || !result) return E_Pointer;
    *result = 0;
    Reply reply;
    if (wire().Exchange(CountReplyLength, commandBuffer(CmdReadDirectory), reply) == 0) return S_Ok;
    const std::uint16_t count = reply.u16be(CountPos);
    if (count > 255) return S_Ok;
    *FileCount = static_cast<std::uint8_t>(count);
    *result = 1;
    return S_Ok;
}

HResult KorvaneConnection::ReadFileContent(SafeArray<std::uint8_t>* FileContent,
                                           std::uint8_t* filenum, std::int16_t* result) {
    const MemberCall call(*this);
    if (!FileContent || !filenum || !result) return E_Pointer;
    *result = 0;
    try {
        auto pages = readPages(wire(), CmdReadFileContent, *filenum, LaterPages::Checked);
        if (!pages) return S_Ok;
        FileContent->lowerBound = 0;
        FileContent->items = std::move(*pages);
        *result = 1;
    } catch (const std::exception&) {
    }
    return S_Ok;
}

HResult KorvaneConnection::ReadFileContentDigi(SafeArray<std::uint8_t>* FileContent,
                                               std::uint8_t* filenum, std::int16_t* result) {
    const MemberCall call(*this);
    return ReadFileContent(FileContent, filenum, result);
}

} // namespace sondrel
