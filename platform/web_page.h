// The web edition's page (web/glue.js) as the reader's entry sees it: what the page
// hands over to run in the reader's loop (scripts, presses and answers in the screen-
// reader mirror, touch drags), and what the reader tells the page (the mirror's HTML,
// its state, a finished script). Only this layer talks to the browser.
#pragma once

// A script quietHarbour.run was given, as a NUL-terminated UTF-8 text the caller frees
// with std::free, and the device scale it asked for; null when none waits.
char* WebTakeScript(int* scale);
// The script taken last has ended with this exit code; its output is complete.
void WebScriptFinished(int code);

// The next press in the mirror: a control identifier, 0 for the menu button, or -1.
int WebTakePress();
// The next answer typed into the mirror's box: the box's identifier with its text
// (UTF-8, cut to size bytes), or -1.
int WebTakeAnswer(char* text, int size);
// The next movement of a touch drag: dy screen pixels from where it began, and whether
// it is the drag's first; false when none waits.
bool WebTakeDrag(int* dy, bool* starting);

// Whether this page holds the instance lock (the page asks for it before the reader starts).
bool WebLockHeld();
// Replaces the mirror's content with this HTML.
void WebShowMirror(const char* html);
// "reading", "refused" or "closed".
void WebSetState(const char* state);

// ---- the edition's own controls beside the canvas (web/edition.js)

// The save record that quietHarbour.run's options.save gave the script taken last,
// copied into out (room for size bytes): its length, 0 when none was given.
int WebTakeScriptRecord(unsigned char* out, int size);
// A save record the reader loaded from a file beside the canvas (already checked to be
// one) replaces the save file and the stored record; false when none waits. Called
// between readers, after the one before has written its own.
bool WebPutLoadedRecord();
// A story page turn: paragraph is the new story position. The page adds a history entry.
void WebStoryTurned(int paragraph);
// Whether the browser's Back button was pressed since the last call.
bool WebTakeBack();
// Back had nowhere to go in the book: the page keeps the reader in it.
void WebStayInBook();
// The book's title (UTF-8), for the page's title.
void WebSetTitle(const char* title);
