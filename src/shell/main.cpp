// The game's entry: start-up, the main loop, shutdown.
#include "shell/platform.h"
#include "shell/startup.h"

int main(int, char **) {
    startUp();
    runMainLoop();
    shutDown();
    return 0;
}
