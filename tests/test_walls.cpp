// Arena walls: push rows in order with inclusive bands, screen edges, shot stops and the charge.
#include "rules/walls.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

struct Push {
    int32_t x, y, wantX, wantY;
};

void expectPushes(const std::vector<Push> &cases) {
    for (const Push &c : cases) {
        int32_t x = c.x, y = c.y;
        pushOutOfWalls(x, y);
        EXPECT_EQ(x, c.wantX) << "from (" << c.x << ", " << c.y << ")";
        EXPECT_EQ(y, c.wantY) << "from (" << c.x << ", " << c.y << ")";
    }
}

}  // namespace

TEST(Walls, RowsApplyInOrderEachSeeingTheEarlierPushes) {
    expectPushes({
        {100, 300, 100, 300},  // player start
        {550, 150, 550, 150},  // enemy start
        {153, 50, 151, 48},    // row 5, then row 7 on the new x
        {-4, 50, -4, 50},      // row 1 out, screen-edge row 28 back
        {596, 163, 594, 161},  // row 18, then row 29
        {200, 80, 200, 78},    // deep inside block 2: one step of 2, not a clamp
        {60, 112, 60, 112},    // inside block 1 but above row 4's band: bands, not rectangles
    });
}

TEST(Walls, BandBoundsAreInclusive) {
    expectPushes({
        {267, 80, 269, 80},  // last column of the 5-px right face of block 2
        {268, 80, 268, 80},
        {263, 80, 265, 80},
        {262, 80, 262, 78},  // not in row 6, but in block 2's top band (rows 7: 151..264, 30..110)
        {-5, 135, -5, 135},  // corner of row 1: out to -7, and row 28 brings it back
        {-5, 136, -5, 136},
        {108, 35, 110, 35},  // row 2 first column
        {111, 35, 111, 35},
    });
}

TEST(Walls, ScreenEdgesAreStrictAndCanUndoAWallPush) {
    expectPushes({
        {-6, 250, -4, 250}, {-5, 250, -5, 250}, {596, 250, 594, 250}, {595, 250, 595, 250},
        {300, -6, 300, -4}, {300, -5, 300, -5}, {300, 496, 300, 494}, {300, 495, 300, 495},
    });
}

TEST(Walls, ArrowHeldIntoAFaceLeavesThePlayerWhereItStands) {
    resetToStart();
    match.playerX = 150;
    match.playerY = 60;
    for (int pass = 0; pass < 5; pass++) {
        match.playerX += 2;  // what the right arrow does earlier in the pass
        applyArenaWalls();
        EXPECT_EQ(match.playerX, 150);
        EXPECT_EQ(match.playerY, 60);
    }
}

TEST(Walls, ShotStopEdgesAreStrictAndRectanglesInclusive) {
    struct Stop {
        int32_t x, y, want;
    };
    const Stop cases[] = {
        {0, 0, 0},     {0, 250, 0},    {600, 250, 0}, {250, 500, 0},  {-1, 250, 1},  {601, 250, 1},
        {250, -1, 1},  {250, 501, 1},  {21, 53, 1},   {107, 137, 1},  {20, 53, 0},   {108, 137, 0},
        {21, 138, 0},  {599, 200, 1},  {600, 200, 0}, {604, 504, 2},  {-1, -1, 2},   {178, 53, 1},
        {263, 137, 1}, {264, 100, 0},  {315, 53, 1},  {473, 137, 1},  {558, 53, 1},  {316, 188, 1},
        {316, 293, 0}, {29, 343, 1},   {115, 467, 1}, {116, 467, 0},  {314, 343, 1}, {401, 467, 1},
        {402, 467, 0}, {313, 400, 0},
    };
    for (const Stop &c : cases) EXPECT_EQ(shotStopCount(c.x, c.y), c.want) << "(" << c.x << ", " << c.y << ")";
}

TEST(Walls, ChargeIsPerStopTestAndByTheWeaponSelectedWhenTheShotEnds) {
    const int32_t charges[5] = {0, 0, 2, 6, 2};  // two stops at (604, 504): weapons 1 to 4
    for (int32_t weapon = 1; weapon <= 4; weapon++) {
        resetToStart();
        match.weapon = weapon;
        match.playerFiring = 1;
        match.playerShotX = 604;
        match.playerShotY = 504;
        applyArenaWalls();
        EXPECT_EQ(match.playerFiring, 0) << "weapon " << weapon;
        EXPECT_EQ(match.ammo, 200 - charges[weapon]) << "weapon " << weapon;
    }

    resetToStart();
    match.weapon = 3;
    match.ammo = 2;
    match.playerFiring = 1;
    match.playerShotX = -1;
    match.playerShotY = 250;
    applyArenaWalls();
    EXPECT_EQ(match.ammo, -1);  // no floor at zero

    // A resting shot is never tested, wherever it lies.
    resetToStart();
    match.playerShotX = -100;
    match.playerShotY = 60;
    applyArenaWalls();
    EXPECT_EQ(match.ammo, 200);
    EXPECT_EQ(match.playerShotX, -100);
}

TEST(Walls, EnemyShotEndsFreeOfCharge) {
    resetToStart();
    match.enemyFiring = 1;
    match.enemyShotX = -1;
    match.enemyShotY = 250;
    match.playerFiring = 1;
    match.playerShotX = 300;
    match.playerShotY = 300;
    applyArenaWalls();
    EXPECT_EQ(match.enemyFiring, 0);
    EXPECT_EQ(match.playerFiring, 1);
    EXPECT_EQ(match.ammo, 200);
}

TEST(Walls, AmmoChargedWithoutEndStopsAtTheSmallestValue) {
    resetToStart();
    match.weapon = 3;
    match.ammo = INT32_MIN + 4;
    match.playerFiring = 1;
    match.playerShotX = 604;
    match.playerShotY = 504;
    applyArenaWalls();
    EXPECT_EQ(match.ammo, INT32_MIN);
    match.playerFiring = 1;
    applyArenaWalls();
    EXPECT_EQ(match.ammo, INT32_MIN);

    match.ammo = INT32_MIN + 6;
    match.playerFiring = 1;
    applyArenaWalls();
    EXPECT_EQ(match.ammo, INT32_MIN);
}
