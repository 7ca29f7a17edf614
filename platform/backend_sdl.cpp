// The SDL2 backend: a real window that shows the framebuffer drawn at a whole device
// scale, centred on a neutral border; the scale follows the window's size in real
// (drawable) pixels, so a high-DPI desktop gets sharper text, not a larger window. The
// mouse is the stylus and its wheel scrolls, the keyboard and text input go to the
// focus, F11 toggles full screen, and audio plays the sound cues. Closing the window
// (or SIGTERM) reaches the program as a close of its main window.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text_codec.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kPendingText = 16;
constexpr Uint8 kBorderGrey = 0x40;       // around the screen when the window is larger than it
constexpr uint32_t kSocketPollMs = 100;   // how often a wait looks for a second copy knocking

static SDL_Window* window = nullptr;
static SDL_Renderer* renderer = nullptr;
static SDL_Texture* texture = nullptr;
static int textureScale = 0;                 // the scale the texture was made for
static SDL_Rect screenPlace;                 // where the screen stands in the drawable
static float pointsToPixels = 1;             // drawable pixels per window coordinate
static bool noDisplay = false;
static bool stylusDown = false;
static char16_t pendingText[kPendingText];
static int pendingCount = 0;
static SDL_AudioDeviceID audio = 0;
static bool soundUnavailable = false;   // said once; no device is tried again
static Uint8* soundBuffer = nullptr;
static WCHAR shownTitle[kWindowTextLength];

// ============================================================================
// Opening and closing
// ============================================================================

bool NoDisplayForWindow() { return noDisplay; }

// Without an X or Wayland display SDL falls back to drivers that show nothing, and the
// reader would run unseen until killed; they are used only when asked for by name.
static bool DisplayAvailable() {
    const char* asked = getenv("SDL_VIDEODRIVER");
    if (asked && *asked) return true;
    const char* x = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

static bool InvisibleDriverNotAsked() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = getenv("SDL_VIDEODRIVER");
    if (!driver || (asked && *asked)) return false;
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

// The largest whole scale whose screen fits width x height drawable pixels.
static int ScaleFor(int width, int height) {
    int s = kMaxDeviceScale;
    while (s > 1 && (kScreenWidth * s > width || kScreenHeight * s > height)) --s;
    return s;
}

static void MeasureDrawable() {
    int w = 0, h = 0, pw = 0, ph = 0;
    SDL_GetWindowSize(window, &w, &h);
    SDL_GetRendererOutputSize(renderer, &pw, &ph);
    pointsToPixels = w > 0 ? float(pw) / float(w) : 1.0f;
    int s = ScaleFor(pw, ph);
    screenPlace = SDL_Rect{(pw - kScreenWidth * s) / 2, (ph - kScreenHeight * s) / 2, kScreenWidth * s, kScreenHeight * s};
    if (screenPlace.x < 0) screenPlace.x = 0;
    if (screenPlace.y < 0) screenPlace.y = 0;
    SetDeviceScale(s);
}

// The window opens at the chosen scale in real pixels: on a 2x desktop a scale of 2
// is a window of the screen's apparent size.
static void SizeWindowFor(int wanted) {
    SDL_Rect usable;
    int s = wanted;
    if (s <= 0) {
        s = 1;
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0)
            s = ScaleFor(int(float(usable.w) * pointsToPixels), int(float(usable.h) * pointsToPixels));
    }
    int w = int(float(kScreenWidth * s) / pointsToPixels + 0.5f), h = int(float(kScreenHeight * s) / pointsToPixels + 0.5f);
    SDL_SetWindowSize(window, w, h);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_SetWindowMinimumSize(window, int(kScreenWidth / pointsToPixels), int(kScreenHeight / pointsToPixels));
}

// A machine without a sound device: said once, and no cue tries again (the sound
// library would repeat its own complaints at every try).
static void SayNoSound() {
    if (!soundUnavailable) fprintf(stderr, "quietharbour: sound is unavailable (%s); the sound cues stay silent\n", SDL_GetError());
    soundUnavailable = true;
}

// ALSA, which SDL loads for sound on Linux, prints its own lines for every step of a
// failed open (eight on a machine without a card) before SDL can say what failed. The
// reader says it once, in its own words, so the library is asked to keep quiet; where
// it is not installed there is nothing to quiet.
static void DiscardAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

static void QuietAlsa() {
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;
    auto setHandler = reinterpret_cast<int (*)(ErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(DiscardAlsaMessage);   // the library stays loaded: SDL uses it next
}

static bool Open(int wanted) {
    if (window) return true;
    noDisplay = !DisplayAvailable();
    if (noDisplay) return false;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "qh: no window can be opened: %s\n", SDL_GetError());
        return false;
    }
    if (InvisibleDriverNotAsked()) {
        noDisplay = true;
        SDL_Quit();
        return false;
    }
    QuietAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) SayNoSound();
    window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kScreenWidth, kScreenHeight,
                              SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer) {
        fprintf(stderr, "qh: the window could not be made: %s\n", SDL_GetError());
        return false;
    }
    MeasureDrawable();
    SizeWindowFor(wanted);
    MeasureDrawable();
    SDL_StartTextInput();
    return true;
}

static void StopSound() {
    if (audio) SDL_CloseAudioDevice(audio);
    audio = 0;
    if (soundBuffer) SDL_FreeWAV(soundBuffer);
    soundBuffer = nullptr;
}

static void Close() {
    StopSound();
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    textureScale = 0;
    renderer = nullptr;
    window = nullptr;
    SDL_Quit();
}

// ============================================================================
// Output
// ============================================================================

// The window's title follows the main window's caption.
static void FollowCaption() {
    HWND main = MainWindow();
    if (!main) return;
    int i = 0;
    while (i < kWindowTextLength - 1 && main->text[i] == shownTitle[i] && main->text[i]) ++i;
    if (main->text[i] == shownTitle[i]) return;
    for (i = 0; i < kWindowTextLength - 1 && main->text[i]; ++i) shownTitle[i] = main->text[i];
    shownTitle[i] = 0;
    char utf8[kWindowTextLength * 3];   // three bytes a unit at most, a pair takes four
    Utf16ToUtf8(shownTitle, utf8, sizeof utf8);
    SDL_SetWindowTitle(window, utf8);
}

// The window appears with its first picture, so a copy that finds another already
// running and ends at once never shows an empty window.
static void Present(const uint32_t* pixels, int scale) {
    if (!renderer) return;
    if (textureScale != scale) {
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                    kScreenWidth * scale, kScreenHeight * scale);
        textureScale = texture ? scale : 0;
        if (!texture) fprintf(stderr, "qh: the screen could not be made: %s\n", SDL_GetError());
    }
    if (!texture) return;
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN) SDL_ShowWindow(window);
    SDL_UpdateTexture(texture, nullptr, pixels, kScreenWidth * scale * 4);
    SDL_SetRenderDrawColor(renderer, kBorderGrey, kBorderGrey, kBorderGrey, 255);
    SDL_RenderClear(renderer);
    SDL_Rect place = {screenPlace.x, screenPlace.y, kScreenWidth * scale, kScreenHeight * scale};
    SDL_RenderCopy(renderer, texture, nullptr, &place);
    SDL_RenderPresent(renderer);
    FollowCaption();
}

static void Raise() {
    if (!window) return;
    SDL_RestoreWindow(window);
    SDL_RaiseWindow(window);
}

// A new sound replaces the one playing: its device is closed and a new one opened for
// the new sound's format.
static void PlaySound(const char*, const uint8_t* wave, uint32_t size) {
    StopSound();
    if (soundUnavailable) return;
    SDL_AudioSpec format;
    Uint32 length = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(wave, int(size));
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &format, &soundBuffer, &length)) {
        fprintf(stderr, "qh: a sound could not be read: %s\n", SDL_GetError());
        return;
    }
    audio = SDL_OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
    if (!audio) {
        SayNoSound();
        return StopSound();
    }
    SDL_QueueAudio(audio, soundBuffer, length);
    SDL_PauseAudioDevice(audio, 0);
}

// ============================================================================
// Input
// ============================================================================

static uint32_t VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return uint32_t('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return uint32_t(key);
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_F5: return VK_F5;
    case SDLK_F10: return VK_F10;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    default: return 0;
    }
}

// Text input arrives as UTF-8; each character becomes one event. Characters beyond the
// 16-bit plane cannot be typed into the reader's boxes, and bytes that are no UTF-8 are
// no characters at all: both are passed over.
static void QueueText(const char* utf8) {
    size_t length = std::strlen(utf8);
    for (size_t at = 0; at < length && pendingCount < kPendingText;) {
        char32_t c = 0;
        int bytes = DecodeUtf8Char(utf8 + at, length - at, &c);
        at += bytes ? size_t(bytes) : 1;
        if (bytes && c <= 0xFFFF) pendingText[pendingCount++] = char16_t(c);
    }
}

static bool TakePendingText(InputEvent* out) {
    if (pendingCount == 0) return false;
    *out = InputEvent{InputKind::Text, 0, 0, 0, pendingText[0]};
    for (int i = 1; i < pendingCount; ++i) pendingText[i - 1] = pendingText[i];
    --pendingCount;
    return true;
}

// A window point in logical screen pixels; false outside the screen.
static bool ScreenPoint(int wx, int wy, int* x, int* y) {
    int s = textureScale ? textureScale : gDeviceScale;
    int px = int(float(wx) * pointsToPixels) - screenPlace.x, py = int(float(wy) * pointsToPixels) - screenPlace.y;
    *x = px >= 0 ? px / s : -1 - (-1 - px) / s;
    *y = py >= 0 ? py / s : -1 - (-1 - py) / s;
    return *x >= 0 && *y >= 0 && *x < kScreenWidth && *y < kScreenHeight;
}

// Full screen is a borderless window over the whole display, placed by the reader
// itself: the window system's own full screen needs a window manager to carry it out,
// and without one the window kept its size while the screen was placed for the
// display's (off-centre, clipped, clicks landing on the border). Leaving it puts the
// window back where and as it was. The screen is placed again at once, as no size event
// need follow.
static bool fullScreen = false;
static SDL_Rect windowedPlace;

static void ToggleFullScreen() {
    SDL_Rect display;
    if (!fullScreen && SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &display) == 0) {
        SDL_GetWindowPosition(window, &windowedPlace.x, &windowedPlace.y);
        SDL_GetWindowSize(window, &windowedPlace.w, &windowedPlace.h);
        SDL_SetWindowBordered(window, SDL_FALSE);
        SDL_SetWindowPosition(window, display.x, display.y);
        SDL_SetWindowSize(window, display.w, display.h);
        SDL_RaiseWindow(window);
        fullScreen = true;
    } else if (fullScreen) {
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowSize(window, windowedPlace.w, windowedPlace.h);
        SDL_SetWindowPosition(window, windowedPlace.x, windowedPlace.y);
        fullScreen = false;
    }
    MeasureDrawable();
    gFramebufferChanged = true;
}

static bool Translate(const SDL_Event& e, InputEvent* out) {
    int x = 0, y = 0;
    switch (e.type) {
    case SDL_QUIT: *out = InputEvent{InputKind::Quit, 0, 0, 0, 0}; return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (e.button.button != SDL_BUTTON_LEFT) return false;
        bool inside = ScreenPoint(e.button.x, e.button.y, &x, &y);
        if (e.type == SDL_MOUSEBUTTONDOWN && !inside) return false;   // a click on the border
        if (e.type == SDL_MOUSEBUTTONUP && !stylusDown) return false;
        stylusDown = e.type == SDL_MOUSEBUTTONDOWN;
        *out = InputEvent{stylusDown ? InputKind::PointerDown : InputKind::PointerUp, x, y, 0, 0};
        return true;
    }
    case SDL_MOUSEMOTION:
        if (!stylusDown) return false;
        ScreenPoint(e.motion.x, e.motion.y, &x, &y);
        *out = InputEvent{InputKind::PointerMove, x, y, 0, 0};
        return true;
    case SDL_MOUSEWHEEL: {
        int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? e.wheel.y : -e.wheel.y;
        if (notches == 0) return false;
        int mx = 0, my = 0;
        SDL_GetMouseState(&mx, &my);
        ScreenPoint(mx, my, &x, &y);
        *out = InputEvent{InputKind::Wheel, x, y, 0, 0};
        out->notches = notches;
        return true;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (e.key.keysym.sym == SDLK_F11) {
            if (e.type == SDL_KEYDOWN && !e.key.repeat) ToggleFullScreen();
            return false;
        }
        uint32_t vk = VirtualKey(e.key.keysym.sym);
        if (!vk) return false;
        *out = InputEvent{e.type == SDL_KEYDOWN ? InputKind::KeyDown : InputKind::KeyUp, 0, 0, vk, 0};
        return true;
    }
    case SDL_TEXTINPUT: QueueText(e.text.text); return TakePendingText(out);
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) MeasureDrawable();
        gFramebufferChanged = true;
        return false;
    default: return false;
    }
}

static bool PollEvent(InputEvent* out) {
    if (TakePendingText(out)) return true;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (Translate(e, out)) return true;
    return false;
}

static uint32_t Now() { return SDL_GetTicks(); }

static void WaitEvent(uint32_t timeoutMs) {
    SDL_WaitEventTimeout(nullptr, int(timeoutMs < kSocketPollMs ? timeoutMs : kSocketPollMs));
}

const Backend kSdlBackend = {"sdl", Open, Close, Present, PollEvent, Now, WaitEvent, Raise, PlaySound, StopSound};
