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
