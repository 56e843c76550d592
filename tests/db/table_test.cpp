#include <functional>

#include "db_fixture.h"

class TableTest : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        table = std::make_unique<QxDbTable>();
        table->setTableStyle(db->tablestyle());
    }
    // A table with a title merged over all columns and texts "r,c" elsewhere.
    void fill(std::uint32_t rows, std::uint32_t columns)
    {
        ASSERT_EQ(table->setSize(rows, columns), Qxapp::eOk);
        ASSERT_EQ(table->mergeCells(0, 0, 0, columns - 1), Qxapp::eOk);
        table->setTextString(0, 0, u"Title");
        for (std::uint32_t r = 1; r < rows; ++r)
            for (std::uint32_t c = 0; c < columns; ++c) {
                const std::u16string text = std::u16string(1, u'0' + r) + u',' + std::u16string(1, u'0' + c);
                table->setTextString(r, c, text.c_str());
            }
    }
    bool merged(std::uint32_t r, std::uint32_t c, std::uint32_t r0, std::uint32_t r1, std::uint32_t c0, std::uint32_t c1)
    {
        std::uint32_t a = 99, b = 99, x = 99, y = 99;
        return table->isMergedCell(r, c, &a, &b, &x, &y) && a == r0 && b == r1 && x == c0 && y == c1;
    }
    // Gives the table a new style without a title row whose header texts are 2.0 high; the
    // style stays open for `adjust` to set more before it is stored under `name`.
    void useUntitledStyle(const char16_t* name, const std::function<void(QxDbTableStyle&)>& adjust = {})
    {
        auto* style = new QxDbTableStyle;
        style->suppressTitleRow(true);
        style->setTextHeight(2.0, QxDb::kHeaderRow);
        if (adjust) adjust(*style);
        QxDbDictionary* styles = nullptr;
        ASSERT_EQ(db->getTableStyleDictionary(styles, QxDb::kForWrite), Qxapp::eOk);
        QxDbObjectId styleId;
        ASSERT_EQ(styles->setAt(name, style, styleId), Qxapp::eOk);
        style->close();
        styles->close();
        table->setTableStyle(styleId);
    }
    std::unique_ptr<QxDbTable> table;
};

TEST_F(TableTest, RowTypesFollowTheStyleAndItsSuppressedTitleRow)
{
    fill(4, 2);
    EXPECT_EQ(table->rowType(0), QxDb::kTitleRow);
    EXPECT_EQ(table->rowType(1), QxDb::kHeaderRow);
    EXPECT_EQ(table->rowType(3), QxDb::kDataRow);
    EXPECT_TRUE(table->textStyle(9, 0).isNull());
    EXPECT_EQ(table->textHeight(0, 5), 0);

    useUntitledStyle(u"NoTitle");
    EXPECT_EQ(table->rowType(0), QxDb::kHeaderRow);
    EXPECT_EQ(table->rowType(1), QxDb::kDataRow);
    EXPECT_EQ(table->textHeight(0, 1), 2.0);
    EXPECT_EQ(table->textStyle(0, 0), db->textstyle());  // a style without a text style: the drawing's
}

TEST_F(TableTest, NewRowsTakeTheHeightOfTheirTypeAndOldRowsKeepTheirs)
{
    useUntitledStyle(u"Short", [](QxDbTableStyle& style) { style.setVertCellMargin(1.0); });

    ASSERT_EQ(table->setSize(2, 1), Qxapp::eOk);
    EXPECT_NEAR(table->rowHeight(0), 4.0 / 3 * 2.0 + 2, 1e-12);  // the header: no title row
    EXPECT_NEAR(table->rowHeight(1), 4.0 / 3 * 4.5 + 2, 1e-12);
    ASSERT_EQ(table->setRowHeight(0, 20), Qxapp::eOk);
    ASSERT_EQ(table->setSize(4, 1), Qxapp::eOk);
    EXPECT_EQ(table->rowHeight(0), 20);
    EXPECT_NEAR(table->rowHeight(1), 4.0 / 3 * 4.5 + 2, 1e-12);
    EXPECT_NEAR(table->rowHeight(3), 4.0 / 3 * 4.5 + 2, 1e-12);
}

TEST_F(TableTest, CellsOutsideTheTableFailWithoutHarm)
{
    fill(3, 2);
    EXPECT_EQ(table->setTextString(3, 0, u"x"), Qxapp::eInvalidIndex);
    EXPECT_EQ(table->setTextString(0, 2, u"x"), Qxapp::eInvalidIndex);
    std::u16string text = u"stale";
    EXPECT_EQ(table->getTextString(5, 0, text), Qxapp::eInvalidIndex);
    EXPECT_EQ(text, u"");
    EXPECT_EQ(table->setColumnWidth(2, 10), Qxapp::eInvalidIndex);
    EXPECT_EQ(table->setColumnWidth(1, -1), Qxapp::eInvalidInput);
    EXPECT_EQ(table->mergeCells(0, 3, 0, 0), Qxapp::eInvalidIndex);
    EXPECT_EQ(table->deleteRows(1, 5), Qxapp::eInvalidIndex);
    EXPECT_EQ(table->deleteColumns(0, 2), Qxapp::eInvalidInput);  // not every column
    EXPECT_EQ(table->numColumns(), 2u);
}

TEST_F(TableTest, InsertingAndDeletingRowsMovesCellsAndMerges)
{
    fill(4, 3);
    ASSERT_EQ(table->mergeCells(2, 3, 1, 2), Qxapp::eOk);
    ASSERT_EQ(table->insertRows(1, 7.5, 2), Qxapp::eOk);
    EXPECT_EQ(table->numRows(), 6u);
    EXPECT_EQ(table->textString(3, 0), u"1,0");
    EXPECT_EQ(table->textString(1, 0), u"");
    EXPECT_EQ(table->rowHeight(2), 7.5);
    EXPECT_TRUE(merged(0, 2, 0, 0, 0, 2));  // the title row stays merged
    EXPECT_TRUE(merged(5, 2, 4, 5, 1, 2));  // a merge below moves down

    ASSERT_EQ(table->insertRows(5, 7.5), Qxapp::eOk);  // inside a merge: it grows
    EXPECT_TRUE(merged(6, 1, 4, 6, 1, 2));

    ASSERT_EQ(table->deleteRows(4, 2), Qxapp::eOk);  // cut the top of the merge
    EXPECT_TRUE(merged(4, 2, 4, 4, 1, 2));
    EXPECT_EQ(table->numRows(), 5u);
    ASSERT_EQ(table->deleteRows(4), Qxapp::eOk);  // the rest of it: no merge left there
    EXPECT_FALSE(table->isMergedCell(3, 1));
}

TEST_F(TableTest, ShrinkingAndRegrowingLikeAnUpdate)
{
    // Delete every row but the first and every column but the first, then insert the new
    // size: the title merge shrinks to one cell and disappears, and can be made again.
    fill(5, 3);
    table->setColumnWidth(0, 12);
    ASSERT_EQ(table->deleteRows(1, 4), Qxapp::eOk);
    ASSERT_EQ(table->deleteColumns(1, 2), Qxapp::eOk);
    EXPECT_FALSE(table->isMergedCell(0, 0));
    EXPECT_EQ(table->textString(0, 0), u"Title");
    ASSERT_EQ(table->insertColumns(1, table->columnWidth(0), 3), Qxapp::eOk);
    ASSERT_EQ(table->insertRows(1, table->rowHeight(0), 6), Qxapp::eOk);
    EXPECT_EQ(table->numRows(), 7u);
    EXPECT_EQ(table->numColumns(), 4u);
    EXPECT_EQ(table->width(), 48);
    EXPECT_EQ(table->textString(3, 2), u"");  // new cells are empty
    EXPECT_FALSE(table->isMergedCell(0, 3));
    ASSERT_EQ(table->mergeCells(0, 0, 0, 3), Qxapp::eOk);
    EXPECT_TRUE(table->cell(0, 3)->merged);
    EXPECT_EQ(table->cell(0, 0)->columnSpan, 4u);
}

TEST_F(TableTest, MergesMayContainOthersButNotCutThem)
{
    fill(4, 4);
    ASSERT_EQ(table->mergeCells(1, 2, 1, 2), Qxapp::eOk);
    EXPECT_EQ(table->mergeCells(2, 3, 2, 3), Qxapp::eInvalidInput);
    EXPECT_TRUE(merged(2, 2, 1, 2, 1, 2));
    ASSERT_EQ(table->mergeCells(1, 3, 0, 3), Qxapp::eOk);
    EXPECT_TRUE(merged(2, 2, 1, 3, 0, 3));
    ASSERT_EQ(table->unmergeCells(2, 2, 2, 2), Qxapp::eOk);
    EXPECT_FALSE(table->isMergedCell(2, 2));
    EXPECT_FALSE(table->cell(3, 3)->merged);
}

TEST_F(TableTest, BlockCellsTakeOnlyBlockRecords)
{
    fill(3, 2);
    const QxDbObjectId doorId = addBlock(u"Door");

    EXPECT_EQ(table->setBlockTableRecordId(2, 1, db->layerTableId(), true), Qxapp::eWrongObjectType);
    EXPECT_EQ(table->cellType(2, 1), QxDb::kTextCell);
    ASSERT_EQ(table->setBlockTableRecordId(2, 1, doorId, true), Qxapp::eOk);
    EXPECT_EQ(table->cellType(2, 1), QxDb::kBlockCell);
    EXPECT_EQ(table->blockTableRecordId(2, 1), doorId);
    EXPECT_EQ(table->textString(2, 1), u"");
    ASSERT_EQ(table->setTextString(2, 1, u"back to text"), Qxapp::eOk);
    EXPECT_TRUE(table->blockTableRecordId(2, 1).isNull());
}

TEST_F(TableTest, LayoutGivesRowsTheHeightTheirTextNeeds)
{
    fill(3, 2);
    table->setColumnWidth(40);
    ASSERT_EQ(table->generateLayout(), Qxapp::eOk);
    EXPECT_NEAR(table->rowHeight(0), 4.0 / 3 * 6.0 + 3, 1e-12);  // title: 11
    EXPECT_NEAR(table->rowHeight(2), 4.0 / 3 * 4.5 + 3, 1e-12);  // data: 9
    // A long text in a narrow column wraps onto several lines and makes its row taller.
    table->setTextString(2, 1, u"a rather long text that cannot fit on one line of forty units");
    ASSERT_EQ(table->generateLayout(), Qxapp::eOk);
    const double tall = table->rowHeight(2);
    EXPECT_GT(tall, 9 + 4.5);
    // The same text in a wide column needs one line again.
    table->setColumnWidth(1, 1000);
    table->generateLayout();
    EXPECT_NEAR(table->rowHeight(2), 9, 1e-12);
    EXPECT_NEAR(table->height(), 11 + 9 + 9, 1e-12);
}

TEST_F(TableTest, AppendedTablesAreReadOnlyWhenOpenedForRead)
{
    fill(2, 2);
    table->setPosition({10, 20, 0});
    table->setColumnWidth(15);
    table->generateLayout();
    const QxDbObjectId id = add(table.release());
    QxDbTable* t = nullptr;
    ASSERT_EQ(qxdbOpenObject(t, id, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(t->setTextString(1, 1, u"x"), Qxapp::eNotOpenForWrite);
    EXPECT_EQ(t->deleteRows(1), Qxapp::eNotOpenForWrite);
    EXPECT_EQ(t->textString(1, 1), u"1,1");
    QxDbExtents e;
    ASSERT_EQ(t->getGeomExtents(e), Qxapp::eOk);  // the position is the top-left corner
    EXPECT_NEAR(e.minPoint.x, 10, 1e-12);
    EXPECT_NEAR(e.maxPoint.x, 40, 1e-12);
    EXPECT_NEAR(e.maxPoint.y, 20, 1e-12);
    EXPECT_NEAR(e.minPoint.y, 20 - t->height(), 1e-12);
    t->close();
}

// Measuring text --------------------------------------------------------------------------

TEST(TextExtents, GrowWithLengthAndHeight)
{
    QxGiTextStyle style;
    style.setTextSize(2.5);
    const double one = style.extents(u"Count", true, -1, false).x;
    const double two = style.extents(u"CountCount", true, -1, false).x;
    EXPECT_GT(one, 0);
    EXPECT_NEAR(two, 2 * one, 0.05 * one);
    style.setTextSize(5);
    EXPECT_NEAR(style.extents(u"Count", true, -1, false).x, 2 * one, 1e-9);
    EXPECT_EQ(style.extents(u"Count", true, -1, false).y, 5);
    // A proportional font: narrow letters take less room than wide ones.
    EXPECT_LT(style.extents(u"iiii", true, -1, false).x, style.extents(u"WWWW", true, -1, false).x);
    // Only the given length is measured.
    EXPECT_NEAR(style.extents(u"CountCount", true, 5, false).x, 2 * one, 1e-9);
    EXPECT_EQ(style.extents(u"", true, -1, false).x, 0);
    style.setXScale(0.5);
    EXPECT_NEAR(style.extents(u"Count", true, -1, false).x, one, 1e-9);
}

TEST(TextExtents, FormattingCodesAreNotMeasuredUnlessRaw)
{
    QxGiTextStyle style;
    style.setTextSize(1);
    const double plain = style.extents(u"AB", true, -1, false).x;
    EXPECT_NEAR(style.extents(u"{\\fArial|b0;A}B", false, -1, false).x, plain, 1e-9);
    EXPECT_GT(style.extents(u"{\\fArial|b0;A}B", true, -1, false).x, plain);
}
