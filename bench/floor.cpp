// grimvale-floor: the least any 600x500 SDL game does per frame, to measure the game against. Opens
// the same window, blits the map over the whole screen and flips, at 60 frames a second with the
// game's own pacing and the game's way to the window, until the window is closed or Escape is pressed. Run from the repository root.
//
// Usage: grimvale-floor [SCALE]   With a scale of 2 to 8 the window is that many times larger and the
// picture blitted each frame is the map made that large once, before the loop: the least a game
// shown at that scale does per frame.
#include "platform/frame_pacer.h"
#include "platform/view.h"
#include "shell/startup.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    int scale = argc > 1 ? std::atoi(argv[1]) : 1;
    scale = scale >= 1 && scale <= largestScale ? scale : 1;
    choosePlainFramebuffer();  // the same way to the window as the game's
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("Unable to init SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Surface *screen = SDL_SetVideoMode(pictureW * scale, pictureH * scale, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (!screen) {
        std::printf("Unable to set the floor's video mode: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("Grimvale floor", "Grimvale floor");
    SDL_Surface *map = SDL_LoadBMP("Graphics/map1.bmp");
    if (map && scale > 1) {
        const SDL_PixelFormat *f = screen->format;
        SDL_Surface *large = SDL_CreateRGBSurface(SDL_SWSURFACE, screen->w, screen->h, 32, f->Rmask, f->Gmask, f->Bmask, 0);
        scalePicture(map, large, scale, 0, 0);
        SDL_FreeSurface(map);
        map = large;
    }

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
