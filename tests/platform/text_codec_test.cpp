// The text codec: every form's boundaries round trip, every malformed form is refused,
// and no call writes past the size it is given.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/text_codec.h"

TEST(TextCodec, CodePointsAtEveryLengthBoundaryRoundTrip) {
    struct Case { char32_t code; const char* utf8; int units; };
    const Case cases[] = {
        {0x00, "", 1}, {0x7F, "\x7F", 1}, {0x80, "\xC2\x80", 1}, {0x7FF, "\xDF\xBF", 1},
        {0x800, "\xE0\xA0\x80", 1}, {0xD7FF, "\xED\x9F\xBF", 1}, {0xE000, "\xEE\x80\x80", 1},
        {0xFFFF, "\xEF\xBF\xBF", 1}, {0x10000, "\xF0\x90\x80\x80", 2}, {0x10FFFF, "\xF4\x8F\xBF\xBF", 2},
    };
    for (const Case& c : cases) {
        int length = c.code == 0 ? 1 : int(std::strlen(c.utf8));
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << unsigned(c.code));
        char bytes[kUtf8MaxBytes] = {};
        ASSERT_EQ(EncodeUtf8Char(c.code, bytes, sizeof bytes), length);
        EXPECT_EQ(std::string(bytes, size_t(length)), std::string(c.utf8, size_t(length)));
        char32_t back = 0xABCD;
        EXPECT_EQ(DecodeUtf8Char(bytes, size_t(length), &back), length);
        EXPECT_EQ(back, c.code);

        char16_t units[2] = {};
        ASSERT_EQ(EncodeUtf16Char(c.code, units, 2), c.units);
        back = 0xABCD;
        EXPECT_EQ(DecodeUtf16Char(units, 2, &back), c.units);
        EXPECT_EQ(back, c.code);
    }
}

TEST(TextCodec, DecodingRefusesEveryMalformedForm) {
    const std::string refused[] = {
        "\x80", "\xBF",                             // a continuation byte in the lead
        "\xF8\x88\x80\x80\x80", "\xFE", "\xFF",     // bytes that never lead
        "\xC0\x80", "\xC1\xA9",                     // a NUL and an 'i' in two bytes
        "\xE0\x80\xA2", "\xF0\x8F\xBF\xBF",         // a '"' in three, U+FFFF in four
        "\xED\xA0\x80", "\xED\xBF\xBF",             // surrogates
        "\xF4\x90\x80\x80", "\xF7\xBF\xBF\xBF",     // above U+10FFFF
        "\xC3", "\xE2\x82", "\xF0\x9F\x98",         // cut short
        "\xC3\x41", "\xE2\x28\xA1", "\xF0\x9F\xC0\x80",   // a lead without its continuation
    };
    for (const std::string& bytes : refused) {
        char32_t code = 0xABCD;
        EXPECT_EQ(DecodeUtf8Char(bytes.data(), bytes.size(), &code), 0) << testing::PrintToString(bytes);
        EXPECT_EQ(code, 0xABCDu);
    }
    // The length given is the end, whatever lies behind it in memory.
    char32_t code = 0;
    EXPECT_EQ(DecodeUtf8Char("\xE2\x82\xAC", 2, &code), 0);
    EXPECT_EQ(DecodeUtf8Char("a", 0, &code), 0);
}

TEST(TextCodec, EncodingRefusesNonCharactersAndNeverPassesTheSize) {
    for (char32_t code : {char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000)}) {
        char bytes[kUtf8MaxBytes] = {'x', 'x', 'x', 'x'};
        char16_t units[2] = {u'x', u'x'};
        EXPECT_EQ(EncodeUtf8Char(code, bytes, sizeof bytes), 0);
        EXPECT_EQ(EncodeUtf16Char(code, units, 2), 0);
        EXPECT_EQ(std::string(bytes, 4), "xxxx");
        EXPECT_EQ(units[0], u'x');
    }
    for (char32_t code : {char32_t(0x41), char32_t(0xE9), char32_t(0x20AC), char32_t(0x1F30A)}) {
        char bytes[kUtf8MaxBytes + 1];
        std::memset(bytes, 'x', sizeof bytes);
        int length = EncodeUtf8Char(code, bytes, kUtf8MaxBytes);
        std::memset(bytes, 'x', sizeof bytes);
        EXPECT_EQ(EncodeUtf8Char(code, bytes, size_t(length - 1)), 0);
        EXPECT_EQ(std::string(bytes, sizeof bytes), "xxxxx");
    }
    char16_t units[2] = {u'x', u'x'};
    EXPECT_EQ(EncodeUtf16Char(0x1F30A, units, 1), 0);
    EXPECT_EQ(units[0], u'x');
}

TEST(TextCodec, Utf16RefusesUnpairedSurrogates) {
    const std::u16string unpaired[] = {
        u"\xDC00", u"\xDC00\xDC00",                    // a low surrogate first
        std::u16string(1, u'\xD800'), u"\xD83C\xD83C", u"\xD83C" u"a",   // a high one alone
    };
    for (const std::u16string& text : unpaired) {
        char32_t code = 0xABCD;
        EXPECT_EQ(DecodeUtf16Char(text.c_str(), 2, &code), 0);   // a NUL ends the one-unit text
        EXPECT_EQ(code, 0xABCDu);
    }
}

TEST(TextCodec, Utf16TextToUtf8StopsAtAWholeCharacter) {
    char out[9];
    EXPECT_TRUE(Utf16ToUtf8(u"a\x20AC\xD83C\xDF0A", out, 9));   // 1 + 3 + 4 bytes and the NUL
    EXPECT_STREQ(out, "a\xE2\x82\xAC\xF0\x9F\x8C\x8A");
    EXPECT_FALSE(Utf16ToUtf8(u"a\x20AC\xD83C\xDF0A", out, 8));
    EXPECT_STREQ(out, "a\xE2\x82\xAC");
    EXPECT_TRUE(Utf16ToUtf8(u"a\x20AC", out, 5));
    EXPECT_STREQ(out, "a\xE2\x82\xAC");
    EXPECT_FALSE(Utf16ToUtf8(u"a\x20AC", out, 4));
    EXPECT_STREQ(out, "a");
    EXPECT_FALSE(Utf16ToUtf8(u"ab\xD800" u"c", out, sizeof out));
    EXPECT_STREQ(out, "ab");
    out[0] = 'x';
    EXPECT_FALSE(Utf16ToUtf8(u"a", out, 0));
    EXPECT_EQ(out[0], 'x');
}

TEST(TextCodec, Latin1WidensByteForByteIntoTheBufferItIsGiven) {
    char16_t wide[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(WidenLatin1("\xE9t\xFF", wide, 4), 3);   // bytes above 0x7F are no negative chars
    EXPECT_EQ(std::u16string(wide), u"\x00E9t\x00FF");
    EXPECT_EQ(WidenLatin1("harbour", wide, 4), 3);
    EXPECT_EQ(std::u16string(wide), u"har");
    EXPECT_EQ(WidenLatin1("harbour", 2, wide, 4), 2);
    EXPECT_EQ(std::u16string(wide), u"ha");
    EXPECT_EQ(WidenLatin1("a", 5, wide, 4), 1);         // the NUL ends it before the length
    wide[0] = u'x';
    EXPECT_EQ(WidenLatin1("a", wide, 0), 0);
    EXPECT_EQ(wide[0], u'x');

    char narrow[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(NarrowLatin1(u"\x00E9\x20AC" u"abc", 5, narrow, 4), 3);
    EXPECT_EQ(std::string(narrow), "\xE9\xAC" "a");
    EXPECT_EQ(NarrowLatin1(u"ab", 1, narrow, 4), 1);
    EXPECT_EQ(std::string(narrow), "a");
}
