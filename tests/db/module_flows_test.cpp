// The host's operations in the order the data-extraction module calls them: inserting a
// table and re-reading the drawing while the table is open for write.
#include "cad/db/database_impl.h"
#include "db_fixture.h"

namespace {

// Inserts a 3 x 2 table the way the module's output does and returns the id it finds for it.
QxDbObjectId insertTable(QxDbDatabase& db, const QxGePoint3d& at)
{
    auto* table = new QxDbTable;
    qxds_name lastEnt = {0, 0};
    const bool hadLast = qxdbEntLast(lastEnt) == QXRT_NORM;

    QxDbDictionary* styles = nullptr;
    QxDbObjectId styleId;
    if (db.getTableStyleDictionary(styles, QxDb::kForRead) == Qxapp::eOk) {
        styles->getAt(u"Standard", styleId);
        styles->close();
    }
    table->setTableStyle(styleId);

    table->setSize(3, 2);
    table->setColumnWidth(20.0);
    table->mergeCells(0, 0, 0, 1);
    table->setTextString(0, 0, u"A long title that must not widen any column");
    const char16_t* cells[2][2] = {{u"Count", u"Name"}, {u"12", u"Door with a long name"}};
    for (std::uint32_t r = 1; r < 3; ++r)
        for (std::uint32_t c = 0; c < 2; ++c) table->setTextString(r, c, cells[r - 1][c]);
    for (std::uint32_t c = 0; c < 2; ++c) {
        double w = 0.0;
        for (std::uint32_t r = 1; r < 3; ++r) {
            QxGiTextStyle style;
            fromQxDbTextStyle(style, table->textStyle(r, c));
            style.setTextSize(table->textHeight(r, c));
            const std::u16string text = table->textString(r, c);
            w = std::max(w, style.extents(text.c_str(), true, -1, false).x);
        }
        table->setColumnWidth(c, std::min(w == 0.0 ? 1.0 : w, 50.0) * 1.3);
    }
    table->recomputeTableBlock(true);
    table->generateLayout();
    table->setPosition(at);

    QxDbBlockTable* blocks = nullptr;
    db.getSymbolTable(blocks, QxDb::kForRead);
    QxDbBlockTableRecord* space = nullptr;
    blocks->getAt(QXDB_MODEL_SPACE, space, QxDb::kForWrite);
    blocks->close();
    space->appendQxDbEntity(table);
    space->close();
    table->close();

    qxds_name next;
    QxDbObjectId tblId;
    if (qxdbEntNext(hadLast ? lastEnt : nullptr, next) == QXRT_NORM) qxdbGetObjectId(tblId, next);
    return tblId;
}

}  // namespace

using ModuleFlows = DrawingTest;

TEST_F(ModuleFlows, InsertingATableFindsItAfterTheLastEntity)
{
    const QxDbObjectId line = addLine(0, 0, 1, 1);
    const QxDbObjectId first = insertTable(*db, {100, 50, 0});
    ASSERT_FALSE(first.isNull());
    EXPECT_NE(first, line);
    QxDbTable* table = nullptr;
    ASSERT_EQ(qxdbOpenObject(table, first, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(table->tableStyle(), db->tablestyle());
    EXPECT_EQ(table->position(), QxGePoint3d(100, 50, 0));
    EXPECT_EQ(table->textString(2, 1), u"Door with a long name");
    // The title spreads over the merged row; the columns fit the texts below it.
    EXPECT_TRUE(table->isMergedCell(0, 1));
    EXPECT_GT(table->columnWidth(1), table->columnWidth(0));
    EXPECT_LE(table->columnWidth(1), 50 * 1.3);
    EXPECT_NEAR(table->rowHeight(1), 4.0 / 3 * 4.5 + 3, 1e-9);
    table->close();
    // Also in an empty drawing: the first entity of the drawing is the table.
    QxDbDatabase empty;
    qxdbHostApplicationServices()->setWorkingDatabase(&empty);
    const QxDbObjectId alone = insertTable(empty, {0, 0, 0});
    EXPECT_EQ(alone.database(), &empty);
    EXPECT_EQ(empty.openObjectCount(), 0u);
    qxdbHostApplicationServices()->setWorkingDatabase(db.get());
}

TEST_F(ModuleFlows, TheTableIsFoundAfterABlockReferenceWithAttributes)
{
    // The entity after the last one is the next one of model space, never an attribute of
    // the last reference.
    const QxDbObjectId refId = add(new QxDbBlockReference({0, 0, 0}, QxDbObjectId::kNull));
    QxDbBlockReference* ref = nullptr;
    ASSERT_EQ(qxdbOpenObject(ref, refId, QxDb::kForWrite), Qxapp::eOk);
    auto* attribute = new QxDbAttribute;
    attribute->setTag(u"TAG");
    QxDbObjectId attributeId;
    ASSERT_EQ(ref->appendAttribute(attributeId, attribute), Qxapp::eOk);
    attribute->close();
    ref->close();
    const QxDbObjectId tableId = insertTable(*db, {0, 0, 0});
    EXPECT_NE(tableId, attributeId);
    EXPECT_TRUE(QxDbTable::cast(qx::peekObject(tableId)));
}

TEST_F(ModuleFlows, ReadingTheDrawingWhileTheTableIsOpenForWriteSkipsOnlyTheTable)
{
    const QxDbObjectId line = addLine(0, 0, 1, 1);
    const QxDbObjectId id = insertTable(*db, {0, 0, 0});
    QxDbEntity* table = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(table, id, QxDb::kForWrite), Qxapp::eOk);
    qxds_name ss;
    ASSERT_EQ(qxedSSGet(u"A", nullptr, nullptr, nullptr, ss), QXRT_NORM);
    std::int32_t n = 0;
    qxedSSLength(ss, &n);
    std::vector<QxDbObjectId> read;
    for (std::int32_t i = 0; i < n; ++i) {
        qxds_name name;
        qxedSSName(ss, i, name);
        QxDbObjectId objectId;
        qxdbGetObjectId(objectId, name);
        QxDbEntity* e = nullptr;
        if (qxdbOpenQxDbEntity(e, objectId, QxDb::kForRead) != Qxapp::eOk) continue;
        read.push_back(objectId);
        e->close();
    }
    qxedSSFree(ss);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(read, (std::vector<QxDbObjectId>{line}));
    table->close();
}
