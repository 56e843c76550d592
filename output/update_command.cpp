// The table update command's actions: refresh, add, replace (the export is in
// update_export.cpp).
#include "output/update_command.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>

#include "host/database.h"
#include "host/editor.h"
#include "host/ui.h"
#include "module/strings.h"
#include "output/drawing_table.h"
#include "output/extraction_record.h"

namespace {

constexpr std::uint32_t kIdsTableUpdated = 238;
constexpr std::uint32_t kIdsTableUpToDate = 239;
constexpr std::uint32_t kIdsSelectNewObjects = 253;
constexpr std::uint32_t kIdsYourNewSelection = 254;
constexpr const char16_t* kCellContentError = u"Error adding content into a table cell";

using Texts = std::vector<std::u16string>;

void PrintRes(std::uint32_t id) { qxutPrintf(u"%s", LoadResString(id).c_str()); }
void PrintUpdated(bool bChanged) { PrintRes(bChanged ? kIdsTableUpdated : kIdsTableUpToDate); }

const std::u16string& CellOf(const TableRow& row, std::size_t column)
{
    static const std::u16string empty;
    return column < row.size() ? row[column] : empty;
}

// A selection set that is freed when the scope ends.
class SelectionSet {
public:
    SelectionSet() = default;
    ~SelectionSet() { free(); }
    SelectionSet(const SelectionSet&) = delete;
    SelectionSet& operator=(const SelectionSet&) = delete;
    // Selects with `mode`; true when the selection completed normally and is not empty.
    bool select(const char16_t* mode)
    {
        free();
        if (qxedSSGet(mode, nullptr, nullptr, nullptr, m_name) != QXRT_NORM) return false;
        m_held = true;
        return qxedSSLength(m_name, &m_length) == QXRT_NORM && m_length > 0;
    }
    void free()
    {
        if (m_held) qxedSSFree(m_name);
        m_held = false;
        m_length = 0;
    }
    const qxds_name& name() const { return m_name; }
    std::int32_t length() const { return m_length; }

private:
    qxds_name m_name = {0, 0};
    std::int32_t m_length = 0;
    bool m_held = false;
};

// The lists of the record that an action reads.
struct RecordLists {
    Texts veHdls, lsObjects, lsOrigNames, lsDisplayNames, veGroupBy, veTbHeaders, veReplHdl;
};

enum RecordUse : unsigned { kUseHandlesAndTypes = 1, kUseReplaced = 2 };

// Reads the lists the action uses; false when one is missing or they do not fit together.
bool ReadRecord(QxDbObjectId idTbl, unsigned uses, RecordLists& rec)
{
    if (uses & kUseHandlesAndTypes) {
        rec.veHdls = ReadRecordItems(idTbl, csAppHdls);
        rec.lsObjects = ReadRecordItems(idTbl, csAppObjTypes);
    }
    rec.lsOrigNames = ReadRecordItems(idTbl, csAppOriginalNames);
    rec.lsDisplayNames = ReadRecordItems(idTbl, csAppDisplayNames);
    rec.veGroupBy = ReadRecordItems(idTbl, csGroupByProp);
    rec.veTbHeaders = ReadRecordItems(idTbl, csTbHeaders);
    if (uses & kUseReplaced) rec.veReplHdl = ReadRecordItems(idTbl, csAppReplacedHdls);

    if ((uses & kUseHandlesAndTypes) && (rec.veHdls.empty() || rec.lsObjects.empty())) return false;
    if (rec.lsOrigNames.size() != rec.lsDisplayNames.size()) return false;
    if (rec.veGroupBy.empty() || rec.veTbHeaders.empty()) return false;
    if ((uses & kUseReplaced) && rec.veReplHdl.empty()) return false;
    return true;
}

void ReplaceRecordList(QxDbObjectId idTbl, const std::u16string& csKey, const Texts& lsItems)
{
    RemoveRecordItems(idTbl, csKey);
    WriteRecordItems(idTbl, csKey, lsItems);
}

// A shown name back to the property name it stands for. Each text is translated once, so
// two columns whose display names were swapped keep their own properties.
std::u16string ToOriginalName(const std::u16string& csText, const RecordLists& rec)
{
    for (std::size_t i = 0; i < rec.lsDisplayNames.size(); ++i)
        if (csText == rec.lsDisplayNames[i]) return rec.lsOrigNames[i];
    return csText;
}

Texts RowTexts(const QxDbTable* pTbl, std::uint32_t r)
{
    Texts texts;
    for (std::uint32_t c = 0; c < pTbl->numColumns(); ++c) texts.push_back(pTbl->textString(r, c));
    return texts;
}

// A totals line follows an empty row, which stands after the data rows.
bool HasTotalsLine(const QxDbTable* pTbl, bool bHeaderHidden)
{
    const std::uint32_t n = pTbl->numRows();
    const std::uint32_t first = bHeaderHidden ? 1 : 2;
    if (n < first + 2) return false;
    // The whole row must be empty: a data row may well start with an empty cell (a line under
    // "Block name"), and taking it for the separator would overwrite data with totals.
    for (std::uint32_t c = 0; c < pTbl->numColumns(); ++c)
        if (pTbl->cellType(n - 2, c) != QxDb::kTextCell || !pTbl->textString(n - 2, c).empty()) return false;
    return true;
}

// What the table and its record say about the columns to build.
struct ColumnSetup {
    Texts lsPropsSel;  // property names, in table column order
    bool bHeaderHidden = false;
    bool bQuantity = false;
    bool bBlockName = false;
    Texts lsTotalHdr;
    bool bGrouped = false;
    std::u16string csGroupBy;
};

ColumnSetup ReadColumnSetup(const QxDbTable* pTbl, const RecordLists& rec, const StrHelper& strHelper)
{
    ColumnSetup setup;
    const Texts row1 = RowTexts(pTbl, 1);
    setup.bHeaderHidden = row1 != rec.veTbHeaders;
    // The stored headers are the names shown, like the header row: both are translated back
    // to property names, whether the header is shown or not.
    for (const std::u16string& csText : setup.bHeaderHidden ? rec.veTbHeaders : row1)
        setup.lsPropsSel.push_back(ToOriginalName(csText, rec));

    const auto has = [&setup](const std::u16string& name) {
        return std::find(setup.lsPropsSel.begin(), setup.lsPropsSel.end(), name) != setup.lsPropsSel.end();
    };
    setup.bQuantity = has(strHelper.quantityItem.name);
    setup.bBlockName = has(strHelper.blockNameItem.name);

    if (pTbl->numRows() > 0) {
        const std::uint32_t last = pTbl->numRows() - 1;
        for (std::uint32_t c = 0; c < pTbl->numColumns() && c < setup.lsPropsSel.size(); ++c)
            if (!pTbl->textString(last, c).empty()) setup.lsTotalHdr.push_back(setup.lsPropsSel[c]);
    }
    setup.csGroupBy = rec.veGroupBy.front();
    setup.bGrouped = !setup.csGroupBy.empty();
    return setup;
}

Qxapp::ErrorStatus SetPreviewBlock(QxDbTable* pTbl, std::uint32_t r, std::uint32_t c, const std::u16string& csHandle,
                                   const BlockIdMap& mpBlockIds)
{
    const auto it = mpBlockIds.find(csHandle);
    if (csHandle.empty() || it == mpBlockIds.end()) return Qxapp::eOk;
    return pTbl->setBlockTableRecordId(r, c, it->second, true);
}

// Opens the table of the record for write; closed by the caller.
QxDbTable* OpenTableForWrite(QxDbObjectId idTbl)
{
    QxDbTable* pTbl = nullptr;
    if (qxdbOpenObject(pTbl, idTbl, QxDb::kForWrite) != Qxapp::eOk) return nullptr;
    return pTbl;
}

// Lets the user pick objects, the dialog hidden meanwhile.
bool PickObjects(CPnUiBaseDialog* pDialog, std::uint32_t promptId, SelectionSet& ssNew)
{
    PrintRes(promptId);
    if (pDialog) pDialog->BeginEditorCommand();
    if (!ssNew.select(nullptr)) {
        if (pDialog) pDialog->CancelEditorCommand();
        ssNew.free();
        return false;
    }
    if (pDialog) pDialog->CompleteEditorCommand(true);
    return true;
}

// The kinds and handles of the picked objects that the engine reads, in pick order. Multi-line
// texts are among them: the engine reads them like the other kinds.
void ClassifyPicked(const SelectionSet& ss, const StrHelper& strHelper, std::set<std::u16string>& seNewObjTypes,
                    Texts& lsNewHdls)
{
    for (std::int32_t i = 0; i < ss.length(); ++i) {
        qxds_name ent = {0, 0};
        QxDbObjectId id;
        if (qxedSSName(ss.name(), i, ent) != QXRT_NORM || qxdbGetObjectId(id, ent) != Qxapp::eOk) continue;
        QxDbObject* pObj = nullptr;
        if (qxdbOpenObject(pObj, id, QxDb::kForRead) != Qxapp::eOk) continue;
        QxDbObjectCloser<QxDbObject> closer(pObj);
        int position = -1;
        if (QxDbBlockReference::cast(pObj)) position = 0;
        else if (QxDbPolyline::cast(pObj)) position = 2;
        else if (QxDbLine::cast(pObj)) position = 1;
        else if (QxDbCircle::cast(pObj)) position = 4;
        else if (QxDbArc::cast(pObj)) position = 3;
        else if (QxDb3dSolid::cast(pObj)) position = 6;
        else if (QxDbSolid::cast(pObj)) position = 5;
        else if (QxDbPoint::cast(pObj)) position = 7;
        else if (QxDbMText::cast(pObj)) position = 8;
        if (position < 0 || static_cast<std::size_t>(position) >= strHelper.lsObjNames.size()) continue;
        seNewObjTypes.insert(strHelper.lsObjNames[static_cast<std::size_t>(position)]);
        lsNewHdls.push_back(pObj->handle().ascii());
    }
}

// Names of the properties that the drawn kinds carry of their own.
std::set<std::u16string> OwnPropertyNames(const StrHelper& strHelper)
{
    std::set<std::u16string> names;
    for (const PropItemList* list : {&strHelper.lineDatas, &strHelper.pLineDatas, &strHelper.arcDatas,
                                     &strHelper.pointDatas, &strHelper.circleDatas, &strHelper.mTextDatas})
        for (const PropItem& item : *list) names.insert(item.name);
    return names;
}

std::map<std::u16string, std::u16string> DisplayNameMap(const RecordLists& rec)
{
    std::map<std::u16string, std::u16string> mpDisplayProps;
    for (std::size_t i = 0; i < rec.lsOrigNames.size(); ++i) mpDisplayProps[rec.lsOrigNames[i]] = rec.lsDisplayNames[i];
    return mpDisplayProps;
}

// Builds the engine's rows for the columns, with the names shown in the header.
void BuildShownRows(ExtractionEngine& engine, Texts lsPropsSel, const ColumnSetup& setup, const RecordLists& rec)
{
    TableData veTableDataOut;
    BlockIdMap mpBlockIds;
    engine.BuildTableData(lsPropsSel, setup.bQuantity, setup.bBlockName, setup.lsTotalHdr, setup.csGroupBy,
                          veTableDataOut, mpBlockIds);
    ApplyDisplayNames(veTableDataOut, DisplayNameMap(rec));
    engine.lsTableRows = std::move(veTableDataOut);
}

// The header as the table shows it, without the identifier column: what the record keeps.
Texts ShownHeaders(const ExtractionEngine& engine)
{
    if (engine.lsTableRows.empty() || engine.lsTableRows.front().empty()) return {};
    return Texts(engine.lsTableRows.front().begin() + 1, engine.lsTableRows.front().end());
}

// The objects the user picks for an add or a replace: their kinds, their handles in pick
// order, and an engine that has read them.
struct PickedObjects {
    std::set<std::u16string> seNewObjTypes;
    Texts lsNewHdls;
    ExtractionEngine newExtEngine;
};

std::optional<PickedObjects> PickAndReadObjects(CPnUiBaseDialog* pDialog, std::uint32_t promptId,
                                                const StrHelper& strHelper)
{
    SelectionSet ssNew;
    if (!PickObjects(pDialog, promptId, ssNew)) return std::nullopt;
    std::set<std::u16string> seNewObjTypes;
    Texts lsNewHdls;
    ClassifyPicked(ssNew, strHelper, seNewObjTypes, lsNewHdls);
    PickedObjects picked{std::move(seNewObjTypes), std::move(lsNewHdls),
                         ExtractionEngine(ssNew.name(), ssNew.length(), strHelper)};
    ssNew.free();
    return picked;
}

}  // namespace

void DeleteTableRows(QxDbTable* pTbl, std::vector<std::uint32_t> veRows)
{
    // From the bottom up, so that the rows still to delete keep their places.
    std::sort(veRows.begin(), veRows.end(), std::greater<>());
    veRows.erase(std::unique(veRows.begin(), veRows.end()), veRows.end());
    for (std::uint32_t r : veRows) {
        if (pTbl->deleteRows(r, 1) != Qxapp::eOk) continue;
        if (pTbl->generateLayout() != Qxapp::eOk) return;
    }
}

bool UpdateTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                     bool bGrouped, bool bHeaderHidden)
{
    std::uint32_t n = pTbl->numRows();
    const std::uint32_t m = pTbl->numColumns();
    bool bChanged = false;

    const bool bTotals = HasTotalsLine(pTbl, bHeaderHidden);
    std::vector<bool> vbTotalled(m, false);
    bool bTotalsEmpty = true;
    if (bTotals) {
        for (std::uint32_t c = 0; c < m; ++c) {
            vbTotalled[c] = !pTbl->textString(n - 1, c).empty();
            if (vbTotalled[c]) bTotalsEmpty = false;
        }
        n -= 2;
    }

    const TableData& rows = engine.lsTableRows;
    static const TableRow noHeader;
    const TableRow& header = rows.empty() ? noHeader : rows.front();
    const std::u16string& csPreview = engine.strHelper.blockPreviewItem.name;
    const std::uint32_t first = bHeaderHidden ? 1 : 2;
    std::vector<std::uint32_t> veStaleRows;
    std::vector<std::size_t> veStaleHdlPlaces;

    // A table row matches every built row with its handle (or, grouped, its group's value), in
    // build order; an index keeps large tables from comparing every row with every row.
    const std::size_t nKeyCell = bGrouped ? 1 : 0;
    std::unordered_map<std::u16string, std::vector<std::size_t>> rowsByKey;
    for (std::size_t i = 1; i < rows.size(); ++i) rowsByKey[CellOf(rows[i], nKeyCell)].push_back(i);

    for (std::uint32_t r = first; r < n; ++r) {
        const std::size_t k = r - first;
        const std::u16string csFirstCell = pTbl->textString(r, 0);
        // A table row past the recorded handles matches nothing.
        const std::u16string* pKey = bGrouped ? &csFirstCell : k < handles.size() ? &handles[k] : nullptr;
        const auto found = pKey ? rowsByKey.find(*pKey) : rowsByKey.end();
        if (found == rowsByKey.end()) {
            bChanged = true;
            veStaleRows.push_back(r);
            veStaleHdlPlaces.push_back(k);
            continue;
        }
        for (std::size_t i : found->second) {
            const TableRow& row = rows[i];
            for (std::uint32_t c = 0; c < m; ++c) {
                const std::u16string& csNew = CellOf(row, c + 1);
                if (csNew != pTbl->textString(r, c)) {
                    if (pTbl->setTextString(r, c, csNew.c_str()) != Qxapp::eOk) {
                        qxutPrintf(u"%s", kCellContentError);
                        return bChanged;
                    }
                    bChanged = true;
                } else if (CellOf(header, c + 1) == csPreview) {
                    pTbl->setTextString(r, c, u"");
                    SetPreviewBlock(pTbl, r, c, CellOf(row, 0), engine.mpBlockIds);
                }
            }
        }
    }

    // Rows go by place: two rows of identical objects look alike, and only the one whose
    // object is gone may go.
    DeleteTableRows(pTbl, veStaleRows);

    if (bTotals && bChanged && !bTotalsEmpty && pTbl->numRows() >= first + 2) {
        const std::uint32_t totalsRow = pTbl->numRows() - 1;
        TableData veCurrent;
        if (bHeaderHidden) {
            TableRow names;
            for (std::uint32_t c = 0; c < m; ++c) names.push_back(CellOf(engine.lsColNames, c + 1));
            veCurrent.push_back(std::move(names));
        } else {
            veCurrent.push_back(RowTexts(pTbl, 1));
        }
        for (std::uint32_t r = first; r + 1 < totalsRow; ++r) veCurrent.push_back(RowTexts(pTbl, r));
        Texts lsTotalCols;
        for (std::uint32_t c = 0; c < m; ++c) {
            const std::u16string& name = CellOf(veCurrent.front(), c);
            if (vbTotalled[c] && std::find(lsTotalCols.begin(), lsTotalCols.end(), name) == lsTotalCols.end())
                lsTotalCols.push_back(name);
        }
        const TableRow lsTotalLine = MakeTotalsLine(veCurrent, lsTotalCols);
        for (std::uint32_t c = 0; c < m && c < lsTotalLine.size(); ++c) {
            if (!vbTotalled[c] || lsTotalLine[c] == pTbl->textString(totalsRow, c)) continue;
            if (pTbl->setTextString(totalsRow, c, lsTotalLine[c].c_str()) != Qxapp::eOk) {
                qxutPrintf(u"%s", kCellContentError);
                return false;
            }
        }
    }

    std::sort(veStaleHdlPlaces.begin(), veStaleHdlPlaces.end(), std::greater<>());
    for (std::size_t k : veStaleHdlPlaces)
        if (k < handles.size()) handles.erase(handles.begin() + static_cast<std::ptrdiff_t>(k));
    return bChanged;
}

bool RebuildTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                      bool /*bGrouped*/, bool bHeaderHidden)
{
    const TableData& rows = engine.lsTableRows;
    if (rows.empty() || rows.front().size() < 2) return false;

    TableData veFinalTblDatas;
    veFinalTblDatas.push_back(bHeaderHidden ? engine.lsColNames : rows.front());
    // Rows in build order, each as many times as its handle is listed.
    std::unordered_map<std::u16string, std::size_t> mpListed;
    for (const std::u16string& csHdl : handles) ++mpListed[csHdl];
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto listed = mpListed.find(CellOf(rows[i], 0));
        if (listed == mpListed.end()) continue;
        for (std::size_t n = 0; n < listed->second; ++n) veFinalTblDatas.push_back(rows[i]);
    }

    if (HasTotalsLine(pTbl, bHeaderHidden)) {
        // Totalable columns are found by their property names, so that a renamed column keeps
        // its total.
        const bool bNamesFit = engine.lsColNames.size() == rows.front().size();
        TableData veForTotals = veFinalTblDatas;
        veForTotals.front() = bNamesFit ? engine.lsColNames : rows.front();
        Texts veTotalCols;
        for (const std::u16string& name : veForTotals.front()) {
            PropItem probe;
            probe.name = name;
            const auto offered = engine.seHeaders.find(probe);
            const bool bTotalable = (offered != engine.seHeaders.end() && offered->totalable) ||
                                    name == engine.strHelper.quantityItem.name;
            if (bTotalable && std::find(veTotalCols.begin(), veTotalCols.end(), name) == veTotalCols.end())
                veTotalCols.push_back(name);
        }
        const TableRow lsTotalLine = MakeTotalsLine(veForTotals, veTotalCols);
        if (!lsTotalLine.empty()) {
            veFinalTblDatas.push_back(TableRow(veFinalTblDatas.front().size()));
            veFinalTblDatas.push_back(lsTotalLine);
        }
    }

    const auto nRows = static_cast<std::uint32_t>(veFinalTblDatas.size() + 1 - (bHeaderHidden ? 1 : 0));
    const auto nCols = static_cast<std::uint32_t>(rows.front().size() - 1);
    if (!ResizeTable(pTbl, nRows, nCols)) return false;
    ClearTableCells(pTbl, pTbl->numRows(), pTbl->numColumns());
    RefillTable(veFinalTblDatas, engine.mpBlockIds, pTbl, engine.strHelper.blockPreviewItem.name, bHeaderHidden);

    handles.clear();
    for (std::size_t i = 1; i < veFinalTblDatas.size(); ++i)
        if (!CellOf(veFinalTblDatas[i], 0).empty()) handles.push_back(veFinalTblDatas[i][0]);
    return true;
}

void RefreshTable(const StrHelper& strHelper, QxDbObjectId idTbl)
{
    RecordLists rec;
    if (!ReadRecord(idTbl, kUseHandlesAndTypes | kUseReplaced, rec)) return;

    SelectionSet ssAll;
    if (!ssAll.select(u"A")) return;
    QxDbTable* pTbl = OpenTableForWrite(idTbl);
    if (!pTbl) return;
    bool bChanged = false;
    {
        QxDbObjectCloser<QxDbTable> closer(pTbl);
        ExtractionEngine extEngine(ssAll.name(), ssAll.length(), strHelper, rec.veReplHdl);
        ssAll.free();
        extEngine.OfferedProperties(rec.lsObjects);

        const ColumnSetup setup = ReadColumnSetup(pTbl, rec, strHelper);
        Texts lsPropsSel = setup.lsPropsSel;
        TableData veTableDataOut;
        BlockIdMap mpBlockIds;
        extEngine.BuildTableData(lsPropsSel, setup.bQuantity, setup.bBlockName, setup.lsTotalHdr, setup.csGroupBy,
                                 veTableDataOut, mpBlockIds);
        bChanged = UpdateTableRows(extEngine, pTbl, rec.veHdls, setup.bGrouped, setup.bHeaderHidden);
    }
    ReplaceRecordList(idTbl, csAppHdls, rec.veHdls);
    PrintUpdated(bChanged);
}

void AddObjectsToTable(CPnUiBaseDialog* pDialog, const StrHelper& strHelper, QxDbObjectId idTbl)
{
    std::optional<PickedObjects> picked = PickAndReadObjects(pDialog, kIdsSelectNewObjects, strHelper);
    if (!picked) return;
    auto& [seNewObjTypes, lsNewHdls, newExtEngine] = *picked;

    RecordLists rec;
    if (!ReadRecord(idTbl, kUseHandlesAndTypes, rec)) return;

    std::set<std::u16string> seObjTypes(rec.lsObjects.begin(), rec.lsObjects.end());
    seObjTypes.insert(seNewObjTypes.begin(), seNewObjTypes.end());
    const Texts veObjTypes(seObjTypes.begin(), seObjTypes.end());

    Texts veFinalHdls = rec.veHdls;
    bool bAppended = false;
    for (const std::u16string& csHdl : lsNewHdls) {
        if (std::find(rec.veHdls.begin(), rec.veHdls.end(), csHdl) != rec.veHdls.end()) continue;
        if (std::find(veFinalHdls.begin(), veFinalHdls.end(), csHdl) != veFinalHdls.end()) continue;
        veFinalHdls.push_back(csHdl);
        bAppended = true;
    }
    if (!bAppended) {
        PrintUpdated(false);
        return;
    }

    SelectionSet ssAll;
    if (!ssAll.select(u"A")) return;
    QxDbTable* pTbl = OpenTableForWrite(idTbl);
    if (!pTbl) return;
    bool bRewritten = false;
    Texts veShownHeaders;
    {
        QxDbObjectCloser<QxDbTable> closer(pTbl);
        ExtractionEngine extEngine(ssAll.name(), ssAll.length(), strHelper, veFinalHdls);
        ssAll.free();
        extEngine.OfferedProperties(veObjTypes);
        const PropItemSet seNewProps =
            newExtEngine.OfferedProperties(Texts(seNewObjTypes.begin(), seNewObjTypes.end()));

        const ColumnSetup setup = ReadColumnSetup(pTbl, rec, strHelper);
        std::set<std::u16string> seTmpProps(setup.lsPropsSel.begin(), setup.lsPropsSel.end());
        if (!setup.bGrouped) {
            if (seNewObjTypes.count(strHelper.lsObjNames.front())) seTmpProps.insert(strHelper.blockNameItem.name);
            for (const PropItem& item : newExtEngine.seBlockProps) seTmpProps.insert(item.name);
            const std::set<std::u16string> ownNames = OwnPropertyNames(strHelper);
            for (const PropItem& item : seNewProps)
                if (ownNames.count(item.name)) seTmpProps.insert(item.name);
        }
        ColumnSetup built = setup;
        built.lsPropsSel.assign(seTmpProps.begin(), seTmpProps.end());
        built.bQuantity = seTmpProps.count(strHelper.quantityItem.name) != 0;
        built.bBlockName = seTmpProps.count(strHelper.blockNameItem.name) != 0;
        BuildShownRows(extEngine, built.lsPropsSel, built, rec);
        bRewritten = RebuildTableRows(extEngine, pTbl, veFinalHdls, setup.bGrouped, setup.bHeaderHidden);
        veShownHeaders = ShownHeaders(extEngine);
    }
    if (!bRewritten) return;
    ReplaceRecordList(idTbl, csAppHdls, veFinalHdls);
    ReplaceRecordList(idTbl, csAppObjTypes, veObjTypes);
    ReplaceRecordList(idTbl, csTbHeaders, veShownHeaders);
    PrintUpdated(true);
}

void ReplaceTableSelection(CPnUiBaseDialog* pDialog, const StrHelper& strHelper, QxDbObjectId idTbl)
{
    std::optional<PickedObjects> picked = PickAndReadObjects(pDialog, kIdsYourNewSelection, strHelper);
    if (!picked) return;
    auto& [seNewObjTypes, lsNewHdls, newExtEngine] = *picked;

    RecordLists rec;
    if (!ReadRecord(idTbl, 0, rec)) return;
    // A table left without objects could never be updated again: nothing the engine reads
    // was picked, so the table stays as it is.
    if (lsNewHdls.empty()) {
        PrintUpdated(false);
        return;
    }
    const Texts veObjTypes(seNewObjTypes.begin(), seNewObjTypes.end());
    Texts veFinalHdls = lsNewHdls;

    QxDbTable* pTbl = OpenTableForWrite(idTbl);
    if (!pTbl) return;
    bool bRewritten = false;
    {
        QxDbObjectCloser<QxDbTable> closer(pTbl);
        newExtEngine.OfferedProperties(veObjTypes);
        const ColumnSetup setup = ReadColumnSetup(pTbl, rec, strHelper);
        BuildShownRows(newExtEngine, setup.lsPropsSel, setup, rec);
        bRewritten = RebuildTableRows(newExtEngine, pTbl, veFinalHdls, setup.bGrouped, setup.bHeaderHidden);
    }
    if (!bRewritten) return;
    ReplaceRecordList(idTbl, csAppHdls, veFinalHdls);
    ReplaceRecordList(idTbl, csAppObjTypes, veObjTypes);
    ReplaceRecordList(idTbl, csAppReplacedHdls, lsNewHdls);
    PrintUpdated(true);
}
