// The command set: dispatch on the command letter. (Only the title and space
// commands so far; the rest of the table yields true and does nothing.)
#include "markup/commands.h"

#include "markup/scanner.h"
#include "page/page_items.h"

uint8_t ExecuteCommand() {
    gScan.expectsBlock = false;
    switch (gScan.commandBuffer[0]) {
    case 'H':
        gScan.titleMode = true;
        break;
    case 'J':
        gScan.titleMode = false;
        FlushTitle();
        break;
    case 'a':
        if (gScan.titleMode) AppendToWordBuffer(" ");
        else EmitText(" ");
        break;
    default:
        break;
    }
    return 1;
}
