#include "cad/dxf/dxf_encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <vector>

#include "cad/dxf/dxf_codepage_tables.h"

namespace qx::dxf {

// A code page: its upper half (bytes 0x80..0xFF) and the reverse map built from it. A page
// without a table is a multi-byte page whose non-ASCII bytes are kept as raw-byte characters.
struct CodePage {
    const char* name;
    const char16_t* upper;  // null: multi-byte page, kept byte by byte
    std::array<std::uint8_t, 0x10000> reverse{};  // 0: not in the page

    CodePage(const char* pageName, const char16_t* table) : name(pageName), upper(table)
    {
        if (!upper) return;
        for (int b = 0; b < 128; ++b) reverse[upper[b]] = static_cast<std::uint8_t>(0x80 + b);
    }
};

namespace {

const char16_t* latin1Table()
{
    static const auto table = [] {
        std::array<char16_t, 128> t{};
        for (int b = 0; b < 128; ++b) t[b] = static_cast<char16_t>(0x80 + b);
        return t;
    }();
    return table.data();
}

struct NamedPage {
    const char* name;
    const char* alias;  // another spelling found in files, or null
    const char16_t* table;
};

const std::vector<std::unique_ptr<CodePage>>& codePages(std::vector<NamedPage>* namesOut = nullptr)
{
    using namespace detail;
    static const std::vector<NamedPage> names = {
        {"ANSI_1252", nullptr, kCodePage1252}, {"ANSI_1250", nullptr, kCodePage1250},
        {"ANSI_1251", nullptr, kCodePage1251}, {"ANSI_1253", nullptr, kCodePage1253},
        {"ANSI_1254", nullptr, kCodePage1254}, {"ANSI_1255", nullptr, kCodePage1255},
        {"ANSI_1256", nullptr, kCodePage1256}, {"ANSI_1257", nullptr, kCodePage1257},
        {"ANSI_1258", nullptr, kCodePage1258}, {"ANSI_874", "DOS874", kCodePage874},
        {"DOS437", "ANSI_437", kCodePage437},  {"DOS850", "ANSI_850", kCodePage850},
        {"DOS852", "ANSI_852", kCodePage852},  {"DOS866", "ANSI_866", kCodePage866},
        {"ISO8859-1", "ISO8859_1", latin1Table()},
        {"ANSI_932", "DOS932", nullptr},       {"ANSI_936", "GB2312", nullptr},
        {"ANSI_949", "KSC5601", nullptr},      {"ANSI_950", "BIG5", nullptr},
        {"ANSI_1361", "JOHAB", nullptr},
    };
    static const std::vector<std::unique_ptr<CodePage>> pages = [] {
        std::vector<std::unique_ptr<CodePage>> list;
        for (const auto& n : names) list.push_back(std::make_unique<CodePage>(n.name, n.table));
        return list;
    }();
    if (namesOut) *namesOut = names;
    return pages;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

void appendEscape(std::string& out, char16_t unit)
{
    static const char digits[] = "0123456789ABCDEF";
    out += "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(unit >> shift) & 0xF];
}

bool isRawByteChar(char16_t c) { return c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF; }

// Decodes one UTF-8 sequence at `i`; returns its length, or 0 when it is not valid UTF-8.
std::size_t decodeUtf8Sequence(std::string_view s, std::size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

}  // namespace

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

TextEncoding TextEncoding::utf8() { return TextEncoding(nullptr); }

std::optional<TextEncoding> TextEncoding::fromCodePageName(std::string_view name)
{
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    std::vector<NamedPage> names;
    const auto& pages = codePages(&names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (equalsIgnoringCase(name, names[i].name) || (names[i].alias && equalsIgnoringCase(name, names[i].alias)))
            return TextEncoding(pages[i].get());
    }
    return std::nullopt;
}

std::string TextEncoding::name() const { return m_page ? m_page->name : "UTF-8"; }

std::u16string TextEncoding::decode(std::string_view bytes) const
{
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
        } else if (m_page && m_page->upper) {
            out += m_page->upper[b - 0x80];
            ++i;
        } else if (m_page) {
            out += static_cast<char16_t>(kRawByteBase + b);
            ++i;
        } else {
            char32_t cp = 0;
            const std::size_t len = decodeUtf8Sequence(bytes, i, cp);
            if (len == 0) {
                out += static_cast<char16_t>(kRawByteBase + b);
                ++i;
            } else {
                appendUtf16(out, cp);
                i += len;
            }
        }
    }
    decodeUnicodeEscapes(out);
    return out;
}

namespace {

// Whether the text at `i` is a \U+XXXX escape, which decode() would turn into one character.
bool startsUnicodeEscape(std::u16string_view text, std::size_t i)
{
    if (i + 7 > text.size() || text[i] != u'\\' || text[i + 1] != u'U' || text[i + 2] != u'+') return false;
    for (std::size_t k = 3; k < 7; ++k)
        if (hexValue(text[i + k]) < 0) return false;
    return true;
}

}  // namespace

std::string TextEncoding::encode(std::u16string_view text) const
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (startsUnicodeEscape(text, i)) {
            appendEscape(out, c);  // the backslash of a literal "\U+0041": decode() keeps the rest as it is
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (isRawByteChar(c)) {
            std::size_t end = i;
            while (end < text.size() && isRawByteChar(text[end])) ++end;
            appendRawBytes(out, text.substr(i, end - i));
            i = end - 1;
        } else if (!m_page) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
                ++i;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                appendEscape(out, c);  // a lone surrogate has no UTF-8 form
            } else {
                appendUtf8(out, c);
            }
        } else if (m_page->upper && m_page->reverse[c]) {
            out += static_cast<char>(m_page->reverse[c]);
        } else {
            appendEscape(out, c);
        }
    }
    return out;
}

// Characters standing for undecodable bytes go back as those bytes, so a string read and
// written again is unchanged. Only when the bytes would read back as the same characters,
// though: a run typed by someone (or bytes that a code page decodes) is escaped instead.
void TextEncoding::appendRawBytes(std::string& out, std::u16string_view run) const
{
    std::string bytes;
    for (const char16_t c : run) bytes += static_cast<char>(c - kRawByteBase);
    const bool readsBack = m_page ? !m_page->upper : utf8ToUtf16(bytes) == run;
    if (readsBack) {
        out += bytes;
        return;
    }
    for (const char16_t c : run) appendEscape(out, c);
}

std::u16string utf8ToUtf16(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t len = decodeUtf8Sequence(bytes, i, cp);
        if (len == 0) {
            out += static_cast<char16_t>(kRawByteBase + static_cast<unsigned char>(bytes[i]));
            ++i;
        } else {
            appendUtf16(out, cp);
            i += len;
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) { return TextEncoding::utf8().encode(text); }

void decodeUnicodeEscapes(std::u16string& text)
{
    std::size_t pos = text.find(u"\\U+");
    if (pos == std::u16string::npos) return;
    std::size_t write = pos;
    for (std::size_t read = pos; read < text.size();) {
        if (text[read] == u'\\' && read + 7 <= text.size() && text[read + 1] == u'U' && text[read + 2] == u'+') {
            int value = 0;
            bool hex = true;
            for (int k = 3; k < 7 && hex; ++k) {
                const int d = hexValue(text[read + k]);
                hex = d >= 0;
                value = value * 16 + d;
            }
            if (hex) {
                text[write++] = static_cast<char16_t>(value);
                read += 7;
                continue;
            }
        }
        text[write++] = text[read++];
    }
    text.resize(write);
}

namespace {

// A caret followed by one of these reads as a control character ("^J") or as a caret ("^ ").
bool isCaretFollower(char16_t c) { return (c >= 0x40 && c <= 0x5F) || c == u' '; }

}  // namespace

std::u16string escapeText(std::u16string_view text, TextRole role)
{
    if (role == TextRole::Verbatim) return std::u16string(text);
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (role == TextRole::Formatted && (c == u'\r' || c == u'\n')) {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += u"\\P";
        } else if (c < 0x20) {
            out += u'^';
            out += static_cast<char16_t>(c + 0x40);
        } else if (c == u'^' && i + 1 < text.size() && (isCaretFollower(text[i + 1]) || text[i + 1] < 0x20 || text[i + 1] >= 0x80)) {
            // Escaped characters start with a follower too: "^J", "\P", and the \U+XXXX that
            // the file's encoding may need for anything beyond ASCII.
            out += u"^ ";
        } else {
            out += c;
        }
    }
    return out;
}

void decodeCaretNotation(std::u16string& text)
{
    std::size_t write = text.find(u'^');
    if (write == std::u16string::npos) return;
    for (std::size_t read = write; read < text.size();) {
        const char16_t c = text[read];
        if (c == u'^' && read + 1 < text.size() && isCaretFollower(text[read + 1])) {
            const char16_t next = text[read + 1];
            text[write++] = next == u' ' ? u'^' : static_cast<char16_t>(next - 0x40);
            read += 2;
        } else {
            text[write++] = c;
            ++read;
        }
    }
    text.resize(write);
}

std::vector<std::u16string_view> textChunks(std::u16string_view text, std::size_t limit)
{
    std::vector<std::u16string_view> chunks;
    while (text.size() > limit) {
        // A few units back at most: a run of backslashes must not empty the chunk.
        std::size_t length = limit;
        auto splitsPair = [&](char16_t last) { return (last >= 0xD800 && last <= 0xDBFF) || last == u'^' || last == u'\\'; };
        while (length + 3 > limit && length > 1 && splitsPair(text[length - 1])) --length;
        chunks.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    chunks.push_back(text);
    return chunks;
}

}  // namespace qx::dxf
