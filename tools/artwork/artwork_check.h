// Whether the reader will be able to show a book's picture or play its sound: every
// file is opened as the reader's build would take it and decoded through, so that a
// broken picture or recording is an error when the book is checked or packed, never a
// surprise while reading.
#pragma once

#include <string>

// A BMP or PNG decoded by the reader's own decoder, into the room the reader has for
// all its pictures; a .pic or .grid source built (drawn) as the packer builds it.
bool CheckPictureFile(const std::string& path, std::string* why);

// A RIFF WAVE file that the reader can play: a "fmt " chunk of uncompressed PCM, one or
// two channels, 8 or 16 bits a sample, a rate of 4000 to 48000 samples a second, and a
// "data" chunk, every chunk inside the file.
bool CheckSoundFile(const std::string& path, std::string* why);
