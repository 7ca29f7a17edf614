// The main window's procedure: every message passes the input-panel check, then is
// dispatched; commands from the menu and tool bar act here, control notifications
// go to hotword activation or the inventory page, at most once per built page.
#include "shell/window_proc.h"

#include "shell/inventory_page.h"
#include "shell/live_preview.h"
#include "book/save_file.h"
#include "book/story_state.h"
#include "markup/activation.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "page/identifiers.h"
#include "page/layout.h"
#include "page/page_state.h"
#include "platform/text_codec.h"
#include "shell/keyboard_play.h"
#include "shell/menu_bar.h"
#include "shell/navigation.h"

static void StartAgain(HWND window) {
    int answer = MessageBoxW(window, u"Do you really want to start again?", u"Beginning of Book",
                             MB_YESNO);
    if (answer != IDYES) return;
    SetInStory(true);
    ResetStory();
    NavigateTo(kOpeningParagraph, kNavigateKeep);
    ResetLayoutBold();
}

static void ApplySoundCheckBox() {
    int16_t slot = PageNow().soundCheckBoxSlot;
    HWND box = slot >= 0 && slot < Controls().buttonCount ? Controls().buttonWindows[slot] : nullptr;
    SetSoundSetting(SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    NavigateTo(Place().storyPosition, kNavigateStory);
}

// A side page opened from the menu: the story position stays where it is.
static void OpenSidePage(int16_t paragraph) {
    SetInStory(false);
    NavigateTo(paragraph, kNavigateKeep);
}

static void OpenSpecialPage(int32_t mode) {
    SetInStory(false);
    ShowSpecialPage(mode);
}

static void RunCommand(HWND window, int command) {
    switch (command) {
    case kCommandStartAgain: StartAgain(window); break;
    case kCommandInformation: OpenSidePage(kInformationParagraph); break;
    case kCommandRestart: OpenSidePage(kRestartParagraph); break;
    case kCommandObjective: OpenSidePage(kObjectiveParagraph); break;
    case kCommandSounds: OpenSpecialPage(kPageSoundSettings); break;
    case kCommandHints: OpenSidePage(kHintsParagraph); break;
    case kCommandAbout:
        ShowSpecialPage(kPageAbout);
        SetInStory(false);
        break;
    case kCommandCredits: OpenSidePage(kCreditsParagraph); break;
    case kCommandExit: PostMessageW(window, WM_CLOSE, 0, 0); break;
    case kCommandBackToStory:
        if (Place().inStory) break;
        if (PageNow().soundPage) ApplySoundCheckBox();
        else NavigateTo(Place().storyPosition, kNavigateStory);
        break;
    case kCommandNext: ActivateArrow(PageNow().nextArrow); break;
    case kCommandPrevious: ActivateArrow(PageNow().previousArrow); break;
    case kCommandHelp: OpenSpecialPage(kPageInstructions); break;
    case kCommandSoundOk: ApplySoundCheckBox(); break;
    default: break;   // the blank tool buttons, the Sound check box, the menu button
    }
}

// The typed answer: the box's text reduced to 8 bits, at most its maximum length.
static void ConfirmEntryBox(int identifier) {
    int n = identifier - kFirstEntryBoxId;
    char answer[kLabelSize] = "";
    if (n < Controls().editCount) {
        int most = Controls().edits[n].maximumLength;
        if (most > kLabelSize - 1) most = kLabelSize - 1;
        if (most < 0) most = 0;
        WCHAR text[kLabelSize] = {};
        HWND box = Controls().editWindows[n];
        int length = box ? GetWindowTextW(box, text, most + 1) : 0;
        if (length > most) length = most;
        NarrowLatin1(text, length, answer, kLabelSize);
    }
    if (!TakeActivationLatch()) return;
    ActivateHotword(int16_t(identifier), answer);
}

// A command from the menu or the tool bar, or a notification from a control of the page.
static void HandleCommand(HWND window, int identifier, int code) {
    if (identifier < kFirstEntryBoxId) {
        RunCommand(window, identifier);
    } else if (identifier < kFirstButtonId) {
        if (code == EN_MAXTEXT) ConfirmEntryBox(identifier);
    } else if (TakeActivationLatch()) {
        if (PageNow().inventoryMode) ActivateInventoryButton(int16_t(identifier));
        else ActivateHotword(int16_t(identifier), "");
    }
}

static bool HandleKey(HWND window, WPARAM virtualKey) {
    int code;
    switch (virtualKey) {
    case VK_PRIOR: code = SB_PAGEUP; break;
    case VK_NEXT: code = SB_PAGEDOWN; break;
    case VK_END: code = SB_BOTTOM; break;
    case VK_HOME: code = SB_TOP; break;
    case VK_UP: code = SB_LINEUP; break;
    case VK_DOWN: code = SB_LINEDOWN; break;
    default: return HandleKeyboardPlayKey(window, virtualKey);
    }
    PostMessageW(window, WM_VSCROLL, WPARAM(code), 0);
    return true;
}

// One notch of the wheel is three line steps, posted as the Up and Down keys post
// theirs, so the scroll bar follows. A fine-grained wheel's part notches add up.
constexpr int kLinesPerNotch = 3;

// The wheel turned since the last whole notch, in the wheel's own units.
static int wheelRemainder = 0;

void ClearWheelRemainder() { wheelRemainder = 0; }

static void ScrollByWheel(HWND window, int wheelDelta) {
    wheelRemainder += wheelDelta;
    int notches = wheelRemainder / WHEEL_DELTA;
    wheelRemainder -= notches * WHEEL_DELTA;
    WPARAM code = notches > 0 ? SB_LINEUP : SB_LINEDOWN;
    for (int i = 0; i < kLinesPerNotch * (notches > 0 ? notches : -notches); ++i) PostMessageW(window, WM_VSCROLL, code, 0);
}

// What wParam and lParam hold depends on the message: each case takes out what its
// message carries, under a name that says what it is.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CheckInputPanel(window);
    switch (message) {
    case WM_CREATE:
        RecordCreationRect(window);
        CreateMenuBar(window);
        CreatePageFonts();
        return 0;
    case WM_DESTROY:
        DeletePageFonts();
        PostQuitMessage(0);
        return 0;
    case WM_SIZE: {
        int clientHeight = HIWORD(lParam);
        HandleSize(window, clientHeight);
        return 0;
    }
    case WM_PAINT:
        PaintPage(window);
        return 0;
    case WM_DRAWITEM:
        DrawOwnerButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        break;
    case WM_KEYDOWN: {
        WPARAM virtualKey = wParam;
        if (virtualKey == VK_F5 && FollowingBookSource()) {
            ReloadBookSource();
            return 0;
        }
        if (HandleKey(window, virtualKey)) return 0;
        break;
    }
    case WM_COMMAND: {
        int identifier = LOWORD(wParam);
        int notification = HIWORD(wParam);
        HandleCommand(window, identifier, notification);
        break;
    }
    case WM_TIMER: {
        WPARAM timer = wParam;
        if (timer == kPreviewTimer) {
            PollBookSource();
            return 0;
        }
        KillTimer(window, kSplashTimer);
        RequestRebuild();
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        break;
    }
    case WM_VSCROLL: {
        int scrollCode = LOWORD(wParam);
        HandleScroll(window, scrollCode);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int wheelDelta = GET_WHEEL_DELTA_WPARAM(wParam);
        ScrollByWheel(window, wheelDelta);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
