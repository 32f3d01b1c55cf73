// A plain RGB picture the asset maker paints on, and the BMP writer that stores it in the screen's format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Colours are 0xRRGGBB.
struct Canvas {
    int width;
    int height;
    std::vector<uint32_t> rgb;  // row by row from the top, width * height colours
};

Canvas makeCanvas(int width, int height, uint32_t fill);
uint32_t pixelAt(const Canvas &canvas, int x, int y);
// Every drawing call clips to the canvas, so shapes may run over its edges.
void setPixel(Canvas &canvas, int x, int y, uint32_t colour);
void fillRect(Canvas &canvas, int x0, int y0, int x1, int y1, uint32_t colour);  // inclusive corners
void fillEllipse(Canvas &canvas, double cx, double cy, double rx, double ry, uint32_t colour);
void drawLine(Canvas &canvas, int x0, int y0, int x1, int y1, uint32_t colour);
// Mixes colour over the pixel by amount 0..1.
void blendPixel(Canvas &canvas, int x, int y, uint32_t colour, double amount);
uint32_t mixColour(uint32_t from, uint32_t to, double amount);

// Turns the picture a quarter turn clockwise, quarterTurns times (square canvases only).
Canvas rotated(const Canvas &canvas, int quarterTurns);

// Writes a 32-bit BMP: BITMAPV4HEADER, BI_BITFIELDS with red 0x00FF0000, green 0x0000FF00,
// blue 0x000000FF and no alpha mask. SDL loads that as a surface in the format of the game's
// 32-bit screen, so sprite blits need no conversion and no alpha blending. False on a write error.
bool writeBmp(const Canvas &canvas, const std::string &path);
