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
#include "output/update_rows.h"

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
