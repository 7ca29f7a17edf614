// The command set: argument readers, the single-number commands, the page-shaping
// commands, dispatch and the hotword-overflow check.
#include <string>

#include "markup/arguments.h"
#include "markup/hotwords.h"
#include "page/page_state.h"
#include "book/save_file.h"
#include "platform/headless.h"
#include "story_fixture.h"

namespace story {
namespace {

struct CommandTest : StoryTest {
    // Puts `text` in the command buffer with the cursor after the letter.
    void Arguments(const std::string& text) {
        LoadCommand(text.c_str());
    }
};

TEST_F(CommandTest, ReadNumberForms) {
    const struct { const char* text; int value; int cursor; } cases[] = {
        {"x-12", -12, 4}, {"x1-2", -12, 4}, {"x--12", -12, 5}, {"x+7", 7, 3},
        {"xa5", 0, 1},    {"x12 5", 12, 3}, {"x", 0, 1},       {"x65537", 1, 6},
    };
    for (const auto& c : cases) {
        Arguments(c.text);
        EXPECT_EQ(ReadNumber(), c.value) << c.text;
        EXPECT_EQ(::Scan().cursor, c.cursor) << c.text;
    }
}

TEST_F(CommandTest, SkipPastStopsAfterTheMarkOrAtTheEnd) {
    Arguments("R abc%5 x");
    SkipPast('%');
    EXPECT_EQ(::Scan().cursor, 6);
    EXPECT_EQ(ReadNumber(), 5);
    SkipPast('*');
    EXPECT_EQ(::Scan().cursor, 9);
    EXPECT_TRUE(AtCommandEnd());
    SkipPast('*');   // at the end already: stays there
    EXPECT_EQ(::Scan().cursor, 9);
}

// The cues started and stopped since the last call, as the platform heard them.
static std::vector<std::string> Sounds() {
    std::vector<std::string> sounds;
    for (int i = 0; i < HeadlessSoundCount(); ++i) sounds.push_back(HeadlessSound(i));
    HeadlessClearSounds();
    return sounds;
}

TEST_F(CommandTest, SingleNumberCommandsTakeOneSpaceAndStopAtTwo) {
    SetSoundSetting(1);
    Sounds();
    Run("A1");
    Run("A 1");
    Run("A  1");
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"sound play BELL", "sound play BELL", "sound play GULLS"}));

    Run("W 1");
    Run("W  1");
    Run("V 4");
    Run("v4");
    Run("V  4");
    EXPECT_EQ(Items(), (Lines{"centre", "left", "picture:1704 block", "picture:1704 inline",
                              "picture:1700 block"}));

    Run("n 41");
    Run("p41");
    EXPECT_EQ(PageNow().nextArrow.kind, kArrowParagraph);
    EXPECT_EQ(PageNow().nextArrow.value, 41);
    EXPECT_EQ(PageNow().previousArrow.value, 41);
    Run("n  41");
    EXPECT_EQ(PageNow().nextArrow.value, 0);
}

TEST_F(CommandTest, StylesBreaksAndSoundStop) {
    Sounds();
    for (const char* command : {"B", "D", "P", "T", "U", "W 2", "C"}) Run(command);
    EXPECT_EQ(Items(), (Lines{"bold-on", "bold-off", "paragraph", "gap", "line", "right"}));
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"sound stop"}));
}

TEST_F(CommandTest, SoundSettingOffSilencesCuesButNotTheStop) {
    SetSoundSetting(0);
    Sounds();
    Run("A 0");
    Run("C");
    EXPECT_EQ(Sounds(), (std::vector<std::string>{"sound stop"}));
    SetSoundSetting(1);
}

TEST_F(CommandTest, LettersOutsideTheTableAndEmptyCommandsYieldTrue) {
    for (const char* command : {"", "Z", "7", " ", "F", "G", "I", "K"}) {
        EXPECT_EQ(Run(command), 1) << '"' << command << '"';
        EXPECT_FALSE(::Scan().expectsBlock);
    }
    EXPECT_TRUE(Items().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CommandTest, NumbersOutsideTheirTablesAreReportedAndIgnored) {
    SetSoundSetting(1);
    Sounds();
    Run("A 8");
    Run("V 21");
    Run("v -1");
    Run("W 3");
    Run("l %52");
    Run("N %52");
    Run("R %60 1");
    Run("r %1 %99");
    Run("s *14");
    EXPECT_TRUE(Sounds().empty());
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(VariableValue(kCoins), 0);
    EXPECT_EQ(Messages(), (Lines{"Sound 8 does not exist", "Picture 21 does not exist",
                                 "Picture -1 does not exist", "Alignment 3 is not 0, 1 or 2",
                                 "Story variable 52 does not exist",
                                 "Story variable 52 does not exist",
                                 "Story variable 60 does not exist",
                                 "Story variable 99 does not exist",
                                 "Restart point 14 does not exist"}));
}

TEST_F(CommandTest, ShowVariableOutsideTitleMode) {
    Hold(kRope, 1, 2);
    SetVariableValue(kCoins, -25);
    Hold(kMap, 0, 1);
    Scan("Rope: <l %4> and<l %1><a>coins <l %2> <G> ");
    // The text after a command starts without its leading spaces.
    EXPECT_EQ(Items(), (Lines{"text:Rope: longand -25 coins ", "picture:1708 inline"}));
}

TEST_F(CommandTest, ShowVariableInTitleMode) {
    Hold(kScore, 0, 3);
    Scan("<H>Score<a><l %5><J><F> <G> ");
    EXPECT_EQ(Items(), (Lines{"title:Score 30"}));

    ClearPageItems();
    Scan("<H>Map<l %2><J> <G> ");
    EXPECT_EQ(Items(), (Lines{"title:Map"}));
    EXPECT_EQ(Messages(), (Lines{"Images not allowed in title"}));
}

TEST_F(CommandTest, ShowVariableWithoutAnItemShowsNothing) {
    Hold(kEmpty, 0, 0);
    Hold(kRope, 0, 9);   // an index past the item list, as a foreign save might hold
    Scan("a<l %3>b<l %4>c<G> ");
    EXPECT_EQ(Items(), (Lines{"text:abc"}));
}

TEST_F(CommandTest, TitleEndWithoutTitleModeEmitsAnEmptyTitle) {
    Run("J");
    EXPECT_EQ(Items(), (Lines{"title:"}));
}

// Each hotword command starts from an empty record: neither the scratch of a definition
// that was begun and never counted (an unlabelled R) nor a record of the last page
// shows through.
TEST_F(CommandTest, EveryHotwordCommandStartsFromAnEmptyRecord) {
    DefineHotwords(2);
    Run("R %4 3");                       // acts at once, defines nothing
    Run("d \"Roll\" (30) 7 (50) 8 9");
    ASSERT_EQ(Hotwords().count, 3);
    EXPECT_EQ(Hotwords().table[2].variable, 0);   // not the 4 that R wrote there

    DefineHotwords(2);                   // row 2 still holds the chance button
    Run("M %99 12");                     // no such variable: a record without a control
    ASSERT_EQ(Hotwords().count, 3);
    const Hotword& blank = Hotwords().table[2];
    EXPECT_EQ(blank.kind, 'M');
    EXPECT_EQ(blank.controlId, 0);
    EXPECT_EQ(blank.value, 0);
    EXPECT_EQ(blank.threshold2, 0);
    EXPECT_EQ(blank.target2, 0);
    EXPECT_EQ(blank.otherTarget, 0);
    EXPECT_EQ(blank.target, 12);
}

TEST_F(CommandTest, OverflowMessageAfterEveryCommandButTheChainCommands) {
    DefineHotwords(99);
    Run("R %4 1 \"last\" 3");
    EXPECT_EQ(Hotwords().count, 100);
    EXPECT_EQ(Messages(), (Lines{"Hotwords structure array overflow"}));

    Hotword before = Hotwords().table[99];
    Run("R %4 2 \"beyond\" 9");   // dropped: the table is full
    Run("O (X %1)");
    Run("E");
    Run("B");
    EXPECT_EQ(Hotwords().count, 100);
    EXPECT_EQ(Hotwords().table[99].value, before.value);
    EXPECT_EQ(Hotwords().table[99].target, 3);
    EXPECT_EQ(Messages(), (Lines(3, "Hotwords structure array overflow")));
}

TEST_F(CommandTest, LabelsQuotedPictureAndVariable) {
    Arguments("x" + std::string(150, 'y') + "\" 5");   // the opening quote is behind
    VariableShown label = ReadLabel(true);
    ASSERT_EQ(label.as, ShownAs::Text);
    EXPECT_EQ(std::string(label.text), std::string(kLabelBufferSize - 1, 'y'));
    EXPECT_EQ(CurrentCharacter(), ' ');

    Arguments("x$4 7");
    label = ReadLabel(false);
    EXPECT_EQ(label.as, ShownAs::Picture);
    EXPECT_EQ(label.picture, 4);

    SetVariableValue(kCoins, 12);
    Arguments("x%1 7");
    label = ReadLabel(false);
    EXPECT_STREQ(label.text, " 12");

    Hold(kMap, 0, 1);
    Arguments("x%2 7");
    EXPECT_EQ(ReadLabel(false).picture, 8);

    Arguments("xplain 7");
    EXPECT_EQ(ReadLabel(false).as, ShownAs::Nothing);
    Arguments("x$30 7");
    EXPECT_EQ(ReadLabel(false).as, ShownAs::Nothing);
    EXPECT_EQ(Messages(), (Lines{"Picture 30 does not exist"}));
}

}  // namespace
}  // namespace story
