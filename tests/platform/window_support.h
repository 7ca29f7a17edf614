// Shared by the window-system tests: a window class whose procedure writes down every
// message and lets a test react to one, and a fixture that starts each test on the
// headless backend with no windows left from the one before.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/headless.h"
#include "platform/win32.h"

struct SeenMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message that reached a window of class "TestWindow", in order.
inline std::vector<SeenMessage> gSeen;
// Runs first for each message; returning true means the message was handled.
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> gReact;

inline LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    gSeen.push_back({hwnd, msg, wParam, lParam});
    LRESULT result = 0;
    if (gReact && gReact(hwnd, msg, wParam, lParam, &result)) return result;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline int CountSeen(UINT msg, HWND hwnd = nullptr) {
    int n = 0;
    for (const SeenMessage& m : gSeen) n += m.msg == msg && (!hwnd || m.hwnd == hwnd);
    return n;
}

class WindowSystem : public testing::Test {
protected:
    void SetUp() override {
        HeadlessStart();
        HeadlessSetAnswer(HeadlessAnswer::Default);
        HeadlessClearMessages();
        HeadlessClearSounds();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = u"TestWindow";
        RegisterClassW(&wc);
        gSeen.clear();
        gReact = nullptr;
    }

    void TearDown() override {
        HeadlessStart();   // a test may have left another backend in charge
        gReact = nullptr;
        SipShowIM(SIPF_OFF);
        while (HWND w = FindWindowW(nullptr, nullptr)) DestroyWindow(w);
        MSG m;
        while (GetMessageW(&m, nullptr, 0, 0)) {}
        gSeen.clear();
    }

    // A main window like the reader's: below the top bar, above the menu bar.
    HWND MakeMain(DWORD style = WS_VISIBLE) {
        return CreateWindowExW(0, u"TestWindow", u"Test", style, CW_USEDEFAULT, CW_USEDEFAULT, 240, 268, nullptr,
                               nullptr, nullptr, nullptr);
    }

    HWND MakeChild(HWND parent, LPCWSTR cls, LPCWSTR text, DWORD style, int id, int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    }
};
