// The chain of resource modules and the lookups through it. The host is the first module of
// the chain; modules attach their embedded resource files as extension modules.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cad/editor/console.h"
#include "resources.h"

struct QxResourceModule {
    std::string name;
    const QxResourceFile* files = nullptr;
    // String tables by language id, parsed on first use.
    bool stringsParsed = false;
    std::map<std::uint16_t, std::map<std::uint32_t, std::u16string>> stringTables;
};

namespace {

struct ResourceChain {
    std::vector<std::unique_ptr<QxResourceModule>> modules;
    QxResourceModule* current = nullptr;

    ResourceChain()
    {
        modules.push_back(std::make_unique<QxResourceModule>());
        modules.back()->name = "qxcad";
        current = modules.back().get();
    }
};

// Never destroyed: modules detach from it while the process exits, after static destructors
// may already have run.
ResourceChain& chain()
{
    static ResourceChain* c = new ResourceChain;
    return *c;
}

// "\n" is a line break and "\\" a backslash; any other backslash stays as it is.
std::u16string unescape(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u'n' || text[i + 1] == u'\\')) {
            out += text[i + 1] == u'n' ? u'\n' : u'\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A string table file: "id<TAB>text" lines; lines starting with '#' are comments.
std::map<std::uint32_t, std::u16string> parseStringTable(const QxResourceFile& file)
{
    std::map<std::uint32_t, std::u16string> table;
    const std::u16string content = qx::fromUtf8(std::string_view(reinterpret_cast<const char*>(file.data), file.size));
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find(u'\n', start);
        if (end == std::u16string::npos) end = content.size();
        std::u16string_view line(content.data() + start, end - start);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        const std::size_t tab = line.find(u'\t');
        if (!line.empty() && line.front() != u'#' && tab != std::u16string_view::npos) {
            std::uint32_t id = 0;
            bool digits = tab > 0;
            for (std::size_t i = 0; i < tab && digits; ++i) {
                digits = line[i] >= u'0' && line[i] <= u'9';
                id = id * 10 + (line[i] - u'0');
            }
            if (digits) table[id] = unescape(line.substr(tab + 1));
        }
        start = end + 1;
    }
    return table;
}

void parseStrings(QxResourceModule& module)
{
    if (module.stringsParsed) return;
    module.stringsParsed = true;
    for (const QxResourceFile* f = module.files; f && f->path; ++f) {
        const std::string_view path = f->path;
        if (!path.starts_with("strings/")) continue;
        const std::string_view hex = path.substr(8, path.find('.') - 8);
        std::uint16_t langId = 0;
        const auto result = std::from_chars(hex.data(), hex.data() + hex.size(), langId, 16);
        if (result.ec == std::errc() && result.ptr == hex.data() + hex.size())
            module.stringTables[langId] = parseStringTable(*f);
    }
}

// The string table of a module that answers for the user's language: the exact language,
// else another table of the same primary language (a specific one before the neutral one),
// else the module's default table, the one stored under a language-neutral id.
const std::map<std::uint32_t, std::u16string>* tableFor(QxResourceModule& module, std::uint16_t langId)
{
    parseStrings(module);
    auto& tables = module.stringTables;
    if (auto it = tables.find(langId); it != tables.end()) return &it->second;
    const auto primary = [](std::uint16_t id) { return id & 0x3FF; };
    const auto isNeutral = [](std::uint16_t id) { return (id >> 10) == 0; };
    for (auto& [id, table] : tables)
        if (primary(id) == primary(langId) && !isNeutral(id)) return &table;
    for (auto& [id, table] : tables)
        if (primary(id) == primary(langId)) return &table;
    for (auto& [id, table] : tables)
        if (isNeutral(id)) return &table;
    return tables.empty() ? nullptr : &tables.begin()->second;
}

// The modules a lookup visits: the given one first, then the chain in order.
std::vector<QxResourceModule*> lookupOrder(QxResourceInstance first)
{
    std::vector<QxResourceModule*> order;
    QxResourceModule* start = first ? first : chain().current;
    if (start) order.push_back(start);
    for (auto& m : chain().modules)
        if (m.get() != start) order.push_back(m.get());
    return order;
}

}  // namespace

bool qxuiInitExtensionModule(QxExtensionModule& record, const char* moduleName, const QxResourceFile* files)
{
    if (record.initialized) return true;
    if (!files) return false;
    auto module = std::make_unique<QxResourceModule>();
    module->name = moduleName ? moduleName : "";
    module->files = files;
    record.resource = module.get();
    record.initialized = true;
    chain().modules.push_back(std::move(module));
    return true;
}

void qxuiTermExtensionModule(QxExtensionModule& record)
{
    if (!record.initialized) return;
    auto& modules = chain().modules;
    if (chain().current == record.resource) chain().current = modules.front().get();
    std::erase_if(modules, [&](const auto& m) { return m.get() == record.resource; });
    record.initialized = false;
    record.resource = nullptr;
}

QxResourceInstance qxuiGetResourceHandle() { return chain().current; }

void qxuiSetResourceHandle(QxResourceInstance instance)
{
    chain().current = instance ? instance : chain().modules.front().get();
}

bool qxuiLoadString(std::uint32_t id, std::u16string& text, QxResourceInstance instance)
{
    for (QxResourceModule* module : lookupOrder(instance)) {
        const auto* table = tableFor(*module, qxuiUserLanguage());
        if (!table) continue;
        if (const auto it = table->find(id); it != table->end()) {
            text = it->second;
            return true;
        }
    }
    return false;
}

const QxResourceFile* qxuiFindResource(const char* kind, std::uint32_t id, QxResourceInstance instance)
{
    const std::string prefix = std::string(kind ? kind : "") + "/" + std::to_string(id) + ".";
    for (QxResourceModule* module : lookupOrder(instance))
        for (const QxResourceFile* f = module->files; f && f->path; ++f)
            if (std::string_view(f->path).starts_with(prefix)) return f;
    return nullptr;
}
