// The menu bar at the foot of the screen, built by SHCreateMenuBar from the program's
// resources: the menu template, the menu-bar description (16-bit words), the caption
// string and the bitmap strip of the tool images. The "Menu" button drops down a
// pop-up of the menu's items; the last button opens and closes the input panel. For the
// keyboard, the bar keeps a hot button (the tool bar's hot item), ringed while the bar
// has the focus, and the open menu a marked item that the keys move and choose.
#include <cstring>

#include "platform/screen_views.h"
#include "platform/images.h"
#include "platform/resources.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kMaxToolButtons = 16;
constexpr int kMaxMenuItems = 16;
constexpr int kMenuTextLength = 48;
constexpr int kImageSide = 16;
constexpr int kImageButtonWidth = 20;
constexpr int kPanelButtonWidth = 24;
constexpr int kMenuItemHeight = 20;
constexpr WORD kNoImage = 0xFFFE;
constexpr uint32_t kBarColor = 0x00D0D0D0;

struct ToolButton {
    int image;
    int command;
    BYTE state;
    BYTE style;
    WCHAR caption[kMenuTextLength];
    RECT place;                  // client coordinates; empty while hidden
};

struct MenuItem {
    int id;
    WCHAR text[kMenuTextLength];
};

static HWND menuBar = nullptr;
static HWND owner = nullptr;
static ToolButton buttons[kMaxToolButtons];
static int buttonCount = 0;
static MenuItem items[kMaxMenuItems];
static int itemCount = 0;
static DecodedImage strip = {nullptr, 0, 0};
static int imageCount = 0;
static int pressedButton = -1;          // index, kMaxToolButtons for the panel button
static HWND popup = nullptr;
static int pressedItem = -1;            // under the stylus, or marked by the keys
static int hotButton = -1;              // the keyboard's button, ringed while the bar has the focus

static LRESULT CALLBACK MenuBarProc(HWND, UINT, WPARAM, LPARAM);
static LRESULT CALLBACK PopupProc(HWND, UINT, WPARAM, LPARAM);
static void ChooseItem(int index);
static void MarkItem(int index);

void RegisterMenuBarClasses() {
    RegisterSystemClass(u"#menubar", MenuBarProc, nullptr);
    RegisterSystemClass(u"#popup", PopupProc, GetStockObject(WHITE_BRUSH));
}

// ============================================================================
// Reading the resources
// ============================================================================

static WORD Word(const ResourceBlob& b, uint32_t index) {
    return WORD(b.data[2 * index] | (b.data[2 * index + 1] << 8));
}

// Copies a zero-terminated UTF-16 string that starts at word index; returns the index after it.
static uint32_t ReadString(const ResourceBlob& b, uint32_t index, WCHAR* out) {
    int n = 0;
    uint32_t words = b.size / 2;
    for (; index < words && Word(b, index) != 0; ++index)
        if (n < kMenuTextLength - 1) out[n++] = WCHAR(Word(b, index));
    out[n] = 0;
    return index + 1;
}

// The menu template: a header of two words, then items of flags, identifier (not for a
// pop-up) and text. The items of the first pop-up become the "Menu" list.
static bool ReadMenu(int menuId) {
    constexpr WORD kPopup = 0x10, kEnd = 0x80;
    ResourceBlob b;
    if (!LookUpResource(ResourceType::Menu, uint16_t(menuId), &b) || b.size < 6) return false;
    uint32_t words = b.size / 2, i = 2;
    WCHAR title[kMenuTextLength];
    if (!(Word(b, i) & kPopup)) return false;
    i = ReadString(b, i + 1, title);
    itemCount = 0;
    while (i + 1 < words && itemCount < kMaxMenuItems) {
        WORD flags = Word(b, i);
        if (flags & kPopup) return false;
        MenuItem& item = items[itemCount++];
        item.id = Word(b, i + 1);
        i = ReadString(b, i + 2, item.text);
        if (flags & kEnd) break;
    }
    return itemCount > 0;
}

static void ReadCaption(int stringId, WCHAR* out) {
    ResourceBlob b;
    out[0] = 0;
    if (stringId == 0 || !LookUpResource(ResourceType::String, uint16_t(stringId), &b)) return;
    ReadString(b, 0, out);
}

// The description: menu id, button count, then seven words per button (image, command,
// state, style, string id, 0, sub-menu).
static bool ReadDescription(int id, int* menuId) {
    ResourceBlob b;
    if (!LookUpResource(ResourceType::Data, uint16_t(id), &b) || b.size < 4) return false;
    *menuId = Word(b, 0);
    int count = Word(b, 1);
    if (count > kMaxToolButtons || b.size < uint32_t(4 + count * 14)) return false;
    for (int i = 0; i < count; ++i) {
        uint32_t at = 2 + 7 * uint32_t(i);
        ToolButton& t = buttons[i];
        t.image = Word(b, at) == kNoImage ? -1 : Word(b, at);
        t.command = Word(b, at + 1);
        t.state = BYTE(Word(b, at + 2));
        t.style = BYTE(Word(b, at + 3));
        ReadCaption(Word(b, at + 4), t.caption);
    }
    buttonCount = count;
    return true;
}

// ============================================================================
// Layout and drawing
// ============================================================================

static int CaptionWidth(const ToolButton& t) {
    int n = 0;
    while (t.caption[n]) ++n;
    return TextWidth(BoldSystemFont()->fontInstance, t.caption, n) + 14;
}

// The hot button went away: so does the keyboard's focus on the bar.
static void ForgetHotButton() {
    hotButton = -1;
    if (menuBar && GetFocus() == menuBar) SetFocus(nullptr);
}

// The bar is painted again only when a button has moved, appeared or gone: the page
// sets every tool button's state at every page turn, mostly to what it was, and the
// bar shows nothing of a state but whether the button is hidden.
static void LayOutButtons(bool repaint) {
    int x = 0;
    for (int i = 0; i < buttonCount; ++i) {
        ToolButton& t = buttons[i];
        RECT place = RECT{0, 0, 0, 0};
        if (!(t.state & TBSTATE_HIDDEN)) {
            int width = t.image < 0 ? CaptionWidth(t) : kImageButtonWidth;
            place = RECT{x, 1, x + width, kMenuBarHeight};
            x += width;
        } else if (i == hotButton) {
            ForgetHotButton();
        }
        repaint = repaint || std::memcmp(&place, &t.place, sizeof place) != 0;
        t.place = place;
    }
    if (menuBar && repaint) InvalidateRect(menuBar, nullptr, TRUE);
}

static RECT PanelButtonPlace() { return RECT{kScreenWidth - kPanelButtonWidth, 1, kScreenWidth, kMenuBarHeight}; }

// Dark pixels of the strip are drawn, light ones let the bar show through.
static void DrawImage(HDC hdc, int image, RECT place) {
    if (image < 0 || image >= imageCount || !strip.pixels) return;
    int x0 = hdc->originX + (place.left + place.right - kImageSide) / 2;
    int y0 = hdc->originY + (place.top + place.bottom - kImageSide) / 2;
    for (int y = 0; y < kImageSide && y < strip.height; ++y)
        for (int x = 0; x < kImageSide; ++x) {
            uint32_t p = strip.pixels[y * strip.width + image * kImageSide + x];
            int luma = int(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
            if (luma < 128 && Contains(hdc->clip, x0 + x, y0 + y)) FillScreenPixel(x0 + x, y0 + y, p);
        }
}

static void DrawPanelButton(HDC hdc) {
    RECT r = Offset(PanelButtonPlace(), hdc->originX, hdc->originY);
    RECT key = {r.left + 4, r.top + 7, r.right - 4, r.bottom - 7};
    FrameScreenRect(Intersect(key, hdc->clip), 0);
    for (int i = 0; i < 4; ++i)
        FillScreenRect(Intersect(RECT{key.left + 2 + 4 * i, key.top + 3, key.left + 4 + 4 * i, key.top + 5}, hdc->clip), 0);
    FillScreenRect(Intersect(RECT{key.left + 4, key.bottom - 4, key.right - 4, key.bottom - 3}, hdc->clip), 0);
    if (pressedButton == kMaxToolButtons || InputPanelShown()) InvertScreenRect(Intersect(r, hdc->clip));
}

static void PaintMenuBar(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = {};
    GetClientRect(hwnd, &client);
    FillScreenRect(Intersect(Offset(client, hdc->originX, hdc->originY), hdc->clip), kBarColor);
    FillScreenRect(Intersect(RECT{0, hdc->originY, kScreenWidth, hdc->originY + 1}, hdc->clip), 0);
    SetBkMode(hdc, TRANSPARENT);
    SelectObject(hdc, BoldSystemFont());
    for (int i = 0; i < buttonCount; ++i) {
        ToolButton& t = buttons[i];
        if (IsEmptyRect(t.place)) continue;
        if (t.image < 0) DrawTextW(hdc, t.caption, -1, &t.place, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        else DrawImage(hdc, t.image, t.place);
        if (i == pressedButton || (t.style & TBSTYLE_DROPDOWN && IsAlive(popup)))
            InvertScreenRect(Intersect(Offset(t.place, hdc->originX, hdc->originY), hdc->clip));
        if (i == hotButton && GetFocus() == hwnd) DrawKeyboardRing(hdc, t.place);
    }
    DrawPanelButton(hdc);
    EndPaint(hwnd, &ps);
}

// ============================================================================
// The pop-up menu
// ============================================================================

static int ItemWidth() {
    int widest = 0;
    for (int i = 0; i < itemCount; ++i) {
        RECT r = {0, 0, 400, 40};
        HDC hdc = CreateCompatibleDC(nullptr);
        DrawTextW(hdc, items[i].text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
        DeleteDC(hdc);
        widest = r.right > widest ? r.right : widest;
    }
    return widest + 20;
}

static void OpenPopup() {
    int height = itemCount * kMenuItemHeight + 4;
    int top = kScreenHeight - kMenuBarHeight - height;
    popup = CreateWindowExW(0, u"#popup", u"", WS_VISIBLE | WS_BORDER, 0, top, ItemWidth(), height, menuBar, nullptr,
                            nullptr, nullptr);
    if (popup) SetWindowPos(popup, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    pressedItem = -1;
    InvalidateRect(menuBar, nullptr, TRUE);
}

static void ClosePopup() {
    HWND p = popup;
    popup = nullptr;
    if (IsAlive(p)) DestroyWindow(p);
    if (IsAlive(menuBar)) InvalidateRect(menuBar, nullptr, TRUE);
}

bool DismissPopupAt(int x, int y) {
    if (!IsAlive(popup) || Contains(ScreenRectOf(popup), x, y)) return false;
    ClosePopup();
    return true;
}

// The item whose text underlines this letter (the one after '&'), or -1.
static int ItemWithLetter(UINT key) {
    for (int i = 0; i < itemCount; ++i)
        for (const WCHAR* c = items[i].text; *c; ++c)
            if (c[0] == '&' && c[1] && (c[1] == WCHAR(key) || c[1] == WCHAR(key + 'a' - 'A'))) return i;
    return -1;
}

// While the menu is open it has every key: Up and Down move the mark round, Home and
// End to the ends, Return or Space choose the marked item, a letter the item that
// underlines it; Escape, F10 and Alt close it. Nothing under the menu moves meanwhile.
bool MenuTakesKey(UINT key) {
    if (!IsAlive(popup)) return false;
    int marked = pressedItem;
    switch (key) {
    case VK_ESCAPE: case VK_F10: ClosePopup(); break;
    case VK_DOWN: MarkItem(marked < 0 || marked + 1 >= itemCount ? 0 : marked + 1); break;
    case VK_UP: MarkItem(marked <= 0 ? itemCount - 1 : marked - 1); break;
    case VK_HOME: MarkItem(0); break;
    case VK_END: MarkItem(itemCount - 1); break;
    case VK_RETURN: case VK_SPACE: if (marked >= 0) ChooseItem(marked); break;
    default:
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
            int index = ItemWithLetter(key);
            if (index >= 0) ChooseItem(index);
        }
        break;
    }
    return true;
}

static void OpenPopupFromKeys() {
    OpenPopup();
    MarkItem(0);
}

bool ToggleMenuFromKeys() {
    if (IsAlive(popup)) {
        ClosePopup();
        return true;
    }
    if (!IsShown(menuBar) || itemCount == 0) return false;
    OpenPopupFromKeys();
    return true;
}

static int ItemAt(LPARAM lParam) {
    int y = int16_t(HIWORD(uintptr_t(lParam))) - 2;
    int index = y < 0 ? -1 : y / kMenuItemHeight;
    return index >= 0 && index < itemCount ? index : -1;
}

static void PaintPopup(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = {};
    GetClientRect(hwnd, &client);
    for (int i = 0; i < itemCount; ++i) {
        RECT r = {10, 2 + i * kMenuItemHeight, client.right - 4, 2 + (i + 1) * kMenuItemHeight};
        DrawTextW(hdc, items[i].text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        if (i == pressedItem)
            InvertScreenRect(Intersect(Offset(RECT{0, r.top, client.right, r.bottom}, hdc->originX, hdc->originY), hdc->clip));
    }
    EndPaint(hwnd, &ps);
}

// The menu closes before its command runs, so the command finds the screen as it was.
static void ChooseItem(int index) {
    ClosePopup();
    if (index >= 0 && index < itemCount) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(unsigned(items[index].id), 0), 0);
}

static void MarkItem(int index) {
    if (index == pressedItem) return;
    pressedItem = index;
    if (IsAlive(popup)) InvalidateRect(popup, nullptr, TRUE);
}

static LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintPopup(hwnd); return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
        if (ItemAt(lParam) != pressedItem) InvalidateRect(hwnd, nullptr, TRUE);
        pressedItem = ItemAt(lParam);
        return 0;
    case WM_LBUTTONUP: ChooseItem(ItemAt(lParam)); return 0;
    case WM_DESTROY:
        if (hwnd == popup) popup = nullptr;
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// ============================================================================
// The bar's window procedure
// ============================================================================

static int ButtonAt(LPARAM lParam) {
    int x = int16_t(LOWORD(uintptr_t(lParam))), y = int16_t(HIWORD(uintptr_t(lParam)));
    if (Contains(PanelButtonPlace(), x, y)) return kMaxToolButtons;
    for (int i = 0; i < buttonCount; ++i)
        if (Contains(buttons[i].place, x, y) && (buttons[i].state & TBSTATE_ENABLED)) return i;
    return -1;
}

static void PressButton(int index, bool fromKeys) {
    if (index == kMaxToolButtons) {
        SipShowIM(InputPanelShown() ? SIPF_OFF : SIPF_ON);
        return;
    }
    const ToolButton& t = buttons[index];
    if (t.style & TBSTYLE_DROPDOWN) {
        if (itemCount > 0) fromKeys ? OpenPopupFromKeys() : OpenPopup();
        return;
    }
    SendMessageW(owner, WM_COMMAND, MAKEWPARAM(unsigned(t.command), 0), 0);
}

static LRESULT SetState(WPARAM command, LPARAM state) {
    for (int i = 0; i < buttonCount; ++i)
        if (buttons[i].command == int(command)) {
            buttons[i].state = BYTE(LOWORD(uintptr_t(state)));
            LayOutButtons(false);
            return TRUE;
        }
    return FALSE;
}

static LRESULT CommandIndex(int command) {
    for (int i = 0; i < buttonCount; ++i)
        if (buttons[i].command == command) return i;
    return -1;
}

// Only a shown, enabled button can be hot; anything else makes none hot.
static LRESULT SetHotButton(int index) {
    int before = hotButton;
    bool usable = index >= 0 && index < buttonCount && !IsEmptyRect(buttons[index].place) &&
                  (buttons[index].state & TBSTATE_ENABLED);
    hotButton = usable ? index : -1;
    if (hotButton != before && menuBar) InvalidateRect(menuBar, nullptr, TRUE);
    return before;
}

static LRESULT GetState(WPARAM command) {
    for (int i = 0; i < buttonCount; ++i)
        if (buttons[i].command == int(command)) return buttons[i].state;
    return -1;
}

static LRESULT CALLBACK MenuBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintMenuBar(hwnd); return 0;
    case WM_LBUTTONDOWN:
        pressedButton = ButtonAt(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONUP: {
        int index = ButtonAt(lParam) == pressedButton ? pressedButton : -1;
        pressedButton = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (index >= 0) PressButton(index, false);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_KEYDOWN:
        if ((wParam == VK_RETURN || wParam == VK_SPACE) && hotButton >= 0) {
            PressButton(hotButton, true);
            return 0;
        }
        return owner ? SendMessageW(owner, msg, wParam, lParam) : 0;   // Tab, Escape, scrolling: the page's
    case TB_COMMANDTOINDEX: return CommandIndex(int(wParam));
    case TB_GETHOTITEM: return hotButton;
    case TB_SETHOTITEM: return SetHotButton(int(wParam));
    case TB_SETSTATE: return SetState(wParam, lParam);
    case TB_GETSTATE: return GetState(wParam);
    case WM_DESTROY:
        if (hwnd == menuBar) menuBar = nullptr;
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// ============================================================================
// SHCreateMenuBar
// ============================================================================

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    RegisterShellClasses();
    if (!info || !IsAlive(info->hwndParent) || IsAlive(menuBar)) return FALSE;
    int menuId = 0;
    if (!ReadDescription(int(info->nToolBarId), &menuId)) return FALSE;
    if (!ReadMenu(menuId)) itemCount = 0;
    imageCount = 0;
    if (info->nBmpId && LoadBitmapResource(uint16_t(info->nBmpId), &strip))
        imageCount = strip.width / kImageSide > info->cBmpImages ? strip.width / kImageSide : info->cBmpImages;
    if (imageCount * kImageSide > strip.width) imageCount = strip.width / kImageSide;
    owner = info->hwndParent;
    menuBar = CreateWindowExW(0, u"#menubar", u"", WS_VISIBLE, 0, kScreenHeight - kMenuBarHeight, kScreenWidth,
                              kMenuBarHeight, owner, nullptr, nullptr, nullptr);
    if (!menuBar) return FALSE;
    SetWindowPos(menuBar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    LayOutButtons(true);
    info->hwndMB = menuBar;
    return TRUE;
}

// ============================================================================
// For scripted input: where a button or an item is on the screen
// ============================================================================

bool ToolButtonScreenRect(int command, RECT* out) {
    if (!IsShown(menuBar)) return false;
    for (int i = 0; i < buttonCount; ++i)
        if (buttons[i].command == command && !IsEmptyRect(buttons[i].place)) {
            RECT c = ClientScreenRect(menuBar);
            *out = Offset(buttons[i].place, c.left, c.top);
            return true;
        }
    return false;
}

static bool SameItemText(const WCHAR* item, const char16_t* wanted) {
    for (;; ++item) {
        if (*item == '&') continue;
        if (*item != *wanted) return false;
        if (*item == 0) return true;
        ++wanted;
    }
}

bool MenuButtonScreenRect(RECT* out) {
    for (int i = 0; i < buttonCount; ++i)
        if ((buttons[i].style & TBSTYLE_DROPDOWN) && IsShown(menuBar) && !IsEmptyRect(buttons[i].place)) {
            RECT c = ClientScreenRect(menuBar);
            *out = Offset(buttons[i].place, c.left, c.top);
            return true;
        }
    return false;
}

bool MenuItemScreenRect(const char16_t* text, RECT* out) {
    if (!IsShown(popup)) return false;
    RECT c = ClientScreenRect(popup);
    for (int i = 0; i < itemCount; ++i)
        if (SameItemText(items[i].text, text)) {
            *out = RECT{c.left, c.top + 2 + i * kMenuItemHeight, c.right, c.top + 2 + (i + 1) * kMenuItemHeight};
            return true;
        }
    return false;
}

// ============================================================================
// For whoever describes the screen (screen_views.h)
// ============================================================================

bool OpenMenuView(MenuView* out) {
    if (!IsAlive(popup)) return false;
    out->count = itemCount < kMaxViewItems ? itemCount : kMaxViewItems;
    for (int i = 0; i < out->count; ++i) {
        out->ids[i] = items[i].id;
        out->texts[i] = items[i].text;
    }
    out->marked = pressedItem;
    return true;
}

// The open menu's row of the item with this command identifier, or -1.
static int OpenMenuRow(int id) {
    if (!IsAlive(popup)) return -1;
    for (int i = 0; i < itemCount; ++i)
        if (items[i].id == id) return i;
    return -1;
}

bool ChooseOpenMenuItem(int id) {
    int row = OpenMenuRow(id);
    if (row >= 0) ChooseItem(row);
    return row >= 0;
}

bool MarkOpenMenuItem(int id) {
    int row = OpenMenuRow(id);
    if (row >= 0) MarkItem(row);
    return row >= 0;
}
