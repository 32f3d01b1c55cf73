// The desktop: key constants index the key-state array directly, the window takes a whole-number
// scale of the desktop, follows the size the desktop gives it and can go full screen, and the loop
// sleeps to its pace.
#include "platform/platform.h"

#include "platform/controls_file.h"
#include "platform/frame_pacer.h"
#include "platform/key_bindings.h"
#include "platform/view.h"
#include "platform/window_manager.h"
#include "shell/main_loop.h"
#include "shell/match_state.h"
#include "shell/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr Uint32 windowFlags = SDL_HWSURFACE | SDL_DOUBLEBUF;
const char *const layerScalingVariable = "SDL12COMPAT_WINDOW_SCALING";

// Under X11 a flip copies the window's surface to the window, and the game's own scaler is the
// cheapest way to a larger picture. On Wayland SDL 2 has no plain framebuffer: every frame goes
// through its OpenGL renderer, which enlarges the 600x500 picture, nearest-neighbour, for far less
// than it takes to upload one the game has enlarged (docs/performance.md). There a window at a
// whole-number scale is the layer's to enlarge, unless the player has set the layer's scaling.
bool layerEnlarges() {
    static const bool playerChose = std::getenv(layerScalingVariable) != nullptr;
    char driver[32];
    bool wayland = SDL_VideoDriverName(driver, sizeof driver) && std::strcmp(driver, "wayland") == 0;
    return wayland && !playerChose;
}

// layer: how many times the layer enlarges this window, 1 for not at all (full screen and a size
// the desktop gave are always the game's own to fill).
SDL_Surface *openMode(int32_t w, int32_t h, Uint32 flags, int32_t layer) {
    releaseWindow();
    char times[8];
    std::snprintf(times, sizeof times, "%d", layer);
    if (layerEnlarges()) setenv(layerScalingVariable, times, 1);
    match.view.layerScale = layer;
    return SDL_SetVideoMode(w, h, 32, flags);
}

// The window at scale, or at scale 1 if SDL refuses that size. Where the layer enlarges, the
// window's surface is the picture's own size.
SDL_Surface *openWindowAt(int32_t &scale) {
    int32_t layer = layerEnlarges() ? scale : 1;
    int32_t own = scale / layer;
    SDL_Surface *window = openMode(pictureW * own, pictureH * own, windowFlags, layer);
    if (!window && scale > 1) {
        std::fprintf(stderr, "no %dx%d window (%s): scale 1 instead\n", pictureW * scale, pictureH * scale, SDL_GetError());
        scale = 1;
        window = openMode(pictureW, pictureH, windowFlags, 1);
    }
    return window;
}

// The window as the desktop last had it: of the size the desktop gave (resizable, the game's own
// scaler filling it at the largest whole scale), or at its scale until the desktop gives one. A
// given size SDL refuses is forgotten; a window SDL refuses even at scale 1 ends the game as at start-up.
void openWindow() {
    ViewState &v = match.view;
    bool given = v.windowW > 0 && v.windowH > 0;
    SDL_Surface *window = given ? openMode(v.windowW, v.windowH, windowFlags | SDL_RESIZABLE, 1) : nullptr;
    if (given && !window) {
        std::fprintf(stderr, "no %dx%d window (%s): the window at its scale instead\n", v.windowW, v.windowH, SDL_GetError());
        v.windowW = 0;
        v.windowH = 0;
    }
    int32_t scale = window ? fittingScale(window->w, window->h, 100) : v.windowScale;
    if (!window) window = openWindowAt(scale);
    if (!window) exitWithoutWindow();
    useWindow(window, scale / std::max(v.layerScale, 1), false);
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
    useWindow(window, scale / match.view.layerScale, false);
    return true;
}

// Full screen opens a mode of the desktop's own size, so nothing stretches the picture but the
// game's own whole-number scale; back in the window, the window has the size it had. A desktop smaller than the picture (or of unknown size), or an X
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
    SDL_Surface *full = goFull ? openMode(v.desktopW, v.desktopH, windowFlags | SDL_FULLSCREEN, 1) : nullptr;
    if (goFull && !full) std::fprintf(stderr, "full screen refused (%s): the game goes on in its window\n", SDL_GetError());
    if (full) useWindow(full, fittingScale(full->w, full->h, 100), true);
    if (!full) openWindow();
    if (paused) pauseGame();
}

// The layer reports the size of the window it enlarges, and a window opened again at the size the
// desktop gave is given it once more: neither is a new size. Nor is anything in full screen.
void resizeWindow(int32_t w, int32_t h) {
    ViewState &v = match.view;
    int32_t layer = std::max(v.layerScale, 1);
    bool same = v.window && w == v.window->w * layer && h == v.window->h * layer;
    if (v.fullScreen || same || w < 1 || h < 1) return;
    bool paused = v.paused;
    resumeGame();
    v.windowW = w;
    v.windowH = h;
    openWindow();
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
