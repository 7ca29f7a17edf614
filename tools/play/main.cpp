// qh-play: the reader without a window, driven by a script of taps, keys and waits;
// prints page dumps and writes screenshots. With --book it reads a book source
// instead of the built-in book, so an author sees a change at once.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "book/book_tables.h"
#include "tools/bookc/in_memory.h"
#include "tools/play/explore.h"
#include "tools/play/paragraph_labels.h"
#include "driver/player.h"
#include "tools/preview/book_artwork.h"

static const char kUsage[] =
    "usage: qh-play [--book FILE] [--state DIR] [--scale N] SCRIPT|-\n"
    "       qh-play [--book FILE] explore [--runs N] [--seed S] [--steps N] [--json] [--coverage]\n"
    "       qh-play [--book FILE] route N [--runs N] [--seed S] [--steps N]\n";

// --help: the usage, then the script language, one command a line.
static const char kScriptLanguage[] =
    "\n"
    "Runs the reader without a window, on the built-in book or on --book FILE read from\n"
    "its source, with the save file in --state DIR (default: a fresh temporary folder).\n"
    "SCRIPT holds one command a line ('-': standard input, each line run as it arrives);\n"
    "'#' starts a comment line. A line that cannot be carried out stops the run with\n"
    "FILE:LINE: error: ... and exit code 1. Texts are in double quotes, \\\" and \\\\ escaped.\n"
    "\n"
    "  tap X Y            stylus tap at screen pixel (X, Y), 0-239, 0-319\n"
    "  tap \"LABEL\"        tap the visible word button with this label\n"
    "  control N          press the page's control N: entry box 4000 + n, button 5000 + n,\n"
    "                     the sound page's check box 518 and its Ok 519, ...\n"
    "  type \"TEXT\"        type into the focused entry box, a key press a character\n"
    "  key NAME           Return Tab Shift+Tab Space Escape Up Down Left Right PageUp\n"
    "                     PageDown Home End F10 Alt, or a letter A-Z (a menu item's\n"
    "                     underlined letter): the keys of keyboard play below\n"
    "  wheel N            turn the mouse wheel N notches (negative: up)\n"
    "  menu \"ITEM\"        choose the menu item with this text (without '&')\n"
    "  tool NAME          help restart information back previous next\n"
    "  answer yes|no|ok   how the next message boxes are answered (default ok / yes);\n"
    "  answer keys        or shown, for the keys to answer\n"
    "  wait MS            advance the clock; timers fire\n"
    "  seed N             seed the random source, for repeatable draws\n"
    "  goto N             open paragraph N in the story (the splash pages are skipped)\n"
    "  dump               print the page: items, controls, messages and sounds since\n"
    "                     the last dump\n"
    "  state              print the story state: var N B0 B1, restart R paragraph=P, sound N\n"
    "  screenshot FILE    write the screen as PNG, at the device scale of --scale N\n"
    "  exit               choose Exit; the reader shuts down and saves\n"
    "\n"
    "Keyboard play: Tab and Shift+Tab walk every control on the screen, the page's buttons\n"
    "and answer boxes in page order, then the bar's shown buttons (\"Menu\" first), round;\n"
    "with nothing focused Shift+Tab goes to the last. Return or Space press. F10, or Alt\n"
    "alone, opens the menu at its first item: Up and Down move, Return chooses, a letter\n"
    "chooses its item, Escape closes. In a message box Left, Right and Tab move between\n"
    "the buttons, Return presses, Escape is No. Escape elsewhere is the back tool. While\n"
    "the keys have put the focus somewhere, dump prints it after tools: focus control N,\n"
    "focus tool NAME (menu for \"Menu\"), focus menu ID (the marked item), focus box\n"
    "yes|no|ok.\n"
    "\n"
    "explore plays --runs random readings (default 100) of at most --steps actions from a\n"
    "fresh start and reports paragraphs never reached, message boxes (exit code 1) and\n"
    "pages without a way on; --coverage adds every condition block's taken and skipped\n"
    "counts, the blocks never taken and the variables that never changed; --json prints\n"
    "the report as JSON.\n"
    "\n"
    "route N prints a script that reaches paragraph N from a fresh start: the shortest\n"
    "that --runs readings (default 300) find, each from its own seed. Its length and\n"
    "seed go to standard error; exit code 1 when no reading reached N.\n";

struct Options {
    std::string book, state, script;
    int scale = 1;
    bool explore = false;
    bool route = false;
    bool help = false;
    ExploreOptions exploring;
    RouteOptions routing;
};

// A whole number from low to high for option `name`, or false with a message.
static bool NumberOption(const char* name, const char* text, long low, long high, long* value) {
    char* end = nullptr;
    *value = std::strtol(text, &end, 10);
    if (*end == 0 && *value >= low && *value <= high) return true;
    std::fprintf(stderr, "qh-play: %s takes a whole number from %ld to %ld, not '%s'\n", name, low, high, text);
    return false;
}

static bool ParseExploreOption(const std::string& arg, const char* value, ExploreOptions* e) {
    long number = 0;
    if (arg == "--runs" && value && NumberOption("--runs", value, 1, 1000000, &number)) e->runs = int(number);
    else if (arg == "--seed" && value && NumberOption("--seed", value, 0, 4294967295L, &number)) e->seed = uint32_t(number);
    else if (arg == "--steps" && value && NumberOption("--steps", value, 1, 100000, &number)) e->steps = int(number);
    else return false;
    return true;
}

static bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long number = 0;
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if ((arg == "--book" || arg == "--state") && value) {
            (arg == "--book" ? options->book : options->state) = argv[++i];
        } else if (arg == "--scale" && value) {
            if (!NumberOption("--scale", argv[++i], 1, 4, &number)) return false;
            options->scale = int(number);
            SetPlayScale(options->scale);
        } else if (options->explore && arg == "--json") {
            options->exploring.json = true;
        } else if (options->explore && arg == "--coverage") {
            options->exploring.coverage = true;
        } else if (options->explore && ParseExploreOption(arg, value, &options->exploring)) {
            ++i;
            options->routing.runs = arg == "--runs" ? options->exploring.runs : options->routing.runs;
            options->routing.seed = options->exploring.seed;
            options->routing.steps = options->exploring.steps;
        } else if (!options->explore && options->script.empty() && arg == "explore") {
            options->explore = true;
        } else if (!options->explore && options->script.empty() && arg == "route" && value) {
            if (!NumberOption("route", argv[++i], 1, kParagraphRows, &number)) return false;
            options->route = options->explore = true;
            options->routing.paragraph = int(number);
        } else if (!options->explore && options->script.empty() && (arg == "-" || arg[0] != '-')) {
            options->script = arg;
        } else {
            std::fprintf(stderr, "qh-play: unexpected argument '%s'\n", arg.c_str());
            return false;
        }
    }
    return options->help || options->explore || !options->script.empty();
}

// Without --state the save file lives in a fresh folder that is removed at the end.
static std::string MakeStateFolder(const std::string& given, bool* temporary) {
    *temporary = given.empty();
    if (!given.empty()) return given;
    char pattern[] = "/tmp/qh-play-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "";
}

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        std::fputs(kScriptLanguage, stdout);
        return 0;
    }
    std::unique_ptr<InMemoryBook> book;
    if (!options.book.empty()) {
        Diagnostics diag;
        diag.file = options.book;
        book = CompileBookInMemory(options.book, diag);
        char problem[256] = "";
        if (book && !RegisterBookArtwork(book->tables, options.scale, problem, sizeof problem))
            std::fprintf(stderr, "qh-play: %s\n", problem);
        if (!book || problem[0]) return 1;
        UseBook(&book->tables);
        UseParagraphNames(book->paragraphNames);
    } else {
        UseBook(CompiledBook());
    }
    std::FILE* script = nullptr;
    if (!options.explore) {
        script = options.script == "-" ? stdin : std::fopen(options.script.c_str(), "r");
        if (!script) {
            std::fprintf(stderr, "qh-play: cannot read the script %s\n", options.script.c_str());
            return 1;
        }
    }
    bool temporary = false;
    std::string state = MakeStateFolder(options.state, &temporary);
    if (state.empty()) {
        std::fprintf(stderr, "qh-play: cannot make a folder for the save file\n");
        return 1;
    }
    setenv("XDG_DATA_HOME", std::filesystem::absolute(state).c_str(), 1);
    int code = options.route     ? RouteReader(options.routing)
               : options.explore ? ExploreReader(options.exploring)
                                 : PlayScript(script, options.script == "-" ? "<stdin>" : options.script);
    if (script && script != stdin) std::fclose(script);
    if (temporary) std::filesystem::remove_all(state);
    return code;
}
