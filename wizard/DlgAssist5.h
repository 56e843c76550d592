// Wizard page 5: a preview of the table, and the outputs. Picking an insertion point inserts
// the drawing table at once; Finish writes the external file, the extraction record of the
// table inserted last and the settings file, in that order.
#pragma once

#include <vector>

#include "engine/prop_item.h"
#include "host/ui.h"
#include "wizard/GridListCtrl.h"
#include "wizard/WizardState.h"

class DlgAssist5 : public CQxUiDialog {
public:
    static constexpr std::uint32_t kTemplateId = 112;
    enum ExportType : std::int32_t { kExportNone = 0, kExportCsv = 1, kExportXls = 2, kExportXlsx = 3 };

    // veTableDataOut: header (display names), data rows, the totals line when bHasTotalLine,
    // and a last row of numeric flags per column, which the page takes off.
    DlgAssist5(QxWindowHandle pParent, WizardState state, ExtractionData data, PropItemSet seHeaders,
               TableData veTableDataOut, BlockIdMap lsBlockTbRecId, bool bHasTotalLine);
    ~DlgAssist5() override;

    void DoDataExchange(QxDataExchange& dx) override;
    bool OnInitDialog() override;

    // The preview's visible columns in displayed order (grid column k shows table column k).
    std::vector<int> HeaderOrder() const;
    // 0 with the header shown, else 1; then the table row of every preview row in displayed
    // order, the empty row that separates the totals line put in before it.
    std::vector<int> RowOrder() const;
    const TableData& TableDataOut() const { return m_veTableDataOut; }
    const GridListCtrl& PreviewGrid() const { return m_gridPreview; }

private:
    void FillPreview();
    void OnInsertTable();
    void OnChooseExportFile();
    void OnChooseQexFile();
    void OnFinish();
    void OnPrevious();
    void WriteExternalFile();
    void WriteSettingsFile();

    WizardState m_state;
    ExtractionData m_data;
    PropItemSet m_seHeaders;
    TableData m_veTableDataOut;
    BlockIdMap m_lsBlockTbRecId;
    bool m_bHasTotalLine;
    std::vector<bool> m_vecNumericCols;  // per table column, from page 4's numeric flags
    std::u16string m_csExportPath;
    std::int32_t m_nExportType = kExportNone;
    std::u16string m_csQexSavePath;
    int m_nInsertStatus;
    std::vector<int> m_veRowOrder;
    GridListCtrl m_gridPreview;
};
