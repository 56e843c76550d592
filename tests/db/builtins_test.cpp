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

TEST_F(DrawingCommands, ListShowsPropertiesAndMergedCells)
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
    qx::clearTranscript();
    ASSERT_TRUE(run(u"LIST", hex(tableId)));
    EXPECT_TRUE(printed(u"Row 0: Doors | ~"));  // the merged cell is marked, not repeated
    EXPECT_TRUE(printed(u"Row 1: Count | Name"));
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
    auto* reference = new QxDbBlockReference({0, 0, 0}, addBlock(u"Door"));
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
    for (const char16_t* accepted : {u" radius 2.5", u" color 1", u" position 4,5"})
        EXPECT_TRUE(run(u"SETPROP", hex(circle) + accepted));
    for (const char16_t* refused : {u" layer NoSuchLayer", u" radius -1", u" color 300", u" volume 3"})
        EXPECT_FALSE(run(u"SETPROP", hex(circle) + refused));
    EXPECT_TRUE(printed(u"has no property VOLUME"));
    QxDbCircle* c = nullptr;
    ASSERT_EQ(qxdbOpenObject(c, circle, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(c->radius(), 2.5);
    EXPECT_EQ(c->colorIndex(), 1);
    EXPECT_EQ(c->center(), QxGePoint3d(4, 5, 0));
    EXPECT_EQ(c->layer(), u"0");
    // A justified text stands on its alignment point: the new position moves that point too.
    auto* centred = new QxDbText;
    centred->setPosition({1, 1, 0});
    centred->setHorizontalMode(QxDbText::kHorizontalCenter);
    centred->setAlignmentPoint({3, 1, 0});
    const QxDbObjectId text = add(centred);
    EXPECT_TRUE(run(u"SETPROP", hex(text) + u" position 11,21"));
    QxDbText* moved = nullptr;
    ASSERT_EQ(qxdbOpenObject(moved, text, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(moved->position(), QxGePoint3d(11, 21, 0));
    EXPECT_EQ(moved->alignmentPoint(), QxGePoint3d(13, 21, 0));
    moved->close();
    // Another command holds the object open for read: the write is refused, with a reason.
    qx::clearTranscript();
    EXPECT_FALSE(run(u"SETPROP", hex(circle) + u" radius 9"));
    EXPECT_TRUE(printed(u"eWasOpenForRead"));
    EXPECT_EQ(c->radius(), 2.5);
    c->close();
}
