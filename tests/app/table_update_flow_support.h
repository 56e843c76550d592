// End-to-end runs of the table update: a drawing written to a temporary folder, the wizard and
// the update command driven through qxcad's console, and the saved drawing read back in-process
// (the table's cells and its extraction record, key by key in stored order).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bench/dxf_drawing_generator.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "host/database.h"
#include "host/dbtable.h"
#include "host/editor.h"
#include "output/extraction_record.h"
#include "support/run_qxcad.h"

namespace qxtest {

using Texts = std::vector<std::u16string>;
using Rows = std::vector<std::vector<std::string>>;

// A complete drawing (symbol tables, a DOOR block) whose model space holds the entities given
// as DXF group lines ("0\nCIRCLE\n5\n2A\n..."), with handles below 100 hex that the
// generator's fixed records leave free (2A to 2F).
inline std::string drawingWith(const std::string& entities)
{
    std::string text = qx::bench::DxfDrawingGenerator(1).drawing(0);
    const std::string section = "ENTITIES\n";
    const auto at = text.find(section);
    if (at != std::string::npos) text.insert(at + section.size(), entities);
    return text;
}
inline std::string circle(const std::string& handle, double radius, double x = 0, const std::string& layer = "0")
{
    return "0\nCIRCLE\n5\n" + handle + "\n8\n" + layer + "\n10\n" + std::to_string(x) + "\n20\n0\n30\n0\n40\n" +
           std::to_string(radius) + "\n";
}
inline std::string line(const std::string& handle, double length)
{
    return "0\nLINE\n5\n" + handle + "\n8\n0\n10\n0\n20\n0\n30\n0\n11\n" + std::to_string(length) + "\n21\n0\n31\n0\n";
}

// The first table of a saved drawing: its cells (title row included) and its record.
struct SavedTable {
    bool found = false;
    std::string handle;
    Rows cells;
    std::vector<std::string> keys;  // record keys in stored order
    std::vector<std::vector<std::string>> items;  // the items of each key

    const std::vector<std::string>* itemsOf(const std::string& key) const
    {
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key) return &items[i];
        return nullptr;
    }
};

inline SavedTable readSavedTable(const std::string& path)
{
    SavedTable saved;
    qx::dxf::OpenResult opened;
    qx::dxf::DxfError error;
    EXPECT_TRUE(qx::dxf::openDxf(path, opened, error)) << error.text();
    if (!opened.database) return saved;
    qx::setCurrentDocument(u"saved.dxf", opened.database);
    qxds_name ss{};
    std::int32_t length = 0;
    if (qxedSSGet(u"A", nullptr, nullptr, nullptr, ss) == QXRT_NORM) qxedSSLength(ss, &length);
    for (std::int32_t i = 0; i < length && !saved.found; ++i) {
        qxds_name ent{};
        QxDbObjectId id;
        if (qxedSSName(ss, i, ent) != QXRT_NORM || qxdbGetObjectId(id, ent) != Qxapp::eOk) continue;
        QxDbTable* table = nullptr;
        if (qxdbOpenObject(table, id, QxDb::kForRead) != Qxapp::eOk) continue;
        saved.found = true;
        saved.handle = qx::toUtf8(id.handle().ascii());
        for (std::uint32_t r = 0; r < table->numRows(); ++r) {
            std::vector<std::string> row;
            for (std::uint32_t c = 0; c < table->numColumns(); ++c)
                row.push_back(table->cellType(r, c) == QxDb::kBlockCell ? std::string("<block>")
                                                                         : qx::toUtf8(table->textString(r, c)));
            saved.cells.push_back(std::move(row));
        }
        qxresbuf* chain = table->xData(nullptr);
        for (const qxresbuf* group = chain; group; group = group->rbnext) {
            const std::string text = group->resval.rstring ? qx::toUtf8(group->resval.rstring) : "";
            if (group->restype == 1001) {
                saved.keys.push_back(text);
                saved.items.emplace_back();
            } else if (!saved.items.empty()) {
                saved.items.back().push_back(group->restype == 1000 ? text : "#" + std::to_string(group->restype));
            }
        }
        qxutRelRb(chain);
        table->close();
    }
    if (length > 0) qxedSSFree(ss);
    qx::setCurrentDocument(u"", nullptr);
    return saved;
}

// The wizard from page 1 to page 4 on every object, after `onPage3` on the kinds.
inline std::string wizardToProperties(const std::string& onPage3 = "")
{
    return "DATAEXTRACTION\nclick Next\nclick Next\n" + onPage3 + "click Next\n";
}

// The handle a COPY printed ("Copied 2A as 3F").
inline std::string copiedHandle(const std::string& output)
{
    const auto at = output.find(" as ");
    if (at == std::string::npos) return "";
    const auto end = output.find_first_of("\r\n", at + 4);
    return output.substr(at + 4, end - at - 4);
}

}  // namespace qxtest
