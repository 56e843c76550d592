// Numbers as texts, the same on every platform and in every process locale.
#pragma once

#include <string>
#include <string_view>

// True when the whole text is a decimal number: an optional sign, digits, optionally a point
// and digits, optionally an exponent ("12", "-1.5", "1e3", "2.5E-3"; not "1,5", ".5", "1.").
bool IsNumericText(std::u16string_view text);

// printf's "%g": six significant digits, trailing zeros dropped, exponent form (two digits at
// least, with a sign) below 1e-4 and from 1e6 on. -0 is written "-0" as printf does.
std::u16string FormatG(double value);
std::string FormatGNarrow(double value);

// Reads a text as a number the way the C library's wide-text-to-double conversion does:
// leading blanks skipped, the longest leading part that forms a decimal number used, 0 when
// there is none ("12 m" reads 12, "ByLayer" reads 0, "1e3x" reads 1000).
double ReadLeadingNumber(std::u16string_view text);

// A decimal integer at the start of the text (after blanks, with an optional sign), or
// `fallback` when there is none.
long long ReadLeadingInteger(std::u16string_view text, long long fallback = 0);
