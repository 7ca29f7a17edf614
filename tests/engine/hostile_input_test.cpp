// Hostile pages: markup written to break the reader's fixed tables. Skip counts past the
// text, conditions nested deeper than the stacks, more hotwords than the table holds,
// labels and answers longer than their fields, numbers outside their tables and a
// paragraph that fills the page item list must each end in their message, with every
// table left intact and the scan carried to the end of the text.
#include <cstring>
#include <string>

#include "markup/conditions.h"
#include "markup/hotwords.h"
#include "story_fixture.h"

namespace story {
namespace {

struct HostileInputTest : StoryTest {
    int Count(const std::string& message) const {
        int n = 0;
        for (const std::string& m : Messages()) n += m == message;
        return n;
    }
    int Evaluate(const std::string& condition) {
        std::string command = "O " + condition;
        LoadCommand(command.c_str());
        int result = EvaluateCondition();
        EXPECT_EQ(::Scan().cursor, int(command.size()) + 1);
        return result;
    }
    std::string Label(int slot) const {
        std::string out;
        for (const WCHAR* c = Controls().buttons[slot].label; *c; ++c) out += char(*c);
        return out;
    }
};

TEST_F(HostileInputTest, SkipCountsPastTheEndStopAtTheEndOfTheText) {
    Scan("<O (X %0)>65535{never shown}");
    EXPECT_EQ(::Scan().position, int(std::strlen(::Scan().paragraphText)));
    Scan("<O (X %0)>99999999999999999999{x}y<G> ");
    EXPECT_EQ(::Scan().position, int(std::strlen(::Scan().paragraphText)));
    EXPECT_TRUE(Items().empty());

    // A count inside the block passes over exactly that many characters.
    Scan("<O (X %0)>3{abc}def <G> ");
    EXPECT_EQ(Items(), (Lines{"text:def "}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(HostileInputTest, TwelveDeepParenthesesNeedNoMoreThanOneStackEntryEach) {
    const std::string deep = std::string(12, '(') + "X %0" + std::string(12, ')');
    EXPECT_EQ(Evaluate(deep), 0);
    Hold(kLantern, 1, 0);
    EXPECT_EQ(Evaluate(deep), 1);
    Scan("<O " + deep + ">{deep }<E>{shallow }<G> ");
    EXPECT_EQ(Items(), (Lines{"text:deep "}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(HostileInputTest, TwelveNestedOperatorsOverflowTheStackAndTheNextConditionStartsClean) {
    std::string nested;
    for (int i = 0; i < 12; ++i) nested += "!(";
    nested += "X %0" + std::string(12, ')');
    Evaluate(nested);
    // Pushes 10 to 13 (twelve "!" and the "X") find the stack full.
    EXPECT_EQ(Count("Operators stack overflow"), 4);

    HeadlessClearMessages();
    Hold(kLantern, 1, 0);
    EXPECT_EQ(Evaluate("(X %0) & !(X %4)"), 1);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(HostileInputTest, HotwordsBeyondTheTableAreDroppedWithTheirControls) {
    std::string page;
    for (int i = 0; i < 150; ++i) page += "<M \"w" + std::to_string(i) + "\" " + std::to_string(i) + ">";
    ASSERT_LT(page.size(), size_t(kParagraphTextSize));
    Scan(page);
    EXPECT_EQ(Hotwords().count, kHotwords);
    EXPECT_EQ(Controls().buttonCount, kButtonSlots);
    EXPECT_EQ(Hotwords().table[kHotwords - 1].target, kHotwords - 1);   // not the 150th
    EXPECT_EQ(Hotwords().table[kHotwords - 1].controlId, kFirstButtonId + kHotwords - 1);
    EXPECT_EQ(Label(kButtonSlots - 1), "w99");
    // From the hundredth on, every command reports the full table; the controls once.
    EXPECT_EQ(Count("Hotwords structure array overflow"), 51);
    EXPECT_EQ(Count("Too many controls on one page"), 1);
}

TEST_F(HostileInputTest, LabelsOfThreeHundredCharactersAreCutAndTheTargetStillRead) {
    const std::string label(300, 'L');
    Scan("<M \"" + label + "\" 7><L \"" + label + "\" (50) 4 5><G> ");
    ASSERT_EQ(Hotwords().count, 2);
    EXPECT_EQ(Hotwords().table[0].target, 7);
    EXPECT_EQ(Label(0), std::string(kLabelBufferSize - 1, 'L'));
    EXPECT_EQ(Hotwords().table[1].target, 4);
    EXPECT_EQ(Hotwords().table[1].otherTarget, 5);
    EXPECT_EQ(Label(1), std::string(kLabelBufferSize - 1, 'L'));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(HostileInputTest, AnswersOfFortyCharactersAreCutToTheirFields) {
    const std::string a(40, 'a'), b(40, 'b'), c(40, 'c');
    Scan("<S (" + a + ") 10 (" + b + ") 11 (" + c + ") 12 13><G> ");
    ASSERT_EQ(Hotwords().count, 1);
    const Hotword& hotword = Hotwords().table[0];
    EXPECT_EQ(std::string(hotword.answer1), std::string(kAnswerSize - 1, 'a'));
    EXPECT_EQ(std::string(hotword.answer2), std::string(kAnswerSize - 1, 'b'));
    EXPECT_EQ(std::string(hotword.answer3), std::string(kAnswerSize - 1, 'c'));
    EXPECT_EQ(hotword.target, 10);
    EXPECT_EQ(hotword.target2, 11);
    EXPECT_EQ(hotword.target3, 12);
    EXPECT_EQ(hotword.otherTarget, 13);
    ASSERT_EQ(Controls().editCount, 1);
    EXPECT_EQ(Controls().edits[0].maximumLength, kAnswerSize - 1);
}

TEST_F(HostileInputTest, PictureAndVariableNumbersOutsideTheirTablesMakeNoControl) {
    static const int16_t kBadItems[] = {7, 99};
    variables[kMap].pictureItems = kBadItems;
    Hold(kMap, 0, 1);
    Scan("<M $21 3><M %52 4><M %2 5><l %2><v 99999><u *14 \"x\">{hidden}<G> ");
    EXPECT_EQ(Controls().buttonCount, 0);
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(Hotwords().count, 3);   // the buttons are missing, the records are not
    EXPECT_EQ(Hotwords().table[2].target, 5);
    EXPECT_EQ(Messages(), (Lines{"Picture 21 does not exist", "Story variable 52 does not exist",
                                 "Picture 99 does not exist", "Picture 99 does not exist",
                                 "Picture -31073 does not exist",
                                 "Restart point 14 does not exist"}));
}

TEST_F(HostileInputTest, AParagraphOfBreaksFillsTheItemListAndSaysSoOnce) {
    std::string page;
    while (page.size() + 3 < size_t(kParagraphTextSize)) page += "<U>";
    Scan(page);
    EXPECT_EQ(PageItems().count, kPageItems);
    EXPECT_EQ(Messages(), (Lines{"Page item list Overflow"}));
}

}  // namespace
}  // namespace story
