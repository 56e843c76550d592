// Tables that stay right: a table inserted by the wizard in qxcad, saved, reopened and brought
// up to date, read back from the saved drawing (cells, record keys in order, totals).
#include <gtest/gtest.h>

#include <algorithm>

#include "table_update_flow_support.h"

using namespace qxtest;

namespace {

const std::vector<std::string> kSevenKeys = {"obj_handles", "original_names", "display_names", "obj_types",
                                             "groupby_pr",  "tb_headers",     "replaced_hdls"};

std::string threeCircles()
{
    return drawingWith(circle("2A", 1) + circle("2B", 2, 5) + circle("2C", 3, 10));
}

// Page 4 with only the given properties checked (column 1 of the property list).
std::string onlyProperties(const std::vector<std::string>& names, const std::string& onPage3 = "")
{
    std::string script = wizardToProperties(onPage3) + "cell-menu 1025 \"Color\" 1\nchoose \"No selection\"\n";
    for (const auto& name : names) script += "check 1025 \"" + name + "\" 1\n";
    return script;
}

std::string insertAndSave(const std::string& saved) { return "click 1031\n0,0\nclick Finish\nSAVEAS " + saved + "\n"; }

// Reopens `drawing`, runs the update action `button` (1051 refresh) after `before`, saves.
RunResult update(const std::string& drawing, const std::string& saved, const std::string& before = "",
                 const std::string& button = "1051", const std::string& afterPick = "",
                 const std::string& arguments = "")
{
    return runQxcad(before + "DATAEXTRACTIONUPDATE\nclick " + button + "\nall\n" + afterPick + "SAVEAS " + saved +
                        "\nQUIT\n",
                    arguments + " " + shellQuote(drawing));
}

RunResult wizard(const std::string& drawing, const std::string& script)
{
    return runQxcad(script + "QUIT\n", shellQuote(drawing));
}

// Writes the drawing, runs the wizard's `script` on it (which saves made.dxf), and reads the
// saved table back.
SavedTable insertTable(const TempDir& dir, const std::string& drawing, const std::string& script)
{
    const auto made = wizard(dir.write("d.dxf", drawing), script);
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return readSavedTable(dir.file("made.dxf"));
}

// A refresh of the saved made.dxf, nothing having changed: it says so, the table keeps
// `cells` and the drawing saves as it was, byte for byte.
void expectRefreshChangesNothing(const TempDir& dir, const Rows& cells)
{
    const auto refreshed = update(dir.file("made.dxf"), dir.file("refreshed.dxf"));
    EXPECT_NE(refreshed.output.find("Table already up to date."), std::string::npos) << refreshed.output;
    EXPECT_EQ(refreshed.output.find("Table updated."), std::string::npos);
    EXPECT_EQ(readSavedTable(dir.file("refreshed.dxf")).cells, cells);
    EXPECT_TRUE(readFile(dir.file("refreshed.dxf")) == readFile(dir.file("made.dxf"))) << "the drawing changed";
}

}  // namespace

TEST(TableUpdateFlow, ColumnsMovedHiddenRenamedAndRowsSortedStayAsInsertedOnRefresh)
{
    TempDir dir;
    const SavedTable inserted = insertTable(dir, threeCircles(),
                                            onlyProperties({"Object type", "Radius", "Area", "Diameter"}) +
                                            "edit 1025 \"Area\" 2 \"Surface\"\ntype 1056 \"Parts\"\nclick Next\n"
                                            "move-column 1022 4 0\nheader-menu 1022 1\nchoose \"Diameter\"\n"
                                            "sort 1022 Radius\nsort 1022 Radius\n" +
                                            insertAndSave(dir.file("made.dxf")));
    ASSERT_TRUE(inserted.found);
    // Radius moved first, Diameter hidden, rows by descending radius, totals of the totalled
    // columns after an empty row.
    const Rows expected = {{"Parts", "", ""},       {"Radius", "Object type", "Surface"},
                           {"3", "Circle", "28.2743"}, {"2", "Circle", "12.5664"},
                           {"1", "Circle", "3.1416"},  {"", "", ""},
                           {"6", "", "43.9823"}};
    EXPECT_EQ(inserted.cells, expected);
    std::vector<std::string> keys = kSevenKeys;
    keys.insert(keys.end(), {"tb_layout", "tb_columns"});
    EXPECT_EQ(inserted.keys, keys);
    EXPECT_EQ(*inserted.itemsOf("tb_headers"), (std::vector<std::string>{"Radius", "Object type", "Surface"}));
    EXPECT_EQ(*inserted.itemsOf("tb_columns"),
              (std::vector<std::string>{"Radius", "Object type", "Area", "Diameter"}));
    EXPECT_EQ(*inserted.itemsOf("obj_handles"), (std::vector<std::string>{"2C", "2B", "2A"}));
    EXPECT_EQ(*inserted.itemsOf("tb_layout"), (std::vector<std::string>{"1", "1"}));

    expectRefreshChangesNothing(dir, expected);

    // A changed radius rewrites its row where it stands and the totals.
    const auto changed = update(dir.file("made.dxf"), dir.file("changed.dxf"), "SETPROP 2B radius 5\n");
    EXPECT_NE(changed.output.find("Table updated."), std::string::npos) << changed.output;
    const Rows after = readSavedTable(dir.file("changed.dxf")).cells;
    ASSERT_EQ(after.size(), expected.size());
    EXPECT_EQ(after[3], (std::vector<std::string>{"5", "Circle", "78.5398"}));
    EXPECT_EQ(after[6], (std::vector<std::string>{"9", "", "109.956"}));
}

TEST(TableUpdateFlow, HandlesFollowTheInsertedRowsWhateverIsSortedAfterwards)
{
    TempDir dir;
    const SavedTable inserted = insertTable(dir, threeCircles(),
                                            onlyProperties({"Object type", "Radius"}) + "click Next\n" +
                                            "sort 1022 Radius\nsort 1022 Radius\nclick 1031\n0,0\n"
                                            "sort 1022 Radius\nclick 1029\nfile \"" + dir.file("out.csv") +
                                            "\" 1\nclick Finish\nSAVEAS " + dir.file("made.dxf") + "\n");
    EXPECT_EQ(*inserted.itemsOf("obj_handles"), (std::vector<std::string>{"2C", "2B", "2A"}));
    expectRefreshChangesNothing(dir, inserted.cells);
}

TEST(TableUpdateFlow, AMultiLineTextIsUpToDateOnceTheDrawingIsReopened)
{
    TempDir dir;
    const std::string mtext = "0\nMTEXT\n5\n2B\n8\n0\n10\n0\n20\n0\n30\n0\n40\n2.5\n1\nPump\\Proom\n";
    const SavedTable inserted = insertTable(dir, drawingWith(circle("2A", 1) + mtext),
                                            onlyProperties({"Object type", "Contents"}) + "click Next\n" +
                                            insertAndSave(dir.file("made.dxf")));
    ASSERT_TRUE(inserted.found);
    EXPECT_NE(std::find(inserted.cells.begin(), inserted.cells.end(), std::vector<std::string>{"MText", "Pump\\Proom"}),
              inserted.cells.end());
    expectRefreshChangesNothing(dir, inserted.cells);
}

TEST(TableUpdateFlow, ATableWithoutTotalsKeepsItsLastRowsWhenOneStartsEmpty)
{
    TempDir dir;
    // Lines have no radius: with Radius first, their rows start with an empty cell.
    const SavedTable inserted =
        insertTable(dir, drawingWith(circle("2A", 1) + line("2B", 4) + circle("2C", 2) + line("2D", 6)),
                    onlyProperties({"Radius", "Length"}) + "uncheck 1028\nclick Next\n" +
                    "move-column 1022 2 0\nsort 1022 Radius\nsort 1022 Radius\n" +
                    insertAndSave(dir.file("made.dxf")));
    ASSERT_EQ(inserted.cells.size(), 6u);
    EXPECT_EQ(*inserted.itemsOf("tb_layout"), (std::vector<std::string>{"1", "0"}));
    ASSERT_EQ(inserted.cells[4][0], "");  // the second-to-last row starts empty

    expectRefreshChangesNothing(dir, inserted.cells);

    // The last object erased: its row goes, no row is taken for a totals line.
    const auto erased = update(dir.file("made.dxf"), dir.file("erased.dxf"), "ERASE 2D\n");
    const Rows after = readSavedTable(dir.file("erased.dxf")).cells;
    Rows expected = inserted.cells;
    expected.pop_back();
    EXPECT_EQ(after, expected) << erased.output;
}

TEST(TableUpdateFlow, AHeaderEditedByHandStaysAHeaderAndKeepsTheUsersText)
{
    TempDir dir;
    const SavedTable inserted = insertTable(dir, threeCircles(),
                                            onlyProperties({"Object type", "Radius"}) + "click Next\n" +
                                            insertAndSave(dir.file("made.dxf")));
    ASSERT_TRUE(inserted.found);
    const std::string table = inserted.handle;
    const auto refreshed = update(dir.file("made.dxf"), dir.file("refreshed.dxf"),
                                  "SETPROP " + table + " cell 1,1 \"Rayon (mm)\"\nSETPROP 2A radius 7\n");
    EXPECT_NE(refreshed.output.find("Table updated."), std::string::npos) << refreshed.output;
    const Rows after = readSavedTable(dir.file("refreshed.dxf")).cells;
    ASSERT_EQ(after.size(), inserted.cells.size());
    EXPECT_EQ(after[1], (std::vector<std::string>{"Object type", "Rayon (mm)"}));
    EXPECT_EQ(after[2], (std::vector<std::string>{"Circle", "7"}));
    EXPECT_EQ(after.back()[1], "12");
}

TEST(TableUpdateFlow, ATableMadeInEnglishIsRefreshedInFrench)
{
    TempDir dir;
    // Object types are written in the language of the run; radii and layers in none.
    const SavedTable inserted = insertTable(dir, threeCircles(),
                                            onlyProperties({"Layer", "Radius"}) + "click Next\n" +
                                            insertAndSave(dir.file("made.dxf")));

    const auto same = update(dir.file("made.dxf"), dir.file("same.dxf"), "", "1051", "", "--lang fr");
    EXPECT_NE(same.output.find("Tableau déjà à jour."), std::string::npos) << same.output;
    const SavedTable kept = readSavedTable(dir.file("same.dxf"));
    EXPECT_EQ(kept.cells, inserted.cells);
    EXPECT_EQ(kept.itemsOf("obj_handles") ? *kept.itemsOf("obj_handles") : std::vector<std::string>{},
              (std::vector<std::string>{"2A", "2B", "2C"}));

    const auto changed = update(dir.file("made.dxf"), dir.file("changed.dxf"), "SETPROP 2C radius 9\n", "1051", "",
                                "--lang es");
    EXPECT_NE(changed.output.find("Tabla actualizada."), std::string::npos) << changed.output;
    EXPECT_EQ(readSavedTable(dir.file("changed.dxf")).cells[4], (std::vector<std::string>{"0", "9"}));
}

TEST(TableUpdateFlow, CombinedRowsCountEveryObjectStillThereOnce)
{
    TempDir dir;
    const std::string drawing =
        dir.write("d.dxf", drawingWith(circle("2A", 1) + circle("2B", 1, 5) + circle("2C", 1, 10) + circle("2D", 2)));
    const auto made = wizard(drawing, onlyProperties({"Object type", "Radius"}) + "check 1033\nuncheck 1028\n"
                                                                                  "click Next\n" +
                                          insertAndSave(dir.file("made.dxf")));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    const SavedTable inserted = readSavedTable(dir.file("made.dxf"));
    ASSERT_EQ(inserted.cells.size(), 4u) << made.output;
    EXPECT_EQ(inserted.cells[2], (std::vector<std::string>{"Circle", "3", "1"}));
    EXPECT_EQ(inserted.cells[3], (std::vector<std::string>{"Circle", "1", "2"}));
    EXPECT_EQ(*inserted.itemsOf("row_members"), (std::vector<std::string>{"2A", "2B", "2C", "", "2D"}));

    // The object whose handle the row shows is erased: the row stays, counting two.
    const auto erased = update(dir.file("made.dxf"), dir.file("erased.dxf"), "ERASE 2A\n");
    EXPECT_NE(erased.output.find("Table updated."), std::string::npos) << erased.output;
    const SavedTable afterErase = readSavedTable(dir.file("erased.dxf"));
    ASSERT_EQ(afterErase.cells.size(), 4u);
    EXPECT_EQ(afterErase.cells[2], (std::vector<std::string>{"Circle", "2", "1"}));
    EXPECT_EQ(*afterErase.itemsOf("row_members"), (std::vector<std::string>{"2B", "2C", "", "2D"}));

    // An object of a combined row whose value changes moves to the row of its new value.
    const auto moved = update(dir.file("erased.dxf"), dir.file("moved.dxf"), "SETPROP 2C radius 2\n");
    const SavedTable afterMove = readSavedTable(dir.file("moved.dxf"));
    ASSERT_EQ(afterMove.cells.size(), 4u) << moved.output;
    EXPECT_EQ(afterMove.cells[2], (std::vector<std::string>{"Circle", "1", "1"}));
    EXPECT_EQ(afterMove.cells[3], (std::vector<std::string>{"Circle", "2", "2"}));

    // An add keeps counting every member, not only the handles the rows show.
    const auto copied = runQxcad("COPY 2B 0,0\nSAVEAS " + dir.file("copied.dxf") + "\nQUIT\n",
                                 shellQuote(dir.file("moved.dxf")));
    const std::string copy = copiedHandle(copied.output);
    ASSERT_FALSE(copy.empty()) << copied.output;
    const auto added = update(dir.file("copied.dxf"), dir.file("added.dxf"), "", "1052", "handles " + copy + "\n");
    EXPECT_NE(added.output.find("Table updated."), std::string::npos) << added.output;
    const SavedTable afterAdd = readSavedTable(dir.file("added.dxf"));
    // The add brings the circles' geometry columns (the centres set the copy apart), and the
    // quantities still count the four objects.
    ASSERT_GE(afterAdd.cells.size(), 3u);
    const auto& header = afterAdd.cells[1];
    const auto quantity = std::find(header.begin(), header.end(), "Quantity") - header.begin();
    int counted = 0;
    for (std::size_t r = 2; r < afterAdd.cells.size(); ++r)
        counted += std::stoi(afterAdd.cells[r][std::size_t(quantity)]);
    EXPECT_EQ(counted, 4) << added.output;
    std::vector<std::string> members = *afterAdd.itemsOf("row_members");
    members.erase(std::remove(members.begin(), members.end(), ""), members.end());
    std::sort(members.begin(), members.end());
    std::vector<std::string> objects = {"2B", "2C", "2D", copy};
    std::sort(objects.begin(), objects.end());
    EXPECT_EQ(members, objects);
}

TEST(TableUpdateFlow, AnEmptiedTableKeepsItsRecordAndTakesNewObjects)
{
    TempDir dir;
    insertTable(dir, drawingWith(circle("2A", 1) + circle("2B", 2) + circle("2C", 3) + line("2D", 5)),
                onlyProperties({"Object type", "Radius"}, "uncheck 1022 \"Line\"\n") +
                "click Next\n" + insertAndSave(dir.file("made.dxf")));
    const auto erased = update(dir.file("made.dxf"), dir.file("erased.dxf"), "ERASE 2A 2B 2C\n");
    const SavedTable empty = readSavedTable(dir.file("erased.dxf"));
    ASSERT_NE(empty.itemsOf("obj_handles"), nullptr) << erased.output;
    EXPECT_EQ(*empty.itemsOf("obj_handles"), (std::vector<std::string>{""}));

    const auto again = update(dir.file("erased.dxf"), dir.file("again.dxf"));
    EXPECT_NE(again.output.find("Table already up to date."), std::string::npos) << again.output;
    EXPECT_EQ(again.output.find("None identified"), std::string::npos) << again.output;

    const auto added = update(dir.file("erased.dxf"), dir.file("added.dxf"), "", "1052", "handles 2D\n");
    EXPECT_NE(added.output.find("Table updated."), std::string::npos) << added.output;
    const SavedTable afterAdd = readSavedTable(dir.file("added.dxf"));
    EXPECT_EQ(*afterAdd.itemsOf("obj_handles"), (std::vector<std::string>{"2D"}));
    ASSERT_GE(afterAdd.cells.size(), 3u);
    EXPECT_EQ(afterAdd.cells[2][0], "Line");
}

TEST(TableUpdateFlow, InsertPreviousNextFinishStillGivesTheTableItsRecord)
{
    TempDir dir;
    const std::string drawing = dir.write("d.dxf", threeCircles());
    const auto made = wizard(drawing, onlyProperties({"Object type", "Radius"}) +
                                          "click Next\nclick 1031\n0,0\nclick Previous\nclick Next\nclick Finish\n"
                                          "SAVEAS " + dir.file("made.dxf") + "\n");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    EXPECT_EQ(made.output.find("No output choice"), std::string::npos) << made.output;
    const SavedTable inserted = readSavedTable(dir.file("made.dxf"));
    ASSERT_TRUE(inserted.found);
    EXPECT_EQ(*inserted.itemsOf("obj_handles"), (std::vector<std::string>{"2A", "2B", "2C"}));
    const auto refreshed = update(dir.file("made.dxf"), dir.file("refreshed.dxf"));
    EXPECT_NE(refreshed.output.find("Table already up to date."), std::string::npos) << refreshed.output;
}

namespace {
std::string door(const std::string& handle, double x)
{
    return "0\nINSERT\n5\n" + handle + "\n8\n0\n2\nDOOR\n10\n" + std::to_string(x) + "\n20\n0\n30\n0\n";
}
int countBlocks(const Rows& cells)
{
    int blocks = 0;
    for (const auto& row : cells)
        for (const auto& cell : row) blocks += cell == "<block>";
    return blocks;
}
}  // namespace

TEST(TableUpdateFlow, ARenamedBlockPreviewColumnShowsItsBlocksAtInsertionRefreshAndAdd)
{
    TempDir dir;
    const std::string drawing = dir.write("d.dxf", drawingWith(door("2A", 0) + door("2B", 50) + door("2C", 100)));
    const auto made = wizard(drawing, wizardToProperties() +
                                          "cell-menu 1025 \"Block name\" 1\nchoose \"No selection\"\n"
                                          "check 1025 \"Block name\" 1\ncheck 1025 \"Block preview\" 1\n"
                                          "edit 1025 \"Block preview\" 2 \"Picture\"\nclick Next\n" +
                                          insertAndSave(dir.file("made.dxf")));
    ASSERT_EQ(made.exitCode, 0) << made.output;
    const SavedTable inserted = readSavedTable(dir.file("made.dxf"));
    ASSERT_TRUE(inserted.found) << made.output;
    EXPECT_EQ(countBlocks(inserted.cells), 3) << made.output;

    const auto refreshed = update(dir.file("made.dxf"), dir.file("refreshed.dxf"), "ERASE 2C\n");
    const SavedTable afterRefresh = readSavedTable(dir.file("refreshed.dxf"));
    EXPECT_EQ(countBlocks(afterRefresh.cells), 2) << refreshed.output;
    EXPECT_EQ(afterRefresh.cells.size(), inserted.cells.size() - 1);

    const auto copied = runQxcad("COPY 2A 10,0\nSAVEAS " + dir.file("copied.dxf") + "\nQUIT\n",
                                 shellQuote(dir.file("refreshed.dxf")));
    const std::string copy = copiedHandle(copied.output);
    ASSERT_FALSE(copy.empty()) << copied.output;
    const auto added = update(dir.file("copied.dxf"), dir.file("added.dxf"), "", "1052", "handles " + copy + "\n");
    EXPECT_NE(added.output.find("Table updated."), std::string::npos) << added.output;
    const SavedTable afterAdd = readSavedTable(dir.file("added.dxf"));
    EXPECT_EQ(countBlocks(afterAdd.cells), 3) << added.output;
    ASSERT_GE(afterAdd.cells.size(), 2u);
    EXPECT_NE(std::find(afterAdd.cells[1].begin(), afterAdd.cells[1].end(), "Picture"), afterAdd.cells[1].end());
}

TEST(TableUpdateFlow, AddingABlockToATableOfCirclesBringsNoRotationColumn)
{
    TempDir dir;
    insertTable(dir, drawingWith(circle("2A", 1) + circle("2B", 2) + door("2C", 0)),
                onlyProperties({"Object type", "Radius"}, "uncheck 1022 \"Block\"\n") +
                "click Next\n" + insertAndSave(dir.file("made.dxf")));
    const auto added = update(dir.file("made.dxf"), dir.file("added.dxf"), "", "1052", "handles 2C\n");
    EXPECT_NE(added.output.find("Table updated."), std::string::npos) << added.output;
    const SavedTable afterAdd = readSavedTable(dir.file("added.dxf"));
    ASSERT_GE(afterAdd.cells.size(), 2u);
    const auto& header = afterAdd.cells[1];
    EXPECT_EQ(std::find(header.begin(), header.end(), "Rotation"), header.end()) << added.output;
    EXPECT_NE(std::find(header.begin(), header.end(), "Block name"), header.end()) << added.output;
    // Rebuilt rows come in the engine's order: block references first.
    EXPECT_EQ(*afterAdd.itemsOf("obj_handles"), (std::vector<std::string>{"2C", "2A", "2B"}));
}

TEST(TableUpdateFlow, AddAndReplaceOnCombinedRowsKeepAMovedQuantityColumnWhereTheUserPutIt)
{
    TempDir dir;
    const SavedTable inserted =
        insertTable(dir, drawingWith(circle("2A", 1) + circle("2B", 1, 5) + circle("2C", 3, 10)),
                    onlyProperties({"Object type", "Radius", "Quantity"}) + "check 1033\nclick Next\n" +
                        "move-column 1022 Quantity 3\n" + insertAndSave(dir.file("made.dxf")));
    const std::vector<std::string> header = {"Object type", "Radius", "Quantity"};
    ASSERT_GE(inserted.cells.size(), 4u);
    ASSERT_EQ(inserted.cells[1], header);

    const auto copied = runQxcad("COPY 2C 20,0\nSAVEAS " + dir.file("copied.dxf") + "\nQUIT\n",
                                 shellQuote(dir.file("made.dxf")));
    const std::string copy = copiedHandle(copied.output);
    ASSERT_FALSE(copy.empty()) << copied.output;
    const auto added = update(dir.file("copied.dxf"), dir.file("added.dxf"), "", "1052", "handles " + copy + "\n");
    const Rows afterAdd = readSavedTable(dir.file("added.dxf")).cells;
    ASSERT_GE(afterAdd.size(), 4u) << added.output;
    EXPECT_EQ(afterAdd[1], header) << added.output;
    EXPECT_EQ(afterAdd[2], (std::vector<std::string>{"Circle", "3", "2"})) << added.output;
    EXPECT_EQ(afterAdd[3], (std::vector<std::string>{"Circle", "1", "2"})) << added.output;

    const auto replaced = update(dir.file("added.dxf"), dir.file("replaced.dxf"), "", "1053", "handles 2A\n");
    const Rows afterReplace = readSavedTable(dir.file("replaced.dxf")).cells;
    ASSERT_GE(afterReplace.size(), 3u) << replaced.output;
    EXPECT_EQ(afterReplace[1], header) << replaced.output;
    EXPECT_EQ(afterReplace[2], (std::vector<std::string>{"Circle", "1", "1"})) << replaced.output;
}

TEST(TableUpdateFlow, AHiddenHeaderLineIsTakenFromTheRecordNotGuessed)
{
    TempDir dir;
    const SavedTable inserted = insertTable(dir, threeCircles(),
                                            onlyProperties({"Object type", "Radius"}) + "check 1029\nclick Next\n" +
                                            "sort 1022 2\nsort 1022 2\n" + insertAndSave(dir.file("made.dxf")));
    EXPECT_EQ(*inserted.itemsOf("tb_layout"), (std::vector<std::string>{"0", "1"}));
    ASSERT_EQ(inserted.cells.size(), 6u);  // title, three rows, empty row, totals

    expectRefreshChangesNothing(dir, inserted.cells);

    const auto erased = update(dir.file("made.dxf"), dir.file("erased.dxf"), "ERASE " + std::string("2A") + "\n");
    const Rows after = readSavedTable(dir.file("erased.dxf")).cells;
    ASSERT_EQ(after.size(), 5u) << erased.output;
    EXPECT_EQ(after.back()[1], "5");
}

TEST(TableUpdateFlow, ARecordEditedInTheFileIsRefusedAndTheTableLeftAsItWas)
{
    TempDir dir;
    const SavedTable inserted = insertTable(dir, threeCircles(),
                                            onlyProperties({"Object type", "Radius"}) + "click Next\n" +
                                            insertAndSave(dir.file("made.dxf")));
    std::string text = readFile(dir.file("made.dxf"));
    // One handle taken out of the record: the table now has a row more than handles.
    const std::string handles = "obj_handles\n1000\n2A\n";
    const auto at = text.find(handles);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, handles.size(), "obj_handles\n");
    dir.write("tampered.dxf", text);

    for (const std::string& button : {std::string("1051"), std::string("1052")}) {
        const auto run = update(dir.file("tampered.dxf"), dir.file("after.dxf"), "", button,
                                button == "1052" ? "handles 2A\n" : "");
        EXPECT_NE(run.output.find("The extraction record of this table does not fit the table (obj_handles)"),
                  std::string::npos)
            << run.output;
        EXPECT_EQ(run.output.find("Table updated."), std::string::npos) << run.output;
        EXPECT_EQ(readSavedTable(dir.file("after.dxf")).cells, inserted.cells);
    }
}

TEST(TableUpdateFlow, AQuantityColumnOfUncombinedRowsDoesNotCombineThemOnRefresh)
{
    TempDir dir;
    const SavedTable inserted = insertTable(
        dir, drawingWith(circle("2A", 1) + circle("2B", 1, 5) + circle("2C", 1, 10) + circle("2D", 2)),
        onlyProperties({"Object type", "Quantity", "Radius"}) + "uncheck 1033\nuncheck 1028\nclick Next\n" +
            insertAndSave(dir.file("made.dxf")));
    ASSERT_EQ(inserted.cells.size(), 6u);

    const auto refreshed = update(dir.file("made.dxf"), dir.file("refreshed.dxf"), "ERASE 2D\n");
    EXPECT_NE(refreshed.output.find("Table updated."), std::string::npos) << refreshed.output;
    const SavedTable afterRefresh = readSavedTable(dir.file("refreshed.dxf"));
    ASSERT_EQ(afterRefresh.cells.size(), 5u) << refreshed.output;
    for (std::size_t r = 2; r < 5; ++r)
        EXPECT_EQ(afterRefresh.cells[r], (std::vector<std::string>{"Circle", "1", "1"})) << "row " << r;
    EXPECT_EQ(afterRefresh.itemsOf("row_members"), nullptr);
}

TEST(TableUpdateFlow, ACombinedTableEmptiedByARefreshStillCombinesWhatIsAddedLater)
{
    TempDir dir;
    const SavedTable inserted =
        insertTable(dir, drawingWith(circle("2A", 1) + circle("2B", 1, 5) + line("2C", 4) + line("2D", 4)),
                    onlyProperties({"Object type", "Radius"}, "uncheck 1022 \"Line\"\n") +
                        "check 1033\nuncheck 1028\nclick Next\n" + insertAndSave(dir.file("made.dxf")));
    ASSERT_EQ(inserted.cells.size(), 3u);
    const auto emptied = update(dir.file("made.dxf"), dir.file("emptied.dxf"), "ERASE 2A 2B\n");
    ASSERT_EQ(readSavedTable(dir.file("emptied.dxf")).cells.size(), 2u) << emptied.output;

    // Two identical lines added to the empty table share one row.
    const auto added = update(dir.file("emptied.dxf"), dir.file("added.dxf"), "", "1052", "handles 2C 2D\n");
    EXPECT_NE(added.output.find("Table updated."), std::string::npos) << added.output;
    const SavedTable afterAdd = readSavedTable(dir.file("added.dxf"));
    ASSERT_EQ(afterAdd.cells.size(), 3u) << added.output;
    const auto& header = afterAdd.cells[1];
    const auto quantity = std::size_t(std::find(header.begin(), header.end(), "Quantity") - header.begin());
    ASSERT_LT(quantity, header.size());
    EXPECT_EQ(afterAdd.cells[2][quantity], "2");
    EXPECT_EQ(*afterAdd.itemsOf("row_members"), (std::vector<std::string>{"2C", "2D"}));
}
