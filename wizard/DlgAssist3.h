// Wizard page 3: the kinds of object the selection holds; the user checks the kinds whose
// properties are offered on page 4. A filter shows or hides block and non-block kinds.
#pragma once

#include <vector>

#include "host/ui.h"
#include "wizard/GridListCtrl.h"
#include "wizard/WizardState.h"

class DlgAssist3 : public CQxUiDialog {
public:
    static constexpr std::uint32_t kTemplateId = 110;
    // Item data of the filter's rows.
    enum FilterCategory : std::uint64_t { kFilterBlock = 1, kFilterNonBlock = 2 };

    // bFromSourcePage: opened by page 2 (on) or by Previous on page 4 (off).
    DlgAssist3(QxWindowHandle pParent, WizardState state, ExtractionData data, bool bFromSourcePage);
    ~DlgAssist3() override;

    void DoDataExchange(QxDataExchange& dx) override;
    bool OnInitDialog() override;

private:
    void BuildObjectRows();
    void BuildFilterRows();
    void FollowNewSelection();
    void OnFilterChanged(const QxUiNotify& notify);
    void OnGridChanged(const QxUiNotify& notify);
    void OnNext();
    void OnPrevious();
    // Indexes of the rows of veObjectRows that a filter category stands for.
    std::vector<std::size_t> RowsOfCategory(std::uint64_t nCategory) const;

    WizardState m_state;
    ExtractionData m_data;
    bool m_bFromSourcePage;
    GridListCtrl m_gridObjects;
    CQxUiListCtrl m_lstFilter;
};
