// The front end that shows dialogs to the user: the console (text, scriptable) by default,
// a desktop window later. It only renders the dialog model and turns what the user does into
// the user actions of actions.h.
#pragma once

#include <memory>

#include "cad/ui/model.h"

namespace qxui {

class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // Lets the user work on the dialog until it has ended.
    virtual void runModal(QxUiDialogModel& dialog) = 0;
    // The dialog was hidden for the drawing editor, or shown again after it.
    virtual void dialogHidden(QxUiDialogModel& dialog) = 0;
    virtual void dialogShown(QxUiDialogModel& dialog) = 0;
    // Returns the button chosen.
    virtual int messageBox(std::u16string_view text, std::u16string_view caption, std::uint32_t flags) = 0;
    // Returns true when the user chose a file; the choice is set with dialog.Choose.
    virtual bool fileDialog(CQxUiFileDialog& dialog) = 0;
    // Returns the chosen entry's id, 0 when dismissed.
    virtual int popupMenu(const CQxUiMenu& menu, QxUiPoint point, QxUiDialogModel* owner) = 0;
};

FrontEnd& frontEnd();
// Replaces the front end (the console one is the default). Returns the previous one.
std::unique_ptr<FrontEnd> setFrontEnd(std::unique_ptr<FrontEnd> frontEnd);

// How many modal runs have ended so far, so that a front end can tell whether a nested run
// came and went while it handled an action.
unsigned long modalRunsEnded();

}  // namespace qxui
