// The save file: the reader's place, the story variables, the restart points and the
// sound setting, in one 2544-byte record read at start-up and written after every
// story page turn and at exit, so a reader killed from outside loses at most the page
// being turned. The file is held open without sharing for the whole run, which keeps
// a second reader out.
#pragma once

#include <cstdint>

#include "book/book_tables.h"
#include "platform/win32.h"

constexpr int32_t kSaveVersion = 176;
constexpr int kSaveRecordSize = 2544;
constexpr int kSaveNameSize = 1024;     // UTF-16 characters of the file's full path

#pragma pack(push, 1)
struct SavedVariable {
    uint8_t reserved[6];
    uint8_t state[2];
    uint8_t reserved2[12];
};

struct SaveRecord {
    int16_t storyPosition;
    uint8_t soundSetting;
    uint8_t reserved[25];
    int32_t version;
    SavedVariable variables[kStoryVariables];
    Snapshot snapshots[kRestartPoints];
    uint8_t usedFlags[kRestartPoints];
    uint8_t reserved2[2];
};
#pragma pack(pop)
static_assert(sizeof(SaveRecord) == kSaveRecordSize, "the file's layout is fixed");

// The record for the whole run (book/save_file.cpp) as before any file was read:
// every byte zero.
void ClearSaveRecord();

// Opens (or creates) the file, loads and unpacks the record and writes the paragraph
// to open first. False when the file cannot be opened: another reader holds it.
bool LoadSaveFile(int16_t* firstParagraph);
// Packs the record with the story position and replaces the file's content with it,
// so that a failing write never destroys the previous save; reports a failure on
// standard error. The file stays open and locked. False when nothing was written.
bool WriteSaveFile(int16_t storyPosition);
// The same at shutdown, then closes the file.
void StoreSaveFile(int16_t storyPosition);

uint8_t SoundSetting();
void SetSoundSetting(uint8_t on);
