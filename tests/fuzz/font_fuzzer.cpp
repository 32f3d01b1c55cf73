// Fuzz target for the font reader: each input becomes a font directory (font.ini, font.raw, font.dat),
// which is loaded, drawn with, measured and freed on a 600x500x32 screen of SDL's dummy driver.
//
// Input layout: byte 0 says which files exist (bit 0 font.ini, bit 1 font.raw, bit 2 font.dat);
// byte 1 is the length of font.ini's text; bytes 2 and 3 the length of font.dat (little endian).
// Then come font.ini's text and font.dat's bytes, each cut to what is left of the input, and every
// remaining byte is font.raw.
#include "draw/font.h"
#include "shell/match_state.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string fontDir;

void writeOrRemove(const char *name, bool present, const uint8_t *bytes, size_t size) {
    std::string path = fontDir + "/" + name;
    if (!present) {
        unlink(path.c_str());
        return;
    }
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(bytes, 1, size, file);
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) std::abort();
    match.screen = SDL_SetVideoMode(600, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (!match.screen) std::abort();
    char dir[] = "/tmp/grimvale-font-fuzz-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    fontDir = dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4) return 0;
    uint8_t present = data[0];
    size_t iniLength = data[1];
    size_t datLength = data[2] | (size_t(data[3]) << 8);
    const uint8_t *rest = data + 4;
    size_t left = size - 4;
    if (iniLength > left) iniLength = left;
    writeOrRemove("font.ini", present & 1, rest, iniLength);
    rest += iniLength;
    left -= iniLength;
    if (datLength > left) datLength = left;
    writeOrRemove("font.dat", present & 4, rest, datLength);
    rest += datLength;
    left -= datLength;
    writeOrRemove("font.raw", present & 2, rest, left);

    // Every character code once, then the game's own kind of text, drawn at the screen's corners
    // and across its edges.
    static char everyCode[256];
    for (int c = 1; c < 256; c++) everyCode[c - 1] = static_cast<char>(c);
    BitmapFont *font = loadFont(fontDir.c_str(), 1.0f, 1.0f, 0.0f, 1.0f);
    drawText(match.screen, font, 0, 0, "%s", everyCode);
    drawText(match.screen, font, -40, 490, "Points: %d  Weapon: %s  Ammo: %d", 20, "Thompson SMG", -3);
    drawText(match.screen, font, 590, -8, "HP:%d", 100);
    int width = textWidth(font, "%s", everyCode);
    if (font && width < 0) std::abort();  // 255 widths of 0 to 255 each can never sum below zero
    freeFont(font);
    return 0;
}
