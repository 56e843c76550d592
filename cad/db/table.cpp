// The table entity and its style.
#include <optional>

#include "cad/db/database_impl.h"
#include "cad/db/geom_util.h"
#include "host/dbtable.h"
#include "host/gi.h"

QX_RX_DEFINE_CLASS(QxDbTableStyle, QxDbObject, "TABLESTYLE")
QX_RX_DEFINE_CLASS(QxDbTable, QxDbBlockReference, "ACAD_TABLE")

// Table style ---------------------------------------------------------------------------

namespace {

// Slot of a row type in the style's arrays: data, title, header.
int slotOf(QxDb::RowType type)
{
    switch (type) {
    case QxDb::kTitleRow: return 1;
    case QxDb::kHeaderRow: return 2;
    default: return 0;
    }
}

}  // namespace

QxDbObjectId QxDbTableStyle::textStyle(QxDb::RowType rowType) const { return m_textStyle[slotOf(rowType)]; }

Qxapp::ErrorStatus QxDbTableStyle::setTextStyle(QxDbObjectId style, int rowTypes)
{
    QX_NEEDS_WRITE();
    for (QxDb::RowType t : {QxDb::kDataRow, QxDb::kTitleRow, QxDb::kHeaderRow})
        if (rowTypes & t) m_textStyle[slotOf(t)] = style;
    return Qxapp::eOk;
}

double QxDbTableStyle::textHeight(QxDb::RowType rowType) const { return m_textHeight[slotOf(rowType)]; }

Qxapp::ErrorStatus QxDbTableStyle::setTextHeight(double height, int rowTypes)
{
    QX_NEEDS_WRITE();
    if (!(height > 0)) return Qxapp::eInvalidInput;
    for (QxDb::RowType t : {QxDb::kDataRow, QxDb::kTitleRow, QxDb::kHeaderRow})
        if (rowTypes & t) m_textHeight[slotOf(t)] = height;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTableStyle::setHorzCellMargin(double margin)
{
    QX_NEEDS_WRITE();
    if (margin < 0) return Qxapp::eInvalidInput;
    m_horzMargin = margin;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTableStyle::setVertCellMargin(double margin)
{
    QX_NEEDS_WRITE();
    if (margin < 0) return Qxapp::eInvalidInput;
    m_vertMargin = margin;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTableStyle::suppressTitleRow(bool suppress)
{
    QX_NEEDS_WRITE();
    m_titleSuppressed = suppress;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTableStyle::suppressHeaderRow(bool suppress)
{
    QX_NEEDS_WRITE();
    m_headerSuppressed = suppress;
    return Qxapp::eOk;
}

// Table ---------------------------------------------------------------------------------

struct QxDbTable::StyleValues {
    QxDbObjectId textStyle[3];
    double textHeight[3] = {4.5, 6.0, 4.5};
    double horzMargin = 1.5, vertMargin = 1.5;
    bool titleSuppressed = false, headerSuppressed = false;
};

namespace {
constexpr double kDefaultColumnWidth = 20.0;
}

QxDbTable::QxDbTable() = default;
QxDbTable::~QxDbTable() = default;

// The style is looked up when needed rather than copied, so that a table read from a file
// before its style finds the style once it is there. A style that cannot be opened gives
// the standard values.
QxDbTable::StyleValues QxDbTable::styleValues() const
{
    StyleValues v;
    QxDbTableStyle* style = nullptr;
    if (qxdbOpenObject(style, m_tableStyle, QxDb::kForRead) == Qxapp::eOk) {
        for (QxDb::RowType t : {QxDb::kDataRow, QxDb::kTitleRow, QxDb::kHeaderRow}) {
            v.textStyle[slotOf(t)] = style->textStyle(t);
            v.textHeight[slotOf(t)] = style->textHeight(t);
        }
        v.horzMargin = style->horzCellMargin();
        v.vertMargin = style->vertCellMargin();
        v.titleSuppressed = style->isTitleSuppressed();
        v.headerSuppressed = style->isHeaderSuppressed();
        style->close();
    }
    QxDbDatabase* db = database();
    if (!db) db = m_tableStyle.database();
    if (!db) db = qxdbHostApplicationServices()->workingDatabase();
    for (QxDbObjectId& id : v.textStyle)
        if (id.isNull() && db) id = db->textstyle();
    return v;
}

Qxapp::ErrorStatus QxDbTable::setTableStyle(QxDbObjectId style)
{
    QX_NEEDS_WRITE();
    m_tableStyle = style;
    return Qxapp::eOk;
}

QxDb::RowType QxDbTable::rowType(std::uint32_t row) const { return rowType(styleValues(), row); }

QxDb::RowType QxDbTable::rowType(const StyleValues& v, std::uint32_t row)
{
    std::uint32_t next = 0;
    if (!v.titleSuppressed) {
        if (row == next) return QxDb::kTitleRow;
        ++next;
    }
    if (!v.headerSuppressed && row == next) return QxDb::kHeaderRow;
    return QxDb::kDataRow;
}

double QxDbTable::defaultRowHeight(const StyleValues& v, std::uint32_t row)
{
    return 4.0 / 3.0 * v.textHeight[slotOf(rowType(v, row))] + 2 * v.vertMargin;
}

const QxDbTable::Cell* QxDbTable::cell(std::uint32_t row, std::uint32_t column) const
{
    if (row >= m_rows || column >= m_columns) return nullptr;
    return &m_cells[static_cast<std::size_t>(row) * m_columns + column];
}

QxDbTable::Cell* QxDbTable::mutableCell(std::uint32_t row, std::uint32_t column)
{
    return const_cast<Cell*>(cell(row, column));
}

namespace {

// Where an old row (or column) goes: inserting `shift` > 0 lines at `at` moves the lines
// from `at` on; deleting -`shift` lines at `at` drops them and moves those after.
std::optional<std::uint32_t> mapIndex(std::uint32_t i, std::uint32_t at, std::int64_t shift)
{
    if (shift == 0 || i < at) return i;
    if (shift > 0) return static_cast<std::uint32_t>(i + shift);
    if (i < at - shift) return std::nullopt;
    return static_cast<std::uint32_t>(i + shift);
}

// The same for the two ends of a merged range: a range cut by a deletion shrinks, one
// split by an insertion grows.
bool mapRange(std::uint32_t& lo, std::uint32_t& hi, std::uint32_t at, std::int64_t shift)
{
    if (shift == 0) return true;
    if (shift > 0) {
        if (lo >= at) lo += static_cast<std::uint32_t>(shift);
        if (hi >= at) hi += static_cast<std::uint32_t>(shift);
        return true;
    }
    const std::uint32_t end = static_cast<std::uint32_t>(at - shift);  // one past the deleted lines
    const std::uint32_t newLo = lo < at ? lo : (lo >= end ? lo - (end - at) : at);
    const std::int64_t newHi = hi < at ? std::int64_t(hi) : (hi >= end ? std::int64_t(hi) - (end - at) : std::int64_t(at) - 1);
    if (newHi < std::int64_t(newLo)) return false;
    lo = newLo;
    hi = static_cast<std::uint32_t>(newHi);
    return true;
}

}  // namespace

void QxDbTable::resizeGrid(std::uint32_t rows, std::uint32_t columns, std::uint32_t rowAt, std::int64_t rowShift,
                           std::uint32_t columnAt, std::int64_t columnShift)
{
    std::vector<Cell> cells(static_cast<std::size_t>(rows) * columns);
    for (std::uint32_t r = 0; r < m_rows; ++r) {
        const auto nr = mapIndex(r, rowAt, rowShift);
        if (!nr || *nr >= rows) continue;
        for (std::uint32_t c = 0; c < m_columns; ++c) {
            const auto nc = mapIndex(c, columnAt, columnShift);
            if (!nc || *nc >= columns) continue;
            cells[static_cast<std::size_t>(*nr) * columns + *nc] = std::move(m_cells[static_cast<std::size_t>(r) * m_columns + c]);
        }
    }
    std::vector<MergeRange> merges;
    for (MergeRange m : m_merges) {
        if (!mapRange(m.minRow, m.maxRow, rowAt, rowShift) || !mapRange(m.minColumn, m.maxColumn, columnAt, columnShift))
            continue;
        if (m.minRow >= rows || m.minColumn >= columns) continue;
        m.maxRow = std::min(m.maxRow, rows - 1);
        m.maxColumn = std::min(m.maxColumn, columns - 1);
        if (m.minRow == m.maxRow && m.minColumn == m.maxColumn) continue;  // one cell is no merge
        merges.push_back(m);
    }
    m_cells = std::move(cells);
    m_merges = std::move(merges);
    m_rows = rows;
    m_columns = columns;
    refreshMergeFlags();
}

void QxDbTable::refreshMergeFlags()
{
    for (Cell& c : m_cells) {
        c.merged = false;
        c.rowSpan = c.columnSpan = 1;
    }
    for (const MergeRange& m : m_merges) {
        for (std::uint32_t r = m.minRow; r <= m.maxRow; ++r)
            for (std::uint32_t c = m.minColumn; c <= m.maxColumn; ++c) mutableCell(r, c)->merged = true;
        Cell* anchor = mutableCell(m.minRow, m.minColumn);
        anchor->merged = false;
        anchor->rowSpan = m.maxRow - m.minRow + 1;
        anchor->columnSpan = m.maxColumn - m.minColumn + 1;
    }
}

Qxapp::ErrorStatus QxDbTable::setSize(std::uint32_t rows, std::uint32_t columns)
{
    QX_NEEDS_WRITE();
    if (rows == 0 || columns == 0) return Qxapp::eInvalidInput;
    const std::uint32_t oldRows = m_rows;
    const double lastWidth = m_columnWidths.empty() ? kDefaultColumnWidth : m_columnWidths.back();
    resizeGrid(rows, columns, 0, 0, 0, 0);
    m_columnWidths.resize(columns, lastWidth);
    m_rowHeights.resize(rows);
    // The style is looked up once: opening it for each of 100,000 new rows was a sixth of
    // inserting a large table.
    const StyleValues v = styleValues();
    for (std::uint32_t r = oldRows; r < rows; ++r) m_rowHeights[r] = defaultRowHeight(v, r);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::setNumRows(std::uint32_t rows) { return setSize(rows, std::max<std::uint32_t>(m_columns, 1)); }
Qxapp::ErrorStatus QxDbTable::setNumColumns(std::uint32_t columns) { return setSize(std::max<std::uint32_t>(m_rows, 1), columns); }

double QxDbTable::columnWidth(std::uint32_t column) const { return column < m_columns ? m_columnWidths[column] : 0; }
double QxDbTable::rowHeight(std::uint32_t row) const { return row < m_rows ? m_rowHeights[row] : 0; }

Qxapp::ErrorStatus QxDbTable::setColumnWidth(std::uint32_t column, double width)
{
    QX_NEEDS_WRITE();
    if (column >= m_columns) return Qxapp::eInvalidIndex;
    if (!(width > 0) || !std::isfinite(width)) return Qxapp::eInvalidInput;
    m_columnWidths[column] = width;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::setColumnWidth(double width)
{
    QX_NEEDS_WRITE();
    if (!(width > 0) || !std::isfinite(width)) return Qxapp::eInvalidInput;
    std::fill(m_columnWidths.begin(), m_columnWidths.end(), width);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::setRowHeight(std::uint32_t row, double height)
{
    QX_NEEDS_WRITE();
    if (row >= m_rows) return Qxapp::eInvalidIndex;
    if (!(height > 0) || !std::isfinite(height)) return Qxapp::eInvalidInput;
    m_rowHeights[row] = height;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::setRowHeight(double height)
{
    QX_NEEDS_WRITE();
    if (!(height > 0) || !std::isfinite(height)) return Qxapp::eInvalidInput;
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), height);
    return Qxapp::eOk;
}

double QxDbTable::width() const
{
    double w = 0;
    for (double c : m_columnWidths) w += c;
    return w;
}

double QxDbTable::height() const
{
    double h = 0;
    for (double r : m_rowHeights) h += r;
    return h;
}

Qxapp::ErrorStatus QxDbTable::insertColumns(std::uint32_t column, double width, std::uint32_t count)
{
    QX_NEEDS_WRITE();
    if (column > m_columns) return Qxapp::eInvalidIndex;
    if (count == 0 || !(width > 0)) return Qxapp::eInvalidInput;
    resizeGrid(m_rows, m_columns + count, 0, 0, column, count);
    m_columnWidths.insert(m_columnWidths.begin() + column, count, width);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::deleteColumns(std::uint32_t column, std::uint32_t count)
{
    QX_NEEDS_WRITE();
    if (count == 0 || column >= m_columns || count > m_columns - column) return Qxapp::eInvalidIndex;
    if (count == m_columns) return Qxapp::eInvalidInput;  // a table keeps at least one column
    resizeGrid(m_rows, m_columns - count, 0, 0, column, -std::int64_t(count));
    m_columnWidths.erase(m_columnWidths.begin() + column, m_columnWidths.begin() + column + count);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::insertRows(std::uint32_t row, double height, std::uint32_t count)
{
    QX_NEEDS_WRITE();
    if (row > m_rows) return Qxapp::eInvalidIndex;
    if (count == 0 || !(height > 0)) return Qxapp::eInvalidInput;
    resizeGrid(m_rows + count, m_columns, row, count, 0, 0);
    m_rowHeights.insert(m_rowHeights.begin() + row, count, height);
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::deleteRows(std::uint32_t row, std::uint32_t count)
{
    QX_NEEDS_WRITE();
    if (count == 0 || row >= m_rows || count > m_rows - row) return Qxapp::eInvalidIndex;
    if (count == m_rows) return Qxapp::eInvalidInput;  // a table keeps at least one row
    resizeGrid(m_rows - count, m_columns, row, -std::int64_t(count), 0, 0);
    m_rowHeights.erase(m_rowHeights.begin() + row, m_rowHeights.begin() + row + count);
    return Qxapp::eOk;
}

QxDb::CellType QxDbTable::cellType(std::uint32_t row, std::uint32_t column) const
{
    const Cell* c = cell(row, column);
    return c ? c->type : QxDb::kUnknownCell;
}

std::u16string QxDbTable::textString(std::uint32_t row, std::uint32_t column) const
{
    const Cell* c = cell(row, column);
    return c && c->type == QxDb::kTextCell ? c->text : std::u16string();
}

Qxapp::ErrorStatus QxDbTable::getTextString(std::uint32_t row, std::uint32_t column, std::u16string& text) const
{
    text.clear();
    const Cell* c = cell(row, column);
    if (!c) return Qxapp::eInvalidIndex;
    if (c->type == QxDb::kTextCell) text = c->text;
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::setTextString(std::uint32_t row, std::uint32_t column, const char16_t* text)
{
    QX_NEEDS_WRITE();
    Cell* c = mutableCell(row, column);
    if (!c) return Qxapp::eInvalidIndex;
    c->type = QxDb::kTextCell;
    c->text = text ? text : u"";
    c->block = QxDbObjectId::kNull;
    c->autoFit = false;
    return Qxapp::eOk;
}

QxDbObjectId QxDbTable::blockTableRecordId(std::uint32_t row, std::uint32_t column) const
{
    const Cell* c = cell(row, column);
    return c && c->type == QxDb::kBlockCell ? c->block : QxDbObjectId::kNull;
}

Qxapp::ErrorStatus QxDbTable::setBlockTableRecordId(std::uint32_t row, std::uint32_t column, QxDbObjectId block,
                                                    bool autoFit)
{
    QX_NEEDS_WRITE();
    Cell* c = mutableCell(row, column);
    if (!c) return Qxapp::eInvalidIndex;
    if (block.isNull()) return Qxapp::eNullObjectId;
    if (!QxDbBlockTableRecord::cast(qx::peekObject(block))) return Qxapp::eWrongObjectType;
    c->type = QxDb::kBlockCell;
    c->text.clear();
    c->block = block;
    c->autoFit = autoFit;
    return Qxapp::eOk;
}

bool QxDbTable::isAutoScale(std::uint32_t row, std::uint32_t column) const
{
    const Cell* c = cell(row, column);
    return c && c->type == QxDb::kBlockCell && c->autoFit;
}

QxDbObjectId QxDbTable::textStyle(std::uint32_t row, std::uint32_t column) const
{
    if (!cell(row, column)) return QxDbObjectId::kNull;
    const StyleValues v = styleValues();
    return v.textStyle[slotOf(rowType(v, row))];
}

double QxDbTable::textHeight(std::uint32_t row, std::uint32_t column) const
{
    if (!cell(row, column)) return 0;
    const StyleValues v = styleValues();
    return v.textHeight[slotOf(rowType(v, row))];
}

Qxapp::ErrorStatus QxDbTable::mergeCells(std::uint32_t minRow, std::uint32_t maxRow, std::uint32_t minColumn,
                                         std::uint32_t maxColumn)
{
    QX_NEEDS_WRITE();
    if (minRow > maxRow || minColumn > maxColumn || maxRow >= m_rows || maxColumn >= m_columns)
        return Qxapp::eInvalidIndex;
    if (minRow == maxRow && minColumn == maxColumn) return Qxapp::eOk;
    // A merge may swallow earlier merges whole, but not cut through one.
    std::vector<MergeRange> kept;
    for (const MergeRange& m : m_merges) {
        const bool disjoint = m.maxRow < minRow || m.minRow > maxRow || m.maxColumn < minColumn || m.minColumn > maxColumn;
        const bool inside = m.minRow >= minRow && m.maxRow <= maxRow && m.minColumn >= minColumn && m.maxColumn <= maxColumn;
        if (disjoint) kept.push_back(m);
        else if (!inside) return Qxapp::eInvalidInput;
    }
    kept.push_back({minRow, maxRow, minColumn, maxColumn});
    m_merges = std::move(kept);
    refreshMergeFlags();
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::unmergeCells(std::uint32_t minRow, std::uint32_t maxRow, std::uint32_t minColumn,
                                           std::uint32_t maxColumn)
{
    QX_NEEDS_WRITE();
    if (minRow > maxRow || minColumn > maxColumn || maxRow >= m_rows || maxColumn >= m_columns)
        return Qxapp::eInvalidIndex;
    std::erase_if(m_merges, [&](const MergeRange& m) {
        return !(m.maxRow < minRow || m.minRow > maxRow || m.maxColumn < minColumn || m.minColumn > maxColumn);
    });
    refreshMergeFlags();
    return Qxapp::eOk;
}

bool QxDbTable::isMergedCell(std::uint32_t row, std::uint32_t column, std::uint32_t* minRow, std::uint32_t* maxRow,
                             std::uint32_t* minColumn, std::uint32_t* maxColumn) const
{
    for (const MergeRange& m : m_merges) {
        if (row < m.minRow || row > m.maxRow || column < m.minColumn || column > m.maxColumn) continue;
        if (minRow) *minRow = m.minRow;
        if (maxRow) *maxRow = m.maxRow;
        if (minColumn) *minColumn = m.minColumn;
        if (maxColumn) *maxColumn = m.maxColumn;
        return true;
    }
    return false;
}

namespace {

// Number of lines a text takes when wrapped at word boundaries to `available` width.
std::size_t wrappedLineCount(const std::u16string& text, const QxGiTextStyle& style, double available)
{
    // One word on one line, as most cells of an extracted table hold, cannot wrap.
    if (text.find_first_of(u" \n") == std::u16string::npos) return 1;
    std::size_t lines = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t nl = text.find(u'\n', start);
        const std::u16string paragraph = text.substr(start, nl == std::u16string::npos ? nl : nl - start);
        ++lines;
        if (available > 0) {
            std::u16string line;
            std::size_t pos = 0;
            while (pos < paragraph.size()) {
                std::size_t end = paragraph.find(u' ', pos);
                if (end == std::u16string::npos) end = paragraph.size();
                const std::u16string word = paragraph.substr(pos, end - pos);
                const std::u16string candidate = line.empty() ? word : line + u' ' + word;
                if (!line.empty() && style.extents(candidate.c_str(), true, -1, false).x > available) {
                    ++lines;  // the word starts a new line; a word wider than the cell stays whole
                    line = word;
                } else {
                    line = candidate;
                }
                pos = end + 1;
            }
        }
        if (nl == std::u16string::npos) break;
        start = nl + 1;
    }
    return lines;
}

}  // namespace

// Each row becomes as high as its text needs: at least 4/3 of the text height plus the two
// vertical margins, and more when a text wraps onto several lines of its column (lines are
// 5/3 of the text height apart).
Qxapp::ErrorStatus QxDbTable::generateLayout()
{
    QX_NEEDS_WRITE();
    const StyleValues v = styleValues();
    // The text style of each row type, made once rather than for each of many rows.
    QxGiTextStyle styles[3];
    for (int slot = 0; slot < 3; ++slot) {
        fromQxDbTextStyle(styles[slot], v.textStyle[slot]);
        styles[slot].setTextSize(v.textHeight[slot]);
    }
    for (std::uint32_t r = 0; r < m_rows; ++r) {
        const int slot = slotOf(rowType(v, r));
        const double h = v.textHeight[slot];
        double need = 4.0 / 3.0 * h + 2 * v.vertMargin;
        const QxGiTextStyle& style = styles[slot];
        for (std::uint32_t c = 0; c < m_columns; ++c) {
            const Cell* cl = cell(r, c);
            if (cl->merged || cl->rowSpan > 1 || cl->type != QxDb::kTextCell || cl->text.empty()) continue;
            double width = 0;
            for (std::uint32_t k = c; k < c + cl->columnSpan && k < m_columns; ++k) width += m_columnWidths[k];
            const std::size_t lines = wrappedLineCount(cl->text, style, width - 2 * v.horzMargin);
            need = std::max(need, h + (lines - 1) * 5.0 / 3.0 * h + 2 * v.vertMargin);
        }
        m_rowHeights[r] = need;
    }
    return Qxapp::eOk;
}

Qxapp::ErrorStatus QxDbTable::recomputeTableBlock(bool /*forceUpdate*/)
{
    QX_NEEDS_WRITE();
    for (const Cell& c : m_cells)
        if (c.type == QxDb::kBlockCell && (c.block.isNull() || c.block.isErased())) return Qxapp::eWasErased;
    return Qxapp::eOk;
}

// The position is the table's top-left corner; rows go down, columns to the right.
Qxapp::ErrorStatus QxDbTable::getGeomExtents(QxDbExtents& extents) const
{
    const double c = std::cos(rotation()), s = std::sin(rotation());
    const QxGePoint3d origin = position();
    bool empty = true;
    for (double x : {0.0, width()})
        for (double y : {-height(), 0.0}) qx::geom::growExtents(extents, empty, origin + QxGeVector3d(x * c - y * s, x * s + y * c, 0));
    return Qxapp::eOk;
}

QxDbObject* QxDbTable::clone() const
{
    auto* copy = new QxDbTable;
    copyReferenceDataTo(*copy);
    // The graphics block belongs to this table: a copy is drawn with a block of its own.
    copy->QxDbBlockReference::setBlockTableRecord(QxDbObjectId::kNull);
    copy->m_tableStyle = m_tableStyle;
    copy->m_rows = m_rows;
    copy->m_columns = m_columns;
    copy->m_cells = m_cells;
    copy->m_rowHeights = m_rowHeights;
    copy->m_columnWidths = m_columnWidths;
    copy->m_merges = m_merges;
    return copy;
}
