// Writing a file back: untouched records byte for byte, changes applied in place, every
// sample drawing reproduced (from its records and from its database), and saving that never
// damages the file on disk.
#include <gtest/gtest.h>

#include "cad/dxf/dxf_writer.h"
#include "drawing_support.h"
#include "support/files.h"

namespace qx::dxf {
namespace {

using test::dxfText;
using test::smallDrawing;

std::string written(const DxfFile& file, const DxfEdits& edits = {})
{
    std::string out;
    EXPECT_TRUE(writeRecords(file, edits, [&](std::string_view bytes) {
        out += bytes;
        return true;
    }));
    return out;
}

// Each sample as a file of records and as a database: both write it back byte for byte, and
// the file passes our consistency check but for pointers that its writer left dangling.
TEST(DxfRoundTrip, EverySampleDrawingIsWrittenBackUnchanged)
{
    const auto samples = test::sampleDrawings();
    if (samples.empty()) GTEST_SKIP() << "sample drawings not found in " << test::samplesDir();
    for (const auto& path : samples) {
        SCOPED_TRACE(path.filename().string());
        DxfError error;
        auto file = DxfFile::read(path.string(), error);
        ASSERT_TRUE(file) << error.text();
        EXPECT_EQ(checkConsistency(*file, {.pointers = false}), std::vector<std::string>{});
        std::string original = qxtest::readFile(path.string());
        if (original.starts_with("\xEF\xBB\xBF")) original.erase(0, 3);
        const std::string out = written(*file);
        EXPECT_EQ(out.size(), original.size());
        EXPECT_TRUE(out == original);
        // And the tag sequence read back from what we wrote is the original's.
        auto again = test::parsed(out);
        ASSERT_TRUE(again);
        EXPECT_EQ(test::allPairs(*again), test::allPairs(*file));
        OpenResult opened;
        ASSERT_TRUE(openDxf(path.string(), opened, error)) << error.text();
        EXPECT_TRUE(test::saveText(*opened.database) == original) << "saved from the database";
    }
}

TEST(DxfRoundTrip, SampleFactsMatchTheirManifest)
{
    if (test::sampleDrawings().empty()) GTEST_SKIP() << "sample drawings not found in " << test::samplesDir();
    struct Expected {
        const char* file;
        const char* version;
        const char* encoding;
        bool crlf;
    };
    for (const Expected& e : {Expected{"acs-sample_AC1018_ascii.dxf", "AC1018", "ANSI_1252", false},
                              Expected{"ezdxf-text.dxf", "AC1032", "UTF-8", true},
                              Expected{"ezdxf-Leica_Disto_S910.dxf", "AC1009", "ANSI_1252", false},
                              Expected{"ezdxf-small_r13.dxf", "AC1012", "ANSI_932", false}}) {
        SCOPED_TRACE(e.file);
        DxfError error;
        auto file = DxfFile::read((test::samplesDir() / e.file).string(), error);
        ASSERT_TRUE(file) << error.text();
        EXPECT_EQ(file->version(), e.version);
        EXPECT_EQ(file->encoding().name(), e.encoding);
        EXPECT_EQ(file->crlf(), e.crlf);
    }
}

TEST(DxfEditsApplied, ReplaceRemoveAndInsertKeepTheRestByteForByte)
{
    // Odd spacing in an untouched record must survive: it is copied, not re-formatted.
    std::string text = dxfText(smallDrawing());
    text.replace(text.find("5.0\n 20\n5.0"), 3, "5.000000");
    auto file = test::parsed(text);
    ASSERT_TRUE(file);

    const std::size_t line = test::firstRecordOf(*file, "LINE");
    const std::size_t circle = line + 1;
    const WriteStyle style = WriteStyle::of(*file);
    DxfEdits edits;
    edits.replace(line, RecordBuilder(style).raw(0, "POINT").handle(5, 0x20).raw(8, "0").point(10, 1, 2, 0).take());
    edits.insertBefore(circle, RecordBuilder(style).raw(0, "POINT").handle(5, 0x41).raw(8, "0").point(10, 3, 4, 0).take());
    edits.remove(test::firstRecordOf(*file, "DICTIONARY"));
    const std::string out = written(*file, edits);

    auto again = test::parsed(out);
    ASSERT_TRUE(again);
    std::vector<std::string> types;
    for (std::size_t i = 0; i < again->recordCount(); ++i) types.emplace_back(again->recordType(i));
    const auto entities = again->section("ENTITIES");
    ASSERT_TRUE(entities);
    EXPECT_EQ(std::vector<std::string>(types.begin() + entities->begin + 1, types.begin() + entities->end),
              (std::vector<std::string>{"POINT", "POINT", "CIRCLE"}));
    EXPECT_EQ(again->recordText(entities->begin + 3), file->recordText(circle));
    EXPECT_NE(out.find("5.000000\n"), std::string::npos);
    EXPECT_EQ(out.find("DICTIONARY"), std::string::npos);
    EXPECT_NE(out.find(" 10\n1.0\n 20\n2.0\n 30\n0.0\n"), std::string::npos);
}

TEST(DxfEditsApplied, NewPairsFollowTheFileStyleAndEncoding)
{
    auto crlf = test::parsed(dxfText(smallDrawing("AC1018"), "\r\n"));
    ASSERT_TRUE(crlf);
    RecordBuilder old(WriteStyle::of(*crlf));
    old.plain(1, u"Größe 中");
    // ANSI_1252 holds the umlauts but not the Chinese character.
    EXPECT_EQ(old.str(), "  1\r\nGr\xF6\xDF" "e \\U+4E2D\r\n");

    auto unpadded = test::parsed("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1027\n0\nENDSEC\n0\nEOF\n");
    ASSERT_TRUE(unpadded);
    RecordBuilder utf8(WriteStyle::of(*unpadded));
    utf8.plain(1, u"中").integer(70, -3);
    EXPECT_EQ(utf8.str(), "1\n\xE4\xB8\xAD\n70\n-3\n");
}

TEST(DxfEditsApplied, AValueThatWouldBreakItsLineIsNeverWritten)
{
    Refusal refusal;
    refusal.object = "the LINE 2A";
    WriteStyle style;
    style.refusal = &refusal;
    RecordBuilder names(style);
    names.name(8, u"Walls\nNorth").raw(1, std::string_view("a\0b", 3));
    EXPECT_EQ(names.str(), "");
    EXPECT_EQ(refusal.message, "the LINE 2A: the name in group code 8 holds a line feed, which a name in a drawing file cannot hold");
    // Texts have the format's notation for it.
    RecordBuilder texts(style);
    texts.formatted(1, u"a\r\nb").plain(1, u"a\r\nb");
    EXPECT_EQ(texts.str(), "  1\na\\Pb\n  1\na^M^Jb\n");
    // Without anyone to tell of a refusal, the characters go in caret notation.
    RecordBuilder quiet{WriteStyle{}};
    quiet.raw(1, "a\rb").name(2, u"c\nd");
    EXPECT_EQ(quiet.str(), "  1\na^Mb\n  2\nc^Jd\n");
}

TEST(DxfAtomicSave, ReplacesTheTargetOnlyWhenWritingSucceeded)
{
    const qxtest::TempDir dir;
    const std::string target = dir.write("plan.dxf", "old drawing");
    DxfError error;
    const bool failed = saveFileAtomically(target, [](const ByteSink& sink) {
        return sink("half of a new drawing") && false;  // the producer gives up midway
    }, error);
    EXPECT_FALSE(failed);
    EXPECT_EQ(qxtest::readFile(target), "old drawing");
    EXPECT_EQ(dir.entries(), 1u);  // no temporary file left behind
    EXPECT_NE(error.text().find("unchanged"), std::string::npos);

    EXPECT_TRUE(saveFileAtomically(target, [](const ByteSink& sink) { return sink("new drawing"); }, error));
    EXPECT_EQ(qxtest::readFile(target), "new drawing");
    EXPECT_EQ(dir.entries(), 1u);
}

TEST(DxfAtomicSave, LargeOutputIsWrittenWholeAndUnwritableFolderReported)
{
    const qxtest::TempDir dir;
    const std::string target = dir.file("big.dxf");
    const std::string block(3 << 20, 'x');
    DxfError error;
    ASSERT_TRUE(saveFileAtomically(target, [&](const ByteSink& sink) {
        return sink("head") && sink(block) && sink("tail");
    }, error));
    const std::string back = qxtest::readFile(target);
    EXPECT_EQ(back.size(), block.size() + 8);
    EXPECT_TRUE(back.starts_with("headxx"));
    EXPECT_TRUE(back.ends_with("xxtail"));

    EXPECT_FALSE(saveFileAtomically(dir.file("no-such-folder/a.dxf"),
                                    [](const ByteSink& sink) { return sink("x"); }, error));
    EXPECT_NE(error.text().find("no-such-folder/a.dxf"), std::string::npos);
}

}  // namespace
}  // namespace qx::dxf
