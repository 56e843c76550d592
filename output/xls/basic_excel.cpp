#include "output/xls/basic_excel.h"

#include <algorithm>

#include "output/replacing_file.h"
#include "output/xls/compound_file.h"

namespace {

constexpr std::uint32_t kRowsPerBlock = 32;
constexpr std::size_t kDefaultXfCount = 21;
constexpr std::size_t kDefaultStyleCount = 6;

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

// --- cells -------------------------------------------------------------------------------

bool BasicExcelCell::SetWString(std::u16string_view text)
{
    auto& slot = m_sheet->slot(m_row, m_column);
    if (text.empty()) {
        slot.text = BasicExcelWorksheet::kNoText;
        return true;
    }
    const bool whole = text.size() <= BasicExcelWorksheet::kMaxTextUnits;
    if (!whole) {
        std::size_t length = BasicExcelWorksheet::kMaxTextUnits;
        if (isHighSurrogate(text[length - 1])) --length;
        text = text.substr(0, length);
    }
    slot.text = m_sheet->m_xls->internText(text);
    return whole;
}

std::u16string BasicExcelCell::GetWString() const
{
    const auto& slot = m_sheet->slot(m_row, m_column);
    return slot.text == BasicExcelWorksheet::kNoText ? std::u16string()
                                                     : std::u16string(m_sheet->m_xls->pooledText(slot.text));
}

bool BasicExcelCell::IsEmpty() const { return m_sheet->slot(m_row, m_column).text == BasicExcelWorksheet::kNoText; }

void BasicExcelCell::SetXFormatIdx(std::uint16_t xf) { m_sheet->slot(m_row, m_column).xf = xf; }

std::uint16_t BasicExcelCell::GetXFormatIdx() const { return m_sheet->slot(m_row, m_column).xf; }

std::optional<BasicExcelCell> BasicExcelWorksheet::Cell(std::uint32_t row, std::uint32_t column)
{
    if (row >= kMaxRows || column >= kMaxColumns) return std::nullopt;
    if (row >= m_rows.size()) m_rows.resize(row + 1);
    if (column >= m_rows[row].size()) m_rows[row].resize(column + 1);
    if (column >= m_nColumns) m_nColumns = column + 1;
    return BasicExcelCell(*this, row, column);
}

// --- workbook ----------------------------------------------------------------------------

void BasicExcel::New(int nSheets)
{
    m_globals = WorkbookGlobals{};
    m_globals.fonts.push_back(biff::Font{});
    m_globals.xfs.assign(kDefaultXfCount, biff::Xf{});
    m_globals.styles.assign(kDefaultStyleCount, biff::Style{});
    m_sheets.clear();
    m_pool.clear();
    for (int i = 1; i <= nSheets; ++i) {
        biff::BoundSheet sheet;
        sheet.name = "Sheet" + std::to_string(i);
        m_globals.sheets.push_back(sheet);
        m_sheets.push_back(std::unique_ptr<BasicExcelWorksheet>(new BasicExcelWorksheet(*this)));
    }
}

BasicExcelWorksheet* BasicExcel::GetWorksheet(std::size_t index)
{
    return index < m_sheets.size() ? m_sheets[index].get() : nullptr;
}

void BasicExcel::writeSheet(BiffSink& out, const BasicExcelWorksheet& sheet, bool bFirst,
                            const std::vector<std::uint32_t>& sstIndex) const
{
    const auto nRows = static_cast<std::uint32_t>(sheet.m_rows.size());
    const auto nColumns = static_cast<std::uint16_t>(sheet.m_nColumns);

    biff::Bof{.type = biff::Bof::kWorksheet}.write(out);

    biff::Index index{.firstRow = 0, .lastRowPlus1 = nRows, .dbCellPositions = {}};
    index.dbCellPositions.resize((nRows + kRowsPerBlock - 1) / kRowsPerBlock);
    const std::size_t indexPos = out.pos();
    index.write(out);

    biff::Dimensions{.firstRow = 0, .lastRowPlus1 = nRows, .firstColumn = 0, .lastColumnPlus1 = nColumns}.write(out);

    static const std::vector<BasicExcelWorksheet::Slot> kNoCells;
    for (std::uint32_t blockStart = 0, block = 0; blockStart < nRows; blockStart += kRowsPerBlock, ++block) {
        const std::uint32_t blockEnd = std::min(nRows, blockStart + kRowsPerBlock);
        const std::size_t firstRowPos = out.pos();
        for (std::uint32_t r = blockStart; r < blockEnd; ++r)
            biff::Row{.row = static_cast<std::uint16_t>(r), .firstColumn = 0, .lastColumnPlus1 = nColumns}.write(out);

        biff::DbCell dbCell;
        std::size_t previous = firstRowPos + biff::Row::kSize;  // the first offset counts from there
        for (std::uint32_t r = blockStart; r < blockEnd; ++r) {
            dbCell.rowOffsets.push_back(static_cast<std::uint16_t>(out.pos() - previous));
            previous = out.pos();
            const auto& cells = sheet.m_rows[r];
            for (std::uint16_t c = 0; c < nColumns; ++c) {
                const BasicExcelWorksheet::Slot slot = c < cells.size() ? cells[c] : BasicExcelWorksheet::Slot{};
                const auto row = static_cast<std::uint16_t>(r);
                if (slot.text == BasicExcelWorksheet::kNoText)
                    biff::Blank{.row = row, .column = c, .xfIndex = slot.xf}.write(out);
                else
                    biff::LabelSst{.row = row, .column = c, .xfIndex = slot.xf, .sstIndex = sstIndex[slot.text]}.write(out);
            }
        }
        const std::size_t dbCellPos = out.pos();
        dbCell.backToFirstRow = static_cast<std::uint32_t>(dbCellPos - firstRowPos);
        dbCell.write(out);
        out.patch32(indexPos + biff::Index::kFirstPositionOffset + 4 * block, static_cast<std::uint32_t>(dbCellPos));
    }

    biff::Window2 window2;
    if (!bFirst) window2.options &= ~biff::Window2::kSelected;
    window2.write(out);
    biff::Eof{}.write(out);
}

std::vector<std::uint8_t> BasicExcel::BuildStream() const
{
    // Shared strings in the order of first use, as the cells are written.
    std::vector<std::uint32_t> sstIndex(m_pool.size(), BasicExcelWorksheet::kNoText);
    biff::Sst sst;
    sst.pool = &m_pool;
    std::size_t stringBytes = 0, cellBytes = 0;
    for (const auto& sheet : m_sheets) {
        for (const auto& row : sheet->m_rows) {
            cellBytes += biff::Row::kSize + 10 * sheet->m_nColumns;
            for (const auto& slot : row) {
                if (slot.text == BasicExcelWorksheet::kNoText) continue;
                ++sst.totalCount;
                cellBytes += 4;
                if (sstIndex[slot.text] != BasicExcelWorksheet::kNoText) continue;
                sstIndex[slot.text] = static_cast<std::uint32_t>(sst.strings.size());
                sst.strings.push_back(slot.text);
                stringBytes += 3 + 2 * m_pool.text(slot.text).size();
            }
        }
    }

    BiffSink out;
    out.reserve(4096 + stringBytes + stringBytes / 1000 + cellBytes + cellBytes / 100);
    m_globals.bof.write(out);
    m_globals.window1.write(out);
    for (const auto& font : m_globals.fonts) font.write(out);
    for (const auto& format : m_globals.formats) format.write(out);
    for (const auto& xf : m_globals.xfs) xf.write(out);
    for (const auto& style : m_globals.styles) style.write(out);
    std::vector<std::size_t> boundSheetPos;
    for (const auto& sheet : m_globals.sheets) {
        boundSheetPos.push_back(out.pos());
        sheet.write(out);
    }
    sst.write(out);
    biff::Eof{}.write(out);

    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        out.patch32(boundSheetPos[i] + biff::BoundSheet::kPositionOffset, static_cast<std::uint32_t>(out.pos()));
        writeSheet(out, *m_sheets[i], i == 0, sstIndex);
    }
    return out.release();
}

bool BasicExcel::SaveAs(std::u16string_view path) const
{
    return WriteCompoundFile(NativePath(path), "Workbook", BuildStream());
}
