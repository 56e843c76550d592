// Wizard page 1: a new extraction, or one started from a settings file (.qex).
#pragma once

#include "host/ui.h"
#include "wizard/WizardState.h"

class DlgAssist1 : public CQxUiDialog {
public:
    static constexpr std::uint32_t kTemplateId = 102;

    // bFreshStart: opened by the command (on) or by Previous on page 2 (off).
    DlgAssist1(QxWindowHandle pParent, WizardState state = WizardState(), bool bFreshStart = true);
    ~DlgAssist1() override;

    bool OnInitDialog() override;

private:
    void OnCreateNewClicked();
    void OnUseQexFile();
    void OnNext();
    void LoadSettingsFile(const std::u16string& csPath);

    WizardState m_state;
    bool m_bFreshStart;
};
