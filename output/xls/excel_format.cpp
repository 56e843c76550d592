#include "output/xls/excel_format.h"

#include <array>
#include <utility>

#include "output/xls/basic_excel.h"

namespace {

constexpr std::uint16_t kFirstUserFormat = 164;

// The built-in formats that every reader knows by index (those that depend on the reader's
// locale, 23 to 36, are left out).
const std::array<std::pair<std::uint16_t, const char16_t*>, 36> kBuiltInFormats = {{
    {0, u"General"},
    {1, u"0"},
    {2, u"0.00"},
    {3, u"#,##0"},
    {4, u"#,##0.00"},
    {5, u"\"$\"#,##0_);(\"$\"#,##0)"},
    {6, u"\"$\"#,##0_);[Red](\"$\"#,##0)"},
    {7, u"\"$\"#,##0.00_);(\"$\"#,##0.00)"},
    {8, u"\"$\"#,##0.00_);[Red](\"$\"#,##0.00)"},
    {9, u"0%"},
    {10, u"0.00%"},
    {11, u"0.00E+00"},
    {12, u"# ?/?"},
    {13, u"# ?\?/??"},
    {14, u"M/D/YY"},
    {15, u"D-MMM-YY"},
    {16, u"D-MMM"},
    {17, u"MMM-YY"},
    {18, u"h:mm AM/PM"},
    {19, u"h:mm:ss AM/PM"},
    {20, u"h:mm"},
    {21, u"h:mm:ss"},
    {22, u"M/D/YY h:mm"},
    {37, u"_(#,##0_);(#,##0)"},
    {38, u"_(#,##0_);[Red](#,##0)"},
    {39, u"_(#,##0.00_);(#,##0.00)"},
    {40, u"_(#,##0.00_);[Red](#,##0.00)"},
    {41, u"_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"},
    {42, u"_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)"},
    {43, u"_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"?\?_);_(@_)"},
    {44, u"_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"?\?_);_(@_)"},
    {45, u"mm:ss"},
    {46, u"[h]:mm:ss"},
    {47, u"mm:ss.0"},
    {48, u"##0.0E+0"},
    {49, u"@"},
}};

}  // namespace

std::uint16_t FormatManager::GetFontIndex(const FontSpec& fontSpec)
{
    biff::Font font;
    font.name = fontSpec.name.substr(0, 255);
    font.height = fontSpec.height, font.weight = fontSpec.weight, font.options = fontSpec.options;
    font.colour = fontSpec.colour, font.escapement = fontSpec.escapement;
    font.underline = fontSpec.underline, font.family = fontSpec.family, font.charSet = fontSpec.charSet;

    auto& fonts = m_xls.Globals().fonts;
    std::size_t position = 0;
    while (position < fonts.size() && !(fonts[position] == font)) ++position;
    if (position == fonts.size()) fonts.push_back(font);
    return static_cast<std::uint16_t>(position < 4 ? position : position + 1);
}

std::uint16_t FormatManager::GetFormatIndex(const std::u16string& code)
{
    for (const auto& [n, builtIn] : kBuiltInFormats)
        if (code == builtIn) return n;
    auto& formats = m_xls.Globals().formats;
    for (const auto& format : formats)
        if (format.code == code) return format.index;
    biff::Format format;
    format.index = static_cast<std::uint16_t>(kFirstUserFormat + formats.size());
    format.code = code;
    formats.push_back(format);
    return format.index;
}

std::uint16_t FormatManager::GetXFIndex(const CellFormatSpec& cellFmt)
{
    biff::Xf xf;
    xf.font = GetFontIndex(cellFmt.font);
    xf.format = GetFormatIndex(cellFmt.numberFormat);
    xf.typeProtection = biff::Xf::kCellXf;
    xf.alignment = cellFmt.alignment, xf.rotation = cellFmt.rotation, xf.indent = cellFmt.indent;
    xf.usedAttributes = cellFmt.usedAttributes;
    xf.borders1 = cellFmt.borders1, xf.borders2 = cellFmt.borders2, xf.patternColours = cellFmt.patternColours;

    auto& xfs = m_xls.Globals().xfs;
    for (std::size_t i = 0; i < xfs.size(); ++i)
        if (xfs[i] == xf) return static_cast<std::uint16_t>(i);
    xfs.push_back(xf);
    return static_cast<std::uint16_t>(xfs.size() - 1);
}
