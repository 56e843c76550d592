// Entities of the drawing: general properties, curves, solids, points, texts and block
// references with attributes. Getters are what the module reads; setters are how the host's
// file reader, its console and tests build drawings.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbobject.h"
#include "geometry.h"

struct QxDbExtents {
    QxGePoint3d minPoint, maxPoint;
};

// The thickness and extrusion direction (normal) of a planar entity. Nearly every entity of a
// real drawing keeps the defaults, thickness 0 and the Z axis, so the two are allocated apart
// and only while one of them differs: 8 bytes on every entity instead of 32. Values come back
// exactly as they were set; the entities check and normalise them first.
class QxDbExtrusion {
public:
    QxDbExtrusion() = default;
    QxDbExtrusion(const QxDbExtrusion& other)
        : m_data(other.m_data ? std::make_unique<Data>(*other.m_data) : nullptr) {}
    QxDbExtrusion& operator=(const QxDbExtrusion& other)
    {
        if (this != &other) m_data = other.m_data ? std::make_unique<Data>(*other.m_data) : nullptr;
        return *this;
    }
    QxDbExtrusion(QxDbExtrusion&&) noexcept = default;
    QxDbExtrusion& operator=(QxDbExtrusion&&) noexcept = default;

    double thickness() const { return m_data ? m_data->thickness : 0.0; }
    QxGeVector3d normal() const { return m_data ? m_data->normal : QxGeVector3d::kZAxis; }
    void setThickness(double thickness) { set(thickness, normal()); }
    void setNormal(const QxGeVector3d& normal) { set(thickness(), normal); }

private:
    struct Data {
        double thickness;
        QxGeVector3d normal;
    };
    // Bit for bit: a negative zero compares equal to zero but must come back as it was set.
    static bool isDefault(double thickness, const QxGeVector3d& n)
    {
        constexpr auto bits = [](double d) { return std::bit_cast<std::uint64_t>(d); };
        return bits(thickness) == bits(0.0) && bits(n.x) == bits(0.0) && bits(n.y) == bits(0.0) &&
               bits(n.z) == bits(1.0);
    }
    void set(double thickness, const QxGeVector3d& normal)
    {
        if (isDefault(thickness, normal)) m_data.reset();
        else if (m_data) *m_data = {thickness, normal};
        else m_data = std::make_unique<Data>(Data{thickness, normal});
    }

    std::unique_ptr<Data> m_data;
};

namespace QxDb {
// Line weights in hundredths of a millimetre, or one of the three special values.
enum LineWeight : std::int16_t {
    kLnWtByLayer = -1,
    kLnWtByBlock = -2,
    kLnWtByLwDefault = -3,
    kLnWt000 = 0,
    kLnWt025 = 25,
};
enum LineSpacingStyle { kAtLeast = 1, kExactly = 2 };
}  // namespace QxDb

class QxDbEntity : public QxDbObject {
    QX_RX_DECLARE_MEMBERS(QxDbEntity)
public:
    QxDbEntity();
    ~QxDbEntity() override;

    std::u16string layer() const;
    Qxapp::ErrorStatus setLayer(const char16_t* name);
    std::uint16_t colorIndex() const { return m_colorIndex; }  // 256 by layer, 0 by block
    Qxapp::ErrorStatus setColorIndex(std::uint16_t index);
    double linetypeScale() const { return m_linetypeScale; }
    Qxapp::ErrorStatus setLinetypeScale(double scale);
    QxDb::LineWeight lineWeight() const { return m_lineWeight; }
    Qxapp::ErrorStatus setLineWeight(QxDb::LineWeight weight);
    std::u16string plotStyleName() const;  // "ByLayer" when the entity names none
    Qxapp::ErrorStatus setPlotStyleName(const char16_t* name);
    std::u16string linetype() const;  // "ByLayer" when the entity names none
    Qxapp::ErrorStatus setLinetype(const char16_t* name);

    // Bounding box in world coordinates.
    virtual Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const;
    // Moves, rotates or scales the entity; needs it open for write.
    virtual Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform);

protected:
    void copyEntityDataTo(QxDbEntity& target) const;

private:
    // Names by their number in the host's table of interned names: small, as every entity
    // carries them.
    std::uint32_t m_layer;
    std::uint32_t m_linetype;
    std::uint32_t m_plotStyle;
    std::uint16_t m_colorIndex = 256;
    QxDb::LineWeight m_lineWeight = QxDb::kLnWtByLayer;
    double m_linetypeScale = 1.0;
};

// A curve: parameters run from the start parameter to the end parameter; distances are
// measured along the curve from its start.
class QxDbCurve : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDbCurve)
public:
    virtual bool isClosed() const { return false; }
    virtual Qxapp::ErrorStatus getStartParam(double& param) const;
    virtual Qxapp::ErrorStatus getEndParam(double& param) const = 0;
    virtual Qxapp::ErrorStatus getStartPoint(QxGePoint3d& point) const;
    virtual Qxapp::ErrorStatus getEndPoint(QxGePoint3d& point) const;
    virtual Qxapp::ErrorStatus getPointAtParam(double param, QxGePoint3d& point) const = 0;
    virtual Qxapp::ErrorStatus getDistAtParam(double param, double& dist) const = 0;
    // The parameter of a point on the curve (within the global tolerance).
    virtual Qxapp::ErrorStatus getParamAtPoint(const QxGePoint3d& point, double& param) const = 0;
    Qxapp::ErrorStatus getDistAtPoint(const QxGePoint3d& point, double& dist) const;
    virtual Qxapp::ErrorStatus getArea(double& area) const = 0;
};

class QxDbLine : public QxDbCurve {
    QX_RX_DECLARE_MEMBERS(QxDbLine)
public:
    QxDbLine() = default;
    QxDbLine(const QxGePoint3d& start, const QxGePoint3d& end) : m_start(start), m_end(end) {}
    QxGePoint3d startPoint() const { return m_start; }
    QxGePoint3d endPoint() const { return m_end; }
    Qxapp::ErrorStatus setStartPoint(const QxGePoint3d& point);
    Qxapp::ErrorStatus setEndPoint(const QxGePoint3d& point);
    double thickness() const { return m_extrusion.thickness(); }
    Qxapp::ErrorStatus setThickness(double thickness);
    QxGeVector3d normal() const { return m_extrusion.normal(); }
    Qxapp::ErrorStatus setNormal(const QxGeVector3d& normal);

    Qxapp::ErrorStatus getEndParam(double& param) const override;
    Qxapp::ErrorStatus getPointAtParam(double param, QxGePoint3d& point) const override;
    Qxapp::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Qxapp::ErrorStatus getParamAtPoint(const QxGePoint3d& point, double& param) const override;
    Qxapp::ErrorStatus getArea(double& area) const override;
    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

private:
    QxGePoint3d m_start, m_end;
    QxDbExtrusion m_extrusion;
};

// A lightweight polyline: 2D vertices in its own plane (elevation and normal), each with a
// bulge (tan of a quarter of the included angle of the arc to the next vertex) and widths.
class QxDbPolyline : public QxDbCurve {
    QX_RX_DECLARE_MEMBERS(QxDbPolyline)
public:
    struct Vertex {
        QxGePoint2d point;
        double bulge = 0, startWidth = 0, endWidth = 0;
    };

    unsigned int numVerts() const { return static_cast<unsigned int>(m_vertices.size()); }
    Qxapp::ErrorStatus addVertexAt(unsigned int index, const QxGePoint2d& point, double bulge = 0,
                                   double startWidth = -1, double endWidth = -1);
    Qxapp::ErrorStatus removeVertexAt(unsigned int index);
    Qxapp::ErrorStatus getPointAt(unsigned int index, QxGePoint2d& point) const;
    Qxapp::ErrorStatus getPointAt(unsigned int index, QxGePoint3d& point) const;  // world
    Qxapp::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    Qxapp::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    Qxapp::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
    Qxapp::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);
    // eOk with the width when every segment has the same constant width, else eNotApplicable.
    Qxapp::ErrorStatus getConstantWidth(double& width) const;
    Qxapp::ErrorStatus setConstantWidth(double width);
    void setClosed(bool closed);
    bool isClosed() const override { return m_closed; }
    bool hasPlinegen() const { return m_plinegen; }
    void setPlinegen(bool plinegen);
    double thickness() const { return m_extrusion.thickness(); }
    Qxapp::ErrorStatus setThickness(double thickness);
    double elevation() const { return m_elevation; }
    void setElevation(double elevation);
    QxGeVector3d normal() const { return m_extrusion.normal(); }
    Qxapp::ErrorStatus setNormal(const QxGeVector3d& normal);

    Qxapp::ErrorStatus getEndParam(double& param) const override;
    Qxapp::ErrorStatus getPointAtParam(double param, QxGePoint3d& point) const override;
    Qxapp::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Qxapp::ErrorStatus getParamAtPoint(const QxGePoint3d& point, double& param) const override;
    Qxapp::ErrorStatus getArea(double& area) const override;
    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

private:
    std::vector<Vertex> m_vertices;
    bool m_closed = false;
    bool m_plinegen = false;
    double m_elevation = 0;
    QxDbExtrusion m_extrusion;
};

class QxDbCircle : public QxDbCurve {
    QX_RX_DECLARE_MEMBERS(QxDbCircle)
public:
    QxDbCircle() = default;
    QxDbCircle(const QxGePoint3d& center, double radius) : m_center(center), m_radius(radius) {}
    QxGePoint3d center() const { return m_center; }
    Qxapp::ErrorStatus setCenter(const QxGePoint3d& center);
    double radius() const { return m_radius; }
    Qxapp::ErrorStatus setRadius(double radius);
    double thickness() const { return m_extrusion.thickness(); }
    Qxapp::ErrorStatus setThickness(double thickness);
    QxGeVector3d normal() const { return m_extrusion.normal(); }
    Qxapp::ErrorStatus setNormal(const QxGeVector3d& normal);

    bool isClosed() const override { return true; }
    Qxapp::ErrorStatus getEndParam(double& param) const override;
    Qxapp::ErrorStatus getPointAtParam(double param, QxGePoint3d& point) const override;
    Qxapp::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Qxapp::ErrorStatus getParamAtPoint(const QxGePoint3d& point, double& param) const override;
    Qxapp::ErrorStatus getArea(double& area) const override;
    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

private:
    QxGePoint3d m_center;
    double m_radius = 0;
    QxDbExtrusion m_extrusion;
};

// An arc: counter-clockwise from the start angle to the end angle (radians, in its plane).
class QxDbArc : public QxDbCurve {
    QX_RX_DECLARE_MEMBERS(QxDbArc)
public:
    QxDbArc() = default;
    QxDbArc(const QxGePoint3d& center, double radius, double startAngle, double endAngle)
        : m_center(center), m_radius(radius), m_startAngle(startAngle), m_endAngle(endAngle) {}
    QxGePoint3d center() const { return m_center; }
    Qxapp::ErrorStatus setCenter(const QxGePoint3d& center);
    double radius() const { return m_radius; }
    Qxapp::ErrorStatus setRadius(double radius);
    double startAngle() const { return m_startAngle; }
    Qxapp::ErrorStatus setStartAngle(double angle);
    double endAngle() const { return m_endAngle; }
    Qxapp::ErrorStatus setEndAngle(double angle);
    double thickness() const { return m_extrusion.thickness(); }
    Qxapp::ErrorStatus setThickness(double thickness);
    QxGeVector3d normal() const { return m_extrusion.normal(); }
    Qxapp::ErrorStatus setNormal(const QxGeVector3d& normal);

    Qxapp::ErrorStatus getStartParam(double& param) const override;
    Qxapp::ErrorStatus getEndParam(double& param) const override;
    Qxapp::ErrorStatus getPointAtParam(double param, QxGePoint3d& point) const override;
    Qxapp::ErrorStatus getDistAtParam(double param, double& dist) const override;
    Qxapp::ErrorStatus getParamAtPoint(const QxGePoint3d& point, double& param) const override;
    Qxapp::ErrorStatus getArea(double& area) const override;
    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

private:
    QxGePoint3d m_center;
    double m_radius = 0, m_startAngle = 0, m_endAngle = 0;
    QxDbExtrusion m_extrusion;
};

// A 2D solid: a filled quadrilateral (or triangle when the last two corners coincide).
class QxDbSolid : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDbSolid)
public:
    Qxapp::ErrorStatus getPointAt(std::uint16_t index, QxGePoint3d& point) const;
    Qxapp::ErrorStatus setPointAt(std::uint16_t index, const QxGePoint3d& point);
    double thickness() const { return m_extrusion.thickness(); }
    Qxapp::ErrorStatus setThickness(double thickness);
    QxGeVector3d normal() const { return m_extrusion.normal(); }
    Qxapp::ErrorStatus setNormal(const QxGeVector3d& normal);
    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

private:
    QxGePoint3d m_corners[4];
    QxDbExtrusion m_extrusion;
};

// A 3D solid. Its modeller data is opaque to the host.
class QxDb3dSolid : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDb3dSolid)
public:
    QxDbObject* clone() const override;
};

class QxDbPoint : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDbPoint)
public:
    QxDbPoint() = default;
    explicit QxDbPoint(const QxGePoint3d& position) : m_position(position) {}
    QxGePoint3d position() const { return m_position; }
    Qxapp::ErrorStatus setPosition(const QxGePoint3d& position);
    double thickness() const { return m_extrusion.thickness(); }
    Qxapp::ErrorStatus setThickness(double thickness);
    QxGeVector3d normal() const { return m_extrusion.normal(); }
    Qxapp::ErrorStatus setNormal(const QxGeVector3d& normal);
    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

private:
    QxGePoint3d m_position;
    QxDbExtrusion m_extrusion;
};

class QxDbMText : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDbMText)
public:
    enum AttachmentPoint {
        kTopLeft = 1, kTopCenter = 2, kTopRight = 3,
        kMiddleLeft = 4, kMiddleCenter = 5, kMiddleRight = 6,
        kBottomLeft = 7, kBottomCenter = 8, kBottomRight = 9,
    };
    enum FlowDirection { kLtoR = 1, kRtoL = 2, kTtoB = 3, kBtoT = 4, kByStyle = 5 };

    QxGePoint3d location() const { return m_location; }
    Qxapp::ErrorStatus setLocation(const QxGePoint3d& location);
    std::u16string contents() const { return m_contents; }  // with inline formatting codes
    Qxapp::ErrorStatus setContents(const char16_t* contents);
    std::u16string text() const;  // the plain text, formatting codes removed
    QxDbObjectId textStyle() const { return m_textStyle; }
    Qxapp::ErrorStatus setTextStyle(QxDbObjectId style);
    AttachmentPoint attachment() const { return m_attachment; }
    Qxapp::ErrorStatus setAttachment(AttachmentPoint attachment);
    FlowDirection flowDirection() const { return m_flowDirection; }
    Qxapp::ErrorStatus setFlowDirection(FlowDirection direction);
    double width() const { return m_width; }
    Qxapp::ErrorStatus setWidth(double width);
    double textHeight() const { return m_textHeight; }
    Qxapp::ErrorStatus setTextHeight(double height);
    double rotation() const { return m_rotation; }  // radians
    Qxapp::ErrorStatus setRotation(double rotation);
    bool backgroundFillOn() const { return m_backgroundFill; }
    Qxapp::ErrorStatus setBackgroundFill(bool on);
    double lineSpacingFactor() const { return m_lineSpacingFactor; }
    Qxapp::ErrorStatus setLineSpacingFactor(double factor);
    QxDb::LineSpacingStyle lineSpacingStyle() const { return m_lineSpacingStyle; }
    Qxapp::ErrorStatus setLineSpacingStyle(QxDb::LineSpacingStyle style);
    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

private:
    QxGePoint3d m_location;
    std::u16string m_contents;
    QxDbObjectId m_textStyle;
    AttachmentPoint m_attachment = kTopLeft;
    FlowDirection m_flowDirection = kLtoR;
    double m_width = 0, m_textHeight = 2.5, m_rotation = 0, m_lineSpacingFactor = 1.0;
    bool m_backgroundFill = false;
    QxDb::LineSpacingStyle m_lineSpacingStyle = QxDb::kAtLeast;
};

// Single-line text. The module does not read it; attributes derive from it.
class QxDbText : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDbText)
public:
    QxGePoint3d position() const { return m_position; }
    Qxapp::ErrorStatus setPosition(const QxGePoint3d& position);
    std::u16string textString() const { return m_text; }
    Qxapp::ErrorStatus setTextString(const char16_t* text);
    double height() const { return m_height; }
    Qxapp::ErrorStatus setHeight(double height);
    double rotation() const { return m_rotation; }
    Qxapp::ErrorStatus setRotation(double rotation);
    QxDbObjectId textStyle() const { return m_textStyle; }
    Qxapp::ErrorStatus setTextStyle(QxDbObjectId style);

    // How the text sits against its alignment point. Left on the baseline (both 0) places it
    // at its position and the alignment point means nothing; aligned and fitted texts run
    // from the position to the alignment point; middle centres it on the alignment point
    // both ways, whatever the vertical mode.
    enum HorizontalMode { kHorizontalLeft = 0, kHorizontalCenter = 1, kHorizontalRight = 2,
                          kHorizontalAligned = 3, kHorizontalMiddle = 4, kHorizontalFit = 5 };
    enum VerticalMode { kVerticalBaseline = 0, kVerticalBottom = 1, kVerticalMiddle = 2, kVerticalTop = 3 };
    HorizontalMode horizontalMode() const { return m_horizontalMode; }
    Qxapp::ErrorStatus setHorizontalMode(HorizontalMode mode);
    VerticalMode verticalMode() const { return m_verticalMode; }
    Qxapp::ErrorStatus setVerticalMode(VerticalMode mode);
    QxGePoint3d alignmentPoint() const { return m_alignmentPoint; }
    Qxapp::ErrorStatus setAlignmentPoint(const QxGePoint3d& point);

    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

protected:
    void copyTextDataTo(QxDbText& target) const;

private:
    QxGePoint3d m_position;
    std::u16string m_text;
    double m_height = 2.5, m_rotation = 0;
    QxDbObjectId m_textStyle;
    QxGePoint3d m_alignmentPoint;
    HorizontalMode m_horizontalMode = kHorizontalLeft;
    VerticalMode m_verticalMode = kVerticalBaseline;
};

// An attribute of a block reference: a tag and its value (the text string).
class QxDbAttribute : public QxDbText {
    QX_RX_DECLARE_MEMBERS(QxDbAttribute)
public:
    std::u16string tag() const { return m_tag; }
    Qxapp::ErrorStatus setTag(const char16_t* tag);
    QxDbObject* clone() const override;

private:
    std::u16string m_tag;
};

// Walks the ids of a sequence of objects (such as a block reference's attributes).
class QxDbObjectIterator {
public:
    explicit QxDbObjectIterator(std::vector<QxDbObjectId> ids) : m_ids(std::move(ids)) {}
    bool done() const { return m_index >= m_ids.size(); }
    void step() { ++m_index; }
    QxDbObjectId objectId() const { return done() ? QxDbObjectId::kNull : m_ids[m_index]; }

private:
    std::vector<QxDbObjectId> m_ids;
    std::size_t m_index = 0;
};

class QxDbEvalVariant;

class QxDbBlockReference : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDbBlockReference)
public:
    QxDbBlockReference() = default;
    QxDbBlockReference(const QxGePoint3d& position, QxDbObjectId blockTableRecord)
        : m_position(position), m_blockTableRecord(blockTableRecord) {}
    ~QxDbBlockReference() override;

    QxDbObjectId blockTableRecord() const { return m_blockTableRecord; }
    Qxapp::ErrorStatus setBlockTableRecord(QxDbObjectId record);
    QxGePoint3d position() const { return m_position; }
    Qxapp::ErrorStatus setPosition(const QxGePoint3d& position);
    double rotation() const { return m_rotation; }  // radians
    Qxapp::ErrorStatus setRotation(double rotation);
    QxGeScale3d scaleFactors() const { return m_scale; }
    Qxapp::ErrorStatus setScaleFactors(const QxGeScale3d& scale);
    QxGeVector3d normal() const { return m_extrusion.normal(); }
    Qxapp::ErrorStatus setNormal(const QxGeVector3d& normal);

    // Attributes. The iterator is the caller's to delete.
    QxDbObjectIterator* attributeIterator() const;
    // Adds an attribute owned by this reference; the reference must be in a database and
    // open for write. The attribute comes back open for write.
    Qxapp::ErrorStatus appendAttribute(QxDbObjectId& id, QxDbAttribute* attribute);
    Qxapp::ErrorStatus openAttribute(QxDbAttribute*& attribute, QxDbObjectId id, QxDb::OpenMode mode,
                                     bool openErased = false) const;
    // Host bookkeeping, for the file reader: records an attribute already added to the
    // database (with this reference as its owner).
    void addAttributeId(QxDbObjectId id) { m_attributes.push_back(id); }
    const std::vector<QxDbObjectId>& attributeIds() const { return m_attributes; }

    // Values of the dynamic properties of this reference, as the drawing stores them.
    struct DynamicProperty {
        std::u16string name;
        short restype = 0;  // 1 text, 40 real, 70 16-bit integer, 90 32-bit integer, ...
        std::u16string text;
        double real = 0;
        std::int32_t integer = 0;
    };
    const std::vector<DynamicProperty>& dynamicProperties() const { return m_dynamicProperties; }
    Qxapp::ErrorStatus setDynamicProperties(std::vector<DynamicProperty> properties);

    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    Qxapp::ErrorStatus transformBy(const QxGeMatrix3d& transform) override;
    QxDbObject* clone() const override;

protected:
    void copyReferenceDataTo(QxDbBlockReference& target) const;

private:
    QxGePoint3d m_position;
    QxDbObjectId m_blockTableRecord;
    double m_rotation = 0;
    QxGeScale3d m_scale;
    QxDbExtrusion m_extrusion;  // the normal only: a reference has no thickness
    std::vector<QxDbObjectId> m_attributes;
    std::vector<DynamicProperty> m_dynamicProperties;
};

// An entity of a kind the host keeps but does not interpret (an ellipse, a hatch, anything
// unknown from a drawing file): it keeps its type name.
class QxDbUnknownEntity : public QxDbEntity {
    QX_RX_DECLARE_MEMBERS(QxDbUnknownEntity)
public:
    explicit QxDbUnknownEntity(std::u16string_view typeName);
    std::u16string dxfTypeName() const override;
    QxDbObject* clone() const override;

private:
    std::uint32_t m_typeName;  // an interned name: drawings hold many entities of one kind
};
