// The web edition's entry: the reader over the browser backend, the save file kept in
// the browser's storage, the off-screen mirror of the page for screen readers, and
// quietHarbour.run(script), which plays a qh-play script on a fresh reader with the
// same script runner and page dump as qh-play.
//
// Sections: state / start and stop / the mirror / work the page hands over / main
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "book/book_tables.h"
#include "book/reader_place.h"
#include "book/reset.h"
#include "book/save_file.h"
#include "book/story_state.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "page/identifiers.h"
#include "page/page_items.h"
#include "page/page_state.h"
#include "page/reset.h"
#include "markup/reset.h"
#include "platform/backend_web.h"
#include "platform/web_page.h"
#include "platform/headless.h"
#include "platform/text_codec.h"
#include "platform/backend.h"
#include "shell/navigation.h"
#include "shell/reset.h"
#include "shell/startup.h"
#include "driver/player.h"
#include "driver/script.h"
#include "web/page_history.h"
#include "web/screen_places.h"

// ============================================================================
// State
// ============================================================================

// The reader's data folder lives in the module's memory file system; the save file in
// it is mirrored into the browser's storage (see WebKeepFileInStorage).
static const char kDataHome[] = "/qh";
static const char kSaveFile[] = "/qh/quietharbour/QTL2quietharbour.dat";

static StoryStateImage compiledState;   // the book's variables as compiled, for fresh readers
static int scriptRuns = 0;
static size_t mirrorHash = 0;

// What the visible reader showed at its last frame, so that it shows it again after a
// script has played on a reader of its own.
struct ReaderView {
    int16_t displayedParagraph;
    int16_t storyPosition;
    int scrollPosition;
    bool pastSplashes;   // neither splash was on screen or due
    bool titlePage;      // the title page the splashes lead to
};
static ReaderView lastView = {0, 0, 0, false, false};

// ============================================================================
// Start and stop
// ============================================================================

// Every reader starts from the book as compiled and a page still to be built, as a new
// program on the desktop does.
static void ForgetEarlierReading() {
    ResetBook();
    ResetPage();
    ResetMarkup();
    ResetShell();
    SipShowIM(SIPF_OFF);   // an answer box of the last reader may have left the input panel up
    RestoreStoryState(compiledState);
    HeadlessClearMessages();
    HeadlessClearSounds();
    HeadlessSetAnswer(HeadlessAnswer::Default);
}

// A script plays on a fresh reader whose save file lives in a folder of its own, so the
// reader's own place in storage is not touched; its output goes to the page through
// stdout, which the page collects.
// options.save: the script's reader starts from that record, as qh-play --state does
// with a save file in its folder.
static void PutScriptRecord(const char* folder) {
    static unsigned char record[kSaveRecordSize];
    int size = WebTakeScriptRecord(record, sizeof record);
    if (size <= 0) return;
    char path[96];
    std::snprintf(path, sizeof path, "%s/quietharbour", folder);
    mkdir(folder, 0777);
    mkdir(path, 0777);
    std::snprintf(path, sizeof path, "%s/quietharbour/QTL2quietharbour.dat", folder);
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(record, 1, size_t(size), f);
        std::fclose(f);
    }
}

static void PlayPendingScript(const char* text, int scale) {
    char folder[64], scriptPath[80];
    std::snprintf(folder, sizeof folder, "/tmp/play-%d", ++scriptRuns);
    std::snprintf(scriptPath, sizeof scriptPath, "%s.play", folder);
    PutScriptRecord(folder);
    FILE* f = std::fopen(scriptPath, "w");
    if (f) {
        std::fputs(text, f);
        std::fclose(f);
    }
    f = std::fopen(scriptPath, "r");
    int code = 1;
    if (!f) {
        std::fprintf(stderr, "qh-play: cannot read the script\n");
    } else {
        setenv("XDG_DATA_HOME", folder, 1);
        ForgetEarlierReading();
        SetPlayScale(scale);
        code = PlayScript(f, "script");
        std::fclose(f);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    setenv("XDG_DATA_HOME", kDataHome, 1);
    UseBackend(&kWebBackend, 0);
    mirrorHash = 0;
    WebScriptFinished(code);
}

// ============================================================================
// The mirror: the page's text in reading order, a button per button, a labelled box
// per entry box and the tool buttons, as HTML the page puts off screen.
// ============================================================================

static void Escape(std::string& out, const char* text, int length) {
    for (int i = 0; i < length && text[i]; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else if (c == '"') out += "&quot;";
        else if (c < 0x80) out += char(c);
        else out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F));   // Latin-1 to UTF-8
    }
}

static void EscapeUtf16(std::string& out, const char16_t* text, int length) {
    for (int i = 0; i < length && text[i]; ++i) {
        char16_t c = text[i];
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else if (c == '"') out += "&quot;";
        else {
            char bytes[kUtf8MaxBytes];
            out.append(bytes, size_t(EncodeUtf8Char(c >= 0xD800 && c < 0xE000 ? kReplacementCharacter : c, bytes,
                                                    sizeof bytes)));
        }
    }
}

static void ButtonHtml(std::string& out, int n) {
    HWND control = Controls().buttonWindows[n];
    int id = control ? int(GetWindowLongW(control, GWL_ID)) : kFirstButtonId + n;
    const ButtonSlot& slot = Controls().buttons[n];
    // Where the button stands on the screen now (-1 when it is scrolled away), for tools
    // that want to tap it as a finger would.
    RECT r = {-1, -1, -1, -1};
    if (control && IsWindowVisible(control)) GetWindowRect(control, &r);
    out += "<button data-id=\"" + std::to_string(id) + "\" data-x=\"" + std::to_string((r.left + r.right) / 2) +
           "\" data-y=\"" + std::to_string((r.top + r.bottom) / 2) + "\">";
    if (slot.bitmap || Controls().buttonPictureIds[n]) {
        Escape(out, PictureDescription(Controls().buttonPictureIds[n]), 1 << 20);
    } else if (slot.labelLength > 0 || !control) {
        EscapeUtf16(out, slot.label, slot.labelLength);
    } else {
        WCHAR text[kLabelSize];
        EscapeUtf16(out, text, GetWindowTextW(control, text, kLabelSize));
    }
    out += "</button> ";
}

static std::string MirrorHtml() {
    std::string out = "<p>";
    bool bold = false;
    for (int i = 0; i < PageItems().count; ++i) {
        const PageItem& item = PageItems().items[i];
        switch (item.kind) {
        case kItemTitle: out += "</p><h1>"; Escape(out, item.text, 1 << 20); out += "</h1><p>"; break;
        case kItemText: Escape(out, item.text, 1 << 20); break;
        case kItemBoldOn: if (!bold) out += "<b>"; bold = true; break;
        case kItemBoldOff: if (bold) out += "</b>"; bold = false; break;
        case kItemParagraphBreak: out += bold ? "</b></p><p><b>" : "</p><p>"; break;
        case kItemLineBreak: out += "<br>"; break;
        case kItemPicture:
            out += "<span role=\"img\" aria-label=\"";
            Escape(out, PictureDescription(item.argument), 1 << 20);
            out += "\"></span>";
            break;
        case kItemEntryBox: {
            std::string id = std::to_string(kFirstEntryBoxId + item.argument);
            out += "<label>Answer <input data-id=\"" + id + "\" maxlength=\"" +
                   std::to_string(Controls().edits[item.argument].maximumLength) + "\"></label> ";
            break;
        }
        case kItemButton: ButtonHtml(out, item.argument); break;
        default: break;
        }
    }
    if (bold) out += "</b>";
    out += "</p><nav aria-label=\"Tools\">";
    const struct { int command; const char* name; } tools[] = {
        {kCommandBackToStory, "Back to the story"}, {kCommandPrevious, "Previous"}, {kCommandNext, "Next"},
        {kCommandHelp, "Help"}, {kCommandRestart, "Restart points"}, {kCommandInformation, "Information"}};
    int x, y;
    for (const auto& tool : tools)
        if (ToolButtonCentre(tool.command, &x, &y))
            out += "<button data-tool=\"" + std::to_string(tool.command) + "\">" + tool.name + "</button> ";
    if (MenuButtonCentre(&x, &y)) out += "<button data-tool=\"menu\">Menu</button>";
    return out + "</nav>";
}

static void UpdateMirror() {
    if (!ReaderWindowExists()) return;
    std::string html = MirrorHtml();
    size_t hash = std::hash<std::string>{}(html);
    if (hash == mirrorHash) return;
    mirrorHash = hash;
    WebShowMirror(html.c_str());
}

// ============================================================================
// Work the page hands over: it runs here, in the reader's loop, never inside an event
// handler of the page, so a message box it raises blocks as on the desktop.
// ============================================================================

static void PressFromMirror(int id) {
    HWND main = Frame().window;
    if (!main) return;
    if (id >= kFirstButtonId) {
        int n = id - kFirstButtonId;
        if (n < Controls().buttonCount && Controls().buttonWindows[n])
            SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(Controls().buttonWindows[n]));
        return;
    }
    // a tool button, or the menu (0): tapped where it stands, as a finger would
    int x, y;
    if (id == 0 ? MenuButtonCentre(&x, &y) : ToolButtonCentre(id, &x, &y)) {
        DeliverInput(InputEvent{InputKind::PointerDown, x, y, 0, 0});
        DeliverInput(InputEvent{InputKind::PointerUp, x, y, 0, 0});
    }
}

static void AnswerFromMirror(int id, const char* utf8) {
    int n = id - kFirstEntryBoxId;
    if (n < 0 || n >= Controls().editCount || !Controls().editWindows[n]) return;
    std::u16string text;
    if (!Utf8ToUtf16(utf8, &text)) return;
    SetWindowTextW(Controls().editWindows[n], text.c_str());
    SendMessageW(Frame().window, WM_COMMAND, MAKEWPARAM(id, EN_MAXTEXT), 0);
}

static int ScrollPosition(HWND window) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(window, SB_VERT, &info);
    return info.nPos;
}

// A touch drag, dy screen pixels from where the finger went down (up is negative). The
// page follows in the reader's own line steps, as the keys move it, so every position
// it stops at is one the keys reach too.
static void FollowDrag(int dy, bool starting) {
    static int linesMoved = 0;
    if (starting) linesMoved = 0;
    HWND main = Frame().window;
    if (!main) return;
    int wanted = -dy / kLineStep;
    for (int guard = 0; guard < 64 && wanted != linesMoved; ++guard) {
        int before = ScrollPosition(main);
        bool down = wanted > linesMoved;
        SendMessageW(main, WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP, 0);
        linesMoved += down ? 1 : -1;
        if (ScrollPosition(main) == before) {
            linesMoved = wanted;   // at an end: a turn back counts from here
            break;
        }
    }
}

// ============================================================================
// The visible reader across a script: the same page, scrolled the same way
// ============================================================================

static void NoteView() {
    HWND main = Frame().window;
    if (!main) return;
    // The title page is the one whose previous arrow leads back to the title splash.
    const ArrowTarget& previous = PageNow().previousArrow;
    lastView = {Place().displayedParagraph, Place().storyPosition, ScrollPosition(main),
                Navigation().pageMode == kPageNone,
                previous.kind == kArrowPage && previous.value == kPageTitleSplash};
}

// The restarted reader opens at its story position; a side page open before (the
// inventory, the information page) is opened again, and the page is scrolled back in
// the reader's own line steps. The menu's built-in pages are left for the story page.
static void RestoreView(const ReaderView& view) {
    HWND main = Frame().window;
    if (!main || view.storyPosition != Place().storyPosition) return;
    if (view.pastSplashes && Navigation().pageMode != kPageNone) {   // a fresh start's splashes: seen already
        SkipSplashes();
        if (view.titlePage) ShowSpecialPage(kPageTitle);
        else NavigateTo(view.storyPosition, kNavigateKeep);
    }
    if (view.displayedParagraph != view.storyPosition && view.displayedParagraph >= 1)
        ShowSidePage(int16_t(view.displayedParagraph - 1));
    if (Place().displayedParagraph != view.displayedParagraph) return;
    for (int guard = 0; guard < 4096 && ScrollPosition(main) < view.scrollPosition; ++guard) {
        int before = ScrollPosition(main);
        SendMessageW(main, WM_VSCROLL, SB_LINEDOWN, 0);
        if (ScrollPosition(main) == before) break;
    }
}

// Called by the backend whenever the reader looks for input or shows a new frame.
static void TakePageWork() {
    int dy;
    bool starting;
    while (WebTakeDrag(&dy, &starting)) FollowDrag(dy, starting);
    for (int press; (press = WebTakePress()) >= 0;) PressFromMirror(press);
    char answer[256];
    for (int box; (box = WebTakeAnswer(answer, sizeof answer)) >= 0;) AnswerFromMirror(box, answer);
    AnswerBack();
    UpdateMirror();
    FollowStoryTurns();
}

extern "C" {

// A script is about to stop the reader: what it shows now is what it shows again after.
void qh_web_note_view() { NoteView(); }

// The page is being hidden, and may be closed without another word: keep the place.
void qh_web_page_hidden() { WriteSaveFile(Place().storyPosition); }

// For the benchmark (bench/web_bench.js): a page turn as a hotword makes it, painted and
// on the canvas before it returns, so the page can time it. Paragraphs as the book
// numbers them; the longest is the one with the most words.
void qh_web_turn_to(int paragraph) {
    if (!ReaderWindowExists() || paragraph < 1 || paragraph > kParagraphRows) return;
    NavigateTo(int16_t(paragraph), kNavigateStory);
    HeadlessRun();   // what is due now, painted and presented: the window system's RunUntilIdle
}

int qh_web_longest_paragraph() {
    int longest = 2, most = -1;
    for (int p = 2; p <= kParagraphRows; ++p) {
        const ParagraphEntry& row = ParagraphRow(p);
        int words = row.pool < 0 ? -1 : row.endWord - row.firstWord;
        if (words > most) longest = p, most = words;
    }
    return longest;
}

}  // extern "C"

// ============================================================================
// Main
// ============================================================================

int main() {
    UseBook(CompiledBook());
    CaptureStoryState(&compiledState);
    setenv("XDG_DATA_HOME", kDataHome, 1);
    if (!UseBackend(&kWebBackend, 0)) return 1;
    std::string title;
    Escape(title, Book().header->title, 1 << 20);   // Latin-1 to UTF-8
    WebSetTitle(title.c_str());
    WebKeepFileInStorage(kSaveFile, WebLockHeld());
    WebSetInputHook(TakePageWork);
    ReaderView view = {0, 0, 0, false, false};
    for (;;) {
        ForgetEarlierReading();
        ForgetStoryTurns();
        if (!StartReader(SW_SHOW)) {
            WebSetState("refused");
            return 1;
        }
        RestoreView(view);
        WebSetState("reading");
        RunMessageLoop();
        StopReader();
        mirrorHash = 0;
        view = {0, 0, 0, false, false};
        if (WebPutLoadedRecord()) continue;   // a reading loaded from a file: start from it
        int scale = 1;
        char* script = WebTakeScript(&scale);
        if (!script) break;
        view = lastView;
        WebSetInputHook(nullptr);
        PlayPendingScript(script, scale < 1 || scale > 4 ? 1 : scale);
        std::free(script);
        WebSetInputHook(TakePageWork);
    }
    WebSetState("closed");
    return 0;
}
