#include <set>

#include "cad/editor/console.h"
#include "cad/editor/db_builtins.h"
#include "db_fixture.h"

class DrawingCommands : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        qx::registerDatabaseBuiltins();
        qx::clearTranscript();
    }
    bool run(std::u16string_view name, const std::u16string& arguments)
    {
        const qx::BuiltinHandler* handler = qx::findBuiltin(name);
        EXPECT_NE(handler, nullptr);
        return handler && (*handler)(arguments);
    }
    bool printed(std::u16string_view text) const { return qx::transcript().find(text) != std::u16string::npos; }
    static std::u16string hex(QxDbObjectId id) { return id.handle().ascii(); }
};

TEST_F(DrawingCommands, ListShowsPropertiesCellsAndExtendedData)
{
    const QxDbObjectId circle = add(new QxDbCircle({1, 2, 0}, 3));
    ASSERT_TRUE(run(u"LIST", hex(circle)));
    EXPECT_TRUE(printed(u"CIRCLE " + hex(circle)));
    EXPECT_TRUE(printed(u"Radius: 3"));
    EXPECT_TRUE(printed(u"Center: 1,2,0"));

    auto* table = new QxDbTable;
    table->setTableStyle(db->tablestyle());
    table->setSize(2, 2);
    table->mergeCells(0, 0, 0, 1);
    table->setTextString(0, 0, u"Doors");
    table->setTextString(1, 0, u"Count");
    table->setTextString(1, 1, u"Name");
    const QxDbObjectId tableId = add(table);
    qxdbRegApp(u"tb_headers");
    QxDbObject* o = nullptr;
    qxdbOpenObject(o, tableId, QxDb::kForWrite);
    qxresbuf* xd = qxutBuildList(1001, u"tb_headers", 1000, u"Count", 0);
    o->setXData(xd);
    qxutRelRb(xd);
    o->close();
    qx::clearTranscript();
    ASSERT_TRUE(run(u"LIST", hex(tableId)));
    EXPECT_TRUE(printed(u"Row 0: Doors | ~"));
    EXPECT_TRUE(printed(u"Row 1: Count | Name"));
    EXPECT_TRUE(printed(u"Extended data tb_headers: 1000=Count"));
}

TEST_F(DrawingCommands, ListShowsSymbolTablesAndDictionaries)
{
    ASSERT_TRUE(run(u"LIST", hex(QxDbObjectId(db->linetypeTableId()))));
    EXPECT_TRUE(printed(u"Records: ByBlock, ByLayer, Continuous"));
    ASSERT_TRUE(run(u"LIST", hex(db->tableStyleDictionaryId())));
    EXPECT_TRUE(printed(u"Entry Standard: " + hex(db->tablestyle())));
    EXPECT_FALSE(run(u"SETPROP", hex(db->tablestyle()) + u" color 1"));
    EXPECT_TRUE(printed(u"is not a drawing entity"));
}

TEST_F(DrawingCommands, BadHandlesGiveMessagesNotCrashes)
{
    EXPECT_FALSE(run(u"LIST", u"FFFFF"));
    EXPECT_TRUE(printed(u"no object has the handle FFFFF"));
    EXPECT_FALSE(run(u"LIST", u"xyz"));
    EXPECT_FALSE(run(u"LIST", u""));
    EXPECT_FALSE(run(u"ERASE", u"FFFFF"));
    EXPECT_FALSE(run(u"COPY", u"FFFFF 1,1"));
    EXPECT_FALSE(run(u"SETPROP", u"FFFFF layer 0"));
}

TEST_F(DrawingCommands, EraseAndCopyKeepHandlesUnique)
{
    const QxDbObjectId line = addLine(0, 0, 10, 0);
    ASSERT_TRUE(run(u"COPY", hex(line) + u" 5,5"));
    ASSERT_TRUE(run(u"ERASE", hex(line)));
    EXPECT_TRUE(line.isErased());
    EXPECT_FALSE(run(u"ERASE", hex(line)));  // an erased object cannot be erased again
    ASSERT_TRUE(run(u"COPY", hex(addLine(1, 1, 2, 2)) + u" 1,0"));

    std::set<std::uint64_t> handles;
    std::size_t count = 0;
    QxDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(qxdbOpenObject(space, db->modelSpaceId(), QxDb::kForRead), Qxapp::eOk);
    for (const QxDbObjectId& id : space->entityIds()) {
        handles.insert(id.handle().value());
        ++count;
    }
    const QxDbObjectId copy = space->entityIds()[1];
    space->close();
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(handles.size(), count);
    QxDbLine* moved = nullptr;
    ASSERT_EQ(qxdbOpenObject(moved, copy, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(moved->startPoint(), QxGePoint3d(5, 5, 0));
    EXPECT_EQ(moved->endPoint(), QxGePoint3d(15, 5, 0));
    moved->close();
    EXPECT_TRUE(printed(u"Copied " + hex(line) + u" as " + hex(copy)));
}

TEST_F(DrawingCommands, CopyingABlockReferenceCopiesItsAttributes)
{
    QxDbBlockTable* blocks = nullptr;
    ASSERT_EQ(db->getSymbolTable(blocks, QxDb::kForWrite), Qxapp::eOk);
    auto* door = new QxDbBlockTableRecord;
    door->setName(u"Door");
    QxDbObjectId doorId;
    ASSERT_EQ(blocks->add(doorId, door), Qxapp::eOk);
    door->close();
    blocks->close();
    auto* reference = new QxDbBlockReference({0, 0, 0}, doorId);
    const QxDbObjectId refId = add(reference);
    QxDbBlockReference* ref = nullptr;
    qxdbOpenObject(ref, refId, QxDb::kForWrite);
    auto* attribute = new QxDbAttribute;
    attribute->setTag(u"WIDTH");
    attribute->setTextString(u"90");
    QxDbObjectId attributeId;
    ref->appendAttribute(attributeId, attribute);
    attribute->close();
    ref->close();

    ASSERT_TRUE(run(u"COPY", hex(refId) + u" 10,0"));
    QxDbAttribute* reader = nullptr;
    ASSERT_EQ(qxdbOpenObject(reader, attributeId, QxDb::kForRead), Qxapp::eOk);
    EXPECT_FALSE(run(u"SETPROP", hex(refId) + u" width 120"));  // someone is reading it
    EXPECT_TRUE(printed(u"eWasOpenForRead"));
    reader->close();
    EXPECT_FALSE(run(u"SETPROP", hex(refId) + u" height 3"));  // no such attribute
    ASSERT_TRUE(run(u"SETPROP", hex(refId) + u" width 120"));
    QxDbBlockTableRecord* space = nullptr;
    qxdbOpenObject(space, db->modelSpaceId(), QxDb::kForRead);
    const QxDbObjectId copyId = space->entityIds().back();
    space->close();
    ASSERT_NE(copyId, refId);
    ASSERT_EQ(qxdbOpenObject(ref, copyId, QxDb::kForRead), Qxapp::eOk);
    ASSERT_EQ(ref->attributeIds().size(), 1u);
    EXPECT_NE(ref->attributeIds()[0], attributeId);  // its own attribute, with its own handle
    QxDbAttribute* copied = nullptr;
    ASSERT_EQ(ref->openAttribute(copied, ref->attributeIds()[0], QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(copied->textString(), u"90");  // changing the original did not change the copy
    EXPECT_EQ(copied->position(), QxGePoint3d(10, 0, 0));
    copied->close();
    ref->close();
    ASSERT_EQ(qxdbOpenObject(copied, attributeId, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(copied->textString(), u"120");
    copied->close();
}

TEST_F(DrawingCommands, SetPropChangesWhatItNamesAndRefusesTheRest)
{
    const QxDbObjectId circle = add(new QxDbCircle({0, 0, 0}, 1));
    EXPECT_TRUE(run(u"SETPROP", hex(circle) + u" radius 2.5"));
    EXPECT_TRUE(run(u"SETPROP", hex(circle) + u" color 1"));
    EXPECT_TRUE(run(u"SETPROP", hex(circle) + u" lineweight 25"));
    EXPECT_TRUE(run(u"SETPROP", hex(circle) + u" linetype Continuous"));
    EXPECT_TRUE(run(u"SETPROP", hex(circle) + u" position 4,5"));
    EXPECT_FALSE(run(u"SETPROP", hex(circle) + u" layer NoSuchLayer"));
    EXPECT_FALSE(run(u"SETPROP", hex(circle) + u" radius -1"));
    EXPECT_FALSE(run(u"SETPROP", hex(circle) + u" color 300"));
    EXPECT_FALSE(run(u"SETPROP", hex(circle) + u" volume 3"));
    EXPECT_TRUE(printed(u"has no property VOLUME"));
    QxDbCircle* c = nullptr;
    ASSERT_EQ(qxdbOpenObject(c, circle, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(c->radius(), 2.5);
    EXPECT_EQ(c->colorIndex(), 1);
    EXPECT_EQ(c->lineWeight(), 25);
    EXPECT_EQ(c->linetype(), u"Continuous");
    EXPECT_EQ(c->center(), QxGePoint3d(4, 5, 0));
    EXPECT_EQ(c->layer(), u"0");
    // Another command holds the object open for read: the write is refused, with a reason.
    qx::clearTranscript();
    EXPECT_FALSE(run(u"SETPROP", hex(circle) + u" radius 9"));
    EXPECT_TRUE(printed(u"eWasOpenForRead"));
    EXPECT_EQ(c->radius(), 2.5);
    c->close();
}

TEST_F(DrawingCommands, SetPropWritesTableCellsInsideTheTableOnly)
{
    auto* table = new QxDbTable;
    table->setSize(2, 2);
    const QxDbObjectId id = add(table);
    EXPECT_TRUE(run(u"SETPROP", hex(id) + u" cell 1,1 \"two words\""));
    EXPECT_FALSE(run(u"SETPROP", hex(id) + u" cell 2,0 x"));
    EXPECT_TRUE(printed(u"eInvalidIndex"));
    EXPECT_FALSE(run(u"SETPROP", hex(id) + u" cell -1,0 x"));
    QxDbTable* t = nullptr;
    ASSERT_EQ(qxdbOpenObject(t, id, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(t->textString(1, 1), u"two words");
    t->close();
}
