// The output page on table data of its own: the row and column order it hands to the
// outputs, the totals line kept last, and the alignment of its columns.
#include "wizard_fixture.h"

#include "wizard/DlgAssist5.h"

using qxtest::ScriptInput;
using qxtest::WizardDrawing;

namespace {

// Three data rows, a totals line, and the numeric flags page 4 appends: only "Len" may be
// totalled.
TableData lengthsTable()
{
    return {{u"Id", u"Name", u"Type", u"Len"}, {u"1A", u"b", u"x", u"10"}, {u"1B", u"a", u"y", u"9"},
            {u"1C", u"c", u"z", u"100"},       {u"", u"", u"", u"119"},    {u"", u"0", u"0", u"1"}};
}

class OutputPage : public WizardDrawing {
protected:
    std::unique_ptr<DlgAssist5> runPage(const std::string& lines, WizardState state = WizardState())
    {
        auto page = std::make_unique<DlgAssist5>(nullptr, std::move(state), ExtractionData(), PropItemSet(),
                                                 lengthsTable(), BlockIdMap(), true);
        ScriptInput input(lines + "click Finish\nyes\n");
        page->DoModal();
        EXPECT_TRUE(input.consumed());
        return page;
    }
};

}  // namespace

TEST_F(OutputPage, TheRowOrderEndsWithTheEmptyRowAndTheTotalsLineWhateverTheSort)
{
    const auto page = runPage("sort 1022 Len\nsort 1022 Len\n");
    // Descending by number: 100, 10, 9. The table gained the empty row before the totals.
    EXPECT_EQ(page->RowOrder(), (std::vector<int>{0, 3, 1, 2, 4, 5}));
    ASSERT_EQ(page->TableDataOut().size(), 6u);
    EXPECT_EQ(page->TableDataOut()[4], (TableRow{u"", u"", u"", u""}));
    EXPECT_EQ(page->TableDataOut()[5][3], u"119");

    const auto byName = runPage("sort 1022 Name\n");
    EXPECT_EQ(byName->RowOrder(), (std::vector<int>{0, 2, 1, 3, 4, 5}));
}

TEST_F(OutputPage, WithTheHeaderHiddenThePreviewListsEveryRowUnderTheColumnNamesAndTheOrderFollowsTheSort)
{
    WizardState state;
    state.bDisplayHeader = false;
    const auto page = runPage("", state);
    EXPECT_EQ(page->RowOrder(), (std::vector<int>{1, 2, 3, 4, 5})) << "no header entry: the outputs start with row 1";
    EXPECT_EQ(page->PreviewGrid().GetColumnTitle(1), u"Name");
    EXPECT_EQ(page->PreviewGrid().GetItemCount(), 4) << "rows 1 to 3 and the totals line";
    EXPECT_EQ(page->PreviewGrid().GetItemText(0, 1), u"b");

    // Descending by Len: 100 (row 3), 10 (row 1), 9 (row 2); the first data row is sorted
    // like the others instead of leading every output.
    const auto sorted = runPage("sort 1022 Len\nsort 1022 Len\n", state);
    EXPECT_EQ(sorted->RowOrder(), (std::vector<int>{3, 1, 2, 4, 5}));
}

TEST_F(OutputPage, TheColumnOrderLeavesOutHiddenColumnsAndFollowsMovedOnes)
{
    const auto page = runPage("header-menu 1022 Type\nchoose Type\nmove-column 1022 Len 1\n");
    EXPECT_EQ(page->HeaderOrder(), (std::vector<int>{3, 1}));
    EXPECT_EQ(page->PreviewGrid().vecIncludeCols, (std::vector<bool>{true, true, false, true}));
}

TEST_F(OutputPage, OnlyTheColumnsThatCanBeTotalledAreRightAligned)
{
    const auto page = runPage("");
    const GridListCtrl& grid = page->PreviewGrid();
    EXPECT_EQ(grid.GetColumnFormat(1), QxUiList::Left) << "the first column holds text";
    EXPECT_EQ(grid.GetColumnFormat(2), QxUiList::Left);
    EXPECT_EQ(grid.GetColumnFormat(3), QxUiList::Right);
    EXPECT_EQ(grid.GetColumnTitle(3), u"Len");
}
