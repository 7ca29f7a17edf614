// The page dump: what the page item list, the slots and the navigation state say is
// on screen.
#include "driver/page_dump.h"

#include <cstdio>

#include "book/book_tables.h"
#include "book/save_file.h"
#include "page/controls.h"
#include "page/page_items.h"
#include "shell/navigation.h"
#include "platform/headless.h"
#include "shell/window_proc.h"
#include "driver/script.h"

namespace {

std::string Format(const char* format, int a, int b = 0, int c = 0, int d = 0) {
    char line[96];
    std::snprintf(line, sizeof line, format, a, b, c, d);
    return line;
}

std::string ButtonLine(int n) {
    HWND control = Controls().buttonWindows[n];
    int id = control ? int(GetWindowLongW(control, GWL_ID)) : kFirstButtonId + n;
    if (PageNow().soundPage && n == PageNow().soundCheckBoxSlot) {
        int checked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return Format("item checkbox %d \"Sound\" checked=%d", id, checked);
    }
    const ButtonSlot& slot = Controls().buttons[n];
    if (slot.bitmap || Controls().buttonPictureIds[n]) return Format("item button %d picture=%d", id, Controls().buttonPictureIds[n]);
    return Format("item button %d ", id) + QuotedUtf16(slot.label, slot.labelLength);
}

std::string ItemLine(const PageItem& item) {
    switch (item.kind) {
    case kItemText: return "item text " + QuotedLatin1(item.text);
    case kItemTitle: return "item title " + QuotedLatin1(item.text);
    case kItemAlignLeft: return "item left";
    case kItemAlignCentre: return "item centre";
    case kItemAlignRight: return "item right";
    case kItemBoldOn: return "item bold-on";
    case kItemBoldOff: return "item bold-off";
    case kItemParagraphBreak: return "item paragraph";
    case kItemLineBreak: return "item line";
    case kItemGap: return "item gap";
    case kItemPicture:
        return Format(item.inlineFlag ? "item picture %d inline" : "item picture %d block", item.argument);
    case kItemEntryBox:
        return Format("item entry %d max=%d", kFirstEntryBoxId + item.argument,
                      Controls().edits[item.argument].maximumLength);
    case kItemButton: return ButtonLine(item.argument);
    default: return Format("item kind %d", item.kind);
    }
}

}  // namespace

std::string PageDump() {
    std::string out = Format("page paragraph=%d story=%d in-story=%d mode=%d\n", Place().displayedParagraph,
                             Place().storyPosition, Place().inStory, Navigation().pageMode);
    out += Format("tools back=%d previous=%d next=%d\n", !Place().inStory, PageNow().previousArrow.kind != kArrowNone,
                  PageNow().nextArrow.kind != kArrowNone);
    for (int i = 0; i < PageItems().count; ++i) out += ItemLine(PageItems().items[i]) + "\n";
    for (int i = 0; i < HeadlessMessageCount(); ++i) {
        std::string text = HeadlessMessage(i);
        std::string quoted = "\"";
        for (char c : text) {
            if (c == '"' || c == '\\') quoted += '\\';
            quoted += c;
        }
        out += "message " + quoted + "\"\n";
    }
    HeadlessClearMessages();
    for (int i = 0; i < HeadlessSoundCount(); ++i) out += std::string(HeadlessSound(i)) + "\n";
    HeadlessClearSounds();
    return out;
}

std::string StoryStateDump() {
    std::string out;
    for (int k = 0; k < kStoryVariables; ++k) {
        const uint8_t* state = Book().variables[k].state;
        if (state[0] || state[1]) out += Format("var %d %d %d\n", k, state[0], state[1]);
    }
    for (int r = 0; r < kRestartPoints; ++r) {
        const RestartPoint& point = Book().restartPoints[r];
        if (point.used) out += Format("restart %d paragraph=%d\n", r, point.paragraph + 1);
    }
    return out + Format("sound %d\n", SoundSetting());
}
