// Wizard page 4: the properties of the chosen kinds, by category. The user checks the columns,
// renames them, asks for totals and sets the table options; Next builds the table data.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/prop_item.h"
#include "host/ui.h"
#include "wizard/GridListCtrl.h"
#include "wizard/WizardState.h"

class DlgAssist4 : public CQxUiDialog {
public:
    static constexpr std::uint32_t kTemplateId = 111;

    DlgAssist4(QxWindowHandle pParent, WizardState state, ExtractionData data, PropItemSet seHeaders);
    ~DlgAssist4() override;

    void DoDataExchange(QxDataExchange& dx) override;
    bool OnInitDialog() override;

    // The table data page 5 receives, from the chosen properties: header renamed to display
    // names, a totals line when one was asked and anything was totalled, and a last row of
    // numeric flags per column. Columns are matched to properties by property name before
    // the renaming, so a renamed column keeps its total and its numeric flag.
    static void MakeOutputTable(ExtractionEngine& extEngine, const TableData& vePropertyRows,
                                std::vector<std::u16string> lsPropsSel, bool bQuantity,
                                const std::vector<std::u16string>& lsColsTotalChecked,
                                const std::map<std::u16string, std::u16string>& mapDisplayNames,
                                TableData& veTableDataOut, BlockIdMap& lsBlockTbRecId, bool& bHasTotalLine);

private:
    void BuildPropertyRows();
    void OnFilterChanged(const QxUiNotify& notify);
    void OnGridChanged(const QxUiNotify& notify);
    void OnDisplayTotalsClicked();
    void OnNext();
    void OnPrevious();
    bool IsImageChecked(int nItem, int nCol) const;
    void SyncChecks();
    std::vector<std::u16string> CollectSelection();

    WizardState m_state;
    ExtractionData m_data;
    PropItemSet m_seHeaders;
    GridListCtrl m_gridProps;
    CQxUiListCtrl m_lstFilter;
    CQxUiImageList m_images;
    int m_nFirstImage = 0;
    // Properties whose Total the user turned off while on this page: a category shown again
    // must not total them behind the user's back.
    std::set<std::u16string> m_seTotalsOff;
};
