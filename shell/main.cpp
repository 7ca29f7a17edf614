// quietharbour: the reader in a desktop window. Parses the few options, points the
// engine at the compiled-in book and runs start-up, the message loop and shutdown.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "book/book_tables.h"
#include "book/reader_place.h"
#include "platform/backend.h"
#include "platform/win32.h"
#include "shell/live_preview.h"
#include "shell/navigation.h"
#include "shell/startup.h"

static const char kUsage[] = "usage: quietharbour [--scale N] [--help] [--version]\n"
                             "       quietharbour --book FILE [--goto N [--fresh]] [--state DIR] [--scale N]\n";

// The author's live preview: a book source instead of the built-in book.
struct PreviewOptions {
    const char* book = nullptr;
    const char* state = nullptr;   // the save file's folder; default a fresh temporary one
    int16_t goTo = 0;              // 0: start where the save file says
    bool fresh = false;            // --goto with the book's starting variables, no route
};
static PreviewOptions previewOptions;

static void PrintHelp() {
    std::printf("%s\n"
                "Reads the interactive story book compiled into this program.\n\n"
                "  --scale N   show the 240 x 320 screen N times larger (1 to 4);\n"
                "              by default the largest that fits the desktop. The window can be\n"
                "              resized: the scale follows its size\n"
                "  --book FILE show the book source FILE and follow it: every save of\n"
                "              the source or its artwork is shown at once (F5: reload)\n"
                "  --goto N    with --book: open paragraph N in the story, after playing the\n"
                "              shortest route to it that qh-play finds from a fresh start, so\n"
                "              the variables are ones a reader could have there\n"
                "  --fresh     with --goto: open paragraph N at once, with the book's\n"
                "              starting variables\n"
                "  --state DIR with --book: keep the save file in DIR (default: a fresh\n"
                "              temporary folder, never the reader's own save)\n"
                "  --help      show this text\n"
                "  --version   show the version\n\n"
                "Keys:\n"
                "  Page Up, Page Down, Home, End, Up, Down   scroll the page (so does the wheel)\n"
                "  Tab, Shift+Tab   move the focus ring between the page's buttons and answer box\n"
                "  Return, Space    press the button with the focus ring\n"
                "  Return, Tab      in an answer box: give the answer (Shift+Tab leaves the box)\n"
                "  Escape           close the open menu, else go back to the story\n"
                "  F11              full screen on and off\n"
                "  F5               with --book: read the book source again now\n\n"
                "The reader's place is kept in $XDG_DATA_HOME/quietharbour/QTL2quietharbour.dat\n"
                "(by default ~/.local/share/quietharbour/).\n",
                kUsage);
}

// A display that is named but does not answer is a different trouble from none named.
static void SayWhyNoDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (x && *x)
        std::fprintf(stderr, "quietharbour: the display DISPLAY=%s could not be opened.\n", x);
    else if (wayland && *wayland)
        std::fprintf(stderr, "quietharbour: the display WAYLAND_DISPLAY=%s could not be opened.\n", wayland);
    else
        std::fprintf(stderr, "quietharbour: there is no display to open a window on (neither DISPLAY nor "
                             "WAYLAND_DISPLAY is set).\n");
    std::fprintf(stderr, "qh-play runs the reader without one.\n");
}

// Returns the exit code to end with at once, or -1 to go on and run the reader.
static int ParseArguments(int argc, char** argv, int* scale) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quietharbour 1.0\n");
            return 0;
        }
        if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long value = std::strtol(argv[++i], &end, 10);
            if (*end == 0 && value >= 1 && value <= 4) {
                *scale = int(value);
                continue;
            }
            std::fprintf(stderr, "quietharbour: --scale takes a whole number from 1 to 4\n%s", kUsage);
            return 2;
        }
        if ((std::strcmp(argv[i], "--book") == 0 || std::strcmp(argv[i], "--state") == 0) && i + 1 < argc) {
            (argv[i][2] == 'b' ? previewOptions.book : previewOptions.state) = argv[i + 1];
            ++i;
            continue;
        }
        if (std::strcmp(argv[i], "--fresh") == 0) {
            previewOptions.fresh = true;
            continue;
        }
        if (std::strcmp(argv[i], "--goto") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long value = std::strtol(argv[++i], &end, 10);
            if (*end == 0 && value >= 1 && value <= kParagraphRows) {
                previewOptions.goTo = int16_t(value);
                continue;
            }
            std::fprintf(stderr, "quietharbour: --goto takes a paragraph number from 1 to %d\n%s", kParagraphRows, kUsage);
            return 2;
        }
        std::fprintf(stderr, "quietharbour: unknown argument '%s'\n%s", argv[i], kUsage);
        return 2;
    }
    return -1;
}

// The save file of a preview lives in its own folder, never beside the reader's own.
static bool PrepareStateFolder(char* made, int size) {
    if (previewOptions.state) {
        std::snprintf(made, size_t(size), "%s", previewOptions.state);
        std::filesystem::create_directories(made);
    } else {
        std::snprintf(made, size_t(size), "/tmp/quietharbour-preview-XXXXXX");
        if (!mkdtemp(made)) return false;
    }
    setenv("XDG_DATA_HOME", std::filesystem::absolute(made).c_str(), 1);
    return true;
}

// Compiles the source for the first page; without a good first compile there is
// nothing to show, and the errors are on standard error.
static bool OpenBookSource(char* stateFolder, int size) {
    if (!previewOptions.book) {
        UseBook(CompiledBook());
        return true;
    }
    char errors[kPreviewErrorText];
    BookTables* first = BookSourceCompiler().compile(previewOptions.book, errors, sizeof errors);
    if (!first) return false;
    if (!PrepareStateFolder(stateFolder, size)) {
        std::fprintf(stderr, "quietharbour: cannot make a folder for the save file\n");
        return false;
    }
    UseBook(first);
    FollowBookSource(BookSourceCompiler(), previewOptions.book, first, errors);
    return true;
}

int main(int argc, char** argv) {
    int scale = 0;
    int early = ParseArguments(argc, argv, &scale);
    if (early >= 0) return early;
    if ((previewOptions.goTo || previewOptions.state || previewOptions.fresh) && !previewOptions.book) {
        std::fprintf(stderr, "quietharbour: --goto, --fresh and --state go with --book\n%s", kUsage);
        return 2;
    }
    if (!UseBackend(&kSdlBackend, scale)) {
        if (NoDisplayForWindow()) {
            SayWhyNoDisplay();
            return 2;
        }
        std::fprintf(stderr, "quietharbour: cannot open a window on this desktop\n");
        return 1;
    }
    // A book source is read once the window's scale is known: its pictures are rendered
    // for that scale.
    char stateFolder[1024] = "";
    if (!OpenBookSource(stateFolder, sizeof stateFolder)) {
        ActiveBackend()->close();
        return 1;
    }
    bool temporaryState = previewOptions.book && !previewOptions.state;
    // The save left by a played route opens the page with the route's variables. The
    // opening paragraph needs none (a reading starts there), and a save that stands on it
    // would open on the title splashes instead.
    bool routeWanted = previewOptions.goTo && !previewOptions.fresh && previewOptions.goTo != kOpeningParagraph;
    bool routePlayed = routeWanted &&
                       BookSourceCompiler().playRoute(previewOptions.book, previewOptions.goTo, stateFolder);
    if (routeWanted && !routePlayed)
        std::fprintf(stderr, "quietharbour: opening paragraph %d with the book's starting variables\n", previewOptions.goTo);
    if (!StartReader(SW_SHOW)) {
        ActiveBackend()->close();
        std::exit(1);
    }
    if (previewOptions.goTo && !routePlayed) {
        SkipSplashes();
        NavigateTo(previewOptions.goTo, kNavigateStory);
    }
    StartWatchingBookSource();
    ShowBookWarnings();
    int code = RunMessageLoop();
    StopReader();
    ActiveBackend()->close();
    if (temporaryState) std::filesystem::remove_all(stateFolder);
    return code;
}
