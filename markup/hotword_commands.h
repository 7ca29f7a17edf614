// The commands that define hotwords with their own syntax: navigation buttons (M, m,
// g), restart buttons (u), chance buttons (L, d) and answer boxes (S).
#pragma once

#include <cstdint>

#include "markup/hotwords.h"

void CommandNavigate(HotwordKind kind);      // M, m, g
// u: false when the restart point is not in use, so its block is skipped.
uint8_t CommandRestartButton();
// L and d, with the cursor anywhere before the label's opening double quote.
void DefineChanceHotword(HotwordKind kind);
// S, with the cursor anywhere before the first "(".
void DefineAnswerHotword();
