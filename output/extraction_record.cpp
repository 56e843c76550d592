// The extraction record in the extended data of an inserted table.
//
// Keys and items are stored whole, whatever their length: a display name the user typed may
// be long, and a record that cut it would no longer match the table's header.
#include "output/extraction_record.h"

#include "host/dbobject.h"
#include "host/editor.h"
#include "module/strings.h"
#include "resources/string_ids.h"

namespace {

constexpr int kXdAppName = 1001;
constexpr int kXdString = 1000;

qxresbuf* NewStringGroup(int restype, const std::u16string& text)
{
    qxresbuf* group = qxutNewRb(restype);
    group->resval.rstring = qxutNewString(text.c_str());
    return group;
}

qxresbuf* LastGroup(qxresbuf* chain)
{
    while (chain->rbnext) chain = chain->rbnext;
    return chain;
}

}  // namespace

bool WriteRecordItems(QxDbObjectId idTbl, const std::u16string& csKey, const std::vector<std::u16string>& lsItems)
{
    QxDbObject* pObj = nullptr;
    if (qxdbOpenObject(pObj, idTbl, QxDb::kForRead) != Qxapp::eOk) return false;
    QxDbObjectCloser<QxDbObject> closer(pObj);

    qxresbuf* chain = pObj->xData(csKey.c_str());
    if (!chain) {
        qxdbRegApp(csKey.c_str());
        chain = NewStringGroup(kXdAppName, csKey);
    }
    qxresbuf* last = LastGroup(chain);
    for (const std::u16string& item : lsItems) {
        last->rbnext = NewStringGroup(kXdString, item);
        last = last->rbnext;
    }
    // A record the table did not take is not written: say so rather than report success.
    const bool bWritten = pObj->upgradeOpen() == Qxapp::eOk && pObj->setXData(chain) == Qxapp::eOk;
    qxutRelRb(chain);
    return bWritten;
}

bool WriteRecordMap(QxDbObjectId idTbl, const std::u16string& csKey,
                    const std::map<std::u16string, std::u16string>& mapNames, bool bKeys)
{
    std::vector<std::u16string> lsItems;
    lsItems.reserve(mapNames.size());
    for (const auto& [key, value] : mapNames) lsItems.push_back(bKeys ? key : value);
    return WriteRecordItems(idTbl, csKey, lsItems);
}

bool WriteRecordHandles(QxDbObjectId idTbl, const std::u16string& csKey, const std::vector<std::u16string>& lsHdl,
                        const std::vector<int>& veRowOrder, bool bDisplayHeader)
{
    // Item i belongs to the i-th data row of the drawing table, which shows the table-data row
    // that the row order names there (the table falls back to data order where the row order
    // ends, and so does the record).
    const std::size_t s = bDisplayHeader ? 1 : 0;
    std::vector<std::u16string> lsItems;
    lsItems.reserve(lsHdl.size());
    for (std::size_t i = 0; i < lsHdl.size(); ++i) {
        std::size_t position = i;
        if (i + s < veRowOrder.size() && veRowOrder[i + s] >= 1) position = static_cast<std::size_t>(veRowOrder[i + s]) - 1;
        lsItems.push_back(position < lsHdl.size() ? lsHdl[position] : std::u16string());
    }
    return WriteRecordItems(idTbl, csKey, lsItems);
}

bool RemoveRecordItems(QxDbObjectId idTbl, const std::u16string& csKey)
{
    QxDbObject* pObj = nullptr;
    if (qxdbOpenObject(pObj, idTbl, QxDb::kForWrite) != Qxapp::eOk) return false;
    QxDbObjectCloser<QxDbObject> closer(pObj);
    qxresbuf* chain = pObj->xData(csKey.c_str());
    if (!chain) return true;
    // The key's group alone tells the host to drop every item of the key.
    qxutRelRb(chain->rbnext);
    chain->rbnext = nullptr;
    if (chain->restype != kXdAppName) {
        qxutRelRb(chain);
        chain = NewStringGroup(kXdAppName, csKey);
    }
    const bool bRemoved = pObj->setXData(chain) == Qxapp::eOk;
    qxutRelRb(chain);
    return bRemoved;
}

namespace {
std::vector<std::u16string> ReadItems(QxDbObjectId idTbl, const std::u16string& csKey, bool bSayWhenNone)
{
    std::vector<std::u16string> lsItems;
    QxDbObject* pObj = nullptr;
    if (qxdbOpenObject(pObj, idTbl, QxDb::kForRead) != Qxapp::eOk) return lsItems;
    QxDbObjectCloser<QxDbObject> closer(pObj);
    qxresbuf* chain = pObj->xData(csKey.c_str());
    if (!chain) {
        if (bSayWhenNone) qxutPrintf(u"%s", FormatResString(kIdsNoRecordKey, csKey).c_str());
        return lsItems;
    }
    for (const qxresbuf* group = chain; group; group = group->rbnext)
        if (group->restype == kXdString) lsItems.emplace_back(group->resval.rstring ? group->resval.rstring : u"");
    qxutRelRb(chain);
    return lsItems;
}
}  // namespace

std::vector<std::u16string> ReadRecordItems(QxDbObjectId idTbl, const std::u16string& csKey)
{
    return ReadItems(idTbl, csKey, true);
}

std::vector<std::u16string> ReadRecordItemsIfAny(QxDbObjectId idTbl, const std::u16string& csKey)
{
    return ReadItems(idTbl, csKey, false);
}

std::vector<std::u16string> CollectRowHandles(const TableData& veTableDataOut, bool bTotalsShown)
{
    std::vector<std::u16string> lsHdl;
    std::size_t n = veTableDataOut.size();
    if (bTotalsShown) n = n >= 2 ? n - 2 : 0;
    for (std::size_t r = 1; r < n; ++r) lsHdl.push_back(veTableDataOut[r].empty() ? u"" : veTableDataOut[r][0]);
    return lsHdl;
}

bool WriteInsertedTableRecord(const InsertedTableRecord& record)
{
    const QxDbObjectId idTbl = record.idTbl;
    bool bWritten = WriteRecordItems(idTbl, csAppHdls, HandleItems(record.lsHdl));
    bWritten = WriteRecordMap(idTbl, csAppOriginalNames, record.mapDisplayNames, true) && bWritten;
    bWritten = WriteRecordMap(idTbl, csAppDisplayNames, record.mapDisplayNames, false) && bWritten;
    bWritten = WriteRecordItems(idTbl, csAppObjTypes, record.lsObjTypes) && bWritten;
    bWritten = WriteRecordItems(idTbl, csGroupByProp, {record.csGroupBy}) && bWritten;
    bWritten = WriteRecordItems(idTbl, csTbHeaders, record.lsTbHeaders) && bWritten;
    bWritten = WriteRecordItems(idTbl, csAppReplacedHdls, {u""}) && bWritten;
    const std::vector<std::u16string> lsLayout = {record.bHeaderShown ? u"1" : u"0", record.bTotalsWritten ? u"1" : u"0"};
    bWritten = WriteRecordItems(idTbl, csTbLayout, lsLayout) && bWritten;
    bWritten = WriteRecordItems(idTbl, csTbColumns, record.lsTbColumns) && bWritten;
    if (record.bRowsCombined)
        bWritten = WriteRecordItems(idTbl, csRowMembers, RowMembersItems(record.veRowMembers)) && bWritten;
    return bWritten;
}

std::vector<std::u16string> RowMembersItems(const std::vector<std::vector<std::u16string>>& veRowMembers)
{
    // A key without items is dropped by the host: one empty item keeps an empty table's mark.
    if (veRowMembers.empty()) return {u""};
    std::vector<std::u16string> lsItems;
    for (const auto& members : veRowMembers) {
        if (!lsItems.empty()) lsItems.emplace_back();
        lsItems.insert(lsItems.end(), members.begin(), members.end());
    }
    return lsItems;
}

std::vector<std::vector<std::u16string>> RowMembersFromItems(const std::vector<std::u16string>& lsItems)
{
    std::vector<std::vector<std::u16string>> veRowMembers;
    if (lsItems.empty() || (lsItems.size() == 1 && lsItems.front().empty())) return veRowMembers;
    veRowMembers.emplace_back();
    for (const std::u16string& item : lsItems) {
        if (item.empty()) {
            // Two separators in a row, or one at an end, leave a row without objects.
            if (veRowMembers.back().empty()) return {};
            veRowMembers.emplace_back();
        } else {
            veRowMembers.back().push_back(item);
        }
    }
    if (veRowMembers.back().empty()) return {};
    return veRowMembers;
}

std::vector<std::u16string> HandleItems(const std::vector<std::u16string>& lsHdl)
{
    return lsHdl.empty() ? std::vector<std::u16string>{u""} : lsHdl;
}

std::vector<std::u16string> HandlesFromItems(std::vector<std::u16string> lsItems)
{
    if (lsItems.size() == 1 && lsItems.front().empty()) lsItems.clear();
    return lsItems;
}

bool RecordKeyHoldsOnlyTexts(QxDbObjectId idTbl, const std::u16string& csKey)
{
    QxDbObject* pObj = nullptr;
    if (qxdbOpenObject(pObj, idTbl, QxDb::kForRead) != Qxapp::eOk) return true;
    QxDbObjectCloser<QxDbObject> closer(pObj);
    qxresbuf* chain = pObj->xData(csKey.c_str());
    if (!chain) return true;
    bool bTexts = true;
    for (const qxresbuf* group = chain->rbnext; group; group = group->rbnext)
        if (group->restype != kXdString) bTexts = false;
    qxutRelRb(chain);
    return bTexts;
}
