// How the file calls of win32.h behave on Linux, and a durable way to replace the content
// of a file that is held open without sharing.
//
// Names are UTF-16 with '\' or '/' between folders, turned into UTF-8 Linux paths with
// '/'; a name without a folder is in the current folder (the reader passes full paths,
// see data_folder.h).
//
// Only regular files are opened: a folder, a pipe or a device in a file's place is
// refused with ERROR_ACCESS_DENIED (opening a pipe never waits for a writer). A lock
// file is never opened through a link.
//
// Sharing: CreateFileW with share mode 0 takes an exclusive flock on a companion lock
// file ".NAME.lock" beside the file (created once and left there); any other share mode
// takes a shared lock on it when it exists. Either fails, with ERROR_SHARING_VIOLATION,
// while another open description, in this process or another, holds a conflicting lock.
// The lock lives on its own file so that ReplaceFileContents can put a new file in
// place under the same name without ever letting the lock go. (When the lock file
// cannot be created, as in a read-only folder, the file itself is locked instead.)
#pragma once

#include "platform/win32.h"

constexpr int kOpenFiles = 16;       // file and search handles open at once
constexpr int kPathBytes = 4096;     // a mapped UTF-8 path, with its zero (the system's own limit)

// A Linux path is any string of bytes; as a UTF-16 name, each byte that is not part of
// well-formed UTF-8 stands as the lone surrogate U+DC80 + (byte - 0x80), which the file
// calls turn back into that byte. False when the name does not fit in size characters.
bool PathToName(const char* path, WCHAR* name, int size);

// Why the last file call failed, in the system's words ("Permission denied") or, where
// the system has none, ours ("a pipe, not a file"). Empty after a success.
const char* LastFileErrorText();
// Records errno's value as the last error, code and words.
void SetLastErrorFromErrno(int error);

// Replaces the whole content of a file opened for writing with size bytes of data: the
// data goes to a temporary file ".NAME.XXXXXX" in the same folder, which then swaps
// names with the file (or, where the file system cannot swap, is renamed over it). A
// failure at any step before that leaves the old content untouched and the temporary
// file removed; GetLastError tells why. Once it returns, a killed process loses nothing
// (the kernel holds the new file); the flushes that carry it to the disk against a
// power cut come later, off the caller's thread (see below). The old file stays whole
// under the temporary name until a flush has carried a newer one to the disk, so that
// a power cut before then, which may leave the file empty, leaves that copy beside it
// (ReadNewestLeftCopy). Afterwards the
// handle refers to the new file, positioned after the data, and the lock taken by
// CreateFileW is still held: there is no moment in which another process could open
// the file without sharing.
BOOL ReplaceFileContents(HANDLE file, const void* data, DWORD size);

// The flushes of replaced files (the file, then its folder) run on a background thread
// kFlushDelayMs after the first replacement not yet flushed, once for all replacements
// made meanwhile, so a power cut loses at most about that window. CloseHandle flushes
// what is still outstanding on the caller's thread first and fails (ERROR_WRITE_FAULT,
// the handle closed all the same) when that flush fails. A build without threads (the
// web edition) flushes nothing: its storage is the browser's.
constexpr int kFlushDelayMs = 1000;
// For tests: another delay from now on.
void SetFileFlushDelay(int milliseconds);
// fsync calls the file layer has made on the calling thread, and on its background
// thread: a page turn is seen to leave the disk alone.
long FileFlushesOnThisThread();
long FileFlushesInBackground();

// A replacement killed between creating its temporary file and putting it in place, or
// a reader stopped before its last flush, leaves ".NAME.XXXXXX" files beside the file.
// Removes every such file of a file opened for writing without sharing (only the holder
// of the lock can know that none is still being written), once the file itself is on
// the disk. Returns how many were removed, or -1 (GetLastError tells why).
int RemoveInterruptedReplacements(HANDLE file);
// Reads into buffer the newest (by its time of writing) of those files whose first size
// bytes (at most kLeftCopyBytes; a shorter file's, the rest of buffer then zero) usable
// accepts: what a power cut left of the file when the file itself came back empty or
// unusable. A link or anything but a regular file is never read. False
// (ERROR_FILE_NOT_FOUND) when none is accepted.
constexpr int kLeftCopyBytes = 4096;
BOOL ReadNewestLeftCopy(HANDLE file, void* buffer, DWORD size, bool (*usable)(const void* data, DWORD size));

// What a machine without locks between programs (the browser, where a second tab runs
// in a separate process of its own) adds to the file calls: a say over every exclusive
// open, and word of every file whose content was replaced, that was closed after
// writing or that a copy made. Either function may be null.
struct FileObserver {
    bool (*mayOpenExclusively)(const char* path);   // false: another program holds it
    void (*written)(const char* path);
};
void SetFileObserver(const FileObserver& observer);
