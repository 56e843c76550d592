// Long lists on the console: a screenful of rows, a line saying how many more and how to see
// them, the actions that show a range or all, and full lists for scripts that want every row.
#include <gtest/gtest.h>

#include "cad/ui/console/console_frontend.h"
#include "support/ui_dialogs.h"

using qxtest::contains;
using qxtest::RecordingDialog;
using qxtest::ScriptInput;

namespace {

constexpr int kRows = 100;

std::u16string text(std::string_view s) { return qx::fromUtf8(s); }
std::u16string rowText(int i) { return u"item-" + text(std::to_string(i)); }

// Report list 107: kRows checkable rows "item-N" with a size column. List 108: kRows items
// in list mode.
class LongListDialog : public RecordingDialog {
public:
    LongListDialog() : RecordingDialog(qxtest::twoListsTemplate("Long list")) {}
    CQxUiListCtrl report;
    CQxUiListCtrl plain;

    bool OnInitDialog() override
    {
        report.Attach(GetDlgItem(107).GetControlModel());
        plain.Attach(GetDlgItem(108).GetControlModel());
        report.SetExtendedStyle(QxUiList::CheckBoxes);
        report.InsertColumn(0, u"Name");
        report.InsertColumn(1, u"Size", QxUiList::Right);
        for (int i = 0; i < kRows; ++i) {
            report.InsertItem(i, rowText(i));
            report.SetItemText(i, 1, text(std::to_string(i * 10)));
            plain.InsertItem(i, rowText(i));
        }
        return RecordingDialog::OnInitDialog();
    }
};

// The printed row lines of list 107 ("#n ...") in a text.
int rowLines(const std::u16string& out, std::u16string_view from = u"", std::u16string_view to = u"")
{
    std::size_t start = from.empty() ? 0 : out.find(from);
    std::size_t end = to.empty() ? out.size() : out.find(to, start);
    int count = 0;
    for (std::size_t at = out.find(u"\n         #", start); at < end; at = out.find(u"\n         #", at + 1)) ++count;
    return count;
}

bool checkAllOnOk(RecordingDialog& self, int, int id)
{
    if (id != IDOK) return false;
    auto& report = static_cast<LongListDialog&>(self).report;
    for (int i = 0; i < kRows; ++i) report.SetCheck(i, true);
    return true;
}

class LongLists : public ::testing::Test {
protected:
    void TearDown() override { qxui::setFullLists(false); }
};

}  // namespace

TEST_F(LongLists, ADialogShowsAScreenfulOfEachListAndSaysHowToSeeTheRest)
{
    ScriptInput input("cancel\n");
    LongListDialog dialog;
    dialog.DoModal();
    const std::u16string& out = qx::transcript();
    const std::size_t screen = qxui::kScreenRows;
    // Both lists: the first screenful, not the row after it, and the line that says the rest.
    EXPECT_TRUE(contains(out, u"#" + text(std::to_string(screen - 1)) + u" ")) << qx::toUtf8(out);
    EXPECT_FALSE(contains(out, u"#" + text(std::to_string(screen)) + u" "));
    const std::u16string more = text(std::to_string(kRows - screen)) + u" more rows: show ";
    EXPECT_TRUE(contains(out, u"(" + more + u"107 40-79 | show 107 all)")) << qx::toUtf8(out);
    EXPECT_TRUE(contains(out, u"(" + more + u"108 40-79 | show 108 all)"));
    EXPECT_EQ(rowLines(out), 2 * int(screen));
    EXPECT_TRUE(contains(out, u"show <list> all | show <list> <from>-<to>"));
}

TEST_F(LongLists, ShowPrintsARangeOrEveryRowAndTheRowsLeft)
{
    ScriptInput input("show 107 50-52\nshow 108 95-200\nshow 107 all\ncancel\n", false);
    LongListDialog dialog;
    dialog.DoModal();
    const std::u16string& out = qx::transcript();
    // A range: its rows with the header, where they are, and what follows.
    const std::u16string range = u"Dialog action: show 107 50-52\n";
    ASSERT_TRUE(contains(out, range));
    EXPECT_EQ(rowLines(out, range, u"Dialog action: show 108"), 3);
    EXPECT_TRUE(contains(out, u"(rows #50 to #52 of 100)"));
    EXPECT_TRUE(contains(out, u"| 1:Size"));
    EXPECT_TRUE(contains(out, u"#52  [ ] | item-52 | 520\n         (47 more rows: show 107 53-92 | show 107 all)"))
        << qx::toUtf8(out);
    // A range past the end stops at the last row, with nothing more to show.
    EXPECT_EQ(rowLines(out, u"Dialog action: show 108", u"Dialog action: show 107 all"), 5);
    EXPECT_TRUE(contains(out, u"#99 item-99\nDialog action: show 107 all"));
    // All: every row once.
    EXPECT_EQ(rowLines(out, u"Dialog action: show 107 all", u"Dialog action: cancel"), kRows);
    EXPECT_EQ(dialog.report.GetItemCount(), kRows);  // looking changed nothing
}

TEST_F(LongLists, ShowRefusesRangesThatNameNoRowsAndWhatIsNotAList)
{
    for (const char* line : {"show 107 100-120\n", "show 107 20-10\n", "show 107 some\n", "show 1 all\n",
                             "show 107 -3-4\n", "show 107\n"}) {
        ScriptInput input(std::string(line) + "cancel\n");
        LongListDialog dialog;
        dialog.DoModal();
        const std::u16string& out = qx::transcript();
        const bool refused = contains(out, u"usage: show") || contains(out, u"has 100 rows, #0 to #99") ||
                             contains(out, u"control 1 is not a list");
        EXPECT_TRUE(refused) << line << qx::toUtf8(out);
        EXPECT_FALSE(contains(out, u"(rows #")) << line;
    }
}

TEST_F(LongLists, ChangesToManyRowsPrintAScreenfulAndHowManyMoreOrWithFullListsEveryOne)
{
    // OK checks every row of 107 instead of closing: one action, a hundred changed rows.
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "full lists" : "screenfuls");
        qxui::setFullLists(full);
        ScriptInput input("click OK\ncancel\n", false);
        LongListDialog dialog;
        dialog.onCommand = checkAllOnOk;
        dialog.DoModal();
        const std::u16string& out = qx::transcript();
        const int shown = full ? kRows : int(qxui::kScreenRows);
        EXPECT_EQ(rowLines(out, u"Dialog \"Long list\"", u"Dialog action: click OK"), 2 * shown) << qx::toUtf8(out);
        EXPECT_EQ(rowLines(out, u"Dialog action: click OK", u"Dialog action: cancel"), shown);
        EXPECT_TRUE(contains(out, u"#39  [x] | item-39"));
        EXPECT_EQ(contains(out, full ? u"more changed rows" : u"(60 more changed rows: show 107 all)"), !full);
        EXPECT_EQ(contains(out, u"more rows"), !full);
        EXPECT_TRUE(dialog.report.GetCheck(kRows - 1));
    }
}

TEST_F(LongLists, AnActionThatLeavesAListAloneAndOneThatChangesItAreBothReportedRight)
{
    // The first OK changes nothing; the second renames a row far down and deletes the last.
    ScriptInput input("click OK\nclick OK\ncancel\n", false);
    LongListDialog dialog;
    int clicks = 0;
    dialog.onCommand = [&clicks](RecordingDialog& self, int, int id) {
        if (id != IDOK) return false;
        if (++clicks == 2) {
            auto& report = static_cast<LongListDialog&>(self).report;
            report.SetItemText(90, 1, u"changed");
            report.DeleteItem(kRows - 1);
        }
        return true;
    };
    dialog.DoModal();
    const std::u16string& out = qx::transcript();
    const std::u16string action = u"Dialog action: click OK\n";
    const std::size_t first = out.find(action);
    ASSERT_NE(first, std::u16string::npos) << qx::toUtf8(out);
    const std::size_t second = out.find(action, first + 1);
    ASSERT_NE(second, std::u16string::npos) << qx::toUtf8(out);
    EXPECT_EQ(out.substr(first + action.size(), second - first - action.size()), u"  (no change)\n");
    const std::u16string changes = out.substr(second, out.find(u"Dialog action: cancel") - second);
    EXPECT_EQ(rowLines(changes), 1) << qx::toUtf8(changes);
    EXPECT_TRUE(contains(changes, u"#90  [ ] | item-90 | changed")) << qx::toUtf8(changes);
    EXPECT_TRUE(contains(changes, u"(1 rows fewer)"));
}
