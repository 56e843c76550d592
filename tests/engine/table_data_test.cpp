// Table data: building rows from records, combining, grouping, totals and display names.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "engine/extraction_engine.h"

namespace {

CommonProps onLayer(std::u16string layer)
{
    CommonProps common;
    common.layer = std::move(layer);
    common.color = u"ByLayer";
    common.linetypeScale = 1;
    common.thickness = 0;
    return common;
}

void addCircle(ExtractionEngine& engine, std::u16string handle, double radius, std::u16string layer = u"0")
{
    engine.lsCircles.emplace_back(std::move(handle), kTypeCircle, u"Circle", onLayer(std::move(layer)), 3.14,
                                  QxGePoint3d{0, 0, 0}, radius, 6.28);
}

void addLine(ExtractionEngine& engine, std::u16string handle, std::u16string layer = u"0")
{
    engine.lsLines.emplace_back(std::move(handle), kTypeLine, u"Line", onLayer(std::move(layer)), 0, 1, 0, 0,
                                QxGePoint3d{0, 0, 0}, QxGePoint3d{1, 0, 0}, 1);
}

BlockEntity& addBlock(ExtractionEngine& engine, std::u16string handle, std::u16string name, int definition = 1)
{
    engine.lsBlockEnts.emplace_back(std::move(handle), kTypeBlock, std::move(name), false,
                                    QxDbObjectId(reinterpret_cast<QxDbStub*>(std::uintptr_t(definition) * 16)),
                                    QxGePoint3d{0, 0, 0}, QxGeScale3d{}, 0);
    return engine.lsBlockEnts.back();
}

struct Built {
    TableData rows;
    BlockIdMap blockIds;
};

Built build(ExtractionEngine& engine, std::vector<std::u16string> kinds, std::vector<std::u16string> props,
            bool bQuantity, bool bBlockName = false, std::vector<std::u16string> totals = {},
            std::u16string groupBy = {})
{
    engine.OfferedProperties(kinds);
    Built out;
    engine.BuildTableData(props, bQuantity, bBlockName, totals, groupBy, out.rows, out.blockIds);
    return out;
}

}  // namespace

TEST(TableBuild, HeaderPutsFixedColumnsFirstAndRowsFollowTheSelectedKinds)
{
    ExtractionEngine engine;
    addLine(engine, u"L1", u"Walls");
    addBlock(engine, u"B1", u"Door");
    struct Case {
        std::vector<std::u16string> props;
        bool quantity, blockName;
        TableRow header;
    };
    const Case cases[] = {
        {{u"Layer", u"Block preview", u"Length", u"Block name"}, true, true,
         {u"Id", u"Quantity", u"Block name", u"Block preview", u"Layer", u"Length"}},
        {{u"Layer", u"Object type", u"Quantity"}, true, false, {u"Id", u"Object type", u"Quantity", u"Layer"}},
        // Without combining, a chosen quantity column stays where the user put it.
        {{u"Layer", u"Quantity", u"Length"}, false, false, {u"Id", u"Layer", u"Quantity", u"Length"}}};
    for (const Case& c : cases)
        EXPECT_EQ(build(engine, {u"Line"}, c.props, c.quantity, c.blockName).rows[0], c.header);
    EXPECT_EQ(build(engine, {u"Line"}, {u"Layer", u"Quantity", u"Length"}, false).rows[1],
              (TableRow{u"L1", u"Walls", u"1", u"1"}));

    const TableData rows =
        build(engine, {u"Line", u"Block"}, {u"Object type", u"Layer", u"Rotation"}, false, true).rows;
    EXPECT_EQ(rows, (TableData{{u"Id", u"Object type", u"Block name", u"Layer", u"Rotation"},
                               {u"L1", u"Line", u"", u"Walls", u""},
                               {u"B1", u"Block", u"Door", u"", u"0"}}));
}

TEST(TableBuild, BlockValuesAttributesThenDynamicThenOwn)
{
    ExtractionEngine engine;
    BlockEntity& door = addBlock(engine, u"B1", u"Door", 7);
    door.rotationVal = 90;
    door.lsAttributs = {{u"Rotation", u"attr"}, {u"Id", u"tag id"}, {u"Width", u"80"}};
    door.lsProps = {{u"Width", u"90"}};
    const Built built =
        build(engine, {u"Block"}, {u"Rotation", u"Width", u"Id", u"Block preview"}, false, true);
    ASSERT_EQ(built.rows.size(), 2u);
    EXPECT_EQ(built.rows[0], (TableRow{u"Id", u"Block name", u"Block preview", u"Rotation", u"Width", u"Id"}));
    // The own rotation wins over an attribute of that tag; the dynamic value over the
    // attribute; an attribute named "Id" fills its own column but never the handle column.
    EXPECT_EQ(built.rows[1], (TableRow{u"B1", u"Door", u"", u"90", u"90", u"tag id"}));
    ASSERT_EQ(built.blockIds.size(), 1u);
    EXPECT_EQ(built.blockIds.at(u"B1"), door.idBlkTblRec);

    EXPECT_TRUE(build(engine, {u"Block"}, {u"Rotation"}, false, true).blockIds.empty());
}

TEST(TableBuild, IdenticalObjectsCombineUnderTheSmallestHandleText)
{
    ExtractionEngine engine;
    for (const char16_t* handle : {u"9", u"1A", u"20"}) addCircle(engine, handle, 2);
    const TableData combined = build(engine, {u"Circle"}, {u"Radius", u"Layer"}, true).rows;
    EXPECT_EQ(combined, (TableData{{u"Id", u"Quantity", u"Radius", u"Layer"}, {u"1A", u"3", u"2", u"0"}}));
    const TableData separate = build(engine, {u"Circle"}, {u"Radius", u"Quantity"}, false).rows;
    ASSERT_EQ(separate.size(), 4u);
    for (std::size_t r = 1; r < 4; ++r) EXPECT_EQ(separate[r][2], u"1");
    EXPECT_EQ(separate[1][0], u"9");  // selection order
    // Rows differing in a column stay separate: the randomized comparisons below decide that.
}

TEST(TableBuild, BlocksCombineOnlyWithTheBlockNameColumn)
{
    ExtractionEngine engine;
    addBlock(engine, u"B1", u"Door", 1);
    addBlock(engine, u"B2", u"Window", 2);
    addBlock(engine, u"B3", u"Door", 1);
    addLine(engine, u"L1");
    addLine(engine, u"L2");
    const Built unnamed = build(engine, {u"Block", u"Line"}, {u"Block preview"}, true, false);
    ASSERT_EQ(unnamed.rows.size(), 6u);
    for (std::size_t r = 1; r < 6; ++r) EXPECT_EQ(unnamed.rows[r][1], u"1");
    EXPECT_EQ(unnamed.blockIds.size(), 3u);

    const Built named = build(engine, {u"Block", u"Line"}, {u"Block preview"}, true, true);
    EXPECT_EQ(named.rows, (TableData{{u"Id", u"Quantity", u"Block name", u"Block preview"},
                                     {u"B1", u"2", u"Door", u""},
                                     {u"B2", u"1", u"Window", u""},
                                     {u"L1", u"2", u"", u""}}));
    EXPECT_EQ(named.blockIds.size(), 2u);  // only the kept block rows
    EXPECT_TRUE(named.blockIds.count(u"B1") && named.blockIds.count(u"B2"));
}

TEST(TableBuild, GroupingByLayerTotalsEachGroup)
{
    ExtractionEngine engine;
    addCircle(engine, u"1", 1, u"B");
    addCircle(engine, u"2", 2, u"A");
    addCircle(engine, u"3", 4, u"B");
    const Built grouped = build(engine, {u"Circle"}, {u"Radius", u"Layer"}, false, false, {u"Radius"}, u"Layer");
    EXPECT_EQ(grouped.rows, (TableData{{u"Id", u"Layer", u"Radius"}, {u"2", u"A", u"2"}, {u"3", u"B", u"5"}}));

    // Without total columns the quantity is what gets totalled.
    const TableData counted =
        build(engine, {u"Circle"}, {u"Quantity", u"Layer"}, false, false, {}, u"Layer").rows;
    EXPECT_EQ(counted, (TableData{{u"Id", u"Layer", u"Quantity"}, {u"2", u"A", u"1"}, {u"3", u"B", u"2"}}));

    TableData untouched = {{u"Id", u"Layer"}, {u"1", u"A"}};
    EXPECT_TRUE(GroupRows(untouched, u"Color", {u"Layer"}).empty());
    EXPECT_EQ(untouched, (TableData{{u"Id", u"Layer"}, {u"1", u"A"}}));
}

TEST(Totals, SumsInFullPrecisionWrittenOnce)
{
    const TableData rows = {{u"Id", u"Area", u"Name"}, {u"1", u"1.5", u"x"}, {u"2", u"", u"y"}, {u"3", u"2", u"z"}};
    EXPECT_EQ(MakeTotalsLine(rows, {u"Area"}), (TableRow{u"", u"3.5", u""}));
    EXPECT_EQ(MakeTotalsLine(rows, {u"Area", u"Area"}), (TableRow{u"", u"7", u""}));  // a name twice counts twice
    EXPECT_EQ(MakeTotalsLine({{u"Id", u"N"}, {u"1", u"999999"}, {u"2", u"2"}}, {u"N"}), (TableRow{u"", u"1e+06"}));
    EXPECT_EQ(MakeTotalsLine({{u"Id", u"N"}, {u"1", u"12 m"}, {u"2", u"ByLayer"}}, {u"N"}), (TableRow{u"", u"12"}));

    // Writing the running total with six digits after each addition would stay at 100000.
    TableData drift = {{u"Id", u"N"}, {u"0", u"100000"}};
    for (int i = 1; i <= 10; ++i) drift.push_back({u"r", u"0.4"});
    EXPECT_EQ(MakeTotalsLine(drift, {u"N"}), (TableRow{u"", u"100004"}));

    EXPECT_TRUE(MakeTotalsLine(rows, {}).empty());
    EXPECT_TRUE(MakeTotalsLine({}, {u"Area"}).empty());
    EXPECT_EQ(MakeTotalsLine({{u"Id", u"Area"}}, {u"Area"}), (TableRow{u"", u""}));  // no data rows
}

TEST(Totals, ACombinedRowCountsEveryObjectItStandsFor)
{
    // Three lines of length 2 combined into one row, and one line of length 5.
    const TableData rows = {{u"Id", u"Quantity", u"Length"}, {u"1", u"3", u"2"}, {u"4", u"1", u"5"}};
    EXPECT_EQ(MakeTotalsLine(rows, {u"Quantity", u"Length"}, u"Quantity"), (TableRow{u"", u"4", u"11"}));
    // Without the quantity's name each row counts once, as for rows that were not combined.
    EXPECT_EQ(MakeTotalsLine(rows, {u"Length"}), (TableRow{u"", u"", u"7"}));
    // No quantity column: nothing to weigh by.
    EXPECT_EQ(MakeTotalsLine({{u"Id", u"Length"}, {u"1", u"2"}}, {u"Length"}, u"Quantity"), (TableRow{u"", u"2"}));
}

TEST(Totals, DisplayNamesRenameTheHeaderOnlyAndTotalsMatchItAsItStands)
{
    TableData rows = {{u"Id", u"Area", u"Layer"}, {u"1", u"Area", u"2"}};
    ApplyDisplayNames(rows, {{u"Area", u"Surface"}, {u"Missing", u"x"}});
    EXPECT_EQ(rows, (TableData{{u"Id", u"Surface", u"Layer"}, {u"1", u"Area", u"2"}}));
    EXPECT_EQ(MakeTotalsLine(rows, {u"Area"}), (TableRow{u"", u"", u""}));
    EXPECT_FALSE(RowsEqualFrom({u"a", u"x"}, {u"b", u"X"}, 1));  // case-sensitive
    EXPECT_FALSE(RowsEqualFrom({u"a", u"x"}, {u"a", u"x", u""}, 1));
}

// ---------------------------------------------------------------------------------------
// The fast reductions against a direct transcription of the quadratic algorithms.

namespace quadratic {

std::vector<std::u16string> combine(TableData& rows, const std::u16string& quantityName)
{
    std::vector<std::u16string> handles;
    if (rows.size() < 2) return handles;
    std::sort(rows.begin() + 1, rows.end());
    std::vector<TableRow> kept;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        bool seen = false;
        for (const TableRow& k : kept) seen = seen || RowsEqualFrom(k, rows[r], 1);
        if (!seen) {
            kept.push_back(rows[r]);
            handles.push_back(rows[r].empty() ? u"" : rows[r][0]);
        }
    }
    const auto q = std::find(rows[0].begin(), rows[0].end(), quantityName);
    for (TableRow& k : kept) {
        int count = 0;
        for (std::size_t r = 1; r < rows.size(); ++r) count += RowsEqualFrom(rows[r], k, 1) ? 1 : 0;
        if (q != rows[0].end() && std::size_t(q - rows[0].begin()) < k.size()) {
            const std::string text = std::to_string(count);
            k[q - rows[0].begin()] = std::u16string(text.begin(), text.end());
        }
    }
    TableData result{rows[0]};
    result.insert(result.end(), kept.begin(), kept.end());
    rows = result;
    return handles;
}

std::vector<std::u16string> group(TableData& rows, const std::u16string& groupBy,
                                  const std::vector<std::u16string>& totalCols)
{
    std::vector<std::u16string> handles;
    if (rows.empty()) return handles;
    const auto at = std::find(rows[0].begin(), rows[0].end(), groupBy);
    if (at == rows[0].end()) return handles;
    const std::size_t column = at - rows[0].begin();
    std::set<std::u16string> texts;
    for (const TableRow& row : rows)
        if (column < row.size()) texts.insert(row[column]);
    for (TableRow& row : rows) {
        if (column >= row.size()) continue;
        std::u16string cell = row[column];
        row.erase(row.begin() + column);
        row.insert(row.begin() + std::min<std::size_t>(1, row.size()), cell);
    }
    TableData result{rows[0]};
    for (const std::u16string& text : texts) {
        TableData members{rows[0]};
        for (std::size_t r = 1; r < rows.size(); ++r)
            if (rows[r].size() > 1 && rows[r][1] == text) members.push_back(rows[r]);
        if (members.size() == 1) continue;
        handles.push_back(members.back()[0]);
        TableRow line = MakeTotalsLine(members, totalCols);
        if (!line.empty()) {
            line[0] = members.back()[0];
            if (line.size() > 1) line[1] = text;
            result.push_back(line);
        }
    }
    rows = result;
    return handles;
}

}  // namespace quadratic

TEST(ReductionsAgreeWithTheQuadraticAlgorithm, OnRandomTables)
{
    std::mt19937 random(20261206);
    const std::vector<std::u16string> pool = {u"", u"a", u"b", u"B", u"1", u"2.5", u"10", u"x y"};
    for (int round = 0; round < 300; ++round) {
        const std::size_t width = 2 + random() % 4, height = random() % 40;
        TableData table{{u"Id", u"Quantity"}};
        for (std::size_t c = 2; c < width; ++c) table[0].push_back(pool[1 + random() % 3]);
        table[0].resize(width);
        std::set<std::u16string> handles;
        for (std::size_t r = 0; r < height; ++r) {
            TableRow row{std::u16string(1, char16_t(u'A' + random() % 26)) + char16_t(u'0' + random() % 10)};
            if (!handles.insert(row[0]).second && random() % 2) continue;  // mostly unique handles
            row.push_back(u"1");
            for (std::size_t c = 2; c < width; ++c) row.push_back(pool[random() % (2 + round % 6)]);
            table.push_back(row);
        }

        TableData fast = table, slow = table;
        EXPECT_EQ(CombineRows(fast, u"Quantity"), quadratic::combine(slow, u"Quantity"));
        EXPECT_EQ(fast, slow);

        const std::u16string groupBy = table[0][random() % width];
        const std::vector<std::u16string> totals = {table[0][random() % width], u"Quantity"};
        fast = table;
        slow = table;
        EXPECT_EQ(GroupRows(fast, groupBy, totals), quadratic::group(slow, groupBy, totals));
        EXPECT_EQ(fast, slow);
    }
}

TEST(ReductionsAgreeWithTheQuadraticAlgorithm, CombinedBuildOfRandomRecords)
{
    std::mt19937 random(7);
    ExtractionEngine engine;
    for (int i = 0; i < 400; ++i) {
        std::string hex = "0123456789ABCDEF";
        std::u16string handle;
        for (int v = i + 1; v; v /= 16) handle.insert(handle.begin(), char16_t(hex[v % 16]));
        const std::u16string layer = random() % 2 ? u"A" : u"B";
        switch (random() % 3) {
        case 0: addCircle(engine, handle, double(random() % 3), layer); break;
        case 1: addLine(engine, handle, layer); break;
        default: {
            BlockEntity& block = addBlock(engine, handle, random() % 2 ? u"Door" : u"Window", int(random() % 2) + 1);
            block.lsAttributs = {{u"MAKER", random() % 2 ? u"x" : u"y"}};
        }
        }
    }
    const std::vector<std::u16string> kinds = {u"Circle", u"Block", u"Line"};
    const std::vector<std::u16string> props = {u"Layer", u"Radius", u"MAKER"};
    const Built combined = build(engine, kinds, props, true, true);

    // The same columns, one row per object, then combined by the quadratic algorithm.
    std::vector<std::u16string> fixedFirst = {u"Quantity", u"Block name"};
    fixedFirst.insert(fixedFirst.end(), props.begin(), props.end());
    Built full = build(engine, kinds, fixedFirst, false, false);
    ASSERT_EQ(full.rows[0], combined.rows[0]);
    ASSERT_EQ(full.rows.size(), 401u);
    quadratic::combine(full.rows, u"Quantity");
    EXPECT_EQ(combined.rows, full.rows);
    EXPECT_LT(combined.rows.size(), 40u);
}
