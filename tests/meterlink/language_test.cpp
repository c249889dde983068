// The system language from the locale, and text through the ANSI code pages.
#include "platform/codepage.h"
#include "platform/system_language.h"

#include <gtest/gtest.h>

using namespace sondrel;

TEST(SystemLanguage, LocaleNamesGiveTheirLanguageIdentifiers) {
    EXPECT_EQ(languageIdOfLocale("zh_CN.UTF-8"), 2052);
    EXPECT_EQ(languageIdOfLocale("zh_CN.GBK"), 2052);
    EXPECT_EQ(languageIdOfLocale("zh_TW.UTF-8"), 1028);
    EXPECT_EQ(languageIdOfLocale("en_US.UTF-8"), 1033);
    EXPECT_EQ(languageIdOfLocale("en_GB"), 2057);
    EXPECT_EQ(languageIdOfLocale("de_DE@euro"), 1031);
    EXPECT_EQ(languageIdOfLocale("zh"), 2052);
    EXPECT_EQ(languageIdOfLocale("xx_YY"), 1033);
}

TEST(SystemLanguage, TheFirstSetVariableDecidesAndCMeansEnglish) {
    ::setenv("LC_ALL", "zh_CN.UTF-8", 1);
    ::setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(systemDefaultLanguageId(), 2052);
    ::unsetenv("LC_ALL");
    ::setenv("LC_MESSAGES", "zh_TW.UTF-8", 1);
    EXPECT_EQ(systemDefaultLanguageId(), 1028);
    ::unsetenv("LC_MESSAGES");
    EXPECT_EQ(systemDefaultLanguageId(), 1033);
    ::setenv("LANG", "C.UTF-8", 1);
    EXPECT_EQ(systemDefaultLanguageId(), 1033);
    ::unsetenv("LANG");
    EXPECT_EQ(systemDefaultLanguageId(), 1033);
}

TEST(CodePage, GbkAndWindows1252RoundTripAndRefuseWhatTheyCannotHold) {
    const CodePage gbk("GBK");
    EXPECT_EQ(gbk.encode("频道"), std::string("\xC6\xB5\xB5\xC0"));
    EXPECT_EQ(gbk.decode("\xC6\xB5\xB5\xC0"), "频道");
    const CodePage western("WINDOWS-1252");
    EXPECT_EQ(western.encode("Kanal €"), std::string("Kanal \x80"));
    EXPECT_EQ(western.encode("频道"), std::nullopt);
    EXPECT_EQ(western.decodeByte(0xE9), "é");
    // A lead byte alone means nothing in GBK: it becomes its private-use stand-in.
    EXPECT_EQ(gbk.decodeByte(0xC6), "\uF7C6");
}
