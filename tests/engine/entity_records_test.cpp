// Entity records as (name, value) pairs: positions, number texts and code texts.
#include <gtest/gtest.h>

#include "engine/entity_records.h"
#include "engine/str_helper.h"

namespace {

const StrHelper& catalogue()
{
    static const StrHelper helper;
    return helper;
}

CommonProps sampleCommon()
{
    CommonProps common;
    common.layer = u"Walls";
    common.color = u"7";
    common.linetypeScale = 1.5;
    common.thickness = 0.25;
    common.lineWeight = u"25";
    common.plotStyle = u"Normal";
    common.linetype = u"Dashed";
    return common;
}

std::u16string valueOf(const PropertyList& pairs, const std::u16string& name)
{
    for (const PropertyPair& pair : pairs)
        if (pair.name == name) return pair.value;
    ADD_FAILURE() << "no pair named as asked";
    return {};
}

}  // namespace

TEST(EntityRecords, GeneralPairsFollowTheGeneralListWithOrWithoutThickness)
{
    CommonProps common = sampleCommon();
    common.hyperlinks = {u"http://a", u"http://b"};
    const Line line(u"2A", kTypeLine, u"Line", common, 0, 0, 0, 0, {}, {}, 0);
    const PropertyList pairs = line.getCommonProperties(catalogue().ls_comPropTags);
    ASSERT_EQ(pairs.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(pairs[i].name, catalogue().ls_comPropTags[i].name);
    EXPECT_EQ(pairs[2].value, u"1.5");
    EXPECT_EQ(pairs[3].value, u"0.25");
    EXPECT_EQ(pairs[5].value, u"http://a");  // only the first hyperlink
    EXPECT_EQ(pairs[7].value, u"Dashed");

    Solid3D solid(u"3", kTypeSolid3D, u"3D Solid", sampleCommon());
    solid.hasThickness = false;
    const Solid3D copy = solid;  // the flag travels with copies
    const PropertyList seven = copy.getCommonProperties(catalogue().ls_comPropTags);
    ASSERT_EQ(seven.size(), 7u);
    for (const PropertyPair& pair : seven) EXPECT_NE(pair.name, u"Thickness");
    EXPECT_EQ(seven[3].value, u"25");  // Line thickness moves up
    EXPECT_EQ(seven[4].value, u"");    // no hyperlink
    EXPECT_TRUE(copy.getProperties(catalogue().mTextDatas).empty());
}

TEST(EntityRecords, OwnPairsNumberTextsFlagsAndSweeps)
{
    const Circle circle(u"5", kTypeCircle, u"Circle", sampleCommon(), 19.635, {1, 2, 0}, 2.5, 15.708);
    const PropertyList c = circle.getProperties(catalogue().circleDatas);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_EQ(valueOf(c, u"Diameter"), u"5");
    EXPECT_EQ(valueOf(c, u"X Center"), u"1");

    const Line line(u"6", kTypeLine, u"Line", sampleCommon(), 45, 1, 1, 0, {0, 0, 0}, {1234567.0, 0.0001, 0}, 1.41);
    const PropertyList l = line.getProperties(catalogue().lineDatas);
    ASSERT_EQ(l.size(), 11u);
    EXPECT_EQ(valueOf(l, u"X end"), u"1.23457e+06");
    EXPECT_EQ(valueOf(l, u"Y end"), u"0.0001");
    EXPECT_EQ(l[10].name, u"Length");
    EXPECT_EQ(l[10].value, u"1.41");

    const PolyLine closed(u"8", kTypePolyline, u"Polyline", sampleCommon(), 4, 0, 8, 1, 1);
    const PolyLine odd(u"9", kTypePolyline, u"Polyline", sampleCommon(), 4, 0, 8, 2, 0);
    EXPECT_EQ(valueOf(closed.getProperties(catalogue().pLineDatas), u"Closed"), u"Yes");
    EXPECT_EQ(valueOf(closed.getProperties(catalogue().pLineDatas), u"Linetype generation"), u"Enabled");
    EXPECT_EQ(valueOf(odd.getProperties(catalogue().pLineDatas), u"Closed"), u"No");
    EXPECT_EQ(valueOf(odd.getProperties(catalogue().pLineDatas), u"Linetype generation"), u"Disabled");

    // The total angle is the counter-clockwise sweep, also across angle 0.
    const KvArc plain(u"A", kTypeArc, u"Arc", sampleCommon(), 1, 30, 120, {}, 1, 1);
    const KvArc wrapping(u"B", kTypeArc, u"Arc", sampleCommon(), 1, 350, 10, {}, 1, 1);
    EXPECT_EQ(valueOf(plain.getProperties(catalogue().arcDatas), u"Total angle"), u"90");
    EXPECT_EQ(valueOf(wrapping.getProperties(catalogue().arcDatas), u"Total angle"), u"20");
}

TEST(EntityRecords, MultiTextCodesAndValues)
{
    auto make = [](int attachment, int direction, int spacingStyle) {
        return MultiText(u"C", kTypeMText, u"MText", sampleCommon(), {1, 2, 0}, u"Hello", attachment, direction, 10,
                         2.5, 1.5708, true, 1.5, spacingStyle, u"Titles", 6.25);
    };
    const PropertyList pairs = make(5, 3, 2).getProperties(catalogue().mTextDatas);
    ASSERT_EQ(pairs.size(), 14u);
    EXPECT_EQ(pairs[4].value, u"Titles");  // Style
    EXPECT_EQ(pairs[5].value, u"Middle center");
    EXPECT_EQ(pairs[6].value, u"Vertical");
    EXPECT_EQ(pairs[9].value, u"1.5708");  // radians, as the drawing holds them
    EXPECT_EQ(pairs[12].value, u"6.25");  // Line spacing distance
    EXPECT_EQ(pairs[13].value, u"Exactly");
    // Codes outside the known ones give empty texts.
    EXPECT_EQ(make(21, 2, 1).justify, u"Middle");
    EXPECT_EQ(make(21, 2, 1).spacingStyle, u"At least");
    EXPECT_EQ(make(14, 5, 3).justify, u"");
    EXPECT_EQ(make(14, 5, 3).direction, u"By style");
    EXPECT_EQ(make(0, 6, 0).direction, u"");
    EXPECT_EQ(make(0, 6, 0).spacingStyle, u"");
}

TEST(EntityRecords, BlockPairsAndTypeNames)
{
    const BlockEntity block(u"D", kTypeBlock, u"Door", false, QxDbObjectId(), {1, 2, 3}, {2, 2, 1}, 90);
    const PropertyList pairs = block.getProperties(catalogue().blcDatas);
    ASSERT_EQ(pairs.size(), 7u);
    EXPECT_EQ(valueOf(pairs, u"Rotation"), u"90");
    EXPECT_EQ(valueOf(pairs, u"X Scale"), u"2");
    EXPECT_EQ(block.typeName(catalogue().lsObjNames), u"Block");
    Solid solid(u"E", 9, u"x", sampleCommon());
    EXPECT_EQ(solid.typeName(catalogue().lsObjNames), u"MText");  // by type code, not by the stored name
    solid.type = 10;
    EXPECT_EQ(solid.typeName(catalogue().lsObjNames), u"");
}
