#include "output/xls/biff_records.h"

#include "output/text_codec.h"

namespace biff {

namespace {

// Writes records of unknown length: the header's length is patched when the record ends.
class ContinuedRecord {
public:
    ContinuedRecord(BiffSink& out, std::uint16_t id) : m_out(out) { start(id); }
    ~ContinuedRecord() { finish(); }

    std::size_t room() const { return kMaxRecordData - m_used; }
    void wrote(std::size_t bytes) { m_used += bytes; }
    void next(std::uint16_t id)
    {
        finish();
        m_out.recordEnd();
        start(id);
    }

private:
    void start(std::uint16_t id)
    {
        m_start = m_out.pos();
        m_out.header(id, 0);
        m_used = 0;
    }
    void finish() { m_out.patch16(m_start + 2, static_cast<std::uint16_t>(m_used)); }

    BiffSink& m_out;
    std::size_t m_start = 0;
    std::size_t m_used = 0;
};

}  // namespace

void Sst::write(BiffSink& out) const
{
    ContinuedRecord record(out, id);
    out.u32(totalCount), out.u32(static_cast<std::uint32_t>(strings.size()));
    record.wrote(8);

    for (const std::uint32_t id : strings) {
        const std::u16string_view s = pool->text(id);
        const std::size_t n = s.size();
        // Readers lose a string whose header (count and option byte) is cut, so the header
        // starts a new record unless it fits together with the first character.
        const std::size_t firstChar = n == 0 ? 0 : (n > 1 && IsHighSurrogate(s[0]) ? 4 : 2);
        if (record.room() < 3 + firstChar) record.next(kContinueId);
        out.u16(static_cast<std::uint16_t>(n)), out.u8(0x01);
        record.wrote(3);

        for (std::size_t pos = 0;;) {
            std::size_t take = std::min(record.room() / 2, n - pos);
            // Never part a surrogate pair: cut before its high half.
            if (pos + take < n && take > 0 && IsHighSurrogate(s[pos + take - 1])) --take;
            out.chars16(s.substr(pos, take));
            record.wrote(2 * take);
            pos += take;
            if (pos == n) break;
            // The characters go on in a CONTINUE that repeats the option byte.
            record.next(kContinueId);
            out.u8(0x01);
            record.wrote(1);
        }
    }
}

}  // namespace biff
