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

TEST(DxfUndecodableBytes, TypedCharactersThatLookLikeThemAreEscaped)
{
    // The private-use characters that stand for undecodable bytes, when someone typed them:
    // written as bytes they would read back as other characters ("é" here, in both files).
    const std::u16string typed = {char16_t(kRawByteBase + 0xC3), char16_t(kRawByteBase + 0xA9)};
    for (const TextEncoding& e : {TextEncoding::utf8(), page("ANSI_1252")}) {
        SCOPED_TRACE(e.name());
        EXPECT_EQ(e.encode(typed), "\\U+F7C3\\U+F7A9");
        EXPECT_EQ(e.decode(e.encode(typed)), typed);
    }
}

TEST(DxfEscapes, ALiteralEscapeComesBackAsTyped)
{
    // Only the backslash is escaped: the reader decodes \U+005C and keeps what follows.
    for (const TextEncoding& e : {TextEncoding::utf8(), page("ANSI_1252")}) {
        EXPECT_EQ(e.encode(u"C:\\U+0041"), "C:\\U+005CU+0041");
        EXPECT_EQ(e.decode(e.encode(u"\\U+0041 \\U+00e9x \\U+12")), u"\\U+0041 \\U+00e9x \\U+12");
    }
}

TEST(DxfTextRoles, LineBreaksAreParagraphsInFormattedTextAndCaretsElsewhere)
{
    EXPECT_EQ(escapeText(u"ROOM 101\nKitchen\r\nHall\rEnd", TextRole::Formatted), u"ROOM 101\\PKitchen\\PHall\\PEnd");
    EXPECT_EQ(escapeText(std::u16string(u"a\tb\0c", 5), TextRole::Formatted), u"a^Ib^@c");
    EXPECT_EQ(escapeText(std::u16string(u"a\nb\r\nc\0", 7), TextRole::Plain), u"a^Jb^M^Jc^@");
    // A caret that would read as notation is written "^ "; others stay as they are.
    EXPECT_EQ(escapeText(u"2^3 x^J ^^ ^", TextRole::Plain), u"2^3 x^ J ^ ^  ^");
    EXPECT_EQ(escapeText(u"^ ", TextRole::Plain), u"^  ");
    // A caret before a character that is escaped itself: the escape starts with a follower.
    EXPECT_EQ(escapeText(u"^\t^\n", TextRole::Formatted), u"^ ^I^ \\P");
    // Names are written as they are; the writer refuses those that cannot be.
    EXPECT_EQ(escapeText(u"A^B\n", TextRole::Verbatim), u"A^B\n");
}

TEST(DxfTextRoles, CaretNotationDecodesToWhatWasEscaped)
{
    std::u16string read = u"a^Ib^ Jc^@^ ^^";
    decodeCaretNotation(read);
    EXPECT_EQ(read, std::u16string(u"a\tb^Jc") + char16_t(0) + u"^" + char16_t(0x1E));
    std::u16string lone = u"2^3 end^";
    decodeCaretNotation(lone);
    EXPECT_EQ(lone, u"2^3 end^");
    // Every control character, every caret position: back as it was.
    std::u16string all;
    for (char16_t c = 0; c < 0x80; ++c) all += c, all += u'^', all += c;
    std::u16string back = escapeText(all, TextRole::Plain);
    decodeCaretNotation(back);
    EXPECT_EQ(back, all);
}

TEST(DxfTextRoles, ChunksKeepEscapesAndSurrogatePairsWhole)
{
    const std::u16string text = std::u16string(9, u'x') + u"^J" + std::u16string(8, u'y') + u"\U0001F600" + u"\\P" +
                                std::u16string(8, u'z');
    const auto chunks = textChunks(text, 10);
    std::u16string joined;
    for (const auto chunk : chunks) {
        EXPECT_LE(chunk.size(), 10u);
        ASSERT_FALSE(chunk.empty());
        EXPECT_NE(chunk.back(), u'^');
        EXPECT_NE(chunk.back(), u'\\');
        EXPECT_FALSE(chunk.back() >= 0xD800 && chunk.back() <= 0xDBFF);
        joined += chunk;
    }
    EXPECT_EQ(joined, text);
    // A run of backslashes still moves on.
    const std::u16string slashes(40, u'\\');
    std::size_t total = 0;
    for (const auto chunk : textChunks(slashes, 10)) total += chunk.size();
    EXPECT_EQ(total, 40u);
}

TEST(DxfUtf8, ConvertsBothWays)
{
    EXPECT_EQ(utf8ToUtf16("\xC3\xA4\xE2\x82\xAC"), u"ä€");
    EXPECT_EQ(utf16ToUtf8(u"ä€"), "\xC3\xA4\xE2\x82\xAC");
}

}  // namespace
}  // namespace qx::dxf
