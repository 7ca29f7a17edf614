// The page layer's one reset: the page as before the first rebuild (no items, no
// controls, a rebuild wanted, no layout pass, the scroll at the top). The window the page
// is drawn in and its fonts stay, as does the content builder connected from above.
#pragma once

void ResetPage();
