// The extraction table as an .xlsx workbook: numbers as numbers in the drawing's precision,
// the totals line as formulas, the header bold, frozen and filtered.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/table_data.h"
#include "output/export_layout.h"
#include "output/xls_export.h"

// What the workbook needs to know beyond the texts of its cells.
struct XlsxSheetInfo {
    std::vector<bool> vecNumericCols;  // per table column: its values are numbers
    std::optional<int> nTotalsRow;     // the table row of the totals line, when there is one
    int nPrecision = 4;                // decimals shown (the drawing's LUPREC)
    std::u16string csTitle;            // the workbook's title property
};

// The sheet's limits.
inline constexpr std::size_t kXlsxMaxRows = 1048576, kXlsxMaxColumns = 16384, kXlsxMaxText = 32767;

// Writes the cells of `layout` into one sheet "Sheet1", in constant memory, through a
// temporary file renamed over `csPath`. In numeric columns a numeric text becomes a number
// shown with `nPrecision` decimals and the thousands mark, and the totals line holds SUM
// formulas over the data rows whose stored results are the totals line's texts; every other
// cell is a text, however much it looks like a number. Cells beyond the sheet's limits are
// counted, texts longer than a cell holds are cut and counted. An empty layout writes nothing.
XlsExportResult WriteXlsxExport(const TableData& veTableDataOut, std::u16string_view csPath,
                                const ExportLayout& layout, const XlsxSheetInfo& info);

// The output page's export: the preview's rows and columns, the precision from LUPREC.
// `vecNumericCols` is per table column; `bHasTotalLine` says the last table row is a totals line.
XlsExportResult ExportXlsx(const TableData& veTableDataOut, std::u16string_view csPath,
                           const std::vector<bool>& vecIncludeCols, const std::vector<int>& veHeaderOrder,
                           const std::vector<int>& veRowOrder, bool bDisplayHeader,
                           const std::vector<bool>& vecNumericCols, bool bHasTotalLine, std::u16string_view csTitle);

// The update command's export of the texts read back from a drawing table: every row, the first
// one bold; `bTotals` says the last row is a totals line.
XlsExportResult ReExportXlsx(const TableData& veRows, std::u16string_view csPath,
                             const std::vector<bool>& vecNumericCols, bool bTotals, std::u16string_view csTitle);

// The columns of a table read back from a drawing that hold numbers: those its totals line
// totals (`bTotals`: the last row is one, after an empty row), and those whose data cells
// (every row after the first) are all numbers as a number is written, empty ones aside, with at
// least one that is not empty: a code such as "0012" keeps its column a text column. The drawing keeps no flags of its own; the wizard too counts an attribute as a
// number when its values are numbers.
std::vector<bool> NumericColumnsOf(const TableData& veRows, bool bTotals);

// Prints on the command line how an export to `csPath` went, as the .xls export does.
void PrintXlsxExportResult(const XlsExportResult& result, const std::u16string& csPath);
