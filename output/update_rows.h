// The rows of an extraction table against the rows the engine builds: merging, rebuilding,
// the members of combined rows, and the record of a table as written.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/extraction_engine.h"
#include "host/dbtable.h"
#include "output/drawing_table.h"
#include "output/extraction_record.h"
#include "output/update_columns.h"
#include "output/update_record.h"

// The rows an update wants in the table: the cells of every column, left to right, and the
// objects each row stands for (its handle first).
struct WantedRows {
    TableData veCells;
    Texts veHdls;
    std::vector<Texts> veMembers;  // only for combined rows
};

// Refreshes a table whose record says how it was written: its rows become those of the
// objects still read, in the table's order, and its totals those of these rows.
bool RefreshWrittenTable(ExtractionEngine& engine, QxDbTable* pTbl, const ColumnSetup& setup,
                         const DataRows& dataRows, const RecordLists& rec, WantedRows& wanted);

// Merges freshly built rows (the engine's lsTableRows) into an open table: rewrites the
// cells that differ, removes the rows whose objects are gone (and their entries of
// `handles`), recomputes the totals line. True when the table changed.
bool UpdateTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                     bool bGrouped, bool bHeaderHidden);
// Rewrites an open table from the engine's rows for `handles`, with a totals line of the
// columns named in `lsTotalHdr` (property names) when the table had one; `handles` becomes the
// handles of the rows written. True when the table was
// rewritten; false too when the table would grow past a huge table's rows and the user said
// no (see table_size_check.h), and then the table is left as it was.
// `bTotals` says whether the table is to have a totals line, and then whether one was written
// (nothing to total writes none).
bool RebuildTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                      bool bHeaderHidden, const std::vector<std::u16string>& lsTotalHdr, bool& bTotals);
// For a build whose rows were combined: the handles of the objects each row counts, by the
// handle the row shows (which comes first). Empty when rows were not combined.
std::map<std::u16string, std::vector<std::u16string>> CombinedRowMembers(const ExtractionEngine& engine);
// The same for the engine's combined rows as given in rows 1 to nEnd - 1 of `rows` (row 0, the
// header, is not read), for a build that did not keep its rows.
std::map<std::u16string, std::vector<std::u16string>> CombinedRowMembers(const ExtractionEngine& engine,
                                                                       const TableData& rows, std::size_t nEnd);
// The record of a table just inserted from `insertion` (table data built by `engine`), as the
// table shows it: its columns left to right, its data rows top to bottom, the members of
// combined rows. The table's id is left for the caller.
InsertedTableRecord RecordOfInsertedTable(const TableInsertion& insertion, const ExtractionEngine& engine,
                                          const std::map<std::u16string, std::u16string>& mapDisplayNames,
                                          bool bTotalsWritten);
// Deletes the given table rows (each run of neighbouring rows at once) and regenerates the
// layout once.
void DeleteTableRows(QxDbTable* pTbl, std::vector<std::uint32_t> veRows);
