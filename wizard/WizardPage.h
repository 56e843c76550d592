// Small helpers the five wizard pages share.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "engine/table_data.h"
#include "host/ui.h"

// Sets the page's title and the texts of its controls from the catalogue: (control id, text id).
void SetPageTexts(CPnUiBaseDialog& page, std::uint32_t nTitleId,
                  std::initializer_list<std::pair<int, std::uint32_t>> lsControlTexts);

// The check state an item-changed notification carries (0 unchecked, 1 checked).
struct CheckChange {
    int nOld = 0;
    int nNew = 0;
};
// The check change of a list notification, or false when it changed no check: neither state
// set, or the same check state before and after (a selection or focus change).
bool GetCheckChange(const QxUiNotify& notify, CheckChange& change);

// Decimal text of a whole number, and the whole number a text starts with (0 for none).
std::u16string NumberText(long long nValue);
long long TextNumber(const std::u16string& csText);

// Whether the row has a cell `nCol` and it reads `csText`.
inline bool CellIs(const TableRow& row, std::size_t nCol, const std::u16string& csText)
{
    return nCol < row.size() && row[nCol] == csText;
}
