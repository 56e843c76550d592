// User actions on dialogs: the model changes a click or a key makes, and the notifications
// the dialog receives for them.
#include "cad/ui/actions.h"

#include <algorithm>

#include "cad/editor/console.h"

namespace qxui {

namespace {

std::u16string number(int value) { return qx::fromUtf8(std::to_string(value)); }

std::u16string kindName(QxUiControlKind kind)
{
    switch (kind) {
    case QxUiControlKind::Static: return u"text";
    case QxUiControlKind::GroupBox: return u"group box";
    case QxUiControlKind::PushButton: return u"button";
    case QxUiControlKind::DefPushButton: return u"button";
    case QxUiControlKind::CheckBox: return u"check box";
    case QxUiControlKind::RadioButton: return u"radio button";
    case QxUiControlKind::Edit: return u"edit";
    case QxUiControlKind::Picture: return u"picture";
    case QxUiControlKind::ListView: return u"list";
    }
    return u"control";
}

// The control `id` when the user can reach it, else the reason why not.
QxUiControlModel* reachable(QxUiDialogModel& dialog, int id, ActionResult& result)
{
    QxUiControlModel* control = dialog.find(id);
    if (!control) {
        result = ActionResult::failed(u"the dialog has no control " + number(id));
        return nullptr;
    }
    if (!control->visible) {
        result = ActionResult::failed(u"control " + number(id) + u" is hidden");
        return nullptr;
    }
    if (!control->enabled) {
        result = ActionResult::failed(u"control " + number(id) + u" is disabled");
        return nullptr;
    }
    return control;
}

QxUiControlModel* reachableList(QxUiDialogModel& dialog, int id, ActionResult& result)
{
    QxUiControlModel* control = reachable(dialog, id, result);
    if (control && !control->list) {
        result = ActionResult::failed(u"control " + number(id) + u" is a " + kindName(control->kind) + u", not a list");
        return nullptr;
    }
    return control;
}

bool checkItem(const QxUiControlModel& control, int item, ActionResult& result)
{
    if (control.list->hasItem(item)) return true;
    result = ActionResult::failed(u"list " + number(control.id) + u" has no row " + number(item));
    return false;
}

bool checkShownColumn(const QxUiControlModel& control, int column, ActionResult& result)
{
    if (control.list->showsColumn(column)) return true;
    result = ActionResult::failed(u"list " + number(control.id) + u" shows no column " + number(column));
    return false;
}

// A plain click selects the clicked item alone and gives it the focus.
void selectOnly(QxUiControlModel& control, int item)
{
    CQxUiListCtrl list(&control);
    for (int other : control.list->itemsWithState(QxUiList::Selected))
        if (other != item) list.SetItemState(other, 0, QxUiList::Selected);
    list.SetItemState(item, QxUiList::Selected | QxUiList::Focused, QxUiList::Selected | QxUiList::Focused);
}

QxUiNotify listNotify(const QxUiControlModel& control, QxUiNotifyCode code, int item, int column, QxUiPoint point)
{
    QxUiNotify notify;
    notify.code = code;
    notify.controlId = control.id;
    notify.item = item;
    notify.subItem = column;
    notify.point = point;
    return notify;
}

// A read-only edit shows what a button next to it chose; the user is sent to that button.
std::u16string readOnlyReason(const QxUiDialogModel& dialog, const QxUiControlModel& edit)
{
    const QxUiControlModel* nearest = nullptr;
    long long nearestDistance = 0;
    for (const auto& control : dialog.controls) {
        if (!control->visible || (control->kind != QxUiControlKind::PushButton && control->kind != QxUiControlKind::DefPushButton))
            continue;
        // The gaps between the two rectangles, across and down (0 where they overlap).
        const long long dx = std::max({0, control->x - (edit.x + edit.w), edit.x - (control->x + control->w)});
        const long long dy = std::max({0, control->y - (edit.y + edit.h), edit.y - (control->y + control->h)});
        const long long distance = dx * dx + dy * dy;
        if (!nearest || distance < nearestDistance) nearest = control.get(), nearestDistance = distance;
    }
    std::u16string reason = u"edit " + number(edit.id) + u" is read-only";
    if (nearest) reason += u": the page fills it; click the button [" + number(nearest->id) + u"] \"" + nearest->text + u"\" next to it";
    return reason;
}

}  // namespace

ActionResult clickButton(QxUiDialogModel& dialog, int id)
{
    ActionResult result;
    QxUiControlModel* control = reachable(dialog, id, result);
    if (!control) return result;
    switch (control->kind) {
    case QxUiControlKind::PushButton:
    case QxUiControlKind::DefPushButton: break;
    case QxUiControlKind::CheckBox: control->check = control->check ? 0 : 1; break;
    case QxUiControlKind::RadioButton:
        for (QxUiControlModel* member : radioGroup(dialog, *control)) member->check = 0;
        control->check = 1;
        break;
    default: return ActionResult::failed(u"control " + number(id) + u" is a " + kindName(control->kind) + u" and cannot be clicked");
    }
    dialog.page->SendCommand(QXUI_BN_CLICKED, id);
    return result;
}

ActionResult setButtonChecked(QxUiDialogModel& dialog, int id, bool checked)
{
    ActionResult result;
    QxUiControlModel* control = reachable(dialog, id, result);
    if (!control) return result;
    if (control->kind != QxUiControlKind::CheckBox && control->kind != QxUiControlKind::RadioButton)
        return ActionResult::failed(u"control " + number(id) + u" is a " + kindName(control->kind) + u", not a check box");
    if ((control->check != 0) == checked) return result;
    if (control->kind == QxUiControlKind::RadioButton && !checked)
        return ActionResult::failed(u"a radio button is unchecked by clicking another one of its group");
    return clickButton(dialog, id);
}

ActionResult typeText(QxUiDialogModel& dialog, int id, std::u16string_view text)
{
    ActionResult result;
    QxUiControlModel* control = reachable(dialog, id, result);
    if (!control) return result;
    if (control->kind != QxUiControlKind::Edit)
        return ActionResult::failed(u"control " + number(id) + u" is a " + kindName(control->kind) + u", not an edit");
    if (control->style & QxUiStyle::ReadOnly) return ActionResult::failed(readOnlyReason(dialog, *control));
    control->text = text;
    dialog.page->SendCommand(QXUI_EN_CHANGE, id);
    return result;
}

ActionResult pressEnter(QxUiDialogModel& dialog)
{
    for (const auto& control : dialog.controls)
        if (control->kind == QxUiControlKind::DefPushButton && control->visible) return clickButton(dialog, control->id);
    dialog.page->SendCommand(QXUI_BN_CLICKED, IDOK);
    return {};
}

ActionResult pressEscape(QxUiDialogModel& dialog)
{
    dialog.page->SendCommand(QXUI_BN_CLICKED, IDCANCEL);
    return {};
}

ActionResult setItemChecked(QxUiDialogModel& dialog, int id, int item, bool checked)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkItem(*control, item, result)) return result;
    if (!(control->list->exStyle & QxUiList::CheckBoxes))
        return ActionResult::failed(u"the rows of list " + number(id) + u" have no check boxes");
    CQxUiListCtrl list(control);
    if (list.GetCheck(item) != checked) list.SetCheck(item, checked);
    return result;
}

ActionResult setCellChecked(QxUiDialogModel& dialog, int id, int item, int column, bool checked)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkItem(*control, item, result) || !checkShownColumn(*control, column, result)) return result;
    auto cellBox = [&]() { return control->list->smallImages.GetImage(control->list->cellImage(item, column)); };
    CQxUiImage image = cellBox();
    if (image.GetKind() != CQxUiImage::CheckBox)
        return ActionResult::failed(u"row " + number(item) + u", column " + number(column) + u" of list " + number(id) +
                                    u" has no check box");
    if (image.IsCheckedBox() == checked) return result;
    result = clickCell(dialog, id, item, column);
    // The click may have re-sorted or refilled the list; the item keeps its place here.
    if (result.ok && control->list->hasCell(item, column) && column < int(control->list->columns.size()) &&
        cellBox().IsCheckedBox() != checked)
        return ActionResult::failed(u"the list did not change that check box when clicked");
    return result;
}

ActionResult clickCell(QxUiDialogModel& dialog, int id, int item, int column)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkItem(*control, item, result)) return result;
    if (column != 0 && !checkShownColumn(*control, column, result)) return result;
    selectOnly(*control, item);
    deliverListNotify(*control, listNotify(*control, QxUiNotifyCode::Click, item, column, cellPoint(*control, item, column)));
    return result;
}

ActionResult editCell(QxUiDialogModel& dialog, int id, int item, int column, std::u16string_view text)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkItem(*control, item, result) || !checkShownColumn(*control, column, result)) return result;
    if (!control->list->columns[column].editable)
        return ActionResult::failed(u"column " + number(column) + u" of list " + number(id) + u" cannot be edited");
    selectOnly(*control, item);
    CQxUiListCtrl(control).SetItemText(item, column, text);
    QxUiNotify notify = listNotify(*control, QxUiNotifyCode::EndLabelEdit, item, column, cellPoint(*control, item, column));
    notify.text = text;
    deliverListNotify(*control, notify);
    return result;
}

ActionResult clickHeader(QxUiDialogModel& dialog, int id, int column)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkShownColumn(*control, column, result)) return result;
    deliverListNotify(*control, listNotify(*control, QxUiNotifyCode::ColumnClick, -1, column, headerPoint(*control, column)));
    return result;
}

ActionResult moveColumn(QxUiDialogModel& dialog, int id, int column, int position)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkShownColumn(*control, column, result)) return result;
    QxUiListModel& list = *control->list;
    if (!(list.exStyle & QxUiList::HeaderDragDrop))
        return ActionResult::failed(u"the columns of list " + number(id) + u" cannot be moved");
    if (position < 0 || position >= int(list.order.size()))
        return ActionResult::failed(u"list " + number(id) + u" has no column place " + number(position) + u" (0 to " +
                                    number(int(list.order.size()) - 1) + u")");
    list.changing();
    list.order.erase(std::find(list.order.begin(), list.order.end(), column));
    list.order.insert(list.order.begin() + position, column);
    deliverListNotify(*control, listNotify(*control, QxUiNotifyCode::ColumnOrderChanged, -1, column, headerPoint(*control, column)));
    return result;
}

ActionResult rightClickHeader(QxUiDialogModel& dialog, int id, int column)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkShownColumn(*control, column, result)) return result;
    deliverListNotify(*control,
                      listNotify(*control, QxUiNotifyCode::HeaderRightClick, -1, column, headerPoint(*control, column)));
    return result;
}

ActionResult rightClickCell(QxUiDialogModel& dialog, int id, int item, int column)
{
    ActionResult result;
    QxUiControlModel* control = reachableList(dialog, id, result);
    if (!control || !checkItem(*control, item, result)) return result;
    if (column != 0 && !checkShownColumn(*control, column, result)) return result;
    selectOnly(*control, item);
    deliverListNotify(*control, listNotify(*control, QxUiNotifyCode::RightClick, item, column, cellPoint(*control, item, column)));
    return result;
}

namespace {

// Column widths are pixels; a dialog unit is taken as two of them across and down.
int columnLeft(const QxUiControlModel& list, int column)
{
    int left = 0;
    for (int place : list.list->order) {
        if (place == column) break;
        left += list.list->columns[place].width;
    }
    return left / 2;
}

}  // namespace

QxUiPoint headerPoint(const QxUiControlModel& list, int column)
{
    return {list.x + columnLeft(list, column) + 2, list.y + 4};
}

QxUiPoint cellPoint(const QxUiControlModel& list, int item, int column)
{
    return {list.x + columnLeft(list, column) + 2, list.y + 12 + item * 8 + 4};
}

}  // namespace qxui
