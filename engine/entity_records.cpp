#include "engine/entity_records.h"

#include "engine/number_text.h"
#include "engine/string_ids.h"
#include "module/strings.h"

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
    if (type < 1 || type > 9 || type > lsObjNames.size()) return {};
    return lsObjNames[type - 1];
}

PropertyList GeomEnt::getCommonProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(8);
    addPair(pairs, names, 0, commonProp.layer);
    addPair(pairs, names, 1, commonProp.color);
    addNumber(pairs, names, 2, commonProp.linetypeScale);
    if (hasThickness) addNumber(pairs, names, 3, commonProp.thickness);
    addPair(pairs, names, 4, commonProp.lineWeight);
    addPair(pairs, names, 5, commonProp.hyperlinks.empty() ? std::u16string() : commonProp.hyperlinks.front());
    addPair(pairs, names, 6, commonProp.plotStyle);
    addPair(pairs, names, 7, commonProp.linetype);
    return pairs;
}

PropertyList Line::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(11);
    addNumber(pairs, names, 0, angle);
    addNumber(pairs, names, 1, deltaX);
    addNumber(pairs, names, 2, deltaY);
    addNumber(pairs, names, 3, deltaZ);
    addPoint(pairs, names, 4, startPt);
    addPoint(pairs, names, 7, endPt);
    addNumber(pairs, names, 10, length);
    return pairs;
}

PropertyList PolyLine::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(5);
    addNumber(pairs, names, 0, area);
    addNumber(pairs, names, 1, constWidth);
    addNumber(pairs, names, 2, length);
    addPair(pairs, names, 3, yesNo(closed == 1));
    addPair(pairs, names, 4, LoadResString(plinegen == 1 ? kIdsEnabled : kIdsDisabled));
    return pairs;
}

PropertyList Circle::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(7);
    addNumber(pairs, names, 0, area);
    addPoint(pairs, names, 1, center);
    addNumber(pairs, names, 4, radius);
    addNumber(pairs, names, 5, periphery);
    addNumber(pairs, names, 6, diameter);
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
    pairs.reserve(9);
    addNumber(pairs, names, 0, area);
    addNumber(pairs, names, 1, startAng);
    addNumber(pairs, names, 2, endAng);
    addNumber(pairs, names, 3, totalAng);
    addPoint(pairs, names, 4, center);
    addNumber(pairs, names, 7, length);
    addNumber(pairs, names, 8, radius);
    return pairs;
}

PropertyList KvPoint::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(3);
    addPoint(pairs, names, 0, ptPosition);
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
    pairs.reserve(14);
    addPoint(pairs, names, 0, ptLocation);
    addPair(pairs, names, 3, csText);
    addPair(pairs, names, 4, csStyle);
    addPair(pairs, names, 5, justify);
    addPair(pairs, names, 6, direction);
    addNumber(pairs, names, 7, width);
    addNumber(pairs, names, 8, txHeight);
    addNumber(pairs, names, 9, rotation);
    addPair(pairs, names, 10, yesNo(bgMask));
    addNumber(pairs, names, 11, spacingFact);
    addNumber(pairs, names, 12, spacingDist);
    addPair(pairs, names, 13, spacingStyle);
    return pairs;
}

PropertyList BlockEntity::getProperties(const PropItemList& names) const
{
    PropertyList pairs;
    pairs.reserve(7);
    addPoint(pairs, names, 0, pos);
    addNumber(pairs, names, 3, rotationVal);
    addNumber(pairs, names, 4, scale3d.sx);
    addNumber(pairs, names, 5, scale3d.sy);
    addNumber(pairs, names, 6, scale3d.sz);
    return pairs;
}
