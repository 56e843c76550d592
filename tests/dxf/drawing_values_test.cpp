// Values that would break a drawing file's lines (a line break inside a value makes the reader
// take the rest for the next group code): written in the format's own notation where the place
// has one, refused with the object named where it has none. Every drawing saved opens again.
#include <gtest/gtest.h>

#include "dbtable.h"
#include "drawing_support.h"
#include "support/run_qxcad.h"

namespace qx::dxf {
namespace {

using test::appendToModelSpace;
using test::first;
using test::object;
using test::openText;
using test::reread;
using test::sameIn;
using test::saveText;
using test::Writable;

std::shared_ptr<QxDbDatabase> generated(const char* version) { return openText(test::generated(7, 30, version)); }

// The generator's empty drawing with one multi-line text of the given contents, as written.
std::string withMText(const std::string& contents)
{
    std::string text = bench::DxfDrawingGenerator(3).drawing(0);
    const std::string mtext = "  0\nMTEXT\n  5\nABC\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbMText\n 10\n0.0\n 20\n0.0\n"
                              " 30\n0.0\n 40\n2.5\n  1\n" + contents + "\n";
    text.insert(text.find("  0\nENDSEC\n", text.find("ENTITIES")), mtext);
    return text;
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
        const QxDbObjectId mtextId = appendToModelSpace(*db, mtext);
        auto* table = new QxDbTable;
        table->setTableStyle(db->tablestyle());
        table->setSize(2, 2);
        table->setTextString(0, 0, u"ROOM 101\nKitchen");
        table->setTextString(1, 1, longText.c_str());
        const QxDbObjectId tableId = appendToModelSpace(*db, table);

        const std::string saved = saveText(*db);
        auto back = openText(saved);
        ASSERT_TRUE(back);
        const auto* mtextBack = object<QxDbMText>(sameIn(*back, mtextId));
        ASSERT_TRUE(mtextBack);
        EXPECT_EQ(mtextBack->contents(), u"ROOM 101\\PKitchen\\PHall\\PEnd");
        EXPECT_EQ(mtextBack->text(), u"ROOM 101\nKitchen\nHall\nEnd");
        const auto* tableBack = object<QxDbTable>(sameIn(*back, tableId));
        ASSERT_TRUE(tableBack);
        EXPECT_EQ(tableBack->cell(0, 0)->text, u"ROOM 101\\PKitchen");
        EXPECT_EQ(tableBack->cell(1, 1)->text, longRead);
        // The table's graphics hold the same texts as multi-line texts.
        auto file = reread(saved);
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
    test::registerApp(*db, u"QX_NOTES");
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
    EXPECT_EQ(object<QxDbAttribute>(sameIn(*back, attributeId))->textString(), value);
    EXPECT_EQ(test::xdataStrings(*object<QxDbLine>(sameIn(*back, lineId)), u"QX_NOTES"),
              (std::vector<std::u16string>{u"first\nsecond", longValue}));
    // Saved again unchanged, the same bytes.
    EXPECT_EQ(saveText(*back), saved);
}

TEST(DxfLineBreaks, CaretNotationInFilesIsRead)
{
    // Other programs write tabs in texts as ^I; a caret before a space is the caret itself.
    auto db = openText(withMText("A^IB^ C 2^3"));
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
        const qxtest::TempDir dir;
        const std::string path = dir.write("plan.dxf", "previous drawing");
        SaveResult result;
        DxfError error;
        EXPECT_FALSE(saveDxf(*db, path, result, error));
        EXPECT_NE(error.text().find("the LINE"), std::string::npos) << error.text();
        EXPECT_NE(error.text().find("the file on disk is unchanged"), std::string::npos) << error.text();
        EXPECT_EQ(qxtest::readFile(path), "previous drawing");
        EXPECT_EQ(dir.entries(), 1u);
    }
}

TEST(DxfLineBreaks, TheWizardsTableOfAMultiLineTextOpensAfterSaveAs)
{
    const qxtest::TempDir dir;
    const std::string drawing = dir.write("rooms.dxf", withMText("ROOM 101\\PKitchen")), saved = dir.file("rooms-table.dxf");
    const auto run = qxtest::runQxcad("OPEN " + drawing +
                                      "\nDATAEXTRACTION\nclick Next\nclick Next\nclick Next\n"
                                      "check 1025 Contents 1\nclick Next\nclick 1031\n0,-100\nclick Finish\n"
                                      "SAVEAS " + saved + "\nOPEN " + saved + "\nQUIT\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Opened " + saved), std::string::npos) << run.output;
    auto reopened = openText(qxtest::readFile(saved));
    ASSERT_TRUE(reopened);
    const auto* table = first<QxDbTable>(*reopened);
    ASSERT_TRUE(table);
    bool found = false;
    for (std::uint32_t r = 0; r < table->numRows(); ++r)
        for (std::uint32_t c = 0; c < table->numColumns(); ++c) found |= table->cell(r, c)->text == u"ROOM 101\\PKitchen";
    EXPECT_TRUE(found) << run.output;
}

}  // namespace
}  // namespace qx::dxf
