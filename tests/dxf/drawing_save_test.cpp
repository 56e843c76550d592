// Saving drawings: unchanged ones byte for byte, changes written consistently, new tables
// readable by other programs, and the console commands around it.
#include <gtest/gtest.h>

#include "cad/dxf/dxf_builtins.h"
#include "cad/editor/console.h"
#include "cad/runtime/documents.h"
#include "dbtable.h"
#include "drawing_support.h"
#include "support/files.h"

namespace qx::dxf {
namespace {

using test::generated;
using test::openText;
using test::Pairs;
using test::recordsOf;
using test::registerApp;
using test::reread;
using test::saveText;
using test::Writable;

void setXData(QxDbObjectId id, const std::vector<std::pair<int, std::u16string>>& values)
{
    qxresbuf* head = nullptr;
    qxresbuf** tail = &head;
    for (const auto& [code, text] : values) {
        *tail = qxutNewRb(code);
        (*tail)->resval.rstring = qxutNewString(text.c_str());
        tail = &(*tail)->rbnext;
    }
    Writable<QxDbObject> o(id);
    EXPECT_EQ(o->setXData(head), Qxapp::eOk);
    qxutRelRb(head);
}

QxDbObjectId addTable(QxDbDatabase& db, const std::u16string& longItem);

TEST(DxfSaveChanges, AChangedLineKeepsWhatTheHostDoesNotKnow)
{
    std::string text = generated(5, 10);
    // A transparency (440) the host does not map, inside the first LINE's common data.
    const std::string layerOfLine = "  5\n100\n330\n1F\n100\nAcDbEntity\n  8\n0\n";
    ASSERT_NE(text.find(layerOfLine), std::string::npos);
    text.replace(text.find(layerOfLine), layerOfLine.size(), layerOfLine + "440\n33554687\n");
    auto db = openText(text);
    const QxDbObjectId line = test::modelSpace(*db)->entityIds()[0];
    {
        Writable<QxDbLine> l(line);
        l->setStartPoint({1, 2, 3});
        l->setColorIndex(1);
    }
    const std::string saved = saveText(*db);
    auto file = reread(saved);
    const auto lines = recordsOf(*file, "LINE");
    ASSERT_FALSE(lines.empty());
    // DOOR's two lines come first, in BLOCKS.
    const Pairs record = test::pairsOf(*file, lines[2]);
    EXPECT_TRUE(test::hasRun(record, {{440, "33554687"}}));
    EXPECT_TRUE(test::hasRun(record, {{10, "1.0"}, {20, "2.0"}, {30, "3.0"}}));
    EXPECT_TRUE(test::hasRun(record, {{62, "1"}}));
    EXPECT_TRUE(test::hasRun(record, {{1001, "PE_URL"}}));  // its hyperlink is still there
    // Every other entity record is as it was. (The generated drawing has no table style: the one
    // the reader added is written along with the change, so the object section grows.)
    auto original = test::parsed(text);
    const Section* before = original->section("ENTITIES");
    const Section* after = file->section("ENTITIES");
    ASSERT_EQ(after->end - after->begin, before->end - before->begin);
    for (std::size_t k = 0; k <= after->end - after->begin; ++k) {
        if (after->begin + k == lines[2]) continue;
        EXPECT_EQ(file->recordText(after->begin + k), original->recordText(before->begin + k)) << "record " << k;
    }
    const std::string report = test::ezdxfAudit(saved, "print('start', msp.query('LINE')[0].dxf.start)\n");
    if (report.empty()) GTEST_SKIP() << "python3-ezdxf is not installed";
    EXPECT_NE(report.find("start (1.0, 2.0, 3.0)"), std::string::npos) << report;
}

TEST(DxfSaveChanges, ChangedAndNewRecordsKeepTheFilesLineEnds)
{
    std::string text;
    for (char c : generated(5, 10)) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    auto db = openText(text);
    {
        Writable<QxDbLine> l(test::modelSpace(*db)->entityIds()[0]);
        l->setEndPoint({7, 7, 0});
    }
    addTable(*db, u"x");
    const std::string saved = saveText(*db);
    std::size_t bare = 0;
    for (std::size_t i = 0; i < saved.size(); ++i) bare += saved[i] == '\n' && (i == 0 || saved[i - 1] != '\r');
    EXPECT_EQ(bare, 0u);
    EXPECT_NE(saved.find(" 11\r\n7.0\r\n"), std::string::npos);
}

TEST(DxfSaveChanges, AnErasedReferenceTakesItsAttributesAlong)
{
    auto db = openText(generated(5, 10));
    const QxDbObjectId insert = test::modelSpace(*db)->entityIds()[9];
    {
        Writable<QxDbEntity> e(insert);
        ASSERT_EQ(e->erase(), Qxapp::eOk);
    }
    auto file = reread(saveText(*db));
    EXPECT_TRUE(recordsOf(*file, "INSERT").empty());
    EXPECT_TRUE(recordsOf(*file, "ATTRIB").empty());
    EXPECT_TRUE(recordsOf(*file, "SEQEND").empty());
    EXPECT_EQ(recordsOf(*file, "LINE").size(), 3u);  // two in DOOR, one in model space
    const std::string report = test::ezdxfAudit(saveText(*db));
    if (report.empty()) GTEST_SKIP() << "python3-ezdxf is not installed";
    EXPECT_EQ(report.find("INSERT"), std::string::npos) << report;
}

TEST(DxfSaveChanges, NewEntitiesWithNewApplicationsAreConsistent)
{
    auto db = openText(generated(5, 10));
    registerApp(*db, u"QX_TEST");
    auto* line = new QxDbLine({0, 0, 0}, {10, 0, 0});
    line->setLayer(u"Walls");
    const QxDbObjectId id = test::appendToModelSpace(*db, line);
    setXData(id, {{1001, u"QX_TEST"}, {1000, u"größe"}});
    const std::string saved = saveText(*db);
    auto file = reread(saved);
    const auto lines = recordsOf(*file, "LINE");
    EXPECT_TRUE(test::hasRun(test::pairsOf(*file, lines.back()), {{1001, "QX_TEST"}, {1000, "gr\xC3\xB6\xC3\x9F" "e"}}))
        << "an R2013 file is UTF-8: " << file->recordText(lines.back());
    const std::string report = test::ezdxfAudit(saved, "print(msp.query('LINE')[-1].get_xdata('QX_TEST'))\n");
    if (report.empty()) GTEST_SKIP() << "python3-ezdxf is not installed";
    EXPECT_NE(report.find("('LINE', 2)"), std::string::npos) << report;
    EXPECT_NE(report.find("größe"), std::string::npos) << report;
}

// The groups of an object's extended data for one application, each as its code and value.
std::vector<std::string> describeXData(QxDbObjectId id, const char16_t* app)
{
    qxresbuf* chain = qx::peekObject(id)->xData(app);
    std::vector<std::string> out;
    for (const qxresbuf* rb = chain; rb; rb = rb->rbnext) {
        const qxresval& v = rb->resval;
        std::string item = std::to_string(rb->restype) + ':';
        switch (qxutRbKind(rb->restype)) {
        case QxRbKind::String: item += utf16ToUtf8(v.rstring); break;
        case QxRbKind::Real: item += std::to_string(v.rreal); break;
        case QxRbKind::Point:
            for (double c : v.rpoint) item += std::to_string(c) + ' ';
            break;
        case QxRbKind::Short: item += std::to_string(v.rint); break;
        case QxRbKind::Long: item += std::to_string(v.rlong); break;
        case QxRbKind::Binary:
            for (std::int32_t i = 0; i < v.rbinary.clen; ++i) item += std::to_string(v.rbinary.buf[i]) + ' ';
            break;
        default: break;
        }
        out.push_back(item);
    }
    qxutRelRb(chain);
    return out;
}

TEST(DxfSaveChanges, AChangeToAnyOneExtendedDataValueIsWritten)
{
    auto db = openText(generated(5, 10));
    registerApp(*db, u"QX_TEST");
    const double point[3] = {1.5, -2.25, 1024};
    qxresbuf* chain = qxutBuildList(1001, u"QX_TEST", 1070, -2, 1071, -70000, 1040, 0.5, 1010, point, 1005, u"2F", 1004, 0);
    qxresbuf* chunk = chain;
    while (chunk->rbnext) chunk = chunk->rbnext;
    chunk->resval.rbinary.clen = 3;
    chunk->resval.rbinary.buf = new unsigned char[3]{0x00, 0xAB, 0x0F};
    const QxDbObjectId line = test::modelSpace(*db)->entityIds()[0];
    {
        Writable<QxDbObject> o(line);
        ASSERT_EQ(o->setXData(chain), Qxapp::eOk);
    }
    qxutRelRb(chain);
    const std::vector<std::string> given = describeXData(line, u"QX_TEST");
    ASSERT_EQ(given.size(), 7u);

    const std::string saved = saveText(*db);
    auto file = reread(saved);
    const auto lines = recordsOf(*file, "LINE");
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](std::size_t i) {
        return test::hasRun(test::pairsOf(*file, i), {{1001, "QX_TEST"}, {1070, "-2"}, {1071, "-70000"}});
    })) << "16-bit values keep their sign";
    EXPECT_EQ(describeXData(test::modelSpace(*openText(saved))->entityIds()[0], u"QX_TEST"), given);

    // One value changed at a time, of each kind: saving must notice that the object changed.
    for (int k = 1; k < 7; ++k) {
        SCOPED_TRACE(given[k]);
        auto again = openText(saved);
        const QxDbObjectId id = test::modelSpace(*again)->entityIds()[0];
        qxresbuf* changed = qx::peekObject(id)->xData(u"QX_TEST");
        qxresbuf* rb = changed;
        for (int i = 0; i < k; ++i) rb = rb->rbnext;
        switch (qxutRbKind(rb->restype)) {
        case QxRbKind::Short: rb->resval.rint += 1; break;
        case QxRbKind::Long: rb->resval.rlong += 1; break;
        case QxRbKind::Real: rb->resval.rreal += 1; break;
        case QxRbKind::Point: rb->resval.rpoint[2] += 1; break;
        case QxRbKind::String:
            qxutDelBuffer(rb->resval.rstring);
            rb->resval.rstring = qxutNewString(u"30");
            break;
        case QxRbKind::Binary: rb->resval.rbinary.buf[1] ^= 1; break;
        default: FAIL() << "a value of no kind";
        }
        {
            Writable<QxDbObject> o(id);
            ASSERT_EQ(o->setXData(changed), Qxapp::eOk);
        }
        qxutRelRb(changed);
        const std::vector<std::string> expected = describeXData(id, u"QX_TEST");
        EXPECT_NE(expected, given);
        EXPECT_EQ(describeXData(test::modelSpace(*openText(saveText(*again)))->entityIds()[0], u"QX_TEST"), expected);
    }
}

TEST(DxfSaveChanges, ASeedBelowTheHandlesInUseIsRaisedBeforeNewHandlesAreGiven)
{
    // Written by a careless program: $HANDSEED 101 while the generated entities go up past it.
    std::string text = generated(5, 10);
    const std::string seedLine = "$HANDSEED\n  5\n";
    const auto at = text.find(seedLine) + seedLine.size();
    text.replace(at, text.find('\n', at) - at, "101");
    std::vector<std::string> warnings;
    auto db = openText(text, &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("$HANDSEED 101 was below the handles in use"), std::string::npos) << warnings[0];
    test::appendToModelSpace(*db, new QxDbPoint({1, 1, 0}));
    reread(saveText(*db));  // the check finds any handle used twice or at or above the seed
}

// A 3 x 2 table: merged title, a header row, and a data row with a block cell.
QxDbObjectId addTable(QxDbDatabase& db, const std::u16string& longItem)
{
    QxDbObjectId doorId;
    QxDbSymbolTable::cast(qx::peekObject(db.blockTableId()))->getAt(u"DOOR", doorId);
    auto* table = new QxDbTable;
    table->setTableStyle(db.tablestyle());
    table->setPosition({100, 50, 0});
    table->setSize(3, 2);
    table->setColumnWidth(0, 40);
    table->setColumnWidth(1, 60);
    table->mergeCells(0, 0, 0, 1);
    table->setTextString(0, 0, u"Extraction äöü");
    table->setTextString(1, 0, u"Count");
    table->setTextString(1, 1, u"Name");
    table->setTextString(2, 0, u"2");
    if (!doorId.isNull()) table->setBlockTableRecordId(2, 1, doorId, true);
    const QxDbObjectId id = test::appendToModelSpace(db, table);
    for (const char16_t* app : {u"obj_handles", u"tb_headers", u"replaced_hdls"}) registerApp(db, app);
    setXData(id, {{1001, u"obj_handles"}, {1000, u"2F"}, {1000, u"30"}, {1001, u"tb_headers"}, {1000, u"Count"},
                  {1000, longItem}, {1001, u"replaced_hdls"}, {1000, u""}});
    return id;
}

TEST(DxfSaveTables, ANewTableHasItsBlockStyleClassAndExtendedData)
{
    for (const char* version : {"AC1018", "AC1027"}) {
        SCOPED_TRACE(version);
        auto db = openText(generated(5, 10, version));
        const std::u16string longItem = std::u16string(120, u'名') + u" and more";  // > 255 bytes either way
        addTable(*db, longItem);
        const std::string saved = saveText(*db);
        auto file = reread(saved);
        ASSERT_EQ(recordsOf(*file, "ACAD_TABLE").size(), 1u);
        EXPECT_EQ(recordsOf(*file, "TABLESTYLE").size(), 1u);  // the generated drawing had none
        EXPECT_TRUE(test::hasRun(test::pairsOf(*file, recordsOf(*file, "ACAD_TABLE")[0]), {{2, "*T1"}}));

        // Our reader gets the table and its record back whole.
        auto again = openText(saved);
        const auto* back = test::first<QxDbTable>(*again);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->textString(0, 0), u"Extraction äöü");
        EXPECT_TRUE(back->isMergedCell(0, 1));
        EXPECT_EQ(back->cellType(2, 1), QxDb::kBlockCell);
        EXPECT_DOUBLE_EQ(back->columnWidth(1), 60);
        qxresbuf* headers = back->xData(u"tb_headers");
        ASSERT_TRUE(headers && headers->rbnext && headers->rbnext->rbnext);
        EXPECT_EQ(std::u16string(headers->rbnext->rbnext->resval.rstring), longItem);
        qxutRelRb(headers);

        const std::string report = test::ezdxfAudit(
            saved,
            "t = msp.query('ACAD_TABLE')[0]\n"
            "blk = doc.blocks.get('*T1')\n"
            "print('block *T1', sorted(Counter(e.dxftype() for e in blk).items()))\n"
            "print('apps', [a for a in ('obj_handles','tb_headers','replaced_hdls') if t.has_xdata(a)])\n");
        if (report.empty()) continue;
        EXPECT_NE(report.find("('ACAD_TABLE', 1)"), std::string::npos) << report;
        EXPECT_NE(report.find("block *T1 [('INSERT', 1), ('LINE', "), std::string::npos) << report;
        EXPECT_NE(report.find("('MTEXT', 4)"), std::string::npos) << report;
        EXPECT_NE(report.find("apps ['obj_handles', 'tb_headers', 'replaced_hdls']"), std::string::npos) << report;
    }
}

TEST(DxfSaveTables, ARecordBeyondWhatOtherProgramsAcceptIsKeptWholeWithAWarning)
{
    auto db = openText(generated(5, 10));
    const QxDbObjectId id = addTable(*db, u"x");
    std::vector<std::pair<int, std::u16string>> handles = {{1001, u"obj_handles"}};
    for (int i = 0; i < 4000; ++i) handles.emplace_back(1000, utf8ToUtf16(formatHandle(0x10000 + i)));
    setXData(id, handles);
    std::vector<std::string> warnings;
    const std::string saved = saveText(*db, &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("other CAD programs accept at most 16383"), std::string::npos) << warnings[0];
    auto again = openText(saved);
    const auto* table = test::first<QxDbTable>(*again);
    ASSERT_TRUE(table);
    const auto read = test::xdataStrings(*table, u"obj_handles");
    ASSERT_EQ(read.size(), 4000u);
    EXPECT_EQ(read.back(), utf8ToUtf16(formatHandle(0x10000 + 3999)));
}

// A generated drawing with a table, saved and opened again, so that the table comes from a file.
std::shared_ptr<QxDbDatabase> reopenedWithTable()
{
    auto db = openText(generated(5, 10));
    addTable(*db, u"x");
    return openText(saveText(*db));
}

QxDbObjectId tableOf(QxDbDatabase& db)
{
    const auto* table = test::first<QxDbTable>(db);
    return table ? table->objectId() : QxDbObjectId{};
}

// Empty cells are most of a large table and are written alike; the cells among them keep their
// places, and an empty cell that anchors a merge keeps its span.
TEST(DxfSaveTables, TextsAndMergesAmongEmptyCellsKeepTheirPlaces)
{
    const std::map<std::pair<std::uint32_t, std::uint32_t>, std::u16string> texts = {
        {{0, 0}, u"Title"}, {{2, 3}, u"a"}, {{4, 3}, u"c"}, {{5, 0}, u"b"}};
    for (const char* version : {"AC1018", "AC1027"}) {
        SCOPED_TRACE(version);
        auto db = openText(generated(5, 3, version));
        auto* table = new QxDbTable;
        table->setTableStyle(db->tablestyle());
        table->setSize(6, 4);
        table->mergeCells(0, 0, 0, 3);
        table->mergeCells(3, 4, 1, 2);
        for (const auto& [at, value] : texts) table->setTextString(at.first, at.second, value.c_str());
        test::appendToModelSpace(*db, table);
        auto again = openText(saveText(*db));
        const auto* back = test::first<QxDbTable>(*again);
        ASSERT_TRUE(back);
        ASSERT_EQ(back->numRows(), 6u);
        ASSERT_EQ(back->numColumns(), 4u);
        for (std::uint32_t r = 0; r < 6; ++r)
            for (std::uint32_t c = 0; c < 4; ++c) {
                const auto it = texts.find({r, c});
                EXPECT_EQ(back->textString(r, c), it == texts.end() ? u"" : it->second) << r << "," << c;
            }
        std::uint32_t r0 = 0, r1 = 0, c0 = 0, c1 = 0;
        ASSERT_TRUE(back->isMergedCell(4, 2, &r0, &r1, &c0, &c1));
        EXPECT_EQ(std::vector<std::uint32_t>({r0, r1, c0, c1}), std::vector<std::uint32_t>({3, 4, 1, 2}));
        EXPECT_TRUE(back->isMergedCell(0, 3));
        EXPECT_FALSE(back->isMergedCell(2, 1));
        EXPECT_FALSE(back->isMergedCell(5, 3));
    }
}

TEST(DxfSaveTables, AChangedTableRewritesItsBlockInPlace)
{
    auto reopened = reopenedWithTable();
    const QxDbObjectId tableId = tableOf(*reopened);
    ASSERT_FALSE(tableId.isNull());
    {
        Writable<QxDbTable> t(tableId);
        t->setTextString(2, 0, u"3");
    }
    const std::string saved = saveText(*reopened);
    auto file = reread(saved);
    EXPECT_EQ(recordsOf(*file, "ACAD_TABLE").size(), 1u);
    EXPECT_EQ(recordsOf(*file, "BLOCK_RECORD").size(), 4u);  // model, paper, DOOR, *T1: no second block
    std::size_t threes = 0;
    for (std::size_t i : recordsOf(*file, "MTEXT")) threes += test::hasRun(test::pairsOf(*file, i), {{1, "3"}});
    EXPECT_EQ(threes, 1u);
}

TEST(DxfSaveTables, ATablesLinetypeScaleAndLineweightChangedAfterOpeningAreSaved)
{
    auto reopened = reopenedWithTable();
    const QxDbObjectId tableId = tableOf(*reopened);
    ASSERT_FALSE(tableId.isNull());
    {
        Writable<QxDbTable> t(tableId);
        ASSERT_EQ(t->setLinetype(u"ByBlock"), Qxapp::eOk);
        ASSERT_EQ(t->setLineWeight(QxDb::LineWeight(50)), Qxapp::eOk);
        ASSERT_EQ(t->setLinetypeScale(2.5), Qxapp::eOk);
        ASSERT_EQ(t->setColorIndex(3), Qxapp::eOk);
    }
    auto again = openText(saveText(*reopened));
    const auto* table = test::first<QxDbTable>(*again);
    ASSERT_TRUE(table) << "the table did not come back";
    EXPECT_EQ(table->linetype(), u"ByBlock");
    EXPECT_EQ(table->lineWeight(), QxDb::LineWeight(50));
    EXPECT_EQ(table->linetypeScale(), 2.5);
    EXPECT_EQ(table->colorIndex(), 3);
}

TEST(DxfSaveTables, ATableWhoseBlockIsNotClosedGetsANewBlock)
{
    // Found by fuzzing: the table's block has no ENDBLK, and rewriting "the block's content"
    // ran to the end of the file.
    auto db = openText(generated(5, 10));
    addTable(*db, u"x");
    std::string text = saveText(*db);
    const auto block = text.find("  2\n*T1\n 70\n1\n");
    const auto endblk = text.find("  0\nENDBLK\n", block);
    const auto next = text.find("  0\n", endblk + 1);
    ASSERT_NE(block, std::string::npos);
    text.erase(endblk, next - endblk);
    auto reopened = openText(text);
    ASSERT_TRUE(reopened);
    const QxDbObjectId tableId = tableOf(*reopened);
    ASSERT_FALSE(tableId.isNull());
    Writable<QxDbTable>(tableId)->setTextString(2, 0, u"5");
    auto file = reread(saveText(*reopened), false);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->recordType(file->recordCount() - 1), "EOF");
    EXPECT_GE(recordsOf(*file, "LINE").size(), 3u);
    EXPECT_TRUE(test::hasRun(test::pairsOf(*file, recordsOf(*file, "ACAD_TABLE")[0]), {{2, "*T2"}}));
}

// Saves and opens again without the other checks of saveText: the table below is large.
std::shared_ptr<QxDbDatabase> saveAndReopen(QxDbDatabase& db)
{
    std::string text;
    SaveResult result;
    DxfError error;
    EXPECT_TRUE(writeDxfText(db, text, result, error)) << error.text();
    OpenResult reopened;
    EXPECT_TRUE(openDxfText(std::move(text), "large.dxf", reopened, error)) << error.text();
    return reopened.database;
}

TEST(DxfSaveTables, ATableOfMoreThanAMillionCellsComesBackWhole)
{
    // As large as the wizard makes them (70,009 rows of 17 columns), past any fixed cell limit.
    // An R2004 drawing keeps the file small: its cells have no value blocks.
    constexpr std::uint32_t kRows = 70'009, kColumns = 17;
    auto db = openText(generated(4, 3, "AC1018"));
    auto* table = new QxDbTable;
    table->setTableStyle(db->tablestyle());
    table->setSize(kRows, kColumns);
    table->setTextString(0, 0, u"Title");
    table->setTextString(kRows - 1, kColumns - 1, u"last");
    table->setTextString(kRows / 2, 3, u"middle");
    const QxDbObjectId id = test::appendToModelSpace(*db, table);
    auto back = saveAndReopen(*db);
    ASSERT_TRUE(back);
    const QxDbObjectId readId = back->getObjectId(id.handle());
    const auto* read = QxDbTable::cast(qx::peekObject(readId));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->numRows(), kRows);
    ASSERT_EQ(read->numColumns(), kColumns);
    EXPECT_EQ(read->cell(0, 0)->text, u"Title");
    EXPECT_EQ(read->cell(kRows / 2, 3)->text, u"middle");
    EXPECT_EQ(read->cell(kRows - 1, kColumns - 1)->text, u"last");
    // Changed and saved again, every cell is still there.
    {
        Writable<QxDbTable> t(readId);
        t->setTextString(1, 1, u"changed");
    }
    auto again = saveAndReopen(*back);
    ASSERT_TRUE(again);
    const auto* second = QxDbTable::cast(qx::peekObject(again->getObjectId(id.handle())));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->numRows(), kRows);
    EXPECT_EQ(second->cell(1, 1)->text, u"changed");
    EXPECT_EQ(second->cell(kRows - 1, kColumns - 1)->text, u"last");
}

TEST(DxfOpenTables, ATableClaimingFarMoreCellsThanItListsIsRefusedNotEmptied)
{
    std::string text = generated(4, 0, "AC1018");  // cell texts in code 1
    const std::string table = "  0\nACAD_TABLE\n  5\nABC\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockReference\n"
                              "  2\n*T1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n100\nAcDbTable\n 91\n60000\n 92\n60000\n"
                              "171\n1\n  1\nonly cell\n";
    const std::size_t at = text.find("  0\nENDSEC\n", text.find("ENTITIES"));
    text.insert(at, table);
    OpenResult result;
    DxfError error;
    EXPECT_FALSE(openDxfText(text, "huge.dxf", result, error));
    const auto line = static_cast<std::uint32_t>(1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    EXPECT_EQ(error.text(), "huge.dxf, line " + std::to_string(line) +
                                ": ACAD_TABLE of 60000 rows x 60000 columns lists only 1 cells; a table this large is read "
                                "only when its cells are in the file");
    // Fewer cells than rows x columns below that size: the rest are empty cells.
    text.replace(text.find("60000", at), 5, "3");
    text.replace(text.find("60000", at), 5, "2");
    auto db = openText(text);
    ASSERT_TRUE(db);
    const auto* small = QxDbTable::cast(qx::peekObject(db->getObjectId(QxDbHandle(0xABC))));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->numRows(), 3u);
    EXPECT_EQ(small->cell(0, 0)->text, u"only cell");
}

TEST(DxfSaveNew, ANewDrawingIsACompleteFile)
{
    auto db = std::make_shared<QxDbDatabase>();
    test::appendToModelSpace(*db, new QxDbCircle({5, 5, 0}, 2.5));
    const std::string saved = saveText(*db);
    auto file = reread(saved);
    EXPECT_EQ(file->version(), "AC1027");
    EXPECT_EQ(recordsOf(*file, "CIRCLE").size(), 1u);
    const std::string report = test::ezdxfAudit(saved);
    if (report.empty()) GTEST_SKIP() << "python3-ezdxf is not installed";
    EXPECT_NE(report.find("[('CIRCLE', 1)]"), std::string::npos) << report;
}

TEST(DxfSaveOld, ChangesToR12DrawingsAreRefusedUnchangedOnesSaved)
{
    const std::string r12 = test::dxfText({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {0, "ENDSEC"},
                                           {0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"},
                                           {11, "1"}, {21, "1"}, {0, "ENDSEC"}, {0, "EOF"}});
    auto db = openText(r12);
    EXPECT_EQ(saveText(*db), r12);
    {
        Writable<QxDbLine> l(test::modelSpace(*db)->entityIds()[0]);
        l->setEndPoint({2, 2, 0});
    }
    std::string text;
    SaveResult result;
    DxfError error;
    EXPECT_FALSE(writeDxfText(*db, text, result, error));
    EXPECT_NE(error.message.find("R12"), std::string::npos);
}

class DxfCommands : public ::testing::Test {
protected:
    void SetUp() override { registerDxfBuiltins(); }
    bool run(const char16_t* command, const std::string& path = "")
    {
        const BuiltinHandler* handler = findBuiltin(command);
        EXPECT_TRUE(handler);
        return handler && (*handler)(fromUtf8(path));
    }
    // Writes a generated drawing of `entities` entities into the folder and opens it.
    std::string openGenerated(const std::string& name, std::size_t entities)
    {
        const std::string path = dir.write(name, bench::DxfDrawingGenerator(1).drawing(entities));
        std::u16string error;
        EXPECT_TRUE(openDrawing(path, error)) << toUtf8(error);
        return path;
    }
    qxtest::TempDir dir;
};

TEST_F(DxfCommands, AFailedOpenLeavesTheCurrentDrawingOpen)
{
    const std::string good = openGenerated("good.dxf", 5);
    const auto before = currentDatabase();
    const std::string bad = dir.write("bad.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
    std::u16string error;
    EXPECT_FALSE(openDrawing(bad, error));
    EXPECT_EQ(toUtf8(error), bad + ", line 8: group code 10 needs a number, found \"not a number\"");
    EXPECT_EQ(currentDatabase(), before);
    EXPECT_EQ(currentFileName(), fromUtf8(good));
}

TEST_F(DxfCommands, LargeDrawingsShowProgressWhileTheyAreRead)
{
    const std::string big = dir.write("big.dxf", bench::DxfDrawingGenerator(1).drawing(70'000));  // about 13 MB
    ASSERT_GT(std::filesystem::file_size(big), 10u << 20);
    clearTranscript();
    std::u16string error;
    ASSERT_TRUE(openDrawing(big, error)) << toUtf8(error);
    const std::u16string& shown = transcript();
    // Several steps of the reading and of the building of objects, then 100% once, last.
    std::size_t steps = 0;
    for (auto at = shown.find(u"Reading " + fromUtf8(big) + u": "); at != std::u16string::npos;
         at = shown.find(u"Reading ", at + 1))
        ++steps;
    EXPECT_GE(steps, 4u) << toUtf8(shown);
    EXPECT_EQ(shown.find(u": 100%"), shown.rfind(u": 100%"));
    EXPECT_LT(shown.find(u": 100%"), shown.find(u"Opened"));
    clearTranscript();
    openGenerated("small.dxf", 10);
    EXPECT_EQ(transcript().find(u"Reading"), std::u16string::npos);
}

TEST_F(DxfCommands, SaveAsThenSaveWriteTheDrawingsFile)
{
    openGenerated("first.dxf", 5);
    const std::string second = dir.file("second.dxf");
    clearTranscript();
    EXPECT_TRUE(run(u"SAVEAS", second));
    EXPECT_NE(transcript().find(u"Saved"), std::u16string::npos);
    EXPECT_EQ(currentFileName(), fromUtf8(second));
    EXPECT_TRUE(run(u"SAVE"));
    EXPECT_EQ(test::reopenError(qxtest::readFile(second)), "");
    EXPECT_FALSE(run(u"SAVEAS", dir.file("missing/x.dxf")));
    EXPECT_TRUE(run(u"NEW"));
    // A new drawing has no file yet, even when a file of its placeholder name exists.
    const std::string placeholder = dir.write(toUtf8(currentFileName()), "someone's file");
    setCurrentDocument(fromUtf8(placeholder), currentDatabase());
    EXPECT_FALSE(run(u"SAVE"));
    EXPECT_EQ(qxtest::readFile(placeholder), "someone's file");
    const std::string named = dir.file("named.dxf");
    EXPECT_TRUE(run(u"SAVEAS", named));
    EXPECT_TRUE(run(u"SAVE"));
    EXPECT_EQ(test::reopenError(qxtest::readFile(named)), "");
}

}  // namespace
}  // namespace qx::dxf
