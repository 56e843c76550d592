// The wizard from the command to Finish: the table the outputs receive follows the choices
// of pages 3 and 4 and the preview's column and row order; Finish reports what it did.
#include "wizard_fixture.h"

#include "output/drawing_table.h"
#include "host/dbtable.h"
#include "output/extraction_record.h"

using qxtest::WizardDrawing;

namespace {

const std::string kToPage4 = "click Next\nclick Next\nclick Next\n";
// On page 4: uncheck every property but the object type.
const std::string kTypeOnly = "cell-menu 1025 Length 1\nchoose \"No selection\"\ncheck 1025 \"Object type\" 1\n";
// On page 4: the object type, length and radius only.
const std::string kTypeLengthRadius = kTypeOnly + "check 1025 Length 1\ncheck 1025 Radius 1\n";

std::string exportCsv(const std::string& file)
{
    return "click 1029\nfile \"" + file + "\" 1\n";
}

// The number of objects in model space.
std::int32_t entityCount()
{
    qxds_name ss{};
    EXPECT_EQ(qxedSSGet(u"A", nullptr, nullptr, nullptr, ss), QXRT_NORM);
    std::int32_t nLength = 0;
    qxedSSLength(ss, &nLength);
    qxedSSFree(ss);
    return nLength;
}

}  // namespace

class WizardTable : public WizardDrawing {
protected:
    // Lines of length 10, 5 and 7, no table inserted yet; the handles of the 5 and the 7.
    std::pair<std::u16string, std::u16string> drawThreeLines()
    {
        append(new QxDbLine({0, 0, 0}, {10, 0, 0}));
        const std::u16string shortLine = append(new QxDbLine({0, 0, 0}, {0, 5, 0}));
        const std::u16string longLine = append(new QxDbLine({0, 0, 0}, {0, 7, 0}));
        LastInsertedTable() = QxDbObjectId();
        return {shortLine, longLine};
    }
};

// Two lines of length 10 and 5 and two circles of radius 1, through the wizard to a CSV file:
// the choices of page 4 and the preview's moves and sorts decide what the file holds.
TEST_F(WizardDrawing, TheCsvFollowsTheChosenColumnsTheirNamesAndThePreviewsOrderWithTheTotalsKeptLast)
{
    const struct {
        const char* what;
        std::string onPage4, onPage5;
        const char* expected;
    } cases[] = {
        {"chosen columns, totals after an empty row", kTypeLengthRadius, "",
         "\"Object type\",Length,\"Radius\"\r\n\"Line\",10,\"\"\r\n\"Line\",5,\"\"\r\n\"Circle\",,\"1\"\r\n"
         "\"Circle\",,\"1\"\r\n\"\",,\"\"\r\n\"\",15,\"2\"\r\n"},
        // Ascending by the renamed length column: as numbers 5 comes before 10 (as text it
        // would not), and the circles' empty lengths count as 0.
        {"a renamed column keeps its total and sorts as numbers",
         kTypeLengthRadius + "edit 1025 Length 2 \"Len (m)\"\n", "sort 1022 2\n",
         "\"Object type\",Len (m),\"Radius\"\r\n\"Circle\",,\"1\"\r\n\"Circle\",,\"1\"\r\n\"Line\",5,\"\"\r\n"
         "\"Line\",10,\"\"\r\n\"\",,\"\"\r\n\"\",15,\"2\"\r\n"},
        {"a moved column and a descending sort", kTypeLengthRadius,
         "move-column 1022 Radius 1\nsort 1022 Length\nsort 1022 Length\n",
         "\"Radius\",Object type,\"Length\"\r\n\"\",Line,\"10\"\r\n\"\",Line,\"5\"\r\n\"1\",Circle,\"\"\r\n"
         "\"1\",Circle,\"\"\r\n\"\",,\"\"\r\n\"2\",,\"15\"\r\n"},
        // No header line, no totals ("Display totals" unchecked); every data row is sorted.
        {"header hidden", kTypeLengthRadius + "check 1029\nuncheck 1028\n", "sort 1022 Length\n",
         "\"Circle\",,\"1\"\r\n\"Circle\",,\"1\"\r\n\"Line\",5,\"\"\r\n\"Line\",10,\"\"\r\n"},
        // The combined row of two circles of radius 1 adds 2 to the total of the radii.
        {"combined rows count identical objects once", kTypeOnly + "check 1025 Radius 1\ncheck 1033\n", "",
         "\"Object type\",Quantity,\"Radius\"\r\n\"Line\",2,\"\"\r\n\"Circle\",2,\"1\"\r\n\"\",,\"\"\r\n"
         "\"\",4,\"2\"\r\n"},
        // Quantity, Length and Radius keep their Total checked but are not chosen as columns.
        {"no totals line without a totalled column", kTypeOnly, "",
         "\"Object type\"\r\n\"Line\"\r\n\"Line\"\r\n\"Circle\"\r\n\"Circle\"\r\n"},
    };
    drawLinesAndCircles();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("t.csv");
        const std::string out =
            runWizard(kToPage4 + c.onPage4 + "click Next\n" + c.onPage5 + exportCsv(file) + "click Finish\n");
        EXPECT_EQ(readFile(file), c.expected);
        EXPECT_TRUE(has(out, "\nCSV export done to : " + file));
        std::filesystem::remove(file);
    }
}

TEST_F(WizardDrawing, TheSpreadsheetFilterMakesAWorkbookWhateverTheNameSays)
{
    drawLinesAndCircles();
    const std::string out = runWizard(kToPage4 + kTypeLengthRadius + "click Next\nclick 1029\nfile \"" + path("t.csv") +
                                      "\" 2\nclick Finish\n");
    const std::string bytes = readFile(path("t.csv"));
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) << "a compound file";
    EXPECT_TRUE(has(out, "\nFinished XLS exportation to : " + path("t.csv")));
    EXPECT_FALSE(has(out, "CSV export"));
}

TEST_F(WizardDrawing, AnExportThatFailsIsReportedAsFailedNotAsDone)
{
    drawLinesAndCircles();
    // A folder stands where the file should go: nothing can be written there.
    const std::string file = path("t.csv");
    std::filesystem::create_directories(file);
    const std::string out = runWizard(kToPage4 + "click Next\n" + exportCsv(file) + "click Finish\n");
    EXPECT_TRUE(has(out, "\nCSV export failed : " + file)) << out;
    EXPECT_FALSE(has(out, "CSV export done"));
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(WizardDrawing, FinishWithoutAnyOutputAsksNoKeepsThePageAndACancelledPickIsNoOutput)
{
    drawLinesAndCircles();
    const std::string out =
        runWizard(kToPage4 + "click Next\nclick Finish\nno\n" + exportCsv(path("t.csv")) + "click Finish\n");
    EXPECT_TRUE(has(out, "No output choice : Are you sure to want quit wizard ?"));
    EXPECT_TRUE(std::filesystem::exists(path("t.csv"))) << "the page stayed and made the file afterwards";

    // A table pick cancelled inserts nothing and leaves Finish with no output to make.
    const std::string quit = runWizard(kToPage4 + "click Next\nclick 1031\ncancel\nclick Finish\nyes\n");
    EXPECT_TRUE(has(quit, "No output choice"));
    EXPECT_FALSE(has(quit, "export"));
    EXPECT_EQ(entityCount(), 4);
}

TEST_F(WizardDrawing, CancelOnTheLastPageWritesNothing)
{
    drawLinesAndCircles();
    const std::string out = runWizard(kToPage4 + "click Next\n" + exportCsv(path("t.csv")) + "click 1003\nfile \"" +
                                      path("t.qex") + "\"\nclick Cancel\n");
    EXPECT_FALSE(std::filesystem::exists(path("t.csv")));
    EXPECT_FALSE(std::filesystem::exists(path("t.qex")));
    EXPECT_FALSE(has(out, "export"));
}

TEST_F(WizardTable, TheInsertedTableGetsTheRecordOnFinishInPreviewOrder)
{
    const auto [shortLine, longLine] = drawThreeLines();
    runWizard(kToPage4 + kTypeLengthRadius +
              "edit 1025 Length 2 \"Len\"\nclick Next\nsort 1022 Len\n"
              "click 1031\n10,20\nclick 1031\n30,40\nclick Finish\n");
    const QxDbObjectId idTbl = LastInsertedTable();
    ASSERT_FALSE(idTbl.isNull());
    const std::vector<std::u16string> lsHandles = ReadRecordItems(idTbl, csAppHdls);
    ASSERT_EQ(lsHandles.size(), 3u);
    EXPECT_EQ(lsHandles[0], shortLine);
    EXPECT_EQ(lsHandles[1], longLine);
    EXPECT_EQ(ReadRecordItems(idTbl, csAppDisplayNames), (std::vector<std::u16string>{u"Len", u"Object type"}));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppOriginalNames), (std::vector<std::u16string>{u"Length", u"Object type"}));
    EXPECT_EQ(ReadRecordItems(idTbl, csTbHeaders), (std::vector<std::u16string>{u"Object type", u"Len"}));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppObjTypes), (std::vector<std::u16string>{u"Line"}));

    // Both picks made a table; only the second carries the record.
    EXPECT_EQ(entityCount(), 5);
}

TEST_F(WizardTable, WithTheHeaderHiddenTheInsertedTableAndItsRecordFollowTheSortToo)
{
    const auto [shortLine, longLine] = drawThreeLines();
    // Ascending by length: 5, 7, 10; no header line, no totals.
    runWizard(kToPage4 + kTypeLengthRadius + "check 1029\nuncheck 1028\nclick Next\nsort 1022 Length\n"
              "click 1031\n10,20\nclick Finish\n");
    const QxDbObjectId idTbl = LastInsertedTable();
    ASSERT_FALSE(idTbl.isNull());
    QxDbTable* pTbl = nullptr;
    ASSERT_EQ(qxdbOpenObject(pTbl, idTbl, QxDb::kForRead), Qxapp::eOk);
    // Row 0 is the title; then the three lines, the shortest first.
    ASSERT_EQ(pTbl->numRows(), 4u);
    const std::vector<std::u16string> lengths{pTbl->textString(1, 1), pTbl->textString(2, 1), pTbl->textString(3, 1)};
    pTbl->close();
    EXPECT_EQ(lengths, (std::vector<std::u16string>{u"5", u"7", u"10"}));
    const std::vector<std::u16string> lsHandles = ReadRecordItems(idTbl, csAppHdls);
    ASSERT_EQ(lsHandles.size(), 3u);
    EXPECT_EQ(lsHandles[0], shortLine);
    EXPECT_EQ(lsHandles[1], longLine);
}
