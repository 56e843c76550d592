// Wizard page 2.
#include "wizard/DlgAssist2.h"

#include "engine/str_helper.h"
#include "host/database.h"
#include "host/docman.h"
#include "module/strings.h"
#include "wizard/DlgAssist1.h"
#include "wizard/DlgAssist3.h"
#include "wizard/WizardPage.h"
#include "wizard/wizard_string_ids.h"

namespace {
constexpr int kIdSourceGroup = 1035, kIdObjectsLabel = 1036, kIdSelect = 1002, kIdCurrentDrawing = 1037,
              kIdDrawingLabel = 1051, kIdDrawingList = 1011, kIdPrevious = 1001;

std::u16string WorkingDrawingName()
{
    QxDbDatabase* pDb = qxdbHostApplicationServices()->workingDatabase();
    QxApDocManager* pDocs = qxDocManagerPtr();
    if (!pDb || !pDocs) return {};
    const QxApDocument* pDoc = pDocs->document(pDb);
    return pDoc ? pDoc->fileName() : std::u16string();
}
}  // namespace

DlgAssist2::DlgAssist2(QxWindowHandle pParent, WizardState state)
    : CQxUiDialog(kTemplateId, pParent), m_state(std::move(state))
{
    OnCommandMap(QXUI_BN_CLICKED, kIdSelect, [this] { OnSelectObjects(); });
    OnCommandMap(QXUI_BN_CLICKED, IDOK, [this] { OnNext(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdPrevious, [this] { OnPrevious(); });
}

DlgAssist2::~DlgAssist2()
{
    FreeSelection();
}

void DlgAssist2::DoDataExchange(QxDataExchange& dx)
{
    DDX_Control(dx, kIdDrawingList, m_lstDrawing);
}

bool DlgAssist2::OnInitDialog()
{
    CQxUiDialog::OnInitDialog();
    SetPageTexts(*this, kIdsPage2Title,
                 {{kIdSourceGroup, kIdsDataSource},
                  {kIdObjectsLabel, kIdsObjectsSelection},
                  {kIdCurrentDrawing, kIdsCurrentDrawing},
                  {kIdDrawingLabel, kIdsDrawingFile},
                  {kIdPrevious, kIdsPrevious},
                  {IDOK, kIdsNext},
                  {IDCANCEL, kIdsCancel}});
    CheckRadioButton(kIdCurrentDrawing, kIdCurrentDrawing, kIdCurrentDrawing);
    m_images.Create(16, 16, 0, 1);
    m_images.Add(CQxUiImage::LoadIcon(kIconDrawing, 16, 16));
    m_lstDrawing.SetImageList(m_images, QxUiList::SmallImages);
    m_lstDrawing.InsertItem(0, WorkingDrawingName(), 0);
    return true;
}

bool DlgAssist2::TakeSelection(int nStatus)
{
    m_bHaveSelection = true;
    m_nLength = 0;
    if (nStatus == QXRT_NORM && qxedSSLength(m_ss, &m_nLength) == QXRT_NORM && m_nLength > 0) return true;
    FreeSelection();
    return false;
}

void DlgAssist2::FreeSelection()
{
    if (!m_bHaveSelection) return;
    qxedSSFree(m_ss);
    m_ss[0] = m_ss[1] = 0;
    m_bHaveSelection = false;
}

void DlgAssist2::OnSelectObjects()
{
    if (!BeginEditorCommand()) return;
    FreeSelection();
    const int nStatus = qxedSSGet(nullptr, nullptr, nullptr, nullptr, m_ss);
    if (TakeSelection(nStatus)) {
        CompleteEditorCommand();
        GoToObjectPage();
    } else {
        CancelEditorCommand();
    }
}

void DlgAssist2::OnNext()
{
    if (IsDlgButtonChecked(kIdCurrentDrawing) == 0) {
        MessageBox(LoadResString(kIdsNoSourceText), LoadResString(kIdsNoSourceCaption), QxUiMsg::Ok);
        return;
    }
    FreeSelection();
    const int nStatus = qxedSSGet(u"A", nullptr, nullptr, nullptr, m_ss);
    if (TakeSelection(nStatus)) GoToObjectPage();
    else ReportNothingToExtract();
}

void DlgAssist2::ReportNothingToExtract()
{
    MessageBox(LoadResString(kIdsNothingToExtract), LoadResString(kIdsNoSourceCaption),
               QxUiMsg::Ok | QxUiMsg::IconWarning);
}

void DlgAssist2::GoToObjectPage()
{
    StrHelper myStrHelper;
    ExtractionData data{ExtractionEngine(m_ss, m_nLength, myStrHelper), {}};
    data.seObjTypes = data.extEngine.TypeCodesPresent();
    // The engine keeps what it read; the selection is not needed any more.
    FreeSelection();
    if (data.seObjTypes.empty()) {
        ReportNothingToExtract();
        return;
    }
    EndDialog(IDOK);
    DlgAssist3 page3(pwsw_qxappMainWnd(), m_state, std::move(data), true);
    page3.DoModal();
}

void DlgAssist2::OnPrevious()
{
    EndDialog(IDCANCEL);
    DlgAssist1 page1(pwsw_qxappMainWnd(), m_state, false);
    FreeSelection();
    page1.DoModal();
}
