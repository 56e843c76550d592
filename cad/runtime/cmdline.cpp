// qxutPrintf: printf on the command line, with %s taking a UTF-16 text.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "cad/editor/console.h"
#include "editor.h"

namespace {

bool isFlagOrWidth(char16_t c)
{
    return c == u'-' || c == u'+' || c == u' ' || c == u'#' || c == u'0' || (c >= u'1' && c <= u'9') || c == u'.';
}

// Formats one numeric conversion with the C library, which does the same for every locale
// the host runs in because the host never changes the C locale.
template <class T>
std::u16string formatNumber(const std::string& narrowFormat, T value)
{
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, narrowFormat.c_str(), value);
    if (n < 0) return {};
    const std::string text(buffer, static_cast<std::size_t>(std::min<int>(n, sizeof buffer - 1)));
    return std::u16string(text.begin(), text.end());
}

std::u16string padded(std::u16string text, const std::string& flags, int width)
{
    if (width <= 0 || static_cast<int>(text.size()) >= width) return text;
    const std::u16string fill(width - text.size(), u' ');
    return flags.find('-') != std::string::npos ? text + fill : fill + text;
}

}  // namespace

static std::u16string qxFormatV(const char16_t* format, va_list args)
{
    std::u16string out;
    for (const char16_t* p = format; p && *p; ++p) {
        if (*p != u'%') {
            out += *p;
            continue;
        }
        ++p;
        if (*p == u'%') {
            out += u'%';
            continue;
        }
        std::string narrowFormat = "%";
        std::string flags;
        int width = 0;
        while (*p && isFlagOrWidth(*p)) {
            narrowFormat += static_cast<char>(*p);
            if (*p >= u'0' && *p <= u'9' && flags.find('.') == std::string::npos) width = width * 10 + (*p - u'0');
            if (*p == u'-' || *p == u'.') flags += static_cast<char>(*p);
            ++p;
        }
        std::string length;
        while (*p == u'h' || *p == u'l' || *p == u'z' || *p == u'L') length += static_cast<char>(*p++);
        const char16_t conversion = *p;
        if (!conversion) break;
        narrowFormat += length;
        narrowFormat += static_cast<char>(conversion);
        switch (conversion) {
        case u's': {
            const char16_t* text = va_arg(args, const char16_t*);
            out += padded(text ? text : u"(null)", flags, width);
            break;
        }
        case u'c': out += padded(std::u16string(1, static_cast<char16_t>(va_arg(args, int))), flags, width); break;
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o':
            if (length == "ll") out += formatNumber(narrowFormat, va_arg(args, long long));
            else if (length == "l" || length == "z") out += formatNumber(narrowFormat, va_arg(args, long));
            else out += formatNumber(narrowFormat, va_arg(args, int));
            break;
        case u'f':
        case u'F':
        case u'g':
        case u'G':
        case u'e':
        case u'E':
            if (length == "L") out += formatNumber(narrowFormat, va_arg(args, long double));
            else out += formatNumber(narrowFormat, va_arg(args, double));
            break;
        case u'p': out += formatNumber(narrowFormat, va_arg(args, void*)); break;
        default: out += u'%' + std::u16string(1, conversion); break;
        }
    }
    return out;
}

int qxutPrintf(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::u16string text = qxFormatV(format, args);
    va_end(args);
    qx::print(text);
    if (const auto first = text.find_first_not_of(u'\n'); first != std::u16string::npos)
        qx::markTime(u"message: " + text.substr(first));
    return QXRT_NORM;
}
