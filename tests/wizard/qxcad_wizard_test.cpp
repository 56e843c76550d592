// The wizard in the built host, driven by a script as a user would drive it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/run_qxcad.h"

using qxtest::runQxcad;

TEST(QxcadWizard, TheCommandWalksFromPageOneToTheDataSourceAndAnEmptyDrawingStaysThere)
{
    const auto run = runQxcad("DATAEXTRACTION\nclick Next\nclick Next\nok\nshow\nclick Previous\ncancel\nQUIT\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string page1 = "Dialog \"Data extraction v0.8.42 - Starting (1/5)\"";
    const std::string page2 = "Dialog \"Data extraction - Define data source (2/5)\"";
    const auto first2 = run.output.find(page2);
    ASSERT_NE(first2, std::string::npos) << run.output;
    EXPECT_NE(run.output.find(page2, first2 + 1), std::string::npos) << "Next on an empty drawing keeps page 2";
    EXPECT_NE(run.output.find("The selection holds no object that can be extracted", first2), std::string::npos)
        << "and says why";
    EXPECT_NE(run.output.find(page1, first2), std::string::npos) << "Previous shows page 1 again";
    EXPECT_EQ(run.output.find("Objects selection (3/5)"), std::string::npos);
}

namespace {
std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

TEST(QxcadSample, TheDoorsOfThePlantGoToATableACsvFileAndTheSavedDrawing)
{
    const auto dir = std::filesystem::temp_directory_path() / ("qx-sample-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string csv = (dir / "doors.csv").string(), dxf = (dir / "plant-doors.dxf").string();
    const auto run = runQxcad("OPEN " + std::string(QX_SOURCE_DIR) +
                              "/samples/plant.dxf\n"
                              "DATAEXTRACTION\nclick Next\nclick Next\nuncheck 1023 Non-Block\nclick Next\n"
                              "cell-menu 1025 \"Block name\" 1\nchoose \"No selection\"\ncheck 1025 \"Block name\" 1\n"
                              "check 1025 NUMBER 1\nedit 1025 NUMBER 2 \"No.\"\ntype 1056 \"Doors\"\nclick Next\n"
                              "sort 1022 No.\nsort 1022 No.\nclick 1031\n0,-500\nclick 1029\nfile \"" +
                              csv +
                              "\" 1\n"
                              "click Finish\nSAVEAS " +
                              dxf + "\nQUIT\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("CSV export done to : " + csv), std::string::npos) << run.output;
    // "Quantity" keeps its Total checked but is not a column: no totals line.
    EXPECT_EQ(readFile(csv),
              "\"Block name\",No.\r\n\"DOOR\",D-106\r\n\"DOOR\",D-105\r\n\"DOOR\",D-104\r\n"
              "\"DOOR\",D-103\r\n\"DOOR\",D-102\r\n\"DOOR\",D-101\r\n");
    // The inserted table and its extraction record are in the saved drawing.
    const std::string saved = readFile(dxf);
    EXPECT_NE(saved.find("\nDoors\n"), std::string::npos);
    EXPECT_NE(saved.find("obj_handles"), std::string::npos);
    EXPECT_NE(saved.find("\nNo.\n"), std::string::npos);
    std::filesystem::remove_all(dir);
}
