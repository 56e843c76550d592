// Wizard page 3.
#include "wizard/DlgAssist3.h"

#include "module/strings.h"
#include "wizard/DlgAssist2.h"
#include "wizard/DlgAssist4.h"
#include "wizard/WizardPage.h"
#include "wizard/wizard_string_ids.h"

namespace {
constexpr int kIdPrompt = 1035, kIdObjectsGroup = 1038, kIdGrid = 1022, kIdFilterLabel = 1039, kIdFilter = 1023,
              kIdPrevious = 1001;
}

DlgAssist3::DlgAssist3(QxWindowHandle pParent, WizardState state, ExtractionData data, bool bFromSourcePage)
    : CQxUiDialog(kTemplateId, pParent), m_state(std::move(state)), m_data(std::move(data)),
      m_bFromSourcePage(bFromSourcePage)
{
    OnNotifyMap(QxUiNotifyCode::ItemChanged, kIdFilter, [this](const QxUiNotify& n) { OnFilterChanged(n); });
    OnNotifyMap(QxUiNotifyCode::ItemChanged, kIdGrid, [this](const QxUiNotify& n) { OnGridChanged(n); });
    OnCommandMap(QXUI_BN_CLICKED, IDOK, [this] { OnNext(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdPrevious, [this] { OnPrevious(); });
}

DlgAssist3::~DlgAssist3() = default;

void DlgAssist3::DoDataExchange(QxDataExchange& dx)
{
    DDX_Control(dx, kIdGrid, m_gridObjects);
    DDX_Control(dx, kIdFilter, m_lstFilter);
}

void DlgAssist3::BuildObjectRows()
{
    const StrHelper& strHelper = m_data.extEngine.strHelper;
    m_state.veObjectRows.push_back({u"Chk", strHelper.blockNameItem.name});
    for (std::uint32_t nCode : m_data.seObjTypes)
        if (nCode >= 1 && nCode <= strHelper.lsObjNames.size())
            m_state.veObjectRows.push_back({u"1", strHelper.lsObjNames[nCode - 1]});
}

void DlgAssist3::BuildFilterRows()
{
    const std::u16string& csBlock = m_data.extEngine.strHelper.lsObjNames.front();
    for (std::uint32_t nCode : m_data.seObjTypes) {
        if (nCode == 1) {
            m_state.veObjectFilterRows.push_back({u"1", csBlock});
        } else {
            m_state.veObjectFilterRows.push_back({u"1", LoadResString(kIdsNonBlock)});
            break;
        }
    }
}

void DlgAssist3::FollowNewSelection()
{
    // Page 2 may have read a selection with other kinds than the one these rows were built
    // for: the rows must list the kinds present now, or kinds just selected could never be
    // extracted. Kinds still present keep their checks, and the filter its choices.
    const TableData veObjectsBefore = std::move(m_state.veObjectRows);
    const TableData veFilterBefore = std::move(m_state.veObjectFilterRows);
    m_state.veObjectRows.clear();
    m_state.veObjectFilterRows.clear();
    BuildObjectRows();
    BuildFilterRows();
    auto keepFlags = [](TableData& veRows, const TableData& veBefore) {
        for (TableRow& row : veRows)
            for (const TableRow& before : veBefore)
                if (before.size() >= 2 && CellIs(row, 1, before[1])) row[0] = before[0];
    };
    keepFlags(m_state.veObjectRows, veObjectsBefore);
    keepFlags(m_state.veObjectFilterRows, veFilterBefore);
    auto names = [](const TableData& veRows) {
        std::vector<std::u16string> lsNames;
        for (const TableRow& row : veRows) lsNames.push_back(row.size() >= 2 ? row[1] : std::u16string());
        return lsNames;
    };
    if (names(m_state.veObjectRows) != names(veObjectsBefore)) {
        m_state.vePropertyRows.clear();
        m_state.vePropertyFilterRows.clear();
    }
}

bool DlgAssist3::OnInitDialog()
{
    CQxUiDialog::OnInitDialog();
    SetPageTexts(*this, kIdsPage3Title,
                 {{kIdPrompt, kIdsSelectObjects},
                  {kIdObjectsGroup, kIdsObjects},
                  {kIdFilterLabel, kIdsFilter},
                  {kIdPrevious, kIdsPrevious},
                  {IDOK, kIdsNext},
                  {IDCANCEL, kIdsCancel}});
    m_gridObjects.SetExtendedStyle(m_gridObjects.GetExtendedStyle() | QxUiList::GridLines | QxUiList::FullRowSelect);
    m_gridObjects.bCellImageChecks = false;
    m_lstFilter.SetExtendedStyle(m_lstFilter.GetExtendedStyle() | QxUiList::CheckBoxes);

    if (m_state.veObjectRows.empty()) BuildObjectRows();
    else if (m_bFromSourcePage) FollowNewSelection();
    m_gridObjects.SetExtendedStyle(m_gridObjects.GetExtendedStyle() | QxUiList::CheckBoxes);
    m_gridObjects.InsertColumn(0, u" ", QxUiList::Left, 20);
    m_gridObjects.InsertColumn(1, m_state.veObjectRows.front().at(1), QxUiList::Left, 100);

    if (m_state.veObjectFilterRows.empty()) BuildFilterRows();
    // Each row goes in at the place of the one before, so the list shows the rows reversed;
    // each check fills the grid with that category's kinds.
    const std::u16string& csBlock = m_data.extEngine.strHelper.lsObjNames.front();
    const TableData veFilterRows = m_state.veObjectFilterRows;
    int nPos = 0;
    for (const TableRow& row : veFilterRows) {
        if (row.size() < 2) continue;
        nPos = m_lstFilter.InsertItem(nPos, row[1]);
        if (nPos < 0) break;
        m_lstFilter.SetItemData(nPos, row[1] == csBlock ? kFilterBlock : kFilterNonBlock);
        m_lstFilter.SetCheck(nPos, row[0] == u"1");
    }
    return true;
}

std::vector<std::size_t> DlgAssist3::RowsOfCategory(std::uint64_t nCategory) const
{
    const std::u16string& csBlock = m_data.extEngine.strHelper.lsObjNames.front();
    const std::u16string& csLabel = m_state.veObjectRows.empty() ? csBlock : m_state.veObjectRows.front().at(1);
    std::vector<std::size_t> veRows;
    for (std::size_t nRow = 0; nRow < m_state.veObjectRows.size(); ++nRow) {
        const TableRow& row = m_state.veObjectRows[nRow];
        if (row.size() < 2) continue;
        const bool bBlock = row[1] == csBlock;
        if (nCategory == kFilterBlock ? bBlock : !bBlock && row[1] != csLabel) veRows.push_back(nRow);
    }
    return veRows;
}

void DlgAssist3::OnFilterChanged(const QxUiNotify& notify)
{
    CheckChange change;
    if (!GetCheckChange(notify, change)) return;
    const std::vector<std::size_t> veRows = RowsOfCategory(m_lstFilter.GetItemData(notify.item));
    if (change.nNew) {
        int nPos = 0;
        for (std::size_t nRow : veRows) {
            const TableRow row = m_state.veObjectRows[nRow];
            const int nItem = m_gridObjects.InsertItem(nPos, u"");
            if (nItem < 0) break;
            m_gridObjects.SetItemText(nItem, 1, row[1]);
            m_gridObjects.SetItemData(nItem, nRow);
            m_gridObjects.SetCheck(nItem, row[0] == u"1");
            nPos = nItem + 1;
        }
    } else {
        for (int nItem = m_gridObjects.GetItemCount() - 1; nItem >= 0; --nItem) {
            const std::u16string csName = m_gridObjects.GetItemText(nItem, 1);
            for (std::size_t nRow : veRows)
                if (m_state.veObjectRows[nRow][1] == csName) {
                    m_gridObjects.DeleteItem(nItem);
                    break;
                }
        }
    }
    // A changed filter changes the kinds offered: page 4 must build its rows again.
    TableData veFilterRows = m_state.veObjectFilterRows;
    const std::u16string csText = m_lstFilter.GetItemText(notify.item, 0);
    for (TableRow& row : veFilterRows)
        if (CellIs(row, 1, csText)) row[0] = change.nNew ? u"1" : u"0";
    if (veFilterRows != m_state.veObjectFilterRows) {
        m_state.veObjectFilterRows = std::move(veFilterRows);
        m_state.vePropertyRows.clear();
        m_state.vePropertyFilterRows.clear();
    }
}

void DlgAssist3::OnGridChanged(const QxUiNotify& notify)
{
    CheckChange change;
    if (!GetCheckChange(notify, change)) return;
    const std::u16string csName = m_gridObjects.GetItemText(notify.item, 1);
    for (TableRow& row : m_state.veObjectRows)
        if (CellIs(row, 1, csName)) row[0] = change.nNew ? u"1" : u"0";
}

void DlgAssist3::OnNext()
{
    std::vector<std::u16string> lsObjectsSel;
    for (int nItem = 0; nItem < m_gridObjects.GetItemCount(); ++nItem)
        if (m_gridObjects.GetCheck(nItem)) lsObjectsSel.push_back(m_gridObjects.GetItemText(nItem, 1));
    // No kind offers no property: the later pages would build an empty table.
    if (lsObjectsSel.empty()) {
        MessageBox(LoadResString(kIdsNoKindChecked), LoadResString(kIdsPage3Title), QxUiMsg::Ok | QxUiMsg::IconWarning);
        return;
    }
    EndDialog(IDOK);
    ExtractionData dataNext = m_data;
    PropItemSet seHeaders = dataNext.extEngine.OfferedProperties(lsObjectsSel);
    WizardState stateNext = m_state;
    // Coming from the data source without a group-by index, rows start uncombined.
    if (m_bFromSourcePage && m_state.nGroupBy == kNoGroupBy) stateNext.bCombineRows = false;
    DlgAssist4 page4(pwsw_qxappMainWnd(), std::move(stateNext), std::move(dataNext), std::move(seHeaders));
    page4.DoModal();
}

void DlgAssist3::OnPrevious()
{
    EndDialog(IDCANCEL);
    DlgAssist2 page2(pwsw_qxappMainWnd(), m_state);
    page2.DoModal();
}
