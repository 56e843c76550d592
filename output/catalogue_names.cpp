#include "output/catalogue_names.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "host/resources.h"
#include "module/strings.h"
#include "output/text_codec.h"

extern const QxResourceFile kEmbeddedResources[];

namespace {

std::u16string Unescape(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == u'n' ? u'\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

// Every string table the module carries, as (id, text) pairs.
std::vector<std::pair<std::uint32_t, std::u16string>> AllTableEntries()
{
    std::vector<std::pair<std::uint32_t, std::u16string>> entries;
    for (const QxResourceFile* f = kEmbeddedResources; f && f->path; ++f) {
        if (!std::string_view(f->path).starts_with("strings/")) continue;
        std::u16string content;
        if (!DecodeUtf8(std::string_view(reinterpret_cast<const char*>(f->data), f->size), content)) continue;
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find(u'\n', start);
            if (end == std::u16string::npos) end = content.size();
            std::u16string_view line(content.data() + start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
            const std::size_t tab = line.find(u'\t');
            if (line.empty() || line.front() == u'#' || tab == std::u16string_view::npos || tab == 0) continue;
            std::uint32_t id = 0;
            bool bDigits = true;
            for (std::size_t i = 0; i < tab && bDigits; ++i) {
                bDigits = line[i] >= u'0' && line[i] <= u'9';
                id = id * 10 + static_cast<std::uint32_t>(line[i] - u'0');
            }
            if (bDigits) entries.emplace_back(id, Unescape(line.substr(tab + 1)));
        }
    }
    return entries;
}

void AddNames(std::set<std::u16string>& names, const PropItemList& items)
{
    for (const PropItem& item : items) names.insert(item.name);
}

}  // namespace

CatalogueNames::CatalogueNames(const StrHelper& strHelper)
{
    m_seCurrent.insert(strHelper.lsObjNames.begin(), strHelper.lsObjNames.end());
    for (const PropItem* item :
         {&strHelper.objectTypeItem, &strHelper.quantityItem, &strHelper.blockPreviewItem, &strHelper.blockNameItem})
        m_seCurrent.insert(item->name);
    for (const PropItemList* list : {&strHelper.lineDatas, &strHelper.pLineDatas, &strHelper.arcDatas,
                                     &strHelper.circleDatas, &strHelper.pointDatas, &strHelper.mTextDatas,
                                     &strHelper.ls_comPropTags, &strHelper.blcDatas})
        AddNames(m_seCurrent, *list);

    // A text of another language maps to the current text of the same entry, when that text
    // is a catalogue name: messages and labels never stand for a property.
    for (const auto& [id, text] : AllTableEntries()) {
        if (m_seCurrent.count(text)) continue;
        const std::u16string csCurrent = LoadResString(id);
        if (m_seCurrent.count(csCurrent)) m_mpOtherToCurrent.emplace(text, csCurrent);
    }
}

std::u16string CatalogueNames::ToCurrent(const std::u16string& csName) const
{
    if (m_seCurrent.count(csName)) return csName;
    const auto it = m_mpOtherToCurrent.find(csName);
    return it == m_mpOtherToCurrent.end() ? csName : it->second;
}
