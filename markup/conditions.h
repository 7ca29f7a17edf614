// Condition expressions: the argument of commands O and o, evaluated in one pass
// over the command buffer.
#pragma once

#include <cstdint>

// Evaluates the command text after the letter (and one optional space) as a condition
// on the story variables; zero is false. Leaves the argument cursor one past the
// command's terminating zero.
int8_t EvaluateCondition();
