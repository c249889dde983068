// Converting argument values between types, and dates to and from ISO text.
#include "common/dispatch_coercion.h"

#include <gtest/gtest.h>

namespace sondrel {
namespace {

constexpr double Aug25_2009_134530 = 40050.0 + (13 * 3600 + 45 * 60 + 30) / 86400.0;

HResult failureOf(const Variant& v, VarType target) {
    try {
        coerce(v, target);
    } catch (const CoercionError& e) {
        return e.code();
    }
    return S_Ok;
}

TEST(DateText, ReadsAndWritesIsoText) {
    EXPECT_NEAR(parseDate("2009-08-25T13:45:30")->value, Aug25_2009_134530, 1e-9);
    EXPECT_NEAR(parseDate("2009-08-25 13:45:30")->value, Aug25_2009_134530, 1e-9);
    EXPECT_EQ(parseDate("1899-12-30")->value, 0.0);
    EXPECT_EQ(parseDate("1900-01-01")->value, 2.0);
    EXPECT_EQ(parseDate("2000-02-29")->value, 36585.0);
    EXPECT_NEAR(parseDate("06:00:00")->value, 0.25, 1e-12);
    // Before day 0 the time of day still counts forwards.
    EXPECT_NEAR(parseDate("1899-12-29T06:00:00")->value, -1.25, 1e-12);

    EXPECT_EQ(formatDate({Aug25_2009_134530}), "2009-08-25T13:45:30");
    EXPECT_EQ(formatDate({-1.25}), "1899-12-29T06:00:00");
    EXPECT_EQ(formatDate({0.5}), "1899-12-30T12:00:00");
    EXPECT_EQ(formatDate({0.999999999}), "1899-12-31T00:00:00"); // to the nearest second
    EXPECT_EQ(formatDate({1e9}), std::nullopt);
}

TEST(DateText, RefusesWhatIsNoDate) {
    for (const char* text :
         {"", "2009-13-01", "2009-02-29", "2009-08-25T24:00:00", "2009-8-25", "2009-08-25X13:45:30",
          "2009-08-25T13:45", "0099-12-31", "13:60:00", "2009-08-25T13:45:30Z"})
        EXPECT_EQ(parseDate(text), std::nullopt) << text;
}

TEST(Coercion, NumbersBetweenKindsWithRangeChecks) {
    EXPECT_EQ(coerce(Variant::r8(2.5), VarType::I2), Variant::i2(2));
    EXPECT_EQ(coerce(Variant::r8(-2.5), VarType::I2), Variant::i2(-2));
    EXPECT_EQ(coerce(Variant::r4(255.4f), VarType::UI1), Variant::ui1(255));
    EXPECT_EQ(failureOf(Variant::r8(255.5), VarType::UI1), DispEOverflow); // rounds to 256
    EXPECT_EQ(failureOf(Variant::r8(2147483648.0), VarType::I4), DispEOverflow);
    EXPECT_EQ(coerce(Variant::i4(-32768), VarType::I2), Variant::i2(-32768));
    EXPECT_EQ(coerce(Variant::i2(7), VarType::R4), Variant::r4(7.0f));
    EXPECT_EQ(coerce(Variant::boolean(true), VarType::R8), Variant::r8(-1.0));
    EXPECT_EQ(coerce(Variant(), VarType::I2), Variant::i2(0));
    EXPECT_EQ(failureOf(Variant::null(), VarType::I2), DispETypeMismatch);
}

TEST(Coercion, TextBothWays) {
    EXPECT_EQ(coerce(Variant::bstr("-12.5e1"), VarType::R8), Variant::r8(-125.0));
    EXPECT_EQ(failureOf(Variant::bstr("12 volts"), VarType::I2), DispETypeMismatch);
    EXPECT_EQ(coerce(Variant::r4(66.6f), VarType::Bstr), Variant::bstr("66.6"));
    EXPECT_EQ(coerce(Variant::i2(-4), VarType::Bstr), Variant::bstr("-4"));
    EXPECT_EQ(coerce(Variant::boolean(true), VarType::Bstr), Variant::bstr("True"));
    EXPECT_EQ(coerce(Variant::date({Aug25_2009_134530}), VarType::Bstr),
              Variant::bstr("2009-08-25T13:45:30"));
    EXPECT_EQ(coerce(Variant::bstr("FALSE"), VarType::Bool), Variant::boolean(false));
    EXPECT_EQ(coerce(Variant::bstr("true"), VarType::Bool), Variant::boolean(true));
    EXPECT_EQ(coerce(Variant::i2(2), VarType::Bool), Variant::boolean(true));
    EXPECT_EQ(coerce(Variant::bstr("40050.5"), VarType::Date), Variant::date({40050.5}));
    EXPECT_EQ(failureOf(Variant::bstr("yesterday"), VarType::Date), DispETypeMismatch);
}

TEST(Coercion, ArraysAndRecordsOnlyToTheirOwnType) {
    EXPECT_EQ(coerce(Variant::head({}), VarType::Head), Variant::head({}));
    EXPECT_EQ(failureOf(Variant::bytes({}), VarType::I2), DispETypeMismatch);
    EXPECT_EQ(failureOf(Variant::channels({}), VarType::Bytes), DispETypeMismatch);
    EXPECT_EQ(failureOf(Variant::i2(1), VarType::Channels), DispETypeMismatch);
    EXPECT_EQ(failureOf(Variant::head({}), VarType::Bstr), DispETypeMismatch);
}

} // namespace
} // namespace sondrel
