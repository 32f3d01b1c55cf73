// The game's entry: start-up, the main loop at 60 frames a second, shutdown.
#include <SDL.h>

#include "shell/frame_pacer.h"
#include "shell/main_loop.h"
#include "shell/startup.h"

int main(int, char **) {
    startUp();
    int32_t quit = 0;
    FramePacer pacer = startPacer(SDL_GetTicks());
    while (quit == 0) {
        drainEvents(quit);
        refreshKeys();
        runPassSteps();
        SDL_Delay(frameWaitMs(pacer, SDL_GetTicks()));
    }
    shutDown();
    return 0;
}
