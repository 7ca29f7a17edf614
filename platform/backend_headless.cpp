// The headless backend: no window, a virtual clock that moves only when told, input
// that comes from a script, sounds written down instead of played, and the framebuffer
// saved as PNG through libpng. Pixel for pixel the screen the SDL window shows.
#ifndef QH_NO_LIBPNG
#include <png.h>
#endif

#include <cstdio>
#include <cstring>

#include "platform/headless.h"
#include "platform/tool_files.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

static uint32_t clockMs = 0;
static bool (*idleHandler)() = nullptr;
static char sounds[kRecordedSounds][kRecordedSoundLength];
static int soundCount = 0;

// ============================================================================
// The backend's functions
// ============================================================================

static bool Open(int scale) {
    SetDeviceScale(scale > 0 ? scale : 1);
    return true;
}
static void Close() {}
static void Present(const uint32_t*, int) {}
static bool PollEvent(InputEvent*) { return false; }
static uint32_t Now() { return clockMs; }
static void Raise() {}

static void Record(const char* line) {
    if (soundCount == kRecordedSounds) return;
    snprintf(sounds[soundCount++], kRecordedSoundLength, "%s", line);
}

static void PlaySound(const char* name, const uint8_t*, uint32_t) {
    char line[kRecordedSoundLength];
    snprintf(line, sizeof line, "sound play %s", name ? name : "");
    Record(line);
}

static void StopSound() { Record("sound stop"); }

// Waiting is where the script gets its turn; without one, time passes to the next timer.
static void WaitEvent(uint32_t timeoutMs) {
    if (idleHandler) {
        if (!idleHandler()) DeliverInput(InputEvent{InputKind::Quit, 0, 0, 0, 0});
        return;
    }
    if (timeoutMs == UINT32_MAX) DeliverInput(InputEvent{InputKind::Quit, 0, 0, 0, 0});
    else clockMs += timeoutMs;
}

const Backend kHeadlessBackend = {"headless", Open, Close, Present, PollEvent, Now, WaitEvent, Raise, PlaySound, StopSound};

// ============================================================================
// Scripted input
// ============================================================================

void HeadlessStart() {
    UseBackend(&kHeadlessBackend, 1);
    clockMs = 0;
}

void HeadlessSetScale(int scale) {
    RunUntilIdle();
    SetDeviceScale(scale);
    RunUntilIdle();
}

int HeadlessScale() { return gDeviceScale; }

void HeadlessRun() { RunUntilIdle(); }

void HeadlessPointer(int kind, int x, int y) {
    InputKind kinds[3] = {InputKind::PointerDown, InputKind::PointerMove, InputKind::PointerUp};
    if (kind < 0 || kind > 2) return;
    DeliverInput(InputEvent{kinds[kind], x, y, 0, 0});
    RunUntilIdle();
}

void HeadlessTap(int x, int y) {
    HeadlessPointer(0, x, y);
    HeadlessPointer(2, x, y);
}

void HeadlessTouchTap(int x, int y) {
    DeliverInput(InputEvent{InputKind::TouchTap, x, y, 0, 0});
    RunUntilIdle();
}

void HeadlessKey(uint32_t virtualKey) {
    DeliverInput(InputEvent{InputKind::KeyDown, 0, 0, virtualKey, 0});
    DeliverInput(InputEvent{InputKind::KeyUp, 0, 0, virtualKey, 0});
    RunUntilIdle();
}

void HeadlessWheel(int notches) {
    InputEvent e = {InputKind::Wheel, kScreenWidth / 2, kScreenHeight / 2, 0, 0};
    e.notches = notches;
    DeliverInput(e);
    RunUntilIdle();
}

void HeadlessKeyWithShift(uint32_t virtualKey) {
    DeliverInput(InputEvent{InputKind::KeyDown, 0, 0, VK_SHIFT, 0});
    HeadlessKey(virtualKey);
    DeliverInput(InputEvent{InputKind::KeyUp, 0, 0, VK_SHIFT, 0});
    RunUntilIdle();
}

void HeadlessType(const char16_t* text) {
    for (; text && *text; ++text) {
        DeliverInput(InputEvent{InputKind::Text, 0, 0, 0, *text});
        RunUntilIdle();
    }
}

void HeadlessAdvance(uint32_t ms) {
    uint32_t end = clockMs + ms;
    RunUntilIdle();
    for (;;) {
        uint32_t due = NextTimerDue(clockMs);
        if (due == UINT32_MAX || int32_t(due - end) > 0) break;
        clockMs = due;
        RunUntilIdle();
    }
    clockMs = end;
    RunUntilIdle();
}

uint32_t HeadlessNow() { return clockMs; }
void HeadlessSetIdleHandler(bool (*handler)()) { idleHandler = handler; }

// ============================================================================
// Records
// ============================================================================

int HeadlessSoundCount() { return soundCount; }
const char* HeadlessSound(int index) { return index >= 0 && index < soundCount ? sounds[index] : ""; }
void HeadlessClearSounds() { soundCount = 0; }

uint32_t HeadlessPixel(int x, int y) {
    RunUntilIdle();
    if (x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return 0;
    return gFramebuffer[y * gDeviceScale * DeviceStride() + x * gDeviceScale];
}

uint32_t HeadlessDevicePixel(int x, int y) {
    RunUntilIdle();
    if (x < 0 || y < 0 || x >= DeviceStride() || y >= kScreenHeight * gDeviceScale) return 0;
    return gFramebuffer[y * DeviceStride() + x];
}

// A build without libpng (the web edition) makes its screenshots in the browser.
#ifndef QH_NO_LIBPNG
static bool WriteRows(FILE* f) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    int width = DeviceStride(), height = kScreenHeight * gDeviceScale;
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    static png_byte row[kScreenWidth * kMaxDeviceScale * 3];
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p = gFramebuffer[y * width + x];
            row[3 * x] = png_byte(p >> 16);
            row[3 * x + 1] = png_byte(p >> 8);
            row[3 * x + 2] = png_byte(p);
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool HeadlessScreenshot(const char* path) {
    RunUntilIdle();
    char why[kToolReasonBytes];
    ToolOutput output;
    if (!path || !BeginToolOutput(path, &output, why, sizeof why)) {
        fprintf(stderr, "qh: the screenshot cannot be written: %s\n", path ? why : "no file named");
        return false;
    }
    if (!WriteRows(output.stream)) {
        AbandonToolOutput(&output);
        fprintf(stderr, "qh: the screenshot %s could not be written whole\n", path);
        return false;
    }
    if (FinishToolOutput(&output, why, sizeof why)) return true;
    fprintf(stderr, "qh: the screenshot cannot be written: %s\n", why);
    return false;
}

#endif

// ============================================================================
// The menu bar for scripts
// ============================================================================

bool HeadlessToolButtonCenter(int command, int* x, int* y) {
    RunUntilIdle();
    RECT r;
    if (!ToolButtonScreenRect(command, &r)) return false;
    *x = (r.left + r.right) / 2;
    *y = (r.top + r.bottom) / 2;
    return true;
}

bool HeadlessChooseMenuItem(const char16_t* text) {
    RunUntilIdle();
    RECT r;
    if (!MenuButtonScreenRect(&r)) return false;
    HeadlessTap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (!MenuItemScreenRect(text, &r)) {
        HeadlessTap(0, 0);   // closes the menu again
        return false;
    }
    HeadlessTap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
}
