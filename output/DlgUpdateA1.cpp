// The update command's dialog.
#include "output/DlgUpdateA1.h"

#include "host/dbid.h"
#include "host/resbuf.h"
#include "module/strings.h"
#include "resources/string_ids.h"
#include "output/update_command.h"

namespace {

enum : int {
    IDC_UPDATE_GROUP = 1048,
    IDC_REFRESH = 1051,
    IDC_ADD = 1052,
    IDC_REPLACE = 1053,
    IDC_EXPORT = 1054,
    IDC_REFRESH_LABEL = 1055,
    IDC_ADD_LABEL = 1056,
    IDC_REPLACE_LABEL = 1057,
    IDC_EXPORT_LABEL = 1058,
};

}  // namespace

DlgUpdateA1::DlgUpdateA1(QxWindowHandle parent) : CQxUiDialog(IDD, parent)
{
    OnCommandMap(QXUI_BN_CLICKED, IDC_REFRESH, [this] { OnAction(kRefresh); });
    OnCommandMap(QXUI_BN_CLICKED, IDC_ADD, [this] { OnAction(kAdd); });
    OnCommandMap(QXUI_BN_CLICKED, IDC_REPLACE, [this] { OnAction(kReplace); });
    OnCommandMap(QXUI_BN_CLICKED, IDC_EXPORT, [this] { OnAction(kExport); });
}

bool DlgUpdateA1::OnInitDialog()
{
    CQxUiDialog::OnInitDialog();
    SetWindowText(LoadResString(kIdsDialogTitle));
    SetDlgItemText(IDC_UPDATE_GROUP, LoadResString(kIdsUpdateChoice));
    SetDlgItemText(IDC_REFRESH_LABEL, LoadResString(kIdsRefreshLabel));
    SetDlgItemText(IDC_ADD_LABEL, LoadResString(kIdsAddLabel));
    SetDlgItemText(IDC_REPLACE_LABEL, LoadResString(kIdsReplaceLabel));
    SetDlgItemText(IDC_EXPORT_LABEL, LoadResString(kIdsExportLabel));
    SetDlgItemText(IDOK, LoadResString(kIdsFinish));
    SetDlgItemText(IDCANCEL, LoadResString(kIdsCancel));
    return true;
}

void DlgUpdateA1::OnOK()
{
    if (tablePicked) {
        EndDialog(IDOK);
        return;
    }
    MessageBox(LoadResString(kIdsNoTableSelected), u"", QxUiMsg::Ok | QxUiMsg::IconInformation);
}

void DlgUpdateA1::PickTable()
{
    qxutPrintf(u"%s", LoadResString(kIdsSelectTable).c_str());
    qxresbuf* filter = qxutBuildList(QXRT_DXF0, u"ACAD_TABLE", 0);
    BeginEditorCommand();
    qxds_name ssTbl = {0, 0};
    const int status = qxedSSGet(u":S", nullptr, nullptr, filter, ssTbl);
    qxutRelRb(filter);
    qxds_name table = {0, 0};
    if (status == QXRT_NORM && qxedSSName(ssTbl, 0, table) == QXRT_NORM) {
        CompleteEditorCommand();
        m_pickedTable[0] = table[0];
        m_pickedTable[1] = table[1];
        tablePicked = true;
    } else {
        CancelEditorCommand();
    }
    if (status == QXRT_NORM) qxedSSFree(ssTbl);
}

void DlgUpdateA1::OnAction(Action action)
{
    PickTable();
    EndDialog(IDOK);
    if (!tablePicked) return;
    QxDbObjectId idTbl;
    if (qxdbGetObjectId(idTbl, m_pickedTable) != Qxapp::eOk) return;
    switch (action) {
    case kRefresh: RefreshTable(myStrHelper, idTbl); break;
    case kAdd: AddObjectsToTable(this, myStrHelper, idTbl); break;
    case kReplace: ReplaceTableSelection(this, myStrHelper, idTbl); break;
    case kExport: ReExportTable(idTbl); break;
    }
}
