#include <gtest/gtest.h>

#include "file_helpers.h"
#include "output/csv_export.h"

using testfiles::readFile;
using testfiles::TempDir;

namespace {

// Column 0 is the hidden identifier column; row 0 the header line.
TableData sampleTable()
{
    return {
        {u"Id", u"Name", u"Area", u"Layer"},
        {u"2A", u"Door", u"1234.5", u"0"},
        {u"2B", u"Window", u"12.5", u"Walls"},
        {u"2C", u"Wall", u"1.5E3", u"12 m"},
    };
}

std::string exportCsv(const TableData& table, const std::vector<bool>& include, const std::vector<int>& order,
                      const std::vector<int>& rows, bool bHeader, const char16_t* language)
{
    TempDir dir;
    EXPECT_TRUE(WriteCsvExport(table, dir.wfile("out.csv"), include, order, rows, bHeader, u",", language));
    return readFile(dir.file("out.csv"));
}

// One export: which table, which of its columns (every one when `include` is empty), in which
// column and row order, and the bytes the file must hold.
struct CsvCase {
    const char* what;
    TableData table;
    std::vector<bool> include;
    std::vector<int> order, rows;
    bool bHeader;
    const char16_t* language;
    const char* expected;
};

const TableData kQuoting = {
    {u"Id", u"a", u"b"},
    {u"1", u"say \"hi\"", u"x,y"},
    {u"2", u"plain", u"two\r\nlines"},
    {u"3", u"", u"\"q\""},
    {u"4", u"", u"semi;colon"},
};

TEST(CsvExport, FieldsFollowThePreviewWithQuotesSeparatorsAndNumberMarksOfTheLanguage)
{
    const CsvCase cases[] = {
        // Place 1 is never quoted; numbers are rewritten with the English marks; CR LF everywhere.
        {"preview order", sampleTable(), {}, {1, 2, 3}, {0, 1, 2, 3}, true, u"en-US",
         "\"Name\",Area,\"Layer\"\r\n\"Door\",1234.5,\"0\"\r\n\"Window\",12.5,\"Walls\"\r\n\"Wall\",1.5E3,\"12 m\"\r\n"},
        {"moved and sorted", sampleTable(), {}, {2, 1, 3}, {0, 3, 1, 2}, true, u"en-US",
         "\"Area\",Name,\"Layer\"\r\n\"1,500\",Wall,\"12 m\"\r\n\"1,234.5\",Door,\"0\"\r\n\"12.5\",Window,\"Walls\"\r\n"},
        {"French", sampleTable(), {}, {2, 1, 3}, {0, 1, 2, 3}, true, u"fr-FR",
         "\"Area\";Name;\"Layer\"\r\n\"1\xA0" "234,5\";Door;\"0\"\r\n\"12,5\";Window;\"Walls\"\r\n"
         "\"1\xA0" "500\";Wall;\"12 m\"\r\n"},
        {"the language tag must match exactly", sampleTable(), {}, {2, 1}, {0, 2}, true, u"fr-fr",
         "\"Area\",Name\r\n\"12.5\",Window\r\n"},
        {"French in the unquoted field too", sampleTable(), {}, {1, 2, 3}, {0, 1, 2, 3}, true, u"fr-FR",
         "\"Name\";Area;\"Layer\"\r\n\"Door\";1\xA0" "234,5;\"0\"\r\n\"Window\";12,5;\"Walls\"\r\n"
         "\"Wall\";1\xA0" "500;\"12 m\"\r\n"},
        {"only texts that are numbers are reformatted",
         {{u"Id", u"a", u"b", u"c", u"d", u"e", u"f"}, {u"1", u"007", u"007", u"2.50", u"1,5", u"", u"1234567"}},
         {}, {1, 2, 3, 4, 5, 6}, {1}, false, u"en-US", "\"7\",007,\"2.5\",\"1,5\",\"\",\"1.23457e+006\"\r\n"},
        // With the header hidden the row order holds only the data rows, as the preview lists them.
        {"hidden header", sampleTable(), {}, {1}, {1, 3, 2}, false, u"en-US", "\"Door\"\r\n\"Wall\"\r\n\"Window\"\r\n"},
        {"excluded column writes no separator", sampleTable(), {true, true, false, true}, {1, 2, 3}, {0, 1}, true,
         u"en-US", "\"Name\",\"Layer\"\r\n\"Door\",\"0\"\r\n"},
        {"quotes doubled, the unquoted place quoted only when it must be", kQuoting, {}, {1, 2}, {0, 1, 2, 3, 4}, true,
         u"en-US",
         "\"a\",b\r\n\"say \"\"hi\"\"\",\"x,y\"\r\n\"plain\",\"two\r\nlines\"\r\n\"\",\"\"\"q\"\"\"\r\n\"\",semi;colon\r\n"},
        // With the French separator the comma no longer needs quotes, the semicolon does.
        {"quoting for the French separator", kQuoting, {}, {1, 2}, {0, 1, 4}, true, u"fr-FR",
         "\"a\";b\r\n\"say \"\"hi\"\"\";x,y\r\n\"\";\"semi;colon\"\r\n"},
        {"Latin-1 stays one byte a character", {{u"Id", u"a", u"b"}, {u"1", u"caf\u00E9", u"12.5"}}, {}, {1, 2}, {0, 1},
         true, u"fr-FR", "\"a\";b\r\n\"caf\xE9\";12,5\r\n"},
        {"text beyond Latin-1 makes the whole file UTF-8 with a mark",
         {{u"Id", u"a", u"b"}, {u"1", u"caf\u00E9", u"1500"}, {u"2", u"5 \u20AC", u"x"}}, {}, {2, 1}, {0, 1, 2}, true,
         u"fr-FR", "\xEF\xBB\xBF\"b\";a\r\n\"1\xC2\xA0" "500\";caf\xC3\xA9\r\n\"x\";5 \xE2\x82\xAC\r\n"},
    };
    for (const CsvCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<bool> include = c.include.empty() ? std::vector<bool>(c.table.front().size(), true) : c.include;
        EXPECT_EQ(exportCsv(c.table, include, c.order, c.rows, c.bHeader, c.language), c.expected);
    }
}

TEST(CsvExport, AWideCharacterLateInALargeFileStillMakesAllOfItUtf8)
{
    TempDir dir;
    TableData table(1, {u"Id", u"Name"});
    for (int i = 0; i < 100000; ++i) table.push_back({u"1", u"caf\u00E9"});
    table.push_back({u"1", u"\u20AC"});
    ASSERT_TRUE(WriteCsvExport(table, dir.wfile("big.csv"), {true, true}, {1, 0}, testfiles::AllRows(table.size()), true,
                               u",", u"en-US"));
    const std::string bytes = readFile(dir.file("big.csv"));
    std::string expected = "\xEF\xBB\xBF\"Name\",Id\r\n";
    for (int i = 0; i < 100000; ++i) expected += "\"caf\xC3\xA9\",1\r\n";
    expected += "\"\xE2\x82\xAC\",1\r\n";
    EXPECT_TRUE(bytes == expected) << "sizes " << bytes.size() << " " << expected.size();
}

TEST(CsvExport, EmptyTableCreatesNoFile)
{
    TempDir dir;
    EXPECT_TRUE(WriteCsvExport({}, dir.wfile("none.csv"), {}, {}, {}, true, u",", u"en-US"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.csv")));
}

TEST(CsvReExport, WritesEveryRowAndColumnWithTheFirstUnquoted)
{
    TempDir dir;
    const TableData table = {{u"Name", u"Area", u"Count"}, {u"Door", u"1234.5", u"3"}, {u"a,b", u"x"}};
    ASSERT_TRUE(WriteCsvReExport(table, dir.wfile("re.csv"), u",", u"en-US"));
    EXPECT_EQ(readFile(dir.file("re.csv")),
              "Name,\"Area\",\"Count\"\r\n"
              "Door,\"1,234.5\",\"3\"\r\n"
              "\"a,b\",\"x\",\"\"\r\n");
    ASSERT_TRUE(WriteCsvReExport(table, dir.wfile("re.csv"), u",", u"fr-FR"));
    EXPECT_EQ(readFile(dir.file("re.csv")),
              "Name;\"Area\";\"Count\"\r\nDoor;\"1\xA0" "234,5\";\"3\"\r\na,b;\"x\";\"\"\r\n");
    // A number in the unquoted first field gets the French marks too.
    ASSERT_TRUE(WriteCsvReExport({{u"Area", u"Name"}, {u"12.5", u"1234.5"}}, dir.wfile("re.csv"), u",", u"fr-FR"));
    EXPECT_EQ(readFile(dir.file("re.csv")), "Area;\"Name\"\r\n12,5;\"1\xA0" "234,5\"\r\n");
}

TEST(CsvExportFailures, AreReportedAndLeaveTheOldFile)
{
    TempDir dir;
    const TableData table = sampleTable();
    const std::vector<bool> include(4, true);
    EXPECT_FALSE(WriteCsvExport(table, dir.wfile("missing/out.csv"), include, {1, 2}, {0, 1}, true, u",", u"en-US"));
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteCsvExport(table, u"/dev/full", include, {1, 2}, {0, 1}, true, u",", u"en-US"));
    }
    EXPECT_FALSE(WriteCsvExport(table, dir.wfile(""), include, {1, 2}, {0, 1}, true, u",", u"en-US"));  // a folder

    // A full disk in the middle of the file: the earlier file must survive whole.
    testfiles::writeFile(dir.file("keep.csv"), "good old content");
    TableData big(1, {u"Id", u"Name"});
    for (int i = 0; i < 20000; ++i) big.push_back({u"1", u"some text to fill the disk"});
    EXPECT_FALSE(testfiles::WriteOnAFullDisk([&] {
        return WriteCsvExport(big, dir.wfile("keep.csv"), {true, true}, {0, 1}, testfiles::AllRows(big.size()), true,
                              u",", u"en-US");
    }));
    EXPECT_EQ(readFile(dir.file("keep.csv")), "good old content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root()), {}), 1) << "temporary file left behind";
}

TEST(CsvExport, ReplacingAFileKeepsItsPermissions)
{
    TempDir dir;
    testfiles::writeFile(dir.file("p.csv"), "old");
    std::filesystem::permissions(dir.file("p.csv"), std::filesystem::perms(0640));
    ASSERT_TRUE(WriteCsvReExport({{u"a"}}, dir.wfile("p.csv"), u",", u"en-US"));
    EXPECT_EQ(readFile(dir.file("p.csv")), "a\r\n");
    EXPECT_EQ(std::filesystem::status(dir.file("p.csv")).permissions(), std::filesystem::perms(0640));
}

// Python's csv module reads the file back into the cells we meant.
TEST(CsvInterop, PythonReadsBackTheSameCells)
{
    if (!testfiles::havePythonModule("csv")) GTEST_SKIP() << "/usr/bin/python3 is missing: csv read-back skipped";
    TempDir dir;
    const TableData table = {
        {u"Id", u"Name", u"Note", u"Area"},
        {u"1", u"a \"quoted\" name", u"x,y;z", u"1234.5"},
        {u"2", u"multi\r\nline", u"caf\u00E9 \u20AC \U0001F600", u"-0.5"},
        {u"3", u"", u"", u"007"},
    };
    const std::vector<bool> include(4, true);
    const std::string script = R"(
import csv, sys
path, sep, encoding = sys.argv[1], sys.argv[2], sys.argv[3]
with open(path, newline='', encoding=encoding) as f:
    for row in csv.reader(f, delimiter=sep):
        print('|'.join(row).replace('\r', '<CR>').replace('\n', '<LF>').replace('\u00a0', '<NBSP>'))
)";
    const struct {
        const char16_t* language;
        const char* sep;
        const char* expected;
    } cases[] = {
        {u"en-US", ",",
         "Name|Note|Area\n"
         "a \"quoted\" name|x,y;z|1,234.5\n"
         "multi<CR><LF>line|caf\u00e9 \u20ac \U0001F600|-0.5\n"
         "||7\n"},
        {u"fr-FR", ";",
         "Name|Note|Area\n"
         "a \"quoted\" name|x,y;z|1<NBSP>234,5\n"
         "multi<CR><LF>line|caf\u00e9 \u20ac \U0001F600|-0,5\n"
         "||7\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteCsvExport(table, dir.wfile("py.csv"), include, {1, 2, 3}, {0, 1, 2, 3}, true, u",", c.language));
        std::string output;
        ASSERT_EQ(testfiles::RunPython(script, dir.file("py.csv") + " '" + c.sep + "' utf-8-sig", output), 0) << output;
        EXPECT_EQ(output, c.expected);
    }
}

}  // namespace
