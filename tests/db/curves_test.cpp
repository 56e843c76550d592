#include <numbers>
#include <vector>

#include "db_fixture.h"

namespace {
constexpr double kPi = std::numbers::pi;

std::unique_ptr<QxDbPolyline> polyline(std::initializer_list<std::array<double, 3>> vertices, bool closed)
{
    auto pl = std::make_unique<QxDbPolyline>();
    unsigned int i = 0;
    for (const auto& v : vertices) pl->addVertexAt(i++, {v[0], v[1]}, v[2]);
    pl->setClosed(closed);
    return pl;
}

double area(const QxDbCurve& c)
{
    double a = -1;
    EXPECT_EQ(c.getArea(a), Qxapp::eOk);
    return a;
}

double length(const QxDbCurve& c)
{
    double end = 0, d = -1;
    EXPECT_EQ(c.getEndParam(end), Qxapp::eOk);
    EXPECT_EQ(c.getDistAtParam(end, d), Qxapp::eOk);
    return d;
}
}  // namespace

TEST(PolylineGeometry, ClosedSquareWithAnOutwardAndAnInwardHalfCircle)
{
    // A 10 x 10 square run counter-clockwise; its right edge replaced by a half circle of
    // radius 5. A positive bulge bulges to the right of travel, which is outwards here.
    auto out = polyline({{0, 0, 0}, {10, 0, 1}, {10, 10, 0}, {0, 10, 0}}, true);
    EXPECT_NEAR(area(*out), 100 + kPi * 25 / 2, 1e-9);
    EXPECT_NEAR(length(*out), 30 + 5 * kPi, 1e-9);
    double end = 0;
    out->getEndParam(end);
    EXPECT_EQ(end, 4);  // closed: one parameter per segment, the closing one included
    EXPECT_NEAR(area(*polyline({{0, 0, 0}, {10, 0, -1}, {10, 10, 0}, {0, 10, 0}}, true)), 100 - kPi * 25 / 2, 1e-9);
    // The same outline run clockwise: the bulge that points outwards is now negative.
    EXPECT_NEAR(area(*polyline({{0, 10, 0}, {10, 10, -1}, {10, 0, 0}, {0, 0, 0}}, true)), 100 + kPi * 25 / 2, 1e-9);
}

TEST(PolylineGeometry, OpenPolylineClosesWithAStraightSegment)
{
    // Open: (0,0) -> (10,0) -> half circle to (10,10). The area is that of the figure closed
    // by the straight segment back to the start; the last vertex's bulge has no segment.
    auto plptr = polyline({{0, 0, 0}, {10, 0, 1}, {10, 10, 1}}, false);
    QxDbPolyline& pl = *plptr;
    EXPECT_NEAR(area(pl), 50 + kPi * 25 / 2, 1e-9);
    EXPECT_NEAR(length(pl), 10 + 5 * kPi, 1e-9);
    double end = 0;
    pl.getEndParam(end);
    EXPECT_EQ(end, 2);

    // Half way along the arc: the point furthest right, at a quarter of the circle.
    QxGePoint3d mid;
    ASSERT_EQ(pl.getPointAtParam(1.5, mid), Qxapp::eOk);
    EXPECT_NEAR(mid.x, 15, 1e-9);
    EXPECT_NEAR(mid.y, 5, 1e-9);
    double dist = 0, param = 0;
    ASSERT_EQ(pl.getDistAtParam(1.5, dist), Qxapp::eOk);
    EXPECT_NEAR(dist, 10 + 2.5 * kPi, 1e-9);
    ASSERT_EQ(pl.getParamAtPoint(mid, param), Qxapp::eOk);
    EXPECT_NEAR(param, 1.5, 1e-9);
    ASSERT_EQ(pl.getDistAtPoint({4, 0, 0}, dist), Qxapp::eOk);
    EXPECT_NEAR(dist, 4, 1e-12);
    EXPECT_EQ(pl.getParamAtPoint({5, 5, 0}, param), Qxapp::eInvalidInput);  // not on the curve
    EXPECT_EQ(pl.getDistAtParam(2.5, dist), Qxapp::eInvalidInput);

    QxGePoint3d endPoint;
    ASSERT_EQ(pl.getEndPoint(endPoint), Qxapp::eOk);
    EXPECT_NEAR(endPoint.y, 10, 1e-9);
}

TEST(PolylineGeometry, ConstantWidthOnlyWhenEverySegmentAgrees)
{
    auto plptr = polyline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, false);
    QxDbPolyline& pl = *plptr;
    double w = -1;
    EXPECT_EQ(pl.getConstantWidth(w), Qxapp::eOk);
    EXPECT_EQ(w, 0);
    pl.setConstantWidth(0.5);
    EXPECT_EQ(pl.getConstantWidth(w), Qxapp::eOk);
    EXPECT_EQ(w, 0.5);
    pl.setWidthsAt(1, 0.5, 1.0);
    EXPECT_EQ(pl.getConstantWidth(w), Qxapp::eNotApplicable);
}

TEST(PolylineGeometry, ElevationAndNormalPlaceVerticesInTheWorld)
{
    auto plptr = polyline({{1, 2, 0}, {3, 4, 0}}, false);
    QxDbPolyline& pl = *plptr;
    pl.setElevation(5);
    QxGePoint3d p;
    ASSERT_EQ(pl.getPointAt(1, p), Qxapp::eOk);
    EXPECT_EQ(p, QxGePoint3d(3, 4, 5));
    pl.setNormal({0, 0, -1});  // seen from below, the plane's X axis is the world's -X
    ASSERT_EQ(pl.getPointAt(1, p), Qxapp::eOk);
    EXPECT_NEAR(p.x, -3, 1e-12);
    EXPECT_NEAR(p.y, 4, 1e-12);
    EXPECT_NEAR(p.z, -5, 1e-12);
    double param = 0;
    EXPECT_EQ(pl.getParamAtPoint(p, param), Qxapp::eOk);
    EXPECT_NEAR(param, 1, 1e-12);
}

TEST(ArcGeometry, LengthAndAreaOfTheSegment)
{
    QxDbArc quarter({0, 0, 0}, 2, 0, kPi / 2);
    EXPECT_NEAR(length(quarter), kPi, 1e-12);
    EXPECT_NEAR(area(quarter), 2 * (kPi / 2 - 1), 1e-12);  // between arc and chord
    EXPECT_FALSE(quarter.isClosed());

    QxDbArc big({0, 0, 0}, 2, 0, 3 * kPi / 2);  // more than half: the segment holds the centre
    EXPECT_NEAR(area(big), 2 * (3 * kPi / 2 + 1), 1e-12);
}

TEST(ArcGeometry, AnArcThatCrossesAngleZero)
{
    // From 270 to 90 degrees counter-clockwise: half a circle, although end < start.
    QxDbArc arc({5, 5, 0}, 2, 3 * kPi / 2, kPi / 2);
    EXPECT_NEAR(length(arc), 2 * kPi, 1e-12);
    EXPECT_NEAR(area(arc), 2 * kPi, 1e-12);
    QxGePoint3d end;
    ASSERT_EQ(arc.getEndPoint(end), Qxapp::eOk);
    EXPECT_NEAR(end.x, 5, 1e-12);
    EXPECT_NEAR(end.y, 7, 1e-12);
    double dist = 0;
    ASSERT_EQ(arc.getDistAtPoint(end, dist), Qxapp::eOk);
    EXPECT_NEAR(dist, 2 * kPi, 1e-9);
    ASSERT_EQ(arc.getDistAtPoint({7, 5, 0}, dist), Qxapp::eOk);  // angle 0, a quarter along
    EXPECT_NEAR(dist, kPi, 1e-9);
    EXPECT_EQ(arc.getDistAtPoint({3, 5, 0}, dist), Qxapp::eInvalidInput);  // on the circle, not the arc
}

TEST(CircleGeometry, AreaCircumferenceAndParameters)
{
    QxDbCircle c({1, 1, 0}, 3);
    EXPECT_TRUE(c.isClosed());
    EXPECT_NEAR(area(c), 9 * kPi, 1e-12);
    EXPECT_NEAR(length(c), 6 * kPi, 1e-12);
    double param = 0;
    ASSERT_EQ(c.getParamAtPoint({1, -2, 0}, param), Qxapp::eOk);
    EXPECT_NEAR(param, 3 * kPi / 2, 1e-12);
    EXPECT_EQ(c.getParamAtPoint({1, 1, 0}, param), Qxapp::eInvalidInput);
    QxDbExtents e;
    ASSERT_EQ(c.getGeomExtents(e), Qxapp::eOk);
    EXPECT_NEAR(e.minPoint.x, -2, 1e-12);
    EXPECT_NEAR(e.maxPoint.y, 4, 1e-12);
}

TEST(LineGeometry, LengthAndParameters)
{
    QxDbLine line({0, 0, 0}, {3, 4, 0});
    EXPECT_NEAR(length(line), 5, 1e-12);
    EXPECT_EQ(area(line), 0);
    double dist = 0;
    ASSERT_EQ(line.getDistAtPoint({1.5, 2, 0}, dist), Qxapp::eOk);
    EXPECT_NEAR(dist, 2.5, 1e-12);
    EXPECT_EQ(line.getDistAtPoint({6, 8, 0}, dist), Qxapp::eInvalidInput);  // on the ray, past the end
}

TEST(Transforms, RotatingAndMirroringKeepsMeasurements)
{
    QxGeMatrix3d turn;  // 90 degrees about Z, then 10 along X
    turn.setCoordSystem({10, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});
    auto plptr = polyline({{0, 0, 0}, {10, 0, 1}, {10, 10, 0}, {0, 10, 0}}, true);
    QxDbPolyline& pl = *plptr;
    const double before = area(pl);
    ASSERT_EQ(pl.transformBy(turn), Qxapp::eOk);
    EXPECT_NEAR(area(pl), before, 1e-9);
    QxGePoint3d p;
    pl.getPointAt(1, p);
    EXPECT_NEAR(p.x, 10, 1e-9);
    EXPECT_NEAR(p.y, 10, 1e-9);

    QxGeMatrix3d mirror;  // x -> -x
    mirror.entry[0][0] = -1;
    QxDbArc arc({0, 0, 0}, 2, 0, kPi / 2);
    ASSERT_EQ(arc.transformBy(mirror), Qxapp::eOk);
    EXPECT_NEAR(length(arc), kPi, 1e-12);
    QxGePoint3d start, end;
    arc.getStartPoint(start);
    arc.getEndPoint(end);
    EXPECT_NEAR(start.x, -2, 1e-12);  // the mirrored arc still runs from (2,0)'s image
    EXPECT_NEAR(end.y, 2, 1e-12);

    QxDbCircle circle({1, 0, 0}, 2);
    QxGeMatrix3d twice;
    twice.entry[0][0] = twice.entry[1][1] = twice.entry[2][2] = 2;
    ASSERT_EQ(circle.transformBy(twice), Qxapp::eOk);
    EXPECT_EQ(circle.radius(), 4);
    EXPECT_EQ(circle.center(), QxGePoint3d(2, 0, 0));
}

namespace {

// Tilts the curve and gives it a thickness, then checks that points along it, moved by `m`,
// lie on the curve moved by `m`; that its length and area scale with it; and that its normal
// turns with it.
template <class T>
void expectTiltedCurveFollows(T& curve, const QxGeMatrix3d& m, double scale, double thicknessAfter)
{
    const QxGeVector3d tilt(1, -2, 2);
    ASSERT_EQ(curve.setNormal(tilt), Qxapp::eOk);
    ASSERT_EQ(curve.setThickness(1.5), Qxapp::eOk);
    const double lengthBefore = length(curve), areaBefore = area(curve);
    double start = 0, end = 0;
    curve.getStartParam(start);
    curve.getEndParam(end);
    std::vector<QxGePoint3d> moved;
    for (int k = 0; k <= 6; ++k) {
        QxGePoint3d p;
        ASSERT_EQ(curve.getPointAtParam(start + (end - start) * k / 6, p), Qxapp::eOk);
        moved.push_back(p.transformBy(m));
    }
    QxGeVector3d turned = tilt;
    turned = turned.transformBy(m).normal();

    ASSERT_EQ(curve.transformBy(m), Qxapp::eOk);
    for (const QxGePoint3d& p : moved) {
        double param = 0;
        EXPECT_EQ(curve.getParamAtPoint(p, param), Qxapp::eOk) << p.x << ", " << p.y << ", " << p.z;
    }
    EXPECT_NEAR(length(curve), scale * lengthBefore, 1e-9);
    EXPECT_NEAR(area(curve), scale * scale * areaBefore, 1e-9);
    EXPECT_NEAR(curve.normal().x, turned.x, 1e-12);
    EXPECT_NEAR(curve.normal().y, turned.y, 1e-12);
    EXPECT_NEAR(curve.normal().z, turned.z, 1e-12);
    EXPECT_NEAR(curve.thickness(), thicknessAfter, 1e-12);
}

}  // namespace

TEST(Transforms, CurvesInATiltedPlaneFollowTheTransform)
{
    // A quarter turn about Z, twice the size, then a shift that changes every elevation.
    QxGeMatrix3d m;
    m.setCoordSystem({1, 2, 3}, {0, 2, 0}, {-2, 0, 0}, {0, 0, 2});
    QxDbLine line({0, 0, 0}, {2, -1, 0});
    QxDbCircle circle({1, 1, 1}, 2);
    QxDbArc arc({0, 0, 5}, 3, 0.5, 2.5);
    auto pl = polyline({{0, 0, 0}, {4, 0, 1}, {4, 4, 0}}, true);
    pl->setElevation(2);
    auto check = [&m](const char* kind, auto& curve, double thicknessAfter) {
        SCOPED_TRACE(kind);
        expectTiltedCurveFollows(curve, m, 2, thicknessAfter);
    };
    check("line", line, 1.5);  // a line's thickness does not scale with it
    check("circle", circle, 3);
    check("arc", arc, 3);
    check("polyline", *pl, 3);
}

TEST(Extents, ArcsCountOnlyTheSweptPart)
{
    QxDbArc arc({0, 0, 0}, 1, 0, kPi / 2);
    QxDbExtents e;
    ASSERT_EQ(arc.getGeomExtents(e), Qxapp::eOk);
    EXPECT_NEAR(e.minPoint.x, 0, 1e-12);
    EXPECT_NEAR(e.minPoint.y, 0, 1e-12);
    EXPECT_NEAR(e.maxPoint.x, 1, 1e-12);
    EXPECT_NEAR(e.maxPoint.y, 1, 1e-12);
    auto pl = polyline({{0, 0, 1}, {10, 0, 0}}, false);  // half circle below the chord
    ASSERT_EQ(pl->getGeomExtents(e), Qxapp::eOk);
    EXPECT_NEAR(e.minPoint.y, -5, 1e-9);
    EXPECT_NEAR(e.maxPoint.y, 0, 1e-9);
}
