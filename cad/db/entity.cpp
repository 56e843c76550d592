#include "cad/db/geom_util.h"
#include "cad/db/intern.h"
#include "host/dbentities.h"

QX_RX_DEFINE_CLASS(QxDbEntity, QxDbObject, "")
QX_RX_DEFINE_CLASS(QxDbCurve, QxDbEntity, "")
QX_RX_DEFINE_CLASS(QxDbLine, QxDbCurve, "LINE")
QX_RX_DEFINE_CLASS(QxDbPolyline, QxDbCurve, "LWPOLYLINE")
QX_RX_DEFINE_CLASS(QxDbCircle, QxDbCurve, "CIRCLE")
QX_RX_DEFINE_CLASS(QxDbArc, QxDbCurve, "ARC")
QX_RX_DEFINE_CLASS(QxDbSolid, QxDbEntity, "SOLID")
QX_RX_DEFINE_CLASS(QxDb3dSolid, QxDbEntity, "3DSOLID")
QX_RX_DEFINE_CLASS(QxDbPoint, QxDbEntity, "POINT")
QX_RX_DEFINE_CLASS(QxDbMText, QxDbEntity, "MTEXT")
QX_RX_DEFINE_CLASS(QxDbText, QxDbEntity, "TEXT")
QX_RX_DEFINE_CLASS(QxDbAttribute, QxDbText, "ATTRIB")
QX_RX_DEFINE_CLASS(QxDbBlockReference, QxDbEntity, "INSERT")
QX_RX_DEFINE_CLASS(QxDbUnknownEntity, QxDbEntity, "")

namespace {
qx::NameId layerZero() { static const qx::NameId id = qx::internName(u"0"); return id; }
qx::NameId byLayer() { static const qx::NameId id = qx::internName(u"ByLayer"); return id; }
}  // namespace

QxDbEntity::QxDbEntity() : m_layer(layerZero()), m_linetype(byLayer()), m_plotStyle(byLayer()) {}
QxDbEntity::~QxDbEntity() = default;

std::u16string QxDbEntity::layer() const { return qx::internedName(m_layer); }

Qxapp::ErrorStatus QxDbEntity::setLayer(const char16_t* name)
{
    QX_NEEDS_WRITE();
    if (!name || !*name) return Qxapp::eInvalidInput;
    m_layer = qx::internName(name);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbEntity::setColorIndex(std::uint16_t index)
{
    QX_NEEDS_WRITE();
    if (index > 256) return Qxapp::eOutOfRange;
    m_colorIndex = index;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbEntity::setLinetypeScale(double scale)
{
    QX_NEEDS_WRITE();
    if (!(scale > 0) || !std::isfinite(scale)) return Qxapp::eOutOfRange;
    m_linetypeScale = scale;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbEntity::setLineWeight(QxDb::LineWeight weight)
{
    QX_NEEDS_WRITE();
    if (weight < QxDb::kLnWtByLwDefault || weight > 211) return Qxapp::eOutOfRange;
    m_lineWeight = weight;
    return Qxapp::eOk;
}

std::u16string QxDbEntity::plotStyleName() const { return qx::internedName(m_plotStyle); }

Qxapp::ErrorStatus QxDbEntity::setPlotStyleName(const char16_t* name)
{
    QX_NEEDS_WRITE();
    m_plotStyle = (name && *name) ? qx::internName(name) : byLayer();
    return Qxapp::eOk;
}

std::u16string QxDbEntity::linetype() const { return qx::internedName(m_linetype); }

Qxapp::ErrorStatus QxDbEntity::setLinetype(const char16_t* name)
{
    QX_NEEDS_WRITE();
    m_linetype = (name && *name) ? qx::internName(name) : byLayer();
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbEntity::getGeomExtents(QxDbExtents&) const { return Qxapp::eNotApplicable; }
Qxapp::ErrorStatus QxDbEntity::transformBy(const QxGeMatrix3d&) { return Qxapp::eNotApplicable; }

void QxDbEntity::copyEntityDataTo(QxDbEntity& target) const
{
    copyObjectDataTo(target);
    target.m_layer = m_layer;
    target.m_linetype = m_linetype;
    target.m_plotStyle = m_plotStyle;
    target.m_linetypeScale = m_linetypeScale;
    target.m_colorIndex = m_colorIndex;
    target.m_lineWeight = m_lineWeight;
}
