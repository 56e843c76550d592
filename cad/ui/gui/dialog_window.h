// A window that shows one dialog of the host's dialog model: every control at its template
// place, kept in step with the model after each user action. What the user does goes through
// the actions of cad/ui/actions.h, exactly as a console line would; the window has no
// knowledge of any page.
#pragma once

#include <QDialog>
#include <QEventLoop>
#include <map>

#include "cad/ui/actions.h"
#include "cad/ui/gui/dialog_units.h"

class QTreeView;
class QWidget;

namespace qxgui {

class DialogWindow : public QDialog {
public:
    DialogWindow(QxUiDialogModel& dialog, QWidget* parent);
    ~DialogWindow() override;

    // Shows the dialog and lets the user work until the model says it has ended.
    void runUntilEnded();
    // Reads every control's state from the model again.
    void refresh();

    QxUiDialogModel& model() const { return m_dialog; }
    const DialogUnits& units() const { return m_units; }
    // The widget made for control `id`, null when there is none.
    QWidget* controlWidget(int id) const;
    // The window that shows `dialog`, while it runs.
    static DialogWindow* of(const QxUiDialogModel& dialog);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* makeControl(QxUiControlModel& control);
    QWidget* makeList(QxUiControlModel& control);
    void refreshControl(const QxUiControlModel& control, QWidget* widget);
    void refreshList(const QxUiControlModel& control, QTreeView* tree);
    bool listMouse(QxUiControlModel& control, QTreeView* tree, QEvent* event);
    // Carries out an action, then shows its effect, or says why it could not apply.
    void apply(const qxui::ActionResult& result);

    QxUiDialogModel& m_dialog;
    DialogUnits m_units;
    std::map<const QxUiControlModel*, QWidget*> m_widgets;
    std::map<QObject*, QxUiControlModel*> m_listViewports;
    QEventLoop m_loop;
    bool m_refreshing = false;
};

}  // namespace qxgui
