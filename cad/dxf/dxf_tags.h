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

// Parses a group-code line: optional blanks, an unsigned decimal number, optional blanks.
// Returns -1 when the line is not one.
int parseGroupCode(std::string_view line);

// Formats a double the way new values are written: shortest text that reads back exactly,
// always with a decimal point or exponent.
std::string formatReal(double value);
std::string formatHandle(std::uint64_t handle);

}  // namespace qx::dxf
