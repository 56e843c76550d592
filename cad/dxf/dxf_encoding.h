// The encoding of the strings of a drawing file: UTF-8 for newer files, a code page for older
// ones, with \U+XXXX escapes for characters the code page lacks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
    const CodePage* m_page;
};

// Private-use characters standing for undecodable bytes 0x80..0xFF.
inline constexpr char16_t kRawByteBase = 0xF700;

// UTF-8 and UTF-16 conversions (no escapes) used at the edges of the DXF layer.
std::u16string utf8ToUtf16(std::string_view bytes);
std::string utf16ToUtf8(std::u16string_view text);

// Replaces every \U+XXXX escape (four hexadecimal digits) by its UTF-16 unit.
void decodeUnicodeEscapes(std::u16string& text);

}  // namespace qx::dxf
