// Hotwords: actions bound to the controls that a page's commands define. The table
// belongs to the page being built.
#pragma once

#include <cstdint>

#include "book/story_state.h"

constexpr int kHotwords = 100;
constexpr int kAnswerSize = 20;
constexpr int kLabelBufferSize = 104;

// What a hotword does when its control is pressed. Each kind keeps the letter of the
// command that defines it (r defines an assigning hotword too).
enum HotwordKind : char {
    kHotwordGo = 'M',            // to its target, in the story or aside as the reader is
    kHotwordGoInStory = 'm',     // to its target in the story
    kHotwordGoAside = 'g',       // to its target as a side page
    kHotwordTake = 'N',          // sets the variable's owned flag, then goes on
    kHotwordDrop = 'Q',          // clears the owned flag, then goes on
    kHotwordAssign = 'R',        // stores its value in the variable, then goes on
    kHotwordChance = 'L',        // one of two targets, by a draw out of 20
    kHotwordPercentage = 'd',    // one of up to four targets, by a draw out of 100
    kHotwordAnswer = 'S',        // the target of the answer typed into its box
    kHotwordRestart = 'u',       // restores its restart point and goes where it was saved
};

struct Hotword {
    HotwordKind kind;
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
    int16_t count;                       // records the current page has defined
    char labelBuffer[kLabelBufferSize];  // the last quoted label read (ReadLabel's text)
};
const PageHotwords& Hotwords();
// A new page defines its hotwords from the first row.
void ClearHotwords();
// The table and the label as at start-up.
void ResetHotwords();

// Adds a whole record as the page's next hotword. When the table is full the
// definition is dropped.
void DefineHotword(const Hotword& hotword);

// Reads a label at the argument cursor and says what its control shows: a quoted
// text (cut to the label buffer, valid until the next label), "$" n a picture, "%" v
// the display of variable v; anything else, or a number outside its table, nothing.
VariableShown ReadLabel(bool quoted);

// Reads a label at the argument cursor (quoted: the opening double quote is already
// behind the cursor), gives it its control, then reads the first target.
struct LabelledTarget {
    int16_t controlId;   // 0 when the label shows nothing and no control was created
    int16_t target;
};
LabelledTarget ReadLabelAndTarget(bool quoted);
