// What the drawing view shows of model space: one picture per entity, in world coordinates,
// made once when the drawing changes and drawn many times as the user pans and zooms.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "host/database.h"

namespace qxgui {

// A text placed in the drawing: lines from the anchor, `height` the height of capitals.
struct TextRun {
    QPointF anchor;
    double height = 2.5;
    double rotation = 0;  // radians
    QStringList lines;
    int horizontal = 0;  // 0 left, 1 centre, 2 right of the anchor
    int vertical = 0;    // 0 top, 1 middle, 2 bottom, 3 baseline at the anchor
};

struct Stroke {
    QPainterPath path;
    double width = 0;     // in drawing units; 0 draws one pixel wide
    bool filled = false;  // 2D solids
};

struct EntityPicture {
    std::uint64_t handle = 0;
    QColor color;
    QRectF bounds;   // world extents of everything below, texts estimated generously
    QRectF extents;  // the entity's own extents, as window selection measures them; null when it has none
    std::vector<Stroke> strokes;
    std::vector<TextRun> texts;
};

// Whether two rectangles share a point. Unlike QRectF::intersects, a rectangle without width
// or height (a line along an axis, a point) can.
inline bool overlaps(const QRectF& a, const QRectF& b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

// The colour of an index of the 256-colour palette; 7 is the foreground (white on the view's
// dark background).
QColor indexColor(int index);

class DrawingScene {
public:
    // Makes the pictures of the model space of `database`.
    void build(const QxDbDatabase& database);
    const std::vector<EntityPicture>& entities() const { return m_entities; }
    QRectF extents() const { return m_extents; }

    // The entity whose strokes or texts pass within `tolerance` of `point`, the topmost (last
    // drawn) first; -1 when none.
    int entityAt(QPointF point, double tolerance) const;
    // Entities that cross `area` or lie inside it.
    std::vector<int> entitiesCrossing(const QRectF& area) const;

private:
    std::vector<EntityPicture> m_entities;
    QRectF m_extents;
};

}  // namespace qxgui
