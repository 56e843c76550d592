// The table update command's actions on a table that an extraction inserted: refresh it from
// the objects its record names, add objects to it, replace its objects, or export its cells.
// Everything an action needs is read from the table's extraction record; nothing is kept
// between actions.
#pragma once

#include <string>
#include <vector>

#include "engine/extraction_engine.h"
#include "engine/str_helper.h"
#include "host/dbtable.h"

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
bool RebuildTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                      bool bGrouped, bool bHeaderHidden);
// Deletes the given table rows, regenerating the layout after each; stops at the first
// failed regeneration.
void DeleteTableRows(QxDbTable* pTbl, std::vector<std::uint32_t> veRows);
