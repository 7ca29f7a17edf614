// The shell's reset, one call for every record of the layer.
#include "shell/reset.h"

#include "shell/inventory_page.h"
#include "shell/menu_bar.h"
#include "shell/navigation.h"
#include "shell/window_proc.h"

void ResetShell() {
    ClearNavigation();
    ClearInventoryPage();
    ForgetMenuBar();
    ClearWheelRemainder();
}
