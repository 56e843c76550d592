// A consistency check of a drawing file, stricter than lenient readers: what the format
// owner's own program needs to load a file that the host has changed.
#pragma once

#include <string>
#include <vector>

#include "cad/dxf/dxf_file.h"

namespace qx::dxf {

struct CheckOptions {
    // Pointers (codes 340 to 369) must lead to a record of the file. Drawings written by some
    // programs keep pointers to records they did not write; turn this off to check those.
    bool pointers = true;
};

// Each problem as "line N: what is wrong"; empty when the file is consistent:
// - handles unique and below $HANDSEED,
// - every owner (330) and pointer leads to a record that exists,
// - every application of extended data is registered in the APPID table,
// - every block record has its block and every block its record,
// - a table entity has its class, its table style and its block.
std::vector<std::string> checkConsistency(const DxfFile& file, const CheckOptions& options = {});

}  // namespace qx::dxf
