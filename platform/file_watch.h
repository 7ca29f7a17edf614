// Watching a few files for changes (an author's book source and its artwork), so that
// the reader can reload them. On Linux this is inotify on the files' folders: editors
// often save by writing a new file and renaming it over the old one, which a watch on
// the file itself would lose.
#pragma once

constexpr int kWatchedFiles = 64;      // files watched at once
constexpr int kWatchedFolders = 16;    // distinct folders among them
constexpr int kWatchPathBytes = 1024;  // a watched path, with its zero

// Adds the file at path (UTF-8). False when the tables are full, the path does not fit
// or its folder cannot be watched; the file is then not watched.
bool WatchFile(const char* path);
// Stops watching every file (their folders too).
void ForgetWatchedFiles();
// True when a watched file was written, created, replaced or removed since the last
// call. Never waits.
bool WatchedFilesChanged();
