// The save file: the reader's place, the story variables, the restart points and the
// sound setting, in one 2544-byte record read at start-up and written at exit. The
// file is held open without sharing for the whole run, which keeps a second reader out.
#pragma once

#include <cstdint>

#include "book/book_tables.h"

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

// Module state (book/save_file.cpp): the record for the whole run.
extern SaveRecord gSaveRecord;

// Opens (or creates) the file, loads and unpacks the record and sets the displayed
// paragraph. False when the file cannot be opened: another reader holds it.
bool LoadSaveFile();
// Packs the record with the story position and writes it, so that a failing write
// never destroys the previous save; reports a failure on standard error. Closes the file.
void StoreSaveFile();

uint8_t SoundSetting();
void SetSoundSetting(uint8_t on);
