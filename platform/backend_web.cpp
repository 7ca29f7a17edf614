// The web backend: the framebuffer written to a canvas, pointer, touch and key events
// from the page, the save file kept in the browser's storage, sounds through Web Audio.
// The reader's loop blocks as on the desktop: waiting yields to the browser through
// Asyncify and comes back when input arrives or the timeout passes.
//
// Sections: state / the page's side / the backend's functions / input from the page /
//           the save file in storage / screenshots
#include "platform/backend_web.h"

#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/headless.h"
#include "platform/images.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kPendingEvents = 256;
constexpr int kStoredPathBytes = 256;

static InputEvent pending[kPendingEvents];
static int pendingHead = 0, pendingCount = 0;
static double startMs = 0;
static uint8_t rgba[kScreenWidth * kMaxDeviceScale * kScreenHeight * kMaxDeviceScale * 4];
static int wantedScale = 0;                 // the scale the page asks for; 0 until it has
static char storedPath[kStoredPathBytes];   // the save file kept in storage; "" for none
static bool instanceLockHeld = false;
static void (*inputHook)() = nullptr;

// ============================================================================
// The page's side (web/glue.js defines Module.qh)
// ============================================================================

EM_JS(void, JsPresent, (const uint8_t* pixels, int width, int height), {
    Module.qh.present(HEAPU8.subarray(pixels, pixels + width * height * 4), width, height);
});

// Sleeps until Module.qh.wake() is called by new input, or the timeout (-1: none) passes.
EM_JS(void, JsWait, (int timeoutMs), {
    Asyncify.handleSleep(function(wakeUp) { Module.qh.sleep(timeoutMs, wakeUp); });
});

EM_JS(void, JsPlaySound, (const char* name, const uint8_t* wave, uint32_t size), {
    Module.qh.playSound(UTF8ToString(name), HEAPU8.slice(wave, wave + size));
});

EM_JS(void, JsStopSound, (), { Module.qh.stopSound(); });

EM_JS(void, JsStore, (const char* key, const uint8_t* data, int size), {
    Module.qh.store(UTF8ToString(key), HEAPU8.subarray(data, data + size));
});

EM_JS(void, JsScreenshot, (const uint8_t* pixels, int width, int height), {
    Module.qh.printScreenshot(HEAPU8.subarray(pixels, pixels + width * height * 4), width, height);
});

// ============================================================================
// The backend's functions
// ============================================================================

static void ToRgba(const uint32_t* pixels, int scale) {
    for (int i = 0; i < kScreenWidth * scale * kScreenHeight * scale; ++i) {
        uint32_t p = pixels[i];
        rgba[4 * i] = uint8_t(p >> 16);
        rgba[4 * i + 1] = uint8_t(p >> 8);
        rgba[4 * i + 2] = uint8_t(p);
        rgba[4 * i + 3] = 255;
    }
}

// The device scale: the device pixels of one logical pixel of the canvas as the page
// lays it out (web/glue.js works it out), so the canvas is drawn 1:1 on the display.
EM_JS(int, JsScale, (), { return Module.qh.deviceScale(); });

static int Clamped(int scale) { return scale < 1 ? 1 : scale > kMaxDeviceScale ? kMaxDeviceScale : scale; }

// Pictures at scales 2 to 4 come from the page: it fetches its scale's renderings on
// first use and has the browser decode them, while the reader waits (Asyncify) as it
// waits for input. 0 when there is none, and the picture is grown instead.
EM_JS(int, JsRendering, (int id, int scale, uint32_t* pixels, int capacity, int32_t* size), {
    return Asyncify.handleSleep(function(wakeUp) { Module.qh.rendering(id, scale, pixels, capacity, size, wakeUp); });
});

static bool Rendering(uint16_t id, int scale, uint32_t* pixels, int32_t capacity, int32_t* width, int32_t* height) {
    int32_t size[2] = {0, 0};
    if (!JsRendering(id, scale, pixels, capacity, size)) return false;
    *width = size[0];
    *height = size[1];
    return true;
}

static bool Open(int scale) {
    SetRenderingSource(Rendering);
    startMs = emscripten_get_now();
    wantedScale = Clamped(scale > 0 ? scale : JsScale());
    SetDeviceScale(wantedScale);
    return true;
}

static void Close() {}

static void Present(const uint32_t* pixels, int scale) {
    ToRgba(pixels, scale);
    JsPresent(rgba, kScreenWidth * scale, kScreenHeight * scale);
    if (inputHook) inputHook();   // a new page is on screen: the page's side hears of it now
}

static bool PollEvent(InputEvent* event) {
    if (wantedScale && wantedScale != gDeviceScale) SetDeviceScale(wantedScale);   // repaints at it
    if (pendingCount == 0) {
        if (inputHook) inputHook();
        return false;
    }
    *event = pending[pendingHead];
    pendingHead = (pendingHead + 1) % kPendingEvents;
    --pendingCount;
    return true;
}

static uint32_t Now() { return uint32_t(emscripten_get_now() - startMs); }

static void WaitEvent(uint32_t timeoutMs) {
    if (pendingCount > 0) return;
    JsWait(timeoutMs == UINT32_MAX ? -1 : int(timeoutMs > 0x7FFFFFFF ? 0x7FFFFFFF : timeoutMs));
}

static void Raise() {}

static void PlaySound(const char* name, const uint8_t* wave, uint32_t size) { JsPlaySound(name ? name : "", wave, size); }
static void StopSound() { JsStopSound(); }

const Backend kWebBackend = {"web", Open, Close, Present, PollEvent, Now, WaitEvent, Raise, PlaySound, StopSound};

// ============================================================================
// Input from the page
// ============================================================================

static void Queue(const InputEvent& e) {
    if (pendingCount == kPendingEvents) return;   // a flood of moves: the oldest stay
    pending[(pendingHead + pendingCount) % kPendingEvents] = e;
    ++pendingCount;
}

extern "C" {

// kind: 0 down, 1 move, 2 up; x, y in screen pixels.
EMSCRIPTEN_KEEPALIVE void qh_web_pointer(int kind, int x, int y) {
    static const InputKind kinds[3] = {InputKind::PointerDown, InputKind::PointerMove, InputKind::PointerUp};
    if (kind < 0 || kind > 2) return;
    Queue(InputEvent{kinds[kind], x, y, 0, 0});
}

// A finger's tap, down and up at once; it may land on a control it nearly hit.
EMSCRIPTEN_KEEPALIVE void qh_web_touch_tap(int x, int y) { Queue(InputEvent{InputKind::TouchTap, x, y, 0, 0}); }

EMSCRIPTEN_KEEPALIVE void qh_web_key(int down, int virtualKey) {
    Queue(InputEvent{down ? InputKind::KeyDown : InputKind::KeyUp, 0, 0, uint32_t(virtualKey), 0});
}

EMSCRIPTEN_KEEPALIVE void qh_web_text(int character) {
    if (character <= 0 || character > 0xFFFF) return;
    Queue(InputEvent{InputKind::Text, 0, 0, 0, char16_t(character)});
}

// Wheel notches, positive towards the reader (the page moves up), at a screen point.
EMSCRIPTEN_KEEPALIVE void qh_web_wheel(int notches, int x, int y) {
    if (notches == 0) return;
    InputEvent e{InputKind::Wheel, x, y, 0, 0};
    e.notches = notches;
    Queue(e);
}

// The page was laid out again (a turned phone, a zoom, a resized window).
EMSCRIPTEN_KEEPALIVE void qh_web_scale_changed(int scale) { wantedScale = Clamped(scale); }

EMSCRIPTEN_KEEPALIVE void qh_web_quit() { Queue(InputEvent{InputKind::Quit, 0, 0, 0, 0}); }

}  // extern "C"

// ============================================================================
// The save file in storage
// ============================================================================

// The browser's storage is shared by every tab; the instance lock (a Web Lock the page
// takes before the reader starts) stands in for the file lock between programs.
static bool MayOpenExclusively(const char* path) {
    return instanceLockHeld || std::strcmp(path, storedPath) != 0;
}

// The save file, or the copy of an unusable one that the reader keeps aside as
// NAME.unreadable: in memory alone it would be gone with the tab, and the new reading's
// first record would then have replaced the only stored copy.
static bool KeptInStorage(const char* path) {
    size_t length = std::strlen(storedPath);
    if (!length || std::strncmp(path, storedPath, length) != 0) return false;
    return path[length] == 0 || std::strcmp(path + length, ".unreadable") == 0;
}

static void Written(const char* path) {
    if (!KeptInStorage(path)) return;
    static uint8_t bytes[8192];
    FILE* f = std::fopen(path, "rb");
    if (!f) return;
    size_t size = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    JsStore(path, bytes, int(size));
}

void WebSetInputHook(void (*hook)()) { inputHook = hook; }

void WebKeepFileInStorage(const char* path, bool lockHeld) {
    std::snprintf(storedPath, sizeof storedPath, "%s", path ? path : "");
    instanceLockHeld = lockHeld;
    SetFileObserver(FileObserver{MayOpenExclusively, Written});
}

// ============================================================================
// Screenshots: qh-play writes a PNG file; here the PNG comes back as a data URL line
// in the script's output.
// ============================================================================

bool HeadlessScreenshot(const char*) {
    RunUntilIdle();
    ToRgba(gFramebuffer, gDeviceScale);
    JsScreenshot(rgba, kScreenWidth * gDeviceScale, kScreenHeight * gDeviceScale);
    return true;
}
