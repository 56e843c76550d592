// The grid layer: column behaviours, sorting, showing and hiding columns.
#include "wizard/GridListCtrlEx.h"

#include <algorithm>

bool CGridListCtrlEx::Attach(QxUiControlModel* pControl)
{
    if (!CQxUiListCtrl::Attach(pControl)) return false;
    SetEmptyText(kEmptyText);
    m_veTraits.clear();
    for (int nCol = 0; nCol < GetColumnCount(); ++nCol) m_veTraits.push_back(std::make_unique<CGridColumnTraitText>());
    m_nSortCol = -1;
    m_bAscending = true;
    return true;
}

bool CGridListCtrlEx::OnReflectedNotify(const QxUiNotify& notify)
{
    switch (notify.code) {
    case QxUiNotifyCode::ColumnClick: OnHeaderClick(notify.subItem); return true;
    case QxUiNotifyCode::HeaderRightClick: OnHeaderMenu(notify.point, notify.subItem); return true;
    case QxUiNotifyCode::RightClick: OnCellMenu(notify.point, notify.item, notify.subItem); return true;
    case QxUiNotifyCode::Click:
        if (CGridColumnTraitText* pTrait = GetColumnTrait(notify.subItem); pTrait && notify.item >= 0)
            pTrait->OnClickCell(*this, notify.item, notify.subItem);
        return false;  // the dialog sees the click too
    default: return false;
    }
}

int CGridListCtrlEx::InsertHiddenLabelColumn()
{
    auto pTrait = std::make_unique<CGridColumnTraitText>();
    CGridColumnTraitState& state = pTrait->GetColumnState();
    state.bAlwaysHidden = true;
    state.bSortable = false;
    return InsertColumnTrait(0, u"", QxUiList::Left, 0, -1, std::move(pTrait));
}

int CGridListCtrlEx::InsertColumnTrait(int nCol, std::u16string_view csTitle, int nFormat, int nWidth, int nSubItem,
                                       std::unique_ptr<CGridColumnTraitText> pTrait)
{
    if (!IsValid()) return -1;
    if (!pTrait) pTrait = std::make_unique<CGridColumnTraitText>();
    // Columns made before the list was attached show plain text.
    while (int(m_veTraits.size()) < GetColumnCount()) m_veTraits.push_back(std::make_unique<CGridColumnTraitText>());
    int nIndex = CQxUiListCtrl::InsertColumn(nCol, csTitle, nFormat, nWidth, nSubItem);
    if (nIndex < 0) return -1;
    CGridColumnTraitState& state = pTrait->GetColumnState();
    state.nOrigWidth = nWidth;
    state.bVisible = nWidth > 0 && !state.bAlwaysHidden;
    m_veTraits.insert(m_veTraits.begin() + nIndex, std::move(pTrait));
    if (m_nSortCol >= nIndex) ++m_nSortCol;
    m_veTraits[std::size_t(nIndex)]->OnInsertColumn(*this, nIndex);
    return nIndex;
}

bool CGridListCtrlEx::DeleteColumn(int nCol)
{
    if (!CQxUiListCtrl::DeleteColumn(nCol)) return false;
    if (nCol < int(m_veTraits.size())) m_veTraits.erase(m_veTraits.begin() + nCol);
    if (m_nSortCol == nCol) m_nSortCol = -1;
    else if (m_nSortCol > nCol) --m_nSortCol;
    return true;
}

CGridColumnTraitText* CGridListCtrlEx::GetColumnTrait(int nCol) const
{
    if (nCol < 0 || nCol >= int(m_veTraits.size())) return nullptr;
    return m_veTraits[std::size_t(nCol)].get();
}

bool CGridListCtrlEx::SetColumnShown(int nCol, bool bShow)
{
    CGridColumnTraitText* pTrait = GetColumnTrait(nCol);
    if (!pTrait) return false;
    CGridColumnTraitState& state = pTrait->GetColumnState();
    if (state.bAlwaysVisible || state.bAlwaysHidden) return false;
    if (bShow == IsColumnShown(nCol)) return true;
    if (bShow) {
        SetColumnWidth(nCol, state.nOrigWidth > 0 ? state.nOrigWidth : 100);
    } else {
        state.nOrigWidth = GetColumnWidth(nCol);
        SetColumnWidth(nCol, 0);
    }
    state.bVisible = bShow;
    return true;
}

bool CGridListCtrlEx::IsColumnShown(int nCol) const
{
    const CGridColumnTraitText* pTrait = GetColumnTrait(nCol);
    if (!pTrait) return false;
    const CGridColumnTraitState& state = pTrait->GetColumnState();
    return state.bVisible && !state.bAlwaysHidden && GetColumnWidth(nCol) > 0;
}

void CGridListCtrlEx::ShowSortArrow(int nCol, bool bAscending)
{
    for (int nEach = 0; nEach < GetColumnCount(); ++nEach)
        SetColumnSortArrow(nEach, nEach != nCol ? QxUiList::NoArrow : bAscending ? QxUiList::ArrowUp : QxUiList::ArrowDown);
}

std::u16string CGridListCtrlEx::GetSortText(int nRow, int nCol) const
{
    std::u16string csText = GetItemText(nRow, nCol);
    if (csText.size() > 255) csText.resize(255);
    return csText;
}

bool CGridListCtrlEx::SortColumn(int nCol, bool bAscending) { return SortColumnPinned(nCol, bAscending, -1); }

bool CGridListCtrlEx::SortColumnPinned(int nCol, bool bAscending, int nPinnedLast)
{
    CGridColumnTraitText* pTrait = GetColumnTrait(nCol);
    if (!pTrait) return false;
    int nCount = GetItemCount();
    if (nCount == 0) return true;
    std::vector<std::u16string> veTexts;
    veTexts.reserve(std::size_t(nCount));
    for (int nRow = 0; nRow < nCount; ++nRow) veTexts.push_back(GetSortText(nRow, nCol));
    return SortItemsByIndex([&](int nLeft, int nRight) {
        if (nLeft == nRight) return 0;
        if (nLeft == nPinnedLast) return 1;
        if (nRight == nPinnedLast) return -1;
        return pTrait->OnSortRows(veTexts[std::size_t(nLeft)], veTexts[std::size_t(nRight)], bAscending);
    });
}

void CGridListCtrlEx::OnHeaderClick(int nCol)
{
    SetFocus();
    CGridColumnTraitText* pTrait = GetColumnTrait(nCol);
    if (!pTrait || !pTrait->GetColumnState().bSortable) return;
    if (nCol != m_nSortCol) {
        m_nSortCol = nCol;
        m_bAscending = true;
    } else {
        m_bAscending = !m_bAscending;
    }
    if (SortColumn(m_nSortCol, m_bAscending)) ShowSortArrow(m_nSortCol, m_bAscending);
}

bool CGridListCtrlEx::OnHeaderMenu(QxUiPoint, int) { return false; }

bool CGridListCtrlEx::OnCellMenu(QxUiPoint, int, int) { return false; }

int CGridListCtrlEx::AppendCheckStateImages(CQxUiImageList& images)
{
    if (images.IsNull()) images.Create(16, 16, 2, 1);
    int nFirst = images.Add(CQxUiImage::CheckBoxImage(false));
    images.Add(CQxUiImage::CheckBoxImage(true));
    return nFirst;
}
