// The table entity as other programs read it: the ACAD_TABLE record with its cell list for the
// file's version, and the graphics of its anonymous block (grid lines, cell texts, block cells
// as references), which is all that programs without table support show.
#include <algorithm>
#include <cmath>

#include "cad/dxf/dxf_entities.h"
#include "cad/dxf/dxf_export.h"
#include "cad/dxf/dxf_names.h"
#include "dbsymbols.h"
#include "dbtable.h"

namespace qx::dxf {

namespace {

// Writes the entity data shared by every kind straight into a record, in the order given.
class BuilderSink : public FieldSink {
public:
    explicit BuilderSink(RecordBuilder& builder) : m_builder(builder) {}
    void text(int, int code, std::u16string_view value, TextRole role) override { m_builder.text(code, value, role); }
    void real(int, int code, double value) override { m_builder.real(code, value); }
    void integer(int, int code, std::int64_t value) override { m_builder.integer(code, value); }
    void handle(int, int code, std::uint64_t value) override { m_builder.handle(code, value); }

private:
    RecordBuilder& m_builder;
};

// Writes an entity inside the table's block; its colour and linetype follow the table.
void blockEntityHead(RecordBuilder& b, std::string_view type, std::uint64_t handle, std::uint64_t blockRecord)
{
    b.raw(0, type).handle(5, handle).handle(330, blockRecord).raw(100, "AcDbEntity").raw(8, "0");
}

void gridLine(RecordBuilder& b, HandleSource& handles, std::uint64_t blockRecord, double x1, double y1, double x2, double y2)
{
    blockEntityHead(b, "LINE", handles.next(), blockRecord);
    b.raw(6, "ByBlock").integer(62, 0).integer(370, -2).raw(100, "AcDbLine");
    b.point(10, x1, y1, 0).point(11, x2, y2, 0);
}

// The extents of a block's entities in the block's own coordinates. References inside count by
// their insertion point only: blocks nested in blocks can multiply without end, and fitting a
// block into a cell does not need that precision.
bool blockExtents(QxDbObjectId block, QxDbExtents& extents)
{
    const auto* record = QxDbBlockTableRecord::cast(qx::peekObject(block));
    if (!record) return false;
    bool any = false;
    for (QxDbObjectId id : record->entityIds()) {
        const auto* entity = QxDbEntity::cast(qx::peekObject(id));
        QxDbExtents e;
        if (!entity || id.isErased()) continue;
        if (const auto* reference = QxDbBlockReference::cast(entity)) {
            e.minPoint = e.maxPoint = reference->position();
        } else if (entity->getGeomExtents(e) != Qxapp::eOk) {
            continue;
        }
        if (!any) extents = e;
        extents.minPoint = {std::min(extents.minPoint.x, e.minPoint.x), std::min(extents.minPoint.y, e.minPoint.y), 0};
        extents.maxPoint = {std::max(extents.maxPoint.x, e.maxPoint.x), std::max(extents.maxPoint.y, e.maxPoint.y), 0};
        any = true;
    }
    return any;
}

// A cell's formatted text in pieces under `chunkCode` and the rest under `lastCode`.
void writeChunks(RecordBuilder& b, int chunkCode, int lastCode, std::u16string_view text)
{
    formattedPieces(text, chunkCode, lastCode, [&](int code, std::u16string_view piece) { b.text(code, piece, TextRole::Verbatim); });
}

struct CellBox {
    std::uint32_t row, column, rows, columns;
    double left, top, width, height;
};

bool isBlockCell(const QxDbTable::Cell* cell) { return cell && cell->type == QxDb::kBlockCell && !cell->block.isNull(); }

// One cell's pairs in the table record; `cell` is null where the table has none.
void writeCell(RecordBuilder& t, const QxDbTable::Cell* cell, bool newer)
{
    const bool block = isBlockCell(cell);
    const bool covered = cell && cell->merged;
    const std::uint32_t columnSpan = cell && !covered ? cell->columnSpan : 1;
    const std::uint32_t rowSpan = cell && !covered ? cell->rowSpan : 1;
    t.integer(171, block ? 2 : 1).integer(172, 0).integer(173, covered ? 1 : 0).integer(174, block && cell->autoFit ? 1 : 0);
    t.integer(175, columnSpan).integer(176, rowSpan);
    t.integer(newer ? 91 : 177, 0).integer(178, 0).real(145, 0);
    if (block) t.handle(340, handleOf(cell->block)).real(144, 1.0);
    const std::u16string_view text = cell && !covered && !block ? std::u16string_view(cell->text) : std::u16string_view();
    if (newer) {
        // The value and the displayed text are the same string: escaped and encoded once.
        const std::string bytes = text.empty() ? std::string() : t.style().encoding.encode(escapeText(text, TextRole::Formatted));
        t.integer(92, 0).raw(301, "CELL_VALUE");
        if (text.empty()) {
            t.integer(93, 3).integer(90, 0).integer(91, 0);
        } else {
            t.integer(93, 2).integer(90, 4).raw(1, bytes);
        }
        t.integer(94, 0).raw(300, "").raw(302, bytes).raw(304, "ACVALUE_END");
    } else if (!block) {
        writeChunks(t, 2, 1, text);
    }
}

// How much text the cells hold. The graphics and the record of a large table are hundreds of
// megabytes; a string grown by doubling would copy them again and again, so room is reserved
// from these counts. Reserving more than is used costs little: pages never written are never
// touched.
struct CellTotals {
    std::size_t texts = 0;  // cells with a text
    std::size_t units = 0;  // their UTF-16 units
};

CellTotals totalsOf(const QxDbTable& table)
{
    CellTotals totals;
    for (std::uint32_t r = 0; r < table.numRows(); ++r)
        for (std::uint32_t c = 0; c < table.numColumns(); ++c)
            if (const QxDbTable::Cell* cell = table.cell(r, c); cell && !cell->text.empty()) {
                ++totals.texts;
                totals.units += cell->text.size();
            }
    return totals;
}

// Generous sizes of the records: a UTF-16 unit takes at most 3 bytes (\U+XXXX escapes 7 for
// two), and the rest of an MTEXT or LINE record stays under these counts.
constexpr std::size_t kBytesPerUnit = 4, kTextRecordBytes = 384, kLineRecordBytes = 256, kCellTextBytes = 96;

// The cells of the table record, row by row. Most cells of a large table are empty, and the
// pairs of an empty cell never vary: they are made once and copied.
void writeCells(RecordBuilder& t, const QxDbTable& table, const CellTotals& totals, bool newer)
{
    auto pairsOf = [&](const QxDbTable::Cell* cell) {
        RecordBuilder b(t.style());
        writeCell(b, cell, newer);
        return b.take();
    };
    QxDbTable::Cell coveredCell;
    coveredCell.merged = true;
    const std::string emptyCell[2] = {pairsOf(nullptr), pairsOf(&coveredCell)};  // not covered, covered
    // At least as much as empty cells take: a record of hundreds of megabytes is not grown by
    // copying it again and again.
    t.reserveMore(std::size_t(table.numRows()) * table.numColumns() * emptyCell[0].size() +
                  totals.texts * kCellTextBytes + 2 * kBytesPerUnit * totals.units);
    for (std::uint32_t r = 0; r < table.numRows(); ++r) {
        for (std::uint32_t c = 0; c < table.numColumns(); ++c) {
            const QxDbTable::Cell* cell = table.cell(r, c);
            const bool covered = cell && cell->merged;
            const bool alike = !isBlockCell(cell) &&
                               (covered || !cell || (cell->text.empty() && cell->rowSpan == 1 && cell->columnSpan == 1));
            if (!alike) {
                writeCell(t, cell, newer);
                continue;
            }
            t.pairs(emptyCell[covered ? 1 : 0]);
        }
    }
}

// Names of text styles by id, remembered: a table's cells share a few styles.
class StyleNames {
public:
    const std::u16string& of(QxDbObjectId id)
    {
        if (!m_known || id != m_id) m_id = id, m_name = nameOf(id), m_known = true;
        return m_name;
    }

private:
    bool m_known = false;
    QxDbObjectId m_id;
    std::u16string m_name;
};

}  // namespace

TableRecords writeTable(const QxDbTable& table, std::uint64_t tableHandle, std::uint64_t owner, std::uint64_t blockRecord,
                        const std::u16string& blockName, const WriteStyle& style, int version, HandleSource& handles)
{
    TableRecords out;
    const std::uint32_t rows = table.numRows(), columns = table.numColumns();
    std::vector<double> top(rows + 1, 0), left(columns + 1, 0);
    for (std::uint32_t r = 0; r < rows; ++r) top[r + 1] = top[r] - table.rowHeight(r);
    for (std::uint32_t c = 0; c < columns; ++c) left[c + 1] = left[c] + table.columnWidth(c);
    const auto* tableStyle = QxDbTableStyle::cast(qx::peekObject(table.tableStyle()));
    const double hMargin = tableStyle ? tableStyle->horzCellMargin() : 1.5;
    const double vMargin = tableStyle ? tableStyle->vertCellMargin() : 1.5;

    auto boxOf = [&](std::uint32_t r, std::uint32_t c) {
        std::uint32_t r0 = r, r1 = r, c0 = c, c1 = c;
        table.isMergedCell(r, c, &r0, &r1, &c0, &c1);
        return CellBox{r0, c0, r1 - r0 + 1, c1 - c0 + 1, left[c0], top[r0], left[c1 + 1] - left[c0], top[r0] - top[r1 + 1]};
    };

    // Grid: each horizontal border as segments between cells that are not merged across it,
    // and the same for the vertical ones.
    RecordBuilder g(style);
    const CellTotals totals = totalsOf(table);
    g.reserveMore((std::size_t(rows) + columns + 2) * 2 * kLineRecordBytes + totals.texts * kTextRecordBytes +
                  kBytesPerUnit * totals.units);
    for (std::uint32_t r = 0; r <= rows; ++r) {
        for (std::uint32_t c = 0; c < columns;) {
            std::uint32_t end = c;
            auto crosses = [&](std::uint32_t col) {
                if (r == 0 || r == rows) return false;
                const CellBox a = boxOf(r - 1, col), b = boxOf(r, col);
                return a.row == b.row && a.column == b.column;
            };
            if (crosses(c)) {
                ++c;
                continue;
            }
            while (end + 1 < columns && !crosses(end + 1)) ++end;
            gridLine(g, handles, blockRecord, left[c], top[r], left[end + 1], top[r]);
            c = end + 1;
        }
    }
    for (std::uint32_t c = 0; c <= columns; ++c) {
        for (std::uint32_t r = 0; r < rows;) {
            auto crosses = [&](std::uint32_t row) {
                if (c == 0 || c == columns) return false;
                const CellBox a = boxOf(row, c - 1), b = boxOf(row, c);
                return a.row == b.row && a.column == b.column;
            };
            if (crosses(r)) {
                ++r;
                continue;
            }
            std::uint32_t end = r;
            while (end + 1 < rows && !crosses(end + 1)) ++end;
            gridLine(g, handles, blockRecord, left[c], top[r], left[c], top[end + 1]);
            r = end + 1;
        }
    }

    // Contents: one text or reference per cell that is not covered by a merge.
    StyleNames styleNames;
    for (std::uint32_t r = 0; r < rows; ++r) {
        const QxDb::RowType type = table.rowType(r);
        for (std::uint32_t c = 0; c < columns; ++c) {
            const QxDbTable::Cell* cell = table.cell(r, c);
            if (!cell || cell->merged) continue;
            const CellBox box = boxOf(r, c);
            if (cell->type == QxDb::kBlockCell && !cell->block.isNull()) {
                QxDbExtents e;
                double scale = 1, cx = 0, cy = 0;
                if (blockExtents(cell->block, e)) {
                    const double w = e.maxPoint.x - e.minPoint.x, h = e.maxPoint.y - e.minPoint.y;
                    const double room = std::max(0.0, box.width - 2 * hMargin), roomH = std::max(0.0, box.height - 2 * vMargin);
                    if (w > 0 && h > 0) scale = std::min(room / w, roomH / h);
                    else if (w > 0) scale = room / w;
                    else if (h > 0) scale = roomH / h;
                    if (!(scale > 0)) scale = 1;
                    cx = (e.minPoint.x + e.maxPoint.x) / 2, cy = (e.minPoint.y + e.maxPoint.y) / 2;
                }
                blockEntityHead(g, "INSERT", handles.next(), blockRecord);
                g.raw(100, "AcDbBlockReference").name(2, nameOf(cell->block));
                g.point(10, box.left + box.width / 2 - cx * scale, box.top - box.height / 2 - cy * scale, 0);
                g.real(41, scale).real(42, scale).real(43, scale);
                continue;
            }
            if (cell->text.empty()) continue;
            const bool centred = type == QxDb::kTitleRow || type == QxDb::kHeaderRow;
            const double x = box.left + box.width / 2;
            const double y = centred ? box.top - box.height / 2 : box.top - vMargin;
            blockEntityHead(g, "MTEXT", handles.next(), blockRecord);
            g.integer(62, 0).raw(100, "AcDbMText").point(10, x, y, 0);
            g.real(40, table.textHeight(r, c)).real(41, std::max(0.0, box.width - 2 * hMargin));
            g.integer(71, centred ? 5 : 2).integer(72, 5);
            writeChunks(g, 3, 1, cell->text);
            const QxDbObjectId textStyle = table.textStyle(r, c);
            if (!textStyle.isNull()) g.name(7, styleNames.of(textStyle));
        }
    }
    out.entities = g.take();

    // The table record itself.
    RecordBuilder t(style);
    const QxGePoint3d p = table.position();
    t.raw(0, "ACAD_TABLE").handle(5, tableHandle).handle(330, owner).raw(100, "AcDbEntity");
    BuilderSink common(t);
    writeCommonFields(table, common);
    t.raw(100, "AcDbBlockReference").name(2, blockName).point(10, p.x, p.y, p.z);
    t.raw(100, "AcDbTable").handle(342, handleOf(table.tableStyle())).handle(343, blockRecord);
    t.point(11, std::cos(table.rotation()), std::sin(table.rotation()), 0);
    t.integer(90, 22).integer(91, rows).integer(92, columns);
    for (int flag = 93; flag <= 96; ++flag) t.integer(flag, 0);
    for (std::uint32_t r = 0; r < rows; ++r) t.real(141, table.rowHeight(r));
    for (std::uint32_t c = 0; c < columns; ++c) t.real(142, table.columnWidth(c));
    writeCells(t, table, totals, version >= 1021);
    out.xdataSize = writeXData(t, xdataOf(table));
    out.table = t.take();
    return out;
}

std::string writeTableStyle(const QxDbTableStyle& style, std::uint64_t handle, std::uint64_t owner, const WriteStyle& writeStyle)
{
    RecordBuilder b(writeStyle);
    b.raw(0, "TABLESTYLE").handle(5, handle).raw(102, "{ACAD_REACTORS").handle(330, owner).raw(102, "}");
    b.handle(330, owner).raw(100, "AcDbTableStyle");
    b.raw(3, "Standard").integer(70, 0).integer(71, 0);
    b.real(40, style.horzCellMargin()).real(41, style.vertCellMargin());
    b.integer(280, style.isTitleSuppressed() ? 1 : 0).integer(281, style.isHeaderSuppressed() ? 1 : 0);
    // Data, title and header rows in this order, each with its text style, height, alignment
    // (top centre for data, middle centre for title and header) and six borders.
    static constexpr QxDb::RowType kRows[] = {QxDb::kDataRow, QxDb::kTitleRow, QxDb::kHeaderRow};
    for (QxDb::RowType row : kRows) {
        const std::u16string styleName = nameOf(style.textStyle(row));
        b.name(7, styleName.empty() ? u"Standard" : styleName).real(140, style.textHeight(row));
        b.integer(170, row == QxDb::kDataRow ? 2 : 5).integer(62, 0).integer(63, 257).integer(283, 0);
        b.integer(90, 4).integer(91, 0).raw(1, "");
        for (int k = 0; k < 6; ++k) b.integer(274 + k, -2).integer(284 + k, 1).integer(64 + k, 0);
    }
    return b.take();
}

}  // namespace qx::dxf
