#include <set>

#include "cad/db/database_impl.h"
#include "cad/db/open_check.h"
#include "cad/editor/console.h"
#include "db_fixture.h"

// Opening and closing ------------------------------------------------------------------

using OpenDiscipline = DrawingTest;

TEST_F(OpenDiscipline, ManyReadersOrOneWriter)
{
    const QxDbObjectId id = addLine(0, 0, 1, 0);
    QxDbObject *r1 = nullptr, *r2 = nullptr, *w = nullptr;
    ASSERT_EQ(qxdbOpenObject(r1, id, QxDb::kForRead), Qxapp::eOk);
    ASSERT_EQ(qxdbOpenObject(r2, id, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(r1, r2);
    EXPECT_EQ(db->openObjectCount(), 1u);  // one object, however many readers
    EXPECT_EQ(qxdbOpenObject(w, id, QxDb::kForWrite), Qxapp::eWasOpenForRead);
    EXPECT_EQ(w, nullptr);
    EXPECT_FALSE(r1->isWriteEnabled());
    // Two readers: neither may turn the object into a writer under the other's feet.
    EXPECT_EQ(r1->upgradeOpen(), Qxapp::eWasOpenForRead);
    EXPECT_EQ(r1->close(), Qxapp::eOk);
    EXPECT_EQ(db->openObjectCount(), 1u);
    EXPECT_EQ(r2->upgradeOpen(), Qxapp::eOk);
    EXPECT_TRUE(r2->isWriteEnabled());
    EXPECT_EQ(qxdbOpenObject(w, id, QxDb::kForRead), Qxapp::eWasOpenForWrite);
    EXPECT_EQ(r2->downgradeOpen(), Qxapp::eOk);
    EXPECT_FALSE(r2->isWriteEnabled());
    EXPECT_EQ(r2->close(), Qxapp::eOk);
    EXPECT_EQ(r2->close(), Qxapp::eWasNotOpen);  // one close too many is reported, not counted
    EXPECT_EQ(db->openObjectCount(), 0u);
}

TEST_F(OpenDiscipline, WritesNeedAWriteOpen)
{
    const QxDbObjectId id = addLine(0, 0, 1, 0);
    QxDbLine* line = nullptr;
    ASSERT_EQ(qxdbOpenObject(line, id, QxDb::kForRead), Qxapp::eOk);
    EXPECT_EQ(line->setStartPoint({5, 5, 0}), Qxapp::eNotOpenForWrite);
    EXPECT_EQ(line->erase(), Qxapp::eNotOpenForWrite);
    EXPECT_EQ(line->startPoint(), QxGePoint3d(0, 0, 0));
    line->close();

    // An object that is not in a database yet is its creator's to change.
    QxDbLine loose;
    EXPECT_TRUE(loose.isWriteEnabled());
    EXPECT_EQ(loose.setStartPoint({1, 2, 3}), Qxapp::eOk);
    EXPECT_EQ(loose.close(), Qxapp::eNotInDatabase);
}

TEST_F(OpenDiscipline, ErasedObjectsOpenOnlyWhenAsked)
{
    const QxDbObjectId id = addLine(0, 0, 1, 0);
    QxDbEntity* e = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(e, id, QxDb::kForWrite), Qxapp::eOk);
    EXPECT_EQ(e->erase(), Qxapp::eOk);
    e->close();
    EXPECT_TRUE(id.isErased());
    EXPECT_EQ(qxdbOpenQxDbEntity(e, id, QxDb::kForRead), Qxapp::eWasErased);
    ASSERT_EQ(qxdbOpenQxDbEntity(e, id, QxDb::kForWrite, true), Qxapp::eOk);
    EXPECT_EQ(e->erase(false), Qxapp::eOk);
    e->close();
    EXPECT_EQ(qxdbOpenQxDbEntity(e, id, QxDb::kForRead), Qxapp::eOk);
    e->close();
}

TEST_F(OpenDiscipline, WrongClassIsRefusedAndLeavesNothingOpen)
{
    const QxDbObjectId id = addLine(0, 0, 1, 0);
    QxDbCircle* circle = nullptr;
    EXPECT_EQ(qxdbOpenObject(circle, id, QxDb::kForRead), Qxapp::eWrongObjectType);
    EXPECT_EQ(circle, nullptr);
    EXPECT_EQ(db->openObjectCount(), 0u);
    QxDbEntity* entity = nullptr;
    EXPECT_EQ(qxdbOpenQxDbEntity(entity, db->layerTableId(), QxDb::kForRead), Qxapp::eWrongObjectType);
    EXPECT_EQ(qxdbOpenQxDbEntity(entity, QxDbObjectId::kNull, QxDb::kForRead), Qxapp::eNullObjectId);
    EXPECT_EQ(db->openObjectCount(), 0u);
}

TEST_F(OpenDiscipline, LeftOpenObjectsAreReportedByTheCheck)
{
    const QxDbObjectId a = addLine(0, 0, 1, 0), b = addLine(1, 1, 2, 2);
    QxDbObject *ra = nullptr, *wb = nullptr;
    qxdbOpenObject(ra, a, QxDb::kForRead);
    qxdbOpenObject(wb, b, QxDb::kForWrite);
    qx::clearTranscript();
    EXPECT_EQ(qx::reportOpenObjects(), 2u);
    const std::u16string& out = qx::transcript();
    EXPECT_NE(out.find(u"2 object(s) left open"), std::u16string::npos);
    EXPECT_NE(out.find(u"LINE " + a.handle().ascii() + u" (read)"), std::u16string::npos);
    EXPECT_NE(out.find(u"LINE " + b.handle().ascii() + u" (write)"), std::u16string::npos);
    ra->close();
    wb->close();
    qx::clearTranscript();
    EXPECT_EQ(qx::reportOpenObjects(), 0u);
    EXPECT_TRUE(qx::transcript().empty());
}

// Handles ------------------------------------------------------------------------------

TEST(Handles, AreUpperCaseHexWithoutLeadingZeros)
{
    EXPECT_EQ(QxDbHandle(0x2AF).ascii(), u"2AF");
    EXPECT_EQ(QxDbHandle(0xFFFFFFFFFFFFFFFFull).ascii(), u"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(QxDbHandle(0).ascii(), u"0");
    char16_t buffer[17];
    QxDbHandle(0xABC0).getIntoAsciiBuffer(buffer);
    EXPECT_EQ(std::u16string(buffer), u"ABC0");
    char16_t small[3];
    QxDbHandle(0x12345).getIntoAsciiBuffer(small, 3);  // never writes past the buffer
    EXPECT_EQ(std::u16string(small), u"12");
}

using HandleAllocation = DrawingTest;

TEST_F(HandleAllocation, HandlesAreUniqueAndNeverReused)
{
    std::set<std::uint64_t> seen;
    std::vector<QxDbObjectId> ids;
    for (int i = 0; i < 20; ++i) ids.push_back(addLine(i, 0, i, 1));
    for (const auto& id : ids) EXPECT_TRUE(seen.insert(id.handle().value()).second);
    // Erase the newest: its handle must not come back.
    QxDbEntity* e = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(e, ids.back(), QxDb::kForWrite), Qxapp::eOk);
    e->erase();
    e->close();
    const QxDbObjectId next = addLine(0, 0, 5, 5);
    EXPECT_TRUE(seen.insert(next.handle().value()).second);
    EXPECT_GT(db->handseed().value(), next.handle().value());
    EXPECT_EQ(db->getObjectId(next.handle()), next);
    EXPECT_TRUE(db->getObjectId(QxDbHandle(0x7FFFFFFF)).isNull());
}

TEST_F(HandleAllocation, ReaderHandlesFarApartAreKeptFoundAndNeverHandedOutAgain)
{
    std::vector<std::pair<std::uint64_t, QxDbObjectId>> added;
    for (std::uint64_t h : {0xFFFFFFFFull, 0x4000ull, 0x123456789ull, 0x20000ull}) {
        QxDbObjectId id;
        ASSERT_EQ(db->addObject(new QxDbLine, QxDbHandle(h), db->modelSpaceId(), id), Qxapp::eOk);
        added.emplace_back(h, id);
    }
    QxDbObjectId id;
    auto* duplicate = new QxDbLine;
    EXPECT_EQ(db->addObject(duplicate, QxDbHandle(0x4000), db->modelSpaceId(), id), Qxapp::eDuplicateKey);
    delete duplicate;
    for (int i = 0; i < 1000; ++i) addLine(0, 0, i, 1);  // enough to pull some into the dense index
    for (const auto& [h, id] : added) EXPECT_EQ(db->getObjectId(QxDbHandle(h)), id);
    EXPECT_GT(db->handseed().value(), 0x123456789ull);
    EXPECT_TRUE(db->getObjectId(QxDbHandle(0x123456788)).isNull());
    // A seed set below a handle in use, and a writer taking handles for records of its own.
    db->setHandseed(QxDbHandle(2));
    EXPECT_GT(db->handseed().value(), 0x123456789ull);
    db->setHandseed(QxDbHandle(0x4000));
    auto& impl = qx::DbInternals::impl(*db);
    for (int i = 0; i < 3; ++i) {
        const std::uint64_t h = impl.allocateHandle();
        EXPECT_EQ(impl.find(h), nullptr);
        EXPECT_GT(h, 0x123456789ull);
    }
}

TEST(Stubs, ManyObjectsInTwoDatabasesKeepTheirIdsAndKnowTheirDatabase)
{
    // Enough objects for each database's stubs to span several chunks, added in turns so that
    // the chunks of the two lists interleave in memory.
    QxDbDatabase first(false), second(false);
    std::vector<QxDbObjectId> ofFirst, ofSecond;
    for (int i = 0; i < 10000; ++i) {
        for (auto [db, ids] : {std::pair{&first, &ofFirst}, std::pair{&second, &ofSecond}}) {
            QxDbObjectId id;
            ASSERT_EQ(db->addObject(new QxDbLine, QxDbHandle(), QxDbObjectId(), id), Qxapp::eOk);
            ids->push_back(id);
        }
    }
    for (std::size_t i = 0; i < ofFirst.size(); i += 997) {
        EXPECT_EQ(ofFirst[i].database(), &first);
        EXPECT_EQ(ofSecond[i].database(), &second);
        EXPECT_EQ(first.getObjectId(ofFirst[i].handle()), ofFirst[i]);  // the id has not moved
        EXPECT_EQ(qx::peekObject(ofSecond[i])->database(), &second);
    }
    EXPECT_EQ(ofFirst.back().database(), &first);
    std::size_t listed = 0;
    for (const QxDbStub& stub : qx::DbInternals::impl(first).stubs) listed += QxDbLine::cast(stub.object) ? 1 : 0;
    EXPECT_EQ(listed, ofFirst.size());
}

// Defaults ------------------------------------------------------------------------------

using DefaultDrawing = DrawingTest;

TEST_F(DefaultDrawing, SymbolTablesRefuseDuplicatesAndFollowRenames)
{
    QxDbLayerTable* layers = nullptr;
    ASSERT_EQ(db->getSymbolTable(layers, QxDb::kForWrite), Qxapp::eOk);
    auto* walls = new QxDbLayerTableRecord;
    walls->setName(u"Walls");
    QxDbObjectId wallsId;
    ASSERT_EQ(layers->add(wallsId, walls), Qxapp::eOk);
    auto* again = new QxDbLayerTableRecord;
    again->setName(u"WALLS");
    EXPECT_EQ(layers->add(again), Qxapp::eDuplicateKey);
    delete again;
    EXPECT_EQ(walls->setName(u"0"), Qxapp::eDuplicateKey);
    EXPECT_EQ(walls->setName(u"Doors"), Qxapp::eOk);
    walls->close();
    EXPECT_FALSE(layers->has(u"Walls"));
    QxDbObjectId found;
    EXPECT_EQ(layers->getAt(u"doors", found), Qxapp::eOk);
    EXPECT_EQ(found, wallsId);
    layers->close();
}

TEST(EmptyDatabase, EnsureDefaultsAddsOnlyWhatIsMissing)
{
    QxDbDatabase db(false);
    QxDbObjectId tableId, layerId;
    ASSERT_EQ(db.addObject(new QxDbLayerTable, QxDbHandle(2), {}, tableId), Qxapp::eOk);
    auto* zero = new QxDbLayerTableRecord;
    zero->setName(u"0");
    ASSERT_EQ(db.addObject(zero, QxDbHandle(0x10), tableId, layerId), Qxapp::eOk);
    QxDbSymbolTable::cast(qx::peekObject(tableId))->indexRecord(u"0", layerId);
    qx::DbInternals::impl(db).ensureDefaults();
    EXPECT_EQ(db.layerTableId(), tableId);
    auto* layers = QxDbSymbolTable::cast(qx::peekObject(tableId));
    EXPECT_EQ(layers->recordIds().size(), 1u);
    EXPECT_FALSE(db.modelSpaceId().isNull());
    EXPECT_FALSE(db.tablestyle().isNull());
    EXPECT_GT(db.handseed().value(), 0x10u);
}

// What a module sees ---------------------------------------------------------------------

// A module compiles against host/ alone; the host's bookkeeping (an object's slot, its
// extended data store, the database's inside) is for the host, reached through
// qx::DbInternals. Publishing any of it again fails this file's build.
template <class T>
concept ShowsSlot = requires(const T& t) { t.stub(); };
template <class T>
concept ShowsBookkeeping = requires(T& t, QxDbStub* s) {
    t.attachStub(s);
} || requires(T& t) { t.xdataStore(); };
template <class T>
concept ShowsInside = requires(T& t) { t.impl(); };
static_assert(!ShowsSlot<QxDbObjectId> && !ShowsSlot<QxDbObject> && !ShowsBookkeeping<QxDbObject>);
static_assert(!ShowsInside<QxDbDatabase>);
