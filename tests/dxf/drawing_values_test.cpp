// Values that would break a drawing file's lines (a line break inside a value makes the reader
// take the rest for the next group code): written in the format's own notation where the place
// has one, refused with the object named where it has none. Every drawing saved opens again.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "cad/db/internals.h"
#include "cad/db/xdata.h"
#include "dbtable.h"
#include "drawing_support.h"
#include "support/run_qxcad.h"

namespace qx::dxf {
namespace {

using test::openText;
using test::reread;
using test::saveText;
using test::Writable;

template <class T>
T* peek(QxDbObjectId id)
{
    return T::cast(qx::peekObject(id));
}

std::shared_ptr<QxDbDatabase> generated(const char* version)
{
    std::string text = bench::DxfDrawingGenerator(7).drawing(30);
    text.replace(text.find("AC1027"), 6, version);
    return openText(text);
}

QxDbObjectId append(QxDbDatabase& db, QxDbEntity* entity)
{
    QxDbObjectId id;
    Writable<QxDbBlockTableRecord> space(db.modelSpaceId());
    EXPECT_EQ(space->appendQxDbEntity(id, entity), Qxapp::eOk);
    entity->close();
    return id;
}

// The first entity of a kind in model space.
template <class T>
T* first(QxDbDatabase& db)
{
    for (QxDbObjectId id : test::modelSpace(db)->entityIds())
        if (T* e = peek<T>(id)) return e;
    return nullptr;
}

// The object of the same handle in a drawing read back.
QxDbObjectId sameIn(QxDbDatabase& back, QxDbObjectId id) { return back.getObjectId(id.handle()); }

std::vector<std::u16string> xdataStrings(const QxDbObject& object, const char16_t* app)
{
    std::vector<std::u16string> strings;
    if (const QxDbXData* store = qx::DbInternals::xdataStore(object))
        for (const QxDbXData::Value& v : store->values(app))
            if (v.code == 1000) strings.emplace_back(v.text);
    return strings;
}

// Saving must fail with a message; the message.
std::string refusal(QxDbDatabase& db)
{
    std::string text;
    SaveResult result;
    DxfError error;
    EXPECT_FALSE(writeDxfText(db, text, result, error));
    EXPECT_TRUE(text.empty());
    return error.message;
}

TEST(DxfLineBreaks, FormattedTextsKeepTheirBreaksAsParagraphs)
{
    // A break where the text is cut into 250-character pieces, and one in a cell of each form.
    const std::u16string longText = std::u16string(249, u'a') + u"\r\n" + std::u16string(300, u'b') + u"\n";
    const std::u16string longRead = std::u16string(249, u'a') + u"\\P" + std::u16string(300, u'b') + u"\\P";
    for (const char* version : {"AC1018", "AC1027"}) {
        SCOPED_TRACE(version);
        auto db = generated(version);
        auto* mtext = new QxDbMText;
        mtext->setContents(u"ROOM 101\nKitchen\r\nHall\rEnd");
        const QxDbObjectId mtextId = append(*db, mtext);
        auto* table = new QxDbTable;
        table->setTableStyle(db->tablestyle());
        table->setSize(2, 2);
        table->setTextString(0, 0, u"ROOM 101\nKitchen");
        table->setTextString(1, 1, longText.c_str());
        const QxDbObjectId tableId = append(*db, table);

        const std::string saved = saveText(*db);
        reread(saved);
        auto back = openText(saved);
        ASSERT_TRUE(back);
        const auto* mtextBack = peek<QxDbMText>(sameIn(*back, mtextId));
        ASSERT_TRUE(mtextBack);
        EXPECT_EQ(mtextBack->contents(), u"ROOM 101\\PKitchen\\PHall\\PEnd");
        EXPECT_EQ(mtextBack->text(), u"ROOM 101\nKitchen\nHall\nEnd");
        const auto* tableBack = peek<QxDbTable>(sameIn(*back, tableId));
        ASSERT_TRUE(tableBack);
        EXPECT_EQ(tableBack->cell(0, 0)->text, u"ROOM 101\\PKitchen");
        EXPECT_EQ(tableBack->cell(1, 1)->text, longRead);
        // The table's graphics hold the same texts as multi-line texts.
        auto file = test::reread(saved);
        const auto texts = test::recordsOf(*file, "MTEXT");
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                [&](std::size_t i) { return test::hasRun(test::pairsOf(*file, i), {{1, "ROOM 101\\PKitchen"}}); }));
    }
}

TEST(DxfLineBreaks, PlainTextsAndExtendedDataComeBackExactly)
{
    auto db = generated("AC1027");
    auto* reference = first<QxDbBlockReference>(*db);
    ASSERT_TRUE(reference && !reference->attributeIds().empty());
    const QxDbObjectId attributeId = reference->attributeIds()[0];
    const std::u16string value = u"Door\t2\nleft ^J and ^ caret\r";
    {
        Writable<QxDbAttribute> a(attributeId);
        a->setTextString(value.c_str());
    }
    auto* line = first<QxDbLine>(*db);
    ASSERT_TRUE(line);
    const QxDbObjectId lineId = line->objectId();
    {
        Writable<QxDbRegAppTable> apps(db->regAppTableId());
        auto* app = new QxDbRegAppTableRecord;
        app->setName(u"QX_NOTES");
        ASSERT_EQ(apps->add(app), Qxapp::eOk);
        app->close();
    }
    // Long strings are split into pieces of 255 bytes: breaks and carets on both sides of a cut.
    std::u16string longValue;
    for (int i = 0; i < 100; ++i) longValue += u"ab\n^J";
    qxresbuf* chain = qxutBuildList(1001, u"QX_NOTES", 1000, u"first\nsecond", 1000, longValue.c_str(), 0);
    {
        Writable<QxDbObject> o(lineId);
        EXPECT_EQ(o->setXData(chain), Qxapp::eOk);
    }
    qxutRelRb(chain);

    const std::string saved = saveText(*db);
    reread(saved);
    auto back = openText(saved);
    ASSERT_TRUE(back);
    EXPECT_EQ(peek<QxDbAttribute>(sameIn(*back, attributeId))->textString(), value);
    EXPECT_EQ(xdataStrings(*peek<QxDbLine>(sameIn(*back, lineId)), u"QX_NOTES"),
              (std::vector<std::u16string>{u"first\nsecond", longValue}));
    // Saved again unchanged, the same bytes.
    EXPECT_EQ(saveText(*back), saved);
}

TEST(DxfLineBreaks, CaretNotationInFilesIsRead)
{
    // Other programs write tabs in texts as ^I; a caret before a space is the caret itself.
    std::string text = bench::DxfDrawingGenerator(3).drawing(0);
    const std::string mtext = "  0\nMTEXT\n  5\nABC\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbMText\n 10\n0.0\n 20\n0.0\n"
                              " 30\n0.0\n 40\n2.5\n  1\nA^IB^ C 2^3\n";
    text.insert(text.find("  0\nENDSEC\n", text.find("ENTITIES")), mtext);
    auto db = openText(text);
    ASSERT_TRUE(db);
    const auto* read = first<QxDbMText>(*db);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->contents(), u"A\tB^C 2^3");
}

TEST(DxfLineBreaks, NamesThatCannotBeWrittenRefuseTheSaveAndNameTheObject)
{
    {
        SCOPED_TRACE("a new layer");
        auto db = generated("AC1027");
        QxDbObjectId id;
        {
            Writable<QxDbLayerTable> layers(db->layerTableId());
            auto* layer = new QxDbLayerTableRecord;
            layer->setName(u"Rooms\nFloor 1");
            ASSERT_EQ(layers->add(id, layer), Qxapp::eOk);
            layer->close();
        }
        const std::string message = refusal(*db);
        EXPECT_NE(message.find("the LAYER " + formatHandle(id.handle().value())), std::string::npos) << message;
        EXPECT_NE(message.find("line feed"), std::string::npos) << message;
    }
    {
        // A record of the file, changed: written while the file is, and the save still fails whole.
        SCOPED_TRACE("a changed line");
        auto db = generated("AC1027");
        auto* line = first<QxDbLine>(*db);
        ASSERT_TRUE(line);
        const QxDbObjectId id = line->objectId();
        {
            Writable<QxDbLine> l(id);
            l->setLayer(u"Walls\r");
        }
        const std::string message = refusal(*db);
        EXPECT_NE(message.find("the LINE " + formatHandle(id.handle().value())), std::string::npos) << message;
        EXPECT_NE(message.find("carriage return"), std::string::npos) << message;

        // Saved to a file: the file on disk is left as it was, and no temporary file stays.
        const auto dir = std::filesystem::temp_directory_path() / ("qx-refused-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        const auto path = dir / "plan.dxf";
        std::ofstream(path, std::ios::binary) << "previous drawing";
        SaveResult result;
        DxfError error;
        EXPECT_FALSE(saveDxf(*db, path.string(), result, error));
        EXPECT_NE(error.text().find("the LINE"), std::string::npos) << error.text();
        EXPECT_NE(error.text().find("the file on disk is unchanged"), std::string::npos) << error.text();
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous drawing");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
        std::filesystem::remove_all(dir);
    }
}

TEST(DxfLineBreaks, TheWizardsTableOfAMultiLineTextOpensAfterSaveAs)
{
    const auto dir = std::filesystem::temp_directory_path() / ("qx-wizard-breaks-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string text = bench::DxfDrawingGenerator(3).drawing(0);
    const std::string mtext = "  0\nMTEXT\n  5\nABC\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbMText\n 10\n0.0\n 20\n0.0\n"
                              " 30\n0.0\n 40\n2.5\n  1\nROOM 101\\PKitchen\n";
    text.insert(text.find("  0\nENDSEC\n", text.find("ENTITIES")), mtext);
    const auto drawing = dir / "rooms.dxf", saved = dir / "rooms-table.dxf";
    std::ofstream(drawing, std::ios::binary) << text;
    const auto run = qxtest::runQxcad("OPEN " + drawing.string() +
                                      "\nDATAEXTRACTION\nclick Next\nclick Next\nclick Next\n"
                                      "check 1025 Contents 1\nclick Next\nclick 1031\n0,-100\nclick Finish\n"
                                      "SAVEAS " + saved.string() + "\nOPEN " + saved.string() + "\nQUIT\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Opened " + saved.string()), std::string::npos) << run.output;
    OpenResult reopened;
    DxfError error;
    ASSERT_TRUE(openDxf(saved.string(), reopened, error)) << error.text();
    const auto* table = first<QxDbTable>(*reopened.database);
    ASSERT_TRUE(table);
    bool found = false;
    for (std::uint32_t r = 0; r < table->numRows(); ++r)
        for (std::uint32_t c = 0; c < table->numColumns(); ++c) found |= table->cell(r, c)->text == u"ROOM 101\\PKitchen";
    EXPECT_TRUE(found) << run.output;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qx::dxf
