// The update command's export: the table's cells, as the drawing shows them, to a CSV file or
// a spreadsheet chosen by the user.
#include "host/database.h"
#include "host/editor.h"
#include "host/ui.h"
#include "module/strings.h"
#include "resources/string_ids.h"
#include "output/csv_export.h"
#include "output/drawing_table.h"
#include "output/update_command.h"
#include "output/update_columns.h"
#include "output/xls_export.h"
#include "output/xlsx_export.h"

namespace {

constexpr int kCsvFileType = 1;
constexpr int kXlsFileType = 2;
constexpr int kXlsxFileType = 3;

void PrintFormatted(std::uint32_t id, const std::u16string& csPath)
{
    qxutPrintf(u"%s", FormatResString(id, csPath).c_str());
}

}  // namespace

void ReExportTable(QxDbObjectId idTbl)
{
    const std::u16string sFilters = u"Csv file (*.csv)|*.csv| Xls file (*.xls)|*.xls| Xlsx file (*.xlsx)|*.xlsx||";
    CQxUiFileDialog fileDlg(false, u"", u"*.csv", QxUiFile::HideReadOnly, sFilters);
    if (fileDlg.DoModal() != IDOK) return;
    const std::u16string csvPath = fileDlg.GetPathName();
    const int nFileType = fileDlg.GetFilterIndex();

    TableData veTbDatas;
    bool bTotals = false;
    std::u16string csTitle;
    {
        QxDbTable* pTbl = nullptr;
        if (qxdbOpenObject(pTbl, idTbl, QxDb::kForRead) != Qxapp::eOk) return;
        QxDbObjectCloser<QxDbTable> closer(pTbl);
        if (!ReadTableRows(pTbl, veTbDatas)) return;
        bTotals = HasTotalsLine(pTbl, false);
        csTitle = pTbl->textString(0, 0);
    }
    // The file type chosen decides the format, whatever extension was typed. A file that was
    // not written is reported as such.
    if (nFileType == kCsvFileType) {
        const bool bWritten = ReExportCsv(veTbDatas, csvPath, u",");
        PrintFormatted(bWritten ? kIdsCsvDone : kIdsCsvFailed, csvPath);
    } else if (nFileType == kXlsFileType) {
        // Reported as the wizard's export is: rows beyond the sheet and cut texts are said.
        PrintXlsExportResult(ReExportXls(veTbDatas, csvPath), csvPath);
    } else if (nFileType == kXlsxFileType) {
        const std::vector<bool> vecNumeric = NumericColumnsOf(veTbDatas, bTotals);
        PrintXlsxExportResult(ReExportXlsx(veTbDatas, csvPath, vecNumeric, bTotals, csTitle), csvPath);
    }
}
