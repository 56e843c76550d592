// The extraction record of a table as the update command's actions read it: the lists an
// action uses, checked to fit together, with names in the current catalogue's language.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/dbid.h"
#include "output/catalogue_names.h"

using Texts = std::vector<std::u16string>;

// The lists of the record that an action reads. Names are given as the current catalogue
// names them, whatever language the record was written in.
struct RecordLists {
    Texts veHdls, lsObjects, lsOrigNames, lsDisplayNames, veGroupBy, veTbHeaders, veReplHdl;
    Texts lsTbColumns;  // empty in records written before it
    // From the keys after the first seven; absent in records written before them.
    std::optional<bool> bHeaderShown, bTotalsWritten;
    std::vector<Texts> veRowMembers;
    bool bHasMembers = false;
};

enum RecordUse : unsigned { kUseHandlesAndTypes = 1, kUseReplaced = 2 };
enum class RecordState { kUsable, kMissing, kRefused };

// Why a record is refused: the key at fault, shown to the user.
struct RecordFault {
    std::u16string csKey;
};

// Reads the lists the action uses. kMissing when one is missing (the reader said which, as
// always); kRefused, with the key at fault, when the lists do not fit together.
RecordState ReadRecord(QxDbObjectId idTbl, unsigned uses, const CatalogueNames& names, RecordLists& rec,
                       RecordFault& fault);
// Reads the record for an action; false (with the refusal printed) when it cannot be used.
bool ReadUsableRecord(QxDbObjectId idTbl, unsigned uses, const CatalogueNames& names, RecordLists& rec);
// Tells the user which key of the record was refused.
void PrintRefused(const std::u16string& csKey);
// Replaces the items of one key.
void ReplaceRecordList(QxDbObjectId idTbl, const std::u16string& csKey, const Texts& lsItems);
// A shown name back to the property name it stands for. Each text is translated once, so
// two columns whose display names were swapped keep their own properties.
std::u16string ToOriginalName(const std::u16string& csText, const RecordLists& rec);
// Display name by property name.
std::map<std::u16string, std::u16string> DisplayNameMap(const RecordLists& rec);
