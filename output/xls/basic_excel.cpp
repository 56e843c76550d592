#include "output/xls/basic_excel.h"

#include <algorithm>

#include "output/replacing_file.h"
#include "output/text_codec.h"
#include "output/xls/compound_file.h"

namespace {

constexpr std::uint32_t kRowsPerBlock = 32;
constexpr std::size_t kDefaultXfCount = 21;
constexpr std::size_t kDefaultStyleCount = 6;

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
        if (IsHighSurrogate(text[length - 1])) --length;
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

// Where everything goes in the stream, known before anything is written, so that the stream
// can be handed on in pieces: the shared strings in order of first use, and per sheet the
// byte size of each block of rows and of the whole sheet.
struct BasicExcel::StreamPlan {
    biff::Sst sst;
    std::vector<std::uint32_t> sstIndex;  // per pool id
    std::vector<std::vector<std::size_t>> blockSizes;
    std::vector<std::size_t> sheetPositions;
};

BasicExcel::StreamPlan BasicExcel::planStream() const
{
    StreamPlan plan;
    plan.sst.pool = &m_pool;
    plan.sstIndex.assign(m_pool.size(), BasicExcelWorksheet::kNoText);
    std::vector<std::size_t> sheetSizes;
    for (const auto& sheet : m_sheets) {
        const auto nRows = static_cast<std::uint32_t>(sheet->m_rows.size());
        std::vector<std::size_t> blocks;
        for (std::uint32_t blockStart = 0; blockStart < nRows; blockStart += kRowsPerBlock) {
            const std::uint32_t blockEnd = std::min(nRows, blockStart + kRowsPerBlock);
            std::size_t size = biff::DbCell::sizeFor(blockEnd - blockStart);
            for (std::uint32_t r = blockStart; r < blockEnd; ++r) {
                size += biff::Row::kSize + biff::Blank::kSize * sheet->m_nColumns;
                for (const auto& slot : sheet->m_rows[r]) {
                    if (slot.text == BasicExcelWorksheet::kNoText) continue;
                    size += biff::LabelSst::kSize - biff::Blank::kSize;
                    ++plan.sst.totalCount;
                    if (plan.sstIndex[slot.text] != BasicExcelWorksheet::kNoText) continue;
                    plan.sstIndex[slot.text] = static_cast<std::uint32_t>(plan.sst.strings.size());
                    plan.sst.strings.push_back(slot.text);
                }
            }
            blocks.push_back(size);
        }
        std::size_t sheetSize = biff::Bof::kSize + biff::Index{.dbCellPositions = std::vector<std::uint32_t>(blocks.size())}.size() +
                                biff::Dimensions::kSize + biff::Window2::kSize + biff::Eof::kSize;
        for (std::size_t size : blocks) sheetSize += size;
        sheetSizes.push_back(sheetSize);
        plan.blockSizes.push_back(std::move(blocks));
    }

    // The sheets follow the globals, whose length a counting pass gives.
    BiffSink counter = BiffSink::Counter();
    writeGlobals(counter, plan);
    std::size_t position = counter.pos();
    for (std::size_t size : sheetSizes) {
        plan.sheetPositions.push_back(position);
        position += size;
    }
    return plan;
}

void BasicExcel::writeGlobals(BiffSink& out, const StreamPlan& plan) const
{
    m_globals.bof.write(out);
    m_globals.window1.write(out);
    for (const auto& font : m_globals.fonts) font.write(out);
    for (const auto& format : m_globals.formats) format.write(out);
    for (const auto& xf : m_globals.xfs) xf.write(out);
    for (const auto& style : m_globals.styles) style.write(out);
    for (std::size_t i = 0; i < m_globals.sheets.size(); ++i) {
        biff::BoundSheet sheet = m_globals.sheets[i];
        if (i < plan.sheetPositions.size()) sheet.bofPosition = static_cast<std::uint32_t>(plan.sheetPositions[i]);
        sheet.write(out);
    }
    out.recordEnd();
    plan.sst.write(out);
    biff::Eof{}.write(out);
    out.recordEnd();
}

void BasicExcel::writeSheet(BiffSink& out, std::size_t index, const StreamPlan& plan) const
{
    const BasicExcelWorksheet& sheet = *m_sheets[index];
    const std::vector<std::size_t>& blockSizes = plan.blockSizes[index];
    const auto nRows = static_cast<std::uint32_t>(sheet.m_rows.size());
    const auto nColumns = static_cast<std::uint16_t>(sheet.m_nColumns);

    biff::Bof{.type = biff::Bof::kWorksheet}.write(out);

    biff::Index indexRecord{.firstRow = 0, .lastRowPlus1 = nRows, .dbCellPositions = {}};
    std::size_t blockPos = out.pos() + biff::Index{.dbCellPositions = std::vector<std::uint32_t>(blockSizes.size())}.size() +
                           biff::Dimensions::kSize;
    for (std::size_t block = 0; block < blockSizes.size(); ++block) {
        const std::size_t rowsInBlock = std::min<std::size_t>(kRowsPerBlock, nRows - block * kRowsPerBlock);
        blockPos += blockSizes[block];
        indexRecord.dbCellPositions.push_back(static_cast<std::uint32_t>(blockPos - biff::DbCell::sizeFor(rowsInBlock)));
    }
    indexRecord.write(out);

    biff::Dimensions{.firstRow = 0, .lastRowPlus1 = nRows, .firstColumn = 0, .lastColumnPlus1 = nColumns}.write(out);

    for (std::uint32_t blockStart = 0; blockStart < nRows; blockStart += kRowsPerBlock) {
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
                    biff::LabelSst{.row = row, .column = c, .xfIndex = slot.xf, .sstIndex = plan.sstIndex[slot.text]}.write(out);
            }
        }
        dbCell.backToFirstRow = static_cast<std::uint32_t>(out.pos() - firstRowPos);
        dbCell.write(out);
        out.recordEnd();
    }

    biff::Window2 window2;
    if (index != 0) window2.options &= ~biff::Window2::kSelected;
    window2.write(out);
    biff::Eof{}.write(out);
    out.recordEnd();
}

void BasicExcel::writeStream(BiffSink& out) const
{
    const StreamPlan plan = planStream();
    writeGlobals(out, plan);
    for (std::size_t i = 0; i < m_sheets.size(); ++i) writeSheet(out, i, plan);
}

std::vector<std::uint8_t> BasicExcel::BuildStream() const
{
    BiffSink out;
    writeStream(out);
    return out.release();
}

bool BasicExcel::SaveAs(std::u16string_view path) const
{
    // The stream goes to the file in pieces as it is made: the workbook is never held twice.
    return WriteCompoundFile(NativePath(path), "Workbook", [this](const BiffSink::Writer& writer) {
        BiffSink out(writer);
        writeStream(out);
        return out.finish();
    });
}
