// Controls of a dialog: the handles the dialogs use, working on the host's model.
#include <algorithm>
#include <numeric>

#include "cad/ui/model.h"

namespace qxui {

void deliverListNotify(QxUiControlModel& control, const QxUiNotify& notify)
{
    if (control.list && control.list->reflector && control.list->reflector->OnReflectedNotify(notify)) return;
    if (control.dialog && control.dialog->page) control.dialog->page->SendNotify(notify);
}

std::vector<QxUiControlModel*> radioGroup(QxUiDialogModel& dialog, const QxUiControlModel& control)
{
    std::vector<QxUiControlModel*> group;
    bool found = false;
    for (const auto& candidate : dialog.controls) {
        bool isRadio = candidate->kind == QxUiControlKind::RadioButton;
        bool startsGroup = !isRadio || (candidate->style & QxUiStyle::Group);
        if (startsGroup) {
            if (found) break;
            group.clear();
        }
        if (!isRadio) continue;
        group.push_back(candidate.get());
        if (candidate.get() == &control) found = true;
    }
    if (!found) group.clear();
    return group;
}

}  // namespace qxui

// ---------------------------------------------------------------------------------------------
// CQxUiWnd

bool CQxUiWnd::Attach(QxUiControlModel* control)
{
    m_pControl = control;
    return control != nullptr;
}

void CQxUiWnd::Detach() { m_pControl = nullptr; }

int CQxUiWnd::GetDlgCtrlID() const { return m_pControl ? m_pControl->id : 0; }

QxUiControlKind CQxUiWnd::GetKind() const { return m_pControl ? m_pControl->kind : QxUiControlKind::Static; }

void CQxUiWnd::SetWindowText(std::u16string_view text)
{
    if (m_pControl) m_pControl->text = text;
}

std::u16string CQxUiWnd::GetWindowText() const { return m_pControl ? m_pControl->text : std::u16string(); }

void CQxUiWnd::EnableWindow(bool enable)
{
    if (m_pControl) m_pControl->enabled = enable;
}

bool CQxUiWnd::IsWindowEnabled() const { return m_pControl && m_pControl->enabled; }

void CQxUiWnd::ShowWindow(bool show)
{
    if (m_pControl) m_pControl->visible = show;
}

bool CQxUiWnd::IsWindowVisible() const { return m_pControl && m_pControl->visible; }

void CQxUiWnd::SetCheck(int check)
{
    if (!m_pControl) return;
    if (m_pControl->kind != QxUiControlKind::CheckBox && m_pControl->kind != QxUiControlKind::RadioButton) return;
    m_pControl->check = check ? 1 : 0;
}

int CQxUiWnd::GetCheck() const { return m_pControl ? m_pControl->check : 0; }

void CQxUiWnd::SetImage(const CQxUiImage& image)
{
    if (m_pControl) m_pControl->image = image;
}

CQxUiImage CQxUiWnd::GetImage() const { return m_pControl ? m_pControl->image : CQxUiImage(); }

// ---------------------------------------------------------------------------------------------
// CQxUiListCtrl

namespace {

QxUiListModel* listOf(QxUiControlModel* control) { return control ? control->list.get() : nullptr; }

// The list of a method that may change it: its revision moves on, changed or not.
QxUiListModel* changingListOf(QxUiControlModel* control)
{
    QxUiListModel* list = listOf(control);
    if (list) list->changing();
    return list;
}

bool validItem(const QxUiListModel* list, int item) { return list && list->hasItem(item); }

bool validColumn(const QxUiListModel* list, int column)
{
    return list && column >= 0 && column < int(list->columns.size());
}

bool validCell(const QxUiListModel* list, int item, int subItem) { return list && list->hasCell(item, subItem); }

}  // namespace

CQxUiListCtrl::~CQxUiListCtrl() { Detach(); }

bool CQxUiListCtrl::Attach(QxUiControlModel* control)
{
    if (!control || !control->list) return false;
    Detach();
    m_pControl = control;
    control->list->reflector = this;
    return true;
}

void CQxUiListCtrl::Detach()
{
    if (QxUiListModel* list = listOf(m_pControl); list && list->reflector == this) list->reflector = nullptr;
    m_pControl = nullptr;
}

bool CQxUiListCtrl::OnReflectedNotify(const QxUiNotify&) { return false; }

std::uint32_t CQxUiListCtrl::GetExtendedStyle() const
{
    const QxUiListModel* list = listOf(m_pControl);
    return list ? list->exStyle : 0;
}

void CQxUiListCtrl::SetExtendedStyle(std::uint32_t styles)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list) return;
    bool addsChecks = (styles & QxUiList::CheckBoxes) && !(list->exStyle & QxUiList::CheckBoxes);
    list->exStyle = styles;
    if (!addsChecks) return;
    for (auto& item : list->items)
        if (QxUiList::StateImageOf(item.state) == 0) item.state |= QxUiList::StateImage(1);
    for (auto& [row, state] : list->rowStates)
        if (QxUiList::StateImageOf(state) == 0) state |= QxUiList::StateImage(1);
}

bool CQxUiListCtrl::IsReportView() const
{
    return m_pControl && m_pControl->list && (m_pControl->style & QxUiStyle::ReportView);
}

int CQxUiListCtrl::InsertColumn(int column, std::u16string_view title, int format, int width, int subItem)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list || column < 0) return -1;
    column = std::min(column, int(list->columns.size()));
    bool firstColumn = list->columns.empty();
    QxUiColumnModel model;
    model.title = title;
    model.format = format;
    model.width = std::max(0, width);
    model.subItem = subItem < 0 ? column : subItem;
    list->columns.insert(list->columns.begin() + column, model);
    // The first column takes over the label cell the items already have.
    if (!firstColumn) list->shiftCells(column, 1);
    for (int& place : list->order)
        if (place >= column) ++place;
    list->order.insert(list->order.begin() + std::min(column, int(list->order.size())), column);
    return column;
}

bool CQxUiListCtrl::DeleteColumn(int column)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validColumn(list, column)) return false;
    list->columns.erase(list->columns.begin() + column);
    if (!list->columns.empty()) list->shiftCells(column, -1);
    list->order.erase(std::find(list->order.begin(), list->order.end(), column));
    for (int& place : list->order)
        if (place > column) --place;
    return true;
}

int CQxUiListCtrl::GetColumnCount() const
{
    const QxUiListModel* list = listOf(m_pControl);
    return list ? int(list->columns.size()) : 0;
}

std::u16string CQxUiListCtrl::GetColumnTitle(int column) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validColumn(list, column) ? list->columns[column].title : std::u16string();
}

bool CQxUiListCtrl::SetColumnTitle(int column, std::u16string_view title)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validColumn(list, column)) return false;
    list->columns[column].title = title;
    return true;
}

int CQxUiListCtrl::GetColumnWidth(int column) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validColumn(list, column) ? list->columns[column].width : 0;
}

bool CQxUiListCtrl::SetColumnWidth(int column, int width)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validColumn(list, column) || width < 0) return false;
    list->columns[column].width = width;
    return true;
}

int CQxUiListCtrl::GetColumnFormat(int column) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validColumn(list, column) ? list->columns[column].format : QxUiList::Left;
}

bool CQxUiListCtrl::SetColumnFormat(int column, int format)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validColumn(list, column) || format < QxUiList::Left || format > QxUiList::Center) return false;
    list->columns[column].format = format;
    return true;
}

int CQxUiListCtrl::GetColumnSortArrow(int column) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validColumn(list, column) ? list->columns[column].sortArrow : QxUiList::NoArrow;
}

bool CQxUiListCtrl::SetColumnSortArrow(int column, int arrow)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validColumn(list, column) || arrow < QxUiList::NoArrow || arrow > QxUiList::ArrowDown) return false;
    list->columns[column].sortArrow = arrow;
    return true;
}

bool CQxUiListCtrl::SetColumnEditable(int column, bool editable)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validColumn(list, column)) return false;
    list->columns[column].editable = editable;
    return true;
}

bool CQxUiListCtrl::IsColumnEditable(int column) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validColumn(list, column) && list->columns[column].editable;
}

std::vector<int> CQxUiListCtrl::GetColumnOrderArray() const
{
    const QxUiListModel* list = listOf(m_pControl);
    return list ? list->order : std::vector<int>();
}

bool CQxUiListCtrl::SetColumnOrderArray(const std::vector<int>& order)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list || order.size() != list->columns.size()) return false;
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        if (sorted[i] != int(i)) return false;  // not a permutation of the columns
    list->order = order;
    return true;
}

int CQxUiListCtrl::GetItemCount() const
{
    const QxUiListModel* list = listOf(m_pControl);
    return list ? int(list->itemCount()) : 0;
}

bool CQxUiListCtrl::SetVirtualItems(int count, std::shared_ptr<const CQxUiListSource> source)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list || count < 0 || !source) return false;
    list->clearItems();
    list->source = std::move(source);
    list->rowCount = std::size_t(count);
    return true;
}

bool CQxUiListCtrl::IsVirtual() const
{
    const QxUiListModel* list = listOf(m_pControl);
    return list && list->isVirtual();
}

int CQxUiListCtrl::InsertItem(int item, std::u16string_view text, int image)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list || item < 0 || list->isVirtual()) return -1;
    item = std::min(item, int(list->items.size()));
    QxUiItemModel model;
    model.cells.resize(list->cellCount());
    model.cells[0].text = text;
    model.cells[0].image = image;
    model.state = list->newItemState();
    list->items.insert(list->items.begin() + item, std::move(model));
    return item;
}

bool CQxUiListCtrl::DeleteItem(int item)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validItem(list, item) || list->isVirtual()) return false;
    list->items.erase(list->items.begin() + item);
    return true;
}

bool CQxUiListCtrl::DeleteAllItems()
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list) return false;
    list->clearItems();
    return true;
}

std::u16string CQxUiListCtrl::GetItemText(int item, int subItem) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validCell(list, item, subItem) ? std::u16string(list->cellText(item, subItem)) : std::u16string();
}

bool CQxUiListCtrl::SetItemText(int item, int subItem, std::u16string_view text)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validCell(list, item, subItem)) return false;
    if (list->cellText(item, subItem) == text) return true;
    list->setCellText(item, subItem, text);
    if (subItem == 0) {
        QxUiNotify notify;
        notify.code = QxUiNotifyCode::ItemChanged;
        notify.controlId = m_pControl->id;
        notify.item = item;
        notify.subItem = 0;
        notify.changed = QxUiList::ChangedText;
        qxui::deliverListNotify(*m_pControl, notify);
    }
    return true;
}

std::uint64_t CQxUiListCtrl::GetItemData(int item) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validItem(list, item) ? list->itemData(item) : 0;
}

bool CQxUiListCtrl::SetItemData(int item, std::uint64_t data)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validItem(list, item)) return false;
    list->setItemData(item, data);
    return true;
}

std::uint32_t CQxUiListCtrl::GetItemState(int item, std::uint32_t mask) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validItem(list, item) ? list->itemState(item) & mask : 0;
}

bool CQxUiListCtrl::SetItemState(int item, std::uint32_t state, std::uint32_t mask)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validItem(list, item)) return false;
    std::uint32_t oldState = list->itemState(item);
    std::uint32_t newState = (oldState & ~mask) | (state & mask);
    if (newState == oldState) return true;
    // One item has the focus at a time.
    if ((newState & QxUiList::Focused) && !(oldState & QxUiList::Focused))
        for (int other : list->itemsWithState(QxUiList::Focused))
            if (other != item) SetItemState(other, 0, QxUiList::Focused);
    list->setItemState(item, newState);
    QxUiNotify notify;
    notify.code = QxUiNotifyCode::ItemChanged;
    notify.controlId = m_pControl->id;
    notify.item = item;
    notify.subItem = 0;
    notify.oldState = oldState;
    notify.newState = newState;
    notify.changed = QxUiList::ChangedState;
    qxui::deliverListNotify(*m_pControl, notify);
    return true;
}

bool CQxUiListCtrl::GetCheck(int item) const
{
    return QxUiList::StateImageOf(GetItemState(item, QxUiList::StateImageMask)) == 2;
}

bool CQxUiListCtrl::SetCheck(int item, bool checked)
{
    return SetItemState(item, QxUiList::StateImage(checked ? 2 : 1), QxUiList::StateImageMask);
}

int CQxUiListCtrl::GetItemImage(int item, int subItem) const
{
    const QxUiListModel* list = listOf(m_pControl);
    return validCell(list, item, subItem) ? list->cellImage(item, subItem) : -1;
}

bool CQxUiListCtrl::SetItemImage(int item, int subItem, int image)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!validCell(list, item, subItem)) return false;
    if (list->cellImage(item, subItem) == image) return true;
    list->setCellImage(item, subItem, image);
    // A cell image is part of the item as the dialog sees it: report the change with the
    // item's state, so that a dialog that follows a check picture learns of it at once.
    QxUiNotify notify;
    notify.code = QxUiNotifyCode::ItemChanged;
    notify.controlId = m_pControl->id;
    notify.item = item;
    notify.subItem = subItem;
    notify.oldState = notify.newState = list->itemState(item);
    notify.changed = QxUiList::ChangedImage;
    qxui::deliverListNotify(*m_pControl, notify);
    return true;
}

std::vector<int> CQxUiListCtrl::GetSelectedItems() const
{
    const QxUiListModel* list = listOf(m_pControl);
    return list ? list->itemsWithState(QxUiList::Selected) : std::vector<int>();
}

int CQxUiListCtrl::GetSelectedCount() const { return int(GetSelectedItems().size()); }

CQxUiImageList CQxUiListCtrl::GetImageList(int kind) const
{
    const QxUiListModel* list = listOf(m_pControl);
    if (!list) return {};
    return kind == QxUiList::StateImages ? list->stateImages : list->smallImages;
}

void CQxUiListCtrl::SetImageList(const CQxUiImageList& images, int kind)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list) return;
    (kind == QxUiList::StateImages ? list->stateImages : list->smallImages) = images;
}

bool CQxUiListCtrl::SortItems(const std::function<int(std::uint64_t, std::uint64_t)>& compare)
{
    const QxUiListModel* list = listOf(m_pControl);
    if (!list || !compare) return false;
    return SortItemsByIndex([&](int a, int b) { return compare(list->itemData(a), list->itemData(b)); });
}

bool CQxUiListCtrl::SortItemsByIndex(const std::function<int(int, int)>& compare)
{
    QxUiListModel* list = changingListOf(m_pControl);
    if (!list || !compare) return false;
    std::vector<int> places(list->itemCount());
    std::iota(places.begin(), places.end(), 0);
    std::stable_sort(places.begin(), places.end(), [&](int a, int b) { return compare(a, b) < 0; });
    list->reorder(places);
    return true;
}

void CQxUiListCtrl::SetEmptyText(std::u16string_view text)
{
    if (QxUiListModel* list = changingListOf(m_pControl)) list->emptyText = text;
}

void CQxUiListCtrl::SetFocus() {}

CPnUiBaseDialog* CQxUiListCtrl::GetDialog() const
{
    return m_pControl && m_pControl->dialog ? m_pControl->dialog->page : nullptr;
}
