// The grid layer of the wizard's lists: a report-view list whose columns each have a
// behaviour (text, in-place edit, check images), with header clicks that sort, a sort arrow,
// columns that can be hidden and shown, and context menus on the header and on cells.
#pragma once

#include <memory>
#include <vector>

#include "host/ui.h"
#include "wizard/GridColumnTrait.h"

class CGridListCtrlEx : public CQxUiListCtrl {
public:
    CGridListCtrlEx() = default;

    bool Attach(QxUiControlModel* pControl) override;
    bool OnReflectedNotify(const QxUiNotify& notify) override;

    // Column 0: always hidden, empty title, width 0. It holds the item's label text.
    int InsertHiddenLabelColumn();
    // Inserts a column with a behaviour (plain text when null); the grid owns it.
    int InsertColumnTrait(int nCol, std::u16string_view csTitle, int nFormat, int nWidth, int nSubItem,
                          std::unique_ptr<CGridColumnTraitText> pTrait = nullptr);
    CGridColumnTraitText* GetColumnTrait(int nCol) const;
    // A column without a behaviour of its own shows and sorts plain text.
    int InsertColumn(int nCol, std::u16string_view csTitle, int nFormat = QxUiList::Left, int nWidth = 100,
                     int nSubItem = -1)
    {
        return InsertColumnTrait(nCol, csTitle, nFormat, nWidth, nSubItem);
    }
    bool DeleteColumn(int nCol);

    // Refused (false) for a column that must stay visible or stay hidden.
    bool SetColumnShown(int nCol, bool bShow);
    bool IsColumnShown(int nCol) const;

    // The up arrow (ascending) or the down arrow on the header of nCol, none on the others.
    void ShowSortArrow(int nCol, bool bAscending);
    // Sorts the items by the texts of nCol. True when the items are sorted.
    virtual bool SortColumn(int nCol, bool bAscending);
    int GetSortColumn() const { return m_nSortCol; }
    bool IsSortAscending() const { return m_bAscending; }

    // The image of a cell, -1 when it has none.
    int GetCellImageIndex(int nRow, int nCol) const { return GetItemImage(nRow, nCol); }
    bool SetCellImageIndex(int nRow, int nCol, int nImage) { return SetItemImage(nRow, nCol, nImage); }

    // Adds the unchecked and the checked check-box pictures to `images` (created when null);
    // returns the index of the first.
    static int AppendCheckStateImages(CQxUiImageList& images);

    // The user's clicks, as the list reports them.
    virtual void OnHeaderClick(int nCol);
    virtual bool OnHeaderMenu(QxUiPoint point, int nCol);
    virtual bool OnCellMenu(QxUiPoint point, int nRow, int nCol);

    static constexpr const char16_t* kEmptyText = u"There are no items to show in this view.";

protected:
    // Sorts with the item nPinnedLast (an index before the sort, -1 for none) kept last.
    bool SortColumnPinned(int nCol, bool bAscending, int nPinnedLast);
    // The texts of a cell as the sort reads them: at most 255 characters.
    std::u16string GetSortText(int nRow, int nCol) const;

private:
    std::vector<std::unique_ptr<CGridColumnTraitText>> m_veTraits;  // one per column
    int m_nSortCol = -1;
    bool m_bAscending = true;
};
