// The shell's parts: the menu bar built from a menu template and a menu-bar
// description, TB_SETSTATE, the "Menu" pop-up, the input panel and SHSipInfo, and
// MessageBoxW answered by the script or by a tap on its button.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/resources.h"
#include "tests/platform/window_support.h"

namespace {

void PutWord(std::string* out, unsigned w) {
    out->push_back(char(w & 0xFF));
    out->push_back(char(w >> 8));
}

void PutText(std::string* out, const char16_t* text) {
    for (; *text; ++text) PutWord(out, *text);
    PutWord(out, 0);
}

std::string Register(ResourceType type, uint16_t id, const std::string& bytes, const char* stem) {
    // Test processes run side by side: each writes its own files.
    std::string path = testing::TempDir() + std::to_string(getpid()) + "-" + stem;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    char error[200];
    EXPECT_TRUE(RegisterResourceFile(type, id, nullptr, path.c_str(), error, sizeof error)) << error;
    return path;
}

// Menu 102 with one pop-up of three items, and a bar of "Menu" plus four tool buttons.
void RegisterMenuBarResources() {
    std::string menu;
    PutWord(&menu, 0);
    PutWord(&menu, 0);
    PutWord(&menu, 0x10 | 0x80);
    PutText(&menu, u"&Menu");
    const struct { unsigned id; const char16_t* text; } items[] = {{500, u"Start at the &Beginning"}, {501, u"&Information"}, {509, u"&Exit"}};
    for (int i = 0; i < 3; ++i) {
        PutWord(&menu, i == 2 ? 0x80 : 0);
        PutWord(&menu, items[i].id);
        PutText(&menu, items[i].text);
    }
    Register(ResourceType::Menu, 102, menu, "menu102.bin");

    std::string bar;
    PutWord(&bar, 102);
    PutWord(&bar, 5);
    const unsigned buttons[5][7] = {{0xFFFE, 401, 4, 0x18, 411, 0, 0}, {0, 513, 4, 0x10, 0, 0, 0},
                                    {3, 510, 4, 0x10, 0, 0, 0},        {6, 514, 4, 0x10, 0, 0, 0},
                                    {5, 511, 4, 0x10, 0, 0, 0}};
    for (const auto& b : buttons)
        for (unsigned w : b) PutWord(&bar, w);
    Register(ResourceType::Data, 102, bar, "bar102.bin");
}

class Shell : public WindowSystem {
protected:
    void SetUp() override {
        WindowSystem::SetUp();
        RegisterMenuBarResources();
    }
    void TearDown() override {
        WindowSystem::TearDown();
        ClearRegisteredResources();
    }

    HWND MakeMainWithMenuBar() {
        HWND main = MakeMain(WS_VISIBLE | WS_VSCROLL);
        SHMENUBARINFO mbi = {};
        mbi.cbSize = 36;
        mbi.hwndParent = main;
        mbi.nToolBarId = 102;
        mbi.nBmpId = 421;
        mbi.cBmpImages = 6;
        EXPECT_TRUE(SHCreateMenuBar(&mbi));
        menuBar = mbi.hwndMB;
        return main;
    }

    HWND menuBar = nullptr;
};

int CommandsSeen(int id) {
    int n = 0;
    for (const SeenMessage& m : gSeen) n += m.msg == WM_COMMAND && LOWORD(m.wParam) == id;
    return n;
}

TEST_F(Shell, ToolButtonsSendTheirCommandsAndTbSetStateHidesThem) {
    HWND main = MakeMainWithMenuBar();
    ASSERT_NE(menuBar, nullptr);
    int x, y, blankX, blankY, nextX, nextY;
    ASSERT_TRUE(HeadlessToolButtonCenter(510, &x, &y));
    ASSERT_TRUE(HeadlessToolButtonCenter(514, &blankX, &blankY));
    ASSERT_TRUE(HeadlessToolButtonCenter(511, &nextX, &nextY));
    EXPECT_GE(y, 320 - 26);
    HeadlessTap(x, y);
    EXPECT_EQ(CommandsSeen(510), 1);

    EXPECT_TRUE(SendMessageW(menuBar, TB_SETSTATE, 510, TBSTATE_HIDDEN));
    int hiddenX, hiddenY;
    EXPECT_FALSE(HeadlessToolButtonCenter(510, &hiddenX, &hiddenY));
    int movedX, movedY;
    ASSERT_TRUE(HeadlessToolButtonCenter(511, &movedX, &movedY));
    EXPECT_LT(movedX, nextX);   // the row closes up
    HeadlessTap(x, y);          // now the blank twin sits there
    EXPECT_EQ(CommandsSeen(510), 1);
    EXPECT_EQ(CommandsSeen(514), 1);
    EXPECT_EQ(SendMessageW(menuBar, TB_GETSTATE, 510, 0), TBSTATE_HIDDEN);
    EXPECT_TRUE(IsWindow(main));
}

// The page sets every tool button's state at every turn: the bar is painted again only
// when that moves a button. A mark drawn over the bar shows whether it was.
TEST_F(Shell, TheBarIsRepaintedOnlyWhenAStateMovesAButton) {
    MakeMainWithMenuBar();
    ASSERT_NE(menuBar, nullptr);
    HeadlessRun();
    int x, y;
    ASSERT_TRUE(HeadlessToolButtonCenter(511, &x, &y));
    auto mark = [&] {
        HDC screen = GetDC(nullptr);
        RECT spot = {x - 1, y - 1, x + 1, y + 1};
        FillRect(screen, &spot, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        ReleaseDC(nullptr, screen);
    };
    mark();
    const uint32_t gray = HeadlessPixel(x, y);
    EXPECT_TRUE(SendMessageW(menuBar, TB_SETSTATE, 510, TBSTATE_ENABLED));   // as it was
    EXPECT_TRUE(SendMessageW(menuBar, TB_SETSTATE, 511, TBSTATE_ENABLED));
    HeadlessRun();
    EXPECT_EQ(HeadlessPixel(x, y), gray);
    EXPECT_TRUE(SendMessageW(menuBar, TB_SETSTATE, 510, TBSTATE_HIDDEN));    // 511 moves left
    HeadlessRun();
    EXPECT_NE(HeadlessPixel(x, y), gray);
}

TEST_F(Shell, TheMenuPopUpPostsTheChosenItemsCommand) {
    MakeMainWithMenuBar();
    ASSERT_TRUE(HeadlessChooseMenuItem(u"Exit"));
    EXPECT_EQ(CommandsSeen(509), 1);
    EXPECT_FALSE(HeadlessChooseMenuItem(u"Nowhere"));
    EXPECT_EQ(gSeen.back().msg == WM_COMMAND, false);
}

TEST_F(Shell, SipShowImChangesWhatShSipInfoReports) {
    SIPINFO sip = {};
    sip.cbSize = 48;
    ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0));
    EXPECT_EQ(sip.fdwFlags, SIPF_DOCKED);
    EXPECT_EQ(sip.rcVisibleDesktop.top, 26);
    EXPECT_EQ(sip.rcVisibleDesktop.bottom, 320);

    SipShowIM(SIPF_ON);
    SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
    EXPECT_EQ(sip.fdwFlags, SIPF_DOCKED | SIPF_ON);
    EXPECT_EQ(sip.rcVisibleDesktop.bottom, 214);
    EXPECT_EQ(sip.rcSipRect.top, 214);
    EXPECT_EQ(sip.rcSipRect.bottom, 294);

    SipShowIM(SIPF_OFF);
    SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
    EXPECT_EQ(sip.fdwFlags, SIPF_DOCKED);
}

TEST_F(Shell, TheInputPanelTypesIntoTheFocusedBoxAndItsButtonTogglesIt) {
    HWND main = MakeMainWithMenuBar();
    HWND box = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 100, 22, main,
                               reinterpret_cast<HMENU>(intptr_t(4000)), nullptr, nullptr);
    SetFocus(box);
    HeadlessTap(240 - 12, 320 - 13);   // the panel button at the right end of the menu bar
    SIPINFO sip = {};
    SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
    ASSERT_EQ(sip.fdwFlags, SIPF_DOCKED | SIPF_ON);

    HeadlessTap(10, 214 + 16 + 8);      // "q", second row
    HeadlessTap(20, 214 + 32 + 8);      // Shift
    HeadlessTap(50, 214 + 32 + 8);      // "a", shifted
    WCHAR text[16] = {};
    GetWindowTextW(box, text, 16);
    EXPECT_EQ(std::u16string(text), u"qA");

    HeadlessTap(240 - 12, 320 - 13);
    SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
    EXPECT_EQ(sip.fdwFlags, SIPF_DOCKED);
}

TEST_F(Shell, MessageBoxesAreRecordedAndAnsweredByTheScriptSetting) {
    EXPECT_EQ(MessageBoxW(nullptr, u"Paragraph 1 does not exist", nullptr, MB_OK), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, u"Do you really want to start again?", u"Beginning of Book", MB_YESNO), IDYES);
    HeadlessSetAnswer(HeadlessAnswer::No);
    EXPECT_EQ(MessageBoxW(nullptr, u"Again?", nullptr, MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"Only OK", nullptr, MB_OK), IDOK);
    ASSERT_EQ(HeadlessMessageCount(), 4);
    EXPECT_STREQ(HeadlessMessage(0), "Paragraph 1 does not exist");
    EXPECT_STREQ(HeadlessMessage(4), "");
}

// The box as a person meets it: drawn over the screen, its loop running until its
// "No" button is tapped. The idle handler plays the person.
int idleCalls = 0;
bool TapNo() {
    ++idleCalls;
    HWND box = FindWindowW(u"#msgbox", nullptr);
    if (!box) return false;
    HWND no = GetDlgItem(box, IDNO);
    RECT r;
    GetWindowRect(no, &r);
    EXPECT_EQ(HeadlessPixel(r.left, r.top), 0u);   // its frame is on the screen
    HeadlessTap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
}

TEST_F(Shell, AnInteractiveMessageBoxRunsItsOwnLoopUntilAButtonIsTapped) {
    HWND main = MakeMain();
    HeadlessRun();
    HeadlessSetAnswer(HeadlessAnswer::Interactive);
    HeadlessSetIdleHandler(TapNo);
    idleCalls = 0;
    int result = MessageBoxW(main, u"Do you really want to start again?", u"Beginning of Book", MB_YESNO);
    HeadlessSetIdleHandler(nullptr);
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(idleCalls, 1);
    EXPECT_EQ(FindWindowW(u"#msgbox", nullptr), nullptr);
    EXPECT_TRUE(IsWindow(main));
}

}  // namespace
