// The page dump and the story state, as qh-play prints them: one line per fact, in a
// fixed order, so that scripts can compare readings.
#pragma once

#include <string>

// The page on screen, its items in list order, then the message boxes and sounds
// since the last dump (which are taken).
std::string PageDump();
// Variables whose state bytes are not both 0, restart points in use, the sound setting.
std::string StoryStateDump();
