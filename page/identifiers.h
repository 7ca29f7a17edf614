// Every identifier that a command or a control of the reader carries: the menu and
// tool-bar commands (as the menu and menu-bar resources spell them), the built-in
// pages' own controls, and the first identifiers of the page's entry boxes and buttons.
// Kept in the page layer, the lowest that creates controls, so every layer above and
// every tool reads the same numbers.
#pragma once

enum Command : int {
    kCommandStartAgain = 500,
    kCommandInformation = 501,
    kCommandRestart = 502,
    kCommandObjective = 503,
    kCommandSounds = 504,
    kCommandHints = 506,
    kCommandAbout = 507,
    kCommandCredits = 508,
    kCommandExit = 509,
    kCommandBackToStory = 510,
    kCommandNext = 511,
    kCommandPrevious = 512,
    kCommandHelp = 513,               // also the title page's INSTRUCTIONS button
    kCommandBackToStoryBlank = 514,   // the blank twin shown in place of back to the story
    kCommandPreviousBlank = 515,      // the blank twin shown in place of previous
    kCommandSpacer = 516,
    kCommandSoundCheckBox = 518,
    kCommandSoundOk = 519,
    kCommandMenu = 401,               // the bar's "Menu" button: it drops down the menu, sends nothing
};

constexpr int kFirstEntryBoxId = 4000;   // entry box n is 4000 + n
constexpr int kFirstButtonId = 5000;     // word and picture button n is 5000 + n
