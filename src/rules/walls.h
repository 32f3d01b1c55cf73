// Arena walls: actors pushed back out of wall bands and off-screen, shots ended in walls and off-screen.
#pragma once

#include <cstdint>

void applyArenaWalls();
void pushOutOfWalls(int32_t &x, int32_t &y);
int32_t shotStopCount(int32_t x, int32_t y);
