// Preloaded into the game by the failure-path test: the window cannot be opened, as on a machine
// without a usable display mode. SDL's own SDL_SetError records the reason the game must print.
#include <SDL.h>

extern "C" SDL_Surface *SDL_SetVideoMode(int, int, int, Uint32) {
    SDL_SetError("no 600x500x32 mode on this test display");
    return nullptr;
}
