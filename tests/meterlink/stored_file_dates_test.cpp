// Dates and times as the header of a stored file gives them: reading the texts
// in the system's conventions, and automation dates to and from calendar fields.
#include "common/com_date.h"
#include "platform/system_language.h"
#include "stored_files_dates.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sondrel;

namespace {

constexpr std::uint16_t German = 1031;

double dayOf(int y, int m, int d) {
    return comDateOf({y, m, d, 0, 0, 0})->value;
}

} // namespace

TEST(ComDate, ADateBeyondWhatADateHoldsHasNoFields) {
    for (double value : {std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300, -1e18, 9223372036854774784.0,
                         2958466.0, -657435.0})
        EXPECT_EQ(civilOf(ComDate{value}), std::nullopt) << value;
    EXPECT_EQ(civilOf(ComDate{2958465.5}), (CivilDateTime{9999, 12, 31, 12, 0, 0}));
    EXPECT_EQ(civilOf(ComDate{-657434.0}), (CivilDateTime{100, 1, 1, 0, 0, 0}));
    EXPECT_EQ(civilOf(ComDate{-657434.25}), (CivilDateTime{100, 1, 1, 6, 0, 0}));
}

TEST(ComDate, DaysCountFromTheEndOf1899AndTheTimeIsTheFraction) {
    EXPECT_DOUBLE_EQ(dayOf(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(dayOf(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(dayOf(2009, 8, 25), 40050);
    EXPECT_DOUBLE_EQ(comDateOf({2009, 8, 25, 18, 0, 0})->value, 40050.75);
    // Before the epoch the time of day still counts forward: 29 Dec 1899 06:00.
    EXPECT_DOUBLE_EQ(comDateOf({1899, 12, 29, 6, 0, 0})->value, -1.25);
    EXPECT_EQ(civilOf(ComDate{-1.25}), (CivilDateTime{1899, 12, 29, 6, 0, 0}));
    EXPECT_FALSE(comDateOf({2009, 2, 29, 0, 0, 0}));
    EXPECT_TRUE(comDateOf({2008, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(comDateOf({2009, 8, 25, 24, 0, 0}));
}

TEST(ComDate, FieldsComeBackToTheNearestSecond) {
    const CivilDateTime when{2255, 12, 31, 23, 59, 59};
    EXPECT_EQ(civilOf(*comDateOf(when)), when);
    EXPECT_EQ(civilOf(ComDate{40050.0 + 0.9999999}), (CivilDateTime{2009, 8, 26, 0, 0, 0}));
    EXPECT_EQ(civilOf(ComDate{40050.5732638889}), (CivilDateTime{2009, 8, 25, 13, 45, 30}));
}

TEST(HeaderDates, NumericDatesFollowTheSystemOrderAndFallBackToOthers) {
    EXPECT_DOUBLE_EQ(readDateText("2009-08-25", LangIdEnglishUs)->value, dayOf(2009, 8, 25));
    EXPECT_DOUBLE_EQ(readDateText("08/25/09", LangIdEnglishUs)->value, dayOf(2009, 8, 25));
    EXPECT_DOUBLE_EQ(readDateText("09-08-25", LangIdChinesePrc)->value, dayOf(2009, 8, 25));
    EXPECT_DOUBLE_EQ(readDateText("09-08-25", LangIdEnglishUs)->value, dayOf(2025, 9, 8));
    EXPECT_DOUBLE_EQ(readDateText("09.08.25", German)->value, dayOf(2025, 8, 9));
    // No 25th month: the next order that names a date wins.
    EXPECT_DOUBLE_EQ(readDateText("25/08/09", LangIdEnglishUs)->value, dayOf(2009, 8, 25));
    EXPECT_DOUBLE_EQ(readDateText("08/25/09", LangIdChinesePrc)->value, dayOf(2009, 8, 25));
    EXPECT_DOUBLE_EQ(readDateText("1/2/45", LangIdEnglishUs)->value, dayOf(1945, 1, 2));
}

TEST(HeaderDates, TimesAloneLieOnDayZeroAndMayCarryTheirDate) {
    EXPECT_DOUBLE_EQ(readDateText("13:45:30", LangIdEnglishUs)->value, 49530.0 / 86400);
    EXPECT_DOUBLE_EQ(readDateText(" 1:45 PM", LangIdEnglishUs)->value, 49500.0 / 86400);
    EXPECT_DOUBLE_EQ(readDateText("12:00:00 am", LangIdEnglishUs)->value, 0);
    EXPECT_DOUBLE_EQ(readDateText("2009-08-25 18:00", LangIdEnglishUs)->value, 40050.75);
}

TEST(HeaderDates, TextThatNamesNoDateIsRefused) {
    for (std::string_view bad :
         {"", "   ", "NOTADATE", "2009-13-01", "2009-02-30", "25:00:00", "13:60", "08/25",
          "2009-08/25", "13:45:30 XM", "13:45:30 junk", "13 PM"})
        EXPECT_FALSE(readDateText(bad, LangIdEnglishUs)) << '"' << bad << '"';
    // Zero bytes are characters too, and no date has them.
    EXPECT_FALSE(readDateText(std::string_view("13:45:3\0", 8), LangIdEnglishUs));
}
