// Lists in virtual mode: rows answered by a source instead of stored items. The same rows in a
// stored list and in a virtual one must look and behave alike on the console (screenfuls,
// ranges, rows named by their text, sorts, checks), and the virtual list keeps only what
// changed.
#include <gtest/gtest.h>

#include "cad/ui/console/console_frontend.h"
#include "cad/ui/model.h"
#include "support/ui_dialogs.h"

using qxtest::contains;
using qxtest::RecordingDialog;
using qxtest::ScriptInput;

namespace {

constexpr int kRows = 100;

std::u16string text(std::string_view s) { return qx::fromUtf8(s); }

// Row r: a hidden label "label-r", a name "item-r" and a size that does not follow the name's
// order, so that sorting by either column gives a different order.
std::u16string cellOf(int row, int column)
{
    switch (column) {
    case 0: return u"label-" + text(std::to_string(row));
    case 1: return u"item-" + text(std::to_string(row));
    case 2: return text(std::to_string((row * 37) % kRows));
    default: return u"";
    }
}

class GeneratedRows : public CQxUiListSource {
public:
    explicit GeneratedRows(int rows) : m_rows(rows) {}
    std::u16string_view GetCellText(int row, int subItem) const override
    {
        ++asked;
        m_text = row < m_rows ? cellOf(row, subItem) : u"";
        return m_text;
    }
    std::uint64_t GetItemData(int row) const override { return std::uint64_t(1000 + row); }
    mutable int asked = 0;

private:
    int m_rows;
    mutable std::u16string m_text;
};

// List 107: checkable report rows with a hidden label column, "Name" and "Size", stored or
// virtual. A header click sorts by that column's text, descending for "Size".
class TwinListDialog : public RecordingDialog {
public:
    explicit TwinListDialog(bool bVirtual, int rows = kRows)
        : RecordingDialog(qxtest::twoListsTemplate("Twin lists")), m_virtual(bVirtual), m_rows(rows)
    {
    }
    CQxUiListCtrl report;
    std::shared_ptr<GeneratedRows> source;

    bool OnInitDialog() override
    {
        report.Attach(GetDlgItem(107).GetControlModel());
        report.SetExtendedStyle(QxUiList::CheckBoxes | QxUiList::HeaderDragDrop);
        report.InsertColumn(0, u"", QxUiList::Left, 0);
        report.InsertColumn(1, u"Name");
        report.InsertColumn(2, u"Size", QxUiList::Right);
        if (m_virtual) {
            source = std::make_shared<GeneratedRows>(m_rows);
            report.SetVirtualItems(m_rows, source);
        } else {
            for (int row = 0; row < m_rows; ++row) {
                report.InsertItem(row, cellOf(row, 0));
                report.SetItemText(row, 1, cellOf(row, 1));
                report.SetItemText(row, 2, cellOf(row, 2));
                report.SetItemData(row, std::uint64_t(1000 + row));
            }
        }
        return RecordingDialog::OnInitDialog();
    }

    bool OnNotify(const QxUiNotify& notify) override
    {
        if (notify.code != QxUiNotifyCode::ColumnClick) return RecordingDialog::OnNotify(notify);
        const int column = notify.subItem;
        const int sign = column == 2 ? -1 : 1;
        std::vector<std::u16string> texts;
        for (int row = 0; row < report.GetItemCount(); ++row) texts.push_back(report.GetItemText(row, column));
        report.SortItemsByIndex([&](int a, int b) { return sign * texts[std::size_t(a)].compare(texts[std::size_t(b)]); });
        return true;
    }

private:
    bool m_virtual;
    int m_rows;
};

// Everything the console printed for a dialog driven by `script`.
std::u16string transcriptOf(bool bVirtual, const std::string& script)
{
    ScriptInput input(script, false);
    TwinListDialog dialog(bVirtual);
    dialog.DoModal();
    return qx::transcript();
}

}  // namespace

TEST(VirtualLists, TheConsoleShowsPagesSortsAndChecksThemAsItDoesStoredLists)
{
    const std::string script =
        "show 107 50-52\ncheck 107 item-45\nsort 107 Size\nshow 107 0-5\ncheck 107 #3\nmove-column 107 Size 1\n"
        "sort 107 Name\nuncheck 107 \"ITEM-45\"\nshow 107 all\ncancel\n";
    const std::u16string stored = transcriptOf(false, script);
    const std::u16string shown = transcriptOf(true, script);
    EXPECT_EQ(qx::toUtf8(shown), qx::toUtf8(stored));
    // And the script did what it says, so that the comparison covers it.
    EXPECT_TRUE(contains(shown, u"(60 more rows: show 107 40-79 | show 107 all)")) << qx::toUtf8(shown);
    EXPECT_TRUE(contains(shown, u"(rows #50 to #52 of 100)"));
    EXPECT_TRUE(contains(shown, u"#0   [ ] | item-27 | 99")) << qx::toUtf8(shown);  // largest size first
    EXPECT_FALSE(contains(shown, u"no row"));
}

TEST(VirtualLists, ChecksDataAndEditedCellsFollowTheirRowsThroughASort)
{
    ScriptInput input("cancel\n");
    TwinListDialog dialog(true);
    dialog.DoModal();
    CQxUiListCtrl& list = dialog.report;
    ASSERT_TRUE(list.IsVirtual());
    EXPECT_EQ(list.GetItemCount(), kRows);
    EXPECT_EQ(list.GetItemData(7), 1007u);  // the source's data
    list.SetCheck(7, true);
    list.SetItemText(7, 1, u"renamed");
    list.SetItemData(9, 5);
    // Descending by data: row 9 (now 5) goes last, the rest reverse.
    ASSERT_TRUE(list.SortItems([](std::uint64_t a, std::uint64_t b) { return a < b ? 1 : a > b ? -1 : 0; }));
    EXPECT_EQ(list.GetItemText(0, 1), u"item-99");
    EXPECT_EQ(list.GetItemData(kRows - 1), 5u);
    const int renamed = kRows - 1 - 1 - 7;  // 99..10, 8, 7: row 7 after the 91 rows above it
    EXPECT_EQ(list.GetItemText(renamed, 1), u"renamed");
    EXPECT_EQ(list.GetItemText(renamed, 2), cellOf(7, 2));  // the other cells still from the source
    EXPECT_TRUE(list.GetCheck(renamed));
    EXPECT_EQ(list.GetItemText(renamed + 1, 1), u"item-6");
    EXPECT_FALSE(list.GetCheck(renamed + 1));
    // A second sort starts from the first one's order.
    ASSERT_TRUE(list.SortItemsByIndex([&](int a, int b) { return list.GetItemText(a, 1).compare(list.GetItemText(b, 1)); }));
    EXPECT_EQ(list.GetItemText(0, 1), u"item-0");
    EXPECT_EQ(list.GetItemText(kRows - 1, 1), u"renamed");
    EXPECT_TRUE(list.GetCheck(kRows - 1));
}

TEST(VirtualLists, ColumnsInsertedLaterMoveChangedCellsAndItemsCannotBeInsertedOneByOne)
{
    ScriptInput input("cancel\n");
    TwinListDialog dialog(true);
    dialog.DoModal();
    CQxUiListCtrl& list = dialog.report;
    list.SetItemText(3, 2, u"edited");
    EXPECT_EQ(list.InsertColumn(1, u"Layer"), 1);
    EXPECT_EQ(list.GetItemText(3, 3), u"edited");  // the changed cell moved with its column
    EXPECT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(list.GetItemText(3, 2), u"edited");
    EXPECT_TRUE(list.DeleteColumn(2));
    EXPECT_EQ(list.InsertColumn(2, u"Again"), 2);
    EXPECT_EQ(list.GetItemText(3, 2), cellOf(3, 2));  // the edit went with its column
    EXPECT_EQ(list.InsertItem(0, u"extra"), -1);
    EXPECT_FALSE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), kRows);
    EXPECT_FALSE(list.SetVirtualItems(3, nullptr));
    EXPECT_FALSE(list.SetVirtualItems(-1, dialog.source));
    // Emptied, the list stores items again.
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_FALSE(list.IsVirtual());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.InsertItem(0, u"stored"), 0);
    EXPECT_EQ(list.GetItemText(0, 0), u"stored");
}

TEST(VirtualLists, AMillionRowsKeepOnlyWhatChangedAndTheConsoleReadsOnlyWhatItPrints)
{
    const int rows = 1'000'000;
    ScriptInput input("show 107 999990-999999\ncancel\n", false);
    TwinListDialog dialog(true, rows);
    dialog.DoModal();
    const std::u16string& out = qx::transcript();
    EXPECT_TRUE(contains(out, u"(999960 more rows: show 107 40-79 | show 107 all)"));
    EXPECT_TRUE(contains(out, u"#999999 [ ] | item-999999 | 63\n")) << qx::toUtf8(out.substr(out.size() - 2000));
    // The first screenful and the range, each cell read once or so: not the whole list.
    EXPECT_LT(dialog.source->asked, 4 * 3 * int(qxui::kScreenRows + 10));

    CQxUiListCtrl& list = dialog.report;
    list.SetCheck(999998, true);
    list.SetItemState(5, QxUiList::Selected | QxUiList::Focused, QxUiList::Selected | QxUiList::Focused);
    list.SetItemState(6, QxUiList::Focused, QxUiList::Focused);  // takes the focus from row 5
    const QxUiListModel& model = *list.GetControlModel()->list;
    EXPECT_TRUE(model.items.empty());
    EXPECT_EQ(model.rowStates.size(), 3u);
    EXPECT_TRUE(list.GetCheck(999998));
    EXPECT_EQ(list.GetSelectedItems(), std::vector<int>{5});
    EXPECT_EQ(list.GetItemState(5, QxUiList::Focused), 0u);
}
