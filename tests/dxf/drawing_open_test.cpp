// Opening drawings into the database: what each kind of record becomes.
#include <gtest/gtest.h>

#include <cmath>

#include "dbtable.h"
#include "drawing_support.h"
#include "dynblock.h"
#include "hyperlink.h"
#include "tag_support.h"

namespace qx::dxf {
namespace {

using test::dxfText;
using test::entitiesDrawing;
using test::object;
using test::openText;
using test::Pairs;

std::vector<QxDbObjectId> modelSpaceIds(QxDbDatabase& db) { return test::modelSpace(db)->entityIds(); }

TEST(DxfOpenHeader, PrecisionAndUcsReachTheDatabase)
{
    auto db = openText(entitiesDrawing({}));
    ASSERT_TRUE(db);
    EXPECT_EQ(db->luprec(), 2);
    EXPECT_EQ(db->ucsorg(), QxGePoint3d(10, 20, 0));
    EXPECT_EQ(db->ucsxdir(), QxGeVector3d(0, 1, 0));
    EXPECT_EQ(db->ucsydir(), QxGeVector3d(-1, 0, 0));
    // The file had no tables: the standard ones exist anyway.
    QxDbObjectId layer;
    EXPECT_EQ(QxDbSymbolTable::cast(qx::peekObject(db->layerTableId()))->getAt(u"0", layer), Qxapp::eOk);
}

TEST(DxfOpenEntities, GeneratedDrawingGivesEveryKindItsClass)
{
    auto db = openText(bench::DxfDrawingGenerator(3).drawing(20));
    ASSERT_TRUE(db);
    const auto ids = modelSpaceIds(*db);
    ASSERT_EQ(ids.size(), 20u);
    std::vector<std::u16string> types;
    for (auto id : ids) types.push_back(qx::peekObject(id)->dxfTypeName());
    EXPECT_EQ(std::vector<std::u16string>(types.begin(), types.begin() + 10),
              (std::vector<std::u16string>{u"LINE", u"LWPOLYLINE", u"ARC", u"CIRCLE", u"SOLID", u"POINT", u"MTEXT", u"TEXT",
                                           u"ELLIPSE", u"INSERT"}));
    EXPECT_TRUE(QxDbUnknownEntity::cast(qx::peekObject(ids[8])));
    EXPECT_EQ(ids[0].handle().value(), 0x100u);

    auto* arc = object<QxDbArc>(ids[2]);
    ASSERT_TRUE(arc);
    EXPECT_GE(arc->startAngle(), 0.0);
    EXPECT_LT(arc->startAngle(), 2 * M_PI);  // degrees in the file, radians here

    auto* polyline = object<QxDbPolyline>(ids[1]);
    ASSERT_TRUE(polyline);
    double bulge = 0;
    polyline->getBulgeAt(1, bulge);
    EXPECT_DOUBLE_EQ(bulge, 0.5);

    auto* reference = object<QxDbBlockReference>(ids[9]);
    ASSERT_TRUE(reference);
    ASSERT_EQ(reference->attributeIds().size(), 2u);
    auto* attribute = object<QxDbAttribute>(reference->attributeIds()[1]);
    EXPECT_EQ(attribute->tag(), u"WIDTH");
    EXPECT_EQ(attribute->textString(), u"WIDTH-9");
    EXPECT_EQ(object<QxDbBlockTableRecord>(reference->blockTableRecord())->name(), u"DOOR");
    EXPECT_EQ(object<QxDbMText>(ids[6])->contents(), u"Room 6");
}

TEST(DxfOpenEntities, HyperlinksComeFromExtendedData)
{
    auto db = openText(bench::DxfDrawingGenerator(3).drawing(20));
    const auto ids = modelSpaceIds(*db);
    auto* pe = QxDbEntityHyperlinkPE::cast(qx::peekObject(ids[0])->x(QxDbEntityHyperlinkPE::desc()));
    ASSERT_TRUE(pe);
    QxDbHyperlinkCollection* links = nullptr;
    ASSERT_EQ(pe->getHyperlinkCollection(qx::peekObject(ids[0]), links), Qxapp::eOk);
    ASSERT_EQ(links->count(), 1);
    EXPECT_EQ(links->item(0)->name(), u"https://example.org/item/0");
    EXPECT_EQ(links->item(0)->description(), u"item 0");
    delete links;
}

TEST(DxfOpenEntities, ObjectCoordinatesBecomeWorldCoordinates)
{
    // An arc seen from below (normal -Z): its OCS centre x of 5 is world x -5, and angles run
    // the other way round in the world but stay as stated in the arc's own plane.
    auto db = openText(entitiesDrawing({{0, "ARC"}, {5, "30"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbCircle"},
                                        {10, "5"}, {20, "1"}, {30, "2"}, {40, "3"}, {210, "0"}, {220, "0"}, {230, "-1"},
                                        {100, "AcDbArc"}, {50, "90"}, {51, "180"}}));
    auto* arc = object<QxDbArc>(modelSpaceIds(*db)[0]);
    ASSERT_TRUE(arc);
    EXPECT_NEAR(arc->center().x, -5, 1e-12);
    EXPECT_NEAR(arc->center().y, 1, 1e-12);
    EXPECT_NEAR(arc->center().z, -2, 1e-12);
    EXPECT_NEAR(arc->startAngle(), M_PI / 2, 1e-12);
}

TEST(DxfOpenEntities, MTextJoinsChunksAndTakesRotationFromItsDirection)
{
    auto db = openText(entitiesDrawing({{0, "MTEXT"}, {5, "31"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbMText"},
                                        {10, "0"}, {20, "0"}, {30, "0"}, {40, "2.5"}, {3, "first "}, {3, "second "},
                                        {1, "last"}, {50, "45"}, {11, "0"}, {21, "1"}, {31, "0"}, {50, "12"}},
                                       "AC1018"));
    auto* text = object<QxDbMText>(modelSpaceIds(*db)[0]);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->contents(), u"first second last");
    EXPECT_NEAR(text->rotation(), M_PI / 2, 1e-12);  // the direction wins over code 50
}

// A drawing with the standard text style and another one, then the given entities.
std::string styledDrawing(const Pairs& entities)
{
    return entitiesDrawing(entities, "AC1027",
                           {{0, "TABLE"}, {2, "STYLE"}, {5, "3"}, {100, "AcDbSymbolTable"}, {70, "2"},
                            {0, "STYLE"}, {5, "11"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbTextStyleTableRecord"},
                            {2, "Standard"}, {70, "0"}, {40, "0"}, {41, "1"}, {3, "txt"},
                            {0, "STYLE"}, {5, "12"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbTextStyleTableRecord"},
                            {2, "Notes"}, {70, "0"}, {40, "0"}, {41, "1"}, {3, "txt"}, {0, "ENDTAB"}});
}

std::u16string styleName(QxDbObjectId style)
{
    const auto* record = style.isNull() ? nullptr : object<QxDbTextStyleTableRecord>(style);
    return record ? record->name() : u"(none)";
}

TEST(DxfOpenDefaults, TextsWithoutAStyleHaveTheStandardOne)
{
    const std::string original = styledDrawing({
        {0, "MTEXT"}, {5, "A0"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbMText"}, {10, "0"}, {20, "0"}, {30, "0"},
        {40, "2.5"}, {1, "no style"},
        {0, "MTEXT"}, {5, "A1"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbMText"}, {10, "0"}, {20, "0"}, {30, "0"},
        {40, "2.5"}, {1, "styled"}, {7, "Notes"},
        {0, "TEXT"}, {5, "A2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "0"}, {20, "0"}, {30, "0"},
        {40, "2.5"}, {1, "no style"},
        {0, "INSERT"}, {5, "90"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {66, "1"}, {2, "B"},
        {10, "0"}, {20, "0"}, {30, "0"},
        {0, "ATTRIB"}, {5, "91"}, {330, "90"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "0"}, {20, "0"},
        {30, "0"}, {40, "2.5"}, {1, "value"}, {100, "AcDbAttribute"}, {2, "TAG"}, {70, "0"},
        {0, "SEQEND"}, {5, "92"}, {330, "90"}, {100, "AcDbEntity"}, {8, "0"}});
    std::vector<std::string> warnings;
    auto db = openText(original, &warnings);
    EXPECT_EQ(warnings, std::vector<std::string>{});
    ASSERT_TRUE(db);
    const auto ids = modelSpaceIds(*db);
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_EQ(styleName(object<QxDbMText>(ids[0])->textStyle()), u"Standard");
    EXPECT_EQ(styleName(object<QxDbMText>(ids[1])->textStyle()), u"Notes");
    EXPECT_EQ(styleName(object<QxDbText>(ids[2])->textStyle()), u"Standard");
    const auto* reference = object<QxDbBlockReference>(ids[3]);
    ASSERT_EQ(reference->attributeIds().size(), 1u);
    EXPECT_EQ(styleName(object<QxDbAttribute>(reference->attributeIds()[0])->textStyle()), u"Standard");

    // The default is no change: the drawing saves as it was. A changed text keeps its style.
    EXPECT_EQ(test::saveText(*db), original);
    test::Writable<QxDbMText>(ids[0])->setContents(u"changed");
    auto reopened = openText(test::saveText(*db));
    ASSERT_TRUE(reopened);
    const auto* changed = object<QxDbMText>(modelSpaceIds(*reopened)[0]);
    EXPECT_EQ(changed->contents(), u"changed");
    EXPECT_EQ(styleName(changed->textStyle()), u"Standard");
}

TEST(DxfOpenSource, EachDatabaseKeepsTheFileItWasReadFromUntilItGoes)
{
    const std::string text = entitiesDrawing({});
    auto first = openText(text), second = openText(text);
    ASSERT_TRUE(first && second);
    DxfSource* firstSource = sourceOf(first.get());
    ASSERT_TRUE(firstSource);
    EXPECT_NE(sourceOf(second.get()), firstSource);
    EXPECT_EQ(firstSource->file->recordCount(), sourceOf(second.get())->file->recordCount());
    const QxDbDatabase fresh;
    EXPECT_EQ(sourceOf(&fresh), nullptr);  // made in memory
    forgetSource(first.get());
    EXPECT_EQ(sourceOf(first.get()), nullptr);
    EXPECT_TRUE(sourceOf(second.get()));
    // A database made where a dropped one was finds no file: the file went with its database.
    second.reset();
    auto third = std::make_shared<QxDbDatabase>();
    EXPECT_EQ(sourceOf(third.get()), nullptr);
}

TEST(DxfOpenDefaults, ASolidWithThreeCornersHasItsFourthAtTheThird)
{
    auto db = openText(entitiesDrawing({{0, "SOLID"}, {5, "30"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbTrace"},
                                        {10, "0"}, {20, "0"}, {30, "0"}, {11, "4"}, {21, "0"}, {31, "0"},
                                        {12, "0"}, {22, "3"}, {32, "0"}}));
    auto* solid = object<QxDbSolid>(modelSpaceIds(*db)[0]);
    ASSERT_TRUE(solid);
    QxGePoint3d third, fourth;
    solid->getPointAt(2, third);
    solid->getPointAt(3, fourth);
    EXPECT_EQ(third, QxGePoint3d(0, 3, 0));
    EXPECT_EQ(fourth, third);
}

TEST(DxfOpenEntities, TextInOlderFilesIsDecodedWithItsCodePage)
{
    std::string drawing = entitiesDrawing({{0, "TEXT"}, {5, "32"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"},
                                           {10, "0"}, {20, "0"}, {30, "0"}, {40, "1"}, {1, "Gr\xF6\xDF" "e \\U+4E2D"}},
                                          "AC1018");
    auto db = openText(drawing);
    auto* text = object<QxDbText>(modelSpaceIds(*db)[0]);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->textString(), u"Größe 中");
}

TEST(DxfOpenEntities, PlotStyleNamesComeFromTheirDictionary)
{
    Pairs pairs = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1027"}, {0, "ENDSEC"},
                   {0, "SECTION"}, {2, "ENTITIES"},
                   {0, "LINE"}, {5, "30"}, {100, "AcDbEntity"}, {8, "0"}, {390, "41"}, {100, "AcDbLine"},
                   {10, "0"}, {20, "0"}, {30, "0"}, {11, "1"}, {21, "0"}, {31, "0"},
                   {0, "LINE"}, {5, "31"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbLine"},
                   {10, "0"}, {20, "0"}, {30, "0"}, {11, "1"}, {21, "0"}, {31, "0"},
                   {0, "ENDSEC"}, {0, "SECTION"}, {2, "OBJECTS"},
                   {0, "DICTIONARY"}, {5, "C"}, {330, "0"}, {100, "AcDbDictionary"}, {3, "ACAD_PLOTSTYLENAME"}, {350, "E"},
                   {0, "ACDBDICTIONARYWDFLT"}, {5, "E"}, {330, "C"}, {100, "AcDbDictionary"}, {3, "Normal"}, {350, "40"},
                   {3, "Thick"}, {350, "41"}, {100, "AcDbDictionaryWithDefault"}, {340, "40"},
                   {0, "ACDBPLACEHOLDER"}, {5, "40"}, {330, "E"}, {0, "ACDBPLACEHOLDER"}, {5, "41"}, {330, "E"},
                   {0, "ENDSEC"}, {0, "EOF"}};
    auto db = openText(dxfText(pairs));
    const auto ids = modelSpaceIds(*db);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(object<QxDbEntity>(ids[0])->plotStyleName(), u"Thick");
    EXPECT_EQ(object<QxDbEntity>(ids[1])->plotStyleName(), u"ByLayer");
}

TEST(DxfOpenEntities, BinaryExtendedDataSurvivesEvenWithStrayDigits)
{
    // Found by fuzzing: binary chunks are hex text, and a writer may put anything there.
    auto db = openText(entitiesDrawing({{0, "POINT"}, {5, "34"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbPoint"},
                                        {10, "0"}, {20, "0"}, {30, "0"}, {1001, "ACAD"}, {1004, "0A1B"}, {1004, "Z"}}));
    ASSERT_TRUE(db);
    QxDbObject* point = qx::peekObject(modelSpaceIds(*db)[0]);
    qxresbuf* chain = point->xData(u"ACAD");
    ASSERT_TRUE(chain && chain->rbnext);
    EXPECT_EQ(chain->rbnext->resval.rbinary.clen, 2);
    EXPECT_EQ(chain->rbnext->resval.rbinary.buf[1], 0x1B);
    EXPECT_EQ(chain->rbnext->rbnext->resval.rbinary.clen, 0);
    qxutRelRb(chain);
}

TEST(DxfOpenBadValues, AnEntryOfAnotherKindInATableIsKeptAsText)
{
    // Found by fuzzing: a LAYER record inside the BLOCK_RECORD table, named like model space,
    // became the "block" entities were added to.
    const std::string text =
        entitiesDrawing({{0, "POINT"}, {5, "30"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbPoint"}, {10, "1"},
                         {20, "2"}, {30, "0"}},
                        "AC1027",
                        {{0, "TABLE"}, {2, "BLOCK_RECORD"}, {5, "1"}, {70, "1"}, {0, "LAYER"}, {5, "1F"}, {330, "1"},
                         {2, "*Model_Space"}, {0, "ENDTAB"}});
    auto db = openText(text);
    ASSERT_TRUE(db);
    ASSERT_EQ(modelSpaceIds(*db).size(), 1u);
    EXPECT_EQ(test::saveText(*db), text);
}

// An R12 drawing has no block records: the reader makes the block table, one record per block
// and model space's while it reads, and each took the next free handle, which records further
// on carry. Those records were kept as text only ("handle used twice") and were missing from
// the drawing.
TEST(DxfOpenHandles, ObjectsMadeWhileReadingLeaveTheFilesHandlesToItsRecords)
{
    Pairs pairs = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {9, "$HANDSEED"}, {5, "60"},
                   {0, "ENDSEC"}, {0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {5, "40"}, {8, "0"}, {2, "A"},
                   {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {0, "LINE"}, {5, "41"}, {8, "0"}, {10, "0"}, {20, "0"},
                   {30, "0"}, {11, "1"}, {21, "1"}, {31, "0"}, {0, "ENDBLK"}, {5, "42"}, {8, "0"}, {0, "ENDSEC"},
                   {0, "SECTION"}, {2, "ENTITIES"}};
    // Model space's entities carry every handle from 1 up, whichever the made objects took.
    constexpr int kPoints = 0x30;
    for (int h = 1; h <= kPoints; ++h) {
        const char* type = h == 7 ? "INSERT" : "POINT";
        pairs.insert(pairs.end(), {{0, type}, {5, formatHandle(h)}, {8, "0"}});
        if (h == 7) pairs.push_back({2, "A"});
        pairs.insert(pairs.end(), {{10, std::to_string(h)}, {20, "0"}, {30, "0"}});
    }
    pairs.insert(pairs.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    const std::string text = dxfText(pairs);
    std::vector<std::string> warnings;
    auto db = openText(text, &warnings);
    ASSERT_TRUE(db);
    EXPECT_EQ(warnings, std::vector<std::string>{});
    const auto ids = modelSpaceIds(*db);
    ASSERT_EQ(ids.size(), std::size_t(kPoints));
    for (int h = 1; h <= kPoints; ++h) EXPECT_EQ(ids[h - 1].handle().value(), std::uint64_t(h));
    const auto* reference = object<QxDbBlockReference>(ids[6]);
    ASSERT_TRUE(reference);
    const auto* block = object<QxDbBlockTableRecord>(reference->blockTableRecord());
    ASSERT_TRUE(block);
    EXPECT_EQ(block->name(), u"A");
    EXPECT_EQ(block->entityIds().size(), 1u);
    // Nor do the made objects keep a handle that a record kept as text has (BLOCK 40, ENDBLK 42).
    for (QxDbObjectId made : {reference->blockTableRecord(), db->modelSpaceId(), db->blockTableId()})
        EXPECT_GT(made.handle().value(), 0x42u);
    EXPECT_EQ(test::saveText(*db), text);
}

// A newer drawing whose block-record table lacks a block that its BLOCK names: the record made
// for it must not take the handle of the reference that follows.
TEST(DxfOpenHandles, ABlockWithoutItsRecordDoesNotTakeAReferencesHandle)
{
    Pairs pairs = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1027"}, {9, "$HANDSEED"}, {5, "60"},
                   {0, "ENDSEC"}, {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "BLOCK_RECORD"}, {5, "1"}, {70, "1"},
                   {0, "BLOCK_RECORD"}, {5, "2"}, {330, "1"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"},
                   {2, "*Model_Space"}, {0, "ENDTAB"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {5, "22"},
                   {330, "2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockBegin"}, {2, "*Model_Space"}, {70, "0"},
                   {10, "0"}, {20, "0"}, {30, "0"}, {3, "*Model_Space"}, {1, ""}, {0, "ENDBLK"}, {5, "23"}, {330, "2"},
                   {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockEnd"}, {0, "BLOCK"},
                   {5, "20"}, {8, "0"}, {2, "B"}, {70, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {0, "ENDBLK"}, {5, "21"},
                   {8, "0"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}, {0, "INSERT"}, {5, "3"}, {330, "2"},
                   {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockReference"}, {2, "B"}, {10, "1"}, {20, "2"}, {30, "0"},
                   {0, "ENDSEC"}, {0, "EOF"}};
    std::vector<std::string> warnings;
    auto db = openText(dxfText(pairs), &warnings);
    ASSERT_TRUE(db);
    EXPECT_EQ(warnings, std::vector<std::string>{});
    const auto ids = modelSpaceIds(*db);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(ids[0].handle().value(), 3u);
    const auto* reference = object<QxDbBlockReference>(ids[0]);
    ASSERT_TRUE(reference);
    EXPECT_EQ(object<QxDbBlockTableRecord>(reference->blockTableRecord())->name(), u"B");
    // Saved, the made record is a new one with a handle of its own, and the file stays consistent.
    {
        test::Writable<QxDbBlockReference> r(ids[0]);
        r->setPosition({5, 5, 0});
    }
    const std::string saved = test::saveText(*db);
    test::reread(saved);
}

TEST(DxfOpenBadValues, ANonNumberWhereANumberIsNeededNamesTheLine)
{
    // 1.5 is a number, so the loader lets it pass; the flags of an LWPOLYLINE need a whole one.
    OpenResult result;
    DxfError error;
    const std::string text = entitiesDrawing({{0, "LWPOLYLINE"}, {5, "33"}, {100, "AcDbEntity"}, {8, "0"},
                                              {100, "AcDbPolyline"}, {90, "1"}, {70, "1.5"}, {10, "0"}, {20, "0"}});
    EXPECT_FALSE(openDxfText(text, "plan.dxf", result, error));
    EXPECT_EQ(error.text(), "plan.dxf, line 60: group code 70: a whole number is required, found \"1.5\"");
    EXPECT_FALSE(result.database);
}

// The sample drawing `name` opened; null when the samples are absent.
std::shared_ptr<QxDbDatabase> openSample(const char* name)
{
    const auto path = test::samplesDir() / name;
    if (!std::filesystem::exists(path)) return nullptr;
    OpenResult result;
    DxfError error;
    EXPECT_TRUE(openDxf(path.string(), result, error)) << error.text();
    return result.database;
}

TEST(DxfOpenTables, CellsMergesWidthsAndStyleOfTheSampleTable)
{
    const auto db = openSample("ezdxf-acad_table_simple.dxf");
    if (!db) GTEST_SKIP() << "sample drawings not found in " << test::samplesDir();
    const auto* table = test::first<QxDbTable>(*db);
    ASSERT_TRUE(table);
    EXPECT_GT(table->numRows(), 1u);
    EXPECT_GT(table->numColumns(), 1u);
    EXPECT_FALSE(table->tableStyle().isNull());
    EXPECT_GT(table->columnWidth(0), 0.0);
    std::size_t texts = 0;
    for (std::uint32_t r = 0; r < table->numRows(); ++r)
        for (std::uint32_t c = 0; c < table->numColumns(); ++c) texts += !table->textString(r, c).empty();
    EXPECT_GT(texts, 0u);
}

TEST(DxfOpenDynamicBlocks, RepresentationsLeadToTheirDefinitionAndLinearValuesAreRead)
{
    const auto db = openSample("acs-BLOCKLINEARPARAMETER.dxf");
    if (!db) GTEST_SKIP() << "sample drawings not found in " << test::samplesDir();
    std::vector<double> distances;
    for (auto id : modelSpaceIds(*db)) {
        if (!object<QxDbBlockReference>(id)) continue;
        QxDbDynBlockReference dynamic(id);
        EXPECT_TRUE(dynamic.isDynamicBlock());
        for (const auto& p : object<QxDbBlockReference>(id)->dynamicProperties())
            if (p.name == u"my_distance_param" && p.restype == 40) distances.push_back(p.real);
    }
    std::sort(distances.begin(), distances.end());
    // The changed reference stores 7.5 in its cache; the direct one shows the definition's 5.
    EXPECT_EQ(distances, (std::vector<double>{5.0, 7.5}));
}

TEST(DxfOpenDynamicBlocks, VisibilityStatesComeFromEachReferencesCache)
{
    const auto db = openSample("acs-dynamic-block-circle.dxf");
    if (!db) GTEST_SKIP() << "sample drawings not found in " << test::samplesDir();
    std::vector<double> diameters;
    std::size_t visible = 0;
    for (auto id : modelSpaceIds(*db)) {
        auto* reference = object<QxDbBlockReference>(id);
        if (!reference) continue;
        for (const auto& p : reference->dynamicProperties()) {
            if (p.name == u"custom_visibility" && p.restype == 1 && p.text == u"visibility_state_default") ++visible;
            if (p.name == u"dynamic-diameter" && p.restype == 40) diameters.push_back(p.real);
        }
    }
    EXPECT_EQ(visible, 2u);
    // Both references are stretched copies: each has its own value, not the definition's.
    ASSERT_EQ(diameters.size(), 2u);
    EXPECT_NE(diameters[0], diameters[1]);
}

// A text's justification comes from its record (72 and 11 in the first part, 73 in the second;
// an attribute's vertical one is 74); a text the host adds writes it, and reads back the same.
TEST(DxfOpenText, JustificationAndAlignmentPointAreReadAndWrittenWithNewTexts)
{
    const std::string original = entitiesDrawing({
        {0, "TEXT"}, {5, "A0"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "1"}, {20, "2"}, {30, "0"},
        {40, "2.5"}, {1, "centred on top"}, {72, "1"}, {11, "5"}, {21, "6"}, {31, "0"}, {100, "AcDbText"}, {73, "3"},
        {0, "TEXT"}, {5, "A1"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "1"}, {20, "2"}, {30, "0"},
        {40, "2.5"}, {1, "plain"}, {100, "AcDbText"},
        {0, "TEXT"}, {5, "A2"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbText"}, {10, "1"}, {20, "2"}, {30, "0"},
        {40, "2.5"}, {1, "out of range"}, {72, "9"}, {100, "AcDbText"}, {73, "7"}});
    auto db = openText(original);
    ASSERT_TRUE(db);
    const auto ids = modelSpaceIds(*db);
    ASSERT_EQ(ids.size(), 3u);
    const auto* centred = object<QxDbText>(ids[0]);
    EXPECT_EQ(centred->horizontalMode(), QxDbText::kHorizontalCenter);
    EXPECT_EQ(centred->verticalMode(), QxDbText::kVerticalTop);
    EXPECT_EQ(centred->alignmentPoint(), QxGePoint3d(5, 6, 0));
    EXPECT_EQ(object<QxDbText>(ids[1])->horizontalMode(), QxDbText::kHorizontalLeft);
    EXPECT_EQ(object<QxDbText>(ids[1])->verticalMode(), QxDbText::kVerticalBaseline);
    EXPECT_EQ(object<QxDbText>(ids[2])->horizontalMode(), QxDbText::kHorizontalLeft) << "a value out of range is ignored";
    EXPECT_EQ(object<QxDbText>(ids[2])->verticalMode(), QxDbText::kVerticalBaseline);
    EXPECT_EQ(test::saveText(*db), original) << "unchanged, the drawing saves as it was";

    // A copy added by the host carries the justification into its new record; the text read
    // and then moved writes its new alignment point, where a reader places a justified text.
    {
        test::Writable<QxDbBlockTableRecord> space(db->modelSpaceId());
        auto* copy = QxDbText::cast(centred->clone());
        ASSERT_NE(copy, nullptr);
        ASSERT_EQ(copy->setVerticalMode(QxDbText::kVerticalMiddle), Qxapp::eOk);
        EXPECT_EQ(copy->setHorizontalMode(QxDbText::HorizontalMode(6)), Qxapp::eInvalidInput);
        ASSERT_EQ(space->appendQxDbEntity(copy), Qxapp::eOk);
        copy->close();
    }
    {
        test::Writable<QxDbText> moved(ids[0]);
        moved->setTextString(u"changed");
        QxGeMatrix3d by;
        by.entry[0][3] = 3, by.entry[1][3] = 4;
        ASSERT_EQ(moved->transformBy(by), Qxapp::eOk);
    }
    auto reopened = openText(test::saveText(*db));
    ASSERT_TRUE(reopened);
    const auto again = modelSpaceIds(*reopened);
    ASSERT_EQ(again.size(), 4u);
    for (std::size_t i : {std::size_t(0), std::size_t(3)}) {
        const auto* text = object<QxDbText>(again[i]);
        EXPECT_EQ(text->horizontalMode(), QxDbText::kHorizontalCenter) << i;
        EXPECT_EQ(text->verticalMode(), i == 0 ? QxDbText::kVerticalTop : QxDbText::kVerticalMiddle) << i;
        EXPECT_EQ(text->alignmentPoint(), i == 0 ? QxGePoint3d(8, 10, 0) : QxGePoint3d(5, 6, 0)) << i;
    }
    EXPECT_EQ(object<QxDbText>(again[0])->position(), QxGePoint3d(4, 6, 0));
    EXPECT_EQ(object<QxDbText>(again[0])->textString(), u"changed");
}

}  // namespace
}  // namespace qx::dxf
