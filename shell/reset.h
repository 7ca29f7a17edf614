// The shell's one reset: every record it owns as at start-up (navigation, the inventory
// page's buttons, the menu bar's handle, the wheel's part notch). A book source the
// reader follows (live preview) is how it was started, not part of a reading, and stays.
#pragma once

void ResetShell();
