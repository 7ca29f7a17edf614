// The plain form of a condition: the language as an author writes it, read strictly
// (terms in their own brackets, `!`, `&`, `|`, grouping brackets, blanks). The book
// compiler holds every condition to it, and a condition in plain form must give the
// same result under the reader's machine; anything else the machine reads its own way.
#pragma once

#include "markup/condition_machine.h"

constexpr int kConditionFaultText = 200;

struct PlainCondition {
    bool ok;                          // the text is in plain form
    int value;                        // ok: its truth value, 0 or 1
    int faultAt;                      // not ok: index of the first character at fault
    char fault[kConditionFaultText];  // not ok: what is wrong and what the reader does
};

// Called for every variable the condition names, in text order, skipped terms included;
// `at` is the index of its "%".
using ConditionVariableSeen = void (*)(void* context, int variable, int at);

// Reads text from index start to its terminating zero. The value is taken from story;
// a variable that story says does not exist reads 0. Nothing is reported.
PlainCondition ReadPlainCondition(const char* text, int start, const ConditionStory& story,
                                  ConditionVariableSeen seen = nullptr, void* seenContext = nullptr);
