// Sound cues: the short recordings that commands A and C start and stop, played from
// the program's "WAVE" resources when the reader's sound setting is on.
#pragma once

#include <cstdint>

void PlaySoundCue(int16_t number);
// Stops the playing cue, whatever the sound setting.
void StopSoundCue();
