#include <gtest/gtest.h>

#include "file_helpers.h"
#include "output/qex_settings.h"

using testfiles::readFile;
using testfiles::TempDir;

namespace {

using DisplayMap = std::map<std::u16string, std::u16string>;
using TextList = std::list<std::u16string>;

struct Loaded {
    bool ok = false;
    TextList originals;
    std::u16string title = u"unchanged";
    DisplayMap names;
    TextList options;
    std::int32_t groupBy = 12345;
};

Loaded parse(const std::string& bytes)
{
    Loaded l;
    l.ok = ParseQexDocument(bytes, l.originals, l.title, l.names, l.options, l.groupBy);
    return l;
}

TEST(QexSave, WritesTheStoredLayout)
{
    const DisplayMap names = {{u"Name", u"Nom"}, {u"Area", u"Surface"}, {u"Layer", u"Layer"}};
    EXPECT_EQ(BuildQexDocument(names, u"Doors & \"windows\"", {kQexTotalLine, kQexHideHeaderLine}, 2),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
              "<KvDataExtraction>\r\n"
              "    <State>\r\n"
              "        <Property name=\"Area\" display=\"Surface\" checked=\"1\" />\r\n"
              "        <Property name=\"Layer\" display=\"Layer\" checked=\"1\" />\r\n"
              "        <Property name=\"Name\" display=\"Nom\" checked=\"1\" />\r\n"
              "    </State>\r\n"
              "    <ExOptions>\r\n"
              "        <Option name=\"Total Line\" value=\"checked\" />\r\n"
              "        <Option name=\"Hide Header Line\" value=\"checked\" />\r\n"
              "        <Option name=\"GroupBy\" value=\"2\" />\r\n"
              "    </ExOptions>\r\n"
              // The library switches to single quotes around a value holding a double quote.
              "    <KvTable title='Doors &amp; &quot;windows&quot;' />\r\n"
              "</KvDataExtraction>\r\n");
}

TEST(QexSave, EmptyPartsUseTheEmptyElementFormAndTextsAreWindows1252)
{
    EXPECT_EQ(BuildQexDocument({}, u"Caf\u00E9 \u20AC \u4E2D", {}, -1),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
              "<KvDataExtraction>\r\n"
              "    <State />\r\n"
              "    <ExOptions />\r\n"
              "    <KvTable title=\"Caf\xE9 \x80 ?\" />\r\n"
              "</KvDataExtraction>\r\n");
}

TEST(QexRoundTrip, EverythingSavedComesBack)
{
    TempDir dir;
    const DisplayMap names = {{u"Area", u"Surface \u00E9t\u00E9"}, {u"Name", u"N\u00B0 & \"nom\""}, {u"<tag>", u""}};
    for (const std::int32_t groupBy : {-1, 0, 3}) {
        for (const TextList& options : {TextList{}, TextList{kQexTotalLine}, TextList{kQexTotalLine, kQexHideHeaderLine}}) {
            ASSERT_TRUE(SaveQexSettings(dir.wfile("a.qex"), names, u"Title & \"quoted\" \u00C0 \u00FF", options, groupBy));
            Loaded l;
            l.ok = LoadQexSettings(dir.wfile("a.qex"), l.originals, l.title, l.names, l.options, l.groupBy);
            ASSERT_TRUE(l.ok);
            EXPECT_EQ(l.names, names);
            EXPECT_EQ(l.originals, (TextList{u"<tag>", u"Area", u"Name"}));
            EXPECT_EQ(l.options, options);
            EXPECT_EQ(l.groupBy, groupBy);
            EXPECT_EQ(l.title, u"Title & \"quoted\" \u00C0 \u00FF");
        }
    }
}

TEST(QexLoad, RejectsWhatIsNotASettingsDocument)
{
    EXPECT_FALSE(parse("").ok);
    EXPECT_FALSE(parse("<KvDataExtraction><State>").ok);
    EXPECT_FALSE(parse("<Other><State><Property name=\"a\"/></State></Other>").ok);
    EXPECT_FALSE(parse("<KvDataExtraction><ExOptions/></KvDataExtraction>").ok);
    // Saving an empty map makes such a file, and it is refused all the same.
    const Loaded empty = parse(BuildQexDocument({}, u"t", {}, 0));
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.groupBy, -1);

    TempDir dir;
    Loaded l;
    EXPECT_FALSE(LoadQexSettings(dir.wfile("none.qex"), l.originals, l.title, l.names, l.options, l.groupBy));
    EXPECT_EQ(l.groupBy, -1);
}

TEST(QexLoad, WalksSiblingsWhateverTheirNames)
{
    const Loaded l = parse(
        "<KvDataExtraction><State>"
        "<Property name=\"B\" display=\"first\"/><Other name=\"A\"/><Property name=\"B\" display=\"second\"/>"
        "</State><Opts><Option name=\"GroupBy\" value=\"abc\"/><Foo name=\"Custom\" value=\"x\"/></Opts>"
        "<Table title=\"T\"/></KvDataExtraction>");
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.originals, (TextList{u"B", u"A", u"B"}));
    EXPECT_EQ(l.names, (DisplayMap{{u"A", u""}, {u"B", u"first"}}));
    EXPECT_EQ(l.options, TextList{u"Custom"});
    EXPECT_EQ(l.groupBy, 0);  // "abc" has no digits
    EXPECT_EQ(l.title, u"T");
}

TEST(QexLoad, MissingOptionsGiveNoOptionsNoGroupingAndNoTitle)
{
    Loaded l;
    l.options = {u"kept"};
    l.ok = ParseQexDocument("<KvDataExtraction><State><Property name=\"a\" display=\"b\"/></State></KvDataExtraction>",
                            l.originals, l.title, l.names, l.options, l.groupBy);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.options, TextList{u"kept"});  // appended to, never cleared
    EXPECT_EQ(l.groupBy, -1);
    EXPECT_EQ(l.title, u"");
    const Loaded g = parse("<KvDataExtraction><State><Property/></State><ExOptions>"
                           "<Option name=\"GroupBy\" value=\"-7 rows\"/></ExOptions></KvDataExtraction>");
    EXPECT_EQ(g.groupBy, -7);
    EXPECT_EQ(g.title, u"");
}

TEST(QexLoad, StoredWindows1252BytesAndRealUtf8BothReadBack)
{
    // What every stored file holds: code-page bytes under a UTF-8 declaration. A value ending
    // in such a byte must not swallow its closing quote.
    const std::string stored =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
        "<KvDataExtraction>\r\n    <State>\r\n"
        "        <Property name=\"Surface\" display=\"Aire \xE9\" checked=\"1\" />\r\n"
        "    </State>\r\n    <ExOptions />\r\n    <KvTable title=\"\x80 caf\xE9\" />\r\n</KvDataExtraction>\r\n";
    const Loaded legacy = parse(stored);
    ASSERT_TRUE(legacy.ok);
    EXPECT_EQ(legacy.names, (DisplayMap{{u"Surface", u"Aire \u00E9"}}));
    EXPECT_EQ(legacy.title, u"\u20AC caf\u00E9");

    const Loaded utf8 = parse("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><KvDataExtraction><State>"
                              "<Property name=\"\xE4\xB8\xAD\" display=\"caf\xC3\xA9\"/></State><ExOptions/>"
                              "<KvTable title=\"\xF0\x9F\x98\x80\"/></KvDataExtraction>");
    ASSERT_TRUE(utf8.ok);
    EXPECT_EQ(utf8.names, (DisplayMap{{u"\u4E2D", u"caf\u00E9"}}));
    EXPECT_EQ(utf8.title, u"\U0001F600");
}

// A settings document whose one property holds `nLevels` nested elements: the property is the
// third level, so the deepest element is at level 3 + nLevels.
std::string nestedDocument(std::size_t nLevels)
{
    std::string text = "<?xml version=\"1.0\" ?><KvDataExtraction><State><Property name=\"a\" display=\"b\">";
    for (std::size_t i = 0; i < nLevels; ++i) text += "<x>";
    for (std::size_t i = 0; i < nLevels; ++i) text += "</x>";
    return text + "</Property></State></KvDataExtraction>";
}

TEST(QexLoad, NestingBeyondAnyStoredFileIsRefusedBeforeParsing)
{
    // Tens of thousands of levels overflowed the parser's stack.
    EXPECT_FALSE(parse(nestedDocument(40'000)).ok);
    TempDir dir;
    testfiles::writeFile(dir.file("deep.qex"), nestedDocument(40'000));
    Loaded l;
    EXPECT_FALSE(LoadQexSettings(dir.wfile("deep.qex"), l.originals, l.title, l.names, l.options, l.groupBy));

    // Sixty-four levels are read; one more is refused.
    const Loaded deepest = parse(nestedDocument(61));
    ASSERT_TRUE(deepest.ok);
    EXPECT_EQ(deepest.names, (DisplayMap{{u"a", u"b"}}));
    EXPECT_FALSE(parse(nestedDocument(62)).ok);

    // Closing more than was opened cannot buy depth back.
    EXPECT_FALSE(parse("</x></x></x></x>" + nestedDocument(62)).ok);
    // Empty elements and siblings do not nest.
    std::string wide = "<KvDataExtraction><State>";
    for (int i = 0; i < 1000; ++i) wide += "<Property name=\"p" + std::to_string(i) + "\" display=\"d\" checked=\"1\" />";
    const Loaded siblings = parse(wide + "</State></KvDataExtraction>");
    ASSERT_TRUE(siblings.ok);
    EXPECT_EQ(siblings.originals.size(), 1000u);
}

TEST(QexLoad, MarkupIsReadAsTheParserReadsIt)
{
    // Angle brackets inside values, comments and character data open nothing.
    const Loaded odd = parse("<?xml version=\"1.0\" ?><!-- <x><x><x> " + std::string(200, '<') +
                             " --><KvDataExtraction><State>"
                             "<Property name='a \"q\"' display=\"x > y\"><![CDATA[<x><x>]]></Property>"
                             "</State></KvDataExtraction>");
    ASSERT_TRUE(odd.ok);
    EXPECT_EQ(odd.names, (DisplayMap{{u"a \"q\"", u"x > y"}}));

    // A deep nest hidden behind markup whose end the parser may see elsewhere is refused,
    // whatever the parser would have made of it.
    const std::string deep = nestedDocument(40'000);
    for (const std::string& trick : {std::string("<KvDataExtraction a=b\" c=\">"),  // quote inside an unquoted value
                                     std::string("<KvDataExtraction a=b>"),         // unquoted value
                                     std::string("<?xml a=\">\" ?>"),               // `>` in a declaration's value
                                     std::string("<!DOCTYPE \">\">"),               // a quote not after `=`
                                     std::string("<1 a=\">\">")}) {                 // not an element name
        EXPECT_FALSE(parse(trick + deep).ok) << trick;
    }

    // Tens of thousands of attributes on one element took the parser minutes; sixty-four are read.
    const auto withAttributes = [](int n) {
        std::string text = "<KvDataExtraction><State><Property name=\"a\"";
        for (int i = 1; i < n; ++i) text += " a" + std::to_string(i) + "=\"v\"";
        return text + " /></State></KvDataExtraction>";
    };
    EXPECT_TRUE(parse(withAttributes(64)).ok);
    EXPECT_FALSE(parse(withAttributes(65)).ok);
    EXPECT_FALSE(parse(withAttributes(30'000)).ok);

    // A file that cannot be a settings file for its size alone is not read.
    std::string huge = nestedDocument(1);
    huge.insert(huge.find("<KvDataExtraction>"), std::size_t(5) << 20, ' ');
    EXPECT_FALSE(parse(huge).ok);
}

TEST(QexSave, FailureIsReportedAndKeepsTheOldFile)
{
    TempDir dir;
    EXPECT_FALSE(SaveQexSettings(dir.wfile("no/such/folder.qex"), {}, u"", {}, -1));
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(SaveQexSettings(u"/dev/full", {}, u"", {}, -1));
    }
    ASSERT_TRUE(SaveQexSettings(dir.wfile("s.qex"), {{u"a", u"b"}}, u"t", {}, -1));
    EXPECT_EQ(readFile(dir.file("s.qex")), BuildQexDocument({{u"a", u"b"}}, u"t", {}, -1));
}

}  // namespace
