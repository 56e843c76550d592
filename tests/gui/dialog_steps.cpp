#include "dialog_steps.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTest>

namespace qxtest {

namespace {

QTreeView* listOf(std::uint32_t page, int listId)
{
    qxgui::DialogWindow* dialog = shownDialog(page);
    return dialog ? qobject_cast<QTreeView*>(dialog->controlWidget(listId)) : nullptr;
}

int rowShowing(QTreeView& tree, const QString& text)
{
    const QAbstractItemModel& rows = *tree.model();
    for (int row = 0; row < rows.rowCount(); ++row)
        for (int column = 0; column < rows.columnCount(); ++column)
            if (rows.index(row, column).data().toString() == text) return row;
    return -1;
}

int columnTitled(QTreeView& tree, const std::string& title)
{
    const QAbstractItemModel& rows = *tree.model();
    for (int c = 0; c < rows.columnCount(); ++c)
        if (rows.headerData(c, Qt::Horizontal).toString() == QString::fromStdString(title)) return c;
    return -1;
}

QRect cellRect(QTreeView& tree, int row, int column)
{
    return tree.visualRect(tree.model()->index(row, column));
}

}  // namespace

qxgui::DialogWindow* shownDialog(std::uint32_t templateId)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = dynamic_cast<qxgui::DialogWindow*>(widget); dialog && dialog->isVisible() && dialog->model().templateId == templateId)
            return dialog;
    return nullptr;
}

void DialogSteps::page(std::uint32_t templateId, std::function<void(qxgui::DialogWindow&)> look)
{
    m_page = templateId;
    m_driver.waitFor("dialog " + std::to_string(templateId), [templateId] { return shownDialog(templateId) != nullptr; });
    if (look) m_driver.act("looking at dialog " + std::to_string(templateId), [templateId, look] { look(*shownDialog(templateId)); });
}

void DialogSteps::click(int controlId)
{
    const std::uint32_t page = m_page;
    m_driver.act("clicking " + std::to_string(controlId), [page, controlId] {
        QWidget* widget = shownDialog(page)->controlWidget(controlId);
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(widget->width() / 2, widget->height() / 2));
    });
}

void DialogSteps::typeInto(int controlId, const std::string& text)
{
    const std::uint32_t page = m_page;
    m_driver.act("typing into " + std::to_string(controlId), [page, controlId, text] {
        auto* edit = qobject_cast<QLineEdit*>(shownDialog(page)->controlWidget(controlId));
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromStdString(text));
    });
}

void DialogSteps::clickCheck(int listId, const std::string& row, int column)
{
    const std::uint32_t page = m_page;
    m_driver.act("checking " + row, [page, listId, row, column] {
        QTreeView* tree = listOf(page, listId);
        const int index = rowShowing(*tree, QString::fromStdString(row));
        ASSERT_GE(index, 0) << row;
        const QRect cell = cellRect(*tree, index, column < 0 ? 0 : column);
        int x = cell.left() + 8;
        // In the first column a picture comes after the row's own check box.
        if (column == 0 && tree->model()->index(index, 0).data(Qt::CheckStateRole).isValid())
            x += tree->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(x, cell.center().y()));
    });
}

void DialogSteps::rightClickCell(int listId, const std::string& row, int column)
{
    const std::uint32_t page = m_page;
    m_driver.act("right-clicking " + row, [page, listId, row, column] {
        QTreeView* tree = listOf(page, listId);
        const int index = rowShowing(*tree, QString::fromStdString(row));
        ASSERT_GE(index, 0) << row;
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, cellRect(*tree, index, column).center());
    });
}

void DialogSteps::editCell(int listId, const std::string& row, int column, const std::string& text)
{
    const std::uint32_t page = m_page;
    m_driver.act("editing " + row, [page, listId, row, column, text] {
        QTreeView* tree = listOf(page, listId);
        const int index = rowShowing(*tree, QString::fromStdString(row));
        ASSERT_GE(index, 0) << row;
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, cellRect(*tree, index, column).center());
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "no in-place editor opened";
        editor->selectAll();
        QTest::keyClicks(editor, QString::fromStdString(text));
        QTest::keyClick(editor, Qt::Key_Return);
    });
}

void DialogSteps::clickHeader(int listId, const std::string& title)
{
    const std::uint32_t page = m_page;
    m_driver.act("sorting by " + title, [page, listId, title] {
        QTreeView* tree = listOf(page, listId);
        const int column = columnTitled(*tree, title);
        ASSERT_GE(column, 0) << title;
        QHeaderView* header = tree->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    });
}

void DialogSteps::moveColumn(int listId, const std::string& title, int place)
{
    const std::uint32_t page = m_page;
    m_driver.act("moving " + title, [page, listId, title, place] {
        QTreeView* tree = listOf(page, listId);
        const int column = columnTitled(*tree, title);
        ASSERT_GE(column, 0) << title;
        // What a drag of the header does: the toolkit moves the section, the page follows.
        tree->header()->moveSection(tree->header()->visualIndex(column), place);
    });
}

void DialogSteps::chooseMenu(const std::string& entry)
{
    m_driver.waitFor("a menu", [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; });
    m_driver.act("choosing " + entry, [entry] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* action : menu->actions())
            if (action->text() == QString::fromStdString(entry)) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        ADD_FAILURE() << "no menu entry " << entry;
        menu->close();
    });
}

void DialogSteps::chooseFile(const std::string& path)
{
    m_driver.waitFor("a file dialog", [] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; });
    m_driver.act("choosing " + path, [path] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->clear();
        QTest::keyClicks(name, QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
    });
}

}  // namespace qxtest
