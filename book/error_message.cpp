// ShowErrorMessage: formats into a fixed buffer and shows a modal box with no owner,
// no caption of its own and an OK button.
#include "book/error_message.h"

#include <cstdarg>
#include <cstdio>

#include "platform/text_codec.h"
#include "platform/win32.h"

void ShowErrorMessage(const char* format, ...) {
    char text[kErrorMessageLength + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    // The book's text is Latin-1: each byte is its own character code.
    WCHAR wide[kErrorMessageLength + 1];
    WidenLatin1(text, wide, kErrorMessageLength + 1);
    MessageBoxW(nullptr, wide, nullptr, MB_OK);
}
