// The script runner: the reader runs its own message loop on the headless backend, and
// whenever it would wait for input the next script line is carried out.
#pragma once

#include <cstdio>
#include <string>

#include "driver/script.h"

// Runs the reader with the script read from `script` (named `name` in messages) and
// returns the exit code: the reader's own, 1 when a line could not be carried out or a
// second reader holds the save file.
int PlayScript(std::FILE* script, const std::string& name);

// Carries out one parsed command on the running reader. On failure returns false with
// a plain description in error.
bool RunPlayCommand(const PlayCommand& command, std::string* error);

// The device scale the screen is drawn at from the start of the next run (1 to 4):
// screenshots come out that many times larger; dumps do not change.
void SetPlayScale(int scale);
