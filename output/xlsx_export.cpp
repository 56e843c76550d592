#include "output/xlsx_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include <xlsxwriter.h>

#include "engine/number_text.h"
#include "host/editor.h"
#include "output/replacing_file.h"
#include "output/text_codec.h"
#include "resources/string_ids.h"

namespace {

// A column never gets wider than the format allows, nor narrower than a few characters.
constexpr double kMaxColumnWidth = 255, kMinColumnWidth = 4;

// The drawing's linear precision, 0 to 8 decimals; 4 (the variable's default) when unreadable.
int readPrecision()
{
    qxresbuf value{};
    if (qxedGetVar(u"LUPREC", &value) != QXRT_NORM) return 4;
    int nLuprec = 4;
    if (value.restype == QXRT_SHORT) nLuprec = value.resval.rint;
    if (value.restype == QXRT_LONG) nLuprec = int(value.resval.rlong);
    return std::clamp(nLuprec, 0, 8);
}

// "#,##0" with `nPrecision` decimals: the thousands mark and the decimal mark are the reader's.
std::string numberFormat(int nPrecision)
{
    std::string csFormat = "#,##0";
    if (nPrecision > 0) csFormat += "." + std::string(std::size_t(nPrecision), '0');
    return csFormat;
}

// How many characters the number takes as the number format shows it.
std::size_t shownLength(double value, int nPrecision)
{
    char digits[400];
    const int nLength = std::snprintf(digits, sizeof digits, "%.*f", nPrecision, std::fabs(value));
    const std::size_t nIntegral = std::size_t(nLength) - (nPrecision > 0 ? std::size_t(nPrecision) + 1 : 0);
    return std::size_t(nLength) + (nIntegral - 1) / 3 + (value < 0 ? 1 : 0);
}

// Cuts a text to what a cell holds, never between the halves of a surrogate pair.
bool cutToCell(std::u16string_view& csText)
{
    if (csText.size() <= kXlsxMaxText) return false;
    std::size_t nKeep = kXlsxMaxText;
    if (csText[nKeep - 1] >= 0xD800 && csText[nKeep - 1] <= 0xDBFF) --nKeep;
    csText = csText.substr(0, nKeep);
    return true;
}

// The sheet rows of the layout and which of them play a part: header, totals line, data.
struct SheetRows {
    std::size_t nFirstData = 0;              // the first data row
    std::optional<std::size_t> nTotals;      // the totals line
    std::size_t nEndData = 0;                // one past the last data row
};

bool isEmptyRow(const TableRow& row)
{
    return std::all_of(row.begin(), row.end(), [](const std::u16string& cell) { return cell.empty(); });
}

SheetRows findSheetRows(const TableData& veTableDataOut, const ExportLayout& layout, const XlsxSheetInfo& info)
{
    SheetRows rows;
    rows.nFirstData = layout.bHeaderLine ? 1 : 0;
    rows.nEndData = std::max(rows.nFirstData, layout.veRows.size());
    if (!info.nTotalsRow) return rows;
    const auto it = std::find(layout.veRows.begin(), layout.veRows.end(), *info.nTotalsRow);
    if (it == layout.veRows.end()) return rows;
    rows.nTotals = std::size_t(it - layout.veRows.begin());
    rows.nEndData = std::max(rows.nFirstData, *rows.nTotals);
    // The empty row that sets the totals apart is not data.
    if (rows.nEndData > rows.nFirstData && isEmptyRow(veTableDataOut[layout.veRows[rows.nEndData - 1]]))
        --rows.nEndData;
    return rows;
}

// One workbook of one sheet, written row by row in constant memory into the temporary file of
// its target. Every failure of the library is kept and makes the export fail.
class XlsxSheetWriter {
public:
    XlsxSheetWriter(std::u16string_view csPath, const XlsxSheetInfo& info)
        : m_file(NativePath(csPath)), m_info(info)
    {
        if (!m_file.open()) return;
        // The library's row store goes beside the target: it does not check its own writes, so
        // it must fill up together with the file it is copied into, which is checked. A device
        // written in place has no folder for it: the system's temporary folder takes it then.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        if (!m_file.inPlace()) {
            m_csTempDir = std::filesystem::path(m_file.writePath()).parent_path().string();
            if (m_csTempDir.empty()) m_csTempDir = ".";
            options.tmpdir = m_csTempDir.data();
        }
        m_pBook = workbook_new_opt(m_file.writePath().c_str(), &options);
        if (!m_pBook) return;
        m_pSheet = workbook_add_worksheet(m_pBook, "Sheet1");
        m_pBold = workbook_add_format(m_pBook);
        m_pNumber = workbook_add_format(m_pBook);
        if (!m_pSheet || !m_pBold || !m_pNumber) return;
        format_set_bold(m_pBold);
        format_set_num_format(m_pNumber, numberFormat(m_info.nPrecision).c_str());
        m_bOk = true;
    }

    ~XlsxSheetWriter()
    {
        if (m_pBook) workbook_close(m_pBook);  // the temporary file is then discarded
    }

    XlsxSheetWriter(const XlsxSheetWriter&) = delete;
    XlsxSheetWriter& operator=(const XlsxSheetWriter&) = delete;

    bool fits(std::size_t row, std::size_t column)
    {
        if (row < kXlsxMaxRows) m_nLastRow = std::max(m_nLastRow, row);
        if (row >= kXlsxMaxRows) m_nLastRowLeftOut = std::max(m_nLastRowLeftOut, row + 1);
        if (column >= kXlsxMaxColumns) m_nLastColumnLeftOut = std::max(m_nLastColumnLeftOut, column + 1);
        return row < kXlsxMaxRows && column < kXlsxMaxColumns;
    }

    void text(std::size_t row, std::size_t column, std::u16string_view csText, bool bBold)
    {
        if (csText.empty() || !fits(row, column)) return;
        if (cutToCell(csText)) ++m_result.nTextsShortened;
        check(worksheet_write_string(m_pSheet, lxw_row_t(row), lxw_col_t(column), ToUtf8(csText).c_str(),
                                     bBold ? m_pBold : nullptr));
        // A bold text is about a tenth wider.
        widen(column, double(csText.size()) * (bBold ? 1.1 : 1.0));
    }

    void number(std::size_t row, std::size_t column, double value)
    {
        if (!fits(row, column)) return;
        check(worksheet_write_number(m_pSheet, lxw_row_t(row), lxw_col_t(column), value, m_pNumber));
        widen(column, double(shownLength(value, m_info.nPrecision)));
    }

    // The sum of the column over [firstRow, endRow), holding `total` as its result until the
    // reader recalculates.
    void sum(std::size_t row, std::size_t column, std::size_t firstRow, std::size_t endRow, double total)
    {
        if (!fits(row, column)) return;
        if (endRow <= firstRow) return number(row, column, total);
        char range[LXW_MAX_CELL_RANGE_LENGTH];
        lxw_rowcol_to_range(range, lxw_row_t(firstRow), lxw_col_t(column),
                            lxw_row_t(std::min(endRow, kXlsxMaxRows) - 1), lxw_col_t(column));
        const std::string csFormula = std::string("=SUM(") + range + ")";
        check(worksheet_write_formula_num(m_pSheet, lxw_row_t(row), lxw_col_t(column), csFormula.c_str(), m_pNumber,
                                          total));
        widen(column, double(shownLength(total, m_info.nPrecision)));
    }

    // The header line stays in view and filters the rows up to `endData`.
    void header(std::size_t nColumns, std::size_t endData)
    {
        if (nColumns == 0) return;
        const lxw_col_t lastColumn = lxw_col_t(std::min(nColumns, kXlsxMaxColumns) - 1);
        worksheet_freeze_panes(m_pSheet, 1, 0);
        check(worksheet_autofilter(m_pSheet, 0, 0, lxw_row_t(std::min(std::max<std::size_t>(endData, 1),
                                                                     kXlsxMaxRows) - 1),
                                   lastColumn));
    }

    XlsExportResult finish()
    {
        if (m_bOk) setColumnWidths();
        if (m_bOk && !m_veWidths.empty()) {
            // Door numbers such as "0012" are texts on purpose: no "number stored as text" mark.
            char range[LXW_MAX_CELL_RANGE_LENGTH];
            lxw_rowcol_to_range(range, 0, 0, lxw_row_t(m_nLastRow), lxw_col_t(m_veWidths.size() - 1));
            check(worksheet_ignore_errors(m_pSheet, LXW_IGNORE_NUMBER_STORED_AS_TEXT, range));
        }
        if (m_bOk && !m_info.csTitle.empty()) {
            m_csTitle = ToUtf8(m_info.csTitle);
            lxw_doc_properties properties{};
            properties.title = m_csTitle.data();
            check(workbook_set_properties(m_pBook, &properties));
        }
        if (m_pBook) check(workbook_close(m_pBook));
        m_pBook = nullptr;
        m_result.bWritten = m_bOk && m_file.commit();
        if (m_nLastRowLeftOut) m_result.nRowsLeftOut = m_nLastRowLeftOut - kXlsxMaxRows;
        if (m_nLastColumnLeftOut) m_result.nColumnsLeftOut = m_nLastColumnLeftOut - kXlsxMaxColumns;
        return m_result;
    }

    bool ok() const { return m_bOk; }

private:
    void check(lxw_error error)
    {
        if (error != LXW_NO_ERROR) m_bOk = false;
    }

    void widen(std::size_t column, double nCharacters)
    {
        if (m_veWidths.size() <= column) m_veWidths.resize(column + 1, 0);
        m_veWidths[column] = std::max(m_veWidths[column], nCharacters);
    }

    // A little margin beside the widest content of every column that has any.
    void setColumnWidths()
    {
        for (std::size_t c = 0; c < m_veWidths.size(); ++c) {
            if (m_veWidths[c] <= 0) continue;
            const double width = std::clamp(m_veWidths[c] + 2, kMinColumnWidth, kMaxColumnWidth);
            check(worksheet_set_column(m_pSheet, lxw_col_t(c), lxw_col_t(c), width, nullptr));
        }
    }

    ReplacingFile m_file;
    const XlsxSheetInfo& m_info;
    lxw_workbook* m_pBook = nullptr;
    lxw_worksheet* m_pSheet = nullptr;
    lxw_format* m_pBold = nullptr;
    lxw_format* m_pNumber = nullptr;
    bool m_bOk = false;
    std::string m_csTitle, m_csTempDir;
    std::vector<double> m_veWidths;
    std::size_t m_nLastRow = 0, m_nLastRowLeftOut = 0, m_nLastColumnLeftOut = 0;
    XlsExportResult m_result;
};

bool isNumericColumn(const XlsxSheetInfo& info, int column)
{
    return column >= 0 && std::size_t(column) < info.vecNumericCols.size() && info.vecNumericCols[column];
}

}  // namespace

XlsExportResult WriteXlsxExport(const TableData& veTableDataOut, std::u16string_view csPath,
                                const ExportLayout& layout, const XlsxSheetInfo& info)
{
    if (layout.veRows.empty()) return {.bWritten = true};
    XlsxSheetWriter writer(csPath, info);
    if (!writer.ok()) return {};
    const SheetRows rows = findSheetRows(veTableDataOut, layout, info);
    // Before any row: in constant memory the library refuses ranges over rows already written.
    if (layout.bHeaderLine) writer.header(layout.veColumns.size(), rows.nEndData);
    for (std::size_t r = 0; r < layout.veRows.size(); ++r) {
        if (r >= kXlsxMaxRows) {
            writer.fits(layout.veRows.size() - 1, 0);  // rows past the sheet's last are only counted
            break;
        }
        const TableRow& row = veTableDataOut[layout.veRows[r]];
        const bool bHeader = r == 0 && layout.bHeaderLine;
        const bool bTotals = rows.nTotals == r;
        for (std::size_t c = 0; c < layout.veColumns.size(); ++c) {
            const int column = layout.veColumns[c];
            if (column < 0) continue;
            const std::u16string& csCell = CellOf(row, std::size_t(column));
            // A number too large for a double ("1e400") stays the text it is.
            const bool bNumber = !bHeader && isNumericColumn(info, column) && IsNumericText(csCell) &&
                                 std::isfinite(ReadLeadingNumber(csCell));
            if (!bNumber)
                writer.text(r, c, csCell, bHeader);
            else if (bTotals)
                writer.sum(r, c, rows.nFirstData, rows.nEndData, ReadLeadingNumber(csCell));
            else
                writer.number(r, c, ReadLeadingNumber(csCell));
        }
    }
    return writer.finish();
}

XlsExportResult ExportXlsx(const TableData& veTableDataOut, std::u16string_view csPath,
                           const std::vector<bool>& vecIncludeCols, const std::vector<int>& veHeaderOrder,
                           const std::vector<int>& veRowOrder, bool bDisplayHeader,
                           const std::vector<bool>& vecNumericCols, bool bHasTotalLine, std::u16string_view csTitle)
{
    if (veTableDataOut.empty()) return {.bWritten = true};
    XlsxSheetInfo info{vecNumericCols, std::nullopt, readPrecision(), std::u16string(csTitle)};
    if (bHasTotalLine) info.nTotalsRow = int(veTableDataOut.size() - 1);
    return WriteXlsxExport(veTableDataOut, csPath,
                           MakeExportLayout(veTableDataOut, vecIncludeCols, veHeaderOrder, veRowOrder, bDisplayHeader),
                           info);
}

XlsExportResult ReExportXlsx(const TableData& veRows, std::u16string_view csPath,
                             const std::vector<bool>& vecNumericCols, bool bTotals, std::u16string_view csTitle)
{
    if (veRows.empty()) return {.bWritten = true};
    XlsxSheetInfo info{vecNumericCols, std::nullopt, readPrecision(), std::u16string(csTitle)};
    if (bTotals) info.nTotalsRow = int(veRows.size() - 1);
    return WriteXlsxExport(veRows, csPath, MakeReExportLayout(veRows), info);
}

namespace {

// A numeric text that no number is written as: a leading zero before another digit ("0012").
// Numbers read from a drawing never look so, codes typed into the table do.
bool isNumberAsWritten(std::u16string_view csText)
{
    if (!IsNumericText(csText)) return false;
    const std::size_t nStart = csText[0] == u'+' || csText[0] == u'-' ? 1 : 0;
    return !(csText.size() > nStart + 1 && csText[nStart] == u'0' && csText[nStart + 1] >= u'0' &&
             csText[nStart + 1] <= u'9');
}

}  // namespace

std::vector<bool> NumericColumnsOf(const TableData& veRows, bool bTotals)
{
    if (veRows.empty()) return {};
    const std::size_t nColumns = veRows.front().size();
    const std::size_t nEndData = bTotals && veRows.size() >= 3 ? veRows.size() - 2 : veRows.size();
    std::vector<bool> vecNumeric(nColumns, false);
    for (std::size_t c = 0; c < nColumns; ++c) {
        if (bTotals && !CellOf(veRows.back(), c).empty()) {
            vecNumeric[c] = true;
            continue;
        }
        bool bAnyNumber = false, bAllNumbers = true;
        for (std::size_t r = 1; r < nEndData && bAllNumbers; ++r) {
            const std::u16string& csCell = CellOf(veRows[r], c);
            if (csCell.empty()) continue;
            bAnyNumber = true;
            bAllNumbers = isNumberAsWritten(csCell);
        }
        vecNumeric[c] = bAnyNumber && bAllNumbers;
    }
    return vecNumeric;
}

void PrintXlsxExportResult(const XlsExportResult& result, const std::u16string& csPath)
{
    PrintSpreadsheetExportResult(result, csPath,
                                 {kIdsXlsxDone, kIdsXlsxFailed, kIdsXlsxIncomplete, kIdsXlsxShortened});
}
