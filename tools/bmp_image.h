// Reading one of the game's BMP pictures into an RgbImage, for the tools that make PNG files of them.
#pragma once

#include "png_encode.h"

// The picture's pixels through its own format (palettes and 16, 24 and 32 bits all work). Returns
// false, the reason in SDL_GetError, when the file cannot be read.
bool loadBmpImage(const char *path, RgbImage &image);
