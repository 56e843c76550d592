// Interned names: one shared copy of each layer, linetype and plot style name, known by a
// small number, so that a drawing of a million entities holds neither a million copies of "0"
// and "ByLayer" nor a million pointers to them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

using NameId = std::uint32_t;

// The number of the process-wide copy of `name`; equal names get equal numbers.
NameId internName(std::u16string_view name);
// The text of an interned name.
std::u16string internedName(NameId id);

// Upper-case folding of the letters CAD users treat as case-insensitive in names
// (ASCII and Latin-1).
char16_t foldCase(char16_t c);
std::u16string foldName(std::u16string_view name);
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace qx
