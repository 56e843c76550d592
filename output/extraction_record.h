// The extraction record: named lists of texts in the extended data of an inserted table, from
// which the update command rebuilds the table later. Each list is stored under its own
// registered application name: a 1001 group with the key, then one 1000 group per item.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/table_data.h"
#include "host/dbid.h"

inline constexpr const char16_t* csAppHdls = u"obj_handles";
inline constexpr const char16_t* csAppOriginalNames = u"original_names";
inline constexpr const char16_t* csAppDisplayNames = u"display_names";
inline constexpr const char16_t* csAppObjTypes = u"obj_types";
inline constexpr const char16_t* csGroupByProp = u"groupby_pr";
inline constexpr const char16_t* csTbHeaders = u"tb_headers";
inline constexpr const char16_t* csAppReplacedHdls = u"replaced_hdls";
// Written after the seven keys above, which keep their meaning and order; records without
// them are updated as before they existed.
// "tb_layout": two items, "1" or "0": whether the header line and whether the totals line
// (after its empty row) were written. Without it, both are guessed from the table's cells.
inline constexpr const char16_t* csTbLayout = u"tb_layout";
// "tb_columns": the property names of the columns the rows were built from: the table's
// columns left to right, then the columns the user hid in the preview (they still decide which
// rows combine). Without it, the columns are the headers of "tb_headers" translated back from
// display names.
inline constexpr const char16_t* csTbColumns = u"tb_columns";
// "row_members": only for tables whose rows were combined: the handles of the objects each
// data row counts, row after row in the table's order, rows separated by an empty item; one
// empty item when the table has no data rows. Without it, a combined row stands for the one
// object whose handle "obj_handles" gives; in a record with "tb_layout", its absence says that
// the rows were not combined, even under a quantity column.
inline constexpr const char16_t* csRowMembers = u"row_members";

// Everything Finish writes onto an inserted table, taken when the table is inserted: what the
// user does on the page afterwards (sorting, moving columns, going back and forth) changes
// later outputs, not the table already in the drawing.
struct InsertedTableRecord {
    QxDbObjectId idTbl;
    std::vector<std::u16string> lsHdl;         // one per data row, in the table's row order
    std::map<std::u16string, std::u16string> mapDisplayNames;
    std::vector<std::u16string> lsObjTypes;
    std::u16string csGroupBy;
    std::vector<std::u16string> lsTbHeaders;   // the table's columns, left to right, as shown
    std::vector<std::u16string> lsTbColumns;   // their properties, then those of hidden columns
    bool bHeaderShown = true;
    bool bTotalsWritten = false;
    bool bRowsCombined = false;
    std::vector<std::vector<std::u16string>> veRowMembers;  // when combined, one entry per data row
};
// Writes the whole record, every key in its order; false when the table did not take it.
bool WriteInsertedTableRecord(const InsertedTableRecord& record);
// "row_members" as items, and back; a malformed list, or the one empty item of a table
// without data rows, reads as nothing.
std::vector<std::u16string> RowMembersItems(const std::vector<std::vector<std::u16string>>& veRowMembers);
std::vector<std::vector<std::u16string>> RowMembersFromItems(const std::vector<std::u16string>& lsItems);
// "obj_handles" of a table without data rows: one empty item, because a key without items is
// dropped by the host and the table would no longer count as an extraction table.
std::vector<std::u16string> HandleItems(const std::vector<std::u16string>& lsHdl);
std::vector<std::u16string> HandlesFromItems(std::vector<std::u16string> lsItems);
// False when the key holds groups other than texts (a record edited by something else).
bool RecordKeyHoldsOnlyTexts(QxDbObjectId idTbl, const std::u16string& csKey);

// Appends the items under the key (registering the key as an application when new).
bool WriteRecordItems(QxDbObjectId idTbl, const std::u16string& csKey, const std::vector<std::u16string>& lsItems);
// Writes the map's keys (bKeys) or its values, in map order.
bool WriteRecordMap(QxDbObjectId idTbl, const std::u16string& csKey,
                    const std::map<std::u16string, std::u16string>& mapNames, bool bKeys);
// Writes the handles in the drawing table's row order (see the output page's row order).
bool WriteRecordHandles(QxDbObjectId idTbl, const std::u16string& csKey, const std::vector<std::u16string>& lsHdl,
                        const std::vector<int>& veRowOrder, bool bDisplayHeader);
// Removes every item of the key.
bool RemoveRecordItems(QxDbObjectId idTbl, const std::u16string& csKey);
// The key's items in stored order; prints the "none identified" message when the key has none.
std::vector<std::u16string> ReadRecordItems(QxDbObjectId idTbl, const std::u16string& csKey);
// The same for keys that records written before them lack: silent when there is none.
std::vector<std::u16string> ReadRecordItemsIfAny(QxDbObjectId idTbl, const std::u16string& csKey);
// The handles of the data rows of table data (the empty row and totals line left out).
std::vector<std::u16string> CollectRowHandles(const TableData& veTableDataOut, bool bTotalsShown);
