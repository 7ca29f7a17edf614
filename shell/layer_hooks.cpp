// The calls that must go up: a lower layer declares the type of what it needs from the
// shell, and the shell, which sees every layer, hands the functions down here. Anything
// a layer may include it calls directly, so only these two remain.
#include "shell/layer_hooks.h"

#include "markup/markup_hooks.h"
#include "page/layout.h"
#include "shell/navigation.h"

void ConnectLayers() {
    // A rebuild lays out what the reader chose to show (a paragraph, a built-in page, the
    // inventory), and only the shell knows the page modes and the built-in pages.
    SetPageContentBuilder(BuildPageContent);
    // A hotword turns the page: navigation, the menu bar's tools and the autosave after a
    // story page turn all belong to the shell.
    ConnectMarkup({NavigateTo});
}
