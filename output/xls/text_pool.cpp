#include "output/xls/text_pool.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

std::uint32_t hashOf(std::u16string_view text)
{
    const std::size_t h = std::hash<std::u16string_view>{}(text);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

}  // namespace

void TextPool::clear()
{
    m_chunks.clear();
    m_longTexts.clear();
    m_nChunkUsed = kChunkUnits;
    m_texts.clear();
    m_hashes.clear();
    m_slots.clear();
}

std::u16string_view TextPool::store(std::u16string_view text)
{
    if (text.size() > kChunkUnits / 4) {  // a long text gets storage of its own
        m_longTexts.push_back(std::make_unique<char16_t[]>(text.size()));
        std::memcpy(m_longTexts.back().get(), text.data(), text.size() * sizeof(char16_t));
        return {m_longTexts.back().get(), text.size()};
    }
    if (kChunkUnits - m_nChunkUsed < text.size()) {
        m_chunks.push_back(std::make_unique<char16_t[]>(kChunkUnits));
        m_nChunkUsed = 0;
    }
    char16_t* place = m_chunks.back().get() + m_nChunkUsed;
    std::memcpy(place, text.data(), text.size() * sizeof(char16_t));
    m_nChunkUsed += text.size();
    return {place, text.size()};
}

void TextPool::grow()
{
    std::vector<std::uint32_t> slots(std::max<std::size_t>(1024, m_slots.size() * 2), kFree);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t id = 0; id < m_texts.size(); ++id) {
        std::size_t i = m_hashes[id] & mask;
        while (slots[i] != kFree) i = (i + 1) & mask;
        slots[i] = id;
    }
    m_slots.swap(slots);
}

std::uint32_t TextPool::intern(std::u16string_view text)
{
    if ((m_texts.size() + 1) * 2 > m_slots.size()) grow();  // load stays at most one half
    const std::uint32_t hash = hashOf(text);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hash & mask;
    for (; m_slots[i] != kFree; i = (i + 1) & mask) {
        const std::uint32_t id = m_slots[i];
        if (m_hashes[id] == hash && m_texts[id] == text) return id;
    }
    const auto id = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(store(text));
    m_hashes.push_back(hash);
    m_slots[i] = id;
    return id;
}
