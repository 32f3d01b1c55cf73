// Encoding an RGB picture as a PNG file: the desktop icon made from the game's own icon, and the
// pictures of the browser version.
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

// How the rows are stored: as they are, or through whichever way of filtering them packs smallest
// (one PNG filter for every row, or for each row the one that leaves the smallest differences), for
// files sent over the network.
enum class PngRows { plain, filtered };

// The bytes of a PNG file (8-bit truecolour, no interlace) holding image.
// The same picture always gives the same bytes.
std::string encodePng(const RgbImage &image, PngRows rows = PngRows::plain);

// Writes encodePng's bytes to the file at path; false when they could not be written.
bool writePng(const char *path, const RgbImage &image, PngRows rows = PngRows::plain);
