#include "output/export_layout.h"

ExportLayout MakeExportLayout(const TableData& veTableDataOut, const std::vector<bool>& vecIncludeCols,
                              const std::vector<int>& veHeaderOrder, const std::vector<int>& veRowOrder,
                              bool bDisplayHeader)
{
    ExportLayout layout;
    if (veTableDataOut.empty()) return layout;
    const std::size_t nRows = veTableDataOut.size() - (bDisplayHeader ? 0 : 1);
    for (std::size_t k = 0; k < nRows && k < veRowOrder.size(); ++k) {
        const int tableRow = veRowOrder[k];
        if (tableRow < 0 || static_cast<std::size_t>(tableRow) >= veTableDataOut.size()) continue;
        layout.veRows.push_back(tableRow);
    }
    for (const int column : veHeaderOrder) {
        const bool bIncluded = column >= 0 && static_cast<std::size_t>(column) < vecIncludeCols.size() &&
                               vecIncludeCols[column];
        layout.veColumns.push_back(bIncluded ? column : -1);
    }
    layout.bHeaderLine = bDisplayHeader && !layout.veRows.empty();
    return layout;
}

ExportLayout MakeReExportLayout(const TableData& veRows)
{
    ExportLayout layout;
    if (veRows.empty()) return layout;
    for (std::size_t r = 0; r < veRows.size(); ++r) layout.veRows.push_back(int(r));
    for (std::size_t c = 0; c < veRows.front().size(); ++c) layout.veColumns.push_back(int(c));
    layout.bHeaderLine = true;
    return layout;
}
