// Numbers as texts: printf's %g, the numeric-text test and the leading-number reading.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/number_text.h"

TEST(NumberText, FormatGFollowsPrintfG)
{
    EXPECT_EQ(FormatG(0.0001), u"0.0001");
    EXPECT_EQ(FormatG(0.00001), u"1e-05");
    EXPECT_EQ(FormatG(2.50), u"2.5");
    EXPECT_EQ(FormatG(1234567.0), u"1.23457e+06");
    EXPECT_EQ(FormatG(999999.0), u"999999");
    EXPECT_EQ(FormatG(999999.5), u"1e+06");  // rounding to six digits carries into the exponent
    EXPECT_EQ(FormatG(100000.4), u"100000");
    EXPECT_EQ(FormatG(0.0), u"0");
    EXPECT_EQ(FormatG(-0.0), u"-0");
    EXPECT_EQ(FormatG(-12.5), u"-12.5");
    EXPECT_EQ(FormatG(1e100), u"1e+100");
    EXPECT_EQ(FormatG(1.0 / 3.0), u"0.333333");
    EXPECT_EQ(FormatGNarrow(std::nan("")), "nan");
    EXPECT_EQ(FormatGNarrow(-HUGE_VAL), "-inf");
}

TEST(NumberText, NumericTextIsAWholeDecimalNumber)
{
    for (const char16_t* yes : {u"12", u"-1.5", u"+3", u"1e3", u"2.5E-3", u"007", u"1e+10"})
        EXPECT_TRUE(IsNumericText(yes)) << std::string(yes, yes + std::char_traits<char16_t>::length(yes));
    for (const char16_t* no : {u"", u"12,5", u"1.2.3", u".5", u"1.", u"1e", u"1e+", u" 12", u"12 ", u"+",
                               u"0x1A", u"inf", u"12 m", u"1,000"})
        EXPECT_FALSE(IsNumericText(no)) << std::string(no, no + std::char_traits<char16_t>::length(no));
}

TEST(NumberText, LeadingNumberTakesTheLongestDecimalPrefix)
{
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"12 m"), 12.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"ByLayer"), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u""), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"  \t-3.5e2x"), -350.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"+2"), 2.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u".5"), 0.5);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"-.5"), -0.5);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"1.e2"), 100.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"1e"), 1.0);     // an exponent without digits is not part of it
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"1e+x"), 1.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"12,5"), 12.0);  // the decimal separator is the point
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"."), 0.0);
    EXPECT_DOUBLE_EQ(ReadLeadingNumber(u"- 5"), 0.0);
    EXPECT_EQ(ReadLeadingNumber(u"1e999"), HUGE_VAL);
    EXPECT_EQ(ReadLeadingNumber(u"-1e999"), -HUGE_VAL);
    EXPECT_EQ(ReadLeadingNumber(u"1e-999"), 0.0);
}

TEST(NumberText, LeadingIntegerOrFallback)
{
    EXPECT_EQ(ReadLeadingInteger(u"42abc"), 42);
    EXPECT_EQ(ReadLeadingInteger(u"  -7"), -7);
    EXPECT_EQ(ReadLeadingInteger(u"+8"), 8);
    EXPECT_EQ(ReadLeadingInteger(u"3.9"), 3);
    EXPECT_EQ(ReadLeadingInteger(u"x", -1), -1);
    EXPECT_EQ(ReadLeadingInteger(u"-", 5), 5);
    EXPECT_GT(ReadLeadingInteger(u"99999999999999999999999"), 0);  // saturates, never wraps
}
