// Condition expressions. One left-to-right pass with an operands stack and an
// operators stack; an operator is applied when the parenthesis closing its nesting
// depth is read, not by precedence, and `&` / `|` skip their right-hand term when
// the left side already decides. Both stacks stop at 10 entries: a push beyond is
// reported and dropped, a pop from an empty stack is reported and yields 0.
#include "markup/conditions.h"

#include "book/story_state.h"
#include "markup/arguments.h"
#include "markup/scanner.h"
#include "book/error_message.h"

constexpr int kStackEntries = 10;

struct Operand {
    int16_t value;
    int16_t depth;
    bool variableReference;   // value names a variable, read when popped as a value
};

struct Operator {
    char symbol;              // X = x y ! & |
    int16_t depth;
};

// The working state of one evaluation: the two stacks, the nesting depth, and whether
// the operand just pushed is the right side of a comparison.
struct ConditionPass {
    Operand operands[kStackEntries];
    int operandCount;
    Operator operators[kStackEntries];
    int operatorCount;
    int16_t depth;
    bool comparisonPending;
};
static ConditionPass pass = {};

void ClearConditionPass() { pass = {}; }

// ============================================================================
// The two stacks
// ============================================================================

static void PushOperand(int value, bool variableReference) {
    if (pass.operandCount < kStackEntries)
        pass.operands[pass.operandCount++] = {int16_t(value), pass.depth, variableReference};
    if (pass.operandCount >= kStackEntries) ShowErrorMessage("Operands stack overflow");
}

static Operand PopOperand() {
    if (pass.operandCount == 0) {
        ShowErrorMessage("Can't remove an operand from an empty stack!");
        return {0, pass.depth, false};
    }
    return pass.operands[--pass.operandCount];
}

static Operand* TopOperand() {
    return pass.operandCount > 0 ? &pass.operands[pass.operandCount - 1] : nullptr;
}

static int TopValue() { return pass.operandCount > 0 ? pass.operands[pass.operandCount - 1].value : 0; }

static void PushOperator(char symbol) {
    if (pass.operatorCount < kStackEntries) pass.operators[pass.operatorCount++] = {symbol, pass.depth};
    if (pass.operatorCount >= kStackEntries) ShowErrorMessage("Operators stack overflow");
}

static char PopOperator() {
    if (pass.operatorCount == 0) {
        ShowErrorMessage("Can't remove an operator from an empty stack!");
        return 0;
    }
    return pass.operators[--pass.operatorCount].symbol;
}

// The operator on top when it was written at depth `at`, else 0.
static char OperatorAtDepth(int at) {
    if (pass.operatorCount == 0 || pass.operators[pass.operatorCount - 1].depth != at) return 0;
    return pass.operators[pass.operatorCount - 1].symbol;
}

// ============================================================================
// Reading the story
// ============================================================================

static int ValueOfVariable(int variable) {
    return RequireVariable(variable) ? VariableValue(variable) : 0;
}

static int ValueOf(const Operand& operand) {
    return operand.variableReference ? ValueOfVariable(operand.value) : operand.value;
}

static int LowByte(int value) { return int8_t(uint8_t(value & 0xFF)); }

// ============================================================================
// Applying operators
// ============================================================================

// `=`, `x`, `y`: the left operand names the variable whatever its mark says.
static void ApplyComparison(char symbol) {
    int right = ValueOf(PopOperand());
    int left = ValueOfVariable(PopOperand().value);
    bool holds = symbol == '=' ? left == right : symbol == 'x' ? left > right : left < right;
    PushOperand(holds ? 1 : 0, false);
}

static void ApplyOwned() {
    int variable = PopOperand().value;
    PushOperand(RequireVariable(variable) ? int8_t(OwnedFlag(variable)) : 0, false);
}

static void ApplyLogical(char symbol) {
    bool right = LowByte(PopOperand().value) != 0;
    bool left = LowByte(PopOperand().value) != 0;
    PushOperand(symbol == '&' ? (left && right) : (left || right), false);
}

// A ")" reduces the term written at this depth, then applies the `!`, `&` and `|`
// waiting at the depth it returns to. Any other operator found there belongs to a
// form outside the language; it stays and the applying stops.
static void Close() {
    char innermost = OperatorAtDepth(pass.depth);
    if (innermost == '=' || innermost == 'x' || innermost == 'y') {
        ApplyComparison(PopOperator());
    } else if (innermost == 'X') {
        PopOperator();
        ApplyOwned();
    }
    --pass.depth;
    for (char outer = OperatorAtDepth(pass.depth); outer; outer = OperatorAtDepth(pass.depth)) {
        if (outer == '!') {
            PopOperator();
            if (Operand* top = TopOperand()) top->value = top->value == 0 ? 1 : 0;
        } else if (outer == '&' || outer == '|') {
            ApplyLogical(PopOperator());
        } else {
            return;
        }
    }
}

// Passes over the right-hand term of a decided `&` or `|`, stopping on the ")" that
// brings the nesting back to the current depth, or at the end of the command.
static void SkipTerm() {
    int counter = pass.depth;
    for (char c = CurrentCharacter(); c; c = CurrentCharacter()) {
        if (c == '(') ++counter;
        if (c == ')' && --counter == pass.depth) return;
        StepOver();
    }
}

// ============================================================================
// Evaluation
// ============================================================================

static void AddDigit(char c) {
    if (Operand* top = TopOperand()) top->value = int16_t(top->value * 10 + (c - '0'));
    pass.comparisonPending = false;
}

static void MarkOperand() {
    if (!pass.comparisonPending) PushOperand(0, true);
    else if (Operand* top = TopOperand()) top->variableReference = true;
}

static void TakeCharacter(char c) {
    switch (c) {
    case '(': ++pass.depth; break;
    case ')': Close(); break;
    case '%': MarkOperand(); break;
    case '=': case 'x': case 'y':
        PushOperator(c);
        PushOperand(0, false);
        pass.comparisonPending = true;
        break;
    case 'X': case '!': PushOperator(c); break;
    case '&':
        if (TopValue() == 0) SkipTerm();
        else PushOperator(c);
        break;
    case '|':
        if (TopValue() != 0) SkipTerm();
        else PushOperator(c);
        break;
    default:
        if (c >= '0' && c <= '9') AddDigit(c);
        break;
    }
}

int8_t EvaluateCondition() {
    pass.operandCount = 0;
    pass.operatorCount = 0;
    pass.depth = 0;
    pass.comparisonPending = false;
    SetArgumentCursor(Scan().commandBuffer[1] == ' ' ? 2 : 1);
    for (char c = CurrentCharacter(); c; c = CurrentCharacter()) {
        StepOver();
        TakeCharacter(c);
    }
    SetArgumentCursor(int16_t(Scan().cursor + 1));
    return int8_t(LowByte(TopValue()));
}
