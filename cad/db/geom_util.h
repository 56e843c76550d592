// Small geometric helpers shared by the entity classes.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

#include "host/dbentities.h"

#define QX_NEEDS_WRITE()                                         \
    do {                                                         \
        if (!isWriteEnabled()) return Qxapp::eNotOpenForWrite;   \
    } while (0)

namespace qx::geom {

inline constexpr double kTwoPi = 2 * std::numbers::pi;

// The object coordinate system of a planar entity: the arbitrary-axis rule for its normal.
struct Ecs {
    QxGeVector3d x, y, z;
    explicit Ecs(const QxGeVector3d& normal)
    {
        const QxGePlane plane(QxGePoint3d::kOrigin, normal.isZeroLength() ? QxGeVector3d::kZAxis : normal);
        z = plane.normal();
        x = plane.xAxis();
        y = plane.yAxis();
    }
    QxGePoint3d toWorld(double u, double v, double w = 0) const
    {
        return QxGePoint3d::kOrigin + x * u + y * v + z * w;
    }
    QxGePoint3d toWorld(const QxGePoint3d& p) const { return toWorld(p.x, p.y, p.z); }
    QxGePoint3d fromWorld(const QxGePoint3d& p) const
    {
        const QxGeVector3d v = p.asVector();
        return {v.dotProduct(x), v.dotProduct(y), v.dotProduct(z)};
    }
};

// Angle in [0, 2*pi).
inline double normalizeAngle(double a)
{
    a = std::fmod(a, kTwoPi);
    if (a >= 0) return a;
    a += kTwoPi;
    return a < kTwoPi ? a : 0.0;  // a hair below zero must not become a full turn
}

// Counter-clockwise sweep from `start` to `end`, in (0, 2*pi]: an arc whose angles coincide
// is a full turn.
inline double sweep(double start, double end)
{
    const double s = normalizeAngle(end - start);
    return s <= 1e-14 ? kTwoPi : s;
}

// Tolerance for "the point lies on the curve": the global tolerance, widened with the size
// of the numbers so that a point the curve itself computed is found again.
inline double onCurveTolerance(double size)
{
    return std::max(QxGeContext::gTol.equalPoint(), 1e-9 * (1.0 + std::fabs(size)));
}

inline void growExtents(QxDbExtents& e, bool& empty, const QxGePoint3d& p)
{
    if (empty) {
        e.minPoint = e.maxPoint = p;
        empty = false;
        return;
    }
    e.minPoint = {std::min(e.minPoint.x, p.x), std::min(e.minPoint.y, p.y), std::min(e.minPoint.z, p.z)};
    e.maxPoint = {std::max(e.maxPoint.x, p.x), std::max(e.maxPoint.y, p.y), std::max(e.maxPoint.z, p.z)};
}

// Adds the world extents of the circular arc of centre c, radius r, in the plane of `ecs`,
// from angle a0 sweeping ccw by `sw`.
inline void growArcExtents(QxDbExtents& e, bool& empty, const Ecs& ecs, const QxGePoint3d& c, double r, double a0,
                           double sw)
{
    auto at = [&](double t) { return c + (ecs.x * std::cos(t) + ecs.y * std::sin(t)) * r; };
    growExtents(e, empty, at(a0));
    growExtents(e, empty, at(a0 + sw));
    const double comps[3][2] = {{ecs.x.x, ecs.y.x}, {ecs.x.y, ecs.y.y}, {ecs.x.z, ecs.y.z}};
    for (const auto& comp : comps) {
        if (std::fabs(comp[0]) < 1e-15 && std::fabs(comp[1]) < 1e-15) continue;
        const double t0 = std::atan2(comp[1], comp[0]);  // where this coordinate is largest
        for (double t : {t0, t0 + std::numbers::pi}) {
            if (normalizeAngle(t - a0) <= sw) growExtents(e, empty, at(t));
        }
    }
}

inline double determinant3(const QxGeMatrix3d& m)
{
    const auto& a = m.entry;
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

// The factor by which the transform scales lengths in the plane of `ecs` (uniform scaling
// assumed, as for circles).
inline double planeScale(const QxGeMatrix3d& m, const Ecs& ecs)
{
    QxGeVector3d v = ecs.x;
    return v.transformBy(m).length();
}

// The transformed normal of a planar entity.
inline QxGeVector3d transformNormal(const QxGeMatrix3d& m, const QxGeVector3d& normal)
{
    QxGeVector3d n = normal;
    n.transformBy(m);
    if (determinant3(m) < 0) n = -n;
    return n.normal();
}

}  // namespace qx::geom
