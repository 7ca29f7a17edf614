// The save file QTL2quietharbour.dat in the reader's data folder: loaded once at
// start-up, written after every story page turn and at shutdown, held open without
// sharing in between.
//
// Nothing lost: a save that cannot be used is kept beside it before anything is written
// over it, a save that can be read but not written is read and left alone, and every
// cause is said on standard error with the file's path and the system's reason; once
// per reading, the reader is also told in the window that the reading is not being kept.
#include "book/save_file.h"

#include <bit>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "book/error_message.h"
#include "book/reader_place.h"
#include "book/story_state.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/text_codec.h"
#include "platform/win32.h"

static_assert(std::endian::native == std::endian::little, "the record is little-endian");

constexpr int kNoteLength = kErrorMessageLength;

// The record for the whole run, the file it is read from and written to (held open
// without sharing from LoadSaveFile to StoreSaveFile), how far that file may be written,
// and what the reader has been told about it.
struct SaveFileState {
    SaveRecord record = {};
    HANDLE file = INVALID_HANDLE_VALUE;
    WCHAR name[kSaveNameSize] = {};
    char path[kPathBytes] = {};    // the name as UTF-8, for messages
    bool readOnly = false;         // read, and never written this reading
    bool hadSave = false;          // a save was there before this reading
    bool writtenOnce = false;      // a whole record of this reading is in the file
    bool noteGiven = false;        // the reader has been (or is about to be) told
    bool fromLeftCopy = false;     // the record came from a copy beside the file
    char pendingNote[kNoteLength + 1] = {};   // shown in the window by ShowSaveFileNote
};

static SaveFileState saveState;

void ClearSaveRecord() { saveState.record = {}; }

// ============================================================================
// Telling the reader
// ============================================================================

static void SayOnStandardError(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void SayOnStandardError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::fputs("quietharbour: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

// The system's reason for the last failed file call, or a plain one.
static const char* Reason() {
    const char* text = LastFileErrorText();
    if (text && text[0]) return text;
    return GetLastError() == ERROR_SHARING_VIOLATION ? "another reader holds it" : "the system gave no reason";
}

// The window hears of it once per reading, when ShowSaveFileNote next runs.
static void NoteForWindow(const char* text) {
    if (saveState.noteGiven) return;
    saveState.noteGiven = true;
    std::snprintf(saveState.pendingNote, sizeof saveState.pendingNote, "%s", text);
}

void ShowSaveFileNote() {
    if (!saveState.pendingNote[0]) return;
    char text[kNoteLength + 1];
    std::memcpy(text, saveState.pendingNote, sizeof text);
    saveState.pendingNote[0] = 0;
    ShowErrorMessage("%s", text);
}

// ============================================================================
// Opening
// ============================================================================

// The folder, then the window class name and ".dat".
static bool BuildSaveName(WCHAR* name) {
    if (!GetDataFolder(name, kSaveNameSize)) {
        char folder[kPathBytes] = "";
        Utf16ToUtf8(name, folder, sizeof folder);
        if (folder[0]) SayOnStandardError("cannot make the folder for the save file, '%s': %s", folder, Reason());
        else SayOnStandardError("no folder for the save file: %s (set HOME or XDG_DATA_HOME)", Reason());
        return false;
    }
    int length = 0;
    while (name[length]) ++length;
    const WCHAR* file = u"QTL2quietharbour.dat";
    for (int i = 0; file[i]; ++i) {
        if (length + 1 >= kSaveNameSize) {
            SayOnStandardError("the save file's folder has too long a path");
            return false;
        }
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

// Read and write without sharing; when only reading is allowed, read without sharing
// and say that this reading will not be saved.
static HANDLE OpenSaveFile(bool existed) {
    HANDLE file = CreateFileW(saveState.name, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              existed ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file != INVALID_HANDLE_VALUE || !existed || GetLastError() != ERROR_ACCESS_DENIED) return file;
    char why[128];
    std::snprintf(why, sizeof why, "%s", Reason());
    file = CreateFileW(saveState.name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    saveState.readOnly = true;
    SayOnStandardError("the save file '%s' can be read but not written (%s): this reading will not be saved",
                       saveState.path, why);
    NoteForWindow("This reading will not be saved: the save file cannot be written.");
    return file;
}

// What this reading starts from when the file cannot be used.
static const char* StartingFrom() {
    return saveState.fromLeftCopy ? "this reading goes on from the copy that was left beside it"
                                  : "this reading starts afresh";
}

// Whether a held file that cannot be used was copied to NAME.unreadable; the one kept
// there is always the newest.
static bool KeepUnusable(const char* why) {
    WCHAR aside[kSaveNameSize];
    int length = 0;
    while (saveState.name[length]) aside[length] = saveState.name[length], ++length;
    const WCHAR* suffix = u".unreadable";
    for (int i = 0; suffix[i]; ++i) {
        if (length + 1 >= kSaveNameSize) return false;
        aside[length++] = suffix[i];
    }
    aside[length] = 0;
    if (CopyFileW(saveState.name, aside, FALSE)) {
        SayOnStandardError("the save file '%s' cannot be used (%s); it is kept as '%s.unreadable' and %s",
                           saveState.path, why, saveState.path, StartingFrom());
        return true;
    }
    SayOnStandardError("the save file '%s' cannot be used (%s) and could not be kept aside (%s): it is left as it "
                       "is, and this reading will not be saved", saveState.path, why, Reason());
    NoteForWindow("This reading will not be saved: the save file is unusable and was left alone.");
    return false;
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

// A new reading: the opening paragraph, nothing restored, sound on.
static void StartAfresh(int16_t* firstParagraph) {
    ClearSaveRecord();
    saveState.record.soundSetting = 1;
    *firstParagraph = kOpeningParagraph;
}

static bool UsableRecord(const void* data, DWORD size) {
    int32_t version;
    std::memcpy(&version, static_cast<const char*>(data) + offsetof(SaveRecord, version), sizeof version);
    return size >= DWORD(kSaveRecordSize) && version == kSaveVersion;
}

// A power cut before the flush of the last page turns can leave the file empty (its
// data never reached the disk) or, on some file systems, unusable; the file it replaced
// then lies whole beside it, and the newest such copy goes on the reading.
static bool UseLeftCopy(int16_t* firstParagraph) {
    SaveRecord copy;
    if (!ReadNewestLeftCopy(saveState.file, &copy, kSaveRecordSize, UsableRecord)) return false;
    saveState.record = copy;
    saveState.fromLeftCopy = true;
    UnpackRecord(firstParagraph);
    return true;
}

// Reads the held file. An empty file is one that never got its first record: a fresh
// start, unless a power cut left a copy beside it. A short file, a read that fails or
// another version is kept aside (or, when it cannot be, left alone for the whole
// reading) and the reading goes on from such a copy or starts afresh.
static void ReadSaveFile(int16_t* firstParagraph) {
    DWORD read = 0;
    char why[160] = "";
    if (!ReadFile(saveState.file, &saveState.record, kSaveRecordSize, &read, nullptr))
        std::snprintf(why, sizeof why, "it could not be read: %s", Reason());
    else if (read == 0 && UseLeftCopy(firstParagraph))
        return SayOnStandardError("the save file '%s' is empty; %s", saveState.path, StartingFrom());
    else if (read == 0)
        return StartAfresh(firstParagraph);
    else if (read < DWORD(kSaveRecordSize))
        std::snprintf(why, sizeof why, "it holds %u bytes, not %d", unsigned(read), kSaveRecordSize);
    else if (saveState.record.version != kSaveVersion)
        std::snprintf(why, sizeof why, "its version is %d, not %d", int(saveState.record.version), int(kSaveVersion));
    if (!why[0]) return UnpackRecord(firstParagraph);
    if (!UseLeftCopy(firstParagraph)) StartAfresh(firstParagraph);
    if (!saveState.readOnly && !KeepUnusable(why)) saveState.readOnly = true;
    else if (saveState.readOnly)
        SayOnStandardError("the save file '%s' cannot be used (%s); %s", saveState.path, why, StartingFrom());
}

static bool WriteRecord(int16_t storyPosition);

bool LoadSaveFile(int16_t* firstParagraph) {
    saveState = SaveFileState{};
    if (!BuildSaveName(saveState.name)) return false;
    Utf16ToUtf8(saveState.name, saveState.path, sizeof saveState.path);
    bool existed = FileExists(saveState.name);
    saveState.file = OpenSaveFile(existed);
    if (saveState.file == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_SHARING_VIOLATION)
            SayOnStandardError("the save file '%s' is held by another reader", saveState.path);
        else
            SayOnStandardError("cannot open the save file '%s': %s", saveState.path, Reason());
        return false;
    }
    if (existed) {
        saveState.hadSave = true;
        ReadSaveFile(firstParagraph);
        // What a copy beside the file gave is put in the file before the copies go, and
        // while it cannot be, they stay.
        bool copyNeeded = saveState.fromLeftCopy && !saveState.readOnly && !WriteRecord(*firstParagraph);
        // A reader killed while it wrote left its temporary copies; now that this reader
        // holds the file, no other can be writing one.
        if (!saveState.readOnly && !copyNeeded) RemoveInterruptedReplacements(saveState.file);
        return true;
    }
    if (!saveState.readOnly) RemoveInterruptedReplacements(saveState.file);
    // A whole record at once, so that a reader killed before its first page turn leaves
    // a file that opens at the start; a file that could not get one is not left empty.
    StartAfresh(firstParagraph);
    if (!WriteRecord(kOpeningParagraph)) DeleteFileW(saveState.name);
    return true;
}

// ============================================================================
// Writing
// ============================================================================

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

// The new record is written beside the old one and takes its place only once it is
// complete on disk, so a crash or a full disk leaves the previous save intact. A folder
// deleted while the reader runs is made again.
static bool ReplaceRecord() {
    if (ReplaceFileContents(saveState.file, &saveState.record, kSaveRecordSize)) return true;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    WCHAR folder[kSaveNameSize];
    if (!GetDataFolder(folder, kSaveNameSize)) return false;
    return ReplaceFileContents(saveState.file, &saveState.record, kSaveRecordSize);
}

static bool WriteRecord(int16_t storyPosition) {
    if (saveState.file == INVALID_HANDLE_VALUE || saveState.readOnly) return false;
    PackRecord(storyPosition);
    if (ReplaceRecord()) {
        saveState.writtenOnce = true;
        return true;
    }
    SayOnStandardError("could not write the save file '%s' (%s); %s", saveState.path, Reason(),
                       saveState.writtenOnce || saveState.hadSave ? "the previous save is kept" : "nothing is saved yet");
    NoteForWindow("This reading is not being saved: the save file cannot be written.");
    return false;
}

bool WriteSaveFile(int16_t storyPosition) {
    bool written = WriteRecord(storyPosition);
    ShowSaveFileNote();
    return written;
}

void StoreSaveFile(int16_t storyPosition) {
    if (saveState.file == INVALID_HANDLE_VALUE) return;
    WriteRecord(storyPosition);
    CloseHandle(saveState.file);
    saveState.file = INVALID_HANDLE_VALUE;
}

uint8_t SoundSetting() { return saveState.record.soundSetting; }

void SetSoundSetting(uint8_t on) { saveState.record.soundSetting = on; }
