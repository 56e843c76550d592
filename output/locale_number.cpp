#include "output/locale_number.h"

#include "engine/number_text.h"

std::u16string FormatLocaleNumber(double value, NumberMarks marks)
{
    const char16_t decimalMark = marks == NumberMarks::French ? u',' : u'.';
    const char16_t groupMark = marks == NumberMarks::French ? u'\u00A0' : u',';

    const std::string plain = FormatGNarrow(value);  // printf's %g: "-1234.5", "1.23457e+06"
    std::size_t pos = 0;
    std::u16string out;
    if (pos < plain.size() && plain[pos] == '-') out.push_back(u'-'), ++pos;

    std::size_t intEnd = pos;
    while (intEnd < plain.size() && plain[intEnd] >= '0' && plain[intEnd] <= '9') ++intEnd;
    if (intEnd == pos) {  // inf or nan: no digits to group
        out.append(plain.begin() + pos, plain.end());
        return out;
    }
    const std::size_t intDigits = intEnd - pos;
    for (std::size_t i = 0; i < intDigits; ++i) {
        if (i > 0 && (intDigits - i) % 3 == 0) out.push_back(groupMark);
        out.push_back(static_cast<char16_t>(plain[pos + i]));
    }
    pos = intEnd;
    if (pos < plain.size() && plain[pos] == '.') {
        out.push_back(decimalMark);
        for (++pos; pos < plain.size() && plain[pos] != 'e'; ++pos) out.push_back(static_cast<char16_t>(plain[pos]));
    }
    if (pos < plain.size() && plain[pos] == 'e') {
        // "e+06" -> "e+006": the library pads the exponent to three digits.
        out.push_back(u'e');
        out.push_back(static_cast<char16_t>(plain[pos + 1]));
        const std::string digits = plain.substr(pos + 2);
        for (std::size_t n = digits.size(); n < 3; ++n) out.push_back(u'0');
        out.append(digits.begin(), digits.end());
    }
    return out;
}
