// The wizard's grid: include flags, header menu, check-box menu, totals line kept last.
#include "wizard/GridListCtrl.h"

#include "module/strings.h"

bool GridListCtrl::SortColumn(int nCol, bool bAscending)
{
    // The totals line sums the rows above it; it stays below them whatever the order.
    int nPinned = bTotalsAtEnd && GetItemCount() > 0 ? GetItemCount() - 1 : -1;
    return SortColumnPinned(nCol, bAscending, nPinned);
}

bool GridListCtrl::OnHeaderMenu(QxUiPoint point, int)
{
    if (!bHeaderMenu) return false;
    CQxUiMenu menu;
    for (int nCol = 0; nCol < GetColumnCount(); ++nCol) {
        const CGridColumnTraitText* pTrait = GetColumnTrait(nCol);
        if (!pTrait || pTrait->GetColumnState().bAlwaysHidden) continue;
        std::uint32_t nFlags = 0;
        if (IsColumnShown(nCol)) nFlags |= QxUiMenuFlag::Checked;
        if (pTrait->GetColumnState().bAlwaysVisible) nFlags |= QxUiMenuFlag::Disabled;
        menu.AppendItem(kHeaderMenuFirstCommand + nCol, GetColumnTitle(nCol), nFlags);
    }
    CPnUiBaseDialog* pDialog = GetDialog();
    int nCommand = menu.TrackPopupMenu(point, pDialog ? pDialog->GetSafeHwnd() : nullptr);
    int nCol = nCommand - kHeaderMenuFirstCommand;
    if (nCommand < kHeaderMenuFirstCommand || nCol >= GetColumnCount()) return true;
    bool bShow = !IsColumnShown(nCol);
    if (SetColumnShown(nCol, bShow) && nCol < int(vecIncludeCols.size())) vecIncludeCols[std::size_t(nCol)] = bShow;
    return true;
}

bool GridListCtrl::OnCellMenu(QxUiPoint point, int nRow, int nCol)
{
    bool bHasImage = nRow >= 0 && GetCellImageIndex(nRow, nCol) != -1;
    if (!bHasImage && nCol != 1) return false;
    CQxUiMenu menu;
    menu.AppendItem(kSelectAllCommand, LoadResString(200));
    menu.AppendItem(kNoSelectionCommand, LoadResString(201));
    CPnUiBaseDialog* pDialog = GetDialog();
    int nCommand = menu.TrackPopupMenu(point, pDialog ? pDialog->GetSafeHwnd() : nullptr);
    if (nCommand != kSelectAllCommand && nCommand != kNoSelectionCommand) return true;
    bool bCheck = nCommand == kSelectAllCommand;
    if (bCellImageChecks) {
        int nFirst = 0;
        if (const auto* pImages = dynamic_cast<const CGridColumnTraitImage*>(GetColumnTrait(nCol)))
            nFirst = pImages->GetFirstImage();
        for (int nEach = 0; nEach < GetItemCount(); ++nEach) SetCellImageIndex(nEach, nCol, nFirst + (bCheck ? 1 : 0));
    } else if (GetExtendedStyle() & QxUiList::CheckBoxes) {
        // Each change reaches the dialog as the item-changed notification a click sends.
        for (int nEach = 0; nEach < GetItemCount(); ++nEach) SetCheck(nEach, bCheck);
    }
    return true;
}
