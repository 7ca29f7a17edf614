// The route that quietharbour --goto N plays before the preview opens.
#pragma once

bool PlayRouteToParagraph(const char* path, int paragraph, const char* stateFolder);
