// A fresh drawing as the current document, with helpers to add objects, to insert an
// extraction table as the wizard does (table data, drawing table, record), and to read the
// table back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/drawing_builders.h"
#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "engine/extraction_engine.h"
#include "host/database.h"
#include "output/drawing_table.h"
#include "output/extraction_record.h"

namespace qxtest {

using Texts = std::vector<std::u16string>;

// How the wizard was asked to build the table.
struct ExtractionChoice {
    Texts lsProps;                                     // property names, in column order
    std::map<std::u16string, std::u16string> mapNames; // property -> display name
    Texts lsTotals;                                    // display names of totalled columns
    bool bDisplayHeader = true;
    bool bQuantity = false;
    std::u16string csTitle = u"Parts";
};

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = std::make_shared<QxDbDatabase>();
        qx::setCurrentDocument(u"drawtable-test.dxf", db);
        qx::setInput(m_noInput, true);
        qx::clearTranscript();
    }
    void TearDown() override
    {
        EXPECT_EQ(db->openObjectCount(), 0u) << "a test left objects open";
        qx::setInput(m_noInput, true);
        qx::setCurrentDocument(u"", nullptr);
    }

    // Console answers for the prompts and dialogs of the code under test.
    void answer(const std::string& lines)
    {
        m_input.clear();
        m_input.str(lines);
        qx::setInput(m_input, true, u"test");
        qx::clearTranscript();
    }

    QxDbObjectId append(QxDbEntity* entity) { return appendToModelSpace(*db, entity); }
    // An empty block definition named `name`.
    QxDbObjectId addBlock(const char16_t* name) { return qxtest::addBlock(*db, name); }
    std::u16string addCircle(double radius, double x = 0)
    {
        return append(new QxDbCircle({x, 0, 0}, radius)).handle().ascii();
    }
    std::u16string addLine(double length)
    {
        return append(new QxDbLine({0, 0, 0}, {length, 0, 0})).handle().ascii();
    }
    QxDbObjectId idOf(const std::u16string& handle) const
    {
        std::uint64_t value = 0;
        for (char16_t c : handle) value = value * 16 + (c <= u'9' ? c - u'0' : c - u'A' + 10);
        return db->getObjectId(QxDbHandle(value));
    }

    // Opens an object for write, changes it, closes it.
    template <class T>
    void change(const std::u16string& handle, const std::function<void(T*)>& edit)
    {
        T* object = nullptr;
        ASSERT_EQ(qxdbOpenObject(object, idOf(handle), QxDb::kForWrite), Qxapp::eOk);
        edit(object);
        object->close();
    }
    void erase(const std::u16string& handle)
    {
        change<QxDbEntity>(handle, [](QxDbEntity* e) { e->erase(); });
    }

    // Reads every object of the drawing and builds the table data as the wizard's pages do:
    // display names in the header, then an empty row and the totals line when totals are
    // asked for. Inserts the table at the origin and gives it its record as Finish does.
    QxDbObjectId insertExtraction(const ExtractionChoice& choice)
    {
        qxds_name ss{};
        EXPECT_EQ(qxedSSGet(u"A", nullptr, nullptr, nullptr, ss), QXRT_NORM);
        std::int32_t length = 0;
        qxedSSLength(ss, &length);
        ExtractionEngine engine(ss, length, StrHelper());
        qxedSSFree(ss);
        Texts types;
        for (std::uint32_t code : engine.TypeCodesPresent()) types.push_back(engine.strHelper.lsObjNames[code - 1]);
        engine.OfferedProperties(types);
        Texts props = choice.lsProps;
        const bool bBlockName =
            std::find(props.begin(), props.end(), engine.strHelper.blockNameItem.name) != props.end();
        engine.BuildTableData(props, choice.bQuantity, bBlockName, {}, u"", rows, blocks);
        ApplyDisplayNames(rows, choice.mapNames);
        const TableRow totals = MakeTotalsLine(rows, choice.lsTotals, engine.strHelper.quantityItem.name);
        bTotals = !totals.empty();
        const std::size_t nDataRows = rows.size() - 1;
        if (bTotals) {
            rows.push_back(TableRow(rows.front().size()));
            rows.push_back(totals);
        }
        TableInsertion insertion;
        insertion.veTableDataOut = &rows;
        insertion.lsBlockTbRecId = &blocks;
        insertion.vecIncludeCols.assign(rows.front().size(), true);
        for (std::size_t c = 1; c < rows.front().size(); ++c) insertion.veHeaderOrder.push_back(int(c));
        insertion.veRowOrder.push_back(choice.bDisplayHeader ? 0 : 1);
        for (std::size_t r = choice.bDisplayHeader ? 1 : 2; r <= nDataRows; ++r) insertion.veRowOrder.push_back(int(r));
        insertion.csBlockPreviewName = engine.strHelper.blockPreviewItem.name;
        insertion.csTbTitle = choice.csTitle;
        insertion.bDisplayHeader = choice.bDisplayHeader;
        const QxDbObjectId idTbl = InsertTable(insertion, QxGePoint3d(0, 0, 0));

        WriteRecordHandles(idTbl, csAppHdls, CollectRowHandles(rows, bTotals), insertion.veRowOrder,
                           choice.bDisplayHeader);
        WriteRecordMap(idTbl, csAppOriginalNames, choice.mapNames, true);
        WriteRecordMap(idTbl, csAppDisplayNames, choice.mapNames, false);
        WriteRecordItems(idTbl, csAppObjTypes, types);
        WriteRecordItems(idTbl, csGroupByProp, {u""});
        WriteRecordItems(idTbl, csTbHeaders, Texts(rows.front().begin() + 1, rows.front().end()));
        WriteRecordItems(idTbl, csAppReplacedHdls, {u""});
        qx::clearTranscript();
        return idTbl;
    }

    // Every row of the table, title included; block cells read as "<block NAME>".
    std::vector<Texts> cells(QxDbObjectId idTbl)
    {
        std::vector<Texts> out;
        QxDbTable* table = nullptr;
        EXPECT_EQ(qxdbOpenObject(table, idTbl, QxDb::kForRead), Qxapp::eOk);
        if (!table) return out;
        for (std::uint32_t r = 0; r < table->numRows(); ++r) {
            Texts row;
            for (std::uint32_t c = 0; c < table->numColumns(); ++c) {
                if (table->cellType(r, c) == QxDb::kBlockCell) {
                    QxDbBlockTableRecord* block = nullptr;
                    std::u16string name = u"?";
                    if (qxdbOpenObject(block, table->blockTableRecordId(r, c), QxDb::kForRead) == Qxapp::eOk) {
                        name = block->name();
                        block->close();
                    }
                    row.push_back(u"<block " + name + u">");
                } else {
                    row.push_back(table->textString(r, c));
                }
            }
            out.push_back(std::move(row));
        }
        table->close();
        return out;
    }

    std::shared_ptr<QxDbDatabase> db;
    TableData rows;      // the table data of the last insertExtraction
    BlockIdMap blocks;
    bool bTotals = false;

private:
    std::istringstream m_noInput;
    std::istringstream m_input;
};

inline std::string utf8(const std::u16string& text) { return qx::toUtf8(text); }

}  // namespace qxtest
