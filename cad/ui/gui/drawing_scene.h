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

#include "cad/ui/gui/spatial_grid.h"
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
    double widthFactor = 1;  // of the text's style: letters wider (> 1) or narrower than the font's
};

struct Stroke {
    QPainterPath path;
    double width = 0;     // in drawing units; 0 draws one pixel wide
    bool filled = false;  // 2D solids
};

struct EntityPicture {
    QxDbObjectId id;
    std::uint64_t handle = 0;
    QColor color;
    QRectF bounds;   // world extents of everything below, texts estimated generously
    QRectF extents;  // the entity's own extents, as window selection measures them; null when it has none
    std::vector<Stroke> strokes;
    std::vector<TextRun> texts;
};

// The colour of an index of the 256-colour palette; 7 is the foreground (white on the view's
// dark background).
QColor indexColor(int index);

class DrawingScene {
public:
    // Makes the pictures of the model space of `database`.
    void build(const QxDbDatabase& database);
    // Brings the pictures up to date with what changed in the database since they were made:
    // only the added, changed and erased entities are done again, unless a change reaches
    // further (a block's contents), which makes them all again. False when nothing changed.
    bool update(const QxDbDatabase& database);
    const std::vector<EntityPicture>& entities() const { return m_entities; }
    QRectF extents() const { return m_extents; }
    // The entities whose bounds meet `area`, in drawing order.
    std::vector<int> visible(const QRectF& area) const { return m_grid.query(area); }

    // The entity whose strokes or texts pass within `tolerance` of `point`, the topmost (last
    // drawn) first; -1 when none.
    int entityAt(QPointF point, double tolerance) const;
    // Entities that cross `area` or lie inside it.
    std::vector<int> entitiesCrossing(const QRectF& area) const;

private:
    // What changed since the pictures were made: false when it goes beyond model space's entities.
    bool changedEntities(const QxDbDatabase& database, std::vector<QxDbObjectId>& changed) const;
    void index();

    std::vector<EntityPicture> m_entities;
    QRectF m_extents;
    SpatialGrid m_grid;
    const QxDbDatabase* m_database = nullptr;
    std::uint32_t m_revision = 0;  // the database's, when the pictures were made
};

}  // namespace qxgui
