// The chain of resource modules and the choice of a string table for the user's language.
#include <gtest/gtest.h>

#include "cad/runtime/language.h"
#include "docman.h"
#include "resources.h"

namespace {

// Three tables stored the way the data-extraction module stores its own: its French table
// under the language-neutral id, Spanish (Mexico) and English (Australia).
const unsigned char kNeutral[] = "1\tneutral-table\n2\tonly-neutral\n";
const unsigned char kSpanish[] = "1\tspanish-table\n";
const unsigned char kEnglish[] = "# comment\n1\tenglish-table\n3\tline\\nbreak and back\\\\slash\n";
const unsigned char kDialog[] = "dialog";
const QxResourceFile kFiles[] = {
    {"strings/0009.txt", kNeutral, sizeof kNeutral - 1},
    {"strings/080A.txt", kSpanish, sizeof kSpanish - 1},
    {"strings/0C09.txt", kEnglish, sizeof kEnglish - 1},
    {"dialogs/9102.dlg", kDialog, sizeof kDialog - 1},
    {nullptr, nullptr, 0},
};

std::u16string load(std::uint32_t id, QxResourceInstance instance)
{
    std::u16string text;
    return qxuiLoadString(id, text, instance) ? text : u"<none>";
}

}  // namespace

TEST(ResourceChain, EachLanguageGetsItsTableAndOthersTheDefaultOne)
{
    QxExtensionModule record;
    ASSERT_TRUE(qxuiInitExtensionModule(record, "test", kFiles));
    qx::setUserLanguage(qx::Language::English);
    EXPECT_EQ(load(1, record.resource), u"english-table");
    EXPECT_EQ(load(3, record.resource), u"line\nbreak and back\\slash");
    qx::setUserLanguage(qx::Language::Spanish);
    EXPECT_EQ(load(1, record.resource), u"spanish-table");
    qx::setUserLanguage(qx::Language::French);
    EXPECT_EQ(load(1, record.resource), u"neutral-table");
    // An id missing from the chosen table is not taken from another language's table.
    qx::setUserLanguage(qx::Language::English);
    EXPECT_EQ(load(2, record.resource), u"<none>");

    ASSERT_NE(qxuiFindResource("dialogs", 9102, record.resource), nullptr);
    EXPECT_EQ(qxuiFindResource("dialogs", 10, record.resource), nullptr);
    qxuiTermExtensionModule(record);
    EXPECT_EQ(qxuiFindResource("dialogs", 9102), nullptr);
}

TEST(ResourceChain, DocumentManagerStackMakesAnInstanceCurrentUntilPopped)
{
    QxExtensionModule record;
    ASSERT_TRUE(qxuiInitExtensionModule(record, "test", kFiles));
    const QxResourceInstance before = qxuiGetResourceHandle();
    qxDocManagerPtr()->pushResourceHandle(record.resource);
    EXPECT_EQ(qxuiGetResourceHandle(), record.resource);
    qxDocManagerPtr()->popResourceHandle();
    EXPECT_EQ(qxuiGetResourceHandle(), before);
    qxDocManagerPtr()->popResourceHandle();  // an unmatched pop changes nothing
    EXPECT_EQ(qxuiGetResourceHandle(), before);
    qxuiTermExtensionModule(record);
}
