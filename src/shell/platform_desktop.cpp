// The desktop: key constants index the key-state array directly, and the loop sleeps to its pace.
#include "shell/platform.h"

#include "shell/frame_pacer.h"
#include "shell/main_loop.h"
#include "shell/match_state.h"

bool keyHeld(SDLKey key) { return match.keys[key] != 0; }

void runMainLoop() {
    int32_t quit = 0;
    FramePacer pacer = startPacer(SDL_GetTicks());
    while (quit == 0) {
        drainEvents(quit);
        refreshKeys();
        runPassSteps();
        SDL_Delay(frameWaitMs(pacer, SDL_GetTicks()));
    }
}
