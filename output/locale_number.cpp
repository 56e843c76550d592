#include "output/locale_number.h"

#include <charconv>
#include <cmath>

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
