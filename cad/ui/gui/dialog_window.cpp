#include "cad/ui/gui/dialog_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeView>

#include "cad/editor/console.h"
#include "cad/ui/gui/images.h"
#include "cad/ui/gui/list_table_model.h"

namespace qxgui {

namespace {

std::map<const QxUiDialogModel*, DialogWindow*>& openWindows()
{
    static std::map<const QxUiDialogModel*, DialogWindow*> windows;
    return windows;
}

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

// Templates leave room for the classic 13-pixel check box and a small gap before its text.
const QString kClassicIndicator = QStringLiteral("QCheckBox, QRadioButton { spacing: 4px; }"
                                                 "QCheckBox::indicator, QRadioButton::indicator { width: 13px; height: 13px; }");

ListTableModel& rowsOf(QTreeView& tree) { return *static_cast<ListTableModel*>(tree.model()); }

}  // namespace

DialogWindow::DialogWindow(QxUiDialogModel& dialog, QWidget* parent) : QDialog(parent), m_dialog(dialog)
{
    setObjectName(QStringLiteral("dialog%1").arg(dialog.templateId));
    const QFont font = templateFont(dialog.dialogTemplate);
    setFont(font);
    m_units = DialogUnits::of(font);

    setFixedSize(m_units.toPixelsX(dialog.dialogTemplate.width), m_units.toPixelsY(dialog.dialogTemplate.height));
    for (auto& control : dialog.controls) {
        QWidget* widget = makeControl(*control);
        widget->setGeometry(m_units.toPixels(control->x, control->y, control->w, control->h));
        widget->setFont(font);
        widget->setObjectName(QStringLiteral("control%1").arg(control->id));
        if (control->kind == QxUiControlKind::GroupBox) widget->lower();
        m_widgets[control.get()] = widget;
    }
    openWindows()[&dialog] = this;
    refresh();
}

DialogWindow::~DialogWindow() { openWindows().erase(&m_dialog); }

DialogWindow* DialogWindow::of(const QxUiDialogModel& dialog)
{
    const auto it = openWindows().find(&dialog);
    return it == openWindows().end() ? nullptr : it->second;
}

QWidget* DialogWindow::controlWidget(int id) const
{
    for (const auto& [control, widget] : m_widgets)
        if (control->id == id) return widget;
    return nullptr;
}

QWidget* DialogWindow::makeControl(QxUiControlModel& control)
{
    const int id = control.id;
    switch (control.kind) {
    case QxUiControlKind::Static: {
        auto* label = new QLabel(this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | ((control.style & QxUiStyle::VCenter) ? Qt::AlignVCenter : Qt::AlignTop));
        return label;
    }
    case QxUiControlKind::GroupBox: return new QGroupBox(this);
    case QxUiControlKind::PushButton:
    case QxUiControlKind::DefPushButton: {
        auto* button = new QPushButton(this);
        button->setAutoDefault(false);
        button->setDefault(control.kind == QxUiControlKind::DefPushButton);
        connect(button, &QPushButton::clicked, this, [this, id] { apply(qxui::clickButton(m_dialog, id)); });
        return button;
    }
    case QxUiControlKind::CheckBox: {
        auto* box = new QCheckBox(this);
        box->setStyleSheet(kClassicIndicator);
        connect(box, &QCheckBox::clicked, this, [this, id] { apply(qxui::clickButton(m_dialog, id)); });
        return box;
    }
    case QxUiControlKind::RadioButton: {
        auto* radio = new QRadioButton(this);
        radio->setStyleSheet(kClassicIndicator);
        radio->setAutoExclusive(false);  // the model keeps the group
        connect(radio, &QRadioButton::clicked, this, [this, id] { apply(qxui::clickButton(m_dialog, id)); });
        return radio;
    }
    case QxUiControlKind::Edit: {
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(control.style & QxUiStyle::ReadOnly);
        connect(edit, &QLineEdit::textEdited, this,
                [this, id](const QString& text) { apply(qxui::typeText(m_dialog, id, text.toStdU16String())); });
        return edit;
    }
    case QxUiControlKind::Picture: {
        auto* picture = new QLabel(this);
        picture->setScaledContents(true);
        return picture;
    }
    case QxUiControlKind::ListView: return makeList(control);
    }
    return new QWidget(this);
}

QWidget* DialogWindow::makeList(QxUiControlModel& control)
{
    auto* tree = new QTreeView(this);
    auto* rows = new ListTableModel(control, palette(), tree);
    tree->setModel(rows);
    const int id = control.id;
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->setSortingEnabled(false);  // the page sorts, the header only shows its arrow
    tree->setSelectionMode(QAbstractItemView::NoSelection);  // selection is the model's
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setAllColumnsShowFocus(true);
    tree->setFrameShape((control.style & QxUiStyle::Border) ? QFrame::StyledPanel : QFrame::NoFrame);
    QHeaderView* header = tree->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::sectionClicked, this, [this, id](int column) {
        if (!m_refreshing) apply(qxui::clickHeader(m_dialog, id, column));
    });
    connect(header, &QHeaderView::sectionMoved, this, [this, id](int column, int, int place) {
        if (!m_refreshing) apply(qxui::moveColumn(m_dialog, id, column, place));
    });
    connect(header, &QHeaderView::customContextMenuRequested, this, [this, id, header](const QPoint& at) {
        const int column = header->logicalIndexAt(at);
        if (column >= 0) apply(qxui::rightClickHeader(m_dialog, id, column));
    });
    // Only the text of the cell being edited in place is the user's; other changes come from
    // refreshing the list.
    rows->onEdited = [this, id](int row, int column, const QString& text) {
        apply(qxui::editCell(m_dialog, id, row, column, text.toStdU16String()));
    };
    tree->viewport()->installEventFilter(this);
    m_listViewports[tree->viewport()] = &control;
    return tree;
}

void DialogWindow::refresh()
{
    const bool was = m_refreshing;
    m_refreshing = true;
    setWindowTitle(qs(m_dialog.caption));
    for (const auto& [control, widget] : m_widgets) refreshControl(*control, widget);
    m_refreshing = was;
}

void DialogWindow::refreshControl(const QxUiControlModel& control, QWidget* widget)
{
    widget->setVisible(control.visible);
    widget->setEnabled(control.enabled);
    const QString text = qs(control.text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (control.kind == QxUiControlKind::Picture) label->setPixmap(pixmapOf(control.image));
        else label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
        if (!control.image.IsNull()) button->setIcon(QIcon(pixmapOf(control.image)));
        if (button->isCheckable() || control.kind == QxUiControlKind::CheckBox || control.kind == QxUiControlKind::RadioButton)
            button->setChecked(control.check != 0);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (edit->text() != text) edit->setText(text);
    } else if (auto* tree = qobject_cast<QTreeView*>(widget)) {
        refreshList(control, tree);
    }
}

void DialogWindow::refreshList(const QxUiControlModel& control, QTreeView* tree)
{
    const QxUiListModel& list = *control.list;
    const QSignalBlocker blockTree(tree);
    const QSignalBlocker blockHeader(tree->header());
    rowsOf(*tree).refresh();
    const bool report = (control.style & QxUiStyle::ReportView) != 0;
    tree->setHeaderHidden(!report);
    QHeaderView* header = tree->header();
    header->setSectionsMovable(report && (list.exStyle & QxUiList::HeaderDragDrop));
    if (report) {
        int arrowColumn = -1, arrow = QxUiList::NoArrow;
        for (int c = 0; c < int(list.columns.size()); ++c) {
            const QxUiColumnModel& column = list.columns[c];
            tree->setColumnWidth(c, column.width);
            tree->setColumnHidden(c, column.width <= 0);
            if (column.sortArrow != QxUiList::NoArrow) arrowColumn = c, arrow = column.sortArrow;
        }
        for (int place = 0; place < int(list.order.size()); ++place)
            if (const int from = header->visualIndex(list.order[place]); from >= 0 && from != place) header->moveSection(from, place);
        header->setSortIndicator(arrowColumn, arrow == QxUiList::ArrowDown ? Qt::DescendingOrder : Qt::AscendingOrder);
    } else {
        tree->setColumnWidth(0, std::max(tree->viewport()->width(), 100));
    }
}

bool DialogWindow::listMouse(QxUiControlModel& control, QTreeView* tree, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    const QModelIndex index = tree->indexAt(at);
    if (!index.isValid()) return event->type() != QEvent::MouseButtonDblClick;
    const int row = index.row(), column = index.column();
    const QxUiListModel& list = *control.list;
    const QRect cell = tree->visualRect(index);
    if (event->type() == QEvent::MouseButtonRelease) return true;
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (column < int(list.columns.size()) && list.columns[column].editable) {
            rowsOf(*tree).allowEdit(row, column);
            tree->edit(index);
        }
        return true;
    }
    if (mouse->button() == Qt::RightButton) {
        apply(qxui::rightClickCell(m_dialog, control.id, row, column));
        return true;
    }
    if (mouse->button() != Qt::LeftButton) return false;
    const int indicator = tree->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6;
    const bool checks = column == 0 && rowsOf(*tree).hasChecks();
    if (checks && at.x() < cell.left() + indicator) {
        apply(qxui::setItemChecked(m_dialog, control.id, row, QxUiList::StateImageOf(list.itemState(row)) != 2));
        return true;
    }
    const int image = list.hasCell(row, column) ? list.cellImage(row, column) : -1;
    const CQxUiImage picture = image >= 0 ? list.smallImages.GetImage(image) : CQxUiImage();
    int iconLeft = cell.left();
    if (checks) iconLeft += indicator;
    if (picture.GetKind() == CQxUiImage::CheckBox && at.x() >= iconLeft && at.x() < iconLeft + tree->iconSize().width() + 6) {
        apply(qxui::setCellChecked(m_dialog, control.id, row, column, !picture.IsCheckedBox()));
        return true;
    }
    apply(qxui::clickCell(m_dialog, control.id, row, column));
    return true;
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = m_listViewports.find(watched);
    if (it != m_listViewports.end() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick ||
         event->type() == QEvent::MouseButtonRelease))
        return listMouse(*it->second, static_cast<QTreeView*>(m_widgets[it->second]), event);
    return QDialog::eventFilter(watched, event);
}

void DialogWindow::apply(const qxui::ActionResult& result)
{
    if (!result.ok) qx::printLine(result.reason);
    if (m_dialog.ended) {
        m_loop.quit();
        return;
    }
    refresh();
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        apply(qxui::pressEnter(m_dialog));
        return;
    }
    QDialog::keyPressEvent(event);  // Escape reaches reject()
}

void DialogWindow::reject() { apply(qxui::pressEscape(m_dialog)); }

void DialogWindow::runUntilEnded()
{
    setWindowModality(Qt::ApplicationModal);
    if (m_dialog.visible) show();
    while (!m_dialog.ended) m_loop.exec();
    hide();
}

}  // namespace qxgui
