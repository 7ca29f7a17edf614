// PlaySoundW: finds a "WAVE" resource by name and hands it to the backend, which plays
// it in the background and replaces whatever was playing; no name stops the sound.
#include "platform/backend.h"
#include "platform/resources.h"
#include "platform/win32.h"

// The resource name as the backend records it; names are ASCII in practice.
static void NameForBackend(LPCWSTR name, char* out, int outSize) {
    int n = 0;
    for (; name[n] && n + 1 < outSize; ++n) out[n] = name[n] < 0x80 ? char(name[n]) : '?';
    out[n] = 0;
}

// Every sound plays asynchronously, with or without SND_ASYNC: the reader always asks
// for that, and nothing here could wait for the end of a sound without stopping the
// window system. Only resources are played; a sound that is not found is not heard.
BOOL PlaySoundW(LPCWSTR name, HMODULE, DWORD flags) {
    if (!name) {
        ActiveBackend()->stopSound();
        return TRUE;
    }
    ResourceBlob wave;
    if ((flags & SND_RESOURCE) != SND_RESOURCE || !LookUpResourceByName(ResourceType::Wave, name, &wave))
        return FALSE;
    char backendName[kResourceNameLength];
    NameForBackend(name, backendName, sizeof backendName);
    ActiveBackend()->playSound(backendName, wave.data, wave.size);
    return TRUE;
}
