// Geometry values: points, vectors, matrices, scales and planes. Plain values, computed inline.
#pragma once

#include <array>
#include <cmath>
#include <numbers>

class QxGeMatrix3d;

class QxGeTol {
public:
    QxGeTol() = default;
    QxGeTol(double equalPoint, double equalVector) : m_point(equalPoint), m_vector(equalVector) {}
    double equalPoint() const { return m_point; }
    double equalVector() const { return m_vector; }

private:
    double m_point = 1e-10;
    double m_vector = 1e-12;
};

struct QxGeContext {
    static const QxGeTol gTol;  // the host's global tolerance
};
inline const QxGeTol QxGeContext::gTol{};

class QxGeVector3d {
public:
    double x = 0, y = 0, z = 0;
    QxGeVector3d() = default;
    constexpr QxGeVector3d(double ax, double ay, double az) : x(ax), y(ay), z(az) {}
    static const QxGeVector3d kXAxis, kYAxis, kZAxis, kIdentity;

    double length() const { return std::sqrt(x * x + y * y + z * z); }
    double dotProduct(const QxGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
    QxGeVector3d crossProduct(const QxGeVector3d& v) const
    {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
    QxGeVector3d& normalize(const QxGeTol& tol = QxGeContext::gTol)
    {
        const double len = length();
        if (len > tol.equalVector()) {
            x /= len;
            y /= len;
            z /= len;
        }
        return *this;
    }
    QxGeVector3d normal(const QxGeTol& tol = QxGeContext::gTol) const { return QxGeVector3d(*this).normalize(tol); }
    bool isZeroLength(const QxGeTol& tol = QxGeContext::gTol) const { return length() <= tol.equalVector(); }
    // Angle of the vector's projection on the plane, measured counter-clockwise from the
    // plane's reference X axis about its normal, in [0, 2*pi).
    double angleOnPlane(const class QxGePlane& plane) const;
    QxGeVector3d& transformBy(const QxGeMatrix3d& m);

    QxGeVector3d operator+(const QxGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    QxGeVector3d operator-(const QxGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    QxGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
    QxGeVector3d operator-() const { return {-x, -y, -z}; }
    bool operator==(const QxGeVector3d&) const = default;
};
inline constexpr QxGeVector3d QxGeVector3d::kXAxis{1, 0, 0};
inline constexpr QxGeVector3d QxGeVector3d::kYAxis{0, 1, 0};
inline constexpr QxGeVector3d QxGeVector3d::kZAxis{0, 0, 1};
inline constexpr QxGeVector3d QxGeVector3d::kIdentity{0, 0, 0};  // the zero vector

class QxGePoint3d {
public:
    double x = 0, y = 0, z = 0;
    QxGePoint3d() = default;
    constexpr QxGePoint3d(double ax, double ay, double az) : x(ax), y(ay), z(az) {}
    static const QxGePoint3d kOrigin;

    double distanceTo(const QxGePoint3d& p) const { return (*this - p).length(); }
    QxGePoint3d& transformBy(const QxGeMatrix3d& m);
    QxGeVector3d asVector() const { return {x, y, z}; }

    QxGeVector3d operator-(const QxGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
    QxGePoint3d operator+(const QxGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    QxGePoint3d operator-(const QxGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    bool operator==(const QxGePoint3d&) const = default;
    bool isEqualTo(const QxGePoint3d& p, const QxGeTol& tol = QxGeContext::gTol) const
    {
        return distanceTo(p) <= tol.equalPoint();
    }
};
inline constexpr QxGePoint3d QxGePoint3d::kOrigin{0, 0, 0};

struct QxGePoint2d {
    double x = 0, y = 0;
};

struct QxGeScale3d {
    double sx = 1, sy = 1, sz = 1;
    double operator[](int i) const { return i == 0 ? sx : i == 1 ? sy : sz; }
};

// A plane through a point with a normal; its reference X axis follows the arbitrary-axis rule
// for that normal, so the XY plane's X axis is the world X axis.
class QxGePlane {
public:
    static const QxGePlane kXYPlane;
    QxGePlane(const QxGePoint3d& origin, const QxGeVector3d& normal) : m_origin(origin), m_normal(normal.normal()) {}
    const QxGePoint3d& pointOnPlane() const { return m_origin; }
    const QxGeVector3d& normal() const { return m_normal; }
    QxGeVector3d xAxis() const
    {
        const QxGeVector3d& n = m_normal;
        const QxGeVector3d ax = (std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64)
                                    ? QxGeVector3d::kYAxis.crossProduct(n)
                                    : QxGeVector3d::kZAxis.crossProduct(n);
        return ax.normal();
    }
    QxGeVector3d yAxis() const { return m_normal.crossProduct(xAxis()).normal(); }

private:
    QxGePoint3d m_origin;
    QxGeVector3d m_normal;
};
inline const QxGePlane QxGePlane::kXYPlane{QxGePoint3d::kOrigin, QxGeVector3d::kZAxis};

inline double QxGeVector3d::angleOnPlane(const QxGePlane& plane) const
{
    const double a = std::atan2(dotProduct(plane.yAxis()), dotProduct(plane.xAxis()));
    if (a >= 0) return a;
    // A hair below zero would round up to a full turn, outside [0, 2*pi).
    const double turned = a + 2 * std::numbers::pi;
    return turned < 2 * std::numbers::pi ? turned : 0.0;
}

// A 4x4 affine transform, row-major; points are column vectors.
class QxGeMatrix3d {
public:
    std::array<std::array<double, 4>, 4> entry{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    static const QxGeMatrix3d kIdentity;

    QxGeMatrix3d& setToIdentity() { return *this = QxGeMatrix3d(); }
    // The transform that takes world coordinates expressed in the system (origin, x, y, z)
    // to world coordinates: columns are the axes, the last column the origin.
    QxGeMatrix3d& setCoordSystem(const QxGePoint3d& origin, const QxGeVector3d& xAxis,
                                 const QxGeVector3d& yAxis, const QxGeVector3d& zAxis)
    {
        const double cols[4][3] = {{xAxis.x, xAxis.y, xAxis.z}, {yAxis.x, yAxis.y, yAxis.z},
                                   {zAxis.x, zAxis.y, zAxis.z}, {origin.x, origin.y, origin.z}};
        setToIdentity();
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 3; ++r) entry[r][c] = cols[c][r];
        return *this;
    }
    QxGeMatrix3d operator*(const QxGeMatrix3d& m) const
    {
        QxGeMatrix3d out;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                double s = 0;
                for (int k = 0; k < 4; ++k) s += entry[r][k] * m.entry[k][c];
                out.entry[r][c] = s;
            }
        return out;
    }
};
inline const QxGeMatrix3d QxGeMatrix3d::kIdentity{};

inline QxGePoint3d& QxGePoint3d::transformBy(const QxGeMatrix3d& m)
{
    const auto& e = m.entry;
    *this = {e[0][0] * x + e[0][1] * y + e[0][2] * z + e[0][3], e[1][0] * x + e[1][1] * y + e[1][2] * z + e[1][3],
             e[2][0] * x + e[2][1] * y + e[2][2] * z + e[2][3]};
    return *this;
}

inline QxGeVector3d& QxGeVector3d::transformBy(const QxGeMatrix3d& m)
{
    const auto& e = m.entry;
    *this = {e[0][0] * x + e[0][1] * y + e[0][2] * z, e[1][0] * x + e[1][1] * y + e[1][2] * z,
             e[2][0] * x + e[2][1] * y + e[2][2] * z};
    return *this;
}
