// Reading numbers out of typed text and writing them back as text.
#include "validation_numbers.h"

#include <gtest/gtest.h>

namespace plandex {
namespace {

TEST(LeadingNumber, ReadsTheDecimalNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(leadingNumber(u"8.5"), 8.5);
    EXPECT_DOUBLE_EQ(leadingNumber(u"8."), 8.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u" 12a"), 12.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"8,5"), 8.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(leadingNumber(u"-2.5x"), -2.5);
    EXPECT_DOUBLE_EQ(leadingNumber(u".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber(u""), 0.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"abc"), 0.0);
    EXPECT_DOUBLE_EQ(leadingNumber(u"-"), 0.0);
}

TEST(WholeTextNumber, AcceptsOnlyANumberAndBlanks) {
    EXPECT_EQ(wholeTextNumber(u" 55.25 "), 55.25);
    EXPECT_EQ(wholeTextNumber(u"+3"), 3.0);
    EXPECT_EQ(wholeTextNumber(u"-1"), -1.0);
    EXPECT_FALSE(wholeTextNumber(u""));
    EXPECT_FALSE(wholeTextNumber(u"12a"));
    EXPECT_FALSE(wholeTextNumber(u"8,5"));
    EXPECT_FALSE(wholeTextNumber(u"nan"));
    EXPECT_FALSE(wholeTextNumber(u"1e999"));
}

TEST(PlainDecimal, LimitsSignificantDigitsWithoutExponent) {
    EXPECT_EQ(plainDecimal(474.0, 15), "474");
    EXPECT_EQ(plainDecimal(471.25 + (8.0 / 2 - 1.25), 15), "474");
    EXPECT_EQ(plainDecimal(55.1 + 2.75, 15), "57.85");
    EXPECT_EQ(plainDecimal(static_cast<float>(471.3), 7), "471.3");
    EXPECT_EQ(plainDecimal(static_cast<float>(1000.01), 7), "1000.01");
    EXPECT_EQ(plainDecimal(-1.25, 15), "-1.25");
    EXPECT_EQ(plainDecimal(0.0, 7), "0");
    EXPECT_EQ(plainDecimal(9.99999999, 7), "10");
    EXPECT_EQ(plainDecimal(123456789.0, 7), "123456789");
}

TEST(ShortestDecimal, WritesTheShortestFormThatReadsBack) {
    EXPECT_EQ(shortestDecimal(55.25), "55.25");
    EXPECT_EQ(shortestDecimal(6.5), "6.5");
    EXPECT_EQ(shortestDecimal(474), "474");
    EXPECT_EQ(shortestDecimal(static_cast<float>(471.3)), "471.3") << "single precision value";
    EXPECT_EQ(shortestDecimal(471.3), "471.3");
    EXPECT_EQ(shortestDecimal(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(shortestDecimal(-0.0), "0");
}

} // namespace
} // namespace plandex
