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
#include "cad/db/internals.h"
#include "cad/db/xdata.h"
#include "cad/dxf/dxf_check.h"
#include "cad/dxf/dxf_drawing.h"
#include "database.h"
#include "dbsymbols.h"
#include "support/drawing_builders.h"
#include "tag_support.h"

namespace qx::dxf::test {

// The generator's drawing of `entities` entities, with the version `version` in its header.
inline std::string generated(unsigned seed, std::size_t entities, const char* version = "AC1027")
{
    std::string text = bench::DxfDrawingGenerator(seed).drawing(entities);
    text.replace(text.find("AC1027"), 6, version);
    return text;
}

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
    auto file = parsed(text);
    if (file && expectConsistent) {
        EXPECT_EQ(checkConsistency(*file), std::vector<std::string>{});
    }
    return file;
}

inline QxDbBlockTableRecord* modelSpace(QxDbDatabase& db)
{
    return QxDbBlockTableRecord::cast(qx::peekObject(db.modelSpaceId()));
}

// The object behind an id, when it is of the class T; null otherwise.
template <class T>
T* object(QxDbObjectId id)
{
    return T::cast(qx::peekObject(id));
}

// The first entity of a kind in model space.
template <class T>
T* first(QxDbDatabase& db)
{
    for (QxDbObjectId id : modelSpace(db)->entityIds())
        if (T* e = object<T>(id)) return e;
    return nullptr;
}

// The object of the same handle in a drawing read back.
inline QxDbObjectId sameIn(QxDbDatabase& back, QxDbObjectId id) { return back.getObjectId(id.handle()); }

using qxtest::appendToModelSpace;

inline void registerApp(QxDbDatabase& db, const char16_t* name)
{
    Writable<QxDbRegAppTable> apps(db.regAppTableId());
    auto* record = new QxDbRegAppTableRecord;
    record->setName(name);
    ASSERT_EQ(apps->add(record), Qxapp::eOk);
    record->close();
}

// The strings (group 1000) of an object's extended data, of every application or of one.
inline std::vector<std::u16string> xdataStrings(const QxDbObject& object, const char16_t* app = nullptr)
{
    std::vector<std::u16string> strings;
    if (const QxDbXData* store = qx::DbInternals::xdataStore(object))
        for (const QxDbXData::Value& v : app ? store->values(app) : store->values())
            if (v.code == 1000) strings.emplace_back(v.text);
    return strings;
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

// ezdxfReport, with the check that its audit found nothing to fix. Empty when ezdxf is not
// installed: the caller skips the rest.
inline std::string ezdxfAudit(const std::string& text, const std::string& extra = "")
{
    std::string report = ezdxfReport(text, extra);
    if (!report.empty()) {
        EXPECT_NE(report.find("errors 0 fixes 0"), std::string::npos) << report;
    }
    return report;
}

}  // namespace qx::dxf::test
