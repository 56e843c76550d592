// Column behaviours of the grid: how a column shows, edits and sorts its cells.
#pragma once

#include <string>

class CGridListCtrlEx;

// What the grid keeps per column besides the list's own column data.
struct CGridColumnTraitState {
    bool bVisible = true;
    bool bAlwaysVisible = false;
    bool bAlwaysHidden = false;
    bool bSortable = true;
    int nOrigWidth = 0;  // the width to give back when a hidden column is shown again
};

// Plain text. The base of every behaviour.
class CGridColumnTraitText {
public:
    virtual ~CGridColumnTraitText() = default;

    CGridColumnTraitState& GetColumnState() { return m_ColumnState; }
    const CGridColumnTraitState& GetColumnState() const { return m_ColumnState; }

    // Sort the column's texts as numbers instead of as words.
    void SetSortFormatNumber(bool bNumber) { m_bSortNumber = bNumber; }
    bool GetSortFormatNumber() const { return m_bSortNumber; }

    // Called when the column is inserted into the grid.
    virtual void OnInsertColumn(CGridListCtrlEx& grid, int nCol);
    // Compares two cell texts for a sort: negative when csLeft goes first in `bAscending` order.
    virtual int OnSortRows(const std::u16string& csLeft, const std::u16string& csRight, bool bAscending) const;
    // A left click on a cell of this column; true when the behaviour handled it.
    virtual bool OnClickCell(CGridListCtrlEx& grid, int nRow, int nCol);

protected:
    CGridColumnTraitState m_ColumnState;
    bool m_bSortNumber = false;
};

// Text edited in place with a single-line edit.
class CGridColumnTraitEdit : public CGridColumnTraitText {
public:
    void OnInsertColumn(CGridListCtrlEx& grid, int nCol) override;
};

// A cell image out of a run of images of the grid's small image list; a click steps to the
// next image of the run (with two, it toggles), in the clicked row and every other selected row.
class CGridColumnTraitImage : public CGridColumnTraitText {
public:
    CGridColumnTraitImage(int nFirstImage, int nImageCount);
    int GetFirstImage() const { return m_nFirstImage; }
    int GetImageCount() const { return m_nImageCount; }
    bool OnClickCell(CGridListCtrlEx& grid, int nRow, int nCol) override;

private:
    int m_nFirstImage;
    int m_nImageCount;
};

// Compares two texts as decimal numbers (sign, fraction and exponent read; a text that does
// not start with a number counts as 0).
int CompareAsNumbers(const std::u16string& csLeft, const std::u16string& csRight);
// Compares two texts ignoring the case of letters (Latin letters, accented ones included).
int CompareNoCase(const std::u16string& csLeft, const std::u16string& csRight);
