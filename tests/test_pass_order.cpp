// The order of the steps of a pass: each step sees what the earlier ones changed in the same pass.
#include "shell/main_loop.h"
#include "support.h"

#include <gtest/gtest.h>

// The trigger runs after the player's move: stepping below a downward-facing enemy draws fire at once.
TEST(PassOrder, TriggerSeesThePlayersMoveOfTheSamePass) {
    resetToStart();
    match.enemyX = 300;
    match.enemyY = 200;
    match.playerX = 300;
    match.playerY = 199;
    runPassSteps();
    EXPECT_EQ(match.enemyFiring, 0);
    testKeys[SDLK_DOWN] = 1;
    runPassSteps();
    EXPECT_EQ(match.playerY, 201);
    EXPECT_EQ(match.enemyFiring, 1);
}

// Weapon keys, then the damage, then the walls: a shot that ends in the pass in which another weapon
// is chosen costs that weapon's charge.
TEST(PassOrder, ChargeAndDamageFollowTheWeaponChosenInThePass) {
    resetToStart();
    match.matchFrames = 51;
    match.playerFiring = 1;
    match.playerShotX = -1;
    match.playerShotY = 250;
    testKeys[SDLK_3] = 1;
    runPassSteps();
    EXPECT_EQ(match.weapon, 3);
    EXPECT_EQ(match.weaponDamage, 3);
    EXPECT_EQ(match.ammo, 197);
}

// Under block 1 the resting shot lies inside the block: each pass with the fire key held marks the
// shot, the walls end it and charge it before the frame could draw or move it.
TEST(PassOrder, ShotFiredFromInsideAStopAreaEndsInThePassItIsFired) {
    resetToStart();
    match.matchStarted = 1;
    match.playerX = 40;
    match.playerY = 116;
    match.enemyDead = 1;
    match.enemyHealth = -1000;
    runPassSteps();
    EXPECT_EQ(match.playerShotX, 50);
    EXPECT_EQ(match.playerShotY, 126);
    testKeys[SDLK_SPACE] = 1;
    for (int pass = 1; pass <= 3; pass++) {
        runPassSteps();
        EXPECT_EQ(match.playerFiring, 0);
        EXPECT_EQ(match.ammo, 200 - pass);
        EXPECT_EQ(match.playerShotX, 50);
        EXPECT_EQ(match.playerShotY, 126);
        EXPECT_EQ(match.playerX, 40);
        EXPECT_EQ(match.playerY, 116);
    }
}
