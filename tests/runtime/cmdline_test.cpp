// The command line (qxutPrintf and its transcript), result buffers and system variables.
#include <gtest/gtest.h>

#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "cad/runtime/language.h"
#include "cad/runtime/sysvars.h"
#include "database.h"
#include "editor.h"

TEST(CommandLine, PrintfFormatsUtf16TextsAndNumbersIntoTheTranscript)
{
    qx::clearTranscript();
    qxutPrintf(u"%s", u"\nCSV export done to : /tmp/é€.csv");
    qxutPrintf(u" [%d|%5.2f|%g|%-4s|%x|%c|%%]", 42, 3.14159, 1234567.0, u"ab", 255, u'Z');
    EXPECT_EQ(qx::transcript(), u"\nCSV export done to : /tmp/é€.csv [42| 3.14|1.23457e+06|ab  |ff|Z|%]");
}

TEST(CommandLine, Utf8ConversionRoundTripsAndRejectsBrokenSequences)
{
    const std::u16string text = u"Aé€\U0001F600";
    EXPECT_EQ(qx::fromUtf8(qx::toUtf8(text)), text);
    EXPECT_EQ(qx::toUtf8(u"€"), "\xE2\x82\xAC");
    EXPECT_EQ(qx::fromUtf8("a\xC3"), u"a\uFFFD");        // cut in the middle of a character
    EXPECT_EQ(qx::fromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form of '/'
}

TEST(ResultBuffers, BuildListCopiesStringsAndDupChainIsDeep)
{
    qxresbuf* filter = qxutBuildList(QXRT_DXF0, u"ACAD_TABLE", QXRT_SHORT, 7, 0);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->restype, QXRT_DXF0);
    EXPECT_EQ(std::u16string(filter->resval.rstring), u"ACAD_TABLE");
    ASSERT_NE(filter->rbnext, nullptr);
    EXPECT_EQ(filter->rbnext->resval.rint, 7);
    EXPECT_EQ(filter->rbnext->rbnext, nullptr);

    qxresbuf* copy = qxutDupChain(filter);
    EXPECT_NE(copy->resval.rstring, filter->resval.rstring);
    qxutRelRb(filter);
    EXPECT_EQ(std::u16string(copy->resval.rstring), u"ACAD_TABLE");
    qxutRelRb(copy);
}

TEST(SystemVariables, TypedValuesWithDefaultsAndRanges)
{
    qxresbuf rb{};
    ASSERT_EQ(qxedGetVar(u"luprec", &rb), QXRT_NORM);
    EXPECT_EQ(rb.restype, QXRT_SHORT);
    EXPECT_EQ(rb.resval.rint, 4);
    ASSERT_EQ(qxedGetVar(u"CMDECHO", &rb), QXRT_NORM);
    EXPECT_EQ(rb.resval.rint, 1);

    qxresbuf value{};
    value.restype = QXRT_SHORT;
    value.resval.rint = 2;
    EXPECT_EQ(qxedSetVar(u"LUPREC", &value), QXRT_NORM);
    value.resval.rint = 9;  // out of the precision's range
    EXPECT_EQ(qxedSetVar(u"LUPREC", &value), QXRT_ERROR);
    qxedGetVar(u"LUPREC", &rb);
    EXPECT_EQ(rb.resval.rint, 2);
    value.restype = QXRT_STR;  // wrong type
    value.resval.rstring = nullptr;
    EXPECT_EQ(qxedSetVar(u"LUPREC", &value), QXRT_ERROR);
    EXPECT_EQ(qxedGetVar(u"NOSUCHVAR", &rb), QXRT_ERROR);
    qx::setShortVariable(u"LUPREC", 4);
}

TEST(SystemVariables, VerlanFollowsTheLanguageAndCanBeSetOnItsOwn)
{
    qx::setUserLanguage(qx::Language::French);
    qxresbuf rb{};
    ASSERT_EQ(qxedGetVar(u"VERLAN", &rb), QXRT_NORM);
    EXPECT_EQ(rb.restype, QXRT_STR);
    EXPECT_EQ(std::u16string(rb.resval.rstring), u"fr-FR");
    qxutDelBuffer(rb.resval.rstring);
    EXPECT_EQ(rb.resval.rstring, nullptr);

    std::u16string reason;
    EXPECT_TRUE(qx::setVariableFromText(u"VERLAN", u"en-US", reason));
    EXPECT_EQ(qx::languageId(qx::userLanguage()), 0x040C);  // the catalogue's language stays
    std::u16string text;
    qx::variableText(u"VERLAN", text);
    EXPECT_EQ(text, u"en-US");
    EXPECT_FALSE(qx::setVariableFromText(u"CMDECHO", u"yes", reason));
    qx::setUserLanguage(qx::Language::English);
}

TEST(Language, ChosenFromTheOptionElseTheEnvironmentInItsOrder)
{
    EXPECT_EQ(qx::languageFromOption("fr"), qx::Language::French);
    EXPECT_EQ(qx::languageFromOption("de"), std::nullopt);
    EXPECT_EQ(qx::languageFromTag("es_MX.UTF-8"), qx::Language::Spanish);
    EXPECT_EQ(qx::languageFromTag("de_DE"), qx::Language::English);

    setenv("LANGUAGE", "", 1);  // set but empty: skipped
    setenv("LC_ALL", "es_ES.UTF-8", 1);
    setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_EQ(qx::languageFromEnvironment(), qx::Language::Spanish);
    setenv("LANGUAGE", "fr:en", 1);
    EXPECT_EQ(qx::languageFromEnvironment(), qx::Language::French);
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
    unsetenv("LANG");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(qx::languageFromEnvironment(), qx::Language::English);
}

TEST(SystemVariables, LuprecIsTheWorkingDrawingsPrecision)
{
    auto drawing = std::make_shared<QxDbDatabase>();
    drawing->setLuprec(2);
    qx::setCurrentDocument(u"plan.dxf", drawing);
    qxresbuf rb{};
    ASSERT_EQ(qxedGetVar(u"LUPREC", &rb), QXRT_NORM);
    EXPECT_EQ(rb.resval.rint, 2);
    ASSERT_TRUE(qx::setShortVariable(u"LUPREC", 6));
    EXPECT_EQ(drawing->luprec(), 6);
    qx::setCurrentDocument(u"", nullptr);
    qx::setShortVariable(u"LUPREC", 4);
}
