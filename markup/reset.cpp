// The markup layer's reset, one call for every record of the layer.
#include "markup/reset.h"

#include "markup/hotwords.h"
#include "markup/scanner.h"

void ResetMarkup() {
    ClearScanningState();
    ResetHotwords();
    // The condition machine keeps nothing between evaluations: there is no record to clear.
}
