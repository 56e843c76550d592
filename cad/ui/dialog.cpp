// Modal dialogs: creation from a template, the modal run, notifications, data exchange.
#include "cad/editor/console.h"
#include "cad/ui/frontend.h"
#include "cad/ui/model.h"

namespace {

// A picture whose template text is a number shows that image resource from the start.
CQxUiImage templatePicture(const QxUiControlTemplate& t, QxResourceInstance resources)
{
    if (t.kind != QxUiControlKind::Picture || t.text.empty() || t.text.size() > 9) return {};
    std::uint32_t id = 0;
    for (char16_t c : t.text) {
        if (c < u'0' || c > u'9') return {};
        id = id * 10 + std::uint32_t(c - u'0');
    }
    return CQxUiImage::LoadBitmap(id, resources);
}

std::unique_ptr<QxUiControlModel> makeControl(QxUiDialogModel& dialog, const QxUiControlTemplate& t)
{
    auto control = std::make_unique<QxUiControlModel>();
    control->dialog = &dialog;
    control->id = t.id;
    control->kind = t.kind;
    control->text = t.text;
    control->x = t.x;
    control->y = t.y;
    control->w = t.w;
    control->h = t.h;
    control->style = t.style;
    control->enabled = !(t.style & QxUiStyle::Disabled);
    control->visible = !(t.style & QxUiStyle::Hidden);
    if (t.kind == QxUiControlKind::ListView) control->list = std::make_unique<QxUiListModel>();
    control->image = templatePicture(t, dialog.resources);
    return control;
}

// Objects attached to the lists of a dialog must not keep pointing at destroyed controls.
void detachLists(QxUiDialogModel& dialog)
{
    for (auto& control : dialog.controls)
        if (control->list && control->list->reflector) control->list->reflector->Detach();
}

unsigned long g_runsEnded = 0;

}  // namespace

namespace qxui {
unsigned long modalRunsEnded() { return g_runsEnded; }
}  // namespace qxui

QxWindowHandle pwsw_qxappMainWnd()
{
    static QxWindow mainWindow;
    return &mainWindow;
}

CPnUiBaseDialog::CPnUiBaseDialog(std::uint32_t templateId, QxWindowHandle parent, QxResourceInstance resources)
    : m_model(std::make_unique<QxUiDialogModel>())
{
    m_model->page = this;
    m_model->window.dialog = m_model.get();
    m_model->parent = parent;
    m_model->templateId = templateId;
    m_model->resources = resources;
}

CPnUiBaseDialog::CPnUiBaseDialog(QxUiDialogTemplate dialogTemplate, QxWindowHandle parent)
    : m_model(std::make_unique<QxUiDialogModel>())
{
    m_model->page = this;
    m_model->window.dialog = m_model.get();
    m_model->parent = parent;
    m_model->dialogTemplate = std::move(dialogTemplate);
    m_model->templateLoaded = true;
}

CPnUiBaseDialog::~CPnUiBaseDialog() { detachLists(*m_model); }

bool CPnUiBaseDialog::CreateControls()
{
    QxUiDialogModel& model = *m_model;
    if (!model.templateLoaded) {
        std::u16string error;
        if (!qxuiLoadDialogTemplate(model.templateId, model.dialogTemplate, model.resources, &error)) {
            qx::printLine(u"Cannot open the dialog: " + error);
            return false;
        }
        model.templateLoaded = true;
    }
    detachLists(model);
    model.controls.clear();
    for (const auto& control : model.dialogTemplate.controls) model.controls.push_back(makeControl(model, control));
    model.caption = model.dialogTemplate.caption;
    return true;
}

int CPnUiBaseDialog::DoModal()
{
    QxUiDialogModel& model = *m_model;
    if (model.running || !CreateControls()) return -1;
    model.running = true;
    model.ended = false;
    model.visible = true;
    model.inEditorCommand = false;
    model.result = 0;
    OnInitDialog();
    if (!model.ended) qxui::frontEnd().runModal(model);
    model.running = false;
    model.visible = false;
    ++g_runsEnded;
    return model.result;
}

void CPnUiBaseDialog::EndDialog(int result)
{
    m_model->ended = true;
    m_model->result = result;
}

bool CPnUiBaseDialog::IsRunning() const { return m_model->running; }

bool CPnUiBaseDialog::HasEnded() const { return m_model->ended; }

bool CPnUiBaseDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

bool CPnUiBaseDialog::OnCommand(int notification, int controlId)
{
    for (const auto& entry : m_commands)
        if (entry.notification == notification && entry.controlId == controlId) {
            // Copy: the handler may change the table while it runs.
            CommandHandler handler = entry.handler;
            handler();
            return true;
        }
    if (notification != QXUI_BN_CLICKED) return false;
    if (controlId == IDOK) {
        OnOK();
        return true;
    }
    if (controlId == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CPnUiBaseDialog::OnNotify(const QxUiNotify& notify)
{
    for (const auto& entry : m_notifies)
        if (entry.code == notify.code && entry.controlId == notify.controlId) {
            NotifyHandler handler = entry.handler;
            handler(notify);
            return true;
        }
    return false;
}

void CPnUiBaseDialog::DoDataExchange(QxDataExchange&) {}

void CPnUiBaseDialog::OnOK()
{
    if (UpdateData(true)) EndDialog(IDOK);
}

void CPnUiBaseDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CPnUiBaseDialog::UpdateData(bool saveAndValidate)
{
    QxDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.m_bFailed;
}

void CPnUiBaseDialog::OnCommandMap(int notification, int controlId, CommandHandler handler)
{
    m_commands.push_back({notification, controlId, std::move(handler)});
}

void CPnUiBaseDialog::OnNotifyMap(QxUiNotifyCode code, int controlId, NotifyHandler handler)
{
    m_notifies.push_back({code, controlId, std::move(handler)});
}

bool CPnUiBaseDialog::BeginEditorCommand()
{
    QxUiDialogModel& model = *m_model;
    if (!model.running || model.inEditorCommand) return false;
    model.inEditorCommand = true;
    model.visible = false;
    qxui::frontEnd().dialogHidden(model);
    return true;
}

void CPnUiBaseDialog::CompleteEditorCommand(bool restoreDialog)
{
    QxUiDialogModel& model = *m_model;
    if (!model.inEditorCommand) return;
    model.inEditorCommand = false;
    if (restoreDialog && model.running) {
        model.visible = true;
        qxui::frontEnd().dialogShown(model);
    }
}

void CPnUiBaseDialog::CancelEditorCommand() { CompleteEditorCommand(true); }

QxWindowHandle CPnUiBaseDialog::GetSafeHwnd() const { return &m_model->window; }

QxWindowHandle CPnUiBaseDialog::GetParent() const { return m_model->parent; }

void CPnUiBaseDialog::SetWindowText(std::u16string_view text) { m_model->caption = text; }

std::u16string CPnUiBaseDialog::GetWindowText() const { return m_model->caption; }

bool CPnUiBaseDialog::IsWindowVisible() const { return m_model->running && m_model->visible; }

CQxUiWnd CPnUiBaseDialog::GetDlgItem(int id) const { return CQxUiWnd(m_model->find(id)); }

bool CPnUiBaseDialog::SetDlgItemText(int id, std::u16string_view text)
{
    CQxUiWnd control = GetDlgItem(id);
    control.SetWindowText(text);
    return control.IsValid();
}

std::u16string CPnUiBaseDialog::GetDlgItemText(int id) const { return GetDlgItem(id).GetWindowText(); }

bool CPnUiBaseDialog::CheckDlgButton(int id, int check)
{
    QxUiControlModel* control = m_model->find(id);
    if (!control || (control->kind != QxUiControlKind::CheckBox && control->kind != QxUiControlKind::RadioButton))
        return false;
    control->check = check ? 1 : 0;
    return true;
}

int CPnUiBaseDialog::IsDlgButtonChecked(int id) const { return GetDlgItem(id).GetCheck(); }

bool CPnUiBaseDialog::CheckRadioButton(int firstId, int lastId, int id)
{
    bool found = false;
    for (auto& control : m_model->controls) {
        if (control->kind != QxUiControlKind::RadioButton || control->id < firstId || control->id > lastId) continue;
        control->check = control->id == id ? 1 : 0;
        found = found || control->id == id;
    }
    return found;
}

bool CPnUiBaseDialog::EnableDlgItem(int id, bool enable)
{
    CQxUiWnd control = GetDlgItem(id);
    control.EnableWindow(enable);
    return control.IsValid();
}

bool CPnUiBaseDialog::ShowDlgItem(int id, bool show)
{
    CQxUiWnd control = GetDlgItem(id);
    control.ShowWindow(show);
    return control.IsValid();
}

int CPnUiBaseDialog::MessageBox(std::u16string_view text, std::u16string_view caption, std::uint32_t flags)
{
    return qxuiMessageBox(GetSafeHwnd(), text, caption, flags);
}

void CPnUiBaseDialog::SendCommand(int notification, int controlId) { OnCommand(notification, controlId); }

void CPnUiBaseDialog::SendNotify(const QxUiNotify& notify) { OnNotify(notify); }

// ---------------------------------------------------------------------------------------------
// Data exchange

namespace {

QxUiControlModel* boundControl(QxDataExchange& dx, int id)
{
    QxUiControlModel* control = dx.m_dialog.GetDialogModel()->find(id);
    if (!control) dx.m_bFailed = true;
    return control;
}

}  // namespace

void DDX_Check(QxDataExchange& dx, int id, int& value)
{
    QxUiControlModel* control = boundControl(dx, id);
    if (!control) return;
    if (dx.m_bSaveAndValidate)
        value = control->check;
    else
        CQxUiWnd(control).SetCheck(value);
}

void DDX_Text(QxDataExchange& dx, int id, std::u16string& value)
{
    QxUiControlModel* control = boundControl(dx, id);
    if (!control) return;
    if (dx.m_bSaveAndValidate)
        value = control->text;
    else
        control->text = value;
}

void DDX_Radio(QxDataExchange& dx, int firstId, int& index)
{
    QxUiControlModel* first = boundControl(dx, firstId);
    if (!first) return;
    std::vector<QxUiControlModel*> group = qxui::radioGroup(*dx.m_dialog.GetDialogModel(), *first);
    if (dx.m_bSaveAndValidate) {
        index = -1;
        for (std::size_t i = 0; i < group.size(); ++i)
            if (group[i]->check) index = int(i);
    } else {
        for (std::size_t i = 0; i < group.size(); ++i) group[i]->check = int(i) == index ? 1 : 0;
    }
}

void DDX_Control(QxDataExchange& dx, int id, CQxUiWnd& control)
{
    QxUiControlModel* model = boundControl(dx, id);
    if (!model || control.GetControlModel() == model) return;
    if (!control.Attach(model)) dx.m_bFailed = true;
}
