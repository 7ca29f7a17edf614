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
#include "platform/resources.h"
#include "tools/artwork/artwork.h"
#include "tools/bookc/in_memory.h"
#include "tools/play/explore.h"
#include "tools/play/player.h"

static const char kUsage[] =
    "usage: qh-play [--book FILE] [--state DIR] [--scale N] SCRIPT|-\n"
    "       qh-play [--book FILE] explore [--runs N] [--seed S] [--steps N] [--json]\n";

struct Options {
    std::string book, state, script;
    int scale = 1;
    bool explore = false;
    ExploreOptions exploring;
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
        if ((arg == "--book" || arg == "--state") && value) {
            (arg == "--book" ? options->book : options->state) = argv[++i];
        } else if (arg == "--scale" && value) {
            if (!NumberOption("--scale", argv[++i], 1, 4, &number)) return false;
            options->scale = int(number);
            SetPlayScale(options->scale);
        } else if (options->explore && arg == "--json") {
            options->exploring.json = true;
        } else if (options->explore && ParseExploreOption(arg, value, &options->exploring)) {
            ++i;
        } else if (!options->explore && options->script.empty() && arg == "explore") {
            options->explore = true;
        } else if (!options->explore && options->script.empty() && (arg == "-" || arg[0] != '-')) {
            options->script = arg;
        } else {
            std::fprintf(stderr, "qh-play: unexpected argument '%s'\n", arg.c_str());
            return false;
        }
    }
    return options->explore || !options->script.empty();
}

// The rendering of a .pic at a device scale above 1, as the packed program carries it.
static bool RegisterRendering(uint16_t id, const char* file, int scale, char* error, int errorSize) {
    Pixels pixels;
    ArtworkErrors errors;
    std::string problem;
    char rendered[] = "/tmp/qh-play-picture-XXXXXX";
    int fd = mkstemp(rendered);
    if (fd >= 0) close(fd);
    ResourceType type = scale == 2 ? ResourceType::BitmapAt2 : scale == 3 ? ResourceType::BitmapAt3 : ResourceType::BitmapAt4;
    bool ok = fd >= 0 && RenderPictureFile(file, scale, &pixels, &errors) && WritePng(pixels, rendered, &problem) &&
              RegisterResourceFile(type, id, nullptr, rendered, error, errorSize);
    if (fd >= 0) unlink(rendered);
    if (!errors.messages.empty() || !problem.empty())
        std::snprintf(error, errorSize, "%s", (JoinErrors(errors) + problem).c_str());
    return ok;
}

// A picture drawn as a .pic (tools/artwork) is rendered into a BMP first. The layer reads
// a registered file whole at once, so the rendering is removed right after.
static bool RegisterPicture(uint16_t id, const char* file, int scale, char* error, int errorSize) {
    if (!IsArtworkSource(file)) return RegisterResourceFile(ResourceType::Bitmap, id, nullptr, file, error, errorSize);
    if (scale > 1 && std::strstr(file, ".pic") && !RegisterRendering(id, file, scale, error, errorSize)) return false;
    std::vector<uint8_t> bmp;
    std::vector<std::string> inputs;
    ArtworkErrors errors;
    std::string problem;
    char rendered[] = "/tmp/qh-play-picture-XXXXXX";
    int fd = mkstemp(rendered);
    if (fd >= 0) close(fd);
    bool ok = fd >= 0 && BuildArtworkResource(file, &bmp, &inputs, &errors) && WriteWholeFile(rendered, bmp, &problem) &&
              RegisterResourceFile(ResourceType::Bitmap, id, nullptr, rendered, error, errorSize);
    if (fd >= 0) unlink(rendered);
    if (!errors.messages.empty() || !problem.empty())
        std::snprintf(error, errorSize, "%s", (JoinErrors(errors) + problem).c_str());
    return ok;
}

// The pictures and sounds of a book read from source come from its artwork files.
static bool RegisterArtwork(const BookTables& tables, int scale) {
    char error[256];
    for (int p = 0; p < kPictures; ++p) {
        const char* file = tables.artwork.pictureFiles ? tables.artwork.pictureFiles[p] : nullptr;
        if (!file || !*file) continue;
        if (!RegisterPicture(tables.pictures[p].bitmapId, file, scale, error, sizeof error)) {
            std::fprintf(stderr, "qh-play: %s\n", error);
            return false;
        }
    }
    for (int s = 0; s < kSounds; ++s) {
        const char* file = tables.artwork.soundFiles ? tables.artwork.soundFiles[s] : nullptr;
        if (!file || !*file) continue;
        if (!RegisterResourceFile(ResourceType::Wave, 0, tables.soundNames[s], file, error, sizeof error)) {
            std::fprintf(stderr, "qh-play: %s\n", error);
            return false;
        }
    }
    return true;
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
    std::unique_ptr<InMemoryBook> book;
    if (!options.book.empty()) {
        Diagnostics diag;
        diag.file = options.book;
        book = CompileBookInMemory(options.book, diag);
        if (!book || !RegisterArtwork(book->tables, options.scale)) return 1;
        UseBook(&book->tables);
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
    int code = options.explore ? ExploreReader(options.exploring)
                               : PlayScript(script, options.script == "-" ? "<stdin>" : options.script);
    if (script && script != stdin) std::fclose(script);
    if (temporary) std::filesystem::remove_all(state);
    return code;
}
