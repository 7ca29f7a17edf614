// The markup's calls up to the reader, through the functions the shell connected, and
// the coverage report's hook that an author's tool sets.
#include "markup/markup_hooks.h"

// Both are connected from above and stay for the whole run; no reset clears them.
struct UpwardCalls {
    MarkupHooks hooks;
    BlockDecidedHook blockDecided;
};
static UpwardCalls upwardCalls = {};

void ConnectMarkup(const MarkupHooks& hooks) { upwardCalls.hooks = hooks; }

void MarkupNavigateTo(int16_t paragraph, int mode) {
    if (upwardCalls.hooks.navigateTo) upwardCalls.hooks.navigateTo(paragraph, mode);
}

void SetBlockDecidedHook(BlockDecidedHook hook) { upwardCalls.blockDecided = hook; }
BlockDecidedHook BlockDecided() { return upwardCalls.blockDecided; }
