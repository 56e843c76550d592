// Text of drawing files: UTF-8 for newer files, code pages and \U+XXXX escapes for older ones.
#include <gtest/gtest.h>

#include "cad/dxf/dxf_encoding.h"

namespace qx::dxf {
namespace {

TextEncoding page(const char* name)
{
    auto e = TextEncoding::fromCodePageName(name);
    EXPECT_TRUE(e) << name;
    return e ? *e : TextEncoding::utf8();
}

TEST(DxfCodePages, SingleBytePagesDecodeTheirOwnLetters)
{
    EXPECT_EQ(page("ANSI_1252").decode("\xC4\x80\x9F"), u"Ä€Ÿ");
    EXPECT_EQ(page("ANSI_1251").decode("\xC4\xE0"), u"Да");
    EXPECT_EQ(page("ANSI_1250").decode("\x8A\xF8"), u"Šř");
    EXPECT_EQ(page("ANSI_1253").decode("\xC1"), u"Α");
    EXPECT_EQ(page("dos850").decode("\x81"), u"ü");
    EXPECT_EQ(page("ISO8859-1").decode("\xE9"), u"é");
}

TEST(DxfCodePages, NamesMatchIgnoringCaseAndUnknownNamesFail)
{
    EXPECT_EQ(page("ansi_1252").name(), "ANSI_1252");
    EXPECT_EQ(page("DOS932").name(), "ANSI_932");
    EXPECT_FALSE(TextEncoding::fromCodePageName("ANSI_12520"));
    EXPECT_FALSE(TextEncoding::fromCodePageName(""));
}

TEST(DxfCodePages, EveryByteOfEveryPageEncodesBackToItself)
{
    for (const char* name : {"ANSI_874", "ANSI_1250", "ANSI_1251", "ANSI_1252", "ANSI_1253", "ANSI_1254",
                             "ANSI_1255", "ANSI_1256", "ANSI_1257", "ANSI_1258", "DOS437", "DOS850", "DOS852",
                             "DOS866", "ISO8859-1", "ANSI_932"}) {
        SCOPED_TRACE(name);
        const TextEncoding e = page(name);
        std::string all;
        for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
        all.erase(all.find('\\'), 1);  // a backslash could start an escape with what follows
        EXPECT_EQ(e.encode(e.decode(all)), all);
    }
}

TEST(DxfEscapes, DecodedInEveryEncoding)
{
    EXPECT_EQ(page("ANSI_1252").decode("Gr\\U+00FC\\U+00DFe \\U+4e2d"), u"Grüße 中");
    EXPECT_EQ(TextEncoding::utf8().decode("\\U+4E2D\\U+6587"), u"中文");
    // Not an escape: too few hex digits, or no plus sign.
    EXPECT_EQ(TextEncoding::utf8().decode("\\U+12G4 \\U1234 \\U+12"), u"\\U+12G4 \\U1234 \\U+12");
    // An escaped surrogate pair makes one character outside the basic plane.
    EXPECT_EQ(TextEncoding::utf8().decode("\\U+D83D\\U+DE00"), u"\U0001F600");
}

TEST(DxfEscapes, WrittenOnlyForWhatTheCodePageLacks)
{
    const TextEncoding cp1252 = page("ANSI_1252");
    EXPECT_EQ(cp1252.encode(u"Größe"), "Gr\xF6\xDF" "e");
    EXPECT_EQ(cp1252.encode(u"Да"), "\\U+0414\\U+0430");
    EXPECT_EQ(cp1252.decode(cp1252.encode(u"Да €")), u"Да €");
    EXPECT_EQ(page("ANSI_1251").encode(u"Да"), "\xC4\xE0");
    // UTF-8 files need no escapes, except for a lone surrogate which has no UTF-8 form.
    EXPECT_EQ(TextEncoding::utf8().encode(u"Да \U0001F600"), "\xD0\x94\xD0\xB0 \xF0\x9F\x98\x80");
    const std::u16string lone(1, char16_t(0xD800));
    EXPECT_EQ(TextEncoding::utf8().encode(lone), "\\U+D800");
}

TEST(DxfUndecodableBytes, SurviveAReadAndWrite)
{
    // Invalid UTF-8 (a Latin-1 byte in a UTF-8 file, a truncated sequence) comes back as it was.
    const std::string bad = "caf\xE9 \xE4\xB8";
    const std::u16string text = TextEncoding::utf8().decode(bad);
    EXPECT_EQ(text.substr(0, 3), u"caf");
    EXPECT_EQ(TextEncoding::utf8().encode(text), bad);
    // Overlong forms are invalid too.
    EXPECT_EQ(TextEncoding::utf8().encode(TextEncoding::utf8().decode("\xC0\xAF")), "\xC0\xAF");
    // Bytes of a Far-East page we do not table are kept one by one.
    const TextEncoding sjis = page("ANSI_932");
    EXPECT_EQ(sjis.encode(sjis.decode("\x93\xFA\x96\x7B")), "\x93\xFA\x96\x7B");
    EXPECT_EQ(sjis.encode(u"中"), "\\U+4E2D");
}

TEST(DxfUtf8, ConvertsBothWays)
{
    EXPECT_EQ(utf8ToUtf16("\xC3\xA4\xE2\x82\xAC"), u"ä€");
    EXPECT_EQ(utf16ToUtf8(u"ä€"), "\xC3\xA4\xE2\x82\xAC");
}

}  // namespace
}  // namespace qx::dxf
