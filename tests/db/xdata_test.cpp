#include "db_fixture.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The groups of a chain as "code:text" items, for comparing.
std::vector<std::u16string> items(const qxresbuf* chain)
{
    std::vector<std::u16string> out;
    for (; chain; chain = chain->rbnext) {
        std::u16string item = std::u16string(1, u'0' + chain->restype % 10) + u':';
        if (chain->restype == 1070) item += std::u16string(1, u'0' + chain->resval.rint);
        else if (chain->resval.rstring) item += chain->resval.rstring;
        out.push_back(item);
    }
    return out;
}

// Each group as its code and the exact bits of its value, so that a value that changes in
// the slightest way on its way through the object shows.
std::vector<std::string> bits(const qxresbuf* chain)
{
    auto hex = [](const void* data, std::size_t size) {
        static const char digits[] = "0123456789abcdef";
        std::string out;
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char byte = static_cast<const unsigned char*>(data)[i];
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
        return out;
    };
    std::vector<std::string> out;
    for (; chain; chain = chain->rbnext) {
        const qxresval& v = chain->resval;
        std::string item = std::to_string(chain->restype) + ':';
        switch (qxutRbKind(chain->restype)) {
        case QxRbKind::String: item += hex(v.rstring, std::char_traits<char16_t>::length(v.rstring) * 2); break;
        case QxRbKind::Real: item += hex(&v.rreal, sizeof v.rreal); break;
        case QxRbKind::Point: item += hex(v.rpoint, sizeof v.rpoint); break;
        case QxRbKind::Short: item += hex(&v.rint, sizeof v.rint); break;
        case QxRbKind::Long: item += hex(&v.rlong, sizeof v.rlong); break;
        case QxRbKind::Binary: item += std::to_string(v.rbinary.clen) + ':' + hex(v.rbinary.buf, v.rbinary.clen); break;
        default: break;
        }
        out.push_back(item);
    }
    return out;
}

qxresbuf* binary(int code, std::vector<unsigned char> bytes)
{
    qxresbuf* rb = qxutNewRb(code);
    rb->resval.rbinary.clen = static_cast<std::int32_t>(bytes.size());
    rb->resval.rbinary.buf = new unsigned char[bytes.size() + 1];
    if (!bytes.empty()) std::memcpy(rb->resval.rbinary.buf, bytes.data(), bytes.size());
    return rb;
}

qxresbuf* strings(int firstCode, std::initializer_list<const char16_t*> texts)
{
    qxresbuf* head = nullptr;
    qxresbuf** tail = &head;
    int code = firstCode;
    for (const char16_t* t : texts) {
        *tail = qxutNewRb(code);
        (*tail)->resval.rstring = qxutNewString(t);
        tail = &(*tail)->rbnext;
        code = 1000;
    }
    return head;
}

}  // namespace

class ExtendedData : public DrawingTest {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        ASSERT_EQ(qxdbRegApp(u"obj_handles"), QXRT_NORM);
        ASSERT_EQ(qxdbRegApp(u"tb_headers"), QXRT_NORM);
        lineId = addLine(0, 0, 1, 1);
    }

    Qxapp::ErrorStatus set(qxresbuf* chain)
    {
        QxDbObject* o = nullptr;
        EXPECT_EQ(qxdbOpenObject(o, lineId, QxDb::kForWrite), Qxapp::eOk);
        const Qxapp::ErrorStatus es = o->setXData(chain);
        o->close();
        qxutRelRb(chain);
        return es;
    }

    std::vector<std::u16string> get(const char16_t* app)
    {
        QxDbObject* o = nullptr;
        EXPECT_EQ(qxdbOpenObject(o, lineId, QxDb::kForRead), Qxapp::eOk);
        qxresbuf* chain = o->xData(app);
        o->close();
        auto out = items(chain);
        qxutRelRb(chain);
        return out;
    }

    QxDbObjectId lineId;
};

TEST_F(ExtendedData, SettingReplacesOnlyTheNamedApplicationsGroups)
{
    ASSERT_EQ(set(strings(1001, {u"obj_handles", u"2F", u"30"})), Qxapp::eOk);
    ASSERT_EQ(set(strings(1001, {u"tb_headers", u"Count", u"Name"})), Qxapp::eOk);
    EXPECT_EQ(get(u"obj_handles"), (std::vector<std::u16string>{u"1:obj_handles", u"0:2F", u"0:30"}));
    EXPECT_EQ(get(nullptr).size(), 6u);  // all applications, in the order they were set
    EXPECT_TRUE(get(u"PE_URL").empty());
    set(strings(1001, {u"obj_handles", u"31"}));
    EXPECT_EQ(get(u"obj_handles"), (std::vector<std::u16string>{u"1:obj_handles", u"0:31"}));
    EXPECT_EQ(get(u"TB_HEADERS"), (std::vector<std::u16string>{u"1:tb_headers", u"0:Count", u"0:Name"}));
}

TEST_F(ExtendedData, OnlyTheNameRemovesTheApplicationsData)
{
    set(strings(1001, {u"obj_handles", u"2F"}));
    set(strings(1001, {u"tb_headers", u"Count"}));
    ASSERT_EQ(set(strings(1001, {u"obj_handles"})), Qxapp::eOk);
    EXPECT_TRUE(get(u"obj_handles").empty());
    EXPECT_EQ(get(u"tb_headers").size(), 2u);
    // Several applications in one chain: each is handled on its own.
    qxresbuf* both = strings(1001, {u"tb_headers"});
    both->rbnext = strings(1001, {u"obj_handles", u"40"});
    ASSERT_EQ(set(both), Qxapp::eOk);
    EXPECT_TRUE(get(u"tb_headers").empty());
    EXPECT_EQ(get(u"obj_handles").size(), 2u);
}

TEST_F(ExtendedData, RefusedChainsChangeNothing)
{
    set(strings(1001, {u"obj_handles", u"2F"}));
    // The second application is not registered: the whole chain is refused, including the
    // part for the registered one.
    qxresbuf* chain = strings(1001, {u"obj_handles", u"99"});
    chain->rbnext->rbnext = strings(1001, {u"not_registered", u"x"});
    EXPECT_EQ(set(chain), Qxapp::eRegappIdNotFound);
    EXPECT_EQ(get(u"obj_handles"), (std::vector<std::u16string>{u"1:obj_handles", u"0:2F"}));
    EXPECT_EQ(set(strings(1000, {u"no application first"})), Qxapp::eInvalidXData);
    // A list left open would make the drawing file unreadable for other programs.
    qxresbuf* open = strings(1001, {u"obj_handles", u"a"});
    open->rbnext->rbnext = qxutBuildList(1002, u"{", 1000, u"b", 0);
    EXPECT_EQ(set(open), Qxapp::eInvalidXData);
    qxresbuf* closeFirst = strings(1001, {u"obj_handles"});
    closeFirst->rbnext = qxutBuildList(1002, u"}", 1002, u"{", 0);
    EXPECT_EQ(set(closeFirst), Qxapp::eInvalidXData);

    QxDbObject* o = nullptr;
    ASSERT_EQ(qxdbOpenObject(o, lineId, QxDb::kForRead), Qxapp::eOk);
    qxresbuf* c = strings(1001, {u"obj_handles", u"77"});
    EXPECT_EQ(o->setXData(c), Qxapp::eNotOpenForWrite);
    qxutRelRb(c);
    o->close();
    EXPECT_EQ(get(u"obj_handles").size(), 2u);
}

TEST_F(ExtendedData, CallersAndCopiesChangeOnlyTheirOwnChains)
{
    set(strings(1001, {u"obj_handles", u"2F"}));
    QxDbObject* o = nullptr;
    ASSERT_EQ(qxdbOpenObject(o, lineId, QxDb::kForRead), Qxapp::eOk);
    qxresbuf* got = o->xData(u"obj_handles");
    qxutDelBuffer(got->rbnext->resval.rstring);
    got->rbnext->resval.rstring = qxutNewString(u"changed");
    qxutRelRb(got);
    std::unique_ptr<QxDbObject> copy(o->clone());
    o->close();
    qxresbuf* removal = strings(1001, {u"obj_handles"});
    ASSERT_EQ(copy->setXData(removal), Qxapp::eOk);  // a copy not in a database is writable
    qxutRelRb(removal);
    EXPECT_EQ(get(u"obj_handles"), (std::vector<std::u16string>{u"1:obj_handles", u"0:2F"}));
}

TEST_F(ExtendedData, EveryKindOfValueComesBackBitForBitAndSoDoesACopy)
{
    std::u16string odd = u"a";
    odd += char16_t(0xD800);  // lone surrogates, as a damaged file may hold them
    odd += u"b";
    odd += char16_t(0xDC00);
    odd += u"\u00e9\u4e2d\U0001F600\t\n";
    const std::u16string longText(70000, u'x');  // more than one unit can count, or even 16 bits
    std::vector<unsigned char> bigChunk(70001);
    for (std::size_t i = 0; i < bigChunk.size(); ++i) bigChunk[i] = static_cast<unsigned char>(i * 7);
    const double oddPoint[3] = {-0.0, std::numeric_limits<double>::denorm_min(), std::nan("0x5")};
    const double smallPoint[3] = {1e-300, -1e300, 0.1};

    qxresbuf* chain = qxutBuildList(1001, u"obj_handles", 1000, odd.c_str(), 1000, u"", 1000, longText.c_str(),
                                    1005, u"2F", 1010, oddPoint, 1013, smallPoint, 1040, -0.0, 1041, 1.0 / 3,
                                    1070, -32768, 1071, std::numeric_limits<std::int32_t>::min(), 0);
    qxresbuf* tail = chain;
    while (tail->rbnext) tail = tail->rbnext;
    tail->rbnext = binary(1004, {0x00, 0xFF, 0x80});  // an odd number of bytes, with a zero byte
    tail->rbnext->rbnext = binary(1004, {});
    tail->rbnext->rbnext->rbnext = binary(1004, bigChunk);
    tail->rbnext->rbnext->rbnext->rbnext = qxutBuildList(1000, u"after the chunks", 0);
    const std::vector<std::string> given = bits(chain);
    ASSERT_EQ(set(chain), Qxapp::eOk);

    QxDbObject* o = nullptr;
    ASSERT_EQ(qxdbOpenObject(o, lineId, QxDb::kForRead), Qxapp::eOk);
    qxresbuf* got = o->xData(u"obj_handles");
    EXPECT_EQ(bits(got), given);
    qxutRelRb(got);
    std::unique_ptr<QxDbObject> copy(o->clone());
    o->close();
    got = copy->xData();
    EXPECT_EQ(bits(got), given);
    qxutRelRb(got);
}

TEST_F(ExtendedData, ApplicationsKeepTheirOrderThroughReplacingAndRemoving)
{
    for (const char16_t* app : {u"app_a", u"app_b", u"app_c", u"app_d"}) ASSERT_EQ(qxdbRegApp(app), QXRT_NORM);
    qxresbuf* all = strings(1001, {u"app_a", u"a1", u"a2"});
    all->rbnext->rbnext->rbnext = strings(1001, {u"app_b", u"b1"});
    all->rbnext->rbnext->rbnext->rbnext->rbnext = strings(1001, {u"app_c", u"c1", u"c2", u"c3"});
    ASSERT_EQ(set(all), Qxapp::eOk);
    ASSERT_EQ(set(strings(1001, {u"app_d", u"d1"})), Qxapp::eOk);

    // Longer data in the middle, shorter at the front: the neighbours stay whole and in place.
    ASSERT_EQ(set(strings(1001, {u"APP_B", u"b1", u"b2", u"b3"})), Qxapp::eOk);
    ASSERT_EQ(set(strings(1001, {u"app_a", u"a9"})), Qxapp::eOk);
    EXPECT_EQ(get(nullptr), (std::vector<std::u16string>{u"1:app_a", u"0:a9", u"1:APP_B", u"0:b1", u"0:b2", u"0:b3",
                                                    u"1:app_c", u"0:c1", u"0:c2", u"0:c3", u"1:app_d", u"0:d1"}));

    // Removed from the front and the end, then given again: it comes back last.
    qxresbuf* removals = strings(1001, {u"app_a"});
    removals->rbnext = strings(1001, {u"app_d"});
    ASSERT_EQ(set(removals), Qxapp::eOk);
    ASSERT_EQ(set(strings(1001, {u"app_a", u"a10"})), Qxapp::eOk);
    EXPECT_EQ(get(nullptr), (std::vector<std::u16string>{u"1:APP_B", u"0:b1", u"0:b2", u"0:b3", u"1:app_c", u"0:c1", u"0:c2",
                                                    u"0:c3", u"1:app_a", u"0:a10"}));
    EXPECT_EQ(get(u"app_c"), (std::vector<std::u16string>{u"1:app_c", u"0:c1", u"0:c2", u"0:c3"}));

    // Removing every application leaves no extended data at all.
    qxresbuf* rest = strings(1001, {u"app_a"});
    rest->rbnext = strings(1001, {u"app_b"});
    rest->rbnext->rbnext = strings(1001, {u"app_c"});
    ASSERT_EQ(set(rest), Qxapp::eOk);
    EXPECT_TRUE(get(nullptr).empty());
}

TEST_F(ExtendedData, RegisteringTwiceKeepsOneRecord)
{
    auto count = [this] {
        QxDbRegAppTable* apps = nullptr;
        EXPECT_EQ(db->getSymbolTable(apps, QxDb::kForRead), Qxapp::eOk);
        const std::size_t n = apps->recordIds().size();
        apps->close();
        return n;
    };
    const std::size_t before = count();
    EXPECT_EQ(qxdbRegApp(u"OBJ_HANDLES"), QXRT_NORM);
    EXPECT_EQ(count(), before);
    EXPECT_EQ(qxdbRegApp(u""), QXRT_ERROR);
}

// Hyperlinks ----------------------------------------------------------------------------

using Hyperlinks = ExtendedData;

TEST_F(Hyperlinks, AreStoredInExtendedDataInTheFileLayout)
{
    QxDbEntity* e = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(e, lineId, QxDb::kForWrite), Qxapp::eOk);
    auto* pe = QxDbEntityHyperlinkPE::cast(e->x(QxDbEntityHyperlinkPE::desc()));
    ASSERT_NE(pe, nullptr) << "every entity class reaches the hyperlink extension";
    QxDbHyperlinkCollection links;
    links.addTail(u"https://example.org/a", u"first link", u"view1");
    links.addTail(u"file:///plans/b.pdf");
    ASSERT_EQ(pe->setHyperlinkCollection(e, &links), Qxapp::eOk);
    e->close();

    EXPECT_EQ(get(u"PE_URL"), (std::vector<std::u16string>{u"1:PE_URL", u"0:https://example.org/a", u"2:{",
                                                            u"0:first link", u"0:view1", u"2:}",
                                                            u"0:file:///plans/b.pdf", u"2:{", u"0:", u"0:",
                                                            u"2:}"}));
}

TEST_F(Hyperlinks, ReadsAFileLayoutWithANestedFlagList)
{
    // As a drawing file may carry it: the description list holds a nested list of flags.
    qxdbRegApp(u"PE_URL");
    ASSERT_EQ(set(qxutBuildList(1001, u"PE_URL", 1000, u"https://example.org/x", 1002, u"{", 1000, u"described",
                                1002, u"{", 1070, 0, 1002, u"}", 1002, u"}", 0)),
              Qxapp::eOk);
    QxDbEntity* e = nullptr;
    ASSERT_EQ(qxdbOpenQxDbEntity(e, lineId, QxDb::kForRead), Qxapp::eOk);
    auto* pe = QxDbEntityHyperlinkPE::cast(e->x(QxDbEntityHyperlinkPE::desc()));
    unsigned int count = 0;
    ASSERT_EQ(pe->getHyperlinkCount(e, count), Qxapp::eOk);
    EXPECT_EQ(count, 1u);
    QxDbHyperlinkCollection* read = nullptr;
    pe->getHyperlinkCollection(e, read, true);
    EXPECT_EQ(read->item(0)->description(), u"described");
    delete read;
    e->close();
}
