// Letting the user pick objects for an add or a replace, and reading what was picked.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/extraction_engine.h"
#include "engine/str_helper.h"
#include "output/selection_set.h"

class CPnUiBaseDialog;

// The objects the user picks for an add or a replace: their kinds, their handles in pick
// order, and an engine that has read them.
struct PickedObjects {
    std::set<std::u16string> seNewObjTypes;
    std::vector<std::u16string> lsNewHdls;
    ExtractionEngine newExtEngine;
};

// Prints the prompt `promptId`, lets the user pick (the dialog, when given, hidden meanwhile)
// and reads the picked objects; nothing when the pick was cancelled or empty.
std::optional<PickedObjects> PickAndReadObjects(CPnUiBaseDialog* pDialog, std::uint32_t promptId,
                                                const StrHelper& strHelper);
