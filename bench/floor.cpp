// grimvale-floor: the least any 600x500 SDL game does per frame, to measure the game against. Opens
// the same window, blits the map over the whole screen and flips, at 60 frames a second with the
// game's own pacing and the game's way to the window, until the window is closed or Escape is pressed. Run from the repository root.
#include "shell/frame_pacer.h"
#include "shell/startup.h"

#include <SDL.h>

#include <cstdio>

int main(int, char **) {
    choosePlainFramebuffer();  // the same way to the window as the game's
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("Unable to init SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Surface *screen = SDL_SetVideoMode(600, 500, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (!screen) {
        std::printf("Unable to set 600x500x32 video mode: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("Grimvale floor", "Grimvale floor");
    SDL_Surface *map = SDL_LoadBMP("Graphics/map1.bmp");

    int quit = 0;
    FramePacer pacer = startPacer(SDL_GetTicks());
    while (quit == 0) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) quit = 1;
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = 1;
        }
        SDL_Rect at = {0, 0, 0, 0};
        SDL_BlitSurface(map, nullptr, screen, &at);
        SDL_Flip(screen);
        SDL_Delay(frameWaitMs(pacer, SDL_GetTicks()));
    }
    SDL_FreeSurface(map);
    SDL_Quit();
    return 0;
}
