// Variable and condition commands: if / else-if / else chains, owned flags,
// assignment with its clamp, labelled forms that only define a hotword, random
// draws and restart points.
#include <string>

#include "markup/hotwords.h"
#include "shell/navigation.h"
#include "story_fixture.h"

namespace story {
namespace {

using VariableCommandTest = StoryTest;

const char* const kChain =
    "<O (%4 = 0)>{zero }<o (%4 = 1)>{one }<o (%4 = 2)>{two }<E>{other }<G> ";

TEST_F(VariableCommandTest, ChainRendersExactlyOneBlock) {
    const char* expected[] = {"text:zero ", "text:one ", "text:two ", "text:other "};
    for (int index = 0; index < 4; ++index) {
        Hold(kRope, 0, uint8_t(index));
        ClearPageItems();
        Scan(kChain);
        EXPECT_EQ(Items(), (Lines{expected[index]})) << "rope index " << index;
    }
}

TEST_F(VariableCommandTest, ElseIfAfterATakenBranchIsNotEvaluated) {
    Hold(kRope, 0, 0);
    // The second condition names a variable outside the table: evaluating it would
    // be reported.
    Scan("<O (%4 = 0)>{a }<o (%99 = 0)>{b }<E>{c }<E>{d }<G> ");
    EXPECT_EQ(Items(), (Lines{"text:a "}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(::Scan().lastConditionResult, 1);
}

TEST_F(VariableCommandTest, SecondElseRendersUnderTheSameConditionAsTheFirst) {
    Hold(kRope, 0, 3);
    Scan("<O (%4 = 0)>{a }<E>{b }<E>{c }<G> ");
    EXPECT_EQ(Items(), (Lines{"text:b c "}));
}

TEST_F(VariableCommandTest, ElseIfAndElseBeforeAnyIfAreSkipped) {
    Scan("<o (%4 = 0)>{a }<E>{b }<G> ");
    EXPECT_TRUE(Items().empty());
}

TEST_F(VariableCommandTest, ChainCommandsSetTheExpectsBlockFlagAndKeepTheResult) {
    Hold(kRope, 0, 1);
    EXPECT_EQ(Run("O (%4 = 0)"), 0);
    EXPECT_TRUE(::Scan().expectsBlock);
    EXPECT_EQ(::Scan().lastConditionResult, 0);
    EXPECT_EQ(Run("E"), 1);
    EXPECT_TRUE(::Scan().expectsBlock);
    EXPECT_EQ(::Scan().lastConditionResult, 0);
    EXPECT_EQ(Run("o (%4 = 1)"), 1);
    EXPECT_EQ(::Scan().lastConditionResult, 1);
    EXPECT_EQ(Run("o (%4 = 1)"), 0);
    EXPECT_EQ(::Scan().lastConditionResult, 1);
}

TEST_F(VariableCommandTest, ChainWithoutBlockDropsTheTextUpToTheNextCommand) {
    Hold(kRope, 0, 2);
    Scan("<O (%4 = 2)> dropped 12 <E> also <G> ");
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(::Scan().lastConditionResult, 1);
}

TEST_F(VariableCommandTest, OwnedFlagIsSeenByALaterCondition) {
    Scan("<N %0><O (X %0)>{owned }<Q %0><O (X %0)>{still }<E>{gone }<G> ");
    EXPECT_EQ(Items(), (Lines{"text:owned gone "}));
    EXPECT_EQ(OwnedFlag(kLantern), 0);
    Run("N %1");   // N writes state byte 0 whatever the kind
    EXPECT_EQ(VariableValue(kCoins), 1);
}

TEST_F(VariableCommandTest, AssignmentIsClamped) {
    const struct { const char* command; int variable; int value; } cases[] = {
        {"R %4 7", kRope, 4},      {"R %4 -3", kRope, 0},     {"R %4 3", kRope, 3},
        {"R %3 5", kEmpty, 0},     {"R %6 0", kStubborn, 3},  {"R %6 -9", kStubborn, 3},
        {"R%4 2", kRope, 2},       {"R %1 2000", kCoins, 999}, {"R %1 -500", kCoins, -100},
    };
    for (const auto& c : cases) {
        Run(c.command);
        EXPECT_EQ(VariableValue(c.variable), c.value) << c.command;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(VariableCommandTest, RelativeAssignmentStepsWithinTheRange) {
    Hold(kScore, 0, 40);
    Run("r %5 1");
    EXPECT_EQ(VariableValue(kScore), 40);
    Run("r %5 -3");
    EXPECT_EQ(VariableValue(kScore), 37);
    Run("r %5 -90");
    EXPECT_EQ(VariableValue(kScore), 0);
    Run("r %3 4");   // limit 0: the index stays 0
    EXPECT_EQ(VariableValue(kEmpty), 0);
}

TEST_F(VariableCommandTest, VariableOperandsAndTheMinusBeforeThem) {
    Hold(kRope, 0, 3);
    Hold(kOther, 0, 1);
    Run("r %4 -%7");
    EXPECT_EQ(VariableValue(kRope), 2);
    Run("r %4 %7");
    EXPECT_EQ(VariableValue(kRope), 3);
    Run("R %4 -%7");   // R copies the value unchanged
    EXPECT_EQ(VariableValue(kRope), 1);
    SetVariableValue(kCoins, 40);
    Run("R %1 %4");
    EXPECT_EQ(VariableValue(kCoins), 1);
}

TEST_F(VariableCommandTest, NumberVariableKeepsSixteenBitsLittleEndian) {
    Run("R %1 -1");
    EXPECT_EQ(variables[kCoins].state[0], 0xFF);
    EXPECT_EQ(variables[kCoins].state[1], 0xFF);
    EXPECT_EQ(VariableValue(kCoins), -1);
    Run("R %1 300");
    EXPECT_EQ(variables[kCoins].state[0], 44);
    EXPECT_EQ(variables[kCoins].state[1], 1);
}

TEST_F(VariableCommandTest, RandomDrawStaysBelowTheLimitAndIsRepeatable) {
    bool seen[5] = {};
    for (uint32_t seed = 0; seed < 60; ++seed) {
        SeedRandom(seed);
        int expected = RandomNumber() % 5;
        SeedRandom(seed);
        Run("R %4 z");
        EXPECT_EQ(VariableValue(kRope), expected);
        seen[VariableValue(kRope)] = true;
    }
    for (bool s : seen) EXPECT_TRUE(s);
    // Limit 0: the raw draw, which the clamp brings down to the minimum.
    Run("R %3 z");
    EXPECT_EQ(VariableValue(kEmpty), 0);
    // After r, "z" is no operand: it reads as 0 and the rest is taken for a label.
    Hold(kRope, 0, 2);
    Run("r %4 z");
    EXPECT_EQ(VariableValue(kRope), 2);
}

TEST_F(VariableCommandTest, LabelledFormsDefineAHotwordWithItsControlAndChangeNothing) {
    Hold(kRope, 0, 1);
    Scan("<R %4 3 \"Take the rope\" 41><r %4 1 %4 12><N %0 $3 20><Q %0 %0 9><G> ");
    EXPECT_EQ(VariableValue(kRope), 1);
    EXPECT_EQ(OwnedFlag(kLantern), 0);
    ASSERT_EQ(Hotwords().count, 4);
    const struct { char kind; int variable; int value; int target; } expected[] = {
        {'R', kRope, 3, 41}, {'R', kRope, 2, 12}, {'N', kLantern, -1, 20}, {'Q', kLantern, -1, 9},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Hotwords().table[i].kind, expected[i].kind) << i;
        EXPECT_EQ(Hotwords().table[i].variable, expected[i].variable) << i;
        if (expected[i].value >= 0) {
            EXPECT_EQ(Hotwords().table[i].value, expected[i].value) << i;
        }
        EXPECT_EQ(Hotwords().table[i].target, expected[i].target) << i;
        EXPECT_EQ(Hotwords().table[i].controlId, 5000 + i) << i;
    }
    // Quoted, variable (the rope's count), picture and variable (the lantern's item) labels.
    EXPECT_EQ(Items().size(), 4u);
}

TEST_F(VariableCommandTest, RelativeHotwordKeepsTheValueFromWhenItWasDefined) {
    Hold(kRope, 0, 1);
    Scan("<r %4 1 \"Pull\" 30><R %4 3><G> ");
    EXPECT_EQ(VariableValue(kRope), 3);
    EXPECT_EQ(Hotwords().table[0].value, 2);
}

TEST_F(VariableCommandTest, RestartSnapshotIsTakenBeforeALaterChange) {
    Display(120);
    Scan("<R %4 2><N %0><s *3><R %4 4><Q %0><G> ");
    EXPECT_EQ(VariableValue(kRope), 4);
    EXPECT_EQ(restarts[3].used, 1);
    EXPECT_EQ(restarts[3].paragraph, 119);
    EXPECT_EQ(snapshots[3][2 * kRope + 1], 2);
    EXPECT_EQ(snapshots[3][2 * kLantern], 1);

    EXPECT_EQ(RestoreRestartPoint(3), 120);
    EXPECT_EQ(VariableValue(kRope), 2);
    EXPECT_EQ(OwnedFlag(kLantern), 1);
    EXPECT_EQ(restarts[3].used, 1);
}

TEST_F(VariableCommandTest, ResetStoryLeavesSnapshotsInPlace) {
    Display(40);
    Hold(kRope, 1, 3);
    SetVariableValue(kCoins, -7);
    Run("s *0");
    ResetStory();
    for (int k = 0; k < kStoryVariables; ++k) {
        EXPECT_EQ(variables[k].state[0], 0);
        EXPECT_EQ(variables[k].state[1], 0);
    }
    EXPECT_EQ(restarts[0].used, 0);
    EXPECT_EQ(restarts[0].paragraph, 39);
    EXPECT_EQ(snapshots[0][2 * kRope], 1);
    EXPECT_EQ(snapshots[0][2 * kRope + 1], 3);
    EXPECT_EQ(RestoreRestartPoint(0), 40);
    EXPECT_EQ(VariableValue(kCoins), -7);
}

}  // namespace
}  // namespace story
