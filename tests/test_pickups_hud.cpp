// Pickups and the frame count: when the ammo box and the medkit show, how they are taken, the capped counters.
#include "rules/combat.h"
#include "rules/pickups_hud.h"
#include "support.h"

#include <gtest/gtest.h>

TEST(Pickups, AmmoBoxShowsInThe301stFrameAndIsTakenInTheFrameItShows) {
    resetToStart();
    match.playerX = match.ammoBoxX + 1;  // waiting on its place
    match.playerY = match.ammoBoxY + 1;
    for (int frame = 1; frame <= 300; frame++) runAmmoBox();
    EXPECT_EQ(match.ammoBoxShown, 0);
    EXPECT_EQ(match.ammo, 200);
    runAmmoBox();  // the 301st: shows and is taken at once
    EXPECT_EQ(match.ammoBoxShown, 0);
    EXPECT_EQ(match.ammoBoxTimer, 0);
    EXPECT_EQ(match.ammo, 400);

    match.playerX = 300;
    for (int frame = 1; frame <= 300; frame++) runAmmoBox();
    EXPECT_EQ(match.ammoBoxShown, 0);
    runAmmoBox();
    EXPECT_EQ(match.ammoBoxShown, 1);
    for (int frame = 0; frame < 1000; frame++) runAmmoBox();  // lies there, timer still counting
    EXPECT_EQ(match.ammoBoxShown, 1);
    EXPECT_EQ(match.ammoBoxTimer, 1301);
    EXPECT_EQ(match.ammo, 400);
}

TEST(Pickups, MedkitShowsInThe501stFrameWithNoCapOnHealth) {
    resetToStart();
    for (int frame = 1; frame <= 500; frame++) runMedkit();
    EXPECT_EQ(match.medkitShown, 0);
    runMedkit();
    EXPECT_EQ(match.medkitShown, 1);
    match.playerX = match.medkitX + 19;
    match.playerY = match.medkitY + 14;
    runMedkit();
    EXPECT_EQ(match.medkitShown, 0);
    EXPECT_EQ(match.medkitTimer, 0);
    EXPECT_EQ(match.playerHealth, 125);
}

TEST(Pickups, BoxEdgesTakeNothing) {
    const int32_t offsets[][2] = {{0, 5}, {20, 5}, {5, 0}, {5, 15}};
    for (const auto &o : offsets) {
        resetToStart();
        match.ammoBoxTimer = 300;
        match.medkitTimer = 500;
        match.playerX = match.ammoBoxX + o[0];
        match.playerY = match.ammoBoxY + o[1];
        runAmmoBox();
        EXPECT_EQ(match.ammoBoxShown, 1) << o[0] << ", " << o[1];
        match.playerX = match.medkitX + o[0];
        match.playerY = match.medkitY + o[1];
        runMedkit();
        EXPECT_EQ(match.medkitShown, 1) << o[0] << ", " << o[1];
    }
}

// An endless match: none of the counters wraps; each stops at the largest value.
TEST(Pickups, CountersStopAtTheLargestValue) {
    resetToStart();
    match.ammoBoxTimer = INT32_MAX - 1;
    match.medkitTimer = INT32_MAX - 1;
    match.matchFrames = INT32_MAX - 1;
    for (int frame = 0; frame < 3; frame++) {
        runAmmoBox();
        runMedkit();
        showHints();
    }
    EXPECT_EQ(match.ammoBoxTimer, INT32_MAX);
    EXPECT_EQ(match.medkitTimer, INT32_MAX);
    EXPECT_EQ(match.matchFrames, INT32_MAX);
    EXPECT_EQ(match.ammoBoxShown, 1);
    EXPECT_EQ(match.medkitShown, 1);

    match.ammo = INT32_MAX - 199;
    match.playerHealth = INT32_MAX - 24;
    match.playerX = match.ammoBoxX + 1;
    match.playerY = match.ammoBoxY + 1;
    runAmmoBox();
    EXPECT_EQ(match.ammo, INT32_MAX);
    match.playerX = match.medkitX + 1;
    match.playerY = match.medkitY + 1;
    runMedkit();
    EXPECT_EQ(match.playerHealth, INT32_MAX);
    match.ammoBoxTimer = 300;
    match.medkitTimer = 500;
    match.playerX = match.ammoBoxX + 1;
    match.playerY = match.ammoBoxY + 1;
    runAmmoBox();
    match.playerX = match.medkitX + 1;
    match.playerY = match.medkitY + 1;
    runMedkit();
    EXPECT_EQ(match.ammo, INT32_MAX);
    EXPECT_EQ(match.playerHealth, INT32_MAX);

    match.score = INT32_MAX - 10;
    match.enemyDead = 1;
    match.enemyHealth = 99;
    enemyDeathAndReturn();
    EXPECT_EQ(match.enemyDead, 0);
    EXPECT_EQ(match.score, INT32_MAX);
}
