#include "module/strings.h"

#include "module/module_state.h"
#include "resources.h"

namespace {

constexpr const char16_t* kMissing = u"???";

bool loadEntry(std::uint32_t id, std::u16string& text)
{
    return qxuiLoadString(id, text, moduleRecord().moduleResourceInstance);
}

// Replaces "%1" ... "%9" by the arguments, as the platform's message formatter does for
// string inserts; "%%" gives a percent sign; an insert without an argument stays as it is.
std::u16string substituteInserts(const std::u16string& pattern, const std::vector<std::u16string>& arguments)
{
    std::u16string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size()) {
            const char16_t next = pattern[i + 1];
            if (next >= u'1' && next <= u'9' && static_cast<std::size_t>(next - u'1') < arguments.size()) {
                out += arguments[next - u'1'];
                ++i;
                continue;
            }
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

}  // namespace

std::u16string LoadResString(std::uint32_t id)
{
    std::u16string text;
    return loadEntry(id, text) ? text : kMissing;
}

std::u16string FormatResStringList(std::uint32_t id, const std::vector<std::u16string>& arguments)
{
    std::u16string pattern;
    if (!loadEntry(id, pattern)) return kMissing;
    return substituteInserts(pattern, arguments);
}
