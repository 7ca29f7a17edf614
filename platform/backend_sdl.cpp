// The SDL2 backend: a real window that shows the framebuffer scaled by a whole factor,
// the mouse as the stylus, the keyboard and text input, and audio for the sound cues.
// Closing the window (or SIGTERM) reaches the program as a close of its main window.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/text_codec.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kMaxScale = 3;
constexpr int kPendingText = 16;
constexpr uint32_t kSocketPollMs = 100;   // how often a wait looks for a second copy knocking

static SDL_Window* window = nullptr;
static SDL_Renderer* renderer = nullptr;
static SDL_Texture* texture = nullptr;
static int scale = 1;
static bool stylusDown = false;
static char16_t pendingText[kPendingText];
static int pendingCount = 0;
static SDL_AudioDeviceID audio = 0;
static Uint8* soundBuffer = nullptr;
static WCHAR shownTitle[kWindowTextLength];

// ============================================================================
// Opening and closing
// ============================================================================

static int FittingScale() {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
    int s = kMaxScale;
    while (s > 1 && (kScreenWidth * s > usable.w || kScreenHeight * s > usable.h)) --s;
    return s;
}

static bool Open(int wanted) {
    if (window) return true;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "qh: no window can be opened: %s\n", SDL_GetError());
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) fprintf(stderr, "qh: no sound: %s\n", SDL_GetError());
    scale = wanted > 0 ? wanted : FittingScale();
    window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kScreenWidth * scale,
                              kScreenHeight * scale, SDL_WINDOW_HIDDEN);
    renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                           kScreenWidth, kScreenHeight)
                       : nullptr;
    if (!texture) {
        fprintf(stderr, "qh: the window could not be made: %s\n", SDL_GetError());
        return false;
    }
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
static void Present(const uint32_t* pixels) {
    if (!texture) return;
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN) SDL_ShowWindow(window);
    SDL_UpdateTexture(texture, nullptr, pixels, kScreenWidth * 4);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
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
    SDL_AudioSpec format;
    Uint32 length = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(wave, int(size));
    if (!rw || !SDL_LoadWAV_RW(rw, 1, &format, &soundBuffer, &length)) {
        fprintf(stderr, "qh: a sound could not be read: %s\n", SDL_GetError());
        return;
    }
    audio = SDL_OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
    if (!audio) return StopSound();
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

static bool Translate(const SDL_Event& e, InputEvent* out) {
    switch (e.type) {
    case SDL_QUIT: *out = InputEvent{InputKind::Quit, 0, 0, 0, 0}; return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) return false;
        stylusDown = e.type == SDL_MOUSEBUTTONDOWN;
        *out = InputEvent{stylusDown ? InputKind::PointerDown : InputKind::PointerUp, e.button.x / scale, e.button.y / scale, 0, 0};
        return true;
    case SDL_MOUSEMOTION:
        if (!stylusDown) return false;
        *out = InputEvent{InputKind::PointerMove, e.motion.x / scale, e.motion.y / scale, 0, 0};
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uint32_t vk = VirtualKey(e.key.keysym.sym);
        if (!vk) return false;
        *out = InputEvent{e.type == SDL_KEYDOWN ? InputKind::KeyDown : InputKind::KeyUp, 0, 0, vk, 0};
        return true;
    }
    case SDL_TEXTINPUT: QueueText(e.text.text); return TakePendingText(out);
    case SDL_WINDOWEVENT: gFramebufferChanged = true; return false;
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
