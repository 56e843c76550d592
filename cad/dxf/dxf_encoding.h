// The encoding of the strings of a drawing file: UTF-8 for newer files, a code page for older
// ones, with \U+XXXX escapes for characters the code page lacks.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::dxf {

struct CodePage;

class TextEncoding {
public:
    static TextEncoding utf8();
    // The encoding a $DWGCODEPAGE value names ("ANSI_1252", "dos850", "ISO8859-1", ...), matched
    // ignoring case; nothing when the name is unknown. Multi-byte Far-East code pages are known
    // but kept byte by byte (see decode).
    static std::optional<TextEncoding> fromCodePageName(std::string_view name);

    bool isUtf8() const { return m_page == nullptr; }
    // "UTF-8" or the code page name as the format writes it ("ANSI_1252").
    std::string name() const;

    // File bytes to UTF-16, with \U+XXXX escapes replaced by their character. A byte that
    // cannot be decoded (invalid UTF-8, a byte of a multi-byte code page we do not table)
    // becomes a private-use character that encode() turns back into the same byte, so a string
    // read and written again is unchanged.
    std::u16string decode(std::string_view bytes) const;
    // UTF-16 to file bytes; a character the code page lacks is written as \U+XXXX.
    std::string encode(std::u16string_view text) const;

private:
    explicit TextEncoding(const CodePage* page) : m_page(page) {}
    void appendRawBytes(std::string& out, std::u16string_view run) const;
    const CodePage* m_page;
};

// Private-use characters standing for undecodable bytes 0x80..0xFF.
inline constexpr char16_t kRawByteBase = 0xF700;

// UTF-8 and UTF-16 conversions (no escapes) used at the edges of the DXF layer.
std::u16string utf8ToUtf16(std::string_view bytes);
std::string utf16ToUtf8(std::u16string_view text);
// One code point as UTF-8 (what to do with a lone surrogate is the caller's choice).
void appendUtf8(std::string& out, char32_t codePoint);

// Replaces every \U+XXXX escape (four hexadecimal digits) by its UTF-16 unit.
void decodeUnicodeEscapes(std::u16string& text);

// What a text value is to the format, which decides how characters that would break the
// file's line structure (CR, LF, NUL) are written. A value line ends at the first line break,
// so a raw one makes the reader take the rest of the text for the next group code.
enum class TextRole {
    // Names, handles, keys: written as they are; a line break or NUL there cannot be written
    // and the save is refused (see RecordBuilder).
    Verbatim,
    // Single-line text (text and attribute values, extended-data strings): control characters
    // in caret notation ("^J" for LF, "^@" for NUL, "^ " for a caret that would read as one).
    Plain,
    // Formatted text (multi-line text contents, table cells): a line break (CR LF, CR or LF)
    // is the paragraph code \P; other control characters in caret notation.
    Formatted,
};

// The text as it goes into a value of the given role, before the file's encoding.
std::u16string escapeText(std::u16string_view text, TextRole role);
// Reading: caret notation decoded in Plain and Formatted values (a \P stays \P).
void decodeCaretNotation(std::u16string& text);

// Cuts an escaped text into pieces of at most `limit` units for values split over several
// pairs (multi-line text chunks), never between a surrogate pair or after a caret or backslash
// that starts an escape, so that readers joining the pieces and readers that do not both see
// whole escapes.
std::vector<std::u16string_view> textChunks(std::u16string_view text, std::size_t limit);
// The size of those pieces in multi-line texts and older table cells.
inline constexpr std::size_t kTextChunk = 250;

}  // namespace qx::dxf
