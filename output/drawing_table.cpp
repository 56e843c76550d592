// The extraction table as a table entity of the drawing.
#include "output/drawing_table.h"

#include <algorithm>
#include <unordered_map>

#include "host/database.h"
#include "host/editor.h"
#include "host/gi.h"
#include "host/ui.h"
#include "module/strings.h"
#include "resources/string_ids.h"

namespace {

// The table operations report their failures with fixed texts, as they always have.
constexpr const char16_t* kCellContentError = u"Error adding content into a table cell";
constexpr const char16_t* kColumnFitError = u"Error to fit content into a table column";
constexpr const char16_t* kTableUpdateError = u"Error updating table";

void PrintFixed(const char16_t* text) { qxutPrintf(u"%s", text); }

// Measures texts in the cells' own style; consecutive cells mostly share a style and height,
// so the style is only read again when they change. A column repeats its texts (layers,
// colours, counts): each text is measured once per style, as measuring lays out every glyph.
class CellTextMeasure {
public:
    double width(const QxDbTable* pTbl, std::uint32_t r, std::uint32_t c)
    {
        std::u16string text = pTbl->textString(r, c);
        if (text.empty()) return 0.0;
        const QxDbObjectId styleId = pTbl->textStyle(r, c);
        const double height = pTbl->textHeight(r, c);
        if (!m_valid || styleId != m_styleId || height != m_height) {
            m_style = QxGiTextStyle();
            fromQxDbTextStyle(m_style, styleId);
            m_style.setTextSize(height);
            m_styleId = styleId;
            m_height = height;
            m_valid = true;
            m_widths.clear();
        }
        const auto known = m_widths.find(text);
        if (known != m_widths.end()) return known->second;
        const double w = m_style.extents(text.c_str(), true, -1, false, nullptr).x;
        m_widths.emplace(std::move(text), w);
        return w;
    }

private:
    QxGiTextStyle m_style;
    QxDbObjectId m_styleId;
    double m_height = 0.0;
    bool m_valid = false;
    std::unordered_map<std::u16string, double> m_widths;  // in the current style and height
};

// Fits columns 0 to nCols-1 to the texts of rows 1 to nRows-1 (the title spreads over its
// merged row and never widens a column). False after a column that could not be sized.
bool FitColumns(QxDbTable* pTbl, std::uint32_t nRows, std::uint32_t nCols)
{
    CellTextMeasure measure;
    for (std::uint32_t c = 0; c < nCols; ++c) {
        double w = 0.0;
        // Past the widest fitted text, no other text of the column can change its width.
        for (std::uint32_t r = 1; r < nRows && w < kMaxFittedWidth; ++r) {
            const double textWidth = measure.width(pTbl, r, c);
            w = w == 0.0 ? textWidth : std::max(w, textWidth);
        }
        if (w == 0.0) w = kEmptyColumnWidth;
        if (pTbl->setColumnWidth(c, std::min(w, kMaxFittedWidth) * kColumnMarginFactor) != Qxapp::eOk) {
            PrintFixed(kColumnFitError);
            return false;
        }
    }
    return true;
}

void FitColumnsAndRecompute(QxDbTable* pTbl, std::uint32_t nRows, std::uint32_t nCols)
{
    if (!FitColumns(pTbl, nRows, nCols)) return;
    if (pTbl->recomputeTableBlock(true) != Qxapp::eOk) PrintFixed(kTableUpdateError);
}

// The table-data row that table row r (1 and on) shows.
std::size_t DataRowOfTableRow(const TableInsertion& insertion, std::uint32_t r)
{
    const std::size_t entry = r - 1;
    if (entry < insertion.veRowOrder.size() && insertion.veRowOrder[entry] >= 0)
        return static_cast<std::size_t>(insertion.veRowOrder[entry]);
    return entry + (insertion.bDisplayHeader ? 0 : 1);
}

}  // namespace

Qxapp::ErrorStatus SetPreviewBlock(QxDbTable* pTbl, std::uint32_t r, std::uint32_t c, const std::u16string& csHandle,
                                   const BlockIdMap& mpBlockIds)
{
    if (csHandle.empty()) return Qxapp::eOk;
    const auto it = mpBlockIds.find(csHandle);
    if (it == mpBlockIds.end()) return Qxapp::eOk;
    return pTbl->setBlockTableRecordId(r, c, it->second, true);
}

void PrintCellContentError() { PrintFixed(kCellContentError); }

QxDbObjectId& LastInsertedTable()
{
    static QxDbObjectId idLastTable;
    return idLastTable;
}

void SetCmdEcho(bool on)
{
    qxresbuf value{};
    value.restype = QXRT_SHORT;
    value.resval.rint = on ? 1 : 0;
    qxedSetVar(u"CMDECHO", &value);
}

QxGeMatrix3d UcsToWorldMatrix(const QxGeMatrix3d& transform, const QxGePoint3d& origin, const QxGeVector3d& xDir,
                              const QxGeVector3d& yDir, bool makeCurrent)
{
    QxGeVector3d xAxis = xDir, yAxis = yDir;
    QxGeVector3d zAxis = xAxis.crossProduct(yAxis);
    xAxis.normalize(QxGeContext::gTol);
    yAxis.normalize(QxGeContext::gTol);
    zAxis.normalize(QxGeContext::gTol);
    QxGePoint3d at = origin;
    at.transformBy(transform);
    xAxis.transformBy(transform);
    yAxis.transformBy(transform);
    zAxis.transformBy(transform);
    QxGeMatrix3d matx;
    matx.setCoordSystem(at, xAxis, yAxis, zAxis);
    if (makeCurrent) qxedSetCurrentUCS(matx);
    return matx;
}

namespace {
// CMDECHO as the user had it, so that it can be given back after the pick.
bool CmdEchoIsOn()
{
    qxresbuf value{};
    if (qxedGetVar(u"CMDECHO", &value) != QXRT_NORM) return true;
    return value.resval.rint != 0;
}
}  // namespace

int PickAndInsertTable(CPnUiBaseDialog& page, const TableInsertion& insertion)
{
    const bool bEchoBefore = CmdEchoIsOn();
    SetCmdEcho(false);
    page.BeginEditorCommand();
    double picked[3] = {0, 0, 0};
    const std::u16string prompt = LoadResString(kIdsInsertionPointPrompt);
    const int nInsertStatus = qxedGetPoint(nullptr, prompt.c_str(), picked);
    if (nInsertStatus != QXRT_NORM) {
        page.CancelEditorCommand();
        SetCmdEcho(bEchoBefore);
        return nInsertStatus;
    }
    page.CompleteEditorCommand(true);

    QxGeMatrix3d matx;
    if (QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase())
        matx = UcsToWorldMatrix(QxGeMatrix3d::kIdentity, db->ucsorg(), db->ucsxdir(), db->ucsydir(), false);
    QxGePoint3d insPoint(picked[0], picked[1], picked[2]);
    insPoint.transformBy(matx);
    LastInsertedTable() = InsertTable(insertion, insPoint);
    SetCmdEcho(bEchoBefore);
    return nInsertStatus;
}

QxDbObjectId InsertTable(const TableInsertion& insertion, const QxGePoint3d& insPoint)
{
    QxDbDatabase* db = qxdbHostApplicationServices()->workingDatabase();
    if (!db) return QxDbObjectId::kNull;
    auto* pTbl = new QxDbTable;

    QxDbObjectId styleId;
    QxDbDictionary* pStyles = nullptr;
    if (db->getTableStyleDictionary(pStyles, QxDb::kForRead) == Qxapp::eOk) {
        pStyles->getAt(u"Standard", styleId);
        pStyles->close();
    }
    pTbl->setTableStyle(styleId);

    FillTable(insertion, pTbl);
    pTbl->generateLayout();
    pTbl->setPosition(insPoint);

    // Model space names the entity it appended: no guessing which entity came last.
    QxDbObjectId tblId;
    bool bAppended = false;
    QxDbBlockTable* pBlocks = nullptr;
    if (db->getSymbolTable(pBlocks, QxDb::kForRead) == Qxapp::eOk) {
        QxDbBlockTableRecord* pModel = nullptr;
        const Qxapp::ErrorStatus es = pBlocks->getAt(QXDB_MODEL_SPACE, pModel, QxDb::kForWrite);
        pBlocks->close();
        if (es == Qxapp::eOk) {
            bAppended = pModel->appendQxDbEntity(tblId, pTbl) == Qxapp::eOk;
            pModel->close();
        }
    }
    if (!bAppended) {
        // Nobody owns a table that model space refused.
        delete pTbl;
        return QxDbObjectId::kNull;
    }
    pTbl->close();
    return tblId;
}

void FillTable(const TableInsertion& insertion, QxDbTable* pTbl)
{
    if (!insertion.veTableDataOut || insertion.veTableDataOut->empty() || insertion.veHeaderOrder.empty()) return;
    const TableData& rows = *insertion.veTableDataOut;
    const TableRow& header = rows.front();
    const std::size_t nDataRows = rows.size() - (insertion.bDisplayHeader ? 0 : 1);
    const auto nRows = static_cast<std::uint32_t>(nDataRows + 1);
    const auto nCols = static_cast<std::uint32_t>(insertion.veHeaderOrder.size());

    pTbl->setSize(nRows, nCols);
    pTbl->setColumnWidth(kInitialColumnWidth);
    pTbl->mergeCells(0, 0, 0, nCols - 1);

    if (pTbl->setTextString(0, 0, insertion.csTbTitle.c_str()) != Qxapp::eOk) {
        PrintCellContentError();
        return;
    }
    for (std::uint32_t r = 1; r < nRows; ++r) {
        const std::size_t i = DataRowOfTableRow(insertion, r);
        static const TableRow noRow;
        const TableRow& row = i < rows.size() ? rows[i] : noRow;
        for (std::uint32_t c = 0; c < nCols; ++c) {
            const int k = insertion.veHeaderOrder[c];
            if (k < 0) continue;
            const auto column = static_cast<std::size_t>(k);
            if (column >= insertion.vecIncludeCols.size() || !insertion.vecIncludeCols[column]) continue;
            const std::u16string& csContent = CellOf(row, column);
            Qxapp::ErrorStatus es;
            const bool bHeaderLine = r == 1 && insertion.bDisplayHeader;
            const TableRow& names = insertion.lsColNames ? *insertion.lsColNames : header;
            if (CellOf(names, column) == insertion.csBlockPreviewName && !bHeaderLine) {
                static const BlockIdMap noBlocks;
                es = SetPreviewBlock(pTbl, r, c, CellOf(row, 0),
                                     insertion.lsBlockTbRecId ? *insertion.lsBlockTbRecId : noBlocks);
            } else {
                es = pTbl->setTextString(r, c, CellText(csContent).c_str());
            }
            if (es != Qxapp::eOk) {
                PrintCellContentError();
                return;
            }
        }
    }
    FitColumnsAndRecompute(pTbl, nRows, nCols);
}

std::uint64_t InsertedTexts(const TableInsertion& insertion)
{
    if (!insertion.veTableDataOut) return 0;
    const TableData& rows = *insertion.veTableDataOut;
    std::uint64_t nTexts = 0;
    for (std::uint32_t r = 1; r <= insertion.veRowOrder.size(); ++r) {
        const std::size_t i = DataRowOfTableRow(insertion, r);
        if (i >= rows.size()) continue;
        for (const int k : insertion.veHeaderOrder) {
            const auto column = static_cast<std::size_t>(k);
            if (k >= 0 && column < insertion.vecIncludeCols.size() && insertion.vecIncludeCols[column] &&
                !CellOf(rows[i], column).empty())
                ++nTexts;
        }
    }
    return nTexts;
}

std::u16string CellText(const std::u16string& value)
{
    if (value.find_first_of(u"\r\n") == std::u16string::npos) return value;
    std::u16string text;
    text.reserve(value.size() + 8);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != u'\r' && value[i] != u'\n') {
            text += value[i];
            continue;
        }
        if (value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') ++i;
        text += u"\\P";
    }
    return text;
}

bool ReadTableRows(const QxDbTable* pTbl, TableData& veRows)
{
    bool bRead = false;
    for (std::uint32_t r = 1; r < pTbl->numRows(); ++r) {
        TableRow veCurrentTbLine;
        for (std::uint32_t c = 0; c < pTbl->numColumns(); ++c) {
            std::u16string text;
            pTbl->getTextString(r, c, text);
            veCurrentTbLine.push_back(std::move(text));
        }
        veRows.push_back(std::move(veCurrentTbLine));
        bRead = true;
    }
    return bRead;
}

bool ResizeTable(QxDbTable* pTbl, std::uint32_t nRows, std::uint32_t nCols)
{
    if (!pTbl->isWriteEnabled()) return false;
    nRows = std::max<std::uint32_t>(nRows, 1);
    nCols = std::max<std::uint32_t>(nCols, 1);
    if (pTbl->numRows() > 1) pTbl->deleteRows(1, pTbl->numRows() - 1);
    if (pTbl->numColumns() > 1) pTbl->deleteColumns(1, pTbl->numColumns() - 1);
    pTbl->generateLayout();
    if (nCols > 1) pTbl->insertColumns(1, pTbl->columnWidth(0), nCols - 1);
    if (nRows > 1) pTbl->insertRows(1, pTbl->rowHeight(0), nRows - 1);
    pTbl->generateLayout();
    return true;
}

bool ClearTableCells(QxDbTable* pTbl, std::uint32_t nRows, std::uint32_t nCols)
{
    if (nCols > 0) pTbl->mergeCells(0, 0, 0, nCols - 1);
    for (std::uint32_t r = 1; r < nRows; ++r)
        for (std::uint32_t c = 0; c < nCols; ++c) pTbl->setTextString(r, c, u"");
    return pTbl->generateLayout() == Qxapp::eOk;
}

void RefillTable(const TableData& veRows, const BlockIdMap& mpBlockIds, QxDbTable* pTbl,
                 const std::u16string& csBlockPreviewName, bool bHeaderHidden, const TableRow& lsColNames)
{
    if (veRows.empty() || veRows.front().size() < 2) return;
    const TableRow& header = lsColNames.empty() ? veRows.front() : lsColNames;
    const auto nRows = static_cast<std::uint32_t>(bHeaderHidden ? veRows.size() : veRows.size() + 1);
    const auto nCols = static_cast<std::uint32_t>(header.size() - 1);
    for (std::uint32_t r = 1; r < nRows; ++r) {
        const std::size_t i = bHeaderHidden ? r : r - 1;
        const TableRow& row = veRows[i];
        for (std::uint32_t c = 0; c < nCols; ++c) {
            Qxapp::ErrorStatus es;
            if (CellOf(header, c + 1) == csBlockPreviewName && i != 0)
                es = SetPreviewBlock(pTbl, r, c, CellOf(row, 0), mpBlockIds);
            else
                es = pTbl->setTextString(r, c, CellText(CellOf(row, c + 1)).c_str());
            if (es != Qxapp::eOk) {
                PrintCellContentError();
                return;
            }
        }
    }
    FitColumnsAndRecompute(pTbl, nRows, nCols);
}
