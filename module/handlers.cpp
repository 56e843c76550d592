// The command handlers.
#include "editor.h"
#include "module/commands.h"
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
    qxutPrintf(u"%s", u"\nDATAEXTRACTIONUPDATE: the table update dialog is not available in this build yet.\n");
}
