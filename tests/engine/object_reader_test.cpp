// Reading a selection of a drawing into records: values, conversions, rounding, blocks.
#include <gtest/gtest.h>

#include "db/db_fixture.h"
#include "engine/extraction_engine.h"
#include "engine/number_text.h"
#include "engine/read_conversions.h"
#include "host/database.h"
#include "host/dynblock.h"
#include "host/editor.h"
#include "host/hyperlink.h"

namespace {

void setLuprec(int precision)
{
    qxresbuf value{};
    value.restype = QXRT_SHORT;
    value.resval.rint = static_cast<short>(precision);
    ASSERT_EQ(qxedSetVar(u"LUPREC", &value), QXRT_NORM);
}

class ReadingDrawing : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        setLuprec(2);
    }
    void TearDown() override
    {
        DrawingTest::TearDown();  // every object read is closed again
        setLuprec(4);
    }

    // Appends to model space; `finish` runs while the entity is still open for write.
    template <class Finish = void (*)(QxDbEntity*)>
    std::u16string append(QxDbEntity* entity, Finish finish = [](QxDbEntity*) {})
    {
        QxDbBlockTableRecord* model = nullptr;
        EXPECT_EQ(qxdbOpenObject(model, db->modelSpaceId(), QxDb::kForWrite), Qxapp::eOk);
        EXPECT_EQ(model->appendQxDbEntity(entity), Qxapp::eOk);
        model->close();
        finish(entity);
        const std::u16string handle = entity->handle().ascii();
        entity->close();
        return handle;
    }

    std::u16string addReference(QxDbObjectId block, std::vector<std::pair<const char16_t*, const char16_t*>> attributes,
                                std::vector<QxDbBlockReference::DynamicProperty> properties = {})
    {
        auto* reference = new QxDbBlockReference(QxGePoint3d{1.004, 2, 0}, block);
        reference->setRotation(3.141592653589793 / 2);
        reference->setScaleFactors({2, 2, 1});
        reference->setDynamicProperties(std::move(properties));
        return append(reference, [&attributes](QxDbEntity* entity) {
            for (const auto& [tag, value] : attributes) {
                auto* attribute = new QxDbAttribute;
                attribute->setTag(tag);
                attribute->setTextString(value);
                QxDbObjectId id;
                ASSERT_EQ(QxDbBlockReference::cast(entity)->appendAttribute(id, attribute), Qxapp::eOk);
                attribute->close();
            }
        });
    }

    ExtractionEngine readAll(const std::vector<std::u16string>* handles = nullptr)
    {
        qxds_name ss{};
        EXPECT_EQ(qxedSSGet(u"A", nullptr, nullptr, nullptr, ss), QXRT_NORM);
        std::int32_t length = 0;
        qxedSSLength(ss, &length);
        ExtractionEngine engine = handles ? ExtractionEngine(ss, length, StrHelper(), *handles)
                                          : ExtractionEngine(ss, length, StrHelper());
        qxedSSFree(ss);
        return engine;
    }

};

}  // namespace

TEST_F(ReadingDrawing, GeometryIsRoundedToTheDrawingsPrecision)
{
    append(new QxDbLine({0, 0, 0}, {1, 1, 0}));
    append(new QxDbCircle({0, 0, 0}, 1.006));
    append(new QxDbArc({0, 0, 0}, 2, 3.141592653589793 * 1.5, 3.141592653589793 / 2));
    auto* square = new QxDbPolyline;
    for (unsigned i = 0; i < 4; ++i) square->addVertexAt(i, {double(i == 1 || i == 2) * 2, double(i >= 2) * 2});
    square->setClosed(true);
    append(square);
    const ExtractionEngine engine = readAll();

    EXPECT_DOUBLE_EQ(engine.roundStep, 0.01);
    ASSERT_EQ(engine.lsLines.size(), 1u);
    const Line& line = engine.lsLines[0];
    EXPECT_EQ(FormatG(line.angle), u"45");
    EXPECT_EQ(FormatG(line.length), u"1.41");

    ASSERT_EQ(engine.lsCircles.size(), 1u);
    EXPECT_EQ(FormatG(engine.lsCircles[0].radius), u"1.01");
    EXPECT_EQ(FormatG(engine.lsCircles[0].periphery), u"6.32");

    ASSERT_EQ(engine.lsArcs.size(), 1u);
    EXPECT_EQ(FormatG(engine.lsArcs[0].startAng), u"270");
    EXPECT_EQ(FormatG(engine.lsArcs[0].totalAng), u"180");
    EXPECT_EQ(FormatG(engine.lsArcs[0].length), u"6.28");

    ASSERT_EQ(engine.lsPolyLines.size(), 1u);
    EXPECT_EQ(FormatG(engine.lsPolyLines[0].area), u"4");
    EXPECT_EQ(FormatG(engine.lsPolyLines[0].length), u"8");
    EXPECT_EQ(engine.lsPolyLines[0].closed, 1);
    EXPECT_EQ(engine.TypeCodesPresent(), (std::set<std::uint32_t>{2, 3, 4, 5}));
}

TEST_F(ReadingDrawing, RoundingHalvesGoUpward)
{
    setLuprec(0);
    append(new QxDbPoint({2.5, -2.5, 0.49}));
    const ExtractionEngine engine = readAll();
    ASSERT_EQ(engine.lsPoints.size(), 1u);
    EXPECT_EQ(engine.lsPoints[0].ptPosition, (QxGePoint3d{3, -2, 0}));
}

TEST_F(ReadingDrawing, GeneralPropertiesInDisplayForm)
{
    const std::u16string colored = append(new QxDbLine({0, 0, 0}, {1, 0, 0}), [](QxDbEntity* e) {
        e->setColorIndex(7);
        e->setLineWeight(QxDb::kLnWt025);
        e->setLinetype(u"BYBLOCK");
        e->setLinetypeScale(1.23456789);
        QxDbHyperlinkCollection links;
        links.addTail(u"http://first");
        links.addTail(u"http://second");
        auto* pe = QxDbEntityHyperlinkPE::cast(e->x(QxDbEntityHyperlinkPE::desc()));
        ASSERT_NE(pe, nullptr);
        pe->setHyperlinkCollection(e, &links);
    });
    append(new QxDbLine({0, 0, 0}, {2, 0, 0}), [](QxDbEntity* e) { e->setColorIndex(0); });
    setLuprec(8);
    const ExtractionEngine engine = readAll();
    ASSERT_EQ(engine.lsLines.size(), 2u);
    const CommonProps& first = engine.lsLines[0].commonProp;
    EXPECT_EQ(engine.lsLines[0].handle, colored);
    EXPECT_EQ(first.color, u"7");
    EXPECT_EQ(first.lineWeight, u"25");
    EXPECT_EQ(first.linetype, u"ByBlock");
    EXPECT_DOUBLE_EQ(first.linetypeScale, 1.234568);  // six decimals at most
    EXPECT_EQ(first.hyperlinks, (std::vector<std::u16string>{u"http://first", u"http://second"}));
    const CommonProps& second = engine.lsLines[1].commonProp;
    EXPECT_EQ(second.color, u"ByBlock");
    EXPECT_EQ(second.lineWeight, u"ByLayer");
    EXPECT_TRUE(second.hyperlinks.empty());
}

TEST_F(ReadingDrawing, TextsAndSolidsWithoutThickness)
{
    const QxDbObjectId style = db->textstyle();
    append(new QxDbMText, [style](QxDbEntity* e) {
        auto* text = QxDbMText::cast(e);
        text->setContents(u"Room 12");
        text->setTextStyle(style);
        text->setTextHeight(2.5);
        text->setLineSpacingFactor(1.5);
        text->setRotation(3.141592653589793 / 2);
        text->setAttachment(QxDbMText::kMiddleCenter);
    });
    append(new QxDb3dSolid);
    append(new QxDbText);  // a kind that is not extracted
    const ExtractionEngine engine = readAll();
    ASSERT_EQ(engine.lsMultiTexts.size(), 1u);
    const MultiText& text = engine.lsMultiTexts[0];
    EXPECT_FALSE(text.hasThickness);
    EXPECT_EQ(text.csText, u"Room 12");
    EXPECT_EQ(text.csStyle, u"Standard");
    EXPECT_EQ(FormatG(text.spacingDist), u"6.25");
    EXPECT_EQ(FormatG(text.rotation), u"1.57");  // radians
    EXPECT_EQ(text.justify, u"Middle center");
    ASSERT_EQ(engine.lsSolid3Ds.size(), 1u);
    EXPECT_FALSE(engine.lsSolid3Ds[0].hasThickness);
    EXPECT_EQ(engine.TypeCodesPresent(), (std::set<std::uint32_t>{7, 9}));
}

TEST_F(ReadingDrawing, BlockReferencesWithAttributes)
{
    const QxDbObjectId door = addBlock(u"Door");
    const std::u16string handle =
        addReference(door, {{u"PRICE", u"12.346"}, {u"CODE", u"12,5"}, {u"REV", u"1.2.3"}, {u"QTY", u"1e3"}});
    const ExtractionEngine engine = readAll();
    ASSERT_EQ(engine.lsBlockEnts.size(), 1u);
    const BlockEntity& block = engine.lsBlockEnts[0];
    EXPECT_EQ(block.handle, handle);
    EXPECT_FALSE(block.isDynamic);
    EXPECT_EQ(block.idBlkTblRec, door);
    EXPECT_EQ(FormatG(block.rotationVal), u"90");
    EXPECT_EQ(FormatG(block.pos.x), u"1");
    EXPECT_EQ(block.lsAttributs, (PropertyList{{u"PRICE", u"12.35"}, {u"CODE", u"12,5"}, {u"REV", u"1.2.3"},
                                               {u"QTY", u"1000"}}));
    ASSERT_EQ(engine.seBlockProps.size(), 4u);
    EXPECT_TRUE(engine.seBlockProps.find(PropItem{u"PRICE"})->totalable);
    EXPECT_FALSE(engine.seBlockProps.find(PropItem{u"CODE"})->totalable);
    EXPECT_EQ(engine.seBlockProps.find(PropItem{u"QTY"})->category, kCategAttribute);
}

TEST_F(ReadingDrawing, ExcludedBlockNamesAreCaseSensitive)
{
    addReference(addBlock(u"*U1"), {});
    addReference(addBlock(u"kv$frame"), {});
    addReference(addBlock(u"KV$door"), {});  // block names are unique ignoring case
    const ExtractionEngine engine = readAll();
    ASSERT_EQ(engine.lsBlockEnts.size(), 1u);
    EXPECT_EQ(engine.lsBlockEnts[0].name, u"KV$door");
}

TEST_F(ReadingDrawing, DynamicBlocksByTheirDefinitionsName)
{
    setLuprec(1);
    const QxDbObjectId table = addBlock(u"Table", true);
    const QxDbObjectId anonymous = addBlock(u"*U7", false, table);
    addReference(anonymous, {{u"TAG", u"x"}},
                 {{u"Width", 40, u"", 2.26, 0}, {u"Legs", 70, u"", 0, 4}, {u"Finish", 1, u"Oak", 0, 0},
                  {u"Serial", 90, u"", 0, 70000}, {u"Corner", 12, u"", 0, 0}});
    const ExtractionEngine engine = readAll();
    ASSERT_EQ(engine.lsBlockEnts.size(), 1u);
    const BlockEntity& block = engine.lsBlockEnts[0];
    EXPECT_EQ(block.name, u"Table");
    EXPECT_TRUE(block.isDynamic);
    EXPECT_EQ(block.idBlkTblRec, anonymous);
    EXPECT_EQ(block.lsProps, (PropertyList{{u"Width", u"2.3"}, {u"Legs", u"4"}, {u"Finish", u"Oak"},
                                           {u"Serial", u"70000"}, {u"Corner", u""}}));
    EXPECT_EQ(engine.seBlockProps.count(PropItem{u"Origin"}), 0u);
    EXPECT_TRUE(engine.seBlockProps.find(PropItem{u"Width"})->totalable);
    EXPECT_FALSE(engine.seBlockProps.find(PropItem{u"Finish"})->totalable);
    EXPECT_FALSE(engine.seBlockProps.find(PropItem{u"Corner"})->totalable);
    EXPECT_EQ(engine.seBlockProps.find(PropItem{u"Width"})->category, kCategDynamicBlock);
    EXPECT_EQ(engine.seBlockProps.find(PropItem{u"TAG"})->category, kCategAttribute);
}

TEST_F(ReadingDrawing, HandleFilterReadsOnlyTheListedObjects)
{
    const std::u16string a = append(new QxDbPoint({1, 0, 0}));
    append(new QxDbPoint({2, 0, 0}));
    const std::u16string c = append(new QxDbPoint({3, 0, 0}));
    const std::vector<std::u16string> two = {c, a};
    const ExtractionEngine filtered = readAll(&two);
    ASSERT_EQ(filtered.lsPoints.size(), 2u);
    EXPECT_EQ(filtered.lsPoints[0].handle, a);  // selection order, not list order
    EXPECT_EQ(filtered.lsPoints[1].handle, c);

    const std::vector<std::u16string> ignored = {u"", a};
    EXPECT_EQ(readAll(&ignored).lsPoints.size(), 3u);
    const std::vector<std::u16string> none;
    EXPECT_EQ(readAll(&none).lsPoints.size(), 3u);
}
