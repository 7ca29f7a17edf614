// Condition expressions: the depth-based application of operators, short-circuit
// skips, the forms outside the language and the limits of the two stacks.
#include <string>

#include "markup/conditions.h"
#include "story_fixture.h"

namespace story {
namespace {

struct ConditionTest : StoryTest {
    // Evaluates `condition` as the text of an O command.
    int Evaluate(const std::string& condition) {
        std::string command = "O " + condition;
        LoadCommand(command.c_str());
        int result = EvaluateCondition();
        EXPECT_EQ(::Scan().cursor, int(command.size()) + 1) << "cursor past the zero";
        return result;
    }
    void Own(int variable) { variables[variable].state[0] = 1; }
};

TEST_F(ConditionTest, WorkedExampleOwnedAndComparison) {
    Own(12);
    variables[33].state[1] = 2;
    EXPECT_EQ(Evaluate("(X %12) & (%33 = 2)"), 1);

    variables[12].state[0] = 0;   // the & is decided: the comparison is skipped
    EXPECT_EQ(Evaluate("(X %12) & (%33 = 2)"), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConditionTest, OwnedFlagNegationAndDoubleNegation) {
    Own(12);
    EXPECT_EQ(Evaluate("(X %12)"), 1);
    EXPECT_EQ(Evaluate("!(X %12)"), 0);
    EXPECT_EQ(Evaluate("!!(X %12)"), 1);
    variables[12].state[0] = 0;
    EXPECT_EQ(Evaluate("!!(X %12)"), 0);
}

TEST_F(ConditionTest, OwnedOnANumberVariableIsItsLowByte) {
    SetVariableValue(kCoins, 300);
    EXPECT_EQ(Evaluate("(X %1)"), 44);
}

TEST_F(ConditionTest, ComparisonsAreSignedAndTakeVariablesOnTheRight) {
    Hold(33, 0, 2);
    Hold(34, 0, 2);
    EXPECT_EQ(Evaluate("(%33 x 1)"), 1);
    EXPECT_EQ(Evaluate("(%33 y 2)"), 0);
    EXPECT_EQ(Evaluate("(%33 = %34)"), 1);
    Hold(34, 0, 3);
    EXPECT_EQ(Evaluate("(%33 = %34)"), 0);
    EXPECT_EQ(Evaluate("(%33 y %34)"), 1);
    SetVariableValue(kCoins, -5);
    EXPECT_EQ(Evaluate("(%1 y 0)"), 1);
    EXPECT_EQ(Evaluate("(%1 x %33)"), 0);
}

TEST_F(ConditionTest, MinusSignIsIgnored) {
    Hold(33, 0, 2);
    EXPECT_EQ(Evaluate("(%33 = -2)"), 1);
    SetVariableValue(kCoins, -2);
    EXPECT_EQ(Evaluate("(%1 = -2)"), 0);   // compares with +2
}

TEST_F(ConditionTest, AndOrApplyLeftToRightWithoutPrecedence) {
    Own(2);
    EXPECT_EQ(Evaluate("(X %1) | (X %2) & (X %3)"), 0);
    Own(3);
    EXPECT_EQ(Evaluate("(X %1) | (X %2) & (X %3)"), 1);
    // Grouping changes the reading.
    variables[2].state[0] = 0;
    Own(1);
    variables[3].state[0] = 0;
    EXPECT_EQ(Evaluate("(X %1) | ((X %2) & (X %3))"), 1);
}

TEST_F(ConditionTest, DecidedOrSkipsANegatedTermWithoutReadingIt) {
    Own(1);
    // The skipped term names a variable outside the table: reading it would be reported.
    EXPECT_EQ(Evaluate("(X %1) | !(X %99)"), 1);
    EXPECT_TRUE(Messages().empty());
    variables[1].state[0] = 0;
    EXPECT_EQ(Evaluate("(X %1) | !(X %2)"), 1);
}

TEST_F(ConditionTest, SixTermAndChain) {
    const std::string chain = "(X %1) & (X %2) & (X %3) & (X %4) & (X %5) & (X %6)";
    for (int v = 1; v <= 6; ++v) Own(v);
    EXPECT_EQ(Evaluate(chain), 1);
    for (int off = 1; off <= 6; ++off) {
        variables[off].state[0] = 0;
        EXPECT_EQ(Evaluate(chain), 0) << "term " << off << " false";
        Own(off);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConditionTest, UnparenthesisedOwnedTestIsNeverReduced) {
    EXPECT_EQ(Evaluate("X %12"), 12);
}

TEST_F(ConditionTest, DigitsWrapWithinSixteenBits) {
    // 65537 wraps to 1, so variable 1 is compared with 1.
    SetVariableValue(kCoins, 1);
    EXPECT_EQ(Evaluate("(%1 = 65537)"), 1);
    // 32768 wraps to -32768.
    SetVariableValue(kCoins, -32768);
    EXPECT_EQ(Evaluate("(%1 = 32768)"), 1);
}

TEST_F(ConditionTest, ConditionWithoutOperandIsFalse) {
    EXPECT_EQ(Evaluate(""), 0);
    EXPECT_EQ(Evaluate("   "), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConditionTest, CursorStartsAfterTheLetterWithoutASpace) {
    Own(4);
    LoadCommand("O(X %4)");
    EXPECT_EQ(EvaluateCondition(), 1);
    EXPECT_EQ(::Scan().cursor, 8);
}

TEST_F(ConditionTest, OperatorOutsideItsOwnParenthesesStopsTheApplying) {
    // X followed by a parenthesised operand: the X is met at the new depth by the
    // outer applying, which must stop there. The result of such a form is free; the
    // evaluation must simply end without touching anything else.
    Own(5);
    Evaluate("X (%5)");
    Evaluate("!X (%5) & (X %5)");
    Evaluate("(%5 = 1) X (2)");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConditionTest, NegatedGroupWithASkipInsideKeepsTheMechanics) {
    // The `!` is applied at the ")" where the skip of the `&` stopped, before the `|`
    // is read: (not (0 and _)) or ... gives 1, where negating the whole group of
    // (0 and _) or 1 would give 0. The book writes no such form; the mechanics stay.
    Own(3);
    EXPECT_EQ(Evaluate("!((X %1) & (X %2) | (X %3))"), 1);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConditionTest, OperandsStackLimitIsReportedAndNothingIsWrittenBeyondIt) {
    // Each "%" pushes an operand; the tenth push is kept and reported, later ones too.
    Evaluate("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12");
    EXPECT_EQ(Messages(), (Lines(3, "Operands stack overflow")));
}

TEST_F(ConditionTest, OperatorsStackLimitIsReported) {
    Evaluate("!!!!!!!!!!!(X %1)");
    // The tenth and eleventh "!" and the X each find the stack full.
    EXPECT_EQ(Messages(), (Lines(3, "Operators stack overflow")));
}

TEST_F(ConditionTest, PopFromAnEmptyOperandsStackIsReported) {
    Evaluate("(X)");
    EXPECT_EQ(Messages(), (Lines{"Can't remove an operand from an empty stack!"}));
    HeadlessClearMessages();
    Evaluate("(= 3)");
    EXPECT_EQ(Messages(), (Lines{"Can't remove an operand from an empty stack!"}));
}

TEST_F(ConditionTest, VariableOutsideTheTableReadsAsZeroAndIsReported) {
    EXPECT_EQ(Evaluate("(X %52)"), 0);
    EXPECT_EQ(Evaluate("(%500 = 0)"), 1);
    EXPECT_EQ(Messages(), (Lines{"Story variable 52 does not exist",
                                 "Story variable 500 does not exist"}));
}

TEST_F(ConditionTest, SkipRunsToTheEndWhenNoParenthesisClosesIt) {
    EXPECT_EQ(Evaluate("(X %1) & X %2 (X %3"), 0);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace story
