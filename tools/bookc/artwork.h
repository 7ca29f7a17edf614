// The book's artwork files: the size a picture file declares, and the manifest that tells the resource packer what to pack.
#pragma once

#include <cstdint>
#include <string>

#include "tools/bookc/book_model.h"

// Width and height from a BMP or PNG header; both 0 when the file tells neither.
void ReadPictureSize(const std::string& path, uint16_t& width, uint16_t& height);

// One line per declared picture, "bitmap <id> <absolute path>", then one per declared
// sound, "wave <NAME> <absolute path>".
std::string ArtworkManifest(const BookModel& book);
