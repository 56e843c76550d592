// The drawing view: what it draws of a drawing, and the points and objects a user picks in it.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <set>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_builtins.h"
#include "cad/editor/selection.h"
#include "cad/runtime/documents.h"
#include "cad/ui/gui/drawing_view.h"
#include "cad/ui/gui/main_window.h"
#include "database.h"
#include "dbtable.h"
#include "editor.h"
#include "gui_fixture.h"

namespace {

class DrawingViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qxtest::application();
        qxtest::startHost();
        std::u16string error;
        // The sample plan with the demo's table of doors and windows beside it.
        ASSERT_TRUE(qx::openDrawing(qxtest::demoDrawing().string(), error));
        m_session = std::make_unique<qxgui::GuiSession>();
        window().resize(1000, 700);
        window().show();
        QApplication::processEvents();
        window().drawingChanged();
        view().zoomExtents();
    }
    void TearDown() override { m_session.reset(); }

    qxgui::MainWindow& window() const { return m_session->window(); }
    qxgui::DrawingView& view() const { return window().view(); }
    QRect onScreen(const QRectF& world) const
    {
        return QRectF(view().toScreen(world.topLeft()), view().toScreen(world.bottomRight())).normalized().toAlignedRect();
    }
    // The handles of what a selection request got, after `gesture` answered it in the view.
    std::set<std::uint64_t> selectWith(std::function<void()> gesture)
    {
        qxtest::Driver driver(*m_session);
        driver.waitFor("the selection request", [this] { return window().waitingFor() == qx::InputKind::Selection; });
        driver.act("selecting", gesture);
        driver.act("ending the selection", [this] { QTest::keyClick(&view(), Qt::Key_Return); });
        std::set<std::uint64_t> handles;
        qxds_name set{};
        driver.startTicking();
        const int status = qxedSSGet(nullptr, nullptr, nullptr, nullptr, set);
        if (status != QXRT_NORM) return handles;
        std::int32_t length = 0;
        qxedSSLength(set, &length);
        for (std::int32_t i = 0; i < length; ++i) {
            qxds_name name{};
            QxDbObjectId id;
            qxedSSName(set, i, name);
            qxdbGetObjectId(id, name);
            handles.insert(id.handle().value());
        }
        qxedSSFree(set);
        return handles;
    }
    void drag(QPointF from, QPointF to)
    {
        QTest::mousePress(&view(), Qt::LeftButton, {}, from.toPoint());
        QTest::mouseMove(&view(), ((from + to) / 2).toPoint());
        QTest::mouseMove(&view(), to.toPoint());
        QTest::mouseRelease(&view(), Qt::LeftButton, {}, to.toPoint());
    }

    std::unique_ptr<qxgui::GuiSession> m_session;
};

const QRgb kBackground = qRgb(33, 40, 48);

}  // namespace

TEST_F(DrawingViewTest, DrawsWhereTheObjectsAreAndNothingElsewhere)
{
    const auto& entities = view().scene().entities();
    ASSERT_GT(entities.size(), 10u);
    view().finishPicture();
    const QImage picture = view().grab().toImage().convertToFormat(QImage::Format_RGB32);
    picture.save(QString::fromStdString((qxtest::screenshotDir() / "drawing-view.png").string()));
    window().grab().save(QString::fromStdString((qxtest::screenshotDir() / "main-window.png").string()));

    std::vector<bool> covered(std::size_t(picture.width() * picture.height()), false);
    for (const auto& entity : entities) {
        const QRect area = onScreen(entity.bounds).adjusted(-2, -2, 2, 2).intersected(picture.rect());
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) covered[std::size_t(y * picture.width() + x)] = true;
        if (area.isEmpty()) continue;
        int drawn = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) drawn += picture.pixel(x, y) != kBackground;
        EXPECT_GT(drawn, 0) << "nothing drawn for the object " << std::hex << entity.handle;
    }
    // The demo's table shows a text for every cell that has one.
    const auto database = qx::currentDatabase();
    int tables = 0;
    for (const QxDbObjectId& id : qx::selectAll(*database, qx::SelectionFilter())) {
        QxDbObject* object = nullptr;
        if (qxdbOpenObject(object, id, QxDb::kForRead) != Qxapp::eOk) continue;
        if (const QxDbTable* table = QxDbTable::cast(object)) {
            std::size_t texts = 0;
            for (std::uint32_t r = 0; r < table->numRows(); ++r)
                for (std::uint32_t c = 0; c < table->numColumns(); ++c) texts += !table->textString(r, c).empty();
            const auto picture = std::find_if(entities.begin(), entities.end(),
                                              [&](const qxgui::EntityPicture& e) { return e.handle == id.handle().value(); });
            EXPECT_NE(picture, entities.end());
            if (picture != entities.end()) {
                EXPECT_EQ(picture->texts.size(), texts);
                // Close up, for the README: the table's cells are readable.
                view().zoomTo(picture->bounds.adjusted(-picture->bounds.width() / 4, -picture->bounds.height() / 4,
                                                       picture->bounds.width() / 4, picture->bounds.height() / 4));
                view().finishPicture();
                window().grab().save(QString::fromStdString((qxtest::screenshotDir() / "main-window-table.png").string()));
            }
            ++tables;
        }
        object->close();
    }
    EXPECT_EQ(tables, 1);
    int strays = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            strays += !covered[std::size_t(y * picture.width() + x)] && picture.pixel(x, y) != kBackground;
    EXPECT_EQ(strays, 0) << "pixels drawn where there is no object";
}

TEST_F(DrawingViewTest, TheTitleNamesTheDrawingWhichHasNotChangedSinceItWasOpened)
{
    EXPECT_TRUE(window().windowTitle().startsWith(QStringLiteral("plan-with-openings.dxf"))) << window().windowTitle().toStdString();
    EXPECT_FALSE(window().isWindowModified());
}

TEST_F(DrawingViewTest, WheelZoomKeepsThePointUnderTheCursor)
{
    const QPointF cursor(300, 250);
    const QPointF before = view().toWorld(cursor);
    const double scale = view().scale();
    QWheelEvent wheel(cursor, view().mapToGlobal(cursor), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view(), &wheel);
    EXPECT_NEAR(view().scale(), scale * 1.5625, scale * 1e-9);
    const QPointF after = view().toWorld(cursor);
    EXPECT_NEAR(after.x(), before.x(), 1e-6 * (1 + std::abs(before.x())));
    EXPECT_NEAR(after.y(), before.y(), 1e-6 * (1 + std::abs(before.y())));
}

TEST_F(DrawingViewTest, AClickAnswersAPointRequestWithThePointUnderTheCursor)
{
    qxtest::Driver driver(*m_session);
    const QPoint at(412, 287);
    driver.waitFor("the point request", [this] { return window().waitingFor() == qx::InputKind::Point; });
    driver.act("clicking", [this, at] { QTest::mouseClick(&view(), Qt::LeftButton, {}, at); });
    driver.startTicking();
    double point[3] = {};
    ASSERT_EQ(qxedGetPoint(nullptr, u"Insertion point: ", point), QXRT_NORM);
    const QPointF expected = view().toWorld(at);  // the sample's UCS is the world
    EXPECT_NEAR(point[0], expected.x(), 1e-6 * (1 + std::abs(expected.x())));
    EXPECT_NEAR(point[1], expected.y(), 1e-6 * (1 + std::abs(expected.y())));
    EXPECT_NE(window().history().toPlainText().indexOf(QStringLiteral("Insertion point: ")), -1);
}

TEST_F(DrawingViewTest, EscapeCancelsAPointRequest)
{
    qxtest::Driver driver(*m_session);
    driver.waitFor("the point request", [this] { return window().waitingFor() == qx::InputKind::Point; });
    driver.act("pressing Escape", [this] { QTest::keyClick(&view(), Qt::Key_Escape); });
    driver.startTicking();
    double point[3] = {};
    EXPECT_EQ(qxedGetPoint(nullptr, nullptr, point), QXRT_CANCEL);
}

TEST_F(DrawingViewTest, AWindowTakesWhatLiesInsideAndACrossingAlsoWhatItCuts)
{
    // A rectangle around the middle of the drawing: some objects inside, others cut.
    const QRectF extents = view().scene().extents();
    const QRect box = onScreen(QRectF(extents.center() - QPointF(extents.width() / 4, extents.height() / 4),
                                      QSizeF(extents.width() / 2, extents.height() / 2)));
    // The world rectangle the dragged one covers, pixels rounded.
    const QRectF middle = QRectF(view().toWorld(box.topLeft()), view().toWorld(box.bottomRight())).normalized();
    std::set<std::uint64_t> inside, cut;
    const auto database = qx::currentDatabase();
    for (const QxDbObjectId& id : qx::selectWindow(*database, qx::SelectionFilter(), QxGePoint3d(middle.left(), middle.top(), 0),
                                                   QxGePoint3d(middle.right(), middle.bottom(), 0)))
        inside.insert(id.handle().value());
    for (int index : view().scene().entitiesCrossing(middle)) cut.insert(view().scene().entities()[std::size_t(index)].handle);
    ASSERT_FALSE(inside.empty());
    ASSERT_GT(cut.size(), inside.size()) << "the rectangle cuts some objects";

    // Left to right: a window, the same objects as the console's window answer.
    EXPECT_EQ(selectWith([&] { drag(box.topLeft(), box.bottomRight()); }), inside);
    // Right to left: a crossing.
    const std::set<std::uint64_t> crossing = selectWith([&] { drag(box.bottomRight(), box.topLeft()); });
    EXPECT_EQ(crossing, cut);
    EXPECT_TRUE(std::includes(crossing.begin(), crossing.end(), inside.begin(), inside.end()));
}

TEST_F(DrawingViewTest, AClickPicksTheObjectUnderTheCursorAndASecondClickDropsIt)
{
    const auto& entities = view().scene().entities();
    // A line of the plan: a click on its middle picks it.
    const qxgui::EntityPicture* line = nullptr;
    for (int i = 0; i < int(entities.size()) && !line; ++i) {
        const qxgui::EntityPicture& e = view().scene().detailed(i);
        if (e.texts.empty() && e.strokes.size() == 1 && e.strokes[0].path.elementCount() == 2) line = &e;
    }
    ASSERT_NE(line, nullptr);
    const QPainterPath& path = line->strokes[0].path;
    const QPointF middle = (QPointF(path.elementAt(0)) + QPointF(path.elementAt(1))) / 2;
    const QPoint at = view().toScreen(middle).toPoint();
    const int index = view().scene().entityAt(view().toWorld(at), 4 / view().scale());
    ASSERT_GE(index, 0);
    const std::uint64_t expected = entities[std::size_t(index)].handle;
    EXPECT_EQ(selectWith([&] { QTest::mouseClick(&view(), Qt::LeftButton, {}, at); }), std::set<std::uint64_t>{expected});
    // Picked and dropped again: nothing is selected, which the module sees as a cancel.
    qxtest::Driver driver(*m_session);
    driver.waitFor("the selection request", [this] { return window().waitingFor() == qx::InputKind::Selection; });
    driver.act("clicking twice", [&] {
        QTest::mouseClick(&view(), Qt::LeftButton, {}, at);
        QTest::mouseClick(&view(), Qt::LeftButton, {}, at);
        QTest::keyClick(&view(), Qt::Key_Return);
    });
    driver.startTicking();
    qxds_name set{};
    EXPECT_EQ(qxedSSGet(nullptr, nullptr, nullptr, nullptr, set), QXRT_CANCEL);
}

namespace {

void pressMove(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace

TEST_F(DrawingViewTest, PanningWithTheMiddleButtonOrSpaceAndLeftMovesTheDrawingWithTheCursor)
{
    const QPointF from(500, 350), to(640, 280);
    const QPointF grabbed = view().toWorld(from);
    const double scale = view().scale();
    pressMove(view(), QEvent::MouseButtonPress, from, Qt::MiddleButton, Qt::MiddleButton);
    pressMove(view(), QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::MiddleButton);
    pressMove(view(), QEvent::MouseMove, to, Qt::NoButton, Qt::MiddleButton);
    pressMove(view(), QEvent::MouseButtonRelease, to, Qt::MiddleButton, Qt::NoButton);
    // The point grabbed follows the cursor; the scale stays.
    EXPECT_NEAR(view().toScreen(grabbed).x(), to.x(), 1e-6);
    EXPECT_NEAR(view().toScreen(grabbed).y(), to.y(), 1e-6);
    EXPECT_DOUBLE_EQ(view().scale(), scale);

    // The space bar held turns the left button into a pan, even while objects are being picked.
    view().setRequest(qx::InputKind::Selection);
    QTest::keyPress(&view(), Qt::Key_Space);
    pressMove(view(), QEvent::MouseButtonPress, to, Qt::LeftButton, Qt::LeftButton);
    pressMove(view(), QEvent::MouseMove, from, Qt::NoButton, Qt::LeftButton);
    pressMove(view(), QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::NoButton);
    QTest::keyRelease(&view(), Qt::Key_Space);
    EXPECT_NEAR(view().toScreen(grabbed).x(), from.x(), 1e-6);
    EXPECT_NEAR(view().toScreen(grabbed).y(), from.y(), 1e-6);
    EXPECT_TRUE(view().picked().empty()) << "a pan picks nothing";
    view().setRequest(qx::InputKind::Text);

    // A left drag without the space bar pans nothing.
    pressMove(view(), QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    pressMove(view(), QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    pressMove(view(), QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(view().toScreen(grabbed).x(), from.x(), 1e-6);
}

TEST_F(DrawingViewTest, ZoomingInAndOutAboutTheCursorReturnsAndZoomExtentsShowsEverything)
{
    const QRectF extents = view().scene().extents();
    const QPointF cursor(200, 500);
    const QPointF under = view().toWorld(cursor);
    const double scale = view().scale();
    const auto wheel = [this](QPointF at, int delta) {
        QWheelEvent event(at, view().mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(&view(), &event);
    };
    wheel(cursor, 360);
    wheel(cursor, -120);
    EXPECT_NEAR(view().scale(), scale * 1.5625, scale * 1e-9);
    wheel(cursor, -240);
    EXPECT_NEAR(view().scale(), scale, scale * 1e-9);
    EXPECT_NEAR(view().toScreen(under).x(), cursor.x(), 1e-6);
    EXPECT_NEAR(view().toScreen(under).y(), cursor.y(), 1e-6);

    // Far in and away: zoom to extents brings the whole drawing back, centred, filling the view
    // along one side.
    wheel(QPointF(10, 10), 1200);
    view().zoomExtents();
    const QRectF shown = QRectF(view().toScreen(extents.topLeft()), view().toScreen(extents.bottomRight())).normalized();
    EXPECT_TRUE(QRectF(view().rect()).contains(shown));
    EXPECT_NEAR(shown.center().x(), view().width() / 2.0, 1);
    EXPECT_NEAR(shown.center().y(), view().height() / 2.0, 1);
    EXPECT_NEAR(std::max(shown.width() / view().width(), shown.height() / view().height()), 0.9, 0.01);
}

// The cursor's coordinates are those of the current UCS: here moved to (100, 50) and turned
// a quarter turn, so that its x runs along the world's y.
TEST_F(DrawingViewTest, TheCoordinatesShownAreTheCursorsInTheCurrentUcs)
{
    auto& impl = qx::DbInternals::impl(*qx::currentDatabase());
    const QxGePoint3d origin = impl.ucsOrigin;
    const QxGeVector3d xdir = impl.ucsXDir, ydir = impl.ucsYDir;
    impl.ucsOrigin = QxGePoint3d(100, 50, 0);
    impl.ucsXDir = QxGeVector3d(0, 1, 0);
    impl.ucsYDir = QxGeVector3d(-1, 0, 0);
    const QPointF at(321, 123);
    QTest::mouseMove(&view(), at.toPoint());
    const QPointF world = view().toWorld(at);
    const auto* label = window().findChild<QLabel*>(QStringLiteral("coordinates"));
    ASSERT_NE(label, nullptr);
    const QStringList parts = label->text().split(QStringLiteral(", "));
    impl.ucsOrigin = origin;
    impl.ucsXDir = xdir;
    impl.ucsYDir = ydir;
    ASSERT_EQ(parts.size(), 2) << label->text().toStdString();
    EXPECT_NEAR(parts[0].toDouble(), world.y() - 50, 1e-3);
    EXPECT_NEAR(parts[1].toDouble(), -(world.x() - 100), 1e-3);
}

// A pan or zoom that has not been drawn anew yet shows the last picture moved: what was
// under a pixel is still under the pixel the pan moved it to.
TEST_F(DrawingViewTest, APictureShownWhileMovingIsTheLastOneMovedWithTheDrawing)
{
    view().finishPicture();
    const QImage before = view().grab().toImage().convertToFormat(QImage::Format_RGB32);
    view().holdPictureWhileMoving(true);
    pressMove(view(), QEvent::MouseButtonPress, QPointF(400, 300), Qt::MiddleButton, Qt::MiddleButton);
    pressMove(view(), QEvent::MouseMove, QPointF(430, 320), Qt::NoButton, Qt::MiddleButton);
    const QImage moving = view().grab().toImage().convertToFormat(QImage::Format_RGB32);
    pressMove(view(), QEvent::MouseButtonRelease, QPointF(430, 320), Qt::MiddleButton, Qt::NoButton);
    view().holdPictureWhileMoving(false);
    int drawn = 0, same = 0;
    for (int y = 0; y + 20 < before.height(); ++y)
        for (int x = 0; x + 30 < before.width(); ++x) {
            if (before.pixel(x, y) == kBackground) continue;
            ++drawn;
            same += moving.pixel(x + 30, y + 20) == before.pixel(x, y);
        }
    ASSERT_GT(drawn, 100);
    EXPECT_EQ(same, drawn);
    // Drawn anew once the user pauses: the same picture, as the drawing is the same, but for
    // pixels that rounding puts one over.
    view().finishPicture();
    const QImage after = view().grab().toImage().convertToFormat(QImage::Format_RGB32);
    int agree = 0;
    for (int y = 20; y < after.height(); ++y)
        for (int x = 30; x < after.width(); ++x) agree += after.pixel(x, y) == moving.pixel(x, y);
    EXPECT_GT(agree, 0.98 * (after.height() - 20) * (after.width() - 30));
}

// A picture made a slice at a time between events (here one object a slice) ends as the one
// made at once: no slice loses what the painter was set to by the one before.
TEST_F(DrawingViewTest, APictureDrawnInSlicesIsTheOneDrawnAtOnce)
{
    view().zoomExtents();
    view().finishPicture();
    const QImage atOnce = view().grab().toImage();
    view().setSliceMs(0);
    view().zoomExtents();
    int turns = 0;
    for (view().grab(); !view().pictureFinished() && turns < 100000; ++turns) QApplication::processEvents();
    view().setSliceMs(25);
    EXPECT_GT(turns, 10) << "drawn in slices";
    EXPECT_TRUE(view().grab().toImage() == atOnce);
}
