// The file calls: creating, finding, reading, writing and seeking; the exclusive open
// that a second process cannot take; and the durable replacement of a held file, with
// its flushes in the background.
#include <gtest/gtest.h>

#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/data_folder.h"
#include "platform/files.h"

namespace {

std::u16string Utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class Files : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qh-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        name = Utf16(folder + "/QTL2test.dat");
    }
    void TearDown() override { std::system(("rm -rf " + folder).c_str()); }

    HANDLE Open(DWORD creation, DWORD share = 0, DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return CreateFileW(name.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_HIDDEN, nullptr);
    }

    std::string ContentOnDisk() {
        std::string content;
        FILE* f = std::fopen((folder + "/QTL2test.dat").c_str(), "rb");
        for (int c; f && (c = std::fgetc(f)) != EOF;) content += char(c);
        if (f) std::fclose(f);
        return content;
    }

    // Entries of the folder other than the file and its lock file: temporaries left behind.
    int StrayFiles() {
        int count = 0;
        DIR* d = opendir(folder.c_str());
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != ".." && n != "QTL2test.dat" && n != ".QTL2test.dat.lock") ++count;
        }
        closedir(d);
        return count;
    }

    // What CreateFileW without sharing gives in another process: 0 opened, else the error.
    int OpenInAnotherProcess() {
        pid_t child = fork();
        if (child == 0) {
            HANDLE h = Open(OPEN_EXISTING);
            _exit(h == INVALID_HANDLE_VALUE ? int(GetLastError()) : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The names of those temporaries, sorted, and their contents in that order.
    std::vector<std::string> StrayNames() {
        std::vector<std::string> names;
        DIR* d = opendir(folder.c_str());
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.rfind(".QTL2test.dat.", 0) == 0 && n != ".QTL2test.dat.lock") names.push_back(n);
        }
        closedir(d);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> StrayContents() {
        std::vector<std::string> contents;
        for (const std::string& n : StrayNames()) contents.push_back(ContentOf(folder + "/" + n));
        return contents;
    }

    static std::string ContentOf(const std::string& path) {
        std::string content;
        FILE* f = std::fopen(path.c_str(), "rb");
        for (int c; f && (c = std::fgetc(f)) != EOF;) content += char(c);
        if (f) std::fclose(f);
        return content;
    }

    static void WriteAt(const std::string& path, const std::string& content) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }

    std::string folder;
    std::u16string name;
};

TEST_F(Files, CreateNewThenFindAndOpenExisting) {
    WIN32_FIND_DATAW found{};
    EXPECT_EQ(FindFirstFileW(name.c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &written, nullptr));
    EXPECT_EQ(written, 10u);
    ASSERT_TRUE(CloseHandle(h));

    HANDLE search = FindFirstFileW(name.c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(found.nFileSizeLow, 10u);
    EXPECT_EQ(std::u16string(found.cFileName), u"QTL2test.dat");
    EXPECT_FALSE(CloseHandle(search));   // a search is closed by FindClose
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_EQ(Open(CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    h = Open(OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST_F(Files, ReadsWritesAndSeeks) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h, "abcdefghij", 10, &count, nullptr));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
    EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h, buffer, 3, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "cde");
    EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &count, nullptr));   // a short read at the end
    EXPECT_EQ(std::string(buffer, count), "hij");
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 0u);

    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(h, 4, &high, FILE_BEGIN), 4u);   // with a high part
    EXPECT_EQ(high, 0);
    ASSERT_TRUE(WriteFile(h, "XY", 2, &count, nullptr));
    CloseHandle(h);
    EXPECT_EQ(ContentOnDisk(), "abcdXYghij");

    EXPECT_FALSE(ReadFile(h, buffer, 1, &count, nullptr));   // closed
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(count, 0u);
}

TEST_F(Files, WritingThroughAReadOnlyHandleIsDenied) {
    CloseHandle(Open(CREATE_NEW));
    HANDLE h = Open(OPEN_EXISTING, 0, GENERIC_READ);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 7;
    EXPECT_FALSE(WriteFile(h, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(ReplaceFileContents(h, "x", 1));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(h);
}

TEST_F(Files, NamesAreUtf16AndBackslashesSeparateFolders) {
    ASSERT_EQ(mkdir((folder + "/sub").c_str(), 0700), 0);
    std::u16string wide = Utf16(folder) + u"\\sub\\Grüße.dat";
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    struct stat st;
    EXPECT_EQ(stat((folder + "/sub/Gr\xC3\xBC\xC3\x9F" "e.dat").c_str(), &st), 0);

    std::u16string noFolder = Utf16(folder) + u"/missing/x.dat";
    EXPECT_EQ(CreateFileW(noFolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(CreateFileW(u"", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, 2 /* CREATE_ALWAYS */, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(Files, AFileHeldWithoutSharingCannotBeOpenedAgainUntilClosed) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenInAnotherProcess(), int(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(OPEN_EXISTING), INVALID_HANDLE_VALUE);                    // nor in this process
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ), INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(OpenInAnotherProcess(), 0);

    h = Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);                 // readers share
    HANDLE second = Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenInAnotherProcess(), int(ERROR_SHARING_VIOLATION));       // but keep out the exclusive
    CloseHandle(h);
    CloseHandle(second);
}

TEST_F(Files, ReplacingTheContentKeepsTheLockAndTheHandle) {
    SetFileFlushDelay(3600 * 1000);
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h, "old record", 10, &count, nullptr));
    ASSERT_TRUE(ReplaceFileContents(h, "the new record", 14));
    EXPECT_EQ(ContentOnDisk(), "the new record");
    EXPECT_EQ(StrayContents(), std::vector<std::string>{"old record"});   // until a flush
    EXPECT_EQ(OpenInAnotherProcess(), int(ERROR_SHARING_VIOLATION));

    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 14u);
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "new record");
    ASSERT_TRUE(ReplaceFileContents(h, "again", 5));
    EXPECT_EQ(ContentOnDisk(), "again");
    CloseHandle(h);
    EXPECT_EQ(StrayFiles(), 0);   // the close flushed the file, and the old copies went
    EXPECT_EQ(OpenInAnotherProcess(), 0);
    SetFileFlushDelay(kFlushDelayMs);
}

TEST_F(Files, AFailedReplacementLeavesTheOldContent) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h, "old record", 10, &count, nullptr));
    // In a child whose files may not grow past 4 bytes, the new record cannot be written.
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4, 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        BOOL replaced = ReplaceFileContents(h, "a much longer new record", 24);
        _exit(replaced ? 100 : int(GetLastError()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), int(ERROR_HANDLE_DISK_FULL));
    EXPECT_EQ(ContentOnDisk(), "old record");
    EXPECT_EQ(StrayFiles(), 0);
    CloseHandle(h);
}

// The flushes to the disk never hold up the replacing thread: the flusher makes them
// once for a burst of replacements, and closing the file makes what is still due.
TEST_F(Files, ReplacementsAreFlushedOnceABurstInTheBackground) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    long here = FileFlushesOnThisThread(), background = FileFlushesInBackground();
    for (const char* record : {"one", "two", "three", "four", "five"}) ASSERT_TRUE(ReplaceFileContents(h, record, 4));
    EXPECT_EQ(ContentOnDisk(), std::string("five", 4));
    EXPECT_EQ(FileFlushesOnThisThread(), here);
    // No time is asserted: the flusher only has to come, its delay after the first replacement.
    for (int i = 0; i < 2000 && FileFlushesInBackground() < background + 2; ++i) usleep(10000);
    EXPECT_EQ(FileFlushesInBackground(), background + 2);   // the file and its folder, once
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(FileFlushesOnThisThread(), here);   // nothing was left for the close
}

TEST_F(Files, ClosingAFileMakesItsOutstandingFlushAtOnce) {
    SetFileFlushDelay(3600 * 1000);
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    long here = FileFlushesOnThisThread(), background = FileFlushesInBackground();
    ASSERT_TRUE(ReplaceFileContents(h, "first", 5));
    ASSERT_TRUE(ReplaceFileContents(h, "second", 6));
    EXPECT_EQ(FileFlushesOnThisThread(), here);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(FileFlushesOnThisThread(), here + 2);
    EXPECT_EQ(FileFlushesInBackground(), background);
    EXPECT_EQ(ContentOnDisk(), "second");
    SetFileFlushDelay(kFlushDelayMs);
}

// What a power cut may leave: the file empty or spoilt, and copies beside it. The newest
// copy that the caller accepts is read; a link or a pipe in a copy's place is never
// followed or waited for.
bool StartsWithRecord(const void* data, DWORD size) {
    return size >= 6 && std::string(static_cast<const char*>(data), 6) == "record";
}

TEST_F(Files, TheNewestUsableCopyLeftBesideTheFileIsRead) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buffer[kLeftCopyBytes] = {};
    EXPECT_FALSE(ReadNewestLeftCopy(h, buffer, 64, StartsWithRecord));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    WriteAt(folder + "/.QTL2test.dat.Older1", "record older, and longer");
    struct timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    EXPECT_EQ(utimes((folder + "/.QTL2test.dat.Older1").c_str(), old), 0);
    WriteAt(folder + "/.QTL2test.dat.Newer1", "record newer");
    usleep(20000);
    WriteAt(folder + "/.QTL2test.dat.Newer2", "garbage, newest");
    WriteAt(folder + "/elsewhere", "record from elsewhere");
    EXPECT_EQ(symlink((folder + "/elsewhere").c_str(), (folder + "/.QTL2test.dat.Link01").c_str()), 0);
    EXPECT_EQ(mkfifo((folder + "/.QTL2test.dat.Pipe01").c_str(), 0600), 0);
    EXPECT_TRUE(ReadNewestLeftCopy(h, buffer, 64, StartsWithRecord));
    EXPECT_STREQ(buffer, "record newer");   // nothing of the longer, older copy is left after it
    EXPECT_FALSE(ReadNewestLeftCopy(h, buffer, kLeftCopyBytes + 1, StartsWithRecord));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    CloseHandle(h);
}

// However many replacements come between two flushes, the copy of the file as the last
// flush left it (here, as it was found) stays beside it, with a few spares, no more.
TEST_F(Files, TheFlushedCopyStaysBesideTheFileAndSoDoesLittleElse) {
    SetFileFlushDelay(3600 * 1000);
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(h, "record 0", 8, &count, nullptr));
    for (int i = 1; i <= 50; ++i) {
        std::string record = "record " + std::to_string(i);
        EXPECT_TRUE(ReplaceFileContents(h, record.data(), DWORD(record.size())));
    }
    EXPECT_EQ(ContentOnDisk(), "record 50");
    for (int i = 0; i < 2000 && StrayFiles() > 3; ++i) usleep(10000);   // the rest go in the background
    std::vector<std::string> copies = StrayContents();
    EXPECT_LE(copies.size(), 3u);
    EXPECT_NE(std::find(copies.begin(), copies.end(), "record 0"), copies.end());
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(StrayFiles(), 0);
    SetFileFlushDelay(kFlushDelayMs);
}

// Leftovers are removed only once the file itself is on the disk: their removal costs a
// flush (file and folder) on the caller's thread, and none when there are none.
TEST_F(Files, LeftoversGoOnlyAfterTheFileIsFlushed) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    long here = FileFlushesOnThisThread();
    EXPECT_EQ(RemoveInterruptedReplacements(h), 0);
    EXPECT_EQ(FileFlushesOnThisThread(), here);
    WriteAt(folder + "/.QTL2test.dat.Ab3xYz", "record of a killed reader");
    EXPECT_EQ(RemoveInterruptedReplacements(h), 1);
    EXPECT_EQ(FileFlushesOnThisThread(), here + 2);
    EXPECT_EQ(StrayFiles(), 0);
    CloseHandle(h);
}

// After a flush in the background, the copy it covered is a spare: the next replacement
// writes the new record into it and swaps names with it, so the copy of the flushed
// file is then under that name, and no new file was made.
TEST_F(Files, AfterAFlushTheCoveredCopyIsWrittenAgain) {
    SetFileFlushDelay(0);
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    long background = FileFlushesInBackground();
    EXPECT_TRUE(ReplaceFileContents(h, "record 1", 8));
    for (int i = 0; i < 2000 && FileFlushesInBackground() < background + 2; ++i) usleep(10000);
    std::vector<std::string> names = StrayNames();
    EXPECT_EQ(names.size(), 1u);
    SetFileFlushDelay(3600 * 1000);
    EXPECT_TRUE(ReplaceFileContents(h, "record 2", 8));
    EXPECT_EQ(ContentOnDisk(), "record 2");
    EXPECT_EQ(StrayNames(), names);
    EXPECT_EQ(StrayContents(), std::vector<std::string>{"record 1"});
    CloseHandle(h);
    SetFileFlushDelay(kFlushDelayMs);
}

}  // namespace

// The observer a machine without locks between programs installs (the web edition):
// its veto keeps an exclusive open out and leaves no file behind, shared opens pass,
// and it hears of every replacement and every close of a file opened for writing.
namespace {
std::string observedPath;
bool vetoExclusive = false;
int writtenCount = 0;
bool MayOpen(const char*) { return !vetoExclusive; }
void Written(const char* path) {
    observedPath = path;
    ++writtenCount;
}
}  // namespace

TEST_F(Files, AnObserverCanRefuseExclusiveOpensAndHearsOfWrites) {
    SetFileObserver(FileObserver{MayOpen, Written});
    vetoExclusive = true;
    writtenCount = 0;
    EXPECT_EQ(Open(CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ContentOnDisk(), "");
    EXPECT_EQ(StrayFiles(), 0);
    EXPECT_EQ(access((folder + "/QTL2test.dat").c_str(), F_OK), -1);   // a refused creation leaves nothing

    vetoExclusive = false;
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writtenCount, 0);
    ASSERT_TRUE(ReplaceFileContents(h, "record", 6));
    EXPECT_EQ(writtenCount, 1);
    EXPECT_EQ(observedPath, folder + "/QTL2test.dat");
    CloseHandle(h);
    EXPECT_EQ(writtenCount, 2);

    vetoExclusive = true;                                          // sharing readers are not the observer's
    h = Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(writtenCount, 2);                                    // nor is closing a file only read
    SetFileObserver(FileObserver{nullptr, nullptr});
}

// Without HOME the home folder comes from the password database; XDG_DATA_HOME wins
// when it is an absolute path.
TEST(DataFolder, FollowsXdgDataHomeElseHomeElseThePasswordDatabase) {
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string savedData = data ? data : "";
    char path[kPathBytes];
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(DataFolderPath(path, sizeof path));
    EXPECT_EQ(std::string(path), std::string(entry->pw_dir) + "/.local/share/quietharbour/");
    setenv("HOME", "/home/reader", 1);
    ASSERT_TRUE(DataFolderPath(path, sizeof path));
    EXPECT_STREQ(path, "/home/reader/.local/share/quietharbour/");
    setenv("XDG_DATA_HOME", "/data/\xF0\x9F\x8C\x8A", 1);
    ASSERT_TRUE(DataFolderPath(path, sizeof path));
    EXPECT_STREQ(path, "/data/\xF0\x9F\x8C\x8A/quietharbour/");
    setenv("XDG_DATA_HOME", "relative", 1);   // not absolute: ignored, as the convention says
    ASSERT_TRUE(DataFolderPath(path, sizeof path));
    EXPECT_STREQ(path, "/home/reader/.local/share/quietharbour/");
    char tiny[16];
    EXPECT_FALSE(DataFolderPath(tiny, sizeof tiny));
    if (home.empty()) unsetenv("HOME");
    else setenv("HOME", home.c_str(), 1);
    if (data) setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
}

// A path's bytes that are not UTF-8 survive the trip through a UTF-16 name, and so do
// characters beyond the 16-bit plane.
TEST_F(Files, AnyBytesAPathHoldsReachTheFile) {
    std::string path = folder + "/\xFF\xFE-\xF0\x9F\x8C\x8A-\xC3\xA9.dat";
    WCHAR wide[kPathBytes];
    ASSERT_TRUE(PathToName(path.c_str(), wide, kPathBytes));
    HANDLE h = CreateFileW(wide, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    struct stat st;
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    WCHAR small[8];
    EXPECT_FALSE(PathToName(path.c_str(), small, 8));
}

// A copy replaces what was at its name whole; a pipe is never opened to be copied.
TEST_F(Files, CopyReplacesTheNewNameWholeAndRefusesAPipe) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "first record", 12, &written, nullptr));
    std::u16string copy = name + u".unreadable";
    ASSERT_TRUE(CopyFileW(name.c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(ReplaceFileContents(h, "second", 6));
    EXPECT_FALSE(CopyFileW(name.c_str(), copy.c_str(), TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    ASSERT_TRUE(CopyFileW(name.c_str(), copy.c_str(), FALSE));
    CloseHandle(h);
    FILE* f = std::fopen((folder + "/QTL2test.dat.unreadable").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char back[32] = {};
    EXPECT_EQ(std::fread(back, 1, sizeof back, f), 6u);
    std::fclose(f);
    EXPECT_STREQ(back, "second");
    EXPECT_EQ(StrayFiles(), 1);   // the copy, and no temporary file beside it

    ASSERT_EQ(mkfifo((folder + "/pipe").c_str(), 0600), 0);
    std::u16string pipe = Utf16(folder + "/pipe");
    EXPECT_FALSE(CopyFileW(pipe.c_str(), copy.c_str(), FALSE));
    EXPECT_STREQ(LastFileErrorText(), "a pipe, not a file");
    EXPECT_EQ(CreateFileW(pipe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}
