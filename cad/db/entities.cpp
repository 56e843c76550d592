// Solids, points, texts, attributes, block references and entities kept as they came.
#include "cad/db/database_impl.h"
#include "cad/db/geom_util.h"
#include "cad/db/intern.h"
#include "cad/db/mtext_format.h"
#include "host/gi.h"

using qx::geom::Ecs;

namespace {

Qxapp::ErrorStatus checkedNormal(const QxGeVector3d& n, QxDbExtrusion& out)
{
    if (n.isZeroLength()) return Qxapp::eInvalidInput;
    out.setNormal(n.normal());
    return Qxapp::eOk;
}

// Stores an enumerated value when it lies in [first, last].
template <class E>
Qxapp::ErrorStatus setWithin(E& field, E value, E first, E last)
{
    if (value < first || value > last) return Qxapp::eInvalidInput;
    field = value;
    return Qxapp::eOk;
}

// Extents of a rectangle [x0,x1]x[y0,y1] given in a frame at `origin`, rotated about Z.
void growRotatedBox(QxDbExtents& e, bool& empty, const QxGePoint3d& origin, double rotation, double x0, double x1,
                    double y0, double y1)
{
    const double c = std::cos(rotation), s = std::sin(rotation);
    for (double x : {x0, x1})
        for (double y : {y0, y1}) qx::geom::growExtents(e, empty, origin + QxGeVector3d(x * c - y * s, x * s + y * c, 0));
}

double rotationAfter(const QxGeMatrix3d& m, double rotation, const QxGeVector3d& oldNormal, const QxGeVector3d& newNormal)
{
    const Ecs oldEcs(oldNormal), newEcs(newNormal);
    QxGeVector3d dir = oldEcs.x * std::cos(rotation) + oldEcs.y * std::sin(rotation);
    dir.transformBy(m);
    return qx::geom::normalizeAngle(std::atan2(dir.dotProduct(newEcs.y), dir.dotProduct(newEcs.x)));
}

}  // namespace

// 2D solid ------------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbSolid::getPointAt(std::uint16_t index, QxGePoint3d& point) const
{
    if (index > 3) return Qxapp::eInvalidIndex;
    point = m_corners[index];
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbSolid::setPointAt(std::uint16_t index, const QxGePoint3d& point)
{
    QX_NEEDS_WRITE();
    if (index > 3) return Qxapp::eInvalidIndex;
    m_corners[index] = point;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbSolid::setThickness(double t) { QX_NEEDS_WRITE(); m_extrusion.setThickness(t); return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbSolid::setNormal(const QxGeVector3d& n) { QX_NEEDS_WRITE(); return checkedNormal(n, m_extrusion); }

Qxapp::ErrorStatus QxDbSolid::getGeomExtents(QxDbExtents& extents) const
{
    bool empty = true;
    for (const QxGePoint3d& p : m_corners) qx::geom::growExtents(extents, empty, p);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbSolid::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    for (QxGePoint3d& p : m_corners) p.transformBy(m);
    m_extrusion.setNormal(qx::geom::transformNormal(m, m_extrusion.normal()));
    return Qxapp::eOk;
}

QxDbObject* QxDbSolid::clone() const
{
    auto* copy = new QxDbSolid;
    copyEntityDataTo(*copy);
    std::copy(std::begin(m_corners), std::end(m_corners), copy->m_corners);
    copy->m_extrusion = m_extrusion;
    return copy;
}

// 3D solid ------------------------------------------------------------------------------

QxDbObject* QxDb3dSolid::clone() const
{
    auto* copy = new QxDb3dSolid;
    copyEntityDataTo(*copy);
    return copy;
}

// Point ---------------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbPoint::setPosition(const QxGePoint3d& p) { QX_NEEDS_WRITE(); m_position = p; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbPoint::setThickness(double t) { QX_NEEDS_WRITE(); m_extrusion.setThickness(t); return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbPoint::setNormal(const QxGeVector3d& n) { QX_NEEDS_WRITE(); return checkedNormal(n, m_extrusion); }

Qxapp::ErrorStatus QxDbPoint::getGeomExtents(QxDbExtents& extents) const
{
    extents.minPoint = extents.maxPoint = m_position;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbPoint::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    m_position.transformBy(m);
    m_extrusion.setNormal(qx::geom::transformNormal(m, m_extrusion.normal()));
    return Qxapp::eOk;
}

QxDbObject* QxDbPoint::clone() const
{
    auto* copy = new QxDbPoint(m_position);
    copyEntityDataTo(*copy);
    copy->m_extrusion = m_extrusion;
    return copy;
}

// Multi-line text ---------------------------------------------------------------------------

Qxapp::ErrorStatus QxDbMText::setLocation(const QxGePoint3d& p) { QX_NEEDS_WRITE(); m_location = p; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbMText::setContents(const char16_t* contents)
{
    QX_NEEDS_WRITE();
    m_contents = contents ? contents : u"";
    return Qxapp::eOk;
}
std::u16string QxDbMText::text() const { return qx::mtextPlainText(m_contents); }
Qxapp::ErrorStatus QxDbMText::setTextStyle(QxDbObjectId style) { QX_NEEDS_WRITE(); m_textStyle = style; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbMText::setAttachment(AttachmentPoint a)
{
    QX_NEEDS_WRITE();
    return setWithin(m_attachment, a, kTopLeft, kBottomRight);
}
Qxapp::ErrorStatus QxDbMText::setFlowDirection(FlowDirection d)
{
    QX_NEEDS_WRITE();
    return setWithin(m_flowDirection, d, kLtoR, kByStyle);
}
Qxapp::ErrorStatus QxDbMText::setWidth(double w)
{
    QX_NEEDS_WRITE();
    if (w < 0) return Qxapp::eInvalidInput;
    m_width = w;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbMText::setTextHeight(double h)
{
    QX_NEEDS_WRITE();
    if (!(h > 0)) return Qxapp::eInvalidInput;
    m_textHeight = h;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbMText::setRotation(double r) { QX_NEEDS_WRITE(); m_rotation = r; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbMText::setBackgroundFill(bool on) { QX_NEEDS_WRITE(); m_backgroundFill = on; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbMText::setLineSpacingFactor(double f)
{
    QX_NEEDS_WRITE();
    if (f < 0.25 || f > 4.0) return Qxapp::eOutOfRange;
    m_lineSpacingFactor = f;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbMText::setLineSpacingStyle(QxDb::LineSpacingStyle s)
{
    QX_NEEDS_WRITE();
    if (s != QxDb::kAtLeast && s != QxDb::kExactly) return Qxapp::eInvalidInput;
    m_lineSpacingStyle = s;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbMText::getGeomExtents(QxDbExtents& extents) const
{
    // The box of the text's lines around its attachment point; lines are 5/3 of the text
    // height apart, times the spacing factor.
    const std::u16string plain = text();
    QxGiTextStyle style;
    fromQxDbTextStyle(style, m_textStyle);
    style.setTextSize(m_textHeight);
    double width = 0;
    std::size_t lines = 1, start = 0;
    for (std::size_t i = 0; i <= plain.size(); ++i) {
        if (i == plain.size() || plain[i] == u'\n') {
            const std::u16string line = plain.substr(start, i - start);
            width = std::max(width, style.extents(line.c_str(), true, -1, false).x);
            if (i < plain.size()) ++lines;
            start = i + 1;
        }
    }
    if (m_width > 0) width = std::max(width, m_width);
    const double height = m_textHeight * (1 + (lines - 1) * 5.0 / 3.0 * m_lineSpacingFactor);
    const int col = (m_attachment - 1) % 3, row = (m_attachment - 1) / 3;
    const double x0 = -width * col / 2.0;
    const double y1 = height * row / 2.0;
    bool empty = true;
    growRotatedBox(extents, empty, m_location, m_rotation, x0, x0 + width, y1 - height, y1);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbMText::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    const double scale = qx::geom::planeScale(m, Ecs(QxGeVector3d::kZAxis));
    m_rotation = rotationAfter(m, m_rotation, QxGeVector3d::kZAxis, QxGeVector3d::kZAxis);
    m_location.transformBy(m);
    m_textHeight *= scale;
    m_width *= scale;
    return Qxapp::eOk;
}

QxDbObject* QxDbMText::clone() const
{
    auto* copy = new QxDbMText;
    copyEntityDataTo(*copy);
    copy->m_location = m_location;
    copy->m_contents = m_contents;
    copy->m_textStyle = m_textStyle;
    copy->m_attachment = m_attachment;
    copy->m_flowDirection = m_flowDirection;
    copy->m_width = m_width;
    copy->m_textHeight = m_textHeight;
    copy->m_rotation = m_rotation;
    copy->m_lineSpacingFactor = m_lineSpacingFactor;
    copy->m_backgroundFill = m_backgroundFill;
    copy->m_lineSpacingStyle = m_lineSpacingStyle;
    return copy;
}

// Text and attributes -----------------------------------------------------------------

Qxapp::ErrorStatus QxDbText::setPosition(const QxGePoint3d& p) { QX_NEEDS_WRITE(); m_position = p; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbText::setTextString(const char16_t* text)
{
    QX_NEEDS_WRITE();
    m_text = text ? text : u"";
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbText::setHeight(double h)
{
    QX_NEEDS_WRITE();
    if (!(h > 0)) return Qxapp::eInvalidInput;
    m_height = h;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbText::setRotation(double r) { QX_NEEDS_WRITE(); m_rotation = r; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbText::setTextStyle(QxDbObjectId style) { QX_NEEDS_WRITE(); m_textStyle = style; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbText::setHorizontalMode(HorizontalMode mode)
{
    QX_NEEDS_WRITE();
    return setWithin(m_horizontalMode, mode, kHorizontalLeft, kHorizontalFit);
}
Qxapp::ErrorStatus QxDbText::setVerticalMode(VerticalMode mode)
{
    QX_NEEDS_WRITE();
    return setWithin(m_verticalMode, mode, kVerticalBaseline, kVerticalTop);
}
Qxapp::ErrorStatus QxDbText::setAlignmentPoint(const QxGePoint3d& p) { QX_NEEDS_WRITE(); m_alignmentPoint = p; return Qxapp::eOk; }

Qxapp::ErrorStatus QxDbText::getGeomExtents(QxDbExtents& extents) const
{
    QxGiTextStyle style;
    fromQxDbTextStyle(style, m_textStyle);
    style.setTextSize(m_height);
    const double width = style.extents(m_text.c_str(), true, -1, false).x;
    bool empty = true;
    growRotatedBox(extents, empty, m_position, m_rotation, 0, width, 0, m_height);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbText::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    const double scale = qx::geom::planeScale(m, Ecs(QxGeVector3d::kZAxis));
    m_rotation = rotationAfter(m, m_rotation, QxGeVector3d::kZAxis, QxGeVector3d::kZAxis);
    m_position.transformBy(m);
    m_alignmentPoint.transformBy(m);
    m_height *= scale;
    return Qxapp::eOk;
}

void QxDbText::copyTextDataTo(QxDbText& target) const
{
    copyEntityDataTo(target);
    target.m_position = m_position;
    target.m_text = m_text;
    target.m_height = m_height;
    target.m_rotation = m_rotation;
    target.m_textStyle = m_textStyle;
    target.m_alignmentPoint = m_alignmentPoint;
    target.m_horizontalMode = m_horizontalMode;
    target.m_verticalMode = m_verticalMode;
}

QxDbObject* QxDbText::clone() const
{
    auto* copy = new QxDbText;
    copyTextDataTo(*copy);
    return copy;
}

Qxapp::ErrorStatus QxDbAttribute::setTag(const char16_t* tag)
{
    QX_NEEDS_WRITE();
    if (!tag || !*tag) return Qxapp::eInvalidInput;
    m_tag = tag;
    return Qxapp::eOk;
}

QxDbObject* QxDbAttribute::clone() const
{
    auto* copy = new QxDbAttribute;
    copyTextDataTo(*copy);
    copy->m_tag = m_tag;
    return copy;
}

// Block reference ---------------------------------------------------------------------

QxDbBlockReference::~QxDbBlockReference() = default;

Qxapp::ErrorStatus QxDbBlockReference::setBlockTableRecord(QxDbObjectId record)
{
    QX_NEEDS_WRITE();
    m_blockTableRecord = record;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbBlockReference::setPosition(const QxGePoint3d& p) { QX_NEEDS_WRITE(); m_position = p; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbBlockReference::setRotation(double r) { QX_NEEDS_WRITE(); m_rotation = r; return Qxapp::eOk; }
Qxapp::ErrorStatus QxDbBlockReference::setScaleFactors(const QxGeScale3d& s)
{
    QX_NEEDS_WRITE();
    if (s.sx == 0 || s.sy == 0 || s.sz == 0) return Qxapp::eInvalidInput;
    m_scale = s;
    return Qxapp::eOk;
}
Qxapp::ErrorStatus QxDbBlockReference::setNormal(const QxGeVector3d& n) { QX_NEEDS_WRITE(); return checkedNormal(n, m_extrusion); }

QxDbObjectIterator* QxDbBlockReference::attributeIterator() const
{
    std::vector<QxDbObjectId> live;
    for (const QxDbObjectId& id : m_attributes)
        if (!id.isErased()) live.push_back(id);
    return new QxDbObjectIterator(std::move(live));
}

Qxapp::ErrorStatus QxDbBlockReference::appendAttribute(QxDbObjectId& id, QxDbAttribute* attribute)
{
    id = QxDbObjectId::kNull;
    if (!attribute) return Qxapp::eInvalidInput;
    if (isNewObject()) return Qxapp::eNotInDatabase;
    QX_NEEDS_WRITE();
    if (!attribute->isNewObject()) return Qxapp::eAlreadyInDb;
    auto& impl = qx::DbInternals::impl(*database());
    const Qxapp::ErrorStatus es = impl.add(attribute, 0, objectId(), id);
    if (es != Qxapp::eOk) return es;
    m_attributes.push_back(id);
    impl.openNewForWrite(qx::DbInternals::stub(id));
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbBlockReference::openAttribute(QxDbAttribute*& attribute, QxDbObjectId id, QxDb::OpenMode mode,
                                                     bool openErased) const
{
    attribute = nullptr;
    if (std::find(m_attributes.begin(), m_attributes.end(), id) == m_attributes.end()) return Qxapp::eInvalidInput;
    return qxdbOpenObject(attribute, id, mode, openErased);
}

Qxapp::ErrorStatus QxDbBlockReference::setDynamicProperties(std::vector<DynamicProperty> properties)
{
    QX_NEEDS_WRITE();
    m_dynamicProperties = std::move(properties);
    return Qxapp::eOk;
}

namespace {

// The transform from the block's coordinates to the world: scale, rotate about the
// normal, place at the position, with the block's origin at the position.
QxGeMatrix3d blockTransform(const QxGePoint3d& position, double rotation, const QxGeScale3d& scale,
                            const QxGeVector3d& normal, const QxGePoint3d& origin)
{
    const Ecs ecs(normal);
    const double c = std::cos(rotation), s = std::sin(rotation);
    const QxGeVector3d x = (ecs.x * c + ecs.y * s) * scale.sx;
    const QxGeVector3d y = (ecs.y * c - ecs.x * s) * scale.sy;
    const QxGeVector3d z = ecs.z * scale.sz;
    QxGeMatrix3d m;
    m.setCoordSystem(position, x, y, z);
    QxGeMatrix3d shift;
    shift.entry[0][3] = -origin.x;
    shift.entry[1][3] = -origin.y;
    shift.entry[2][3] = -origin.z;
    return m * shift;
}

void growTransformedExtents(QxDbExtents& out, bool& empty, const QxDbExtents& e, const QxGeMatrix3d& m)
{
    for (double x : {e.minPoint.x, e.maxPoint.x})
        for (double y : {e.minPoint.y, e.maxPoint.y})
            for (double z : {e.minPoint.z, e.maxPoint.z}) {
                QxGePoint3d p(x, y, z);
                qx::geom::growExtents(out, empty, p.transformBy(m));
            }
}

thread_local int blockExtentsDepth = 0;

}  // namespace

Qxapp::ErrorStatus QxDbBlockReference::getGeomExtents(QxDbExtents& extents) const
{
    bool empty = true;
    QxDbBlockTableRecord* block = nullptr;
    // A block that (wrongly) contains a reference to itself must not recurse for ever.
    if (blockExtentsDepth < 16 && qxdbOpenObject(block, m_blockTableRecord, QxDb::kForRead) == Qxapp::eOk) {
        ++blockExtentsDepth;
        const QxGeMatrix3d m = blockTransform(m_position, m_rotation, m_scale, m_extrusion.normal(), block->origin());
        for (const QxDbObjectId& id : block->entityIds()) {
            QxDbEntity* entity = nullptr;
            if (qxdbOpenQxDbEntity(entity, id, QxDb::kForRead) != Qxapp::eOk) continue;
            QxDbExtents e;
            if (entity->getGeomExtents(e) == Qxapp::eOk) growTransformedExtents(extents, empty, e, m);
            entity->close();
        }
        --blockExtentsDepth;
        block->close();
    }
    for (const QxDbObjectId& id : m_attributes) {
        QxDbEntity* attribute = nullptr;
        if (qxdbOpenQxDbEntity(attribute, id, QxDb::kForRead) != Qxapp::eOk) continue;
        QxDbExtents e;
        if (attribute->getGeomExtents(e) == Qxapp::eOk) {
            qx::geom::growExtents(extents, empty, e.minPoint);
            qx::geom::growExtents(extents, empty, e.maxPoint);
        }
        attribute->close();
    }
    if (empty) extents.minPoint = extents.maxPoint = m_position;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbBlockReference::transformBy(const QxGeMatrix3d& m)
{
    QX_NEEDS_WRITE();
    const QxGeVector3d oldNormal = m_extrusion.normal();
    const QxGeVector3d newNormal = qx::geom::transformNormal(m, oldNormal);
    const double scale = qx::geom::planeScale(m, Ecs(oldNormal));
    m_rotation = rotationAfter(m, m_rotation, oldNormal, newNormal);
    m_position.transformBy(m);
    m_scale = {m_scale.sx * scale, m_scale.sy * scale, m_scale.sz * scale};
    m_extrusion.setNormal(newNormal);
    // The attributes move with their reference.
    for (const QxDbObjectId& id : m_attributes) {
        QxDbEntity* attribute = nullptr;
        if (qxdbOpenQxDbEntity(attribute, id, QxDb::kForWrite) != Qxapp::eOk) continue;
        attribute->transformBy(m);
        attribute->close();
    }
    return Qxapp::eOk;
}

void QxDbBlockReference::copyReferenceDataTo(QxDbBlockReference& target) const
{
    // Attributes are objects of their own: whoever adds the copy to a drawing copies them
    // (they cannot belong to two references).
    copyEntityDataTo(target);
    target.m_position = m_position;
    target.m_blockTableRecord = m_blockTableRecord;
    target.m_rotation = m_rotation;
    target.m_scale = m_scale;
    target.m_extrusion = m_extrusion;
    target.m_dynamicProperties = m_dynamicProperties;
}

QxDbObject* QxDbBlockReference::clone() const
{
    auto* copy = new QxDbBlockReference;
    copyReferenceDataTo(*copy);
    return copy;
}

// Unknown entities --------------------------------------------------------------------

QxDbUnknownEntity::QxDbUnknownEntity(std::u16string_view typeName) : m_typeName(qx::internName(typeName)) {}

std::u16string QxDbUnknownEntity::dxfTypeName() const { return qx::internedName(m_typeName); }

QxDbObject* QxDbUnknownEntity::clone() const
{
    auto* copy = new QxDbUnknownEntity(dxfTypeName());
    copyEntityDataTo(*copy);
    return copy;
}
