#include <cmath>
#include <numbers>

#include "cad/db/mtext_format.h"
#include "db_fixture.h"

TEST(MTextPlainText, FormattingCodesAreRemoved)
{
    using qx::mtextPlainText;
    EXPECT_EQ(mtextPlainText(u"{\\fArial|b1|i0|c0|p34;Door}\\PWindow"), u"Door\nWindow");
    EXPECT_EQ(mtextPlainText(u"\\H2.5x;Big\\~text"), u"Big text");
    EXPECT_EQ(mtextPlainText(u"\\C1;red \\c255;x \\T1.2;\\Q15;\\W0.8;\\A1;ok"), u"red x ok");
    EXPECT_EQ(mtextPlainText(u"\\Lunder\\l \\Oover\\o \\Kstrike\\k"), u"under over strike");
    EXPECT_EQ(mtextPlainText(u"1\\S1/2; in, \\S3#4;, \\Sx^y;"), u"11/2 in, 3/4, x/y");
    EXPECT_EQ(mtextPlainText(u"a\\\\b \\{c\\}"), u"a\\b {c}");  // escaped characters stay
    EXPECT_EQ(mtextPlainText(u"\\U+00E9t\\U+00E9"), u"\u00e9t\u00e9");
    EXPECT_EQ(mtextPlainText(u"45%%d %%p0.1 %%c20 100%%%"), u"45\u00b0 \u00b10.1 \u230020 100%");
    EXPECT_EQ(mtextPlainText(u"\\fTruncated"), u"");  // a code without its ';' runs to the end
    EXPECT_EQ(mtextPlainText(u"trailing\\"), u"trailing\\");
    EXPECT_EQ(mtextPlainText(u"\\pxqc;centred"), u"centred");
}

using BlockReferences = DrawingTest;

TEST_F(BlockReferences, AttributesAreAppendedOpenedAndIterated)
{
    const QxDbObjectId block = addBlock(u"Door");
    auto* reference = new QxDbBlockReference({10, 0, 0}, block);
    auto* loose = new QxDbAttribute;
    QxDbObjectId attributeId;
    EXPECT_EQ(reference->appendAttribute(attributeId, loose), Qxapp::eNotInDatabase);
    delete loose;
    const QxDbObjectId refId = add(reference);

    QxDbBlockReference* ref = nullptr;
    ASSERT_EQ(qxdbOpenObject(ref, refId, QxDb::kForWrite), Qxapp::eOk);
    for (const char16_t* tag : {u"WIDTH", u"MAKER"}) {
        auto* attribute = new QxDbAttribute;
        attribute->setTag(tag);
        attribute->setTextString(u"90");
        attribute->setPosition({10, 0, 0});
        ASSERT_EQ(ref->appendAttribute(attributeId, attribute), Qxapp::eOk);
        EXPECT_EQ(attribute->ownerId(), refId);
        attribute->close();
    }
    ref->close();

    ASSERT_EQ(qxdbOpenObject(ref, refId, QxDb::kForRead), Qxapp::eOk);
    std::unique_ptr<QxDbObjectIterator> it(ref->attributeIterator());
    std::vector<std::u16string> tags;
    for (; !it->done(); it->step()) {
        QxDbAttribute* attribute = nullptr;
        ASSERT_EQ(ref->openAttribute(attribute, it->objectId(), QxDb::kForRead), Qxapp::eOk);
        tags.push_back(attribute->tag());
        attribute->close();
    }
    EXPECT_EQ(tags, (std::vector<std::u16string>{u"WIDTH", u"MAKER"}));
    QxDbAttribute* notMine = nullptr;
    EXPECT_EQ(ref->openAttribute(notMine, refId, QxDb::kForRead), Qxapp::eInvalidInput);

    // Extents: the block's line from (0,0) to (2,1), placed at (10,0), and the attribute
    // texts at (10,0), 2.5 high.
    QxDbExtents e;
    ASSERT_EQ(ref->getGeomExtents(e), Qxapp::eOk);
    EXPECT_NEAR(e.minPoint.x, 10, 1e-9);
    EXPECT_NEAR(e.minPoint.y, 0, 1e-9);
    EXPECT_NEAR(e.maxPoint.y, 2.5, 1e-9);
    EXPECT_GE(e.maxPoint.x, 12 - 1e-9);
    ref->close();
}

TEST_F(BlockReferences, PlacementScalesAndRotatesTheBlock)
{
    const QxDbObjectId block = addBlock(u"Plate");
    auto* reference = new QxDbBlockReference({10, 5, 0}, block);
    reference->setScaleFactors({2, 2, 1});
    reference->setRotation(std::numbers::pi / 2);
    const QxDbObjectId refId = add(reference);
    QxDbEntity* e = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(e, refId, QxDb::kForRead), Qxapp::eOk);
    QxDbExtents ext;
    ASSERT_EQ(e->getGeomExtents(ext), Qxapp::eOk);
    e->close();
    // (2,1) scaled to (4,2), turned to (-2,4), moved to (8,9).
    EXPECT_NEAR(ext.minPoint.x, 8, 1e-9);
    EXPECT_NEAR(ext.maxPoint.x, 10, 1e-9);
    EXPECT_NEAR(ext.minPoint.y, 5, 1e-9);
    EXPECT_NEAR(ext.maxPoint.y, 9, 1e-9);
}

TEST_F(BlockReferences, DynamicBlocksLeadToTheirDefinition)
{
    const QxDbObjectId definition = addBlock(u"Window", true);
    const QxDbObjectId anonymous = addBlock(u"*U7", false, definition);
    const QxDbObjectId plain = addBlock(u"Plain");
    auto* reference = new QxDbBlockReference({0, 0, 0}, anonymous);
    QxDbBlockReference::DynamicProperty width{u"Width", 40, u"", 2.26, 0};
    QxDbBlockReference::DynamicProperty flip{u"Flip", 70, u"", 0, 1};
    QxDbBlockReference::DynamicProperty origin{u"Origin", 12, u"", 0, 0};
    reference->setDynamicProperties({width, origin, flip});
    const QxDbObjectId refId = add(reference);
    const QxDbObjectId plainRef = add(new QxDbBlockReference({0, 0, 0}, plain));

    QxDbDynBlockReference dyn(refId);
    EXPECT_TRUE(dyn.isDynamicBlock());
    EXPECT_EQ(dyn.dynamicBlockTableRecord(), definition);
    EXPECT_EQ(dyn.anonymousBlockTableRecord(), anonymous);
    QxDbDynBlockReferencePropertyArray properties;
    dyn.getBlockProperties(properties);
    ASSERT_EQ(properties.size(), 3u);  // "Origin" first, and only once
    EXPECT_EQ(properties[0].propertyName(), u"Origin");
    EXPECT_EQ(properties[1].propertyName(), u"Width");
    EXPECT_EQ(properties[1].value().restype(), 40);
    EXPECT_EQ(properties[1].value().real(), 2.26);
    EXPECT_EQ(properties[2].value().int16(), 1);
    QxDbDynBlockReference notDynamic(plainRef);
    EXPECT_TRUE(notDynamic.dynamicBlockTableRecord().isNull());
    notDynamic.getBlockProperties(properties);
    EXPECT_TRUE(properties.empty());
    EXPECT_FALSE(QxDbDynBlockReference::isDynamicBlock(plain));
}

TEST_F(BlockReferences, ATiltedReferenceCarriesItsBlockThroughATransform)
{
    // Set in a tilted plane, turned and scaled in it, the reference's block has extents that
    // a quarter turn about Z, a doubling and a shift map exactly onto the extents after the
    // same transform: such a transform takes boxes along the axes to boxes along the axes.
    const QxDbObjectId block = addBlock(u"Bracket");
    auto* reference = new QxDbBlockReference({1, 2, 3}, block);
    ASSERT_EQ(reference->setNormal({1, -2, 2}), Qxapp::eOk);
    reference->setRotation(0.4);
    reference->setScaleFactors({1.5, 1.5, 1.5});
    const QxDbObjectId refId = add(reference);

    QxDbEntity* e = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(e, refId, QxDb::kForWrite), Qxapp::eOk);
    QxDbExtents before, after;
    ASSERT_EQ(e->getGeomExtents(before), Qxapp::eOk);
    QxGeMatrix3d m;
    m.setCoordSystem({5, -1, 2}, {0, 2, 0}, {-2, 0, 0}, {0, 0, 2});
    ASSERT_EQ(e->transformBy(m), Qxapp::eOk);
    ASSERT_EQ(e->getGeomExtents(after), Qxapp::eOk);
    const QxGeVector3d normal = QxDbBlockReference::cast(e)->normal();
    e->close();

    const QxGeVector3d expectedNormal = QxGeVector3d(2, 1, 2).normal();
    EXPECT_NEAR(normal.x, expectedNormal.x, 1e-12);
    EXPECT_NEAR(normal.y, expectedNormal.y, 1e-12);
    EXPECT_NEAR(normal.z, expectedNormal.z, 1e-12);
    // (x, y, z) goes to (5 - 2y, -1 + 2x, 2 + 2z): the largest y before gives the smallest x.
    EXPECT_NEAR(after.minPoint.x, 5 - 2 * before.maxPoint.y, 1e-9);
    EXPECT_NEAR(after.maxPoint.x, 5 - 2 * before.minPoint.y, 1e-9);
    EXPECT_NEAR(after.minPoint.y, -1 + 2 * before.minPoint.x, 1e-9);
    EXPECT_NEAR(after.maxPoint.y, -1 + 2 * before.maxPoint.x, 1e-9);
    EXPECT_NEAR(after.minPoint.z, 2 + 2 * before.minPoint.z, 1e-9);
    EXPECT_NEAR(after.maxPoint.z, 2 + 2 * before.maxPoint.z, 1e-9);
    EXPECT_GT(before.maxPoint.z - before.minPoint.z, 0.1) << "the plane is not tilted enough to tell";
}

namespace {

const QxGeVector3d kTilted = QxGeVector3d(1, 0, 1).normal();

template <class T>
std::unique_ptr<T> cloneOf(const T& entity)
{
    return std::unique_ptr<T>(T::cast(entity.clone()));
}

// A clone carries its own copy of a thickness and a normal away from the defaults, whether
// one or both are; an entity set back to the defaults clones as one that never left them.
template <class T>
void expectClonesKeepThicknessAndNormal(T& entity)
{
    ASSERT_EQ(entity.setThickness(2.5), Qxapp::eOk);
    ASSERT_EQ(entity.setNormal({1, 0, 1}), Qxapp::eOk);
    EXPECT_EQ(entity.setNormal(QxGeVector3d::kIdentity), Qxapp::eInvalidInput);
    EXPECT_EQ(entity.normal(), kTilted) << "a refused normal leaves the old one";
    const std::unique_ptr<T> both = cloneOf(entity);
    EXPECT_EQ(both->thickness(), 2.5);
    EXPECT_EQ(both->normal(), kTilted);

    ASSERT_EQ(entity.setThickness(0), Qxapp::eOk);
    EXPECT_EQ(entity.normal(), kTilted);
    const std::unique_ptr<T> normalOnly = cloneOf(entity);
    EXPECT_EQ(normalOnly->thickness(), 0);
    EXPECT_EQ(normalOnly->normal(), kTilted);

    ASSERT_EQ(entity.setNormal({0, 0, 4}), Qxapp::eOk);
    EXPECT_EQ(entity.normal(), QxGeVector3d::kZAxis);
    const std::unique_ptr<T> plain = cloneOf(entity);
    EXPECT_EQ(plain->thickness(), 0);
    EXPECT_EQ(plain->normal(), QxGeVector3d::kZAxis);
    EXPECT_EQ(both->thickness(), 2.5) << "the first clone shares nothing with its source";
    EXPECT_EQ(both->normal(), kTilted);

    ASSERT_EQ(entity.setThickness(-1), Qxapp::eOk);
    const std::unique_ptr<T> thicknessOnly = cloneOf(entity);
    EXPECT_EQ(thicknessOnly->thickness(), -1);
    EXPECT_EQ(thicknessOnly->normal(), QxGeVector3d::kZAxis);

    ASSERT_EQ(entity.setThickness(-0.0), Qxapp::eOk);
    EXPECT_TRUE(std::signbit(entity.thickness())) << "a negative zero is kept as it was set";
}

}  // namespace

TEST(Extrusions, ClonesKeepThicknessAndNormal)
{
    auto check = [](const char* kind, auto&& entity) {
        SCOPED_TRACE(kind);
        expectClonesKeepThicknessAndNormal(entity);
    };
    check("line", QxDbLine({0, 0, 0}, {1, 1, 0}));
    check("circle", QxDbCircle({0, 0, 0}, 1));
    check("arc", QxDbArc({0, 0, 0}, 1, 0, 1));
    check("solid", QxDbSolid());
    check("point", QxDbPoint({1, 2, 3}));
    QxDbPolyline polyline;
    polyline.setElevation(4);
    check("polyline", polyline);
    EXPECT_EQ(cloneOf(polyline)->elevation(), 4);

    // A reference has a normal and no thickness.
    QxDbBlockReference reference({1, 2, 3}, QxDbObjectId::kNull);
    ASSERT_EQ(reference.setNormal({1, 0, 1}), Qxapp::eOk);
    const std::unique_ptr<QxDbBlockReference> tilted = cloneOf(reference);
    ASSERT_EQ(reference.setNormal(QxGeVector3d::kZAxis), Qxapp::eOk);
    EXPECT_EQ(tilted->normal(), kTilted);
    EXPECT_EQ(cloneOf(reference)->normal(), QxGeVector3d::kZAxis);
}
