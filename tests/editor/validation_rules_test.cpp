// The check rules on their own; the widgets' side is in validation_grid_test.
#include "plan_file_encoding.h"
#include "validation_rules.h"

#include <gtest/gtest.h>

namespace plandex {
namespace {

const sondrel::CodePage gbk = ansiCodePageFor(0);
const sondrel::CodePage western = ansiCodePageFor(500);

TEST(StdChCheck, AcceptsOneToThreeSingleByteCharacters) {
    for (const char* name : {"A", "AB1", "999", "é1"})
        EXPECT_EQ(checkStdCh(QString::fromUtf8(name), western), std::nullopt) << name;
    EXPECT_EQ(checkStdCh("AB1", gbk), std::nullopt);
}

TEST(StdChCheck, RefusesWrongLengths) {
    EXPECT_EQ(checkStdCh("", western), CheckText::StdChLength);
    EXPECT_EQ(checkStdCh("ABCD", western), CheckText::StdChLength);
}

TEST(StdChCheck, RefusesCharactersWithoutAOneByteCode) {
    const QString chinese = QString::fromUtf8("频");
    EXPECT_EQ(checkStdCh(chinese, gbk), CheckText::StdChCharacters) << "two bytes in GBK";
    EXPECT_EQ(checkStdCh(chinese, western), CheckText::StdChCharacters) << "none in 1252";
    EXPECT_EQ(checkStdCh(QString::fromUtf8("Aé"), gbk), CheckText::StdChCharacters)
        << "two bytes in GBK";
    EXPECT_EQ(checkStdCh(QString::fromUtf8("ÿ"), western), CheckText::StdChCharacters)
        << "code 255";
    EXPECT_EQ(checkStdCh(QString(QChar(0)), western), CheckText::StdChCharacters) << "code 0";
}

TEST(TypeCheck, OnlyExactTvOrDigi) {
    EXPECT_TRUE(isValidType("TV"));
    EXPECT_TRUE(isValidType("DIGI"));
    for (const char* type : {"tv", "Digi", "TV ", "", "DUAL"})
        EXPECT_FALSE(isValidType(type)) << type;
}

TEST(FrequencyCheck, BandEndsBelongToTheBand) {
    EXPECT_EQ(checkFrequency(46, 0), std::nullopt);
    EXPECT_EQ(checkFrequency(1000, 0), std::nullopt);
    EXPECT_EQ(checkFrequency(45.99f, 0), CheckText::FreqRange);
    EXPECT_EQ(checkFrequency(1000.01f, 0), CheckText::FreqRange);
}

TEST(FrequencyCheck, HalfOfAudio1MustStayInTheBand) {
    EXPECT_EQ(checkFrequency(49.25f, 6.5f), std::nullopt) << "exactly 46";
    EXPECT_EQ(checkFrequency(48, 6.5f), CheckText::FreqAgainstAudio1);
    EXPECT_EQ(checkFrequency(996.75f, 6.5f), std::nullopt) << "exactly 1000";
    EXPECT_EQ(checkFrequency(997, 6.5f), CheckText::FreqAgainstAudio1);
    EXPECT_EQ(checkFrequency(46, 4.5f), CheckText::FreqAgainstAudio1);
}

TEST(FrequencyCheck, SumsAreRoundedToSinglePrecision) {
    // 46.01f - 0.02f / 2 is 45.9999983 in double precision but 46 in single.
    EXPECT_EQ(checkFrequency(46.01f, 0.02f), std::nullopt);
    EXPECT_EQ(checkFrequency(999.99f, 0.02f), std::nullopt);
}

HeaderTexts header(std::initializer_list<std::pair<int, QString>> fields) {
    HeaderTexts texts;
    for (const auto& [index, text] : fields)
        texts[index] = text;
    return texts;
}

TEST(HeaderCheck, FavouritesAreWholeNumbersUpTo250) {
    EXPECT_EQ(checkHeaderFields(header({{0, "250"}, {6, "0"}}), 0), std::nullopt);
    EXPECT_EQ(checkHeaderFields(header({{0, "2501"}}), 0),
              (HeaderFieldFailure{0, CheckText::FavouriteId}));
    EXPECT_EQ(checkHeaderFields(header({{5, "12a"}}), 5),
              (HeaderFieldFailure{5, CheckText::FavouriteId}));
    EXPECT_EQ(checkHeaderFields(header({{3, "-1"}}), 3),
              (HeaderFieldFailure{3, CheckText::FavouriteId}));
    EXPECT_EQ(checkHeaderFields(header({{1, " 1"}}), 1),
              (HeaderFieldFailure{1, CheckText::FavouriteId}));
}

TEST(HeaderCheck, EveryChangeChecksAllFavouritesInOrder) {
    const HeaderTexts texts = header({{2, "x"}, {6, "999"}, {4, "1"}});
    // Whatever changed, the first failing favourite is reported first...
    EXPECT_EQ(checkHeaderFields(texts, 4), (HeaderFieldFailure{2, CheckText::FavouriteId}));
    // ...and once it is cleared, the next one.
    HeaderTexts cleared = texts;
    cleared[2].clear();
    EXPECT_EQ(checkHeaderFields(cleared, 2), (HeaderFieldFailure{6, CheckText::FavouriteId}));
    cleared[6].clear();
    EXPECT_EQ(checkHeaderFields(cleared, 6), std::nullopt) << "span only when it changed";
    EXPECT_EQ(checkHeaderFields(cleared, 4), (HeaderFieldFailure{4, CheckText::Span}));
}

TEST(HeaderCheck, SpanKeystrokes) {
    for (const char* typed : {"8", "8.", "8.5", "4", "9.9", ""})
        EXPECT_EQ(checkHeaderFields(header({{4, typed}}), 4), std::nullopt) << typed;
    EXPECT_EQ(checkHeaderFields(header({{4, "1"}}), 4), (HeaderFieldFailure{4, CheckText::Span}));
    EXPECT_EQ(checkHeaderFields(header({{4, "10"}}), 4), (HeaderFieldFailure{4, CheckText::Span}));
    EXPECT_EQ(checkHeaderFields(header({{4, "8,5"}}), 4), (HeaderFieldFailure{4, std::nullopt}))
        << "cleared without a message";
}

} // namespace
} // namespace plandex
