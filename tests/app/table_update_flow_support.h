// End-to-end runs of the table update: a drawing written to a temporary folder, the wizard and
// the update command driven through qxcad's console, and the saved drawing read back in-process
// (the table's cells and its extraction record, key by key in stored order).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// A drawing of model-space entities given as DXF group lines ("0\nCIRCLE\n8\n0\n...").
inline std::string drawingWith(const std::string& entities)
{
    return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1027\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities +
           "0\nENDSEC\n0\nEOF\n";
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

// A scratch folder of its own per test.
class FlowFolder {
public:
    explicit FlowFolder(const std::string& name)
        : m_dir(std::filesystem::temp_directory_path() / ("qx-flow-" + name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    ~FlowFolder() { std::filesystem::remove_all(m_dir); }
    std::string path(const std::string& file) const { return (m_dir / file).string(); }
    std::string write(const std::string& file, const std::string& text) const
    {
        std::ofstream(path(file), std::ios::binary) << text;
        return path(file);
    }

private:
    std::filesystem::path m_dir;
};

// The first table of a saved drawing: its cells (title row included) and its record.
struct SavedTable {
    bool found = false;
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
        for (std::uint32_t r = 0; r < table->numRows(); ++r) {
            std::vector<std::string> row;
            for (std::uint32_t c = 0; c < table->numColumns(); ++c)
                row.push_back(table->cellType(r, c) == QxDb::kBlockCell ? "<block>" : qx::toUtf8(table->textString(r, c)));
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

// The wizard from page 1 to page 4 on every object, keeping the kinds given (page 3 names).
inline std::string wizardToProperties() { return "DATAEXTRACTION\nclick Next\nclick Next\nclick Next\n"; }

}  // namespace qxtest
