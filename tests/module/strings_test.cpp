// The string catalogue in its three languages.
#include <gtest/gtest.h>

#include "cad/runtime/language.h"
#include "module/module_state.h"
#include "module/strings.h"

namespace {

class Catalogue : public ::testing::TestWithParam<qx::Language> {
protected:
    void SetUp() override
    {
        AttachModule();
        qx::setUserLanguage(GetParam());
    }
    void TearDown() override { qx::setUserLanguage(qx::Language::English); }
};

}  // namespace

TEST_P(Catalogue, EveryIdFrom134To318LoadsAndNoOtherDoes)
{
    for (std::uint32_t id = 134; id <= 318; ++id) {
        const std::u16string text = LoadResString(id);
        EXPECT_NE(text, u"???") << "id " << id;
        EXPECT_FALSE(text.empty()) << "id " << id;
    }
    EXPECT_EQ(LoadResString(133), u"???");
    EXPECT_EQ(LoadResString(0), u"???");
    EXPECT_EQ(LoadResString(319), u"???");
    EXPECT_EQ(FormatResString(133, std::u16string(u"x")), u"???");
}

TEST_P(Catalogue, MessagesKeepTheirLeadingLineBreakAndInsert)
{
    const std::u16string text = FormatResString(188, std::u16string(u"/tmp/out.csv"));
    EXPECT_EQ(text.front(), u'\n');
    EXPECT_NE(text.find(u"/tmp/out.csv"), std::u16string::npos);
    EXPECT_EQ(text.find(u"%1"), std::u16string::npos);
}

TEST_P(Catalogue, TheHugeTableQuestionTellsRowsSizeAndLimit)
{
    const std::u16string text = FormatResString(318, std::u16string(u"123456"), std::u16string(u"789"),
                                                std::u16string(u"10000"));
    for (const char16_t* part : {u"123456", u"789", u"10000"}) EXPECT_NE(text.find(part), std::u16string::npos);
    EXPECT_EQ(text.find(u'%'), std::u16string::npos);
}

TEST_P(Catalogue, CaseDistinctPropertyNamesStayDistinct)
{
    EXPECT_NE(LoadResString(180), LoadResString(230));  // circle "X Center" and arc "X center"
    EXPECT_EQ(LoadResString(179), LoadResString(226));  // "Area" of circles and arcs is one column
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, Catalogue,
                         ::testing::Values(qx::Language::English, qx::Language::French, qx::Language::Spanish));

TEST(CatalogueLanguage, TheHostsLanguagePicksTheTable)
{
    AttachModule();
    qx::setUserLanguage(qx::Language::English);
    EXPECT_EQ(LoadResString(168), u"Object type");
    EXPECT_EQ(LoadResString(134), u"Data extraction v0.8.42 - Starting (1/5)");
    EXPECT_EQ(FormatResString(188, std::u16string(u"C:\\a b.csv")), u"\nCSV export done to : C:\\a b.csv");
    // An insert in the middle of a text, within quotes.
    EXPECT_EQ(FormatResString(241, std::u16string(u"obj_handles")),
              u"\nNone identified 'obj_handles' xData attached to this object.");
    qx::setUserLanguage(qx::Language::French);
    EXPECT_EQ(LoadResString(168), u"Type d'objet");
    EXPECT_EQ(LoadResString(190), u"DuCalque");
    EXPECT_NE(LoadResString(134).find(u"v0.8.42.1"), std::u16string::npos);
    qx::setUserLanguage(qx::Language::Spanish);
    EXPECT_EQ(LoadResString(168), u"Tipo de Objeto");
    EXPECT_EQ(LoadResString(190), u"PorCapa");
    EXPECT_EQ(LoadResString(216), u"Total");
    EXPECT_EQ(LoadResString(134).find(u"v0.8.42.1"), std::u16string::npos);
    qx::setUserLanguage(qx::Language::English);
}

