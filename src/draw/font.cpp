// Reads a font directory (font.ini, font.raw, font.dat), tints its texture and draws text with it.
#include "draw/font.h"

#include "draw/sprites.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Longest joined path "directory/file": 99 characters and the terminating zero.
constexpr int pathBufferSize = 100;

// Joins directory and file name; false when the result would not fit, so no cut path is opened.
bool joinPath(char (&path)[pathBufferSize], const char *directory, const char *file) {
    int length = std::snprintf(path, sizeof path, "%s/%s", directory, file);
    return length >= 0 && length < pathBufferSize;
}

FILE *openInFont(const char *directory, const char *file) {
    char path[pathBufferSize];
    return joinPath(path, directory, file) ? std::fopen(path, "rb") : nullptr;
}

// Reads up to count bytes; every byte past the end of the file reads as 255.
void readPadded(FILE *file, uint8_t *out, size_t count) {
    size_t got = std::fread(out, 1, count, file);
    std::memset(out + got, 255, count - got);
}

// The side from font.ini: one number as %d reads it, after any amount of white space (optional
// sign, then digits); anything after it is ignored. Returns 0 when the file holds no number or one
// outside 1 to maxTextureSize. The digits are added up one at a time and the sum stops growing past
// maxTextureSize, so an absurdly long number cannot overflow.
int32_t readTextureSize(FILE *ini) {
    int c = std::fgetc(ini);
    while (c != EOF && std::isspace(c)) c = std::fgetc(ini);
    bool negative = c == '-';
    if (c == '-' || c == '+') c = std::fgetc(ini);
    if (c == EOF || !std::isdigit(c)) return 0;
    int32_t side = 0;
    for (; c != EOF && std::isdigit(c); c = std::fgetc(ini))
        if (side <= maxTextureSize) side = side * 10 + (c - '0');
    int32_t usable = (!negative && side > 0 && side <= maxTextureSize) ? side : 0;
    return usable;
}

// The text's length is up to its first zero byte: a zero formatted into it ends the text there.
int formatText(char (&text)[textBufferSize], const char *format, va_list args) {
    if (std::vsnprintf(text, sizeof text, format, args) < 0) text[0] = '\0';
    return static_cast<int>(std::strlen(text));
}

}  // namespace

BitmapFont *loadFont(const char *directory, float red, float green, float blue, float alpha) {
    FILE *ini = openInFont(directory, "font.ini");
    if (!ini) return nullptr;
    int32_t side = readTextureSize(ini);
    std::fclose(ini);
    if (side == 0) return nullptr;

    FILE *raw = openInFont(directory, "font.raw");
    if (!raw) return nullptr;
    // Up to 64 MiB for the largest side: when memory runs out the font is refused like a missing one.
    size_t pixelCount = static_cast<size_t>(side) * static_cast<size_t>(side);
    uint8_t *coverage = static_cast<uint8_t *>(std::malloc(pixelCount));
    BitmapFont *font = static_cast<BitmapFont *>(std::calloc(1, sizeof(BitmapFont)));
    uint8_t *pixels = static_cast<uint8_t *>(std::malloc(pixelCount * 4));
    int32_t *widths = static_cast<int32_t *>(std::malloc(256 * sizeof(int32_t)));
    if (!coverage || !font || !pixels || !widths) {
        std::fclose(raw);
        std::free(coverage);
        std::free(font);
        std::free(pixels);
        std::free(widths);
        return nullptr;
    }
    readPadded(raw, coverage, pixelCount);
    std::fclose(raw);

    font->textureSize = side;
    font->cellSize = side / 16;
    font->pixels = pixels;
    font->widths = widths;
    uint8_t redByte = static_cast<uint8_t>(static_cast<int>(red * 255));
    uint8_t greenByte = static_cast<uint8_t>(static_cast<int>(green * 255));
    uint8_t blueByte = static_cast<uint8_t>(static_cast<int>(blue * 255));
    // Each coverage's alpha worked out once, not once a pixel: the texture has up to 64 Mi pixels
    // and a slow phone's browser runs this loop before the game's first frame.
    uint8_t alphaOf[256];
    for (int c = 0; c < 256; c++) alphaOf[c] = static_cast<uint8_t>(static_cast<int>(c * alpha) & 0xFF);
    for (size_t i = 0; i < pixelCount; i++) {
        uint8_t *pixel = font->pixels + 4 * i;
        pixel[0] = redByte;
        pixel[1] = greenByte;
        pixel[2] = blueByte;
        pixel[3] = alphaOf[coverage[i]];
    }
    std::free(coverage);

    SDL_Surface *wrapped = SDL_CreateRGBSurfaceFrom(font->pixels, side, side, 32, side * 4, 0x000000FF,
                                                    0x0000FF00, 0x00FF0000, 0xFF000000);
    font->surface = wrapped ? SDL_DisplayFormatAlpha(wrapped) : nullptr;
    SDL_FreeSurface(wrapped);

    // Without font.dat every character advances by one cell, so text stays readable.
    for (int code = 0; code < 256; code++) font->widths[code] = font->cellSize;
    FILE *dat = openInFont(directory, "font.dat");
    if (dat) {
        uint8_t bytes[256];
        readPadded(dat, bytes, sizeof bytes);
        std::fclose(dat);
        for (int code = 0; code < 256; code++) font->widths[code] = bytes[code];
    }
    return font;
}

BitmapFont *loadWhiteFont(const char *directory) { return loadFont(directory, 1.0f, 1.0f, 1.0f, 1.0f); }

BitmapFont *loadTintedFont(const char *directory, float red, float green, float blue) {
    return loadFont(directory, red, green, blue, 1.0f);
}

void drawText(SDL_Surface *dst, const BitmapFont *font, int x, int y, const char *format, ...) {
    if (!font) return;
    char text[textBufferSize];
    va_list args;
    va_start(args, format);
    int length = formatText(text, format, args);
    va_end(args);

    int s = font->cellSize;
    int pen = 0;
    for (int i = 0; i < length; i++) {
        int c = static_cast<unsigned char>(text[i]);
        int w = font->widths[c];
        int stripX = (c % 16) * s + (s / 2 - w / 2);
        int stripY = (c / 16) * s;
        blitRegion(dst, font->surface, x + pen, y, w + 2, s, stripX, stripY);
        pen += w;
    }
}

int textWidth(const BitmapFont *font, const char *format, ...) {
    if (!font) return 0;
    char text[textBufferSize];
    va_list args;
    va_start(args, format);
    int length = formatText(text, format, args);
    va_end(args);

    int width = 0;
    for (int i = 0; i < length; i++) width += font->widths[static_cast<unsigned char>(text[i])];
    return width;
}

void freeFont(BitmapFont *font) {
    if (!font) return;
    std::free(font->widths);
    std::free(font->pixels);
    SDL_FreeSurface(font->surface);
    std::free(font);
}
