// The one seam between the window system and the machine it runs on: a struct of
// function pointers that the SDL backend and the headless backend each fill. The
// layer above knows its backend only through this struct.
#pragma once

#include <cstdint>

constexpr int kScreenWidth = 240;    // the device screen, in pixels
constexpr int kScreenHeight = 320;

// One input event, in device-screen pixels. Keys carry the platform's virtual key
// code; text input carries one UTF-16 character.
enum class InputKind : uint8_t { None, PointerDown, PointerMove, PointerUp, KeyDown, KeyUp, Text, Quit };

struct InputEvent {
    InputKind kind;
    int x, y;         // pointer events
    uint32_t key;     // KeyDown, KeyUp: virtual key code (VK_*)
    char16_t text;    // Text: the character typed
};

struct Backend {
    const char* name;
    bool (*open)(int scale);                                         // make the screen ready; false when it cannot be
    void (*close)();                                                 // give back the window and audio
    void (*present)(const uint32_t* pixels);                         // show the kScreenWidth x kScreenHeight 0x00RRGGBB framebuffer
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
// fits the desktop, at most 3). Returns false, keeping the headless backend, when it
// cannot be opened.
bool UseBackend(const Backend* backend, int scale);
const Backend* ActiveBackend();

// Hands one event to the window system as if the backend had delivered it; the
// headless backend's scripted input goes through here.
void DeliverInput(const InputEvent& event);
