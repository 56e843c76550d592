// Digests of what the writer would write for an object and of its extended data: equal
// digests when a drawing is saved mean the record can be written as it was read.
#include <algorithm>
#include <cstring>

#include "cad/db/internals.h"
#include "cad/db/xdata.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/dxf/dxf_entities.h"
#include "cad/dxf/dxf_names.h"
#include "dbsymbols.h"
#include "dbtable.h"

namespace qx::dxf {

namespace {

// A 64-bit digest of values fed word by word: fast enough to take for every object of a large
// drawing when it is read and again when it is saved.
class Digest : public FieldSink {
public:
    void text(int group, int code, std::u16string_view value, TextRole) override
    {
        mix(group, code);
        bytes(value.data(), value.size() * sizeof(char16_t));
    }
    void real(int group, int code, double value) override
    {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        word((static_cast<std::uint64_t>(group) << 32) ^ static_cast<std::uint32_t>(code));
        word(bits);
    }
    void integer(int group, int code, std::int64_t value) override
    {
        mix(group, code);
        word(static_cast<std::uint64_t>(value));
    }
    void handle(int group, int code, std::uint64_t value) override
    {
        mix(group, code);
        word(value);
    }
    void mix(int a, std::int64_t b)
    {
        word((static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) ^ static_cast<std::uint64_t>(b));
    }
    void bytes(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        word(size);
        for (; size >= 8; p += 8, size -= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            word(w);
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, p, size);
        word(tail);
    }
    std::uint64_t value() const { return m_value; }

private:
    void word(std::uint64_t w)
    {
        m_value = (m_value ^ w) * 0x9E3779B97F4A7C15ull;
        m_value ^= m_value >> 29;
    }
    std::uint64_t m_value = 0xCBF29CE484222325ull;
};

}  // namespace

std::uint64_t fieldDigest(const QxDbObject& object)
{
    Digest d;
    if (const auto* entity = QxDbEntity::cast(&object)) {
        writeFields(*entity, d, FieldUse::Replace);
        // A table's own data beyond what its description holds: style, grid and cells.
        if (const auto* table = QxDbTable::cast(&object)) {
            d.handle(1, 342, handleOf(table->tableStyle()));
            d.integer(1, 91, table->numRows());
            d.integer(1, 92, table->numColumns());
            for (std::uint32_t r = 0; r < table->numRows(); ++r) d.real(1, 141, table->rowHeight(r));
            for (std::uint32_t c = 0; c < table->numColumns(); ++c) d.real(1, 142, table->columnWidth(c));
            for (std::uint32_t r = 0; r < table->numRows(); ++r)
                for (std::uint32_t c = 0; c < table->numColumns(); ++c) {
                    const QxDbTable::Cell* cell = table->cell(r, c);
                    if (!cell) continue;
                    d.integer(2, 171, cell->type);
                    d.text(2, 1, cell->text, TextRole::Formatted);
                    d.handle(2, 340, handleOf(cell->block));
                    d.integer(2, 173, cell->merged), d.integer(2, 175, cell->columnSpan), d.integer(2, 176, cell->rowSpan);
                    d.integer(2, 174, cell->autoFit);
                }
        }
    } else if (const auto* record = QxDbSymbolTableRecord::cast(&object)) {
        d.text(0, 2, record->name(), TextRole::Verbatim);
        if (const auto* style = QxDbTextStyleTableRecord::cast(&object)) {
            d.real(0, 40, style->textSize());
            d.real(0, 41, style->xScale());
            d.text(0, 3, style->fileName(), TextRole::Verbatim);
        }
    } else if (const auto* table = QxDbSymbolTable::cast(&object)) {
        d.integer(0, 70, static_cast<std::int64_t>(table->recordIds().size()));
    } else if (const auto* dictionary = QxDbDictionary::cast(&object)) {
        for (const auto& [name, id] : dictionary->entries()) {
            d.text(0, 3, name, TextRole::Verbatim);
            d.handle(0, 350, handleOf(id));
        }
    } else if (const auto* style = QxDbTableStyle::cast(&object)) {
        d.real(0, 40, style->horzCellMargin());
        d.real(0, 41, style->vertCellMargin());
        for (auto row : {QxDb::kDataRow, QxDb::kTitleRow, QxDb::kHeaderRow}) {
            d.handle(0, 7, handleOf(style->textStyle(row)));
            d.real(0, 140, style->textHeight(row));
        }
    }
    return d.value();
}

namespace {
const std::uint64_t kNoXData = Digest().value();
}  // namespace

void XDataDigests::add(std::size_t record, std::uint64_t digest)
{
    if (digest != kNoXData) m_digests.emplace_back(record, digest);
}

void XDataDigests::seal()
{
    std::sort(m_digests.begin(), m_digests.end());
    m_digests.erase(std::unique(m_digests.begin(), m_digests.end()), m_digests.end());
    m_digests.shrink_to_fit();
}

std::uint64_t XDataDigests::of(std::size_t record) const
{
    const auto it = std::lower_bound(m_digests.begin(), m_digests.end(), std::make_pair(record, std::uint64_t{0}));
    return it != m_digests.end() && it->first == record ? it->second : kNoXData;
}

std::uint64_t xdataDigest(const QxDbObject& object)
{
    Digest d;
    const QxDbXData* store = qx::DbInternals::xdataStore(object);
    if (!store) return d.value();
    for (const QxDbXData::Value& value : store->values()) {
        d.mix(value.code, 0);
        switch (value.kind) {
        case QxRbKind::String: d.bytes(value.text.data(), value.text.size() * sizeof(char16_t)); break;
        case QxRbKind::Point: d.bytes(value.point, sizeof value.point); break;
        case QxRbKind::Real: d.bytes(&value.real, sizeof value.real); break;
        case QxRbKind::Short: d.mix(1, value.integer); break;
        case QxRbKind::Long: d.mix(2, value.integer); break;
        case QxRbKind::Binary: d.bytes(value.binary.data(), value.binary.size()); break;
        default: break;
        }
    }
    return d.value();
}

}  // namespace qx::dxf
