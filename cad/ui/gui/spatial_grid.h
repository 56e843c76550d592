// Finds the rectangles that meet an area without looking at all of them: a regular grid over
// their extents, each cell listing the rectangles that reach into it. A view of a corner of a
// million-object drawing then looks at what is in that corner only.
#pragma once

#include <QRectF>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace qxgui {

// Whether two rectangles share a point. Unlike QRectF::intersects, a rectangle without width
// or height (a line along an axis, a point) can.
inline bool overlaps(const QRectF& a, const QRectF& b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

// A rectangle of negative width stands for nothing: the one rectangle that holds `a` and `b`.
// Unlike QRectF::united, a rectangle without width or height (a point) still counts.
inline QRectF unite(const QRectF& a, const QRectF& b)
{
    if (a.width() < 0) return b;
    if (b.width() < 0) return a;
    return QRectF(QPointF(std::min(a.left(), b.left()), std::min(a.top(), b.top())),
                  QPointF(std::max(a.right(), b.right()), std::max(a.bottom(), b.bottom())));
}

class SpatialGrid {
public:
    // Indexes `bounds` (positions in the vector are what queries return). Rectangles of
    // negative width or height stand for nothing and are never found; a point's, without
    // width or height, is.
    void build(std::vector<QRectF> bounds);
    // The positions of the rectangles that share a point with `area`, in increasing order.
    std::vector<int> query(const QRectF& area) const;

private:
    struct CellRange {
        int x0, y0, x1, y1;
    };
    CellRange cellsOf(const QRectF& r) const;
    int column(double x) const;
    int row(double y) const;

    std::vector<QRectF> m_bounds;
    QRectF m_area{0, 0, -1, -1};
    int m_columns = 0, m_rows = 0;
    double m_cellWidth = 1, m_cellHeight = 1;
    // Cell c lists m_members[m_starts[c] .. m_starts[c + 1]).
    std::vector<std::uint32_t> m_starts;
    std::vector<int> m_members;
    // Rectangles over many cells are kept once, here, and tested at every query.
    std::vector<int> m_large;
    // Marks of the last query, so that a rectangle in several cells is reported once.
    mutable std::vector<std::uint32_t> m_seen;
    mutable std::uint32_t m_query = 0;
};

}  // namespace qxgui
