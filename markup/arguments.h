// Reading a command's arguments: the argument cursor walks the command buffer of the
// scanning state, and every reader leaves it behind what it consumed.
#pragma once

#include <cstdint>

// The character at the argument cursor; 0 at (and never past) the end of the command.
char CurrentCharacter();
// The character one past the cursor, or 0 when the cursor is at the end.
char NextCharacter();
bool AtCommandEnd();
// Steps over the character at the cursor unless the command has ended.
void StepOver();
// Steps over the character at the cursor if it is `c`.
void StepOverIf(char c);
// Where the syntax allows a space between two arguments: steps over exactly one.
void SkipOptionalSpace();

// Advances the cursor past the next `mark`, or to the end of the command.
void SkipPast(char mark);
// A signed decimal number at the cursor: digits, "+" and "-" in any order, a "-"
// anywhere making it negative; wraps to 16 bits; no digit gives 0.
int16_t ReadNumber();

// Numbers in the markup that index a table: out of range, the reader is told and the
// command leaves the table alone.
bool RequireVariable(int variable);
bool RequireRestartPoint(int restart);
bool RequirePicture(int picture);
bool RequireSound(int sound);
