// Entity records: the engine's snapshot of one drawing object, read once and then turned
// into (property name, value text) pairs as often as tables are built. Records never touch
// the drawing after construction.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/prop_item.h"
#include "host/dbid.h"
#include "host/geometry.h"

struct PropertyPair {
    std::u16string name;
    std::u16string value;
    bool operator==(const PropertyPair&) const = default;
};
using PropertyList = std::vector<PropertyPair>;
using PropItemList = std::vector<PropItem>;

// Type codes of the extracted kinds; one plus the kind's position among the object names.
enum EntityTypeCode : std::uint32_t {
    kTypeBlock = 1,
    kTypeLine = 2,
    kTypePolyline = 3,
    kTypeArc = 4,
    kTypeCircle = 5,
    kTypeSolid = 6,
    kTypeSolid3D = 7,
    kTypePoint = 8,
    kTypeMText = 9,
};

class BaseEnt {
public:
    BaseEnt(std::u16string handle, std::uint32_t type, std::u16string name)
        : type(type), name(std::move(name)), handle(std::move(handle)) {}

    // The kind's display name from the catalogue's object names; empty for an unknown code.
    std::u16string typeName(const std::vector<std::u16string>& lsObjNames) const;

    std::uint32_t type;
    std::u16string name;    // block name for block references, else the kind's name
    std::u16string handle;  // hexadecimal handle text: how the object is found again
};

// The general properties, already in display form where they are texts.
struct CommonProps {
    std::u16string layer;
    std::u16string color;
    double linetypeScale;
    double thickness;
    std::u16string lineWeight;
    std::vector<std::u16string> hyperlinks;
    std::u16string plotStyle;
    std::u16string linetype;
};

class GeomEnt : public BaseEnt {
public:
    GeomEnt(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp)
        : BaseEnt(std::move(handle), type, std::move(name)), commonProp(std::move(commonProp)) {}
    virtual ~GeomEnt() = default;
    GeomEnt(const GeomEnt&) = default;
    GeomEnt& operator=(const GeomEnt&) = default;
    // Moves keep the engine's sequences cheap to grow.
    GeomEnt(GeomEnt&&) noexcept = default;
    GeomEnt& operator=(GeomEnt&&) noexcept = default;

    // The kind's own pairs; `names` is the catalogue list of the kind, read by position.
    virtual PropertyList getProperties(const PropItemList& names) const = 0;
    // The general pairs; `names` is the catalogue's general list (8 entries), by position.
    // Without thickness the Thickness pair is left out and the list has seven pairs.
    PropertyList getCommonProperties(const PropItemList& names) const;

    CommonProps commonProp;
    bool hasThickness = true;  // cleared for kinds that have no thickness (3D solids, texts)
};

class Line : public GeomEnt {
public:
    Line(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp, double angle,
         double deltaX, double deltaY, double deltaZ, QxGePoint3d startPt, QxGePoint3d endPt, double length)
        : GeomEnt(std::move(handle), type, std::move(name), std::move(commonProp)),
          angle(angle), deltaX(deltaX), deltaY(deltaY), deltaZ(deltaZ), startPt(startPt), endPt(endPt),
          length(length) {}
    PropertyList getProperties(const PropItemList& names) const override;

    double angle;  // degrees, direction from start to end in the XY plane
    double deltaX, deltaY, deltaZ;
    QxGePoint3d startPt, endPt;
    double length;
};

class PolyLine : public GeomEnt {
public:
    PolyLine(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp, double area,
             double constWidth, double length, std::int32_t closed, std::int32_t plinegen)
        : GeomEnt(std::move(handle), type, std::move(name), std::move(commonProp)),
          area(area), constWidth(constWidth), length(length), closed(closed), plinegen(plinegen) {}
    PropertyList getProperties(const PropItemList& names) const override;

    double area, constWidth, length;
    std::int32_t closed;    // 1 when closed
    std::int32_t plinegen;  // 1 when linetype generation is on
};

class Circle : public GeomEnt {
public:
    Circle(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp, double area,
           QxGePoint3d center, double radius, double periphery)
        : GeomEnt(std::move(handle), type, std::move(name), std::move(commonProp)),
          area(area), center(center), radius(radius), periphery(periphery), diameter(radius * 2.0) {}
    PropertyList getProperties(const PropItemList& names) const override;

    double area;
    QxGePoint3d center;
    double radius, periphery, diameter;
};

class KvArc : public GeomEnt {
public:
    // The total angle is derived here: the sweep from start to end, counter-clockwise.
    KvArc(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp, double area,
          double startAng, double endAng, QxGePoint3d center, double length, double radius);
    PropertyList getProperties(const PropItemList& names) const override;

    double area;
    double startAng, endAng, totalAng;  // degrees
    QxGePoint3d center;
    double length, radius;
};

class Solid : public GeomEnt {
public:
    using GeomEnt::GeomEnt;
    PropertyList getProperties(const PropItemList&) const override { return {}; }
};

class Solid3D : public GeomEnt {
public:
    using GeomEnt::GeomEnt;
    PropertyList getProperties(const PropItemList&) const override { return {}; }
};

class KvPoint : public GeomEnt {
public:
    KvPoint(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp,
            QxGePoint3d ptPosition)
        : GeomEnt(std::move(handle), type, std::move(name), std::move(commonProp)), ptPosition(ptPosition) {}
    PropertyList getProperties(const PropItemList& names) const override;

    QxGePoint3d ptPosition;
};

class MultiText : public GeomEnt {
public:
    // The three codes are the host's attachment, flow direction and line spacing style
    // codes; they are turned into the catalogue's texts here, once.
    MultiText(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp,
              QxGePoint3d ptLocation, std::u16string csText, int attachment, int flowDirection, double width,
              double txHeight, double rotation, bool bgMask, double spacingFact, int spacingStyleCode,
              std::u16string csStyle, double spacingDist);
    PropertyList getProperties(const PropItemList& names) const override;

    static std::u16string JustifyText(int attachment);
    static std::u16string DirectionText(int flowDirection);
    static std::u16string SpacingStyleText(int spacingStyleCode);

    QxGePoint3d ptLocation;
    std::u16string csText;
    std::u16string justify, direction;
    double width, txHeight;
    double rotation;  // radians, as the drawing holds it
    bool bgMask;
    double spacingFact;
    std::u16string spacingStyle;
    std::u16string csStyle;  // the text style's name
    double spacingDist;      // distance between baselines, drawing units
};

class BlockEntity : public BaseEnt {
public:
    BlockEntity(std::u16string handle, std::uint32_t type, std::u16string name, bool isDynamic,
                QxDbObjectId idBlkTblRec, QxGePoint3d pos, QxGeScale3d scale3d, double rotationVal)
        : BaseEnt(std::move(handle), type, std::move(name)), isDynamic(isDynamic), idBlkTblRec(idBlkTblRec),
          rotationVal(rotationVal), pos(pos), scale3d(scale3d) {}

    // Position, rotation and scales; `names` is the catalogue's block list (7 entries).
    PropertyList getProperties(const PropItemList& names) const;

    bool isDynamic;
    PropertyList lsAttributs;  // (tag, value) in the reference's attribute order
    PropertyList lsProps;      // (dynamic property name, value)
    QxDbObjectId idBlkTblRec;
    double rotationVal;  // degrees
    QxGePoint3d pos;
    QxGeScale3d scale3d;
};
