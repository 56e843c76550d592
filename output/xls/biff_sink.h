// The byte stream of a BIFF8 workbook: little-endian values appended to a buffer that is kept
// whole in memory, handed on in pieces to a writer, or only counted (to learn how long a part
// of the stream will be before writing it).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class BiffSink {
public:
    // Takes bytes in order; false when they could not be written.
    using Writer = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    BiffSink() = default;  // keeps every byte
    explicit BiffSink(Writer writer, std::size_t flushAt = 1 << 20) : m_writer(std::move(writer)), m_nFlushAt(flushAt) {}
    static BiffSink Counter()
    {
        BiffSink sink;
        sink.m_bCountOnly = true;
        return sink;
    }

    // Position in the stream of the next byte.
    std::size_t pos() const { return m_nBase + m_bytes.size(); }

    void u8(std::uint8_t v)
    {
        if (m_bCountOnly)
            ++m_nBase;
        else
            m_bytes.push_back(v);
    }
    void u16(std::uint16_t v)
    {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
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
    void chars8(std::string_view text)
    {
        for (char c : text) u8(static_cast<std::uint8_t>(c));
    }
    // Overwrites two bytes at a stream position not yet handed on (within the current record).
    void patch16(std::size_t at, std::uint16_t v)
    {
        if (m_bCountOnly) return;
        m_bytes[at - m_nBase] = static_cast<std::uint8_t>(v);
        m_bytes[at - m_nBase + 1] = static_cast<std::uint8_t>(v >> 8);
    }

    // Between two records: hands the buffer on once it is large enough.
    void recordEnd()
    {
        if (m_writer && m_bytes.size() >= m_nFlushAt) flush();
    }
    // Hands on what is left; false when any write failed.
    bool finish()
    {
        if (m_writer) flush();
        return m_bOk;
    }
    std::vector<std::uint8_t> release() { return std::move(m_bytes); }

private:
    void flush()
    {
        if (m_bOk && !m_bytes.empty()) m_bOk = m_writer(m_bytes.data(), m_bytes.size());
        m_nBase += m_bytes.size();
        m_bytes.clear();
    }

    std::vector<std::uint8_t> m_bytes;
    std::size_t m_nBase = 0;  // bytes handed on or counted
    Writer m_writer;
    std::size_t m_nFlushAt = 0;
    bool m_bCountOnly = false;
    bool m_bOk = true;
};
