// Arena walls: actors pushed back out of wall bands and off-screen, shots ended in walls and off-screen.
#include "rules/walls.h"

#include "rules/controls.h"
#include "shell/match_state.h"

// Columns: x from, x to, y from, y to (all inclusive), push on x, push on y.
// Rows grouped by block 1 to 7; the face each row guards is noted beside it.
const WallPushRow wallPushRows[wallPushRowCount] = {
    {-5, -3, 35, 135, -2, 0},     // block 1 left
    {108, 110, 35, 135, 2, 0},    // block 1 right
    {-5, 107, 28, 30, 0, -2},     // block 1 top
    {-5, 107, 113, 115, 0, 2},    // block 1 bottom
    {152, 154, 35, 135, -2, 0},   // block 2 left
    {263, 267, 35, 135, 2, 0},    // block 2 right, 5 px deep
    {151, 264, 30, 110, 0, -2},   // block 2 top
    {152, 264, 113, 115, 0, 2},   // block 2 bottom
    {289, 291, 35, 135, -2, 0},   // block 3 left
    {401, 403, 35, 135, 2, 0},    // block 3 right
    {290, 400, 30, 110, 0, -2},   // block 3 top
    {290, 400, 113, 115, 0, 2},   // block 3 bottom
    {445, 447, 35, 135, -2, 0},   // block 4 left
    {561, 563, 35, 135, 2, 0},    // block 4 right
    {446, 559, 30, 110, 0, -2},   // block 4 top
    {446, 559, 113, 115, 0, 2},   // block 4 bottom
    {289, 291, 168, 292, -2, 0},  // block 5 left; it reaches the right side and has no right face
    {289, 599, 162, 164, 0, -2},  // block 5 top
    {289, 599, 268, 270, 0, 2},   // block 5 bottom
    {2, 4, 324, 468, -2, 0},      // block 6 left
    {115, 117, 325, 469, 2, 0},   // block 6 right
    {4, 116, 319, 442, 0, -2},    // block 6 top
    {4, 116, 444, 446, 0, 2},     // block 6 bottom
    {289, 291, 324, 468, -2, 0},  // block 7 left
    {402, 404, 325, 469, 2, 0},   // block 7 right
    {289, 401, 319, 442, 0, -2},  // block 7 top
    {289, 401, 444, 446, 0, 2},   // block 7 bottom
};
static_assert(sizeof wallPushRows / sizeof wallPushRows[0] == 27, "27 wall push rows");

// Same columns. The screen edges have no range on the other coordinate: x < -5, x > 595, y < -5, y > 495.
const WallPushRow screenEdgeRows[screenEdgeRowCount] = {
    {INT32_MIN, -6, INT32_MIN, INT32_MAX, 2, 0},
    {596, INT32_MAX, INT32_MIN, INT32_MAX, -2, 0},
    {INT32_MIN, INT32_MAX, INT32_MIN, -6, 0, 2},
    {INT32_MIN, INT32_MAX, 496, INT32_MAX, 0, -2},
};
static_assert(sizeof screenEdgeRows / sizeof screenEdgeRows[0] == 4, "4 screen-edge rows");

// Columns: x from, x to, y from, y to (all inclusive). One row per block, 1 to 7.
const ShotStopZone shotStopZones[shotStopZoneCount] = {
    {21, 107, 53, 137},  {178, 263, 53, 137}, {315, 401, 53, 137}, {473, 558, 53, 137},
    {316, 599, 188, 292}, {29, 115, 343, 467}, {314, 401, 343, 467},
};
static_assert(sizeof shotStopZones / sizeof shotStopZones[0] == 7, "7 shot stop zones");

namespace {

// A push never leaves its row's band by more than 2 px, so it cannot overflow: an edge row
// pushes only toward the screen.
void applyPushRow(const WallPushRow &row, int32_t &x, int32_t &y) {
    if (x >= row.xFrom && x <= row.xTo && y >= row.yFrom && y <= row.yTo) {
        x += row.dx;
        y += row.dy;
    }
}

// Takes rounds from ammo; a shot ended in a wall again and again while ammo is out keeps
// charging, so the count stops at the smallest int32 instead of wrapping.
void chargeAmmo(int32_t rounds) {
    match.ammo = (match.ammo < INT32_MIN + rounds) ? INT32_MIN : match.ammo - rounds;
}

}  // namespace

void pushOutOfWalls(int32_t &x, int32_t &y) {
    for (const WallPushRow &row : wallPushRows) applyPushRow(row, x, y);
    for (const WallPushRow &row : screenEdgeRows) applyPushRow(row, x, y);
}

int32_t shotStopCount(int32_t x, int32_t y) {
    int32_t count = 0;
    if (x < 0) count++;
    if (x > 600) count++;
    if (y < 0) count++;
    if (y > 500) count++;
    for (const ShotStopZone &zone : shotStopZones) {
        if (x >= zone.xFrom && x <= zone.xTo && y >= zone.yFrom && y <= zone.yTo) count++;
    }
    return count;
}

// Each stop test that holds ends the shot and takes the charge of the weapon selected now,
// so a shot beyond two edges at once is charged twice.
void applyArenaWalls() {
    pushOutOfWalls(match.playerX, match.playerY);
    pushOutOfWalls(match.enemyX, match.enemyY);
    if (match.playerFiring == 1) {
        int32_t stops = shotStopCount(match.playerShotX, match.playerShotY);
        if (stops >= 1) {
            match.playerFiring = 0;
            chargeAmmo(stops * weaponCharge(match.weapon));
        }
    }
    if (match.enemyFiring == 1) {
        if (shotStopCount(match.enemyShotX, match.enemyShotY) >= 1) match.enemyFiring = 0;
    }
}
