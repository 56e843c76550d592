#include <gtest/gtest.h>

#include "file_helpers.h"
#include "host/editor.h"
#include "host/resbuf.h"
#include "output/csv_export.h"
#include "output/host_language.h"
#include "output/xls/basic_excel.h"
#include "output/xls_export.h"

using testfiles::readFile;
using testfiles::TempDir;

namespace {

// Sets the host's VERLAN for one test and puts the previous value back.
class HostLanguage : public ::testing::Test {
protected:
    void SetUp() override { m_previous = ReadHostLanguage(); }
    void TearDown() override { setLanguage(m_previous); }
    static void setLanguage(const std::u16string& tag)
    {
        qxresbuf value{};
        value.restype = QXRT_STR;
        value.resval.rstring = qxutNewString(tag.c_str());
        ASSERT_EQ(qxedSetVar(u"VERLAN", &value), QXRT_NORM);
        qxutDelBuffer(value.resval.rstring);
    }
    std::u16string m_previous;
    TempDir dir;
};

const TableData kTable = {{u"Id", u"Name", u"Area"}, {u"1", u"Door", u"12.5"}};

TEST_F(HostLanguage, FrenchHostSwitchesTheCsvConventions)
{
    setLanguage(u"fr-FR");
    EXPECT_EQ(ReadHostLanguage(), u"fr-FR");
    ASSERT_TRUE(ExportCsv(kTable, dir.wfile("a.csv"), {true, true, true}, {2, 1}, {0, 1}, true, u","));
    EXPECT_EQ(readFile(dir.file("a.csv")), "\"Area\";Name\r\n\"12,5\";Door\r\n");
    ASSERT_TRUE(ReExportCsv({{u"12.5", u"1234"}}, dir.wfile("b.csv"), u","));
    EXPECT_EQ(readFile(dir.file("b.csv")), "12,5;\"1\xA0" "234\"\r\n");

    setLanguage(u"es-ES");
    ASSERT_TRUE(ExportCsv(kTable, dir.wfile("a.csv"), {true, true, true}, {2, 1}, {0, 1}, true, u","));
    EXPECT_EQ(readFile(dir.file("a.csv")), "\"Area\",Name\r\n\"12.5\",Door\r\n");
}

TEST_F(HostLanguage, FrenchHostPutsACommaInNumericSheetCells)
{
    if (!testfiles::havePythonModule("xlrd")) GTEST_SKIP() << "python3-xlrd is not installed: xlrd check skipped";
    setLanguage(u"fr-FR");
    ASSERT_TRUE(ExportXls(kTable, dir.wfile("a.xls"), {true, true, true}, {1, 2}, {0, 1}, true).bWritten);
    ASSERT_TRUE(ReExportXls({{u"Name", u"Area"}, {u"Door", u"1.5E3"}}, dir.wfile("b.xls")).bWritten);
    const std::string script =
        "import sys, xlrd\n"
        "for path in sys.argv[1:]:\n"
        "    s = xlrd.open_workbook(path).sheet_by_index(0)\n"
        "    print([s.row_values(r) for r in range(s.nrows)])\n";
    std::string output;
    ASSERT_EQ(testfiles::RunPython(script, dir.file("a.xls") + " " + dir.file("b.xls"), output), 0) << output;
    EXPECT_EQ(output, "[['Name', 'Area'], ['Door', '12,5']]\n[['Name', 'Area'], ['Door', '1,5E3']]\n");
}

}  // namespace
