// The string table and the language offset.
#include "texts.h"

#include <gtest/gtest.h>

namespace plandex {
namespace {

class TextsTest : public ::testing::Test {
  protected:
    void TearDown() override { LanguageOffset = EnglishOffset; }
};

TEST_F(TextsTest, TableHoldsExactlyTheTwoRangesOf72Keys) {
    int present = 0;
    for (int key = -10; key < 700; ++key) {
        const bool expected = (key >= 1 && key <= 72) || (key >= 501 && key <= 572);
        EXPECT_EQ(stringTableEntry(key) != nullptr, expected) << key;
        present += stringTableEntry(key) != nullptr;
    }
    EXPECT_EQ(present, 144);
}

TEST_F(TextsTest, TextsKeepTheirBlanksAndPunctuation) {
    EXPECT_STREQ(stringTableEntry(515), "  CH No");
    EXPECT_STREQ(stringTableEntry(15), "   频道表");
    EXPECT_STREQ(stringTableEntry(7), "上传 ");
    EXPECT_STREQ(stringTableEntry(545), "    ID");
    EXPECT_STREQ(stringTableEntry(543), "'RS' should  not be 0 !");
    EXPECT_STREQ(stringTableEntry(567), "Please input correct ID ");
    EXPECT_STREQ(stringTableEntry(67), " 请输入正确的频道序号");
    EXPECT_STREQ(stringTableEntry(538), "You must set Tilt to \"N\" for channel to be disabled !");
    EXPECT_STREQ(stringTableEntry(16), "连接失败，请检查通信线路！");
    EXPECT_STREQ(stringTableEntry(27), "'频率' 应该从 46MHz  到1000MHz ！");
    EXPECT_STREQ(stringTableEntry(561), "1st Favorite CH  ID");
    EXPECT_STREQ(stringTableEntry(563), "3rd Favorite CH ID");
    EXPECT_STREQ(stringTableEntry(2), "Plandex");
    EXPECT_STREQ(stringTableEntry(502), "Plandex");
}

TEST_F(TextsTest, LookupAddsTheLanguageOffset) {
    LanguageOffset = ChineseOffset;
    EXPECT_EQ(Text(TextId::Upload), QString::fromUtf8("上传 "));
    EXPECT_EQ(Text(TextId::GridCaption), QString::fromUtf8("   频道表"));
    LanguageOffset = EnglishOffset;
    EXPECT_EQ(Text(TextId::Upload), "Upload");
    EXPECT_EQ(Text(TextId::GridCaption), "  CH No");
    EXPECT_THROW(Text(73), std::out_of_range);
    EXPECT_THROW(Text(0), std::out_of_range);
}

TEST_F(TextsTest, OnlyChineseOfThePrcGivesChineseTexts) {
    EXPECT_EQ(languageOffsetFor(2052), ChineseOffset);
    for (std::uint16_t other : {1033, 1028, 3076, 2057, 1031, 0})
        EXPECT_EQ(languageOffsetFor(other), EnglishOffset) << other;
}

} // namespace
} // namespace plandex
