// Option parsing and the order of the compiler's passes: read, finish, check, lay
// out the pools, and only when nothing failed, write the outputs.
#include "tools/bookc/driver.h"

#include <cstdio>
#include <memory>
#include <set>

#include "platform/tool_files.h"
#include "tools/bookc/artwork.h"
#include "tools/bookc/codegen.h"
#include "tools/bookc/graph.h"
#include "tools/bookc/lint.h"
#include "tools/bookc/source_reader.h"
#include "tools/bookc/word_pools.h"

namespace {

struct Options {
    std::string book, output, manifest, map, coverage;
    long poolLimit = kPoolStringLimit;
    bool stats = false, check = false, graph = false, help = false;
};

const char kUsage[] =
    "usage: qh-bookc [options] BOOK\n"
    "  -o FILE           write the book's tables as C++ to FILE\n"
    "  --manifest FILE   write the artwork list (bitmap ID PATH / wave NAME PATH) to FILE\n"
    "  --pool-limit N    bytes of distinct words per pool, 1 to 65536 (default 65536)\n"
    "  --stats           print the word pools' sizes\n"
    "  --check           check the book and write nothing\n"
    "  --werror          treat warnings as errors\n"
    "  --graph           print the paragraph graph in Graphviz dot\n"
    "  --map FILE.svg    draw the paragraph graph: titles and names, endings, dead ends\n"
    "                    and paragraphs out of reach marked\n"
    "  --coverage FILE   with --map: colour the paragraphs that the readings of FILE\n"
    "                    (qh-play explore --json) never reached\n";

}  // namespace

static bool ParsePoolLimit(const std::string& text, long& value) {
    if (text.empty() || text.size() > 6) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= kPoolStringLimit;
}

// Takes the value of an option that needs one; reports when it is missing.
static bool OptionValue(const std::vector<std::string>& args, size_t& i, Diagnostics& diag, std::string& value) {
    if (i + 1 >= args.size()) {
        ReportToolError(diag, "%s needs a value", args[i].c_str());
        return false;
    }
    value = args[++i];
    return true;
}

static bool ParseOption(const std::vector<std::string>& args, size_t& i, Options& o, Diagnostics& diag) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "-o") return OptionValue(args, i, diag, o.output);
    if (arg == "--manifest") return OptionValue(args, i, diag, o.manifest);
    if (arg == "--map") return OptionValue(args, i, diag, o.map);
    if (arg == "--coverage") return OptionValue(args, i, diag, o.coverage);
    if (arg == "--pool-limit") {
        if (!OptionValue(args, i, diag, value)) return false;
        if (ParsePoolLimit(value, o.poolLimit)) return true;
        ReportToolError(diag, "--pool-limit needs a number of bytes from 1 to %d, not '%s'", kPoolStringLimit, value.c_str());
        return false;
    }
    if (arg == "--stats") return o.stats = true;
    if (arg == "--check") return o.check = true;
    if (arg == "--graph") return o.graph = true;
    if (arg == "--werror") return diag.warningsAreErrors = true;
    if (arg == "--help" || arg == "-h") return o.help = true;
    if (arg.size() > 1 && arg[0] == '-') {
        ReportToolError(diag, "unknown option '%s'", arg.c_str());
        return false;
    }
    if (!o.book.empty()) {
        ReportToolError(diag, "one book at a time: '%s' and '%s'", o.book.c_str(), arg.c_str());
        return false;
    }
    o.book = arg;
    return true;
}

static bool ParseOptions(const std::vector<std::string>& args, Options& o, Diagnostics& diag) {
    for (size_t i = 0; i < args.size(); i++)
        if (!ParseOption(args, i, o, diag)) return false;
    if (o.help) return true;
    if (o.book.empty()) {
        ReportToolError(diag, "no book file given");
        return false;
    }
    if (o.output.empty() && o.manifest.empty() && o.map.empty() && !o.check && !o.stats && !o.graph) {
        ReportToolError(diag, "nothing to do: give -o FILE, --manifest FILE, --check, --stats, --graph or --map FILE");
        return false;
    }
    if (!o.coverage.empty() && o.map.empty()) {
        ReportToolError(diag, "--coverage goes with --map");
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& content, Diagnostics& diag) {
    char why[kToolReasonBytes];
    if (WriteToolOutput(path.c_str(), content.data(), content.size(), why, sizeof why)) return true;
    ReportToolError(diag, "%s", why);
    return false;
}

static int WriteOutputs(const Options& o, const BookModel& book, const PoolLayout& layout, Diagnostics& diag) {
    if (!o.output.empty() && !WriteFileAtomically(o.output, GenerateTables(book, layout), diag)) return 1;
    if (!o.manifest.empty() && !WriteFileAtomically(o.manifest, ArtworkManifest(book), diag)) return 1;
    return 0;
}

// The map, drawn with the coverage report's never-reached paragraphs when one is given.
static int WriteMap(const Options& o, const BookModel& book, MapRenderer drawMap, Diagnostics& diag) {
    if (!drawMap) {
        ReportToolError(diag, "this program draws no maps; qh-bookc --map does");
        return 1;
    }
    std::set<int> unreached;
    if (!o.coverage.empty() && !ReadUnreached(o.coverage, diag, unreached)) return 1;
    std::string error;
    if (drawMap(ParagraphMapDot(book, o.coverage.empty() ? nullptr : &unreached), o.map, &error)) return 0;
    ReportToolError(diag, "%s", error.c_str());
    return 1;
}

int RunBookCompiler(const std::vector<std::string>& args, Diagnostics& diag, std::string& standardOut,
                    MapRenderer drawMap, LabelWidth labelWidth) {
    Options o;
    if (!ParseOptions(args, o, diag)) return 2;
    if (o.help) {
        standardOut += kUsage;
        return 0;
    }
    diag.file = o.book;
    diag.limitsAreErrors = o.check;
    auto book = std::make_unique<BookModel>();
    PoolLayout layout;
    if (ReadBookSource(o.book, diag, *book) && FinishBook(*book, diag)) {
        if (o.check) CheckBook(*book, diag, labelWidth);
        LayOutWordPools(*book, static_cast<int>(o.poolLimit), diag, layout);
    }
    if (HasFailed(diag)) return 1;
    if (o.stats) standardOut += PoolStatistics(*book, layout);
    if (o.graph) standardOut += ParagraphGraphDot(*book);
    if (!o.map.empty() && WriteMap(o, *book, drawMap, diag) != 0) return 1;
    return o.check ? 0 : WriteOutputs(o, *book, layout, diag);
}
