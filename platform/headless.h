// The headless backend as tests and qh-play drive it: scripted taps, keys and text, a
// virtual clock that fires timers, the answer given to message boxes, and what was
// recorded (message boxes, sounds) and drawn (pixels, PNG screenshots).
#pragma once

#include <cstdint>

constexpr int kRecordedMessages = 64;
constexpr int kRecordedMessageLength = 1024;   // a preview report is long
constexpr int kRecordedSounds = 64;
constexpr int kRecordedSoundLength = 48;

// ---- message_box.cpp: the message boxes shown since the last time they were taken.
int HeadlessMessageCount();
const char* HeadlessMessage(int index);   // UTF-8; "" outside 0 .. count - 1
void HeadlessClearMessages();

// How the following message boxes are answered. Default: OK, or Yes for a Yes/No box.
// Interactive: the box is shown and runs its modal loop; the idle handler (below) then
// has to tap one of its buttons.
enum class HeadlessAnswer : uint8_t { Default, Yes, No, Interactive };
void HeadlessSetAnswer(HeadlessAnswer answer);

// ---- backend_headless.cpp
// Makes the headless backend the active one (it is the one in use until another is
// chosen) and starts its clock at 0.
void HeadlessStart();

// Each of these delivers its input, then dispatches everything that is due at the
// current time (posted messages, paints, expired timers) before it returns.
void HeadlessTap(int x, int y);               // stylus down and up at a screen pixel
void HeadlessTouchTap(int x, int y);          // a finger's tap there (the touch slop applies)
void HeadlessPointer(int kind, int x, int y); // 0 down, 1 move, 2 up: for drags
void HeadlessKey(uint32_t virtualKey);        // key down and up (VK_RETURN, VK_TAB, ...)
void HeadlessKeyWithShift(uint32_t virtualKey);   // the key pressed while Shift is held
void HeadlessWheel(int notches);              // the mouse wheel over the page; positive turns it towards the reader (down)
void HeadlessType(const char16_t* text);      // one character at a time, as typed text
void HeadlessRun();                           // only dispatch what is due

// Moves the virtual clock forward by ms, firing every timer as it comes due.
void HeadlessAdvance(uint32_t ms);
uint32_t HeadlessNow();

// Called whenever the window system would wait for input (a modal loop, GetMessageW
// with nothing to do). It may deliver input or advance the clock; returning false
// means the script has ended, and the main window is asked to close. With no handler,
// a wait advances the clock to the next timer, or ends the run when none is set.
void HeadlessSetIdleHandler(bool (*handler)());

// The sounds started ("sound play NAME") and stopped ("sound stop") since last taken.
int HeadlessSoundCount();
const char* HeadlessSound(int index);         // "" outside 0 .. count - 1
void HeadlessClearSounds();

// The device scale the screen is drawn at (1 to 4; 1 at start). Changing it repaints
// everything; page dumps and every logical coordinate stay as they were.
void HeadlessSetScale(int scale);
int HeadlessScale();

// The screen as drawn so far (everything due is painted first).
uint32_t HeadlessPixel(int x, int y);         // logical pixel: its top-left device pixel; 0 outside the screen
uint32_t HeadlessDevicePixel(int x, int y);   // device pixel at the current scale; 0 outside
bool HeadlessScreenshot(const char* path);    // PNG at the device scale; false (and a line on stderr) when it cannot be written

// The menu bar, for scripted "menu" and "tool" commands: where its buttons are now.
// False when the button is hidden, the item is missing or there is no menu bar.
bool HeadlessToolButtonCenter(int command, int* x, int* y);
bool HeadlessChooseMenuItem(const char16_t* text);   // text without '&': taps "Menu", then the item
