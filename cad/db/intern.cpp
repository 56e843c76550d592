#include "cad/db/intern.h"

#include <deque>
#include <mutex>
#include <unordered_map>

namespace qx {

namespace {

struct Interner {
    std::mutex mutex;
    std::deque<std::u16string> names;  // by number; a deque keeps the views below valid
    std::unordered_map<std::u16string_view, NameId> numbers;
};

Interner& interner()
{
    static Interner* instance = new Interner;  // never destroyed: entities may outlive statics
    return *instance;
}

}  // namespace

NameId internName(std::u16string_view name)
{
    Interner& in = interner();
    std::lock_guard lock(in.mutex);
    if (const auto it = in.numbers.find(name); it != in.numbers.end()) return it->second;
    const auto id = static_cast<NameId>(in.names.size());
    in.numbers.emplace(in.names.emplace_back(name), id);
    return id;
}

std::u16string internedName(NameId id)
{
    Interner& in = interner();
    std::lock_guard lock(in.mutex);
    return in.names.at(id);
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
