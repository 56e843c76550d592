#include "cad/db/mtext_format.h"

namespace qx {

namespace {

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Index just past the ';' that ends a code's argument (or the end of the text).
std::size_t skipArgument(std::u16string_view s, std::size_t i)
{
    const std::size_t semi = s.find(u';', i);
    return semi == std::u16string_view::npos ? s.size() : semi + 1;
}

}  // namespace

std::u16string mtextPlainText(std::u16string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const char16_t c = s[i];
        if (c == u'{' || c == u'}') {
            ++i;
            continue;
        }
        if (c == u'%' && i + 2 < s.size() && s[i + 1] == u'%') {
            const char16_t k = s[i + 2];
            if (k == u'd' || k == u'D') out += u'\u00B0';
            else if (k == u'p' || k == u'P') out += u'\u00B1';
            else if (k == u'c' || k == u'C') out += u'\u2300';
            else if (k == u'%') out += u'%';
            else out.append(s.substr(i, 3));
            i += 3;
            continue;
        }
        if (c != u'\\' || i + 1 >= s.size()) {
            out += c;
            ++i;
            continue;
        }
        const char16_t code = s[i + 1];
        switch (code) {
        case u'P':
            out += u'\n';
            i += 2;
            break;
        case u'~':
            out += u' ';
            i += 2;
            break;
        case u'\\': case u'{': case u'}':
            out += code;
            i += 2;
            break;
        // Codes with an argument that ends with ';'.
        case u'f': case u'F': case u'H': case u'h': case u'W': case u'w': case u'Q': case u'q':
        case u'T': case u't': case u'C': case u'c': case u'A': case u'a': case u'p':
            i = skipArgument(s, i + 2);
            break;
        // Switches without an argument: underline, overline, strike-through, line break in
        // a column.
        case u'L': case u'l': case u'O': case u'o': case u'K': case u'k': case u'N':
            i += 2;
            break;
        case u'S': {
            const std::size_t end = skipArgument(s, i + 2);
            std::u16string_view body = s.substr(i + 2, end - (i + 2));
            if (!body.empty() && body.back() == u';') body.remove_suffix(1);
            for (char16_t b : body) out += (b == u'#' || b == u'^') ? u'/' : b;
            i = end;
            break;
        }
        case u'U':
            if (i + 6 < s.size() + 0 && s[i + 2] == u'+') {
                int value = 0;
                bool ok = true;
                for (std::size_t k = 0; k < 4; ++k) {
                    const int h = hexValue(s[i + 3 + k]);
                    ok = ok && h >= 0;
                    value = value * 16 + h;
                }
                if (ok) {
                    out += static_cast<char16_t>(value);
                    i += 7;
                    break;
                }
            }
            out += code;
            i += 2;
            break;
        default:
            out += code;  // an unknown escape stands for its character
            i += 2;
            break;
        }
    }
    return out;
}

}  // namespace qx
