// What a user can do to a dialog, as changes of the model plus the notifications a click
// sends. Every front end goes through these, so a dialog cannot tell them apart. An action
// that cannot apply changes nothing and says why.
#pragma once

#include <string>

#include "cad/ui/model.h"

namespace qxui {

struct ActionResult {
    bool ok = true;
    std::u16string reason;  // why the action could not apply
    static ActionResult failed(std::u16string why) { return {false, std::move(why)}; }
};

// Buttons: a push button sends QXUI_BN_CLICKED; a check box toggles and sends it; a radio
// button checks itself, unchecks its group and sends it.
ActionResult clickButton(QxUiDialogModel& dialog, int id);
// Checks or unchecks a check box or radio button as a click would; nothing when it is so already.
ActionResult setButtonChecked(QxUiDialogModel& dialog, int id, bool checked);
// Replaces the text of an edit and sends QXUI_EN_CHANGE.
ActionResult typeText(QxUiDialogModel& dialog, int id, std::u16string_view text);
// Enter presses the default button; Escape ends the dialog through IDCANCEL.
ActionResult pressEnter(QxUiDialogModel& dialog);
ActionResult pressEscape(QxUiDialogModel& dialog);

// List views. Items and columns are indexes of the model.
// The native check box of an item: sets the state image and sends ItemChanged.
ActionResult setItemChecked(QxUiDialogModel& dialog, int id, int item, bool checked);
// A cell whose image is a check-box picture: clicks it when it is not in the wanted state.
ActionResult setCellChecked(QxUiDialogModel& dialog, int id, int item, int column, bool checked);
// A left click on a cell: selects and focuses the item, then sends Click.
ActionResult clickCell(QxUiDialogModel& dialog, int id, int item, int column);
// An in-place edit of a cell of an editable column: sets the text, sends EndLabelEdit.
ActionResult editCell(QxUiDialogModel& dialog, int id, int item, int column, std::u16string_view text);
ActionResult clickHeader(QxUiDialogModel& dialog, int id, int column);
// Drags the header of `column` to `position` of the header order.
ActionResult moveColumn(QxUiDialogModel& dialog, int id, int column, int position);
ActionResult rightClickHeader(QxUiDialogModel& dialog, int id, int column);
ActionResult rightClickCell(QxUiDialogModel& dialog, int id, int item, int column);

// Where a front end would put the pointer for a click on a header or a cell, in dialog units.
QxUiPoint headerPoint(const QxUiControlModel& list, int column);
QxUiPoint cellPoint(const QxUiControlModel& list, int item, int column);

}  // namespace qxui
