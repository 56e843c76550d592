#include <sstream>

#include "cad/editor/console.h"
#include "cad/editor/selection.h"
#include "db/db_fixture.h"

class Selection : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        line = addLine(0, 0, 10, 0);
        circle = add(new QxDbCircle({50, 50, 0}, 5));
        auto* t = new QxDbTable;
        t->setPosition({100, 100, 0});
        table = add(t);
        erased = addLine(1, 1, 2, 2);
        QxDbEntity* e = nullptr;
        qxdbOpenQxDbEntity(e, erased, QxDb::kForWrite);
        e->erase();
        e->close();
        line2 = addLine(0, 5, 10, 5);
    }
    void TearDown() override
    {
        std::istringstream none;
        qx::setInput(none, true);
        DrawingTest::TearDown();
    }

    // Runs qxedSSGet and returns the handles it selected, in order.
    std::vector<QxDbObjectId> select(const char16_t* mode, const qxresbuf* filter, int expected = QXRT_NORM)
    {
        qxds_name ss;
        const int rc = qxedSSGet(mode, nullptr, nullptr, filter, ss);
        EXPECT_EQ(rc, expected);
        std::vector<QxDbObjectId> ids;
        if (rc != QXRT_NORM) return ids;
        std::int32_t n = 0;
        EXPECT_EQ(qxedSSLength(ss, &n), QXRT_NORM);
        for (std::int32_t i = 0; i < n; ++i) {
            qxds_name ent;
            EXPECT_EQ(qxedSSName(ss, i, ent), QXRT_NORM);
            QxDbObjectId id;
            EXPECT_EQ(qxdbGetObjectId(id, ent), Qxapp::eOk);
            ids.push_back(id);
        }
        qxds_name out;
        EXPECT_EQ(qxedSSName(ss, n, out), QXRT_ERROR);
        EXPECT_EQ(qxedSSFree(ss), QXRT_NORM);
        EXPECT_EQ(qxedSSFree(ss), QXRT_ERROR);  // a freed set is gone
        return ids;
    }

    void answer(const std::string& lines)
    {
        input = std::make_unique<std::istringstream>(lines);
        qx::setInput(*input, true);
    }

    std::unique_ptr<std::istringstream> input;
    QxDbObjectId line, circle, table, erased, line2;
};

TEST_F(Selection, AllTakesModelSpaceInDrawingOrderFilteredByTypeName)
{
    EXPECT_EQ(select(u"A", nullptr), (std::vector<QxDbObjectId>{line, circle, table, line2}));  // no erased
    qxresbuf* tables = qxutBuildList(QXRT_DXF0, u"ACAD_TABLE", 0);
    EXPECT_EQ(select(u"A", tables), (std::vector<QxDbObjectId>{table}));
    qxutRelRb(tables);
    qxresbuf* several = qxutNewRb(0);  // group 0 as a drawing file names it, with a list
    several->resval.rstring = qxutNewString(u"line,Circle");
    EXPECT_EQ(select(u"A", several), (std::vector<QxDbObjectId>{line, circle, line2}));
    qxutRelRb(several);
    qxresbuf* none = qxutBuildList(QXRT_DXF0, u"ARC", 0);
    select(u"A", none, QXRT_ERROR);  // nothing selected: no set
    qxutRelRb(none);
    qxresbuf* unsupported = qxutBuildList(62, 1, 0);
    select(u"A", unsupported, QXRT_ERROR);
    qxutRelRb(unsupported);
}

TEST_F(Selection, InteractiveAnswersAndTheSinglePickTableFilter)
{
    answer("handles " + qx::toUtf8(line2.handle().ascii()) + " " + qx::toUtf8(line.handle().ascii()) +
           "\nall\nlast\nhandles " + qx::toUtf8(line.handle().ascii()) + "\nhandles " +
           qx::toUtf8(table.handle().ascii()) + "\ncancel\n");
    EXPECT_EQ(select(nullptr, nullptr), (std::vector<QxDbObjectId>{line2, line}));  // in the order given
    EXPECT_EQ(select(nullptr, nullptr).size(), 4u);
    EXPECT_EQ(select(nullptr, nullptr), (std::vector<QxDbObjectId>{line2}));
    qxresbuf* tables = qxutBuildList(QXRT_DXF0, u"ACAD_TABLE", 0);
    select(u":S", tables, QXRT_ERROR);  // a line picked where a table is wanted: nothing
    EXPECT_EQ(select(u":S", tables), (std::vector<QxDbObjectId>{table}));
    qxutRelRb(tables);
    select(nullptr, nullptr, QXRT_CANCEL);
    select(nullptr, nullptr, QXRT_CANCEL);  // end of input cancels too
}

TEST_F(Selection, UnusableAnswersAreAskedAgain)
{
    answer("handles " + qx::toUtf8(erased.handle().ascii()) + "\nwindow 1,2\nhandles ZZ\nfoo\nhandles " +
           qx::toUtf8(circle.handle().ascii()) + "\n");
    qx::clearTranscript();
    EXPECT_EQ(select(nullptr, nullptr), (std::vector<QxDbObjectId>{circle}));
    const std::u16string& out = qx::transcript();
    EXPECT_NE(out.find(u"No object of model space has the handle " + erased.handle().ascii()), std::u16string::npos);
    EXPECT_NE(out.find(u"Cannot use \"foo\""), std::u16string::npos);
}

TEST_F(Selection, WindowTakesObjectsWhoseExtentsLieInside)
{
    answer("window -1,-1 11,6\nwindow 11,6 -1,-1\nwindow -1,-1 9,6\n");
    EXPECT_EQ(select(nullptr, nullptr), (std::vector<QxDbObjectId>{line, line2}));
    EXPECT_EQ(select(nullptr, nullptr), (std::vector<QxDbObjectId>{line, line2}));  // corners in any order
    select(nullptr, nullptr, QXRT_ERROR);  // both lines reach x = 10: neither lies inside
}

TEST_F(Selection, WindowCornersAreInTheCurrentUcs)
{
    // UCS turned 90 degrees: its X axis is the world's Y axis.
    QxGeMatrix3d ucs;
    ucs.setCoordSystem({0, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});
    ASSERT_EQ(qxedSetCurrentUCS(ucs), Qxapp::eOk);
    // The circle spans world x 45..55, y 45..55: UCS x 45..55, y -55..-45.
    answer("window 44,-56 56,-44\n");
    EXPECT_EQ(select(nullptr, nullptr), (std::vector<QxDbObjectId>{circle}));
}

TEST_F(Selection, EntityNamesWalkModelSpace)
{
    qxds_name first, next, last;
    ASSERT_EQ(qxdbEntNext(nullptr, first), QXRT_NORM);
    QxDbObjectId id;
    qxdbGetObjectId(id, first);
    EXPECT_EQ(id, line);
    ASSERT_EQ(qxdbEntNext(first, next), QXRT_NORM);
    qxdbGetObjectId(id, next);
    EXPECT_EQ(id, circle);
    ASSERT_EQ(qxdbEntLast(last), QXRT_NORM);
    qxdbGetObjectId(id, last);
    EXPECT_EQ(id, line2);

    // The entity after the last one, once a new one is appended, is that new one.
    const QxDbObjectId added = addLine(3, 3, 4, 4);
    ASSERT_EQ(qxdbEntNext(last, next), QXRT_NORM);
    qxdbGetObjectId(id, next);
    EXPECT_EQ(id, added);

    qxresbuf* data = qxdbEntGet(next);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->restype, -1);
    EXPECT_EQ(std::u16string(data->rbnext->resval.rstring), u"LINE");
    EXPECT_EQ(std::u16string(data->rbnext->rbnext->resval.rstring), added.handle().ascii());
    EXPECT_EQ(std::u16string(data->rbnext->rbnext->rbnext->resval.rstring), u"0");
    qxutRelRb(data);
}

TEST_F(Selection, ForeignOrStaleNamesAreRefused)
{
    qxds_name bogus = {0x2A, 12345};
    QxDbObjectId id;
    EXPECT_EQ(qxdbGetObjectId(id, bogus), Qxapp::eInvalidInput);
    qxds_name name;
    ASSERT_EQ(qxdbGetQxdsName(name, line), Qxapp::eOk);
    name[0] = 0x7FFFFF;  // no such handle
    EXPECT_EQ(qxdbGetObjectId(id, name), Qxapp::eKeyNotFound);
    EXPECT_TRUE(id.isNull());
}

TEST_F(Selection, PointsAreAnsweredInTheCurrentUcs)
{
    answer("10,20\n 1.5 , -2 , 3 \nten,20\ncancel\n");
    double p[3];
    ASSERT_EQ(qxedGetPoint(nullptr, u"\nPlease input table insertion point :", p), QXRT_NORM);
    EXPECT_EQ(QxGePoint3d(p[0], p[1], p[2]), QxGePoint3d(10, 20, 0));
    ASSERT_EQ(qxedGetPoint(nullptr, nullptr, p), QXRT_NORM);
    EXPECT_EQ(QxGePoint3d(p[0], p[1], p[2]), QxGePoint3d(1.5, -2, 3));
    qx::clearTranscript();
    EXPECT_EQ(qxedGetPoint(nullptr, nullptr, p), QXRT_CANCEL);  // "ten,20" is asked again
    EXPECT_NE(qx::transcript().find(u"ten,20"), std::u16string::npos);
}

TEST(SelectionParsing, PointsHandlesAndPatterns)
{
    for (const char16_t* bad : {u"1", u"1,2,3,4", u"1,,2", u"1,2x", u"1e999,2"}) EXPECT_FALSE(qx::parsePoint(bad));
    ASSERT_TRUE(qx::parsePoint(u"-1e2,+.5"));
    EXPECT_EQ(qx::parsePoint(u"-1e2,+.5")->x, -100);
    EXPECT_EQ(qx::parseHandle(u"2a").value(), 0x2Au);
    EXPECT_FALSE(qx::parseHandle(u"2G"));
    EXPECT_FALSE(qx::parseHandle(u"11112222333344445"));  // more than 64 bits
    EXPECT_TRUE(qx::matchesPattern(u"*POLY*", u"LWPOLYLINE"));
    EXPECT_TRUE(qx::matchesPattern(u"ci?cle", u"CIRCLE"));
    EXPECT_FALSE(qx::matchesPattern(u"*LINE", u"LINES"));
}
