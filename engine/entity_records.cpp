#include "engine/entity_records.h"

#include "engine/entity_kinds.h"
#include "engine/number_text.h"
#include "engine/str_helper.h"
#include "module/strings.h"
#include "resources/string_ids.h"

namespace {

void addPair(PropertyList& pairs, const PropItemList& names, std::size_t position, std::u16string value)
{
    pairs.push_back({names[position].name, std::move(value)});
}

void addNumber(PropertyList& pairs, const PropItemList& names, std::size_t position, double value)
{
    addPair(pairs, names, position, FormatG(value));
}

void addPoint(PropertyList& pairs, const PropItemList& names, std::size_t firstPosition, const QxGePoint3d& point)
{
    addNumber(pairs, names, firstPosition, point.x);
    addNumber(pairs, names, firstPosition + 1, point.y);
    addNumber(pairs, names, firstPosition + 2, point.z);
}

std::u16string yesNo(bool yes) { return LoadResString(yes ? kIdsYes : kIdsNo); }

}  // namespace

std::u16string BaseEnt::typeName(const std::vector<std::u16string>& lsObjNames) const
{
    if (!KindOfCode(type) || type > lsObjNames.size()) return {};
    return lsObjNames[type - 1];
}

PropertyList GeomEnt::getCommonProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(CommonPos::Count);
    addPair(pairs, names, CommonPos::Layer, commonProp.layer);
    addPair(pairs, names, CommonPos::Color, commonProp.color);
    addNumber(pairs, names, CommonPos::LinetypeScale, commonProp.linetypeScale);
    if (hasThickness) addNumber(pairs, names, CommonPos::Thickness, commonProp.thickness);
    addPair(pairs, names, CommonPos::LineWeight, commonProp.lineWeight);
    const std::u16string firstLink = commonProp.hyperlinks.empty() ? std::u16string() : commonProp.hyperlinks.front();
    addPair(pairs, names, CommonPos::Hyperlink, firstLink);
    addPair(pairs, names, CommonPos::PlotStyle, commonProp.plotStyle);
    addPair(pairs, names, CommonPos::Linetype, commonProp.linetype);
    return pairs;
}

PropertyList Line::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(LinePos::Count);
    addNumber(pairs, names, LinePos::Angle, angle);
    addNumber(pairs, names, LinePos::DeltaX, deltaX);
    addNumber(pairs, names, LinePos::DeltaY, deltaY);
    addNumber(pairs, names, LinePos::DeltaZ, deltaZ);
    addPoint(pairs, names, LinePos::StartX, startPt);
    addPoint(pairs, names, LinePos::EndX, endPt);
    addNumber(pairs, names, LinePos::Length, length);
    return pairs;
}

PropertyList PolyLine::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(PolylinePos::Count);
    addNumber(pairs, names, PolylinePos::Area, area);
    addNumber(pairs, names, PolylinePos::ConstWidth, constWidth);
    addNumber(pairs, names, PolylinePos::Length, length);
    addPair(pairs, names, PolylinePos::Closed, yesNo(closed == 1));
    addPair(pairs, names, PolylinePos::LinetypeGeneration, LoadResString(plinegen == 1 ? kIdsEnabled : kIdsDisabled));
    return pairs;
}

PropertyList Circle::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(CirclePos::Count);
    addNumber(pairs, names, CirclePos::Area, area);
    addPoint(pairs, names, CirclePos::CenterX, center);
    addNumber(pairs, names, CirclePos::Radius, radius);
    addNumber(pairs, names, CirclePos::Circumference, periphery);
    addNumber(pairs, names, CirclePos::Diameter, diameter);
    return pairs;
}

KvArc::KvArc(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp, double area,
             double startAng, double endAng, QxGePoint3d center, double length, double radius)
    : GeomEnt(std::move(handle), type, std::move(name), std::move(commonProp)),
      area(area), startAng(startAng), endAng(endAng), totalAng(endAng - startAng), center(center), length(length),
      radius(radius)
{
    // Arcs run counter-clockwise, so an end angle below the start angle wraps past 0.
    if (totalAng < 0.0) totalAng += 360.0;
}

PropertyList KvArc::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(ArcPos::Count);
    addNumber(pairs, names, ArcPos::Area, area);
    addNumber(pairs, names, ArcPos::StartAngle, startAng);
    addNumber(pairs, names, ArcPos::EndAngle, endAng);
    addNumber(pairs, names, ArcPos::TotalAngle, totalAng);
    addPoint(pairs, names, ArcPos::CenterX, center);
    addNumber(pairs, names, ArcPos::Length, length);
    addNumber(pairs, names, ArcPos::Radius, radius);
    return pairs;
}

PropertyList KvPoint::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(PointPos::Count);
    addPoint(pairs, names, PointPos::PositionX, ptPosition);
    return pairs;
}

MultiText::MultiText(std::u16string handle, std::uint32_t type, std::u16string name, CommonProps commonProp,
                     QxGePoint3d ptLocation, std::u16string csText, int attachment, int flowDirection, double width,
                     double txHeight, double rotation, bool bgMask, double spacingFact, int spacingStyleCode,
                     std::u16string csStyle, double spacingDist)
    : GeomEnt(std::move(handle), type, std::move(name), std::move(commonProp)),
      ptLocation(ptLocation), csText(std::move(csText)), justify(JustifyText(attachment)),
      direction(DirectionText(flowDirection)), width(width), txHeight(txHeight), rotation(rotation), bgMask(bgMask),
      spacingFact(spacingFact), spacingStyle(SpacingStyleText(spacingStyleCode)), csStyle(std::move(csStyle)),
      spacingDist(spacingDist)
{
}

std::u16string MultiText::JustifyText(int attachment)
{
    switch (attachment) {
    case 1: return LoadResString(kIdsTopLeft);
    case 2: return LoadResString(kIdsTopCenter);
    case 3: return LoadResString(kIdsTopRight);
    case 4: return LoadResString(kIdsMiddleLeft);
    case 5: return LoadResString(kIdsMiddleCenter);
    case 6: return LoadResString(kIdsMiddleRight);
    case 7: return LoadResString(kIdsBottomLeft);
    case 8: return LoadResString(kIdsBottomCenter);
    case 9: return LoadResString(kIdsBottomRight);
    case 10: return LoadResString(kIdsLeft);
    case 11: return LoadResString(kIdsCenter);
    case 12: return LoadResString(kIdsRight);
    case 13: return LoadResString(kIdsAligned);
    case 17: return LoadResString(kIdsFit);
    case 21: return LoadResString(kIdsMiddle);
    default: return {};
    }
}

std::u16string MultiText::DirectionText(int flowDirection)
{
    switch (flowDirection) {
    case 1:
    case 2: return LoadResString(kIdsHorizontal);
    case 3:
    case 4: return LoadResString(kIdsVertical);
    case 5: return LoadResString(kIdsByStyle);
    default: return {};
    }
}

std::u16string MultiText::SpacingStyleText(int spacingStyleCode)
{
    switch (spacingStyleCode) {
    case 1: return LoadResString(kIdsAtLeast);
    case 2: return LoadResString(kIdsExactly);
    default: return {};
    }
}

PropertyList MultiText::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(MTextPos::Count);
    addPoint(pairs, names, MTextPos::PositionX, ptLocation);
    addPair(pairs, names, MTextPos::Contents, csText);
    addPair(pairs, names, MTextPos::Style, csStyle);
    addPair(pairs, names, MTextPos::Justify, justify);
    addPair(pairs, names, MTextPos::Direction, direction);
    addNumber(pairs, names, MTextPos::Width, width);
    addNumber(pairs, names, MTextPos::Height, txHeight);
    addNumber(pairs, names, MTextPos::Rotation, rotation);
    addPair(pairs, names, MTextPos::BackgroundMask, yesNo(bgMask));
    addNumber(pairs, names, MTextPos::SpacingFactor, spacingFact);
    addNumber(pairs, names, MTextPos::SpacingDistance, spacingDist);
    addPair(pairs, names, MTextPos::SpacingStyle, spacingStyle);
    return pairs;
}

PropertyList BlockEntity::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(BlockPos::Count);
    addPoint(pairs, names, BlockPos::PositionX, pos);
    addNumber(pairs, names, BlockPos::Rotation, rotationVal);
    addNumber(pairs, names, BlockPos::ScaleX, scale3d.sx);
    addNumber(pairs, names, BlockPos::ScaleY, scale3d.sy);
    addNumber(pairs, names, BlockPos::ScaleZ, scale3d.sz);
    return pairs;
}
