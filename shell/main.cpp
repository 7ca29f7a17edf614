// quietharbour: the reader in a desktop window. Parses the few options, points the
// engine at the compiled-in book and runs start-up, the message loop and shutdown.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book_tables.h"
#include "platform/backend.h"
#include "platform/win32.h"
#include "shell/startup.h"

static const char kUsage[] = "usage: quietharbour [--scale N] [--help] [--version]\n";

static void PrintHelp() {
    std::printf("%s\n"
                "Reads the interactive story book compiled into this program.\n\n"
                "  --scale N   show the 240 x 320 screen N times larger (1 to 4);\n"
                "              by default the largest that fits the desktop. The window can be\n"
                "              resized: the scale follows its size\n"
                "  --help      show this text\n"
                "  --version   show the version\n\n"
                "Keys:\n"
                "  Page Up, Page Down, Home, End, Up, Down   scroll the page (so does the wheel)\n"
                "  Tab, Shift+Tab   move the focus ring between the page's buttons and answer box\n"
                "  Return, Space    press the button with the focus ring\n"
                "  Return, Tab      in an answer box: give the answer (Shift+Tab leaves the box)\n"
                "  Escape           close the open menu, else go back to the story\n"
                "  F11              full screen on and off\n\n"
                "The reader's place is kept in $XDG_DATA_HOME/quietharbour/QTL2quietharbour.dat\n"
                "(by default ~/.local/share/quietharbour/).\n",
                kUsage);
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
        std::fprintf(stderr, "quietharbour: unknown argument '%s'\n%s", argv[i], kUsage);
        return 2;
    }
    return -1;
}

int main(int argc, char** argv) {
    int scale = 0;
    int early = ParseArguments(argc, argv, &scale);
    if (early >= 0) return early;

    UseBook(CompiledBook());
    if (!UseBackend(&kSdlBackend, scale)) {
        if (NoDisplayForWindow()) {
            std::fprintf(stderr, "quietharbour: there is no display to open a window on (neither DISPLAY nor "
                                 "WAYLAND_DISPLAY is set).\nqh-play runs the reader without one.\n");
            return 2;
        }
        std::fprintf(stderr, "quietharbour: cannot open a window on this desktop\n");
        return 1;
    }
    if (!StartReader(SW_SHOW)) {
        ActiveBackend()->close();
        std::exit(1);
    }
    int code = RunMessageLoop();
    StopReader();
    ActiveBackend()->close();
    return code;
}
