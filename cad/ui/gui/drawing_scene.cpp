#include "cad/ui/gui/drawing_scene.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QPainterPathStroker>
#include <QTransform>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_drawing.h"
#include "database.h"
#include "dbsymbols.h"
#include "dbtable.h"

namespace qxgui {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxBlockDepth = 8;  // a block that (wrongly) contains itself stops here

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }
QPointF xy(const QxGePoint3d& p) { return {p.x, p.y}; }

// The colour of each layer, as the drawing file gave it (the database keeps layers by name only).
std::map<std::u16string, int> layerColors(const QxDbDatabase& database)
{
    std::map<std::u16string, int> colors;
    const qx::dxf::DxfSource* source = qx::dxf::sourceOf(&database);
    if (!source || !source->file) return colors;
    const qx::dxf::DxfFile& file = *source->file;
    for (std::size_t i = 0; i < file.recordCount(); ++i) {
        if (file.recordType(i) != "LAYER") continue;
        qx::dxf::TagCursor cursor = file.tags(i);
        qx::dxf::Tag tag;
        std::u16string name;
        std::int64_t color = 7;
        while (cursor.next(tag)) {
            if (tag.code == 2) name = file.decode(tag.value);
            else if (tag.code == 62) tag.toInt(color);
        }
        std::u16string folded = name;
        for (char16_t& c : folded) c = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
        colors[folded] = int(std::abs(color));  // a negative colour marks a layer turned off
    }
    return colors;
}

// Bulge b between two points: an arc whose included angle is 4·atan(b), to the left when b > 0.
void addBulgeSegment(QPainterPath& path, QPointF from, QPointF to, double bulge)
{
    if (std::fabs(bulge) < 1e-9) {
        path.lineTo(to);
        return;
    }
    const double angle = 4 * std::atan(bulge);
    const QPointF chord = to - from;
    const double length = std::hypot(chord.x(), chord.y());
    if (length < 1e-12) return;
    const double radius = length / (2 * std::sin(std::fabs(angle) / 2));
    // Centre: from the chord's midpoint along its left normal (right for a negative bulge).
    const double toCentre = radius * std::cos(std::fabs(angle) / 2) * (bulge > 0 ? 1 : -1);
    const QPointF mid = (from + to) / 2, normal(-chord.y() / length, chord.x() / length);
    const QPointF centre = mid + normal * toCentre;
    const double start = std::atan2(from.y() - centre.y(), from.x() - centre.x());
    const int steps = std::max(4, int(std::fabs(angle) / (kPi / 32)));
    for (int i = 1; i <= steps; ++i) {
        const double a = start + angle * i / steps;
        path.lineTo(centre + QPointF(radius * std::cos(a), radius * std::sin(a)));
    }
}

// An arc counter-clockwise from `start` to `end` (radians), as the toolkit's curves: a few
// elements where a polygon would need a hundred. The toolkit measures angles with y growing
// downwards; in the drawing y grows upwards, so its angles are the drawing's negated.
void addArc(QPainterPath& path, QPointF centre, double radius, double start, double end)
{
    while (end <= start) end += 2 * kPi;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const double degrees = 180 / kPi;
    path.arcMoveTo(box, -start * degrees);
    path.arcTo(box, -start * degrees, -(end - start) * degrees);
}

// Where a single-line text sits: its anchor and how it lies against it (as TextRun).
struct TextPlacement {
    QPointF anchor;
    int horizontal = 0;
    int vertical = 3;
};

TextPlacement placementOf(const QxDbText& text)
{
    const QxDbText::HorizontalMode h = text.horizontalMode();
    const QxDbText::VerticalMode v = text.verticalMode();
    TextPlacement placement;
    // Aligned and fitted texts run from the first point: drawn from there.
    placement.horizontal = h == QxDbText::kHorizontalCenter || h == QxDbText::kHorizontalMiddle ? 1
                           : h == QxDbText::kHorizontalRight                                    ? 2
                                                                                                : 0;
    placement.vertical = h == QxDbText::kHorizontalMiddle ? 1
                         : v == QxDbText::kVerticalBottom ? 2
                         : v == QxDbText::kVerticalMiddle ? 1
                         : v == QxDbText::kVerticalTop    ? 0
                                                          : 3;
    const bool aligned = placement.horizontal != 0 || placement.vertical != 3;
    placement.anchor = xy(aligned ? text.alignmentPoint() : text.position());
    return placement;
}

// How a text style draws its texts.
struct TextLook {
    double widthFactor = 1;  // 1 without a style or with a factor that cannot be drawn
    double fixedHeight = 0;  // 0: each text gives its own height
    QString family;
};

// The entity's own extents, as window selection measures them (slow for texts).
bool measure(const QxDbEntity& entity, QRectF& extents)
{
    QxDbExtents measured;
    if (entity.getGeomExtents(measured) != Qxapp::eOk) return false;
    extents = QRectF(xy(measured.minPoint), xy(measured.maxPoint)).normalized();
    return true;
}
// Null when the entity has none.
QRectF extentsOf(const QxDbEntity& entity)
{
    QRectF extents;
    measure(entity, extents);
    return extents;
}

// Lines and the longest line of a text, as the view lays them out.
struct TextShape {
    qsizetype lines = 1, longest = 1;
};

TextShape shapeOf(const std::u16string& text)
{
    TextShape shape;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= qsizetype(text.size()); ++i) {
        if (i < qsizetype(text.size()) && text[std::size_t(i)] != u'\n') continue;
        shape.longest = std::max(shape.longest, i - start);
        if (i < qsizetype(text.size())) ++shape.lines;
        start = i + 1;
    }
    return shape;
}

// Where a text may reach, drawn in whatever font and aligned in whatever way: each letter as
// wide as the widest of the view's fonts (a capital W or M reaches 1.4 times the height of the
// capitals), on either side of the anchor.
QRectF textBox(QPointF anchor, double height, TextShape shape, double widthFactor)
{
    const double w = 1.4 * height * std::max(1.0, widthFactor) * double(shape.longest), h = 1.7 * height * double(shape.lines);
    return QRectF(anchor.x() - w, anchor.y() - h, 2 * w, 2 * h);
}

}  // namespace

class PictureBuilder {
public:
    explicit PictureBuilder(const QxDbDatabase& database) : m_layers(layerColors(database)) {}

    // The entity's colour and bounds, and for the kinds whose bounds need them (tables, kinds
    // without extents), its strokes and texts.
    EntityPicture outline(const QxDbEntity& entity)
    {
        EntityPicture out;
        out.id = entity.objectId();
        out.handle = entity.handle().value();
        out.color = indexColor(colorOf(entity, 7));
        if (!outlineBounds(entity, out)) {
            detail(entity, out);
            out.bounds = extentsOf(entity);
            for (const Stroke& stroke : out.strokes) out.bounds = out.bounds.united(stroke.path.boundingRect());
            for (const TextRun& text : out.texts) out.bounds = out.bounds.united(textBounds(text));
        }
        return out;
    }

    void detail(const QxDbEntity& entity, EntityPicture& out)
    {
        add(entity, QTransform(), 1.0, 0.0, out, 0);
        out.detailed = true;
        out.drawn = !out.strokes.empty() || !out.texts.empty();
    }

private:
    // The bounds without the strokes and texts: the extents of kinds drawn within them, the
    // box a text may reach, a reference's block (outlined once) placed; false for the other kinds.
    bool outlineBounds(const QxDbEntity& entity, EntityPicture& out)
    {
        if (QxDbTable::cast(&entity)) return false;
        if (const auto* mtext = QxDbMText::cast(&entity)) {
            const std::u16string text = mtext->text();
            out.drawn = !text.empty();
            out.bounds = estimate(xy(mtext->location()), mtext->textHeight(), text, mtext->textStyle());
        } else if (const auto* text = QxDbText::cast(&entity)) {
            out.drawn = !text->textString().empty();
            out.bounds = estimate(*text);
        } else if (const auto* reference = QxDbBlockReference::cast(&entity)) {
            out.drawn = true;
            out.bounds = referenceBounds(*reference);
        } else {
            const bool measured = measure(entity, out.bounds);
            if (const auto* polyline = QxDbPolyline::cast(&entity)) out.drawn = polyline->numVerts() > 0;
            else out.drawn = QxDbLine::cast(&entity) || QxDbArc::cast(&entity) || QxDbCircle::cast(&entity) ||
                             QxDbSolid::cast(&entity) || QxDbPoint::cast(&entity);
            return out.drawn && measured;
        }
        return true;
    }

    QRectF referenceBounds(const QxDbBlockReference& reference)
    {
        QRectF bounds(0, 0, -1, -1);  // none yet
        const auto* block = QxDbBlockTableRecord::cast(qx::peekObject(reference.blockTableRecord()));
        if (block) {
            const BlockOutline& contents = blockOutline(reference.blockTableRecord());
            const QTransform place = placement(reference, *block, QTransform());
            if (contents.strokes.width() >= 0) bounds = place.mapRect(contents.strokes);
            // Texts keep their letters' widths however the reference stretches them.
            for (TextRun text : contents.texts) {
                text.anchor = place.map(text.anchor);
                text.height *= std::fabs(reference.scaleFactors().sy);
                bounds = unite(bounds, textBounds(text));
            }
        }
        for (const QxDbObjectId& id : reference.attributeIds())
            if (const auto* attribute = QxDbAttribute::cast(qx::peekObject(id)); attribute && !id.isErased())
                bounds = unite(bounds, estimate(*attribute));
        const QPointF at = xy(reference.position());
        return bounds.width() >= 0 ? bounds : QRectF(at, at);
    }

    // A block's contents in its own coordinates, drawn once for all its references.
    struct BlockOutline {
        QRectF strokes{0, 0, -1, -1};
        std::vector<TextRun> texts;
    };
    const BlockOutline& blockOutline(QxDbObjectId id)
    {
        const auto known = m_blocks.find(id);
        if (known != m_blocks.end()) return known->second;
        EntityPicture contents;
        addBlock(id, QTransform(), 1.0, 0.0, contents, 0);
        BlockOutline outline;
        for (const Stroke& stroke : contents.strokes) outline.strokes = unite(outline.strokes, stroke.path.boundingRect());
        outline.texts = std::move(contents.texts);
        return m_blocks.emplace(id, std::move(outline)).first->second;
    }

    QRectF estimate(QPointF anchor, double height, const std::u16string& text, QxDbObjectId style)
    {
        const TextLook& look = lookOf(style);
        return textBox(anchor, look.fixedHeight > 0 ? look.fixedHeight : height, shapeOf(text), look.widthFactor);
    }
    QRectF estimate(const QxDbText& text)
    {
        return estimate(placementOf(text).anchor, text.height(), text.textString(), text.textStyle());
    }

    int colorOf(const QxDbEntity& entity, int blockColor) const
    {
        const int index = entity.colorIndex();
        if (index == 0) return blockColor;
        if (index != 256) return index;
        std::u16string layer = entity.layer();
        for (char16_t& c : layer) c = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
        const auto it = m_layers.find(layer);
        return it == m_layers.end() ? 7 : it->second;
    }

    static QRectF textBounds(const TextRun& text)
    {
        TextShape shape;
        shape.lines = text.lines.size();
        for (const QString& line : text.lines) shape.longest = std::max(shape.longest, line.size());
        return textBox(text.anchor, text.height, shape, text.widthFactor);
    }

    void addStroke(EntityPicture& out, const QTransform& t, QPainterPath path, double width = 0, bool filled = false)
    {
        out.strokes.push_back({t.map(path), width * std::sqrt(std::fabs(t.determinant())), filled});
    }

    void addText(EntityPicture& out, const QTransform& t, double scale, double rotation, QPointF at, double height,
                 double angle, const QString& text, int horizontal, int vertical, QxDbObjectId style = {})
    {
        if (text.isEmpty()) return;
        // A style of a fixed height gives every text of it that height, whatever the text says.
        const TextLook& look = lookOf(style);
        const double drawn = look.fixedHeight > 0 ? look.fixedHeight : height;
        out.texts.push_back({t.map(at), drawn * scale, angle + rotation, text.split(u'\n'), horizontal, vertical,
                             look.widthFactor, look.family});
    }

    // Styles are few and their texts many: each is looked at once.
    const TextLook& lookOf(QxDbObjectId style)
    {
        const auto known = m_looks.find(style);
        if (known != m_looks.end()) return known->second;
        TextLook look;
        const auto* record = QxDbTextStyleTableRecord::cast(qx::peekObject(style));
        if (record) {
            const double factor = record->xScale(), fixed = record->textSize();
            if (factor > 0 && factor < 100) look.widthFactor = factor;
            if (fixed > 0 && std::isfinite(fixed)) look.fixedHeight = fixed;
        }
        look.family = fontFamilyOf(record ? qs(record->fileName()) : QString());
        return m_looks.emplace(style, look).first->second;
    }

    // `t` places the entity (identity in model space, a block's insertion inside references).
    void add(const QxDbEntity& entity, const QTransform& t, double scale, double rotation, EntityPicture& out, int depth)
    {
        if (const auto* line = QxDbLine::cast(&entity)) {
            QPainterPath path(xy(line->startPoint()));
            path.lineTo(xy(line->endPoint()));
            addStroke(out, t, path);
        } else if (const auto* polyline = QxDbPolyline::cast(&entity)) {
            addPolyline(*polyline, t, out);
        } else if (const auto* arc = QxDbArc::cast(&entity)) {
            QPainterPath path;
            addArc(path, xy(arc->center()), arc->radius(), arc->startAngle(), arc->endAngle());
            addStroke(out, t, path);
        } else if (const auto* circle = QxDbCircle::cast(&entity)) {
            QPainterPath path;
            addArc(path, xy(circle->center()), circle->radius(), 0, 2 * kPi);
            addStroke(out, t, path);
        } else if (const auto* solid = QxDbSolid::cast(&entity)) {
            QxGePoint3d p[4];
            for (std::uint16_t i = 0; i < 4; ++i) solid->getPointAt(i, p[i]);
            QPainterPath path(xy(p[0]));  // the third and fourth corners are stored crosswise
            path.lineTo(xy(p[1]));
            path.lineTo(xy(p[3]));
            path.lineTo(xy(p[2]));
            path.closeSubpath();
            addStroke(out, t, path, 0, true);
        } else if (const auto* point = QxDbPoint::cast(&entity)) {
            addPoint(xy(point->position()), t, out);
        } else if (const auto* mtext = QxDbMText::cast(&entity)) {
            const int attachment = int(mtext->attachment()) - 1;
            addText(out, t, scale, rotation, xy(mtext->location()), mtext->textHeight(), mtext->rotation(), qs(mtext->text()),
                    attachment % 3, attachment / 3, mtext->textStyle());
        } else if (const auto* text = QxDbText::cast(&entity)) {
            const TextPlacement placement = placementOf(*text);
            addText(out, t, scale, rotation, placement.anchor, text->height(), text->rotation(), qs(text->textString()),
                    placement.horizontal, placement.vertical, text->textStyle());
        } else if (const auto* table = QxDbTable::cast(&entity)) {
            addTable(*table, t, scale, rotation, out, depth);
        } else if (const auto* reference = QxDbBlockReference::cast(&entity)) {
            addReference(*reference, t, scale, rotation, out, depth);
        }
    }

    void addPoint(QPointF at, const QTransform& t, EntityPicture& out)
    {
        QPainterPath path(at);
        path.lineTo(at);  // drawn as a dot whatever the zoom
        addStroke(out, t, path);
    }

    void addPolyline(const QxDbPolyline& polyline, const QTransform& t, EntityPicture& out)
    {
        const unsigned count = polyline.numVerts();
        if (count == 0) return;
        double constant = 0;
        polyline.getConstantWidth(constant);
        QxGePoint2d first;
        polyline.getPointAt(0u, first);
        QPainterPath path(QPointF(first.x, first.y));
        double widest = constant;
        const unsigned segments = polyline.isClosed() ? count : count - 1;
        for (unsigned i = 0; i < segments; ++i) {
            QxGePoint2d a, b;
            double bulge = 0, startWidth = 0, endWidth = 0;
            polyline.getPointAt(i, a);
            polyline.getPointAt((i + 1) % count, b);
            polyline.getBulgeAt(i, bulge);
            polyline.getWidthsAt(i, startWidth, endWidth);
            widest = std::max({widest, startWidth, endWidth});
            addBulgeSegment(path, QPointF(a.x, a.y), QPointF(b.x, b.y), bulge);
        }
        if (polyline.isClosed()) path.closeSubpath();
        // Tapering widths are shown at their widest: the view is for finding objects.
        addStroke(out, t, path, widest);
    }

    QTransform placement(const QxDbBlockReference& reference, const QxDbBlockTableRecord& block, const QTransform& t) const
    {
        const QxGeScale3d s = reference.scaleFactors();
        QTransform local;
        local.translate(reference.position().x, reference.position().y);
        local.rotateRadians(reference.rotation());
        local.scale(s.sx, s.sy);
        local.translate(-block.origin().x, -block.origin().y);
        return local * t;
    }

    void addBlock(QxDbObjectId blockId, const QTransform& t, double scale, double rotation, EntityPicture& out, int depth)
    {
        const auto* block = QxDbBlockTableRecord::cast(qx::peekObject(blockId));
        if (!block || depth >= kMaxBlockDepth) return;
        for (const QxDbObjectId& id : block->entityIds()) {
            if (id.isErased()) continue;
            const auto* inner = QxDbEntity::cast(qx::peekObject(id));
            if (!inner) continue;
            // One colour per picture: a block's parts show in the reference's colour.
            add(*inner, t, scale, rotation, out, depth + 1);
        }
    }

    void addReference(const QxDbBlockReference& reference, const QTransform& t, double scale, double rotation,
                      EntityPicture& out, int depth)
    {
        const auto* block = QxDbBlockTableRecord::cast(qx::peekObject(reference.blockTableRecord()));
        if (block) {
            const QxGeScale3d s = reference.scaleFactors();
            addBlock(reference.blockTableRecord(), placement(reference, *block, t), scale * std::fabs(s.sy),
                     rotation + reference.rotation(), out, depth);
        }
        // Attributes stand in world coordinates already.
        for (const QxDbObjectId& id : reference.attributeIds()) {
            const auto* attribute = QxDbAttribute::cast(qx::peekObject(id));
            if (!attribute || id.isErased()) continue;
            const TextPlacement placement = placementOf(*attribute);
            addText(out, t, scale, rotation, placement.anchor, attribute->height(), attribute->rotation(),
                    qs(attribute->textString()), placement.horizontal, placement.vertical, attribute->textStyle());
        }
    }

    void addTable(const QxDbTable& table, const QTransform& t, double scale, double rotation, EntityPicture& out, int depth)
    {
        QTransform local;
        local.translate(table.position().x, table.position().y);
        local.rotateRadians(table.rotation());
        const QTransform place = local * t;
        const std::uint32_t rows = table.numRows(), columns = table.numColumns();
        std::vector<double> x(columns + 1, 0.0), y(rows + 1, 0.0);  // grid lines; rows go down
        for (std::uint32_t c = 0; c < columns; ++c) x[c + 1] = x[c] + table.columnWidth(c);
        for (std::uint32_t r = 0; r < rows; ++r) y[r + 1] = y[r] - table.rowHeight(r);
        for (std::uint32_t r = 0; r < rows; ++r)
            for (std::uint32_t c = 0; c < columns; ++c) {
                std::uint32_t r0 = r, r1 = r, c0 = c, c1 = c;
                if (table.isMergedCell(r, c, &r0, &r1, &c0, &c1) && (r0 != r || c0 != c)) continue;
                const QRectF cell(QPointF(x[c0], y[r1 + 1]), QPointF(x[c1 + 1], y[r0]));
                QPainterPath frame;
                frame.addRect(cell);
                addStroke(out, place, frame);
                addCell(table, r, c, cell, place, scale, rotation + table.rotation(), out, depth);
            }
    }

    void addCell(const QxDbTable& table, std::uint32_t row, std::uint32_t column, const QRectF& cell, const QTransform& place,
                 double scale, double rotation, EntityPicture& out, int depth)
    {
        const double margin = std::min(1.5, cell.height() / 4);
        const QxDbObjectId block = table.blockTableRecordId(row, column);
        if (!block.isNull()) {
            addCellBlock(block, cell.adjusted(margin, margin, -margin, -margin), place, scale, rotation, out, depth);
            return;
        }
        const QString text = qs(table.textString(row, column));
        const bool centred = table.rowType(row) != QxDb::kDataRow;
        const QPointF anchor = centred ? QPointF(cell.center().x(), cell.center().y()) : QPointF(cell.left() + margin, cell.center().y());
        addText(out, place, scale, rotation, anchor, table.textHeight(row, column), 0, text, centred ? 1 : 0, 1);
    }

    // A block in a cell is scaled to fit the cell and centred in it.
    void addCellBlock(QxDbObjectId blockId, const QRectF& area, const QTransform& place, double scale, double rotation,
                      EntityPicture& out, int depth)
    {
        EntityPicture content;
        addBlock(blockId, QTransform(), 1.0, 0.0, content, depth);
        QRectF bounds;
        for (const Stroke& stroke : content.strokes) bounds = bounds.united(stroke.path.boundingRect());
        if (bounds.isEmpty() && bounds.width() + bounds.height() <= 0) return;
        const double fit = std::min(area.width() / std::max(bounds.width(), 1e-9), area.height() / std::max(bounds.height(), 1e-9));
        QTransform local;
        local.translate(area.center().x(), area.center().y());
        local.scale(fit, fit);
        local.translate(-bounds.center().x(), -bounds.center().y());
        addBlock(blockId, local * place, scale * fit, rotation, out, depth);
    }

    std::map<std::u16string, int> m_layers;
    std::unordered_map<QxDbObjectId, TextLook> m_looks;
    std::unordered_map<QxDbObjectId, BlockOutline> m_blocks;
};

QString fontFamilyOf(const QString& fileName)
{
    static const QString sans = QStringLiteral("Liberation Sans");
    // The common fonts' files, and families here with the same letter widths.
    static const std::pair<const char*, const char*> alike[] = {
        {"arialn", "Liberation Sans Narrow"}, {"arial", "Liberation Sans"},  {"helvetica", "Liberation Sans"},
        {"times", "Liberation Serif"},        {"cour", "Liberation Mono"},   {"monotxt", "Liberation Mono"}};
    static std::map<QString, QString> known;  // by the file's name
    const auto found = known.find(fileName);
    if (found != known.end()) return found->second;
    // "DejaVuSans-Bold.ttf" names the family "DejaVu Sans"; "arialbd.ttf" a file like Arial.
    const auto squeezed = [](QString name) { return name.remove(u' ').toLower(); };
    const QString stem = squeezed(QFileInfo(fileName).completeBaseName().section(u'-', 0, 0));
    QString family = sans;
    const QStringList installed = QFontDatabase::families();
    const auto same = std::find_if(installed.begin(), installed.end(), [&](const QString& f) { return squeezed(f) == stem; });
    if (stem.isEmpty()) family = sans;
    else if (same != installed.end()) family = *same;
    else
        for (const auto& [prefix, like] : alike)
            if (stem.startsWith(QLatin1String(prefix))) {
                family = QString::fromLatin1(like);
                break;
            }
    return known.emplace(fileName, family).first->second;
}

QColor indexColor(int index)
{
    static const QColor basic[] = {Qt::white,  QColor(255, 0, 0),   QColor(255, 255, 0), QColor(0, 255, 0),   QColor(0, 255, 255),
                                   QColor(0, 0, 255), QColor(255, 0, 255), QColor(255, 255, 255), QColor(128, 128, 128),
                                   QColor(192, 192, 192)};
    if (index >= 0 && index <= 9) return basic[index];
    if (index >= 250 && index <= 255) {
        static const int greys[] = {51, 91, 132, 173, 214, 255};
        const int grey = greys[index - 250];
        return QColor(grey, grey, grey);
    }
    if (index < 10 || index > 249) return Qt::white;
    // 10..249: 24 hues of 15 degrees, each in five shades, full and pale.
    const int hue = ((index - 10) / 10) * 15;
    const int shade = (index % 10) / 2;
    const bool pale = (index % 2) != 0;
    static const int values[] = {255, 204, 153, 127, 76};
    return QColor::fromHsv(hue, pale ? 127 : 255, values[shade]);
}

namespace {

const QxDbBlockTableRecord* modelSpace(const QxDbDatabase& database)
{
    return QxDbBlockTableRecord::cast(qx::peekObject(database.modelSpaceId()));
}

std::uint32_t revisionOf(const QxDbDatabase& database) { return qx::DbInternals::impl(database).revision; }

const QxDbEntity* liveEntity(const QxDbObjectId& id)
{
    return id.isErased() ? nullptr : QxDbEntity::cast(qx::peekObject(id));
}

}  // namespace

DrawingScene::DrawingScene() = default;
DrawingScene::~DrawingScene() = default;
DrawingScene::DrawingScene(DrawingScene&&) noexcept = default;
DrawingScene& DrawingScene::operator=(DrawingScene&&) noexcept = default;

void DrawingScene::build(const QxDbDatabase& database)
{
    m_entities.clear();
    m_database = &database;
    m_revision = revisionOf(database);
    m_builder = std::make_unique<PictureBuilder>(database);
    if (const QxDbBlockTableRecord* space = modelSpace(database)) {
        m_entities.reserve(space->entityIds().size());
        for (const QxDbObjectId& id : space->entityIds())
            if (const QxDbEntity* entity = liveEntity(id)) m_entities.push_back(m_builder->outline(*entity));
    }
    index();
}

const EntityPicture& DrawingScene::detailed(int index) const
{
    EntityPicture& picture = m_entities[std::size_t(index)];
    if (picture.detailed) return picture;
    if (const QxDbEntity* entity = liveEntity(picture.id); entity && m_builder) m_builder->detail(*entity, picture);
    picture.detailed = true;
    return picture;
}

bool DrawingScene::changedEntities(const QxDbDatabase& database, std::vector<QxDbObjectId>& owners) const
{
    const QxDbObjectId space = database.modelSpaceId();
    for (const QxDbStub& stub : qx::DbInternals::impl(database).stubs) {
        if (stub.written <= m_revision || !stub.object) continue;
        const QxDbObjectId id(const_cast<QxDbStub*>(&stub));
        // Another block's contents show wherever it is referenced: everything is redone.
        if (QxDbBlockTableRecord::cast(stub.object)) {
            if (id != space) return false;
            continue;
        }
        const auto* entity = QxDbEntity::cast(stub.object);
        if (!entity || entity->ownerId() == space) continue;  // records and dictionaries are not drawn
        // An attribute is drawn with the reference that owns it.
        const auto* owner = QxDbEntity::cast(qx::peekObject(entity->ownerId()));
        if (!owner || owner->ownerId() != space) return false;
        owners.push_back(entity->ownerId());
    }
    return true;
}

bool DrawingScene::update(const QxDbDatabase& database)
{
    if (&database != m_database) {
        build(database);
        return true;
    }
    const std::uint32_t revision = revisionOf(database);
    if (revision == m_revision) return false;
    std::vector<QxDbObjectId> owners;
    const QxDbBlockTableRecord* space = modelSpace(database);
    if (!space || !changedEntities(database, owners)) {
        build(database);
        return true;
    }
    const std::unordered_set<QxDbObjectId> redo(owners.begin(), owners.end());
    m_builder = std::make_unique<PictureBuilder>(database);
    std::vector<EntityPicture> old = std::move(m_entities);
    m_entities.clear();
    m_entities.reserve(old.size());
    // Model space keeps its order: the old pictures are met in the order of its live entities,
    // the erased ones among them passed over.
    std::size_t k = 0;
    for (const QxDbObjectId& id : space->entityIds()) {
        const QxDbEntity* entity = liveEntity(id);
        if (!entity) continue;
        const bool changed = qx::DbInternals::stub(id)->written > m_revision || redo.count(id);
        if (!changed) {
            while (k < old.size() && old[k].id != id) ++k;
            if (k < old.size()) {
                m_entities.push_back(std::move(old[k++]));
                continue;
            }
        } else if (k < old.size() && old[k].id == id) {
            ++k;
        }
        m_entities.push_back(m_builder->outline(*entity));
    }
    m_revision = revision;
    index();
    return true;
}

void DrawingScene::index()
{
    std::vector<QRectF> bounds;
    bounds.reserve(m_entities.size());
    QRectF extents(0, 0, -1, -1);  // none yet
    for (const EntityPicture& entity : m_entities) {
        // A picture with nothing to draw has no place in the index (a point's bounds have no
        // size but do have a place, so an empty rectangle cannot stand for it).
        bounds.push_back(entity.drawn ? entity.bounds : QRectF(0, 0, -1, -1));
        extents = unite(extents, bounds.back());
    }
    m_extents = extents.width() < 0 ? QRectF() : extents;
    m_grid.build(std::move(bounds));
}

int DrawingScene::entityAt(QPointF point, double tolerance) const
{
    const QRectF probe(point.x() - tolerance, point.y() - tolerance, 2 * tolerance, 2 * tolerance);
    QPainterPathStroker stroker;
    stroker.setWidth(2 * tolerance);
    const std::vector<int> near = m_grid.query(probe);
    for (auto it = near.rbegin(); it != near.rend(); ++it) {
        const int i = *it;
        const EntityPicture& entity = detailed(i);
        for (const Stroke& stroke : entity.strokes) {
            if (stroke.filled && stroke.path.contains(point)) return i;
            const QPainterPath outline = stroker.createStroke(stroke.path);
            if (outline.intersects(probe)) return i;
        }
        for (const TextRun& text : entity.texts) {
            const double h = text.height * 1.5;
            if (QRectF(text.anchor.x() - h, text.anchor.y() - h, 2 * h, 2 * h).contains(point)) return i;
        }
    }
    return -1;
}

namespace {
// QRectF::contains refuses a rectangle without width or height, which a line along an axis
// or a point has.
bool inside(const QRectF& area, const QRectF& r)
{
    return r.left() >= area.left() && r.right() <= area.right() && r.top() >= area.top() && r.bottom() <= area.bottom();
}
}  // namespace

std::vector<int> DrawingScene::entitiesCrossing(const QRectF& area) const
{
    std::vector<int> out;
    for (int i : m_grid.query(area)) {
        const EntityPicture& entity = detailed(i);
        // Wholly inside, as a window measures it; else a stroke or a text's anchor in the area.
        const QxDbEntity* live = liveEntity(entity.id);
        const QRectF extents = live ? extentsOf(*live) : QRectF();
        bool crosses = !extents.isNull() && inside(area, extents);
        for (const TextRun& text : entity.texts) crosses = crosses || area.contains(text.anchor);
        for (const Stroke& stroke : entity.strokes) {
            if (crosses) break;
            QPainterPath outline = stroke.path;
            if (!stroke.filled) {
                // An open path's inside is not the entity: test the line itself.
                QPainterPathStroker stroker;
                stroker.setWidth(1e-6 * (1 + area.width()));
                outline = stroker.createStroke(stroke.path);
            }
            crosses = outline.intersects(area);
        }
        if (crosses) out.push_back(i);
    }
    return out;
}

}  // namespace qxgui
