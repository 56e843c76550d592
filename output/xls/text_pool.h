// The distinct cell texts of a workbook, each stored once, found again by its id. Texts live
// in large chunks and are indexed by an open-addressing table of ids, so that a sheet of a
// million distinct texts costs little more than the texts themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TextPool {
public:
    // The id of an equal text already stored, else of a new copy.
    std::uint32_t intern(std::u16string_view text);
    std::u16string_view text(std::uint32_t id) const { return m_texts[id]; }
    std::size_t size() const { return m_texts.size(); }
    void clear();

private:
    static constexpr std::uint32_t kFree = 0xFFFFFFFF;
    static constexpr std::size_t kChunkUnits = 1 << 16;

    std::u16string_view store(std::u16string_view text);
    void grow();

    std::vector<std::unique_ptr<char16_t[]>> m_chunks;
    std::vector<std::unique_ptr<char16_t[]>> m_longTexts;
    std::size_t m_nChunkUsed = kChunkUnits;  // units used in the last chunk
    std::vector<std::u16string_view> m_texts;
    std::vector<std::uint32_t> m_hashes;  // per id, so growing needs no rehash of texts
    std::vector<std::uint32_t> m_slots;   // ids, or kFree; its size is a power of two
};
