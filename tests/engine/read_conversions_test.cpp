// How values read from the drawing become record values: rounding and display texts.
#include <gtest/gtest.h>

#include "engine/number_text.h"
#include "engine/read_conversions.h"

TEST(Rounding, StepFromLinearPrecision)
{
    EXPECT_DOUBLE_EQ(ExtractionEngine::RoundStepForLuprec(0), 1.0);
    EXPECT_DOUBLE_EQ(ExtractionEngine::RoundStepForLuprec(8), 1e-8);
    EXPECT_DOUBLE_EQ(ExtractionEngine::RoundStepForLuprec(-1), 1e-8);
    EXPECT_DOUBLE_EQ(ExtractionEngine::RoundStepForLuprec(99), 1e-8);
}

TEST(Rounding, HalvesGoUpward)
{
    const ExtractionEngine whole(StrHelper(), 0);
    EXPECT_EQ(whole.Round(2.5), 3.0);
    EXPECT_EQ(whole.Round(-2.5), -2.0);  // not away from zero
    EXPECT_EQ(whole.Round(-2.6), -3.0);
    EXPECT_EQ(whole.Round(0.49), 0.0);
    const ExtractionEngine hundredths(StrHelper(), 2);
    EXPECT_EQ(FormatG(hundredths.Round(12.346)), u"12.35");
    EXPECT_EQ(FormatG(hundredths.Round(1.006)), u"1.01");
    EXPECT_EQ(FormatG(hundredths.Round(1.41421356)), u"1.41");
    EXPECT_EQ(hundredths.Round(QxGePoint3d{1.004, 2.005, -0.004}).x, hundredths.Round(1.004));
    const ExtractionEngine fine(StrHelper(), 12);
    EXPECT_EQ(FormatG(fine.Round(1.23456789012)), u"1.23457");
}

TEST(ReadConversions, AttributeValuesNumericOrNot)
{
    const ExtractionEngine engine(StrHelper(), 2);
    auto normalized = [&engine](std::u16string value, bool expectNumeric) {
        EXPECT_EQ(NormalizeAttributeValue(value, engine), expectNumeric);
        return value;
    };
    EXPECT_EQ(normalized(u"12.346", true), u"12.35");
    EXPECT_EQ(normalized(u"12,5", false), u"12,5");
    EXPECT_EQ(normalized(u"1.2.3", false), u"1.2.3");
    EXPECT_EQ(normalized(u"1e3", true), u"1000");
    EXPECT_EQ(normalized(u"-007", true), u"-7");
    EXPECT_EQ(normalized(u"12 m", false), u"12 m");
    EXPECT_EQ(normalized(u"", false), u"");
}

TEST(ReadConversions, GeneralPropertyTexts)
{
    const ExtractionEngine engine(StrHelper(), 2);
    // Colour 0, line weight -1, "BYBLOCK" and six decimals are read from a drawing in the reader's tests.
    EXPECT_EQ(ColorText(256), u"ByLayer");
    EXPECT_EQ(LineWeightText(211, engine), u"211");
    EXPECT_EQ(LineWeightText(-2, engine), u"ByBlock");
    EXPECT_EQ(LineWeightText(-3, engine), u"Default");
    EXPECT_EQ(ByLayerOrBlockName(u"bylayer"), u"ByLayer");
    EXPECT_EQ(ByLayerOrBlockName(u"ByLayers"), u"ByLayers");
    EXPECT_DOUBLE_EQ(ThroughSixDecimals(0.0000004), 0.0);
    EXPECT_DOUBLE_EQ(ThroughSixDecimals(2.5), 2.5);
}

TEST(ReadConversions, ExcludedBlockNamesByExactPrefix)
{
    for (const char16_t* excluded : {u"*U12", u"*Model_Space", u"*", u"kv$door", u"ac$", u"kv$"})
        EXPECT_TRUE(IsExcludedBlockName(excluded));
    for (const char16_t* kept : {u"KV$door", u"Kv$door", u"AC$x", u"aC$x", u"door", u"", u"k", u"kv", u"x*"})
        EXPECT_FALSE(IsExcludedBlockName(kept));
}
