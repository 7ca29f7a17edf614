// The built-in pages, each a fixed sequence of page-building operations, so that
// layout, painting and scrolling treat them like any paragraph page.
#include "shell/builtin_pages.h"

#include <cstdio>

#include "book/book_tables.h"
#include "book/save_file.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "page/layout.h"
#include "page/page_items.h"
#include "shell/main_window.h"
#include "shell/navigation.h"
#include "shell/window_proc.h"


static void Centre() { EmitAlignment(1); }
static void Left() { EmitAlignment(0); }

void BuildPresentsSplash() {
    Centre();
    EmitParagraphBreak();
    EmitPicture(Book().header->logoPicture, 0);
    EmitParagraphBreak();
    Centre();
    EmitText("Presents");
    EmitLineBreak();
    Left();
}

void BuildTitleSplash() {
    Centre();
    EmitPicture(Book().header->titlePicture, 0);
    EmitLineBreak();
    EmitBoldOn();
    EmitText(Book().header->title);
    EmitBoldOff();
    EmitLineBreak();
    Left();
}

static void TextLine(const char* label, const char* value) {
    EmitText(label);
    EmitText(value);
    EmitLineBreak();
}

void BuildTitlePage() {
    const BookHeader& header = *Book().header;
    Centre();
    EmitBoldOn();
    EmitText(header.title);
    EmitText(" 1.0");
    EmitBoldOff();
    EmitLineBreak();
    Left();
    TextLine(" author: ", header.author);
    TextLine(" contact: ", header.contactAddress);
    TextLine(" support: ", header.supportAddress);
    TextLine("copyright: ", header.copyrightHolder);
    TextLine("", header.closingLine);
}

void BuildInstructionsPage() {
    EmitText("The buttons below the Horizontal line ");
    EmitText("at the bottom of the screen have the ");
    EmitText("following actions. ");
    EmitLineBreak();
    EmitLineBreak();
    EmitPictureResource(1101);
    EmitPictureResource(1102);
    EmitLineBreak();
    EmitText("The RESTART screen enables the ");
    EmitText("reader to go back to an earlier ");
    EmitText("screen. ");
    EmitLineBreak();
    EmitLineBreak();
    EmitPictureResource(1103);
    EmitPictureResource(1105);
    EmitPictureResource(1106);
    EmitPictureResource(1104);
    EmitLineBreak();
    EmitText("The above three Arrows only appear if ");
    EmitText("the function is available. ");
    EmitLineBreak();
    EmitLineBreak();
    EmitText("Further information can be found on ");
    EmitText("the hints page selected from the menu.");
}

// The line that identifies this build and the system it runs on.
static void EmitIdentificationLine() {
    char number[24];
    EmitText("A ");
    EmitText("2.8.15");
    EmitText("; B ");
    std::snprintf(number, sizeof number, "%d", int(kSaveVersion));
    EmitText(number);
    EmitText("; C ");
    EmitText("3.55");
    EmitText("; O ");
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = 276;
    GetVersionExW(&version);
    std::snprintf(number, sizeof number, "%d.%d", int(version.dwMajorVersion),
                  int(version.dwMinorVersion));
    EmitText(number);
    EmitText("; P ");
    EmitText("1.10");
}

void BuildAboutPage() {
    const BookHeader& header = *Book().header;
    Centre();
    EmitPicture(header.logoPicture, 0);
    EmitLineBreak();
    EmitBoldOn();
    EmitText(header.webSite);
    EmitLineBreak();
    EmitText(" 1.0");
    EmitBoldOff();
    EmitLineBreak();
    Left();
    EmitLineBreak();
    EmitText("For more information (FAQs) please visit our web site. ");
    EmitText("If you have a query about \"");
    EmitText(header.title);
    EmitText("\" email ");
    EmitText(header.supportAddress);
    EmitText(" giving the title and the following alphanumerical code");
    EmitLineBreak();
    EmitLineBreak();
    EmitLineBreak();
    EmitIdentificationLine();
    SetInStory(false);
}

// The check box is a platform-drawn control that the page's slot table owns, so the
// layout places it and the next rebuild destroys it like any button.
static bool AddSoundCheckBox(int16_t* slotOut) {
    int16_t n = TakeButtonSlot(int16_t(14 * Metrics().averageCharWidth),
                               int16_t(Metrics().defaultLineHeight + 4));
    if (n < 0) return false;
    const ButtonSlot& slot = Controls().buttons[n];
    HWND box = CreateWindowExW(0, u"button", u"Sound", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                               Frame().creationRect.left, Frame().creationRect.top, slot.width,
                               slot.height,
                               Frame().window, reinterpret_cast<HMENU>(intptr_t(kCommandSoundCheckBox)),
                               Frame().instance, nullptr);
    SetButtonWindow(n, box);
    if (!box) {
        MessageBoxW(nullptr, u"Could not create button", u"No Memory", MB_OK);
        PostMessageW(Frame().window, WM_CLOSE, 0, 0);
        return false;
    }
    AppendControlItem(kItemButton, n);
    ShowWindow(box, SW_SHOW);
    UpdateWindow(box);
    SendMessageW(box, BM_SETCHECK, SoundSetting() ? BST_CHECKED : BST_UNCHECKED, 0);
    *slotOut = n;
    return true;
}

void BuildSoundSettingsPage() {
    EmitLineBreak();
    EmitLineBreak();
    EmitLineBreak();
    Centre();
    int16_t checkBoxSlot = -1;
    if (!AddSoundCheckBox(&checkBoxSlot)) return;
    for (int i = 0; i < 6; ++i) EmitLineBreak();
    AddWordButton("Ok", kCommandSoundOk);
    EmitLineBreak();
    Left();
    MarkSoundPage(checkBoxSlot);
}

// The book-format word, with its third letter in bold.
static void EmitBookWord(const char* ending) {
    EmitText("fa");
    EmitBoldOn();
    EmitText("b");
    EmitBoldOff();
    EmitText(ending);
}

void BuildHintsPage() {
    Left();
    EmitText("The idea of an ");
    EmitBookWord("ulex ");
    EmitText(" is that you decide how the story ends by the choices you make along the way.  "
             "You can run the story as many times as you like to try out different scenarios.");
    EmitParagraphBreak();
    EmitText("You interact with the ");
    EmitBookWord("ulex ");
    EmitText("by using your stylus to select boxes on the screen containing a word (or words) or "
             "by pressing arrows in the icon bar at the bottom of the screen.  ");
    EmitText("To understand what these arrows mean, tap the help icon '?' in the bottom left "
             "hand corner of your screen.");
    EmitParagraphBreak();
    EmitText("You may also collect items during the story which you can check any time by "
             "selecting inventory from the menu or the 'i' on the icon bar.  The inventory page "
             "lists all your items and tells you their status where they have one.  If you "
             "select an item from the list you will see further details about the item and you "
             "may be able to make changes.  This can be an important way of finding  clues to "
             "help you along, so remember to keep checking the inventory.");
    EmitParagraphBreak();
    EmitText("Some ");
    EmitBookWord("ulexs ");
    EmitText("may contain a random element at some points.  This means that even when you make "
             "identical choices the story may not go exactly the same way each time - just to "
             "make it more exciting for you!");
    EmitParagraphBreak();
    EmitText("If you get totally stuck, you can always e-mail us at  ");
    EmitText(Book().header->supportAddress);
    EmitParagraphBreak();
}
