// The file calls on Linux: UTF-16 names mapped to UTF-8 paths, handles as rows of a
// fixed table, sharing as flock on a companion lock file (see files.h for why), and the
// durable replacement of a held file's content.
//
// Sections: last error / names / handles / locks / the calls / durable replacement /
// leftovers of interrupted replacements
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text_codec.h"

// ============================================================================
// Last error
// ============================================================================

static DWORD lastError = ERROR_SUCCESS;

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }

// The platform's code for what errno says went wrong.
static DWORD ErrorFromErrno(int error, DWORD otherwise) {
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EACCES: case EPERM: case EROFS: case EISDIR: case EBADF: return ERROR_ACCESS_DENIED;
    case EMFILE: case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC: case EDQUOT: case EFBIG: return ERROR_HANDLE_DISK_FULL;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    default: return otherwise;
    }
}

static BOOL FailWith(DWORD error) {
    lastError = error;
    return FALSE;
}

static HANDLE FailHandle(DWORD error) {
    lastError = error;
    return INVALID_HANDLE_VALUE;
}

// ============================================================================
// Names
// ============================================================================

// The UTF-16 name as a UTF-8 path with '/' separators; false when it is empty, holds an
// unpaired surrogate or does not fit. No byte of a longer UTF-8 sequence is a backslash,
// so the separators can be turned round after encoding.
static bool MapPath(LPCWSTR name, char* path) {
    if (!name || !Utf16ToUtf8(name, path, kPathBytes)) return false;
    for (char* p = path; *p; ++p)
        if (*p == '\\') *p = '/';
    return path[0] != 0;
}

// ".NAME.lock" in the folder of path.
static bool LockPathFor(const char* path, char* lockPath) {
    const char* slash = std::strrchr(path, '/');
    int folder = slash ? int(slash - path + 1) : 0;
    int written = std::snprintf(lockPath, kPathBytes, "%.*s.%s.lock", folder, path, path + folder);
    return written > 0 && written < kPathBytes;
}

// ============================================================================
// Handles: a HANDLE is the address of its row.
// ============================================================================

struct OpenFile {
    bool used;
    bool search;          // a FindFirstFileW handle: no descriptors
    bool writable;
    int fd;
    int lockFd;           // the lock file's descriptor, or fd itself, or -1 for none
    char path[kPathBytes];
    bool exclusive;       // opened without sharing: no other open description exists
};

static OpenFile files[kOpenFiles];

static OpenFile* FreeRow() {
    for (OpenFile& f : files)
        if (!f.used) return &f;
    return nullptr;
}

static OpenFile* RowOf(HANDLE handle, bool search) {
    for (OpenFile& f : files)
        if (handle == &f && f.used && f.search == search) return &f;
    return nullptr;
}

static void ReleaseRow(OpenFile* f) {
    if (f->lockFd >= 0 && f->lockFd != f->fd) close(f->lockFd);
    if (f->fd >= 0) close(f->fd);
    *f = OpenFile{};
}

// ============================================================================
// Locks
// ============================================================================

// Opens the lock file and takes the lock that the share mode asks for. Returns the lock
// descriptor, fd when the file itself had to be locked, -1 with no lock needed, or -2
// (lastError set) when the lock is held elsewhere.
static FileObserver observer;

void SetFileObserver(const FileObserver& o) { observer = o; }

static int TakeLock(const char* path, int fd, DWORD shareMode) {
    char lockPath[kPathBytes];
    bool exclusive = shareMode == 0;
    if (exclusive && observer.mayOpenExclusively && !observer.mayOpenExclusively(path)) {
        lastError = ERROR_SHARING_VIOLATION;
        return -2;
    }
    int lockFd = -1;
    if (LockPathFor(path, lockPath)) {
        lockFd = exclusive ? open(lockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0644) : -1;
        if (lockFd < 0) lockFd = open(lockPath, O_RDONLY | O_CLOEXEC);
    }
    if (lockFd < 0 && !exclusive) return -1;   // no lock file: nobody holds the file exclusively
    int target = lockFd >= 0 ? lockFd : fd;
    if (flock(target, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return target;
    lastError = ErrorFromErrno(errno, ERROR_SHARING_VIOLATION);
    if (lockFd >= 0) close(lockFd);
    return -2;
}

// ============================================================================
// The calls
// ============================================================================

static int OpenFlags(DWORD access, DWORD creation, bool* valid) {
    bool reads = access & GENERIC_READ, writes = access & GENERIC_WRITE;
    int flags = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    *valid = creation == CREATE_NEW || creation == OPEN_EXISTING;
    return flags | O_CLOEXEC | (creation == CREATE_NEW ? O_CREAT | O_EXCL : 0);
}

// Opens the file itself; on failure sets lastError and returns -1.
static int OpenData(const char* path, int flags) {
    int fd = open(path, flags, 0644);
    if (fd >= 0) {
        struct stat st;
        if (fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode)) return fd;
        close(fd);
        errno = EISDIR;
    }
    bool folderMissing = errno == ENOENT && (flags & O_CREAT);
    lastError = folderMissing ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, ERROR_ACCESS_DENIED);
    return -1;
}

// The hidden attribute has no place in a Linux file system and is not kept.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD, HANDLE) {
    bool valid;
    int flags = OpenFlags(desiredAccess, creationDisposition, &valid);
    OpenFile* row = FreeRow();
    OpenFile fresh{true, false, (desiredAccess & GENERIC_WRITE) != 0, -1, -1, {}};
    if (!valid) return FailHandle(ERROR_INVALID_PARAMETER);
    if (!row) return FailHandle(ERROR_TOO_MANY_OPEN_FILES);
    if (!MapPath(fileName, fresh.path)) return FailHandle(ERROR_PATH_NOT_FOUND);
    fresh.fd = OpenData(fresh.path, flags);
    if (fresh.fd < 0) return INVALID_HANDLE_VALUE;
    fresh.lockFd = TakeLock(fresh.path, fresh.fd, shareMode);
    if (fresh.lockFd == -2) {
        if (flags & O_CREAT) unlink(fresh.path);   // leave no trace of a refused creation
        close(fresh.fd);
        return INVALID_HANDLE_VALUE;
    }
    fresh.exclusive = shareMode == 0;
    *row = fresh;
    lastError = ERROR_SUCCESS;
    return row;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED) {
    OpenFile* f = RowOf(file, false);
    if (bytesRead) *bytesRead = 0;
    if (!f || (!buffer && bytesToRead)) return FailWith(f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    DWORD done = 0;
    while (done < bytesToRead) {
        ssize_t got = read(f->fd, static_cast<char*>(buffer) + done, bytesToRead - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return FailWith(ErrorFromErrno(errno, ERROR_READ_FAULT));
        if (got == 0) break;   // the end of the file: a short read is a success
        done += DWORD(got);
        if (bytesRead) *bytesRead = done;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED) {
    OpenFile* f = RowOf(file, false);
    if (bytesWritten) *bytesWritten = 0;
    if (!f || (!buffer && bytesToWrite)) return FailWith(f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    DWORD done = 0;
    while (done < bytesToWrite) {
        ssize_t put = write(f->fd, static_cast<const char*>(buffer) + done, bytesToWrite - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return FailWith(put < 0 ? ErrorFromErrno(errno, ERROR_WRITE_FAULT) : ERROR_WRITE_FAULT);
        done += DWORD(put);
        if (bytesWritten) *bytesWritten = done;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    OpenFile* f = RowOf(file, false);
    if (!f || moveMethod > FILE_END) {
        lastError = f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE;
        return INVALID_SET_FILE_POINTER;
    }
    // Without a high part the distance is a signed 32-bit number; with one, the low part is unsigned.
    int64_t offset = distanceHigh ? int64_t((uint64_t(uint32_t(*distanceHigh)) << 32) | uint32_t(distance))
                                  : int64_t(distance);
    off_t position = lseek(f->fd, off_t(offset), kWhence[moveMethod]);
    if (position < 0) {
        lastError = ERROR_INVALID_PARAMETER;   // before the start of the file
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) *distanceHigh = LONG(uint64_t(position) >> 32);
    lastError = ERROR_SUCCESS;   // a position whose low part is 0xFFFFFFFF is told apart by this
    return DWORD(uint64_t(position));
}

BOOL CloseHandle(HANDLE object) {
    OpenFile* f = RowOf(object, false);
    if (!f) return FailWith(ERROR_INVALID_HANDLE);
    bool wrote = f->writable && f->fd >= 0;
    char path[kPathBytes];
    std::memcpy(path, f->path, sizeof path);
    ReleaseRow(f);
    if (wrote && observer.written) observer.written(path);
    return TRUE;
}

// The last part of a name, after its last '\' or '/'.
static LPCWSTR LastPart(LPCWSTR name) {
    LPCWSTR last = name;
    for (; *name; ++name)
        if (*name == u'\\' || *name == u'/') last = name + 1;
    return last;
}

static FILETIME FileTimeOf(const struct timespec& t) {
    constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;
    uint64_t ticks = (uint64_t(t.tv_sec) + kSecondsFrom1601To1970) * 10000000ull + uint64_t(t.tv_nsec) / 100;
    return {DWORD(ticks), DWORD(ticks >> 32)};
}

static void FillFindData(const struct stat& st, LPCWSTR name, WIN32_FIND_DATAW* data) {
    *data = WIN32_FIND_DATAW{};
    LPCWSTR last = LastPart(name);
    data->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY
                             : last[0] == u'.'   ? FILE_ATTRIBUTE_HIDDEN
                                                 : FILE_ATTRIBUTE_NORMAL;
    data->ftCreationTime = FileTimeOf(st.st_ctim);
    data->ftLastAccessTime = FileTimeOf(st.st_atim);
    data->ftLastWriteTime = FileTimeOf(st.st_mtim);
    data->nFileSizeHigh = DWORD(uint64_t(st.st_size) >> 32);
    data->nFileSizeLow = DWORD(uint64_t(st.st_size));
    for (int i = 0; last[i] && i < MAX_PATH - 1; ++i) data->cFileName[i] = last[i];
}

// Finds exactly the file named: '*' and '?' are ordinary characters on Linux and are
// matched as such, which is all the reader asks of a search.
HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData) {
    OpenFile* row = FreeRow();
    OpenFile fresh{true, true, false, -1, -1, {}};
    if (!row) return FailHandle(ERROR_TOO_MANY_OPEN_FILES);
    if (!findData || !MapPath(fileName, fresh.path)) return FailHandle(ERROR_PATH_NOT_FOUND);
    struct stat st;
    if (stat(fresh.path, &st) != 0) return FailHandle(ErrorFromErrno(errno, ERROR_FILE_NOT_FOUND));
    FillFindData(st, fileName, findData);
    *row = fresh;
    lastError = ERROR_SUCCESS;
    return row;
}

BOOL FindClose(HANDLE findFile) {
    OpenFile* f = RowOf(findFile, true);
    if (!f) return FailWith(ERROR_INVALID_HANDLE);
    bool wrote = f->writable && f->fd >= 0;
    char path[kPathBytes];
    std::memcpy(path, f->path, sizeof path);
    ReleaseRow(f);
    if (wrote && observer.written) observer.written(path);
    return TRUE;
}

// ============================================================================
// Durable replacement
// ============================================================================

static bool WriteAll(int fd, const void* data, DWORD size) {
    DWORD done = 0;
    while (done < size) {
        ssize_t put = write(fd, static_cast<const char*>(data) + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += DWORD(put);
    }
    return true;
}

// Writes and flushes the temporary file; on failure removes it and sets lastError.
static int WriteTemporary(const OpenFile& f, const void* data, DWORD size, char* temporary) {
    const char* slash = std::strrchr(f.path, '/');
    int folder = slash ? int(slash - f.path + 1) : 0;
    int written = std::snprintf(temporary, kPathBytes, "%.*s.%s.XXXXXX", folder, f.path, f.path + folder);
    if (written <= 0 || written >= kPathBytes) {
        lastError = ERROR_PATH_NOT_FOUND;
        return -1;
    }
    int fd = mkostemp(temporary, O_CLOEXEC);
    if (fd < 0) {
        lastError = ErrorFromErrno(errno, ERROR_ACCESS_DENIED);
        return -1;
    }
    struct stat st;
    if (fstat(f.fd, &st) == 0) fchmod(fd, st.st_mode & 07777);   // keep the file's permissions
    if (WriteAll(fd, data, size) && fsync(fd) == 0) return fd;
    lastError = ErrorFromErrno(errno, ERROR_WRITE_FAULT);
    close(fd);
    unlink(temporary);
    return -1;
}

static bool FlushFolderOf(const char* path) {
    char folder[kPathBytes];
    const char* slash = std::strrchr(path, '/');
    if (!slash) std::snprintf(folder, sizeof folder, ".");
    else std::snprintf(folder, sizeof folder, "%.*s", slash == path ? 1 : int(slash - path), path);
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool flushed = fd >= 0 && fsync(fd) == 0;
    if (fd >= 0) close(fd);
    return flushed;
}

BOOL ReplaceFileContents(HANDLE file, const void* data, DWORD size) {
    OpenFile* f = RowOf(file, false);
    if (!f) return FailWith(ERROR_INVALID_HANDLE);
    if (!f->writable) return FailWith(ERROR_ACCESS_DENIED);
    if (!data && size) return FailWith(ERROR_INVALID_PARAMETER);
    char temporary[kPathBytes];
    int fd = WriteTemporary(*f, data, size, temporary);
    if (fd < 0) return FALSE;
    // A file that locks itself (no lock file could be made) passes its lock to the new
    // file before the name moves over to it; nobody else knows the new file yet.
    bool locksItself = f->lockFd == f->fd;
    if ((locksItself && flock(fd, LOCK_EX | LOCK_NB) != 0) || rename(temporary, f->path) != 0) {
        lastError = ErrorFromErrno(errno, ERROR_ACCESS_DENIED);
        close(fd);
        unlink(temporary);
        return FALSE;
    }
    close(f->fd);   // the old file, now nameless; a lock file's lock is untouched
    f->fd = fd;
    if (locksItself) f->lockFd = fd;
    if (observer.written) observer.written(f->path);
    return FlushFolderOf(f->path) ? TRUE : FailWith(ERROR_WRITE_FAULT);
}

// ============================================================================
// Leftovers of interrupted replacements
// ============================================================================

// ".NAME." and the six letters or digits that mkostemp put in place of XXXXXX. The lock
// file ".NAME.lock" has four and is never taken for one.
static bool IsReplacementOf(const char* entry, const char* name) {
    size_t length = std::strlen(name);
    if (entry[0] != '.' || std::strncmp(entry + 1, name, length) != 0 || entry[length + 1] != '.') return false;
    const char* tail = entry + length + 2;
    for (int i = 0; i < 6; ++i) {
        char c = tail[i];
        bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit) return false;
    }
    return tail[6] == 0;
}

int RemoveInterruptedReplacements(HANDLE file) {
    OpenFile* f = RowOf(file, false);
    if (!f || !f->writable || !f->exclusive || f->lockFd < 0) return FailWith(ERROR_INVALID_HANDLE), -1;
    const char* slash = std::strrchr(f->path, '/');
    char folder[kPathBytes];
    std::snprintf(folder, sizeof folder, "%.*s", slash ? int(slash - f->path + 1) : 2, slash ? f->path : "./");
    const char* name = slash ? slash + 1 : f->path;
    DIR* listing = opendir(folder);
    if (!listing) return FailWith(ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND)), -1;
    int removed = 0;
    char path[kPathBytes];
    while (struct dirent* entry = readdir(listing)) {
        if (!IsReplacementOf(entry->d_name, name)) continue;
        int written = std::snprintf(path, sizeof path, "%s%s", folder, entry->d_name);
        if (written > 0 && written < kPathBytes && unlink(path) == 0) ++removed;
    }
    closedir(listing);
    lastError = ERROR_SUCCESS;
    return removed;
}
