// The command handlers. The wizard's pages and the update dialog are not built yet: the
// handlers say so on the command line instead of pretending to run them.
#include "editor.h"
#include "module/commands.h"
#include "output/DlgUpdateA1.h"

void RunDataExtraction()
{
    qxutPrintf(u"%s", u"\nDATAEXTRACTION: the extraction wizard is not available in this build yet.\n");
}

void RunDataExtractionUpdate()
{
    DlgUpdateA1 dlg(pwsw_qxappMainWnd());
    dlg.DoModal();
}
