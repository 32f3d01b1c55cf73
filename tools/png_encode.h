// Encoding an RGB picture as a PNG file, for the desktop icon made from the game's own icon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB picture, rows top to bottom, three bytes per pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The picture resampled to width x height by taking the nearest pixel: a side twice as long turns each
// pixel into a 2x2 block, the same size gives the same picture.
RgbImage scaleNearest(const RgbImage &image, int width, int height);

// The bytes of a PNG file (8-bit truecolour, no interlace, unfiltered rows) holding image.
// The same picture always gives the same bytes.
std::string encodePng(const RgbImage &image);
