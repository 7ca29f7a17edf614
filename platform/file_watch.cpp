// Watching files with inotify: one descriptor, one watch per folder, and a table of the
// file names in each. Events are read without waiting whenever the reader asks.
#include "platform/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

struct WatchedFolder {
    int wd;
    char path[kWatchPathBytes];
};

struct WatchedFile {
    int folder;                          // row of the folder table
    char name[kWatchPathBytes];
};

// Owned here: the inotify descriptor (-1 until the first watch) and the two tables.
struct FileWatchState {
    int fd = -1;
    WatchedFolder folders[kWatchedFolders];
    int folderCount = 0;
    WatchedFile files[kWatchedFiles];
    int fileCount = 0;
};
static FileWatchState watch;

// Splits path into its folder ("." for a bare name) and its last part.
static bool SplitPath(const char* path, char* folder, char* name) {
    const char* slash = std::strrchr(path, '/');
    int written = slash ? std::snprintf(folder, kWatchPathBytes, "%.*s", slash == path ? 1 : int(slash - path), path)
                        : std::snprintf(folder, kWatchPathBytes, ".");
    const char* last = slash ? slash + 1 : path;
    return written > 0 && written < kWatchPathBytes && last[0] && std::strlen(last) < size_t(kWatchPathBytes) &&
           std::snprintf(name, kWatchPathBytes, "%s", last) > 0;
}

static int FolderRow(const char* folder) {
    for (int i = 0; i < watch.folderCount; ++i)
        if (std::strcmp(watch.folders[i].path, folder) == 0) return i;
    if (watch.folderCount == kWatchedFolders) return -1;
    constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE;
    int wd = inotify_add_watch(watch.fd, folder, kEvents);
    if (wd < 0) return -1;
    WatchedFolder& row = watch.folders[watch.folderCount];
    row.wd = wd;
    std::snprintf(row.path, sizeof row.path, "%s", folder);
    return watch.folderCount++;
}

bool WatchFile(const char* path) {
    if (!path || watch.fileCount == kWatchedFiles) return false;
    if (watch.fd < 0) watch.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch.fd < 0) return false;
    char folder[kWatchPathBytes];
    WatchedFile file;
    if (!SplitPath(path, folder, file.name)) return false;
    file.folder = FolderRow(folder);
    if (file.folder < 0) return false;
    watch.files[watch.fileCount++] = file;
    return true;
}

void ForgetWatchedFiles() {
    if (watch.fd >= 0) close(watch.fd);   // closing the descriptor removes every watch
    watch.fd = -1;
    watch.folderCount = 0;
    watch.fileCount = 0;
}

static bool Concerns(const inotify_event& event) {
    if (event.len == 0) return false;
    for (int i = 0; i < watch.fileCount; ++i) {
        const WatchedFile& file = watch.files[i];
        if (watch.folders[file.folder].wd == event.wd && std::strcmp(file.name, event.name) == 0) return true;
    }
    return false;
}

bool WatchedFilesChanged() {
    if (watch.fd < 0) return false;
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        ssize_t got = read(watch.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;   // EAGAIN: nothing more is waiting
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
            const inotify_event& event = *reinterpret_cast<const inotify_event*>(buffer + at);
            if (at + ssize_t(sizeof(inotify_event) + event.len) > got) break;
            if (event.mask & IN_Q_OVERFLOW) changed = true;   // events were lost: assume the worst
            if (Concerns(event)) changed = true;
            at += ssize_t(sizeof(inotify_event) + event.len);
        }
    }
    return changed;
}
