// The console front end: prints each dialog, message box, menu and file dialog on the
// command line and reads the user's actions from the host's input (a person or a script).
//
// Dialog actions; a control is named by its id or its text, a list row by "#n" or the text of
// one of its shown cells, a column by its number or its title:
//   click <control>                         button, check box (toggles), radio button
//   check|uncheck <control>                 check box or radio button, when not so already
//   type <control> "text"                   replaces an edit's text
//   check|uncheck <list> <row>              the row's check box
//   check|uncheck <list> <row> <column>     a check image in a cell (clicks it)
//   edit <list> <row> <column> "text"       in-place edit of an editable column
//   sort <list> <column>                    header click
//   move-column <list> <column> <place>     header drag to a place of the header order
//   header-menu <list> <column>             right-click on a header
//   cell-menu <list> <row> <column>         right-click on a cell
//   ok | cancel                             Enter (default button) | Escape (IDCANCEL)
//   show | help                             print the dialog | the actions it offers
//   show <list> all | show <list> <a>-<b>   every row of a list | rows #a to #b
// Message boxes take yes | no | ok | cancel; menus choose "<entry>" | cancel; file dialogs
// file "<path>" [<type number>] | cancel. A line that cannot apply is refused through
// qx::failInput, which ends a script run with exit status 2.
#pragma once

#include <cstddef>
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

// A long list is printed a screenful at a time: its first rows, then a line saying how many
// more there are and the actions that show them. Scripts and tests that want every row ask
// for full lists (qxcad --full-lists).
inline constexpr std::size_t kScreenRows = 40;
void setFullLists(bool full);
bool fullLists();
enum class ListRows { Screen, All };

// What the console prints for a dialog: its title, every visible control with id, kind and
// text and state, list contents as tables (a screenful of each, unless full lists are on or
// `rows` asks for all), and the actions the dialog offers.
std::u16string renderDialog(const QxUiDialogModel& dialog, ListRows rows = ListRows::Screen);
std::u16string renderDialogHelp(const QxUiDialogModel& dialog);
// One control's line, and of a list the rows first to last (numbers as shown by #n).
std::u16string controlLine(const QxUiControlModel& control);
std::u16string renderListRows(const QxUiControlModel& control, std::size_t first, std::size_t last);
// "(N more rows: show <list> <next>-<...> | show <list> all)", with the list's indent.
std::u16string moreRowsLine(int listId, std::size_t next, std::size_t more);

// Carries out one action line on a dialog. Returns false with the reason when it cannot apply.
bool runDialogAction(QxUiDialogModel& dialog, std::u16string_view line, std::u16string& reason);

}  // namespace qxui
