// Wizard page 5.
#include "wizard/DlgAssist5.h"

#include <list>

#include "host/editor.h"
#include "module/strings.h"
#include "output/csv_export.h"
#include "output/drawing_table.h"
#include "output/extraction_record.h"
#include "output/qex_settings.h"
#include "output/table_size_check.h"
#include "output/update_command.h"
#include "output/xls_export.h"
#include "output/xlsx_export.h"
#include "wizard/DlgAssist4.h"
#include "wizard/WizardPage.h"
#include "wizard/wizard_string_ids.h"

namespace {
constexpr int kIdPreviewLabel = 1041, kIdGrid = 1022, kIdOutputGroup = 1038, kIdOutputPrompt = 1043, kIdInsert = 1031,
              kIdInsertLabel = 1044, kIdExport = 1029, kIdExportLabel = 1045, kIdExportPath = 1016, kIdQexGroup = 1042,
              kIdQex = 1003, kIdQexPath = 1017, kIdPrevious = 1001;

void PrintMessage(const std::u16string& csText)
{
    qxutPrintf(u"%s", csText.c_str());
}

// The preview's rows, read where the outputs read them: the table data. Preview row k is
// table row k + 1, after the header line; with a totals line, the empty row the outputs put
// before it is skipped. A row's item data is its table row.
class PreviewRows : public CQxUiListSource {
public:
    PreviewRows(const TableData& veTable, std::size_t nColumns, int nRows, bool bTotalsMoved)
        : m_veTable(veTable), m_nColumns(nColumns), m_nRows(nRows), m_bTotalsMoved(bTotalsMoved)
    {
    }

    std::u16string_view GetCellText(int nRow, int nCol) const override
    {
        const TableRow& row = m_veTable[TableRowOf(nRow)];
        if (nCol < 0 || std::size_t(nCol) >= row.size() || std::size_t(nCol) >= m_nColumns) return {};
        return row[std::size_t(nCol)];
    }

    std::uint64_t GetItemData(int nRow) const override { return TableRowOf(nRow); }

private:
    std::size_t TableRowOf(int nRow) const
    {
        return std::size_t(nRow) + 1 + (m_bTotalsMoved && nRow == m_nRows - 1 ? 1 : 0);
    }

    const TableData& m_veTable;
    std::size_t m_nColumns;
    int m_nRows;
    bool m_bTotalsMoved;
};
}  // namespace

DlgAssist5::DlgAssist5(QxWindowHandle pParent, WizardState state, ExtractionData data, PropItemSet seHeaders,
                       TableData veTableDataOut, BlockIdMap lsBlockTbRecId, bool bHasTotalLine)
    : CQxUiDialog(kTemplateId, pParent), m_state(std::move(state)), m_data(std::move(data)),
      m_seHeaders(std::move(seHeaders)), m_veTableDataOut(std::move(veTableDataOut)),
      m_lsBlockTbRecId(std::move(lsBlockTbRecId)), m_bHasTotalLine(bHasTotalLine), m_nInsertStatus(QXRT_CANCEL)
{
    OnCommandMap(QXUI_BN_CLICKED, kIdInsert, [this] { OnInsertTable(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdExport, [this] { OnChooseExportFile(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdQex, [this] { OnChooseQexFile(); });
    OnCommandMap(QXUI_BN_CLICKED, IDOK, [this] { OnFinish(); });
    OnCommandMap(QXUI_BN_CLICKED, kIdPrevious, [this] { OnPrevious(); });
}

DlgAssist5::~DlgAssist5() = default;

void DlgAssist5::DoDataExchange(QxDataExchange& dx)
{
    DDX_Control(dx, kIdGrid, m_gridPreview);
}

bool DlgAssist5::OnInitDialog()
{
    CQxUiDialog::OnInitDialog();
    SetPageTexts(*this, kIdsPage5Title,
                 {{kIdPreviewLabel, kIdsTablePreview},
                  {kIdOutputGroup, kIdsOutputOptions},
                  {kIdOutputPrompt, kIdsChooseOutput},
                  {kIdInsertLabel, kIdsInsertTable},
                  {kIdExportLabel, kIdsExportFile},
                  {kIdQexGroup, kIdsSaveQex},
                  {kIdPrevious, kIdsPrevious},
                  {IDCANCEL, kIdsCancel},
                  {IDOK, kIdsFinish}});
    m_gridPreview.SetExtendedStyle(m_gridPreview.GetExtendedStyle() | QxUiList::GridLines | QxUiList::HeaderDragDrop |
                                   QxUiList::FullRowSelect);
    FillPreview();
    m_gridPreview.bHeaderMenu = true;
    CQxUiWnd btnInsert = GetDlgItem(kIdInsert);
    if (btnInsert.GetImage().IsNull()) btnInsert.SetImage(CQxUiImage::LoadIcon(kIconInsertTable, 16, 16));
    return true;
}

void DlgAssist5::FillPreview()
{
    if (m_veTableDataOut.empty()) return;
    // The last row holds the numeric flags page 4 worked out per column; it is not data.
    const TableRow lsNumericCol = m_veTableDataOut.back();
    m_veTableDataOut.pop_back();
    for (const std::u16string& csFlag : lsNumericCol) m_vecNumericCols.push_back(csFlag == u"1");
    if (m_veTableDataOut.empty()) return;
    const TableRow header = m_veTableDataOut.front();
    m_gridPreview.vecIncludeCols.assign(header.size(), true);

    // The columns are named by the header line whether or not the outputs show it, and every
    // data row is listed: hiding the header only leaves that line out of the outputs.
    m_gridPreview.AddHiddenLabelColumn();
    for (std::size_t nCol = 1; nCol < header.size(); ++nCol) {
        auto pTrait = std::make_unique<CGridColumnTraitText>();
        const bool bNumeric = nCol < lsNumericCol.size() && lsNumericCol[nCol] == u"1";
        pTrait->SetSortFormatNumber(bNumeric);
        // Numbers read better right-aligned: the columns of the properties that can be
        // totalled (Quantity among them); texts stay left-aligned.
        m_gridPreview.AddColumn(int(nCol), header[nCol], bNumeric ? QxUiList::Right : QxUiList::Left, 100,
                                int(nCol) - 1, std::move(pTrait));
    }

    // The preview reads the rows from the table data rather than holding a copy of every cell:
    // at a million rows the copy was the largest thing in memory.
    const int nRows = int(m_veTableDataOut.size() - 1);
    const bool bTotals = m_bHasTotalLine && m_veTableDataOut.size() >= 2;
    if (bTotals) {
        // The outputs show an empty row between the data and the totals; the preview does not.
        const std::size_t nTotals = m_veTableDataOut.size() - 1;
        m_veTableDataOut.insert(m_veTableDataOut.begin() + std::ptrdiff_t(nTotals), TableRow(header.size()));
        m_gridPreview.bTotalsAtEnd = true;
    }
    m_gridPreview.SetVirtualItems(nRows, std::make_shared<PreviewRows>(m_veTableDataOut, header.size(), nRows, bTotals));
    m_gridPreview.ShowSortArrow(1, false);
}

std::vector<int> DlgAssist5::HeaderOrder() const
{
    std::vector<int> veHeaderOrder;
    for (int nCol : m_gridPreview.GetColumnOrderArray())
        if (m_gridPreview.IsColumnShown(nCol)) veHeaderOrder.push_back(nCol);
    return veHeaderOrder;
}

std::vector<int> DlgAssist5::RowOrder() const
{
    // The header line leads when it is shown; hidden, the outputs start with the preview's
    // first row, whatever its place in the table.
    std::vector<int> veRowOrder;
    if (m_state.bDisplayHeader) veRowOrder.push_back(0);
    const std::uint64_t nTotals = m_bHasTotalLine && m_veTableDataOut.size() >= 2 ? m_veTableDataOut.size() - 1 : 0;
    for (int nItem = 0; nItem < m_gridPreview.GetItemCount(); ++nItem) {
        const std::uint64_t nRow = m_gridPreview.GetItemData(nItem);
        if (nTotals != 0 && nRow == nTotals) veRowOrder.push_back(int(nTotals - 1));
        veRowOrder.push_back(int(nRow));
    }
    return veRowOrder;
}

void DlgAssist5::OnInsertTable()
{
    TableInsertion insertion;
    insertion.veTableDataOut = &m_veTableDataOut;
    insertion.lsBlockTbRecId = &m_lsBlockTbRecId;
    insertion.vecIncludeCols = m_gridPreview.vecIncludeCols;
    insertion.veHeaderOrder = HeaderOrder();
    insertion.veRowOrder = RowOrder();
    // Declined, nothing is inserted and the page keeps its state: the user may hide columns, or
    // go back and combine rows, and insert again.
    if (!ConfirmTableSize(GetSafeHwnd(), insertion.veRowOrder.size(), insertion.veHeaderOrder.size(),
                          [&insertion] { return InsertedTexts(insertion); }))
        return;
    insertion.csBlockPreviewName = m_data.extEngine.strHelper.blockPreviewItem.name;
    insertion.csTbTitle = m_state.csTbTitle;
    insertion.bDisplayHeader = m_state.bDisplayHeader;
    insertion.lsColNames = &m_data.extEngine.lsColNames;
    m_nInsertStatus = PickAndInsertTable(*this, insertion);
    if (m_nInsertStatus != QXRT_NORM) return;
    m_veRowOrder = insertion.veRowOrder;
    m_state.insertedTable =
        RecordOfInsertedTable(insertion, m_data.extEngine, m_state.mapDisplayNames, m_bHasTotalLine);
    m_state.insertedTable->idTbl = LastInsertedTable();
}

void DlgAssist5::OnChooseExportFile()
{
    CQxUiFileDialog dlgFile(false, u"", u"*.csv", QxUiFile::HideReadOnly,
                            u"Csv file (*.csv)|*.csv| Xls file (*.xls)|*.xls| Xlsx file (*.xlsx)|*.xlsx||", nullptr);
    if (dlgFile.DoModal() != IDOK) return;
    m_csExportPath = dlgFile.GetPathName();
    m_nExportType = dlgFile.GetFilterIndex();
    SetDlgItemText(kIdExportPath, m_csExportPath);
}

void DlgAssist5::OnChooseQexFile()
{
    CQxUiFileDialog dlgFile(false, u"", u"*.qex", QxUiFile::HideReadOnly, u"Qex file (*.qex)|*.qex||", nullptr);
    if (dlgFile.DoModal() != IDOK) return;
    m_csQexSavePath = dlgFile.GetPathName();
    SetDlgItemText(kIdQexPath, m_csQexSavePath);
}

void DlgAssist5::OnFinish()
{
    // A table inserted in this run, on this page or on an earlier visit of it, is an output.
    if (m_csExportPath.empty() && m_csQexSavePath.empty() && !m_state.insertedTable) {
        if (MessageBox(LoadResString(kIdsNoOutputQuestion), u"", QxUiMsg::YesNo | QxUiMsg::IconQuestion) != IDYES)
            return;
        EndDialog(IDOK);
        return;
    }
    EndDialog(IDOK);
    WriteExternalFile();
    if (m_state.insertedTable) WriteInsertedTableRecord(*m_state.insertedTable);
    WriteSettingsFile();
}

void DlgAssist5::WriteExternalFile()
{
    if (m_csExportPath.empty()) return;
    const std::vector<int> veHeaderOrder = HeaderOrder();
    m_veRowOrder = RowOrder();
    if (m_nExportType == kExportCsv) {
        const bool bWritten = ExportCsv(m_veTableDataOut, m_csExportPath, m_gridPreview.vecIncludeCols, veHeaderOrder,
                                        m_veRowOrder, m_state.bDisplayHeader, u",");
        PrintMessage(FormatResString(bWritten ? kIdsCsvDone : kIdsCsvFailed, m_csExportPath));
    } else if (m_nExportType == kExportXls) {
        PrintXlsExportResult(ExportXls(m_veTableDataOut, m_csExportPath, m_gridPreview.vecIncludeCols, veHeaderOrder,
                                       m_veRowOrder, m_state.bDisplayHeader),
                             m_csExportPath);
    } else if (m_nExportType == kExportXlsx) {
        PrintXlsxExportResult(ExportXlsx(m_veTableDataOut, m_csExportPath, m_gridPreview.vecIncludeCols, veHeaderOrder,
                                         m_veRowOrder, m_state.bDisplayHeader, m_vecNumericCols, m_bHasTotalLine,
                                         m_state.csTbTitle),
                              m_csExportPath);
    }
}

void DlgAssist5::WriteSettingsFile()
{
    if (m_csQexSavePath.empty()) return;
    std::list<std::u16string> veOptions;
    if (m_bHasTotalLine) veOptions.push_back(kQexTotalLine);
    if (!m_state.bDisplayHeader) veOptions.push_back(kQexHideHeaderLine);
    // Combined rows must come back combined from the file: a run that did not start from a
    // settings file has no index of its own and saves 0.
    std::int32_t nGroupBy = -1;
    if (m_state.bCombineRows) nGroupBy = m_state.nGroupBy == kNoGroupBy ? 0 : std::int32_t(m_state.nGroupBy);
    const bool bSaved =
        SaveQexSettings(m_csQexSavePath, m_state.mapDisplayNames, m_state.csTbTitle, veOptions, nGroupBy);
    PrintMessage(bSaved ? FormatResString(kIdsQexDone, m_csQexSavePath) : LoadResString(kIdsQexFailed));
}

void DlgAssist5::OnPrevious()
{
    EndDialog(IDCANCEL);
    WizardState stateBack = m_state;
    stateBack.lsQexProps.clear();
    DlgAssist4 page4(pwsw_qxappMainWnd(), std::move(stateBack), m_data, m_seHeaders);
    page4.DoModal();
}
