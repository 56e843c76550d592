// Interned names: one shared copy of each layer, linetype and plot style name, so that a
// drawing of a million entities does not hold a million copies of "0" and "ByLayer".
#pragma once

#include <string>
#include <string_view>

namespace qx {

// The process-wide copy of `name`. The pointer stays valid until the process ends.
const std::u16string* internName(std::u16string_view name);

// Upper-case folding of the letters CAD users treat as case-insensitive in names
// (ASCII and Latin-1).
char16_t foldCase(char16_t c);
std::u16string foldName(std::u16string_view name);
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace qx
