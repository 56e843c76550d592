// The extraction table as a spreadsheet (.xls) of text cells with a bold header line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/table_data.h"

struct XlsExportResult {
    bool bWritten = false;            // the whole file was written (an empty table writes none)
    std::size_t nRowsLeftOut = 0;     // rows beyond the sheet's last (65,536 in .xls)
    std::size_t nColumnsLeftOut = 0;  // columns beyond the sheet's last (256 in .xls)
    std::size_t nTextsShortened = 0;  // texts cut to the 32,767 characters a cell shows
};

// Writes the table as the output page's preview shows it (rows of `veRowOrder`, columns of
// `veHeaderOrder` with their include flags), every value a text cell, the header line bold.
// With `csLanguage` "fr-FR" the point of a numeric text becomes a comma.
XlsExportResult WriteXlsExport(const TableData& veTableDataOut, std::u16string_view csPath,
                               const std::vector<bool>& vecIncludeCols, const std::vector<int>& veHeaderOrder,
                               const std::vector<int>& veRowOrder, bool bDisplayHeader, std::u16string_view csLanguage);

// Writes the texts read back from a drawing table: row r to sheet row r, column c to sheet
// column c; the first row bold, numeric cells with the default cell format.
XlsExportResult WriteXlsReExport(const TableData& veRows, std::u16string_view csPath, std::u16string_view csLanguage);

// The same, in the host's language (the variable VERLAN).
XlsExportResult ExportXls(const TableData& veTableDataOut, std::u16string_view csPath,
                          const std::vector<bool>& vecIncludeCols, const std::vector<int>& veHeaderOrder,
                          const std::vector<int>& veRowOrder, bool bDisplayHeader);
XlsExportResult ReExportXls(const TableData& veRows, std::u16string_view csPath);

// Prints on the command line how an export to `csPath` went: failed; or finished; or, instead
// of finished, what the sheet could not take (rows and columns beyond its limits, cut texts).
void PrintXlsExportResult(const XlsExportResult& result, const std::u16string& csPath);

// The catalogue texts of one workbook format's report: finished, failed, what did not fit
// (%2 rows, %3 columns) and how many texts were cut (%2); %1 is the path.
struct SpreadsheetMessages {
    std::uint32_t nDone, nFailed, nIncomplete, nShortened;
};
void PrintSpreadsheetExportResult(const XlsExportResult& result, const std::u16string& csPath,
                                  const SpreadsheetMessages& ids);
