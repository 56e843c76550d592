// A BIFF8 workbook (the Excel 97-2003 .xls format) built in memory and saved as the stream
// "Workbook" of a compound file. It holds what the spreadsheet export needs: sheets of text
// and blank cells with cell formats.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/xls/biff_records.h"
#include "output/xls/excel_format.h"
#include "output/xls/text_pool.h"

class BasicExcel;
class BasicExcelWorksheet;

// The records of the workbook globals that formats and sheets add to.
struct WorkbookGlobals {
    biff::Bof bof;
    biff::Window1 window1;
    std::vector<biff::Font> fonts;
    std::vector<biff::Format> formats;  // user formats only, from 164
    std::vector<biff::Xf> xfs;
    std::vector<biff::Style> styles;
    std::vector<biff::BoundSheet> sheets;
};

// One cell of a worksheet, by place. Valid as long as its worksheet.
class BasicExcelCell {
public:
    // Spreadsheet programs show at most 32,767 characters of a cell (and a shared string holds
    // at most 65,535 units), so a longer text is cut to its first 32,767 UTF-16 units, never
    // between the halves of a surrogate pair. Returns false when the text was cut. An empty
    // text makes the cell empty again; it keeps its format.
    bool SetWString(std::u16string_view text);
    std::u16string GetWString() const;
    bool IsEmpty() const;

    void SetXFormatIdx(std::uint16_t xf);
    std::uint16_t GetXFormatIdx() const;
    void SetFormat(FormatManager& fmt_mgr, const CellFormatSpec& cellFmt) { SetXFormatIdx(fmt_mgr.GetXFIndex(cellFmt)); }

private:
    friend class BasicExcelWorksheet;
    BasicExcelCell(BasicExcelWorksheet& sheet, std::uint32_t row, std::uint32_t column)
        : m_sheet(&sheet), m_row(row), m_column(column)
    {
    }
    BasicExcelWorksheet* m_sheet;
    std::uint32_t m_row, m_column;
};

class BasicExcelWorksheet {
public:
    static constexpr std::uint32_t kMaxRows = 65536;
    static constexpr std::uint32_t kMaxColumns = 256;
    static constexpr std::size_t kMaxTextUnits = 32767;

    // The cell at (row, column), growing the grid to hold it; nothing outside the sheet.
    std::optional<BasicExcelCell> Cell(std::uint32_t row, std::uint32_t column);

    std::uint32_t GetTotalRows() const { return static_cast<std::uint32_t>(m_rows.size()); }
    std::uint32_t GetTotalCols() const { return m_nColumns; }

private:
    friend class BasicExcel;
    friend class BasicExcelCell;
    static constexpr std::uint32_t kNoText = 0xFFFFFFFF;
    struct Slot {
        std::uint32_t text = kNoText;  // string-pool id of the workbook
        std::uint16_t xf = 0;
    };
    explicit BasicExcelWorksheet(BasicExcel& xls) : m_xls(&xls) {}
    Slot& slot(std::uint32_t row, std::uint32_t column) { return m_rows[row][column]; }

    BasicExcel* m_xls;
    std::vector<std::vector<Slot>> m_rows;  // a row holds the columns asked for in it
    std::uint32_t m_nColumns = 0;
};

class BasicExcel {
public:
    BasicExcel() = default;
    BasicExcel(const BasicExcel&) = delete;
    BasicExcel& operator=(const BasicExcel&) = delete;

    // A new workbook with `nSheets` empty sheets, "Sheet1", "Sheet2", ...
    void New(int nSheets);
    BasicExcelWorksheet* GetWorksheet(std::size_t index);
    std::size_t GetTotalWorkSheets() const { return m_sheets.size(); }

    WorkbookGlobals& Globals() { return m_globals; }

    // The "Workbook" stream: globals, then each sheet, records in the format's order.
    std::vector<std::uint8_t> BuildStream() const;
    // Writes the compound file; true when the whole workbook stream was written. On failure a
    // file that was there before is left as it was.
    bool SaveAs(std::u16string_view path) const;

private:
    friend class BasicExcelCell;
    std::uint32_t internText(std::u16string_view text) { return m_pool.intern(text); }
    std::u16string_view pooledText(std::uint32_t id) const { return m_pool.text(id); }
    struct StreamPlan;
    StreamPlan planStream() const;
    void writeGlobals(BiffSink& out, const StreamPlan& plan) const;
    void writeSheet(BiffSink& out, std::size_t index, const StreamPlan& plan) const;
    void writeStream(BiffSink& out) const;

    WorkbookGlobals m_globals;
    std::vector<std::unique_ptr<BasicExcelWorksheet>> m_sheets;
    // Every text set in a cell, once; cells refer to it by id.
    TextPool m_pool;
};
