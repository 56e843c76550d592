#include "output/locale_number.h"

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
    // Split "-0012.3400" into sign, integer digits "0012" and fraction digits "3400".
    std::size_t pos = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) ++pos;
    std::size_t intStart = pos;
    while (pos < text.size() && isDigit(text[pos])) ++pos;
    std::size_t intEnd = pos;
    std::size_t fracStart = pos, fracEnd = pos;
    if (pos < text.size() && text[pos] == u'.') {
        fracStart = ++pos;
        while (pos < text.size() && isDigit(text[pos])) ++pos;
        fracEnd = pos;
    }
    const bool plainDecimal = pos == text.size() && intEnd > intStart;
    if (plainDecimal) {
        while (intStart + 1 < intEnd && text[intStart] == u'0') ++intStart;  // keep one digit
        while (fracEnd > fracStart && text[fracEnd - 1] == u'0') --fracEnd;
        const bool intIsZero = intEnd - intStart == 1 && text[intStart] == u'0';
        // Significant digits and the decimal exponent decide whether %g would round or switch
        // to exponent form; only when it would do neither is the text its own result.
        std::size_t significant, leadingFracZeros = 0;
        int exponent;
        if (!intIsZero) {
            std::size_t lastNonZero = intEnd;  // one past, over integer then fraction digits
            if (fracEnd > fracStart) {
                significant = (intEnd - intStart) + (fracEnd - fracStart);
            } else {
                while (lastNonZero > intStart + 1 && text[lastNonZero - 1] == u'0') --lastNonZero;
                significant = lastNonZero - intStart;
            }
            exponent = static_cast<int>(intEnd - intStart) - 1;
        } else {
            while (fracStart + leadingFracZeros < fracEnd && text[fracStart + leadingFracZeros] == u'0') ++leadingFracZeros;
            significant = fracEnd - fracStart - leadingFracZeros;
            exponent = significant == 0 ? 0 : -static_cast<int>(leadingFracZeros) - 1;
        }
        if (significant <= 6 && exponent >= -4 && exponent < 6) {
            const char16_t decimalMark = marks == NumberMarks::French ? u',' : u'.';
            const char16_t groupMark = marks == NumberMarks::French ? u'\u00A0' : u',';
            char16_t* out = buffer;
            if (negative) *out++ = u'-';
            const std::size_t intDigits = intEnd - intStart;
            for (std::size_t i = 0; i < intDigits; ++i) {
                if (i > 0 && (intDigits - i) % 3 == 0) *out++ = groupMark;
                *out++ = text[intStart + i];
            }
            if (fracEnd > fracStart) {
                *out++ = decimalMark;
                for (std::size_t i = fracStart; i < fracEnd; ++i) *out++ = text[i];
            }
            return static_cast<std::size_t>(out - buffer);
        }
    }
    return FormatLocaleNumber(numericValue(text), marks, buffer);
}
