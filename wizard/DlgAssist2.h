// Wizard page 2: the data source. Next selects every object of the drawing, "..." lets the
// user select objects; either way the selection is read into an engine and page 3 opens.
#pragma once

#include "host/editor.h"
#include "host/ui.h"
#include "wizard/WizardState.h"

class DlgAssist2 : public CQxUiDialog {
public:
    static constexpr std::uint32_t kTemplateId = 103;

    DlgAssist2(QxWindowHandle pParent, WizardState state);
    ~DlgAssist2() override;

    void DoDataExchange(QxDataExchange& dx) override;
    bool OnInitDialog() override;

private:
    void OnSelectObjects();
    void OnNext();
    void OnPrevious();
    // True when the selection set holds at least one object; the set is freed otherwise.
    bool TakeSelection(int nStatus);
    void GoToObjectPage();
    // Says why the page stays: the selection holds nothing the engine reads.
    void ReportNothingToExtract();
    void FreeSelection();

    WizardState m_state;
    qxds_name m_ss = {0, 0};
    bool m_bHaveSelection = false;
    std::int32_t m_nLength = 0;
    CQxUiListCtrl m_lstDrawing;
    CQxUiImageList m_images;
};
