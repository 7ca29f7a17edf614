// Hotwords: actions bound to the controls that a page's commands define. The table
// belongs to the page being built.
#pragma once

#include <cstdint>

#include "book/story_state.h"

constexpr int kHotwords = 100;
constexpr int kAnswerSize = 20;
constexpr int kLabelBufferSize = 104;

struct Hotword {
    char kind;              // the defining letter: L d M g m N Q R S u (r stores R)
    int16_t variable;       // N, Q, R: the story variable; u: the restart point
    int32_t value;          // R: the value to store; L, d: the first threshold
    int8_t threshold2;
    int8_t threshold3;
    char answer1[kAnswerSize];
    char answer2[kAnswerSize];
    char answer3[kAnswerSize];
    int16_t controlId;      // 0 when no control was created
    int16_t target;         // paragraph references, as written in the markup
    int16_t otherTarget;
    int16_t target2;
    int16_t target3;
};

// The page's hotwords, owned by markup/hotwords.cpp: read them here, define them
// through the operations below.
struct PageHotwords {
    Hotword table[kHotwords];
    int16_t count;            // records the current page has defined
};
const PageHotwords& Hotwords();
// A new page defines its hotwords from the first row.
void ClearHotwords();

// A hotword command begins: the next free record starts empty, of the given kind. When
// the table is full this is a spare record that is never counted or read, so a
// definition beyond the last is dropped.
Hotword& BeginHotword(char kind);
// The record being defined, as BeginHotword returned it.
Hotword& CurrentHotword();
// Counts the record being defined, if it is a row of the table.
void CommitHotword();

// Reads a label at the argument cursor and says what its control shows: a quoted
// text (cut to the label buffer, valid until the next label), "$" n a picture, "%" v
// the display of variable v; anything else, or a number outside its table, nothing.
VariableShown ReadLabel(bool quoted);

// Reads a label at the argument cursor (quoted: the opening double quote is already
// behind the cursor), gives it its control, then reads the first target.
void ReadLabelAndTarget(bool quoted);
