// A table too large to be of use in a drawing is written only when the user says yes: the
// wizard's insertion and the update's add ask, telling the rows and the size it adds; no
// leaves the page, the drawing and the table as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "table_update_flow_support.h"

using namespace qxtest;

namespace {

// The generated drawing cycles through ten kinds, eight of which the wizard reads: 12,500
// entities give 10,000 data rows, one above the limit with the header line.
constexpr std::size_t kEntities = 12500;
constexpr std::size_t kDataRows = 10000;
const std::string kQuestion = "The table will have ";

// Page 5 with one column (the layer), rows not combined, no totals; `onPage3` and `onPage4`
// are further choices on those pages.
std::string toPage5(const std::string& onPage3 = "", const std::string& onPage4 = "")
{
    return wizardToProperties(onPage3) + "cell-menu 1025 \"Color\" 1\nchoose \"No selection\"\n"
                                         "check 1025 \"Layer\" 1\nuncheck 1033\nuncheck 1028\n" +
           onPage4 + "click Next\n";
}

// The end of what a run printed, for a failure message.
std::string tail(const std::string& output) { return output.substr(output.size() - std::min<std::size_t>(3000, output.size())); }

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

std::size_t lineCount(const std::string& file)
{
    return occurrences(readFile(file), "\n");
}

class HugeTable : public ::testing::Test {
protected:
    HugeTable()
    {
        drawing = dir.write("d.dxf", qx::bench::DxfDrawingGenerator(7).drawing(kEntities));
    }
    RunResult run(const std::string& script) { return runQxcad(script + "QUIT\n", shellQuote(drawing)); }

    TempDir dir;
    std::string drawing;
};

}  // namespace

TEST_F(HugeTable, NoKeepsThePageAsItWasAndInsertsNothing)
{
    const auto run1 = run(toPage5() + "click 1031\nno\nclick 1029\nfile \"" + dir.file("t.csv") +
                          "\" 1\nclick Finish\nSAVEAS " + dir.file("saved.dxf") + "\n");
    ASSERT_EQ(run1.exitCode, 0) << tail(run1.output);
    // The question tells the rows below the title, the size and the limit.
    const auto asked = run1.output.find(kQuestion + std::to_string(kDataRows + 1) + " rows below its title and add about ");
    ASSERT_NE(asked, std::string::npos);
    EXPECT_NE(run1.output.find(" MB to the drawing. A table of more than 10000 rows", asked), std::string::npos);
    EXPECT_EQ(run1.output.find("Please input table insertion point"), std::string::npos);
    // The page kept every row: the export that follows writes them all.
    EXPECT_EQ(lineCount(dir.file("t.csv")), kDataRows + 1);
    EXPECT_FALSE(readSavedTable(dir.file("saved.dxf")).found);
}

TEST_F(HugeTable, YesInsertsTheWholeTable)
{
    const auto made = run(toPage5() + "click 1031\nyes\n0,0\nclick Finish\nSAVEAS " + dir.file("saved.dxf") + "\n");
    ASSERT_EQ(made.exitCode, 0) << tail(made.output);
    EXPECT_EQ(occurrences(made.output, kQuestion), 1u);
    const SavedTable saved = readSavedTable(dir.file("saved.dxf"));
    ASSERT_TRUE(saved.found);
    EXPECT_EQ(saved.cells.size(), kDataRows + 2);  // title, header line, data rows
    EXPECT_EQ(saved.cells[1], std::vector<std::string>{"Layer"});
    // The size it told is what the table added to the saved drawing, give or take a half.
    const std::string about = " rows below its title and add about ";
    const double told = std::stod(made.output.substr(made.output.find(about) + about.size()));
    const double added = double(std::filesystem::file_size(dir.file("saved.dxf")) - std::filesystem::file_size(drawing));
    EXPECT_GT(told, 0.5 * added / (1024 * 1024));
    EXPECT_LT(told, 1.5 * added / (1024 * 1024));
}

TEST_F(HugeTable, ATableAtTheLimitIsInsertedWithoutAsking)
{
    // Without the header line the table has exactly the limit's rows.
    const auto made =
        run(toPage5("", "check 1029\n") + "click 1031\n0,0\nclick Finish\nSAVEAS " + dir.file("saved.dxf") + "\n");
    ASSERT_EQ(made.exitCode, 0) << tail(made.output);
    EXPECT_EQ(occurrences(made.output, kQuestion), 0u);
    const SavedTable saved = readSavedTable(dir.file("saved.dxf"));
    ASSERT_TRUE(saved.found);
    EXPECT_EQ(saved.cells.size(), kDataRows + 1);
}

TEST_F(HugeTable, AnAddThatGrowsTheTablePastTheLimitAsksAndNoLeavesItAsItWas)
{
    // Points left out: 8,750 rows, below the limit; adding every object grows it past it.
    const auto made = run(toPage5("uncheck 1022 \"Point\"\n") + "click 1031\n0,0\nclick Finish\nSAVEAS " +
                          dir.file("small.dxf") + "\n");
    ASSERT_EQ(made.exitCode, 0) << tail(made.output);
    EXPECT_EQ(occurrences(made.output, kQuestion), 0u);
    const std::size_t nSmall = readSavedTable(dir.file("small.dxf")).cells.size();
    ASSERT_EQ(nSmall, kDataRows / 8 * 7 + 2);

    for (const std::string answer : {"no", "yes"}) {
        const auto added = runQxcad("DATAEXTRACTIONUPDATE\nclick 1052\nhandles " +
                                        readSavedTable(dir.file("small.dxf")).handle + "\nall\n" + answer +
                                        "\nSAVEAS " + dir.file(answer + ".dxf") + "\nQUIT\n",
                                    shellQuote(dir.file("small.dxf")));
        ASSERT_EQ(added.exitCode, 0) << tail(added.output);
        EXPECT_NE(added.output.find(kQuestion + std::to_string(kDataRows + 1) + " rows"), std::string::npos)
            << answer << tail(added.output);
        EXPECT_EQ(readSavedTable(dir.file(answer + ".dxf")).cells.size(), answer == "no" ? nSmall : kDataRows + 2)
            << answer;
    }
}
