#include "output/update_columns.h"

#include <algorithm>

#include "output/extraction_record.h"

Texts RowTexts(const QxDbTable* pTbl, std::uint32_t r)
{
    Texts texts;
    for (std::uint32_t c = 0; c < pTbl->numColumns(); ++c) texts.push_back(pTbl->textString(r, c));
    return texts;
}

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

ColumnSetup ReadColumnSetup(const QxDbTable* pTbl, const RecordLists& rec, const StrHelper& strHelper,
                            const CatalogueNames& names)
{
    ColumnSetup setup;
    // What the record says was written is trusted; only records written before it said so
    // leave the header and the totals line to be guessed from the cells.
    setup.bHeaderHidden = rec.bHeaderShown ? !*rec.bHeaderShown : RowTexts(pTbl, 1) != rec.veTbHeaders;
    setup.bTotals = rec.bTotalsWritten ? *rec.bTotalsWritten : HasTotalsLine(pTbl, setup.bHeaderHidden);
    // Columns are known by the property they show, from the recorded headers: the header line
    // may be hidden or edited by hand, and its texts are display names.
    setup.nShown = rec.veTbHeaders.size();
    if (!rec.lsTbColumns.empty())
        setup.lsPropsSel = rec.lsTbColumns;
    else
        for (const std::u16string& csText : rec.veTbHeaders)
            setup.lsPropsSel.push_back(names.ToCurrent(ToOriginalName(csText, rec)));

    const auto has = [&setup](const std::u16string& name) {
        return std::find(setup.lsPropsSel.begin(), setup.lsPropsSel.end(), name) != setup.lsPropsSel.end();
    };
    // A quantity column alone does not say the rows were combined: the user may show it on
    // rows of one object each. A record that describes its layout also says whether they were.
    setup.bQuantity = has(strHelper.quantityItem.name) && (!rec.bHeaderShown || rec.bHasMembers);
    setup.bBlockName = has(strHelper.blockNameItem.name);

    if (pTbl->numRows() > 0 && (setup.bTotals || !rec.bTotalsWritten)) {
        const std::uint32_t last = pTbl->numRows() - 1;
        for (std::uint32_t c = 0; c < pTbl->numColumns() && c < setup.lsPropsSel.size(); ++c)
            if (!pTbl->textString(last, c).empty()) setup.lsTotalHdr.push_back(setup.lsPropsSel[c]);
    }
    setup.csGroupBy = rec.veGroupBy.front();
    setup.bGrouped = !setup.csGroupBy.empty();
    return setup;
}

std::optional<DataRows> ReadDataRows(const QxDbTable* pTbl, const ColumnSetup& setup)
{
    DataRows rows;
    rows.first = setup.bHeaderHidden ? 1 : 2;
    const std::uint32_t nTail = setup.bTotals ? 2 : 0;
    if (pTbl->numRows() < rows.first + nTail) return std::nullopt;
    rows.end = pTbl->numRows() - nTail;
    return rows;
}

std::optional<std::u16string> RecordMisfit(const QxDbTable* pTbl, const RecordLists& rec, const ColumnSetup& setup,
                                           const std::optional<DataRows>& dataRows, bool bHandlesUsed)
{
    if (rec.veTbHeaders.size() != pTbl->numColumns()) return std::u16string(csTbHeaders);
    // A record written before the column order was recorded holds the columns in data order:
    // a header line showing the same names in another order is a table whose columns were
    // moved, and the record cannot say which column is which.
    if (!rec.bHeaderShown) {
        const Texts row1 = RowTexts(pTbl, 1);
        if (row1 != rec.veTbHeaders && std::is_permutation(row1.begin(), row1.end(), rec.veTbHeaders.begin(),
                                                           rec.veTbHeaders.end()))
            return std::u16string(csTbHeaders);
    }
    if (!dataRows) return std::u16string(rec.bTotalsWritten ? csTbLayout : csTbHeaders);
    if (setup.bGrouped &&
        std::find(setup.lsPropsSel.begin(), setup.lsPropsSel.end(), setup.csGroupBy) == setup.lsPropsSel.end())
        return std::u16string(csGroupByProp);
    if (bHandlesUsed && !setup.bGrouped && rec.veHdls.size() != dataRows->count())
        return std::u16string(csAppHdls);
    if (rec.bHasMembers) {
        if (rec.veRowMembers.size() != dataRows->count()) return std::u16string(csRowMembers);
        // A replace reads no handles: the rows' members are checked against them only when
        // they are read.
        if (!bHandlesUsed) return std::nullopt;
        if (rec.veHdls.size() != rec.veRowMembers.size()) return std::u16string(csRowMembers);
        for (std::size_t j = 0; j < rec.veRowMembers.size(); ++j)
            if (std::find(rec.veRowMembers[j].begin(), rec.veRowMembers[j].end(), rec.veHdls[j]) ==
                rec.veRowMembers[j].end())
                return std::u16string(csRowMembers);
    }
    return std::nullopt;
}

std::optional<std::u16string> UnknownColumn(const ExtractionEngine& engine, const ColumnSetup& setup,
                                            const RecordLists& rec, const CatalogueNames& names)
{
    const StrHelper& helper = engine.strHelper;
    const bool bBlocks = std::find(rec.lsObjects.begin(), rec.lsObjects.end(), helper.KindName(kTypeBlock)) !=
                         rec.lsObjects.end();
    for (const std::u16string& name : setup.lsPropsSel) {
        PropItem probe;
        probe.name = name;
        if (engine.seHeaders.count(probe) || names.IsCurrentName(name) || bBlocks) continue;
        return std::u16string(csTbHeaders);
    }
    return std::nullopt;
}

void BuildShownRows(ExtractionEngine& engine, Texts lsPropsSel, const ColumnSetup& setup, const RecordLists& rec)
{
    TableData veTableDataOut;
    BlockIdMap mpBlockIds;
    engine.BuildTableData(lsPropsSel, setup.bQuantity, setup.bBlockName, setup.lsTotalHdr, setup.csGroupBy,
                          veTableDataOut, mpBlockIds);
    ApplyDisplayNames(veTableDataOut, DisplayNameMap(rec));
    engine.lsTableRows = std::move(veTableDataOut);
}

Texts ShownHeaders(const ExtractionEngine& engine)
{
    if (engine.lsTableRows.empty() || engine.lsTableRows.front().empty()) return {};
    return Texts(engine.lsTableRows.front().begin() + 1, engine.lsTableRows.front().end());
}

bool Contains(const Texts& lsItems, const std::u16string& csItem)
{
    return std::find(lsItems.begin(), lsItems.end(), csItem) != lsItems.end();
}

Texts ShownNames(const ColumnSetup& setup)
{
    const std::size_t nShown = std::min(setup.nShown, setup.lsPropsSel.size());
    return Texts(setup.lsPropsSel.begin(), setup.lsPropsSel.begin() + std::ptrdiff_t(nShown));
}

std::vector<bool> TotalledColumns(const QxDbTable* pTbl, bool bTotals)
{
    std::vector<bool> vbTotalled(pTbl->numColumns(), false);
    if (!bTotals || pTbl->numRows() == 0) return vbTotalled;
    for (std::uint32_t c = 0; c < pTbl->numColumns(); ++c)
        vbTotalled[c] = !pTbl->textString(pTbl->numRows() - 1, c).empty();
    return vbTotalled;
}
