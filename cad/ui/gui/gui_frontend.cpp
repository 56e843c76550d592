#include "cad/ui/gui/gui_frontend.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include "cad/ui/gui/dialog_window.h"

namespace qxgui {

namespace {

QString qs(std::u16string_view text) { return QString::fromUtf16(text.data(), qsizetype(text.size())); }

QMessageBox::Icon messageIcon(std::uint32_t flags)
{
    switch (flags & QxUiMsg::IconMask) {
    case QxUiMsg::IconError: return QMessageBox::Critical;
    case QxUiMsg::IconQuestion: return QMessageBox::Question;
    case QxUiMsg::IconWarning: return QMessageBox::Warning;
    case QxUiMsg::IconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// The buttons of a message box and the answer each gives, the last one being Escape's.
std::vector<std::pair<QMessageBox::StandardButton, int>> messageButtons(std::uint32_t flags)
{
    switch (flags & QxUiMsg::ButtonMask) {
    case QxUiMsg::OkCancel: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case QxUiMsg::YesNoCancel: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case QxUiMsg::YesNo: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    default: return {{QMessageBox::Ok, IDOK}};
    }
}

}  // namespace

QWidget* GuiFrontEnd::ownerOf(const QxUiDialogModel* dialog) const
{
    if (dialog)
        if (DialogWindow* window = DialogWindow::of(*dialog); window && window->isVisible()) return window;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return m_mainWindow;
}

void GuiFrontEnd::runModal(QxUiDialogModel& dialog)
{
    const QxUiDialogModel* parent = dialog.parent ? dialog.parent->dialog : nullptr;
    DialogWindow window(dialog, ownerOf(parent));
    if (onDialogOpened) onDialogOpened(window);
    window.runUntilEnded();
}

void GuiFrontEnd::dialogHidden(QxUiDialogModel& dialog)
{
    if (DialogWindow* window = DialogWindow::of(dialog)) window->hide();
}

void GuiFrontEnd::dialogShown(QxUiDialogModel& dialog)
{
    if (DialogWindow* window = DialogWindow::of(dialog)) {
        window->refresh();
        window->show();
        window->raise();
    }
}

int GuiFrontEnd::messageBox(std::u16string_view text, std::u16string_view caption, std::uint32_t flags)
{
    QMessageBox box(messageIcon(flags), caption.empty() ? QStringLiteral("qxcad") : qs(caption), qs(text),
                    QMessageBox::NoButton, ownerOf(nullptr));
    const auto buttons = messageButtons(flags);
    for (const auto& [button, answer] : buttons) box.addButton(button);
    box.setEscapeButton(buttons.back().first);
    box.setDefaultButton(buttons.front().first);
    const auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const auto& [button, answer] : buttons)
        if (button == chosen) return answer;
    return buttons.back().second;
}

QStringList nameFilters(const CQxUiFileDialog& dialog)
{
    QStringList filters;
    for (const auto& [description, pattern] : dialog.GetFilters()) {
        QString patterns = qs(pattern);
        patterns.replace(u';', u' ');
        QString text = qs(description).trimmed();
        // "Csv file (*.csv)" names its patterns already; the toolkit reads them from there.
        const qsizetype open = text.lastIndexOf(u'(');
        if (open > 0 && text.endsWith(u')')) text = text.left(open).trimmed();
        filters << text + QStringLiteral(" (") + patterns + u')';
    }
    return filters;
}

bool GuiFrontEnd::fileDialog(CQxUiFileDialog& dialog)
{
    QFileDialog chooser(ownerOf(nullptr));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(dialog.IsOpenDialog() ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    chooser.setFileMode(dialog.IsOpenDialog() && (dialog.GetFlags() & QxUiFile::FileMustExist) ? QFileDialog::ExistingFile
                                                                                                 : QFileDialog::AnyFile);
    if (!(dialog.GetFlags() & QxUiFile::OverwritePrompt)) chooser.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = nameFilters(dialog);
    if (!filters.isEmpty()) chooser.setNameFilters(filters);
    if (!dialog.GetDefaultExt().empty()) chooser.setDefaultSuffix(qs(dialog.GetDefaultExt()));
    if (!dialog.GetInitialName().empty()) chooser.selectFile(qs(dialog.GetInitialName()));
    while (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty()) {
        const int filter = std::max(0, int(filters.indexOf(chooser.selectedNameFilter()))) + 1;
        std::u16string reason;
        if (dialog.Choose(chooser.selectedFiles().front().toStdU16String(), filter, reason)) return true;
        QMessageBox::warning(&chooser, chooser.windowTitle(), qs(reason));
    }
    return false;
}

int GuiFrontEnd::popupMenu(const CQxUiMenu& menu, QxUiPoint, QxUiDialogModel* owner)
{
    QMenu popup(ownerOf(owner));
    std::map<QAction*, int> ids;
    for (const auto& entry : menu.Entries()) {
        if (entry.flags & QxUiMenuFlag::Separator) {
            popup.addSeparator();
            continue;
        }
        QAction* action = popup.addAction(qs(entry.text));
        action->setCheckable((entry.flags & QxUiMenuFlag::Checked) != 0);
        action->setChecked((entry.flags & QxUiMenuFlag::Checked) != 0);
        action->setEnabled(!(entry.flags & QxUiMenuFlag::Disabled));
        ids[action] = entry.id;
    }
    QAction* chosen = popup.exec(QCursor::pos());
    const auto it = ids.find(chosen);
    return it == ids.end() ? 0 : it->second;
}

}  // namespace qxgui
