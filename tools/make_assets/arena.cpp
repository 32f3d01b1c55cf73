// Paints the arena map (flat floor, seven brick blocks, the band behind the heads-up line) and the
// title art (a city at night under the moon).
#include "art.h"
#include "palette.h"

#include <algorithm>
#include <cmath>

namespace {

// The seven wall blocks, exactly where shots stop, bounds inclusive.
// Columns: x from, x to, y from, y to.
struct Block {
    int x0, x1, y0, y1;
};

const Block blocks[] = {
    {21, 107, 53, 137},  {178, 263, 53, 137}, {315, 401, 53, 137}, {473, 558, 53, 137},
    {316, 599, 188, 292}, {29, 115, 343, 467}, {314, 401, 343, 467},
};
static_assert(sizeof blocks / sizeof blocks[0] == 7, "the arena has seven wall blocks");

// The heads-up line is drawn at y = 480 in cells of 16; its band starts below the lowest block.
constexpr int hudBandTop = 472;

// A fixed pseudo-random sequence, so every run paints the same picture.
uint32_t nextRandom(uint32_t &state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Courses of bricks 6 pixels high and 12 long, every other course shifted by half a brick, each
// brick a slightly different shade; a dark rim and a lit top-left edge give the block its height.
void paintBlock(Canvas &canvas, const Block &block, uint32_t &random) {
    for (int y = block.y0; y <= block.y1; y++) {
        int course = (y - block.y0) / 6;
        for (int x = block.x0; x <= block.x1; x++) {
            int shift = (course % 2) * 6;
            bool mortar = (y - block.y0) % 6 == 5 || (x - block.x0 + shift) % 12 == 11;
            setPixel(canvas, x, y, mortar ? mortarColour : brickColour);
        }
    }
    for (int y = block.y0; y <= block.y1; y += 6) {
        int shift = ((y - block.y0) / 6 % 2) * 6;
        for (int x = block.x0 - shift; x <= block.x1; x += 12) {
            uint32_t shade = nextRandom(random) % 3;
            uint32_t colour = shade == 1 ? brickLight : mixColour(brickColour, mortarColour, 0.35);
            for (int by = y; by < y + 5 && by <= block.y1; by++)
                for (int bx = std::max(x, block.x0); bx < x + 11 && bx <= block.x1; bx++)
                    if (shade != 0) setPixel(canvas, bx, by, colour);
        }
    }
    fillRect(canvas, block.x0, block.y0, block.x1, block.y0 + 1, wallHighlight);
    fillRect(canvas, block.x0, block.y0, block.x0 + 1, block.y1, wallHighlight);
    fillRect(canvas, block.x0, block.y1 - 1, block.x1, block.y1, mortarColour);
    fillRect(canvas, block.x1 - 1, block.y0 + 2, block.x1, block.y1, mortarColour);
    fillRect(canvas, block.x0, block.y0, block.x1, block.y0, wallEdge);
    fillRect(canvas, block.x0, block.y1, block.x1, block.y1, wallEdge);
    fillRect(canvas, block.x0, block.y0, block.x0, block.y1, wallEdge);
    fillRect(canvas, block.x1, block.y0, block.x1, block.y1, wallEdge);
}

}  // namespace

Canvas paintArena() {
    Canvas canvas = makeCanvas(600, 500, floorColour);
    uint32_t random = 20240601u;
    for (const Block &block : blocks) paintBlock(canvas, block, random);
    fillRect(canvas, 0, hudBandTop, 599, 499, hudBandColour);
    fillRect(canvas, 0, hudBandTop, 599, hudBandTop, hudBandEdge);
    return canvas;
}

Canvas paintTitleArt(int titleWidth) {
    Canvas canvas = makeCanvas(600, 500, 0);
    // Night sky, deep blue at the top, lighter towards the horizon.
    for (int y = 0; y < 500; y++) fillRect(canvas, 0, y, 599, y, mixColour(0x070A1A, 0x2A2C4C, y / 420.0));
    uint32_t random = 19410707u;
    for (int star = 0; star < 90; star++) {
        int x = static_cast<int>(nextRandom(random) % 600), y = static_cast<int>(nextRandom(random) % 300);
        blendPixel(canvas, x, y, 0xFFFFFF, 0.3 + (nextRandom(random) % 50) / 100.0);
    }
    // The moon with its glow and a few dark seas.
    for (int y = 20; y < 180; y++)
        for (int x = 400; x < 560; x++) {
            double d = std::hypot(x + 0.5 - 480, y + 0.5 - 96);
            if (d < 34) setPixel(canvas, x, y, 0xECE6C8);
            if (d >= 34 && d < 34 + 1) blendPixel(canvas, x, y, 0xECE6C8, 34 + 1 - d);
            if (d >= 35 && d < 80) blendPixel(canvas, x, y, 0x9090B0, 0.18 * (80 - d) / 45);
        }
    fillEllipse(canvas, 468, 86, 9, 7, 0xD2CCAE);
    fillEllipse(canvas, 492, 108, 7, 6, 0xD8D2B4);
    fillEllipse(canvas, 486, 80, 4, 3, 0xD8D2B4);
    // Houses and towers along the bottom, black against the sky, a few windows lit.
    int x = -10;
    while (x < 600) {
        int width = 30 + static_cast<int>(nextRandom(random) % 50);
        int top = 300 + static_cast<int>(nextRandom(random) % 130);
        uint32_t wall = mixColour(0x05060C, 0x10121E, (nextRandom(random) % 100) / 100.0);
        fillRect(canvas, x, top, x + width - 1, 499, wall);
        if (nextRandom(random) % 3 == 0) fillRect(canvas, x + width / 2 - 1, top - 14, x + width / 2, top - 1, wall);
        for (int wy = top + 8; wy < 470; wy += 10)
            for (int wx = x + 5; wx + 4 < x + width - 3; wx += 9)
                if (nextRandom(random) % 5 == 0) fillRect(canvas, wx, wy, wx + 3, wy + 4, 0xE8C060);
        x += width + static_cast<int>(nextRandom(random) % 4);
    }
    fillRect(canvas, 0, 470, 599, 499, 0x030306);
    // A red and a blue light sweeping the street.
    for (int y = 440; y < 500; y++)
        for (int lx = 0; lx < 600; lx++) {
            double red = std::hypot((lx - 150) / 2.2, y - 485.0), blue = std::hypot((lx - 450) / 2.2, y - 485.0);
            if (red < 40) blendPixel(canvas, lx, y, 0xE02020, 0.45 * (1 - red / 40));
            if (blue < 40) blendPixel(canvas, lx, y, 0x2050F0, 0.45 * (1 - blue / 40));
        }
    // A rule under the title line, as long as the title.
    fillRect(canvas, 30, 118, 30 + titleWidth - 1, 118, 0x8088B0);
    return canvas;
}
