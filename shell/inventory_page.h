// The built-in inventory page: what the reader holds, one button per owned item,
// shown in place of paragraph 6 when the book has none of its own.
#pragma once

#include <cstdint>

void BuildInventoryPage();
// A tap on one of the page's buttons opens that item's inventory paragraph.
void ActivateInventoryButton(int16_t controlId);
// No button leads anywhere, as before the first inventory page.
void ClearInventoryPage();
