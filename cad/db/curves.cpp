// Curves, computed from their geometry. Areas follow what a CAD user expects of the command
// that measures them: a closed curve encloses its inside; an open polyline's area is that
// of the figure closed by a straight segment from its end back to its start; an arc's area
// is its circular segment, between the arc and its chord; a line encloses nothing.
#include "cad/db/geom_util.h"

using qx::geom::Ecs;
using qx::geom::kTwoPi;

// Curve ---------------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbCurve::getStartParam(double& param) const
{
    param = 0;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCurve::getStartPoint(QxGePoint3d& point) const
{
    double p = 0;
    const Qxapp::ErrorStatus es = getStartParam(p);
    return es == Qxapp::eOk ? getPointAtParam(p, point) : es;
}

Qxapp::ErrorStatus QxDbCurve::getEndPoint(QxGePoint3d& point) const
{
    double p = 0;
    const Qxapp::ErrorStatus es = getEndParam(p);
    return es == Qxapp::eOk ? getPointAtParam(p, point) : es;
}

Qxapp::ErrorStatus QxDbCurve::getDistAtPoint(const QxGePoint3d& point, double& dist) const
{
    double p = 0;
    const Qxapp::ErrorStatus es = getParamAtPoint(point, p);
    return es == Qxapp::eOk ? getDistAtParam(p, dist) : es;
}

namespace {

// Parameters a hair outside the curve's range (rounding) are taken as its ends.
bool clampParam(double& p, double start, double end)
{
    const double tol = 1e-9 * (1.0 + std::max(std::fabs(start), std::fabs(end)));
    if (!(p >= start - tol && p <= end + tol)) return false;
    p = std::clamp(p, start, end);
    return true;
}

}  // namespace

// Line ----------------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbLine::setStartPoint(const QxGePoint3d& p) { QX_NEEDS_WRITE(); m_start = p; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbLine::setEndPoint(const QxGePoint3d& p) { QX_NEEDS_WRITE(); m_end = p; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbLine::setThickness(double t) { QX_NEEDS_WRITE(); m_extrusion.setThickness(t); return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbLine::setNormal(const QxGeVector3d& n)
{
    QX_NEEDS_WRITE();
    if (n.isZeroLength()) return Qxapp::eInvalidInput;
    m_extrusion.setNormal(n.normal());
    return Qxapp::eOk;
}

// A line's parameter is the distance from its start.
Qxapp::ErrorStatus QxDbLine::getEndParam(double& param) const
{
    param = m_start.distanceTo(m_end);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbLine::getPointAtParam(double param, QxGePoint3d& point) const
{
    const double len = m_start.distanceTo(m_end);
    if (!clampParam(param, 0, len)) return Qxapp::eInvalidInput;
    point = len == 0 ? m_start : m_start + (m_end - m_start) * (param / len);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbLine::getDistAtParam(double param, double& dist) const
{
    if (!clampParam(param, 0, m_start.distanceTo(m_end))) return Qxapp::eInvalidInput;
    dist = param;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbLine::getParamAtPoint(const QxGePoint3d& point, double& param) const
{
    const QxGeVector3d d = m_end - m_start;
    const double len = d.length();
    const double tol = qx::geom::onCurveTolerance(std::max(len, point.asVector().length()));
    if (len == 0) {
        if (point.distanceTo(m_start) > tol) return Qxapp::eInvalidInput;
        param = 0;
        return Qxapp::eOk;
    }
    const double t = (point - m_start).dotProduct(d) / len;
    if (t < -tol || t > len + tol) return Qxapp::eInvalidInput;
    if (point.distanceTo(m_start + d * (t / len)) > tol) return Qxapp::eInvalidInput;
    param = std::clamp(t, 0.0, len);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbLine::getArea(double& area) const
{
    area = 0;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbLine::getGeomExtents(QxDbExtents& extents) const
{
    bool empty = true;
    qx::geom::growExtents(extents, empty, m_start);
    qx::geom::growExtents(extents, empty, m_end);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbLine::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    m_start.transformBy(m);
    m_end.transformBy(m);
    m_extrusion.setNormal(qx::geom::transformNormal(m, m_extrusion.normal()));
    return Qxapp::eOk;
}

QxDbObject* QxDbLine::clone() const
{
    auto* copy = new QxDbLine(m_start, m_end);
    copyEntityDataTo(*copy);
    copy->m_extrusion = m_extrusion;
    return copy;
}

// Lightweight polyline --------------------------------------------------------------------
// Parameter i is vertex i; between two vertices it runs along the segment (for an arc
// segment, in proportion to the angle swept).

namespace {

struct Segment {
    QxGePoint2d p0, p1;
    double bulge = 0;
    bool isArc = false;
    double theta = 0;  // signed included angle
    double radius = 0;
    QxGePoint2d center;
    double startAngle = 0;

    Segment(const QxGePoint2d& a, const QxGePoint2d& b, double bu) : p0(a), p1(b), bulge(bu)
    {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double chord = std::hypot(dx, dy);
        if (std::fabs(bulge) < 1e-12 || chord == 0) return;
        isArc = true;
        theta = 4 * std::atan(bulge);
        radius = chord / (2 * std::fabs(std::sin(theta / 2)));
        // The centre lies left of the chord for a counter-clockwise arc, at cot(theta/2)
        // times half the chord from its middle.
        const double off = (1 - bulge * bulge) / (2 * bulge);
        center = {(a.x + b.x) / 2 - dy / 2 * off, (a.y + b.y) / 2 + dx / 2 * off};
        startAngle = std::atan2(a.y - center.y, a.x - center.x);
    }
    double length() const { return isArc ? radius * std::fabs(theta) : std::hypot(p1.x - p0.x, p1.y - p0.y); }
    QxGePoint2d at(double f) const
    {
        if (!isArc) return {p0.x + (p1.x - p0.x) * f, p0.y + (p1.y - p0.y) * f};
        const double a = startAngle + theta * f;
        return {center.x + radius * std::cos(a), center.y + radius * std::sin(a)};
    }
    // The signed area between the arc and its chord: positive when the arc bulges to the
    // right of the direction of travel (a positive bulge), which is outwards for a
    // counter-clockwise outline.
    double signedSegmentArea() const
    {
        if (!isArc) return 0;
        const double t = std::fabs(theta);
        return (bulge > 0 ? 1 : -1) * radius * radius / 2 * (t - std::sin(t));
    }
    // The fraction along the segment of a point on it, or a negative value.
    double fractionOf(const QxGePoint2d& p, double tol) const
    {
        if (!isArc) {
            const double dx = p1.x - p0.x, dy = p1.y - p0.y;
            const double len2 = dx * dx + dy * dy;
            if (len2 == 0) return std::hypot(p.x - p0.x, p.y - p0.y) <= tol ? 0 : -1;
            const double f = ((p.x - p0.x) * dx + (p.y - p0.y) * dy) / len2;
            const double len = std::sqrt(len2);
            if (f < -tol / len || f > 1 + tol / len) return -1;
            const QxGePoint2d q = at(std::clamp(f, 0.0, 1.0));
            return std::hypot(p.x - q.x, p.y - q.y) <= tol ? std::clamp(f, 0.0, 1.0) : -1;
        }
        if (std::fabs(std::hypot(p.x - center.x, p.y - center.y) - radius) > tol) return -1;
        double rel = std::atan2(p.y - center.y, p.x - center.x) - startAngle;
        if (theta < 0) rel = -rel;
        rel = qx::geom::normalizeAngle(rel);
        const double t = std::fabs(theta);
        const double angTol = tol / radius;
        if (rel <= t + angTol) return std::min(rel / t, 1.0);
        if (kTwoPi - rel <= angTol) return 0;
        return -1;
    }
};

}  // namespace

Qxapp::ErrorStatus QxDbPolyline::addVertexAt(unsigned int index, const QxGePoint2d& point, double bulge,
                                             double startWidth, double endWidth)
{
    QX_NEEDS_WRITE();
    if (index > m_vertices.size()) return Qxapp::eInvalidIndex;
    Vertex v;
    v.point = point;
    v.bulge = bulge;
    v.startWidth = std::max(startWidth, 0.0);
    v.endWidth = std::max(endWidth, 0.0);
    m_vertices.insert(m_vertices.begin() + index, v);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::removeVertexAt(unsigned int index)
{
    QX_NEEDS_WRITE();
    if (index >= m_vertices.size()) return Qxapp::eInvalidIndex;
    m_vertices.erase(m_vertices.begin() + index);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getPointAt(unsigned int index, QxGePoint2d& point) const
{
    if (index >= m_vertices.size()) return Qxapp::eInvalidIndex;
    point = m_vertices[index].point;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getPointAt(unsigned int index, QxGePoint3d& point) const
{
    if (index >= m_vertices.size()) return Qxapp::eInvalidIndex;
    point = Ecs(m_extrusion.normal()).toWorld(m_vertices[index].point.x, m_vertices[index].point.y, m_elevation);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getBulgeAt(unsigned int index, double& bulge) const
{
    if (index >= m_vertices.size()) return Qxapp::eInvalidIndex;
    bulge = m_vertices[index].bulge;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::setBulgeAt(unsigned int index, double bulge)
{
    QX_NEEDS_WRITE();
    if (index >= m_vertices.size()) return Qxapp::eInvalidIndex;
    m_vertices[index].bulge = bulge;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const
{
    if (index >= m_vertices.size()) return Qxapp::eInvalidIndex;
    startWidth = m_vertices[index].startWidth;
    endWidth = m_vertices[index].endWidth;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::setWidthsAt(unsigned int index, double startWidth, double endWidth)
{
    QX_NEEDS_WRITE();
    if (index >= m_vertices.size()) return Qxapp::eInvalidIndex;
    if (startWidth < 0 || endWidth < 0) return Qxapp::eInvalidInput;
    m_vertices[index].startWidth = startWidth;
    m_vertices[index].endWidth = endWidth;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getConstantWidth(double& width) const
{
    width = 0;
    if (m_vertices.empty()) return Qxapp::eOk;
    // Only the widths of segments count: an open polyline's last vertex starts none.
    const std::size_t segments = m_closed ? m_vertices.size() : m_vertices.size() - 1;
    const double w = m_vertices.front().startWidth;
    for (std::size_t i = 0; i < std::max<std::size_t>(segments, 1); ++i) {
        if (m_vertices[i].startWidth != w || m_vertices[i].endWidth != w) return Qxapp::eNotApplicable;
    }
    width = w;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::setConstantWidth(double width)
{
    QX_NEEDS_WRITE();
    if (width < 0) return Qxapp::eInvalidInput;
    for (Vertex& v : m_vertices) v.startWidth = v.endWidth = width;
    return Qxapp::eOk;
}

void QxDbPolyline::setClosed(bool closed)
{
    if (isWriteEnabled()) m_closed = closed;
}
void QxDbPolyline::setPlinegen(bool plinegen)
{
    if (isWriteEnabled()) m_plinegen = plinegen;
}
Qxapp::ErrorStatus QxDbPolyline::setThickness(double t) { QX_NEEDS_WRITE(); m_extrusion.setThickness(t); return Qxapp::eOk; }
void QxDbPolyline::setElevation(double elevation)
{
    if (isWriteEnabled()) m_elevation = elevation;
}
Qxapp::ErrorStatus QxDbPolyline::setNormal(const QxGeVector3d& n)
{
    QX_NEEDS_WRITE();
    if (n.isZeroLength()) return Qxapp::eInvalidInput;
    m_extrusion.setNormal(n.normal());
    return Qxapp::eOk;
}

namespace {
std::size_t segmentCount(std::size_t vertices, bool closed)
{
    if (vertices < 2) return 0;
    return closed ? vertices : vertices - 1;
}
}  // namespace

Qxapp::ErrorStatus QxDbPolyline::getEndParam(double& param) const
{
    if (m_vertices.empty()) return Qxapp::eNotApplicable;
    param = static_cast<double>(segmentCount(m_vertices.size(), m_closed));
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getPointAtParam(double param, QxGePoint3d& point) const
{
    if (m_vertices.empty()) return Qxapp::eNotApplicable;
    const std::size_t n = m_vertices.size(), segs = segmentCount(n, m_closed);
    if (!clampParam(param, 0, static_cast<double>(segs))) return Qxapp::eInvalidInput;
    QxGePoint2d p = m_vertices.front().point;
    if (segs) {
        const std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(param), segs - 1);
        const Segment s(m_vertices[i].point, m_vertices[(i + 1) % n].point, m_vertices[i].bulge);
        p = s.at(param - static_cast<double>(i));
    }
    point = Ecs(m_extrusion.normal()).toWorld(p.x, p.y, m_elevation);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getDistAtParam(double param, double& dist) const
{
    if (m_vertices.empty()) return Qxapp::eNotApplicable;
    const std::size_t n = m_vertices.size(), segs = segmentCount(n, m_closed);
    if (!clampParam(param, 0, static_cast<double>(segs))) return Qxapp::eInvalidInput;
    dist = 0;
    for (std::size_t i = 0; i < segs && static_cast<double>(i) < param; ++i) {
        const Segment s(m_vertices[i].point, m_vertices[(i + 1) % n].point, m_vertices[i].bulge);
        dist += s.length() * std::min(1.0, param - static_cast<double>(i));
    }
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getParamAtPoint(const QxGePoint3d& point, double& param) const
{
    if (m_vertices.empty()) return Qxapp::eNotApplicable;
    const Ecs ecs(m_extrusion.normal());
    const QxGePoint3d local = ecs.fromWorld(point);
    const double tol = qx::geom::onCurveTolerance(local.asVector().length());
    if (std::fabs(local.z - m_elevation) > tol) return Qxapp::eInvalidInput;
    const QxGePoint2d p{local.x, local.y};
    const std::size_t n = m_vertices.size(), segs = segmentCount(n, m_closed);
    if (segs == 0) {
        if (std::hypot(p.x - m_vertices[0].point.x, p.y - m_vertices[0].point.y) > tol) return Qxapp::eInvalidInput;
        param = 0;
        return Qxapp::eOk;
    }
    for (std::size_t i = 0; i < segs; ++i) {
        const Segment s(m_vertices[i].point, m_vertices[(i + 1) % n].point, m_vertices[i].bulge);
        const double f = s.fractionOf(p, tol);
        if (f >= 0) {
            param = static_cast<double>(i) + f;
            return Qxapp::eOk;
        }
    }
    return Qxapp::eInvalidInput;
}

Qxapp::ErrorStatus QxDbPolyline::getArea(double& area) const
{
    area = 0;
    const std::size_t n = m_vertices.size();
    if (n < 2) return Qxapp::eOk;
    double twice = 0;  // shoelace over the outline, closed back to the first vertex
    for (std::size_t i = 0; i < n; ++i) {
        const QxGePoint2d& a = m_vertices[i].point;
        const QxGePoint2d& b = m_vertices[(i + 1) % n].point;
        twice += a.x * b.y - b.x * a.y;
    }
    double signedArea = twice / 2;
    // An open polyline closes with a straight segment: the last vertex's bulge does not count.
    for (std::size_t i = 0; i < segmentCount(n, m_closed); ++i) {
        signedArea += Segment(m_vertices[i].point, m_vertices[(i + 1) % n].point, m_vertices[i].bulge)
                          .signedSegmentArea();
    }
    area = std::fabs(signedArea);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::getGeomExtents(QxDbExtents& extents) const
{
    if (m_vertices.empty()) return Qxapp::eNotApplicable;
    const Ecs ecs(m_extrusion.normal());
    bool empty = true;
    const std::size_t n = m_vertices.size();
    for (const Vertex& v : m_vertices) qx::geom::growExtents(extents, empty, ecs.toWorld(v.point.x, v.point.y, m_elevation));
    for (std::size_t i = 0; i < segmentCount(n, m_closed); ++i) {
        const Segment s(m_vertices[i].point, m_vertices[(i + 1) % n].point, m_vertices[i].bulge);
        if (!s.isArc) continue;
        const double a0 = s.theta > 0 ? s.startAngle : s.startAngle + s.theta;
        qx::geom::growArcExtents(extents, empty, ecs, ecs.toWorld(s.center.x, s.center.y, m_elevation), s.radius,
                                 a0, std::fabs(s.theta));
    }
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPolyline::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    const QxGeVector3d oldNormal = m_extrusion.normal();
    const Ecs oldEcs(oldNormal);
    const QxGeVector3d newNormal = qx::geom::transformNormal(m, oldNormal);
    const Ecs newEcs(newNormal);
    const double scale = qx::geom::planeScale(m, oldEcs);
    // Every vertex lies at the old elevation: the new one is only known once they have moved.
    const double oldElevation = m_elevation;
    for (Vertex& v : m_vertices) {
        QxGePoint3d w = oldEcs.toWorld(v.point.x, v.point.y, oldElevation);
        w.transformBy(m);
        const QxGePoint3d local = newEcs.fromWorld(w);
        v.point = {local.x, local.y};
        m_elevation = local.z;
        v.startWidth *= scale;
        v.endWidth *= scale;
    }
    if (m_vertices.empty()) {
        QxGePoint3d w = oldEcs.toWorld(0, 0, oldElevation);
        m_elevation = newEcs.fromWorld(w.transformBy(m)).z;
    }
    m_extrusion.setThickness(m_extrusion.thickness() * scale);
    m_extrusion.setNormal(newNormal);
    return Qxapp::eOk;
}

QxDbObject* QxDbPolyline::clone() const
{
    auto* copy = new QxDbPolyline;
    copyEntityDataTo(*copy);
    copy->m_vertices = m_vertices;
    copy->m_closed = m_closed;
    copy->m_plinegen = m_plinegen;
    copy->m_elevation = m_elevation;
    copy->m_extrusion = m_extrusion;
    return copy;
}

// Circle --------------------------------------------------------------------------------
// The parameter is the angle from the axis of the circle's plane, 0 to 2*pi.

Qxapp::ErrorStatus QxDbCircle::setCenter(const QxGePoint3d& c) { QX_NEEDS_WRITE(); m_center = c; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbCircle::setRadius(double r)
{
    QX_NEEDS_WRITE();
    if (!(r > 0)) return Qxapp::eInvalidInput;
    m_radius = r;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbCircle::setThickness(double t) { QX_NEEDS_WRITE(); m_extrusion.setThickness(t); return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbCircle::setNormal(const QxGeVector3d& n)
{
    QX_NEEDS_WRITE();
    if (n.isZeroLength()) return Qxapp::eInvalidInput;
    m_extrusion.setNormal(n.normal());
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCircle::getEndParam(double& param) const
{
    param = kTwoPi;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCircle::getPointAtParam(double param, QxGePoint3d& point) const
{
    if (!clampParam(param, 0, kTwoPi)) return Qxapp::eInvalidInput;
    const Ecs ecs(m_extrusion.normal());
    point = m_center + (ecs.x * std::cos(param) + ecs.y * std::sin(param)) * m_radius;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCircle::getDistAtParam(double param, double& dist) const
{
    if (!clampParam(param, 0, kTwoPi)) return Qxapp::eInvalidInput;
    dist = m_radius * param;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCircle::getParamAtPoint(const QxGePoint3d& point, double& param) const
{
    const Ecs ecs(m_extrusion.normal());
    const QxGeVector3d v = point - m_center;
    const double tol = qx::geom::onCurveTolerance(m_radius + m_center.asVector().length());
    if (std::fabs(v.dotProduct(ecs.z)) > tol) return Qxapp::eInvalidInput;
    if (std::fabs(v.length() - m_radius) > tol) return Qxapp::eInvalidInput;
    param = qx::geom::normalizeAngle(std::atan2(v.dotProduct(ecs.y), v.dotProduct(ecs.x)));
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCircle::getArea(double& area) const
{
    area = std::numbers::pi * m_radius * m_radius;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCircle::getGeomExtents(QxDbExtents& extents) const
{
    bool empty = true;
    qx::geom::growArcExtents(extents, empty, Ecs(m_extrusion.normal()), m_center, m_radius, 0, kTwoPi);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbCircle::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    const QxGeVector3d normal = m_extrusion.normal();
    const double scale = qx::geom::planeScale(m, Ecs(normal));
    m_center.transformBy(m);
    m_radius *= scale;
    m_extrusion.setThickness(m_extrusion.thickness() * scale);
    m_extrusion.setNormal(qx::geom::transformNormal(m, normal));
    return Qxapp::eOk;
}

QxDbObject* QxDbCircle::clone() const
{
    auto* copy = new QxDbCircle(m_center, m_radius);
    copyEntityDataTo(*copy);
    copy->m_extrusion = m_extrusion;
    return copy;
}

// Arc -----------------------------------------------------------------------------------
// The parameter is the angle: from the start angle to the start angle plus the sweep.

Qxapp::ErrorStatus QxDbArc::setCenter(const QxGePoint3d& c) { QX_NEEDS_WRITE(); m_center = c; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbArc::setRadius(double r)
{
    QX_NEEDS_WRITE();
    if (!(r > 0)) return Qxapp::eInvalidInput;
    m_radius = r;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbArc::setStartAngle(double a) { QX_NEEDS_WRITE(); m_startAngle = a; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbArc::setEndAngle(double a) { QX_NEEDS_WRITE(); m_endAngle = a; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbArc::setThickness(double t) { QX_NEEDS_WRITE(); m_extrusion.setThickness(t); return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbArc::setNormal(const QxGeVector3d& n)
{
    QX_NEEDS_WRITE();
    if (n.isZeroLength()) return Qxapp::eInvalidInput;
    m_extrusion.setNormal(n.normal());
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::getStartParam(double& param) const
{
    param = m_startAngle;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::getEndParam(double& param) const
{
    param = m_startAngle + qx::geom::sweep(m_startAngle, m_endAngle);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::getPointAtParam(double param, QxGePoint3d& point) const
{
    if (!clampParam(param, m_startAngle, m_startAngle + qx::geom::sweep(m_startAngle, m_endAngle)))
        return Qxapp::eInvalidInput;
    const Ecs ecs(m_extrusion.normal());
    point = m_center + (ecs.x * std::cos(param) + ecs.y * std::sin(param)) * m_radius;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::getDistAtParam(double param, double& dist) const
{
    if (!clampParam(param, m_startAngle, m_startAngle + qx::geom::sweep(m_startAngle, m_endAngle)))
        return Qxapp::eInvalidInput;
    dist = m_radius * (param - m_startAngle);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::getParamAtPoint(const QxGePoint3d& point, double& param) const
{
    const Ecs ecs(m_extrusion.normal());
    const QxGeVector3d v = point - m_center;
    const double tol = qx::geom::onCurveTolerance(m_radius + m_center.asVector().length());
    if (std::fabs(v.dotProduct(ecs.z)) > tol) return Qxapp::eInvalidInput;
    if (std::fabs(v.length() - m_radius) > tol) return Qxapp::eInvalidInput;
    const double sw = qx::geom::sweep(m_startAngle, m_endAngle);
    const double rel = qx::geom::normalizeAngle(std::atan2(v.dotProduct(ecs.y), v.dotProduct(ecs.x)) - m_startAngle);
    const double angTol = m_radius > 0 ? tol / m_radius : 0;
    if (rel <= sw + angTol) {
        param = m_startAngle + std::min(rel, sw);
    } else if (kTwoPi - rel <= angTol) {
        param = m_startAngle;  // the start point, computed a hair before it
    } else {
        return Qxapp::eInvalidInput;
    }
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::getArea(double& area) const
{
    const double sw = qx::geom::sweep(m_startAngle, m_endAngle);
    area = m_radius * m_radius / 2 * (sw - std::sin(sw));
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::getGeomExtents(QxDbExtents& extents) const
{
    bool empty = true;
    qx::geom::growArcExtents(extents, empty, Ecs(m_extrusion.normal()), m_center, m_radius, m_startAngle,
                             qx::geom::sweep(m_startAngle, m_endAngle));
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbArc::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    const QxGeVector3d oldNormal = m_extrusion.normal();
    const Ecs oldEcs(oldNormal);
    QxGePoint3d start = m_center + (oldEcs.x * std::cos(m_startAngle) + oldEcs.y * std::sin(m_startAngle)) * m_radius;
    QxGePoint3d end = m_center + (oldEcs.x * std::cos(m_endAngle) + oldEcs.y * std::sin(m_endAngle)) * m_radius;
    const double scale = qx::geom::planeScale(m, oldEcs);
    m_center.transformBy(m);
    start.transformBy(m);
    end.transformBy(m);
    // The normal follows the orientation of the transform, so the arc still runs
    // counter-clockwise about it from start to end, mirrored or not.
    const QxGeVector3d newNormal = qx::geom::transformNormal(m, oldNormal);
    m_extrusion.setNormal(newNormal);
    const Ecs ecs(newNormal);
    auto angleOf = [&](const QxGePoint3d& p) {
        const QxGeVector3d v = p - m_center;
        return qx::geom::normalizeAngle(std::atan2(v.dotProduct(ecs.y), v.dotProduct(ecs.x)));
    };
    const double sw = qx::geom::sweep(m_startAngle, m_endAngle);
    m_startAngle = angleOf(start);
    m_endAngle = sw >= kTwoPi ? m_startAngle + kTwoPi : angleOf(end);
    m_radius *= scale;
    m_extrusion.setThickness(m_extrusion.thickness() * scale);
    return Qxapp::eOk;
}

QxDbObject* QxDbArc::clone() const
{
    auto* copy = new QxDbArc(m_center, m_radius, m_startAngle, m_endAngle);
    copyEntityDataTo(*copy);
    copy->m_extrusion = m_extrusion;
    return copy;
}
