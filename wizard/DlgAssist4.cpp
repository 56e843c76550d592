// Wizard page 4.
#include "wizard/DlgAssist4.h"

#include <algorithm>

#include "engine/str_helper.h"
#include "module/strings.h"
#include "wizard/DlgAssist3.h"
#include "wizard/DlgAssist5.h"
#include "wizard/WizardPage.h"
#include "wizard/wizard_string_ids.h"

namespace {
constexpr int kIdPrompt = 1035, kIdPropertiesGroup = 1040, kIdGrid = 1025, kIdFilterLabel = 1039, kIdFilter = 1023,
              kIdTitleLabel = 1057, kIdTitle = 1056, kIdCombineRows = 1033, kIdHideHeader = 1029,
              kIdDisplayTotals = 1028, kIdPrevious = 1001;
// Grid columns and the cells of a property row.
constexpr int kColProperty = 1, kColDisplayName = 2, kColTotal = 3;
constexpr std::size_t kRowCheck = 0, kRowCategory = 1, kRowName = 2, kRowDisplayName = 3, kRowTotalable = 4;

std::int32_t CategoryByName(const std::u16string& csName)
{
    for (std::int32_t nCategory = kCategGeneral; nCategory <= kCategText; ++nCategory)
        if (StrHelper::CategoryName(nCategory) == csName) return nCategory;
    return 0;
}
}  // namespace

DlgAssist4::DlgAssist4(QxWindowHandle pParent, WizardState state, ExtractionData data, PropItemSet seHeaders)
    : CQxUiDialog(kTemplateId, pParent), m_state(std::move(state)), m_data(std::move(data)),
      m_seHeaders(std::move(seHeaders))
{
    OnNotifyMap(QxUiNotifyCode::ItemChanged, kIdFilter, [this](const QxUiNotify& n) { OnFilterChanged(n); });
    OnNotifyMap(QxUiNotifyCode::ItemChanged, kIdGrid, [this](const QxUiNotify& n) { OnGridChanged(n); });
    OnCommandMap(QXUI_BN_CLICKED, kIdDisplayTotals, [this] { OnDisplayTotalsClicked(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdCombineRows, [this] { m_state.bCombineRows = !m_state.bCombineRows; });
    OnCommandMap(QXUI_BN_CLICKED, kIdHideHeader, [this] { m_state.bDisplayHeader = !m_state.bDisplayHeader; });
    OnCommandMap(QXUI_BN_CLICKED, IDOK, [this] { OnNext(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdPrevious, [this] { OnPrevious(); });
}

DlgAssist4::~DlgAssist4() = default;

void DlgAssist4::DoDataExchange(QxDataExchange& dx)
{
    DDX_Control(dx, kIdGrid, m_gridProps);
    DDX_Control(dx, kIdFilter, m_lstFilter);
}

void DlgAssist4::BuildPropertyRows()
{
    const auto& chosen = m_state.lsQexProps;
    m_state.vePropertyRows = ExtractionEngine::PropertyRows(m_seHeaders, [&chosen](const PropItem& item) {
        return chosen.empty() || std::find(chosen.begin(), chosen.end(), item.name) != chosen.end();
    });
}

bool DlgAssist4::OnInitDialog()
{
    CQxUiDialog::OnInitDialog();
    SetPageTexts(*this, kIdsPage4Title,
                 {{kIdPrompt, kIdsSelectProperties},
                  {kIdPropertiesGroup, kIdsProperties},
                  {kIdFilterLabel, kIdsFilter},
                  {kIdTitleLabel, kIdsTableTitle},
                  {kIdCombineRows, kIdsCombineRows},
                  {kIdHideHeader, kIdsHideHeader},
                  {kIdDisplayTotals, kIdsDisplayTotals},
                  {kIdPrevious, kIdsPrevious},
                  {IDOK, kIdsNext},
                  {IDCANCEL, kIdsCancel}});
    m_gridProps.SetExtendedStyle(m_gridProps.GetExtendedStyle() | QxUiList::GridLines);
    m_gridProps.bCellImageChecks = true;
    m_lstFilter.SetExtendedStyle(m_lstFilter.GetExtendedStyle() | QxUiList::CheckBoxes);

    if (m_state.vePropertyRows.empty()) BuildPropertyRows();
    if (!m_state.mapDisplayNames.empty())
        for (TableRow& row : m_state.vePropertyRows) {
            if (row.size() <= kRowDisplayName) continue;
            const auto found = m_state.mapDisplayNames.find(row[kRowName]);
            if (found != m_state.mapDisplayNames.end()) row[kRowDisplayName] = found->second;
        }

    const TableRow& header = m_state.vePropertyRows.front();
    m_gridProps.AddHiddenLabelColumn();
    m_nFirstImage = GridListCtrl::AppendCheckStateImages(m_images);
    m_gridProps.SetImageList(m_images, QxUiList::SmallImages);
    m_gridProps.AddColumn(kColProperty, header.at(kRowName), QxUiList::Left, 100, kColProperty - 1,
                          std::make_unique<CGridColumnTraitImage>(m_nFirstImage, 2));
    m_gridProps.AddColumn(kColDisplayName, header.at(kRowDisplayName), QxUiList::Left, 100, kColDisplayName - 1,
                          std::make_unique<CGridColumnTraitEdit>());
    m_gridProps.AddColumn(kColTotal, header.at(kRowTotalable), QxUiList::Left, 100, kColTotal - 1,
                          std::make_unique<CGridColumnTraitImage>(m_nFirstImage, 2));
    m_gridProps.ShowSortArrow(kColProperty, false);

    if (m_state.vePropertyFilterRows.empty()) m_state.vePropertyFilterRows = m_data.extEngine.CategoryRows();
    // Inserted from the last row to the first at the place of the one before, so the list
    // shows the rows in order; each check fills the grid with that category's properties.
    const TableData veFilterRows = m_state.vePropertyFilterRows;
    int nPos = 0;
    for (auto it = veFilterRows.rbegin(); it != veFilterRows.rend(); ++it) {
        if (it->size() < 2) continue;
        nPos = m_lstFilter.InsertItem(nPos, (*it)[1]);
        if (nPos < 0) break;
        m_lstFilter.SetItemData(nPos, std::uint64_t(CategoryByName((*it)[1])));
        m_lstFilter.SetCheck(nPos, (*it)[0] == u"1");
    }

    if (!m_state.bTotalLine) {
        CheckDlgButton(kIdDisplayTotals, 0);
        m_gridProps.SetColumnShown(kColTotal, false);
    } else {
        CheckDlgButton(kIdDisplayTotals, 1);
    }
    CheckDlgButton(kIdCombineRows, m_state.bCombineRows ? 1 : 0);
    CheckDlgButton(kIdHideHeader, m_state.bDisplayHeader ? 0 : 1);
    if (!m_state.csTbTitle.empty()) SetDlgItemText(kIdTitle, m_state.csTbTitle);
    return true;
}

bool DlgAssist4::IsImageChecked(int nItem, int nCol) const
{
    return m_gridProps.GetCellImageIndex(nItem, nCol) == m_nFirstImage + 1;
}

void DlgAssist4::OnFilterChanged(const QxUiNotify& notify)
{
    CheckChange change;
    if (!GetCheckChange(notify, change)) return;
    // A menu's "No selection" and in-place edits reach no handler: take them before rows go.
    SyncChecks();
    const long long nCategory = static_cast<long long>(m_lstFilter.GetItemData(notify.item));
    std::vector<TableRow> veRows;
    for (std::size_t nRow = 1; nRow < m_state.vePropertyRows.size(); ++nRow) {
        const TableRow& row = m_state.vePropertyRows[nRow];
        if (row.size() > kRowTotalable && TextNumber(row[kRowCategory]) == nCategory) veRows.push_back(row);
    }
    if (change.nNew) {
        int nPos = 0;
        for (std::size_t nIndex = 0; nIndex < veRows.size(); ++nIndex) {
            const TableRow& row = veRows[nIndex];
            const int nItem = m_gridProps.InsertItem(nPos, row[kRowCheck]);
            if (nItem < 0) break;
            m_gridProps.SetItemData(nItem, nIndex);
            m_gridProps.SetItemText(nItem, kColProperty, row[kRowName]);
            m_gridProps.SetItemText(nItem, kColDisplayName, row[kRowDisplayName]);
            m_gridProps.SetCellImageIndex(nItem, kColProperty, m_nFirstImage + (row[kRowCheck] == u"1" ? 1 : 0));
            const bool bTotal = row[kRowTotalable] != u"0" && !m_seTotalsOff.count(row[kRowName]);
            m_gridProps.SetCellImageIndex(nItem, kColTotal, m_nFirstImage + (bTotal ? 1 : 0));
            nPos = nItem + 1;
        }
    } else {
        for (int nItem = m_gridProps.GetItemCount() - 1; nItem >= 0; --nItem) {
            const std::u16string csName = m_gridProps.GetItemText(nItem, kColProperty);
            if (std::any_of(veRows.begin(), veRows.end(), [&](const TableRow& row) { return row[kRowName] == csName; }))
                m_gridProps.DeleteItem(nItem);
        }
    }
    const std::u16string csText = m_lstFilter.GetItemText(notify.item, 0);
    for (TableRow& row : m_state.vePropertyFilterRows)
        if (CellIs(row, 1, csText)) row[0] = change.nNew ? u"1" : u"0";
}

void DlgAssist4::OnGridChanged(const QxUiNotify& notify)
{
    if (notify.oldState == 0 && notify.newState == 0) return;
    const std::u16string csName = m_gridProps.GetItemText(notify.item, kColProperty);
    const bool bChecked = IsImageChecked(notify.item, kColProperty);
    for (std::size_t nRow = 1; nRow < m_state.vePropertyRows.size(); ++nRow)
        if (CellIs(m_state.vePropertyRows[nRow], kRowName, csName))
            m_state.vePropertyRows[nRow][kRowCheck] = bChecked ? u"1" : u"0";
}

void DlgAssist4::OnDisplayTotalsClicked()
{
    m_gridProps.SetColumnShown(kColTotal, IsDlgButtonChecked(kIdDisplayTotals) != 0);
    m_state.bTotalLine = !m_state.bTotalLine;
}

void DlgAssist4::SyncChecks()
{
    // The grid's checks and display names are what the user left there; the rows keep them
    // for when a category is shown again, and for the pages before and after.
    for (int nItem = 0; nItem < m_gridProps.GetItemCount(); ++nItem) {
        const std::u16string csName = m_gridProps.GetItemText(nItem, kColProperty);
        const bool bChecked = IsImageChecked(nItem, kColProperty);
        if (IsImageChecked(nItem, kColTotal))
            m_seTotalsOff.erase(csName);
        else
            m_seTotalsOff.insert(csName);
        for (std::size_t nRow = 1; nRow < m_state.vePropertyRows.size(); ++nRow) {
            TableRow& row = m_state.vePropertyRows[nRow];
            if (!CellIs(row, kRowName, csName) || row.size() <= kRowDisplayName) continue;
            row[kRowCheck] = bChecked ? u"1" : u"0";
            row[kRowDisplayName] = m_gridProps.GetItemText(nItem, kColDisplayName);
        }
    }
}

std::vector<std::u16string> DlgAssist4::CollectSelection()
{
    m_state.mapDisplayNames.clear();
    std::vector<std::u16string> lsPropsSel;
    for (int nItem = 0; nItem < m_gridProps.GetItemCount(); ++nItem) {
        if (!IsImageChecked(nItem, kColProperty)) continue;
        const std::u16string csName = m_gridProps.GetItemText(nItem, kColProperty);
        lsPropsSel.push_back(csName);
        m_state.mapDisplayNames[csName] = m_gridProps.GetItemText(nItem, kColDisplayName);
    }
    return lsPropsSel;
}

void DlgAssist4::MakeOutputTable(ExtractionEngine& extEngine, const TableData& vePropertyRows,
                                 std::vector<std::u16string> lsPropsSel, bool bQuantity,
                                 const std::vector<std::u16string>& lsColsTotalChecked,
                                 const std::map<std::u16string, std::u16string>& mapDisplayNames,
                                 TableData& veTableDataOut, BlockIdMap& lsBlockTbRecId, bool& bHasTotalLine)
{
    const bool bBlockName =
        std::find(lsPropsSel.begin(), lsPropsSel.end(), extEngine.strHelper.blockNameItem.name) != lsPropsSel.end();
    veTableDataOut.clear();
    lsBlockTbRecId.clear();
    bHasTotalLine = false;
    // The pages work on veTableDataOut; the engine need not keep a copy of every row.
    extEngine.bKeepTableRows = false;
    extEngine.BuildTableData(lsPropsSel, bQuantity, bBlockName, lsColsTotalChecked, u"", veTableDataOut,
                             lsBlockTbRecId);
    if (veTableDataOut.empty()) return;

    // Totals and numeric flags follow the property a column shows, so both are settled while
    // the header still holds property names.
    const TableRow header = veTableDataOut.front();
    TableRow lsTotalLine;
    if (!lsColsTotalChecked.empty()) lsTotalLine = MakeTotalsLine(veTableDataOut, lsColsTotalChecked, extEngine.strHelper.quantityItem.name);
    TableRow lsNumericCol(header.size());
    for (std::size_t nCol = 0; nCol < header.size(); ++nCol) {
        // Quantity counts objects, whether or not it was offered as a property.
        if (header[nCol] == extEngine.strHelper.quantityItem.name) lsNumericCol[nCol] = u"1";
        for (std::size_t nRow = 1; nRow < vePropertyRows.size(); ++nRow)
            if (CellIs(vePropertyRows[nRow], kRowName, header[nCol]) && vePropertyRows[nRow].size() > kRowTotalable) {
                lsNumericCol[nCol] = vePropertyRows[nRow][kRowTotalable];
                break;
            }
    }

    ApplyDisplayNames(veTableDataOut, mapDisplayNames);
    // A Total checked only for properties that are not columns totals nothing: such a line
    // would put an empty row and an empty line under every output.
    const bool bTotalled =
        std::any_of(lsTotalLine.begin(), lsTotalLine.end(), [](const auto& cell) { return !cell.empty(); });
    if (bTotalled) {
        veTableDataOut.push_back(std::move(lsTotalLine));
        bHasTotalLine = true;
    }
    veTableDataOut.push_back(std::move(lsNumericCol));
}

void DlgAssist4::OnNext()
{
    SyncChecks();
    // A table without columns would be inserted and written as nothing, and its settings
    // file could not be read back.
    bool bAnyChecked = false;
    for (int nItem = 0; nItem < m_gridProps.GetItemCount() && !bAnyChecked; ++nItem)
        bAnyChecked = IsImageChecked(nItem, kColProperty);
    if (!bAnyChecked) {
        MessageBox(LoadResString(kIdsNoPropertyChecked), LoadResString(kIdsPage4Title),
                   QxUiMsg::Ok | QxUiMsg::IconWarning);
        return;
    }
    EndDialog(IDOK);
    std::vector<std::u16string> lsPropsSel = CollectSelection();
    WizardState stateNext = m_state;
    if (IsDlgButtonChecked(kIdHideHeader)) stateNext.bDisplayHeader = false;
    std::vector<std::u16string> lsColsTotalChecked;
    if (IsDlgButtonChecked(kIdDisplayTotals))
        for (int nItem = 0; nItem < m_gridProps.GetItemCount(); ++nItem)
            if (IsImageChecked(nItem, kColTotal))
                lsColsTotalChecked.push_back(m_gridProps.GetItemText(nItem, kColProperty));

    ExtractionData dataNext = m_data;
    TableData veTableDataOut;
    BlockIdMap lsBlockTbRecId;
    bool bHasTotalLine = false;
    MakeOutputTable(dataNext.extEngine, m_state.vePropertyRows, std::move(lsPropsSel),
                    IsDlgButtonChecked(kIdCombineRows) != 0, lsColsTotalChecked, m_state.mapDisplayNames,
                    veTableDataOut, lsBlockTbRecId, bHasTotalLine);
    stateNext.csTbTitle = GetDlgItemText(kIdTitle);
    stateNext.lsQexProps.clear();
    DlgAssist5 page5(pwsw_qxappMainWnd(), std::move(stateNext), std::move(dataNext), m_seHeaders,
                     std::move(veTableDataOut), std::move(lsBlockTbRecId), bHasTotalLine);
    page5.DoModal();
}

void DlgAssist4::OnPrevious()
{
    SyncChecks();
    EndDialog(IDCANCEL);
    CollectSelection();
    DlgAssist3 page3(pwsw_qxappMainWnd(), m_state, m_data, false);
    page3.DoModal();
}
