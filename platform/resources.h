// The program's resources: files packed into the binary at build time (tools/respack)
// and files registered at run time (the artwork of a book compiled in memory), looked
// up by type and id, or by name for sounds.
#pragma once

#include <cstdint>

// The packed bytes of one resource. Strings are UTF-16 code units with a terminating
// zero after `size` bytes; every other resource is the file as it was packed.
struct ResourceBlob {
    const uint8_t* data;
    uint32_t size;
};

// The kinds of resource, one per manifest keyword of tools/respack.
enum class ResourceType : uint8_t {
    Bitmap,   // "bitmap": a BMP file (1-, 4-, 8- or 24-bit) or a PNG; see images.h
    Wave,     // "wave": a RIFF WAVE file, looked up by name
    Menu,     // "menu": the menu template
    Data,     // "rcdata": raw data, such as the menu-bar description
    String,   // "string": UTF-16 text
    Icon,     // "icon": the program icon
    Font,     // "font": a TrueType face
    BitmapAt2,   // a bitmap drawn from vectors, rendered again at device scale 2, 3, 4:
    BitmapAt3,   // packed by tools/respack beside the bitmap of the same id, never
    BitmapAt4,   // named in a manifest
};

// The two faces every program carries, whatever its manifest says.
constexpr uint16_t kFontRegular = 1;   // DejaVu Sans, weights up to 500
constexpr uint16_t kFontBold = 2;      // DejaVu Sans Bold, weights above 500

// Room for a book's 21 pictures with their renderings at scales 2, 3 and 4 (the live
// preview registers all three, as the window's scale follows its size), 8 sounds and more.
constexpr int kRegisteredResources = 128;
constexpr int kResourceNameLength = 32;     // UTF-16 units of a WAVE name, with its zero

// Lookup. Registered resources come first, then the program's packed resources, then the
// layer's own (the fonts). Names compare without regard to ASCII case, as the platform's
// resource names do. Both return false, leaving *out untouched, when nothing matches.
bool LookUpResource(ResourceType type, uint16_t id, ResourceBlob* out);
bool LookUpResourceByName(ResourceType type, const char16_t* name, ResourceBlob* out);

// Registers the file at path (UTF-8) as a resource, read whole now, replacing an earlier
// registration of the same type and id or name. name is used for Wave (id is then
// ignored), id for every other type. On failure writes a one-line message into error
// (errorSize bytes) and returns false; nothing is registered then.
bool RegisterResourceFile(ResourceType type, uint16_t id, const char16_t* name,
                          const char* path, char* error, int errorSize);

// Forgets every registered resource (their memory is freed).
void ClearRegisteredResources();

// Changes whenever the registered resources change, so that caches of decoded
// resources (images.cpp) know when to start again.
uint32_t ResourceGeneration();

// ============================================================================
// The table tools/respack generates. Each program links one such table as
// gProgramResources; the layer's fonts are a second table, gPlatformResources.
// ============================================================================
struct PackedResource {
    ResourceType type;
    uint16_t id;
    const char16_t* name;      // Wave only, else null
    const uint8_t* begin;
    const uint8_t* end;
};

struct PackedResourceTable {
    const PackedResource* entries;
    int32_t count;
};
