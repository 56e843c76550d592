// Tables too large to be of use in a drawing. A table of a hundred thousand rows cannot be read
// on screen, and its graphics block makes the drawing hundreds of MB slower to open and save;
// above a row count, writing one into the drawing waits for the user's yes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "host/ui.h"

// Tables with more rows than this below their title (header line, data rows, totals) are
// inserted, or grown by an update, only when the user agrees.
inline constexpr std::size_t kHugeTableRows = 10000;

// The bytes a table of nRows rows and nCols columns, nTexts of whose cells are not empty, adds
// to a saved drawing, roughly: every cell its entry in the table entity and its grid lines, a
// cell with a text also the text entity of the graphics block.
std::uint64_t EstimatedTableBytes(std::size_t nRows, std::size_t nCols, std::uint64_t nTexts);

// True when a table of nRows rows below its title and nCols columns may be written: it is not
// larger than kHugeTableRows, or the user answered yes to the question that tells its row
// count and its estimated size. `countTexts` gives the cells that are not empty; it is only
// called for a huge table.
bool ConfirmTableSize(QxWindowHandle owner, std::size_t nRows, std::size_t nCols,
                      const std::function<std::uint64_t()>& countTexts);
