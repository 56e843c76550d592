// The table update command's three actions: refresh, add, replace (the export is in
// update_export.cpp).
#include "output/update_command.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>

#include "host/database.h"
#include "host/editor.h"
#include "host/ui.h"
#include "engine/entity_kinds.h"
#include "module/strings.h"
#include "resources/string_ids.h"
#include "output/catalogue_names.h"
#include "output/drawing_table.h"
#include "output/extraction_record.h"
#include "output/object_picking.h"
#include "output/selection_set.h"
#include "output/update_columns.h"
#include "output/update_record.h"

namespace {

void PrintRes(std::uint32_t id) { qxutPrintf(u"%s", LoadResString(id).c_str()); }
void PrintUpdated(bool bChanged) { PrintRes(bChanged ? kIdsTableUpdated : kIdsTableUpToDate); }

// Opens the table of the record for write; closed by the caller.
QxDbTable* OpenTableForWrite(QxDbObjectId idTbl)
{
    QxDbTable* pTbl = nullptr;
    if (qxdbOpenObject(pTbl, idTbl, QxDb::kForWrite) != Qxapp::eOk) return nullptr;
    return pTbl;
}

// Names of the geometry properties of lines, polylines, arcs, points and circles (multi-line
// texts are not among them: their list shares names, such as the rotation, with blocks).
std::set<std::u16string> OwnPropertyNames(const StrHelper& strHelper)
{
    std::set<std::u16string> names;
    for (const EntityKind& kind : EntityKinds()) {
        if (!kind.ownNames || kind.code == kTypeBlock || kind.code == kTypeMText) continue;
        for (const PropItem& item : strHelper.*kind.ownNames) names.insert(item.name);
    }
    return names;
}


// The objects of every row, for the handle filter of a combined table's refresh.
Texts AllMembers(const std::vector<Texts>& veRowMembers)
{
    Texts lsAll;
    for (const Texts& members : veRowMembers) lsAll.insert(lsAll.end(), members.begin(), members.end());
    return lsAll;
}

// Today's refresh, for records written before they said how the table was written, and for
// rows grouped by a property.
bool RefreshGuessedTable(ExtractionEngine& extEngine, QxDbTable* pTbl, const ColumnSetup& setup, RecordLists& rec)
{
    Texts lsPropsSel = setup.lsPropsSel;
    TableData veTableDataOut;
    BlockIdMap mpBlockIds;
    extEngine.BuildTableData(lsPropsSel, setup.bQuantity, setup.bBlockName, setup.lsTotalHdr, setup.csGroupBy,
                             veTableDataOut, mpBlockIds);
    // The columns of a record written before the column order was recorded are the engine's.
    return UpdateTableRows(extEngine, pTbl, rec.veHdls, setup.bGrouped, setup.bHeaderHidden);
}

}  // namespace

void RefreshTable(const StrHelper& strHelper, QxDbObjectId idTbl)
{
    const CatalogueNames names(strHelper);
    RecordLists rec;
    if (!ReadUsableRecord(idTbl, kUseHandlesAndTypes | kUseReplaced, names, rec)) return;

    SelectionSet ssAll;
    if (!ssAll.select(u"A")) return;
    QxDbTable* pTbl = OpenTableForWrite(idTbl);
    if (!pTbl) return;
    const bool bWritten = rec.bHeaderShown.has_value();
    bool bChanged = false;
    WantedRows wanted;
    {
        QxDbObjectCloser<QxDbTable> closer(pTbl);
        const ColumnSetup setup = ReadColumnSetup(pTbl, rec, strHelper, names);
        const std::optional<DataRows> dataRows = ReadDataRows(pTbl, setup);
        std::optional<std::u16string> misfit = RecordMisfit(pTbl, rec, setup, dataRows, true);
        // A combined table reads the objects its rows count; any other the recorded selection.
        const Texts& lsFilter = rec.bHasMembers ? AllMembers(rec.veRowMembers) : rec.veReplHdl;
        ExtractionEngine extEngine(ssAll.name(), ssAll.length(), strHelper, lsFilter.empty() ? Texts{u""} : lsFilter);
        ssAll.free();
        extEngine.OfferedProperties(rec.lsObjects);
        if (!misfit) misfit = UnknownColumn(extEngine, setup, rec, names);
        if (misfit) {
            PrintRefused(*misfit);
            return;
        }
        if (bWritten && !setup.bGrouped) {
            bChanged = RefreshWrittenTable(extEngine, pTbl, setup, *dataRows, rec, wanted);
        } else {
            bChanged = RefreshGuessedTable(extEngine, pTbl, setup, rec);
            wanted.veHdls = rec.veHdls;
        }
    }
    ReplaceRecordList(idTbl, csAppHdls, HandleItems(wanted.veHdls));
    if (rec.bHasMembers) ReplaceRecordList(idTbl, csRowMembers, RowMembersItems(wanted.veMembers));
    PrintUpdated(bChanged);
}

namespace {

// Every cell of the table, to tell whether a rebuild changed anything.
TableData AllCells(const QxDbTable* pTbl)
{
    TableData cells;
    for (std::uint32_t r = 0; r < pTbl->numRows(); ++r) cells.push_back(RowTexts(pTbl, r));
    return cells;
}

// What a rebuild leaves for the record.
struct Rebuilt {
    bool bChanged = false;
    bool bTotals = false;
    Texts veHdls;
    bool bCombined = false;
    std::vector<Texts> veMembers;  // only when rows were combined
    Texts veShownHeaders;
    Texts lsColumns;  // the property names of the rebuilt columns
};

// Puts the built columns in the order of `lsNames`, the table's own followed by any added: the
// engine puts the object type, quantity and block name first, which would undo the user's
// arrangement. Left as built when the names are not those of the build.
void OrderColumnsAs(ExtractionEngine& engine, const Texts& lsNames)
{
    const Texts& built = engine.lsColNames;
    if (built.empty() || built.size() != lsNames.size() + 1) return;
    std::vector<std::size_t> from{0};  // the handles stay in cell 0
    std::vector<bool> taken(built.size(), false);
    for (const std::u16string& csName : lsNames) {
        std::size_t k = 1;
        while (k < built.size() && (taken[k] || built[k] != csName)) ++k;
        if (k == built.size()) return;
        taken[k] = true;
        from.push_back(k);
    }
    const auto reorder = [&from](TableRow& row) {
        if (row.size() != from.size()) return;
        TableRow ordered;
        ordered.reserve(row.size());
        for (std::size_t k : from) ordered.push_back(std::move(row[k]));
        row = std::move(ordered);
    };
    reorder(engine.lsColNames);
    for (TableRow& row : engine.lsTableRows) reorder(row);
}

// Rebuilds the table from the engine's rows (already built, display names applied) for the
// objects `veHdls`, in the columns of `built`; combined rows stand for all their objects.
bool RebuildFromEngine(ExtractionEngine& engine, QxDbTable* pTbl, const ColumnSetup& built, Texts veHdls,
                       Rebuilt& rebuilt)
{
    const TableData before = AllCells(pTbl);
    const std::map<std::u16string, Texts> members = CombinedRowMembers(engine);
    if (!built.bGrouped) OrderColumnsAs(engine, built.lsPropsSel);
    if (engine.bRowsCombined) {
        veHdls.clear();
        for (std::size_t i = 1; i < engine.lsTableRows.size(); ++i) veHdls.push_back(CellOf(engine.lsTableRows[i], 0));
    }
    rebuilt.bTotals = built.bTotals;
    if (!RebuildTableRows(engine, pTbl, veHdls, built.bHeaderHidden, built.lsTotalHdr, rebuilt.bTotals)) return false;
    rebuilt.bChanged = AllCells(pTbl) != before;
    rebuilt.veHdls = veHdls;
    rebuilt.bCombined = engine.bRowsCombined;
    if (engine.bRowsCombined)
        for (const std::u16string& csHdl : veHdls) {
            const auto found = members.find(csHdl);
            rebuilt.veMembers.push_back(found != members.end() ? found->second : Texts{csHdl});
        }
    rebuilt.veShownHeaders = ShownHeaders(engine);
    if (!engine.lsColNames.empty()) rebuilt.lsColumns.assign(engine.lsColNames.begin() + 1, engine.lsColNames.end());
    return true;
}

// Writes what a rebuild changed into the record; keys the record did not have before stay
// absent, so that a record written before them keeps being updated as it always was.
void WriteRebuiltRecord(QxDbObjectId idTbl, const RecordLists& rec, const ColumnSetup& setup, const Rebuilt& rebuilt)
{
    ReplaceRecordList(idTbl, csAppHdls, HandleItems(rebuilt.veHdls));
    if (rec.bHeaderShown)
        ReplaceRecordList(idTbl, csTbLayout, {setup.bHeaderHidden ? u"0" : u"1", rebuilt.bTotals ? u"1" : u"0"});
    if (!rec.lsTbColumns.empty()) ReplaceRecordList(idTbl, csTbColumns, rebuilt.lsColumns);
    if (rec.bHeaderShown || rec.bHasMembers) {
        if (!rebuilt.bCombined)
            RemoveRecordItems(idTbl, csRowMembers);
        else
            ReplaceRecordList(idTbl, csRowMembers, RowMembersItems(rebuilt.veMembers));
    }
}

// Checks the record against the table before an add or a replace changes it.
bool RecordFitsTable(const QxDbTable* pTbl, const RecordLists& rec, const ColumnSetup& setup, bool bHandlesUsed)
{
    const std::optional<std::u16string> misfit =
        RecordMisfit(pTbl, rec, setup, ReadDataRows(pTbl, setup), bHandlesUsed);
    if (misfit) PrintRefused(*misfit);
    return !misfit;
}

}  // namespace

namespace {

// Attribute tags and dynamic property names carried by the block references among `handles`.
std::set<std::u16string> BlockPropertyNamesOf(const ExtractionEngine& engine, const Texts& handles)
{
    const std::set<std::u16string> wanted(handles.begin(), handles.end());
    std::set<std::u16string> names;
    for (const BlockEntity& block : engine.lsBlockEnts.items()) {
        if (!wanted.count(block.handle)) continue;
        for (const PropertyPair& pair : block.lsAttributs) names.insert(pair.name);
        for (const PropertyPair& pair : block.lsProps) names.insert(pair.name);
    }
    return names;
}

// The columns added objects bring: what the table's own objects could not offer when the user
// chose its columns. That is the block name and the geometry of a kind new to the table, and
// the tags none of its blocks carries; a column the user left out stays out.
std::set<std::u16string> ColumnsBroughtBy(const PickedObjects& picked, const RecordLists& rec,
                                          const ExtractionEngine& tableObjects, const Texts& veOldHdls,
                                          const StrHelper& strHelper)
{
    Texts lsNewKinds;
    for (const std::u16string& csKind : picked.seNewObjTypes)
        if (!Contains(rec.lsObjects, csKind)) lsNewKinds.push_back(csKind);
    std::set<std::u16string> brought;
    if (Contains(lsNewKinds, strHelper.KindName(kTypeBlock))) brought.insert(strHelper.blockNameItem.name);
    const std::set<std::u16string> oldTags = BlockPropertyNamesOf(tableObjects, veOldHdls);
    for (const PropItem& item : picked.newExtEngine.seBlockProps)
        if (!oldTags.count(item.name)) brought.insert(item.name);
    ExtractionEngine newKinds = picked.newExtEngine;  // shares the records, keeps the pick's offer intact
    const std::set<std::u16string> geometryNames = OwnPropertyNames(strHelper);
    for (const PropItem& item : newKinds.OfferedProperties(lsNewKinds))
        if (geometryNames.count(item.name)) brought.insert(item.name);
    return brought;
}

// The columns a table is rebuilt with: the shown ones in the table's order (hidden columns
// stay out), then those in `seAdded` the table lacks, in name order; grouped rows take none.
ColumnSetup RebuiltColumns(const ColumnSetup& setup, const std::set<std::u16string>& seAdded,
                           const StrHelper& strHelper)
{
    ColumnSetup built = setup;
    built.lsPropsSel = ShownNames(setup);
    if (!setup.bGrouped)
        for (const std::u16string& csName : seAdded)
            if (!Contains(built.lsPropsSel, csName)) built.lsPropsSel.push_back(csName);
    built.bQuantity = setup.bQuantity && Contains(built.lsPropsSel, strHelper.quantityItem.name);
    built.bBlockName = Contains(built.lsPropsSel, strHelper.blockNameItem.name);
    return built;
}

}  // namespace

void AddObjectsToTable(CPnUiBaseDialog* pDialog, const StrHelper& strHelper, QxDbObjectId idTbl)
{
    std::optional<PickedObjects> picked = PickAndReadObjects(pDialog, kIdsSelectNewObjects, strHelper);
    if (!picked) return;
    auto& [seNewObjTypes, lsNewHdls, newExtEngine] = *picked;

    const CatalogueNames names(strHelper);
    RecordLists rec;
    if (!ReadUsableRecord(idTbl, kUseHandlesAndTypes, names, rec)) return;

    std::set<std::u16string> seObjTypes(rec.lsObjects.begin(), rec.lsObjects.end());
    seObjTypes.insert(seNewObjTypes.begin(), seNewObjTypes.end());
    const Texts veObjTypes(seObjTypes.begin(), seObjTypes.end());

    // A combined row stands for all its objects: they all stay counted.
    const Texts veOldHdls = rec.bHasMembers ? AllMembers(rec.veRowMembers) : rec.veHdls;
    Texts veFinalHdls = veOldHdls;
    bool bAppended = false;
    for (const std::u16string& csHdl : lsNewHdls) {
        if (Contains(veFinalHdls, csHdl)) continue;
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
    Rebuilt rebuilt;
    ColumnSetup setup;
    {
        QxDbObjectCloser<QxDbTable> closer(pTbl);
        setup = ReadColumnSetup(pTbl, rec, strHelper, names);
        if (!RecordFitsTable(pTbl, rec, setup, true)) return;
        ExtractionEngine extEngine(ssAll.name(), ssAll.length(), strHelper, veFinalHdls);
        ssAll.free();
        extEngine.OfferedProperties(veObjTypes);
        const ColumnSetup built =
            RebuiltColumns(setup, ColumnsBroughtBy(*picked, rec, extEngine, veOldHdls, strHelper), strHelper);
        BuildShownRows(extEngine, built.lsPropsSel, built, rec);
        if (!RebuildFromEngine(extEngine, pTbl, built, veFinalHdls, rebuilt)) return;
    }
    WriteRebuiltRecord(idTbl, rec, setup, rebuilt);
    ReplaceRecordList(idTbl, csAppObjTypes, veObjTypes);
    ReplaceRecordList(idTbl, csTbHeaders, rebuilt.veShownHeaders);
    PrintUpdated(rebuilt.bChanged);
}

void ReplaceTableSelection(CPnUiBaseDialog* pDialog, const StrHelper& strHelper, QxDbObjectId idTbl)
{
    std::optional<PickedObjects> picked = PickAndReadObjects(pDialog, kIdsYourNewSelection, strHelper);
    if (!picked) return;
    auto& [seNewObjTypes, lsNewHdls, newExtEngine] = *picked;

    const CatalogueNames names(strHelper);
    RecordLists rec;
    if (!ReadUsableRecord(idTbl, 0, names, rec)) return;
    // A table left without objects could never be updated again: nothing the engine reads
    // was picked, so the table stays as it is.
    if (lsNewHdls.empty()) {
        PrintUpdated(false);
        return;
    }
    const Texts veObjTypes(seNewObjTypes.begin(), seNewObjTypes.end());

    QxDbTable* pTbl = OpenTableForWrite(idTbl);
    if (!pTbl) return;
    Rebuilt rebuilt;
    ColumnSetup setup;
    {
        QxDbObjectCloser<QxDbTable> closer(pTbl);
        setup = ReadColumnSetup(pTbl, rec, strHelper, names);
        if (!RecordFitsTable(pTbl, rec, setup, false)) return;
        newExtEngine.OfferedProperties(veObjTypes);
        const ColumnSetup built = RebuiltColumns(setup, {}, strHelper);
        BuildShownRows(newExtEngine, built.lsPropsSel, built, rec);
        if (!RebuildFromEngine(newExtEngine, pTbl, built, lsNewHdls, rebuilt)) return;
    }
    WriteRebuiltRecord(idTbl, rec, setup, rebuilt);
    ReplaceRecordList(idTbl, csAppObjTypes, veObjTypes);
    ReplaceRecordList(idTbl, csAppReplacedHdls, lsNewHdls);
    PrintUpdated(rebuilt.bChanged);
}
