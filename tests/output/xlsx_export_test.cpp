// The .xlsx export, read back by another program (openpyxl): cell kinds, number formats,
// formulas with their stored results, the header's look, and what does not fit.
#include <gtest/gtest.h>

#include <algorithm>

#include "file_helpers.h"
#include "output/xlsx_export.h"

using testfiles::TempDir;

namespace {

// Prints the sheet's name, the workbook's title, the freeze pane and the filter range, then
// every cell that holds something: place, kind (s text, n number, f formula), "*" when bold,
// number format, value, and for a formula the result stored with it.
const char* kDumpScript = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
stored = openpyxl.load_workbook(sys.argv[1], data_only=True).active
sheet = book.active
print(sheet.title, '|', book.properties.title, '|', sheet.freeze_panes, '|', sheet.auto_filter.ref)
for row in sheet.iter_rows():
    for c in row:
        if c.value is None: continue
        kind = c.data_type + ('*' if c.font.b else '')
        extra = ' = ' + repr(stored[c.coordinate].value) if c.data_type == 'f' else ''
        print(c.coordinate, kind, c.number_format, repr(c.value) + extra)
)";

// Column widths by letter, in whole characters.
const char* kWidthScript = R"(
import sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).active
print(' '.join('%s=%d' % (k, int(d.width)) for k, d in sorted(sheet.column_dimensions.items()) if d.width))
)";

class XlsxInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testfiles::havePythonModule("openpyxl"))
            GTEST_SKIP() << "python3-openpyxl is not installed: workbook checks skipped";
        ::setenv("PYTHONIOENCODING", "utf-8", 1);
    }
    std::string run(const char* script, const std::string& path)
    {
        std::string output;
        EXPECT_EQ(testfiles::RunPython(script, "'" + path + "'", output), 0) << output;
        return output;
    }
    std::string dump(const std::string& path) { return run(kDumpScript, path); }
    TempDir dir;
};

// Doors as the output page has them: handle column, a door number that is a text, two numeric
// columns, the empty row and the totals line (the totals line's texts are what the other
// outputs show).
TableData doorTable()
{
    return {
        {u"", u"NUMBER", u"WIDTH", u"Area", u"Kind"},
        {u"2A", u"0012", u"900", u"1.89", u"Door"},
        {u"2B", u"101", u"1250", u"2.5", u"1e3"},
        {u"2C", u"102", u"", u"n/a", u"Door"},
        {u"", u"", u"", u"", u""},
        {u"", u"", u"2150", u"4.39", u""},
    };
}

XlsxSheetInfo doorInfo(int nPrecision = 2)
{
    return {{false, false, true, true, false}, 5, nPrecision, u"Doors and windows"};
}

const std::vector<bool> kAll(5, true);

TEST_F(XlsxInterop, NumbersInNumericColumnsTotalsAsSumsAndLookalikeTextsStayTexts)
{
    const ExportLayout layout = MakeExportLayout(doorTable(), kAll, {1, 2, 3, 4}, {0, 1, 2, 3, 4, 5}, true);
    ASSERT_TRUE(WriteXlsxExport(doorTable(), dir.wfile("d.xlsx"), layout, doorInfo()).bWritten);
    EXPECT_EQ(dump(dir.file("d.xlsx")),
              "Sheet1 | Doors and windows | A2 | A1:D4\n"
              "A1 s* General 'NUMBER'\nB1 s* General 'WIDTH'\nC1 s* General 'Area'\nD1 s* General 'Kind'\n"
              "A2 s General '0012'\nB2 n #,##0.00 900\nC2 n #,##0.00 1.89\nD2 s General 'Door'\n"
              "A3 s General '101'\nB3 n #,##0.00 1250\nC3 n #,##0.00 2.5\nD3 s General '1e3'\n"
              "A4 s General '102'\nC4 s General 'n/a'\nD4 s General 'Door'\n"
              "B6 f #,##0.00 '=SUM(B2:B4)' = 2150\nC6 f #,##0.00 '=SUM(C2:C4)' = 4.39\n");
}

TEST_F(XlsxInterop, RowsAndColumnsFollowThePreviewAndAHiddenHeaderLeavesNoFilter)
{
    // The rows in the preview's order, WIDTH moved first, Kind left out (its place stays
    // empty), the header hidden: the data starts at the first row and the sums start there too.
    std::vector<bool> include = kAll;
    include[4] = false;
    const ExportLayout layout = MakeExportLayout(doorTable(), include, {2, 4, 1}, {1, 3, 2, 4, 5}, false);
    ASSERT_TRUE(WriteXlsxExport(doorTable(), dir.wfile("h.xlsx"), layout, doorInfo(0)).bWritten);
    EXPECT_EQ(dump(dir.file("h.xlsx")),
              "Sheet1 | Doors and windows | None | None\n"
              "A1 n #,##0 900\nC1 s General '0012'\n"
              "C2 s General '102'\n"
              "A3 n #,##0 1250\nC3 s General '101'\n"
              "A5 f #,##0 '=SUM(A1:A3)' = 2150\n");
}

TEST_F(XlsxInterop, TheReExportBoldsItsFirstRowAndSumsItsTotalsLine)
{
    TableData rows = doorTable();
    for (TableRow& row : rows) row.erase(row.begin());  // a drawing table has no handle column
    rows[3][1] = u"1e400";                               // edited by hand, beyond any number
    ASSERT_TRUE(ReExportXlsx(rows, dir.wfile("r.xlsx"), {false, true, false, false}, true, u"Parts").bWritten);
    const std::string cells = dump(dir.file("r.xlsx"));
    EXPECT_EQ(cells.substr(0, cells.find('\n')), "Sheet1 | Parts | A2 | A1:D4");
    EXPECT_NE(cells.find("\nB2 n #,##0.0000 900\n"), std::string::npos) << cells;
    EXPECT_NE(cells.find("\nC2 s General '1.89'\n"), std::string::npos) << "not a number column, so a text";
    EXPECT_NE(cells.find("\nB4 s General '1e400'\n"), std::string::npos) << cells;
    EXPECT_NE(cells.find("\nB6 f #,##0.0000 '=SUM(B2:B4)' = 2150\n"), std::string::npos) << cells;
    EXPECT_NE(cells.find("\nC6 s General '4.39'\n"), std::string::npos) << cells;
}

TEST_F(XlsxInterop, ColumnsAreAsWideAsTheirWidestShownValue)
{
    const TableData table = {{u"", u"N", u"Description", u"Big"},
                             {u"1", u"7", u"A rather long description of a fire door", u"1234567.5"}};
    const XlsxSheetInfo info{{false, true, false, true}, std::nullopt, 3, u""};
    ASSERT_TRUE(WriteXlsxExport(table, dir.wfile("w.xlsx"),
                                MakeExportLayout(table, {true, true, true, true}, {1, 2, 3}, {0, 1}, true), info)
                    .bWritten);
    // Two characters beside "7.000", the 40 characters of the description, "1,234,567.500".
    EXPECT_EQ(run(kWidthScript, dir.file("w.xlsx")), "A=7 B=42 C=15\n");
}

TEST_F(XlsxInterop, LongTextsAreCutToWhatACellHolds)
{
    const TableData table = {{u"", u"Text"}, {u"1", std::u16string(40000, u'x')}};
    const auto result = WriteXlsxExport(table, dir.wfile("l.xlsx"),
                                        MakeExportLayout(table, {true, true}, {1}, {0, 1}, true), XlsxSheetInfo{});
    EXPECT_TRUE(result.bWritten);
    EXPECT_EQ(result.nTextsShortened, 1u);
    std::string output;
    ASSERT_EQ(testfiles::RunPython("import sys, openpyxl\nprint(len(openpyxl.load_workbook(sys.argv[1]).active['A2'].value))",
                                   dir.file("l.xlsx"), output),
              0)
        << output;
    EXPECT_EQ(output, "32767\n");
}

TEST(XlsxExport, CellsBeyondTheSheetAreCountedAndTheRestIsWritten)
{
    TempDir dir;
    // 16,390 columns: six beyond the sheet's 16,384.
    TableData wide(2, TableRow(16391, u"v"));
    std::vector<int> order;
    for (int c = 1; c <= 16390; ++c) order.push_back(c);
    const auto result =
        WriteXlsxExport(wide, dir.wfile("w.xlsx"), MakeExportLayout(wide, std::vector<bool>(16391, true), order, {0, 1}, true),
                        XlsxSheetInfo{});
    EXPECT_TRUE(result.bWritten);
    EXPECT_EQ(result.nColumnsLeftOut, 6u);
    EXPECT_EQ(result.nRowsLeftOut, 0u);

    // 1,048,580 rows, the last five of them filled: four beyond the sheet's last row.
    TableData tall(1048580);
    tall[0] = {u"Name"};
    for (std::size_t r = tall.size() - 5; r < tall.size(); ++r) tall[r] = {u"r" + std::u16string(1, u'0' + r % 10)};
    const auto reResult = ReExportXlsx(tall, dir.wfile("t.xlsx"), {}, false, u"");
    EXPECT_TRUE(reResult.bWritten);
    EXPECT_EQ(reResult.nRowsLeftOut, 4u);
    EXPECT_EQ(reResult.nColumnsLeftOut, 0u);
    if (testfiles::havePythonModule("openpyxl")) {
        std::string output;
        ASSERT_EQ(testfiles::RunPython("import sys, openpyxl\ns = openpyxl.load_workbook(sys.argv[1], read_only=True).active\n"
                                       "print(s.max_row, list(s.iter_rows(min_row=1048576, values_only=True))[0])",
                                       dir.file("t.xlsx"), output),
                  0)
            << output;
        EXPECT_EQ(output, "1048576 ('r5',)\n");
    }
}

TEST(XlsxExport, ATableReadBackHasNumbersWhereItTotalsOrEveryValueIsANumber)
{
    const TableData rows = {
        {u"Number", u"Width", u"Area", u"Note", u"Code"},
        {u"D01", u"900", u"1.89", u"", u"0012"},
        {u"D02", u"", u"n/a", u"", u"7"},
        {u"", u"", u"", u"", u""},
        {u"", u"", u"4.39", u"", u""},
    };
    // Area is totalled though one value is not a number; a code with a leading zero is not how
    // a number is written, so its column stays text; an empty column holds no number.
    EXPECT_EQ(NumericColumnsOf(rows, true), (std::vector<bool>{false, true, true, false, false}));
    // Without a totals line its last row is data like the others.
    EXPECT_EQ(NumericColumnsOf(rows, false), (std::vector<bool>{false, true, false, false, false}));
    // Signed numbers, decimals below one and zero itself are numbers as written.
    EXPECT_EQ(NumericColumnsOf({{u"N"}, {u"-0.5"}, {u"0"}, {u"+3"}}, false), std::vector<bool>{true});
    EXPECT_EQ(NumericColumnsOf({{u"N"}, {u"-07"}}, false), std::vector<bool>{false});
    EXPECT_TRUE(NumericColumnsOf({}, true).empty());
}

TEST(XlsxExport, FailuresAreReportedAndKeepTheOldFile)
{
    TempDir dir;
    const TableData table = doorTable();
    const ExportLayout layout = MakeExportLayout(table, kAll, {1, 2}, {0, 1, 2}, true);
    EXPECT_FALSE(WriteXlsxExport(table, dir.wfile("no/a.xlsx"), layout, doorInfo()).bWritten);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteXlsxExport(table, u"/dev/full", layout, doorInfo()).bWritten);
    }
    testfiles::writeFile(dir.file("keep.xlsx"), "old");
    EXPECT_FALSE(WriteXlsxExport(table, dir.wfile("keep.xlsx/x"), layout, doorInfo()).bWritten);
    EXPECT_EQ(testfiles::readFile(dir.file("keep.xlsx")), "old");

    // A folder where the file would go: refused before anything is written, nothing left over.
    std::filesystem::create_directory(dir.file("folder.xlsx"));
    EXPECT_FALSE(WriteXlsxExport(table, dir.wfile("folder.xlsx"), layout, doorInfo()).bWritten);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.root()), {}), 2) << "temporary file left behind";

    EXPECT_TRUE(WriteXlsxExport({}, dir.wfile("empty.xlsx"), ExportLayout{}, XlsxSheetInfo{}).bWritten);
    EXPECT_FALSE(std::filesystem::exists(dir.file("empty.xlsx")));
}

// Another spreadsheet program shows the same cells, when one is installed.
TEST(XlsxOtherReaders, ConvertedToCsvTheCellsAreTheSame)
{
    const std::string found = testfiles::SpreadsheetConverter();
    if (found.empty()) GTEST_SKIP() << "neither ssconvert nor LibreOffice is installed: conversion check skipped";

    TempDir dir;
    const ExportLayout layout = MakeExportLayout(doorTable(), kAll, {1, 2, 3}, {0, 1, 2, 3, 4, 5}, true);
    ASSERT_TRUE(WriteXlsxExport(doorTable(), dir.wfile("c.xlsx"), layout, doorInfo(0)).bWritten);
    const std::string csv = testfiles::ConvertedToCsv(found, dir, "c.xlsx");
    // Shown with no decimals and the thousands mark; the sums recalculated or stored agree.
    EXPECT_EQ(csv, "NUMBER,WIDTH,Area\n0012,900,2\n101,\"1,250\",3\n102,,n/a\n,,\n,\"2,150\",4\n");
}

}  // namespace
