#include "cad/ui/gui/pixel_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qxgui {

PixelLines::PixelLines(QImage& image)
    : m_bits(reinterpret_cast<QRgb*>(image.bits())), m_stride(image.bytesPerLine() / 4), m_width(image.width()),
      m_height(image.height())
{
}

void PixelLines::line(QPointF a, QPointF b, QRgb color)
{
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())) return;
    if (m_width <= 0 || m_height <= 0) return;
    // Clipped to the image, the line's part inside: t0..t1 of a + t·d.
    const double right = m_width - 1e-6, bottom = m_height - 1e-6;
    const QPointF d = b - a;
    double t0 = 0, t1 = 1;
    const auto clip = [&](double p, double q) {  // keeps the part where p·t <= q
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        return t0 <= t1;
    };
    if (!clip(-d.x(), a.x()) || !clip(d.x(), right - a.x()) || !clip(-d.y(), a.y()) || !clip(d.y(), bottom - a.y()))
        return;
    const QPointF from = a + d * t0, to = a + d * t1;
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    const int steps = int(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
    // In fixed point, 32 bits of fraction: a step adds to both coordinates, no division or
    // rounding per pixel. The clip keeps the coordinates within the image; the check below
    // catches a last step that the fraction's rounding carries over the edge.
    constexpr double kOne = 4294967296.0;
    std::int64_t x = std::int64_t(from.x() * kOne), y = std::int64_t(from.y() * kOne);
    const std::int64_t stepX = steps ? std::int64_t(dx / steps * kOne) : 0, stepY = steps ? std::int64_t(dy / steps * kOne) : 0;
    for (int i = 0; i <= steps; ++i, x += stepX, y += stepY) {
        const std::int64_t px = x >> 32, py = y >> 32;
        if (px >= 0 && px < m_width && py >= 0 && py < m_height) m_bits[py * m_stride + px] = color;
    }
}

void PixelLines::path(const QPainterPath& path, const QTransform& transform, QRgb color)
{
    QPointF last;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        const QPointF p = transform.map(QPointF(element));
        if (element.isMoveTo()) {
            last = p;
            // A piece of nothing but its start is a point (the path drops a line to where it is).
            if (i + 1 == path.elementCount() || path.elementAt(i + 1).isMoveTo()) line(p, p, color);
        } else if (element.isLineTo()) {
            line(last, p, color);
            last = p;
        } else if (element.isCurveTo() && i + 2 < path.elementCount()) {
            // A cubic curve: as many segments as its control polygon has pixels over three.
            const QPointF c2 = transform.map(QPointF(path.elementAt(i + 1))), end = transform.map(QPointF(path.elementAt(i + 2)));
            i += 2;
            const auto length = [](QPointF v) { return std::hypot(v.x(), v.y()); };
            const double pixels = length(p - last) + length(c2 - p) + length(end - c2);
            const int segments = std::clamp(int(pixels / 3), 1, 64);
            QPointF previous = last;
            for (int k = 1; k <= segments; ++k) {
                const double t = double(k) / segments, u = 1 - t;
                const QPointF next = last * (u * u * u) + p * (3 * u * u * t) + c2 * (3 * u * t * t) + end * (t * t * t);
                line(previous, next, color);
                previous = next;
            }
            last = end;
        }
    }
}

}  // namespace qxgui
