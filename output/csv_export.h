// The extraction table as a separated-values text file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/table_data.h"

// Writes the table as the output page's preview shows it: the rows named by `veRowOrder`
// (entry 0 is 0 with the header shown, 1 with it hidden, then the preview's rows in displayed
// order), the columns of `veHeaderOrder` whose include flag is set, each row ending with
// CR LF. `csLanguage` is the host's language tag: "fr-FR" switches the separator to ";" and
// numbers to French marks. True when the file was written completely; on failure a file that
// was there before is left as it was. An empty table writes nothing and gives true.
bool WriteCsvExport(const TableData& veTableDataOut, std::u16string_view csPath, const std::vector<bool>& vecIncludeCols,
                    const std::vector<int>& veHeaderOrder, const std::vector<int>& veRowOrder, bool bDisplayHeader,
                    std::u16string_view csSep, std::u16string_view csLanguage);

// Writes the texts read back from a drawing table: every row in order, every column of the
// first row's width; the first column is the unquoted one.
bool WriteCsvReExport(const TableData& veRows, std::u16string_view csPath, std::u16string_view csSep,
                      std::u16string_view csLanguage);

// The same, in the host's language (the variable VERLAN).
bool ExportCsv(const TableData& veTableDataOut, std::u16string_view csPath, const std::vector<bool>& vecIncludeCols,
               const std::vector<int>& veHeaderOrder, const std::vector<int>& veRowOrder, bool bDisplayHeader,
               std::u16string_view csSep);
bool ReExportCsv(const TableData& veRows, std::u16string_view csPath, std::u16string_view csSep);
