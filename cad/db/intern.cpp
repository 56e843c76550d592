#include "cad/db/intern.h"

#include <mutex>
#include <unordered_set>

namespace qx {

namespace {

struct Interner {
    std::mutex mutex;
    std::unordered_set<std::u16string> names;
};

Interner& interner()
{
    static Interner* instance = new Interner;  // never destroyed: entities may outlive statics
    return *instance;
}

}  // namespace

const std::u16string* internName(std::u16string_view name)
{
    Interner& in = interner();
    std::lock_guard lock(in.mutex);
    return &*in.names.emplace(name).first;
}

char16_t foldCase(char16_t c)
{
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    return c;
}

std::u16string foldName(std::u16string_view name)
{
    std::u16string out(name);
    for (char16_t& c : out) c = foldCase(c);
    return out;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

}  // namespace qx
