// The desktop front end: dialogs as windows, message boxes, file dialogs and pop-up menus of
// the platform's toolkit. Like the console front end it only renders the dialog model and
// turns what the user does into the model's actions.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "cad/ui/frontend.h"

class QWidget;

namespace qxgui {

class DialogWindow;

class GuiFrontEnd : public qxui::FrontEnd {
public:
    // `mainWindow` owns the dialogs that have no other owner.
    explicit GuiFrontEnd(QWidget* mainWindow) : m_mainWindow(mainWindow) {}

    void runModal(QxUiDialogModel& dialog) override;
    void dialogHidden(QxUiDialogModel& dialog) override;
    void dialogShown(QxUiDialogModel& dialog) override;
    int messageBox(std::u16string_view text, std::u16string_view caption, std::uint32_t flags) override;
    bool fileDialog(CQxUiFileDialog& dialog) override;
    int popupMenu(const CQxUiMenu& menu, QxUiPoint point, QxUiDialogModel* owner) override;

    // Called with each dialog window as it opens, before the user works on it (tests use it
    // to drive and capture pages).
    std::function<void(DialogWindow&)> onDialogOpened;

private:
    QWidget* ownerOf(const QxUiDialogModel* dialog) const;
    QWidget* m_mainWindow;
};

// The filter of a file dialog ("Csv file (*.csv)|*.csv|...") as the toolkit's name filters:
// each description with its patterns in parentheses, once.
QStringList nameFilters(const CQxUiFileDialog& dialog);

}  // namespace qxgui
