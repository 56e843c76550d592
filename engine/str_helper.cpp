#include "engine/str_helper.h"

#include <algorithm>

#include "module/strings.h"
#include "resources/string_ids.h"

namespace {

struct ItemDef {
    std::uint32_t id;
    std::int32_t category;
    bool totalable;
};

PropItem loadItem(const ItemDef& def) { return {LoadResString(def.id), def.category, def.totalable}; }

PropItemList loadList(std::initializer_list<ItemDef> defs)
{
    PropItemList items;
    items.reserve(defs.size());
    for (const ItemDef& def : defs) items.push_back(loadItem(def));
    return items;
}

constexpr std::int32_t G = kCategGeneral, GEO = kCategGeometry, MISC = kCategMisc, TXT = kCategText;

}  // namespace

StrHelper::StrHelper()
{
    objectTypeItem = loadItem({kIdsObjectType, G, false});
    for (std::uint32_t id = kIdsBlock; id <= kIdsBlock + 7; ++id) lsObjNames.push_back(LoadResString(id));
    lsObjNames.push_back(LoadResString(kIdsMText));
    quantityItem = loadItem({kIdsQuantity, G, true});
    blockPreviewItem = loadItem({kIdsBlockPreview, G, false});
    blockNameItem = loadItem({kIdsBlockName, G, false});

    ls_comPropTags = loadList({{kIdsLayer, G, false}, {kIdsColor, G, false}, {kIdsLinetypeScale, G, false},
                               {kIdsThickness, G, true}, {kIdsLineWeight, G, false}, {kIdsHyperlink, G, false},
                               {kIdsPlotStyle, G, false}, {kIdsLinetype, G, false}});
    lineDatas = loadList({{kIdsLineAngle, GEO, true}, {kIdsLineDeltaX, GEO, false}, {kIdsLineDeltaY, GEO, false},
                          {kIdsLineDeltaZ, GEO, false}, {kIdsLineStartX, GEO, false}, {kIdsLineStartY, GEO, false},
                          {kIdsLineStartZ, GEO, false}, {kIdsLineEndX, GEO, false}, {kIdsLineEndY, GEO, false},
                          {kIdsLineEndZ, GEO, false}, {kIdsLineLength, GEO, true}});
    pLineDatas = loadList({{kIdsPolyArea, GEO, true}, {kIdsPolyGlobalWidth, G, true}, {kIdsPolyLength, GEO, true},
                           {kIdsClosed, MISC, false}, {kIdsLinetypeGeneration, MISC, false}});
    arcDatas = loadList({{kIdsArcArea, GEO, true}, {kIdsArcStartAngle, GEO, false}, {kIdsArcEndAngle, GEO, false},
                         {kIdsArcTotalAngle, GEO, true}, {kIdsArcCenterX, GEO, false}, {kIdsArcCenterY, GEO, false},
                         {kIdsArcCenterZ, GEO, false}, {kIdsArcLength, GEO, true}, {kIdsArcRadius, GEO, true}});
    pointDatas = loadList({{kIdsPointX, GEO, false}, {kIdsPointY, GEO, false}, {kIdsPointZ, GEO, false}});
    circleDatas = loadList({{kIdsCircleArea, GEO, true}, {kIdsCircleCenterX, GEO, false},
                            {kIdsCircleCenterY, GEO, false}, {kIdsCircleCenterZ, GEO, false},
                            {kIdsCircleRadius, GEO, true}, {kIdsCircleCircumference, GEO, true},
                            {kIdsCircleDiameter, GEO, true}});
    mTextDatas = loadList({{kIdsMTextX, GEO, false}, {kIdsMTextY, GEO, false}, {kIdsMTextZ, GEO, false},
                           {kIdsMTextContents, TXT, false}, {kIdsMTextStyle, TXT, false},
                           {kIdsMTextJustify, TXT, false}, {kIdsMTextDirection, TXT, false},
                           {kIdsMTextWidth, TXT, false}, {kIdsMTextHeight, TXT, false},
                           {kIdsMTextRotation, TXT, true}, {kIdsMTextBackgroundMask, TXT, false},
                           {kIdsMTextSpacingFactor, TXT, false}, {kIdsMTextSpacingDistance, TXT, false},
                           {kIdsMTextSpacingStyle, TXT, false}});
    blcDatas = loadList({{kIdsBlockX, GEO, false}, {kIdsBlockY, GEO, false}, {kIdsBlockZ, GEO, false},
                         {kIdsBlockRotation, MISC, true}, {kIdsBlockScaleX, GEO, false},
                         {kIdsBlockScaleY, GEO, false}, {kIdsBlockScaleZ, GEO, false}});
}

std::u16string StrHelper::CategoryName(std::int32_t category)
{
    if (category >= kCategGeneral && category <= kCategDynamicBlock)
        return LoadResString(kIdsCategGeneral + static_cast<std::uint32_t>(category - kCategGeneral));
    if (category == kCategText) return LoadResString(kIdsCategText);
    return {};
}

const std::u16string& StrHelper::KindName(std::uint32_t code) const
{
    static const std::u16string none;
    return code >= 1 && code <= lsObjNames.size() ? lsObjNames[code - 1] : none;
}

std::uint32_t StrHelper::KindCode(const std::u16string& name) const
{
    const auto found = std::find(lsObjNames.begin(), lsObjNames.end(), name);
    return found == lsObjNames.end() ? 0 : static_cast<std::uint32_t>(found - lsObjNames.begin()) + 1;
}
