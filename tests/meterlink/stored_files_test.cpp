// The stored measurement files against the simulated meter over a
// pseudo-terminal: frames, both header forms, paged directory and content
// transfers, deleting, and what each read leaves behind when it fails.
#include "common/com_date.h"
#include "simulated_meter.h"

using namespace korvane::testing;
using korvane::sim::HeaderForm;
using korvane::sim::MeterState;
using korvane::sim::ReceivedFrame;
using korvane::sim::StoredFile;
using sondrel::Bytes;
using sondrel::FileHead;
using sondrel::VariantFalse;
using sondrel::VariantTrue;

namespace {

double dateOf(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0) {
    return sondrel::comDateOf({y, m, d, hh, mm, ss})->value;
}

// A header record with something in every field, to see what a read replaces.
FileHead filledHead() {
    FileHead head;
    head.FileName = "old";
    head.FileDate = sondrel::ComDate{1};
    head.FileTime = sondrel::ComDate{0.5};
    head.FileBaseChannel = "E";
    head.FileInfoTilt = VariantTrue;
    head.FileInfoQAM = VariantTrue;
    return head;
}

} // namespace

class StoredFilesTest : public SimulatedMeterTest {
  protected:
    // Answers 0x2A with this reply data from position 5.
    void scriptHeader(std::size_t length, Bytes data) {
        meter().setHandler(0x2A, [=](const ReceivedFrame&) -> std::optional<Bytes> {
            return korvane::sim::makeReply(0x2A, length, data);
        });
    }
    std::vector<StoredFile> files() {
        return meter().withState([](MeterState& s) { return s.files.files; });
    }
};

TEST_F(StoredFilesTest, DeleteSendsTheFileNumberAndTheFilesAfterItMoveUp) {
    std::uint8_t number = 3;
    std::int16_t result = 0;
    link().DeleteFile(&number, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(number, 3);
    EXPECT_EQ(framesToMeterHex(), std::vector<std::string>{"55 AA 01 07 29 03 CD"});
    ASSERT_EQ(files().size(), 3u);
    EXPECT_EQ(files()[2].name, "QAM");

    number = 9; // the meter has no ninth file and does not answer
    link().DeleteFile(&number, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(files().size(), 3u);
}

TEST_F(StoredFilesTest, AShortHeaderGivesDateAndTimeAndEmptiesTheRest) {
    meter().withState([](MeterState& s) { s.files.headerForm = HeaderForm::Short; });
    std::uint8_t index = 1;
    FileHead head = filledHead();
    std::int16_t result = 0;
    link().ReadFileHead(&index, &head, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(framesToMeterHex(), std::vector<std::string>{"55 AA 01 07 2A 01 CE"});
    EXPECT_DOUBLE_EQ(head.FileDate.value, dateOf(2009, 8, 25)) << "08/25/09";
    EXPECT_DOUBLE_EQ(head.FileTime.value, dateOf(1899, 12, 30, 13, 45, 30)) << "13:45:30";
    FileHead rest = head;
    rest.FileDate = rest.FileTime = {};
    EXPECT_EQ(rest, FileHead{}) << "name, plan and flags are cleared";

    // The same header asked for in the long form never comes in full.
    head = filledHead();
    link().ReadFileHeadDigi(&index, &head, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(head, filledHead());
    EXPECT_EQ(framesToMeterHex().back(), "55 AA 01 07 2A 01 CE");
}

TEST_F(StoredFilesTest, UnreadableHeaderDatesBecomeTodayAndTheTimeNow) {
    Bytes data(20, 0);
    const std::string text = "NOTADATEno:ti:me";
    std::copy(text.begin(), text.end(), data.begin() + 2);
    scriptHeader(26, data);
    const double before = sondrel::todayLocal().value;
    const double timeBefore = sondrel::timeOfDayLocal().value;
    std::uint8_t index = 2;
    FileHead head = filledHead();
    std::int16_t result = 0;
    link().ReadFileHead(&index, &head, &result);
    EXPECT_EQ(result, 1);
    if (sondrel::todayLocal().value != before) GTEST_SKIP() << "midnight passed during the read";
    EXPECT_GE(head.FileDate.value, before);
    EXPECT_LE(head.FileDate.value, sondrel::todayLocal().value);
    EXPECT_NEAR(head.FileTime.value, timeBefore, 5.0 / 86400) << "within seconds of now";
    EXPECT_LT(head.FileTime.value, 1.0) << "a time of day alone";
}

TEST_F(StoredFilesTest, ALongHeaderGivesNameFlagsAndBasePlan) {
    std::uint8_t index = 1;
    FileHead head = filledHead();
    std::int16_t result = 0;
    link().ReadFileHeadDigi(&index, &head, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(head.FileName, "LEVEL1");
    EXPECT_DOUBLE_EQ(head.FileDate.value, dateOf(2009, 8, 25));
    EXPECT_DOUBLE_EQ(head.FileTime.value, dateOf(1899, 12, 30, 13, 45, 30));
    EXPECT_EQ(head.FileBaseChannel, "A");
    // Flags 0x90: level and limits test only.
    EXPECT_EQ(head.FileInfoLevel, VariantTrue);
    EXPECT_EQ(head.FileInfoLimitsTest, VariantTrue);
    for (auto flag : {head.FileInfoTilt, head.FileInfoSpect, head.FileInfoScan, head.FileInfo24Hour,
                      head.FileInfoQAM})
        EXPECT_EQ(flag, VariantFalse);

    index = 3; // "TILT": the name's zero bytes are characters too
    link().ReadFileHeadDigi(&index, &head, &result);
    EXPECT_EQ(head.FileName, std::string("TILT\0\0", 6));
    EXPECT_EQ(head.FileBaseChannel, "C");
    EXPECT_EQ(head.FileInfoTilt, VariantTrue);
    EXPECT_EQ(head.FileInfoLevel, VariantFalse);
}

TEST_F(StoredFilesTest, ANameDecodesAsAWholeTextInTheSystemsCodePage) {
    const char* lang = std::getenv("LANG");
    const std::string previous = lang ? lang : "";
    ::setenv("LANG", "zh_CN.UTF-8", 1);
    Bytes data(53, 0);
    const Bytes name = {0xC6, 0xB5, 0xB5, 0xC0, 0, 0}; // 频道 in GBK
    std::copy(name.begin(), name.end(), data.begin());
    const std::string date = "2009-08-25", time = "13:45:30";
    std::copy(date.begin(), date.end(), data.begin() + 6);
    std::copy(time.begin(), time.end(), data.begin() + 16);
    scriptHeader(59, data);
    std::uint8_t index = 1;
    FileHead head;
    std::int16_t result = 0;
    link().ReadFileHeadDigi(&index, &head, &result);
    lang ? ::setenv("LANG", previous.c_str(), 1) : ::unsetenv("LANG");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(head.FileName, std::string("频道\0\0", 8));
}

TEST_F(StoredFilesTest, DateAndTimeTextsEndAtTheirFirstZeroByte) {
    // The same texts padded with zero bytes read as they do padded with spaces.
    for (char pad : {' ', '\0'}) {
        Bytes data(53, 0);
        const std::string date = std::string("2009-8-25") + pad, time = std::string("9:05") + pad;
        std::copy(date.begin(), date.end(), data.begin() + 6);
        std::copy(time.begin(), time.end(), data.begin() + 16);
        std::fill(data.begin() + 16 + 5, data.begin() + 24, pad);
        scriptHeader(59, data);
        std::uint8_t index = 1;
        FileHead head;
        std::int16_t result = 0;
        link().ReadFileHeadDigi(&index, &head, &result);
        EXPECT_EQ(result, 1);
        EXPECT_DOUBLE_EQ(head.FileDate.value, dateOf(2009, 8, 25)) << int(pad);
        EXPECT_DOUBLE_EQ(head.FileTime.value, dateOf(1899, 12, 30, 9, 5, 0)) << int(pad);
    }
}

TEST_F(StoredFilesTest, ABasePlanCodeBeyondTheLettersLeavesThePlanEmpty) {
    Bytes data(53, 0);
    const std::string text = "ABCDEF2009-08-2513:45:30";
    std::copy(text.begin(), text.end(), data.begin());
    data[29 - 5] = 0xFE; // every flag
    data[30 - 5] = 7;
    scriptHeader(59, data);
    std::uint8_t index = 1;
    FileHead head = filledHead();
    std::int16_t result = 0;
    link().ReadFileHeadDigi(&index, &head, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(head.FileName, "ABCDEF");
    EXPECT_EQ(head.FileBaseChannel, "");
    for (auto flag : {head.FileInfoLevel, head.FileInfoLimitsTest, head.FileInfoTilt,
                      head.FileInfoSpect, head.FileInfoScan, head.FileInfo24Hour, head.FileInfoQAM})
        EXPECT_EQ(flag, VariantTrue);
}

TEST_F(StoredFilesTest, TheFileCountReadsEveryDirectoryPageEvenOneThatFailed) {
    meter().withState([](MeterState& s) {
        while (s.files.files.size() < 13)
            s.files.files.push_back(s.files.files.front());
    });
    // Page 2 arrives damaged: directory pages after the first are not checked.
    meter().faults().add(korvane::sim::parseFaultRule("6A:badsum,after=1,times=1"));
    std::uint8_t count = 0;
    std::int16_t result = 0;
    link().ReadFileCount(&count, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(count, 13);
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 07 6A 00 8F", "55 AA 01 06 6A 90",
                                        "55 AA 01 06 6A 90"}));
}

TEST_F(StoredFilesTest, TheLongFormCountIsOneSixteenBitNumber) {
    std::uint8_t count = 0;
    std::int16_t result = 0;
    link().ReadFileCountDigi(&count, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(framesToMeterHex(), std::vector<std::string>{"55 AA 01 06 6A 90"});

    auto scriptCount = [this](std::uint8_t high, std::uint8_t low) {
        meter().setHandler(0x6A, [=](const ReceivedFrame&) -> std::optional<Bytes> {
            return korvane::sim::makeReply(0x6A, 8, Bytes{high, low});
        });
    };
    scriptCount(0, 12);
    link().ReadFileCountDigi(&count, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(count, 12);
    scriptCount(1, 0);
    link().ReadFileCountDigi(&count, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(count, 12) << "a count above 255 is not written";
}

TEST_F(StoredFilesTest, ContentArrivesPageByPageAsOneArray) {
    const Bytes stored = files()[1].content; // SCAN01: 256 bytes, four pages
    ASSERT_EQ(stored.size(), 256u);
    sondrel::SafeArray<std::uint8_t> content;
    content.lowerBound = 1;
    std::uint8_t number = 2;
    std::int16_t result = 0;
    link().ReadFileContent(&content, &number, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(content.lowerBound, 0);
    EXPECT_EQ(content.items, stored);
    EXPECT_EQ(framesToMeterHex(),
              (std::vector<std::string>{"55 AA 01 07 6B 02 8C", "55 AA 01 06 6B 8F",
                                        "55 AA 01 06 6B 8F", "55 AA 01 06 6B 8F"}));

    // The third file (6 records, 40 bytes) ends with its last page padded.
    number = 3;
    link().ReadFileContentDigi(&content, &number, &result);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(content.size(), 64u);
    const Bytes third = files()[2].content;
    EXPECT_TRUE(std::equal(third.begin(), third.end(), content.items.begin()));
    EXPECT_TRUE(std::all_of(content.items.begin() + 40, content.items.end(),
                            [](std::uint8_t b) { return b == 0; }));
}

TEST_F(StoredFilesTest, AContentReadWithALostPageOrNoPagesLeavesTheArray) {
    meter().faults().add(korvane::sim::parseFaultRule("6B:noreply,after=2,times=1"));
    sondrel::SafeArray<std::uint8_t> content;
    content.items = {9, 9};
    std::uint8_t number = 2;
    std::int16_t result = 1;
    link().ReadFileContent(&content, &number, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(content.items, (Bytes{9, 9}));
    EXPECT_EQ(framesToMeterHex().size(), 3u) << "the read stops at the lost page";

    number = 9; // no such file: the meter announces no pages
    link().ReadFileContent(&content, &number, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(content.items, (Bytes{9, 9}));
}

TEST(StoredFilesMemory, TheStateFileKeepsFilesAndHeaderFormButNoTransfer) {
    korvane::sim::StoredFilesMemory memory;
    memory.headerForm = HeaderForm::Short;
    memory.files[1].content = {0, 255, 7};
    memory.transfer = korvane::sim::PagedTransfer{0x6B, Bytes(64, 1), 0};
    const nlohmann::json saved = memory;
    korvane::sim::StoredFilesMemory loaded;
    loaded.files.clear();
    saved.get_to(loaded);
    EXPECT_EQ(loaded.headerForm, HeaderForm::Short);
    ASSERT_EQ(loaded.files.size(), memory.files.size());
    for (std::size_t i = 0; i < loaded.files.size(); ++i) {
        EXPECT_EQ(loaded.files[i].name, memory.files[i].name);
        EXPECT_EQ(loaded.files[i].stored, memory.files[i].stored);
        EXPECT_EQ(loaded.files[i].flags, memory.files[i].flags);
        EXPECT_EQ(loaded.files[i].basePlan, memory.files[i].basePlan);
        EXPECT_EQ(loaded.files[i].content, memory.files[i].content);
    }
    EXPECT_FALSE(loaded.transfer);
}
