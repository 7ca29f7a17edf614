// The commands that test and change the story: the if / else-if / else chain (O, o,
// E), the owned flag (N, Q), assignment (R, r) and restart points (s).
#pragma once

#include <cstdint>

uint8_t CommandIf();        // O
uint8_t CommandElseIf();    // o
uint8_t CommandElse();      // E
void CommandSetOwned(uint8_t flag);   // N sets 1, Q sets 0
void CommandAssign(bool relative);    // R, r
void CommandSaveRestart();            // s
