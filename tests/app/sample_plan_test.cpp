// The sample plan and the demo run on it: the committed drawing is what its generator writes,
// other programs open it, and the demo script writes every output with the doors and windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/run_qxcad.h"
#include "table_update_flow_support.h"

using qxtest::readFile;
using qxtest::runCommand;
using qxtest::runQxcad;
using qxtest::shellQuote;

namespace {

const std::string kPlan = std::string(QX_SOURCE_DIR) + "/samples/plan.dxf";

bool have(const std::string& command) { return std::system(("command -v " + command + " >/dev/null 2>&1").c_str()) == 0; }

// Opens a drawing with python3-ezdxf and prints its audit's errors and the count of door and
// window references.
std::string ezdxfReport(const std::string& file)
{
    std::string output;
    runCommand("/usr/bin/python3 -c 'import sys, ezdxf\n"
        "d = ezdxf.readfile(sys.argv[1]); a = d.audit()\n"
        "n = len(d.modelspace().query(\"INSERT[name==\\\"DOOR\\\" | name==\\\"WINDOW\\\"]\"))\n"
        "print(len(a.errors), n)' " +
            shellQuote(file),
        output);
    return output;
}

class SamplePlan : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.file(name); }

    qxtest::TempDir dir;
};

}  // namespace

TEST_F(SamplePlan, TheCommittedDrawingIsWhatItsGeneratorWrites)
{
    if (!have("/usr/bin/python3")) GTEST_SKIP() << "/usr/bin/python3 is not installed: generator not run";
    std::string output;
    ASSERT_EQ(runCommand("/usr/bin/python3 " + shellQuote(std::string(QX_SOURCE_DIR) + "/samples/make_plan.py") + " " +
                      shellQuote(path("plan.dxf")),
                  output),
              0)
        << output;
    EXPECT_TRUE(readFile(path("plan.dxf")) == readFile(kPlan))
        << "samples/plan.dxf is out of date: run /usr/bin/python3 samples/make_plan.py";
}

TEST_F(SamplePlan, OtherProgramsOpenThePlan)
{
    if (!qxtest::havePythonModule("ezdxf"))
        GTEST_SKIP() << "python3-ezdxf is not installed: plan not checked";
    EXPECT_EQ(ezdxfReport(kPlan), "0 15\n");

    if (!have("librecad")) GTEST_SKIP() << "LibreCAD is not installed: its conversion to PDF not checked";
    std::filesystem::copy_file(kPlan, path("plan.dxf"));
    std::string output;
    EXPECT_EQ(runCommand("cd " + shellQuote(dir.root().string()) + " && QT_QPA_PLATFORM=offscreen librecad dxf2pdf plan.dxf", output), 0)
        << output;
    EXPECT_TRUE(std::filesystem::exists(path("plan.pdf"))) << output;
}

TEST_F(SamplePlan, TheDemoWritesTheTableBesideThePlanAndEveryFile)
{
    // The demo script with its paths moved into the scratch folder.
    std::string script = readFile(std::string(QX_SOURCE_DIR) + "/samples/demo.scr");
    ASSERT_FALSE(script.empty());
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"samples/plan.dxf", kPlan}, {"build/demo/", path("")}})
        for (std::size_t at = script.find(from); at != std::string::npos; at = script.find(from, at + to.size()))
            script.replace(at, from.size(), to);
    const auto result = runQxcad(script);
    ASSERT_EQ(result.exitCode, 0) << result.output;

    // Numbers with the thousands mark, as the CSV export writes them in English.
    const std::string csv = "\"Type\",Number,\"Width (mm)\",\"Height (mm)\",\"Fire rating\",\"Quantity\"\r\n"
                            "\"DOOR\",D01,\"900\",\"2,100\",\"-\",\"1\"\r\n"
                            "\"DOOR\",D02,\"900\",\"2,100\",\"-\",\"1\"\r\n"
                            "\"DOOR\",D03,\"1,000\",\"2,100\",\"EI30\",\"1\"\r\n"
                            "\"DOOR\",D04,\"1,800\",\"2,400\",\"EI60\",\"1\"\r\n"
                            "\"DOOR\",D05,\"1,000\",\"2,100\",\"EI30\",\"1\"\r\n"
                            "\"DOOR\",D06,\"800\",\"2,100\",\"-\",\"1\"\r\n"
                            "\"DOOR\",D07,\"1,000\",\"2,400\",\"-\",\"1\"\r\n"
                            "\"WINDOW\",W01,\"1,500\",\"1,500\",\"-\",\"1\"\r\n"
                            "\"WINDOW\",W02,\"1,500\",\"1,500\",\"-\",\"1\"\r\n"
                            "\"WINDOW\",W03,\"2,400\",\"1,500\",\"-\",\"1\"\r\n"
                            "\"WINDOW\",W04,\"2,400\",\"1,500\",\"-\",\"1\"\r\n"
                            "\"WINDOW\",W05,\"1,500\",\"1,500\",\"-\",\"1\"\r\n"
                            "\"WINDOW\",W06,\"1,200\",\"900\",\"E30\",\"1\"\r\n"
                            "\"WINDOW\",W07,\"1,200\",\"900\",\"-\",\"1\"\r\n"
                            "\"WINDOW\",W08,\"600\",\"600\",\"-\",\"1\"\r\n"
                            "\"\",,\"\",\"\",\"\",\"\"\r\n"
                            "\"\",,\"\",\"\",\"\",\"15\"\r\n";
    EXPECT_EQ(readFile(path("openings.csv")), csv);
    EXPECT_NE(readFile(path("openings.qex")).find("title=\"Doors and windows\""), std::string::npos);
    EXPECT_EQ(readFile(path("openings.xls")).substr(0, 4), std::string("\xD0\xCF\x11\xE0"));

    // The workbooks hold the same rows as the CSV file.
    if (qxtest::havePythonModule("xlrd, openpyxl")) {
        std::string xls, xlsx;
        runCommand("/usr/bin/python3 -c 'import sys, xlrd\ns = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
            "print([s.row_values(r) for r in (0, 4, 17)])' " + shellQuote(path("openings.xls")),
            xls);
        EXPECT_EQ(xls, "[['Type', 'Number', 'Width (mm)', 'Height (mm)', 'Fire rating', 'Quantity'], "
                       "['DOOR', 'D04', '1800', '2400', 'EI60', '1'], ['', '', '', '', '', '15']]\n");
        runCommand("/usr/bin/python3 -c 'import sys, openpyxl\ns = openpyxl.load_workbook(sys.argv[1]).active\n"
            "print([[c.value for c in s[r]] for r in (1, 5, 18)], s.auto_filter.ref)' " + shellQuote(path("openings.xlsx")),
            xlsx);
        EXPECT_EQ(xlsx, "[['Type', 'Number', 'Width (mm)', 'Height (mm)', 'Fire rating', 'Quantity'], "
                        "['DOOR', 'D04', 1800, 2400, 'EI60', 1], [None, None, None, None, None, '=SUM(F2:F16)']] A1:F16\n");
    }

    // The drawing with its table opens again, in the host and in another program.
    const auto reopened = runQxcad("OPEN " + path("plan-with-openings.dxf") + "\nQUIT\n");
    EXPECT_EQ(reopened.exitCode, 0) << reopened.output;
    if (qxtest::havePythonModule("ezdxf")) {
        EXPECT_EQ(ezdxfReport(path("plan-with-openings.dxf")), "0 15\n");
    }

    // A copied door added, then a selection of three doors put in place of all: the table keeps
    // the columns the user chose, in the order they were moved to, and totals only what the
    // user totalled (not the widths and heights, nor positions no one asked for).
    const auto copied = runQxcad("OPEN " + path("plan-with-openings.dxf") + "\nCOPY 221 100,0\nSAVE\nQUIT\n");
    const std::string copy = qxtest::copiedHandle(copied.output);
    ASSERT_FALSE(copy.empty()) << copied.output;
    const auto exportTable = [this](const std::string& name) {
        return "DATAEXTRACTIONUPDATE\nclick 1054\nall\nfile \"" + path(name) + "\" 1\n";
    };
    const auto updated = runQxcad("OPEN " + path("plan-with-openings.dxf") +
                                  "\nDATAEXTRACTIONUPDATE\nclick 1052\nall\nhandles " + copy + "\n" +
                                  exportTable("added.csv") +
                                  "DATAEXTRACTIONUPDATE\nclick 1053\nall\nhandles 215 221 227\n" +
                                  exportTable("replaced.csv") + "QUIT\n");
    ASSERT_EQ(updated.exitCode, 0) << updated.output;
    const std::string header = "Type,\"Number\",\"Width (mm)\",\"Height (mm)\",\"Fire rating\",\"Quantity\"\r\n";
    const std::string added = readFile(path("added.csv"));
    EXPECT_EQ(added.substr(0, header.size()), header) << updated.output;
    EXPECT_NE(added.find("DOOR,\"D03\",\"1,000\",\"2,100\",\"EI30\",\"1\"\r\n,"), std::string::npos) << added;
    const std::string totals = "\n,\"\",\"\",\"\",\"\",\"16\"\r\n";
    EXPECT_EQ(added.substr(added.size() - totals.size()), totals) << added;
    const std::string replaced = readFile(path("replaced.csv"));
    EXPECT_EQ(replaced, header +
                            "DOOR,\"D01\",\"900\",\"2,100\",\"-\",\"1\"\r\n"
                            "DOOR,\"D03\",\"1,000\",\"2,100\",\"EI30\",\"1\"\r\n"
                            "DOOR,\"D04\",\"1,800\",\"2,400\",\"EI60\",\"1\"\r\n"
                            ",\"\",\"\",\"\",\"\",\"\"\r\n"
                            ",\"\",\"\",\"\",\"\",\"3\"\r\n");
}
