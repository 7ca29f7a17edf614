// The drawing surface: one 32-bit framebuffer of the device screen, device contexts
// that draw into it clipped to a rectangle, and the GDI objects (brushes, bitmaps,
// fonts) in one fixed table. Memory device contexts hold a bitmap to copy from.
#include <algorithm>
#include <cstring>

#include "platform/images.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kMaxDCs = 32;
constexpr int kMaxObjects = 512;

uint32_t gFramebuffer[kScreenWidth * kMaxDeviceScale * kScreenHeight * kMaxDeviceScale];
bool gFramebufferChanged = true;
int gDeviceScale = 1;

static DeviceContext contexts[kMaxDCs];
static GdiObject objects[kMaxObjects];
static GdiObject stockWhite = {ObjectKind::Brush, true, RGB(255, 255, 255), {}, 0, 0, 0, nullptr, 0};
static GdiObject stockLightGray = {ObjectKind::Brush, true, RGB(192, 192, 192), {}, 0, 0, 0, nullptr, 0};
static GdiObject stockGray = {ObjectKind::Brush, true, RGB(128, 128, 128), {}, 0, 0, 0, nullptr, 0};
static GdiObject stockBlack = {ObjectKind::Brush, true, RGB(0, 0, 0), {}, 0, 0, 0, nullptr, 0};
static GdiObject stockNull = {ObjectKind::Brush, true, 0xFFFFFFFF, {}, 0, 0, 0, nullptr, 0};

// ============================================================================
// Rectangles
// ============================================================================

bool IsEmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r = {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
              a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    return IsEmptyRect(r) ? RECT{0, 0, 0, 0} : r;
}

RECT Union(const RECT& a, const RECT& b) {
    if (IsEmptyRect(a)) return b;
    if (IsEmptyRect(b)) return a;
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

RECT Offset(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

bool Contains(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// ============================================================================
// Pixels
// ============================================================================

uint32_t ColorToPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

static RECT ClipToScreen(RECT r) { return Intersect(r, RECT{0, 0, kScreenWidth, kScreenHeight}); }

// Every paint erases and fills large areas, nine or sixteen device pixels a logical
// one above scale 1: rows are stored eight pixels at a time, four stores a round, in
// one instruction each where the processor has 32-byte stores (the copy for it is
// chosen when the program is loaded).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
__attribute__((target_clones("avx2", "default")))
#endif
static void FillRow(uint32_t* to, int count, uint32_t color) {
    typedef uint32_t Lanes __attribute__((vector_size(32)));
    const Lanes lanes = {color, color, color, color, color, color, color, color};
    uint32_t* end = to + count;
    if (count < 8) {
        for (; to < end; ++to) *to = color;
        return;
    }
    for (; end - to >= 32; to += 32) {
        std::memcpy(to, &lanes, 32);
        std::memcpy(to + 8, &lanes, 32);
        std::memcpy(to + 16, &lanes, 32);
        std::memcpy(to + 24, &lanes, 32);
    }
    for (; end - to >= 8; to += 8) std::memcpy(to, &lanes, 32);
    if (to < end) std::memcpy(end - 8, &lanes, 32);   // the last eight again: the same colour
}

void FillScreenRect(RECT r, uint32_t color) {
    r = ClipToScreen(r);
    if (r.right <= r.left) return;
    int s = gDeviceScale, stride = DeviceStride(), width = (r.right - r.left) * s;
    for (int y = r.top * s; y < r.bottom * s; ++y) FillRow(&gFramebuffer[y * stride + r.left * s], width, color);
    gFramebufferChanged = true;
}

void InvertScreenRect(RECT r) {
    r = ClipToScreen(r);
    int s = gDeviceScale, stride = DeviceStride();
    for (int y = r.top * s; y < r.bottom * s; ++y)
        for (int x = r.left * s; x < r.right * s; ++x) gFramebuffer[y * stride + x] ^= 0x00FFFFFF;
    gFramebufferChanged = true;
}

// Lines and frames are one logical pixel, so S device pixels, thick.
void FrameScreenRect(RECT r, uint32_t color) {
    FillScreenRect(RECT{r.left, r.top, r.right, r.top + 1}, color);
    FillScreenRect(RECT{r.left, r.bottom - 1, r.right, r.bottom}, color);
    FillScreenRect(RECT{r.left, r.top, r.left + 1, r.bottom}, color);
    FillScreenRect(RECT{r.right - 1, r.top, r.right, r.bottom}, color);
}

// A new scale starts from a blank screen: the glyphs and bitmaps made for the old one
// are let go, and every window paints itself again (the layout pass included), so no
// logical coordinate changes.
void SetDeviceScale(int scale) {
    scale = scale < 1 ? 1 : scale > kMaxDeviceScale ? kMaxDeviceScale : scale;
    if (scale == gDeviceScale) return;
    gDeviceScale = scale;
    ForgetScaledGlyphs();
    ForgetScaledBitmaps();
    InvalidateScreenArea(RECT{0, 0, kScreenWidth, kScreenHeight}, nullptr);
    for (WindowRecord& w : gWindows)
        if (IsAlive(&w) && IsShown(&w)) InvalidateFrame(&w);
    gFramebufferChanged = true;
}

// ============================================================================
// Device contexts
// ============================================================================

static HDC AllocateDC() {
    for (DeviceContext& dc : contexts)
        if (!dc.used) {
            dc = DeviceContext{};
            dc.used = true;
            dc.font = SystemFont();
            dc.backColor = RGB(255, 255, 255);
            dc.backMode = OPAQUE;
            return &dc;
        }
    return nullptr;
}

static bool IsDC(HDC hdc) { return hdc && hdc >= contexts && hdc < contexts + kMaxDCs && hdc->used; }

HDC OpenWindowDC(HWND hwnd, RECT clipScreen) {
    HDC dc = AllocateDC();
    if (!dc) return nullptr;
    RECT client = hwnd ? ClientScreenRect(hwnd) : RECT{0, 0, kScreenWidth, kScreenHeight};
    dc->hwnd = hwnd;
    dc->originX = client.left;
    dc->originY = client.top;
    dc->clip = ClipToScreen(clipScreen);
    return dc;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) return OpenWindowDC(nullptr, RECT{0, 0, kScreenWidth, kScreenHeight});
    if (!IsAlive(hwnd)) return nullptr;
    return OpenWindowDC(hwnd, IsShown(hwnd) ? VisibleClientRect(hwnd) : RECT{0, 0, 0, 0});
}

int ReleaseDC(HWND, HDC hdc) {
    if (!IsDC(hdc) || hdc->memory) return 0;
    hdc->used = false;
    return 1;
}

HDC CreateCompatibleDC(HDC) {
    HDC dc = AllocateDC();
    if (dc) dc->memory = true;
    return dc;
}

BOOL DeleteDC(HDC hdc) {
    if (!IsDC(hdc)) return FALSE;
    hdc->used = false;
    return TRUE;
}

int GetDeviceCaps(HDC, int index) {
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case HORZRES: return kScreenWidth;
    case VERTRES: return kScreenHeight;
    case BITSPIXEL: return 32;
    default: return 0;
    }
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    if (!IsDC(hdc)) return 0;
    COLORREF old = hdc->textColor;
    hdc->textColor = color;
    return old;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    if (!IsDC(hdc)) return 0;
    COLORREF old = hdc->backColor;
    hdc->backColor = color;
    return old;
}

int SetBkMode(HDC hdc, int mode) {
    if (!IsDC(hdc)) return 0;
    int old = hdc->backMode;
    hdc->backMode = mode;
    return old;
}

// ============================================================================
// Objects
// ============================================================================

static HGDIOBJ AllocateObject(ObjectKind kind) {
    for (GdiObject& o : objects)
        if (o.kind == ObjectKind::Free) {
            o = GdiObject{};
            o.kind = kind;
            return &o;
        }
    return nullptr;
}

static bool IsObject(HGDIOBJ o) { return o && o->kind != ObjectKind::Free; }

HGDIOBJ GetStockObject(int which) {
    switch (which) {
    case WHITE_BRUSH: return &stockWhite;
    case LTGRAY_BRUSH: return &stockLightGray;
    case GRAY_BRUSH: return &stockGray;
    case BLACK_BRUSH: return &stockBlack;
    case NULL_BRUSH: return &stockNull;
    case SYSTEM_FONT: return SystemFont();
    default: return nullptr;
    }
}

HBRUSH CreateSolidBrush(COLORREF color) {
    HGDIOBJ o = AllocateObject(ObjectKind::Brush);
    if (o) o->color = color;
    return o;
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
    if (!font) return nullptr;
    HGDIOBJ o = AllocateObject(ObjectKind::Font);
    if (!o) return nullptr;
    o->font = *font;
    o->fontInstance = FontInstanceFor(*font);
    return o;
}

HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    DecodedImage image;
    if (!LoadBitmapResource(uint16_t(uintptr_t(name)), &image)) return nullptr;
    HGDIOBJ o = AllocateObject(ObjectKind::Bitmap);
    if (!o) return nullptr;
    o->width = image.width;
    o->height = image.height;
    o->pixels = image.pixels;
    o->resourceId = uint16_t(uintptr_t(name));
    return o;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (!IsObject(object) || object->stock) return FALSE;
    for (DeviceContext& dc : contexts)
        if (dc.used && (dc.font == object || dc.bitmap == object)) return FALSE;
    object->kind = ObjectKind::Free;
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    if (!IsDC(hdc) || !IsObject(object)) return nullptr;
    HGDIOBJ old = nullptr;
    if (object->kind == ObjectKind::Font) {
        old = hdc->font;
        hdc->font = object;
    } else if (object->kind == ObjectKind::Bitmap && hdc->memory) {
        old = hdc->bitmap;
        hdc->bitmap = object;
    }
    return old;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID out) {
    if (!IsObject(object) || !out) return 0;
    if (object->kind == ObjectKind::Font && size >= int(sizeof(LOGFONTW))) {
        memcpy(out, &object->font, sizeof(LOGFONTW));
        return sizeof(LOGFONTW);
    }
    if (object->kind == ObjectKind::Bitmap && size >= int(sizeof(BITMAP))) {
        BITMAP bm = {0, object->width, object->height, object->width * 4, 1, 32, nullptr};
        memcpy(out, &bm, sizeof(BITMAP));
        return sizeof(BITMAP);
    }
    return 0;
}

// ============================================================================
// Filling and copying
// ============================================================================

static RECT DeviceRect(HDC hdc, const RECT& r) {
    return Intersect(Offset(r, hdc->originX, hdc->originY), hdc->clip);
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    if (!IsDC(hdc) || hdc->memory || !rect || !IsObject(brush) || brush->color == 0xFFFFFFFF) return 0;
    FillScreenRect(DeviceRect(hdc, *rect), ColorToPixel(brush->color));
    return 1;
}

// Copies part of a bitmap to the screen. Positions and sizes are logical; at a device
// scale above 1 the rows come from the bitmap's copy at that scale (images.h), whose
// pixel (x * S, y * S) stands where the bitmap's pixel (x, y) stands.
static void BlitBitmap(HDC hdc, int x, int y, HBITMAP bm, int srcX, int srcY, int width, int height) {
    RECT dest = DeviceRect(hdc, RECT{x, y, x + width, y + height});
    if (IsEmptyRect(dest)) return;
    int s = gDeviceScale, stride = DeviceStride();
    const uint32_t* pixels = bm->pixels;
    int pitch = bm->width;
    DecodedImage scaled;
    if (s > 1) {
        if (!LoadScaledBitmap(bm->resourceId, s, &scaled) || scaled.width != bm->width * s) return;
        pixels = scaled.pixels;
        pitch = scaled.width;
    }
    int sx = (hdc->originX + x - srcX) * s, sy = (hdc->originY + y - srcY) * s;   // device place of pixel (0, 0)
    for (int row = dest.top * s; row < dest.bottom * s; ++row)
        memcpy(&gFramebuffer[row * stride + dest.left * s], &pixels[(row - sy) * pitch + (dest.left * s - sx)],
               size_t(dest.right - dest.left) * s * sizeof(uint32_t));
    gFramebufferChanged = true;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    if (!IsDC(dest) || dest->memory) return FALSE;
    RECT r = {x, y, x + width, y + height};
    switch (rop) {
    case DSTINVERT: InvertScreenRect(DeviceRect(dest, r)); return TRUE;
    case BLACKNESS: FillScreenRect(DeviceRect(dest, r), 0); return TRUE;
    case WHITENESS: FillScreenRect(DeviceRect(dest, r), 0x00FFFFFF); return TRUE;
    case SRCCOPY: break;
    default: return FALSE;
    }
    if (!IsDC(src) || !src->bitmap || srcX < 0 || srcY < 0) return FALSE;
    HBITMAP bm = src->bitmap;
    int w = width < bm->width - srcX ? width : bm->width - srcX;
    int h = height < bm->height - srcY ? height : bm->height - srcY;
    if (w <= 0 || h <= 0) return TRUE;
    BlitBitmap(dest, x, y, bm, srcX, srcY, w, h);
    return TRUE;
}
