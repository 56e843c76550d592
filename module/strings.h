// The module's string catalogue: every user-visible text, by id, in the language the host
// chose for its user interface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The catalogue entry `id`, or "???" when it cannot be loaded.
std::u16string LoadResString(std::uint32_t id);

// The entry `id` with its inserts "%1", "%2", ... replaced by the arguments; "???" when the
// entry cannot be loaded. A line break in the entry stays.
std::u16string FormatResStringList(std::uint32_t id, const std::vector<std::u16string>& arguments);

template <class... Args>
std::u16string FormatResString(std::uint32_t id, const Args&... arguments)
{
    return FormatResStringList(id, {std::u16string(arguments)...});
}
