#include "db_fixture.h"

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
