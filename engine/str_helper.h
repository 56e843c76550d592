// The property catalogue: the nine extractable kinds and, per kind, its ordered properties,
// in the current user-interface language. Records read the lists by position, so the order
// of every list is part of the contract.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/entity_records.h"
#include "engine/prop_item.h"

class StrHelper {
public:
    // Loads every text from the string catalogue ("???" for a missing one).
    StrHelper();

    // The text of a category number (1 to 6), empty for any other.
    static std::u16string CategoryName(std::int32_t category);

    PropItem objectTypeItem;
    PropItem quantityItem;
    std::vector<std::u16string> lsObjNames;  // position = type code - 1
    PropItem blockPreviewItem;
    PropItem blockNameItem;
    PropItemList lineDatas;
    PropItemList pLineDatas;
    PropItemList arcDatas;
    PropItemList circleDatas;
    PropItemList pointDatas;
    PropItemList mTextDatas;
    PropItemList ls_comPropTags;  // general properties of every kind but blocks
    PropItemList blcDatas;
};
