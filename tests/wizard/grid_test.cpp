// The wizard's grid: sorting by header clicks, the totals line, the header menu and the
// include flags, the check-box menu in both modes, check images and in-place edits.
#include <gtest/gtest.h>

#include "cad/runtime/language.h"
#include "cad/ui/actions.h"
#include "module/module_state.h"
#include "support/ui_dialogs.h"
#include "wizard/GridListCtrl.h"

using qxtest::contains;
using qxtest::RecordingDialog;
using qxtest::ScriptInput;

namespace {

const char kTemplate[] = R"(dialog 414 271
caption "Grid"
control 1022 listview "" 110 30 300 109 report
control 1 defbutton "Next" 282 250 50 14
control 2 button "Cancel" 339 250 50 14
)";

struct Row {
    std::u16string name, area;
};

// A page with one grid: hidden label column, "Name" (text, or check images with
// `imageColumns`), "Area" sorted as numbers, and, with image columns, "Total" check images.
class GridPage : public RecordingDialog {
public:
    GridPage(std::vector<Row> rows, bool imageColumns = false)
        : RecordingDialog(qxtest::parseTemplate(kTemplate)), m_rows(std::move(rows)), m_imageColumns(imageColumns)
    {
    }
    GridListCtrl grid;
    CQxUiImageList images;
    std::function<void(GridPage&)> beforeFill;

    void DoDataExchange(QxDataExchange& dx) override { DDX_Control(dx, 1022, grid); }
    bool OnInitDialog() override
    {
        CQxUiDialog::OnInitDialog();
        if (beforeFill) beforeFill(*this);
        grid.AddHiddenLabelColumn();
        if (m_imageColumns) {
            int first = GridListCtrl::AppendCheckStateImages(images);
            grid.SetImageList(images, QxUiList::SmallImages);
            grid.AddColumn(1, u"Name", QxUiList::Left, 100, 0, std::make_unique<CGridColumnTraitImage>(first, 2));
            grid.AddColumn(2, u"Area", QxUiList::Left, 100, 1, std::make_unique<CGridColumnTraitEdit>());
            grid.AddColumn(3, u"Total", QxUiList::Left, 100, 2, std::make_unique<CGridColumnTraitImage>(first, 2));
        } else {
            grid.AddColumn(1, u"Name", QxUiList::Left, 100, 0);
            auto numbers = std::make_unique<CGridColumnTraitText>();
            numbers->SetSortFormatNumber(true);
            grid.AddColumn(2, u"Area", QxUiList::Left, 100, 1, std::move(numbers));
        }
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            int item = grid.InsertItem(int(i), u"label");
            grid.SetItemText(item, 1, m_rows[i].name);
            grid.SetItemText(item, 2, m_rows[i].area);
            grid.SetItemData(item, i);
            if (m_imageColumns) {
                grid.SetCellImageIndex(item, 1, 0);
                grid.SetCellImageIndex(item, 3, 1);
            }
        }
        if (onInit) onInit(*this);
        received.clear();
        return true;
    }

    std::vector<std::u16string> column(int col) const
    {
        std::vector<std::u16string> texts;
        for (int i = 0; i < grid.GetItemCount(); ++i) texts.push_back(grid.GetItemText(i, col));
        return texts;
    }
    std::vector<int> arrows() const
    {
        std::vector<int> result;
        for (int c = 0; c < grid.GetColumnCount(); ++c) result.push_back(grid.GetColumnSortArrow(c));
        return result;
    }
    std::vector<int> cellImages(int col) const
    {
        std::vector<int> result;
        for (int i = 0; i < grid.GetItemCount(); ++i) result.push_back(grid.GetCellImageIndex(i, col));
        return result;
    }

private:
    std::vector<Row> m_rows;
    bool m_imageColumns;
};

const std::vector<Row> kRows = {
    {u"beta", u"20"}, {u"Alpha", u"1e3"}, {u"gamma", u"-2.5"}, {u"Delta", u"abc"}, {u"epsilon", u"2.75"},
};

class Grid : public ::testing::Test {
protected:
    void SetUp() override
    {
        AttachModule();
        qx::setUserLanguage(qx::Language::English);
    }
};

using V = std::vector<std::u16string>;
constexpr int kUp = QxUiList::ArrowUp, kDown = QxUiList::ArrowDown, kNone = QxUiList::NoArrow;

}  // namespace

TEST_F(Grid, HeaderClicksSortNumbersAsDecimalsAndTextsIgnoringCaseWithTheArrowFollowing)
{
    ScriptInput input("sort 1022 Area\nok\n");
    GridPage page(kRows);
    page.DoModal();
    // The console's "sort" is a header click; the grid takes it, the page does not see it.
    EXPECT_EQ(page.column(2), (V{u"-2.5", u"abc", u"2.75", u"20", u"1e3"}));
    EXPECT_EQ(page.arrows(), (std::vector<int>{kNone, kNone, kUp}));
    EXPECT_TRUE(page.notifies(QxUiNotifyCode::ColumnClick).empty());

    QxUiDialogModel& dialog = *page.GetDialogModel();
    ASSERT_TRUE(qxui::clickHeader(dialog, 1022, 2).ok);  // the second click flips the order
    EXPECT_EQ(page.column(2), (V{u"1e3", u"20", u"2.75", u"abc", u"-2.5"}));
    EXPECT_EQ(page.arrows(), (std::vector<int>{kNone, kNone, kDown}));
    EXPECT_EQ(page.grid.GetItemData(0), 1u) << "item data travels with the rows";
    ASSERT_TRUE(qxui::clickHeader(dialog, 1022, 1).ok);  // another column starts ascending
    EXPECT_EQ(page.column(1), (V{u"Alpha", u"beta", u"Delta", u"epsilon", u"gamma"}));
    EXPECT_EQ(page.arrows(), (std::vector<int>{kNone, kUp, kNone}));
    ASSERT_TRUE(qxui::clickHeader(dialog, 1022, 1).ok);
    EXPECT_EQ(page.column(1), (V{u"gamma", u"epsilon", u"Delta", u"beta", u"Alpha"}));
    EXPECT_EQ(page.arrows(), (std::vector<int>{kNone, kDown, kNone}));

    // Showing an arrow does not sort and leaves one arrow.
    page.grid.ShowSortArrow(2, true);
    EXPECT_EQ(page.arrows(), (std::vector<int>{kNone, kNone, kUp}));
    EXPECT_EQ(page.column(1), (V{u"gamma", u"epsilon", u"Delta", u"beta", u"Alpha"}));
}

TEST_F(Grid, TheTotalsLineStaysLastInBothDirections)
{
    std::vector<Row> rows = kRows;
    rows.push_back({u"", u"1020.25"});
    ScriptInput input("ok\n");
    GridPage page(rows);
    page.DoModal();
    // Called directly, the sort orders numbers by value as a header click does.
    ASSERT_TRUE(page.grid.SortByColumn(2, true));
    EXPECT_EQ(page.column(2), (V{u"-2.5", u"abc", u"2.75", u"20", u"1e3", u"1020.25"}));
    page.grid.bTotalsAtEnd = true;
    ASSERT_TRUE(page.grid.SortByColumn(2, false));
    EXPECT_EQ(page.column(2), (V{u"1e3", u"20", u"2.75", u"abc", u"-2.5", u"1020.25"}));
    ASSERT_TRUE(page.grid.SortByColumn(1, true));
    EXPECT_EQ(page.column(1), (V{u"Alpha", u"beta", u"Delta", u"epsilon", u"gamma", u""}));
    // Without the flag the same line sorts like any other.
    page.grid.bTotalsAtEnd = false;
    ASSERT_TRUE(page.grid.SortByColumn(1, true));
    EXPECT_EQ(page.column(1).front(), u"");
}

TEST_F(Grid, HeaderMenuHidesAndShowsColumnsAndTheIncludeFlagsAndColumnOrderFollow)
{
    // Area hidden and shown again, then Name hidden.
    ScriptInput input("header-menu 1022 1\nchoose Area\nshow\nheader-menu 1022 Name\nchoose \"Area\"\nheader-menu 1022 1\n"
                      "cancel\nheader-menu 1022 Area\nchoose Name\nok\n");
    GridPage page(kRows);
    page.beforeFill = [](GridPage& p) {
        p.grid.bHeaderMenu = true;
        p.grid.vecIncludeCols.assign(3, true);
    };
    page.DoModal();
    const std::u16string& out = qx::transcript();
    // The hidden label column is not offered; shown columns are checked.
    EXPECT_TRUE(contains(out, u"Menu:\n  [x] \"Name\"\n  [x] \"Area\"\n  answer"));
    // After hiding, the table shows Name only and the menu offers Area unchecked.
    EXPECT_TRUE(contains(out, u"Menu:\n  [x] \"Name\"\n      \"Area\"\n"));
    EXPECT_TRUE(page.grid.IsColumnShown(2));
    EXPECT_EQ(page.grid.GetColumnWidth(2), 100) << "shown again at its width";
    EXPECT_FALSE(page.grid.IsColumnShown(1));
    EXPECT_EQ(page.grid.vecIncludeCols, (std::vector<bool>{true, false, true}));
    std::vector<int> shown;
    for (int col : page.grid.GetColumnOrderArray())
        if (page.grid.IsColumnShown(col)) shown.push_back(col);
    EXPECT_EQ(shown, std::vector<int>{2});
}

TEST_F(Grid, NoHeaderMenuUnlessAskedFor)
{
    ScriptInput input("header-menu 1022 Area\nok\n");
    GridPage page(kRows);
    EXPECT_EQ(page.DoModal(), IDOK);  // "ok" was read by the dialog, not by a menu
    EXPECT_FALSE(contains(qx::transcript(), u"Menu:"));
}

TEST_F(Grid, ColumnsThatMustStayAsTheyAreRefuseToChange)
{
    ScriptInput input("ok\n");
    GridPage page(kRows);
    page.DoModal();
    EXPECT_FALSE(page.grid.IsColumnShown(0));
    EXPECT_FALSE(page.grid.SetColumnShown(0, true));
    EXPECT_EQ(page.grid.GetColumnWidth(0), 0);
    page.grid.GetColumnTrait(1)->GetColumnState().bAlwaysVisible = true;
    EXPECT_FALSE(page.grid.SetColumnShown(1, false));
    EXPECT_TRUE(page.grid.IsColumnShown(1));
    page.grid.SetColumnWidth(2, 140);
    EXPECT_TRUE(page.grid.SetColumnShown(2, false));
    EXPECT_TRUE(page.grid.SetColumnShown(2, true));
    EXPECT_EQ(page.grid.GetColumnWidth(2), 140);
    // The hidden label column never sorts.
    page.grid.OnHeaderClick(0);
    EXPECT_EQ(page.arrows(), (std::vector<int>{kNone, kNone, kNone}));
}

TEST_F(Grid, SelectAllAndNoSelectionSetNativeChecksAndThePageHearsEachRow)
{
    ScriptInput input("uncheck 1022 Delta\ncell-menu 1022 gamma 1\nchoose \"Select all\"\ncell-menu 1022 #0 2\nok\n");
    GridPage page(kRows);
    page.beforeFill = [](GridPage& p) { p.grid.SetExtendedStyle(QxUiList::CheckBoxes | QxUiList::FullRowSelect); };
    page.onInit = [](RecordingDialog& self) {
        auto& p = static_cast<GridPage&>(self);
        for (int i = 0; i < p.grid.GetItemCount(); ++i) p.grid.SetCheck(i, i % 2 == 0);
    };
    page.DoModal();
    std::vector<int> newImages, rows;
    for (const auto& n : page.notifies(QxUiNotifyCode::ItemChanged)) {
        if (!(n.changed & QxUiList::ChangedState)) continue;
        int oldImage = QxUiList::StateImageOf(n.oldState), newImage = QxUiList::StateImageOf(n.newState);
        if (oldImage == newImage) continue;  // selection changes of the right-clicks
        rows.push_back(n.item);
        newImages.push_back(newImage);
    }
    // Start: rows 0, 2, 4 checked. "uncheck Delta" does nothing (row 3 is unchecked);
    // "Select all" checks rows 1 and 3; column 2 has no image and, being not column 1, gets no
    // menu, so all stay checked.
    EXPECT_EQ(rows, (std::vector<int>{1, 3}));
    EXPECT_EQ(newImages, (std::vector<int>{2, 2}));
    for (int i = 0; i < page.grid.GetItemCount(); ++i) EXPECT_TRUE(page.grid.GetCheck(i)) << i;
    const std::u16string& out = qx::transcript();
    EXPECT_EQ(out.find(u"Menu:"), out.rfind(u"Menu:")) << "one menu opened";
}

TEST_F(Grid, NoSelectionUnchecksEveryNativeCheck)
{
    ScriptInput input("cell-menu 1022 beta 1\nchoose \"No selection\"\nok\n");
    GridPage page(kRows);
    page.beforeFill = [](GridPage& p) { p.grid.SetExtendedStyle(QxUiList::CheckBoxes); };
    page.onInit = [](RecordingDialog& self) {
        auto& p = static_cast<GridPage&>(self);
        for (int i = 0; i < p.grid.GetItemCount(); ++i) p.grid.SetCheck(i, true);
    };
    page.DoModal();
    for (int i = 0; i < page.grid.GetItemCount(); ++i) EXPECT_FALSE(page.grid.GetCheck(i)) << i;
    EXPECT_TRUE(contains(qx::transcript(), u"      \"Select all\"\n      \"No selection\"\n"));
}

TEST_F(Grid, InCellImageModeTheMenuSetsTheClickedColumnsImages)
{
    ScriptInput input("cell-menu 1022 Alpha Total\nchoose \"No selection\"\ncell-menu 1022 gamma 1\nchoose \"Select all\"\nok\n");
    GridPage page(kRows, true);
    page.beforeFill = [](GridPage& p) { p.grid.bCellImageChecks = true; };
    page.DoModal();
    EXPECT_EQ(page.cellImages(3), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(page.cellImages(1), (std::vector<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(page.cellImages(2), (std::vector<int>{-1, -1, -1, -1, -1}));
}

TEST_F(Grid, ACheckImageClickTogglesItAndEverySelectedRowFollows)
{
    ScriptInput input("check 1022 Delta Name\nshow\nuncheck 1022 Delta Total\nok\n");
    GridPage page(kRows, true);
    page.DoModal();
    EXPECT_EQ(page.cellImages(1), (std::vector<int>{0, 0, 0, 1, 0}));
    EXPECT_EQ(page.cellImages(3), (std::vector<int>{1, 1, 1, 0, 1}));
    EXPECT_TRUE(contains(qx::transcript(), u"#3* | [x] Delta   | abc"));
    EXPECT_TRUE(contains(qx::transcript(), u"check <list> <row> [<column>] | uncheck <list> <row> [<column>]"));

    // With rows 0 and 2 selected, a click on row 0 sets row 2 alike; row 1 is left alone.
    for (int i = 0; i < 5; ++i) page.grid.SetItemState(i, i % 2 == 0 && i < 3 ? std::uint32_t(QxUiList::Selected) : 0u, QxUiList::Selected);
    page.grid.GetColumnTrait(1)->OnClickCell(page.grid, 0, 1);
    EXPECT_EQ(page.cellImages(1), (std::vector<int>{1, 0, 1, 1, 0}));
}

TEST_F(Grid, EditColumnsAreEditedInPlaceAndThePageIsTold)
{
    ScriptInput input("edit 1022 Alpha Area \"Surface\"\nedit 1022 beta Name \"x\"\nok\n");
    GridPage page(kRows, true);
    page.DoModal();
    EXPECT_EQ(page.grid.GetItemText(1, 2), u"Surface");
    auto edits = page.notifies(QxUiNotifyCode::EndLabelEdit);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].item, 1);
    EXPECT_EQ(edits[0].subItem, 2);
    EXPECT_TRUE(contains(qx::transcript(), u"column 1 of list 1022 cannot be edited"));
}

TEST_F(Grid, AnEmptyGridSaysSo)
{
    ScriptInput input("ok\n");
    GridPage page({});
    page.DoModal();
    EXPECT_TRUE(contains(qx::transcript(), u"There are no items to show in this view."));
    EXPECT_TRUE(page.grid.SortByColumn(1, true));
}
