// The author's live preview: the reader shows a book compiled from its source at run
// time and follows the source and its artwork as they change, rebuilding the page on
// screen in place. The compiler is not part of the engine: the program hands it over.
#pragma once

#include "book/book_tables.h"

constexpr unsigned kPreviewTimer = 2;        // the splash timer is 1
constexpr unsigned kPreviewInterval = 200;   // milliseconds between looks at the files
constexpr int kPreviewErrorText = 4096;      // bytes of the report for the box, with the zero

struct BookSource {
    // Compiles and checks the source at path and loads its artwork. Null on failure.
    // Either way errors receives the report for the box, one message a line (the
    // errors, then the warnings, as "file:line:col: message" with the file's name
    // only); the whole report has gone to standard error.
    BookTables* (*compile)(const char* path, char* errors, int size);
    // Frees tables that compile returned, once nothing shows them any more.
    void (*release)(BookTables* book);
    // Plays the shortest route the explorer finds from a fresh start to paragraph,
    // leaving the save file of a reader who got there in stateFolder. False, said on
    // standard error, when there is none.
    bool (*playRoute)(const char* path, int paragraph, const char* stateFolder);
};

// Defined by the program that offers the preview, which links the compiler.
const BookSource& BookSourceCompiler();

// Start-up, before the first page: the book to show first, where its source is and
// the warnings its compile gave (a reload shows warnings when they change).
void FollowBookSource(const BookSource& source, const char* sourcePath, BookTables* first,
                      const char* firstWarnings);
// Once the window is up: the first compile's warnings, in the box, if there are any.
void ShowBookWarnings();
// Once the main window exists: watch the files and look at them on a timer.
void StartWatchingBookSource();
bool FollowingBookSource();
// The preview timer: reload when a watched file changed and has been quiet for one tick.
void PollBookSource();
// F5 and the watch: compile again; on success swap the book under the page and rebuild
// it in place, on failure keep the page and show the first errors.
void ReloadBookSource();
// Called by the page-source selection before it builds a page: the story as it stood
// when the page on screen was entered, so that a reload builds it again from there.
void NotePageEntry();
