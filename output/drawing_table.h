// The extraction table as a table entity of the drawing: inserting a new one at a picked
// point, and the operations the update command uses to read, resize, clear and refill one.
#pragma once

#include <string>
#include <vector>

#include "engine/table_data.h"
#include "host/dbtable.h"
#include "host/geometry.h"

class CPnUiBaseDialog;

// Initial width of every column, the widest fitted text, the width of a column that measures
// nothing, and the factor the fitted width is multiplied by (drawing units).
inline constexpr double kInitialColumnWidth = 20.0;
inline constexpr double kMaxFittedWidth = 50.0;
inline constexpr double kEmptyColumnWidth = 1.0;
inline constexpr double kColumnMarginFactor = 1.3;

// The id of the table inserted last by this module (null until one is); Finish gives it its
// extraction record.
QxDbObjectId& LastInsertedTable();

// What an insertion takes from the output page.
struct TableInsertion {
    const TableData* veTableDataOut = nullptr;   // header, data rows, empty row and totals line
    const BlockIdMap* lsBlockTbRecId = nullptr;  // "Block preview" cells: handle -> block
    std::vector<bool> vecIncludeCols;            // per table-data column
    std::vector<int> veHeaderOrder;              // visible preview columns, displayed order
    std::vector<int> veRowOrder;                 // 0 or 1, then the preview's rows
    std::u16string csBlockPreviewName;           // the "Block preview" property's text
    // The property each table-data column shows (row 0 holds display names, which the user
    // may have changed): the preview column is found by property. Null: by header text.
    const TableRow* lsColNames = nullptr;
    std::u16string csTbTitle;
    bool bDisplayHeader = true;
};

// Hides `page`, asks for the insertion point (in the current UCS), and inserts the table at
// the world point; CMDECHO is off meanwhile and on afterwards. Returns the point request's
// status (QXRT_NORM when a table was inserted) and sets LastInsertedTable() on success.
int PickAndInsertTable(CPnUiBaseDialog& page, const TableInsertion& insertion);

// The transform from the coordinate system (origin, X, Y, X×Y) to the world, after
// `transform`; with `makeCurrent` it also becomes the editor's current UCS.
QxGeMatrix3d UcsToWorldMatrix(const QxGeMatrix3d& transform, const QxGePoint3d& origin, const QxGeVector3d& xDir,
                              const QxGeVector3d& yDir, bool makeCurrent);
// Sets CMDECHO to 1 (on) or 0 (off).
void SetCmdEcho(bool on);

// Creates the table with the "Standard" style, fills it, places it at `insPoint` (world) in
// model space, and returns its id (null when it cannot be found after appending).
QxDbObjectId InsertTable(const TableInsertion& insertion, const QxGePoint3d& insPoint);
// Fills a new, empty table: title row merged, header and data rows in preview order, block
// previews, columns fitted to their texts.
void FillTable(const TableInsertion& insertion, QxDbTable* pTbl);

// The cells below the title that FillTable gives a text or a block: the ones that are not empty.
std::uint64_t InsertedTexts(const TableInsertion& insertion);

// The text a cell holds for a value. Cell texts are formatted: a line break in them is "\P",
// which is how a saved drawing stores it and gives it back, so a value compares equal to its
// cell after the drawing was saved and opened again.
std::u16string CellText(const std::u16string& value);

// Appends the texts of rows 1 to the last (every column) of an open table; true when at
// least one row was read. The title row is never read.
bool ReadTableRows(const QxDbTable* pTbl, TableData& veRows);
// Leaves an open-for-write table with nRows rows and nCols columns; false when the table is
// not open for write.
bool ResizeTable(QxDbTable* pTbl, std::uint32_t nRows, std::uint32_t nCols);
// Merges the title row, empties rows 1 on, lays the table out; true when the layout succeeded.
bool ClearTableCells(QxDbTable* pTbl, std::uint32_t nRows, std::uint32_t nCols);
// Gives the cell the block definition of the row's object, scaled to fit. A row without a
// handle (the empty row, the totals line) or without a block keeps its cell empty.
Qxapp::ErrorStatus SetPreviewBlock(QxDbTable* pTbl, std::uint32_t r, std::uint32_t c, const std::u16string& csHandle,
                                   const BlockIdMap& mpBlockIds);
// Tells the user that a cell's content could not be set.
void PrintCellContentError();

// Fills a sized table again from table data in data order (column 0, the handles, left out).
// The preview column is the one whose entry of `lsColNames` (the property names, "Id" first)
// is the preview's name; without them, the one whose header text is.
void RefillTable(const TableData& veRows, const BlockIdMap& mpBlockIds, QxDbTable* pTbl,
                 const std::u16string& csBlockPreviewName, bool bHeaderHidden, const TableRow& lsColNames = {});
