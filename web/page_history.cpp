// The browser's history and the reader's story page turns (see page_history.h).
#include "web/page_history.h"

#include "book/reader_place.h"
#include "page/geometry.h"
#include "page/identifiers.h"
#include "page/page_state.h"
#include "platform/web_page.h"
#include "shell/navigation.h"
#include "web/screen_places.h"

static int16_t knownPosition = 0;   // the story position the history has; 0: none yet

void ForgetStoryTurns() { knownPosition = 0; }

void FollowStoryTurns() {
    if (!ReaderWindowExists()) return;
    int16_t now = Place().storyPosition;
    if (now == knownPosition) return;
    bool first = knownPosition == 0;
    knownPosition = now;
    if (!first) WebStoryTurned(now);
}

// The previous arrow as the tool button gives it: through the window procedure, so the
// page turn is the one a tap would make.
void AnswerBack() {
    if (!WebTakeBack()) return;
    HWND main = Frame().window;
    if (main && PageNow().previousArrow.kind != kArrowNone)
        SendMessageW(main, WM_COMMAND, MAKEWPARAM(kCommandPrevious, 0), 0);
    else
        WebStayInBook();
}
