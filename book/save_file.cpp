// The save file QTL2quietharbour.dat in the reader's data folder: loaded once at
// start-up, written after every story page turn and at shutdown, held open without
// sharing in between.
#include "book/save_file.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "book/reader_place.h"
#include "book/story_state.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/win32.h"

static_assert(std::endian::native == std::endian::little, "the record is little-endian");

// The record for the whole run and the file it is read from and written to, held
// open without sharing from LoadSaveFile to StoreSaveFile.
struct SaveFileState {
    SaveRecord record;
    HANDLE file;
};
static SaveFileState saveState = {{}, INVALID_HANDLE_VALUE};

void ClearSaveRecord() { saveState.record = {}; }

// The folder, then the window class name and ".dat".
static bool BuildSaveName(WCHAR* name) {
    if (!GetDataFolder(name, kSaveNameSize)) return false;
    int length = 0;
    while (name[length]) ++length;
    const WCHAR* file = u"QTL2quietharbour.dat";
    for (int i = 0; file[i]; ++i) {
        if (length + 1 >= kSaveNameSize) return false;
        name[length++] = file[i];
    }
    name[length] = 0;
    return true;
}

static bool FileExists(const WCHAR* name) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(name, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

static void UnpackRecord(int16_t* firstParagraph) {
    int16_t position = saveState.record.storyPosition;
    *firstParagraph = position < 1 || position > kParagraphRows ? kOpeningParagraph : position;
    StoryStateImage image;
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(image.variableStates[k], saveState.record.variables[k].state, 2);
    std::memcpy(image.snapshots, saveState.record.snapshots, sizeof image.snapshots);
    std::memcpy(image.usedFlags, saveState.record.usedFlags, sizeof image.usedFlags);
    RestoreStoryState(image);
}

bool LoadSaveFile(int16_t* firstParagraph) {
    WCHAR name[kSaveNameSize];
    if (!BuildSaveName(name)) return false;
    bool existed = FileExists(name);
    saveState.file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           existed ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (saveState.file == INVALID_HANDLE_VALUE) return false;
    // A reader killed while it wrote left its temporary copy; now that this reader holds
    // the file, no other can be writing one.
    RemoveInterruptedReplacements(saveState.file);
    if (!existed) {
        *firstParagraph = kOpeningParagraph;
        saveState.record.soundSetting = 1;
        // A whole record at once, so that a reader killed before its first page turn
        // leaves a file that opens at the start, not an empty one.
        WriteSaveFile(kOpeningParagraph);
        return true;
    }
    DWORD read = 0;
    ReadFile(saveState.file, &saveState.record, kSaveRecordSize, &read, nullptr);
    if (read < DWORD(kSaveRecordSize)) return true;
    if (saveState.record.version != kSaveVersion) {
        *firstParagraph = kOpeningParagraph;
        return true;
    }
    UnpackRecord(firstParagraph);
    return true;
}

static void PackRecord(int16_t storyPosition) {
    saveState.record.storyPosition = storyPosition;
    saveState.record.version = kSaveVersion;
    StoryStateImage image;
    CaptureStoryState(&image);
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(saveState.record.variables[k].state, image.variableStates[k], 2);
    std::memcpy(saveState.record.snapshots, image.snapshots, sizeof saveState.record.snapshots);
    std::memcpy(saveState.record.usedFlags, image.usedFlags, sizeof saveState.record.usedFlags);
}

bool WriteSaveFile(int16_t storyPosition) {
    if (saveState.file == INVALID_HANDLE_VALUE) return false;
    PackRecord(storyPosition);
    // The new record is written beside the old one and takes its place only once it
    // is complete on disk, so a crash or a full disk leaves the previous save intact.
    if (ReplaceFileContents(saveState.file, &saveState.record, kSaveRecordSize)) return true;
    std::fprintf(stderr, "quietharbour: could not write the save file; the previous save is kept\n");
    return false;
}

void StoreSaveFile(int16_t storyPosition) {
    if (saveState.file == INVALID_HANDLE_VALUE) return;
    WriteSaveFile(storyPosition);
    CloseHandle(saveState.file);
    saveState.file = INVALID_HANDLE_VALUE;
}

uint8_t SoundSetting() { return saveState.record.soundSetting; }

void SetSoundSetting(uint8_t on) { saveState.record.soundSetting = on; }
