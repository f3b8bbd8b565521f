#include "support/Decimal.h"

#include "support/VbError.h"

#include <gtest/gtest.h>

using worktide::Decimal;

TEST(Decimal, ParsesExactlyAndWritesPlainDigits) {
    struct Case {
        const char16_t* in;
        const char16_t* out;
    };
    const Case cases[] = {
        {u"0", u"0"},
        {u"-0", u"0"},
        {u"7", u"7"},
        {u"+7", u"7"},
        {u"1.5e3", u"1500"},
        {u"1.5E+3", u"1500"},
        {u"15e-1", u"1.5"},
        {u"1.50", u"1.5"},
        {u"0.1", u"0.1"},
        {u".5", u"0.5"},
        {u"5.", u"5"},
        {u"-0.001", u"-0.001"},
        {u"000123.4500", u"123.45"},
        {u"79228162514264337593543950335", u"79228162514264337593543950335"},
        {u"-79228162514264337593543950335", u"-79228162514264337593543950335"},
        {u"0.0000000000000000000000000001", u"0.0000000000000000000000000001"},
        // Beyond 28 decimal places: rounded, half away from zero.
        {u"0.00000000000000000000000000015", u"0.0000000000000000000000000002"},
        {u"0.00000000000000000000000000004", u"0"},
        {u"1e-40", u"0"},
        // Too many significant digits for 96 bits: the last ones are rounded away.
        {u"1.23456789012345678901234567890123", u"1.2345678901234567890123456789"},
        {u"7.9228162514264337593543950335", u"7.9228162514264337593543950335"},
        {u"0.1000000000000000055511151231257827", u"0.1000000000000000055511151231"},
        {u"1e28", u"10000000000000000000000000000"},
        {u"123456789012345678901234567.891", u"123456789012345678901234567.89"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decimal::Parse(c.in).toString(), QString::fromUtf16(c.out)) << QString::fromUtf16(c.in).toStdString();
    }
}

TEST(Decimal, RejectsOtherFormsAndOverflows) {
    struct Case {
        const char16_t* in;
        int error;
    };
    const Case cases[] = {
        {u"", 13},
        {u"--1", 13},
        {u"1.2.3", 13},
        {u"+", 13},
        {u".", 13},
        {u"e5", 13},
        {u"1e", 13},
        {u"1e+", 13},
        {u"1-", 13},
        {u"1e5.5", 13},
        {u"1x", 13},
        {u"79228162514264337593543950336", 6},
        {u"1e29", 6},
        {u"1e999999999999999999999", 6},
        {u"99999999999999999999999999999.5", 6},
    };
    for (const auto& c : cases) {
        Decimal d;
        EXPECT_EQ(Decimal::TryParse(c.in, d), c.error) << QString::fromUtf16(c.in).toStdString();
    }
    EXPECT_THROW(Decimal::Parse(u"x"), worktide::VbError);
}

TEST(Decimal, EqualityIsNumeric) {
    EXPECT_EQ(Decimal::Parse(u"1.50"), Decimal::Parse(u"1.5"));
    EXPECT_EQ(Decimal::Parse(u"-0"), Decimal::Parse(u"0.000"));
    EXPECT_EQ(Decimal::Parse(u"1500"), Decimal::Parse(u"1.5e3"));
    EXPECT_EQ(Decimal::FromInt64(-42), Decimal::Parse(u"-42"));
    EXPECT_NE(Decimal::Parse(u"-1"), Decimal::Parse(u"1"));
    EXPECT_NE(Decimal::Parse(u"0.1"), Decimal::Parse(u"0.10000000000000001"));
}
