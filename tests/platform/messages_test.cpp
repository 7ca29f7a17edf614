// Windows and messages on the headless backend: what runs at once and what waits in
// the queue, the default handling of WM_CLOSE, sizes delivered with WM_SIZE, and
// timers on the virtual clock.
#include "tests/platform/window_support.h"

namespace {

using Messages = WindowSystem;

TEST_F(Messages, SendRunsAtOnceWhilePostWaitsForTheLoop) {
    HWND main = MakeMain();
    HeadlessRun();
    gSeen.clear();

    EXPECT_EQ(SendMessageW(main, WM_USER + 1, 7, 8), 0);
    ASSERT_EQ(CountSeen(WM_USER + 1), 1);
    EXPECT_EQ(gSeen.back().wParam, 7u);

    EXPECT_TRUE(PostMessageW(main, WM_USER + 2, 0, 0));
    EXPECT_EQ(CountSeen(WM_USER + 2), 0);
    HeadlessRun();
    EXPECT_EQ(CountSeen(WM_USER + 2), 1);
}

TEST_F(Messages, UpdateWindowPaintsBeforeItReturnsAndOnlyWhenSomethingIsInvalid) {
    HWND main = MakeMain();
    HeadlessRun();
    gSeen.clear();

    UpdateWindow(main);
    EXPECT_EQ(CountSeen(WM_PAINT), 0);
    InvalidateRect(main, nullptr, TRUE);
    EXPECT_EQ(CountSeen(WM_PAINT), 0);
    UpdateWindow(main);
    EXPECT_EQ(CountSeen(WM_PAINT), 1);
    EXPECT_EQ(CountSeen(WM_ERASEBKGND), 1);
    UpdateWindow(main);
    EXPECT_EQ(CountSeen(WM_PAINT), 1);
}

TEST_F(Messages, PostedMessagesKeepTheirOrderAndQuitComesAfterThem) {
    HWND main = MakeMain();
    HeadlessRun();
    PostMessageW(main, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageW(main, WM_USER + 2, 0, 0);
    MSG m;
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_USER + 1);
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_USER + 2);
    EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(Messages, CloseDestroysThroughTheDefaultProcedureAndDropsItsQueuedMessages) {
    HWND main = MakeMain();
    HWND child = MakeChild(main, u"TestWindow", u"", 0, 9, 0, 0, 20, 20);
    HeadlessRun();
    PostMessageW(child, WM_USER + 5, 0, 0);
    SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(CountSeen(WM_DESTROY), 2);
    HeadlessRun();
    EXPECT_EQ(CountSeen(WM_USER + 5), 0);
}

TEST_F(Messages, SetWindowPosDeliversTheNewClientSizeBeforeReturning) {
    HWND main = MakeMain(WS_VISIBLE | WS_VSCROLL);
    RECT client;
    ASSERT_TRUE(GetClientRect(main, &client));
    EXPECT_EQ(client.right, 240 - 13);
    EXPECT_EQ(client.bottom, 268);
    gSeen.clear();

    SetWindowPos(main, nullptr, 0, 0, 240, 188, SWP_NOMOVE | SWP_NOOWNERZORDER);
    ASSERT_EQ(CountSeen(WM_SIZE), 1);
    EXPECT_EQ(HIWORD(uintptr_t(gSeen.back().lParam)), 188);
    EXPECT_EQ(LOWORD(uintptr_t(gSeen.back().lParam)), 227);
}

TEST_F(Messages, WindowLongsCarryTheProcedureAndTheIdentifier) {
    HWND main = MakeMain();
    HWND child = MakeChild(main, u"TestWindow", u"", 0, 4321, 0, 0, 10, 10);
    EXPECT_EQ(GetWindowLongW(child, GWL_ID), 4321);
    EXPECT_EQ(GetDlgItem(main, 4321), child);
    LONG old = SetWindowLongW(child, GWL_WNDPROC, reinterpret_cast<LONG>(&DefWindowProcW));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(old), &TestWindowProc);
    gSeen.clear();
    SendMessageW(child, WM_USER, 0, 0);
    EXPECT_EQ(CountSeen(WM_USER), 0);
    EXPECT_EQ(CallWindowProcW(reinterpret_cast<WNDPROC>(old), child, WM_USER, 0, 0), 0);
    EXPECT_EQ(CountSeen(WM_USER), 1);
}

TEST_F(Messages, TimersFireOnTheVirtualClockAndRestartWhenSetAgain) {
    HWND main = MakeMain();
    HeadlessRun();
    uint32_t start = GetTickCount();
    SetTimer(main, 1, 2000, nullptr);

    HeadlessAdvance(1999);
    EXPECT_EQ(CountSeen(WM_TIMER), 0);
    HeadlessAdvance(1);
    EXPECT_EQ(CountSeen(WM_TIMER), 1);
    EXPECT_EQ(GetTickCount() - start, 2000u);

    HeadlessAdvance(1500);
    SetTimer(main, 1, 2000, nullptr);   // restarts: the next expiry is 2000 ms from now
    HeadlessAdvance(1999);
    EXPECT_EQ(CountSeen(WM_TIMER), 1);
    HeadlessAdvance(1);
    EXPECT_EQ(CountSeen(WM_TIMER), 2);

    KillTimer(main, 1);
    HeadlessAdvance(10000);
    EXPECT_EQ(CountSeen(WM_TIMER), 2);
}

TEST_F(Messages, ATimerRepeatsAtItsIntervalAsTheClockAdvances) {
    HWND main = MakeMain();
    SetTimer(main, 7, 100, nullptr);
    HeadlessAdvance(1000);
    EXPECT_EQ(CountSeen(WM_TIMER), 10);
    EXPECT_EQ(gSeen.back().wParam, 7u);
}

}  // namespace
