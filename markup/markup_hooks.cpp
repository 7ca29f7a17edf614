// The markup's calls up to the reader, through the functions the shell connected.
#include "markup/markup_hooks.h"

static MarkupHooks markupHooks = {};

void ConnectMarkup(const MarkupHooks& hooks) { markupHooks = hooks; }

void MarkupNavigateTo(int16_t paragraph, int mode) {
    if (markupHooks.navigateTo) markupHooks.navigateTo(paragraph, mode);
}

static BlockDecidedHook blockDecided = nullptr;

void SetBlockDecidedHook(BlockDecidedHook hook) { blockDecided = hook; }
BlockDecidedHook BlockDecided() { return blockDecided; }
