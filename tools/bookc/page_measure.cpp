// The page's fonts made as the page makes them, and a label measured with them.
#include "tools/bookc/page_measure.h"

#include "platform/text_codec.h"
#include "platform/win32.h"

// The system font's face at 10 points in the given weight, as the page's own.
static HFONT PageFont(HDC dc, bool bold) {
    LOGFONTW font;
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    font.lfWeight = bold ? FW_BOLD : FW_LIGHT;
    font.lfHeight = LONG(-(GetDeviceCaps(dc, LOGPIXELSY) * 10.0 / 72.0 + 0.5));
    return CreateFontIndirectW(&font);
}

int PageLabelWidth(const std::string& latin1, bool bold) {
    WCHAR wide[256];
    int length = WidenLatin1(latin1.c_str(), wide, 256);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = PageFont(dc, bold);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentExPointW(dc, wide, length, 0, nullptr, nullptr, &size);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    return size.cx;
}
