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

// A small drawing of each encoding: a block with an attribute to refer to.
std::string baseDrawing(bool older)
{
    auto pair = [](int code, const char* value) { return std::to_string(code) + "\n" + value + "\n"; };
    std::string t;
    t += pair(0, "SECTION") + pair(2, "HEADER") + pair(9, "$ACADVER") + pair(1, older ? "AC1018" : "AC1027");
    t += pair(9, "$DWGCODEPAGE") + pair(3, "ANSI_1252") + pair(9, "$HANDSEED") + pair(5, "100") + pair(0, "ENDSEC");
    t += pair(0, "SECTION") + pair(2, "TABLES");
    const char* tables[][2] = {{"LTYPE", "5"}, {"LAYER", "2"}, {"STYLE", "3"}, {"APPID", "9"}, {"BLOCK_RECORD", "1"}};
    for (const auto& table : tables) {
        t += pair(0, "TABLE") + pair(2, table[0]) + pair(5, table[1]) + pair(330, "0") + pair(100, "AcDbSymbolTable") + pair(70, "0");
        if (std::string(table[0]) == "BLOCK_RECORD") {
            for (const auto& [handle, name] : {std::pair{"1F", "*Model_Space"}, std::pair{"30", "DOOR"}})
                t += pair(0, "BLOCK_RECORD") + pair(5, handle) + pair(330, "1") + pair(100, "AcDbSymbolTableRecord") +
                     pair(100, "AcDbBlockTableRecord") + pair(2, name) + pair(340, "0");
        }
        if (std::string(table[0]) == "LAYER")
            t += pair(0, "LAYER") + pair(5, "10") + pair(330, "2") + pair(100, "AcDbSymbolTableRecord") +
                 pair(100, "AcDbLayerTableRecord") + pair(2, "0") + pair(70, "0") + pair(62, "7") + pair(6, "Continuous");
        if (std::string(table[0]) == "APPID")
            t += pair(0, "APPID") + pair(5, "12") + pair(330, "9") + pair(100, "AcDbSymbolTableRecord") +
                 pair(100, "AcDbRegAppTableRecord") + pair(2, "ACAD") + pair(70, "0");
        t += pair(0, "ENDTAB");
    }
    t += pair(0, "ENDSEC") + pair(0, "SECTION") + pair(2, "BLOCKS");
    t += pair(0, "BLOCK") + pair(5, "31") + pair(330, "30") + pair(100, "AcDbEntity") + pair(8, "0") +
         pair(100, "AcDbBlockBegin") + pair(2, "DOOR") + pair(70, "2") + pair(10, "0.0") + pair(20, "0.0") + pair(30, "0.0") +
         pair(3, "DOOR") + pair(1, "");
    t += pair(0, "ENDBLK") + pair(5, "32") + pair(330, "30") + pair(100, "AcDbEntity") + pair(8, "0") + pair(100, "AcDbBlockEnd");
    t += pair(0, "ENDSEC") + pair(0, "SECTION") + pair(2, "ENTITIES") + pair(0, "ENDSEC");
    t += pair(0, "SECTION") + pair(2, "OBJECTS") + pair(0, "DICTIONARY") + pair(5, "C") + pair(330, "0") +
         pair(100, "AcDbDictionary") + pair(0, "ENDSEC") + pair(0, "EOF");
    return t;
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
