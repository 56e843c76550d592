// Matching the table's rows to the rows the engine builds: which rows an update wants, writing
// them and the totals line, and the record of a table as written.
#include "output/update_rows.h"

#include <algorithm>
#include <unordered_map>

#include "engine/number_text.h"
#include "host/database.h"
#include "host/editor.h"
#include "output/drawing_table.h"
#include "output/table_size_check.h"

namespace {

// The engine's built row as the table's columns show it.
TableRow CellsOfColumns(const TableRow& row, const std::vector<std::ptrdiff_t>& vnColumn)
{
    TableRow cells;
    cells.reserve(vnColumn.size());
    for (std::ptrdiff_t k : vnColumn) cells.push_back(k < 0 ? std::u16string() : CellOf(row, std::size_t(k)));
    return cells;
}

std::vector<std::ptrdiff_t> ColumnsInEngine(const ExtractionEngine& engine, const Texts& lsPropsSel)
{
    std::vector<std::ptrdiff_t> vnColumn;
    for (const std::u16string& name : lsPropsSel) {
        const auto it = std::find(engine.lsColNames.begin(), engine.lsColNames.end(), name);
        vnColumn.push_back(it == engine.lsColNames.end() ? -1 : it - engine.lsColNames.begin());
    }
    return vnColumn;
}

// One row per recorded handle whose object is still read, in the table's order.
WantedRows RowsByHandle(const ExtractionEngine& engine, const Texts& veHdls,
                        const std::vector<std::ptrdiff_t>& vnColumn)
{
    std::unordered_map<std::u16string, std::size_t> rowOf;
    for (std::size_t i = 1; i < engine.lsTableRows.size(); ++i) rowOf.emplace(CellOf(engine.lsTableRows[i], 0), i);
    WantedRows wanted;
    for (const std::u16string& csHdl : veHdls) {
        const auto it = rowOf.find(csHdl);
        if (it == rowOf.end()) continue;
        wanted.veCells.push_back(CellsOfColumns(engine.lsTableRows[it->second], vnColumn));
        wanted.veHdls.push_back(csHdl);
    }
    return wanted;
}

// Combined rows of the objects still read, each counting its objects once. A row keeps the
// place of the first table row that counted one of its objects, so a refresh keeps the order
// the user gave the table; rows that split off follow in the engine's order.
WantedRows CombinedRowsInTableOrder(const ExtractionEngine& engine, const std::vector<Texts>& veOldMembers,
                                    const std::vector<std::ptrdiff_t>& vnColumn)
{
    std::unordered_map<std::u16string, std::size_t> oldPlace;
    for (std::size_t j = 0; j < veOldMembers.size(); ++j)
        for (const std::u16string& csHdl : veOldMembers[j]) oldPlace.emplace(csHdl, j);
    const std::map<std::u16string, Texts> members = CombinedRowMembers(engine);

    std::vector<std::pair<std::size_t, std::size_t>> order;  // (old place, engine row)
    for (std::size_t i = 1; i < engine.lsTableRows.size(); ++i) {
        std::size_t place = veOldMembers.size();
        const auto found = members.find(CellOf(engine.lsTableRows[i], 0));
        if (found != members.end())
            for (const std::u16string& csHdl : found->second)
                if (const auto at = oldPlace.find(csHdl); at != oldPlace.end()) place = std::min(place, at->second);
        order.emplace_back(place, i);
    }
    std::stable_sort(order.begin(), order.end());
    WantedRows wanted;
    for (const auto& [place, i] : order) {
        const TableRow& row = engine.lsTableRows[i];
        wanted.veCells.push_back(CellsOfColumns(row, vnColumn));
        wanted.veHdls.push_back(CellOf(row, 0));
        const auto found = members.find(CellOf(row, 0));
        wanted.veMembers.push_back(found != members.end() ? found->second : Texts{CellOf(row, 0)});
    }
    return wanted;
}

bool SetCellText(QxDbTable* pTbl, std::uint32_t r, std::uint32_t c, const std::u16string& csValue, bool& bChanged)
{
    const std::u16string csText = CellText(csValue);
    if (pTbl->textString(r, c) == csText && pTbl->cellType(r, c) == QxDb::kTextCell) return true;
    if (pTbl->setTextString(r, c, csText.c_str()) != Qxapp::eOk) {
        PrintCellContentError();
        return false;
    }
    bChanged = true;
    return true;
}

// Gives a preview cell the block of its row's object, when it does not show it already.
void SetPreviewCell(QxDbTable* pTbl, std::uint32_t r, std::uint32_t c, const std::u16string& csHdl,
                    const BlockIdMap& mpBlockIds, bool& bChanged)
{
    const auto it = mpBlockIds.find(csHdl);
    const QxDbObjectId idBlock = it == mpBlockIds.end() ? QxDbObjectId::kNull : it->second;
    if (pTbl->cellType(r, c) == QxDb::kBlockCell && pTbl->blockTableRecordId(r, c) == idBlock) return;
    if (idBlock == QxDbObjectId::kNull) {
        if (pTbl->cellType(r, c) == QxDb::kTextCell && pTbl->textString(r, c).empty()) return;
        pTbl->setTextString(r, c, u"");
    } else {
        pTbl->setBlockTableRecordId(r, c, idBlock, true);
    }
    bChanged = true;
}

// Brings the data rows of the table to the wanted rows: rows added or removed at the end of
// the data, then every cell that differs set. The header line is never touched (the user may
// have edited it). True when anything changed; `bFailed` when a cell could not be set.
bool WriteWantedRows(QxDbTable* pTbl, const DataRows& dataRows, const WantedRows& wanted,
                     const std::vector<bool>& vbPreview, const BlockIdMap& mpBlockIds, bool& bFailed)
{
    bool bChanged = false;
    const auto nWanted = static_cast<std::uint32_t>(wanted.veCells.size());
    const std::uint32_t nOld = dataRows.count();
    if (nWanted < nOld) {
        pTbl->deleteRows(dataRows.first + nWanted, nOld - nWanted);
        bChanged = true;
    } else if (nWanted > nOld) {
        const std::uint32_t above = dataRows.first + nOld - 1;
        pTbl->insertRows(dataRows.first + nOld, pTbl->rowHeight(above), nWanted - nOld);
        bChanged = true;
    }
    if (bChanged) pTbl->generateLayout();
    for (std::uint32_t j = 0; j < nWanted; ++j) {
        const std::uint32_t r = dataRows.first + j;
        for (std::uint32_t c = 0; c < pTbl->numColumns(); ++c) {
            if (c < vbPreview.size() && vbPreview[c]) {
                SetPreviewCell(pTbl, r, c, wanted.veHdls[j], mpBlockIds, bChanged);
            } else if (!SetCellText(pTbl, r, c, CellOf(wanted.veCells[j], c), bChanged)) {
                bFailed = true;
                return bChanged;
            }
        }
    }
    return bChanged;
}

// Recomputes the totals line (the table's last row) of the columns that show a total, from
// the wanted rows.
bool WriteTotalsLine(QxDbTable* pTbl, const Texts& lsPropsSel, const std::u16string& csQuantityName,
                     const std::vector<bool>& vbTotalled, const WantedRows& wanted, bool& bFailed)
{
    TableData veForTotals;
    veForTotals.push_back(lsPropsSel);
    veForTotals.insert(veForTotals.end(), wanted.veCells.begin(), wanted.veCells.end());
    // A combined row counts all its objects, even when its quantity column is not shown.
    if (!wanted.veMembers.empty() && !Contains(lsPropsSel, csQuantityName)) {
        veForTotals.front().push_back(csQuantityName);
        for (std::size_t r = 0; r < wanted.veMembers.size(); ++r)
            veForTotals[r + 1].push_back(FormatG(static_cast<double>(wanted.veMembers[r].size())));
    }
    Texts lsTotalCols;
    for (std::size_t c = 0; c < vbTotalled.size() && c < lsPropsSel.size(); ++c)
        if (vbTotalled[c] && !Contains(lsTotalCols, lsPropsSel[c])) lsTotalCols.push_back(lsPropsSel[c]);
    const TableRow lsTotalLine = MakeTotalsLine(veForTotals, lsTotalCols, csQuantityName);
    const std::uint32_t totalsRow = pTbl->numRows() - 1;
    bool bChanged = false;
    for (std::uint32_t c = 0; c < vbTotalled.size() && c < pTbl->numColumns(); ++c) {
        if (!vbTotalled[c]) continue;
        if (!SetCellText(pTbl, totalsRow, c, CellOf(lsTotalLine, c), bChanged)) {
            bFailed = true;
            break;
        }
    }
    return bChanged;
}

}  // namespace

// Refreshes a table whose record says how it was written: its rows become those of the
// objects still read, in the table's order, and its totals those of these rows.
bool RefreshWrittenTable(ExtractionEngine& engine, QxDbTable* pTbl, const ColumnSetup& setup,
                         const DataRows& dataRows, const RecordLists& rec, WantedRows& wanted)
{
    const std::vector<bool> vbTotalled = TotalledColumns(pTbl, setup.bTotals);
    if (!rec.veHdls.empty()) {
        Texts lsPropsSel = setup.lsPropsSel;
        TableData veTableDataOut;
        BlockIdMap mpBlockIds;
        engine.BuildTableData(lsPropsSel, setup.bQuantity, setup.bBlockName, setup.lsTotalHdr, u"", veTableDataOut,
                              mpBlockIds);
        const std::vector<std::ptrdiff_t> vnColumn = ColumnsInEngine(engine, ShownNames(setup));
        wanted = rec.bHasMembers ? CombinedRowsInTableOrder(engine, rec.veRowMembers, vnColumn)
                                 : RowsByHandle(engine, rec.veHdls, vnColumn);
    }
    std::vector<bool> vbPreview;
    for (const std::u16string& name : ShownNames(setup))
        vbPreview.push_back(name == engine.strHelper.blockPreviewItem.name);
    bool bFailed = false;
    bool bChanged = WriteWantedRows(pTbl, dataRows, wanted, vbPreview, engine.mpBlockIds, bFailed);
    if (!bFailed && setup.bTotals)
        bChanged = WriteTotalsLine(pTbl, ShownNames(setup), engine.strHelper.quantityItem.name, vbTotalled, wanted, bFailed) || bChanged;
    if (bChanged) pTbl->generateLayout();
    return bChanged;
}


void DeleteTableRows(QxDbTable* pTbl, std::vector<std::uint32_t> veRows)
{
    if (veRows.empty()) return;
    // From the bottom up, so that the rows still to delete keep their places; neighbouring
    // rows go together, and the layout is made once: each deletion reshapes the whole grid.
    std::sort(veRows.begin(), veRows.end(), std::greater<>());
    veRows.erase(std::unique(veRows.begin(), veRows.end()), veRows.end());
    for (std::size_t i = 0; i < veRows.size();) {
        std::size_t j = i + 1;
        while (j < veRows.size() && veRows[j] + 1 == veRows[j - 1]) ++j;
        pTbl->deleteRows(veRows[j - 1], static_cast<std::uint32_t>(j - i));
        i = j;
    }
    pTbl->generateLayout();
}

namespace {

// What rewriting the matched rows found: the rows whose objects are gone (and their places
// among the handles), whether anything changed, whether a cell could not be written.
struct RowMatch {
    std::vector<std::uint32_t> veStaleRows;
    std::vector<std::size_t> veStaleHdlPlaces;
    bool bChanged = false;
    bool bFailed = false;
};

// Rewrites every data row [first, n) from the built rows it matches; collects the rows that
// match none.
RowMatch RewriteMatchedRows(const ExtractionEngine& engine, QxDbTable* pTbl, const std::vector<std::u16string>& handles,
                            bool bGrouped, std::uint32_t first, std::uint32_t n)
{
    const std::uint32_t m = pTbl->numColumns();
    const TableData& rows = engine.lsTableRows;
    static const TableRow noHeader;
    const TableRow& header = rows.empty() ? noHeader : rows.front();
    const std::u16string& csPreview = engine.strHelper.blockPreviewItem.name;
    RowMatch match;

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
            match.bChanged = true;
            match.veStaleRows.push_back(r);
            match.veStaleHdlPlaces.push_back(k);
            continue;
        }
        for (std::size_t i : found->second) {
            const TableRow& row = rows[i];
            for (std::uint32_t c = 0; c < m; ++c) {
                const std::u16string csNew = CellText(CellOf(row, c + 1));
                if (csNew != pTbl->textString(r, c)) {
                    if (pTbl->setTextString(r, c, csNew.c_str()) != Qxapp::eOk) {
                        PrintCellContentError();
                        match.bFailed = true;
                        return match;
                    }
                    match.bChanged = true;
                } else if (CellOf(header, c + 1) == csPreview) {
                    pTbl->setTextString(r, c, u"");
                    SetPreviewBlock(pTbl, r, c, CellOf(row, 0), engine.mpBlockIds);
                }
            }
        }
    }
    return match;
}

// Recomputes the totals line (the last row) from the data rows the table now has, in the
// columns that showed a total; false when a cell could not be written.
bool RewriteTotalsLine(const ExtractionEngine& engine, QxDbTable* pTbl, const std::vector<bool>& vbTotalled,
                       bool bHeaderHidden, std::uint32_t first)
{
    const std::uint32_t m = pTbl->numColumns();
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
    const TableRow lsTotalLine = MakeTotalsLine(veCurrent, lsTotalCols, engine.strHelper.quantityItem.name);
    for (std::uint32_t c = 0; c < m && c < lsTotalLine.size(); ++c) {
        if (!vbTotalled[c] || lsTotalLine[c] == pTbl->textString(totalsRow, c)) continue;
        if (pTbl->setTextString(totalsRow, c, lsTotalLine[c].c_str()) != Qxapp::eOk) {
            PrintCellContentError();
            return false;
        }
    }
    return true;
}

}  // namespace

bool UpdateTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                     bool bGrouped, bool bHeaderHidden)
{
    const bool bTotals = HasTotalsLine(pTbl, bHeaderHidden);
    const std::vector<bool> vbTotalled = TotalledColumns(pTbl, bTotals);
    const bool bTotalsEmpty = std::none_of(vbTotalled.begin(), vbTotalled.end(), [](bool b) { return b; });
    const std::uint32_t n = pTbl->numRows() - (bTotals ? 2 : 0);
    const std::uint32_t first = bHeaderHidden ? 1 : 2;

    const RowMatch match = RewriteMatchedRows(engine, pTbl, handles, bGrouped, first, n);
    if (match.bFailed) return match.bChanged;

    // Rows go by place: two rows of identical objects look alike, and only the one whose
    // object is gone may go.
    DeleteTableRows(pTbl, match.veStaleRows);

    if (bTotals && match.bChanged && !bTotalsEmpty && pTbl->numRows() >= first + 2 &&
        !RewriteTotalsLine(engine, pTbl, vbTotalled, bHeaderHidden, first))
        return false;

    // In one pass: erasing them one by one moved the handles after each.
    std::vector<bool> vbStale(handles.size(), false);
    for (std::size_t k : match.veStaleHdlPlaces)
        if (k < handles.size()) vbStale[k] = true;
    std::size_t nKept = 0;
    for (std::size_t k = 0; k < handles.size(); ++k) {
        if (vbStale[k]) continue;
        if (nKept != k) handles[nKept] = std::move(handles[k]);
        ++nKept;
    }
    handles.resize(nKept);
    return match.bChanged;
}

namespace {

// A rebuild that makes the table larger than a huge table asks first; a table that is already
// that large and does not grow is rebuilt without asking. `veRows` from `nFirst` on are the
// rows below the title, column 0 (the handles) not shown.
bool ConfirmGrowth(const QxDbTable* pTbl, const TableData& veRows, std::size_t nFirst, std::uint32_t nRows,
                   std::uint32_t nCols)
{
    if (pTbl->numRows() > 0 && nRows <= pTbl->numRows() - 1) return true;
    return ConfirmTableSize(nullptr, nRows, nCols, [&veRows, nFirst] {
        std::uint64_t nTexts = 0;
        for (std::size_t i = nFirst; i < veRows.size(); ++i)
            for (std::size_t c = 1; c < veRows[i].size(); ++c) nTexts += veRows[i][c].empty() ? 0 : 1;
        return nTexts;
    });
}

}  // namespace

bool RebuildTableRows(const ExtractionEngine& engine, QxDbTable* pTbl, std::vector<std::u16string>& handles,
                      bool bHeaderHidden, const std::vector<std::u16string>& lsTotalHdr, bool& bTotals)
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

    const bool bTotalsAsked = bTotals;
    bTotals = false;
    if (bTotalsAsked) {
        // Totalled columns are found by their property names, so that a renamed column keeps
        // its total; a column the user chose not to total stays without one.
        const bool bNamesFit = engine.lsColNames.size() == rows.front().size();
        TableData veForTotals = veFinalTblDatas;
        veForTotals.front() = bNamesFit ? engine.lsColNames : rows.front();
        const TableRow lsTotalLine = MakeTotalsLine(veForTotals, lsTotalHdr, engine.strHelper.quantityItem.name);
        if (!lsTotalLine.empty()) {
            veFinalTblDatas.push_back(TableRow(veFinalTblDatas.front().size()));
            veFinalTblDatas.push_back(lsTotalLine);
            bTotals = true;
        }
    }

    const auto nRows = static_cast<std::uint32_t>(veFinalTblDatas.size() + 1 - (bHeaderHidden ? 1 : 0));
    const auto nCols = static_cast<std::uint32_t>(rows.front().size() - 1);
    if (!ConfirmGrowth(pTbl, veFinalTblDatas, bHeaderHidden ? 1 : 0, nRows - 1, nCols)) return false;
    if (!ResizeTable(pTbl, nRows, nCols)) return false;
    ClearTableCells(pTbl, pTbl->numRows(), pTbl->numColumns());
    RefillTable(veFinalTblDatas, engine.mpBlockIds, pTbl, engine.strHelper.blockPreviewItem.name, bHeaderHidden,
                engine.lsColNames);

    handles.clear();
    for (std::size_t i = 1; i < veFinalTblDatas.size(); ++i)
        if (!CellOf(veFinalTblDatas[i], 0).empty()) handles.push_back(veFinalTblDatas[i][0]);
    return true;
}

namespace {

// Rows found by their cells: a tree of rows compared cell by cell cost more than the build.
struct RowCellsHash {
    std::size_t operator()(const TableRow& row) const
    {
        std::size_t h = row.size();
        for (const std::u16string& cell : row) h = h * 1000003u ^ std::hash<std::u16string>()(cell);
        return h;
    }
};

}  // namespace

std::map<std::u16string, std::vector<std::u16string>> CombinedRowMembers(const ExtractionEngine& engine)
{
    return CombinedRowMembers(engine, engine.lsTableRows, engine.lsTableRows.size());
}

std::map<std::u16string, std::vector<std::u16string>> CombinedRowMembers(const ExtractionEngine& engine,
                                                                       const TableData& rows, std::size_t nEnd)
{
    std::map<std::u16string, Texts> members;
    if (!engine.bRowsCombined) return members;
    const std::u16string& csQuantity = engine.strHelper.quantityItem.name;
    const auto quantityAt = std::find(engine.lsColNames.begin(), engine.lsColNames.end(), csQuantity);
    const auto q = static_cast<std::size_t>(quantityAt - engine.lsColNames.begin());

    // The same build without the quantity column gives one row per object; a row belongs to
    // the combined row whose other cells it shares.
    ExtractionEngine single = engine;
    single.bKeepTableRows = false;  // its rows are read from veSingleRows only
    Texts lsPropsSel = engine.lsPropsSel;
    lsPropsSel.erase(std::remove(lsPropsSel.begin(), lsPropsSel.end(), csQuantity), lsPropsSel.end());
    const bool bBlockName = Contains(lsPropsSel, engine.strHelper.blockNameItem.name);
    TableData veSingleRows;
    BlockIdMap mpBlockIds;
    single.BuildTableData(lsPropsSel, false, bBlockName, {}, engine.csGroupBy, veSingleRows, mpBlockIds);

    std::unordered_map<TableRow, std::u16string, RowCellsHash> keptByCells;
    for (std::size_t i = 1; i < nEnd && i < rows.size(); ++i) {
        TableRow cells = rows[i];
        if (cells.empty()) continue;
        const std::u16string csKept = cells.front();
        if (q < cells.size()) cells.erase(cells.begin() + std::ptrdiff_t(q));
        cells.erase(cells.begin());
        keptByCells.emplace(std::move(cells), csKept);
    }
    for (std::size_t i = 1; i < veSingleRows.size(); ++i) {
        TableRow cells = veSingleRows[i];
        if (cells.empty()) continue;
        const std::u16string csHdl = cells.front();
        cells.erase(cells.begin());
        const auto found = keptByCells.find(cells);
        if (found != keptByCells.end()) members[found->second].push_back(csHdl);
    }
    // The kept object first, so that a row's first member is the handle its cell 0 shows.
    for (auto& [csKept, lsHdls] : members) {
        const auto it = std::find(lsHdls.begin(), lsHdls.end(), csKept);
        if (it != lsHdls.end()) std::rotate(lsHdls.begin(), it, it + 1);
    }
    return members;
}

InsertedTableRecord RecordOfInsertedTable(const TableInsertion& insertion, const ExtractionEngine& engine,
                                          const std::map<std::u16string, std::u16string>& mapDisplayNames,
                                          bool bTotalsWritten)
{
    InsertedTableRecord record;
    record.mapDisplayNames = mapDisplayNames;
    record.lsObjTypes = engine.lsObjectsSel;
    record.csGroupBy = engine.csGroupBy;
    record.bHeaderShown = insertion.bDisplayHeader;
    record.bTotalsWritten = bTotalsWritten;
    if (!insertion.veTableDataOut || insertion.veTableDataOut->empty()) return record;
    const TableData& rows = *insertion.veTableDataOut;
    const std::vector<int>& veShown = insertion.veHeaderOrder;
    for (int k : veShown) {
        record.lsTbHeaders.push_back(k > 0 ? CellOf(rows.front(), std::size_t(k)) : std::u16string());
        record.lsTbColumns.push_back(k > 0 ? CellOf(engine.lsColNames, std::size_t(k)) : std::u16string());
    }
    for (std::size_t k = 1; k < engine.lsColNames.size(); ++k)
        if (std::find(veShown.begin(), veShown.end(), int(k)) == veShown.end())
            record.lsTbColumns.push_back(engine.lsColNames[k]);

    // Table row r (from 1) shows the table-data row of entry r - 1 of the row order, or of
    // data order where the row order ends, as the table was filled.
    const std::size_t nDataEnd = rows.size() - (bTotalsWritten && rows.size() >= 3 ? 2 : 0);
    const std::size_t nShift = insertion.bDisplayHeader ? 0 : 1;
    for (std::size_t entry = 0; entry + nShift < rows.size(); ++entry) {
        const std::size_t i = entry < insertion.veRowOrder.size() && insertion.veRowOrder[entry] >= 0
                                  ? std::size_t(insertion.veRowOrder[entry])
                                  : entry + nShift;
        if (i >= 1 && i < nDataEnd) record.lsHdl.push_back(CellOf(rows[i], 0));
    }
    record.bRowsCombined = engine.bRowsCombined;
    if (engine.bRowsCombined) {
        // The rows the table shows are the engine's combined rows, whether or not it kept them.
        const std::map<std::u16string, Texts> members = CombinedRowMembers(engine, rows, nDataEnd);
        for (const std::u16string& csHdl : record.lsHdl) {
            const auto found = members.find(csHdl);
            record.veRowMembers.push_back(found != members.end() ? found->second : Texts{csHdl});
        }
    }
    return record;
}
