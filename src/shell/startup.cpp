// Bringing the game up (SDL, window, controller, fonts, title lines, sprites, start values) and taking it down.
#include "shell/startup.h"

#include "draw/font.h"
#include "draw/sprites.h"
#include "platform/pad.h"
#include "platform/platform.h"
#include "shell/match_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// SDL 2 under the SDL 1.2 layer would show the window's picture through an OpenGL renderer, which
// on a machine without a graphics card means a software GL stack: some 60 MB more resident memory,
// a pool of render threads and several times the CPU a frame costs. A 600x500 picture that is
// already drawn in memory only needs copying to the window, which SDL's plain framebuffer does (X11
// shared memory), pixel for pixel the same. Where SDL has no plain framebuffer (Wayland) or the
// desktop enlarges windows (a HiDPI output), the layer enlarges the picture itself, by default
// smoothed; nearest-neighbour keeps every pixel a sharp block. Set only where the player has not
// chosen otherwise.
void choosePlainFramebuffer() {
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);
}

namespace {

// With no display to open a window on, older SDL 2 releases under the 1.2 layer fall back to an
// invisible offscreen screen and the game would run on with nobody able to see it. Unless that
// driver was asked for by name, such a start counts as SDL failing to start.
bool startedWithoutDisplay() {
    char driver[32];
    bool offscreen = SDL_VideoDriverName(driver, sizeof driver) && std::strcmp(driver, "offscreen") == 0;
    bool chosen = std::getenv("SDL_VIDEODRIVER") != nullptr;
    if (offscreen && !chosen) SDL_SetError("no display to open the game's window on");
    return offscreen && !chosen;
}

}  // namespace

// Either failure ends the process with status 1: SDL failing to start shuts down what it did start,
// a refused video mode leaves that to the exit handler.
void startUp() {
    choosePlainFramebuffer();
    askForStandardPadLayout();
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0 || startedWithoutDisplay()) {
        std::printf("Unable to init SDL: %s\n", SDL_GetError());
        SDL_Quit();
        std::exit(1);
    }
    std::atexit(SDL_Quit);

    // The icon must be set before the window opens; SDL keeps its own copy, so ours is freed.
    SDL_Surface *icon = SDL_LoadBMP_RW(SDL_RWFromFile("Graphics/player1.bmp", "rb"), 1);
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
    SDL_WM_SetCaption("Grimvale", "Grimvale");

    if (!openGameWindow()) exitWithoutWindow();
    openPad();

    match.titleFont = loadWhiteFont("data/font1");
    match.hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    drawText(match.screen, match.titleFont, 30, 80, "Grimvale");
    drawText(match.screen, match.hudFont, 30, 130, "1- Deathmatch");
    loadSprites();
    drawBackground();
    setStartValues();
}

// A scaled window is first retried at scale 1, so the mode that fails is always the picture's own.
void exitWithoutWindow() {
    std::printf("Unable to set 600x500x32 video mode: %s\n", SDL_GetError());
    std::exit(1);
}

void shutDown() {
    freeFont(match.titleFont);
    freeFont(match.hudFont);
    match.titleFont = nullptr;
    match.hudFont = nullptr;
}
