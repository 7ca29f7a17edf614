// What the engine fuzz targets share: the engine started as its unit tests start it
// (tests/engine/engine_host.h), and the per-input reset of a page and its story.
#pragma once

#include "book/book_tables.h"
#include "book/reset.h"
#include "book/story_state.h"
#include "markup/hotwords.h"
#include "markup/reset.h"
#include "markup/scanner.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "page/page_items.h"
#include "page/reset.h"
#include "shell/main_window.h"
#include "platform/headless.h"
#include "platform/win32.h"
#include "tests/engine/engine_host.h"

// Every input starts from an empty page, a fresh story, the scanner's start-of-page
// values and a fixed random seed, so a finding replays on its own.
inline void ResetFuzzPage() {
    ResetBook();
    ResetPage();
    ResetMarkup();
    HeadlessClearMessages();
    HeadlessClearSounds();
    ResetStory();
    SeedRandom(1);
}
