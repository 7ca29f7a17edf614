// The reader's data folder, following the desktop's base-directory convention.
#include "platform/data_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/files.h"

// Creates every missing folder of path (a UTF-8 path ending in '/'); errno tells why not.
static bool MakeFolders(char* path) {
    for (char* p = path + 1; *p; ++p) {
        if (*p != '/') continue;
        *p = 0;
        struct stat st;
        bool made = mkdir(path, 0700) == 0 || (errno == EEXIST && stat(path, &st) == 0 && S_ISDIR(st.st_mode));
        if (!made && errno == EEXIST) errno = ENOTDIR;
        *p = '/';
        if (!made) return false;
    }
    return true;
}

// HOME, or the password database's home folder for this user when HOME is not set.
static const char* HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0]) return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir && entry->pw_dir[0] ? entry->pw_dir : nullptr;
}

bool DataFolderPath(char* path, int size) {
    path[0] = 0;
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = HomeFolder();
    int length;
    if (data && data[0] == '/')
        length = std::snprintf(path, size_t(size), "%s/quietharbour/", data);
    else if (home)
        length = std::snprintf(path, size_t(size), "%s/.local/share/quietharbour/", home);
    else
        return false;
    if (length > 0 && length < size) return true;
    path[0] = 0;
    return false;
}

bool GetDataFolder(WCHAR* path, int size) {
    path[0] = 0;
    char folder[kPathBytes];
    if (!DataFolderPath(folder, sizeof folder)) {
        SetLastErrorFromErrno(std::getenv("HOME") ? ENAMETOOLONG : ENOENT);
        return false;
    }
    bool made = MakeFolders(folder);
    int error = errno;
    if (!PathToName(folder, path, size)) {
        path[0] = 0;
        SetLastErrorFromErrno(ENAMETOOLONG);
        return false;
    }
    if (made) return true;
    SetLastErrorFromErrno(error);
    return false;
}
