// The grid of the wizard's pages: the grid layer plus the include flags of the columns, a
// header menu that shows and hides columns, a check-box menu ("Select all", "No selection")
// and a sort that keeps a totals line at the end.
#pragma once

#include <vector>

#include "wizard/GridListCtrlEx.h"

class GridListCtrl : public CGridListCtrlEx {
public:
    // One flag per table column (grid column k shows table column k): whether the outputs
    // take the column. Hiding a column through the header menu clears its flag, showing it
    // again sets it.
    std::vector<bool> vecIncludeCols;
    bool bHeaderMenu = false;       // the header context menu is offered
    bool bTotalsAtEnd = false;      // the last item is a totals line and stays last
    bool bCellImageChecks = false;  // the check-box menu sets cell images, else native checks

    int AddHiddenLabelColumn() { return InsertHiddenLabelColumn(); }
    int AddColumn(int nCol, std::u16string_view csTitle, int nFormat, int nWidth, int nSubItem,
                  std::unique_ptr<CGridColumnTraitText> pTrait = nullptr)
    {
        return InsertColumnTrait(nCol, csTitle, nFormat, nWidth, nSubItem, std::move(pTrait));
    }
    bool SortByColumn(int nCol, bool bAscending) { return SortColumn(nCol, bAscending); }

    bool SortColumn(int nCol, bool bAscending) override;
    bool OnHeaderMenu(QxUiPoint point, int nCol) override;
    bool OnCellMenu(QxUiPoint point, int nRow, int nCol) override;

    // Menu command of the header menu's entry for column k.
    static constexpr int kHeaderMenuFirstCommand = 4;
    enum { kSelectAllCommand = 1, kNoSelectionCommand = 2 };
};
