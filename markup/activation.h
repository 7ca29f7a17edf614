// What a hotword does when its control is pressed or its entry box confirmed: a draw,
// an answer compared, a variable changed or a restart point restored, and always one
// navigation.
#pragma once

#include <cstdint>

// controlId: the control's identifier; typedAnswer: the entry box's text, or "" for a
// button. The first hotword of the page bound to that control acts.
void ActivateHotword(int16_t controlId, const char* typedAnswer);
// Zero when the texts are equal apart from spaces and the case of a to z; otherwise
// the difference of the first characters that differ. A missing b gives 1.
int MatchAnswer(const char* a, const char* b);
