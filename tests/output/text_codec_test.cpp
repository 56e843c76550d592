#include <gtest/gtest.h>

#include <random>

#include "engine/number_text.h"

#include "output/locale_number.h"
#include "output/text_codec.h"

namespace {

TEST(Windows1252, MapsTheHighBlockAndReplacesWhatItLacks)
{
    EXPECT_EQ(ToWindows1252(u"caf\u00E9 \u20AC \u0152uvre \u2014"), "caf\xE9 \x80 \x8Cuvre \x97");
    // Latin-1's C1 controls are not Windows-1252 characters except the five undefined bytes.
    EXPECT_EQ(ToWindows1252(u"\u0080\u0081\u009D"), "?\x81\x9D");
    // One "?" per missing character: a surrogate pair is one character.
    EXPECT_EQ(ToWindows1252(u"a\u4E2D\U0001F600b"), "a??b");
    EXPECT_EQ(ToWindows1252(u"\xD800x"), "?x");  // a lone surrogate
}

TEST(Windows1252, DecodesEveryByteBackToWhatEncodesIt)
{
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(ToWindows1252(FromWindows1252(byte)), byte) << b;
    }
    EXPECT_EQ(FromWindows1252("\x80\x9F\xA0\xFF"), u"\u20AC\u0178\u00A0\u00FF");
}

TEST(Utf8, EncodesSurrogatePairsAsOneSequenceAndLoneHalvesAsReplacement)
{
    EXPECT_EQ(ToUtf8(u"\u00E9\u20AC\U0001F600"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(ToUtf8(std::u16string(u"a") + char16_t(0xDC00) + u"b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD83D))), "\xEF\xBF\xBD");
}

TEST(Utf8, DecodingRejectsWhatIsNotStrictUtf8)
{
    std::u16string text;
    EXPECT_TRUE(DecodeUtf8("\xF0\x9F\x98\x80\xC3\xA9", text));
    EXPECT_EQ(text, u"\U0001F600\u00E9");
    EXPECT_FALSE(DecodeUtf8("\xC0\xAF", text));          // overlong "/"
    EXPECT_FALSE(DecodeUtf8("\xED\xA0\x80", text));      // an encoded surrogate
    EXPECT_FALSE(DecodeUtf8("caf\xE9", text));           // Windows-1252 e-acute
    EXPECT_FALSE(DecodeUtf8("\xE2\x82", text));          // cut short
    EXPECT_FALSE(DecodeUtf8("\xF4\x90\x80\x80", text));  // above U+10FFFF
}

TEST(Utf8, OnlyValidMultiByteTextCountsAsUtf8)
{
    EXPECT_FALSE(IsMultiByteUtf8("plain ascii"));
    EXPECT_TRUE(IsMultiByteUtf8("caf\xC3\xA9"));
    EXPECT_FALSE(IsMultiByteUtf8("caf\xE9"));
    EXPECT_FALSE(IsMultiByteUtf8("\xC3\xA9 then caf\xE9"));
}

// English groups with commas and uses the point, French groups with no-break spaces and uses
// the comma; beyond six digits before or four zeros after the point, an exponent with a sign
// and three digits.
TEST(LocaleNumber, GroupsDecimalMarksAndExponentsOfEachLanguage)
{
    const NumberMarks en = NumberMarks::English, fr = NumberMarks::French;
    const struct {
        double value;
        NumberMarks marks;
        const char16_t* expected;
    } cases[] = {
        {1234.5, en, u"1,234.5"},         {999999, en, u"999,999"},         {-123456.7, en, u"-123,457"},
        {100, en, u"100"},                {2.50, en, u"2.5"},               {7, en, u"7"},
        {0, en, u"0"},                    {1234.5, fr, u"1\u00A0" u"234,5"}, {12.5, fr, u"12,5"},
        {-1500, fr, u"-1\u00A0" u"500"},  {0.001234, fr, u"0,001234"},      {1234567, en, u"1.23457e+006"},
        {0.00001, en, u"1e-005"},         {1e6, fr, u"1e+006"},             {-2.5e-7, fr, u"-2,5e-007"},
        {1.5e300, en, u"1.5e+300"},       {0.0001, en, u"0.0001"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatLocaleNumber(c.value, c.marks), c.expected) << c.value;
}

// The rewrite on the text must give what converting the value gives, for every text: rounding
// up and down, halfway texts, carries into a new digit, exponent forms, long texts.
TEST(LocaleNumber, TextRewriteAgreesWithConversion)
{
    std::mt19937 random(7);
    const char16_t* pool[] = {u"0", u"1", u"4", u"5", u"6", u"9", u"9", u"9", u"0", u"5"};
    auto digits = [&](std::size_t n) {
        std::u16string d;
        for (std::size_t i = 0; i < n; ++i) d += pool[random() % 10];
        return d;
    };
    std::vector<std::u16string> texts = {
        u"0", u"-0", u"+0", u"0.0", u"-0.000", u"007", u"2.50", u"0.0001", u"0.00001", u"123456", u"1234567",
        u"999999.5", u"999999.4", u"99999.95", u"100000", u"1000000", u"0.000123456", u"0.0001234567", u"0.00009999995",
        u"1234565", u"123456.5", u"0.1234565", u"2.5000005", u"1.0000005", u"0.125", u"1.5E3", u"12e-7", u"+3.25",
        u"1234.56789012345678901234567890", u"0.30000000000000004", u"12345.65000000001", u"9.9999995",
        u"123456.50000000000001", u"0.1000005000000000001"};
    for (int i = 0; i < 50000; ++i) {
        std::u16string t = random() % 4 == 0 ? u"-" : u"";
        t += digits(1 + random() % 9);
        if (random() % 2) t.append(u".").append(digits(1 + random() % 12));
        if (random() % 10 == 0) t.append(u"e").append(digits(1 + random() % 2));
        texts.push_back(t);
    }
    for (const auto& text : texts) {
        ASSERT_TRUE(IsNumericText(text));
        for (NumberMarks marks : {NumberMarks::English, NumberMarks::French}) {
            char16_t buffer[kLocaleNumberMaxUnits];
            const std::u16string rewritten(buffer, FormatLocaleNumberText(text, marks, buffer));
            ASSERT_EQ(rewritten, FormatLocaleNumber(ReadLeadingNumber(text), marks))
                << std::string(text.begin(), text.end());
        }
    }
}

}  // namespace
