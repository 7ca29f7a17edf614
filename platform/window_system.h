// The window system's own records, shared by the files of platform/ and by no
// one else: window records, classes, device contexts, GDI objects, and the calls that
// one part of the layer makes into another. Grouped by the file that owns them.
#pragma once

#include "platform/backend.h"
#include "platform/win32.h"

// ============================================================================
// Capacities
// ============================================================================

constexpr int kMaxWindows = 320;           // the page holds at most 200 controls
constexpr int kMaxClasses = 16;
constexpr int kClassNameLength = 32;
constexpr int kWindowTextLength = 128;     // captions and button labels
constexpr int kEditCapacity = 255;         // characters an entry box can ever hold
constexpr int kQueueCapacity = 512;
constexpr int kMaxTimers = 32;
constexpr int kScrollBarWidth = 13;
constexpr int kTopBarHeight = 26;
constexpr int kMenuBarHeight = 26;
constexpr int kInputPanelHeight = 80;

// ============================================================================
// Records (window.cpp)
// ============================================================================

struct WindowClass {
    WCHAR name[kClassNameLength];
    WNDPROC proc;
    UINT style;
    HBRUSH background;
};

struct ScrollBarState {
    int min, max, page, pos, trackPos;
    bool dragging;     // the stylus holds the thumb
    int dragOffset;    // stylus y minus thumb top when the drag began
};

struct EditState {
    WCHAR text[kEditCapacity + 1];
    int length, caret, limit, scrollX;
};

struct ButtonState {
    int check;
    bool pressed;      // drawn pushed while the stylus is down inside
    bool tracking;     // the stylus went down on this button
};

struct WindowRecord {
    bool used;
    bool destroying;         // WM_DESTROY is being sent: a second DestroyWindow does nothing
    bool destroyed;          // DestroyWindow ran; the slot is reclaimed when no call is on the stack
    bool remote;             // a stand-in for another process's window (FindWindowW)
    int remoteSocket;
    int classIndex;
    WNDPROC proc;
    DWORD style, exStyle;
    int id;
    LONG userData;
    HWND parent, owner;
    RECT rect;               // window rectangle in the parent's client coordinates (screen for top-level)
    int serial;              // creation order among siblings, raised for top-level windows brought forward
    bool topmost;
    RECT invalid;            // client coordinates; empty when nothing waits to be painted
    bool erase;
    bool frameDirty;         // border or scroll bar must be drawn again
    RECT painting;           // screen rectangle being painted between BeginPaint and EndPaint
    WCHAR text[kWindowTextLength];
    ScrollBarState vscroll;
    EditState edit;
    ButtonState button;
};

extern WindowRecord gWindows[kMaxWindows];
extern uint32_t gTreeVersion;     // changes whenever a window appears, goes, shows, hides or is raised
extern WindowClass gClasses[kMaxClasses];
extern int gClassCount;

bool IsAlive(HWND hwnd);
bool IsShown(HWND hwnd);                       // visible, and every ancestor visible
bool IsClass(HWND hwnd, const char16_t* name);
RECT ScreenRectOf(HWND hwnd);                  // the whole window, in screen pixels
RECT ClientScreenRect(HWND hwnd);              // the client area, in screen pixels
RECT VisibleClientRect(HWND hwnd);             // the client area cut by ancestors and the screen
RECT FrameInsets(HWND hwnd);                   // border and scroll bar widths on each side
LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void InvalidateScreenArea(RECT area, HWND except);
void InvalidateAbove(HWND hwnd, RECT area);
void InvalidateFrame(HWND hwnd);
void PaintPending();                           // paints every window that waits, bottom to top
bool PumpOne(bool wait);                       // one message, input event or paint; false on WM_QUIT
void RunUntilIdle();                           // dispatch everything due now, without waiting
uint32_t NextTimerDue(uint32_t now);           // UINT32_MAX when no timer runs
HWND WindowAt(int x, int y);                   // the topmost shown, enabled window at a screen point
void SetModalWindow(HWND hwnd);                // only this window and its children get input
HWND MainWindow();                             // the first top-level window the program made
void RegisterSystemClass(const char16_t* name, WNDPROC proc, HBRUSH background);
BOOL SetForegroundWindowLocally(HWND hwnd);    // its top-level window to the front of our own
// The queue and the input state (messages.cpp) must forget a window that goes, so that
// nothing meant for it reaches the next window in its slot.
void ForgetDestroyedWindows();
void ForgetWindowInput(HWND hwnd);

// ============================================================================
// Rectangles (gdi.cpp)
// ============================================================================

bool IsEmptyRect(const RECT& r);
RECT Intersect(const RECT& a, const RECT& b);
RECT Union(const RECT& a, const RECT& b);
RECT Offset(RECT r, int dx, int dy);
bool Contains(const RECT& r, int x, int y);

// ============================================================================
// Framebuffer and device contexts (gdi.cpp)
// ============================================================================

// The framebuffer holds the screen at the device scale: each logical pixel of the
// 240 x 320 screen is gDeviceScale x gDeviceScale device pixels, rows of
// kScreenWidth * gDeviceScale. Every caller of the layer works in logical pixels; only the
// primitives below, the glyph and bitmap copies and the backends see device pixels.
constexpr int kMaxDeviceScale = 4;
extern uint32_t gFramebuffer[kScreenWidth * kMaxDeviceScale * kScreenHeight * kMaxDeviceScale];
extern bool gFramebufferChanged;
extern int gDeviceScale;
inline int DeviceStride() { return kScreenWidth * gDeviceScale; }
// Changes the scale (clamped to 1 .. kMaxDeviceScale) and repaints every window at it.
void SetDeviceScale(int scale);

enum class ObjectKind : uint8_t { Free, Font, Bitmap, Brush, Stock };

struct GdiObject {
    ObjectKind kind;
    bool stock;
    COLORREF color;              // brushes; 0xFFFFFFFF for the null brush
    LOGFONTW font;               // fonts
    int fontInstance;            // fonts: index into the face cache (text.cpp)
    int width, height;           // bitmaps, in logical pixels
    const uint32_t* pixels;      // bitmaps: 0x00RRGGBB rows, owned by the image cache
    uint16_t resourceId;         // bitmaps: where a copy at the device scale comes from
};

struct DeviceContext {
    bool used;
    bool memory;                 // CreateCompatibleDC: draws into its bitmap, if any
    HWND hwnd;
    int originX, originY;        // screen position of the client's (0, 0)
    RECT clip;                   // screen pixels
    HFONT font;
    HBITMAP bitmap;
    COLORREF textColor, backColor;
    int backMode;
};

HDC OpenWindowDC(HWND hwnd, RECT clipScreen);
void FillScreenRect(RECT r, uint32_t color);    // clipped to the screen
void InvertScreenRect(RECT r);
void FrameScreenRect(RECT r, uint32_t color);
// One logical pixel (S x S device pixels), clipped only to the screen: the tool-bar
// strip is drawn pixel by pixel at every page turn, so this stays a plain store at S = 1.
inline void FillScreenPixel(int x, int y, uint32_t color) {
    if (unsigned(x) >= unsigned(kScreenWidth) || unsigned(y) >= unsigned(kScreenHeight)) return;
    gFramebufferChanged = true;
    if (gDeviceScale == 1) {
        gFramebuffer[y * kScreenWidth + x] = color;
        return;
    }
    int s = gDeviceScale, stride = DeviceStride();
    uint32_t* p = &gFramebuffer[y * s * stride + x * s];
    for (int dy = 0; dy < s; ++dy, p += stride)
        for (int dx = 0; dx < s; ++dx) p[dx] = color;
}
uint32_t ColorToPixel(COLORREF color);

// ============================================================================
// Text (text.cpp)
// ============================================================================

HFONT SystemFont();
HFONT BoldSystemFont();
int FontInstanceFor(const LOGFONTW& font);
int TextWidth(int instance, const WCHAR* text, int count);
void FontMetrics(int instance, TEXTMETRICW* metrics);
// Draws text with its top-left cell corner at screen (x, y), inside clip; black glyphs
// are blended with the pixels below in the given colour.
void DrawGlyphRun(int instance, const WCHAR* text, int count, int x, int y, RECT clip, uint32_t color);
// Forgets the glyphs rendered for the previous device scale.
void ForgetScaledGlyphs();

// ============================================================================
// Controls, scroll bars, shell (controls.cpp, scrollbar.cpp, menubar.cpp, input_panel.cpp,
// message_box.cpp)
// ============================================================================

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void DrawKeyboardRing(HDC hdc, RECT client);                // the focus ring, just inside a control's edge
void DrawScrollBar(HWND hwnd);
bool ScrollBarPointer(HWND hwnd, UINT msg, int x, int y);   // true when the stylus is on the bar
void RegisterShellClasses();
void RegisterMenuBarClasses();
void RegisterInputPanelClass();
void RegisterTopBarClass();
void RegisterMessageBoxClass();
bool DismissPopupAt(int x, int y);                          // a tap outside the open menu closes it
bool MenuTakesKey(UINT key);                                // the open menu's keys (all of them while it is open)
bool ToggleMenuFromKeys();                                  // F10 or Alt alone: open with the first item marked, or close
// Where scripted input finds a tool button, the Menu button and a menu item on the screen.
bool ToolButtonScreenRect(int command, RECT* out);
bool MenuButtonScreenRect(RECT* out);
bool MenuItemScreenRect(const char16_t* text, RECT* out);
void UpdateTopBar();
int InputPanelTop();                                        // screen y of the panel's top, shown or not
bool InputPanelShown();

// ============================================================================
// Finding the running reader (system.cpp)
// ============================================================================

void ListenForActivation(const WCHAR* className);   // only a program with a real window listens
// The socket's path for the window class and the current data folder; false when it
// does not fit a socket address.
bool ActivationSocketPath(const WCHAR* className, char* path, int size);
void PollActivation();                              // a second process asking us to the front
