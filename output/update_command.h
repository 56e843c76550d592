// The table update command's actions on a table that an extraction inserted: refresh it from
// the objects its record names, add objects to it, replace its objects, or export its cells.
// Everything an action needs is read from the table's extraction record; nothing is kept
// between actions.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/extraction_engine.h"
#include "engine/str_helper.h"
#include "host/dbtable.h"
#include "output/drawing_table.h"
#include "output/extraction_record.h"

class CPnUiBaseDialog;

// Re-reads the objects behind the rows: changed cells are rewritten, rows whose object is
// gone are removed with their handle, and the totals line is recomputed.
void RefreshTable(const StrHelper& strHelper, QxDbObjectId idTbl);
// Lets the user pick objects (hiding `pDialog`, when given, meanwhile) and rebuilds the table
// with its objects and the new ones.
void AddObjectsToTable(CPnUiBaseDialog* pDialog, const StrHelper& strHelper, QxDbObjectId idTbl);
// Lets the user pick objects that replace the table's objects, and rebuilds the table.
void ReplaceTableSelection(CPnUiBaseDialog* pDialog, const StrHelper& strHelper, QxDbObjectId idTbl);
// Writes the table's cells (title row left out) to a CSV or .xls file chosen by the user.
void ReExportTable(QxDbObjectId idTbl);

// Merges freshly built rows (the engine's lsTableRows) into an open table: rewrites the
// cells that differ, removes the rows whose objects are gone (and their entries of
// `handles`), recomputes the totals line. True when the table changed.
bool UpdateTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                     bool bGrouped, bool bHeaderHidden);
// Rewrites an open table from the engine's rows for `handles`, with a totals line when the
// table had one; `handles` becomes the handles of the rows written. True when the table was
// rewritten.
// `bTotals` says whether the table is to have a totals line, and then whether one was written
// (nothing to total writes none).
bool RebuildTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                      bool bGrouped, bool bHeaderHidden, bool& bTotals);
// True when the engine's last build combined identical rows into one with a quantity.
bool RowsCombined(const ExtractionEngine& engine);
// For a build whose rows were combined: the handles of the objects each row counts, by the
// handle the row shows (which comes first). Empty when rows were not combined.
std::map<std::u16string, std::vector<std::u16string>> CombinedRowMembers(const ExtractionEngine& engine);
// The record of a table just inserted from `insertion` (table data built by `engine`), as the
// table shows it: its columns left to right, its data rows top to bottom, the members of
// combined rows. The table's id is left for the caller.
InsertedTableRecord RecordOfInsertedTable(const TableInsertion& insertion, const ExtractionEngine& engine,
                                          const std::map<std::u16string, std::u16string>& mapDisplayNames,
                                          bool bTotalsWritten);
// Deletes the given table rows, regenerating the layout after each; stops at the first
// failed regeneration.
void DeleteTableRows(QxDbTable* pTbl, std::vector<std::uint32_t> veRows);
