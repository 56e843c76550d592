#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "file_helpers.h"
#include "output/csv_export.h"

using testfiles::ReadBytes;
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

std::string exportEnglish(const TableData& table, const std::vector<int>& order, const std::vector<int>& rows,
                          bool bHeader, const std::string& language = "en-US")
{
    TempDir dir;
    const std::vector<bool> include(table.front().size(), true);
    EXPECT_TRUE(WriteCsvExport(table, dir.wfile("out.csv"), include, order, rows, bHeader, u",",
                               std::u16string(language.begin(), language.end())));
    return ReadBytes(dir.file("out.csv"));
}

TEST(CsvExport, WritesFieldsInPreviewOrderWithNumbersRewritten)
{
    // Place 1 is never quoted; numbers are rewritten with the English marks; CR LF everywhere.
    EXPECT_EQ(exportEnglish(sampleTable(), {1, 2, 3}, {0, 1, 2, 3}, true),
              "\"Name\",Area,\"Layer\"\r\n"
              "\"Door\",1234.5,\"0\"\r\n"
              "\"Window\",12.5,\"Walls\"\r\n"
              "\"Wall\",1.5E3,\"12 m\"\r\n");
    EXPECT_EQ(exportEnglish(sampleTable(), {2, 1, 3}, {0, 3, 1, 2}, true),
              "\"Area\",Name,\"Layer\"\r\n"
              "\"1,500\",Wall,\"12 m\"\r\n"
              "\"1,234.5\",Door,\"0\"\r\n"
              "\"12.5\",Window,\"Walls\"\r\n");
}

TEST(CsvExport, FrenchSwitchesToSemicolonAndFrenchMarks)
{
    EXPECT_EQ(exportEnglish(sampleTable(), {2, 1, 3}, {0, 1, 2, 3}, true, "fr-FR"),
              "\"Area\";Name;\"Layer\"\r\n"
              "\"1\xA0" "234,5\";Door;\"0\"\r\n"
              "\"12,5\";Window;\"Walls\"\r\n"
              "\"1\xA0" "500\";Wall;\"12 m\"\r\n");
    // The tag must match exactly.
    EXPECT_EQ(exportEnglish(sampleTable(), {2, 1}, {0, 2}, true, "fr-fr"), "\"Area\",Name\r\n\"12.5\",Window\r\n");
}

TEST(CsvExport, InFrenchTheUnquotedFieldHasFrenchMarksToo)
{
    EXPECT_EQ(exportEnglish(sampleTable(), {1, 2, 3}, {0, 1, 2, 3}, true, "fr-FR"),
              "\"Name\";Area;\"Layer\"\r\n"
              "\"Door\";1\xA0" "234,5;\"0\"\r\n"
              "\"Window\";12,5;\"Walls\"\r\n"
              "\"Wall\";1\xA0" "500;\"12 m\"\r\n");
    // The re-export's unquoted field is the first one.
    TempDir dir;
    ASSERT_TRUE(WriteCsvReExport({{u"Area", u"Name"}, {u"12.5", u"1234.5"}}, dir.wfile("re.csv"), u",", u"fr-FR"));
    EXPECT_EQ(ReadBytes(dir.file("re.csv")), "Area;\"Name\"\r\n12,5;\"1\xA0" "234,5\"\r\n");
}

TEST(CsvExport, NumbersAreReformattedButTextsThatAreNotNumbersStayAsTheyAre)
{
    const TableData table = {
        {u"Id", u"a", u"b", u"c", u"d", u"e", u"f"},
        {u"1", u"007", u"007", u"2.50", u"1,5", u"", u"1234567"},
    };
    EXPECT_EQ(exportEnglish(table, {1, 2, 3, 4, 5, 6}, {1}, false),
              "\"7\",007,\"2.5\",\"1,5\",\"\",\"1.23457e+006\"\r\n");
}

TEST(CsvExport, HiddenHeaderStartsWithTheFirstDataRow)
{
    // With the header hidden the row order holds only the data rows, as the preview lists them.
    EXPECT_EQ(exportEnglish(sampleTable(), {1}, {1, 3, 2}, false), "\"Door\"\r\n\"Wall\"\r\n\"Window\"\r\n");
}

TEST(CsvExport, ExcludedColumnsWriteNothingNotEvenASeparator)
{
    TempDir dir;
    const TableData table = sampleTable();
    EXPECT_TRUE(WriteCsvExport(table, dir.wfile("x.csv"), {true, true, false, true}, {1, 2, 3}, {0, 1}, true, u",", u"en-US"));
    EXPECT_EQ(ReadBytes(dir.file("x.csv")), "\"Name\",\"Layer\"\r\n\"Door\",\"0\"\r\n");
}

TEST(CsvExport, QuotesAreDoubledAndTheUnquotedPlaceIsQuotedOnlyWhenItMustBe)
{
    const TableData table = {
        {u"Id", u"a", u"b"},
        {u"1", u"say \"hi\"", u"x,y"},
        {u"2", u"plain", u"two\r\nlines"},
        {u"3", u"", u"\"q\""},
        {u"4", u"", u"semi;colon"},
    };
    EXPECT_EQ(exportEnglish(table, {1, 2}, {0, 1, 2, 3, 4}, true),
              "\"a\",b\r\n"
              "\"say \"\"hi\"\"\",\"x,y\"\r\n"
              "\"plain\",\"two\r\nlines\"\r\n"
              "\"\",\"\"\"q\"\"\"\r\n"
              "\"\",semi;colon\r\n");
    // With the French separator the comma no longer needs quotes, the semicolon does.
    EXPECT_EQ(exportEnglish(table, {1, 2}, {0, 1, 4}, true, "fr-FR"),
              "\"a\";b\r\n\"say \"\"hi\"\"\";x,y\r\n\"\";\"semi;colon\"\r\n");
}

TEST(CsvExport, TextBeyondLatin1MakesTheWholeFileUtf8WithAMark)
{
    const TableData latin = {{u"Id", u"a", u"b"}, {u"1", u"caf\u00E9", u"12.5"}};
    EXPECT_EQ(exportEnglish(latin, {1, 2}, {0, 1}, true, "fr-FR"), "\"a\";b\r\n\"caf\xE9\";12,5\r\n");

    const TableData wide = {{u"Id", u"a", u"b"}, {u"1", u"caf\u00E9", u"1500"}, {u"2", u"5 \u20AC", u"x"}};
    EXPECT_EQ(exportEnglish(wide, {2, 1}, {0, 1, 2}, true, "fr-FR"),
              "\xEF\xBB\xBF\"b\";a\r\n\"1\xC2\xA0" "500\";caf\xC3\xA9\r\n\"x\";5 \xE2\x82\xAC\r\n");
}

TEST(CsvExport, AWideCharacterLateInALargeFileStillMakesAllOfItUtf8)
{
    TempDir dir;
    TableData table(1, {u"Id", u"Name"});
    for (int i = 0; i < 100000; ++i) table.push_back({u"1", u"caf\u00E9"});
    table.push_back({u"1", u"\u20AC"});
    std::vector<int> rows(table.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    ASSERT_TRUE(WriteCsvExport(table, dir.wfile("big.csv"), {true, true}, {1, 0}, rows, true, u",", u"en-US"));
    const std::string bytes = ReadBytes(dir.file("big.csv"));
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
    EXPECT_EQ(ReadBytes(dir.file("re.csv")),
              "Name,\"Area\",\"Count\"\r\n"
              "Door,\"1,234.5\",\"3\"\r\n"
              "\"a,b\",\"x\",\"\"\r\n");
    ASSERT_TRUE(WriteCsvReExport(table, dir.wfile("re.csv"), u",", u"fr-FR"));
    EXPECT_EQ(ReadBytes(dir.file("re.csv")),
              "Name;\"Area\";\"Count\"\r\nDoor;\"1\xA0" "234,5\";\"3\"\r\na,b;\"x\";\"\"\r\n");
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
    testfiles::WriteBytes(dir.file("keep.csv"), "good old content");
    TableData big(1, {u"Id", u"Name"});
    for (int i = 0; i < 20000; ++i) big.push_back({u"1", u"some text to fill the disk"});
    std::vector<int> rows(big.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);

    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteCsvExport(big, dir.wfile("keep.csv"), {true, true}, {0, 1}, rows, true, u",", u"en-US");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(dir.file("keep.csv")), "good old content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "temporary file left behind";
}

TEST(CsvExport, ReplacingAFileKeepsItsPermissions)
{
    TempDir dir;
    testfiles::WriteBytes(dir.file("p.csv"), "old");
    std::filesystem::permissions(dir.file("p.csv"), std::filesystem::perms(0640));
    ASSERT_TRUE(WriteCsvReExport({{u"a"}}, dir.wfile("p.csv"), u",", u"en-US"));
    EXPECT_EQ(ReadBytes(dir.file("p.csv")), "a\r\n");
    EXPECT_EQ(std::filesystem::status(dir.file("p.csv")).permissions(), std::filesystem::perms(0640));
}

// Python's csv module reads the file back into the cells we meant.
TEST(CsvInterop, PythonReadsBackTheSameCells)
{
    if (!testfiles::HavePythonModule("csv")) GTEST_SKIP() << "/usr/bin/python3 is missing: csv read-back skipped";
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
