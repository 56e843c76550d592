// Helpers of the tests that open drawings into the database and save them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/dxf_drawing_generator.h"
#include "cad/db/database_impl.h"
#include "cad/dxf/dxf_check.h"
#include "cad/dxf/dxf_drawing.h"
#include "database.h"
#include "dbsymbols.h"
#include "tag_support.h"

namespace qx::dxf::test {

inline std::shared_ptr<QxDbDatabase> openText(const std::string& text, std::vector<std::string>* warnings = nullptr)
{
    OpenResult result;
    DxfError error;
    EXPECT_TRUE(openDxfText(text, "drawing.dxf", result, error)) << error.text();
    if (warnings) *warnings = result.warnings;
    return result.database;
}

// Every drawing saved must open again: the reader's verdict on it, empty when it opens.
inline std::string reopenError(const std::string& text)
{
    OpenResult result;
    DxfError error;
    if (openDxfText(text, "saved.dxf", result, error)) return {};
    return error.text().empty() ? "refused without a message" : error.text();
}

inline std::string saveText(QxDbDatabase& database, std::vector<std::string>* warnings = nullptr)
{
    std::string text;
    SaveResult result;
    DxfError error;
    EXPECT_TRUE(writeDxfText(database, text, result, error)) << error.text();
    if (warnings) *warnings = result.warnings;
    EXPECT_EQ(reopenError(text), "") << "the saved drawing does not open again";
    return text;
}

// Opens for write for the scope of a change, as the editor would.
template <class T>
struct Writable {
    explicit Writable(QxDbObjectId id) { EXPECT_EQ(qxdbOpenObject(p, id, QxDb::kForWrite), Qxapp::eOk); }
    ~Writable()
    {
        if (p) p->close();
    }
    T* operator->() { return p; }
    T* p = nullptr;
};

// Reads saved text back as a file and runs our consistency check on it.
inline std::unique_ptr<DxfFile> reread(const std::string& text, bool expectConsistent = true)
{
    DxfError error;
    auto file = DxfFile::parse(text, "saved.dxf", error);
    EXPECT_TRUE(file) << error.text();
    if (file && expectConsistent) {
        EXPECT_EQ(checkConsistency(*file), std::vector<std::string>{});
    }
    return file;
}

// Records of a type, by index.
inline std::vector<std::size_t> recordsOf(const DxfFile& file, std::string_view type)
{
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < file.recordCount(); ++i)
        if (file.recordType(i) == type) found.push_back(i);
    return found;
}

inline QxDbBlockTableRecord* modelSpace(QxDbDatabase& db)
{
    return QxDbBlockTableRecord::cast(qx::peekObject(db.modelSpaceId()));
}

// Runs python3-ezdxf on a saved file: readfile, audit, and the count of modelspace entities by
// type plus anything `extra` prints. Empty when ezdxf is not installed.
inline std::string ezdxfReport(const std::string& text, const std::string& extra = "")
{
    if (std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") != 0) return {};
    const auto dir = std::filesystem::temp_directory_path();
    const auto path = dir / ("qx-ezdxf-" + std::to_string(::getpid()) + ".dxf");
    const auto script = dir / ("qx-ezdxf-" + std::to_string(::getpid()) + ".py");
    const auto out = dir / ("qx-ezdxf-" + std::to_string(::getpid()) + ".txt");
    std::ofstream(path, std::ios::binary) << text;
    std::ofstream(script) << "import sys, ezdxf\nfrom collections import Counter\n"
                             "doc = ezdxf.readfile(sys.argv[1])\nauditor = doc.audit()\n"
                             "print('errors', len(auditor.errors), 'fixes', len(auditor.fixes))\n"
                             "for e in auditor.errors: print('error', e.message)\n"
                             "msp = doc.modelspace()\n"
                             "print(sorted(Counter(e.dxftype() for e in msp).items()))\n"
                          << extra;
    const std::string command = "/usr/bin/python3 " + script.string() + " " + path.string() + " > " + out.string() + " 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream in(out);
    std::string report((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path), std::filesystem::remove(script), std::filesystem::remove(out);
    return status == 0 ? report : "ezdxf failed: " + report;
}

}  // namespace qx::dxf::test
