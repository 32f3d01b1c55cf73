// Bringing the game up (SDL, window, fonts, title lines, sprites, start values) and taking it down.
#include "shell/startup.h"

#include "draw/font.h"
#include "draw/sprites.h"
#include "shell/match_state.h"

#include <cstdio>
#include <cstdlib>

// Either failure ends the process with status 1; SDL_Quit then runs from the exit handler.
void startUp() {
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        std::printf("Unable to init SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    std::atexit(SDL_Quit);

    // The icon must be set before the window opens; SDL keeps its own copy, so ours is freed.
    SDL_Surface *icon = SDL_LoadBMP_RW(SDL_RWFromFile("Graphics/player1.bmp", "rb"), 1);
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
    SDL_WM_SetCaption("Grimvale", "Grimvale");

    match.screen = SDL_SetVideoMode(600, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (!match.screen) {
        std::printf("Unable to set 600x500x32 video mode: %s\n", SDL_GetError());
        std::exit(1);
    }

    match.titleFont = loadWhiteFont("data/font1");
    match.hudFont = loadTintedFont("data/font2", 1.0f, 1.0f, 0.0f);
    drawText(match.screen, match.titleFont, 30, 80, "Grimvale");
    drawText(match.screen, match.hudFont, 30, 130, "1- Deathmatch");
    loadSprites();
    drawBackground();
    setStartValues();
}

void shutDown() {
    freeFont(match.titleFont);
    freeFont(match.hudFont);
    match.titleFont = nullptr;
    match.hudFont = nullptr;
}
