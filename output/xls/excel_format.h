// Fonts and cell formats of a workbook, and the manager that turns them into the FONT,
// FORMAT and XF records of the workbook's globals, reusing equal records.
#pragma once

#include <cstdint>
#include <string>

class BasicExcel;

struct FontSpec {
    std::u16string name = u"Arial";
    std::uint16_t height = 200;  // twentieths of a point
    std::uint16_t weight = 400;  // 700 is bold
    std::uint16_t options = 0;
    std::uint16_t colour = 0x7FFF;  // automatic window-text colour
    std::uint16_t escapement = 0;
    std::uint8_t underline = 0;
    std::uint8_t family = 0;
    std::uint8_t charSet = 0;

    void set_weight(std::uint16_t nWeight) { weight = nWeight; }
    bool operator==(const FontSpec&) const = default;
};

struct CellFormatSpec {
    FontSpec font;
    std::u16string numberFormat = u"General";
    // The XF record's alignment, rotation, indentation, used-attribute, border and pattern
    // fields, as stored.
    std::uint8_t alignment = 0, rotation = 0, indent = 0, usedAttributes = 0;
    std::uint32_t borders1 = 0, borders2 = 0;
    std::uint16_t patternColours = 0x20C0;

    void set_font(const FontSpec& fontSpec) { font = fontSpec; }
    bool operator==(const CellFormatSpec&) const = default;
};

class FormatManager {
public:
    explicit FormatManager(BasicExcel& xls) : m_xls(xls) {}

    // The XF index of a cell format: an equal XF record's position, else that of a new cell
    // XF appended to the globals.
    std::uint16_t GetXFIndex(const CellFormatSpec& cellFmt);
    // The font index of a font: an equal FONT record, else a new one. Index 4 does not exist in
    // the format, so from the fifth record on the index is the position plus one.
    std::uint16_t GetFontIndex(const FontSpec& fontSpec);
    // The number-format index: a built-in format's standard index, else a user FORMAT record
    // numbered from 164.
    std::uint16_t GetFormatIndex(const std::u16string& code);

private:
    BasicExcel& m_xls;
};
