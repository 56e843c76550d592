#include "output/locale_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/number_text.h"

std::size_t FormatLocaleNumber(double value, NumberMarks marks, char16_t* buffer)
{
    const char16_t decimalMark = marks == NumberMarks::French ? u',' : u'.';
    const char16_t groupMark = marks == NumberMarks::French ? u'\u00A0' : u',';
    char16_t* out = buffer;

    if (std::isnan(value) || std::isinf(value)) {
        const char* word = std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan") : (value < 0 ? "-inf" : "inf");
        while (*word) *out++ = static_cast<char16_t>(*word++);
        return static_cast<std::size_t>(out - buffer);
    }
    // printf's %g in the C locale ("-1234.5", "1.23457e+06"); the marks are applied below.
    char plain[32];
    const char* const end = std::to_chars(plain, plain + sizeof plain, value, std::chars_format::general, 6).ptr;
    const char* p = plain;
    if (*p == '-') *out++ = u'-', ++p;

    const char* intEnd = p;
    while (intEnd < end && *intEnd >= '0' && *intEnd <= '9') ++intEnd;
    const auto intDigits = static_cast<std::size_t>(intEnd - p);
    for (std::size_t i = 0; i < intDigits; ++i) {
        if (i > 0 && (intDigits - i) % 3 == 0) *out++ = groupMark;
        *out++ = static_cast<char16_t>(p[i]);
    }
    p = intEnd;
    if (p < end && *p == '.') {
        *out++ = decimalMark;
        for (++p; p < end && *p != 'e'; ++p) *out++ = static_cast<char16_t>(*p);
    }
    if (p < end && *p == 'e') {
        // "e+06" -> "e+006": the library pads the exponent to three digits.
        *out++ = u'e';
        *out++ = static_cast<char16_t>(p[1]);
        const char* digits = p + 2;
        for (auto n = static_cast<std::size_t>(end - digits); n < 3; ++n) *out++ = u'0';
        while (digits < end) *out++ = static_cast<char16_t>(*digits++);
    }
    return static_cast<std::size_t>(out - buffer);
}

std::u16string FormatLocaleNumber(double value, NumberMarks marks)
{
    char16_t buffer[kLocaleNumberMaxUnits];
    return std::u16string(buffer, FormatLocaleNumber(value, marks, buffer));
}

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The value of a text that passed IsNumericText (so plain ASCII).
double numericValue(std::u16string_view text)
{
    char narrow[64];
    if (text.size() < sizeof narrow) {
        std::size_t n = 0;
        for (std::size_t i = text[0] == u'+' ? 1 : 0; i < text.size(); ++i) narrow[n++] = static_cast<char>(text[i]);
        double value = 0;
        if (std::from_chars(narrow, narrow + n, value).ec == std::errc()) return value;
    }
    return ReadLeadingNumber(text);  // its overflow rules
}

}  // namespace

std::size_t FormatLocaleNumberText(std::u16string_view text, NumberMarks marks, char16_t* buffer)
{
    // The digits of "-0012.3400" without sign and point, and how many stood before the point.
    char digits[24];
    std::size_t nDigits = 0, nBeforePoint = 0;
    std::size_t pos = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) ++pos;
    for (; pos < text.size() && isDigit(text[pos]); ++pos, ++nBeforePoint)
        if (nDigits < sizeof digits) digits[nDigits++] = static_cast<char>(text[pos]);
    if (pos < text.size() && text[pos] == u'.')
        for (++pos; pos < text.size() && isDigit(text[pos]); ++pos)
            if (nDigits < sizeof digits) digits[nDigits++] = static_cast<char>(text[pos]);
    // Exponents, and texts too long to hold here, go through a conversion.
    if (pos != text.size() || nBeforePoint == 0 || nDigits == sizeof digits)
        return FormatLocaleNumber(numericValue(text), marks, buffer);

    std::size_t first = 0;
    while (first < nDigits && digits[first] == '0') ++first;
    std::size_t last = nDigits;
    while (last > first && digits[last - 1] == '0') --last;
    char16_t* out = buffer;
    if (first == last) {  // zero, which keeps its sign as in printf
        if (negative) *out++ = u'-';
        *out++ = u'0';
        return static_cast<std::size_t>(out - buffer);
    }
    const int exponent = static_cast<int>(nBeforePoint) - static_cast<int>(first) - 1;
    std::size_t nSignificant = last - first;
    const char* significant = digits + first;

    // Six significant digits, rounded on the text. A text of at most 15 significant digits
    // that is not exactly halfway lies on the same side of the rounding point as its double,
    // so the text decides as the conversion would; a halfway text, more digits, a carry into
    // a new digit or exponent form (below 1e-4, from 1e6) are left to the conversion.
    char rounded[6];
    if (nSignificant > 6) {
        const bool halfway = nSignificant == 7 && significant[6] == '5';
        if (nSignificant > 15 || halfway) return FormatLocaleNumber(numericValue(text), marks, buffer);
        std::copy(significant, significant + 6, rounded);
        if (significant[6] >= '5') {
            int i = 5;
            for (; i >= 0 && rounded[i] == '9'; --i) rounded[i] = '0';
            if (i < 0) return FormatLocaleNumber(numericValue(text), marks, buffer);
            ++rounded[i];
        }
        significant = rounded;
        nSignificant = 6;
        while (significant[nSignificant - 1] == '0') --nSignificant;
    }
    if (exponent < -4 || exponent >= 6) return FormatLocaleNumber(numericValue(text), marks, buffer);

    const char16_t decimalMark = marks == NumberMarks::French ? u',' : u'.';
    const char16_t groupMark = marks == NumberMarks::French ? u'\u00A0' : u',';
    if (negative) *out++ = u'-';
    std::size_t next = 0;  // next significant digit to write
    if (exponent < 0) {
        *out++ = u'0';
        *out++ = decimalMark;
        for (int i = -1; i > exponent; --i) *out++ = u'0';
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        for (std::size_t i = 0; i < intDigits; ++i) {
            if (i > 0 && (intDigits - i) % 3 == 0) *out++ = groupMark;
            *out++ = next < nSignificant ? static_cast<char16_t>(significant[next++]) : u'0';
        }
        if (next < nSignificant) *out++ = decimalMark;
    }
    while (next < nSignificant) *out++ = static_cast<char16_t>(significant[next++]);
    return static_cast<std::size_t>(out - buffer);
}
