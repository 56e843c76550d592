#include <gtest/gtest.h>

#include <algorithm>

#include "file_helpers.h"
#include "output/text_codec.h"
#include "output/xls/basic_excel.h"
#include "output/xls_export.h"

using testfiles::TempDir;

namespace {

// Prints every cell of the first sheet as xlrd reads it: T (text) or B (blank), "*" when its
// font weighs 700, its XF index, and the text.
const char* kDumpScript = R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
print(','.join(book.sheet_names()))
sheet = book.sheet_by_index(0)
for r in range(sheet.nrows):
    cells = []
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        weight = book.font_list[book.xf_list[cell.xf_index].font_index].weight
        kind = {xlrd.XL_CELL_TEXT: 'T', xlrd.XL_CELL_BLANK: 'B', xlrd.XL_CELL_EMPTY: 'E'}.get(cell.ctype, '?')
        text = ':' + cell.value if cell.ctype == xlrd.XL_CELL_TEXT else ''
        cells.append(kind + ('*' if weight == 700 else '') + str(cell.xf_index) + text)
    print(' | '.join(cells))
)";

class XlsInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testfiles::havePythonModule("xlrd")) GTEST_SKIP() << "python3-xlrd is not installed: xlrd checks skipped";
        ::setenv("PYTHONIOENCODING", "utf-8", 1);
    }
    std::string dump(const std::string& path)
    {
        std::string output;
        EXPECT_EQ(testfiles::RunPython(kDumpScript, path, output), 0) << output;
        return output;
    }
    TempDir dir;
};

TableData sampleTable()
{
    return {
        {u"Id", u"Name", u"Area", u"Note"},
        {u"2A", u"Door", u"12.5", u""},
        {u"2B", u"Window", u"1.5E3", u"12.5.3"},
        {u"2C", u"\u4E2D \U0001F600 caf\u00E9", u"", u"x"},
    };
}

TEST_F(XlsInterop, CellsFollowThePreviewWithABoldHeaderAndTheNumberMarksOfTheLanguage)
{
    const struct {
        const char* what;
        std::vector<bool> include;
        std::vector<int> order, rows;
        bool bHeader;
        const char16_t* language;
        const char* expected;
    } cases[] = {
        {"header bold in every cell, order of the preview", {true, true, true, true}, {2, 1, 3}, {0, 3, 1, 2}, true,
         u"en-US",
         "Sheet1\nT*21:Area | T*21:Name | T*21:Note\nB0 | T0:\u4E2D \U0001F600 caf\u00E9 | T0:x\n"
         "T0:12.5 | T0:Door | B0\nT0:1.5E3 | T0:Window | T0:12.5.3\n"},
        {"French comma only in numbers, hidden header makes nothing bold", {true, true, true, true}, {1, 2, 3},
         {1, 2, 3}, false, u"fr-FR",
         "Sheet1\nT0:Door | T0:12,5 | B0\nT0:Window | T0:1,5E3 | T0:12.5.3\nT0:\u4E2D \U0001F600 caf\u00E9 | B0 | T0:x\n"},
        {"Spanish keeps the point", {true, true, true, true}, {2}, {1}, false, u"es-ES", "Sheet1\nT0:12.5\n"},
        // The writer gives every grid position a record, so the gap is a blank cell.
        {"an excluded column is left blank", {true, true, false, true}, {1, 2, 3}, {0, 1}, true, u"en-US",
         "Sheet1\nT*21:Name | B0 | T*21:Note\nT0:Door | B0 | B0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = WriteXlsExport(sampleTable(), dir.wfile("a.xls"), c.include, c.order, c.rows, c.bHeader,
                                           c.language);
        ASSERT_TRUE(result.bWritten);
        EXPECT_EQ(result.nRowsLeftOut + result.nColumnsLeftOut + result.nTextsShortened, 0u);
        EXPECT_EQ(dump(dir.file("a.xls")), c.expected);
    }
}

TEST_F(XlsInterop, ReExportBoldsTheFirstRowAndFormatsNumericCells)
{
    // A table whose header was hidden: its first row is a data row and is bold all the same.
    const TableData table = {{u"Door", u"12.5", u""}, {u"Window", u"3", u"note"}, {u"1.5"}};
    ASSERT_TRUE(WriteXlsReExport(table, dir.wfile("r.xls"), u"fr-FR").bWritten);
    EXPECT_EQ(dump(dir.file("r.xls")),
              "Sheet1\n"
              "T*21:Door | T*21:12,5 | B*21\n"
              "T0:Window | T22:3 | T0:note\n"
              "T22:1,5 | B0 | B0\n");
}

TEST_F(XlsInterop, SharedStringsAcrossContinueRecordsReadBack)
{
    BasicExcel xls;
    xls.New(1);
    for (int i = 0; i < 700; ++i) {
        // Around 20 units each: more than 8,224 bytes in all, with supplementary characters
        // landing at many places relative to the record boundaries.
        std::u16string text = u"cell " + std::u16string(1, char16_t(u'A' + i % 26)) + std::u16string(i % 13, u'-') +
                              (i % 5 == 0 ? u"\U0001F600" : u"\u00E9") + std::u16string(i % 7, u'z');
        // The SST data starts with 8 bytes of counts; "t" takes 5, the next header 3, so the
        // pair after 4,103 units would start 2 bytes before the end of the first record.
        if (i == 0) text = u"t";
        if (i == 1) text = std::u16string(4103, u'L') + u"\U0001F601 end";
        xls.GetWorksheet(0)->Cell(i, 0)->SetWString(text);
    }
    ASSERT_TRUE(xls.SaveAs(dir.wfile("sst.xls")));
    std::string expected = "Sheet1\n";
    for (std::uint32_t i = 0; i < 700; ++i) expected += "T0:" + ToUtf8(xls.GetWorksheet(0)->Cell(i, 0)->GetWString()) + "\n";
    EXPECT_EQ(dump(dir.file("sst.xls")), expected);
}

TEST(XlsExport, CellsBeyondTheSheetAreCountedAndTheRestIsWritten)
{
    TempDir dir;
    TableData wide(2, std::vector<std::u16string>(301, u"v"));
    std::vector<int> order;
    for (int c = 1; c <= 300; ++c) order.push_back(c);
    const auto result = WriteXlsExport(wide, dir.wfile("w.xls"), std::vector<bool>(301, true), order, {0, 1}, true, u"en-US");
    EXPECT_TRUE(result.bWritten);
    EXPECT_EQ(result.nColumnsLeftOut, 44u);
    EXPECT_EQ(result.nRowsLeftOut, 0u);

    TableData tall(65540, std::vector<std::u16string>{u"", u"r"});
    const auto reResult = WriteXlsReExport(tall, dir.wfile("t.xls"), u"en-US");
    EXPECT_TRUE(reResult.bWritten);
    EXPECT_EQ(reResult.nRowsLeftOut, 4u);
    EXPECT_EQ(reResult.nColumnsLeftOut, 0u);
    if (testfiles::havePythonModule("xlrd")) {
        std::string output;
        ASSERT_EQ(testfiles::RunPython("import sys, xlrd\ns = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                       "print(s.nrows, s.ncols, s.cell_value(65535, 1))",
                                       dir.file("t.xls") + " " + "", output),
                  0)
            << output;
        EXPECT_EQ(output, "65536 2 r\n");
    }
}

TEST(XlsExport, LongTextsAreCutAndCounted)
{
    TempDir dir;
    const TableData table = {{u"Id", u"Text"}, {u"1", std::u16string(40000, u'x')}};
    const auto result = WriteXlsExport(table, dir.wfile("l.xls"), {true, true}, {1}, {0, 1}, true, u"en-US");
    EXPECT_TRUE(result.bWritten);
    EXPECT_EQ(result.nTextsShortened, 1u);
}

TEST(XlsExport, FailuresAreReportedAndKeepTheOldFile)
{
    TempDir dir;
    const TableData table = sampleTable();
    const std::vector<bool> include(4, true);
    EXPECT_FALSE(WriteXlsExport(table, dir.wfile("no/a.xls"), include, {1}, {0, 1}, true, u"en-US").bWritten);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteXlsExport(table, u"/dev/full", include, {1}, {0, 1}, true, u"en-US").bWritten);
        EXPECT_FALSE(WriteXlsReExport(table, u"/dev/full", u"en-US").bWritten);
    }
    testfiles::writeFile(dir.file("keep.xls"), "old");
    EXPECT_FALSE(WriteXlsExport(table, dir.wfile("keep.xls/x"), include, {1}, {0, 1}, true, u"en-US").bWritten);
    EXPECT_EQ(testfiles::readFile(dir.file("keep.xls")), "old");

    // The disk fills up in the middle of the workbook: the old file stays whole.
    TableData big(1, {u"Id", u"Name"});
    for (int i = 0; i < 20000; ++i) big.push_back({u"1", std::u16string{u't', char16_t(u'A' + i % 26), char16_t(0x100 + i)}});
    EXPECT_FALSE(testfiles::WriteOnAFullDisk([&] {
        return WriteXlsExport(big, dir.wfile("keep.xls"), {true, true}, {1}, testfiles::AllRows(big.size()), true, u"en-US")
            .bWritten;
    }));
    EXPECT_EQ(testfiles::readFile(dir.file("keep.xls")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root()), {}), 1) << "temporary file left behind";

    EXPECT_TRUE(WriteXlsExport({}, dir.wfile("empty.xls"), {}, {}, {}, true, u"en-US").bWritten);
    EXPECT_FALSE(std::filesystem::exists(dir.file("empty.xls")));
}

// Another spreadsheet program reads the same cells, when one is installed.
TEST(XlsOtherReaders, ConvertedToCsvTheCellsAreTheSame)
{
    const std::string found = testfiles::SpreadsheetConverter();
    if (found.empty()) GTEST_SKIP() << "neither ssconvert nor LibreOffice is installed: conversion check skipped";

    TempDir dir;
    const TableData table = {{u"Id", u"Name", u"Area"}, {u"1", u"Door", u"12.5"}, {u"2", u"caf\u00E9", u""}};
    ASSERT_TRUE(WriteXlsExport(table, dir.wfile("c.xls"), {true, true, true}, {1, 2}, {0, 1, 2}, true, u"fr-FR").bWritten);
    const std::string csv = testfiles::ConvertedToCsv(found, dir, "c.xls");
    EXPECT_EQ(csv, "Name,Area\nDoor,\"12,5\"\ncaf\u00E9,\n");
}

}  // namespace
