#include "output/update_record.h"

#include <algorithm>

#include "host/editor.h"
#include "module/strings.h"
#include "output/extraction_record.h"
#include "resources/string_ids.h"

namespace {

bool IsHandleText(const std::u16string& csHdl)
{
    if (csHdl.empty() || csHdl.size() > 16) return false;
    return std::all_of(csHdl.begin(), csHdl.end(), [](char16_t ch) {
        return (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'F') || (ch >= u'a' && ch <= u'f');
    });
}

bool AllHandles(const Texts& lsHdl) { return std::all_of(lsHdl.begin(), lsHdl.end(), IsHandleText); }

bool HasDuplicates(Texts lsItems)
{
    std::sort(lsItems.begin(), lsItems.end());
    return std::adjacent_find(lsItems.begin(), lsItems.end()) != lsItems.end();
}

// Reads the layout key: two items, each "0" or "1".
bool ReadLayout(QxDbObjectId idTbl, RecordLists& rec)
{
    const Texts lsLayout = ReadRecordItemsIfAny(idTbl, csTbLayout);
    if (lsLayout.empty()) return true;
    const auto flag = [](const std::u16string& item) -> std::optional<bool> {
        if (item == u"1") return true;
        if (item == u"0") return false;
        return std::nullopt;
    };
    if (lsLayout.size() != 2 || !flag(lsLayout[0]) || !flag(lsLayout[1])) return false;
    rec.bHeaderShown = flag(lsLayout[0]);
    rec.bTotalsWritten = flag(lsLayout[1]);
    return true;
}

}  // namespace

void PrintRefused(const std::u16string& csKey) { qxutPrintf(u"%s", FormatResString(kIdsRecordRefused, csKey).c_str()); }

RecordState ReadRecord(QxDbObjectId idTbl, unsigned uses, const CatalogueNames& names, RecordLists& rec,
                       RecordFault& fault)
{
    std::vector<std::u16string> lsKeys = {csAppOriginalNames, csAppDisplayNames, csGroupByProp, csTbHeaders,
                                          csTbLayout, csTbColumns, csRowMembers};
    if (uses & kUseHandlesAndTypes) {
        rec.veHdls = ReadRecordItems(idTbl, csAppHdls);
        rec.lsObjects = ReadRecordItems(idTbl, csAppObjTypes);
        lsKeys.insert(lsKeys.end(), {csAppHdls, csAppObjTypes});
    }
    rec.lsOrigNames = ReadRecordItems(idTbl, csAppOriginalNames);
    rec.lsDisplayNames = ReadRecordItems(idTbl, csAppDisplayNames);
    rec.veGroupBy = ReadRecordItems(idTbl, csGroupByProp);
    rec.veTbHeaders = ReadRecordItems(idTbl, csTbHeaders);
    if (uses & kUseReplaced) {
        rec.veReplHdl = ReadRecordItems(idTbl, csAppReplacedHdls);
        lsKeys.push_back(csAppReplacedHdls);
    }

    if ((uses & kUseHandlesAndTypes) && (rec.veHdls.empty() || rec.lsObjects.empty())) return RecordState::kMissing;
    if (rec.veGroupBy.empty() || rec.veTbHeaders.empty()) return RecordState::kMissing;
    if ((uses & kUseReplaced) && rec.veReplHdl.empty()) return RecordState::kMissing;

    const auto refuse = [&fault](const std::u16string& csKey) {
        fault.csKey = csKey;
        return RecordState::kRefused;
    };
    // Numbers where texts belong would be skipped by the reader and leave the lists short.
    for (const std::u16string& csKey : lsKeys)
        if (!RecordKeyHoldsOnlyTexts(idTbl, csKey)) return refuse(csKey);
    if (rec.lsOrigNames.size() != rec.lsDisplayNames.size()) return refuse(csAppDisplayNames);
    if (rec.veGroupBy.size() != 1) return refuse(csGroupByProp);
    if (!ReadLayout(idTbl, rec)) return refuse(csTbLayout);
    const Texts lsMembers = ReadRecordItemsIfAny(idTbl, csRowMembers);
    if (!lsMembers.empty()) {
        rec.veRowMembers = RowMembersFromItems(lsMembers);
        rec.bHasMembers = true;
        const bool bNoRows = lsMembers.size() == 1 && lsMembers.front().empty();
        if (rec.veRowMembers.empty() && !bNoRows) return refuse(csRowMembers);
        for (const Texts& members : rec.veRowMembers)
            if (!AllHandles(members)) return refuse(csRowMembers);
    }
    if (uses & kUseHandlesAndTypes) {
        rec.veHdls = HandlesFromItems(rec.veHdls);
        if (!AllHandles(rec.veHdls)) return refuse(csAppHdls);
        // Each object has one row unless rows are grouped, which the record says elsewhere.
        if (rec.veGroupBy.front().empty() && HasDuplicates(rec.veHdls)) return refuse(csAppHdls);
        for (std::u16string& csType : rec.lsObjects) {
            csType = names.ToCurrent(csType);
            if (!names.IsCurrentName(csType)) return refuse(csAppObjTypes);
        }
    }
    if ((uses & kUseReplaced) && !(rec.veReplHdl.size() == 1 && rec.veReplHdl.front().empty()) &&
        !AllHandles(rec.veReplHdl))
        return refuse(csAppReplacedHdls);
    for (std::u16string& csName : rec.lsOrigNames) csName = names.ToCurrent(csName);
    rec.lsTbColumns = ReadRecordItemsIfAny(idTbl, csTbColumns);
    for (std::u16string& csName : rec.lsTbColumns) csName = names.ToCurrent(csName);
    if (!rec.lsTbColumns.empty() && rec.lsTbColumns.size() < rec.veTbHeaders.size()) return refuse(csTbColumns);
    rec.veGroupBy.front() = names.ToCurrent(rec.veGroupBy.front());
    return RecordState::kUsable;
}

bool ReadUsableRecord(QxDbObjectId idTbl, unsigned uses, const CatalogueNames& names, RecordLists& rec)
{
    RecordFault fault;
    const RecordState state = ReadRecord(idTbl, uses, names, rec, fault);
    if (state == RecordState::kRefused) PrintRefused(fault.csKey);
    return state == RecordState::kUsable;
}

void ReplaceRecordList(QxDbObjectId idTbl, const std::u16string& csKey, const Texts& lsItems)
{
    // A list that did not change stays where it is: written again it would move to the end
    // of the record, and an update that changed nothing would change the drawing.
    if (ReadRecordItemsIfAny(idTbl, csKey) == lsItems) return;
    RemoveRecordItems(idTbl, csKey);
    WriteRecordItems(idTbl, csKey, lsItems);
}

std::u16string ToOriginalName(const std::u16string& csText, const RecordLists& rec)
{
    for (std::size_t i = 0; i < rec.lsDisplayNames.size(); ++i)
        if (csText == rec.lsDisplayNames[i]) return rec.lsOrigNames[i];
    return csText;
}

std::map<std::u16string, std::u16string> DisplayNameMap(const RecordLists& rec)
{
    std::map<std::u16string, std::u16string> mpDisplayProps;
    for (std::size_t i = 0; i < rec.lsOrigNames.size(); ++i) mpDisplayProps[rec.lsOrigNames[i]] = rec.lsDisplayNames[i];
    return mpDisplayProps;
}
