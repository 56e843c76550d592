// A record that does not fit its table is refused before anything changes: the table keeps
// every cell, the record every key, and the user reads why instead of "Table updated.".
#include <gtest/gtest.h>

#include <functional>

#include "drawing_fixture.h"
#include "host/dbobject.h"
#include "output/update_command.h"

using qxtest::DrawingTest;
using qxtest::ExtractionChoice;
using qxtest::Texts;

namespace {

const std::u16string kRefusedStart = u"\nThe extraction record of this table does not fit the table (";

class RecordCheck : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        c1 = addCircle(1);
        c2 = addCircle(2);
        c3 = addCircle(4);
        ExtractionChoice choice;
        choice.lsProps = {u"Object type", u"Radius"};
        choice.mapNames = {{u"Object type", u"Object type"}, {u"Radius", u"Radius"}};
        choice.lsTotals = {u"Radius"};
        idTbl = insertExtraction(choice);
    }
    void replace(const char16_t* key, const Texts& items)
    {
        RemoveRecordItems(idTbl, key);
        WriteRecordItems(idTbl, key, items);
    }
    // A refresh that must say `why` it refuses and leave the table alone.
    void expectRefreshRefused(const std::u16string& why)
    {
        const auto before = cells(idTbl);
        qx::clearTranscript();
        RefreshTable(strHelper, idTbl);
        EXPECT_NE(qx::transcript().find(why), std::u16string::npos) << qxtest::utf8(qx::transcript());
        EXPECT_EQ(qx::transcript().find(u"Table updated"), std::u16string::npos);
        EXPECT_EQ(cells(idTbl), before);
    }
    // Runs every action that changes the table; each must refuse, naming `key`, and leave the
    // table and its record as they were.
    // A replace reads no handles (it replaces them): `bReplaceReadsIt` false for those keys.
    void expectRefusedEverywhere(const std::u16string& key, bool bReplaceReadsIt = true)
    {
        const auto before = cells(idTbl);
        const auto recordBefore = ReadRecordItems(idTbl, csAppHdls);
        const std::u16string refused = kRefusedStart + key + u")";
        expectRefreshRefused(refused);

        const auto extra = addCircle(7, 30);
        std::vector<decltype(&AddObjectsToTable)> actions = {&AddObjectsToTable};
        if (bReplaceReadsIt) actions.push_back(&ReplaceTableSelection);
        for (auto action : actions) {
            answer("handles " + qxtest::utf8(extra) + "\n");
            action(nullptr, strHelper, idTbl);
            EXPECT_NE(qx::transcript().find(refused), std::u16string::npos) << qxtest::utf8(qx::transcript());
            EXPECT_EQ(qx::transcript().find(u"Table updated"), std::u16string::npos);
            EXPECT_EQ(cells(idTbl), before);
        }
        EXPECT_EQ(ReadRecordItems(idTbl, csAppHdls), recordBefore);
    }

    StrHelper strHelper;
    QxDbObjectId idTbl;
    std::u16string c1, c2, c3;
};

}  // namespace

TEST_F(RecordCheck, ListsThatDoNotFitTheTableAreRefused)
{
    // Too few handles: the last row would be taken for an erased object.
    replace(csAppHdls, {c1, c2});
    expectRefreshRefused(kRefusedStart + u"obj_handles)");
    replace(csAppHdls, {c1, c2, c3});
    // Names and their display names of different lengths.
    replace(csAppDisplayNames, {u"Object type"});
    expectRefusedEverywhere(u"display_names");
}

TEST_F(RecordCheck, ColumnsOfAnotherTableUnknownPropertiesAndGroupingByNoColumnAreRefused)
{
    replace(csTbHeaders, {u"Object type", u"Radius", u"Layer"});
    expectRefusedEverywhere(u"tb_headers");

    // A column named after no property at all.
    replace(csTbHeaders, {u"Object type", u"Width of the moon"});
    expectRefreshRefused(kRefusedStart);

    // Grouping by a property that is no column.
    replace(csTbHeaders, {u"Object type", u"Radius"});
    replace(csGroupByProp, {u"Color"});
    expectRefreshRefused(kRefusedStart + u"groupby_pr)");
}

TEST_F(RecordCheck, NumbersWhereTextsBelongAndMalformedHandlesAreRefused)
{
    {
        // A handle group turned into an integer: the reader would skip it and see too few.
        QxDbObject* table = nullptr;
        ASSERT_EQ(qxdbOpenObject(table, idTbl, QxDb::kForWrite), Qxapp::eOk);
        qxresbuf* chain = table->xData(csAppHdls);
        ASSERT_NE(chain, nullptr);
        qxresbuf* number = qxutNewRb(1070);
        number->resval.rint = 42;
        number->rbnext = chain->rbnext;
        chain->rbnext = number;
        ASSERT_EQ(table->setXData(chain), Qxapp::eOk);
        qxutRelRb(chain);
        table->close();
    }
    expectRefusedEverywhere(u"obj_handles", false);

    replace(csAppHdls, {c1, u"not a handle!", c3});
    expectRefusedEverywhere(u"obj_handles", false);
    replace(csAppHdls, {c1, c1, c3});
    expectRefusedEverywhere(u"obj_handles", false);
}

TEST_F(RecordCheck, NewKeysThatDoNotFitAreRefused)
{
    WriteRecordItems(idTbl, csTbLayout, {u"1", u"maybe"});
    expectRefusedEverywhere(u"tb_layout");
    replace(csTbLayout, {u"1", u"1"});
    WriteRecordItems(idTbl, csRowMembers, {c1, u"", u"", c2});
    expectRefusedEverywhere(u"row_members");
    // Members that do not contain the row's own handle: a replace, which reads no handles,
    // writes both anew.
    replace(csRowMembers, {c2, u"", c1, u"", c3});
    expectRefusedEverywhere(u"row_members", false);
}

TEST_F(RecordCheck, AnAddThatChangesNothingOnATableReadAsEmptyDoesNotSayUpdated)
{
    // Every object erased: the table has no data rows, the record keeps its key.
    erase(c1);
    erase(c2);
    erase(c3);
    qx::clearTranscript();
    RefreshTable(strHelper, idTbl);
    EXPECT_EQ(ReadRecordItems(idTbl, csAppHdls), (Texts{u""}));
    const auto empty = cells(idTbl);
    ASSERT_EQ(empty.size(), 4u);  // title, header, empty row, totals

    // Replacing with objects the engine does not read (an erased one) changes nothing.
    answer("handles " + qxtest::utf8(c1) + "\n");
    ReplaceTableSelection(nullptr, strHelper, idTbl);
    EXPECT_EQ(qx::transcript().find(u"Table updated"), std::u16string::npos) << qxtest::utf8(qx::transcript());
    EXPECT_EQ(cells(idTbl), empty);

    // And an add on the emptied table works.
    const auto c4 = addCircle(3, 40);
    answer("handles " + qxtest::utf8(c4) + "\n");
    AddObjectsToTable(nullptr, strHelper, idTbl);
    EXPECT_NE(qx::transcript().find(u"Table updated"), std::u16string::npos) << qxtest::utf8(qx::transcript());
    EXPECT_EQ(ReadRecordItems(idTbl, csAppHdls), (Texts{c4}));
    EXPECT_EQ(cells(idTbl)[2][0], u"Circle");  // an add brings the circle's geometry columns too
}
