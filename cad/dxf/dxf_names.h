// Small helpers the readers and writers of drawing files share: names of records, the first
// value of a record, case-blind names, long texts in pieces.
#pragma once

#include <string>
#include <string_view>

#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_file.h"
#include "dbsymbols.h"

namespace qx::dxf {

// The name of the symbol table record an id leads to; empty for none.
inline std::u16string nameOf(QxDbObjectId id)
{
    const auto* record = QxDbSymbolTableRecord::cast(qx::peekObject(id));
    return record ? record->name() : std::u16string();
}

// The handle of an object; 0 for none.
inline std::uint64_t handleOf(QxDbObjectId id) { return id.isNull() ? 0 : qx::DbInternals::stub(id)->handle; }

// The first value under `code` after the record type, decoded; empty when the record has none
// before its extended data (whose codes are application data, not the record's).
inline std::u16string firstText(const DxfFile& file, std::size_t record, int code)
{
    TagCursor c = file.tags(record);
    Tag t;
    c.next(t);
    while (c.next(t)) {
        if (t.code == 1001) break;
        if (t.code == code) return file.decode(t.value);
    }
    return {};
}

// Names in drawing files compare without regard to the case of ASCII letters.
template <class Char>
Char upperAscii(Char c)
{
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}
inline std::u16string upperAscii(std::u16string s)
{
    for (char16_t& c : s) c = upperAscii(c);
    return s;
}
inline std::string upperAscii(std::string_view s)
{
    std::string u(s);
    for (char& c : u) c = upperAscii(c);
    return u;
}
inline bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (upperAscii(a[k]) != upperAscii(b[k])) return false;
    return true;
}

// A formatted text as the format stores long texts: escaped, then in pieces of 250 characters
// under `pieceCode` and the rest under `lastCode`, never cutting an escape or a surrogate pair.
template <class Emit>
void formattedPieces(std::u16string_view text, int pieceCode, int lastCode, Emit emit)
{
    const std::u16string escaped = escapeText(text, TextRole::Formatted);
    const auto chunks = textChunks(escaped, kTextChunk);
    for (std::size_t k = 0; k + 1 < chunks.size(); ++k) emit(pieceCode, chunks[k]);
    emit(lastCode, chunks.back());
}

}  // namespace qx::dxf
