// The window renders any dialog of the model, not only the wizard's: a report list with check
// boxes and a movable header, and modal runs nested three deep (a dialog, a dialog it opens,
// a message box that one shows).
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTreeView>

#include "cad/ui/gui/dialog_window.h"
#include "gui_fixture.h"

namespace {

QxUiDialogTemplate dialogTemplate(std::u16string caption, std::vector<QxUiControlTemplate> controls)
{
    QxUiDialogTemplate t;
    t.width = 200;
    t.height = 120;
    t.caption = std::move(caption);
    t.controls = std::move(controls);
    return t;
}

qxgui::DialogWindow* shownWithCaption(const QString& caption)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = dynamic_cast<qxgui::DialogWindow*>(widget); dialog && dialog->isVisible() && dialog->windowTitle() == caption)
            return dialog;
    return nullptr;
}

void clickControl(qxgui::DialogWindow& dialog, int id)
{
    QWidget* widget = dialog.controlWidget(id);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

class Inner : public CQxUiDialog {
public:
    Inner()
        : CQxUiDialog(dialogTemplate(u"Inner", {{20, QxUiControlKind::PushButton, u"Ask", 10, 10, 50, 14, 0},
                                                {2, QxUiControlKind::PushButton, u"Cancel", 140, 100, 50, 14, 0}}))
    {
        OnCommandMap(QXUI_BN_CLICKED, 20, [this] {
            answer = MessageBox(u"Sure?", u"Question", QxUiMsg::YesNo | QxUiMsg::IconQuestion);
            EndDialog(IDOK);
        });
    }
    int answer = 0;
};

class Outer : public CQxUiDialog {
public:
    Outer()
        : CQxUiDialog(dialogTemplate(u"Outer", {{10, QxUiControlKind::PushButton, u"Open", 10, 10, 50, 14, 0},
                                                {11, QxUiControlKind::ListView, u"", 10, 30, 180, 60, QxUiStyle::ReportView | QxUiStyle::Border},
                                                {1, QxUiControlKind::DefPushButton, u"OK", 80, 100, 50, 14, 0},
                                                {2, QxUiControlKind::PushButton, u"Cancel", 140, 100, 50, 14, 0}}))
    {
        OnCommandMap(QXUI_BN_CLICKED, 10, [this] {
            Inner inner;
            innerResult = inner.DoModal();
            innerAnswer = inner.answer;
        });
        OnNotifyMap(QxUiNotifyCode::ColumnOrderChanged, 11, [this](const QxUiNotify&) { ++orderChanges; });
    }
    bool OnInitDialog() override
    {
        list.Attach(GetDialogModel()->find(11));
        list.SetExtendedStyle(QxUiList::CheckBoxes | QxUiList::HeaderDragDrop | QxUiList::FullRowSelect);
        for (const char16_t* title : {u"Name", u"Kind", u"Size"}) list.InsertColumn(list.GetColumnCount(), title, QxUiList::Left, 60);
        for (const char16_t* name : {u"alpha", u"beta", u"gamma"}) {
            const int item = list.InsertItem(list.GetItemCount(), name);
            list.SetItemText(item, 1, u"kind");
            list.SetItemText(item, 2, u"1");
        }
        return true;
    }
    CQxUiListCtrl list;
    int innerResult = -1, innerAnswer = 0, orderChanges = 0;
};

}  // namespace

TEST(GenericDialog, ChecksHeaderMovesAndNestedModalRunsReachTheDialog)
{
    qxtest::application();
    qxtest::startHost();
    qxgui::GuiSession session;
    qxtest::Driver driver(session);
    Outer outer;
    driver.waitFor("the outer dialog", [] { return shownWithCaption(QStringLiteral("Outer")); });
    driver.act("checking beta and moving the first column last", [] {
        auto* tree = qobject_cast<QTreeView*>(shownWithCaption(QStringLiteral("Outer"))->controlWidget(11));
        const QRect cell = tree->visualRect(tree->model()->index(1, 0));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 8, cell.center().y()));
        // What a drag of the header does: the toolkit moves the section, the model follows.
        tree->header()->moveSection(0, 2);
    });
    driver.act("opening the inner dialog", [] { clickControl(*shownWithCaption(QStringLiteral("Outer")), 10); });
    driver.waitFor("the inner dialog", [] { return shownWithCaption(QStringLiteral("Inner")); });
    driver.act("asking", [] { clickControl(*shownWithCaption(QStringLiteral("Inner")), 20); });
    driver.waitFor("the message box", [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); });
    driver.act("answering yes", [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    });
    driver.waitFor("the outer dialog again", [] { return shownWithCaption(QStringLiteral("Outer")) && !shownWithCaption(QStringLiteral("Inner")); });
    driver.act("pressing Enter", [] { QTest::keyClick(shownWithCaption(QStringLiteral("Outer")), Qt::Key_Return); });
    driver.startTicking();

    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(outer.innerResult, IDOK);
    EXPECT_EQ(outer.innerAnswer, IDYES);
    EXPECT_FALSE(outer.list.GetCheck(0));
    EXPECT_TRUE(outer.list.GetCheck(1));
    EXPECT_EQ(outer.list.GetColumnOrderArray(), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(outer.orderChanges, 1);
}

namespace {

// A million rows answered on demand; counts what the window asked for.
class CountingRows : public CQxUiListSource {
public:
    std::u16string_view GetCellText(int row, int subItem) const override
    {
        ++asked;
        m_text = (subItem == 0 ? u"row-" : u"size-") + QString::number(row).toStdU16String();
        return m_text;
    }
    mutable int asked = 0;

private:
    mutable std::u16string m_text;
};

class Huge : public CQxUiDialog {
public:
    static constexpr int kRows = 1'000'000;
    Huge()
        : CQxUiDialog(dialogTemplate(u"Huge", {{11, QxUiControlKind::ListView, u"", 10, 10, 180, 80, QxUiStyle::ReportView | QxUiStyle::Border},
                                               {1, QxUiControlKind::DefPushButton, u"OK", 80, 100, 50, 14, 0}}))
    {
    }
    bool OnInitDialog() override
    {
        list.Attach(GetDialogModel()->find(11));
        list.SetExtendedStyle(QxUiList::CheckBoxes);
        list.InsertColumn(0, u"Name", QxUiList::Left, 80);
        list.InsertColumn(1, u"Size", QxUiList::Right, 80);
        list.SetVirtualItems(kRows, rows);
        return true;
    }
    CQxUiListCtrl list;
    std::shared_ptr<CountingRows> rows = std::make_shared<CountingRows>();
};

}  // namespace

TEST(GenericDialog, AVirtualListOfAMillionRowsShowsOnlyWhatItPaints)
{
    qxtest::application();
    qxtest::startHost();
    qxgui::GuiSession session;
    qxtest::Driver driver(session);
    Huge huge;
    int rowsShown = 0;
    QString lastText;
    driver.waitFor("the dialog", [] { return shownWithCaption(QStringLiteral("Huge")); });
    driver.act("checking the second row and looking at the last", [&] {
        auto* tree = qobject_cast<QTreeView*>(shownWithCaption(QStringLiteral("Huge"))->controlWidget(11));
        rowsShown = tree->model()->rowCount();
        lastText = tree->model()->index(Huge::kRows - 1, 1).data().toString();
        const QRect cell = tree->visualRect(tree->model()->index(1, 0));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 8, cell.center().y()));
    });
    driver.act("pressing Enter", [] { QTest::keyClick(shownWithCaption(QStringLiteral("Huge")), Qt::Key_Return); });
    driver.startTicking();

    EXPECT_EQ(huge.DoModal(), IDOK);
    EXPECT_EQ(rowsShown, Huge::kRows);
    EXPECT_EQ(lastText, QStringLiteral("size-999999"));
    EXPECT_TRUE(huge.list.GetCheck(1));
    EXPECT_FALSE(huge.list.GetCheck(0));
    // A few screenfuls of cells at most, however many times the window repainted.
    EXPECT_LT(huge.rows->asked, 20000);
}
