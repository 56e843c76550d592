// The extraction record in the extended data of an inserted table.
//
// Keys and items are stored whole, whatever their length: a display name the user typed may
// be long, and a record that cut it would no longer match the table's header.
#include "output/extraction_record.h"

#include "host/dbobject.h"
#include "host/editor.h"
#include "module/strings.h"

namespace {

constexpr std::uint32_t kIdsNoRecordKey = 241;
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

std::vector<std::u16string> ReadRecordItems(QxDbObjectId idTbl, const std::u16string& csKey)
{
    std::vector<std::u16string> lsItems;
    QxDbObject* pObj = nullptr;
    if (qxdbOpenObject(pObj, idTbl, QxDb::kForRead) != Qxapp::eOk) return lsItems;
    QxDbObjectCloser<QxDbObject> closer(pObj);
    qxresbuf* chain = pObj->xData(csKey.c_str());
    if (!chain) {
        qxutPrintf(u"%s", FormatResString(kIdsNoRecordKey, csKey).c_str());
        return lsItems;
    }
    for (const qxresbuf* group = chain; group; group = group->rbnext)
        if (group->restype == kXdString) lsItems.emplace_back(group->resval.rstring ? group->resval.rstring : u"");
    qxutRelRb(chain);
    return lsItems;
}

std::vector<std::u16string> CollectRowHandles(const TableData& veTableDataOut, bool bTotalsShown)
{
    std::vector<std::u16string> lsHdl;
    std::size_t n = veTableDataOut.size();
    if (bTotalsShown) n = n >= 2 ? n - 2 : 0;
    for (std::size_t r = 1; r < n; ++r) lsHdl.push_back(veTableDataOut[r].empty() ? u"" : veTableDataOut[r][0]);
    return lsHdl;
}
