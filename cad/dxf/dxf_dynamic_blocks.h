// Dynamic block references: the names and values of their dynamic properties, as far as the
// file states them without running the block's evaluation graph.
#pragma once

#include <cstddef>
#include <vector>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_drawing.h"

namespace qx::dxf {

// For each INSERT record (by index) whose block is a dynamic definition or an anonymous
// representation of one, sets the reference's dynamic properties:
// - visibility (label 301) and lookup (303) parameters: the text of code 1 in the reference's
//   cache record, text values;
// - linear parameters (label 305): the distance between the two points of the cache record, or
//   between the definition's own two points when the reference has no cache, real values;
// - flip parameters (label 305): the last code 70 of the cache record, 16-bit values.
// Other parameter kinds (XY, rotation, polar, point, array, property tables, constraints) are
// not read: their values need the evaluation graph to be run.
void readDynamicProperties(const DxfFile& file, const DxfSource& source, const std::vector<std::size_t>& insertRecords);

}  // namespace qx::dxf
