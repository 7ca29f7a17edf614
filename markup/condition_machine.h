// The condition evaluator's machine on its own: one pass over a condition's text with
// an operands stack and an operators stack, asking the story for values through the
// functions it is given. The reader runs it on the command buffer; the book compiler
// runs the same machine on a book's conditions, so the two never read one differently.
#pragma once

#include <cstdint>

// What the machine asks of the story. Each function gets `context` back.
struct ConditionStory {
    bool (*exists)(void* context, int variable);    // false: reported, the value is 0
    int (*value)(void* context, int variable);      // VariableValue
    int (*owned)(void* context, int variable);      // state byte 0
    void (*report)(void* context, const char* message);
    void* context;
};

// Evaluates text from index start to its terminating zero; returns the low byte of the
// top operand (zero is false) and sets *end to the index of that zero.
int8_t RunConditionMachine(const char* text, int start, const ConditionStory& story, int* end);
