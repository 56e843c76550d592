// The console front end: prints each dialog, message box, menu and file dialog on the
// command line and reads the user's actions from the host's input (a person or a script).
#pragma once

#include <string>

#include "cad/ui/frontend.h"

namespace qxui {

class ConsoleFrontEnd : public FrontEnd {
public:
    void runModal(QxUiDialogModel& dialog) override;
    void dialogHidden(QxUiDialogModel& dialog) override;
    void dialogShown(QxUiDialogModel& dialog) override;
    int messageBox(std::u16string_view text, std::u16string_view caption, std::uint32_t flags) override;
    bool fileDialog(CQxUiFileDialog& dialog) override;
    int popupMenu(const CQxUiMenu& menu, QxUiPoint point, QxUiDialogModel* owner) override;
};

// What the console prints for a dialog: its title, every visible control with id, kind and
// text and state, list contents as tables, and the actions the dialog offers.
std::u16string renderDialog(const QxUiDialogModel& dialog);
std::u16string renderDialogHelp(const QxUiDialogModel& dialog);

// Carries out one action line on a dialog. Returns false with the reason when it cannot apply.
bool runDialogAction(QxUiDialogModel& dialog, std::u16string_view line, std::u16string& reason);

}  // namespace qxui
