// Sound cues: for now the calls are recorded; playback through PlaySoundW replaces
// these bodies.
#include "shell/sound_cues.h"

SoundCueCalls gSoundCueCalls = {-1, 0, 0};

void PlaySoundCue(int16_t number) {
    gSoundCueCalls.lastPlayed = number;
    ++gSoundCueCalls.plays;
}

void StopSoundCue() { ++gSoundCueCalls.stops; }
