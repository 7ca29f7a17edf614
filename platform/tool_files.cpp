// Bounded reads of regular files and outputs replaced through exclusive temporary files.
#include "platform/tool_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

static bool Refuse(char* why, int whySize, const char* format, const char* path, const char* reason = "") {
    std::snprintf(why, size_t(whySize), format, path, reason);
    return false;
}

static const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISLNK(mode)) return "a link";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// ============================================================================
// Reading
// ============================================================================

bool ReadToolInput(const char* path, long limit, std::string* out, char* why, int whySize) {
    out->clear();
    // O_NONBLOCK: opening a pipe must not wait for a writer before it can be refused.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Refuse(why, whySize, "cannot read '%s': %s", path, std::strerror(errno));
    struct stat st = {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return Refuse(why, whySize, "'%s' is %s, not a file to read", path, KindOf(st.st_mode));
    }
    char size[32];
    std::snprintf(size, sizeof size, "%ld", limit);
    if (st.st_size > limit) {
        close(fd);
        return Refuse(why, whySize, "'%s' is longer than %s bytes, more than any book needs", path, size);
    }
    out->resize(size_t(st.st_size));
    size_t done = 0;
    // The file may grow while it is read: no more than the limit is taken either way.
    for (;;) {
        if (done == out->size()) {
            if (long(done) > limit) break;
            out->resize(done + 4096);
        }
        ssize_t got = read(fd, &(*out)[done], out->size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            int error = errno;
            close(fd);
            return Refuse(why, whySize, "cannot read '%s': %s", path, std::strerror(error));
        }
        if (got == 0) break;
        done += size_t(got);
    }
    close(fd);
    if (long(done) > limit) return Refuse(why, whySize, "'%s' is longer than %s bytes, more than any book needs", path, size);
    out->resize(done);
    return true;
}

// ============================================================================
// Writing
// ============================================================================

// The permissions a file created by an ordinary open would get.
static mode_t CreationMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool BeginToolOutput(const char* path, ToolOutput* out, char* why, int whySize) {
    *out = ToolOutput{};
    if (!path || !path[0]) return Refuse(why, whySize, "no output file named%s%s", "", "");
    struct stat st;
    bool exists = lstat(path, &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return Refuse(why, whySize, "'%s' is %s; an output replaces only a regular file, so it is left alone",
                      path, KindOf(st.st_mode));
    const char* slash = std::strrchr(path, '/');
    int folder = slash ? int(slash - path + 1) : 0;
    int written = std::snprintf(out->temporary, sizeof out->temporary, "%.*s.%s.XXXXXX", folder, path, path + folder);
    if (written <= 0 || written >= int(sizeof out->temporary))
        return Refuse(why, whySize, "the output path '%s' is too long%s", path);
    std::snprintf(out->path, sizeof out->path, "%s", path);
    // mkostemp creates the file with O_EXCL: a name planted there in advance fails it.
    int fd = mkostemp(out->temporary, O_CLOEXEC);
    if (fd < 0) return Refuse(why, whySize, "cannot write beside '%s': %s", path, std::strerror(errno));
    fchmod(fd, exists ? st.st_mode & 07777 : CreationMode());
    out->stream = fdopen(fd, "wb");
    if (out->stream) return true;
    int error = errno;
    close(fd);
    unlink(out->temporary);
    return Refuse(why, whySize, "cannot write '%s': %s", path, std::strerror(error));
}

void AbandonToolOutput(ToolOutput* out) {
    if (!out->stream) return;
    std::fclose(out->stream);
    unlink(out->temporary);
    out->stream = nullptr;
}

bool FinishToolOutput(ToolOutput* out, char* why, int whySize) {
    if (!out->stream) return Refuse(why, whySize, "no output is open%s%s", "", "");
    bool written = std::fflush(out->stream) == 0 && !std::ferror(out->stream);
    int error = errno;
    written = std::fclose(out->stream) == 0 && written;
    out->stream = nullptr;
    if (written && rename(out->temporary, out->path) == 0) return true;
    if (written) error = errno;
    unlink(out->temporary);
    return Refuse(why, whySize, "cannot write '%s': %s", out->path, std::strerror(error));
}

bool WriteToolOutput(const char* path, const void* data, size_t size, char* why, int whySize) {
    ToolOutput out;
    if (!BeginToolOutput(path, &out, why, whySize)) return false;
    if (size && std::fwrite(data, 1, size, out.stream) != size) {
        int error = errno;
        AbandonToolOutput(&out);
        return Refuse(why, whySize, "cannot write '%s': %s", path, std::strerror(error));
    }
    return FinishToolOutput(&out, why, whySize);
}
