// The update command's export of a table's cells to a file chosen in the save dialog.
#include <gtest/gtest.h>

#include <filesystem>

#include "drawing_fixture.h"
#include "support/files.h"
#include "output/update_command.h"

using qxtest::DrawingTest;

namespace {

class TableExport : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        addCircle(1);
        addCircle(2.5);
        qxtest::ExtractionChoice choice;
        choice.lsProps = {u"Object type", u"Radius"};
        choice.mapNames = {{u"Object type", u"Object type"}, {u"Radius", u"Radius"}};
        idTbl = insertExtraction(choice);
    }
    static std::string read(const std::filesystem::path& path) { return qxtest::readFile(path.string()); }

    qxtest::TempDir temp;
    const std::filesystem::path& dir = temp.root();
    QxDbObjectId idTbl;
};

}  // namespace

TEST_F(TableExport, TheChosenFileTypeDecidesTheFormatWhateverTheName)
{
    const auto csv = dir / "parts.csv";
    answer("file \"" + csv.string() + "\" 1\n");
    ReExportTable(idTbl);
    EXPECT_NE(qx::transcript().find(u"\nCSV export done to : " + csv.u16string()), std::u16string::npos)
        << qxtest::utf8(qx::transcript());
    const std::string text = read(csv);
    EXPECT_EQ(text.find("Parts"), std::string::npos) << "the title row is not exported";
    EXPECT_LT(text.find("Object type"), text.find("Circle"));
    EXPECT_NE(text.find("2.5"), std::string::npos);

    // The spreadsheet type writes a workbook even under a .csv name.
    const auto named = dir / "book.csv";
    answer("file \"" + named.string() + "\" 2\n");
    ReExportTable(idTbl);
    EXPECT_NE(qx::transcript().find(u"\nFinished XLS exportation to : " + named.u16string()), std::u16string::npos);
    EXPECT_EQ(read(named).substr(0, 4), std::string("\xD0\xCF\x11\xE0"));
}

TEST_F(TableExport, AFileThatWasNotWrittenIsReportedAsSuch)
{
    // A folder stands where the file would go.
    const auto nowhere = dir / "parts.csv";
    std::filesystem::create_directories(nowhere);
    const std::pair<const char*, std::u16string> types[] = {
        {"1", u"\nCSV export failed : "}, {"2", u"\nXLS exportation failed : "}, {"3", u"\nXLSX exportation failed : "}};
    for (const auto& [type, failed] : types) {
        answer("file \"" + nowhere.string() + "\" " + type + "\n");
        ReExportTable(idTbl);
        EXPECT_NE(qx::transcript().find(failed + nowhere.u16string()), std::u16string::npos)
            << qxtest::utf8(qx::transcript());
        EXPECT_EQ(qx::transcript().find(u"done"), std::u16string::npos);
        EXPECT_EQ(qx::transcript().find(u"Finished"), std::u16string::npos);
    }

    // Cancelling the dialog writes and prints nothing.
    answer("cancel\n");
    ReExportTable(idTbl);
    EXPECT_EQ(qx::transcript().find(u"export"), std::u16string::npos);
}

TEST_F(TableExport, WhatTheSheetCannotTakeIsReportedInsteadOfFinished)
{
    // A title row and 65,539 rows read back: three beyond the sheet's 65,536, the last of them
    // a totals line; one cell longer than a sheet cell holds.
    auto* table = new QxDbTable();
    ASSERT_EQ(table->setSize(65'540, 2), Qxapp::eOk);
    table->setTextString(0, 0, u"Parts");
    table->setTextString(1, 0, u"Name");
    table->setTextString(2, 1, std::u16string(40'000, u'x').c_str());
    table->setTextString(65'539, 1, u"42");
    const QxDbObjectId idBig = append(table);

    const auto book = dir / "big.xls";
    answer("file \"" + book.string() + "\" 2\n");
    ReExportTable(idBig);
    const std::u16string said = qx::transcript();
    EXPECT_NE(said.find(u"\nXLS exportation incomplete, 3 rows and 0 columns did not fit in the sheet : " +
                        book.u16string()),
              std::u16string::npos)
        << qxtest::utf8(said);
    EXPECT_NE(said.find(u"\nXLS exportation shortened 1 cell texts to 32767 characters : " + book.u16string()),
              std::u16string::npos)
        << qxtest::utf8(said);
    EXPECT_EQ(said.find(u"Finished"), std::u16string::npos) << "a partial sheet is not reported as finished";
    EXPECT_EQ(read(book).substr(0, 4), std::string("\xD0\xCF\x11\xE0")) << "what fits is still written";

    // A table that fits is finished, with nothing else said.
    answer("file \"" + book.string() + "\" 2\n");
    ReExportTable(idTbl);
    EXPECT_NE(qx::transcript().find(u"\nFinished XLS exportation to : " + book.u16string()), std::u16string::npos);
    EXPECT_EQ(qx::transcript().find(u"XLS exportation incomplete"), std::u16string::npos);
    EXPECT_EQ(qx::transcript().find(u"shortened"), std::u16string::npos);
}

TEST_F(TableExport, TheWorkbookTypeWritesNumbersWhereTheTableHasThemAndTakesItsTitle)
{
    addCircle(4);
    qxtest::ExtractionChoice choice;
    choice.lsProps = {u"Object type", u"Radius"};
    choice.mapNames = {{u"Object type", u"Kind"}, {u"Radius", u"R"}};
    choice.lsTotals = {u"R"};
    choice.csTitle = u"Circles";
    const QxDbObjectId idTotalled = insertExtraction(choice);

    const auto book = dir / "circles.xlsx";
    answer("file \"" + book.string() + "\" 3\n");
    ReExportTable(idTotalled);
    EXPECT_NE(qx::transcript().find(u"\nFinished XLSX exportation to : " + book.u16string()), std::u16string::npos)
        << qxtest::utf8(qx::transcript());
    ASSERT_EQ(read(book).substr(0, 2), "PK");
    if (!qxtest::havePythonModule("openpyxl"))
        GTEST_SKIP() << "python3-openpyxl is not installed: cells not checked";
    const std::string command = "/usr/bin/python3 -c 'import sys, openpyxl\n"
                                "b = openpyxl.load_workbook(sys.argv[1]); s = b.active\n"
                                "print(b.properties.title, s.freeze_panes)\n"
                                "for r in s.iter_rows(values_only=True): print(r)' '" +
                                book.string() + "'";
    std::string out;
    qxtest::runCommand(command, out, false);
    // Radii are numbers, the totals line a sum over the three circles; nothing else is a number.
    EXPECT_EQ(out, "Circles A2\n('Kind', 'R')\n('Circle', 1)\n('Circle', 2.5)\n('Circle', 4)\n(None, None)\n"
                   "(None, '=SUM(B2:B4)')\n")
        << out;
}
