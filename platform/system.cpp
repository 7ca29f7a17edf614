// System services: the clock, the version, icons and cursors, and the way a second
// copy of the program finds the first: the running program listens on a socket in
// $XDG_RUNTIME_DIR named after its window class and its data folder, and FindWindowW
// connects to it. The folder is part of the name because the save file there is what
// keeps a second reader out: readers of different folders (a live preview beside the
// reader) run side by side and never answer for each other.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

struct IconRecord {
    int id;
};

static IconRecord arrowCursor = {32512};
static IconRecord programIcon = {0};
static int listener = -1;
static char listenerPath[sizeof(sockaddr_un::sun_path)];
static WindowRecord remoteWindow;

// ============================================================================
// Clock, version, icons
// ============================================================================

DWORD GetTickCount() { return ActiveBackend()->now(); }

BOOL GetVersionExW(OSVERSIONINFOW* info) {
    if (!info) return FALSE;
    info->dwMajorVersion = 3;
    info->dwMinorVersion = 0;
    info->dwBuildNumber = 126;
    info->dwPlatformId = VER_PLATFORM_WIN32_CE;
    info->szCSDVersion[0] = 0;
    return TRUE;
}

HICON LoadIconW(HINSTANCE, LPCWSTR name) {
    programIcon.id = IS_INTRESOURCE(name) ? int(uintptr_t(name)) : 0;
    return &programIcon;
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR) { return &arrowCursor; }

HINSTANCE GetModuleHandleW(LPCWSTR) {
    static int module = 0;
    return reinterpret_cast<HINSTANCE>(&module);
}

// ============================================================================
// The activation socket
// ============================================================================

// 64 bits of FNV-1a: a data folder's path of any length as a short part of a name.
static uint64_t FolderKey(const char* path) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char* p = path; *p; ++p) hash = (hash ^ uint8_t(*p)) * 0x100000001b3ull;
    return hash;
}

// $XDG_RUNTIME_DIR/<class>-<folder key>.sock, with the class name reduced to ASCII
// letters and digits.
static bool SocketAddress(const WCHAR* className, sockaddr_un* address) {
    const char* dir = getenv("XDG_RUNTIME_DIR");
    if (!dir || !*dir) dir = "/tmp";
    char folder[kPathBytes];
    if (!DataFolderPath(folder, sizeof folder)) folder[0] = 0;
    char name[kClassNameLength + 1];
    int n = 0;
    for (; className[n] && n < kClassNameLength; ++n) {
        WCHAR c = className[n];
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        name[n] = plain ? char(c) : '_';
    }
    name[n] = 0;
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    int written = snprintf(address->sun_path, sizeof address->sun_path, "%s/%s-%016llx.sock", dir, name,
                           static_cast<unsigned long long>(FolderKey(folder)));
    return written > 0 && size_t(written) < sizeof address->sun_path;
}

bool ActivationSocketPath(const WCHAR* className, char* path, int size) {
    sockaddr_un address;
    if (!SocketAddress(className, &address)) return false;
    return snprintf(path, size_t(size), "%s", address.sun_path) < size;
}

static int Connect(const sockaddr_un& address) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    close(fd);
    return -1;
}

// Only a program with a real window listens: headless runs may run side by side.
void ListenForActivation(const WCHAR* className) {
    sockaddr_un address;
    if (ActiveBackend() == &kHeadlessBackend || listener >= 0 || !SocketAddress(className, &address)) return;
    int other = Connect(address);
    if (other >= 0) {
        close(other);   // another copy answers there; leave its socket alone
        return;
    }
    unlink(address.sun_path);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return;
    }
    listener = fd;
    memcpy(listenerPath, address.sun_path, sizeof listenerPath);
    atexit([] { unlink(listenerPath); });
}

// A connection that says "raise" brings the main window to the front and repaints it.
void PollActivation() {
    if (listener < 0) return;
    for (int fd; (fd = accept(listener, nullptr, nullptr)) >= 0;) {
        char word[8] = {};
        ssize_t got = read(fd, word, sizeof word - 1);
        close(fd);
        HWND main = MainWindow();
        if (got >= 5 && memcmp(word, "raise", 5) == 0 && main) {
            SetForegroundWindowLocally(main);
            ActiveBackend()->raise();
            InvalidateRect(main, nullptr, TRUE);
        }
    }
}

// ============================================================================
// FindWindowW, SetForegroundWindow
// ============================================================================

static bool SameText(const WCHAR* a, const WCHAR* b) {
    for (; *a && *a == *b; ++a, ++b) {}
    return *a == *b;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    for (WindowRecord& w : gWindows)
        if (IsAlive(&w) && !w.parent && (!className || IsClass(&w, className)) &&
            (!windowName || SameText(w.text, windowName)))
            return &w;
    sockaddr_un address;
    if (!className || !SocketAddress(className, &address)) return nullptr;
    int fd = Connect(address);
    if (fd < 0) return nullptr;
    if (remoteWindow.remoteSocket > 0) close(remoteWindow.remoteSocket);
    remoteWindow = WindowRecord{};
    remoteWindow.used = remoteWindow.remote = true;
    remoteWindow.remoteSocket = fd;
    return &remoteWindow;
}

BOOL SetForegroundWindow(HWND hwnd) {
    if (hwnd != &remoteWindow || !remoteWindow.used) return SetForegroundWindowLocally(hwnd);
    bool sent = write(remoteWindow.remoteSocket, "raise\n", 6) == 6;
    close(remoteWindow.remoteSocket);
    remoteWindow = WindowRecord{};
    return sent;
}
