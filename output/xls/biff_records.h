// The BIFF8 records of a workbook with text cells, one small value each: its id, its fields
// (with the values a new workbook has) and write(), which appends header and data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/xls/biff_sink.h"
#include "output/xls/text_pool.h"

namespace biff {

// Most data bytes one record may hold; a longer SST goes on in CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;

struct Bof {
    static constexpr std::uint16_t id = 0x0809;
    static constexpr std::size_t kSize = 4 + 16;
    static constexpr std::uint16_t kGlobals = 0x0005;
    static constexpr std::uint16_t kWorksheet = 0x0010;
    std::uint16_t type = kGlobals;
    std::uint16_t version = 0x0600, build = 0x19A0, year = 0x07CD;
    std::uint32_t historyFlags = 0x0000C0C9, lowestVersion = 0x00000306;
    void write(BiffSink& out) const
    {
        out.header(id, 16);
        out.u16(version), out.u16(type), out.u16(build), out.u16(year);
        out.u32(historyFlags), out.u32(lowestVersion);
    }
};

struct Eof {
    static constexpr std::uint16_t id = 0x000A;
    static constexpr std::size_t kSize = 4;
    void write(BiffSink& out) const { out.header(id, 0); }
};

struct Window1 {
    static constexpr std::uint16_t id = 0x003D;
    std::uint16_t x = 120, y = 120, width = 15135, height = 9300, options = 0x0038;
    std::uint16_t activeSheet = 0, firstVisibleTab = 0, selectedSheets = 1, tabBarWidth = 600;
    void write(BiffSink& out) const
    {
        out.header(id, 18);
        out.u16(x), out.u16(y), out.u16(width), out.u16(height), out.u16(options);
        out.u16(activeSheet), out.u16(firstVisibleTab), out.u16(selectedSheets), out.u16(tabBarWidth);
    }
};

struct Font {
    static constexpr std::uint16_t id = 0x0031;
    std::uint16_t height = 200, options = 0, colour = 0x7FFF, weight = 400, escapement = 0;
    std::uint8_t underline = 0, family = 0, charSet = 0;
    std::u16string name = u"Arial";  // at most 255 units (one-byte length)
    bool operator==(const Font&) const = default;
    void write(BiffSink& out) const
    {
        out.header(id, 16 + 2 * name.size());
        out.u16(height), out.u16(options), out.u16(colour), out.u16(weight), out.u16(escapement);
        out.u8(underline), out.u8(family), out.u8(charSet), out.u8(0);
        out.u8(static_cast<std::uint8_t>(name.size())), out.u8(0x01);
        out.chars16(name);
    }
};

struct Format {
    static constexpr std::uint16_t id = 0x041E;
    std::uint16_t index = 164;
    std::u16string code;
    void write(BiffSink& out) const
    {
        out.header(id, 5 + 2 * code.size());
        out.u16(index), out.u16(static_cast<std::uint16_t>(code.size())), out.u8(0x01);
        out.chars16(code);
    }
};

struct Xf {
    static constexpr std::uint16_t id = 0x00E0;
    static constexpr std::uint16_t kStyleXf = 0xFFF5;
    static constexpr std::uint16_t kCellXf = 0x0078;
    std::uint16_t font = 0, format = 0, typeProtection = kStyleXf;
    std::uint8_t alignment = 0, rotation = 0, indent = 0, usedAttributes = 0;
    std::uint32_t borders1 = 0, borders2 = 0;
    std::uint16_t patternColours = 0x20C0;
    bool operator==(const Xf&) const = default;
    void write(BiffSink& out) const
    {
        out.header(id, 20);
        out.u16(font), out.u16(format), out.u16(typeProtection);
        out.u8(alignment), out.u8(rotation), out.u8(indent), out.u8(usedAttributes);
        out.u32(borders1), out.u32(borders2), out.u16(patternColours);
    }
};

struct Style {
    static constexpr std::uint16_t id = 0x0293;
    std::uint16_t xfIndex = 0x8000;  // built-in style of XF 0
    std::uint8_t builtInStyle = 0, outlineLevel = 0xFF;
    void write(BiffSink& out) const
    {
        out.header(id, 4);
        out.u16(xfIndex), out.u8(builtInStyle), out.u8(outlineLevel);
    }
};

struct BoundSheet {
    static constexpr std::uint16_t id = 0x0085;
    std::uint32_t bofPosition = 0;  // stream position of the sheet's BOF
    std::uint8_t visibility = 0, sheetType = 0;
    std::string name;  // 8-bit characters, at most 255
    void write(BiffSink& out) const
    {
        out.header(id, 8 + name.size());
        out.u32(bofPosition), out.u8(visibility), out.u8(sheetType);
        out.u8(static_cast<std::uint8_t>(name.size())), out.u8(0x00);
        out.chars8(name);
    }
};

struct Index {
    static constexpr std::uint16_t id = 0x020B;
    std::uint32_t firstRow = 0, lastRowPlus1 = 0;
    std::vector<std::uint32_t> dbCellPositions;
    std::size_t size() const { return 4 + 16 + 4 * dbCellPositions.size(); }
    void write(BiffSink& out) const
    {
        out.header(id, 16 + 4 * dbCellPositions.size());
        out.u32(0), out.u32(firstRow), out.u32(lastRowPlus1), out.u32(0);  // no DEFCOLWIDTH
        for (std::uint32_t p : dbCellPositions) out.u32(p);
    }
};

struct Dimensions {
    static constexpr std::uint16_t id = 0x0200;
    static constexpr std::size_t kSize = 4 + 14;
    std::uint32_t firstRow = 0, lastRowPlus1 = 0;
    std::uint16_t firstColumn = 0, lastColumnPlus1 = 0;
    void write(BiffSink& out) const
    {
        out.header(id, 14);
        out.u32(firstRow), out.u32(lastRowPlus1), out.u16(firstColumn), out.u16(lastColumnPlus1), out.u16(0);
    }
};

struct Row {
    static constexpr std::uint16_t id = 0x0208;
    static constexpr std::size_t kSize = 4 + 16;
    std::uint16_t row = 0, firstColumn = 0, lastColumnPlus1 = 0, height = 0x00FF;
    std::uint16_t options = 0x0100, xfIndex = 0;
    void write(BiffSink& out) const
    {
        out.header(id, 16);
        out.u16(row), out.u16(firstColumn), out.u16(lastColumnPlus1), out.u16(height);
        out.u16(0), out.u16(0), out.u16(options), out.u16(xfIndex);
    }
};

struct LabelSst {
    static constexpr std::uint16_t id = 0x00FD;
    static constexpr std::size_t kSize = 4 + 10;
    std::uint16_t row = 0, column = 0, xfIndex = 0;
    std::uint32_t sstIndex = 0;
    void write(BiffSink& out) const
    {
        out.header(id, 10);
        out.u16(row), out.u16(column), out.u16(xfIndex), out.u32(sstIndex);
    }
};

struct Blank {
    static constexpr std::uint16_t id = 0x0201;
    static constexpr std::size_t kSize = 4 + 6;
    std::uint16_t row = 0, column = 0, xfIndex = 0;
    void write(BiffSink& out) const
    {
        out.header(id, 6);
        out.u16(row), out.u16(column), out.u16(xfIndex);
    }
};

struct DbCell {
    static constexpr std::uint16_t id = 0x00D7;
    std::uint32_t backToFirstRow = 0;
    std::vector<std::uint16_t> rowOffsets;
    static std::size_t sizeFor(std::size_t nRows) { return 4 + 4 + 2 * nRows; }
    void write(BiffSink& out) const
    {
        out.header(id, 4 + 2 * rowOffsets.size());
        out.u32(backToFirstRow);
        for (std::uint16_t o : rowOffsets) out.u16(o);
    }
};

struct Window2 {
    static constexpr std::uint16_t id = 0x023E;
    static constexpr std::size_t kSize = 4 + 18;
    static constexpr std::uint16_t kSelected = 0x0200;
    std::uint16_t options = 0x06B6, firstRow = 0, firstColumn = 0;
    std::uint32_t gridColour = 64;
    std::uint16_t zoomPageBreak = 0, zoomNormal = 0;
    void write(BiffSink& out) const
    {
        out.header(id, 18);
        out.u16(options), out.u16(firstRow), out.u16(firstColumn), out.u32(gridColour);
        out.u16(zoomPageBreak), out.u16(zoomNormal), out.u32(0);
    }
};

// The shared string table: every distinct cell text once, 16-bit characters. Written as one
// SST record and as many CONTINUE records as its strings need.
struct Sst {
    static constexpr std::uint16_t id = 0x00FC;
    static constexpr std::uint16_t kContinueId = 0x003C;
    std::uint32_t totalCount = 0;
    const TextPool* pool = nullptr;
    std::vector<std::uint32_t> strings;  // pool ids, in table order; each text at most 65,535 units
    void write(BiffSink& out) const;
};

}  // namespace biff
