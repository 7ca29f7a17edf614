// The markup layer's one reset: every record it owns as at start-up (the scanner, the
// hotword table, the condition evaluation). The hooks connected from above stay.
#pragma once

void ResetMarkup();
