// The modal message box's measures, for code that fits a long text to it.
#pragma once

constexpr int kMessageBoxText = 2048;      // characters a box shows (its own copy of the text)
constexpr int kMessageBoxTextWidth = 204;  // the width its text is broken into lines at
