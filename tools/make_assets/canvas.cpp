// Painting primitives on a plain RGB picture, and the 32-bit BMP writer.
#include "canvas.h"

#include <cmath>
#include <cstdio>

Canvas makeCanvas(int width, int height, uint32_t fill) {
    return Canvas{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, fill)};
}

uint32_t pixelAt(const Canvas &canvas, int x, int y) { return canvas.rgb[static_cast<size_t>(y) * canvas.width + x]; }

void setPixel(Canvas &canvas, int x, int y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
    canvas.rgb[static_cast<size_t>(y) * canvas.width + x] = colour;
}

void fillRect(Canvas &canvas, int x0, int y0, int x1, int y1, uint32_t colour) {
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) setPixel(canvas, x, y, colour);
}

// A pixel belongs to the ellipse when its centre lies inside it.
void fillEllipse(Canvas &canvas, double cx, double cy, double rx, double ry, uint32_t colour) {
    for (int y = static_cast<int>(std::floor(cy - ry)); y <= static_cast<int>(std::ceil(cy + ry)); y++)
        for (int x = static_cast<int>(std::floor(cx - rx)); x <= static_cast<int>(std::ceil(cx + rx)); x++) {
            double dx = (x + 0.5 - cx) / rx;
            double dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) setPixel(canvas, x, y, colour);
        }
}

void drawLine(Canvas &canvas, int x0, int y0, int x1, int y1, uint32_t colour) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        setPixel(canvas, x0, y0, colour);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

uint32_t mixColour(uint32_t from, uint32_t to, double amount) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        double a = (from >> shift) & 0xFF;
        double b = (to >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(a + (b - a) * amount)) << shift;
    }
    return out;
}

void blendPixel(Canvas &canvas, int x, int y, uint32_t colour, double amount) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
    setPixel(canvas, x, y, mixColour(pixelAt(canvas, x, y), colour, amount));
}

Canvas rotated(const Canvas &canvas, int quarterTurns) {
    Canvas out = canvas;
    for (int turn = 0; turn < (quarterTurns % 4 + 4) % 4; turn++) {
        Canvas next = out;
        int n = out.width;
        for (int y = 0; y < n; y++)
            for (int x = 0; x < n; x++) setPixel(next, n - 1 - y, x, pixelAt(out, x, y));
        out = next;
    }
    return out;
}

namespace {

void put16(std::vector<uint8_t> &bytes, uint32_t value) {
    for (int i = 0; i < 2; i++) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void put32(std::vector<uint8_t> &bytes, uint32_t value) {
    for (int i = 0; i < 4; i++) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

bool writeBmp(const Canvas &canvas, const std::string &path) {
    const uint32_t fileHeaderSize = 14, infoHeaderSize = 108;
    const uint32_t imageSize = static_cast<uint32_t>(canvas.width) * canvas.height * 4;
    std::vector<uint8_t> bytes;
    bytes.push_back('B');
    bytes.push_back('M');
    put32(bytes, fileHeaderSize + infoHeaderSize + imageSize);
    put32(bytes, 0);
    put32(bytes, fileHeaderSize + infoHeaderSize);
    put32(bytes, infoHeaderSize);
    put32(bytes, static_cast<uint32_t>(canvas.width));
    put32(bytes, static_cast<uint32_t>(canvas.height));  // positive: rows stored from the bottom up
    put16(bytes, 1);                                      // planes
    put16(bytes, 32);                                     // bits per pixel
    put32(bytes, 3);                                      // BI_BITFIELDS
    put32(bytes, imageSize);
    put32(bytes, 2835);  // 72 dots per inch, horizontally and vertically
    put32(bytes, 2835);
    put32(bytes, 0);  // palette colours
    put32(bytes, 0);  // important colours
    put32(bytes, 0x00FF0000);
    put32(bytes, 0x0000FF00);
    put32(bytes, 0x000000FF);
    put32(bytes, 0);           // no alpha
    put32(bytes, 0x73524742);  // colour space "sRGB"
    for (int i = 0; i < 12; i++) put32(bytes, 0);  // endpoints and gamma, unused with sRGB
    for (int y = canvas.height - 1; y >= 0; y--)
        for (int x = 0; x < canvas.width; x++) put32(bytes, pixelAt(canvas, x, y) & 0xFFFFFF);

    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}
