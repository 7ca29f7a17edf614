// The file calls on Linux: UTF-16 names mapped to UTF-8 paths, handles as rows of a
// fixed table, sharing as flock on a companion lock file (see files.h for why), and the
// durable replacement of a held file's content, flushed to the disk off the caller's
// thread.
//
// Sections: last error / names / handles / locks / flushing in the background / the
// calls / durable replacement / leftovers of interrupted replacements
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/text_codec.h"

// ============================================================================
// Last error
// ============================================================================

static DWORD lastError = ERROR_SUCCESS;
static const char* lastErrorText = "";

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) {
    lastError = error;
    lastErrorText = "";
}
const char* LastFileErrorText() { return lastErrorText; }

// The platform's code for what errno says went wrong; its words are kept for
// LastFileErrorText.
static DWORD ErrorFromErrno(int error, DWORD otherwise) {
    lastErrorText = std::strerror(error);
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

void SetLastErrorFromErrno(int error) { lastError = ErrorFromErrno(error, ERROR_ACCESS_DENIED); }

// A failure the system has no words for.
static HANDLE FailHandleSaying(DWORD error, const char* text) {
    lastError = error;
    lastErrorText = text;
    return INVALID_HANDLE_VALUE;
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

bool PathToName(const char* path, WCHAR* name, int size) {
    size_t length = std::strlen(path);
    int n = 0;
    for (size_t at = 0; at < length;) {
        char32_t c;
        int bytes = DecodeUtf8Char(path + at, length - at, &c);
        if (bytes == 0) {   // not UTF-8: the byte stands for itself
            c = 0xDC00 + uint8_t(path[at]);
            bytes = 1;
        }
        int units = c > 0xFFFF ? 2 : 1;
        if (n + units >= size) return false;
        if (units == 1) name[n] = WCHAR(c);
        else EncodeUtf16Char(c, name + n, size_t(size - n));
        n += units;
        at += size_t(bytes);
    }
    name[n] = 0;
    return true;
}

// The UTF-16 name as a UTF-8 path with '/' separators; false when it is empty, holds an
// unpaired surrogate other than a byte's (see PathToName) or does not fit.
static bool MapPath(LPCWSTR name, char* path) {
    if (!name) return false;
    int n = 0;
    for (size_t at = 0; name[at];) {
        char32_t c;
        int units = DecodeUtf16Char(name + at, 2, &c);
        if (units == 0 && name[at] >= 0xDC80 && name[at] <= 0xDCFF) {
            if (n + 1 >= kPathBytes) return false;
            path[n++] = char(name[at++] - 0xDC00);
            continue;
        }
        if (units == 0) return false;
        int bytes = EncodeUtf8Char(c == u'\\' ? u'/' : c, path + n, size_t(kPathBytes - 1 - n));
        if (bytes == 0) return false;
        n += bytes;
        at += size_t(units);
    }
    path[n] = 0;
    return n != 0;
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
        // Never through a link: one planted there would have the lock create its target.
        lockFd = exclusive ? open(lockPath, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644) : -1;
        if (lockFd < 0 && errno != ELOOP) lockFd = open(lockPath, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (lockFd < 0 && errno == ELOOP) {
            FailHandleSaying(ERROR_ACCESS_DENIED, "its lock file is a link, which is never followed");
            return -2;
        }
    }
    if (lockFd < 0 && !exclusive) return -1;   // no lock file: nobody holds the file exclusively
    int target = lockFd >= 0 ? lockFd : fd;
    if (flock(target, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return target;
    lastError = ErrorFromErrno(errno, ERROR_SHARING_VIOLATION);
    if (lockFd >= 0) close(lockFd);
    return -2;
}

// ============================================================================
// Flushing in the background
//
// A replacement is safe from a killed process once its rename returns: the kernel holds
// the new file. What a power cut could still take is whatever the disk has not yet
// been given, so the flushes (the file, then its folder) are left to one background
// thread, which makes them when the first replacement not yet flushed is flushDelay
// old, once for all that came in between; it also closes the replaced files'
// descriptors, which can wait for the disk too. Each handle row has one request, shared
// with that thread under flushLock; the thread reaches the file by its path, never by a
// descriptor the caller may close meanwhile.
// ============================================================================

// fsync calls made on this thread, and on the flusher (files.h).
static thread_local long flushesHere;
static thread_local bool onFlusher;
static std::atomic<long> flushesInBackground;

static bool FlushDescriptor(int fd) {
    if (onFlusher) ++flushesInBackground;
    else ++flushesHere;
    return fsync(fd) == 0;
}

long FileFlushesOnThisThread() { return flushesHere; }
long FileFlushesInBackground() { return flushesInBackground; }

static bool FlushFolderOf(const char* path) {
    char folder[kPathBytes];
    const char* slash = std::strrchr(path, '/');
    if (!slash) std::snprintf(folder, sizeof folder, ".");
    else std::snprintf(folder, sizeof folder, "%.*s", slash == path ? 1 : int(slash - path), path);
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool flushed = fd >= 0 && FlushDescriptor(fd);
    if (fd >= 0) close(fd);
    return flushed;
}

// The file under its name now (the newest replacement: fsync reaches the file, not the
// descriptor), then the folder that holds the rename.
static bool FlushPath(const char* path, ino_t* inode) {
    int fd = open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st = {};
    bool flushed = fd >= 0 && fstat(fd, &st) == 0 && FlushDescriptor(fd);
    *inode = st.st_ino;
    if (fd >= 0) close(fd);
    return FlushFolderOf(path) && flushed;
}

// ".NAME.SUFFIX" beside path: where a replacement's temporary file, or the file it
// displaced, lies.
static bool SiblingPath(const char* path, const char* suffix, char* sibling) {
    const char* slash = std::strrchr(path, '/');
    int folder = slash ? int(slash - path + 1) : 0;
    int written = std::snprintf(sibling, kPathBytes, "%.*s.%s.%s", folder, path, path + folder, suffix);
    return written > 0 && written < kPathBytes;
}

// Lets go of a displaced file: its name (when it still has one) and its descriptor.
static void ForgetDisplaced(const char* path, int fd, const char* suffix) {
    char sibling[kPathBytes];
    if (suffix[0] && SiblingPath(path, suffix, sibling)) unlink(sibling);
    close(fd);
}

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
// The web edition has no threads and no disk of its own: its storage is the browser's
// (the observer hears of every write), and there is nothing to flush.
static void RequestFlush(int, const char*) {}
static bool FlushRowNow(int, const char*, bool, bool) { return true; }
static void RetireDisplaced(int, const char* path, int fd, const char* suffix) { ForgetDisplaced(path, fd, suffix); }
static void NoteOpenedFile(int, int) {}
static bool TakeSpare(int, int*, char*) { return false; }
void SetFileFlushDelay(int) {}
#else
#include <pthread.h>

struct FlushRequest {
    bool pending;             // replaced since its last flush began
    bool inFlight;            // the flusher is flushing it now
    ino_t flushedInode;       // the file that the last flush carried to the disk
    char path[kPathBytes];
};

// The file a replacement put out of place. One that swapped names with the new file
// keeps the temporary name (".NAME." and the six characters kept here) until a flush
// that began after it was displaced has carried its successor to the disk: until then
// a power cut may leave the file under the real name empty, and this whole copy is what
// start-up falls back on (ReadNewestLeftCopy). One that a plain rename unnamed only
// waits to be closed: closing the last descriptor of a file that is gone frees it, and
// the file system may first wait for the writes the rename started.
struct DisplacedFile {
    int fd;
    ino_t inode;
    int row;           // the handle row whose file it was
    bool covered;      // a flush of that row's file began after it was displaced
    bool spare;        // no flush needs it: a replacement may write it again
    char suffix[8];    // "" for one without a name
};

static pthread_mutex_t flushLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t flushWake;   // a first request came, a displaced file may go, or a flush ended
static pthread_once_t flusherMade = PTHREAD_ONCE_INIT;
static bool flusherRunning;
static FlushRequest flushRequests[kOpenFiles];
static bool flushDue;              // a request is waiting for dueAt
static struct timespec dueAt;      // CLOCK_MONOTONIC
static int flushDelayMs = kFlushDelayMs;
constexpr int kDisplacedFiles = 128;
static DisplacedFile displaced[kDisplacedFiles];
static int displacedCount;

void SetFileFlushDelay(int milliseconds) {
    pthread_mutex_lock(&flushLock);
    flushDelayMs = milliseconds < 0 ? 0 : milliseconds;
    pthread_mutex_unlock(&flushLock);
}

static struct timespec Later(int milliseconds) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    t.tv_sec += milliseconds / 1000;
    t.tv_nsec += long(milliseconds % 1000) * 1000000;
    if (t.tv_nsec >= 1000000000) t.tv_sec += 1, t.tv_nsec -= 1000000000;
    return t;
}

static bool Reached(const struct timespec& t) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec > t.tv_sec || (now.tv_sec == t.tv_sec && now.tv_nsec >= t.tv_nsec);
}

// Called with flushLock held: the row's displaced files from now on may go once the
// flush about to begin has ended well.
static void CoverDisplaced(int row) {
    for (int i = 0; i < displacedCount; ++i)
        if (displaced[i].row == row) displaced[i].covered = true;
}

// A displaced file no flush needs (spare, or never flushed and not the copy of the last
// file flushed: only that one is a copy a power cut cannot spoil) is written again by a
// later replacement instead of a new temporary file: making and removing a file every
// page turn had ext4 search its inode table past every file removed in the last
// seconds. A row keeps this many; the rest go.
constexpr int kSpareFiles = 2;

static bool Needless(const DisplacedFile& d) {
    return !d.suffix[0] || d.spare || (!d.covered && d.inode != flushRequests[d.row].flushedInode);
}

// Which displaced files of a row may go: every one, or the needless beyond the spares.
enum class Going { kAll, kNeedless };

// Called with flushLock held; lets it go while the files go. Takes the row's displaced
// files that may go out of the table and forgets them, unlinking their names only when
// unlinkNames is true.
static void LetGoDisplaced(int row, Going which, bool unlinkNames) {
    DisplacedFile going[kDisplacedFiles];
    int count = 0, kept = 0, spares = 0;
    for (int i = 0; i < displacedCount; ++i) {
        const DisplacedFile& d = displaced[i];
        bool mine = d.row == row;
        bool goes = mine && which == Going::kAll;
        if (mine && which == Going::kNeedless && Needless(d)) {
            bool keptAsSpare = d.suffix[0] && spares < kSpareFiles;
            spares += keptAsSpare;
            goes = !keptAsSpare;
        }
        if (goes) going[count++] = d;
        else displaced[kept++] = d;
    }
    displacedCount = kept;
    if (count == 0) return;
    char path[kPathBytes];
    std::memcpy(path, flushRequests[row].path, sizeof path);
    pthread_mutex_unlock(&flushLock);
    for (int i = 0; i < count; ++i) ForgetDisplaced(path, going[i].fd, unlinkNames ? going[i].suffix : "");
    pthread_mutex_lock(&flushLock);
}

// The row of a displaced file that may go now (unnamed, or needless beyond the
// spares), or -1.
static int RowWithNeedless() {
    int spares[kOpenFiles] = {};
    for (int i = 0; i < displacedCount; ++i) {
        const DisplacedFile& d = displaced[i];
        if (!Needless(d)) continue;
        if (!d.suffix[0] || ++spares[d.row] > kSpareFiles) return d.row;
    }
    return -1;
}

// Called with flushLock held, after a flush of the row's file ended well: what it
// covered is needed no more.
static void SpareCovered(int row) {
    for (int i = 0; i < displacedCount; ++i)
        if (displaced[i].row == row && displaced[i].covered) displaced[i].spare = true;
}


// Called with flushLock held; lets it go while the disk works.
static void FlushPendingRows() {
    for (int row = 0; row < kOpenFiles; ++row) {
        FlushRequest& r = flushRequests[row];
        if (!r.pending) continue;
        char path[kPathBytes];
        std::memcpy(path, r.path, sizeof path);
        r.pending = false;
        r.inFlight = true;
        CoverDisplaced(row);
        pthread_mutex_unlock(&flushLock);
        ino_t inode = 0;
        bool flushed = FlushPath(path, &inode);
        if (!flushed) std::fprintf(stderr, "qh: %s could not be flushed to the disk\n", path);
        pthread_mutex_lock(&flushLock);
        if (flushed) r.flushedInode = inode;
        if (flushed) SpareCovered(row);
        r.inFlight = false;
        pthread_cond_broadcast(&flushWake);
    }
}

static void* Flusher(void*) {
    onFlusher = true;
    pthread_mutex_lock(&flushLock);
    for (;;) {
        if (int row = RowWithNeedless(); row >= 0) LetGoDisplaced(row, Going::kNeedless, true);
        else if (!flushDue) pthread_cond_wait(&flushWake, &flushLock);
        else if (!Reached(dueAt)) pthread_cond_timedwait(&flushWake, &flushLock, &dueAt);
        else {
            flushDue = false;
            FlushPendingRows();
        }
    }
    return nullptr;
}

// A child of fork has no flusher: it starts its own when it replaces a file.
static void LockForFork() { pthread_mutex_lock(&flushLock); }
static void UnlockAfterFork() { pthread_mutex_unlock(&flushLock); }
static void UnlockInChild() {
    flusherRunning = false;
    displacedCount = 0;   // the parent's flusher sees to its own; the child's copies go at exit
    for (FlushRequest& r : flushRequests) r.inFlight = false;
    pthread_mutex_unlock(&flushLock);
}

static void MakeFlushWake() {
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&flushWake, &attributes);
    pthread_condattr_destroy(&attributes);
    pthread_atfork(LockForFork, UnlockAfterFork, UnlockInChild);
}

// Called with flushLock held. Without a flusher (it could not be started) the request
// waits for CloseHandle or FlushReplacedFiles.
static void StartFlusher() {
    if (flusherRunning) return;
    pthread_t thread;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    flusherRunning = pthread_create(&thread, &attributes, Flusher, nullptr) == 0;
    pthread_attr_destroy(&attributes);
}

static void RequestFlush(int row, const char* path) {
    pthread_once(&flusherMade, MakeFlushWake);
    pthread_mutex_lock(&flushLock);
    FlushRequest& r = flushRequests[row];
    std::memcpy(r.path, path, sizeof r.path);
    r.pending = true;
    if (!flushDue) {
        flushDue = true;
        dueAt = Later(flushDelayMs);
        StartFlusher();
        pthread_cond_broadcast(&flushWake);
    }
    pthread_mutex_unlock(&flushLock);
}

// Takes a spare of the row out of the table: its descriptor and six characters. False
// when there is none.
static bool TakeSpare(int row, int* fd, char* suffix) {
    pthread_once(&flusherMade, MakeFlushWake);
    pthread_mutex_lock(&flushLock);
    int found = -1;
    for (int i = 0; i < displacedCount && found < 0; ++i)
        if (displaced[i].row == row && displaced[i].suffix[0] && Needless(displaced[i])) found = i;
    if (found >= 0) {
        *fd = displaced[found].fd;
        std::memcpy(suffix, displaced[found].suffix, 8);
        displaced[found] = displaced[--displacedCount];
    }
    pthread_mutex_unlock(&flushLock);
    return found >= 0;
}

// The file as a writer without sharing finds it counts as on the disk: its last writer
// flushed it at the close, or it is flushed before that writer's leftovers go
// (RemoveInterruptedReplacements).
static void NoteOpenedFile(int row, int fd) {
    struct stat st = {};
    fstat(fd, &st);
    pthread_once(&flusherMade, MakeFlushWake);
    pthread_mutex_lock(&flushLock);
    flushRequests[row].flushedInode = st.st_ino;
    pthread_mutex_unlock(&flushLock);
}

// Hands a displaced file (see DisplacedFile) to the flusher. When the table is full, or
// an unnamed one has no flusher to close it, it goes at once: a named one then is a
// copy newer than the one a flush last left in the table, never the only whole copy.
static void RetireDisplaced(int row, const char* path, int fd, const char* suffix) {
    pthread_once(&flusherMade, MakeFlushWake);
    pthread_mutex_lock(&flushLock);
    StartFlusher();
    bool queued = (flusherRunning || suffix[0]) && displacedCount < kDisplacedFiles;
    if (queued) {
        DisplacedFile& d = displaced[displacedCount++];
        struct stat st = {};
        fstat(fd, &st);
        d = DisplacedFile{fd, st.st_ino, row, false, false, {}};
        std::snprintf(d.suffix, sizeof d.suffix, "%s", suffix);
        std::memcpy(flushRequests[row].path, path, sizeof flushRequests[row].path);
        if (RowWithNeedless() >= 0) pthread_cond_broadcast(&flushWake);   // else nothing for it to do
    }
    pthread_mutex_unlock(&flushLock);
    if (!queued) ForgetDisplaced(path, fd, suffix);
}

// Makes the outstanding flush of the row's file at filePath (always: one in any case) on
// the caller's thread, after one under way ends; once the file is on the disk, its
// displaced copies go. closing: the row is let go, so its displaced files' descriptors
// are closed even when the flush failed (their names then stay, for start-up to fall
// back on).
static bool FlushRowNow(int row, const char* filePath, bool closing, bool always) {
    pthread_once(&flusherMade, MakeFlushWake);
    FlushRequest& r = flushRequests[row];
    char path[kPathBytes];
    pthread_mutex_lock(&flushLock);
    while (r.inFlight) pthread_cond_wait(&flushWake, &flushLock);
    bool wanted = r.pending || always;
    for (int i = 0; i < displacedCount; ++i) wanted = wanted || (displaced[i].row == row && !Needless(displaced[i]));
    r.pending = false;
    r.inFlight = wanted;
    std::snprintf(r.path, sizeof r.path, "%s", filePath);
    std::memcpy(path, r.path, sizeof path);
    bool anyLeft = false;
    for (const FlushRequest& other : flushRequests) anyLeft = anyLeft || other.pending;
    flushDue = flushDue && anyLeft;   // the next request starts a full delay again
    pthread_mutex_unlock(&flushLock);
    ino_t inode = 0;
    bool flushed = !wanted || FlushPath(path, &inode);
    pthread_mutex_lock(&flushLock);
    if (flushed && wanted) r.flushedInode = inode;
    if (flushed || closing) LetGoDisplaced(row, Going::kAll, flushed);
    r.inFlight = false;
    pthread_cond_broadcast(&flushWake);
    pthread_mutex_unlock(&flushLock);
    return flushed;
}
#endif

// ============================================================================
// The calls
// ============================================================================

static int OpenFlags(DWORD access, DWORD creation, bool* valid) {
    bool reads = access & GENERIC_READ, writes = access & GENERIC_WRITE;
    int flags = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    *valid = creation == CREATE_NEW || creation == OPEN_EXISTING;
    return flags | O_CLOEXEC | (creation == CREATE_NEW ? O_CREAT | O_EXCL : 0);
}

static const char* NotAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder, not a file";
    if (S_ISFIFO(mode)) return "a pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
    return "not a regular file";
}

// Opens the file itself, a regular file only; on failure sets lastError and returns -1.
// O_NONBLOCK lets a pipe be opened (and refused) without waiting for a writer.
static int OpenData(const char* path, int flags) {
    int fd = open(path, flags | O_NONBLOCK | O_NOCTTY, 0644);
    if (fd >= 0) {
        struct stat st = {};
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return fd;
        }
        close(fd);
        FailHandleSaying(ERROR_ACCESS_DENIED, NotAFile(st.st_mode));
        return -1;
    }
    int error = errno;
    struct stat st;
    if (error == EEXIST && lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
        FailHandleSaying(ERROR_ACCESS_DENIED, "a link to a file that does not exist");
        return -1;
    }
    bool folderMissing = error == ENOENT && (flags & O_CREAT);
    lastError = ErrorFromErrno(error, ERROR_ACCESS_DENIED);
    if (folderMissing) lastError = ERROR_PATH_NOT_FOUND;
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
    if (fresh.exclusive && fresh.writable) NoteOpenedFile(int(row - files), fresh.fd);
    *row = fresh;
    SetLastError(ERROR_SUCCESS);
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

// A file with a flush outstanding is flushed before it is let go: the reader closes its
// save last thing at exit.
BOOL CloseHandle(HANDLE object) {
    OpenFile* f = RowOf(object, false);
    if (!f) return FailWith(ERROR_INVALID_HANDLE);
    bool flushed = FlushRowNow(int(f - files), f->path, true, false);
    bool wrote = f->writable && f->fd >= 0;
    char path[kPathBytes];
    std::memcpy(path, f->path, sizeof path);
    ReleaseRow(f);
    if (wrote && observer.written) observer.written(path);
    return flushed ? TRUE : FailWith(ERROR_WRITE_FAULT);
}

static bool WriteAll(int fd, const void* data, DWORD size);

// The copy is written beside its new name and renamed over it, so that a reader of the
// new name never sees half a copy; only a regular file is copied.
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists) {
    char from[kPathBytes], to[kPathBytes], temporary[kPathBytes];
    if (!MapPath(existingFileName, from) || !MapPath(newFileName, to)) return FailWith(ERROR_PATH_NOT_FOUND);
    struct stat st;
    if (failIfExists && lstat(to, &st) == 0) return FailWith(ERROR_FILE_EXISTS);
    int in = OpenData(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return FALSE;
    const char* slash = std::strrchr(to, '/');
    int folder = slash ? int(slash - to + 1) : 0;
    int written = std::snprintf(temporary, sizeof temporary, "%.*s.%s.XXXXXX", folder, to, to + folder);
    int out = written > 0 && written < kPathBytes ? mkostemp(temporary, O_CLOEXEC) : -1;
    bool copied = out >= 0;
    char buffer[8192];
    for (ssize_t got; copied && (got = read(in, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        copied = got > 0 && WriteAll(out, buffer, DWORD(got));
    }
    int error = errno;
    if (out >= 0 && fstat(in, &st) == 0) fchmod(out, st.st_mode & 07777);
    close(in);
    if (out >= 0 && close(out) != 0) copied = false;
    if (copied && rename(temporary, to) == 0) {
        if (observer.written) observer.written(to);
        return SetLastError(ERROR_SUCCESS), TRUE;
    }
    if (copied) error = errno;
    if (out >= 0) unlink(temporary);
    return FailWith(ErrorFromErrno(error, ERROR_WRITE_FAULT));
}

BOOL DeleteFileW(LPCWSTR fileName) {
    char path[kPathBytes];
    if (!MapPath(fileName, path)) return FailWith(ERROR_PATH_NOT_FOUND);
    if (unlink(path) != 0) return FailWith(ErrorFromErrno(errno, ERROR_ACCESS_DENIED));
    SetLastError(ERROR_SUCCESS);
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

// Writes the temporary file; on failure removes it and sets lastError.
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
    if (WriteAll(fd, data, size)) return fd;
    lastError = ErrorFromErrno(errno, ERROR_WRITE_FAULT);
    close(fd);
    unlink(temporary);
    return -1;
}

// Writes the data over a spare (see kSpareFiles), its permissions made the file's. The
// spare is first emptied, so that what the disk holds of it after a power cut is,
// like a new file's, nothing or a whole record, never part of one over another; on
// failure it goes.
static int WriteSpare(const OpenFile& f, const void* data, DWORD size, int fd, const char* suffix, char* temporary) {
    struct stat file, spare;
    bool named = SiblingPath(f.path, suffix, temporary);
    if (named && fstat(f.fd, &file) == 0 && fstat(fd, &spare) == 0 && (file.st_mode & 07777) != (spare.st_mode & 07777))
        fchmod(fd, file.st_mode & 07777);
    if (named && ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, data, size)) return fd;
    lastError = named ? ErrorFromErrno(errno, ERROR_WRITE_FAULT) : ERROR_PATH_NOT_FOUND;
    ForgetDisplaced(f.path, fd, suffix);
    return -1;
}

// A folder removed while the file was held took its lock file with it; once the file
// is back in a folder, so is a lock for the next reader to find held. Another program
// that took a new lock in the meantime keeps it: there is nothing better to do then.
static void RelockIfLockFileGone(OpenFile* f) {
    char lockPath[kPathBytes];
    struct stat st;
    if (f->lockFd < 0 || f->lockFd == f->fd || !LockPathFor(f->path, lockPath) || lstat(lockPath, &st) == 0) return;
    int fd = open(lockPath, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    close(f->lockFd);
    f->lockFd = fd;
}

// Puts the temporary file in the file's place. Where the system can, the two swap names
// (RENAME_EXCHANGE): the old file stays whole under the temporary name, and a swap does
// not make ext4 start writing the new file's data, as a rename over a file does (on a
// busy disk that held up every page turn). Elsewhere a plain rename; suffix then
// becomes "", the old file having no name left.
static bool PutInPlace(const char* temporary, const char* path, char* suffix) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    if (renameat2(AT_FDCWD, temporary, AT_FDCWD, path, RENAME_EXCHANGE) == 0) {
        std::snprintf(suffix, 8, "%s", temporary + std::strlen(temporary) - 6);
        return true;
    }
    // No file in its place (removed meanwhile), or a file system that cannot swap.
    if (errno != ENOENT && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
#endif
    suffix[0] = 0;
    return rename(temporary, path) == 0;
}

// Writes the data to a spare (useSpare; false at once when there is none) or to a new
// temporary file, and puts it in the file's place. On failure nothing has changed, but
// that a spare is gone; GetLastError tells why.
static bool WriteAndPlace(OpenFile* f, const void* data, DWORD size, bool useSpare, int* fd, char* suffix) {
    char temporary[kPathBytes];
    if (useSpare && !TakeSpare(int(f - files), fd, suffix)) return false;
    *fd = useSpare ? WriteSpare(*f, data, size, *fd, suffix, temporary) : WriteTemporary(*f, data, size, temporary);
    if (*fd < 0) return false;
    // A file that locks itself (no lock file could be made) passes its lock to the new
    // file before the name moves over to it; nobody else knows the new file yet.
    bool locksItself = f->lockFd == f->fd;
    if ((!locksItself || flock(*fd, LOCK_EX | LOCK_NB) == 0) && PutInPlace(temporary, f->path, suffix)) return true;
    lastError = ErrorFromErrno(errno, ERROR_ACCESS_DENIED);
    close(*fd);
    unlink(temporary);
    return false;
}

BOOL ReplaceFileContents(HANDLE file, const void* data, DWORD size) {
    OpenFile* f = RowOf(file, false);
    if (!f) return FailWith(ERROR_INVALID_HANDLE);
    if (!f->writable) return FailWith(ERROR_ACCESS_DENIED);
    if (!data && size) return FailWith(ERROR_INVALID_PARAMETER);
    int fd;
    char suffix[8];
    // A spare whose name went with a removed folder fails; a new file then says why.
    if (!WriteAndPlace(f, data, size, true, &fd, suffix) && !WriteAndPlace(f, data, size, false, &fd, suffix))
        return FALSE;
    int row = int(f - files);
    bool locksItself = f->lockFd == f->fd;
    RetireDisplaced(row, f->path, f->fd, suffix);   // a lock file's lock is untouched
    f->fd = fd;
    if (locksItself) f->lockFd = fd;
    RelockIfLockFileGone(f);
    if (observer.written) observer.written(f->path);
    RequestFlush(row, f->path);
    return TRUE;
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

// The folder of a held file, with its '/', and the file's own name.
static const char* FolderAndName(const OpenFile& f, char* folder) {
    const char* slash = std::strrchr(f.path, '/');
    std::snprintf(folder, kPathBytes, "%.*s", slash ? int(slash - f.path + 1) : 2, slash ? f.path : "./");
    return slash ? slash + 1 : f.path;
}

BOOL ReadNewestLeftCopy(HANDLE file, void* buffer, DWORD size, bool (*usable)(const void* data, DWORD size)) {
    OpenFile* f = RowOf(file, false);
    if (!f || !buffer || size > kLeftCopyBytes) return FailWith(f ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    char folder[kPathBytes], path[kPathBytes];
    const char* name = FolderAndName(*f, folder);
    DIR* listing = opendir(folder);
    if (!listing) return FailWith(ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND));
    char copy[kLeftCopyBytes];
    struct timespec newest = {};
    bool found = false;
    while (struct dirent* entry = readdir(listing)) {
        int written = std::snprintf(path, sizeof path, "%s%s", folder, entry->d_name);
        if (!IsReplacementOf(entry->d_name, name) || written <= 0 || written >= kPathBytes) continue;
        // Never through a link, and only a regular file (a pipe in its place never waits).
        int fd = open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat st = {};
        bool regular = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        ssize_t got = regular ? pread(fd, copy, size, 0) : -1;
        if (fd >= 0) close(fd);
        bool newer = !found || st.st_mtim.tv_sec > newest.tv_sec ||
                     (st.st_mtim.tv_sec == newest.tv_sec && st.st_mtim.tv_nsec > newest.tv_nsec);
        if (got < 0 || !newer || !usable(copy, DWORD(got))) continue;
        std::memcpy(buffer, copy, size_t(got));
        std::memset(static_cast<char*>(buffer) + got, 0, size - size_t(got));
        newest = st.st_mtim;
        found = true;
    }
    closedir(listing);
    return found ? (SetLastError(ERROR_SUCCESS), TRUE) : FailWith(ERROR_FILE_NOT_FOUND);
}

int RemoveInterruptedReplacements(HANDLE file) {
    OpenFile* f = RowOf(file, false);
    if (!f || !f->writable || !f->exclusive || f->lockFd < 0) return FailWith(ERROR_INVALID_HANDLE), -1;
    char folder[kPathBytes];
    const char* name = FolderAndName(*f, folder);
    DIR* listing = opendir(folder);
    if (!listing) return FailWith(ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND)), -1;
    bool any = false;
    while (struct dirent* entry = readdir(listing)) any = any || IsReplacementOf(entry->d_name, name);
    // A leftover may be the only whole copy a power cut would leave until the file is on
    // the disk: that comes first, and this file's own displaced copies go with it.
    if (any && !FlushRowNow(int(f - files), f->path, false, true)) {
        closedir(listing);
        return FailWith(ERROR_WRITE_FAULT), -1;
    }
    rewinddir(listing);
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
