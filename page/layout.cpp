// Line layout and painting. A line is collected as a short list of pending items and
// placed when it is complete, since only then are its alignment and height known;
// the full lines of a long text run are drawn at once.
#include "page/layout.h"

#include <cstring>

#include "page/controls.h"
#include "page/geometry.h"
#include "page/page_items.h"
#include "page/page_state.h"

struct LineItem {
    int32_t kind;
    int16_t argument;     // text: character count; picture: bitmap id; control: slot
    int16_t width;
    const WCHAR* text;
};

static LayoutMetrics layoutMetrics = {};
static PageContentBuilder contentBuilder = nullptr;

const LayoutMetrics& Metrics() { return layoutMetrics; }
void ResetLayoutBold() { layoutMetrics.bold = false; }
void SetPageContentBuilder(PageContentBuilder builder) { contentBuilder = builder; }

// ============================================================================
// Pass state
// ============================================================================

// The working state of the layout, one record: the pending line, the pen, and what
// carries over from one pass to the next as the page's markup left it (alignment, the
// line's bold state, the line height). The metrics above are the pass's measures.
struct LayoutPass {
    LineItem lineItems[kLineItems];
    int16_t lineItemCount;
    WCHAR lineTextPool[kLineTextPool];
    int16_t lineTextUsed;
    WCHAR lineBuffer[kLineBufferSize];
    int32_t penX;
    int32_t penY;
    int32_t lineHeight;
    int32_t tabUnit;
    int16_t alignment;
    bool lineBold;
    // A message box raised while the page is built runs its own loop, which paints this
    // window while it is still invalid. That paint must lay out what exists so far and
    // never build the page a second time: the page's build-time commands would run again
    // and every error would raise one more box.
    bool buildingPage;
};
static LayoutPass pass = {};

void ClearLayout() {
    layoutMetrics = {};
    pass = {};
}

static HFONT FontFor(bool bold) { return bold ? Frame().boldFont : Frame().normalFont; }

static UINT AlignmentFlag() {
    return pass.alignment == 1 ? DT_CENTER : pass.alignment == 2 ? DT_RIGHT : DT_LEFT;
}

void InvertBand(HDC dc, const RECT& band) {
    BitBlt(dc, band.left, band.top, band.right - band.left, band.bottom - band.top, dc, band.left,
           band.top, DSTINVERT);
}

// ============================================================================
// Measuring
// ============================================================================

int FitWords(WCHAR* buffer, const char* text, int32_t* height, int32_t* width, HDC dc,
             HFONT font) {
    SelectObject(dc, font);
    int length = int(std::strlen(text));
    int fit = 0;
    SIZE fitSize = {};
    SIZE size;
    int i = 0;
    // Each prefix is measured, and its width is the last prefix's plus that of the
    // characters after it (the platform's text has no kerning): only those are measured
    // again, so a line costs its length rather than its length times its words.
    int measured = 0;
    LONG measuredWidth = 0;
    auto measureTo = [&](int end) {
        GetTextExtentExPointW(dc, buffer + measured, end - measured, 0, nullptr, nullptr, &size);
        size.cx += measuredWidth;
        measured = end;
        measuredWidth = size.cx;
    };
    // Copy and measure up to the space after the first word that no longer fits; the
    // buffer's size bounds a run without spaces.
    while (i < length && i < kLineBufferSize - 1) {
        WCHAR c = WCHAR(static_cast<unsigned char>(text[i]));
        buffer[i++] = c;
        if (c != ' ') continue;
        measureTo(i);
        if (size.cx >= *width) break;
        fit = i;
        fitSize = size;
    }
    if (i == length && fit < length) {
        measureTo(length);
        if (size.cx < *width) {
            fit = length;
            fitSize = size;
        }
    }
    buffer[fit] = 0;
    if (fit > 0) {
        if (fitSize.cy > *height) *height = fitSize.cy;
        *width = fitSize.cx;
    }
    return fit;
}

// A word wider than the whole line: as many of its characters as fit (at least one),
// so that every pass ends.
static int CutWord(const char* text, int32_t* width, HDC dc, HFONT font) {
    SelectObject(dc, font);
    int count = 0;
    while (text[count] && text[count] != ' ' && count < kLineBufferSize - 1) {
        pass.lineBuffer[count] = WCHAR(static_cast<unsigned char>(text[count]));
        ++count;
    }
    if (text[count] == ' ' && count < kLineBufferSize - 1) pass.lineBuffer[count++] = ' ';
    int fit = 0;
    SIZE size = {};
    GetTextExtentExPointW(dc, pass.lineBuffer, count, *width, &fit, nullptr, &size);
    if (fit < 1) fit = 1;
    GetTextExtentExPointW(dc, pass.lineBuffer, fit, 0, nullptr, nullptr, &size);
    pass.lineBuffer[fit] = 0;
    *width = size.cx;
    if (size.cy > pass.lineHeight) pass.lineHeight = size.cy;
    return fit;
}

// ============================================================================
// Placing lines
// ============================================================================

static void PlaceControl(HWND control, int x, int width, int height) {
    if (!control) return;
    ShowWindow(control, pass.penY + height < Frame().creationRect.bottom ? SW_SHOW : SW_HIDE);
    MoveWindow(control, x, pass.penY, width, height, FALSE);
}

static void DrawPicture(HDC dc, int x, int16_t bitmapId) {
    HBITMAP bitmap = LoadBitmapW(Frame().instance, MAKEINTRESOURCEW(bitmapId));
    BITMAP size = {};
    if (bitmap && GetObjectW(bitmap, sizeof size, &size)) {
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(dc, x, pass.penY, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    if (bitmap) DeleteObject(bitmap);
}

static int PlaceLineItem(HDC dc, const LineItem& item, int x) {
    switch (item.kind) {
    case kItemText: {
        SelectObject(dc, FontFor(pass.lineBold));
        RECT rect = {x, pass.penY, layoutMetrics.rightLimit, pass.penY + pass.lineHeight};
        DrawTextW(dc, item.text, item.argument, &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        return x + item.width;
    }
    case kItemBoldOn: pass.lineBold = true; return x;
    case kItemBoldOff: pass.lineBold = false; return x;
    case kItemGap: return x + item.width;
    case kItemPicture: DrawPicture(dc, x, item.argument); return x + item.width;
    case kItemEntryBox: {
        const EditSlot& slot = Controls().edits[item.argument];
        SetInputPanelWanted(true);
        PlaceControl(Controls().editWindows[item.argument], x, item.width, slot.height);
        if (Controls().editWindows[item.argument] && !FocusOnPageButton()) SetFocus(Controls().editWindows[item.argument]);
        return x + item.width + 2;
    }
    case kItemButton: {
        const ButtonSlot& slot = Controls().buttons[item.argument];
        PlaceControl(Controls().buttonWindows[item.argument], x, item.width, slot.height);
        return x + item.width + (slot.bitmap ? 0 : 2);
    }
    default: return x;
    }
}

static void FlushLine(HDC dc) {
    int total = 0;
    for (int i = 0; i < pass.lineItemCount; ++i) total += pass.lineItems[i].width;
    int x = pass.alignment == 1 ? (layoutMetrics.rightLimit - total) / 2
            : pass.alignment == 2 ? layoutMetrics.rightLimit - total
                             : kLeftMargin;
    for (int i = 0; i < pass.lineItemCount; ++i) x = PlaceLineItem(dc, pass.lineItems[i], x);
    pass.lineItemCount = 0;
    pass.lineTextUsed = 0;
}

static void EndLine(HDC dc, int extra) {
    if (pass.lineItemCount > 0) FlushLine(dc);
    pass.penY += pass.lineHeight + extra;
    pass.lineHeight = layoutMetrics.defaultLineHeight;
    pass.penX = kLeftMargin;
}

// The pending line holds kLineItems items at most; a line that would need more is
// placed as it stands and the layout goes on with a new line.
static LineItem* AppendLineItem(HDC dc, int32_t kind, int16_t argument, int16_t width) {
    if (pass.lineItemCount == kLineItems) EndLine(dc, 0);
    LineItem& item = pass.lineItems[pass.lineItemCount++];
    item = {kind, argument, width, nullptr};
    return &item;
}

// Queues the first n characters of the line buffer as a pending text item.
static void QueueText(HDC dc, int n, int32_t width) {
    if (n + 1 > kLineTextPool - pass.lineTextUsed) EndLine(dc, 0);
    if (n + 1 > kLineTextPool) n = kLineTextPool - 1;   // never reached at this font size
    WCHAR* copy = pass.lineTextPool + pass.lineTextUsed;
    std::memcpy(copy, pass.lineBuffer, sizeof(WCHAR) * size_t(n));
    copy[n] = 0;
    pass.lineTextUsed = int16_t(pass.lineTextUsed + n + 1);
    AppendLineItem(dc, kItemText, int16_t(n), int16_t(width))->text = copy;
}

// ============================================================================
// Laying out the page items
// ============================================================================

static void LayoutText(HDC dc, const char* rest) {
    int length = int(std::strlen(rest));
    while (length > 0) {
        int32_t width = layoutMetrics.rightLimit - pass.penX;
        int n = FitWords(pass.lineBuffer, rest, &pass.lineHeight, &width, dc, FontFor(layoutMetrics.bold));
        if (n == 0 && pass.penX > kLeftMargin) {
            EndLine(dc, 1);
            continue;
        }
        if (n == 0) n = CutWord(rest, &width, dc, FontFor(layoutMetrics.bold));
        if (pass.penX == kLeftMargin && n < length && pass.lineItemCount == 0) {
            SelectObject(dc, FontFor(layoutMetrics.bold));
            RECT rect = {pass.penX, pass.penY, layoutMetrics.rightLimit, pass.penY + pass.lineHeight};
            DrawTextW(dc, pass.lineBuffer, n, &rect,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignmentFlag());
        } else {
            QueueText(dc, n, width);
        }
        rest += n;
        length -= n;
        if (length == 0) {
            pass.penX += width;
            return;
        }
        EndLine(dc, 1);
    }
}

static void LayoutTitle(HDC dc, const char* text, const RECT& client) {
    HGDIOBJ previous = SelectObject(dc, Frame().boldFont);
    int32_t width = layoutMetrics.rightLimit;
    int n = FitWords(pass.lineBuffer, text, &pass.lineHeight, &width, dc, Frame().boldFont);
    RECT band = {0, pass.penY, client.right, pass.penY + pass.lineHeight};
    DrawTextW(dc, pass.lineBuffer, n, &band, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (Frame().scrollOffset == 0) InvertBand(dc, band);
    pass.penY += pass.lineHeight;
    SelectObject(dc, previous);
    pass.lineHeight = layoutMetrics.defaultLineHeight;
    pass.penX = kLeftMargin;
}

static void LayoutBold(HDC dc, bool on) {
    layoutMetrics.bold = on;
    if (pass.lineItemCount > 0) AppendLineItem(dc, on ? kItemBoldOn : kItemBoldOff, 0, 0);
    else pass.lineBold = on;
}

static void LayoutGap(HDC dc) {
    int gap = pass.tabUnit > 0 ? pass.tabUnit - pass.penX % pass.tabUnit : 0;
    if (pass.penX + gap >= layoutMetrics.rightLimit) return;
    pass.penX += gap;
    AppendLineItem(dc, kItemGap, 0, int16_t(gap));
}

static void LayoutPicture(HDC dc, const PageItem& item) {
    HBITMAP bitmap = LoadBitmapW(Frame().instance, MAKEINTRESOURCEW(item.argument));
    BITMAP size = {};
    int width = layoutMetrics.rightLimit;
    int height = 0;
    if (bitmap && GetObjectW(bitmap, sizeof size, &size)) {
        width = size.bmWidth;
        height = size.bmHeight;
    }
    if (bitmap) DeleteObject(bitmap);
    if (width > layoutMetrics.rightLimit - pass.penX && pass.penX > kLeftMargin) EndLine(dc, 0);
    AppendLineItem(dc, kItemPicture, item.argument, int16_t(width));
    pass.penX += width;
    if (height > pass.lineHeight) pass.lineHeight = height;
    if (item.inlineFlag) return;
    FlushLine(dc);
    pass.penY += pass.lineHeight;
    pass.lineHeight = layoutMetrics.defaultLineHeight;
    pass.penX = kLeftMargin;
}

static void LayoutControl(HDC dc, int32_t kind, int16_t slot) {
    bool entry = kind == kItemEntryBox;
    int width = entry ? Controls().edits[slot].width : Controls().buttons[slot].width;
    int height = entry ? Controls().edits[slot].height : Controls().buttons[slot].height;
    if (layoutMetrics.rightLimit - pass.penX < width) EndLine(dc, 0);
    AppendLineItem(dc, kind, slot, int16_t(width));
    if (height > pass.lineHeight) pass.lineHeight = height;
    pass.penX += width + (entry || !Controls().buttons[slot].bitmap ? 2 : 0);
}

static void LayoutItem(HDC dc, const PageItem& item, const RECT& client) {
    switch (item.kind) {
    case kItemText: LayoutText(dc, item.text); break;
    case kItemAlignLeft:
    case kItemAlignCentre:
    case kItemAlignRight: pass.alignment = int16_t(item.kind - kItemAlignLeft); break;
    case kItemBoldOn: LayoutBold(dc, true); break;
    case kItemBoldOff: LayoutBold(dc, false); break;
    case kItemLineBreak: EndLine(dc, 0); break;
    case kItemParagraphBreak: {
        int32_t height = pass.lineHeight;
        EndLine(dc, 0);
        pass.penY += height;
        break;
    }
    case kItemGap: LayoutGap(dc); break;
    case kItemTitle: LayoutTitle(dc, item.text, client); break;
    case kItemPicture: LayoutPicture(dc, item); break;
    case kItemEntryBox:
    case kItemButton: LayoutControl(dc, item.kind, item.argument); break;
    default: break;
    }
}

// ============================================================================
// Rebuild and paint
// ============================================================================

static void MeasureDefaultFont(HWND window) {
    HDC dc = GetDC(window);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    ReleaseDC(window, dc);
    layoutMetrics.defaultLineHeight = metrics.tmHeight;
    layoutMetrics.averageCharWidth = metrics.tmAveCharWidth;
    pass.tabUnit = 2 * layoutMetrics.averageCharWidth;
}

static void RebuildPage(HWND window) {
    SetInputPanelWanted(false);
    DestroyPageControls();
    ClearPageState();
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_DISABLENOSCROLL;
    info.nPos = 0;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    MeasureDefaultFont(window);
    ClearPageItems();
    pass.lineItemCount = 0;
    pass.lineTextUsed = 0;
    ForgetContentHeight();
    if (contentBuilder) contentBuilder();
}

bool BuildingPage() { return pass.buildingPage; }

// Builds the page once for the request that was pending. A request made while building
// (a timer that fired inside a box) is left pending and served by the next paint.
static void RebuildOnce(HWND window) {
    ClearRebuildRequest();
    pass.buildingPage = true;
    RebuildPage(window);
    pass.buildingPage = false;
    // A paint inside a box may have validated the window: the whole new page is drawn now.
    InvalidateRect(window, nullptr, TRUE);
}

void PaintPage(HWND window) {
    // Picture buttons built below read it too.
    layoutMetrics.rightLimit = Frame().creationRect.right - 4;
    if (PageNow().rebuildWanted && !pass.buildingPage) RebuildOnce(window);
    pass.penY = Frame().scrollOffset;
    pass.penX = kLeftMargin;

    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    for (int i = 0; i < PageItems().count; ++i) LayoutItem(dc, PageItems().items[i], client);
    if (pass.lineItemCount > 0) EndLine(dc, 1);
    UpdateScrollRange(window, pass.penY - Frame().scrollOffset);
    EndPaint(window, &paint);

    ServeRepaintRequest(window);
    ServeInputPanelRequest();
    if (PageNow().rebuildWanted && !pass.buildingPage) InvalidateRect(window, nullptr, TRUE);
}
