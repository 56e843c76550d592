// What the drawing view shows of model space: one picture per entity, in world coordinates,
// drawn many times as the user pans and zooms. Reading a drawing gives each entity its colour
// and bounds only; its strokes and texts are made the first time they are needed, since most
// entities of a large drawing are drawn as a few pixels that the bounds give.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
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
    QString family;          // the installed font family that draws the style's font
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
    bool drawn = false;     // has strokes or texts (known before they are made)
    bool detailed = false;  // the strokes and texts below are made
    std::vector<Stroke> strokes;
    std::vector<TextRun> texts;
};

// The font family installed here that draws a text style's font file ("arial.ttf", "romans.shx"):
// a family of the file's name, else one with the same letter widths, else the sans serif.
QString fontFamilyOf(const QString& fileName);

// The colour of an index of the 256-colour palette; 7 is the foreground (white on the view's
// dark background).
QColor indexColor(int index);

class PictureBuilder;

class DrawingScene {
public:
    DrawingScene();
    ~DrawingScene();
    DrawingScene(DrawingScene&&) noexcept;
    DrawingScene& operator=(DrawingScene&&) noexcept;

    // Outlines the entities of the model space of `database`: their colours and bounds.
    void build(const QxDbDatabase& database);
    // Brings the pictures up to date with what changed in the database since they were
    // outlined: only the added, changed and erased entities are done again, unless a change reaches
    // further (a block's contents), which makes them all again. False when nothing changed.
    bool update(const QxDbDatabase& database);
    // Every entity's colour and bounds; the strokes and texts of those that were drawn in detail.
    const std::vector<EntityPicture>& entities() const { return m_entities; }
    // Entity `index` with its strokes and texts, made now if they were not yet.
    const EntityPicture& detailed(int index) const;
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

    // Made when first drawn or picked, hence changed by const users.
    mutable std::vector<EntityPicture> m_entities;
    QRectF m_extents;
    SpatialGrid m_grid;
    const QxDbDatabase* m_database = nullptr;
    std::unique_ptr<PictureBuilder> m_builder;  // of the pictures made later, with what it learnt
    std::uint32_t m_revision = 0;  // the database's, when the pictures were made
};

}  // namespace qxgui
