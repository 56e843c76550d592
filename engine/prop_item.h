// One entry of the property catalogue, and the name-ordered sets the engine offers.
#pragma once

#include <cstdint>
#include <set>
#include <string>

// Property categories, as page 4 filters them.
enum PropCategory : std::int32_t {
    kCategGeneral = 1,
    kCategGeometry = 2,
    kCategMisc = 3,
    kCategAttribute = 4,
    kCategDynamicBlock = 5,
    kCategText = 6,
};

struct PropItem {
    std::u16string name;       // display text; the identity of the property
    std::int32_t category = kCategGeneral;
    bool totalable = false;    // a total may be asked for this property
};

// Properties are one column per display text: sets order and compare by name only,
// code unit by code unit, case-sensitive.
struct PropItemLess {
    bool operator()(const PropItem& a, const PropItem& b) const { return a.name < b.name; }
};

// Inserting a name already present keeps the present item (category and flag included).
using PropItemSet = std::set<PropItem, PropItemLess>;
