// Feeds arbitrary bytes to the drawing reader that builds database objects, then saves what it
// opened. A drawing that opens must save, and an unchanged one must save as it was read; after
// every entity is changed and a table and a multi-line text are added (their texts taken from
// the bytes, as the wizard takes texts from a drawing), what was saved must open again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cad/dxf/dxf_drawing.h"
#include "database.h"
#include "cad/dxf/dxf_encoding.h"
#include "dbsymbols.h"
#include "dbtable.h"

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
    const std::u16string text = utf8ToUtf16(bytes.substr(bytes.size() / 2, 300));
    QxDbBlockTableRecord* space = nullptr;
    if (qxdbOpenObject(space, opened.database->modelSpaceId(), QxDb::kForWrite) == Qxapp::eOk) {
        auto* table = new QxDbTable;
        table->setSize(1, 2);
        table->setTextString(0, 0, text.c_str());
        table->setTextString(0, 1, text.substr(text.size() / 2).c_str());
        if (space->appendQxDbEntity(table) == Qxapp::eOk) table->close();
        else delete table;
        auto* mtext = new QxDbMText;
        mtext->setContents(text.c_str());
        if (space->appendQxDbEntity(mtext) == Qxapp::eOk) mtext->close();
        else delete mtext;
        space->close();
    }
    if (writeDxfText(*opened.database, saved, result, error)) {
        OpenResult reopened;
        if (!openDxfText(saved, "changed.dxf", reopened, error)) std::abort();
        forgetSource(reopened.database.get());
    } else if (error.message.empty()) {
        std::abort();
    }
    forgetSource(opened.database.get());
    return 0;
}
