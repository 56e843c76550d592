// Where the table's cells go in an exported sheet: the rows and columns the output page's
// preview shows, in its order. The workbook exports share it so that they agree cell for cell.
#pragma once

#include <vector>

#include "engine/table_data.h"

struct ExportLayout {
    std::vector<int> veRows;     // the table row of every sheet row
    std::vector<int> veColumns;  // the table column of every sheet column; -1 keeps an empty column
    bool bHeaderLine = false;    // sheet row 0 is the header line
};

// The rows of `veRowOrder` (with the header hidden one fewer, as the CSV export writes them),
// rows that are not in the table left out; the columns of `veHeaderOrder`, where a column that
// is not included keeps its place empty.
ExportLayout MakeExportLayout(const TableData& veTableDataOut, const std::vector<bool>& vecIncludeCols,
                              const std::vector<int>& veHeaderOrder, const std::vector<int>& veRowOrder,
                              bool bDisplayHeader);

// Every row of `veRows` in order, every column of its first row.
ExportLayout MakeReExportLayout(const TableData& veRows);
