// The table of the extracted kinds: recognising objects, type codes, catalogue positions, and
// the engine's records reached through it.
#include <gtest/gtest.h>

#include <memory>

#include "engine/entity_kinds.h"
#include "engine/extraction_engine.h"
#include "engine/str_helper.h"
#include "host/dbentities.h"

namespace {

const StrHelper& catalogue()
{
    static const StrHelper helper;
    return helper;
}

std::uint32_t codeOf(const QxDbObject& object)
{
    const EntityKind* kind = KindOfObject(&object);
    return kind ? static_cast<std::uint32_t>(kind->code) : 0u;
}

TEST(EntityKinds, EveryExtractedClassIsRecognisedAsItsOwnKind)
{
    EXPECT_EQ(codeOf(QxDbBlockReference()), kTypeBlock);
    EXPECT_EQ(codeOf(QxDbLine()), kTypeLine);
    EXPECT_EQ(codeOf(QxDbPolyline()), kTypePolyline);
    EXPECT_EQ(codeOf(QxDbArc()), kTypeArc);
    EXPECT_EQ(codeOf(QxDbCircle()), kTypeCircle);
    EXPECT_EQ(codeOf(QxDbSolid()), kTypeSolid);
    EXPECT_EQ(codeOf(QxDb3dSolid()), kTypeSolid3D);
    EXPECT_EQ(codeOf(QxDbPoint()), kTypePoint);
    EXPECT_EQ(codeOf(QxDbMText()), kTypeMText);
}

TEST(EntityKinds, TextsAndAttributesAreNotExtracted)
{
    EXPECT_EQ(KindOfObject(std::make_unique<QxDbText>().get()), nullptr);
    EXPECT_EQ(KindOfObject(std::make_unique<QxDbAttribute>().get()), nullptr);
}

TEST(EntityKinds, CodesAreTablePositionsAndNameTheCatalogueKinds)
{
    ASSERT_EQ(EntityKinds().size(), catalogue().lsObjNames.size());
    for (const EntityKind& kind : EntityKinds()) {
        EXPECT_EQ(KindOfCode(kind.code), &kind);
        EXPECT_EQ(catalogue().KindCode(catalogue().KindName(kind.code)), kind.code);
    }
    EXPECT_EQ(KindOfCode(0), nullptr);
    EXPECT_EQ(KindOfCode(kTypeMText + 1), nullptr);
    EXPECT_EQ(catalogue().KindName(kTypeSolid3D), u"3D Solid");
    EXPECT_EQ(catalogue().KindName(0), u"");
    EXPECT_EQ(catalogue().KindCode(u"Text"), 0u);
}

// The records fill their pairs by the named positions: a list loaded in another order or
// with another length would put values under the wrong names.
TEST(CataloguePositions, NamedPositionsHoldTheirProperties)
{
    const StrHelper& c = catalogue();
    EXPECT_EQ(c.ls_comPropTags.size(), std::size_t{CommonPos::Count});
    EXPECT_EQ(c.ls_comPropTags[CommonPos::Thickness].name, u"Thickness");
    EXPECT_EQ(c.ls_comPropTags[CommonPos::Linetype].name, u"Linetype");
    EXPECT_EQ(c.lineDatas.size(), std::size_t{LinePos::Count});
    EXPECT_EQ(c.lineDatas[LinePos::EndX].name, u"X end");
    EXPECT_EQ(c.lineDatas[LinePos::Length].name, u"Length");
    EXPECT_EQ(c.pLineDatas.size(), std::size_t{PolylinePos::Count});
    EXPECT_EQ(c.pLineDatas[PolylinePos::Closed].name, u"Closed");
    EXPECT_EQ(c.arcDatas.size(), std::size_t{ArcPos::Count});
    EXPECT_EQ(c.arcDatas[ArcPos::CenterX].name, u"X center");
    EXPECT_EQ(c.arcDatas[ArcPos::Radius].name, u"Radius");
    EXPECT_EQ(c.circleDatas.size(), std::size_t{CirclePos::Count});
    EXPECT_EQ(c.circleDatas[CirclePos::Circumference].name, u"Circumference");
    EXPECT_EQ(c.pointDatas.size(), std::size_t{PointPos::Count});
    EXPECT_EQ(c.mTextDatas.size(), std::size_t{MTextPos::Count});
    EXPECT_EQ(c.mTextDatas[MTextPos::Contents].name, u"Contents");
    EXPECT_EQ(c.mTextDatas[MTextPos::SpacingStyle].name, u"Line spacing style");
    EXPECT_EQ(c.blcDatas.size(), std::size_t{BlockPos::Count});
    EXPECT_EQ(c.blcDatas[BlockPos::Rotation].name, u"Rotation");
    EXPECT_EQ(c.blcDatas[BlockPos::ScaleZ].name, u"Z Scale");
}

TEST(EntityKinds, TheTableReachesTheEnginesRecordsOfEachKind)
{
    ExtractionEngine engine;
    engine.lsPoints.emplace_back(u"A1", kTypePoint, u"Point", CommonProps{}, QxGePoint3d{1, 2, 3});
    engine.lsMultiTexts.emplace_back(u"B2", kTypeMText, u"MText", CommonProps{}, QxGePoint3d{}, u"x", 1, 1, 0.0,
                                     1.0, 0.0, false, 1.0, 1, u"Standard", 1.0);
    EXPECT_EQ(engine.TypeCodesPresent(), (std::set<std::uint32_t>{kTypePoint, kTypeMText}));
    const EntityKind& text = *KindOfCode(kTypeMText);
    ASSERT_EQ(text.recordCount(engine), 1u);
    EXPECT_EQ(text.generalRecord(engine, 0)->handle, u"B2");
    EXPECT_EQ(KindOfCode(kTypePoint)->generalRecord(engine, 0)->handle, u"A1");
    EXPECT_EQ(KindOfCode(kTypeBlock)->recordCount(engine), 0u);
    EXPECT_EQ(KindOfCode(kTypeBlock)->generalRecord, nullptr);
}

}  // namespace
