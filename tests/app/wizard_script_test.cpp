// The wizard in the built host, driven by scripts as a user types them, on the sample plant
// drawing: six references of the block DOOR, attributes NUMBER D-101 to D-106 and WIDTH
// 900, 900, 800, 1000, 900, 800 in drawing order, among texts, ellipses and other kinds.
// Outputs are compared with bytes and cells worked out by hand.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/run_qxcad.h"

using qxtest::readFile;
using qxtest::runQxcad;

namespace {

class WizardScript : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.file(name); }
    static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    // The plant opened, the wizard started and led to page 4 with the block references only.
    static std::string toPage4()
    {
        return "OPEN " + std::string(QX_SOURCE_DIR) +
               "/samples/plant.dxf\nDATAEXTRACTION\nclick Next\nclick Next\nuncheck 1023 Non-Block\nclick Next\n";
    }
    static std::string exportTo(const std::string& file, int type) { return "click 1029\nfile \"" + file + "\" " + std::to_string(type) + "\n"; }
    static std::string saveQex(const std::string& file) { return "click 1003\nfile \"" + file + "\"\n"; }

    // What a python script prints about `file` (its first argument); a note when the module
    // the script needs is missing.
    static std::string pythonOutput(const std::string& module, const std::string& script, const std::string& file)
    {
        if (!qxtest::havePythonModule(module)) return "(" + module + " missing)";
        std::string out;
        qxtest::runCommand("/usr/bin/python3 -c '" + script + "' " + qxtest::shellQuote(file), out, false);
        return out;
    }

    // The cells of an .xlsx workbook as openpyxl reads them, one line a cell that holds
    // something: place, kind, "*" when bold, number format, value (and a formula's stored result).
    static std::string xlsxCells(const std::string& file)
    {
        return pythonOutput(
            "openpyxl",
            "import sys, openpyxl\n"
            "book = openpyxl.load_workbook(sys.argv[1]); s = book.active\n"
            "stored = openpyxl.load_workbook(sys.argv[1], data_only=True).active\n"
            "print(s.title, book.properties.title, s.freeze_panes, s.auto_filter.ref)\n"
            "for row in s.iter_rows():\n"
            "    for c in row:\n"
            "        if c.value is None: continue\n"
            "        extra = \" = \" + str(stored[c.coordinate].value) if c.data_type == \"f\" else \"\"\n"
            "        print(c.coordinate, c.data_type + (\"*\" if c.font.b else \"\"), c.number_format, str(c.value) + extra)",
            file);
    }

    qxtest::TempDir dir;
};

}  // namespace

TEST_F(WizardScript, CombinedRowsAreSavedAndARunStartedFromTheSettingsFileWritesTheSameFiles)
{
    const std::string first = toPage4() +
                              "choose \"No selection\"\ncheck 1025 \"Block name\"\ncheck 1025 WIDTH\ncheck 1033\n"
                              "type 1056 Doors\nclick Next\n" +
                              exportTo(path("a.csv"), 1) + saveQex(path("a.qex")) + "click Finish\n";
    const std::string second = "DATAEXTRACTION\nclick 1002\nfile \"" + path("a.qex") +
                                "\"\nclick Next\nclick Next\nuncheck 1023 Non-Block\nclick Next\nclick Next\n" +
                                exportTo(path("b.csv"), 1) + saveQex(path("b.qex")) + "click Finish\nQUIT\n";
    const auto run = runQxcad(first + second);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    // Widths 900 three times, 800 twice, 1000 once, in the order of their first door; the
    // totals line counts every door a row stands for: 6 doors, 3 x 900 + 2 x 800 + 1000.
    const std::string csv = "\"Quantity\",Block name,\"WIDTH\"\r\n"
                            "\"3\",DOOR,\"900\"\r\n"
                            "\"2\",DOOR,\"800\"\r\n"
                            "\"1\",DOOR,\"1,000\"\r\n"
                            "\"\",,\"\"\r\n"
                            "\"6\",,\"5,300\"\r\n";
    EXPECT_EQ(readFile(path("a.csv")), csv);
    EXPECT_EQ(readFile(path("b.csv")), csv) << "the saved settings give the same table";
    const std::string qex = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
                            "<KvDataExtraction>\r\n"
                            "    <State>\r\n"
                            "        <Property name=\"Block name\" display=\"Block name\" checked=\"1\" />\r\n"
                            "        <Property name=\"WIDTH\" display=\"WIDTH\" checked=\"1\" />\r\n"
                            "    </State>\r\n"
                            "    <ExOptions>\r\n"
                            "        <Option name=\"Total Line\" value=\"checked\" />\r\n"
                            "        <Option name=\"GroupBy\" value=\"0\" />\r\n"
                            "    </ExOptions>\r\n"
                            "    <KvTable title=\"Doors\" />\r\n"
                            "</KvDataExtraction>\r\n";
    EXPECT_EQ(readFile(path("a.qex")), qex);
    EXPECT_EQ(readFile(path("b.qex")), qex);
}

TEST_F(WizardScript, TheThirdFileTypeWritesAWorkbookWithNumbersAndTotalsAsFormulas)
{
    const std::string choices = "choose \"No selection\"\ncheck 1025 NUMBER\ncheck 1025 WIDTH\ntype 1056 Doors\nclick Next\n"
                                "sort 1022 NUMBER\nsort 1022 NUMBER\n";
    const auto run = runQxcad(toPage4() + choices + exportTo(path("d.xlsx"), 3) + "click Finish\nQUIT\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(has(run.output, "Finished XLSX exportation to : " + path("d.xlsx"))) << run.output;
    // In the preview's order, door numbers as texts, widths as numbers in the drawing's four
    // decimals, the total summing the rows above it and holding the total the table shows.
    EXPECT_EQ(xlsxCells(path("d.xlsx")),
              "Sheet1 Doors A2 A1:B7\n"
              "A1 s* General NUMBER\nB1 s* General WIDTH\n"
              "A2 s General D-106\nB2 n #,##0.0000 800\nA3 s General D-105\nB3 n #,##0.0000 900\n"
              "A4 s General D-104\nB4 n #,##0.0000 1000\nA5 s General D-103\nB5 n #,##0.0000 800\n"
              "A6 s General D-102\nB6 n #,##0.0000 900\nA7 s General D-101\nB7 n #,##0.0000 900\n"
              "B9 f #,##0.0000 =SUM(B2:B7) = 5300\n");
}

TEST_F(WizardScript, ACategoryShownAgainKeepsTheChecksAndNamesTheUserLeft)
{
    const auto run = runQxcad(toPage4() +
                              "choose \"No selection\"\ncheck 1025 NUMBER\nedit 1025 NUMBER 2 \"No.\"\n"
                              "uncheck 1023 Attribute\ncheck 1023 Attribute\nclick Next\n" +
                              exportTo(path("c.csv"), 1) + "click Finish\nQUIT\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(readFile(path("c.csv")),
              "\"No.\"\r\n\"D-101\"\r\n\"D-102\"\r\n\"D-103\"\r\n\"D-104\"\r\n\"D-105\"\r\n\"D-106\"\r\n");
}

TEST_F(WizardScript, NextRefusesWithAMessageWhenNothingIsChecked)
{
    const auto run = runQxcad(toPage4() +
                              "choose \"No selection\"\nclick Next\nok\ncheck 1025 NUMBER\nclick Next\nclick Previous\n"
                              "click Previous\nuncheck 1023 Block\nclick Next\nok\ncancel\nQUIT\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto refusedProperties = run.output.find("Please check at least one property to extract.");
    ASSERT_NE(refusedProperties, std::string::npos) << run.output;
    // The page stayed: its next action is taken by page 4, and its Next then reaches page 5.
    const auto page5 = run.output.find("Dialog \"Data extraction - Output selection", refusedProperties);
    EXPECT_NE(page5, std::string::npos);
    EXPECT_NE(run.output.find("Please check at least one kind of object to extract.", page5), std::string::npos)
        << run.output;
}

TEST_F(WizardScript, PageTwoStaysAndSaysWhyWhenThereIsNothingToExtract)
{
    const auto empty = runQxcad("DATAEXTRACTION\nclick Next\nclick Next\nok\nshow\nclick Previous\ncancel\nQUIT\n");
    ASSERT_EQ(empty.exitCode, 0) << empty.output;
    const std::string page2 = "Dialog \"Data extraction - Define data source (2/5)\"";
    const auto first2 = empty.output.find(page2);
    ASSERT_NE(first2, std::string::npos) << empty.output;
    EXPECT_NE(empty.output.find("The selection holds no object that can be extracted", first2), std::string::npos);
    EXPECT_NE(empty.output.find(page2, first2 + 1), std::string::npos) << "Next on an empty drawing keeps page 2";
    EXPECT_NE(empty.output.find("Dialog \"Data extraction v0.8.42 - Starting (1/5)\"", first2), std::string::npos)
        << "Previous shows page 1 again";
    EXPECT_FALSE(has(empty.output, "Objects selection (3/5)"));

    // Texts and ellipses only: objects, but none of a kind the wizard reads.
    const auto others = runQxcad("OPEN " + std::string(QX_SOURCE_DIR) +
                                 "/samples/plant.dxf\nDATAEXTRACTION\nclick Next\nclick 1002\nhandles 107 108\nok\n"
                                 "cancel\nQUIT\n");
    ASSERT_EQ(others.exitCode, 0) << others.output;
    EXPECT_TRUE(has(others.output, "The selection holds no object that can be extracted")) << others.output;
    EXPECT_FALSE(has(others.output, "Objects selection (3/5)"));
}

TEST_F(WizardScript, EachActionPrintsWhatItChanged)
{
    const auto run = runQxcad(toPage4() + "check 1033\ncheck 1025 NUMBER\nclick Next\n" + exportTo(path("x.csv"), 1) +
                              "click Cancel\nQUIT\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(has(run.output, "Dialog action: check 1033\n  [1033] check box [x] \"Combine rows by :\"\n")) << run.output;
    // Already checked: the action changes nothing and says so.
    EXPECT_TRUE(has(run.output, "Dialog action: check 1025 NUMBER\n  (no change)\n")) << run.output;
    EXPECT_TRUE(has(run.output, "File: file \"" + path("x.csv") + "\" 1\n  [1016] edit \"" + path("x.csv") +
                                    "\" (read-only)\n"))
        << run.output;
}

TEST_F(WizardScript, TypingIntoAPathTheButtonFillsIsRefusedAndNamesTheButton)
{
    const auto run = runQxcad(toPage4() + "click Next\ntype 1016 \"out/x.csv\"\nclick Cancel\nQUIT\n");
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_TRUE(has(run.output, "edit 1016 is read-only: the page fills it; click the button [1029]")) << run.output;
}

TEST_F(WizardScript, MenusAreListedByTheirEntriesAndAnEntryCanBeChosenDirectly)
{
    const auto run = runQxcad(toPage4() + "help\nchoose \"No selection\"\ncheck 1025 WIDTH\nclick Next\nhelp\n" +
                              exportTo(path("m.csv"), 1) + "click Finish\nQUIT\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(has(run.output, "  cell-menu 1025 <row> 1: \"Select all\" | \"No selection\"\n")) << run.output;
    EXPECT_TRUE(has(run.output, "  header-menu 1022 <column>: \"WIDTH\"\n")) << run.output;
    EXPECT_EQ(readFile(path("m.csv")), "\"WIDTH\"\r\n\"900\"\r\n\"900\"\r\n\"800\"\r\n\"1,000\"\r\n\"900\"\r\n\"800\"\r\n"
                                       "\"\"\r\n\"5,300\"\r\n");
}

TEST_F(WizardScript, TheSameScriptRunsInFrenchAndSpanishWithTheSameOutputs)
{
    // Settings of our own: the two attributes, no options, a title.
    std::ofstream(path("doors.qex"), std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n<KvDataExtraction>\r\n    <State>\r\n"
           "        <Property name=\"NUMBER\" display=\"No.\" checked=\"1\" />\r\n"
           "        <Property name=\"WIDTH\" display=\"WIDTH\" checked=\"1\" />\r\n    </State>\r\n"
           "    <ExOptions />\r\n    <KvTable title=\"Doors\" />\r\n</KvDataExtraction>\r\n";
    const std::string expected = "\"No.\",WIDTH\r\n\"D-101\",900\r\n\"D-102\",900\r\n\"D-103\",800\r\n"
                                 "\"D-104\",1000\r\n\"D-105\",900\r\n\"D-106\",800\r\n";
    for (const char* language : {"en", "fr", "es"}) {
        const std::string csv = path(std::string(language) + ".csv");
        // Only ids, row numbers, attribute tags and the English names of the standard buttons.
        const auto run = runQxcad("SETVAR VERLAN en-US\nOPEN " + std::string(QX_SOURCE_DIR) +
                                      "/samples/plant.dxf\nDATAEXTRACTION\nclick 1002\nfile \"" + path("doors.qex") +
                                      "\"\nclick Next\nclick Next\nuncheck 1023 #0\nclick Next\nclick Next\n" +
                                      exportTo(csv, 1) + "click Finish\nQUIT\n",
                                  std::string("--lang ") + language);
        ASSERT_EQ(run.exitCode, 0) << language << "\n" << run.output;
        EXPECT_EQ(readFile(csv), expected) << language;
    }
}
