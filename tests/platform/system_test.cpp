// System services: the version the reader reports, and how a second copy finds the
// first through a socket named after the window class and asks it to the front.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "platform/window_system.h"
#include "tests/platform/window_support.h"

namespace {

std::string RuntimeDir() {
    static std::string dir = [] {
        std::string d = testing::TempDir() + "qh-runtime-" + std::to_string(getpid());
        mkdir(d.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", d.c_str(), 1);
        return d;
    }();
    return dir;
}

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un a = {};
    a.sun_family = AF_UNIX;
    snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
    return a;
}

using System = WindowSystem;

TEST_F(System, TheVersionIsThreeZero) {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = 276;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 3u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
}

std::string SocketPath(const WCHAR* className) {
    RuntimeDir();
    char path[sizeof(sockaddr_un::sun_path)];
    EXPECT_TRUE(ActivationSocketPath(className, path, sizeof path));
    return path;
}

// The socket belongs to the data folder as the save file does: readers of two folders
// (the reader and a live preview) never find each other, and no folder's path is too
// long for a socket's address.
TEST_F(System, EachDataFolderHasItsOwnSocket) {
    setenv("XDG_DATA_HOME", "/data/a", 1);
    std::string a = SocketPath(u"QTL2quietharbour");
    EXPECT_EQ(SocketPath(u"QTL2quietharbour"), a);
    EXPECT_EQ(a.rfind(RuntimeDir() + "/QTL2quietharbour-", 0), 0u) << a;
    setenv("XDG_DATA_HOME", "/data/b", 1);
    EXPECT_NE(SocketPath(u"QTL2quietharbour"), a);
    setenv("XDG_DATA_HOME", ("/" + std::string(3000, 'x')).c_str(), 1);
    EXPECT_NE(SocketPath(u"QTL2quietharbour"), a);
    unsetenv("XDG_DATA_HOME");
}

TEST_F(System, FindWindowAsksTheRunningCopyThroughItsSocket) {
    std::string path = SocketPath(u"QTL2elsewhere");
    unlink(path.c_str());
    int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a = AddressOf(path);
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(server, 1), 0);

    EXPECT_EQ(FindWindowW(u"QTL2nobody", nullptr), nullptr);
    HWND other = FindWindowW(u"QTL2elsewhere", nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(SetForegroundWindow(other));
    int connection = accept(server, nullptr, nullptr);
    char word[16] = {};
    EXPECT_EQ(read(connection, word, sizeof word - 1), 6);
    EXPECT_STREQ(word, "raise\n");
    // The reader goes on to repaint the found window; that must be harmless.
    EXPECT_FALSE(InvalidateRect(other, nullptr, TRUE));
    close(connection);
    close(server);
    unlink(path.c_str());
}

// A backend with a real window listens; this one only counts how often it was raised.
int raised = 0;
const Backend kWindowedBackend = {
    "windowed",
    [](int) { return true; },
    [] {},
    [](const uint32_t*, int) {},
    [](InputEvent*) { return false; },
    [] { return uint32_t(0); },
    [](uint32_t) {},
    [] { ++raised; },
    [](const char*, const uint8_t*, uint32_t) {},
    [] {},
};

TEST_F(System, TheRunningCopyComesToTheFrontWhenAsked) {
    std::string path = SocketPath(u"QTL2listening");
    ASSERT_TRUE(UseBackend(&kWindowedBackend, 1));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = TestWindowProc;
    wc.lpszClassName = u"QTL2listening";
    RegisterClassW(&wc);
    HWND main = CreateWindowExW(0, u"QTL2listening", u"Reader", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 240, 268,
                                nullptr, nullptr, nullptr, nullptr);
    HWND later = MakeMain();
    SetForegroundWindow(later);
    raised = 0;

    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a = AddressOf(path);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(write(fd, "raise\n", 6), 6);
    close(fd);
    HeadlessRun();
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(GetForegroundWindow(), main);
    UseBackend(&kHeadlessBackend, 1);
}

}  // namespace
