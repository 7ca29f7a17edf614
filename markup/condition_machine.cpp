// The condition machine. An operator is applied when the parenthesis closing its
// nesting depth is read, not by precedence, and `&` / `|` skip their right-hand term
// when the left side already decides. Both stacks stop at 10 entries: a push beyond
// is reported and dropped, a pop from an empty stack is reported and yields 0.
// Includes nothing of the engine: the book compiler compiles this file too.
#include "markup/condition_machine.h"

constexpr int kStackEntries = 10;

namespace {

struct Operand {
    int16_t value;
    int16_t depth;
    bool variableReference;   // value names a variable, read when popped as a value
};

struct Operator {
    char symbol;              // X = x y ! & |
    int16_t depth;
};

// Working storage of one evaluation.
struct Machine {
    const char* text;
    int at;
    const ConditionStory& story;
    Operand operands[kStackEntries];
    int operandCount;
    Operator operators[kStackEntries];
    int operatorCount;
    int16_t depth;
    bool comparisonPending;
};

}  // namespace

// ---------------------------------------------------------------------------
// The two stacks
// ---------------------------------------------------------------------------

static void Report(Machine& m, const char* message) { m.story.report(m.story.context, message); }

static void PushOperand(Machine& m, int value, bool variableReference) {
    if (m.operandCount < kStackEntries)
        m.operands[m.operandCount++] = {int16_t(value), m.depth, variableReference};
    if (m.operandCount >= kStackEntries) Report(m, "Operands stack overflow");
}

static Operand PopOperand(Machine& m) {
    if (m.operandCount == 0) {
        Report(m, "Can't remove an operand from an empty stack!");
        return {0, m.depth, false};
    }
    return m.operands[--m.operandCount];
}

static Operand* TopOperand(Machine& m) { return m.operandCount > 0 ? &m.operands[m.operandCount - 1] : nullptr; }

static int TopValue(const Machine& m) { return m.operandCount > 0 ? m.operands[m.operandCount - 1].value : 0; }

static void PushOperator(Machine& m, char symbol) {
    if (m.operatorCount < kStackEntries) m.operators[m.operatorCount++] = {symbol, m.depth};
    if (m.operatorCount >= kStackEntries) Report(m, "Operators stack overflow");
}

static char PopOperator(Machine& m) {
    if (m.operatorCount == 0) {
        Report(m, "Can't remove an operator from an empty stack!");
        return 0;
    }
    return m.operators[--m.operatorCount].symbol;
}

// The operator on top when it was written at depth `at`, else 0.
static char OperatorAtDepth(const Machine& m, int at) {
    if (m.operatorCount == 0 || m.operators[m.operatorCount - 1].depth != at) return 0;
    return m.operators[m.operatorCount - 1].symbol;
}

// ---------------------------------------------------------------------------
// Reading the story
// ---------------------------------------------------------------------------

static int ValueOfVariable(Machine& m, int variable) {
    return m.story.exists(m.story.context, variable) ? m.story.value(m.story.context, variable) : 0;
}

static int ValueOf(Machine& m, const Operand& operand) {
    return operand.variableReference ? ValueOfVariable(m, operand.value) : operand.value;
}

static int LowByte(int value) { return int8_t(uint8_t(value & 0xFF)); }

// ---------------------------------------------------------------------------
// Applying operators
// ---------------------------------------------------------------------------

// `=`, `x`, `y`: the left operand names the variable whatever its mark says.
static void ApplyComparison(Machine& m, char symbol) {
    int right = ValueOf(m, PopOperand(m));
    int left = ValueOfVariable(m, PopOperand(m).value);
    bool holds = symbol == '=' ? left == right : symbol == 'x' ? left > right : left < right;
    PushOperand(m, holds ? 1 : 0, false);
}

static void ApplyOwned(Machine& m) {
    int variable = PopOperand(m).value;
    bool exists = m.story.exists(m.story.context, variable);
    PushOperand(m, exists ? int8_t(m.story.owned(m.story.context, variable)) : 0, false);
}

static void ApplyLogical(Machine& m, char symbol) {
    bool right = LowByte(PopOperand(m).value) != 0;
    bool left = LowByte(PopOperand(m).value) != 0;
    PushOperand(m, symbol == '&' ? (left && right) : (left || right), false);
}

// A ")" reduces the term written at this depth, then applies the `!`, `&` and `|`
// waiting at the depth it returns to. Any other operator found there belongs to a
// form outside the language; it stays and the applying stops.
static void Close(Machine& m) {
    char innermost = OperatorAtDepth(m, m.depth);
    if (innermost == '=' || innermost == 'x' || innermost == 'y') {
        ApplyComparison(m, PopOperator(m));
    } else if (innermost == 'X') {
        PopOperator(m);
        ApplyOwned(m);
    }
    --m.depth;
    for (char outer = OperatorAtDepth(m, m.depth); outer; outer = OperatorAtDepth(m, m.depth)) {
        if (outer == '!') {
            PopOperator(m);
            if (Operand* top = TopOperand(m)) top->value = top->value == 0 ? 1 : 0;
        } else if (outer == '&' || outer == '|') {
            ApplyLogical(m, PopOperator(m));
        } else {
            return;
        }
    }
}

// Passes over the right-hand term of a decided `&` or `|`, stopping on the ")" that
// brings the nesting back to the current depth, or at the end of the text.
static void SkipTerm(Machine& m) {
    int counter = m.depth;
    for (char c = m.text[m.at]; c; c = m.text[m.at]) {
        if (c == '(') ++counter;
        if (c == ')' && --counter == m.depth) return;
        ++m.at;
    }
}

// ---------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------

static void AddDigit(Machine& m, char c) {
    if (Operand* top = TopOperand(m)) top->value = int16_t(top->value * 10 + (c - '0'));
    m.comparisonPending = false;
}

static void MarkOperand(Machine& m) {
    if (!m.comparisonPending) PushOperand(m, 0, true);
    else if (Operand* top = TopOperand(m)) top->variableReference = true;
}

static void TakeCharacter(Machine& m, char c) {
    switch (c) {
    case '(': ++m.depth; break;
    case ')': Close(m); break;
    case '%': MarkOperand(m); break;
    case '=': case 'x': case 'y':
        PushOperator(m, c);
        PushOperand(m, 0, false);
        m.comparisonPending = true;
        break;
    case 'X': case '!': PushOperator(m, c); break;
    case '&':
        if (TopValue(m) == 0) SkipTerm(m);
        else PushOperator(m, c);
        break;
    case '|':
        if (TopValue(m) != 0) SkipTerm(m);
        else PushOperator(m, c);
        break;
    default:
        if (c >= '0' && c <= '9') AddDigit(m, c);
        break;
    }
}

int8_t RunConditionMachine(const char* text, int start, const ConditionStory& story, int* end) {
    Machine m = {text, start, story, {}, 0, {}, 0, 0, false};
    for (char c = m.text[m.at]; c; c = m.text[m.at]) {
        ++m.at;
        TakeCharacter(m, c);
    }
    *end = m.at;
    return int8_t(LowByte(TopValue(m)));
}
