#include "engine/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// Length of the run of digits starting at `pos`.
std::size_t digitRun(std::u16string_view text, std::size_t pos)
{
    std::size_t end = pos;
    while (end < text.size() && isDigit(text[end])) ++end;
    return end - pos;
}

// Length of the longest prefix of `text` (from `pos`) that forms a decimal floating-point
// number with optional sign, fraction and exponent; 0 when there is none.
std::size_t numberPrefixLength(std::u16string_view text, std::size_t pos)
{
    std::size_t i = pos;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    const std::size_t intDigits = digitRun(text, i);
    i += intDigits;
    std::size_t fracDigits = 0;
    if (i < text.size() && text[i] == u'.') {
        fracDigits = digitRun(text, i + 1);
        if (intDigits + fracDigits > 0) i += 1 + fracDigits;
    }
    if (intDigits + fracDigits == 0) return 0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == u'+' || text[e] == u'-')) ++e;
        const std::size_t expDigits = digitRun(text, e);
        if (expDigits > 0) i = e + expDigits;
    }
    return i - pos;
}

}  // namespace

bool IsNumericText(std::u16string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    const std::size_t intDigits = digitRun(text, i);
    if (intDigits == 0) return false;
    i += intDigits;
    if (i < text.size() && text[i] == u'.') {
        const std::size_t frac = digitRun(text, i + 1);
        if (frac == 0) return false;
        i += 1 + frac;
    }
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
        const std::size_t exp = digitRun(text, i);
        if (exp == 0) return false;
        i += exp;
    }
    return i == text.size();
}

std::string FormatGNarrow(double value)
{
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[64];
    // to_chars in general form with a precision is defined as printf's "%.6g" in the C locale.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}

std::u16string FormatG(double value)
{
    const std::string narrow = FormatGNarrow(value);
    return std::u16string(narrow.begin(), narrow.end());
}

double ReadLeadingNumber(std::u16string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    const std::size_t length = numberPrefixLength(text, pos);
    if (length == 0) return 0.0;
    std::string narrow(text.begin() + pos, text.begin() + pos + length);
    if (narrow[0] == '+') narrow.erase(0, 1);
    double value = 0.0;
    const auto result = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the C conversion gives +-HUGE_VAL or 0.
        const bool negative = narrow[0] == '-';
        const bool tiny = narrow.find_first_of("eE") != std::string::npos &&
                          narrow[narrow.find_first_of("eE") + 1] == '-';
        return tiny ? (negative ? -0.0 : 0.0) : (negative ? -HUGE_VAL : HUGE_VAL);
    }
    return value;
}

long long ReadLeadingInteger(std::u16string_view text, long long fallback)
{
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) negative = text[pos++] == u'-';
    const std::size_t digits = digitRun(text, pos);
    if (digits == 0) return fallback;
    long long value = 0;
    for (std::size_t i = pos; i < pos + digits; ++i) {
        if (value > (std::numeric_limits<long long>::max() - 9) / 10) break;  // saturate
        value = value * 10 + (text[i] - u'0');
    }
    return negative ? -value : value;
}
