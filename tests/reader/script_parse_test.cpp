// The qh-play script parser and its UTF-8 reading: lines that must be refused with a
// reason, and texts that are not UTF-8 (overlong forms, surrogates) that must never
// reach the entry box as some other character.
#include <gtest/gtest.h>

#include <string>

#include "driver/script.h"

namespace {

TEST(ScriptParse, OverlongFormsAndSurrogatesAreNotUtf8) {
    std::u16string wide;
    EXPECT_FALSE(Utf8ToUtf16("\xC1\xA9", &wide));           // 'i' in two bytes (fuzzer find)
    EXPECT_FALSE(Utf8ToUtf16("a\xC0\x80" "b", &wide));      // a NUL that would cut the text
    EXPECT_FALSE(Utf8ToUtf16("\xE0\x80\xA2", &wide));       // a '"' in three bytes
    EXPECT_FALSE(Utf8ToUtf16("\xED\xA0\x80", &wide));       // a lone surrogate
    EXPECT_FALSE(Utf8ToUtf16("\xF0\x9F\x98\x80", &wide));   // beyond the 16-bit plane

    ASSERT_TRUE(Utf8ToUtf16("caf\xC3\xA9 \xE2\x82\xAC\xEF\xBF\xBD", &wide));
    EXPECT_EQ(wide, u"caf\u00E9 \u20AC\uFFFD");
}

TEST(ScriptParse, QuotedTextsRangesAndTrailingText) {
    PlayCommand command;
    std::string error;
    ASSERT_TRUE(ParsePlayLine("tap \"Say \\\"hi\\\" \\\\ now\"", &command, &error));
    EXPECT_EQ(command.verb, PlayVerb::TapLabel);
    EXPECT_EQ(command.text, "Say \"hi\" \\ now");

    ASSERT_TRUE(ParsePlayLine("  control 5099", &command, &error));
    EXPECT_EQ(command.x, 5099);
    ASSERT_TRUE(ParsePlayLine("control 518", &command, &error));   // the sound page's check box
    EXPECT_EQ(command.x, 518);
    EXPECT_FALSE(ParsePlayLine("control 0", &command, &error));
    EXPECT_FALSE(ParsePlayLine("control 65536", &command, &error));
    EXPECT_FALSE(ParsePlayLine("tap 240 0", &command, &error));
    EXPECT_FALSE(ParsePlayLine("goto 99999999999999999999", &command, &error));
    EXPECT_FALSE(ParsePlayLine("type \"open", &command, &error));
    EXPECT_EQ(error, "expected a text in double quotes");
    EXPECT_FALSE(ParsePlayLine("dump now", &command, &error));
    EXPECT_EQ(error, "unexpected text after the command: 'now'");
}

}  // namespace
