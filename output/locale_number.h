// Numbers written the way the CSV file has always shown them: the run-time library's stream
// defaults in the "English" or "French" named locale. No process locale is consulted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class NumberMarks {
    English,  // 1,234.5   (comma groups, decimal point)
    French,   // 1 234,5   (no-break space U+00A0 groups, decimal comma)
};

// General notation with six significant digits and trailing zeros dropped; exponent form
// below 1e-4 and from 1e6 on, the exponent with a sign and three digits (1.23457e+006,
// 1e-005). The digits before the decimal mark are grouped in threes.
std::u16string FormatLocaleNumber(double value, NumberMarks marks);

// The same into a caller's buffer, for writers that format millions of cells; returns the
// number of units written (at most kLocaleNumberMaxUnits).
inline constexpr std::size_t kLocaleNumberMaxUnits = 48;
std::size_t FormatLocaleNumber(double value, NumberMarks marks, char16_t* buffer);

// The number that a text passing IsNumericText denotes, formatted as above. Most decimal
// texts are rounded and rewritten digit by digit; the others are converted.
std::size_t FormatLocaleNumberText(std::u16string_view numericText, NumberMarks marks, char16_t* buffer);
