#include "output/xls_export.h"

#include <algorithm>
#include <optional>

#include "engine/number_text.h"
#include "host/editor.h"
#include "module/strings.h"
#include "output/export_layout.h"
#include "output/host_language.h"
#include "output/xls/basic_excel.h"
#include "resources/string_ids.h"

namespace {

const std::u16string kEmpty;

std::u16string countText(std::size_t n)
{
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

void printLine(const std::u16string& csText)
{
    qxutPrintf(u"%s", csText.c_str());
}

const std::u16string& cellOf(const std::vector<std::u16string>& row, std::size_t column)
{
    return column < row.size() ? row[column] : kEmpty;
}

// The workbook being filled, with the formats the export uses. Format records are made when a
// cell first needs them, so a workbook without a header line has no bold font.
class SheetFiller {
public:
    explicit SheetFiller(std::u16string_view csLanguage) : m_bFrench(IsFrenchLanguage(csLanguage)), fmt_mgr(xls)
    {
        xls.New(1);
        m_pSheet = xls.GetWorksheet(0);
        FontSpec font_bold;
        font_bold.set_weight(700);
        fmt_bold.set_font(font_bold);
    }

    // Writes one text; `bBold` and `bNumberFormat` ask for the bold or the default cell format
    // (bold wins). Places outside the sheet are counted, not written.
    void put(std::size_t row, std::size_t column, std::u16string_view csTmp, bool bBold, bool bNumberFormat)
    {
        if (row >= BasicExcelWorksheet::kMaxRows || column >= BasicExcelWorksheet::kMaxColumns) {
            if (row >= BasicExcelWorksheet::kMaxRows) m_nLastRowLeftOut = std::max(m_nLastRowLeftOut, row + 1);
            if (column >= BasicExcelWorksheet::kMaxColumns)
                m_nLastColumnLeftOut = std::max(m_nLastColumnLeftOut, column + 1);
            return;
        }
        const bool bNumeric = IsNumericText(csTmp);
        auto cell = m_pSheet->Cell(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
        bool bWhole;
        if (bNumeric && m_bFrench) {
            std::u16string csComma(csTmp);
            std::replace(csComma.begin(), csComma.end(), u'.', u',');
            bWhole = cell->SetWString(csComma);
        } else {
            bWhole = cell->SetWString(csTmp);
        }
        if (!bWhole) ++m_result.nTextsShortened;
        if (bBold)
            cell->SetXFormatIdx(boldXf());
        else if (bNumberFormat && bNumeric)
            cell->SetXFormatIdx(defaultXf());
    }

    XlsExportResult save(std::u16string_view csPath)
    {
        if (m_nLastRowLeftOut) m_result.nRowsLeftOut = m_nLastRowLeftOut - BasicExcelWorksheet::kMaxRows;
        if (m_nLastColumnLeftOut) m_result.nColumnsLeftOut = m_nLastColumnLeftOut - BasicExcelWorksheet::kMaxColumns;
        m_result.bWritten = xls.SaveAs(csPath);
        return m_result;
    }

private:
    std::uint16_t boldXf()
    {
        if (!m_nBoldXf) m_nBoldXf = fmt_mgr.GetXFIndex(fmt_bold);
        return *m_nBoldXf;
    }
    std::uint16_t defaultXf()
    {
        if (!m_nDefaultXf) m_nDefaultXf = fmt_mgr.GetXFIndex(cellFmt);
        return *m_nDefaultXf;
    }

    bool m_bFrench;
    BasicExcel xls;
    FormatManager fmt_mgr;
    BasicExcelWorksheet* m_pSheet = nullptr;
    CellFormatSpec cellFmt;
    CellFormatSpec fmt_bold;
    std::optional<std::uint16_t> m_nBoldXf, m_nDefaultXf;
    std::size_t m_nLastRowLeftOut = 0, m_nLastColumnLeftOut = 0;
    XlsExportResult m_result;
};

}  // namespace

XlsExportResult WriteXlsExport(const TableData& veTableDataOut, std::u16string_view csPath,
                               const std::vector<bool>& vecIncludeCols, const std::vector<int>& veHeaderOrder,
                               const std::vector<int>& veRowOrder, bool bDisplayHeader, std::u16string_view csLanguage)
{
    if (veTableDataOut.empty()) return {.bWritten = true};
    SheetFiller filler(csLanguage);
    const ExportLayout layout =
        MakeExportLayout(veTableDataOut, vecIncludeCols, veHeaderOrder, veRowOrder, bDisplayHeader);
    for (std::size_t r = 0; r < layout.veRows.size(); ++r) {
        const TableRow& row = veTableDataOut[layout.veRows[r]];
        for (std::size_t c = 0; c < layout.veColumns.size(); ++c) {
            if (layout.veColumns[c] < 0) continue;
            filler.put(r, c, cellOf(row, layout.veColumns[c]), r == 0 && layout.bHeaderLine, false);
        }
    }
    return filler.save(csPath);
}

XlsExportResult WriteXlsReExport(const TableData& veRows, std::u16string_view csPath, std::u16string_view csLanguage)
{
    if (veRows.empty()) return {.bWritten = true};
    SheetFiller filler(csLanguage);
    const std::size_t nColumns = veRows.front().size();
    for (std::size_t r = 0; r < veRows.size(); ++r)
        for (std::size_t c = 0; c < nColumns; ++c) filler.put(r, c, cellOf(veRows[r], c), r == 0, true);
    return filler.save(csPath);
}

XlsExportResult ExportXls(const TableData& veTableDataOut, std::u16string_view csPath,
                          const std::vector<bool>& vecIncludeCols, const std::vector<int>& veHeaderOrder,
                          const std::vector<int>& veRowOrder, bool bDisplayHeader)
{
    if (veTableDataOut.empty()) return {.bWritten = true};
    return WriteXlsExport(veTableDataOut, csPath, vecIncludeCols, veHeaderOrder, veRowOrder, bDisplayHeader,
                          ReadHostLanguage());
}

XlsExportResult ReExportXls(const TableData& veRows, std::u16string_view csPath)
{
    if (veRows.empty()) return {.bWritten = true};
    return WriteXlsReExport(veRows, csPath, ReadHostLanguage());
}

void PrintXlsExportResult(const XlsExportResult& result, const std::u16string& csPath)
{
    PrintSpreadsheetExportResult(result, csPath, {kIdsXlsDone, kIdsXlsFailed, kIdsXlsIncomplete, kIdsXlsShortened});
}

void PrintSpreadsheetExportResult(const XlsExportResult& result, const std::u16string& csPath,
                                  const SpreadsheetMessages& ids)
{
    if (!result.bWritten) {
        printLine(FormatResString(ids.nFailed, csPath));
        return;
    }
    // A sheet that could not take everything is not reported as finished.
    const bool bLeftOut = result.nRowsLeftOut > 0 || result.nColumnsLeftOut > 0;
    if (bLeftOut)
        printLine(FormatResString(ids.nIncomplete, csPath, countText(result.nRowsLeftOut),
                                  countText(result.nColumnsLeftOut)));
    if (result.nTextsShortened > 0)
        printLine(FormatResString(ids.nShortened, csPath, countText(result.nTextsShortened)));
    if (!bLeftOut && result.nTextsShortened == 0) printLine(FormatResString(ids.nDone, csPath));
}
