// Hotword activation: the road of one tap, from a control's identifier to the
// navigation that replaces the page.
#include "markup/activation.h"

#include "book/story_state.h"
#include "markup/hotwords.h"
#include "markup/markup_hooks.h"

int MatchAnswer(const char* a, const char* b) {
    if (!b) return 1;
    for (;;) {
        while (*a == ' ') ++a;
        while (*b == ' ') ++b;
        signed char x = static_cast<signed char>(*a++);
        signed char y = static_cast<signed char>(*b++);
        if (x == 0 || y == 0) return x - y;
        if (x >= 'a' && x <= 'z') x = static_cast<signed char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<signed char>(y - 32);
        if (x != y) return x - y;
    }
}

static bool IsBlank(const char* text) {
    while (*text == ' ') ++text;
    return *text == 0;
}

static int16_t ChanceTarget(const Hotword& hotword) {
    int draw = RandomNumber() % 20;
    return draw + 1 > hotword.value ? hotword.otherTarget : hotword.target;
}

static int16_t PercentageTarget(const Hotword& hotword) {
    int x = RandomNumber() % 100 + 1;
    if (x <= hotword.value) return hotword.target;
    if (x <= hotword.threshold2) return hotword.target2;
    if (x <= hotword.threshold3) return hotword.target3;
    return hotword.otherTarget;
}

static int16_t AnswerTarget(const Hotword& hotword, const char* typed) {
    if (IsBlank(typed)) return hotword.otherTarget;
    if (MatchAnswer(hotword.answer1, typed) == 0) return hotword.target;
    if (MatchAnswer(hotword.answer2, typed) == 0) return hotword.target2;
    if (MatchAnswer(hotword.answer3, typed) == 0) return hotword.target3;
    return hotword.otherTarget;
}

static const Hotword* FindHotword(int16_t controlId) {
    for (int i = 0; i < Hotwords().count && i < kHotwords; ++i)
        if (Hotwords().table[i].controlId == controlId) return &Hotwords().table[i];
    return nullptr;
}

void ActivateHotword(int16_t controlId, const char* typedAnswer) {
    const Hotword* found = FindHotword(controlId);
    if (!found) return;
    // The navigation below rebuilds the page and with it the hotword table, so the
    // record is read into a copy first.
    const Hotword hotword = *found;
    int16_t target = hotword.target;
    int mode = kNavigateKeep;
    switch (hotword.kind) {
    case kHotwordGoInStory: mode = kNavigateStory; break;
    case kHotwordGoAside: mode = kNavigateSide; break;
    case kHotwordTake: SetOwnedFlag(hotword.variable, 1); break;
    case kHotwordDrop: SetOwnedFlag(hotword.variable, 0); break;
    case kHotwordAssign: SetVariableValue(hotword.variable, hotword.value); break;
    case kHotwordChance: target = ChanceTarget(hotword); break;
    case kHotwordPercentage: target = PercentageTarget(hotword); break;
    case kHotwordAnswer: target = AnswerTarget(hotword, typedAnswer); break;
    case kHotwordRestart: {
        // A restart point saved where no paragraph was displayed holds -1 and leads to
        // paragraph 0; it navigates like any other, so the page and its latch are renewed.
        if (!IsRestartPoint(hotword.variable)) return;
        target = int16_t(RestoreRestartPoint(hotword.variable) - 1);
        mode = kNavigateStory;
        break;
    }
    default: break;
    }
    MarkupNavigateTo(int16_t(target + 1), mode);
}
