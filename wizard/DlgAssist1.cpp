// Wizard page 1.
#include "wizard/DlgAssist1.h"

#include <algorithm>

#include "host/editor.h"
#include "module/strings.h"
#include "output/qex_settings.h"
#include "wizard/DlgAssist2.h"
#include "wizard/WizardPage.h"
#include "wizard/wizard_string_ids.h"

namespace {
constexpr int kIdIntro = 1035, kIdCreateNew = 1004, kIdBrowse = 1002, kIdUseQex = 1047, kIdQexPath = 1046,
              kIdPrevious = 1001;
}

DlgAssist1::DlgAssist1(QxWindowHandle pParent, WizardState state, bool bFreshStart)
    : CQxUiDialog(kTemplateId, pParent), m_state(std::move(state)), m_bFreshStart(bFreshStart)
{
    OnCommandMap(QXUI_BN_CLICKED, kIdCreateNew, [this] { OnCreateNewClicked(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdBrowse, [this] { OnUseQexFile(); });
    OnCommandMap(QXUI_BN_CLICKED, IDOK, [this] { OnNext(); });
}

DlgAssist1::~DlgAssist1() = default;

bool DlgAssist1::OnInitDialog()
{
    CQxUiDialog::OnInitDialog();
    SetPageTexts(*this, kIdsPage1Title,
                 {{kIdIntro, kIdsPage1Intro},
                  {kIdCreateNew, kIdsCreateNew},
                  {kIdUseQex, kIdsUseQex},
                  {kIdPrevious, kIdsPrevious},
                  {IDOK, kIdsNext},
                  {IDCANCEL, kIdsCancel}});
    CheckDlgButton(kIdCreateNew, m_state.bCreateNew ? 1 : 0);
    if (!m_state.csQexPath.empty()) SetDlgItemText(kIdQexPath, m_state.csQexPath);
    // A group-by index only survives a trip back from page 2; a new run starts without one.
    if (m_bFreshStart) m_state.nGroupBy = kNoGroupBy;
    return true;
}

void DlgAssist1::OnCreateNewClicked()
{
    m_state.bCreateNew = !m_state.bCreateNew;
}

void DlgAssist1::OnUseQexFile()
{
    CheckDlgButton(kIdCreateNew, 0);
    m_state.bCreateNew = false;
    CQxUiFileDialog dlgFile(true, u"", u"*.qex", QxUiFile::FileMustExist | QxUiFile::HideReadOnly,
                            u"Qex file (*.qex)|*.qex||", nullptr);
    if (dlgFile.DoModal() != IDOK) return;
    m_state.csQexPath = dlgFile.GetPathName();
    SetDlgItemText(kIdQexPath, m_state.csQexPath);
    LoadSettingsFile(m_state.csQexPath);
}

void DlgAssist1::LoadSettingsFile(const std::u16string& csPath)
{
    m_state.lsQexProps.clear();
    // The reader adds to the map without replacing keys: a second file must not inherit the
    // display names of the first.
    m_state.mapDisplayNames.clear();
    std::list<std::u16string> veOptions;
    std::int32_t nGroupBy = -1;
    const bool bRead =
        LoadQexSettings(csPath, m_state.lsQexProps, m_state.csTbTitle, m_state.mapDisplayNames, veOptions, nGroupBy);
    m_state.nGroupBy = nGroupBy < 0 ? kNoGroupBy : std::uint32_t(nGroupBy);
    auto hasOption = [&veOptions](const char16_t* csName) {
        return std::find(veOptions.begin(), veOptions.end(), csName) != veOptions.end();
    };
    if (m_state.nGroupBy != kNoGroupBy) m_state.bCombineRows = true;
    m_state.bTotalLine = hasOption(kQexTotalLine);
    if (hasOption(kQexHideHeaderLine)) m_state.bDisplayHeader = false;
    if (!bRead) qxutPrintf(u"%s", LoadResString(kIdsQexIncorrect).c_str());
}

void DlgAssist1::OnNext()
{
    const bool bCreateNew = IsDlgButtonChecked(kIdCreateNew) != 0;
    EndDialog(IDOK);
    // Neither a new extraction nor a settings file: nothing to do.
    if (!bCreateNew && m_state.csQexPath.empty()) return;
    WizardState stateNext = m_state;
    if (bCreateNew) {
        stateNext.lsQexProps.clear();
        stateNext.csQexPath.clear();
    }
    DlgAssist2 page2(pwsw_qxappMainWnd(), std::move(stateNext));
    page2.DoModal();
}
