// The advances of Latin-1 at the page fonts' size, rendered at build time by the same
// FreeType and faces the platform draws with (tools/glyphs, --advances): measuring a
// line needs the hinted advance of every character on the page, and hinting is most of
// what loading a glyph costs, while above device scale 1 the glyph at that size is
// never drawn. Only the desktop and headless builds carry it (QH_TEXT_ADVANCES); the
// web edition's glyph table answers as cheaply.
#pragma once

#include <cstdint>

struct TextAdvances {
    int pixels;                   // the em size the table holds
    int16_t advance[2][256];      // [0 regular, 1 bold][character], whole pixels
};

extern const TextAdvances gTextAdvances;
