// A user's steps on the host's dialogs, played through the window's widgets: clicks on buttons
// and list cells, typing, header clicks, menu choices and file names.
#pragma once

#include <QTreeView>
#include <string>

#include "cad/ui/gui/dialog_window.h"
#include "gui_fixture.h"

namespace qxtest {

// The dialog window of template `templateId` that is shown, null when there is none.
qxgui::DialogWindow* shownDialog(std::uint32_t templateId);

class DialogSteps {
public:
    explicit DialogSteps(Driver& driver) : m_driver(driver) {}

    // Waits for the page, then hands it to `look` (screenshots and checks).
    void page(std::uint32_t templateId, std::function<void(qxgui::DialogWindow&)> look = {});
    void click(int controlId);
    void typeInto(int controlId, const std::string& text);
    // The check box of the row showing `row` (in any column), or the check picture of its
    // cell in `column`.
    void clickCheck(int listId, const std::string& row, int column = -1);
    void rightClickCell(int listId, const std::string& row, int column);
    void editCell(int listId, const std::string& row, int column, const std::string& text);
    void clickHeader(int listId, const std::string& title);
    // Drags the column titled `title` to `place` of the header order (0 is the first), as the
    // console's move-column does.
    void moveColumn(int listId, const std::string& title, int place);
    void chooseMenu(const std::string& entry);
    void chooseFile(const std::string& path);

private:
    std::uint32_t m_page = 0;
    Driver& m_driver;
};

}  // namespace qxtest
