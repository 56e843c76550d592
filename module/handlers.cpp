// The command handlers.
#include "editor.h"
#include "module/commands.h"
#include "output/DlgUpdateA1.h"
#include "ui.h"
#include "wizard/DlgAssist1.h"

void RunDataExtraction()
{
    // Page 1 opens page 2 itself, and so on: the wizard has ended when this run returns.
    DlgAssist1 page1(pwsw_qxappMainWnd());
    page1.DoModal();
}

void RunDataExtractionUpdate()
{
    DlgUpdateA1 dlg(pwsw_qxappMainWnd());
    dlg.DoModal();
}
