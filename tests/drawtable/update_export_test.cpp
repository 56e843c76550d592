// The update command's export of a table's cells to a file chosen in the save dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "drawing_fixture.h"
#include "output/update_command.h"

using qxtest::DrawingTest;

namespace {

class TableExport : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        dir = std::filesystem::temp_directory_path() / ("drawtable-export-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        addCircle(1);
        addCircle(2.5);
        qxtest::ExtractionChoice choice;
        choice.lsProps = {u"Object type", u"Radius"};
        choice.mapNames = {{u"Object type", u"Object type"}, {u"Radius", u"Radius"}};
        idTbl = insertExtraction(choice);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        DrawingTest::TearDown();
    }
    std::string read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path dir;
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
    answer("file \"" + nowhere.string() + "\" 1\n");
    ReExportTable(idTbl);
    EXPECT_NE(qx::transcript().find(u"\nCSV export failed : " + nowhere.u16string()), std::u16string::npos)
        << qxtest::utf8(qx::transcript());
    EXPECT_EQ(qx::transcript().find(u"CSV export done"), std::u16string::npos);

    answer("file \"" + nowhere.string() + "\" 2\n");
    ReExportTable(idTbl);
    EXPECT_NE(qx::transcript().find(u"\nXLS exportation failed : " + nowhere.u16string()), std::u16string::npos);

    // Cancelling the dialog writes and prints nothing.
    answer("cancel\n");
    ReExportTable(idTbl);
    EXPECT_EQ(qx::transcript().find(u"export"), std::u16string::npos);
}
