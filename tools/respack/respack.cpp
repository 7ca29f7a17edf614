// respack: packs the files named by one or more resource manifests into a C++ source
// that embeds them with the assembler's .incbin (no giant arrays for the compiler) and
// defines the lookup table that platform/resources.cpp reads.
//
//   respack --symbol NAME --output FILE.cpp [--depfile FILE.d] [--arrays] [--no-png] MANIFEST...
//
// --arrays writes byte arrays instead, for targets without .incbin (WebAssembly);
// --no-png is for a program without a PNG decoder (the web edition): vector pictures
// are packed at scale 1 only (decoded, their renderings at other scales would take too
// much room; the program scales them as other bitmaps), and a PNG
// picture named in a manifest is refused, with a word on what to use instead.
//
// Manifest lines ('#' starts a comment line; paths are relative to the manifest;
// "#from FILE:LINE" before an entry is the place messages about it name):
//   bitmap <id> <path>    wave <NAME> <path>    menu <id> <path>    rcdata <id> <path>
//   string <id> <text>    icon <id> <path>      font <id> <path>
// A file that is an artwork source (.pic, .grid, .words: tools/artwork) is first built
// into the resource it stands for, beside the output; the depfile names the sources.
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/artwork/artwork.h"

namespace {

struct Kind {
    const char* keyword;
    const char* typeName;   // the ResourceType enumerator
    bool byName;            // keyed by a NAME rather than a numeric id
    bool isText;            // the rest of the line is the content, not a path
};

// The renderings of a vector picture at device scales 2 to 4 (never named in a manifest).
const Kind kRenderings[] = {
    {"bitmap@2", "BitmapAt2", false, false},
    {"bitmap@3", "BitmapAt3", false, false},
    {"bitmap@4", "BitmapAt4", false, false},
};

const Kind kKinds[] = {
    {"bitmap", "Bitmap", false, false}, {"wave", "Wave", true, false},
    {"menu", "Menu", false, false},     {"rcdata", "Data", false, false},
    {"string", "String", false, true},  {"icon", "Icon", false, false},
    {"font", "Font", false, false},
};

constexpr size_t kMaxNameLength = 31;   // resources.h: kResourceNameLength - 1

struct Entry {
    const Kind* kind;
    unsigned id;
    std::string name;
    std::string path;          // absolute, for files
    std::u16string text;       // for strings
    std::string where;         // "manifest:line", for messages
    std::vector<std::string> inputs;   // an artwork source and what it reads, when path was built from them
};

struct Options {
    std::string symbol, output, depfile;
    std::vector<std::string> manifests;
    bool arrays = false;   // byte arrays instead of .incbin
    bool noPng = false;    // no PNG in the output: see --no-png
};

bool failed = false;

void Complain(const std::string& where, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", where.c_str(), message.c_str());
    failed = true;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Absolute(const std::string& path, const std::string& base) {
    std::string joined = path[0] == '/' ? path : base + "/" + path;
    char* real = realpath(joined.c_str(), nullptr);
    if (!real) return joined;   // reported as unreadable when it is opened
    std::string result = real;
    std::free(real);
    return result;
}

// Reads the first bytes of a file for the format check; false when it cannot be read.
bool ReadHead(const std::string& path, unsigned char* head, size_t want, size_t* got,
              long* size) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    *got = std::fread(head, 1, want, f);
    std::fseek(f, 0, SEEK_END);
    *size = std::ftell(f);
    std::fclose(f);
    return true;
}

// Says what is wrong with the content of a file of this kind, or returns null.
const char* FormatProblem(const Kind& kind, const unsigned char* head, size_t got, long size) {
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size <= 0) return "the file is empty";
    if (size > 0x7FFFFFFF) return "the file is too large";
    if (!std::strcmp(kind.keyword, "bitmap")) {
        bool bmp = got >= 2 && head[0] == 'B' && head[1] == 'M';
        bool png = got >= 8 && !std::memcmp(head, kPng, 8);
        if (!bmp && !png) return "not a BMP or PNG picture";
    } else if (!std::strcmp(kind.keyword, "wave")) {
        if (got < 12 || std::memcmp(head, "RIFF", 4) || std::memcmp(head + 8, "WAVE", 4))
            return "not a RIFF WAVE recording";
    } else if (!std::strcmp(kind.keyword, "font")) {
        bool sfnt = got >= 4 && (!std::memcmp(head, "\0\1\0\0", 4) ||
                                 !std::memcmp(head, "OTTO", 4) || !std::memcmp(head, "true", 4));
        if (!sfnt) return "not a TrueType or OpenType font";
    }
    return nullptr;
}

void CheckFile(const Entry& e) {
    unsigned char head[16];
    size_t got = 0;
    long size = 0;
    if (!ReadHead(e.path, head, sizeof head, &got, &size)) {
        Complain(e.where, "cannot read " + e.path + ": " + std::strerror(errno));
        return;
    }
    if (const char* problem = FormatProblem(*e.kind, head, got, size))
        Complain(e.where, e.path + ": " + problem);
}

bool ParseId(const std::string& word, unsigned* id) {
    if (word.empty() || word.size() > 5 || word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *id = unsigned(std::atoi(word.c_str()));
    return *id <= 0xFFFF;
}

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (char c : name)
        if (!(std::isalnum((unsigned char)c) || c == '_')) return false;
    return true;
}

// Splits "kind key rest" at the first two runs of blanks; rest keeps inner blanks.
void SplitLine(const std::string& line, std::string* kind, std::string* key, std::string* rest) {
    size_t a = line.find_first_of(" \t");
    *kind = line.substr(0, a);
    size_t b = a == std::string::npos ? a : line.find_first_not_of(" \t", a);
    size_t c = b == std::string::npos ? b : line.find_first_of(" \t", b);
    *key = b == std::string::npos ? "" : line.substr(b, c - b);
    size_t d = c == std::string::npos ? c : line.find_first_not_of(" \t", c);
    *rest = d == std::string::npos ? "" : line.substr(d);
}

const Kind* FindKind(const std::string& keyword) {
    for (const Kind& k : kKinds)
        if (keyword == k.keyword) return &k;
    return nullptr;
}

void ParseLine(const std::string& line, const std::string& where, const std::string& base,
               std::vector<Entry>* entries) {
    std::string keyword, key, rest;
    SplitLine(line, &keyword, &key, &rest);
    Entry e{FindKind(keyword), 0, "", "", u"", where};
    if (!e.kind) return Complain(where, "unknown resource kind \"" + keyword + "\"");
    if (e.kind->byName) {
        if (!ValidName(key))
            return Complain(where, "a " + keyword + " name is 1 to 31 letters, digits or '_'");
        e.name = key;
    } else if (!ParseId(key, &e.id)) {
        return Complain(where, "a " + keyword + " id is a number from 0 to 65535");
    }
    if (e.kind->isText) {
        if (!DecodeUtf8(rest, &e.text)) return Complain(where, "the text is not valid UTF-8");
    } else {
        if (rest.empty()) return Complain(where, "a " + keyword + " needs a file");
        e.path = Absolute(rest, base);
        if (!IsArtworkSource(e.path)) CheckFile(e);
    }
    entries->push_back(e);
}

std::string Trimmed(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    return start == std::string::npos ? "" : line.substr(start);
}

void ReadManifest(const std::string& path, std::vector<Entry>* entries) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return Complain(path, std::string("cannot read the manifest: ") + std::strerror(errno));
    std::string base = FolderOf(Absolute(path, "."));
    char buffer[4096];
    int lineNumber = 0;
    std::string line, from;
    while (std::fgets(buffer, sizeof buffer, f)) {
        line += buffer;
        if (line.back() != '\n' && !std::feof(f)) continue;   // a line longer than the buffer
        ++lineNumber;
        std::string text = Trimmed(line.substr(0, line.find('\n')));
        line.clear();
        if (text.compare(0, 6, "#from ") == 0) {   // where a book declared the next entry
            from = text.substr(6);
            continue;
        }
        if (text.empty() || text[0] == '#') continue;
        ParseLine(text, from.empty() ? path + ":" + std::to_string(lineNumber) : from, base, entries);
        from.clear();
    }
    std::fclose(f);
}

bool SameKey(const Entry& a, const Entry& b) {
    if (a.kind != b.kind) return false;
    if (!a.kind->byName) return a.id == b.id;
    return strcasecmp(a.name.c_str(), b.name.c_str()) == 0;
}

void CheckDuplicates(const std::vector<Entry>& entries) {
    for (size_t i = 0; i < entries.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (SameKey(entries[i], entries[j]))
                Complain(entries[i].where, std::string("this ") + entries[i].kind->keyword +
                                               " was already given at " + entries[j].where);
}

// A string literal for the assembler or C++: quotes, backslashes and control bytes escaped.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string Label(const Options& o, size_t index, const char* edge) {
    return o.symbol + "_" + std::to_string(index) + "_" + edge;
}

// The assembler part: one aligned, labelled blob per resource, in read-only data.
std::string AssemblyFor(const Options& o, const std::vector<Entry>& entries) {
    std::string s = "__asm__(\n    \".section .rodata." + o.symbol + ",\\\"a\\\"\\n\"\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        std::string begin = Label(o, i, "begin"), end = Label(o, i, "end");
        s += "    \".balign 16\\n\"\n";
        s += "    \".globl " + begin + "\\n.hidden " + begin + "\\n" + begin + ":\\n\"\n";
        if (e.kind->isText && !e.text.empty()) {
            s += "    \".2byte ";
            for (char16_t unit : e.text) s += std::to_string(unsigned(unit)) + ",";
            s.back() = '\\';
            s += "n\"\n";
        } else if (!e.kind->isText) {
            s += "    \".incbin " + Quoted(Quoted(e.path).c_str()).substr(1);
            s.pop_back();
            s += "\\n\"\n";
        }
        s += "    \".globl " + end + "\\n.hidden " + end + "\\n" + end + ":\\n\"\n";
        if (e.kind->isText) s += "    \".2byte 0\\n\"\n";   // the terminator, outside the blob
    }
    s += "    \".previous\\n\");\n\n";
    return s;
}

// A UTF-16 literal of an ASCII name.
std::string NameLiteral(const Entry& e) {
    return e.kind->byName ? "u" + Quoted(e.name) : std::string("nullptr");
}

std::string TableFor(const Options& o, const std::vector<Entry>& entries) {
    std::string s;
    for (size_t i = 0; i < entries.size(); ++i)
        s += "extern \"C\" const uint8_t " + Label(o, i, "begin") + "[], " + Label(o, i, "end") + "[];\n";
    std::string table = o.symbol + "_entries";
    if (!entries.empty()) {
        s += "\nstatic const PackedResource " + table + "[] = {\n";
        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry& e = entries[i];
            s += "    {ResourceType::" + std::string(e.kind->typeName) + ", " + std::to_string(e.id) +
                 ", " + NameLiteral(e) + ", " + Label(o, i, "begin") + ", " + Label(o, i, "end") + "},\n";
        }
        s += "};\n";
    }
    s += "\nextern const PackedResourceTable " + o.symbol + ";\n";
    s += "const PackedResourceTable " + o.symbol + " = {" + (entries.empty() ? "nullptr" : table) +
         ", " + std::to_string(entries.size()) + "};\n";
    return s;
}

// The byte-array form, for targets whose assembler cannot place a file in data (the
// web edition's WebAssembly): the compiler sees every byte, which is slower but the
// same table.
bool ReadBytes(const std::string& path, std::vector<uint8_t>* bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes->insert(bytes->end(), buffer, buffer + got);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

std::string ArraysFor(const Options& o, const std::vector<Entry>& entries) {
    std::string s, table = o.symbol + "_entries";
    std::vector<size_t> sizes;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        std::vector<uint8_t> bytes;
        if (e.kind->isText) {
            for (char16_t unit : e.text) bytes.push_back(uint8_t(unit)), bytes.push_back(uint8_t(unit >> 8));
        } else if (!ReadBytes(e.path, &bytes)) {
            Complain(e.where, "cannot read " + e.path + ": " + std::strerror(errno));
        }
        sizes.push_back(bytes.size());
        if (e.kind->isText) bytes.push_back(0), bytes.push_back(0);   // the terminator, outside the blob
        s += "alignas(16) static const uint8_t " + Label(o, i, "data") + "[] = {";
        for (size_t b = 0; b < bytes.size(); ++b) s += (b % 32 ? "" : "\n") + std::to_string(bytes[b]) + ",";
        s += "0};\n";
    }
    if (!entries.empty()) {
        s += "\nstatic const PackedResource " + table + "[] = {\n";
        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry& e = entries[i];
            std::string data = Label(o, i, "data");
            s += "    {ResourceType::" + std::string(e.kind->typeName) + ", " + std::to_string(e.id) + ", " +
                 NameLiteral(e) + ", " + data + ", " + data + " + " + std::to_string(sizes[i]) + "},\n";
        }
        s += "};\n";
    }
    s += "\nextern const PackedResourceTable " + o.symbol + ";\n";
    s += "const PackedResourceTable " + o.symbol + " = {" + (entries.empty() ? "nullptr" : table) +
         ", " + std::to_string(entries.size()) + "};\n";
    return s;
}

std::string SourceFor(const Options& o, const std::vector<Entry>& entries) {
    std::string s = "// Generated by respack from";
    for (const std::string& m : o.manifests) s += " " + m;
    s += "; do not edit.\n#include <cstdint>\n\n#include \"platform/resources.h\"\n\n";
    if (o.arrays) return s + ArraysFor(o, entries);
    if (!entries.empty()) s += AssemblyFor(o, entries);
    return s + TableFor(o, entries);
}

std::string DepfileFor(const Options& o, const std::vector<Entry>& entries) {
    auto escaped = [](const std::string& path) {
        std::string out;
        for (char c : path) {
            if (c == ' ' || c == '#' || c == '\\') out += '\\';
            if (c == '$') out += '$';
            out += c;
        }
        return out;
    };
    std::string s = escaped(o.output) + ":";
    for (const std::string& m : o.manifests) s += " \\\n  " + escaped(Absolute(m, "."));
    for (const Entry& e : entries) {
        if (e.kind->isText) continue;
        if (e.inputs.empty()) s += " \\\n  " + escaped(e.path);
        for (const std::string& input : e.inputs) s += " \\\n  " + escaped(input);
    }
    return s + "\n";
}

// Writes through a temporary file so that a failed run never leaves half a file.
bool WriteWhole(const std::string& path, const std::string& content) {
    std::string temporary = path + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    bool ok = f && std::fwrite(content.data(), 1, content.size(), f) == content.size();
    ok = f && std::fclose(f) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    std::fprintf(stderr, "respack: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    std::remove(temporary.c_str());
    return false;
}

// A bitmap drawn from vectors is also rendered at device scales 2 to 4, packed beside
// it in the run-length form (platform/images.h), so the reader shows it sharp at every
// size and decodes it in a moment when a page first shows it.
void AddRenderings(const std::string& folder, size_t index, const Entry& e, std::vector<Entry>* renderings) {
    for (int scale = 2; scale <= 4; ++scale) {
        Pixels pixels;
        ArtworkErrors errors;
        std::string problem, built = folder + "/" + std::to_string(index) + "@" + std::to_string(scale) + ".qhrl";
        if (!RenderPictureFile(e.inputs.front(), scale, &pixels, &errors) ||
            !WriteWholeFile(built, EncodeRunLength(pixels), &problem)) {
            Complain(e.where, "cannot render " + e.inputs.front() + " at scale " + std::to_string(scale) + problem);
            std::fputs(JoinErrors(errors).c_str(), stderr);
            return;
        }
        Entry rendering = e;
        rendering.kind = &kRenderings[scale - 2];
        rendering.path = built;
        renderings->push_back(rendering);
    }
}

// Builds each artwork source into OUTPUT.art/<n>.bin and packs that file instead.
void BuildArtworkSources(const Options& o, std::vector<Entry>* entries) {
    std::string folder = o.output + ".art";
    std::vector<Entry> renderings;
    for (size_t i = 0; i < entries->size(); ++i) {
        Entry& e = (*entries)[i];
        if (e.kind->isText || !IsArtworkSource(e.path)) continue;
        std::vector<uint8_t> bytes;
        ArtworkErrors errors;
        std::string problem, built = folder + "/" + std::to_string(i) + ".bin";
        if (!BuildArtworkResource(e.path, &bytes, &e.inputs, &errors)) {
            Complain(e.where, "cannot build " + e.path);
            std::fputs(JoinErrors(errors).c_str(), stderr);
            continue;
        }
        mkdir(folder.c_str(), 0777);
        if (!WriteWholeFile(built, bytes, &problem)) {
            Complain(e.where, problem);
            continue;
        }
        e.path = built;
        CheckFile(e);
        if (!o.noPng && !std::strcmp(e.kind->keyword, "bitmap") && e.path.size() > 0 && e.inputs.front().size() > 4 &&
            e.inputs.front().compare(e.inputs.front().size() - 4, 4, ".pic") == 0)
            AddRenderings(folder, i, e, &renderings);
    }
    entries->insert(entries->end(), renderings.begin(), renderings.end());
}

void RefusePng(const std::vector<Entry>& entries) {
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Entry& e : entries) {
        unsigned char head[8];
        size_t got = 0;
        long size = 0;
        if (e.kind->isText || !ReadHead(e.path, head, sizeof head, &got, &size)) continue;
        if (got == 8 && !std::memcmp(head, kPng, 8))
            Complain(e.where, e.path + ": a PNG picture, which this program cannot show; save it as a BMP");
    }
}

bool ValidSymbol(const std::string& symbol) {
    if (symbol.empty() || std::isdigit((unsigned char)symbol[0])) return false;
    for (char c : symbol)
        if (!(std::isalnum((unsigned char)c) || c == '_')) return false;
    return true;
}

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--symbol" && hasValue) o->symbol = argv[++i];
        else if (arg == "--output" && hasValue) o->output = argv[++i];
        else if (arg == "--depfile" && hasValue) o->depfile = argv[++i];
        else if (arg == "--arrays") o->arrays = true;
        else if (arg == "--no-png") o->noPng = true;
        else if (arg.size() > 1 && arg[0] == '-') return false;
        else o->manifests.push_back(arg);
    }
    return ValidSymbol(o->symbol) && !o->output.empty() && !o->manifests.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: respack --symbol NAME --output FILE.cpp [--depfile FILE.d] [--arrays] [--no-png] MANIFEST...\n");
        return 2;
    }
    std::vector<Entry> entries;
    for (const std::string& manifest : options.manifests) ReadManifest(manifest, &entries);
    CheckDuplicates(entries);
    if (!failed) BuildArtworkSources(options, &entries);
    if (!failed && options.noPng) RefusePng(entries);
    if (failed) return 1;
    if (!options.depfile.empty() && !WriteWhole(options.depfile, DepfileFor(options, entries))) return 1;
    return WriteWhole(options.output, SourceFor(options, entries)) ? 0 : 1;
}
