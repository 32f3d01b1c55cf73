// The game's entry: start-up, then the main loop, which ends with shutdown.
#include "platform/platform.h"
#include "shell/startup.h"

int main(int, char **) {
    startUp();
    runMainLoop();
    return 0;
}
