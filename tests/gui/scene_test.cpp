// What the drawing view makes of entities, and the small conversions of the window: dialog
// units, file dialog filters.
#include <gtest/gtest.h>

#include <QColor>
#include <functional>
#include <tuple>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/ui/gui/dialog_units.h"
#include "cad/ui/gui/drawing_scene.h"
#include "cad/ui/gui/gui_frontend.h"
#include "database.h"
#include "dbsymbols.h"
#include "gui_fixture.h"
#include "support/drawing_builders.h"

namespace {

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override { qxtest::application(); }

    QxDbObjectId append(QxDbEntity* entity) { return qxtest::appendToModelSpace(m_db, entity); }
    const qxgui::EntityPicture& only()
    {
        m_scene.build(m_db);
        EXPECT_EQ(m_scene.entities().size(), 1u);
        return m_scene.detailed(0);
    }

    QxDbDatabase m_db;
    qxgui::DrawingScene m_scene;
};

QxDbPolyline* twoPointPolyline(double bulge)
{
    auto* polyline = new QxDbPolyline;
    polyline->addVertexAt(0, QxGePoint2d(0, 0), bulge);
    polyline->addVertexAt(1, QxGePoint2d(10, 0));
    return polyline;
}

}  // namespace

TEST_F(SceneTest, APositiveBulgeTurnsLeftSoFromLeftToRightTheArcGoesBelow)
{
    append(twoPointPolyline(1.0));  // a half circle
    const QRectF below = only().strokes.at(0).path.boundingRect();
    EXPECT_NEAR(below.top(), -5, 1e-9);  // y grows upwards in the drawing
    EXPECT_NEAR(below.bottom(), 0, 1e-9);
    EXPECT_NEAR(below.left(), 0, 1e-9);
    EXPECT_NEAR(below.right(), 10, 1e-9);
}

TEST_F(SceneTest, ANegativeBulgeGoesTheOtherWayAndAWidthIsKept)
{
    QxDbPolyline* polyline = twoPointPolyline(-0.5);
    polyline->setConstantWidth(2.0);
    append(polyline);
    const qxgui::Stroke& stroke = only().strokes.at(0);
    // Bulge 0.5: the arc rises a quarter of the chord above it.
    EXPECT_NEAR(stroke.path.boundingRect().bottom(), 2.5, 1e-9);
    EXPECT_NEAR(stroke.path.boundingRect().top(), 0, 1e-9);
    EXPECT_DOUBLE_EQ(stroke.width, 2.0);
}

TEST_F(SceneTest, ColoursComeFromTheEntityElseItsLayer)
{
    auto* red = new QxDbLine(QxGePoint3d(0, 0, 0), QxGePoint3d(1, 1, 0));
    red->setColorIndex(1);
    append(red);
    append(new QxDbLine(QxGePoint3d(0, 0, 0), QxGePoint3d(2, 2, 0)));  // by layer, a layer of colour 7
    m_scene.build(m_db);
    ASSERT_EQ(m_scene.entities().size(), 2u);
    EXPECT_EQ(m_scene.entities()[0].color, QColor(255, 0, 0));
    EXPECT_EQ(m_scene.entities()[1].color, QColor(255, 255, 255));
    EXPECT_EQ(qxgui::indexColor(5), QColor(0, 0, 255));
    EXPECT_EQ(qxgui::indexColor(250), QColor(51, 51, 51));
    EXPECT_EQ(qxgui::indexColor(255), QColor(255, 255, 255));
    // Index 30: the hue of orange, full; 31 the same hue, paler.
    EXPECT_EQ(qxgui::indexColor(30).hue(), 30);
    EXPECT_LT(qxgui::indexColor(31).saturation(), qxgui::indexColor(30).saturation());
}

TEST_F(SceneTest, ASolidIsHitInsideACircleOnlyOnItsOutline)
{
    auto* solid = new QxDbSolid;
    const QxGePoint3d corners[] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 10, 0}};  // third and fourth crosswise
    for (std::uint16_t i = 0; i < 4; ++i) solid->setPointAt(i, corners[i]);
    append(solid);
    append(new QxDbCircle(QxGePoint3d(50, 50, 0), 10));
    m_scene.build(m_db);
    EXPECT_EQ(m_scene.entityAt(QPointF(5, 5), 0.1), 0);
    EXPECT_TRUE(m_scene.detailed(0).strokes[0].filled);
    // Stored crosswise, drawn as a square: its middle edge runs from (10,0) to (10,10).
    EXPECT_TRUE(m_scene.detailed(0).strokes[0].path.contains(QPointF(9.9, 5)));
    EXPECT_EQ(m_scene.entityAt(QPointF(50, 50), 0.1), -1);
    EXPECT_EQ(m_scene.entityAt(QPointF(60.05, 50), 0.1), 1);
    EXPECT_EQ(m_scene.entitiesCrossing(QRectF(55, 45, 10, 10)), std::vector<int>{1});
    EXPECT_TRUE(m_scene.entitiesCrossing(QRectF(45, 45, 10, 10)).empty()) << "inside the circle, cutting nothing";
}

TEST_F(SceneTest, AMultiLineTextKeepsItsLinesAndAttachment)
{
    auto* text = new QxDbMText;
    text->setContents(u"First\\PSecond");
    text->setAttachment(QxDbMText::kMiddleCenter);
    text->setTextHeight(3);
    append(text);
    const qxgui::EntityPicture& picture = only();
    ASSERT_EQ(picture.texts.size(), 1u);
    EXPECT_EQ(picture.texts[0].lines, (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    EXPECT_EQ(picture.texts[0].horizontal, 1);
    EXPECT_EQ(picture.texts[0].vertical, 1);
    EXPECT_DOUBLE_EQ(picture.texts[0].height, 3);
}

namespace {

void edit(QxDbObjectId id, const std::function<void(QxDbEntity&)>& change)
{
    QxDbEntity* entity = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(entity, id, QxDb::kForWrite), Qxapp::eOk);
    change(*entity);
    entity->close();
}

std::vector<std::uint64_t> handlesOf(const qxgui::DrawingScene& scene)
{
    std::vector<std::uint64_t> handles;
    for (const qxgui::EntityPicture& picture : scene.entities()) handles.push_back(picture.handle);
    return handles;
}

}  // namespace

TEST_F(SceneTest, AnUpdateRedoesTheAddedChangedAndErasedEntitiesOnly)
{
    const QxDbObjectId a = append(new QxDbLine(QxGePoint3d(0, 0, 0), QxGePoint3d(1, 0, 0)));
    const QxDbObjectId b = append(new QxDbLine(QxGePoint3d(0, 1, 0), QxGePoint3d(1, 1, 0)));
    const QxDbObjectId c = append(new QxDbCircle(QxGePoint3d(5, 5, 0), 1));
    const QxDbObjectId d = append(new QxDbPoint(QxGePoint3d(9, 9, 0)));
    m_scene.build(m_db);
    EXPECT_FALSE(m_scene.update(m_db)) << "nothing changed";

    // Changed behind the database's back: an update that redid everything would show it.
    QxDbStub* stub = qx::DbInternals::stub(a);
    stub->writer = true;
    QxDbLine::cast(stub->object)->setEndPoint(QxGePoint3d(50, 0, 0));
    stub->writer = false;
    edit(b, [](QxDbEntity& e) { e.erase(); });
    edit(c, [](QxDbEntity& e) { e.setColorIndex(1); });
    const QxDbObjectId added = append(new QxDbLine(QxGePoint3d(-20, -20, 0), QxGePoint3d(-10, -10, 0)));
    ASSERT_TRUE(m_scene.update(m_db));
    EXPECT_EQ(handlesOf(m_scene), (std::vector<std::uint64_t>{a.handle().value(), c.handle().value(), d.handle().value(),
                                                              added.handle().value()}));
    EXPECT_NEAR(m_scene.entities()[0].bounds.right(), 1, 1e-9) << "an entity that did not change is not redone";
    EXPECT_EQ(m_scene.entities()[1].color, QColor(255, 0, 0));
    // The index and extents follow: the added line is found, the erased one no more.
    EXPECT_EQ(m_scene.visible(QRectF(-15, -15, 1, 1)), std::vector<int>{3});
    EXPECT_TRUE(m_scene.visible(QRectF(0.5, 0.9, 0.1, 0.2)).empty());
    EXPECT_NEAR(m_scene.extents().left(), -20, 1e-9);
    EXPECT_NEAR(m_scene.extents().top(), -20, 1e-9);
    EXPECT_NEAR(m_scene.extents().bottom(), 9, 1e-9) << "a point counts in the extents";

    // Erased first and last, with a new one between updates: the order is model space's.
    edit(a, [](QxDbEntity& e) { e.erase(); });
    edit(added, [](QxDbEntity& e) { e.erase(); });
    const QxDbObjectId last = append(new QxDbCircle(QxGePoint3d(0, 0, 0), 3));
    ASSERT_TRUE(m_scene.update(m_db));
    EXPECT_EQ(handlesOf(m_scene), (std::vector<std::uint64_t>{c.handle().value(), d.handle().value(), last.handle().value()}));
}

// A block's contents show in every reference to it: a change inside the block redoes them.
TEST_F(SceneTest, AChangeInsideABlockRedoesItsReferences)
{
    QxDbBlockTable* blocks = nullptr;
    ASSERT_EQ(qxdbOpenObject(blocks, m_db.blockTableId(), QxDb::kForWrite), Qxapp::eOk);
    auto* record = new QxDbBlockTableRecord;
    record->setName(u"MARK");
    QxDbObjectId blockId;
    ASSERT_EQ(blocks->add(blockId, record), Qxapp::eOk);
    QxDbObjectId lineId;
    ASSERT_EQ(record->appendQxDbEntity(lineId, new QxDbLine(QxGePoint3d(0, 0, 0), QxGePoint3d(1, 0, 0))), Qxapp::eOk);
    qx::peekObject(lineId)->close();
    record->close();
    blocks->close();
    append(new QxDbBlockReference(QxGePoint3d(100, 100, 0), blockId));
    m_scene.build(m_db);
    ASSERT_EQ(m_scene.entities().size(), 1u);
    EXPECT_NEAR(m_scene.entities()[0].bounds.right(), 101, 1e-9);
    edit(lineId, [](QxDbEntity& e) { QxDbLine::cast(&e)->setEndPoint(QxGePoint3d(7, 0, 0)); });
    ASSERT_TRUE(m_scene.update(m_db));
    EXPECT_NEAR(m_scene.entities()[0].bounds.right(), 107, 1e-9);
}

// A style's width factor widens or narrows its texts' letters; a factor that cannot be drawn
// (zero, negative) leaves them as the font has them. A style's fixed height is every text's
// height, whatever the text says. Its font file is drawn with the family of that name when one
// is installed, else with one of the same letter widths, else with the sans serif.
TEST_F(SceneTest, TextsTakeTheWidthFactorHeightAndFontOfTheirStyle)
{
    struct Style {
        const char16_t* name;
        double factor, height;
        const char16_t* file;
        QxDbObjectId id;
    };
    std::vector<Style> styles = {{u"WIDE", 2.0, 0, u"arialbd.ttf", {}},
                                 {u"BROKEN", -1.0, 0, u"LiberationMono-Regular.ttf", {}},
                                 {u"FIXED", 1.0, 7.0, u"times.ttf", {}},
                                 {u"STROKED", 1.0, 0, u"romans.shx", {}}};
    QxDbSymbolTable* table = nullptr;
    ASSERT_EQ(qxdbOpenObject(table, m_db.textStyleTableId(), QxDb::kForWrite), Qxapp::eOk);
    for (Style& style : styles) {
        auto* record = new QxDbTextStyleTableRecord;
        record->setName(style.name);
        record->setXScale(style.factor);
        record->setTextSize(style.height);
        record->setFileName(style.file);
        ASSERT_EQ(table->add(style.id, record), Qxapp::eOk);
        record->close();
    }
    table->close();
    styles.push_back({u"", 1.0, 0, u"", {}});  // no style
    for (const Style& style : styles) {
        auto* text = new QxDbText;
        text->setTextString(u"Door");
        text->setHeight(2.5);
        if (!style.id.isNull()) text->setTextStyle(style.id);
        append(text);
    }
    m_scene.build(m_db);
    ASSERT_EQ(m_scene.entities().size(), styles.size());
    const auto text = [&](int i) { return m_scene.detailed(i).texts.at(0); };
    EXPECT_DOUBLE_EQ(text(0).widthFactor, 2.0);
    EXPECT_DOUBLE_EQ(text(1).widthFactor, 1.0);
    EXPECT_DOUBLE_EQ(text(4).widthFactor, 1.0);
    EXPECT_GT(m_scene.entities()[0].bounds.width(), 1.9 * m_scene.entities()[4].bounds.width()) << "room for the wider letters";
    EXPECT_DOUBLE_EQ(text(2).height, 7.0);
    EXPECT_DOUBLE_EQ(text(3).height, 2.5);
    EXPECT_GT(m_scene.entities()[2].bounds.height(), 2.5 * m_scene.entities()[3].bounds.height()) << "room for the fixed height";
    const QStringList families = {text(0).family, text(1).family, text(2).family, text(3).family, text(4).family};
    EXPECT_EQ(families, (QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Liberation Mono"),
                                     QStringLiteral("Liberation Serif"), QStringLiteral("Liberation Sans"),
                                     QStringLiteral("Liberation Sans")}));
}

TEST(DialogUnits, RoundLikeTheClassicDialogManager)
{
    const qxgui::DialogUnits units{6, 13};
    EXPECT_EQ(units.toPixels(316, 271, 1, 1), QRect(474, 440, 2, 2));  // 1.5 and 1.625 round up
    EXPECT_EQ(units.toPixelsX(3), 5);                                     // 4.5 rounds up
    EXPECT_EQ(units.toPixelsY(4), 7);                                     // 6.5 rounds up
    EXPECT_EQ(units.toPixelsY(3), 5);                                     // 4.875
}

TEST(FileDialogFilters, BecomeNameFiltersWithTheirPatternsOnce)
{
    const CQxUiFileDialog csvOrXls(false, u"csv", u"", 0, u"Csv file (*.csv)|*.csv|Xls file (*.xls)|*.xls||");
    EXPECT_EQ(qxgui::nameFilters(csvOrXls), (QStringList{QStringLiteral("Csv file (*.csv)"), QStringLiteral("Xls file (*.xls)")}));
    const CQxUiFileDialog drawings(true, u"", u"", 0, u"Drawings|*.dxf;*.dwg|All files (*.*)|*.*||");
    EXPECT_EQ(qxgui::nameFilters(drawings), (QStringList{QStringLiteral("Drawings (*.dxf *.dwg)"), QStringLiteral("All files (*.*)")}));
}

// The plan's title block: its texts are centred on their alignment points, as the file's
// records give them to the database's texts.
TEST(SceneFromFile, ACentredTextOfTheFileIsDrawnCentredOnItsAlignmentPoint)
{
    qxtest::application();
    qx::dxf::OpenResult opened;
    qx::dxf::DxfError error;
    ASSERT_TRUE(qx::dxf::openDxf(std::string(QX_SOURCE_DIR) + "/samples/plan.dxf", opened, error)) << error.text();
    qxgui::DrawingScene scene;
    scene.build(*opened.database);
    int titles = 0;
    for (int i = 0; i < int(scene.entities().size()); ++i)
        for (const qxgui::TextRun& text : scene.detailed(i).texts) {
            if (text.lines == QStringList{QStringLiteral("PLANT BUILDING - GROUND FLOOR PLAN")}) {
                ++titles;
                EXPECT_EQ(text.horizontal, 1);
                EXPECT_NEAR(text.anchor.x(), 1500.0, 1e-9);  // the title block's middle
                EXPECT_NEAR(text.anchor.y(), -190.0, 1e-9);
            }
        }
    EXPECT_EQ(titles, 1);
    qx::dxf::forgetSource(opened.database.get());
}
