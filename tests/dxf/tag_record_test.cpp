// Handles, owners and extended data of records, and the consistency check run on files we save.
#include <gtest/gtest.h>

#include "bench/dxf_drawing_generator.h"
#include "cad/dxf/dxf_check.h"
#include "cad/dxf/dxf_entities.h"
#include "cad/dxf/dxf_record.h"
#include "cad/dxf/dxf_writer.h"
#include "tag_support.h"

namespace qx::dxf {
namespace {

using test::entitiesDrawing;
using test::firstRecordOf;
using test::parsed;

TEST(DxfRecordHeader, OwnerIsTheFirst330OutsideGroupsWhoeverWalksTheRecord)
{
    auto file = parsed(entitiesDrawing({{0, "LINE"}, {5, "2A"}, {102, "{ACAD_REACTORS"}, {330, "99"}, {102, "}"},
                                     {102, "{ACAD_XDICTIONARY"}, {360, "2B"}, {102, "}"}, {330, "1F"},
                                     {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbLine"}, {11, "1.5"},
                                     {1001, "ACAD"}, {1000, "x"}, {330, "77"}}));
    const std::size_t line = firstRecordOf(*file, "LINE");
    // The entity reader gathers the header on its own walk; both must agree.
    DxfError error;
    const EntityRead read = readEntity(*file, line, EntityContext{}, error);
    ASSERT_NE(read.entity, nullptr);
    delete read.entity;
    for (const RecordHeader& h : {readRecordHeader(*file, line), read.header}) {
        EXPECT_EQ(h.handle, 0x2Au);
        EXPECT_TRUE(h.hasOwner);
        EXPECT_EQ(h.owner, 0x1Fu);
        EXPECT_EQ(h.extensionDictionary, 0x2Bu);
        EXPECT_EQ(file->recordText(line).substr(h.xdataOffset), "1001\nACAD\n1000\nx\n330\n77\n");
    }
}

TEST(DxfRecordHeader, DimensionStylesKeepTheirHandleIn105)
{
    auto file = parsed(entitiesDrawing({{0, "DIMSTYLE"}, {105, "27"}, {330, "A"}, {2, "Standard"}, {5, "ByBlock"}}));
    EXPECT_EQ(readRecordHeader(*file, firstRecordOf(*file, "DIMSTYLE")).handle, 0x27u);
}

TEST(DxfExtendedData, ReadsTypedValuesAndDecodesText)
{
    auto file = parsed(entitiesDrawing({{0, "LINE"}, {5, "20"}, {1001, "PE_URL"}, {1000, "http://x/\\U+00E4"},
                                     {1002, "{"}, {1000, "desc"}, {1002, "}"}, {1001, "APP"}, {1010, "1"}, {1020, "2"},
                                     {1030, "3"}, {1040, "2.5"}, {1070, "-4"}, {1071, "70000"}, {1005, "2F"}},
                                    "AC1018"));
    XData x;
    DxfError error;
    ASSERT_TRUE(readXData(*file, firstRecordOf(*file, "LINE"), x, error)) << error.text();
    ASSERT_EQ(x.size(), 11u);
    EXPECT_EQ(x[0], XValue::string(1001, u"PE_URL"));
    EXPECT_EQ(x[1].text, u"http://x/ä");
    EXPECT_EQ(x[2], XValue::string(1002, u"{"));
    EXPECT_EQ(x[6].code, 1010);
    EXPECT_DOUBLE_EQ(x[6].point[2], 3.0);
    EXPECT_DOUBLE_EQ(x[7].point[0], 2.5);
    EXPECT_EQ(x[8].integer, -4);
    EXPECT_EQ(x[9].integer, 70000);
    EXPECT_EQ(x[10], XValue::string(1005, u"2F"));
}

TEST(DxfExtendedData, PointWithoutYIsAnErrorNamingTheLine)
{
    auto file = parsed(entitiesDrawing({{0, "LINE"}, {5, "20"}, {1001, "APP"}, {1010, "1"}, {1040, "2"}}));
    XData x;
    DxfError error;
    EXPECT_FALSE(readXData(*file, firstRecordOf(*file, "LINE"), x, error));
    EXPECT_EQ(error.text(), "plan.dxf, line 53: extended data: point 1010 has no Y value");
}

// Writes the data into a LINE of an R2004 or R2018 file and reads it back.
XData roundTrip(const XData& in, const std::string& version, std::string* written = nullptr)
{
    auto style = parsed(entitiesDrawing({}, version));
    RecordBuilder b(WriteStyle::of(*style));
    b.raw(0, "LINE").raw(5, "20");
    writeXData(b, in);
    if (written) *written = b.str();
    const std::string text = entitiesDrawing({}, version);
    const std::string withLine = text.substr(0, text.find("  0\nENDSEC", text.find("ENTITIES"))) + b.str() +
                                 text.substr(text.find("  0\nENDSEC", text.find("ENTITIES")));
    auto back = parsed(withLine);
    XData out;
    DxfError error;
    EXPECT_TRUE(readXData(*back, firstRecordOf(*back, "LINE"), out, error)) << error.text();
    return out;
}

TEST(DxfExtendedData, LongItemsAreSplitAndJoinedBackWhole)
{
    // 199 characters outside the code page: 7 bytes each as escapes in an R2004 file.
    std::u16string name(199, u'中');
    std::u16string ascii(600, u'x');
    const XData in = {XValue::string(1001, u"tb_headers"), XValue::string(1000, name), XValue::string(1000, u""),
                      XValue::string(1000, ascii)};
    std::string written;
    EXPECT_EQ(roundTrip(in, "AC1018", &written), in);
    // Every value line in the file respects the 255-byte limit.
    std::size_t start = 0, longest = 0;
    while (start < written.size()) {
        const std::size_t end = written.find('\n', start);
        longest = std::max(longest, end - start);
        start = end + 1;
    }
    EXPECT_LE(longest, kMaxStringBytes);
    EXPECT_EQ(roundTrip(in, "AC1032"), in);

    // A string of exactly 255 bytes stays one value; 256 is split.
    std::string exact;
    roundTrip({XValue::string(1001, u"A"), XValue::string(1000, std::u16string(255, u'y'))}, "AC1032", &exact);
    EXPECT_EQ(exact.find("{"), std::string::npos);
    std::string over;
    roundTrip({XValue::string(1001, u"A"), XValue::string(1000, std::u16string(256, u'y'))}, "AC1032", &over);
    EXPECT_NE(over.find("{"), std::string::npos);
}

TEST(DxfExtendedData, SplitNeverCutsACharacter)
{
    // Three-byte UTF-8 characters: 255 is a multiple of three, 254 is not; with a leading
    // one-byte character every piece boundary would fall inside a character if cut by bytes.
    const std::u16string text = u"a" + std::u16string(300, u'€') + u"\U0001F600";
    const XData in = {XValue::string(1001, u"A"), XValue::string(1000, text)};
    EXPECT_EQ(roundTrip(in, "AC1032"), in);
}

TEST(DxfExtendedData, SizeCountGrowsPastTheLimitOfOtherPrograms)
{
    auto style = parsed(entitiesDrawing({}));
    XData handles = {XValue::string(1001, u"obj_handles")};
    for (int i = 0; i < 3000; ++i) handles.push_back(XValue::string(1000, u"1A2B3"));
    RecordBuilder b(WriteStyle::of(*style));
    EXPECT_GT(writeXData(b, handles), kXDataLimitBytes);
    RecordBuilder small(WriteStyle::of(*style));
    EXPECT_LT(writeXData(small, {XValue::string(1001, u"A"), XValue::string(1000, u"x")}), 20u);
}

class DxfConsistency : public ::testing::Test {
protected:
    std::vector<std::string> problemsAfter(const std::string& from, const std::string& to)
    {
        std::string text = base;
        const auto pos = text.find(from);
        EXPECT_NE(pos, std::string::npos) << from;
        text.replace(pos, from.size(), to);
        auto file = parsed(text);
        return file ? checkConsistency(*file) : std::vector<std::string>{"unreadable"};
    }
    std::string base = bench::DxfDrawingGenerator(7).drawing(30);
};

TEST_F(DxfConsistency, GeneratedDrawingIsConsistent)
{
    auto file = parsed(base);
    EXPECT_EQ(checkConsistency(*file), std::vector<std::string>{});
}

TEST_F(DxfConsistency, FindsDuplicateAndTooHighHandles)
{
    // The second entity takes the first one's handle.
    auto problems = problemsAfter("  5\n101\n", "  5\n100\n");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("handle 100 of LWPOLYLINE is already used"), std::string::npos);

    problems = problemsAfter("$HANDSEED\n  5\n", "$HANDSEED\n  5\n1");  // prefix: far above
    EXPECT_TRUE(problems.empty());
    problems = problemsAfter("$HANDSEED\n  5\n", "$HANDSEED\n  5\n0");  // same value: allowed
    EXPECT_TRUE(problems.empty());
    const std::string seedLine = "$HANDSEED\n  5\n";
    const auto at = base.find(seedLine) + seedLine.size();
    const std::string seed = base.substr(at, base.find('\n', at) - at);
    problems = problemsAfter(seedLine + seed, seedLine + "110");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("is not above the highest handle"), std::string::npos);
}

TEST_F(DxfConsistency, FindsDanglingOwnersAndUnregisteredApplications)
{
    auto problems = problemsAfter("  5\n100\n330\n1F\n", "  5\n100\n330\nABC\n");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("LINE points (330) to ABC"), std::string::npos);

    problems = problemsAfter("  2\nPE_URL\n", "  2\nPE_URL2\n");
    EXPECT_FALSE(problems.empty());
    EXPECT_NE(problems[0].find("application \"PE_URL\""), std::string::npos);
}

TEST_F(DxfConsistency, FindsBlocksWithoutRecords)
{
    auto problems = problemsAfter("  2\nDOOR\n340\n0\n", "  2\nDOOR2\n340\n0\n");
    EXPECT_EQ(problems, (std::vector<std::string>{"block record DOOR2 has no BLOCK", "BLOCK DOOR has no block record"}));
}

}  // namespace
}  // namespace qx::dxf
