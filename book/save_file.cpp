// The save file QTL2quietharbour.dat in the reader's data folder: loaded once at
// start-up, written once at shutdown, held open without sharing in between.
#include "book/save_file.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "shell/navigation.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/win32.h"

static_assert(std::endian::native == std::endian::little, "the record is little-endian");

SaveRecord gSaveRecord = {};

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

static void UnpackRecord() {
    int16_t position = gSaveRecord.storyPosition;
    gDisplayedParagraph = position < 1 || position > kParagraphRows ? 2 : position;
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(gBook->variables[k].state, gSaveRecord.variables[k].state, 2);
    std::memcpy(gBook->snapshots, gSaveRecord.snapshots, sizeof gSaveRecord.snapshots);
    for (int r = 0; r < kRestartPoints; ++r) gBook->restartPoints[r].used = gSaveRecord.usedFlags[r];
}

bool LoadSaveFile() {
    WCHAR name[kSaveNameSize];
    if (!BuildSaveName(name)) return false;
    bool existed = FileExists(name);
    saveFile = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           existed ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (saveFile == INVALID_HANDLE_VALUE) return false;
    if (!existed) {
        gDisplayedParagraph = 2;
        gSaveRecord.soundSetting = 1;
        return true;
    }
    DWORD read = 0;
    ReadFile(saveFile, &gSaveRecord, kSaveRecordSize, &read, nullptr);
    if (read < DWORD(kSaveRecordSize)) return true;
    if (gSaveRecord.version != kSaveVersion) {
        gDisplayedParagraph = 2;
        return true;
    }
    UnpackRecord();
    return true;
}

static void PackRecord() {
    gSaveRecord.storyPosition = gStoryPosition;
    gSaveRecord.version = kSaveVersion;
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(gSaveRecord.variables[k].state, gBook->variables[k].state, 2);
    std::memcpy(gSaveRecord.snapshots, gBook->snapshots, sizeof gSaveRecord.snapshots);
    for (int r = 0; r < kRestartPoints; ++r) gSaveRecord.usedFlags[r] = gBook->restartPoints[r].used;
}

void StoreSaveFile() {
    if (saveFile == INVALID_HANDLE_VALUE) return;
    PackRecord();
    // The new record is written beside the old one and takes its place only once it
    // is complete on disk, so a crash or a full disk leaves the previous save intact.
    if (!ReplaceFileContents(saveFile, &gSaveRecord, kSaveRecordSize))
        std::fprintf(stderr, "quietharbour: could not write the save file; the previous save is kept\n");
    CloseHandle(saveFile);
    saveFile = INVALID_HANDLE_VALUE;
}

uint8_t SoundSetting() { return gSaveRecord.soundSetting; }

void SetSoundSetting(uint8_t on) { gSaveRecord.soundSetting = on; }
