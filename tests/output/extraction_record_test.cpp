// The extraction record: named lists of texts in the extended data of a table.
#include <gtest/gtest.h>

#include "drawing_fixture.h"

using qxtest::DrawingTest;
using qxtest::Texts;

namespace {

class ExtractionRecord : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        auto* table = new QxDbTable;
        table->setSize(2, 2);
        idTbl = append(table);
    }
    QxDbObjectId idTbl;
};

}  // namespace

TEST_F(ExtractionRecord, WritingAppendsRemovingEmptiesAndReadingAnEmptyKeySaysSo)
{
    ASSERT_TRUE(WriteRecordItems(idTbl, csAppObjTypes, {u"Circle", u"Line"}));
    ASSERT_TRUE(WriteRecordItems(idTbl, csAppObjTypes, {u"Arc"}));
    ASSERT_TRUE(WriteRecordItems(idTbl, csGroupByProp, {u""}));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppObjTypes), (Texts{u"Circle", u"Line", u"Arc"}));
    EXPECT_EQ(ReadRecordItems(idTbl, csGroupByProp), (Texts{u""})) << "one empty item is an item";
    EXPECT_EQ(qx::transcript(), u"");

    ASSERT_TRUE(RemoveRecordItems(idTbl, csAppObjTypes));
    EXPECT_TRUE(ReadRecordItems(idTbl, csAppObjTypes).empty());
    EXPECT_EQ(qx::transcript(), u"\nNone identified 'obj_types' xData attached to this object.");
    EXPECT_EQ(ReadRecordItems(idTbl, csGroupByProp), (Texts{u""})) << "other keys are kept";

    // Each list is its own application in the extended data: a 1001 group, then 1000 groups.
    QxDbObject* object = nullptr;
    ASSERT_EQ(qxdbOpenObject(object, idTbl, QxDb::kForRead), Qxapp::eOk);
    qxresbuf* chain = object->xData(csGroupByProp);
    object->close();
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->restype, 1001);
    EXPECT_EQ(std::u16string(chain->resval.rstring), u"groupby_pr");
    ASSERT_NE(chain->rbnext, nullptr);
    EXPECT_EQ(chain->rbnext->restype, 1000);
    EXPECT_EQ(chain->rbnext->rbnext, nullptr);
    qxutRelRb(chain);
}

TEST_F(ExtractionRecord, LongItemsAreKeptWhole)
{
    const std::u16string typed(250, u'n');       // beyond the 199 characters of old records
    const std::u16string pasted(5000, u'\u00e9');
    ASSERT_TRUE(WriteRecordItems(idTbl, csAppDisplayNames, {typed, pasted, u"Area"}));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppDisplayNames), (Texts{typed, pasted, u"Area"}));
}

TEST_F(ExtractionRecord, NamesComeInPropertyOrderAndPairUp)
{
    const std::map<std::u16string, std::u16string> names = {{u"Layer", u"Level"}, {u"Area", u"Surface"}};
    ASSERT_TRUE(WriteRecordMap(idTbl, csAppOriginalNames, names, true));
    ASSERT_TRUE(WriteRecordMap(idTbl, csAppDisplayNames, names, false));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppOriginalNames), (Texts{u"Area", u"Layer"}));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppDisplayNames), (Texts{u"Surface", u"Level"}));
}

TEST_F(ExtractionRecord, HandlesFollowTheTableRowsTopDown)
{
    const TableData data = {
        {u"Id", u"Name"}, {u"A1", u"c"}, {u"B2", u"a"}, {u"C3", u"b"}, {u"", u""}, {u"", u"3"},
    };
    const Texts handles = CollectRowHandles(data, true);
    EXPECT_EQ(handles, (Texts{u"A1", u"B2", u"C3"})) << "the empty row and the totals line have none";
    EXPECT_EQ(CollectRowHandles(data, false).size(), 5u);

    // Header shown, preview sorted by name: table rows 2, 3, 4 show data rows 2, 3, 1.
    ASSERT_TRUE(WriteRecordHandles(idTbl, csAppHdls, handles, {0, 2, 3, 1}, true));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppHdls), (Texts{u"B2", u"C3", u"A1"}));

    // Header hidden: row 1 of the table shows data row 1, then the sorted preview rows follow.
    ASSERT_TRUE(RemoveRecordItems(idTbl, csAppHdls));
    ASSERT_TRUE(WriteRecordHandles(idTbl, csAppHdls, handles, {1, 3, 2}, false));
    EXPECT_EQ(ReadRecordItems(idTbl, csAppHdls), (Texts{u"A1", u"C3", u"B2"}));
}

TEST_F(ExtractionRecord, AnObjectThatCannotBeOpenedGetsNothingAndNothingIsPrinted)
{
    erase(idTbl.handle().ascii());
    EXPECT_FALSE(WriteRecordItems(idTbl, csAppObjTypes, {u"Circle"}));
    EXPECT_FALSE(RemoveRecordItems(idTbl, csAppObjTypes));
    EXPECT_TRUE(ReadRecordItems(idTbl, csAppObjTypes).empty());
    EXPECT_FALSE(WriteRecordItems(QxDbObjectId::kNull, csAppObjTypes, {u"Circle"}));
    EXPECT_EQ(qx::transcript(), u"");
}
