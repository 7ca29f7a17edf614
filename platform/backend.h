// The one seam between the window system and the machine it runs on: a struct of
// function pointers that the SDL backend and the headless backend each fill. The
// layer above knows its backend only through this struct.
#pragma once

#include <cstdint>

constexpr int kScreenWidth = 240;    // the device screen, in pixels
constexpr int kScreenHeight = 320;

// One input event, in device-screen pixels. Keys carry the platform's virtual key
// code; text input carries one UTF-16 character.
// TouchTap: a finger's tap, down and up at once, which a touch slop may move onto the
// control it nearly hit.
enum class InputKind : uint8_t { None, PointerDown, PointerMove, PointerUp, KeyDown, KeyUp, Text, Quit, Wheel, TouchTap };

// Pointer positions are logical screen pixels whatever the device scale.
struct InputEvent {
    InputKind kind;
    int x, y;         // pointer and wheel events
    uint32_t key;     // KeyDown, KeyUp: virtual key code (VK_*)
    char16_t text;    // Text: the character typed
    int notches;      // Wheel: whole notches, positive towards the reader (the page moves up)
};

struct Backend {
    const char* name;
    bool (*open)(int scale);                                         // make the screen ready; false when it cannot be
    void (*close)();                                                 // give back the window and audio
    void (*present)(const uint32_t* pixels, int scale);              // show the framebuffer: (kScreenWidth x kScreenHeight) * scale, 0x00RRGGBB
    bool (*pollEvent)(InputEvent* event);                            // the next pending input; false when there is none
    uint32_t (*now)();                                               // milliseconds since start (the headless clock is virtual)
    void (*waitEvent)(uint32_t timeoutMs);                           // sleep until input arrives or the timeout passes
    void (*raise)();                                                 // bring the window to the front of the desktop
    void (*playSound)(const char* name, const uint8_t* wave, uint32_t size);  // play a RIFF WAVE at once, replacing the playing sound
    void (*stopSound)();                                             // stop the playing sound, if any
};

// The backends. The layer starts on the headless one unless UseBackend chose another.
extern const Backend kHeadlessBackend;
extern const Backend kSdlBackend;

// Makes backend the active one and opens it (scale 0: the largest whole factor that
// fits the desktop, at most 4); the backend sets the device scale it opened with. Returns false, keeping the headless backend, when it
// cannot be opened.
bool UseBackend(const Backend* backend, int scale);
const Backend* ActiveBackend();

// True when the last failed open of the window backend found no display to show a
// window on (neither DISPLAY nor WAYLAND_DISPLAY, and no video driver asked for).
bool NoDisplayForWindow();

// Hands one event to the window system as if the backend had delivered it; the
// headless backend's scripted input goes through here.
void DeliverInput(const InputEvent& event);
