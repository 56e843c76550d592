// Dialog templates, modal runs and the notifications a dialog receives for the user's actions.
#include <gtest/gtest.h>

#include "support/ui_dialogs.h"

using qxtest::contains;
using qxtest::RecordingDialog;
using qxtest::ScriptInput;

namespace {

const char kTemplateText[] = R"(# every kind of control
dialog 300 200
font "MS Shell Dlg" 8
caption "Test dialog"
control 100 picture "" 7 7 100 236
control 101 static "Name \"quoted\" é" 10 10 50 8 vcenter
control 102 group "Options" 10 20 200 60
control 103 checkbox "Keep &layers" 20 30 100 10 tabstop
control 104 radio "First" 20 42 60 10 group
control 105 radio "Second" 20 54 60 10
control 106 edit "" 80 10 100 14 autohscroll border
control 107 listview "" 10 90 280 80 report
control 108 listview "" 10 90 100 60 list
control 109 button "Locked" 200 30 50 14 disabled
control 110 button "Open..." 200 50 50 14
control 1 defbutton "OK" 150 180 50 14
control 2 button "Cancel" 210 180 50 14
)";

const QxResourceFile kFiles[] = {
    {"dialogs/900.dlg", reinterpret_cast<const unsigned char*>(kTemplateText), sizeof kTemplateText - 1},
    {nullptr, nullptr, 0},
};

// A dialog on the test template with its check box, radio group and edit bound to members.
class BoundDialog : public RecordingDialog {
public:
    explicit BoundDialog(QxResourceInstance resources) : RecordingDialog(900u, pwsw_qxappMainWnd(), resources) {}
    int nKeep = 0;
    int nChoice = 0;
    std::u16string csName = u"start";
    void DoDataExchange(QxDataExchange& dx) override
    {
        DDX_Check(dx, 103, nKeep);
        DDX_Radio(dx, 104, nChoice);
        DDX_Text(dx, 106, csName);
    }
};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qxuiInitExtensionModule(m_module, "uitest", kFiles)); }
    void TearDown() override { qxuiTermExtensionModule(m_module); }
    QxResourceInstance resources() const { return m_module.resource; }

private:
    QxExtensionModule m_module;
};

}  // namespace

TEST(DialogTemplates, TextFormGivesEveryKindPlaceAndStyle)
{
    QxUiDialogTemplate t = qxtest::parseTemplate(kTemplateText);
    EXPECT_EQ(t.width, 300);
    EXPECT_EQ(t.height, 200);
    EXPECT_EQ(t.fontName, u"MS Shell Dlg");
    EXPECT_EQ(t.caption, u"Test dialog");
    ASSERT_EQ(t.controls.size(), 13u);
    EXPECT_EQ(t.controls[1].text, u"Name \"quoted\" é");
    EXPECT_EQ(t.controls[1].style, QxUiStyle::VCenter);
    EXPECT_EQ(t.controls[4].kind, QxUiControlKind::RadioButton);
    EXPECT_EQ(t.controls[4].style, QxUiStyle::Group);
    EXPECT_EQ(t.controls[6].style, QxUiStyle::AutoHScroll | QxUiStyle::Border);
    EXPECT_EQ(t.controls[7].kind, QxUiControlKind::ListView);
    EXPECT_EQ(t.controls[9].style, QxUiStyle::Disabled);
    const QxUiControlTemplate& ok = t.controls[11];
    EXPECT_EQ(ok.kind, QxUiControlKind::DefPushButton);
    EXPECT_EQ((std::vector<int>{ok.id, ok.x, ok.y, ok.w, ok.h}), (std::vector<int>{1, 150, 180, 50, 14}));
}

TEST(DialogTemplates, MistakesAreReportedWithTheirLine)
{
    QxUiDialogTemplate t;
    std::u16string error;
    EXPECT_FALSE(qxuiParseDialogTemplate("dialog 10 10\n\ncontrol 5 slider \"\" 1 2 3 4\n", t, error));
    EXPECT_TRUE(contains(error, u"line 3")) << qx::toUtf8(error);
    EXPECT_FALSE(qxuiParseDialogTemplate("dialog 10 10\ncontrol 5 edit \"\" 1 2 3 4 wobbly\n", t, error));
    EXPECT_TRUE(contains(error, u"wobbly"));
    EXPECT_FALSE(qxuiParseDialogTemplate("dialog 10 10\ncaption \"open\n", t, error));
    EXPECT_TRUE(contains(error, u"line 2"));
    EXPECT_FALSE(qxuiParseDialogTemplate("dialog 10 10\ncontrol 5 edit \"\" 1 2 3 4\ncontrol 5 static \"\" 1 2 3 4\n", t, error));
    EXPECT_TRUE(contains(error, u"twice"));
    EXPECT_FALSE(qxuiParseDialogTemplate("caption \"no size\"\n", t, error));
    EXPECT_FALSE(qxuiParseDialogTemplate("dialog 10 ten\n", t, error));
}

TEST_F(Dialogs, TemplateComesFromTheResourceChainAndAMissingOneFailsTheRun)
{
    QxUiDialogTemplate t;
    EXPECT_TRUE(qxuiLoadDialogTemplate(900, t, resources()));
    EXPECT_EQ(t.controls.size(), 13u);

    ScriptInput input("");
    RecordingDialog missing(901u, pwsw_qxappMainWnd(), resources());
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.IsRunning());
}

TEST_F(Dialogs, ButtonsTogglesRadiosAndTypingReachTheDialogAndItsMembers)
{
    ScriptInput input("click 103\nclick Second\ntype 106 \"Doors and windows\"\nclick OK\n");
    BoundDialog dialog(resources());
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.clicks(), (std::vector<int>{103, 105, 1}));
    bool sawChange = false;
    for (const auto& r : dialog.received) sawChange = sawChange || (r.code == QXUI_EN_CHANGE && r.notify.controlId == 106);
    EXPECT_TRUE(sawChange);
    // OnOK read the controls back into the members.
    EXPECT_EQ(dialog.nKeep, 1);
    EXPECT_EQ(dialog.nChoice, 1);
    EXPECT_EQ(dialog.csName, u"Doors and windows");
    EXPECT_EQ(dialog.IsDlgButtonChecked(104), 0);
}

TEST_F(Dialogs, MembersFillTheControlsWhenTheDialogOpens)
{
    ScriptInput input("check 103\ncancel\n");
    BoundDialog dialog(resources());
    dialog.nKeep = 1;
    dialog.nChoice = 0;
    dialog.csName = u"initial";
    dialog.onInit = [](RecordingDialog& d) { EXPECT_EQ(d.GetDlgItemText(106), u"initial"); };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    // Checking a box that is checked already is no click.
    EXPECT_TRUE(dialog.clicks() == std::vector<int>{2});
    EXPECT_TRUE(contains(qx::transcript(), u"[103]  check box [x] \"Keep layers\""));
    EXPECT_TRUE(contains(qx::transcript(), u"[104]  radio (o) \"First\""));
}

TEST_F(Dialogs, DisabledHiddenAndMissingControlsRefuseTheActionAndSayWhy)
{
    ScriptInput input("click Locked\nclick 101\nclick 103\nclick 999\nclick Nothing\nfrobnicate\nok\n");
    RecordingDialog dialog(900u, nullptr, resources());
    dialog.onInit = [](RecordingDialog& d) { d.ShowDlgItem(103, false); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.clicks(), std::vector<int>{1});  // only the Enter key's default button
    const std::u16string& out = qx::transcript();
    EXPECT_TRUE(contains(out, u"control 109 is disabled"));
    EXPECT_TRUE(contains(out, u"cannot be clicked"));
    EXPECT_TRUE(contains(out, u"control 103 is hidden"));
    EXPECT_TRUE(contains(out, u"no control 999"));
    EXPECT_TRUE(contains(out, u"no control \"Nothing\""));
    EXPECT_TRUE(contains(out, u"unknown action"));
    EXPECT_TRUE(contains(out, u"[109]  button \"Locked\" (disabled)"));
    EXPECT_FALSE(contains(out, u"[103]"));
}

TEST_F(Dialogs, EndOfInputClosesTheDialogAsCancelled)
{
    ScriptInput input("click 103\n");
    RecordingDialog dialog(900u, nullptr, resources());
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(contains(qx::transcript(), u"input ended"));
}

TEST_F(Dialogs, AScriptLineThatCannotBeCarriedOutEndsTheRunWithStatus2)
{
    EXPECT_EXIT(
        {
            ScriptInput input("click 999\nok\n", false);
            RecordingDialog dialog(900u, nullptr, resources());
            dialog.DoModal();
            std::exit(0);
        },
        ::testing::ExitedWithCode(2), "");
}

TEST_F(Dialogs, APageEndsItselfAndOpensTheNextFromItsHandler)
{
    // Page A's Next ends A and runs B; A's DoModal returns only after B ended.
    ScriptInput input("click Open...\ncheck 103\nclick OK\n");
    RecordingDialog pageA(900u, nullptr, resources());
    RecordingDialog pageB(900u, nullptr, resources());
    int bResult = 0;
    pageA.onCommand = [&](RecordingDialog& self, int code, int id) {
        if (code != QXUI_BN_CLICKED || id != 110) return false;
        self.EndDialog(IDOK);
        EXPECT_TRUE(self.HasEnded());
        bResult = pageB.DoModal();
        return true;
    };
    EXPECT_EQ(pageA.DoModal(), IDOK);
    EXPECT_EQ(bResult, IDOK);
    EXPECT_EQ(pageA.clicks(), std::vector<int>{110});
    EXPECT_EQ(pageB.clicks(), (std::vector<int>{103, 1}));
    EXPECT_TRUE(input.consumed());
}

TEST_F(Dialogs, ADialogStillOpenAfterANestedOneIsShownAgain)
{
    ScriptInput input("click Open...\nok\ncancel\n");
    RecordingDialog outer(900u, nullptr, resources());
    outer.SetWindowText(u"ignored before the run");
    outer.onInit = [](RecordingDialog& d) { d.SetWindowText(u"Outer"); };
    RecordingDialog inner(900u, nullptr, resources());
    inner.onInit = [](RecordingDialog& d) { d.SetWindowText(u"Inner"); };
    outer.onCommand = [&](RecordingDialog&, int code, int id) {
        if (code != QXUI_BN_CLICKED || id != 110) return false;
        EXPECT_EQ(inner.DoModal(), IDOK);
        return true;
    };
    EXPECT_EQ(outer.DoModal(), IDCANCEL);
    const std::u16string& out = qx::transcript();
    std::size_t first = out.find(u"Dialog \"Outer\"");
    std::size_t innerAt = out.find(u"Dialog \"Inner\"");
    ASSERT_NE(innerAt, std::u16string::npos);
    EXPECT_LT(first, innerAt);
    EXPECT_NE(out.find(u"Dialog \"Outer\"", innerAt), std::u16string::npos);
}

TEST_F(Dialogs, AnEditorCommandHidesTheDialogWhileTheCommandLineAnswers)
{
    ScriptInput input("click Open...\n10,20\nok\n");
    RecordingDialog dialog(900u, nullptr, resources());
    std::u16string answer;
    bool visibleWhilePicking = true;
    dialog.onCommand = [&](RecordingDialog& self, int code, int id) {
        if (code != QXUI_BN_CLICKED || id != 110) return false;
        EXPECT_TRUE(self.BeginEditorCommand());
        visibleWhilePicking = self.IsWindowVisible();
        qx::readInputLine(u"Point: ", answer);
        self.CompleteEditorCommand();
        return true;
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(visibleWhilePicking);
    EXPECT_EQ(answer, u"10,20");
    const std::u16string& out = qx::transcript();
    std::size_t hidden = out.find(u"hidden: answer on the command line");
    ASSERT_NE(hidden, std::u16string::npos);
    EXPECT_NE(out.find(u"Dialog \"Test dialog\"", hidden), std::u16string::npos);  // shown again
}

TEST_F(Dialogs, CancelledEditorCommandShowsTheDialogAgainToo)
{
    ScriptInput input("click Open...\ncancel\n");
    RecordingDialog dialog(900u, nullptr, resources());
    dialog.onCommand = [&](RecordingDialog& self, int code, int id) {
        if (code != QXUI_BN_CLICKED || id != 110) return false;
        self.BeginEditorCommand();
        EXPECT_FALSE(self.BeginEditorCommand());  // hidden already
        self.CancelEditorCommand();
        EXPECT_TRUE(self.IsWindowVisible());
        return true;
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(Dialogs, CommandTableRoutesByNotificationAndControl)
{
    ScriptInput input("click 110\ntype 106 \"x\"\nclick Cancel\n");
    RecordingDialog dialog(900u, nullptr, resources());
    std::vector<std::string> calls;
    dialog.OnCommandMap(QXUI_BN_CLICKED, 110, [&] { calls.push_back("open"); });
    dialog.OnCommandMap(QXUI_EN_CHANGE, 106, [&] { calls.push_back("typed"); });
    dialog.OnCommandMap(QXUI_BN_CLICKED, IDCANCEL, [&] {
        calls.push_back("cancel");
        dialog.EndDialog(42);
    });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "typed", "cancel"}));
}

TEST_F(Dialogs, OkStaysOpenWhileABoundControlIsMissing)
{
    class Broken : public RecordingDialog {
    public:
        using RecordingDialog::RecordingDialog;
        std::u16string csText;
        void DoDataExchange(QxDataExchange& dx) override { DDX_Text(dx, 999, csText); }
    };
    ScriptInput input("ok\ncancel\n");
    Broken dialog(900u, nullptr, resources());
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.clicks(), (std::vector<int>{1, 2}));
}

TEST_F(Dialogs, ControlsEnabledAndCheckedByTheDialogAreWhatTheUserGets)
{
    ScriptInput input("click Locked\nclick 110\nclick Locked\ncancel\n");
    RecordingDialog dialog(900u, nullptr, resources());
    dialog.onInit = [](RecordingDialog& d) {
        EXPECT_TRUE(d.CheckRadioButton(104, 105, 105));
        EXPECT_FALSE(d.CheckDlgButton(101, 1));  // a text has no check
    };
    dialog.OnCommandMap(QXUI_BN_CLICKED, 110, [&] { dialog.EnableDlgItem(109, true); });
    dialog.DoModal();
    EXPECT_EQ(dialog.clicks(), (std::vector<int>{110, 109, 2}));
    EXPECT_EQ(dialog.IsDlgButtonChecked(105), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(104), 0);
}

TEST_F(Dialogs, ATranslatedDialogAnswersToTheEnglishNamesOfItsTemplate)
{
    ScriptInput input("click \"Keep layers\"\nclick \"Garder les calques\"\nclick Open...\ncheck 103\nclick OK\n", false);
    RecordingDialog dialog(900u, nullptr, resources());
    dialog.onInit = [](RecordingDialog& d) {
        d.SetDlgItemText(103, u"Garder les calques");
        d.SetDlgItemText(110, u"Ouvrir...");
        d.SetDlgItemText(1, u"Valider");
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    // Both names reach the check box; "OK" reaches the button now reading "Valider".
    EXPECT_EQ(dialog.clicks(), (std::vector<int>{103, 103, 110, 103, 1}));
    // Each action tells what it changed, or that nothing did.
    const std::u16string& out = qx::transcript();
    EXPECT_TRUE(contains(out, u"Dialog action: click \"Keep layers\"\n  [103]  check box [x] \"Garder les calques\"\n")) << qx::toUtf8(out);
    EXPECT_TRUE(contains(out, u"Dialog action: click Open...\n  (no change)\n")) << qx::toUtf8(out);
}

TEST_F(Dialogs, AReadOnlyEditRefusesTypingAndNamesTheButtonBesideIt)
{
    const char text[] = R"(dialog 300 200
caption "Paths"
control 20 button "..." 10 10 20 12
control 21 edit "" 35 10 200 14 readonly
control 30 button "..." 10 40 20 12
control 31 edit "" 35 40 200 14 readonly
control 1 defbutton "OK" 150 180 50 14
)";
    ScriptInput input("type 31 \"x.csv\"\nok\n");
    RecordingDialog dialog(qxtest::parseTemplate(text));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(contains(qx::transcript(), u"edit 31 is read-only: the page fills it; click the button [30] \"...\""))
        << qx::toUtf8(qx::transcript());
    EXPECT_EQ(dialog.GetDlgItemText(31), u"");
}
