// Reading a drawing file into its record index: structure, header facts, and refusing what is
// not an ASCII drawing with a message that names the file and the line.
#include <gtest/gtest.h>

#include "cad/dxf/dxf_file.h"
#include "tag_support.h"

namespace qx::dxf {
namespace {

using test::dxfText;
using test::Pairs;
using test::parsed;
using test::smallDrawing;

DxfError parseError(const std::string& text)
{
    DxfError error;
    auto file = DxfFile::parse(text, "plan.dxf", error);
    EXPECT_FALSE(file);
    return error;
}

TEST(DxfRecordIndex, RecordsSplitAtGroupCodeZeroWithinSections)
{
    auto file = parsed(dxfText(smallDrawing()));
    ASSERT_TRUE(file);
    std::vector<std::string> types;
    for (std::size_t i = 0; i < file->recordCount(); ++i) types.emplace_back(file->recordType(i));
    const std::vector<std::string> expected = {"SECTION", "ENDSEC", "SECTION", "TABLE",  "LAYER", "ENDTAB",
                                               "ENDSEC",  "SECTION", "LINE",   "CIRCLE", "ENDSEC", "SECTION",
                                               "DICTIONARY", "ENDSEC", "EOF"};
    EXPECT_EQ(types, expected);

    ASSERT_EQ(file->sections().size(), 4u);
    const Section* entities = file->section("ENTITIES");
    ASSERT_TRUE(entities);
    EXPECT_EQ(file->recordType(entities->begin + 1), "LINE");
    EXPECT_EQ(entities->end, entities->begin + 3);
    // A record runs to the next code 0: the circle keeps its extended data.
    EXPECT_TRUE(test::hasRun(test::pairsOf(*file, entities->begin + 2), {{1001, "APP"}}));
}

TEST(DxfRecordIndex, TagsCarryLineNumbersAndValuesWithoutLineEnds)
{
    auto file = parsed(dxfText(smallDrawing(), "\r\n"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->crlf());
    const Section* entities = file->section("ENTITIES");
    TagCursor cursor = file->tags(entities->begin + 2);  // CIRCLE
    Tag tag;
    ASSERT_TRUE(cursor.next(tag));
    EXPECT_EQ(tag.code, 0);
    EXPECT_EQ(tag.value, "CIRCLE");
    EXPECT_EQ(tag.raw, "  0\r\nCIRCLE\r\n");
    // 38 pairs come before the CIRCLE in smallDrawing(): its code line is line 75.
    EXPECT_EQ(tag.line, 75u);
    ASSERT_TRUE(cursor.next(tag));
    EXPECT_EQ(tag.line, 77u);
    EXPECT_EQ(tag.value, "21");
}

TEST(DxfRecordIndex, HeaderVariablesVersionAndEncoding)
{
    auto file = parsed(dxfText(smallDrawing("AC1018", "ANSI_1251")));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->version(), "AC1018");
    EXPECT_EQ(file->versionNumber(), 1018);
    EXPECT_EQ(file->encoding().name(), "ANSI_1251");
    const auto origin = file->headerVariable("$UCSORG");
    ASSERT_EQ(origin.size(), 3u);
    double x = 0;
    EXPECT_TRUE(origin[0].toDouble(x));
    EXPECT_DOUBLE_EQ(x, 1.5);
    EXPECT_TRUE(file->headerVariable("$NOSUCH").empty());
    // A variable's values stop at the next variable, not at the end of the header.
    EXPECT_EQ(file->headerVariable("$DWGCODEPAGE").size(), 1u);

    // From AC1021 on the file is UTF-8 whatever $DWGCODEPAGE says.
    auto newer = parsed(dxfText(smallDrawing("AC1032", "ANSI_1251")));
    EXPECT_TRUE(newer->encoding().isUtf8());
}

TEST(DxfRecordIndex, UnknownCodePageFallsBackWithAWarning)
{
    auto file = parsed(dxfText(smallDrawing("AC1015", "ANSI_9999")));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->encoding().name(), "ANSI_1252");
    ASSERT_EQ(file->warnings().size(), 1u);
    EXPECT_NE(file->warnings()[0].find("ANSI_9999"), std::string::npos);
}

TEST(DxfRecordIndex, UnknownSectionsAndCommentsAreKept)
{
    Pairs pairs = {{999, "written by hand"}, {0, "SECTION"}, {2, "FUTURE"}, {0, "THING"}, {1, "x"},
                   {0, "ENDSEC"}, {0, "EOF"}};
    const std::string text = dxfText(pairs) + "\n";
    auto file = parsed(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->preamble(), "999\nwritten by hand\n");
    EXPECT_EQ(file->trailer(), "\n");
    ASSERT_TRUE(file->section("FUTURE"));
    ASSERT_EQ(file->warnings().size(), 1u);
    EXPECT_NE(file->warnings()[0].find("FUTURE"), std::string::npos);
}

TEST(DxfRecordIndex, ByteOrderMarkAndUnpaddedCodesAccepted)
{
    auto file = parsed("\xEF\xBB\xBF" "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF");
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->paddedCodes());
    EXPECT_TRUE(file->text().starts_with("0\nSECTION"));
    EXPECT_EQ(file->recordCount(), 3u);
    EXPECT_EQ(file->version(), "AC1009");  // no header: the oldest version we know
}

TEST(DxfBadInput, EmptyFile)
{
    for (const char* text : {"", "\n\n  \r\n"}) {
        const DxfError e = parseError(text);
        EXPECT_EQ(e.text(), "plan.dxf: the file is empty");
    }
}

TEST(DxfBadInput, BinaryDwgAndDxbAreRefused)
{
    std::string binary = "XXXXXXX Binary DXF\r\n\x1a";
    binary += '\0';
    binary += "\x00\x00\x00SECTION";
    EXPECT_NE(parseError(binary).text().find("binary DXF is not supported"), std::string::npos);
    EXPECT_NE(parseError(std::string("AC1032\0\0\0\0\0\0", 12)).text().find("DWG"), std::string::npos);
    EXPECT_NE(parseError(std::string("XXXXXXX DXB 1.0\r\n\x1a\0", 20)).text().find("DXB"), std::string::npos);
    // Found by fuzzing: the same letters where a comment puts them are no reason to refuse.
    EXPECT_TRUE(parsed("999\ncom DXB 1.0\n  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n"));
}

TEST(DxfBadInput, TextThatIsNotADrawing)
{
    EXPECT_EQ(parseError("hello world\nthis is a letter\n").text(),
              "plan.dxf, line 1: group code expected, found \"hello world\"");
    EXPECT_EQ(parseError("  0\nLINE\n  8\n0\n").text(),
              "plan.dxf, line 1: not a DXF file: it does not begin with a SECTION (found \"LINE\")");
    std::string withNul = "  0\nSECTION\n";
    withNul += '\0';
    EXPECT_NE(parseError(withNul).text().find("binary data"), std::string::npos);
    // Found by fuzzing: a NUL far into a file is refused as well (with its line), not only one
    // at the start, or a saved file could be refused where the original was read.
    std::string late = dxfText(smallDrawing());
    late.insert(late.find("a value"), 1, '\0');
    EXPECT_EQ(parseError(late).text(), "plan.dxf, line 92: not a DXF file: it holds binary data");
}

TEST(DxfBadInput, TruncatedFiles)
{
    const std::string full = dxfText(smallDrawing());
    // Cut inside the ENTITIES section, after a value line: the message names the first missing line.
    const std::string cut = full.substr(0, full.find("CIRCLE\n") + 7);
    EXPECT_EQ(parseError(cut).text(),
              "plan.dxf, line 77: the file is truncated: it ends inside section ENTITIES without ENDSEC and EOF");
    // Cut after a group code: its value line is missing.
    const std::string noValue = full.substr(0, full.find("CIRCLE\n")) ;
    EXPECT_EQ(parseError(noValue).text(), "plan.dxf, line 75: the file is truncated: group code 0 has no value line");
    // Every section closed, but no EOF.
    const std::string noEof = full.substr(0, full.rfind("  0\nEOF"));
    EXPECT_NE(parseError(noEof).text().find("ends without EOF"), std::string::npos);
}

TEST(DxfBadInput, WrongGroupCodesAndNonNumbers)
{
    std::string text = dxfText(smallDrawing());
    std::string badCode = text;
    badCode.replace(badCode.find(" 40\n2.5"), 3, "4O ");
    EXPECT_EQ(parseError(badCode).text(), "plan.dxf, line 87: group code expected, found \"4O \"");

    std::string outOfRange = text;
    outOfRange.replace(outOfRange.find(" 40\n2.5"), 3, "4000");
    EXPECT_EQ(parseError(outOfRange).text(), "plan.dxf, line 87: invalid group code \"4000\"");

    std::string notNumber = text;
    notNumber.replace(notNumber.find(" 40\n2.5") + 4, 3, "2,5");
    EXPECT_EQ(parseError(notNumber).text(), "plan.dxf, line 88: group code 40 needs a number, found \"2,5\"");

    // A string code holds anything, and numbers may carry blanks and exponents.
    std::string lenient = text;
    lenient.replace(lenient.find(" 40\n2.5") + 4, 3, " -2.5E+01 ");
    EXPECT_TRUE(parsed(lenient));
}

TEST(DxfBadInput, SectionStructure)
{
    EXPECT_EQ(parseError(dxfText({{0, "SECTION"}, {0, "LINE"}})).text(),
              "plan.dxf, line 3: section name (group code 2) expected after SECTION");
    EXPECT_EQ(parseError(dxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "SECTION"}, {2, "OBJECTS"}})).text(),
              "plan.dxf, line 5: section ENTITIES is not closed (no ENDSEC) before a new SECTION");
    EXPECT_EQ(parseError(dxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "ENDSEC"}, {0, "LINE"}})).text(),
              "plan.dxf, line 7: SECTION or EOF expected, found \"LINE\"");
    EXPECT_EQ(parseError(dxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "EOF"}})).text(),
              "plan.dxf, line 5: EOF inside section ENTITIES (no ENDSEC)");
}

TEST(DxfBadInput, MissingFileNamesThePath)
{
    DxfError error;
    EXPECT_FALSE(DxfFile::read("/nonexistent/plan.dxf", error));
    EXPECT_EQ(error.file, "/nonexistent/plan.dxf");
    EXPECT_NE(error.message.find("cannot open"), std::string::npos);
}

TEST(DxfTypedValues, NumbersHandlesAndTheirFailures)
{
    Tag t;
    double d = -1;
    std::int64_t i = -1;
    std::uint64_t h = 0;
    t.value = "  12.5 ";
    EXPECT_TRUE(t.toDouble(d));
    EXPECT_DOUBLE_EQ(d, 12.5);
    t.value = "     0";
    EXPECT_TRUE(t.toInt(i));
    EXPECT_EQ(i, 0);
    t.value = "1.0";  // some writers print integers this way
    EXPECT_TRUE(t.toInt(i));
    EXPECT_EQ(i, 1);
    t.value = "1.5";
    i = 7;
    EXPECT_FALSE(t.toInt(i));
    EXPECT_EQ(i, 7);
    t.value = "2f";
    EXPECT_TRUE(t.toHandle(h));
    EXPECT_EQ(h, 0x2Fu);
    t.value = "12345678901234567";  // 17 digits: more than 64 bits
    EXPECT_FALSE(t.toHandle(h));
    EXPECT_EQ(formatHandle(0x2F), "2F");
    EXPECT_EQ(formatReal(3), "3.0");
    EXPECT_EQ(formatReal(0.1), "0.1");
}

}  // namespace
}  // namespace qx::dxf
