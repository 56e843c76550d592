// The extraction table as a table entity: size and order of rows and columns, the title,
// fitted column widths, block previews, the insertion point, and the maintenance operations.
#include <gtest/gtest.h>

#include "drawing_fixture.h"
#include "host/gi.h"
#include "host/ui.h"
#include "output/update_rows.h"

using qxtest::DrawingTest;
using qxtest::Texts;

namespace {

const TableData kParts = {
    {u"Id", u"Name", u"Size", u"Note"},
    {u"2A", u"bolt", u"12", u""},
    {u"2B", u"nut", u"8", u""},
    {u"2C", u"washer", u"3", u""},
};

TableInsertion Insertion(const TableData& rows, bool bDisplayHeader = true)
{
    TableInsertion insertion;
    insertion.veTableDataOut = &rows;
    insertion.vecIncludeCols.assign(rows.front().size(), true);
    for (std::size_t c = 1; c < rows.front().size(); ++c) insertion.veHeaderOrder.push_back(int(c));
    insertion.veRowOrder.push_back(bDisplayHeader ? 0 : 1);
    for (std::size_t r = bDisplayHeader ? 1 : 2; r < rows.size(); ++r) insertion.veRowOrder.push_back(int(r));
    insertion.csBlockPreviewName = u"Block preview";
    insertion.csTbTitle = u"Parts";
    insertion.bDisplayHeader = bDisplayHeader;
    return insertion;
}

// The width the table's data text style gives a text, as the fitting must measure it.
double MeasuredWidth(const QxDbTable* table, std::uint32_t r, std::uint32_t c, const char16_t* text)
{
    QxGiTextStyle style;
    fromQxDbTextStyle(style, table->textStyle(r, c));
    style.setTextSize(table->textHeight(r, c));
    return style.extents(text, true, -1, false).x;
}

class DrawingTable : public DrawingTest {
protected:
    template <class Check>
    void withTable(QxDbObjectId id, Check check)
    {
        QxDbTable* table = nullptr;
        ASSERT_EQ(qxdbOpenObject(table, id, QxDb::kForRead), Qxapp::eOk);
        check(table);
        table->close();
    }
};

}  // namespace

TEST_F(DrawingTable, TitleHeaderAndDataRowsWithTheHeaderShownOrHidden)
{
    const QxDbObjectId shown = InsertTable(Insertion(kParts), {0, 0, 0});
    ASSERT_FALSE(shown.isNull());
    const std::vector<Texts> expected = {
        {u"Parts", u"", u""}, {u"Name", u"Size", u"Note"}, {u"bolt", u"12", u""}, {u"nut", u"8", u""}, {u"washer", u"3", u""}};
    EXPECT_EQ(cells(shown), expected);
    withTable(shown, [](QxDbTable* table) {
        std::uint32_t minColumn = 9, maxColumn = 9;
        EXPECT_TRUE(table->isMergedCell(0, 1, nullptr, nullptr, &minColumn, &maxColumn));
        EXPECT_EQ(minColumn, 0u);
        EXPECT_EQ(maxColumn, 2u);
    });

    // Hidden: the header line is left out, the first data row comes right under the title.
    const QxDbObjectId hidden = InsertTable(Insertion(kParts, false), {0, 0, 0});
    const auto rows = cells(hidden);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], (Texts{u"bolt", u"12", u""}));
    EXPECT_EQ(rows[3], (Texts{u"washer", u"3", u""}));
}

TEST_F(DrawingTable, ColumnsAndRowsFollowThePreviewAndExcludedColumnsStayEmpty)
{
    TableInsertion insertion = Insertion(kParts);
    insertion.veHeaderOrder = {2, 1};       // "Size" dragged before "Name"; "Note" hidden
    insertion.veRowOrder = {0, 3, 1, 2};    // sorted: washer, bolt, nut
    insertion.vecIncludeCols[1] = false;    // "Name" has no contents
    const auto rows = cells(InsertTable(insertion, {0, 0, 0}));
    const std::vector<Texts> expected = {{u"Parts", u""}, {u"Size", u""}, {u"3", u""}, {u"12", u""}, {u"8", u""}};
    EXPECT_EQ(rows, expected);
}

TEST_F(DrawingTable, ColumnsFitTheirWidestTextWithinTheCapAndTheTitleWidensNone)
{
    const std::u16string longText(60, u'W');
    const TableData data = {
        {u"Id", u"Name", u"Empty", u"Long"},
        {u"2A", u"a", u"", longText},
        {u"2B", u"hex bolt M12", u"", u"x"},
    };
    TableInsertion insertion = Insertion(data);
    insertion.csTbTitle = std::u16string(200, u'T');
    const QxDbObjectId id = InsertTable(insertion, {0, 0, 0});
    withTable(id, [&](QxDbTable* table) {
        const double widest = MeasuredWidth(table, 3, 0, u"hex bolt M12");
        ASSERT_GT(widest, MeasuredWidth(table, 1, 0, u"Name"));
        ASSERT_LT(widest, 50.0);
        EXPECT_NEAR(table->columnWidth(0), widest * 1.3, 1e-9);
        EXPECT_NEAR(table->columnWidth(1), MeasuredWidth(table, 1, 1, u"Empty") * 1.3, 1e-9);
        ASSERT_GT(MeasuredWidth(table, 2, 2, longText.c_str()), 50.0);
        EXPECT_DOUBLE_EQ(table->columnWidth(2), 50.0 * 1.3);
    });

    // A column without any text below the title is 1.3 wide.
    TableInsertion blank = Insertion(data);
    blank.vecIncludeCols = {true, true, false, true};
    withTable(InsertTable(blank, {0, 0, 0}), [](QxDbTable* table) { EXPECT_DOUBLE_EQ(table->columnWidth(1), 1.3); });
}

TEST_F(DrawingTable, BlockPreviewCellsShowTheBlockOfTheirRowAndTheHeaderItsName)
{
    const QxDbObjectId door = addBlock(u"DOOR");

    const TableData data = {
        {u"Id", u"Block name", u"Block preview"},
        {u"2A", u"DOOR", u""},
        {u"2B", u"GONE", u""},  // no block known for this handle
        {u"", u"", u""},        // the empty row and the totals line have no handle
        {u"", u"1", u""},
    };
    const BlockIdMap ids = {{u"2A", door}};
    TableInsertion insertion = Insertion(data);
    insertion.lsBlockTbRecId = &ids;
    const QxDbObjectId id = InsertTable(insertion, {0, 0, 0});
    const auto rows = cells(id);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1][1], u"Block preview");
    EXPECT_EQ(rows[2][1], u"<block DOOR>");
    EXPECT_EQ(rows[3][1], u"");
    EXPECT_EQ(rows[4][1], u"");
    EXPECT_EQ(rows[5][1], u"");
    withTable(id, [](QxDbTable* table) { EXPECT_TRUE(table->isAutoScale(2, 1)); });
}

TEST_F(DrawingTable, PickedPointIsTakenInTheUcsAndCmdechoIsGivenBackAsTheUserHadIt)
{
    db->setUcs({100, 50, 0}, {0, 1, 0}, {-1, 0, 0});  // rotated a quarter turn and moved
    CQxUiDialog page(QxUiDialogTemplate{});
    LastInsertedTable() = QxDbObjectId::kNull;

    answer("10,20\n");
    SetCmdEcho(true);
    EXPECT_EQ(PickAndInsertTable(page, Insertion(kParts)), QXRT_NORM);
    const QxDbObjectId id = LastInsertedTable();
    ASSERT_FALSE(id.isNull());
    withTable(id, [](QxDbTable* table) {
        EXPECT_NEAR(table->position().x, 80, 1e-9);  // 100 - 20
        EXPECT_NEAR(table->position().y, 60, 1e-9);  // 50 + 10
    });
    EXPECT_NE(qx::transcript().find(u"Please input table insertion point :"), std::u16string::npos);

    qxresbuf echo{};
    ASSERT_EQ(qxedGetVar(u"CMDECHO", &echo), QXRT_NORM);
    EXPECT_EQ(echo.resval.rint, 1);

    // Cancelled: no table, the last one stays the last, and the echo is off again as the
    // user had it.
    answer("cancel\n");
    SetCmdEcho(false);
    EXPECT_EQ(PickAndInsertTable(page, Insertion(kParts)), QXRT_CANCEL);
    EXPECT_EQ(LastInsertedTable(), id);
    ASSERT_EQ(qxedGetVar(u"CMDECHO", &echo), QXRT_NORM);
    EXPECT_EQ(echo.resval.rint, 0);
    std::int32_t tables = 0;
    qxds_name ss{};
    qxresbuf* filter = qxutBuildList(QXRT_DXF0, u"ACAD_TABLE", 0);
    ASSERT_EQ(qxedSSGet(u"A", nullptr, nullptr, filter, ss), QXRT_NORM);
    qxutRelRb(filter);
    qxedSSLength(ss, &tables);
    qxedSSFree(ss);
    EXPECT_EQ(tables, 1);
}

TEST(UcsMatrix, AxesAreNormalisedAndZIsTheirCrossProduct)
{
    const QxGeMatrix3d m = UcsToWorldMatrix(QxGeMatrix3d::kIdentity, {1, 2, 3}, {0, 2, 0}, {0, 0, 5}, false);
    QxGePoint3d p(1, 1, 1);
    p.transformBy(m);
    // x -> world Y, y -> world Z, z = Y x Z -> world X.
    EXPECT_NEAR(p.x, 2, 1e-12);
    EXPECT_NEAR(p.y, 3, 1e-12);
    EXPECT_NEAR(p.z, 4, 1e-12);
}

TEST_F(DrawingTable, ResizeClearAndRefillRebuildATableInDataOrder)
{
    const QxDbObjectId id = InsertTable(Insertion(kParts), {0, 0, 0});
    const TableData data = {
        {u"Id", u"A", u"B"},
        {u"3A", u"one", u"1"},
        {u"3B", u"two", u"2"},
    };
    QxDbTable* table = nullptr;
    ASSERT_EQ(qxdbOpenObject(table, id, QxDb::kForRead), Qxapp::eOk);
    EXPECT_FALSE(ResizeTable(table, 3, 2)) << "a table open for read is left alone";
    ASSERT_EQ(table->upgradeOpen(), Qxapp::eOk);
    ASSERT_TRUE(ResizeTable(table, 3, 2));
    EXPECT_EQ(table->numRows(), 3u);
    EXPECT_EQ(table->numColumns(), 2u);
    EXPECT_TRUE(ClearTableCells(table, table->numRows(), table->numColumns()));
    RefillTable(data, {}, table, u"Block preview", true);
    TableData read;
    EXPECT_TRUE(ReadTableRows(table, read));
    table->close();
    EXPECT_EQ(read, (TableData{{u"one", u"1"}, {u"two", u"2"}}));
    EXPECT_EQ(cells(id)[0][0], u"Parts") << "the title stays";
}

TEST_F(DrawingTable, DeletedRowsGoTogetherInRunsAndTheOthersKeepTheirOrder)
{
    TableData rows = {{u"Id", u"Name"}};
    for (int i = 0; i < 9; ++i) rows.push_back({u"1" + std::u16string(1, char16_t(u'0' + i)), std::u16string(1, char16_t(u'a' + i))});
    const QxDbObjectId id = InsertTable(Insertion(rows), {0, 0, 0});
    QxDbTable* table = nullptr;
    ASSERT_EQ(qxdbOpenObject(table, id, QxDb::kForWrite), Qxapp::eOk);
    // Rows 2 to 10 show a to i: a run (c, d, e), single rows (g, i), given out of order and
    // one twice.
    DeleteTableRows(table, {6, 4, 10, 5, 8, 4});
    TableData read;
    EXPECT_TRUE(ReadTableRows(table, read));
    table->close();
    EXPECT_EQ(read, (TableData{{u"Name"}, {u"a"}, {u"b"}, {u"f"}, {u"h"}}));
}
