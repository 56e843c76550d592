#include <gtest/gtest.h>

#include <numbers>

#include "host/geometry.h"

constexpr double kPi = std::numbers::pi;

TEST(AngleOnPlane, MeasuresTheProjectionCounterClockwiseFromTheXAxis)
{
    const QxGePlane& xy = QxGePlane::kXYPlane;
    EXPECT_NEAR(QxGeVector3d(1, 1, 0).angleOnPlane(xy), kPi / 4, 1e-12);
    EXPECT_NEAR(QxGeVector3d(-1, -1, 0).angleOnPlane(xy), 5 * kPi / 4, 1e-12);  // never negative
    EXPECT_NEAR(QxGeVector3d(0, -1, 5).angleOnPlane(xy), 3 * kPi / 2, 1e-12);   // Z does not count
    EXPECT_NEAR(QxGeVector3d(1, 0, 0).angleOnPlane(xy), 0, 1e-12);
    // Just below the X axis: almost a full turn, but never 2*pi itself.
    EXPECT_LT(QxGeVector3d(1, -1e-300, 0).angleOnPlane(xy), 2 * kPi);
    // Seen from below (normal -Z) the plane's X axis is the world's -X.
    const QxGePlane below(QxGePoint3d::kOrigin, {0, 0, -1});
    EXPECT_NEAR(QxGeVector3d(1, 0, 0).angleOnPlane(below), kPi, 1e-12);
    EXPECT_NEAR(QxGeVector3d(0, 1, 0).angleOnPlane(below), kPi / 2, 1e-12);
}

TEST(CoordinateSystems, UcsPointsToWorldAndProductsApplyTheRightFactorFirst)
{
    QxGeMatrix3d ucs;
    ucs.setCoordSystem({10, 20, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});
    QxGePoint3d q(0, 2, 3);
    q.transformBy(ucs);
    EXPECT_EQ(q, QxGePoint3d(8, 20, 3));
    QxGeVector3d v(1, 0, 0);
    v.transformBy(ucs);  // directions ignore the origin
    EXPECT_EQ(v, QxGeVector3d(0, 1, 0));

    QxGeMatrix3d move, turn;
    move.entry[0][3] = 5;
    turn.setCoordSystem(QxGePoint3d::kOrigin, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});  // 90 degrees about Z
    QxGePoint3d p(1, 0, 0);
    p.transformBy(turn * move);  // move to (6,0,0), then turn
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 6, 1e-12);
}
