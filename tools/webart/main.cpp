// qh-webart: the web edition's pictures, made here where the decoders are (libpng, the
// .pic renderer), so that the browser module carries none:
//   - the book's artwork at scale 1 for the module's packer, each PNG turned into a
//     24-bit BMP (the module reads BMP only); messages name the book's lines;
//   - every picture, the program's own and the book's, at device scales 2 to 4 exactly
//     as the desktop reader draws it at that scale, as PNG, one file per scale
//     (pictures-S.bin) that the browser decodes; a reader fetches only its own scale;
//   - the web app manifest: the book's title as its name, the logo picture as its icons.
//
//   qh-webart --book BOOK --program MANIFEST --manifest OUT --web DIR
//
// Sections: options / registering the pictures / scale 1 / the scale files / the app manifest / main
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/images.h"
#include "platform/resources.h"
#include "tools/artwork/artwork.h"
#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"
#include "tools/bookc/source_reader.h"
#include "tools/preview/book_artwork.h"

namespace {

// ============================================================================
// Options
// ============================================================================

struct Options {
    std::string book, program, manifest, web;
};

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i], value = argv[i + 1];
        if (arg == "--book") o->book = value;
        else if (arg == "--program") o->program = value;
        else if (arg == "--manifest") o->manifest = value;
        else if (arg == "--web") o->web = value;
        else return false;
    }
    return argc % 2 == 1 && !o->book.empty() && !o->program.empty() && !o->manifest.empty() && !o->web.empty();
}

// ============================================================================
// Registering the pictures, as qh-play --book does, so every later lookup goes through
// the reader's own decoding and scaling.
// ============================================================================

struct PictureFile {
    uint16_t id;
    std::string path;
    std::string where;   // "FILE:LINE" for messages
    bool fromBook;
};

// The bitmap lines of the program's resource manifest ("bitmap ID PATH", paths relative
// to the manifest); the other kinds are packed into the module as they are.
bool ReadProgramPictures(const std::string& manifest, std::vector<PictureFile>* out) {
    std::string text, problem;
    if (!ReadWholeFile(manifest, &text, &problem)) {
        std::fprintf(stderr, "qh-webart: %s\n", problem.c_str());
        return false;
    }
    std::string folder = manifest.substr(0, manifest.rfind('/') + 1);
    int line = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string row = text.substr(at, end - at);
        at = end + 1;
        ++line;
        unsigned id = 0;
        char path[512];
        if (std::sscanf(row.c_str(), "bitmap %u %511s", &id, path) == 2 && id <= 0xFFFF)
            out->push_back({uint16_t(id), path[0] == '/' ? path : folder + path, manifest + ":" + std::to_string(line), false});
    }
    return true;
}

bool RegisterAll(const std::vector<PictureFile>& pictures) {
    bool ok = true;
    for (const PictureFile& p : pictures) {
        char error[256];
        DecodedImage image;
        if (!RegisterPictureFile(p.id, p.path.c_str(), 0, error, sizeof error)) {
            std::fprintf(stderr, "%s: error: %s: %s\n", p.where.c_str(), p.path.c_str(), error);
            ok = false;
        } else if (!LoadBitmapResource(p.id, &image)) {   // the reason is on stderr above
            std::fprintf(stderr, "%s: error: %s is not a picture the reader can show\n", p.where.c_str(), p.path.c_str());
            ok = false;
        }
    }
    return ok;
}

// ============================================================================
// Scale 1: the manifest the module's packer reads
// ============================================================================

bool IsPngFile(const std::string& path) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    unsigned char head[8] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    size_t got = f ? std::fread(head, 1, sizeof head, f) : 0;
    if (f) std::fclose(f);
    return got == 8 && std::memcmp(head, kSignature, 8) == 0;
}

Pixels PixelsOf(const DecodedImage& image) {
    Pixels p;
    p.width = image.width;
    p.height = image.height;
    p.rgb.assign(image.pixels, image.pixels + size_t(image.width) * image.height);
    return p;
}

bool WriteScaleOneManifest(const Options& o, const BookModel& book, const std::vector<PictureFile>& pictures) {
    std::string out, folder = o.manifest + ".art", problem;
    mkdir(folder.c_str(), 0777);
    for (const PictureFile& p : pictures) {
        if (!p.fromBook) continue;
        std::string path = p.path;
        if (IsPngFile(path)) {
            DecodedImage image;
            path = folder + "/" + std::to_string(p.id) + ".bmp";
            if (!LoadBitmapResource(p.id, &image) || !WriteWholeFile(path, EncodeBmp24(PixelsOf(image)), &problem)) {
                std::fprintf(stderr, "%s: error: %s\n", p.where.c_str(), problem.c_str());
                return false;
            }
        }
        out += "#from " + p.where + "\nbitmap " + std::to_string(p.id) + " " + path + "\n";
    }
    for (const SoundSource& sound : book.sounds)
        if (sound.declared)
            out += "#from " + book.sourcePath + ":" + std::to_string(sound.pos.line) + "\nwave " + sound.name + " " +
                   sound.path + "\n";
    if (WriteWholeFile(o.manifest, std::vector<uint8_t>(out.begin(), out.end()), &problem)) return true;
    std::fprintf(stderr, "qh-webart: %s\n", problem.c_str());
    return false;
}

// ============================================================================
// The scale files: "QHPX", a count, then per picture its id, offset and size (32-bit
// little-endian, offsets from the start of the file), then the PNGs.
// ============================================================================

void PutLittle32(std::vector<uint8_t>* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(uint8_t(v >> (8 * i)));
}

bool PngBytes(const Pixels& pixels, std::vector<uint8_t>* out) {
    char path[] = "/tmp/qh-webart-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return false;
    close(fd);
    std::string problem, bytes;
    bool ok = WritePng(pixels, path, &problem) && ReadWholeFile(path, &bytes, &problem);
    unlink(path);
    if (!ok) std::fprintf(stderr, "qh-webart: %s\n", problem.c_str());
    out->assign(bytes.begin(), bytes.end());
    return ok;
}

bool WriteScaleFile(const Options& o, const std::vector<PictureFile>& pictures, int scale) {
    std::vector<std::vector<uint8_t>> pngs;
    std::vector<uint16_t> ids;
    for (const PictureFile& p : pictures) {
        DecodedImage image;
        std::vector<uint8_t> png;
        if (!LoadScaledBitmap(p.id, scale, &image) || !PngBytes(PixelsOf(image), &png)) {
            std::fprintf(stderr, "%s: error: %s cannot be drawn at scale %d\n", p.where.c_str(), p.path.c_str(), scale);
            return false;
        }
        ids.push_back(p.id);
        pngs.push_back(png);
    }
    std::vector<uint8_t> file = {'Q', 'H', 'P', 'X'};
    PutLittle32(&file, uint32_t(ids.size()));
    uint32_t offset = uint32_t(8 + 12 * ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        PutLittle32(&file, ids[i]);
        PutLittle32(&file, offset);
        PutLittle32(&file, uint32_t(pngs[i].size()));
        offset += uint32_t(pngs[i].size());
    }
    for (const std::vector<uint8_t>& png : pngs) file.insert(file.end(), png.begin(), png.end());
    std::string problem;
    if (WriteWholeFile(o.web + "/pictures-" + std::to_string(scale) + ".bin", file, &problem)) return true;
    std::fprintf(stderr, "qh-webart: %s\n", problem.c_str());
    return false;
}

// ============================================================================
// The app manifest and its icons: the logo at scale 4 on a white square, resampled to
// the sizes browsers ask for.
// ============================================================================

Pixels SquareIcon(const DecodedImage& logo, int side) {
    int square = logo.width > logo.height ? logo.width : logo.height;
    int left = (square - logo.width) / 2, top = (square - logo.height) / 2;
    Pixels icon;
    icon.width = icon.height = side;
    icon.rgb.assign(size_t(side) * side, 0x00FFFFFF);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            int sx = x * square / side - left, sy = y * square / side - top;
            if (sx >= 0 && sy >= 0 && sx < logo.width && sy < logo.height)
                icon.rgb[size_t(y) * side + x] = logo.pixels[size_t(sy) * logo.width + sx];
        }
    return icon;
}

// Latin-1 text as a JSON string.
std::string JsonString(const std::string& latin1) {
    std::string out = "\"";
    for (unsigned char c : latin1) {
        if (c == '"' || c == '\\') out += '\\', out += char(c);
        else if (c < 0x20) continue;
        else if (c < 0x80) out += char(c);
        else out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F));
    }
    return out + "\"";
}

bool WriteAppManifest(const Options& o, const BookModel& book) {
    static const int kIconSides[] = {192, 512};
    std::string icons, problem;
    int logo = book.header.logoPicture;
    DecodedImage image;
    if (logo >= 0 && logo < kPictures && book.pictures[logo].declared &&
        LoadScaledBitmap(book.pictures[logo].bitmapId, 4, &image)) {
        for (int side : kIconSides) {
            std::string name = "icon-" + std::to_string(side) + ".png";
            if (!WritePng(SquareIcon(image, side), o.web + "/" + name, &problem)) {
                std::fprintf(stderr, "qh-webart: %s\n", problem.c_str());
                return false;
            }
            std::string size = std::to_string(side) + "x" + std::to_string(side);
            icons += std::string(icons.empty() ? "" : ",\n") + "    {\"src\": \"" + name + "\", \"sizes\": \"" + size +
                     "\", \"type\": \"image/png\", \"purpose\": \"any\"}";
        }
    } else {
        std::fprintf(stderr, "%s: warning: the book has no logo picture, so its web edition has no icon to be "
                             "installed with\n", book.sourcePath.c_str());
    }
    std::string title = book.header.title.text.empty() ? "Book" : book.header.title.text;
    std::string json = "{\n  \"name\": " + JsonString(title) + ",\n  \"short_name\": " + JsonString(title) +
                       ",\n  \"start_url\": \"./\",\n  \"scope\": \"./\",\n  \"display\": \"standalone\",\n"
                       "  \"orientation\": \"portrait\",\n  \"background_color\": \"#202428\",\n"
                       "  \"theme_color\": \"#202428\",\n  \"icons\": [\n" + icons + "\n  ]\n}\n";
    if (WriteWholeFile(o.web + "/app.webmanifest", std::vector<uint8_t>(json.begin(), json.end()), &problem)) return true;
    std::fprintf(stderr, "qh-webart: %s\n", problem.c_str());
    return false;
}

}  // namespace

// ============================================================================
// Main
// ============================================================================

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, &o)) {
        std::fprintf(stderr, "usage: qh-webart --book BOOK --program MANIFEST --manifest OUT --web DIR\n");
        return 2;
    }
    Diagnostics diag;
    diag.file = o.book;
    BookModel book;
    if (!ReadBookSource(o.book, diag, book) || diag.errors > 0) return 1;
    std::vector<PictureFile> pictures;
    if (!ReadProgramPictures(o.program, &pictures)) return 1;
    for (const PictureSource& p : book.pictures)
        if (p.declared) pictures.push_back({p.bitmapId, p.path, o.book + ":" + std::to_string(p.pos.line), true});
    mkdir(o.web.c_str(), 0777);
    if (!RegisterAll(pictures) || !WriteScaleOneManifest(o, book, pictures)) return 1;
    for (int scale = 2; scale <= 4; ++scale)
        if (!WriteScaleFile(o, pictures, scale)) return 1;
    return WriteAppManifest(o, book) ? 0 : 1;
}
