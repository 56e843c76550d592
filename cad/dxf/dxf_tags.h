// Group pairs of an ASCII drawing file, read in place from the file's text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx::dxf {

// What a group code's value holds.
enum class ValueKind { String, Real, Int16, Int32, Int64, Bool, Handle, Binary, Comment };
ValueKind valueKind(int code);
bool isNumeric(ValueKind kind);
// Highest group code a file may use.
inline constexpr int kMaxGroupCode = 1071;

// One group pair, viewing the file's text: the value without its line terminator, and the
// whole pair (both lines, terminators included) for copying it unchanged.
struct Tag {
    int code = 0;
    std::string_view value;
    std::string_view raw;
    std::uint32_t line = 0;  // line of the group code, from 1

    // Typed views of the value (leading and trailing blanks ignored). They return false when
    // the text is not a number of that kind, leaving `out` unchanged.
    bool toDouble(double& out) const;
    bool toInt(std::int64_t& out) const;
    bool toHandle(std::uint64_t& out) const;  // hexadecimal
    bool is(int c, std::string_view v) const { return code == c && value == v; }
};

// Walks the pairs of a piece of text that the loader has already checked, so it has no
// error path: it stops at the end of the text.
class TagCursor {
public:
    TagCursor() = default;
    TagCursor(std::string_view text, std::uint32_t firstLine) : m_text(text), m_line(firstLine) {}
    bool next(Tag& tag);
    // The text not walked yet.
    std::string_view rest() const { return m_text.substr(m_pos); }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::uint32_t m_line = 1;
};

// Number syntax of a value line, as the loader checks it: blanks, sign, digits, point and
// exponent; integer kinds accept a decimal form too since some writers print "1.0" there.
bool looksLikeNumber(std::string_view value);

// Parses the group-code line that starts at `pos`: optional blanks, an unsigned decimal number
// of up to six digits, optional blanks. Returns -1 when the line is not one. `lineEnd` becomes
// the index of the line's '\n' (the text's size on the last line), found in the same pass:
// every pair of a file starts with such a short line, so this is the reader's most frequent step.
inline int scanGroupCode(std::string_view text, std::size_t pos, std::size_t& lineEnd)
{
    const char* const base = text.data();
    const char* p = base + pos;
    const char* const end = base + text.size();
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    int code = 0, digits = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits)
        if (digits < 7) code = code * 10 + (*p - '0');
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
    if (p < end && *p != '\n') {
        const std::size_t nl = text.find('\n', static_cast<std::size_t>(p - base));
        lineEnd = nl == std::string_view::npos ? text.size() : nl;
        return -1;
    }
    lineEnd = static_cast<std::size_t>(p - base);
    return digits == 0 || digits > 6 ? -1 : code;
}

// Formats a double the way new values are written: shortest text that reads back exactly,
// always with a decimal point or exponent.
std::string formatReal(double value);
std::string formatHandle(std::uint64_t handle);

// The same texts in place, for writers that append millions of numbers and should not
// allocate for each.
struct NumberText {
    char digits[32];
    std::uint8_t size = 0;
    std::string_view view() const { return {digits, size}; }
};
NumberText realText(double value);
NumberText handleText(std::uint64_t handle);
NumberText integerText(std::int64_t value);

}  // namespace qx::dxf
