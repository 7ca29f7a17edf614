// Sound cues: number n plays the WAVE resource named by entry n of the book's
// sound-name table, asynchronously, replacing a cue still playing.
#include "markup/sound_cues.h"

#include "book/book_tables.h"
#include "book/save_file.h"
#include "page/geometry.h"
#include "platform/win32.h"

void PlaySoundCue(int16_t number) {
    if (SoundSetting() == 0 || number < 0 || number >= kSounds) return;
    PlaySoundW(Book().soundNames[number], Frame().instance, SND_RESOURCE | SND_ASYNC);
}

void StopSoundCue() { PlaySoundW(nullptr, nullptr, SND_FILENAME | SND_NODEFAULT | SND_ASYNC); }
