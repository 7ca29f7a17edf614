// The save file QTL2quietharbour.dat in the reader's data folder: loaded once at
// start-up, written after every story page turn and at shutdown, held open without
// sharing in between.
#include "book/save_file.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "book/story_state.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/win32.h"

static_assert(std::endian::native == std::endian::little, "the record is little-endian");

static SaveRecord saveRecord = {};

void ClearSaveRecord() { saveRecord = {}; }

static HANDLE saveFile = INVALID_HANDLE_VALUE;

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
    int16_t position = saveRecord.storyPosition;
    *firstParagraph = position < 1 || position > kParagraphRows ? 2 : position;
    StoryStateImage image;
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(image.variableStates[k], saveRecord.variables[k].state, 2);
    std::memcpy(image.snapshots, saveRecord.snapshots, sizeof image.snapshots);
    std::memcpy(image.usedFlags, saveRecord.usedFlags, sizeof image.usedFlags);
    RestoreStoryState(image);
}

bool LoadSaveFile(int16_t* firstParagraph) {
    WCHAR name[kSaveNameSize];
    if (!BuildSaveName(name)) return false;
    bool existed = FileExists(name);
    saveFile = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           existed ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (saveFile == INVALID_HANDLE_VALUE) return false;
    // A reader killed while it wrote left its temporary copy; now that this reader holds
    // the file, no other can be writing one.
    RemoveInterruptedReplacements(saveFile);
    if (!existed) {
        *firstParagraph = 2;
        saveRecord.soundSetting = 1;
        // A whole record at once, so that a reader killed before its first page turn
        // leaves a file that opens at the start, not an empty one.
        WriteSaveFile(2);
        return true;
    }
    DWORD read = 0;
    ReadFile(saveFile, &saveRecord, kSaveRecordSize, &read, nullptr);
    if (read < DWORD(kSaveRecordSize)) return true;
    if (saveRecord.version != kSaveVersion) {
        *firstParagraph = 2;
        return true;
    }
    UnpackRecord(firstParagraph);
    return true;
}

static void PackRecord(int16_t storyPosition) {
    saveRecord.storyPosition = storyPosition;
    saveRecord.version = kSaveVersion;
    StoryStateImage image;
    CaptureStoryState(&image);
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(saveRecord.variables[k].state, image.variableStates[k], 2);
    std::memcpy(saveRecord.snapshots, image.snapshots, sizeof saveRecord.snapshots);
    std::memcpy(saveRecord.usedFlags, image.usedFlags, sizeof saveRecord.usedFlags);
}

bool WriteSaveFile(int16_t storyPosition) {
    if (saveFile == INVALID_HANDLE_VALUE) return false;
    PackRecord(storyPosition);
    // The new record is written beside the old one and takes its place only once it
    // is complete on disk, so a crash or a full disk leaves the previous save intact.
    if (ReplaceFileContents(saveFile, &saveRecord, kSaveRecordSize)) return true;
    std::fprintf(stderr, "quietharbour: could not write the save file; the previous save is kept\n");
    return false;
}

void StoreSaveFile(int16_t storyPosition) {
    if (saveFile == INVALID_HANDLE_VALUE) return;
    WriteSaveFile(storyPosition);
    CloseHandle(saveFile);
    saveFile = INVALID_HANDLE_VALUE;
}

uint8_t SoundSetting() { return saveRecord.soundSetting; }

void SetSoundSetting(uint8_t on) { saveRecord.soundSetting = on; }
