// The plan text format on its own: layout, reading rules and code pages.
#include "plan_file_encoding.h"
#include "plan_file_format.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace plandex {
namespace {

std::vector<PlanFileFooterLine> englishFooter() {
    return {{"1st Favorite CH  ID*", "1"},
            {"2nd Favorite CH  ID*", "2"},
            {"3rd Favorite CH ID*", "0"},
            {"4th Favorite CH  ID*", "0"},
            {"5th Favorite CH  ID*", "0"},
            {"6th Favorite CH  ID*", "0"},
            {"Unit*", "dBuV"},
            {"*Span", "8"}};
}

TEST(PlanFileFormat, WritesTheDocumentedLayout) {
    const std::vector<PlanRow> rows{{1, "S1", "TV", 55.25, 6.5}, {2, "S2", "DIGI", 474, 8}};
    const QString expected = "  CH No\r\n"
                             "ID\tCHName\tTYPE\tFREQ\tAUDIO\t\r\n"
                             "1\tS1\tTV\t55.25\t6.5\t\r\n"
                             "2\tS2\tDIGI\t474\t8\t\r\n"
                             "1st Favorite CH  ID*\t1\r\n"
                             "2nd Favorite CH  ID*\t2\r\n"
                             "3rd Favorite CH ID*\t0\r\n"
                             "4th Favorite CH  ID*\t0\r\n"
                             "5th Favorite CH  ID*\t0\r\n"
                             "6th Favorite CH  ID*\t0\r\n"
                             "Unit*\tdBuV\r\n"
                             "*Span\t8\r\n";
    EXPECT_EQ(formatPlanText("  CH No", rows, englishFooter()), expected);
}

TEST(PlanFileFormat, ReadsBackWhatItWrites) {
    const std::vector<PlanRow> rows{{1, "S1", "TV", 55.25, 6.5}, {2, "C7", "DIGI", 471.3f, 7.999}};
    const auto content = parsePlanText(formatPlanText("title", rows, englishFooter()));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->title, "title");
    ASSERT_EQ(content->rows.size(), 2u);
    EXPECT_EQ(content->rows[1].id, 2);
    EXPECT_EQ(content->rows[1].name, "C7");
    EXPECT_EQ(content->rows[1].type, "DIGI");
    EXPECT_FLOAT_EQ(content->rows[1].freq, 471.3f);
    EXPECT_DOUBLE_EQ(content->rows[1].audio1, 7.999);
    EXPECT_EQ(content->footerValues, QStringList({"1", "2", "0", "0", "0", "0", "dBuV", "8"}));
}

TEST(PlanFileFormat, LineWithoutLastTabRepeatsItsLastValue) {
    const auto content = parsePlanText("t\r\n3\tS3\tTV\t100\r\n");
    ASSERT_TRUE(content);
    ASSERT_EQ(content->rows.size(), 1u);
    EXPECT_EQ(content->rows[0].name, "S3");
    EXPECT_DOUBLE_EQ(content->rows[0].freq, 100);
    EXPECT_DOUBLE_EQ(content->rows[0].audio1, 100);
}

TEST(PlanFileFormat, QuotedTokensLoseTheirQuotes) {
    const auto content = parsePlanText("t\r\n\"3\"\t\"S3\"\tTV\t\"100\"\t6.5\t\r\n");
    ASSERT_TRUE(content);
    ASSERT_EQ(content->rows.size(), 1u);
    EXPECT_EQ(content->rows[0].id, 3);
    EXPECT_EQ(content->rows[0].name, "S3");
    EXPECT_DOUBLE_EQ(content->rows[0].freq, 100);
    // A lone quote cannot lose two characters.
    EXPECT_FALSE(parsePlanText("t\r\n1\t\"\tTV\t100\t6.5\t\r\n"));
}

TEST(PlanFileFormat, ClassifiesLinesByStarThenId) {
    const auto content = parsePlanText("ID title*\r\n"
                                       "ID\tCHName\tTYPE\tFREQ\tAUDIO\t\r\n"
                                       "1\tID1\tTV\t100\t6.5\t\r\n"
                                       "2\tA*\tTV\t200\t6.5\t\r\n"
                                       "3\tB\tTV\t300\t6.5\t\r\n"
                                       "no tab * here\r\n");
    ASSERT_TRUE(content);
    EXPECT_EQ(content->title, "ID title*"); // the first line is always the title
    ASSERT_EQ(content->rows.size(), 1u);
    EXPECT_EQ(content->rows[0].name, "B");
    EXPECT_EQ(content->footerValues, QStringList({"A*\tTV\t200\t6.5\t", "no tab * here"}));
}

TEST(PlanFileFormat, KeepsIdsAndOrderAsWritten) {
    const auto content = parsePlanText("t\r\n9\tA\tTV\t100\t6.5\t\r\n1\tB\tTV\t90\t6.5\t\r\n"
                                       "5\tC\tTV\t80\t6.5\t\r\n");
    ASSERT_TRUE(content);
    ASSERT_EQ(content->rows.size(), 3u);
    EXPECT_EQ(content->rows[0].id, 9);
    EXPECT_EQ(content->rows[1].id, 1);
    EXPECT_EQ(content->rows[2].id, 5);
}

TEST(PlanFileFormat, TitleOnlyFileHasNoRowsAndNoFooter) {
    for (const QString text : {"only a title", "only a title\r\n", "\r\n"}) {
        const auto content = parsePlanText(text);
        ASSERT_TRUE(content) << text.toStdString();
        EXPECT_TRUE(content->rows.empty());
        EXPECT_TRUE(content->footerValues.isEmpty());
    }
}

TEST(PlanFileFormat, AcceptsLfAndCrLineEnds) {
    const auto content = parsePlanText("t\n1\tA\tTV\t100\t6.5\t\r2\tB\tTV\t200\t6.5\t");
    ASSERT_TRUE(content);
    EXPECT_EQ(content->rows.size(), 2u);
}

TEST(PlanFileFormat, RefusesDamagedText) {
    EXPECT_FALSE(parsePlanText("")) << "no line at all";
    QString nineFooters = "t\r\n";
    for (int i = 0; i < 9; ++i)
        nineFooters += "x*\t1\r\n";
    EXPECT_FALSE(parsePlanText(nineFooters));
    EXPECT_TRUE(parsePlanText(nineFooters.left(nineFooters.size() - 6))) << "eight are fine";
    EXPECT_FALSE(parsePlanText("t\r\n1\tA\tTV\tabc\t6.5\t\r\n")) << "text in Freq";
    EXPECT_FALSE(parsePlanText("t\r\nx\tA\tTV\t100\t6.5\t\r\n")) << "text in ID";
    EXPECT_FALSE(parsePlanText("t\r\n1\tA\tTV\t100\tinf\t\r\n")) << "infinite Audio1";
    EXPECT_FALSE(parsePlanText("t\r\n1\tA\tTV\t100\t6.5\t\r\n\r\n")) << "empty line";
}

TEST(PlanFileEncoding, ChineseSystemsUseGbkOthersWindows1252) {
    const QString label = QString::fromUtf8("频道");
    EXPECT_EQ(encodeAnsi(label, ansiCodePageFor(0)), QByteArray("\xC6\xB5\xB5\xC0"));
    EXPECT_FALSE(encodeAnsi(label, ansiCodePageFor(500))) << "no Chinese in Windows-1252";
    EXPECT_EQ(encodeAnsi(QString::fromUtf8("é"), ansiCodePageFor(500)), QByteArray("\xE9"));
    EXPECT_EQ(decodePlanFileBytes("\xC6\xB5\xB5\xC0\r\n", ansiCodePageFor(0)),
              QString::fromUtf8("频道\r\n"));
}

TEST(PlanFileEncoding, RefusesBinaryBytes) {
    EXPECT_FALSE(decodePlanFileBytes(QByteArray("t\r\n1\0\t", 6), ansiCodePageFor(500)));
    EXPECT_FALSE(decodePlanFileBytes("\x01\x02\xFF", ansiCodePageFor(0)));
    EXPECT_TRUE(decodePlanFileBytes("a\tb\r\n", ansiCodePageFor(500)));
}

TEST(PlanFileEncoding, GbkFileReadOnAnEnglishSystemStillParses) {
    const QByteArray gbk = *encodeAnsi(QString::fromUtf8("   频道表\r\n"
                                                         "1\tS1\tTV\t55.25\t6.5\t\r\n"
                                                         "第1个喜好频道序号*\t7\r\n"),
                                       ansiCodePageFor(0));
    const auto text = decodePlanFileBytes(gbk, ansiCodePageFor(500));
    ASSERT_TRUE(text);
    const auto content = parsePlanText(*text);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->rows.size(), 1u);
    EXPECT_EQ(content->footerValues, QStringList({"7"}));
}

} // namespace
} // namespace plandex

TEST(PlanFileEncoding, WesternLanguagesTakeTheLocalesCodePage) {
    const char* lang = std::getenv("LANG");
    const std::string previous = lang ? lang : "";
    ::setenv("LANG", "ru_RU.UTF-8", 1);
    const auto bytes = plandex::encodeAnsi(QString::fromUtf8("ТВ1"), plandex::ansiCodePageFor(500));
    lang ? ::setenv("LANG", previous.c_str(), 1) : ::unsetenv("LANG");
    EXPECT_EQ(bytes, QByteArray("\xD2\xC2"
                                "1"));
}
