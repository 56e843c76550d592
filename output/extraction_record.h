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
// The handles of the data rows of table data (the empty row and totals line left out).
std::vector<std::u16string> CollectRowHandles(const TableData& veTableDataOut, bool bTotalsShown);
