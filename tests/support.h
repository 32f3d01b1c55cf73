// Test support: a dummy 600x500x32 screen, a clean record with a test key array, and font files made on the fly.
#pragma once

#include "shell/match_state.h"

#include <SDL.h>

#include <string>
#include <vector>

extern Uint8 testKeys[SDLK_LAST];

// The 17 sprite fields of the record.
extern SDL_Surface *MatchState::*const allSprites[17];

// Opens SDL's dummy video driver at the game's mode once per test program; sets match.screen.
void openDummyScreen();

// Zeroes every field of the record but the screen, clears testKeys and points keys at it.
void resetMatch();

// Same, then the game's start values.
void resetToStart();

// A fresh empty directory under the build tree; removed and made anew on each call.
std::string freshDir(const std::string &name);

void writeFile(const std::string &path, const std::string &bytes);

// Writes a font directory: font.ini holding side, font.raw and font.dat (either skipped when empty).
std::string makeFontDir(const std::string &name, int side, const std::vector<uint8_t> &raw,
                        const std::vector<uint8_t> &widths);

// A 256-side font, cells of 16: every code's cell fully covered, every width w.
std::string makeBlockFontDir(const std::string &name, int w);

// The colour at (x, y) of a 32-bit surface, as 0xRRGGBB.
Uint32 rgbAt(SDL_Surface *surface, int x, int y);

void fillScreen(Uint32 rgb);
