// The live preview: a book compiled from source replaces the one on screen without
// losing the reader's place. The page on screen was built from the story as it stood
// when the page was entered, and its build-time commands changed it; a reload puts that
// entry state into the new tables and builds the page once more, so no command runs twice.
#include "shell/live_preview.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "book/story_state.h"
#include "page/geometry.h"
#include "page/layout.h"
#include "page/page_state.h"
#include "platform/file_watch.h"
#include "platform/text_codec.h"
#include "platform/message_box.h"
#include "shell/main_window.h"
#include "shell/navigation.h"

// The story when the page on screen was entered, with the restart points' paragraphs
// (which the save file does not keep, but a reload must) and the built-in page due.
struct PageEntry {
    StoryStateImage story;
    int16_t restartParagraphs[kRestartPoints];
    int32_t pageMode;
    bool taken;
};

// Owned here.
struct PreviewState {
    BookSource source;
    const char* sourcePath;
    BookTables* shown;          // the tables Book() points at
    PageEntry entry;
    bool following;
    bool changePending;         // a watched file changed at the last tick
    bool reloadDue;             // asked for while a page was being built
    bool errorShown;            // the error box is up
    char warnings[kPreviewErrorText];   // the last compile's warnings, shown or not
};
static PreviewState preview = {};

bool FollowingBookSource() { return preview.following; }

void FollowBookSource(const BookSource& source, const char* sourcePath, BookTables* first,
                      const char* firstWarnings) {
    preview = {};
    preview.source = source;
    preview.sourcePath = sourcePath;
    preview.shown = first;
    preview.following = true;
    std::snprintf(preview.warnings, sizeof preview.warnings, "%s", firstWarnings ? firstWarnings : "");
}

static void CaptureEntry(PageEntry* entry) {
    CaptureStoryState(&entry->story);
    for (int r = 0; r < kRestartPoints; ++r) entry->restartParagraphs[r] = Book().restartPoints[r].paragraph;
    entry->pageMode = Navigation().pageMode;
    entry->taken = true;
}

void NotePageEntry() {
    if (preview.following) CaptureEntry(&preview.entry);
}

// ============================================================================
// Watching
// ============================================================================

// The source and every artwork file the shown book names.
static void WatchShownBook() {
    ForgetWatchedFiles();
    bool all = WatchFile(preview.sourcePath);
    const BookArtwork& art = Book().artwork;
    for (int p = 0; p < kPictures; ++p)
        if (art.pictureFiles && art.pictureFiles[p]) all &= WatchFile(art.pictureFiles[p]);
    for (int s = 0; s < kSounds; ++s)
        if (art.soundFiles && art.soundFiles[s]) all &= WatchFile(art.soundFiles[s]);
    if (!all) std::fprintf(stderr, "quietharbour: some files of the book cannot be watched; F5 reloads them\n");
}

void StartWatchingBookSource() {
    if (!preview.following) return;
    WatchShownBook();
    SetTimer(Frame().window, kPreviewTimer, kPreviewInterval, nullptr);
}

// Editors save in several writes: the reload waits for one quiet tick after the last.
void PollBookSource() {
    bool changed = WatchedFilesChanged();
    if (changed) {
        preview.changePending = true;
        return;
    }
    if (preview.changePending || preview.reloadDue) {
        preview.changePending = false;
        ReloadBookSource();
    }
}

// ============================================================================
// Reloading
// ============================================================================

static void SetCaptionFromBook() {
    WCHAR caption[256];
    WidenLatin1(Book().header->title, caption, 256);
    SetWindowTextW(Frame().window, caption);
}

// The new tables take the story as it was when the page on screen was entered; a
// restart point in use keeps the paragraph it recorded, an unused one takes the new
// book's.
static void SwapBook(BookTables* fresh) {
    BookTables* old = preview.shown;
    if (!preview.entry.taken) CaptureEntry(&preview.entry);
    UseBook(fresh);
    preview.shown = fresh;
    RestoreStoryState(preview.entry.story);
    for (int r = 0; r < kRestartPoints; ++r)
        if (fresh->restartPoints[r].used) fresh->restartPoints[r].paragraph = preview.entry.restartParagraphs[r];
    if (old && preview.source.release) preview.source.release(old);
}

// The page on screen, built again: the same paragraph or built-in page, from its top.
static void RebuildInPlace() {
    if (preview.entry.pageMode != kPageNone) {
        ShowSpecialPage(preview.entry.pageMode);
        return;
    }
    ResetScroll();
    RequestRebuild();
    InvalidateRect(Frame().window, nullptr, TRUE);
    UpdateWindow(Frame().window);
}

// A good compile closes the box that showed the last bad one.
static void CloseErrorBox() {
    if (!preview.errorShown) return;
    HWND box = FindWindowW(u"#msgbox", nullptr);
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// The compiler's UTF-8 lines for the box; a byte that is no UTF-8 shows as U+FFFD.
static void WidenUtf8(const char* text, WCHAR* out, int size) {
    size_t length = std::strlen(text);
    int n = 0;
    for (size_t at = 0; at < length;) {
        char32_t c = kReplacementCharacter;
        int bytes = DecodeUtf8Char(text + at, length - at, &c);
        at += bytes > 0 ? size_t(bytes) : 1;
        int units = EncodeUtf16Char(bytes > 0 ? c : kReplacementCharacter, out + n, size_t(size - 1 - n));
        if (units == 0) break;
        n += units;
    }
    out[n] = 0;
}

// ---------------------------------------------------------------------------
// The report box
// ---------------------------------------------------------------------------

constexpr int kReportHeight = 236;   // the box's text on the 320-pixel screen

// The rectangle the box's font needs for text, broken at the box's width with format.
static RECT Measure(const WCHAR* text, UINT format) {
    RECT r = {0, 0, kMessageBoxTextWidth, 0};
    HDC hdc = CreateCompatibleDC(nullptr);
    DrawTextW(hdc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | format);
    DeleteDC(hdc);
    return r;
}

static int LineWidth(const std::u16string& text) { return Measure(text.c_str(), DT_SINGLELINE).right; }

// Appends one message, breaking any word wider than the box where it overflows (a
// long path has no blank to break at), then a line end.
static void AppendBroken(const WCHAR* line, int length, std::u16string& out) {
    int start = 0;
    for (int i = 0; i <= length; ++i) {
        if (i < length && line[i] != u' ') continue;
        std::u16string word(line + start, line + i);
        while (LineWidth(word) > kMessageBoxTextWidth) {
            size_t fits = 1;
            while (fits < word.size() && LineWidth(word.substr(0, fits + 1)) <= kMessageBoxTextWidth) ++fits;
            out += word.substr(0, fits) + u"\n";
            word.erase(0, fits);
        }
        out += word + (i < length ? u" " : u"\n");
        start = i + 1;
    }
}

// As many whole messages as the box holds, then how many more the terminal has.
static void FitReport(const WCHAR* report, std::u16string& out) {
    int lines = 0, shown = 0;
    for (const WCHAR* at = report; *at; ++lines) {
        const WCHAR* end = at;
        while (*end && *end != u'\n') ++end;
        std::u16string candidate = out;
        AppendBroken(at, int(end - at), candidate);
        if (Measure(candidate.c_str(), DT_WORDBREAK).bottom <= kReportHeight && shown == lines) {
            out = candidate;
            ++shown;
        }
        at = *end ? end + 1 : end;
    }
    if (shown < lines) {
        std::string more = std::to_string(lines - shown) + " more on standard error";
        out += std::u16string(more.begin(), more.end());
    }
}

static void ShowReport(const char* report, const WCHAR* caption) {
    static WCHAR wide[kPreviewErrorText];
    WidenUtf8(report, wide, kPreviewErrorText);
    std::u16string fitted;
    FitReport(wide, fitted);
    MessageBoxW(Frame().window, fitted.c_str(), caption, MB_OK);
}

static void ShowCompileErrors(const char* errors) {
    if (preview.errorShown) return;   // the box that is up already says the book is broken
    preview.errorShown = true;
    ShowReport(errors, u"Book not reloaded");
    preview.errorShown = false;
}

void ShowBookWarnings() {
    if (preview.following && preview.warnings[0]) ShowReport(preview.warnings, u"Book warnings");
}

// A reload shows the warnings when they differ from the last compile's.
static void NoteWarnings(const char* report) {
    if (std::strcmp(report, preview.warnings) == 0) return;
    std::snprintf(preview.warnings, sizeof preview.warnings, "%s", report);
    ShowBookWarnings();
}

void ReloadBookSource() {
    if (!preview.following) return;
    // Tables must never change under a page that is being built (a box raised by its
    // markup is up): the reload waits for the next tick after the build.
    if (BuildingPage()) {
        preview.reloadDue = true;
        return;
    }
    preview.reloadDue = false;
    char errors[kPreviewErrorText] = "";
    BookTables* fresh = preview.source.compile(preview.sourcePath, errors, sizeof errors);
    if (!fresh) {
        ShowCompileErrors(errors);
        return;
    }
    SwapBook(fresh);
    WatchShownBook();
    SetCaptionFromBook();
    CloseErrorBox();
    RebuildInPlace();
    NoteWarnings(errors);
}
