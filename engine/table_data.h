// Table data: a grid of texts whose row 0 names the columns and whose column 0 holds the
// handle of the object a row stands for. The reductions here (combining identical rows,
// grouping by a column, totals) work on the texts only.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/dbid.h"

using TableRow = std::vector<std::u16string>;
// The text of a row's column; empty past the row's end.
const std::u16string& CellOf(const TableRow& row, std::size_t column);
using TableData = std::vector<TableRow>;
// Handle text of a block reference row -> its block definition record.
using BlockIdMap = std::map<std::u16string, QxDbObjectId>;

// True when both rows have the same number of cells and agree from cell `first` on.
bool RowsEqualFrom(const TableRow& a, const TableRow& b, std::size_t first);

// Keeps one row per group of data rows that are equal from cell 1 on: the one with the
// smallest row text (so the smallest handle), with the group's size written in the column
// named `csQuantityName`. Kept rows come in ascending order. Returns their handles.
std::vector<std::u16string> CombineRows(TableData& rows, const std::u16string& csQuantityName);

// Combines rows one at a time, as CombineRows does for a whole table, holding only one row
// per group: a large selection never needs all its rows at once.
class RowCombiner {
public:
    RowCombiner();
    ~RowCombiner();
    RowCombiner(const RowCombiner&) = delete;
    RowCombiner& operator=(const RowCombiner&) = delete;

    void add(TableRow row);
    // The header followed by the kept rows, their quantities written; returns their handles.
    std::vector<std::u16string> finish(TableRow header, const std::u16string& csQuantityName, TableData& rows);

private:
    struct Groups;
    std::unique_ptr<Groups> m_groups;
};

// Replaces the data rows by one totals row per distinct text of the column `csGroupBy`
// (ascending), that column moved to position 1; cell 0 of each is the handle of the group's
// last row. Rows are left alone when the column does not exist. Returns the noted handles.
std::vector<std::u16string> GroupRows(TableData& rows, const std::u16string& csGroupBy,
                                      const std::vector<std::u16string>& lsTotalCols);

// The sums of the columns whose header text is one of `lsTotalCols` (a name given twice
// counts twice), each written once with %g; other cells empty. An empty row when there is
// nothing to total. When a column is headed `csQuantityName`, each row adds its cells to the
// other totals as many times as its quantity: a combined row counts all its objects.
TableRow MakeTotalsLine(const TableData& rows, const std::vector<std::u16string>& lsTotalCols,
                        const std::u16string& csQuantityName = {});

// Renames header cells (row 0 only) that are keys of the map.
void ApplyDisplayNames(TableData& rows, const std::map<std::u16string, std::u16string>& mapDisplayNames);
