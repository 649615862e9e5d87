#include "numbers/convert.h"

#include <gtest/gtest.h>

#include "reset_fakes.h"

namespace chronalign {
namespace {

using ConvertTest = fake::FakePlatformTest;

void UseCommaDecimals() {
    fake::Locale().decimalSeparator = ",";
    fake::Locale().thousandSeparator = ".";
}

TEST_F(ConvertTest, PlainNumbersWithSignAndBlanks) {
    for (const char* text : {"42", "+42", " 42", "42 ", "  42\t", "0042"})
        EXPECT_EQ(ToInteger(text), 42) << '"' << text << '"';
    EXPECT_EQ(ToInteger("-60"), -60);
    EXPECT_EQ(ToInteger("-0"), 0);
    EXPECT_EQ(ToLong("40000"), 40000);
    EXPECT_EQ(ToLong("000000000000000000000000015"), 15);
}

TEST_F(ConvertTest, WhatIsNoNumberGivesZero) {
    for (const char* text : {"",     "   ", "abc",   "-",     "+",    ".",   "+-5", "- 5",
                             "5-",   "4 2", "42abc", "abc42", "1e3",  "1E3", "1d3", "0x10",
                             "&H10", "Inf", "NaN",   "1..5",  "1.5.", "(5)", "5%"})
        EXPECT_EQ(ToLong(text), 0) << '"' << text << '"';
}

TEST_F(ConvertTest, FractionsRoundToNearestAndHalvesToEven) {
    EXPECT_EQ(ToInteger("2.5"), 2);
    EXPECT_EQ(ToInteger("3.5"), 4);
    EXPECT_EQ(ToInteger("-2.5"), -2);
    EXPECT_EQ(ToInteger("-3.5"), -4);
    EXPECT_EQ(ToInteger("0.5"), 0);
    EXPECT_EQ(ToInteger(".5"), 0);
    EXPECT_EQ(ToInteger("1.5"), 2);
    EXPECT_EQ(ToInteger("2.5000"), 2);
    EXPECT_EQ(ToInteger("2.500001"), 3);  // only just above the half
    EXPECT_EQ(ToInteger("2.49999"), 2);
    EXPECT_EQ(ToInteger("2.51"), 3);
    EXPECT_EQ(ToInteger("-0.7"), -1);
    EXPECT_EQ(ToInteger("7."), 7);
    EXPECT_EQ(ToLong(" -1234.6 "), -1235);
}

TEST_F(ConvertTest, TheRangeIsCheckedAfterRounding) {
    EXPECT_EQ(ToInteger("32767"), 32767);
    EXPECT_EQ(ToInteger("-32768"), -32768);
    EXPECT_EQ(ToInteger("32768"), 0);
    EXPECT_EQ(ToInteger("-32769"), 0);
    EXPECT_EQ(ToInteger("40000"), 0);
    EXPECT_EQ(ToInteger("32766.5"), 32766);
    EXPECT_EQ(ToInteger("32767.5"), 0);  // rounds to 32768
    EXPECT_EQ(ToInteger("-32768.5"), -32768);
    EXPECT_EQ(ToInteger("-32767.5"), -32768);

    EXPECT_EQ(ToLong("2147483647"), 2147483647);
    EXPECT_EQ(ToLong("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ToLong("2147483648"), 0);
    EXPECT_EQ(ToLong("2147483646.5"), 2147483646);
    EXPECT_EQ(ToLong("2147483647.5"), 0);
    EXPECT_EQ(ToLong("99999999999999999999999999"), 0);
    EXPECT_EQ(ToLong("-99999999999999999999999999"), 0);
}

TEST_F(ConvertTest, DigitGroupingCountsOnlyInItsProperShape) {
    EXPECT_EQ(ToLong("1,500"), 1500);
    EXPECT_EQ(ToLong("12,345,678"), 12345678);
    EXPECT_EQ(ToLong("-1,234.5"), -1234);
    EXPECT_EQ(ToLong("1,235.5"), 1236);
    for (const char* text : {"1,5", "1,50", "1,5000", ",500", "1,,500", "1,500,", "1,23,456",
                             "1234,567", "1.500,5", "1,500.5,"})
        EXPECT_EQ(ToLong(text), 0) << '"' << text << '"';
}

TEST_F(ConvertTest, TheUsersSeparatorsDecide) {
    UseCommaDecimals();
    EXPECT_EQ(ToInteger("1.5"), 0);  // neither fifteen nor two
    EXPECT_EQ(ToInteger("1,5"), 2);
    EXPECT_EQ(ToInteger("2,5"), 2);
    EXPECT_EQ(ToInteger("-3,5"), -4);
    EXPECT_EQ(ToLong("1.500"), 1500);
    EXPECT_EQ(ToLong("1.500,5"), 1500);
    EXPECT_EQ(ToInteger("15"), 15);

    fake::Locale().thousandSeparator = " ";
    EXPECT_EQ(ToLong(" 1 500 "), 1500);
    EXPECT_EQ(ToLong("1 50"), 0);

    fake::Locale().thousandSeparator = "\xC2\xA0";  // a no-break space in UTF-8
    EXPECT_EQ(ToLong("12\xC2\xA0"
                     "345,5"),
              12346);
}

TEST_F(ConvertTest, UnusableSeparatorsFallBackToAPlainPoint) {
    fake::Locale().decimalSeparator = "";
    fake::Locale().thousandSeparator = "";
    EXPECT_EQ(ToInteger("2.5"), 2);
    EXPECT_EQ(ToInteger("3.5"), 4);
    EXPECT_EQ(ToInteger("1,500"), 0);

    // A locale that gives both the same character: it is the decimal separator.
    fake::Locale().decimalSeparator = ",";
    fake::Locale().thousandSeparator = ",";
    EXPECT_EQ(ToInteger("1,500"), 2);

    fake::Locale().decimalSeparator = "5";
    EXPECT_EQ(ToInteger("1.5"), 2);
}

}  // namespace
}  // namespace chronalign
