// Artwork of a book read from source: PNG, BMP and WAV files are registered as they are;
// a picture drawn as a .pic (tools/artwork) is rendered into a BMP first.
#include "tools/preview/book_artwork.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/resources.h"
#include "tools/artwork/artwork.h"

// The rendering of a .pic at a device scale above 1, as the packed program carries it.
// The layer reads a registered file whole at once, so each rendering is removed right after.
static bool RegisterRendering(uint16_t id, const char* file, int scale, char* error, int errorSize) {
    Pixels pixels;
    ArtworkErrors errors;
    std::string problem;
    char rendered[] = "/tmp/qh-picture-XXXXXX";
    int fd = mkstemp(rendered);
    if (fd >= 0) close(fd);
    ResourceType type = scale == 2   ? ResourceType::BitmapAt2
                        : scale == 3 ? ResourceType::BitmapAt3
                                     : ResourceType::BitmapAt4;
    bool ok = fd >= 0 && RenderPictureFile(file, scale, &pixels, &errors) &&
              WriteWholeFile(rendered, EncodeRunLength(pixels), &problem) &&
              RegisterResourceFile(type, id, nullptr, rendered, error, errorSize);
    if (fd >= 0) unlink(rendered);
    if (!errors.messages.empty() || !problem.empty())
        std::snprintf(error, errorSize, "%s", (JoinErrors(errors) + problem).c_str());
    return ok;
}

static bool RegisterRenderings(uint16_t id, const char* file, int scale, char* error, int errorSize) {
    if (!std::strstr(file, ".pic")) return true;
    for (int s = 2; s <= 4; ++s) {
        if (scale != 0 && s != scale) continue;
        if (!RegisterRendering(id, file, s, error, errorSize)) return false;
    }
    return true;
}

bool RegisterPictureFile(uint16_t id, const char* file, int scale, char* error, int errorSize) {
    if (!IsArtworkSource(file)) return RegisterResourceFile(ResourceType::Bitmap, id, nullptr, file, error, errorSize);
    if (!RegisterRenderings(id, file, scale, error, errorSize)) return false;
    std::vector<uint8_t> bmp;
    std::vector<std::string> inputs;
    ArtworkErrors errors;
    std::string problem;
    char rendered[] = "/tmp/qh-picture-XXXXXX";
    int fd = mkstemp(rendered);
    if (fd >= 0) close(fd);
    bool ok = fd >= 0 && BuildArtworkResource(file, &bmp, &inputs, &errors) && WriteWholeFile(rendered, bmp, &problem) &&
              RegisterResourceFile(ResourceType::Bitmap, id, nullptr, rendered, error, errorSize);
    if (fd >= 0) unlink(rendered);
    if (!errors.messages.empty() || !problem.empty())
        std::snprintf(error, errorSize, "%s", (JoinErrors(errors) + problem).c_str());
    return ok;
}

bool RegisterBookArtwork(const BookTables& tables, int scale, char* error, int errorSize) {
    for (int p = 0; p < kPictures; ++p) {
        const char* file = tables.artwork.pictureFiles ? tables.artwork.pictureFiles[p] : nullptr;
        if (!file || !*file) continue;
        if (!RegisterPictureFile(tables.pictures[p].bitmapId, file, scale, error, errorSize)) return false;
    }
    for (int s = 0; s < kSounds; ++s) {
        const char* file = tables.artwork.soundFiles ? tables.artwork.soundFiles[s] : nullptr;
        if (!file || !*file) continue;
        if (!RegisterResourceFile(ResourceType::Wave, 0, tables.soundNames[s], file, error, errorSize)) return false;
    }
    return true;
}
