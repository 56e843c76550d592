// Copies of an engine share the records read until one of them changes its own: the wizard's
// pages each hold an engine, and none may see another's changes.
#include <gtest/gtest.h>

#include "engine/extraction_engine.h"

namespace {

void addLine(ExtractionEngine& engine, std::u16string handle, std::u16string layer)
{
    CommonProps common;
    common.layer = std::move(layer);
    engine.lsLines.emplace_back(std::move(handle), kTypeLine, u"Line", common, 0, 1, 0, 0, QxGePoint3d{0, 0, 0},
                                QxGePoint3d{1, 0, 0}, 1);
}

}  // namespace

TEST(SharedRecords, CopiesShareUntilOneChangesAndNeitherSeesTheOthersChanges)
{
    ExtractionEngine page3;
    addLine(page3, u"1A", u"Walls");
    addLine(page3, u"1B", u"0");
    ExtractionEngine page4 = page3;
    EXPECT_TRUE(page4.lsLines.sharesWith(page3.lsLines));

    // Reading, building a table and offering properties leave the records shared.
    const ExtractionEngine& reader = page4;
    EXPECT_EQ(reader.lsLines[1].handle, u"1B");
    std::vector<std::u16string> props{u"Layer"};
    TableData rows;
    BlockIdMap blockIds;
    page4.OfferedProperties({u"Line"});
    page4.BuildTableData(props, false, false, {}, u"", rows, blockIds);
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_TRUE(page4.lsLines.sharesWith(page3.lsLines));

    // A change through one copy gives it records of its own; the other keeps what it had.
    page4.lsLines[0].commonProp.layer = u"Doors";
    addLine(page4, u"1C", u"0");
    EXPECT_FALSE(page4.lsLines.sharesWith(page3.lsLines));
    EXPECT_EQ(page3.lsLines.size(), 2u);
    EXPECT_EQ(page3.lsLines[0].commonProp.layer, u"Walls");
    EXPECT_EQ(page4.lsLines.size(), 3u);
    EXPECT_EQ(page4.lsLines[0].commonProp.layer, u"Doors");

    // A copy that is the only owner changes in place; an emptied list is empty in that copy only.
    ExtractionEngine alone = page4;
    page4 = ExtractionEngine();
    const Line* before = &alone.lsLines.items()[0];
    alone.lsLines[0].commonProp.layer = u"Roof";
    EXPECT_EQ(&alone.lsLines.items()[0], before);
    ExtractionEngine emptied = page3;
    emptied.lsLines.clear();
    EXPECT_TRUE(emptied.lsLines.empty());
    EXPECT_EQ(page3.lsLines.size(), 2u);
    EXPECT_TRUE(emptied.TypeCodesPresent().empty());
}
