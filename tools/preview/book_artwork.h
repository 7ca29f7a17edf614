// The pictures and sounds of a book compiled from source, registered as the program's
// resources from the artwork files the book names (qh-play --book, the live preview).
#pragma once

#include <cstdint>

#include "book/book_tables.h"

// Registers every picture and sound file of tables, replacing what an earlier load of
// the same numbers registered; a .pic picture is also rendered from its vectors at the
// device scale (0: at every scale above 1, for a window whose scale follows its size).
// On failure writes a one-line message into error and returns false; what was
// registered before the failing file stays registered.
bool RegisterBookArtwork(const BookTables& tables, int scale, char* error, int errorSize);

// Registers one picture file as bitmap id the same way: a PNG or BMP as it is, a .pic
// built into a BMP and rendered at scale (0: every scale above 1).
bool RegisterPictureFile(uint16_t id, const char* file, int scale, char* error, int errorSize);
