// Test support: a dummy 600x500x32 screen, a clean record with a test key array, and font files made on the fly.
#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

Uint8 testKeys[SDLK_LAST];

// Every test program runs headless on SDL's dummy video and audio drivers, and so do the game's
// programs it starts, whatever the environment held.
[[maybe_unused]] static const bool headless = setenv("SDL_VIDEODRIVER", "dummy", 1) == 0 && setenv("SDL_AUDIODRIVER", "dummy", 1) == 0;

SDL_Surface *MatchState::*const allSprites[17] = {
    &MatchState::backgroundSprite, &MatchState::mapSprite,        &MatchState::playerSpriteUp,
    &MatchState::playerSpriteDown, &MatchState::playerSpriteLeft, &MatchState::playerSpriteRight,
    &MatchState::playerDeadSprite, &MatchState::playerShotSprite, &MatchState::muzzleFlashSprite,
    &MatchState::enemySpriteUp,    &MatchState::enemySpriteDown,  &MatchState::enemySpriteLeft,
    &MatchState::enemySpriteRight, &MatchState::enemyDeadSprite,  &MatchState::enemyShotSprite,
    &MatchState::ammoBoxSprite,    &MatchState::medkitSprite,
};

void openDummyScreen() {
    if (match.screen) return;
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) std::abort();
    match.screen = SDL_SetVideoMode(600, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (!match.screen) std::abort();
}

void resetMatch() {
    openDummyScreen();
    SDL_Surface *screen = match.screen;
    match = MatchState{};
    match.screen = screen;
    for (Uint8 &key : testKeys) key = 0;
    match.keys = testKeys;
}

void resetToStart() {
    resetMatch();
    setStartValues();
}

std::string freshDir(const std::string &name) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("grimvale-test-" + std::to_string(getpid())) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string makeFontDir(const std::string &name, int side, const std::vector<uint8_t> &raw,
                        const std::vector<uint8_t> &widths) {
    std::string dir = freshDir(name);
    writeFile(dir + "/font.ini", std::to_string(side) + "\n");
    if (!raw.empty()) writeFile(dir + "/font.raw", std::string(raw.begin(), raw.end()));
    if (!widths.empty()) writeFile(dir + "/font.dat", std::string(widths.begin(), widths.end()));
    return dir;
}

std::string makeBlockFontDir(const std::string &name, int w) {
    return makeFontDir(name, 256, std::vector<uint8_t>(256 * 256, 255), std::vector<uint8_t>(256, static_cast<uint8_t>(w)));
}

Uint32 rgbAt(SDL_Surface *surface, int x, int y) {
    SDL_LockSurface(surface);
    Uint32 pixel = *reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(surface->pixels) + y * surface->pitch + x * 4);
    SDL_UnlockSurface(surface);
    Uint8 r, g, b;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return (Uint32(r) << 16) | (Uint32(g) << 8) | b;
}

void fillScreen(Uint32 rgb) {
    SDL_FillRect(match.screen, nullptr, SDL_MapRGB(match.screen->format, rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
}
