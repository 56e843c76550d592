// The byte stream of a BIFF8 workbook: little-endian values appended to memory, and patched
// afterwards where a value (a stream position) is only known once later records are placed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class BiffSink {
public:
    std::size_t pos() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    std::vector<std::uint8_t> release() { return std::move(m_bytes); }
    void reserve(std::size_t n) { m_bytes.reserve(n); }

    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v)
    {
        m_bytes.push_back(static_cast<std::uint8_t>(v));
        m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    // Record header: id and data length.
    void header(std::uint16_t id, std::size_t length)
    {
        u16(id);
        u16(static_cast<std::uint16_t>(length));
    }
    void chars16(std::u16string_view text)
    {
        for (char16_t c : text) u16(c);
    }
    void chars8(std::string_view text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    void patch16(std::size_t at, std::uint16_t v)
    {
        m_bytes[at] = static_cast<std::uint8_t>(v);
        m_bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void patch32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

private:
    std::vector<std::uint8_t> m_bytes;
};
