// Artwork files named by a book. The compiler does not decode pictures or sounds;
// it only checks they are there and passes their paths on to whoever packs them.
#include "tools/bookc/artwork.h"

#include <fstream>

bool ArtworkReadable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in) && in.peek() != std::ifstream::traits_type::eof();
}

static uint32_t LittleEndian(const unsigned char* b) {
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

static uint32_t BigEndian(const unsigned char* b) {
    return (static_cast<uint32_t>(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
}

void ReadPictureSize(const std::string& path, uint16_t& width, uint16_t& height) {
    width = height = 0;
    unsigned char head[26] = {};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return;
    uint32_t w = 0, h = 0;
    if (head[0] == 'B' && head[1] == 'M') {
        w = LittleEndian(head + 18);
        h = LittleEndian(head + 22);
        if (static_cast<int32_t>(h) < 0) h = -static_cast<int32_t>(h);   // top-down rows
    } else if (head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G') {
        w = BigEndian(head + 16);
        h = BigEndian(head + 20);
    }
    if (w <= 0xFFFF && h <= 0xFFFF) {
        width = static_cast<uint16_t>(w);
        height = static_cast<uint16_t>(h);
    }
}

// Each entry follows a "#from FILE:LINE" comment, so whoever packs it names the book's
// line in a message, not the manifest's.
static std::string From(const BookModel& book, const SourcePos& pos) {
    return "#from " + book.sourcePath + ":" + std::to_string(pos.line) + "\n";
}

std::string ArtworkManifest(const BookModel& book) {
    std::string out;
    for (const PictureSource& picture : book.pictures)
        if (picture.declared)
            out += From(book, picture.pos) + "bitmap " + std::to_string(picture.bitmapId) + " " + picture.path + "\n";
    for (const SoundSource& sound : book.sounds)
        if (sound.declared) out += From(book, sound.pos) + "wave " + sound.name + " " + sound.path + "\n";
    return out;
}
