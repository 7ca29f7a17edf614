// The reader's data folder, following the desktop's base-directory convention.
#include "platform/data_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "platform/text_codec.h"

// Creates every missing folder of path (a UTF-8 path ending in '/').
static bool MakeFolders(char* path) {
    for (char* p = path + 1; *p; ++p) {
        if (*p != '/') continue;
        *p = 0;
        bool made = mkdir(path, 0700) == 0 || errno == EEXIST;
        *p = '/';
        if (!made) return false;
    }
    return true;
}

// The file calls take UTF-16 paths and turn them back into UTF-8; characters beyond
// the 16-bit plane do not occur in the folders this is used for and are refused.
static bool Utf8ToUtf16(const char* in, WCHAR* out, int size) {
    size_t length = std::strlen(in);
    int n = 0;
    for (size_t at = 0; at < length;) {
        char32_t c;
        int bytes = DecodeUtf8Char(in + at, length - at, &c);
        if (bytes == 0 || c > 0xFFFF || n + 1 >= size) return false;
        out[n++] = WCHAR(c);
        at += size_t(bytes);
    }
    out[n] = 0;
    return true;
}

bool GetDataFolder(WCHAR* path, int size) {
    path[0] = 0;
    char folder[1024];
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    int length;
    if (data && data[0] == '/')
        length = std::snprintf(folder, sizeof folder, "%s/quietharbour/", data);
    else if (home && home[0])
        length = std::snprintf(folder, sizeof folder, "%s/.local/share/quietharbour/", home);
    else
        return false;
    if (length <= 0 || length >= int(sizeof folder) || length >= size) return false;
    if (!MakeFolders(folder)) return false;
    if (Utf8ToUtf16(folder, path, size)) return true;
    path[0] = 0;
    return false;
}
