// The ids the wizard's pages use: the catalogue texts (generated from the string tables) and
// the pictures.
#pragma once

#include <cstdint>

#include "resources/string_ids.h"

// Resource ids of the pictures.
inline constexpr std::uint32_t kIconInsertTable = 132;
inline constexpr std::uint32_t kIconDrawing = 133;
