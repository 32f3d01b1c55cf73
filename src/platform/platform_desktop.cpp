// The desktop: key constants index the key-state array directly, the window takes a whole-number
// scale of the desktop and can go full screen, and the loop sleeps to its pace.
#include "platform/platform.h"

#include "platform/controls_file.h"
#include "platform/frame_pacer.h"
#include "platform/key_bindings.h"
#include "platform/view.h"
#include "platform/window_manager.h"
#include "shell/main_loop.h"
#include "shell/match_state.h"
#include "shell/startup.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr Uint32 windowFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;

SDL_Surface *openMode(int32_t w, int32_t h, Uint32 flags) {
    releaseWindow();
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

Uint8 *keyboardState(int &count) { return SDL_GetKeyState(&count); }

void addPlatformKeys(Uint8 *) {}

// A key that types a printable character goes by that character, as in the controls file: SDL's own
// names for a few of them are wrong (the semicolon's reads ");").
void keyLabel(int32_t key, char *label, int32_t size) {
    char character[2] = {static_cast<char>(key), '\0'};
    const char *name = key > ' ' && key < 127 ? character : SDL_GetKeyName(static_cast<SDLKey>(key));
    int32_t n = 0;
    for (; n < size - 1 && name[n] != '\0'; n++) {
        char c = name[n] >= ' ' && name[n] < 127 ? name[n] : '?';
        bool wordStart = n == 0 || name[n - 1] == ' ';
        label[n] = wordStart && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (size > 0) label[n] = '\0';
}

// The desktop's size is read before the first window opens: afterwards SDL reports the window's mode.
bool openGameWindow() {
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    match.view.desktopW = info ? info->current_w : 0;
    match.view.desktopH = info ? info->current_h : 0;
    int32_t scale = chooseWindowScale(std::getenv("GRIMVALE_SCALE"), match.view.desktopW, match.view.desktopH);
    SDL_Surface *window = openWindowAt(scale);
    if (!window) return false;
    match.view.windowScale = scale;
    useWindow(window, scale, false);
    return true;
}

// Full screen opens a mode of the desktop's own size, so nothing stretches the picture but the
// game's own whole-number scale. A desktop smaller than the picture (or of unknown size), or an X
// display without a window manager, where the window would only grow where it stands, is refused
// before any mode is asked for, the window left as it is. The pause, if on, is lifted for the switch
// and shown again after.
void toggleFullScreen() {
    ViewState &v = match.view;
    bool fits = v.desktopW >= pictureW && v.desktopH >= pictureH;
    if (!v.fullScreen && !fits) {
        std::fprintf(stderr, "full screen refused: the %dx%d picture does not fit the %dx%d desktop; the game goes on in its window\n",
                     pictureW, pictureH, v.desktopW, v.desktopH);
        return;
    }
    if (!v.fullScreen && !windowManagerRuns()) {
        std::fprintf(stderr, "full screen refused: no window manager runs to grant it; the game goes on in its window\n");
        return;
    }
    bool paused = v.paused;
    resumeGame();
    bool goFull = !v.fullScreen;
    SDL_Surface *full = goFull ? openMode(v.desktopW, v.desktopH, windowFlags | SDL_FULLSCREEN) : nullptr;
    if (goFull && !full) std::fprintf(stderr, "full screen refused (%s): the game goes on in its window\n", SDL_GetError());
    if (full) useWindow(full, fittingScale(full->w, full->h, 100), true);
    int32_t scale = v.windowScale;
    SDL_Surface *window = full ? nullptr : openWindowAt(scale);
    if (!full && !window) exitWithoutWindow();
    if (window) useWindow(window, scale, false);
    if (paused) pauseGame();
}

// The player's keys and speed are read once, before the first pass.
void runMainLoop() {
    int32_t quit = 0;
    readPlayerControls();
    FramePacer pacer = startPacer(SDL_GetTicks(), gameSpeed());
    while (quit == 0) {
        drainEvents(quit);
        if (match.view.paused && quit == 0) SDL_WaitEvent(nullptr);
        if (match.view.paused) continue;
        refreshKeys();
        runPassSteps();
        SDL_Delay(frameWaitMs(pacer, SDL_GetTicks()));
    }
    shutDown();
}
