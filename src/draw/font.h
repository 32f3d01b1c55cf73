// Bitmap fonts: three files per font, tinted once at load, drawn glyph by glyph with alpha.
#pragma once

#include <SDL.h>
#include <cstdint>

struct BitmapFont {
    SDL_Surface *surface;   // tinted texture in the display format with per-pixel alpha
    int32_t textureSize;    // side N of the square texture, from font.ini
    int32_t cellSize;       // N / 16: side of one glyph cell
    int32_t *widths;        // 256 advance widths, 0 to 255
    uint8_t *pixels;        // N*N*4 bytes, red, green, blue, alpha per pixel
};

// Largest texture side accepted: 4096 keeps the N*N*4 tint buffer at 64 MiB at most and far from
// int32 overflow, while a 16x16 grid of 256-pixel glyphs is more than any screen text needs.
constexpr int32_t maxTextureSize = 4096;

// Size of the formatted-text buffer; longer texts are cut to 1023 characters.
constexpr int textBufferSize = 1024;

BitmapFont *loadFont(const char *directory, float red, float green, float blue, float alpha);
BitmapFont *loadWhiteFont(const char *directory);
BitmapFont *loadTintedFont(const char *directory, float red, float green, float blue);
void drawText(SDL_Surface *dst, const BitmapFont *font, int x, int y, const char *format, ...)
    __attribute__((format(printf, 5, 6)));
int textWidth(const BitmapFont *font, const char *format, ...) __attribute__((format(printf, 2, 3)));
void freeFont(BitmapFont *font);
