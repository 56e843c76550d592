#include <gtest/gtest.h>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>

#include "biff_reader.h"
#include "file_helpers.h"
#include "output/xls/basic_excel.h"
#include "output/xls/text_pool.h"

using testbiff::Count;
using testbiff::Find;
using testbiff::Record;

namespace {

constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kWindow1 = 0x003D, kFont = 0x0031, kFormat = 0x041E,
                        kXf = 0x00E0, kStyle = 0x0293, kBoundSheet = 0x0085, kSst = 0x00FC, kContinue = 0x003C,
                        kIndex = 0x020B, kDimensions = 0x0200, kRow = 0x0208, kLabelSst = 0x00FD, kBlank = 0x0201,
                        kDbCell = 0x00D7, kWindow2 = 0x023E;

std::vector<Record> records(const BasicExcel& xls) { return testbiff::Split(xls.BuildStream()); }

void set(BasicExcel& xls, std::uint32_t row, std::uint32_t column, std::u16string_view text)
{
    xls.GetWorksheet(0)->Cell(row, column)->SetWString(text);
}

TEST(BasicExcelLayout, OneTextCellMakesTheMinimalWorkbook)
{
    BasicExcel xls;
    xls.New(1);
    set(xls, 0, 0, u"abc");
    const auto recs = records(xls);

    std::vector<std::uint16_t> expected = {kBof, kWindow1, kFont};
    expected.insert(expected.end(), 21, kXf);
    expected.insert(expected.end(), 6, kStyle);
    for (auto id : {kBoundSheet, kSst, kEof, kBof, kIndex, kDimensions, kRow, kLabelSst, kDbCell, kWindow2, kEof})
        expected.push_back(id);
    EXPECT_EQ(testbiff::Ids(recs), expected);

    const Record& bof = recs[0];
    EXPECT_EQ(bof.data.size(), 16u);
    EXPECT_EQ(bof.u16(0), 0x0600);
    EXPECT_EQ(bof.u16(2), 0x0005);
    EXPECT_EQ(bof.u32(8), 0x0000C0C9u);
    EXPECT_EQ(Find(recs, kBof, 1)->u16(2), 0x0010);

    const Record* font = Find(recs, kFont);
    EXPECT_EQ(font->data, (std::vector<std::uint8_t>{200, 0, 0, 0, 0xFF, 0x7F, 0x90, 0x01, 0, 0, 0, 0, 0, 0, 5, 1,
                                                      'A', 0, 'r', 0, 'i', 0, 'a', 0, 'l', 0}));
    EXPECT_EQ(Find(recs, kXf)->data, (std::vector<std::uint8_t>{0, 0, 0, 0, 0xF5, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                 0, 0, 0xC0, 0x20}));
    EXPECT_EQ(Find(recs, kStyle)->data, (std::vector<std::uint8_t>{0x00, 0x80, 0, 0xFF}));

    // BOUNDSHEET points at the sheet's BOF and names it Sheet1 in 8-bit characters.
    const Record* sheet = Find(recs, kBoundSheet);
    EXPECT_EQ(sheet->u32(0), Find(recs, kBof, 1)->pos);
    EXPECT_EQ(std::string(sheet->data.begin() + 4, sheet->data.end()), std::string("\0\0\6\0Sheet1", 10));

    const Record* sst = Find(recs, kSst);
    EXPECT_EQ(sst->data, (std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 3, 0, 1, 'a', 0, 'b', 0, 'c', 0}));
    const Record* label = Find(recs, kLabelSst);
    EXPECT_EQ(label->data, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    const Record* dims = Find(recs, kDimensions);
    EXPECT_EQ(dims->data, (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(Find(recs, kRow)->data, (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0xFF, 0, 0, 0, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(Find(recs, kWindow2)->u16(0), 0x06B6);
}

TEST(BasicExcelLayout, EveryGridPositionGetsACellRecord)
{
    BasicExcel xls;
    xls.New(1);
    set(xls, 0, 0, u"a");
    set(xls, 2, 3, u"b");
    const auto recs = records(xls);
    EXPECT_EQ(Count(recs, kRow), 3u);
    EXPECT_EQ(Count(recs, kLabelSst), 2u);
    EXPECT_EQ(Count(recs, kBlank), 10u);
    const Record* dims = Find(recs, kDimensions);
    EXPECT_EQ(dims->u32(4), 3u);
    EXPECT_EQ(dims->u16(10), 4u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(Find(recs, kRow, i)->u16(4), 4u) << "ROW " << i << " last column + 1";
    // Cells come row by row, column by column.
    const Record* last = Find(recs, kLabelSst, 1);
    EXPECT_EQ(last->u16(0), 2);
    EXPECT_EQ(last->u16(2), 3);
    EXPECT_EQ(last->u32(6), 1u);
}

TEST(BasicExcelLayout, EqualTextsShareOneSstEntryInOrderOfFirstUse)
{
    BasicExcel xls;
    xls.New(1);
    set(xls, 1, 0, u"first");
    set(xls, 0, 1, u"second");  // written before row 1: it gets entry 0
    set(xls, 1, 1, u"second");
    set(xls, 0, 0, u"gone");
    set(xls, 0, 0, u"");  // cleared again: no entry
    const auto recs = records(xls);
    const Record* sst = Find(recs, kSst);
    EXPECT_EQ(sst->u32(0), 3u);
    EXPECT_EQ(sst->u32(4), 2u);
    EXPECT_EQ(Count(recs, kBlank), 1u);
    std::vector<std::uint32_t> entries;
    for (std::size_t i = 0; i < 3; ++i) entries.push_back(Find(recs, kLabelSst, i)->u32(6));
    EXPECT_EQ(entries, (std::vector<std::uint32_t>{0, 1, 0}));
}

// DBCELL and INDEX positions are ignored by lenient readers, so only this test guards them.
TEST(BasicExcelLayout, RowBlocksOfThirtyTwoWithIndexAndDbCellOffsets)
{
    BasicExcel xls;
    xls.New(1);
    for (std::uint32_t r = 0; r < 70; ++r) set(xls, r, r % 3, std::u16string{u'x', char16_t(u'a' + r % 26)});
    const auto stream = xls.BuildStream();
    const auto recs = testbiff::Split(stream);
    ASSERT_EQ(Count(recs, kDbCell), 3u);

    auto recordAt = [&](std::size_t pos) -> const Record* {
        for (const auto& r : recs)
            if (r.pos == pos) return &r;
        return nullptr;
    };
    const Record* index = Find(recs, kIndex);
    EXPECT_EQ(index->u32(4), 0u);
    EXPECT_EQ(index->u32(8), 70u);
    ASSERT_EQ(index->data.size(), 16u + 4 * 3);
    for (std::size_t block = 0; block < 3; ++block) {
        const Record* dbCell = recordAt(index->u32(16 + 4 * block));
        ASSERT_NE(dbCell, nullptr);
        ASSERT_EQ(dbCell->id, kDbCell);
        const std::uint32_t firstRow = static_cast<std::uint32_t>(32 * block);
        const std::size_t rowsInBlock = std::min<std::size_t>(32, 70 - firstRow);
        ASSERT_EQ(dbCell->data.size(), 4 + 2 * rowsInBlock);

        const Record* firstRowRecord = recordAt(dbCell->pos - dbCell->u32(0));
        ASSERT_NE(firstRowRecord, nullptr);
        EXPECT_EQ(firstRowRecord->id, kRow);
        EXPECT_EQ(firstRowRecord->u16(0), firstRow);

        std::size_t cellPos = firstRowRecord->pos + 20;  // the end of the first ROW record
        for (std::size_t i = 0; i < rowsInBlock; ++i) {
            cellPos += dbCell->u16(4 + 2 * i);
            const Record* cell = recordAt(cellPos);
            ASSERT_NE(cell, nullptr) << "block " << block << " row " << i;
            EXPECT_TRUE(cell->id == kLabelSst || cell->id == kBlank);
            EXPECT_EQ(cell->u16(0), firstRow + i);
            EXPECT_EQ(cell->u16(2), 0);
        }
    }
}

TEST(BasicExcelLayout, SheetLimitsAndLongTexts)
{
    BasicExcel xls;
    xls.New(1);
    BasicExcelWorksheet* sheet = xls.GetWorksheet(0);
    EXPECT_FALSE(sheet->Cell(65536, 0).has_value());
    EXPECT_FALSE(sheet->Cell(0, 256).has_value());
    EXPECT_EQ(xls.GetWorksheet(1), nullptr);
    ASSERT_TRUE(sheet->Cell(65535, 255).has_value());
    EXPECT_EQ(sheet->GetTotalRows(), 65536u);
    EXPECT_EQ(sheet->GetTotalCols(), 256u);

    auto cell = sheet->Cell(0, 0);
    EXPECT_TRUE(cell->SetWString(std::u16string(32767, u'a')));
    EXPECT_FALSE(cell->SetWString(std::u16string(70000, u'b')));
    EXPECT_EQ(cell->GetWString(), std::u16string(32767, u'b'));
    // The cut never parts a surrogate pair.
    std::u16string pairs = std::u16string(32766, u'c') + u"\U0001F600\U0001F600";
    EXPECT_FALSE(cell->SetWString(pairs));
    EXPECT_EQ(cell->GetWString(), std::u16string(32766, u'c'));
}

TEST(BasicExcelLayout, SecondSheetIsNotSelected)
{
    BasicExcel xls;
    xls.New(2);
    const auto recs = records(xls);
    ASSERT_EQ(Count(recs, kBoundSheet), 2u);
    EXPECT_EQ(Find(recs, kBoundSheet, 1)->u32(0), Find(recs, kBof, 2)->pos);
    EXPECT_EQ(std::string(Find(recs, kBoundSheet, 1)->data.begin() + 8, Find(recs, kBoundSheet, 1)->data.end()), "Sheet2");
    EXPECT_EQ(Find(recs, kWindow2, 0)->u16(0), 0x06B6);
    EXPECT_EQ(Find(recs, kWindow2, 1)->u16(0), 0x04B6);
}

TEST(FormatManager, ReusesEqualFontsAndXfsAndAppendsNewOnes)
{
    BasicExcel xls;
    xls.New(1);
    FormatManager fmt_mgr(xls);
    CellFormatSpec fmt_bold;
    FontSpec font_bold;
    font_bold.set_weight(700);
    fmt_bold.set_font(font_bold);

    EXPECT_EQ(fmt_mgr.GetXFIndex(fmt_bold), 21);
    EXPECT_EQ(fmt_mgr.GetXFIndex(fmt_bold), 21);
    const CellFormatSpec cellFmt;
    EXPECT_EQ(fmt_mgr.GetXFIndex(cellFmt), 22);  // a cell XF, unlike the 21 style XFs
    const auto recs = records(xls);
    EXPECT_EQ(Count(recs, kFont), 2u);
    EXPECT_EQ(Count(recs, kXf), 23u);
    EXPECT_EQ(Find(recs, kFont, 1)->u16(6), 700);
    EXPECT_EQ(Find(recs, kFont, 1)->u16(2), 0);  // options stay 0: weight alone makes it bold
    const Record* boldXf = Find(recs, kXf, 21);
    EXPECT_EQ(boldXf->u16(0), 1);
    EXPECT_EQ(boldXf->u16(2), 0);
    EXPECT_EQ(boldXf->u16(4), 0x0078);
    EXPECT_EQ(Find(recs, kXf, 22)->u16(0), 0);
}

TEST(FormatManager, FontIndexFourDoesNotExist)
{
    BasicExcel xls;
    xls.New(1);
    FormatManager fmt_mgr(xls);
    std::vector<std::uint16_t> indexes;
    for (std::uint16_t height : {200, 220, 240, 260, 280, 300}) {
        FontSpec font;
        font.height = height;
        indexes.push_back(fmt_mgr.GetFontIndex(font));
    }
    EXPECT_EQ(indexes, (std::vector<std::uint16_t>{0, 1, 2, 3, 5, 6}));
    FontSpec again;
    again.height = 280;
    EXPECT_EQ(fmt_mgr.GetFontIndex(again), 5);
}

TEST(FormatManager, BuiltInFormatsByIndexUserFormatsFrom164)
{
    BasicExcel xls;
    xls.New(1);
    FormatManager fmt_mgr(xls);
    EXPECT_EQ(fmt_mgr.GetFormatIndex(u"General"), 0);
    EXPECT_EQ(fmt_mgr.GetFormatIndex(u"#,##0.00"), 4);
    EXPECT_EQ(fmt_mgr.GetFormatIndex(u"\"$\"#,##0_);(\"$\"#,##0)"), 5);
    EXPECT_EQ(fmt_mgr.GetFormatIndex(u"@"), 49);
    EXPECT_EQ(fmt_mgr.GetFormatIndex(u"0.000"), 164);
    EXPECT_EQ(fmt_mgr.GetFormatIndex(u"0.0000"), 165);
    EXPECT_EQ(fmt_mgr.GetFormatIndex(u"0.000"), 164);
    const auto recs = records(xls);
    ASSERT_EQ(Count(recs, kFormat), 2u);
    EXPECT_EQ(Find(recs, kFormat)->data,
              (std::vector<std::uint8_t>{164, 0, 5, 0, 1, '0', 0, '.', 0, '0', 0, '0', 0, '0', 0}));
}

// Reassembles the shared strings the way readers do, checking the splitting rules on the way.
std::vector<std::u16string> readSst(const std::vector<Record>& recs, std::size_t& nContinues)
{
    std::vector<const Record*> parts;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        if (recs[i].id != kSst) continue;
        parts.push_back(&recs[i]);
        for (std::size_t j = i + 1; j < recs.size() && recs[j].id == kContinue; ++j) parts.push_back(&recs[j]);
    }
    nContinues = parts.size() - 1;
    std::vector<std::u16string> strings;
    std::size_t part = 0, pos = 8;
    const std::uint32_t unique = parts[0]->u32(4);
    for (std::uint32_t s = 0; s < unique; ++s) {
        if (pos == parts[part]->data.size()) ++part, pos = 0;  // a string starts a CONTINUE
        EXPECT_LE(pos + 3, parts[part]->data.size()) << "string header cut, string " << s;
        const std::size_t count = parts[part]->u16(pos);
        EXPECT_EQ(parts[part]->data[pos + 2], 1);
        pos += 3;
        std::u16string text;
        while (text.size() < count) {
            if (pos == parts[part]->data.size()) {
                ++part;
                EXPECT_EQ(parts[part]->data.at(0), 1) << "option byte not repeated, string " << s;
                pos = 1;
                EXPECT_FALSE(!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) << "pair split";
            }
            EXPECT_NE(pos + 1, parts[part]->data.size()) << "character cut";
            text.push_back(static_cast<char16_t>(parts[part]->u16(pos)));
            pos += 2;
        }
        strings.push_back(text);
    }
    for (const Record* r : parts) EXPECT_LE(r->data.size(), 8224u);
    return strings;
}

TEST(BasicExcelSst, ContinuesAcrossRecordsWithoutCuttingHeadersCharactersOrPairs)
{
    // Strings placed so that every kind of boundary occurs: a string across the boundary, a
    // header that would not fit, a surrogate pair right at the cut, and a string longer than
    // a whole record.
    // The first string's length moves the boundary over every room from 0 to 15 bytes, for
    // both parities (a one-unit string first flips it).
    for (std::size_t shift = 0; shift < 32; ++shift) {
        BasicExcel xls;
        xls.New(1);
        std::vector<std::u16string> texts;
        if (shift % 2) texts.push_back(u"t");
        texts.push_back(std::u16string(4092 + shift / 2, u'a'));
        texts.push_back(std::u16string(3, u'b') + u"\U0001F600" + std::u16string(shift, u'c'));
        for (int i = 0; i < 6; ++i) texts.push_back(std::u16string(1, char16_t(u'd' + i)) + u"\U0001F601\U0001F602");
        texts.push_back(std::u16string(9000, u'e') + u"\u00E9\U0001F603");
        for (int i = 0; i < 400; ++i) texts.push_back(u"short " + std::u16string(1, char16_t(u'A' + i % 26)) + std::u16string(i % 37, u'.'));
        std::vector<std::u16string> distinct;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            set(xls, static_cast<std::uint32_t>(i), 0, texts[i]);
            if (std::find(distinct.begin(), distinct.end(), texts[i]) == distinct.end()) distinct.push_back(texts[i]);
        }
        std::size_t nContinues = 0;
        const auto strings = readSst(records(xls), nContinues);
        EXPECT_GE(nContinues, 2u);
        EXPECT_EQ(strings, distinct) << "shift " << shift;
    }
}

TEST(TextPool, EqualTextsShareAnIdAndStoredTextsStayPut)
{
    TextPool pool;
    std::vector<std::u16string> texts;
    for (int i = 0; i < 50000; ++i) {
        std::u16string text(static_cast<std::size_t>(i % 40), u'x');
        text.push_back(static_cast<char16_t>(0x100 + i));
        texts.push_back(text);
    }
    texts.push_back(std::u16string(100000, u'L'));  // longer than a chunk
    texts.push_back(u"");
    std::vector<std::uint32_t> ids;
    std::vector<std::u16string_view> views;
    for (const auto& t : texts) {
        ids.push_back(pool.intern(t));
        views.push_back(pool.text(ids.back()));
    }
    EXPECT_EQ(pool.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(ids[i], i);
        ASSERT_EQ(pool.intern(texts[i]), ids[i]);  // found again after the table grew
        ASSERT_EQ(pool.text(ids[i]), texts[i]);
        ASSERT_EQ(views[i].data(), pool.text(ids[i]).data()) << "text moved";
    }
    EXPECT_EQ(pool.size(), texts.size());
}

TEST(BasicExcelSave, TheFileHoldsTheStreamInACompoundFile)
{
    testfiles::TempDir dir;
    BasicExcel xls;
    xls.New(1);
    // Several megabytes, so that the stream reaches the file in many pieces.
    for (std::uint32_t r = 0; r < 20000; ++r)
        for (std::uint32_t c = 0; c < 8; c += 1 + r % 2) set(xls, r, c, std::u16string{u'r', char16_t(0x100 + r), char16_t(u'0' + c)});
    ASSERT_TRUE(xls.SaveAs(dir.wfile("book.xls")));

    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new(dir.file("book.xls").c_str(), &error);
    ASSERT_NE(input, nullptr);
    GsfInfile* storage = gsf_infile_msole_new(input, &error);
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(gsf_infile_num_children(storage), 1);
    GsfInput* stream = gsf_infile_child_by_name(storage, "Workbook");
    ASSERT_NE(stream, nullptr);
    const auto expected = xls.BuildStream();
    ASSERT_EQ(static_cast<std::size_t>(gsf_input_size(stream)), expected.size());
    std::vector<std::uint8_t> actual(expected.size());
    ASSERT_NE(gsf_input_read(stream, actual.size(), actual.data()), nullptr);
    EXPECT_EQ(actual, expected);
    g_object_unref(stream);
    g_object_unref(storage);
    g_object_unref(input);

    EXPECT_FALSE(xls.SaveAs(dir.wfile("missing/book.xls")));
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(xls.SaveAs(u"/dev/full"));
    }
}

}  // namespace
