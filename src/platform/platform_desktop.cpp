// The desktop: key constants index the key-state array directly, the window takes a whole-number
// scale of the desktop and can go full screen, and the loop sleeps to its pace.
#include "platform/platform.h"

#include "platform/frame_pacer.h"
#include "shell/main_loop.h"
#include "shell/match_state.h"
#include "shell/startup.h"
#include "platform/view.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr Uint32 windowFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;

SDL_Surface *openMode(int32_t w, int32_t h, Uint32 flags) {
    keepPicture();
    return SDL_SetVideoMode(w, h, 32, flags);
}

// The window at scale, or at scale 1 if SDL refuses that size.
SDL_Surface *openWindowAt(int32_t &scale) {
    SDL_Surface *window = openMode(pictureW * scale, pictureH * scale, windowFlags);
    if (!window && scale > 1) {
        std::fprintf(stderr, "no %dx%d window (%s): scale 1 instead\n", pictureW * scale, pictureH * scale, SDL_GetError());
        scale = 1;
        window = openMode(pictureW, pictureH, windowFlags);
    }
    return window;
}

}  // namespace

bool keyHeld(SDLKey key) { return match.keys[key] != 0; }

Uint8 *keyboardState(int &count) { return SDL_GetKeyState(&count); }

void addPlatformKeys(Uint8 *) {}

// The desktop's size is read before the first window opens: afterwards SDL reports the window's mode.
bool openGameWindow() {
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    match.view.desktopW = info ? info->current_w : 0;
    match.view.desktopH = info ? info->current_h : 0;
    int32_t scale = chooseWindowScale(std::getenv("GRIMVALE_SCALE"), match.view.desktopW, match.view.desktopH);
    SDL_Surface *window = openWindowAt(scale);
    if (!window) return false;
    match.view.windowScale = scale;
    useWindow(window, scale, 0);
    return true;
}

// Full screen opens a mode of the desktop's own size, so nothing stretches the picture but the
// game's own whole-number scale. The pause, if on, is lifted for the switch and shown again after.
void toggleFullScreen() {
    ViewState &v = match.view;
    int32_t paused = v.paused;
    resumeGame();
    int32_t goFull = v.fullScreen == 0 && v.desktopW > 0 && v.desktopH > 0 ? 1 : 0;
    SDL_Surface *full = goFull ? openMode(v.desktopW, v.desktopH, windowFlags | SDL_FULLSCREEN) : nullptr;
    if (goFull && !full) std::fprintf(stderr, "full screen refused (%s): the game goes on in its window\n", SDL_GetError());
    if (full) useWindow(full, fittingScale(v.desktopW, v.desktopH, 100), 1);
    int32_t scale = v.windowScale;
    SDL_Surface *window = full ? nullptr : openWindowAt(scale);
    if (!full && !window) {
        std::printf("Unable to set %dx%dx32 video mode: %s\n", pictureW * scale, pictureH * scale, SDL_GetError());
        std::exit(1);
    }
    if (window) useWindow(window, scale, 0);
    if (paused == 1) pauseGame();
}

void runMainLoop() {
    int32_t quit = 0;
    FramePacer pacer = startPacer(SDL_GetTicks());
    while (quit == 0) {
        drainEvents(quit);
        if (match.view.paused == 1 && quit == 0) SDL_WaitEvent(nullptr);
        if (match.view.paused == 1) continue;
        refreshKeys();
        runPassSteps();
        SDL_Delay(frameWaitMs(pacer, SDL_GetTicks()));
    }
    shutDown();
}
