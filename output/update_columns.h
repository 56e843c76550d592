// The columns an update builds, as the table and its record say, and the rows that hold data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/extraction_engine.h"
#include "host/dbtable.h"
#include "output/catalogue_names.h"
#include "output/update_record.h"

// The texts of one table row, every column.
Texts RowTexts(const QxDbTable* pTbl, std::uint32_t r);

// A totals line follows an empty row, which stands after the data rows.
bool HasTotalsLine(const QxDbTable* pTbl, bool bHeaderHidden);

// What the table and its record say about the columns to build.
struct ColumnSetup {
    Texts lsPropsSel;  // property names: the table's columns in order, then hidden ones
    std::size_t nShown = 0;  // how many of them the table shows
    bool bHeaderHidden = false;
    bool bTotals = false;  // the table ends with an empty row and a totals line
    bool bQuantity = false;  // the rows combine, counted in a quantity column
    bool bBlockName = false;
    Texts lsTotalHdr;
    bool bGrouped = false;
    std::u16string csGroupBy;
};

ColumnSetup ReadColumnSetup(const QxDbTable* pTbl, const RecordLists& rec, const StrHelper& strHelper,
                            const CatalogueNames& names);

// The table rows that hold data: [first, end).
struct DataRows {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    std::uint32_t count() const { return end - first; }
};

std::optional<DataRows> ReadDataRows(const QxDbTable* pTbl, const ColumnSetup& setup);

// The key of the record that does not fit the table, if any. Checked before anything is
// changed: a record that does not describe the table would put values under the wrong
// headers or delete rows that are still good.
std::optional<std::u16string> RecordMisfit(const QxDbTable* pTbl, const RecordLists& rec, const ColumnSetup& setup,
                                           const std::optional<DataRows>& dataRows, bool bHandlesUsed);

// A column name the engine cannot fill: not offered for the recorded kinds and not a catalogue
// name. Attribute tags and dynamic properties are offered only while a block carries them, so
// with block references among the kinds any other name is taken for one.
std::optional<std::u16string> UnknownColumn(const ExtractionEngine& engine, const ColumnSetup& setup,
                                            const RecordLists& rec, const CatalogueNames& names);

// Builds the engine's rows for the columns, with the names shown in the header.
void BuildShownRows(ExtractionEngine& engine, Texts lsPropsSel, const ColumnSetup& setup, const RecordLists& rec);

// The header as the table shows it, without the identifier column: what the record keeps.
Texts ShownHeaders(const ExtractionEngine& engine);

// Whether the list holds the text.
bool Contains(const Texts& lsItems, const std::u16string& csItem);

// The property names of the columns the table shows.
Texts ShownNames(const ColumnSetup& setup);

// Per column, whether the totals line (when the table has one) shows a total there.
std::vector<bool> TotalledColumns(const QxDbTable* pTbl, bool bTotals);
