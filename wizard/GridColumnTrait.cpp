// Column behaviours of the grid.
#include "wizard/GridColumnTrait.h"

#include "engine/number_text.h"
#include "wizard/GridListCtrlEx.h"

namespace {

// Folds Latin capitals, plain and accented, to small letters.
char16_t FoldCase(char16_t c)
{
    if (c >= u'A' && c <= u'Z') return char16_t(c + 32);
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return char16_t(c + 32);
    return c;
}

}  // namespace

int CompareNoCase(const std::u16string& csLeft, const std::u16string& csRight)
{
    std::size_t n = std::min(csLeft.size(), csRight.size());
    for (std::size_t i = 0; i < n; ++i) {
        char16_t a = FoldCase(csLeft[i]), b = FoldCase(csRight[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    if (csLeft.size() == csRight.size()) return 0;
    return csLeft.size() < csRight.size() ? -1 : 1;
}

int CompareAsNumbers(const std::u16string& csLeft, const std::u16string& csRight)
{
    double a = ReadLeadingNumber(csLeft), b = ReadLeadingNumber(csRight);
    if (a < b) return -1;
    if (b < a) return 1;
    return 0;
}

void CGridColumnTraitText::OnInsertColumn(CGridListCtrlEx&, int) {}

int CGridColumnTraitText::OnSortRows(const std::u16string& csLeft, const std::u16string& csRight, bool bAscending) const
{
    int nResult = m_bSortNumber ? CompareAsNumbers(csLeft, csRight) : CompareNoCase(csLeft, csRight);
    return bAscending ? nResult : -nResult;
}

bool CGridColumnTraitText::OnClickCell(CGridListCtrlEx&, int, int) { return false; }

void CGridColumnTraitEdit::OnInsertColumn(CGridListCtrlEx& grid, int nCol) { grid.SetColumnEditable(nCol, true); }

CGridColumnTraitImage::CGridColumnTraitImage(int nFirstImage, int nImageCount)
    : m_nFirstImage(nFirstImage), m_nImageCount(nImageCount < 1 ? 1 : nImageCount)
{
}

bool CGridColumnTraitImage::OnClickCell(CGridListCtrlEx& grid, int nRow, int nCol)
{
    int nImage = grid.GetCellImageIndex(nRow, nCol);
    if (nImage < m_nFirstImage || nImage >= m_nFirstImage + m_nImageCount) return false;
    int nNext = m_nFirstImage + (nImage - m_nFirstImage + 1) % m_nImageCount;
    // The other selected rows follow the clicked one, so that they end up alike.
    std::vector<int> veRows{nRow};
    if (grid.GetItemState(nRow, QxUiList::Selected))
        for (int nOther : grid.GetSelectedItems())
            if (nOther != nRow) veRows.push_back(nOther);
    for (int nEach : veRows) grid.SetCellImageIndex(nEach, nCol, nNext);
    return true;
}
