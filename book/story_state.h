// The story's memory: operations on the story variables and restart points of the
// book tables, and the one random-number source of the run. Every operation is safe
// for any number: one that names no row reads as 0 and changes nothing.
#pragma once

#include <cstdint>

#include "book/book_tables.h"

bool IsStoryVariable(int variable);
bool IsRestartPoint(int restart);

// The value as every reader of a variable sees it: a number variable's signed 16-bit
// value, a choice variable's choice index (0 to 255). The owned flag is not part of it.
int VariableValue(int variable);
// Number: the low 16 bits of value; choices: the low 8 bits become the choice index.
void SetVariableValue(int variable, int value);
// Down to limit - 1 first, then up to the minimum, so the minimum wins when they cross.
int ClampToRange(int variable, int value);

// State byte 0: the owned flag of a choice variable, the low byte of a number.
uint8_t OwnedFlag(int variable);
void SetOwnedFlag(int variable, uint8_t flag);

// What command l and a variable-captioned label show for a variable: a text or a
// picture number, or nothing (another kind, or a choice index without an item).
enum class ShownAs : uint8_t { Nothing, Text, Picture };
struct VariableShown {
    ShownAs as;
    const char* text;     // ShownAs::Text: valid until the next VariableDisplay
    int16_t picture;      // ShownAs::Picture: a picture number, not yet checked
};
VariableShown VariableDisplay(int variable);

// What the save file keeps of the story: the state bytes of every variable, the
// snapshots and the restart points' used flags.
struct StoryStateImage {
    uint8_t variableStates[kStoryVariables][2];
    Snapshot snapshots[kRestartPoints];
    uint8_t usedFlags[kRestartPoints];
};
void CaptureStoryState(StoryStateImage* image);
void RestoreStoryState(const StoryStateImage& image);

// Both state bytes of every variable and every used flag become 0; snapshots,
// restart paragraphs and labels stay as they are.
void ResetStory();
// Marks restart point r used, records the displayed paragraph (the reader's place,
// book/reader_place.h) as its reference and snapshots the state bytes of every variable.
void SaveRestartPoint(int restart);
// Copies snapshot r back into the variables; returns the paragraph number to go to
// (stored reference + 1: 0 for a point saved with no paragraph displayed), or 0 when r
// names no restart point; IsRestartPoint tells the two apart.
int RestoreRestartPoint(int restart);

// 0 to 32767. The first call seeds the source from the tick count unless SeedRandom
// came first; the sequence for a seed is the same on every machine.
int RandomNumber();
void SeedRandom(uint32_t seed);
// The random source unseeded and the shown number's text empty, as at start-up. The
// story's variables live in the book's tables (ResetStory, RestoreStoryState).
void ClearStoryRun();
