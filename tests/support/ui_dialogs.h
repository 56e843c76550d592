// Dialogs for tests: a dialog that records the notifications it receives, resource modules
// holding test templates, and script input fed from a string.
#pragma once

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cad/editor/console.h"
#include "host/ui.h"

namespace qxtest {

// What a dialog received, in order.
struct Received {
    enum Kind { Command, Notify } kind;
    int code;  // command notification, or the QxUiNotifyCode
    QxUiNotify notify;
};

// A dialog whose behaviour a test gives as callbacks. Every command and notification is
// recorded before the callbacks (or the default handling) run.
class RecordingDialog : public CQxUiDialog {
public:
    using CQxUiDialog::CQxUiDialog;

    std::function<void(RecordingDialog&)> onInit;
    std::function<bool(RecordingDialog&, int, int)> onCommand;  // true: handled
    std::function<bool(RecordingDialog&, const QxUiNotify&)> onNotify;
    std::vector<Received> received;

    bool OnInitDialog() override
    {
        CQxUiDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return true;
    }
    bool OnCommand(int notification, int controlId) override
    {
        QxUiNotify n;
        n.controlId = controlId;
        received.push_back({Received::Command, notification, n});
        if (onCommand && onCommand(*this, notification, controlId)) return true;
        return CQxUiDialog::OnCommand(notification, controlId);
    }
    bool OnNotify(const QxUiNotify& notify) override
    {
        received.push_back({Received::Notify, int(notify.code), notify});
        if (onNotify && onNotify(*this, notify)) return true;
        return CQxUiDialog::OnNotify(notify);
    }

    std::vector<QxUiNotify> notifies(QxUiNotifyCode code) const
    {
        std::vector<QxUiNotify> found;
        for (const auto& r : received)
            if (r.kind == Received::Notify && r.code == int(code)) found.push_back(r.notify);
        return found;
    }
    std::vector<int> clicks() const
    {
        std::vector<int> ids;
        for (const auto& r : received)
            if (r.kind == Received::Command && r.code == QXUI_BN_CLICKED) ids.push_back(r.notify.controlId);
        return ids;
    }
};

// The input of the console for the duration of a test. Interactive input prints and goes on
// after a line that cannot be carried out; script input ends the process.
class ScriptInput {
public:
    explicit ScriptInput(const std::string& lines, bool interactive = true) : m_in(lines)
    {
        qx::setInput(m_in, interactive, u"test");
        qx::clearTranscript();
    }
    ~ScriptInput() { qx::setInput(m_empty, true); }
    bool consumed() { return m_in.peek() == std::char_traits<char>::eof(); }

private:
    std::istringstream m_in;
    std::istringstream m_empty;
};

inline QxUiDialogTemplate parseTemplate(const std::string& text)
{
    QxUiDialogTemplate result;
    std::u16string error;
    if (!qxuiParseDialogTemplate(text, result, error)) throw std::runtime_error(qx::toUtf8(error));
    return result;
}

// A dialog with a report list 107, a list-mode list 108, OK and Cancel: the shape the list
// tests fill in their own ways.
inline QxUiDialogTemplate twoListsTemplate(const std::string& caption)
{
    return parseTemplate("dialog 300 200\ncaption \"" + caption + "\"\n"
                         "control 107 listview \"\" 10 90 280 80 report\n"
                         "control 108 listview \"\" 10 20 100 60 list\n"
                         "control 1 defbutton \"OK\" 150 180 50 14\n"
                         "control 2 button \"Cancel\" 210 180 50 14\n");
}

inline bool contains(const std::u16string& text, std::u16string_view part) { return text.find(part) != std::u16string::npos; }

}  // namespace qxtest
