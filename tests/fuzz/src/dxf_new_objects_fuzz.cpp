// Makes new objects from arbitrary texts, as the wizard does with the texts it extracts, then
// saves the drawing and opens what was saved. The bytes are cut at 0xFF into texts (UTF-8, any
// byte allowed); the first byte picks the file version. They go into table cells, a multi-line
// text, a layer name, an attribute value and extended data. The save must succeed, or be
// refused with a message because a name holds a line break; what was saved must open again and
// give the same values back (formatted texts with their line breaks as \P).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/dxf_drawing_generator.h"
#include "cad/db/database_impl.h"
#include "cad/db/xdata.h"
#include "cad/dxf/dxf_drawing.h"
#include "cad/dxf/dxf_encoding.h"
#include "database.h"
#include "dbentities.h"
#include "dbsymbols.h"
#include "dbtable.h"
#include "tests/dxf/formatted_text.h"

namespace {

using namespace qx::dxf;
using qx::dxf::test::asFormatted;

// A small drawing of each encoding, with the generator's block DOOR to refer to.
std::string baseDrawing(bool older)
{
    std::string text = qx::bench::DxfDrawingGenerator(1).drawing(0);
    if (older) text.replace(text.find("AC1027"), 6, "AC1018");
    return text;
}

std::vector<std::u16string> textsOf(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::u16string> texts(1);
    std::string current;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFF) {
            texts.back() = utf8ToUtf16(current);
            texts.emplace_back();
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    texts.back() = utf8ToUtf16(current);
    // The host's interface takes NUL-terminated strings.
    for (auto& t : texts) t = t.substr(0, t.find(u'\0'));
    texts.resize(8);
    return texts;
}

void check(bool condition)
{
    if (!condition) std::abort();
}

template <class T>
T* openForWrite(QxDbObjectId id)
{
    T* object = nullptr;
    check(qxdbOpenObject(object, id, QxDb::kForWrite) == Qxapp::eOk);
    return object;
}

QxDbObjectId append(QxDbDatabase& db, QxDbEntity* entity)
{
    QxDbObjectId id;
    auto* space = openForWrite<QxDbBlockTableRecord>(db.modelSpaceId());
    check(space->appendQxDbEntity(id, entity) == Qxapp::eOk);
    entity->close();
    space->close();
    return id;
}

template <class T>
const T* same(QxDbDatabase& back, QxDbObjectId id)
{
    const QxDbObjectId found = back.getObjectId(id.handle());
    check(!found.isNull());
    const T* object = T::cast(qx::peekObject(found));
    check(object != nullptr);
    return object;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::vector<std::u16string> texts = textsOf(data, size);
    OpenResult opened;
    DxfError error;
    check(openDxfText(baseDrawing(data[0] & 1), "base.dxf", opened, error));
    QxDbDatabase& db = *opened.database;

    std::u16string layerName = texts[3].empty() ? u"L" : texts[3];
    QxDbObjectId layer;
    auto* layers = openForWrite<QxDbLayerTable>(db.layerTableId());
    auto* record = new QxDbLayerTableRecord;
    record->setName(layerName.c_str());
    const bool layerAdded = layers->add(layer, record) == Qxapp::eOk;  // "0" is taken
    if (layerAdded) record->close();
    else delete record;
    layers->close();
    auto* apps = openForWrite<QxDbRegAppTable>(db.regAppTableId());
    auto* app = new QxDbRegAppTableRecord;
    app->setName(u"QX_FUZZ");
    check(apps->add(app) == Qxapp::eOk);
    app->close();
    apps->close();

    auto* table = new QxDbTable;
    table->setTableStyle(db.tablestyle());
    table->setSize(2, 2);
    table->setTextString(0, 0, texts[0].c_str());
    table->setTextString(1, 1, texts[1].c_str());
    const QxDbObjectId tableId = append(db, table);
    auto* mtext = new QxDbMText;
    mtext->setContents(texts[2].c_str());
    mtext->setLayer(layerName.c_str());
    const QxDbObjectId mtextId = append(db, mtext);
    qxresbuf* chain = qxutBuildList(1001, u"QX_FUZZ", 1000, texts[5].c_str(), 1000, texts[6].c_str(), 0);
    auto* withData = openForWrite<QxDbObject>(mtextId);
    check(withData->setXData(chain) == Qxapp::eOk);
    withData->close();
    qxutRelRb(chain);
    QxDbObjectId door;
    if (auto* blocks = QxDbSymbolTable::cast(qx::peekObject(db.blockTableId()))) blocks->getAt(u"DOOR", door);
    auto* reference = new QxDbBlockReference;
    reference->setBlockTableRecord(door);
    const QxDbObjectId referenceId = append(db, reference);
    auto* openReference = openForWrite<QxDbBlockReference>(referenceId);
    auto* attribute = new QxDbAttribute;
    attribute->setTag(u"NUMBER");
    attribute->setTextString(texts[4].c_str());
    QxDbObjectId attributeId;
    check(openReference->appendAttribute(attributeId, attribute) == Qxapp::eOk);
    attribute->close();
    openReference->close();

    std::string saved;
    SaveResult result;
    if (!writeDxfText(db, saved, result, error)) {
        // Only a name that cannot be written may stop a save, and the refusal says which.
        check(layerName.find_first_of(u"\r\n") != std::u16string::npos);
        check(error.message.find("LAYER") != std::string::npos || error.message.find("MTEXT") != std::string::npos);
        check(saved.empty());
        forgetSource(&db);
        return 0;
    }
    OpenResult back;
    check(openDxfText(saved, "saved.dxf", back, error));
    QxDbDatabase& read = *back.database;
    check(same<QxDbTable>(read, tableId)->cell(0, 0)->text == asFormatted(texts[0]));
    check(same<QxDbTable>(read, tableId)->cell(1, 1)->text == asFormatted(texts[1]));
    const auto* text = same<QxDbMText>(read, mtextId);
    check(text->contents() == asFormatted(texts[2]));
    check(text->layer() == layerName);
    std::vector<std::u16string> strings;
    for (const auto& v : qx::DbInternals::xdataStore(*text)->values())
        if (v.code == 1000) strings.emplace_back(v.text);
    check(strings == (std::vector<std::u16string>{texts[5], texts[6]}));
    check(same<QxDbAttribute>(read, attributeId)->textString() == texts[4]);
    if (layerAdded) check(same<QxDbLayerTableRecord>(read, layer)->name() == layerName);
    forgetSource(&db);
    forgetSource(&read);
    return 0;
}
