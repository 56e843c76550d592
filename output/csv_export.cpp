#include "output/csv_export.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/number_text.h"
#include "output/host_language.h"
#include "output/locale_number.h"
#include "output/replacing_file.h"
#include "output/text_codec.h"

namespace {

constexpr int kExcluded = -1;
constexpr std::size_t kFlushBytes = 1 << 20;

// What one file writes: which table rows, which table column at each place (kExcluded for a
// place that writes nothing), and the place written without quotes.
struct CsvPlan {
    std::vector<const std::vector<std::u16string>*> rows;
    std::vector<int> columns;
    std::size_t nUnquotedPlace = 0;
};

const std::u16string kEmpty;

const std::u16string& cellOf(const std::vector<std::u16string>& row, int column)
{
    return column >= 0 && static_cast<std::size_t>(column) < row.size() ? row[column] : kEmpty;
}

// The bytes of the rows not yet written: a growing array written to through a cursor, with no
// zero-filling, as the writer fills it cell by cell for millions of cells.
class ByteBuffer {
public:
    // Room for `n` more bytes; write there and hand the end back with advance().
    char* tail(std::size_t n)
    {
        if (m_nSize + n > m_nCapacity) {
            const std::size_t capacity = std::max(2 * m_nCapacity, m_nSize + n);
            auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
            // The first growth has no array yet: copying from a null pointer is undefined even
            // for no bytes.
            if (m_nSize) std::memcpy(bigger.get(), m_pData.get(), m_nSize);
            m_pData = std::move(bigger);
            m_nCapacity = capacity;
        }
        return m_pData.get() + m_nSize;
    }
    void advance(const char* end) { m_nSize = static_cast<std::size_t>(end - m_pData.get()); }
    void append(std::string_view bytes)
    {
        if (bytes.empty()) return;  // an empty view may have no data pointer
        std::memcpy(tail(bytes.size()), bytes.data(), bytes.size());
        m_nSize += bytes.size();
    }
    void push(char c) { *tail(1) = c, ++m_nSize; }
    std::string_view view() const { return {m_pData.get(), m_nSize}; }
    std::size_t size() const { return m_nSize; }
    void clear() { m_nSize = 0; }

private:
    std::unique_ptr<char[]> m_pData;
    std::size_t m_nSize = 0, m_nCapacity = 0;
};

class CsvWriter {
public:
    CsvWriter(std::u16string_view csSep, std::u16string_view csLanguage)
        : m_bFrench(IsFrenchLanguage(csLanguage)),
          m_csSep(m_bFrench ? std::u16string(u";") : std::u16string(csSep)),
          m_marks(m_bFrench ? NumberMarks::French : NumberMarks::English)
    {
    }

    bool write(const CsvPlan& plan, std::u16string_view csPath)
    {
        ReplacingFile csvFile(NativePath(csPath));
        if (!csvFile.open()) return false;
        // Latin-1 text keeps its one-byte form; anything beyond it would be mangled there, so
        // such a file is written whole in UTF-8 and says so with a byte-order mark. The file is
        // written as Latin-1 and started again in UTF-8 when a cell needs it; a file written
        // in place cannot start again, so its cells are looked at first.
        m_bUtf8 = !FitsLatin1(m_csSep) || (!csvFile.rewind() && !planFitsLatin1(plan));
        for (;;) {
            const Outcome outcome = writeRows(plan, csvFile);
            if (outcome == Outcome::Written) return csvFile.commit();
            if (outcome == Outcome::Failed || !csvFile.rewind()) return false;
            m_bUtf8 = true;
        }
    }

private:
    enum class Outcome { Written, Failed, NeedsUtf8 };

    Outcome writeRows(const CsvPlan& plan, ReplacingFile& csvFile)
    {
        m_stSep.clear();
        if (m_bUtf8)
            AppendUtf8(m_stSep, m_csSep);
        else
            AppendLatin1(m_stSep, m_csSep);
        m_buffer.clear();
        if (m_bUtf8) m_buffer.append("\xEF\xBB\xBF");
        m_nHighBits = 0;
        for (const auto* row : plan.rows) {
            writeRow(plan, *row);
            if (m_nHighBits > 0xFF) return Outcome::NeedsUtf8;
            if (m_buffer.size() >= kFlushBytes) {
                if (!csvFile.write(m_buffer.view())) return Outcome::Failed;
                m_buffer.clear();
            }
        }
        return csvFile.write(m_buffer.view()) ? Outcome::Written : Outcome::Failed;
    }

    bool planFitsLatin1(const CsvPlan& plan) const
    {
        for (const auto* row : plan.rows)
            for (int column : plan.columns)
                if (column != kExcluded && !FitsLatin1(cellOf(*row, column))) return false;
        return true;
    }

    // The text in the file's encoding; `bDoubleQuotes` doubles every quote of it, so that a
    // quoted field reads back whole. Latin-1 goes straight into the buffer; the units' OR tells
    // afterwards whether the text fitted.
    void appendText(std::u16string_view text, bool bDoubleQuotes)
    {
        if (m_bUtf8) {
            m_scratch.clear();
            for (std::size_t start = 0;;) {
                const std::size_t quote = bDoubleQuotes ? text.find(u'"', start) : std::u16string_view::npos;
                AppendUtf8(m_scratch, text.substr(start, quote == std::u16string_view::npos ? quote : quote + 1 - start));
                if (quote == std::u16string_view::npos) break;
                m_scratch.push_back('"');
                start = quote + 1;
            }
            m_buffer.append(m_scratch);
            return;
        }
        char* out = m_buffer.tail(2 * text.size());
        unsigned high = 0;
        for (char16_t c : text) {
            high |= c;
            if (bDoubleQuotes && c == u'"') *out++ = '"';
            *out++ = static_cast<char>(c);
        }
        m_nHighBits |= high;
        m_buffer.advance(out);
    }

    void appendQuoted(std::u16string_view text)
    {
        m_buffer.push('"');
        appendText(text, true);
        m_buffer.push('"');
    }

    bool needsQuotes(std::u16string_view text) const
    {
        return text.find(m_csSep) != std::u16string_view::npos || text.find_first_of(u"\"\r\n") != std::u16string_view::npos;
    }

    void writeRow(const CsvPlan& plan, const std::vector<std::u16string>& row)
    {
        const std::size_t nPlaces = plan.columns.size();
        for (std::size_t p = 0; p < nPlaces; ++p) {
            if (plan.columns[p] == kExcluded) continue;
            const std::u16string& strData = cellOf(row, plan.columns[p]);
            if (p == plan.nUnquotedPlace) {
                // English files keep this field's text as it always was; in French conventions
                // a number here reads like the numbers of every other field.
                char16_t number[kLocaleNumberMaxUnits];
                const std::u16string_view field = m_bFrench && IsNumericText(strData)
                                                      ? std::u16string_view(number, FormatLocaleNumberText(strData, m_marks, number))
                                                      : std::u16string_view(strData);
                if (needsQuotes(field))
                    appendQuoted(field);
                else
                    appendText(field, false);
            } else if (IsNumericText(strData)) {
                char16_t number[kLocaleNumberMaxUnits];
                appendQuoted({number, FormatLocaleNumberText(strData, m_marks, number)});
            } else {
                appendQuoted(strData);
            }
            if (p + 1 != nPlaces) m_buffer.append(m_stSep);
        }
        m_buffer.append("\r\n");
    }

    bool m_bFrench;
    std::u16string m_csSep;
    NumberMarks m_marks;
    bool m_bUtf8 = false;
    unsigned m_nHighBits = 0;  // OR of the units written as Latin-1
    std::string m_stSep;
    std::string m_scratch;
    ByteBuffer m_buffer;
};

}  // namespace

bool WriteCsvExport(const TableData& veTableDataOut, std::u16string_view csPath, const std::vector<bool>& vecIncludeCols,
                    const std::vector<int>& veHeaderOrder, const std::vector<int>& veRowOrder, bool bDisplayHeader,
                    std::u16string_view csSep, std::u16string_view csLanguage)
{
    if (veTableDataOut.empty()) return true;
    CsvPlan plan;
    plan.nUnquotedPlace = 1;
    // With the header hidden the places run from 1, so one row fewer is written.
    const std::size_t nRows = veTableDataOut.size() - (bDisplayHeader ? 0 : 1);
    for (std::size_t k = 0; k < nRows && k < veRowOrder.size(); ++k) {
        const int row = veRowOrder[k];
        if (row >= 0 && static_cast<std::size_t>(row) < veTableDataOut.size()) plan.rows.push_back(&veTableDataOut[row]);
    }
    for (int column : veHeaderOrder) {
        const bool included = column >= 0 && static_cast<std::size_t>(column) < vecIncludeCols.size() && vecIncludeCols[column];
        plan.columns.push_back(included ? column : kExcluded);
    }
    return CsvWriter(csSep, csLanguage).write(plan, csPath);
}

bool WriteCsvReExport(const TableData& veRows, std::u16string_view csPath, std::u16string_view csSep,
                      std::u16string_view csLanguage)
{
    if (veRows.empty()) return true;
    CsvPlan plan;
    plan.nUnquotedPlace = 0;
    for (const auto& row : veRows) plan.rows.push_back(&row);
    for (std::size_t c = 0; c < veRows.front().size(); ++c) plan.columns.push_back(static_cast<int>(c));
    return CsvWriter(csSep, csLanguage).write(plan, csPath);
}

bool ExportCsv(const TableData& veTableDataOut, std::u16string_view csPath, const std::vector<bool>& vecIncludeCols,
               const std::vector<int>& veHeaderOrder, const std::vector<int>& veRowOrder, bool bDisplayHeader,
               std::u16string_view csSep)
{
    if (veTableDataOut.empty()) return true;
    return WriteCsvExport(veTableDataOut, csPath, vecIncludeCols, veHeaderOrder, veRowOrder, bDisplayHeader, csSep,
                          ReadHostLanguage());
}

bool ReExportCsv(const TableData& veRows, std::u16string_view csPath, std::u16string_view csSep)
{
    if (veRows.empty()) return true;
    return WriteCsvReExport(veRows, csPath, csSep, ReadHostLanguage());
}
