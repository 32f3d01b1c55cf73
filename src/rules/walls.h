// Arena walls: actors pushed back out of wall bands and off-screen, shots ended in walls and off-screen.
#pragma once

#include <cstdint>

// One push row: when x lies in [xFrom, xTo] and y in [yFrom, yTo] (inclusive), x += dx and y += dy.
struct WallPushRow {
    int32_t xFrom, xTo, yFrom, yTo;
    int32_t dx, dy;
};

// One stop rectangle, inclusive on all four sides.
struct ShotStopZone {
    int32_t xFrom, xTo, yFrom, yTo;
};

constexpr int wallPushRowCount = 27;
constexpr int screenEdgeRowCount = 4;
constexpr int shotStopZoneCount = 7;

extern const WallPushRow wallPushRows[wallPushRowCount];
extern const WallPushRow screenEdgeRows[screenEdgeRowCount];
extern const ShotStopZone shotStopZones[shotStopZoneCount];

// Both actors pushed back, then both shots ended where they lie in a wall or off the screen;
// the player's ended shot is charged in ammunition.
void applyArenaWalls();

// The 27 wall rows in order, then the 4 screen-edge rows; each row sees what the rows before it did.
void pushOutOfWalls(int32_t &x, int32_t &y);

// How many of the eleven stop tests hold for a shot at (x, y): four screen edges, seven blocks.
int32_t shotStopCount(int32_t x, int32_t y);
