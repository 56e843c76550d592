// The table entity and its table style.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbentities.h"

namespace QxDb {
enum RowType { kUnknownRow = 0, kDataRow = 1, kTitleRow = 2, kHeaderRow = 4 };
enum CellType { kUnknownCell = 0, kTextCell = 1, kBlockCell = 2 };
}  // namespace QxDb

// A table style: per row type a text style and a text height, and the cell margins.
class QxDbTableStyle : public QxDbObject {
    QX_RX_DECLARE_MEMBERS(QxDbTableStyle)
public:
    QxDbObjectId textStyle(QxDb::RowType rowType = QxDb::kDataRow) const;
    Qxapp::ErrorStatus setTextStyle(QxDbObjectId style, int rowTypes = QxDb::kDataRow | QxDb::kTitleRow | QxDb::kHeaderRow);
    double textHeight(QxDb::RowType rowType = QxDb::kDataRow) const;
    Qxapp::ErrorStatus setTextHeight(double height, int rowTypes);
    double horzCellMargin() const { return m_horzMargin; }
    double vertCellMargin() const { return m_vertMargin; }
    Qxapp::ErrorStatus setHorzCellMargin(double margin);
    Qxapp::ErrorStatus setVertCellMargin(double margin);
    bool isTitleSuppressed() const { return m_titleSuppressed; }
    bool isHeaderSuppressed() const { return m_headerSuppressed; }
    Qxapp::ErrorStatus suppressTitleRow(bool suppress);
    Qxapp::ErrorStatus suppressHeaderRow(bool suppress);

private:
    QxDbObjectId m_textStyle[3];  // data, title, header
    double m_textHeight[3] = {4.5, 6.0, 4.5};
    double m_horzMargin = 1.5, m_vertMargin = 1.5;
    bool m_titleSuppressed = false, m_headerSuppressed = false;
};

// A table: a block reference whose block shows a grid of cells. Row 0 is the title row and
// row 1 the header row unless the style suppresses them; cells take their text style and
// height from the style by row type. Operations on cells outside the table fail with
// eInvalidIndex.
class QxDbTable : public QxDbBlockReference {
    QX_RX_DECLARE_MEMBERS(QxDbTable)
public:
    QxDbTable();
    ~QxDbTable() override;

    QxDbObjectId tableStyle() const { return m_tableStyle; }
    Qxapp::ErrorStatus setTableStyle(QxDbObjectId style);

    std::uint32_t numRows() const { return m_rows; }
    std::uint32_t numColumns() const { return m_columns; }
    Qxapp::ErrorStatus setSize(std::uint32_t rows, std::uint32_t columns);
    Qxapp::ErrorStatus setNumRows(std::uint32_t rows);
    Qxapp::ErrorStatus setNumColumns(std::uint32_t columns);
    QxDb::RowType rowType(std::uint32_t row) const;

    double columnWidth(std::uint32_t column) const;
    Qxapp::ErrorStatus setColumnWidth(std::uint32_t column, double width);
    Qxapp::ErrorStatus setColumnWidth(double width);  // every column
    double rowHeight(std::uint32_t row) const;
    Qxapp::ErrorStatus setRowHeight(std::uint32_t row, double height);
    Qxapp::ErrorStatus setRowHeight(double height);  // every row
    double width() const;
    double height() const;

    Qxapp::ErrorStatus insertColumns(std::uint32_t column, double width, std::uint32_t count = 1);
    Qxapp::ErrorStatus deleteColumns(std::uint32_t column, std::uint32_t count = 1);
    Qxapp::ErrorStatus insertRows(std::uint32_t row, double height, std::uint32_t count = 1);
    Qxapp::ErrorStatus deleteRows(std::uint32_t row, std::uint32_t count = 1);

    QxDb::CellType cellType(std::uint32_t row, std::uint32_t column) const;
    std::u16string textString(std::uint32_t row, std::uint32_t column) const;  // empty outside
    Qxapp::ErrorStatus getTextString(std::uint32_t row, std::uint32_t column, std::u16string& text) const;
    Qxapp::ErrorStatus setTextString(std::uint32_t row, std::uint32_t column, const char16_t* text);
    QxDbObjectId blockTableRecordId(std::uint32_t row, std::uint32_t column) const;
    Qxapp::ErrorStatus setBlockTableRecordId(std::uint32_t row, std::uint32_t column, QxDbObjectId block,
                                             bool autoFit = false);
    bool isAutoScale(std::uint32_t row, std::uint32_t column) const;
    QxDbObjectId textStyle(std::uint32_t row, std::uint32_t column) const;
    double textHeight(std::uint32_t row, std::uint32_t column) const;

    // Merges the cells of a rectangle into its top-left cell.
    Qxapp::ErrorStatus mergeCells(std::uint32_t minRow, std::uint32_t maxRow, std::uint32_t minColumn,
                                  std::uint32_t maxColumn);
    Qxapp::ErrorStatus unmergeCells(std::uint32_t minRow, std::uint32_t maxRow, std::uint32_t minColumn,
                                    std::uint32_t maxColumn);
    // The merged rectangle a cell belongs to; false when the cell is not merged.
    bool isMergedCell(std::uint32_t row, std::uint32_t column, std::uint32_t* minRow = nullptr,
                      std::uint32_t* maxRow = nullptr, std::uint32_t* minColumn = nullptr,
                      std::uint32_t* maxColumn = nullptr) const;

    // Grows rows to fit their contents. Needs the table open for write.
    Qxapp::ErrorStatus generateLayout();
    // Brings the table's graphics up to date with its cells. The drawing-file writer draws
    // them (an anonymous "*T" block) from the cells; here the cells are checked.
    Qxapp::ErrorStatus recomputeTableBlock(bool forceUpdate = true);

    Qxapp::ErrorStatus getGeomExtents(QxDbExtents& extents) const override;
    QxDbObject* clone() const override;

    struct Cell {
        QxDb::CellType type = QxDb::kTextCell;
        std::u16string text;
        QxDbObjectId block;
        bool autoFit = false;
        bool merged = false;  // covered by another cell's merge
        std::uint32_t rowSpan = 1, columnSpan = 1;
    };
    const Cell* cell(std::uint32_t row, std::uint32_t column) const;

private:
    struct MergeRange {
        std::uint32_t minRow, maxRow, minColumn, maxColumn;
    };
    struct StyleValues;
    StyleValues styleValues() const;
    Cell* mutableCell(std::uint32_t row, std::uint32_t column);
    static QxDb::RowType rowType(const StyleValues& values, std::uint32_t row);
    static double defaultRowHeight(const StyleValues& values, std::uint32_t row);
    void resizeGrid(std::uint32_t rows, std::uint32_t columns, std::uint32_t rowAt, std::int64_t rowShift,
                    std::uint32_t columnAt, std::int64_t columnShift);
    void refreshMergeFlags();
    QxDbObjectId m_tableStyle;
    std::uint32_t m_rows = 0, m_columns = 0;
    std::vector<Cell> m_cells;  // row by row
    std::vector<double> m_rowHeights, m_columnWidths;
    std::vector<MergeRange> m_merges;
};
