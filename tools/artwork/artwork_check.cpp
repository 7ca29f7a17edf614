// Decoding a book's pictures and sounds through, as the reader will.
#include "tools/artwork/artwork_check.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/image_decoder.h"
#include "platform/images.h"
#include "platform/tool_files.h"
#include "tools/artwork/artwork.h"

static bool ReadInput(const std::string& path, std::string* bytes, std::string* why) {
    char reason[kToolReasonBytes];
    if (ReadToolInput(path.c_str(), kToolFileLimit, bytes, reason, sizeof reason)) return true;
    *why = reason;
    return false;
}

bool CheckPictureFile(const std::string& path, std::string* why) {
    if (IsArtworkSource(path)) {
        std::vector<uint8_t> built;
        std::vector<std::string> inputs;
        ArtworkErrors errors;
        if (BuildArtworkResource(path, &built, &inputs, &errors)) return true;
        *why = JoinErrors(errors);
        if (!why->empty() && why->back() == '\n') why->pop_back();
        return false;
    }
    std::string bytes;
    if (!ReadInput(path, &bytes, why)) return false;
    if (bytes.empty()) return *why = "the picture file is empty", false;
    // The room the reader has for all its pictures at once: one that does not fit
    // there alone can never be shown.
    static std::vector<uint32_t> pixels(kImagePixelPool);
    DecodedImage image;
    char error[160];
    if (DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()), pixels.data(),
                    kImagePixelPool, &image, error, sizeof error))
        return true;
    *why = error;
    return false;
}

static uint32_t Little16(const uint8_t* p) { return p[0] | (p[1] << 8); }
static uint32_t Little32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

// The "fmt " chunk's content: PCM the reader can play, or why not.
static bool PlayableFormat(const uint8_t* chunk, uint32_t size, std::string* why) {
    if (size < 16) return *why = "its format chunk is too short", false;
    uint32_t format = Little16(chunk), channels = Little16(chunk + 2), rate = Little32(chunk + 4);
    uint32_t bits = Little16(chunk + 14);
    if (format != 1) return *why = "it is not uncompressed PCM (format " + std::to_string(format) + ")", false;
    if (channels < 1 || channels > 2) return *why = "it has " + std::to_string(channels) + " channels, not 1 or 2", false;
    if (bits != 8 && bits != 16) return *why = "it has " + std::to_string(bits) + " bits a sample, not 8 or 16", false;
    if (rate < 4000 || rate > 48000) return *why = "its rate of " + std::to_string(rate) + " samples a second is not playable", false;
    return true;
}

bool CheckSoundFile(const std::string& path, std::string* why) {
    std::string text;
    if (!ReadInput(path, &text, why)) return false;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
    uint64_t size = text.size();
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return *why = "not a RIFF WAVE recording", false;
    bool format = false, data = false, dataFirst = false;
    for (uint64_t at = 12; at + 8 <= size;) {
        uint32_t length = Little32(bytes + at + 4);
        if (at + 8 + length > size) return *why = "a chunk runs past the end of the file", false;
        if (std::memcmp(bytes + at, "fmt ", 4) == 0) {
            if (!PlayableFormat(bytes + at + 8, length, why)) return false;
            format = true;
        } else if (std::memcmp(bytes + at, "data", 4) == 0) {
            dataFirst = dataFirst || !format;
            data = true;
        }
        at += 8 + length + (length & 1);
    }
    if (!format) return *why = "it has no format chunk", false;
    if (!data) return *why = "it has no sound data", false;
    if (dataFirst) return *why = "its sound data comes before its format chunk", false;
    return true;
}
