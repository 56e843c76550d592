// Numbers as texts: printf's %g, the numeric-text test and the leading-number reading.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/number_text.h"

TEST(NumberText, FormatGFollowsPrintfG)
{
    const std::pair<double, const char16_t*> cases[] = {
        {0.0001, u"0.0001"},    {0.00001, u"1e-05"}, {2.50, u"2.5"},     {1234567.0, u"1.23457e+06"},
        {999999.0, u"999999"},  {999999.5, u"1e+06"},  // rounding to six digits carries into the exponent
        {100000.4, u"100000"},  {-0.0, u"-0"},       {1e100, u"1e+100"}, {1.0 / 3.0, u"0.333333"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(FormatG(value), text) << value;
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
    // An exponent without digits is not part of the number; the decimal separator is the point.
    const std::pair<const char16_t*, double> cases[] = {
        {u"12 m", 12.0}, {u"ByLayer", 0.0}, {u"", 0.0},  {u"  \t-3.5e2x", -350.0}, {u"+2", 2.0}, {u"-.5", -0.5},
        {u"1.e2", 100.0}, {u"1e", 1.0},     {u"1e+x", 1.0}, {u"12,5", 12.0},         {u"1.2.3", 1.2},
        {u".", 0.0},     {u"- 5", 0.0}};
    for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(ReadLeadingNumber(text), value) << value;
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
