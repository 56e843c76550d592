#include "cad/dxf/dxf_tags.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace qx::dxf {

namespace {

// Most values have no blanks to trim: they are returned at once.
[[gnu::always_inline]] inline std::string_view trimBlanks(std::string_view s)
{
    if (!s.empty() && s.front() > ' ' && s.back() > ' ') return s;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool equalsLower(std::string_view s, std::string_view lower)
{
    if (s.size() != lower.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

}  // namespace

namespace {

constexpr ValueKind valueKindOf(int code)
{
    if (code < 10) return ValueKind::String;
    if (code < 60) return ValueKind::Real;
    if (code < 80) return ValueKind::Int16;
    if (code < 90) return ValueKind::String;
    if (code < 100) return ValueKind::Int32;
    if (code == 105) return ValueKind::Handle;
    if (code < 110) return ValueKind::String;
    if (code < 150) return ValueKind::Real;
    if (code >= 160 && code < 170) return ValueKind::Int64;
    if (code >= 170 && code < 180) return ValueKind::Int16;
    if (code >= 210 && code < 240) return ValueKind::Real;
    if (code >= 270 && code < 290) return ValueKind::Int16;
    if (code >= 290 && code < 300) return ValueKind::Bool;
    if (code >= 300 && code < 310) return ValueKind::String;
    if (code >= 310 && code < 320) return ValueKind::Binary;
    if (code >= 320 && code < 370) return ValueKind::Handle;
    if (code >= 370 && code < 390) return ValueKind::Int16;
    if (code >= 390 && code < 400) return ValueKind::Handle;
    if (code >= 400 && code < 410) return ValueKind::Int16;
    if (code >= 410 && code < 420) return ValueKind::String;
    if (code >= 420 && code < 430) return ValueKind::Int32;
    if (code >= 430 && code < 440) return ValueKind::String;
    if (code >= 440 && code < 460) return ValueKind::Int32;
    if (code >= 460 && code < 470) return ValueKind::Real;
    if (code >= 470 && code < 480) return ValueKind::String;
    if (code >= 480 && code < 482) return ValueKind::Handle;
    if (code == 999) return ValueKind::Comment;
    if (code == 1004) return ValueKind::Binary;
    if (code == 1005) return ValueKind::Handle;
    if (code >= 1000 && code < 1010) return ValueKind::String;
    if (code >= 1010 && code < 1060) return ValueKind::Real;
    if (code >= 1060 && code < 1071) return ValueKind::Int16;
    if (code == 1071) return ValueKind::Int32;
    return ValueKind::String;
}

// Asked for every pair a file has: looked up in a table made by the compiler.
constexpr auto kValueKinds = [] {
    std::array<ValueKind, kMaxGroupCode + 1> kinds{};
    for (int c = 0; c <= kMaxGroupCode; ++c) kinds[static_cast<std::size_t>(c)] = valueKindOf(c);
    return kinds;
}();

}  // namespace

ValueKind valueKind(int code)
{
    return code >= 0 && code <= kMaxGroupCode ? kValueKinds[static_cast<std::size_t>(code)] : valueKindOf(code);
}

bool isNumeric(ValueKind kind)
{
    return kind == ValueKind::Real || kind == ValueKind::Int16 || kind == ValueKind::Int32 ||
           kind == ValueKind::Int64 || kind == ValueKind::Bool;
}

namespace {

// Digits with an optional point and exponent, the form nearly every number has.
bool isDecimal(std::string_view s)
{
    std::size_t i = 0, digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

}  // namespace

bool looksLikeNumber(std::string_view value)
{
    std::string_view s = trimBlanks(value);
    if (s.empty()) return false;
    if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
    if (isDecimal(s)) return true;
    // Values some writers print for invalid numbers; they are numbers to the format.
    return equalsLower(s, "nan") || equalsLower(s, "inf") || equalsLower(s, "infinity") || s.starts_with("1.#");
}

bool TagCursor::next(Tag& tag)
{
    if (m_pos >= m_text.size()) return false;
    const std::size_t start = m_pos;
    const char* base = m_text.data();
    const std::size_t n = m_text.size();

    std::size_t codeEnd = n;
    tag.code = scanGroupCode(m_text, m_pos, codeEnd);
    m_pos = codeEnd < n ? codeEnd + 1 : n;

    const void* nl = m_pos < n ? std::memchr(base + m_pos, '\n', n - m_pos) : nullptr;
    const std::size_t valueEnd = nl ? static_cast<const char*>(nl) - base : n;
    std::size_t valueStop = valueEnd;
    if (valueStop > m_pos && base[valueStop - 1] == '\r') --valueStop;
    tag.value = m_text.substr(m_pos, valueStop - m_pos);
    m_pos = valueEnd < n ? valueEnd + 1 : n;

    tag.raw = m_text.substr(start, m_pos - start);
    tag.line = m_line;
    m_line += 2;
    return true;
}

bool Tag::toDouble(double& out) const
{
    std::string_view s = trimBlanks(value);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc() && end == s.data() + s.size()) {
        out = v;
        return true;
    }
    if (looksLikeNumber(s)) {  // the "1.#QNAN" family
        out = std::nan("");
        return true;
    }
    return false;
}

bool Tag::toInt(std::int64_t& out) const
{
    std::string_view s = trimBlanks(value);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc() && end == s.data() + s.size()) {
        out = v;
        return true;
    }
    double d = 0;  // "1.0" where an integer belongs
    if (toDouble(d) && std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.2e18) {
        out = static_cast<std::int64_t>(d);
        return true;
    }
    return false;
}

bool Tag::toHandle(std::uint64_t& out) const
{
    const std::string_view s = trimBlanks(value);
    if (s.empty() || s.size() > 16) return false;
    std::uint64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    out = v;
    return true;
}

NumberText realText(double value)
{
    NumberText out;
    char* const begin = out.digits;
    const auto [end, ec] = std::to_chars(begin, begin + sizeof out.digits - 2, value);
    char* last = ec == std::errc() ? end : begin;
    if (std::string_view(begin, static_cast<std::size_t>(last - begin)).find_first_of(".eEn") == std::string_view::npos) {
        *last++ = '.';
        *last++ = '0';
    }
    out.size = static_cast<std::uint8_t>(last - begin);
    return out;
}

NumberText handleText(std::uint64_t handle)
{
    NumberText out;
    const auto [end, ec] = std::to_chars(out.digits, out.digits + sizeof out.digits, handle, 16);
    out.size = static_cast<std::uint8_t>(ec == std::errc() ? end - out.digits : 0);
    for (std::uint8_t i = 0; i < out.size; ++i)
        if (out.digits[i] >= 'a' && out.digits[i] <= 'f') out.digits[i] = static_cast<char>(out.digits[i] - 'a' + 'A');
    return out;
}

NumberText integerText(std::int64_t value)
{
    NumberText out;
    const auto [end, ec] = std::to_chars(out.digits, out.digits + sizeof out.digits, value);
    out.size = static_cast<std::uint8_t>(ec == std::errc() ? end - out.digits : 0);
    return out;
}

std::string formatReal(double value) { return std::string(realText(value).view()); }

std::string formatHandle(std::uint64_t handle) { return std::string(handleText(handle).view()); }

}  // namespace qx::dxf
