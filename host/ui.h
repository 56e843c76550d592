// The host's windows and dialogs: modal dialogs built from templates, their controls by id
// (texts, buttons, check boxes, radio buttons, edits, pictures, list views), image lists,
// pop-up menus, message boxes and file dialogs.
//
// A dialog is a class derived from CQxUiDialog. It names its template, fills its controls in
// OnInitDialog, and reacts to what the user does through OnCommand (buttons, edits) and
// OnNotify (list views), or through a table of handlers registered with OnCommandMap and
// OnNotifyMap. The host keeps every control's state; whether a person clicked in a window or
// a script line did the same thing, the dialog receives the same notifications.
//
// Texts are UTF-16. Failures are reported by return values, never by exceptions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources.h"

// A window of the host; dialogs take one as their parent.
struct QxWindow;
using QxWindowHandle = QxWindow*;

// The host's main window.
QxWindowHandle pwsw_qxappMainWnd();

struct QxUiPoint {
    int x = 0;
    int y = 0;
};

// Results of a modal run, and the buttons of a message box.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// ---------------------------------------------------------------------------------------------
// Dialog templates

enum class QxUiControlKind {
    Static,         // static text
    GroupBox,
    PushButton,
    DefPushButton,  // the button that Enter presses
    CheckBox,       // auto check box: a click toggles it
    RadioButton,    // auto radio button: a click checks it and unchecks the rest of its group
    Edit,           // single-line edit
    Picture,        // a bitmap or an icon
    ListView,
};

namespace QxUiStyle {
enum : std::uint32_t {
    Disabled = 1u << 0,
    Hidden = 1u << 1,
    Group = 1u << 2,        // starts a new group of radio buttons
    TabStop = 1u << 3,
    Border = 1u << 4,
    AutoHScroll = 1u << 5,  // edit: scrolls sideways, no length limit
    VCenter = 1u << 6,      // static: text centred vertically
    ReadOnly = 1u << 7,     // edit
    ReportView = 1u << 8,   // list view: columns with a header
    ListMode = 1u << 9,     // list view: one column of items
    SingleSelect = 1u << 10,
    ShowSelAlways = 1u << 11,
};
}

struct QxUiControlTemplate {
    int id = 0;
    QxUiControlKind kind = QxUiControlKind::Static;
    std::u16string text;
    int x = 0, y = 0, w = 0, h = 0;  // dialog units
    std::uint32_t style = 0;         // QxUiStyle flags
};

struct QxUiDialogTemplate {
    int width = 0, height = 0;  // dialog units
    std::u16string fontName = u"MS Shell Dlg";
    int fontSize = 8;
    std::u16string caption;
    std::vector<QxUiControlTemplate> controls;  // in tab order
};

// The text form of a template, as the files resources/dialogs/<id>.dlg hold it:
//
//   # comment
//   dialog 316 271
//   font "MS Shell Dlg" 8
//   caption "Starting"
//   control 1004 checkbox "Create a new data extraction" 125 74 163 10 tabstop
//   control 1001 button "Previous" 150 250 50 14 disabled
//
// Kinds: static, group, button, defbutton, checkbox, radio, edit, picture, listview. Style
// words: disabled, hidden, group, tabstop, border, autohscroll, vcenter, readonly, report,
// list, singlesel, showselalways. Texts are UTF-8 in double quotes; \" and \\ escape. A
// picture whose text is a number shows that image resource. Id -1 may repeat (controls that
// the dialog never addresses).
// Returns false, with a message that names the line, when the text is not well formed.
bool qxuiParseDialogTemplate(std::string_view text, QxUiDialogTemplate& result, std::u16string& error);

// The template `id` of the resource chain ("dialogs/<id>.dlg"), starting at `instance`.
bool qxuiLoadDialogTemplate(std::uint32_t id, QxUiDialogTemplate& result, QxResourceInstance instance = nullptr,
                            std::u16string* error = nullptr);

// ---------------------------------------------------------------------------------------------
// Images

class CQxUiImage {
public:
    enum Kind { None, Icon, Bitmap, CheckBox };

    CQxUiImage() = default;
    // From the resource chain ("images/<id>.<ext>"); a null image when there is none.
    static CQxUiImage LoadIcon(std::uint32_t id, int cx = 16, int cy = 16, QxResourceInstance instance = nullptr);
    static CQxUiImage LoadBitmap(std::uint32_t id, QxResourceInstance instance = nullptr);
    // The host's own pictures of an unchecked and a checked check box.
    static CQxUiImage CheckBoxImage(bool checked);

    bool IsNull() const { return m_kind == None; }
    Kind GetKind() const { return m_kind; }
    std::uint32_t GetResourceId() const { return m_id; }
    bool IsCheckedBox() const { return m_kind == CheckBox && m_checked; }
    int Width() const { return m_cx; }
    int Height() const { return m_cy; }
    const QxResourceFile* GetResource() const { return m_file; }
    // A short description for text front ends: "icon 133", "bitmap 109", "[ ]", "[x]".
    std::u16string Describe() const;

private:
    Kind m_kind = None;
    std::uint32_t m_id = 0;
    bool m_checked = false;
    int m_cx = 0, m_cy = 0;
    const QxResourceFile* m_file = nullptr;
};

// A list of images of one size. Copies share the list, so a list given to a list view and
// extended afterwards is extended there too.
class CQxUiImageList {
public:
    CQxUiImageList() = default;
    bool Create(int cx, int cy, int initial = 0, int grow = 1);
    bool IsNull() const { return !m_images; }
    // Index of the added image, or -1 when the list was not created or the image is null.
    int Add(const CQxUiImage& image);
    int GetImageCount() const;
    CQxUiImage GetImage(int index) const;  // null image when out of range

private:
    struct Images {
        int cx = 16, cy = 16;
        std::vector<CQxUiImage> images;
    };
    std::shared_ptr<Images> m_images;
};

// ---------------------------------------------------------------------------------------------
// Notifications

// Command notifications (OnCommand), from buttons and edits.
inline constexpr int QXUI_BN_CLICKED = 0;
inline constexpr int QXUI_EN_CHANGE = 0x300;

// Notifications of list views (OnNotify).
enum class QxUiNotifyCode {
    ItemChanged,         // an item's state or text changed: item, oldState, newState, changed
    ColumnClick,         // a header was clicked: subItem is the column
    Click,               // a cell was clicked: item, subItem, point
    RightClick,          // a cell was right-clicked: item, subItem, point
    HeaderRightClick,    // a header was right-clicked: subItem is the column, point
    EndLabelEdit,        // an in-place edit ended: item, subItem, text (the text is set already)
    ColumnOrderChanged,  // a header was dragged to another place
};

namespace QxUiList {
// Extended styles.
enum : std::uint32_t { GridLines = 0x1, CheckBoxes = 0x4, HeaderDragDrop = 0x10, FullRowSelect = 0x20 };
// Item state bits. Bits 12 to 15 hold the state image: 0 none, 1 unchecked, 2 checked.
enum : std::uint32_t { Focused = 0x1, Selected = 0x2, StateImageMask = 0xF000 };
constexpr std::uint32_t StateImage(int index) { return std::uint32_t(index) << 12; }
constexpr int StateImageOf(std::uint32_t state) { return int((state & StateImageMask) >> 12); }
// What changed in an ItemChanged notification.
enum : std::uint32_t { ChangedText = 0x1, ChangedImage = 0x2, ChangedData = 0x4, ChangedState = 0x8 };
// Column alignment.
enum Format { Left = 0, Right = 1, Center = 2 };
// The arrow a header shows.
enum SortArrow { NoArrow = 0, ArrowUp = 1, ArrowDown = 2 };
// Image lists of a list view.
enum ImageListKind { SmallImages = 1, StateImages = 2 };
}  // namespace QxUiList

struct QxUiNotify {
    QxUiNotifyCode code = QxUiNotifyCode::ItemChanged;
    int controlId = 0;
    int item = -1;
    int subItem = -1;
    std::uint32_t oldState = 0;
    std::uint32_t newState = 0;
    std::uint32_t changed = 0;  // QxUiList::Changed* bits
    QxUiPoint point;            // where a click happened, in dialog units of the dialog
    std::u16string text;        // EndLabelEdit: the new text
};

// ---------------------------------------------------------------------------------------------
// Controls

struct QxUiControlModel;  // the host's state of one control
class CPnUiBaseDialog;

// A control of a dialog, by reference: a small handle to the host's control. A default-made
// handle refers to nothing; every call on it does nothing and returns an empty value.
class CQxUiWnd {
public:
    CQxUiWnd() = default;
    explicit CQxUiWnd(QxUiControlModel* control) : m_pControl(control) {}
    virtual ~CQxUiWnd() = default;

    // Makes this object refer to `control` (DDX_Control calls it).
    virtual bool Attach(QxUiControlModel* control);
    virtual void Detach();

    bool IsValid() const { return m_pControl != nullptr; }
    int GetDlgCtrlID() const;
    QxUiControlKind GetKind() const;

    void SetWindowText(std::u16string_view text);
    std::u16string GetWindowText() const;
    void EnableWindow(bool enable = true);
    bool IsWindowEnabled() const;
    void ShowWindow(bool show = true);
    bool IsWindowVisible() const;
    // Check boxes and radio buttons: 0 unchecked, 1 checked. No notification is sent.
    void SetCheck(int check);
    int GetCheck() const;
    // Pictures and buttons: the image shown.
    void SetImage(const CQxUiImage& image);
    CQxUiImage GetImage() const;

    QxUiControlModel* GetControlModel() const { return m_pControl; }

protected:
    QxUiControlModel* m_pControl = nullptr;
};

// The rows of a list view in virtual mode (CQxUiListCtrl::SetVirtualItems): the list stores
// nothing per row and asks the source for a cell when it shows, searches or sorts it. Rows
// are the source's own indexes (the list's order of them may differ once it is sorted) and
// columns the list's column indexes.
class CQxUiListSource {
public:
    virtual ~CQxUiListSource() = default;
    // The text of a cell; it must stay valid until the source is asked again.
    virtual std::u16string_view GetCellText(int row, int subItem) const = 0;
    // The image of a cell: an index into the list's small images, -1 for none.
    virtual int GetCellImage(int /*row*/, int /*subItem*/) const { return -1; }
    virtual std::uint64_t GetItemData(int row) const { return std::uint64_t(row); }
};

// A list view of a dialog. Attached to the control (Attach or DDX_Control), the object sees
// the control's notifications first in OnReflectedNotify; what it does not handle goes on to
// the dialog's OnNotify. Changes of an item's state, whether made by the user or by calls
// below, send ItemChanged with the old and the new state.
class CQxUiListCtrl : public CQxUiWnd {
public:
    CQxUiListCtrl() = default;
    explicit CQxUiListCtrl(QxUiControlModel* control) : CQxUiWnd(control) {}
    ~CQxUiListCtrl() override;
    CQxUiListCtrl(const CQxUiListCtrl&) = delete;
    CQxUiListCtrl& operator=(const CQxUiListCtrl&) = delete;

    bool Attach(QxUiControlModel* control) override;  // refused unless the control is a list view
    void Detach() override;
    // Return true when the notification is handled and must not reach the dialog.
    virtual bool OnReflectedNotify(const QxUiNotify& notify);

    std::uint32_t GetExtendedStyle() const;
    void SetExtendedStyle(std::uint32_t styles);
    bool IsReportView() const;

    // Columns. The index of the inserted column, or -1.
    int InsertColumn(int column, std::u16string_view title, int format = QxUiList::Left, int width = 100,
                     int subItem = -1);
    bool DeleteColumn(int column);
    int GetColumnCount() const;
    std::u16string GetColumnTitle(int column) const;
    bool SetColumnTitle(int column, std::u16string_view title);
    int GetColumnWidth(int column) const;  // a width of 0 hides the column
    bool SetColumnWidth(int column, int width);
    int GetColumnFormat(int column) const;
    bool SetColumnFormat(int column, int format);
    int GetColumnSortArrow(int column) const;
    bool SetColumnSortArrow(int column, int arrow);
    // Cells of an editable column are edited in place by the user; the edit ends with
    // EndLabelEdit after the cell text is set.
    bool SetColumnEditable(int column, bool editable);
    bool IsColumnEditable(int column) const;
    // Header order: the column shown at each place, from left to right.
    std::vector<int> GetColumnOrderArray() const;
    bool SetColumnOrderArray(const std::vector<int>& order);

    // Virtual mode: the list shows `count` rows of `source` instead of items of its own, for
    // lists too long to copy (a preview of a million rows). The list keeps only what changes
    // after this: states, and texts, images or data set through the calls below. Inserting
    // and deleting single items is refused; DeleteAllItems leaves virtual mode. Sorting
    // reorders the rows without copying them.
    bool SetVirtualItems(int count, std::shared_ptr<const CQxUiListSource> source);
    bool IsVirtual() const;

    // Items. The index of the inserted item, or -1.
    int GetItemCount() const;
    int InsertItem(int item, std::u16string_view text, int image = -1);
    bool DeleteItem(int item);
    bool DeleteAllItems();
    std::u16string GetItemText(int item, int subItem) const;
    bool SetItemText(int item, int subItem, std::u16string_view text);
    std::uint64_t GetItemData(int item) const;
    bool SetItemData(int item, std::uint64_t data);
    std::uint32_t GetItemState(int item, std::uint32_t mask) const;
    bool SetItemState(int item, std::uint32_t state, std::uint32_t mask);
    // The native check box of an item (state image 2 checked, 1 unchecked).
    bool GetCheck(int item) const;
    bool SetCheck(int item, bool checked = true);
    // The image of a cell: an index into the small image list, -1 for none.
    int GetItemImage(int item, int subItem) const;
    bool SetItemImage(int item, int subItem, int image);
    std::vector<int> GetSelectedItems() const;
    int GetSelectedCount() const;

    CQxUiImageList GetImageList(int kind) const;
    void SetImageList(const CQxUiImageList& list, int kind);

    // Sorts the items with `compare`, which gets the item data of two items (negative when
    // the first goes first). The sort is stable.
    bool SortItems(const std::function<int(std::uint64_t, std::uint64_t)>& compare);
    // The same with the items' indexes as they were before the sort.
    bool SortItemsByIndex(const std::function<int(int, int)>& compare);

    // The text shown instead of the items when there are none.
    void SetEmptyText(std::u16string_view text);
    void SetFocus();

    // The dialog the list belongs to.
    CPnUiBaseDialog* GetDialog() const;
};

// ---------------------------------------------------------------------------------------------
// Data exchange between controls and a dialog's members

class QxDataExchange {
public:
    QxDataExchange(CPnUiBaseDialog& dialog, bool saveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CPnUiBaseDialog& m_dialog;
    bool m_bSaveAndValidate;  // true: controls to members; false: members to controls
    bool m_bFailed = false;   // a bound control does not exist
};

void DDX_Check(QxDataExchange& dx, int id, int& value);
void DDX_Text(QxDataExchange& dx, int id, std::u16string& value);
// `index`: the place of the checked radio button in the group that starts at `firstId`, -1 for none.
void DDX_Radio(QxDataExchange& dx, int firstId, int& index);
// Binds a control object (for example a list) to the control `id` when the controls are read.
void DDX_Control(QxDataExchange& dx, int id, CQxUiWnd& control);

// ---------------------------------------------------------------------------------------------
// Dialogs

struct QxUiDialogModel;

class CPnUiBaseDialog {
public:
    explicit CPnUiBaseDialog(std::uint32_t templateId, QxWindowHandle parent = nullptr,
                             QxResourceInstance resources = nullptr);
    explicit CPnUiBaseDialog(QxUiDialogTemplate dialogTemplate, QxWindowHandle parent = nullptr);
    virtual ~CPnUiBaseDialog();
    CPnUiBaseDialog(const CPnUiBaseDialog&) = delete;
    CPnUiBaseDialog& operator=(const CPnUiBaseDialog&) = delete;

    // Creates the controls, calls OnInitDialog and lets the user work until EndDialog. Returns
    // the value given to EndDialog, or -1 when the template cannot be loaded or the dialog
    // runs already.
    virtual int DoModal();
    // Marks the dialog ended; DoModal returns once the handler that called this returns.
    void EndDialog(int result);
    bool IsRunning() const;
    bool HasEnded() const;

    // Called once the controls exist. The default reads the members into the controls.
    virtual bool OnInitDialog();
    // A button or edit notification. The default looks up the command table, then treats
    // IDOK with OnOK and IDCANCEL with OnCancel. Returns true when handled.
    virtual bool OnCommand(int notification, int controlId);
    // A list notification. The default looks up the notification table.
    virtual bool OnNotify(const QxUiNotify& notify);
    // Binds controls to members, in both directions (see QxDataExchange).
    virtual void DoDataExchange(QxDataExchange& dx);
    virtual void OnOK();      // UpdateData(true), then EndDialog(IDOK)
    virtual void OnCancel();  // EndDialog(IDCANCEL)
    bool UpdateData(bool saveAndValidate = true);

    // The command table: a handler per (notification, control id).
    using CommandHandler = std::function<void()>;
    using NotifyHandler = std::function<void(const QxUiNotify&)>;
    void OnCommandMap(int notification, int controlId, CommandHandler handler);
    void OnNotifyMap(QxUiNotifyCode code, int controlId, NotifyHandler handler);

    // Hides the dialog so that the user can answer the drawing editor (points, selections);
    // CompleteEditorCommand shows it again after success, CancelEditorCommand after a
    // cancelled request. CompleteEditorCommand(false) leaves it hidden, for a dialog that
    // ends at once. BeginEditorCommand fails when the dialog does not run or is hidden already.
    bool BeginEditorCommand();
    void CompleteEditorCommand(bool restoreDialog = true);
    void CancelEditorCommand();

    QxWindowHandle GetSafeHwnd() const;
    QxWindowHandle GetParent() const;
    void SetWindowText(std::u16string_view text);
    std::u16string GetWindowText() const;
    bool IsWindowVisible() const;

    // Controls by id. An invalid handle when the dialog has no such control (or runs not).
    CQxUiWnd GetDlgItem(int id) const;
    bool SetDlgItemText(int id, std::u16string_view text);
    std::u16string GetDlgItemText(int id) const;
    bool CheckDlgButton(int id, int check);
    int IsDlgButtonChecked(int id) const;
    // Checks `id` and unchecks the other radio buttons from firstId to lastId.
    bool CheckRadioButton(int firstId, int lastId, int id);
    bool EnableDlgItem(int id, bool enable);
    bool ShowDlgItem(int id, bool show);

    // A message box owned by this dialog (see qxuiMessageBox).
    int MessageBox(std::u16string_view text, std::u16string_view caption = u"", std::uint32_t flags = 0);

    // For front ends: the host's state of this dialog, and delivery of notifications.
    QxUiDialogModel* GetDialogModel() const { return m_model.get(); }
    void SendCommand(int notification, int controlId);
    void SendNotify(const QxUiNotify& notify);

private:
    bool CreateControls();

    std::unique_ptr<QxUiDialogModel> m_model;
    struct CommandEntry {
        int notification;
        int controlId;
        CommandHandler handler;
    };
    struct NotifyEntry {
        QxUiNotifyCode code;
        int controlId;
        NotifyHandler handler;
    };
    std::vector<CommandEntry> m_commands;
    std::vector<NotifyEntry> m_notifies;
};

// The dialog class that the module's dialogs derive from.
class CQxUiDialog : public CPnUiBaseDialog {
public:
    using CPnUiBaseDialog::CPnUiBaseDialog;
};

// ---------------------------------------------------------------------------------------------
// Message boxes, file dialogs, pop-up menus

namespace QxUiMsg {
enum : std::uint32_t {
    Ok = 0x0,
    OkCancel = 0x1,
    YesNoCancel = 0x3,
    YesNo = 0x4,
    ButtonMask = 0xF,
    IconError = 0x10,
    IconQuestion = 0x20,
    IconWarning = 0x30,
    IconInformation = 0x40,
    IconMask = 0xF0,
};
}

// Shows a message box and returns the button chosen (IDOK, IDCANCEL, IDYES, IDNO). An empty
// caption shows the host's name.
int qxuiMessageBox(QxWindowHandle owner, std::u16string_view text, std::u16string_view caption = u"",
                   std::uint32_t flags = QxUiMsg::Ok);

namespace QxUiFile {
enum : std::uint32_t { OverwritePrompt = 0x2, HideReadOnly = 0x4, PathMustExist = 0x800, FileMustExist = 0x1000 };
}

// A file-open or file-save dialog. The filter is pairs of a description and a pattern, each
// ended by "|", the whole ended by "|": "Csv file (*.csv)|*.csv|Xls file (*.xls)|*.xls||".
class CQxUiFileDialog {
public:
    CQxUiFileDialog(bool openFileDialog, std::u16string_view defaultExt = u"", std::u16string_view fileName = u"",
                    std::uint32_t flags = QxUiFile::HideReadOnly, std::u16string_view filter = u"",
                    QxWindowHandle owner = nullptr);
    // IDOK when the user chose a file, IDCANCEL otherwise.
    int DoModal();
    std::u16string GetPathName() const { return m_path; }  // full path
    int GetFilterIndex() const { return m_filterIndex; }  // 1-based

    // What the dialog offers, for front ends.
    bool IsOpenDialog() const { return m_open; }
    const std::u16string& GetDefaultExt() const { return m_defaultExt; }
    const std::u16string& GetInitialName() const { return m_initialName; }
    std::uint32_t GetFlags() const { return m_flags; }
    // (description, pattern) pairs of the filter.
    std::vector<std::pair<std::u16string, std::u16string>> GetFilters() const;
    // Sets the result as the user's choice: the path made full, the default extension added
    // when the name has none. Returns false with a reason when the choice cannot be taken.
    bool Choose(std::u16string_view path, int filterIndex, std::u16string& reason);

private:
    bool m_open;
    std::u16string m_defaultExt, m_initialName, m_filter;
    std::uint32_t m_flags;
    QxWindowHandle m_owner;
    std::u16string m_path;
    int m_filterIndex = 1;
};

namespace QxUiMenuFlag {
enum : std::uint32_t { Checked = 0x8, Disabled = 0x2, Separator = 0x800 };
}

class CQxUiMenu {
public:
    struct Entry {
        int id = 0;
        std::u16string text;
        std::uint32_t flags = 0;  // QxUiMenuFlag bits
    };
    void AppendItem(int id, std::u16string_view text, std::uint32_t flags = 0);
    void AppendSeparator();
    const std::vector<Entry>& Entries() const { return m_entries; }
    // Shows the menu at `point` of `owner` and waits for a choice: the chosen entry's id, or 0
    // when the menu was dismissed.
    int TrackPopupMenu(QxUiPoint point, QxWindowHandle owner = nullptr) const;

private:
    std::vector<Entry> m_entries;
};
