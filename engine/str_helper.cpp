#include "engine/str_helper.h"

#include "engine/string_ids.h"
#include "module/strings.h"

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

    ls_comPropTags = loadList({{165, G, false}, {193, G, false}, {194, G, false}, {195, G, true},
                               {196, G, false}, {197, G, false}, {198, G, false}, {199, G, false}});
    lineDatas = loadList({{202, GEO, true}, {203, GEO, false}, {204, GEO, false}, {205, GEO, false},
                          {206, GEO, false}, {207, GEO, false}, {208, GEO, false}, {209, GEO, false},
                          {210, GEO, false}, {211, GEO, false}, {212, GEO, true}});
    pLineDatas = loadList({{223, GEO, true}, {224, G, true}, {225, GEO, true}, {255, MISC, false},
                           {265, MISC, false}});
    arcDatas = loadList({{226, GEO, true}, {227, GEO, false}, {228, GEO, false}, {229, GEO, true},
                         {230, GEO, false}, {231, GEO, false}, {232, GEO, false}, {233, GEO, true},
                         {234, GEO, true}});
    pointDatas = loadList({{235, GEO, false}, {236, GEO, false}, {237, GEO, false}});
    circleDatas = loadList({{179, GEO, true}, {180, GEO, false}, {181, GEO, false}, {182, GEO, false},
                            {183, GEO, true}, {184, GEO, true}, {185, GEO, true}});
    mTextDatas = loadList({{290, GEO, false}, {291, GEO, false}, {292, GEO, false}, {293, TXT, false},
                           {294, TXT, false}, {295, TXT, false}, {296, TXT, false}, {297, TXT, false},
                           {298, TXT, false}, {299, TXT, true}, {300, TXT, false}, {301, TXT, false},
                           {302, TXT, false}, {303, TXT, false}});
    blcDatas = loadList({{258, GEO, false}, {259, GEO, false}, {260, GEO, false}, {261, MISC, true},
                         {262, GEO, false}, {263, GEO, false}, {264, GEO, false}});
}

std::u16string StrHelper::CategoryName(std::int32_t category)
{
    if (category >= kCategGeneral && category <= kCategDynamicBlock)
        return LoadResString(kIdsCategGeneral + static_cast<std::uint32_t>(category - kCategGeneral));
    if (category == kCategText) return LoadResString(kIdsCategText);
    return {};
}
