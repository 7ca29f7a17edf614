// The web edition's stand-in for FreeType's entry header: text.cpp's FreeType calls are
// answered from the glyph table rendered at build time (platform/glyph_table.h).
#pragma once
#define FT_FREETYPE_H "platform/glyph_table.h"
#define FT_TRUETYPE_TABLES_H "platform/glyph_table.h"
