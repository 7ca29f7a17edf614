// The page layer's reset, one call for every record of the layer.
#include "page/reset.h"

#include "page/controls.h"
#include "page/geometry.h"
#include "page/layout.h"
#include "page/page_items.h"
#include "page/page_state.h"

void ResetPage() {
    ResetPageControls();
    ResetPageItems();
    ResetPageState();
    ClearLayout();
    ClearPageFrame();
}
