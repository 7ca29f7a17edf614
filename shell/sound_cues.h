// Sound cues: the short recordings that commands A and C start and stop.
#pragma once

#include <cstdint>

void PlaySoundCue(int16_t number);
void StopSoundCue();

// Until playback through the platform exists, the calls are recorded here so that the
// page being built can be checked.
struct SoundCueCalls {
    int16_t lastPlayed;   // the number of the latest PlaySoundCue, -1 before any
    int plays;
    int stops;
};
extern SoundCueCalls gSoundCueCalls;
