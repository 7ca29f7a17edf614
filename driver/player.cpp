// The script runner: each script line runs when the reader's message loop would wait,
// so the reader is driven exactly as a person at the device would drive it.
#include "driver/player.h"

#include <cctype>
#include <cstring>

#include "book/story_state.h"
#include "page/controls.h"
#include "shell/main_window.h"
#include "shell/navigation.h"
#include "platform/headless.h"
#include "shell/startup.h"
#include "driver/page_dump.h"

namespace {

struct ScriptState {
    std::FILE* file = nullptr;
    std::string name;
    int line = 0;
    bool failed = false;
    bool finished = false;
};

ScriptState script;

struct Named {
    const char* name;
    int value;
};

const Named kKeys[] = {{"Return", VK_RETURN}, {"Tab", VK_TAB},      {"Up", VK_UP},
                       {"Down", VK_DOWN},     {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT},
                       {"Home", VK_HOME},     {"End", VK_END},      {"Space", VK_SPACE},
                       {"Escape", VK_ESCAPE}, {"Left", VK_LEFT},    {"Right", VK_RIGHT},
                       {"F10", VK_F10},       {"Alt", VK_MENU}};
const Named kTools[] = {{"help", kCommandHelp},         {"restart", kCommandRestart},
                        {"information", kCommandInformation}, {"back", kCommandBackToStory},
                        {"previous", kCommandPrevious},   {"next", kCommandNext}};

template <size_t N>
int Lookup(const Named (&table)[N], const std::string& name) {
    for (const Named& entry : table)
        if (name == entry.name) return entry.value;
    return 0;
}

// The screen position of a control's centre, when it is shown inside the page's view.
bool CentreOnScreen(HWND control, int* x, int* y) {
    if (!control || !IsWindowVisible(control)) return false;
    RECT rect;
    GetWindowRect(control, &rect);
    *x = (rect.left + rect.right) / 2;
    *y = (rect.top + rect.bottom) / 2;
    RECT view;
    GetWindowRect(Frame().window, &view);
    return *x >= view.left && *x < view.right && *y >= view.top && *y < view.bottom;
}

bool LabelIs(int n, const std::u16string& label) {
    WCHAR text[kLabelSize];
    const ButtonSlot& slot = Controls().buttons[n];
    if (slot.bitmap) return false;
    if (slot.labelLength > 0 || label.empty())
        return std::u16string(slot.label, size_t(slot.labelLength)) == label;
    int length = GetWindowTextW(Controls().buttonWindows[n], text, kLabelSize);
    return std::u16string(text, size_t(length)) == label;
}

bool TapLabel(const std::string& label, std::string* error) {
    std::u16string wide;
    Utf8ToUtf16(label, &wide);
    bool hidden = false;
    for (int n = 0; n < Controls().buttonCount; ++n) {
        if (!LabelIs(n, wide)) continue;
        int x, y;
        if (CentreOnScreen(Controls().buttonWindows[n], &x, &y)) {
            HeadlessTap(x, y);
            return true;
        }
        hidden = true;
    }
    *error = "no visible button labelled \"" + label + "\"" + (hidden ? " (it is off the screen)" : "");
    return false;
}

// Entry box 4000 + n is confirmed as Return in it would; any button of the page (word
// and picture buttons 5000 + n, and the built-in pages' own, such as the sound page's
// check box 518 and its Ok 519) is clicked, so a check box changes as under the stylus.
bool PressControl(int identifier, std::string* error) {
    if (identifier >= kFirstEntryBoxId && identifier < kFirstButtonId) {
        int n = identifier - kFirstEntryBoxId;
        if (n >= Controls().editCount || !Controls().editWindows[n]) {
            *error = "the page has no entry box " + std::to_string(identifier);
            return false;
        }
        SendMessageW(Frame().window, WM_COMMAND, MAKEWPARAM(identifier, EN_MAXTEXT), 0);
        HeadlessRun();
        return true;
    }
    HWND button = nullptr;
    for (int n = 0; n < Controls().buttonCount && !button; ++n) {
        HWND window = Controls().buttonWindows[n];
        if (window && GetWindowLongW(window, GWL_ID) == identifier) button = window;
    }
    if (!button) {
        *error = "the page has no control " + std::to_string(identifier);
        return false;
    }
    SendMessageW(button, BM_CLICK, 0, 0);
    HeadlessRun();
    return true;
}

bool TypeText(const std::string& text, std::string* error) {
    HWND focus = GetFocus();
    bool isEntryBox = false;
    for (int n = 0; n < Controls().editCount; ++n) isEntryBox |= focus && Controls().editWindows[n] == focus;
    if (!isEntryBox) {
        *error = "no entry box has the focus";
        return false;
    }
    std::u16string wide;
    if (!Utf8ToUtf16(text, &wide)) {
        *error = "the text is not valid UTF-8";
        return false;
    }
    HeadlessType(wide.c_str());
    return true;
}

bool PressTool(const std::string& name, std::string* error) {
    int x, y;
    if (!HeadlessToolButtonCenter(Lookup(kTools, name), &x, &y)) {
        *error = "the " + name + " button is not shown";
        return false;
    }
    HeadlessTap(x, y);
    return true;
}

bool ChooseMenu(const std::string& item, std::string* error) {
    std::u16string wide;
    Utf8ToUtf16(item, &wide);
    if (HeadlessChooseMenuItem(wide.c_str())) return true;
    *error = "the menu has no item \"" + item + "\"";
    return false;
}

void GoTo(int paragraph) {
    SkipSplashes();
    NavigateTo(int16_t(paragraph), kNavigateStory);
    HeadlessRun();
}

void SetAnswer(const std::string& answer) {
    HeadlessSetAnswer(answer == "yes"    ? HeadlessAnswer::Yes
                      : answer == "no"   ? HeadlessAnswer::No
                      : answer == "keys" ? HeadlessAnswer::Interactive
                                         : HeadlessAnswer::Default);
}

}  // namespace

bool RunPlayCommand(const PlayCommand& c, std::string* error) {
    switch (c.verb) {
    case PlayVerb::Blank: return true;
    case PlayVerb::TapAt: HeadlessTap(c.x, c.y); return true;
    case PlayVerb::TapLabel: return TapLabel(c.text, error);
    case PlayVerb::Control: return PressControl(c.x, error);
    case PlayVerb::Type: return TypeText(c.text, error);
    case PlayVerb::Key:
        if (c.text == "Shift+Tab") HeadlessKeyWithShift(VK_TAB);
        else if (c.text.size() == 1) HeadlessKey(uint32_t(std::toupper(static_cast<unsigned char>(c.text[0]))));
        else HeadlessKey(uint32_t(Lookup(kKeys, c.text)));
        return true;
    case PlayVerb::Wheel: HeadlessWheel(c.x); return true;
    case PlayVerb::Menu: return ChooseMenu(c.text, error);
    case PlayVerb::Tool: return PressTool(c.text, error);
    case PlayVerb::Answer: SetAnswer(c.text); return true;
    case PlayVerb::Wait: HeadlessAdvance(uint32_t(c.x)); return true;
    case PlayVerb::Seed: SeedRandom(uint32_t(c.x)); return true;
    case PlayVerb::Goto: GoTo(c.x); return true;
    case PlayVerb::Dump: std::fputs(PageDump().c_str(), stdout); std::fflush(stdout); return true;
    case PlayVerb::State: std::fputs(StoryStateDump().c_str(), stdout); std::fflush(stdout); return true;
    case PlayVerb::Screenshot:
        if (HeadlessScreenshot(c.text.c_str())) return true;
        *error = "cannot write the screenshot " + c.text;
        return false;
    case PlayVerb::Exit: return ChooseMenu("Exit", error);
    }
    return true;
}

// The idle handler: one script line each time the reader would wait. Returning false
// ends the reading: the main window is asked to close, and the reader saves.
static bool RunNextLine() {
    if (script.finished) return false;
    char buffer[4096];
    if (!std::fgets(buffer, sizeof buffer, script.file)) {
        script.finished = true;
        return false;
    }
    ++script.line;
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    PlayCommand command;
    std::string error;
    bool ok = ParsePlayLine(line, &command, &error) && RunPlayCommand(command, &error);
    if (!ok) {
        std::fprintf(stderr, "%s:%d: error: %s\n", script.name.c_str(), script.line, error.c_str());
        script.failed = true;
        script.finished = true;
        return false;
    }
    if (command.verb == PlayVerb::Exit) script.finished = true;
    return true;
}

static int playScale = 1;

void SetPlayScale(int scale) { playScale = scale; }

int PlayScript(std::FILE* file, const std::string& name) {
    script = ScriptState{file, name};
    HeadlessStart();
    HeadlessSetScale(playScale);
    HeadlessSetIdleHandler(RunNextLine);
    if (!StartReader(SW_SHOW)) return 1;
    int code = RunMessageLoop();
    StopReader();
    return script.failed ? 1 : code;
}
