// The table update command on tables inserted as the wizard inserts them: refresh, add,
// replace, and the dialog that chooses among them.
#include <gtest/gtest.h>

#include "drawing_fixture.h"
#include "output/DlgUpdateA1.h"
#include "output/update_command.h"

using qxtest::DrawingTest;
using qxtest::ExtractionChoice;
using qxtest::Texts;

namespace {

const std::u16string kUpdated = u"\nTable updated.";
const std::u16string kUpToDate = u"\nTable already up to date.";

ExtractionChoice Circles()
{
    ExtractionChoice choice;
    choice.lsProps = {u"Object type", u"Radius"};
    choice.mapNames = {{u"Object type", u"Object type"}, {u"Radius", u"Radius"}};
    return choice;
}

class TableUpdate : public DrawingTest {
protected:
    Texts record(const char16_t* key) { return ReadRecordItems(idTbl, key); }
    bool printed(std::u16string_view text) const { return qx::transcript().find(text) != std::u16string::npos; }
    void refresh()
    {
        qx::clearTranscript();
        RefreshTable(strHelper, idTbl);
    }
    void setRadius(const std::u16string& circle, double radius)
    {
        change<QxDbCircle>(circle, [radius](QxDbCircle* c) { c->setRadius(radius); });
    }
    // Runs an action that asks for objects, picking `handles` ("cancel" when there are none).
    void pick(decltype(&AddObjectsToTable) action, const Texts& handles)
    {
        std::string line = handles.empty() ? "cancel" : "handles";
        for (const auto& handle : handles) line += " " + qxtest::utf8(handle);
        answer(line + "\n");
        action(nullptr, strHelper, idTbl);
    }

    StrHelper strHelper;
    QxDbObjectId idTbl;
};

}  // namespace

TEST_F(TableUpdate, RefreshDropsTheRowOfAnErasedObjectAndRecomputesTheTotals)
{
    const auto c1 = addCircle(1), c2 = addCircle(2), c3 = addCircle(4);
    ExtractionChoice choice = Circles();
    choice.lsTotals = {u"Radius"};
    idTbl = insertExtraction(choice);
    ASSERT_EQ(cells(idTbl).back(), (Texts{u"", u"7"}));

    erase(c2);
    refresh();
    EXPECT_EQ(qx::transcript(), kUpdated);
    const std::vector<Texts> expected = {
        {u"Parts", u""}, {u"Object type", u"Radius"}, {u"Circle", u"1"}, {u"Circle", u"4"}, {u"", u""}, {u"", u"5"}};
    EXPECT_EQ(cells(idTbl), expected);
    EXPECT_EQ(record(csAppHdls), (Texts{c1, c3}));

    // Refresh never adds rows, not even for a new object of an extracted kind.
    addCircle(9);
    refresh();
    EXPECT_EQ(cells(idTbl), expected);
    EXPECT_EQ(qx::transcript(), kUpToDate);
}

TEST_F(TableUpdate, ErasingOneOfTwoIdenticalObjectsRemovesOneRow)
{
    const auto c1 = addCircle(3), c2 = addCircle(3, 10);
    idTbl = insertExtraction(Circles());
    ASSERT_EQ(cells(idTbl)[2], cells(idTbl)[3]);

    erase(c1);
    refresh();
    const auto rows = cells(idTbl);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], (Texts{u"Circle", u"3"}));
    EXPECT_EQ(record(csAppHdls), (Texts{c2}));

    // The remaining object is still followed: a changed value is rewritten where it stands,
    // the record keeps its handle.
    setRadius(c2, 6);
    refresh();
    EXPECT_EQ(qx::transcript(), kUpdated);
    EXPECT_EQ(cells(idTbl)[2][1], u"6");
    EXPECT_EQ(record(csAppHdls), (Texts{c2}));
}

TEST_F(TableUpdate, RenamedColumnsAreFollowedWithTheHeaderShownOrHidden)
{
    for (bool bDisplayHeader : {true, false}) {
        SCOPED_TRACE(bDisplayHeader ? "header shown" : "header hidden");
        db = std::make_shared<QxDbDatabase>();
        qx::setCurrentDocument(u"renamed.dxf", db);
        addCircle(1);
        const auto c2 = addCircle(2);
        ExtractionChoice choice = Circles();
        choice.mapNames[u"Radius"] = u"R";
        choice.bDisplayHeader = bDisplayHeader;
        idTbl = insertExtraction(choice);
        const std::uint32_t row = bDisplayHeader ? 3 : 2;
        ASSERT_EQ(cells(idTbl)[row][1], u"2");

        setRadius(c2, 8);
        refresh();
        EXPECT_EQ(qx::transcript(), kUpdated);
        const auto rows = cells(idTbl);
        ASSERT_EQ(rows.size(), bDisplayHeader ? 4u : 3u);
        EXPECT_EQ(rows[row], (Texts{u"Circle", u"8"}));
        if (bDisplayHeader) {
            EXPECT_EQ(rows[1], (Texts{u"Object type", u"R"}));
        }
    }
}

TEST_F(TableUpdate, RecordThatCannotBeReadStopsTheActionWithItsOwnMessageOnly)
{
    addCircle(1);
    idTbl = insertExtraction(Circles());
    const auto before = cells(idTbl);
    RemoveRecordItems(idTbl, csAppReplacedHdls);
    refresh();
    EXPECT_EQ(qx::transcript(), u"\nNone identified 'replaced_hdls' xData attached to this object.");
    EXPECT_EQ(cells(idTbl), before);
}

TEST_F(TableUpdate, AddingObjectsBringsTheirRowsAndColumns)
{
    const auto c1 = addCircle(1);
    idTbl = insertExtraction(Circles());
    const auto l1 = addLine(4);
    const auto c2 = addCircle(2);

    pick(&AddObjectsToTable, {l1, c2});
    EXPECT_TRUE(printed(u"\nPlease select new objects"));
    EXPECT_TRUE(printed(kUpdated));
    const auto rows = cells(idTbl);
    ASSERT_EQ(rows.size(), 5u);
    // The line's own properties became columns after the table's own, in name order.
    const Texts& header = rows[1];
    ASSERT_GT(header.size(), 3u);
    EXPECT_EQ(header[0], u"Object type");
    EXPECT_EQ(header[1], u"Radius");
    EXPECT_NE(std::find(header.begin(), header.end(), u"Length"), header.end());
    EXPECT_TRUE(std::is_sorted(header.begin() + 2, header.end()));
    const auto lengthColumn = std::size_t(std::find(header.begin(), header.end(), u"Length") - header.begin());
    // Kinds come in name order: the circles, then the line.
    EXPECT_EQ(rows[2][0], u"Circle");
    EXPECT_EQ(rows[4][0], u"Line");
    EXPECT_EQ(rows[4][lengthColumn], u"4");
    EXPECT_EQ(record(csAppHdls), (Texts{c1, c2, l1}));
    EXPECT_EQ(record(csAppObjTypes), (Texts{u"Circle", u"Line"}));
    EXPECT_EQ(record(csTbHeaders), Texts(header.begin(), header.end()));

    // The table still refreshes as a whole.
    change<QxDbLine>(l1, [](QxDbLine* l) { l->setEndPoint({6, 0, 0}); });
    refresh();
    EXPECT_EQ(qx::transcript(), kUpdated);
    EXPECT_EQ(cells(idTbl)[4][lengthColumn], u"6");

    // Objects that are in the table already change nothing.
    const auto before = cells(idTbl);
    pick(&AddObjectsToTable, {c1, l1});
    EXPECT_TRUE(printed(kUpToDate));
    EXPECT_EQ(cells(idTbl), before);
}

TEST_F(TableUpdate, MultiLineTextsMayBeAdded)
{
    addCircle(1);
    ExtractionChoice choice = Circles();
    idTbl = insertExtraction(choice);
    auto* text = new QxDbMText;
    text->setContents(u"Pump room");
    const auto t1 = append(text).handle().ascii();

    pick(&AddObjectsToTable, {t1});
    EXPECT_TRUE(printed(kUpdated));
    EXPECT_EQ(record(csAppObjTypes), (Texts{u"Circle", u"MText"}));
    const auto rows = cells(idTbl);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3][0], u"MText");
    // Only names of the geometry lists of lines, polylines, arcs, points and circles bring
    // columns: its position does (points have one), its contents and rotation do not.
    EXPECT_EQ(rows[1], (Texts{u"Object type", u"Radius", u"X position", u"Y position", u"Z position"}));
}

TEST_F(TableUpdate, ReplacingTheSelectionDecidesWhatLaterRefreshesRead)
{
    addCircle(1);
    addCircle(2);
    idTbl = insertExtraction(Circles());
    const auto c3 = addCircle(3), c4 = addCircle(4);

    pick(&ReplaceTableSelection, {c4, c3});
    EXPECT_TRUE(printed(u"\nYour new selection"));
    EXPECT_TRUE(printed(kUpdated));
    // Rows come in the order the objects were read: the order of the pick.
    const std::vector<Texts> expected = {{u"Parts", u""}, {u"Object type", u"Radius"}, {u"Circle", u"4"}, {u"Circle", u"3"}};
    EXPECT_EQ(cells(idTbl), expected);
    EXPECT_EQ(record(csAppReplacedHdls), (Texts{c4, c3}));
    EXPECT_EQ(record(csAppHdls), (Texts{c4, c3}));

    // Only the replaced objects are read: a later circle with the same radius changes nothing.
    addCircle(3);
    setRadius(c4, 7);
    refresh();
    EXPECT_EQ(qx::transcript(), kUpdated);
    EXPECT_EQ(cells(idTbl)[2], (Texts{u"Circle", u"7"}));
    EXPECT_EQ(cells(idTbl).size(), 4u);

    // A cancelled pick changes nothing.
    pick(&ReplaceTableSelection, {});
    EXPECT_FALSE(printed(kUpdated));
    EXPECT_EQ(record(csAppReplacedHdls), (Texts{c4, c3}));
}

TEST_F(TableUpdate, RebuildKeepsATotalsLineAndTotalsRenamedColumnsToo)
{
    const auto c1 = addCircle(1);
    ExtractionChoice choice = Circles();
    choice.mapNames[u"Radius"] = u"R";
    choice.lsTotals = {u"R"};
    idTbl = insertExtraction(choice);
    ASSERT_EQ(cells(idTbl).back(), (Texts{u"", u"1"}));
    const auto c2 = addCircle(2.5);

    pick(&AddObjectsToTable, {c2});
    const auto rows = cells(idTbl);
    ASSERT_GE(rows.size(), 6u);
    const std::size_t r = std::size_t(std::find(rows[1].begin(), rows[1].end(), u"R") - rows[1].begin());
    ASSERT_LT(r, rows[1].size()) << "the display name stays in the header";
    EXPECT_EQ(rows[rows.size() - 2], Texts(rows[1].size()));
    EXPECT_EQ(rows.back()[r], u"3.5");
    EXPECT_EQ(record(csAppHdls), (Texts{c1, c2}));

    // The record names the columns as the header shows them, so the next refresh still
    // recognises the header line and leaves the table alone.
    refresh();
    EXPECT_EQ(qx::transcript(), kUpToDate);
    EXPECT_EQ(cells(idTbl), rows);
}

TEST_F(TableUpdate, DialogRunsTheChosenActionOnThePickedTable)
{
    const auto c1 = addCircle(1);
    idTbl = insertExtraction(Circles());
    setRadius(c1, 2);

    // The refresh runs on the picked table once the dialog has ended.
    answer("click 1051\nhandles " + qxtest::utf8(idTbl.handle().ascii()) + "\n");
    {
        DlgUpdateA1 dlg(pwsw_qxappMainWnd());
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(dlg.IsTablePicked());
    }
    EXPECT_TRUE(printed(u"Please select the data table"));
    EXPECT_TRUE(printed(kUpdated));
    EXPECT_EQ(cells(idTbl)[2][1], u"2");

    // The pick takes tables only: a circle picked instead leaves no table to act on, and the
    // dialog ends all the same.
    setRadius(c1, 3);
    answer("click 1051\nhandles " + qxtest::utf8(c1) + "\n");
    {
        DlgUpdateA1 dlg(pwsw_qxappMainWnd());
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_FALSE(dlg.IsTablePicked());
    }
    EXPECT_FALSE(printed(kUpdated));
    EXPECT_FALSE(printed(kUpToDate));
    EXPECT_EQ(cells(idTbl)[2][1], u"2");
}

TEST_F(TableUpdate, BlockPreviewsStayAndRowsStartingEmptyAreNotTakenForTotals)
{
    const QxDbObjectId valve = addBlock(u"VALVE");
    append(new QxDbBlockReference({0, 0, 0}, valve));
    addLine(2);
    const auto l2 = addLine(3);

    ExtractionChoice choice;
    choice.lsProps = {u"Block name", u"Block preview", u"Length"};
    for (const auto& name : choice.lsProps) choice.mapNames[name] = name;
    idTbl = insertExtraction(choice);
    const auto before = cells(idTbl);
    ASSERT_EQ(before.size(), 5u);
    ASSERT_EQ(before[2], (Texts{u"VALVE", u"<block VALVE>", u""}));
    ASSERT_EQ(before[3], (Texts{u"", u"", u"2"})) << "a line row starts with an empty cell";

    refresh();
    EXPECT_EQ(qx::transcript(), kUpToDate);
    EXPECT_EQ(cells(idTbl), before);

    change<QxDbLine>(l2, [](QxDbLine* l) { l->setEndPoint({5, 0, 0}); });
    refresh();
    EXPECT_EQ(qx::transcript(), kUpdated);
    auto after = before;
    after[4][2] = u"5";
    EXPECT_EQ(cells(idTbl), after);
}

TEST_F(TableUpdate, AfterAddingToATableWithoutHeaderLaterRefreshesStillFindTheColumns)
{
    addCircle(1);
    ExtractionChoice choice = Circles();
    choice.mapNames[u"Radius"] = u"R";
    choice.bDisplayHeader = false;
    idTbl = insertExtraction(choice);
    const auto c2 = addCircle(2);

    pick(&AddObjectsToTable, {c2});
    // The added kind's geometry comes as columns too, in name order; "R" is the radius.
    const Texts headers = record(csTbHeaders);
    const auto r = std::size_t(std::find(headers.begin(), headers.end(), u"R") - headers.begin());
    ASSERT_LT(r, headers.size()) << "the record keeps the names shown";
    EXPECT_EQ(headers.front(), u"Object type");
    auto rows = cells(idTbl);
    ASSERT_EQ(rows.size(), 3u) << "no header line";
    EXPECT_EQ(rows[1][r], u"1");
    EXPECT_EQ(rows[2][r], u"2");

    setRadius(c2, 4);
    refresh();
    EXPECT_EQ(qx::transcript(), kUpdated);
    rows = cells(idTbl);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][r], u"1");
    EXPECT_EQ(rows[2][r], u"4");
}
