// One-pixel lines written straight into an image: a large drawing's thin strokes cost a few
// operations per pixel this way, where the toolkit's painter spends far more on each call.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QTransform>

namespace qxgui {

class PixelLines {
public:
    // `image` must be 32 bits a pixel and stay alive, unpainted by others, while lines are drawn.
    explicit PixelLines(QImage& image);
    // The pixels from `a` to `b` (image coordinates, both ends included), clipped to the image;
    // a line with a coordinate that is not finite draws nothing.
    void line(QPointF a, QPointF b, QRgb color);
    // Every segment and curve of `path` after `transform` (curves as a few segments each); a
    // piece of the path that is only a start is drawn as its pixel.
    void path(const QPainterPath& path, const QTransform& transform, QRgb color);

private:
    QRgb* m_bits;
    qsizetype m_stride;  // pixels from one row to the next
    int m_width, m_height;
};

}  // namespace qxgui
