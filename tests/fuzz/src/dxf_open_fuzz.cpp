// Feeds arbitrary bytes to the drawing reader that builds database objects, then saves what it
// opened. A drawing that opens must save, and an unchanged one must save as it was read; after
// every entity is changed it must still save into a file the reader accepts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cad/dxf/dxf_drawing.h"
#include "database.h"
#include "dbsymbols.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qx::dxf;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    OpenResult opened;
    DxfError error;
    if (!openDxfText(bytes, "fuzz.dxf", opened, error)) {
        if (error.message.empty()) std::abort();
        return 0;
    }
    std::string saved;
    SaveResult result;
    if (!writeDxfText(*opened.database, saved, result, error)) std::abort();
    std::string_view expected = bytes;
    if (expected.starts_with("\xEF\xBB\xBF")) expected.remove_prefix(3);
    if (saved != expected) std::abort();

    for (QxDbObjectId space : {opened.database->modelSpaceId()}) {
        QxDbBlockTableRecord* block = nullptr;
        if (qxdbOpenObject(block, space, QxDb::kForRead) != Qxapp::eOk) continue;
        for (QxDbObjectId id : block->entityIds()) {
            QxDbEntity* entity = nullptr;
            if (qxdbOpenObject(entity, id, QxDb::kForWrite) != Qxapp::eOk) continue;
            entity->setColorIndex(3);
            entity->close();
        }
        block->close();
    }
    if (writeDxfText(*opened.database, saved, result, error)) {
        if (!DxfFile::parse(saved, "changed.dxf", error)) std::abort();
    } else if (error.message.empty()) {
        std::abort();
    }
    forgetSource(opened.database.get());
    return 0;
}
