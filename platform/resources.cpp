// Resource lookup: the files registered at run time, then the program's packed table,
// then the layer's own fonts. Registered files are read whole into memory once, when
// they are registered, so a lookup never touches the disk or the heap.
#include "platform/resources.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The program's table comes from whichever resource library the program links
// (cmake/Resources.cmake); a program without one simply has no program resources.
extern const PackedResourceTable gProgramResources __attribute__((weak));
extern const PackedResourceTable gPlatformResources;

struct RegisteredResource {
    bool used;
    ResourceType type;
    uint16_t id;
    char16_t name[kResourceNameLength];
    uint8_t* data;
    uint32_t size;
};

static RegisteredResource registered[kRegisteredResources];
static uint32_t generation = 1;

uint32_t ResourceGeneration() { return generation; }

static char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

static bool SameName(const char16_t* a, const char16_t* b) {
    for (; *a && *b; ++a, ++b)
        if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
    return *a == *b;
}

// Whether an entry of this type, id and name answers a lookup; Wave goes by name only.
static bool Matches(ResourceType type, uint16_t id, const char16_t* name, ResourceType wantType,
                    uint16_t wantId, const char16_t* wantName) {
    if (type != wantType) return false;
    if (wantName) return name && SameName(name, wantName);
    return id == wantId;
}

static bool LookUpRegistered(ResourceType type, uint16_t id, const char16_t* name, ResourceBlob* out) {
    for (const RegisteredResource& r : registered) {
        if (r.used && Matches(r.type, r.id, r.name, type, id, name)) {
            *out = {r.data, r.size};
            return true;
        }
    }
    return false;
}

static bool LookUpPacked(const PackedResourceTable* table, ResourceType type, uint16_t id,
                         const char16_t* name, ResourceBlob* out) {
    if (!table) return false;
    for (int32_t i = 0; i < table->count; ++i) {
        const PackedResource& r = table->entries[i];
        if (Matches(r.type, r.id, r.name, type, id, name)) {
            *out = {r.begin, uint32_t(r.end - r.begin)};
            return true;
        }
    }
    return false;
}

static bool IsRendering(ResourceType type) {
    return type == ResourceType::BitmapAt2 || type == ResourceType::BitmapAt3 ||
           type == ResourceType::BitmapAt4;
}

static bool LookUp(ResourceType type, uint16_t id, const char16_t* name, ResourceBlob* out) {
    if (LookUpRegistered(type, id, name, out)) return true;
    // A rendering belongs to the picture it was drawn from: a bitmap registered from a
    // book's own file hides the packed renderings of the program's picture of that id.
    ResourceBlob bitmap;
    if (IsRendering(type) && LookUpRegistered(ResourceType::Bitmap, id, nullptr, &bitmap)) return false;
    return LookUpPacked(&gProgramResources, type, id, name, out) ||
           LookUpPacked(&gPlatformResources, type, id, name, out);
}

bool LookUpResource(ResourceType type, uint16_t id, ResourceBlob* out) {
    return LookUp(type, id, nullptr, out);
}

bool LookUpResourceByName(ResourceType type, const char16_t* name, ResourceBlob* out) {
    return name && LookUp(type, 0, name, out);
}

// ============================================================================
// Registration
// ============================================================================

static void Release(RegisteredResource* r) {
    std::free(r->data);
    *r = RegisteredResource{};
}

// The slot that already holds this resource, else a free one, else null.
static RegisteredResource* SlotFor(ResourceType type, uint16_t id, const char16_t* name) {
    RegisteredResource* empty = nullptr;
    for (RegisteredResource& r : registered) {
        if (r.used && Matches(r.type, r.id, r.name, type, id, name)) return &r;
        if (!r.used && !empty) empty = &r;
    }
    return empty;
}

// Reads a whole file into fresh memory; on failure says why in error.
static uint8_t* ReadWholeFile(const char* path, uint32_t* size, char* error, int errorSize) {
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        std::snprintf(error, errorSize, "cannot open %s: %s", path, std::strerror(errno));
        return nullptr;
    }
    long length = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
    uint8_t* data = length > 0 && length < 0x7FFFFFFF ? static_cast<uint8_t*>(std::malloc(length)) : nullptr;
    bool ok = data && std::fseek(f, 0, SEEK_SET) == 0 && std::fread(data, 1, length, f) == size_t(length);
    std::fclose(f);
    if (!ok) {
        std::snprintf(error, errorSize, "cannot read %s: %s", path,
                      length <= 0 ? "the file is empty or unreadable" : "the read failed");
        std::free(data);
        return nullptr;
    }
    *size = uint32_t(length);
    return data;
}

static bool CopyName(char16_t* to, const char16_t* name) {
    int n = 0;
    for (; name[n]; ++n) {
        if (n + 1 >= kResourceNameLength) return false;
        to[n] = name[n];
    }
    to[n] = 0;
    return n > 0;
}

bool RegisterResourceFile(ResourceType type, uint16_t id, const char16_t* name,
                          const char* path, char* error, int errorSize) {
    bool byName = type == ResourceType::Wave;
    RegisteredResource fresh{true, type, byName ? uint16_t(0) : id, {}, nullptr, 0};
    if (byName && (!name || !CopyName(fresh.name, name))) {
        std::snprintf(error, errorSize, "a sound name has 1 to %d characters", kResourceNameLength - 1);
        return false;
    }
    RegisteredResource* slot = SlotFor(type, fresh.id, byName ? fresh.name : nullptr);
    if (!slot) {
        std::snprintf(error, errorSize, "cannot register %s: more than %d files", path, kRegisteredResources);
        return false;
    }
    fresh.data = ReadWholeFile(path, &fresh.size, error, errorSize);
    if (!fresh.data) return false;
    Release(slot);
    *slot = fresh;
    ++generation;
    return true;
}

void ClearRegisteredResources() {
    for (RegisteredResource& r : registered)
        if (r.used) Release(&r);
    ++generation;
}
