// The property catalogue and the properties, categories and rows offered for chosen kinds.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/extraction_engine.h"

namespace {

std::vector<std::u16string> namesOf(const PropItemSet& items)
{
    std::vector<std::u16string> names;
    for (const PropItem& item : items) names.push_back(item.name);
    return names;
}

bool offers(const PropItemSet& items, const std::u16string& name) { return items.count(PropItem{name}) != 0; }

std::vector<std::u16string> sorted(std::vector<std::u16string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::u16string> kGeneral = {u"Layer",          u"Color",     u"Linetype scale", u"Thickness",
                                              u"Line thickness", u"Hyperlink", u"Plot style",     u"Linetype"};

}  // namespace

TEST(Catalogue, ListsHaveTheLengthsRecordsReadByPosition)
{
    const StrHelper helper;
    EXPECT_EQ(helper.lsObjNames.size(), 9u);
    EXPECT_EQ(helper.lsObjNames[kTypeMText - 1], u"MText");
    const std::pair<const PropItemList*, std::size_t> lists[] = {
        {&helper.ls_comPropTags, 8}, {&helper.lineDatas, 11}, {&helper.pLineDatas, 5}, {&helper.arcDatas, 9},
        {&helper.circleDatas, 7},    {&helper.pointDatas, 3}, {&helper.mTextDatas, 14}, {&helper.blcDatas, 7}};
    for (const auto& [list, length] : lists) EXPECT_EQ(list->size(), length);
    EXPECT_EQ(helper.ls_comPropTags[3].name, u"Thickness");
    EXPECT_EQ(helper.pLineDatas[1].category, kCategGeneral);  // "Global width" is general, not geometry
    EXPECT_EQ(StrHelper::CategoryName(7), u"");
}

TEST(OfferedProperties, SingleKinds)
{
    ExtractionEngine engine;
    std::vector<std::u16string> solid = kGeneral;
    solid.insert(solid.end(), {u"Object type", u"Quantity"});
    EXPECT_EQ(namesOf(engine.OfferedProperties({u"Solid"})), sorted(solid));
    EXPECT_EQ(engine.seCategories, (std::set<std::int32_t>{1, 2}));

    std::vector<std::u16string> solid3d = solid;
    solid3d.erase(std::find(solid3d.begin(), solid3d.end(), u"Thickness"));
    EXPECT_EQ(namesOf(engine.OfferedProperties({u"3D Solid"})), sorted(solid3d));
    EXPECT_EQ(engine.seCategories, (std::set<std::int32_t>{1}));

    EXPECT_EQ(namesOf(engine.OfferedProperties({u"Block"})),
              sorted({u"Object type", u"Quantity", u"Block name", u"Block preview", u"X position", u"Y position",
                      u"Z position", u"Rotation", u"X Scale", u"Y Scale", u"Z Scale"}));
    EXPECT_EQ(engine.seCategories, (std::set<std::int32_t>{1, 2, 3}));

    const PropItemSet text = engine.OfferedProperties({u"MText"});
    EXPECT_FALSE(offers(text, u"Thickness"));
    EXPECT_TRUE(offers(text, u"Line spacing distance"));
    EXPECT_EQ(engine.seCategories, (std::set<std::int32_t>{1, 2, 6}));

    engine.OfferedProperties({u"Polyline"});
    EXPECT_EQ(engine.seCategories, (std::set<std::int32_t>{1, 2, 3}));

    EXPECT_EQ(namesOf(engine.OfferedProperties({u"Hatch"})), sorted({u"Object type", u"Quantity"}));
    EXPECT_TRUE(engine.seCategories.empty());
    EXPECT_EQ(engine.lsObjectsSel, std::vector<std::u16string>{u"Hatch"});
}

TEST(OfferedProperties, SharedNamesAreOneItemComparedCaseSensitively)
{
    ExtractionEngine engine;
    const PropItemSet circleArc = engine.OfferedProperties({u"Circle", u"Arc"});
    EXPECT_EQ(circleArc.count(PropItem{u"Area"}), 1u);
    EXPECT_EQ(circleArc.count(PropItem{u"Radius"}), 1u);
    EXPECT_TRUE(offers(circleArc, u"X Center"));
    EXPECT_TRUE(offers(circleArc, u"X center"));

    const PropItemSet mixed = engine.OfferedProperties({u"Block", u"Point", u"MText"});
    EXPECT_EQ(std::count_if(mixed.begin(), mixed.end(), [](const PropItem& i) { return i.name == u"X position"; }), 1);
    EXPECT_EQ(mixed.find(PropItem{u"X position"})->category, kCategGeometry);
    EXPECT_EQ(engine.seCategories, (std::set<std::int32_t>{1, 2, 3, 6}));
}

TEST(OfferedProperties, ThicknessDependsOnTheKindsNotTheirOrder)
{
    ExtractionEngine engine;
    const std::pair<std::vector<std::u16string>, bool> cases[] = {
        {{u"Line", u"3D Solid"}, true},   {{u"3D Solid", u"Line"}, true},   {{u"Point", u"MText"}, true},
        {{u"Solid", u"3D Solid", u"MText"}, true}, {{u"MText", u"3D Solid"}, false}, {{u"Block", u"3D Solid"}, false}};
    for (const auto& [kinds, offered] : cases)
        EXPECT_EQ(offers(engine.OfferedProperties(kinds), u"Thickness"), offered) << kinds.size();
}

TEST(OfferedProperties, BlockPropertiesAndTheirCategories)
{
    ExtractionEngine engine;
    engine.seBlockProps.insert({u"Layer", kCategAttribute, false});
    engine.seBlockProps.insert({u"Width", kCategDynamicBlock, true});
    engine.seBlockProps.insert({u"PRICE", kCategAttribute, true});

    const PropItemSet blockFirst = engine.OfferedProperties({u"Block", u"Line"});
    EXPECT_EQ(blockFirst.find(PropItem{u"Layer"})->category, kCategAttribute);  // first inserted stays
    EXPECT_TRUE(blockFirst.find(PropItem{u"PRICE"})->totalable);
    EXPECT_EQ(engine.seCategories, (std::set<std::int32_t>{1, 2, 3, 4, 5}));

    const PropItemSet lineFirst = engine.OfferedProperties({u"Line", u"Block"});
    EXPECT_EQ(lineFirst.find(PropItem{u"Layer"})->category, kCategGeneral);
}

TEST(OfferedProperties, RowsForThePages)
{
    ExtractionEngine engine;
    engine.lsLines.emplace_back(u"1", kTypeLine, u"Line", CommonProps{}, 0, 0, 0, 0, QxGePoint3d{}, QxGePoint3d{}, 0);
    engine.lsBlockEnts.emplace_back(u"2", kTypeBlock, u"Door", false, QxDbObjectId(), QxGePoint3d{}, QxGeScale3d{}, 0);
    engine.lsMultiTexts.emplace_back(u"3", kTypeMText, u"MText", CommonProps{}, QxGePoint3d{}, u"", 1, 1, 0, 0, 0,
                                     false, 1, 1, u"", 0);
    EXPECT_EQ(engine.TypeCodesPresent(), (std::set<std::uint32_t>{1, 2, 9}));
    EXPECT_EQ(engine.ObjectRows(), (TableData{{u"Chk", u"Block name"}, {u"1", u"Block"}, {u"1", u"Line"},
                                              {u"1", u"MText"}}));

    engine.OfferedProperties({u"Point"});
    const TableData rows = engine.PropertyRows(false);
    ASSERT_EQ(rows.size(), 1u + 2u + 8u + 3u);
    EXPECT_EQ(rows[1], (TableRow{u"0", u"1", u"Color", u"Color", u"0"}));  // ordered by name
    const auto thickness = std::find_if(rows.begin(), rows.end(), [](const TableRow& r) { return r[2] == u"Thickness"; });
    ASSERT_NE(thickness, rows.end());
    EXPECT_EQ(*thickness, (TableRow{u"0", u"1", u"Thickness", u"Thickness", u"1"}));
    EXPECT_EQ(engine.PropertyRows()[1][0], u"1");
    EXPECT_EQ(engine.CategoryRows(), (TableData{{u"1", u"General"}, {u"1", u"Geometry"}}));
}
