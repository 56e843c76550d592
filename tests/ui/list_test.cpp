// List views: the model's columns, items and states, and the notifications that the user's
// actions on a list send to the dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/ui_dialogs.h"

using qxtest::contains;
using qxtest::RecordingDialog;
using qxtest::ScriptInput;

namespace {

// Report list 107: a hidden column 0 holding "hidden-N", "Kind" and "Size"; rows Line, Arc,
// Circle with check boxes. List 108: two items in list mode.
class ListDialog : public RecordingDialog {
public:
    explicit ListDialog(std::uint32_t extraStyles = 0) : RecordingDialog(qxtest::twoListsTemplate("Lists")), m_extra(extraStyles) {}
    CQxUiListCtrl report;
    CQxUiListCtrl plain;

    bool OnInitDialog() override
    {
        report.Attach(GetDlgItem(107).GetControlModel());
        plain.Attach(GetDlgItem(108).GetControlModel());
        report.SetExtendedStyle(QxUiList::CheckBoxes | QxUiList::GridLines | m_extra);
        report.InsertColumn(0, u"", QxUiList::Left, 0);
        report.InsertColumn(1, u"Kind");
        report.InsertColumn(2, u"Size", QxUiList::Right);
        const char16_t* kinds[] = {u"Line", u"Arc", u"Circle"};
        const char16_t* sizes[] = {u"10", u"2.5", u"7"};
        for (int i = 0; i < 3; ++i) {
            report.InsertItem(i, u"hidden-" + std::u16string(1, char16_t(u'0' + i)));
            report.SetItemText(i, 1, kinds[i]);
            report.SetItemText(i, 2, sizes[i]);
            report.SetItemData(i, std::uint64_t(100 + i));
        }
        report.SetCheck(1, true);
        plain.InsertItem(0, u"drawing.dxf");
        plain.InsertItem(1, u"other.dxf");
        received.clear();  // what filling sent is not what the user did
        return RecordingDialog::OnInitDialog();
    }

private:
    std::uint32_t m_extra;
};

int stateImage(std::uint32_t state) { return QxUiList::StateImageOf(state); }

// The list dialog, shown and cancelled: what the model does on its own.
class ListModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptInput input("cancel\n");
        dialog.DoModal();
    }
    ListDialog dialog;
    CQxUiListCtrl& list = dialog.report;
};

}  // namespace

TEST_F(ListModel, ColumnsShiftCellsAndTheHeaderOrderFollows)
{
    EXPECT_EQ(list.InsertColumn(1, u"Layer"), 1);
    EXPECT_EQ(list.GetItemText(0, 2), u"Line");  // the cells moved right with their columns
    EXPECT_EQ(list.GetItemText(0, 1), u"");
    EXPECT_EQ(list.GetColumnOrderArray(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(list.SetColumnOrderArray({0, 3, 1, 2}));
    EXPECT_FALSE(list.SetColumnOrderArray({0, 3, 3, 2}));
    EXPECT_FALSE(list.SetColumnOrderArray({0, 1, 2}));
    EXPECT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(list.GetColumnOrderArray(), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(list.GetItemText(2, 1), u"Circle");
    EXPECT_FALSE(list.DeleteColumn(7));
    EXPECT_EQ(list.GetItemText(5, 1), u"");
    EXPECT_FALSE(list.SetItemText(0, 9, u"x"));
}

TEST_F(ListModel, SortsAreStableAndCarryDataStatesAndCells)
{
    list.SetItemData(2, 100);  // ties with the first item
    ASSERT_TRUE(list.SortItems([](std::uint64_t a, std::uint64_t b) { return a < b ? 1 : a > b ? -1 : 0; }));
    // Descending by data: Arc (101) first, then Line and Circle (both 100) in their old order.
    EXPECT_EQ(list.GetItemText(0, 1), u"Arc");
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_EQ(list.GetItemText(1, 1), u"Line");
    EXPECT_EQ(list.GetItemText(2, 1), u"Circle");
    ASSERT_TRUE(list.SortItemsByIndex([&](int a, int b) { return int(list.GetItemText(a, 1).size()) - int(list.GetItemText(b, 1).size()); }));
    EXPECT_EQ(list.GetItemText(0, 1), u"Arc");
    EXPECT_EQ(list.GetItemText(2, 1), u"Circle");
}

TEST_F(ListModel, OneItemHasTheFocusAndSelectionsAreListed)
{
    list.SetItemState(0, QxUiList::Focused | QxUiList::Selected, QxUiList::Focused | QxUiList::Selected);
    list.SetItemState(2, QxUiList::Focused | QxUiList::Selected, QxUiList::Focused | QxUiList::Selected);
    EXPECT_EQ(list.GetItemState(0, QxUiList::Focused), 0u);
    EXPECT_EQ(list.GetSelectedItems(), (std::vector<int>{0, 2}));
}

TEST(ListActions, CheckingARowSendsItemChangedWithOldAndNewStateImages)
{
    ScriptInput input("check 107 \"Line\"\nuncheck 107 #1\ncheck 107 Line\nuncheck 107 \"Circle\"\nok\n");
    ListDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    auto changes = dialog.notifies(QxUiNotifyCode::ItemChanged);
    // Line checked, Arc unchecked; the two lines asking for what is so already send nothing.
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].item, 0);
    EXPECT_EQ(stateImage(changes[0].oldState), 1);
    EXPECT_EQ(stateImage(changes[0].newState), 2);
    EXPECT_EQ(changes[0].changed, QxUiList::ChangedState);
    EXPECT_EQ(changes[1].item, 1);
    EXPECT_EQ(stateImage(changes[1].oldState), 2);
    EXPECT_EQ(stateImage(changes[1].newState), 1);
    EXPECT_TRUE(dialog.report.GetCheck(0));
    EXPECT_FALSE(dialog.report.GetCheck(1));
}

TEST(ListActions, ADialogThatSetsChecksItselfHearsOfThemToo)
{
    // Filling a list by checking its items makes the dialog's item handling run.
    ScriptInput input("ok\n");
    ListDialog dialog;
    std::vector<int> heard;
    dialog.OnNotifyMap(QxUiNotifyCode::ItemChanged, 108, [&](const QxUiNotify& n) { heard.push_back(n.item); });
    dialog.onInit = [](RecordingDialog& self) {
        auto& d = static_cast<ListDialog&>(self);
        d.plain.SetExtendedStyle(QxUiList::CheckBoxes);
        d.plain.SetCheck(1, true);
        d.plain.SetCheck(1, true);  // no change, no notification
        d.plain.SetCheck(0, false);  // unchecked already
    };
    dialog.DoModal();
    EXPECT_EQ(heard, std::vector<int>{1});
}

TEST(ListActions, HeaderAndCellClicksCarryTheColumnRowAndPoint)
{
    ScriptInput input("sort 107 2\nsort 107 Kind\nheader-menu 107 Size\ncell-menu 107 \"Circle\" 2\nok\n");
    ListDialog dialog;
    dialog.DoModal();
    auto sorts = dialog.notifies(QxUiNotifyCode::ColumnClick);
    ASSERT_EQ(sorts.size(), 2u);
    EXPECT_EQ(sorts[0].subItem, 2);
    EXPECT_EQ(sorts[1].subItem, 1);
    auto headerMenus = dialog.notifies(QxUiNotifyCode::HeaderRightClick);
    ASSERT_EQ(headerMenus.size(), 1u);
    EXPECT_EQ(headerMenus[0].subItem, 2);
    auto cellMenus = dialog.notifies(QxUiNotifyCode::RightClick);
    ASSERT_EQ(cellMenus.size(), 1u);
    EXPECT_EQ(cellMenus[0].item, 2);
    EXPECT_EQ(cellMenus[0].subItem, 2);
    // The points lie on the list, the column further right than the first shown one.
    EXPECT_GT(cellMenus[0].point.x, headerMenus[0].point.x - 1);
    EXPECT_GT(cellMenus[0].point.y, headerMenus[0].point.y);
    EXPECT_GE(headerMenus[0].point.x, 10);
    // A right-click selects the row it hits.
    EXPECT_EQ(dialog.report.GetSelectedItems(), std::vector<int>{2});
}

TEST(ListActions, RowsAreNamedByShownTextsOnlyAndWrongNamesAreRefused)
{
    ScriptInput input("check 107 \"hidden-2\"\ncheck 107 #7\nsort 107 0\nsort 107 Colour\ncheck 108 \"drawing.dxf\"\ncheck 1 \"Line\"\nok\n");
    ListDialog dialog;
    dialog.DoModal();
    EXPECT_TRUE(dialog.notifies(QxUiNotifyCode::ItemChanged).empty());
    EXPECT_TRUE(dialog.notifies(QxUiNotifyCode::ColumnClick).empty());
    const std::u16string& out = qx::transcript();
    EXPECT_TRUE(contains(out, u"no row \"hidden-2\""));
    EXPECT_TRUE(contains(out, u"no row #7"));
    EXPECT_TRUE(contains(out, u"shows no column 0"));
    EXPECT_TRUE(contains(out, u"shows no column \"Colour\""));
    EXPECT_TRUE(contains(out, u"rows of list 108 have no check boxes"));
}

TEST(ListActions, OnlyEditableColumnsAreEditedInPlace)
{
    ScriptInput input("edit 107 Arc 2 \"3.5\"\nedit 107 Arc Kind \"Bow\"\nok\n");
    ListDialog dialog;
    dialog.onInit = [](RecordingDialog& self) { static_cast<ListDialog&>(self).report.SetColumnEditable(1, true); };
    dialog.DoModal();
    EXPECT_TRUE(contains(qx::transcript(), u"column 2 of list 107 cannot be edited"));
    auto edits = dialog.notifies(QxUiNotifyCode::EndLabelEdit);
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].item, 1);
    EXPECT_EQ(edits[0].subItem, 1);
    EXPECT_EQ(edits[0].text, u"Bow");
    EXPECT_EQ(dialog.report.GetItemText(1, 1), u"Bow");
    EXPECT_EQ(dialog.report.GetItemText(1, 2), u"2.5");
}

TEST(ListActions, ColumnsMoveOnlyInListsThatAllowIt)
{
    {
        ScriptInput input("move-column 107 2 1\nok\n");
        ListDialog dialog;
        dialog.DoModal();
        EXPECT_TRUE(contains(qx::transcript(), u"cannot be moved"));
        EXPECT_EQ(dialog.report.GetColumnOrderArray(), (std::vector<int>{0, 1, 2}));
    }
    ScriptInput input("move-column 107 Size 1\nmove-column 107 1 9\nok\n");
    ListDialog dialog(QxUiList::HeaderDragDrop);
    dialog.DoModal();
    EXPECT_EQ(dialog.report.GetColumnOrderArray(), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(dialog.notifies(QxUiNotifyCode::ColumnOrderChanged).size(), 1u);
    EXPECT_TRUE(contains(qx::transcript(), u"no column place 9"));
}

TEST(ListPrinting, TablesShowChecksArrowsAndOnlyShownColumnsInHeaderOrder)
{
    ScriptInput input("ok\n");
    ListDialog dialog(QxUiList::HeaderDragDrop);
    dialog.onInit = [](RecordingDialog& self) {
        auto& d = static_cast<ListDialog&>(self);
        d.report.SetColumnSortArrow(2, QxUiList::ArrowDown);
        d.report.SetColumnOrderArray({0, 2, 1});
        d.plain.DeleteAllItems();
        d.plain.SetEmptyText(u"Nothing here.");
    };
    dialog.DoModal();
    const std::u16string& out = qx::transcript();
    EXPECT_TRUE(contains(out, u"  [107]  list, rows with check boxes\n"));
    EXPECT_TRUE(contains(out, u"         " u"        | 2:Size v | 1:Kind\n"));
    EXPECT_TRUE(contains(out, u"         #0   [ ] | 10       | Line\n"));
    EXPECT_TRUE(contains(out, u"         #1   [x] | 2.5      | Arc\n"));
    EXPECT_FALSE(contains(out, u"hidden-"));
    EXPECT_TRUE(contains(out, u"  [108]  list\n         Nothing here.\n"));
    EXPECT_TRUE(contains(out, u"move-column <list> <column> <place>"));
}

TEST(MessageBoxes, TheAnswerIsTheButtonAndOnlyOfferedButtonsAreTaken)
{
    ScriptInput input("ok\nno\nyes\nok\n");
    EXPECT_EQ(qxuiMessageBox(nullptr, u"Quit?", u"Wizard", QxUiMsg::YesNo | QxUiMsg::IconQuestion), IDNO);
    EXPECT_EQ(qxuiMessageBox(nullptr, u"Sure?", u"", QxUiMsg::YesNoCancel), IDYES);
    EXPECT_EQ(qxuiMessageBox(nullptr, u"No data table selected", u"", QxUiMsg::IconInformation), IDOK);
    const std::u16string& out = qx::transcript();
    EXPECT_TRUE(contains(out, u"Message \"Wizard\" (question): Quit?\n  answer: yes | no"));
    EXPECT_TRUE(contains(out, u"the message box takes: yes | no"));
    EXPECT_TRUE(contains(out, u"(information): No data table selected"));
}

TEST(Menus, TheChosenEntryGivesItsIdAndDismissingGivesZero)
{
    CQxUiMenu menu;
    menu.AppendItem(4, u"Name", QxUiMenuFlag::Checked);
    menu.AppendItem(5, u"Layer", QxUiMenuFlag::Disabled);
    menu.AppendSeparator();
    menu.AppendItem(6, u"&Area");
    ScriptInput input("choose \"Layer\"\nchoose Colour\nchoose area\ncancel\n");
    EXPECT_EQ(menu.TrackPopupMenu({1, 2}), 6);
    EXPECT_EQ(menu.TrackPopupMenu({1, 2}), 0);
    const std::u16string& out = qx::transcript();
    EXPECT_TRUE(contains(out, u"  [x] \"Name\"\n      \"Layer\" (disabled)\n  ----\n"));
    EXPECT_TRUE(contains(out, u"\"Layer\" is disabled"));
    EXPECT_TRUE(contains(out, u"no entry \"Colour\""));
}

TEST(FileDialogs, TheChoiceIsAFullPathAndTheFilterNumber)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "qxui-file-tests";
    fs::create_directories(dir);
    const std::string folder = dir.string();
    {
        // The type chosen wins over the extension typed.
        ScriptInput input("file \"" + folder + "/bom.csv\" 2\n");
        CQxUiFileDialog save(false, u"", u"*.csv", QxUiFile::HideReadOnly, u"Csv file (*.csv)|*.csv| Xls file (*.xls)|*.xls||");
        ASSERT_EQ(save.DoModal(), IDOK);
        EXPECT_EQ(save.GetPathName(), qx::fromUtf8(folder + "/bom.csv"));
        EXPECT_EQ(save.GetFilterIndex(), 2);
        EXPECT_TRUE(contains(qx::transcript(), u"types: 1 \"Csv file (*.csv)\" 2 \"Xls file (*.xls)\""));
    }
    {
        // Without a number the extension picks the type; a relative path is made full.
        ScriptInput input("file \"" + folder + "/x/../bom.XLS\"\n");
        CQxUiFileDialog save(false, u"", u"", 0, u"Csv file (*.csv)|*.csv|Xls file (*.xls)|*.xls||");
        ASSERT_EQ(save.DoModal(), IDOK);
        EXPECT_EQ(save.GetPathName(), qx::fromUtf8(folder + "/bom.XLS"));
        EXPECT_EQ(save.GetFilterIndex(), 2);
    }
    std::ofstream(dir / "kept.qex") << "<x/>";
    {
        ScriptInput input("file \"" + folder + "/absent.qex\"\nfile \"" + folder + "/kept.qex\" 3\nfile \"" + folder + "/kept\"\n");
        CQxUiFileDialog open(true, u"qex", u"*.qex", QxUiFile::FileMustExist | QxUiFile::HideReadOnly, u"Qex file (*.qex)|*.qex||");
        ASSERT_EQ(open.DoModal(), IDOK);
        EXPECT_EQ(open.GetPathName(), qx::fromUtf8(folder + "/kept.qex"));  // the default extension added
        EXPECT_EQ(open.GetFilterIndex(), 1);
        EXPECT_TRUE(contains(qx::transcript(), u"absent.qex does not exist"));
        EXPECT_TRUE(contains(qx::transcript(), u"no file type 3"));
    }
    {
        ScriptInput input("cancel\n");
        CQxUiFileDialog open(true, u"", u"", 0, u"Qex file (*.qex)|*.qex||");
        EXPECT_EQ(open.DoModal(), IDCANCEL);
        EXPECT_EQ(open.GetPathName(), u"");
    }
    fs::remove_all(dir);
}
