// The player's keys: moves and facing, the fire key, weapon keys gated by the match-frame count, damage.
#include "rules/controls.h"
#include "support.h"

#include <gtest/gtest.h>

TEST(Controls, EveryHeldArrowActsAndTheLastInOrderSetsTheFacing) {
    struct Case {
        std::vector<SDLKey> keys;
        int32_t dx, dy, dir;
    };
    const Case cases[] = {
        {{SDLK_UP, SDLK_LEFT}, -2, -2, DirLeft},
        {{SDLK_UP, SDLK_DOWN}, 0, 0, DirDown},
        {{SDLK_LEFT, SDLK_RIGHT}, 0, 0, DirRight},
        {{SDLK_DOWN, SDLK_LEFT}, -2, 2, DirLeft},
        {{SDLK_UP}, 0, -2, DirUp},
        {{SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT}, 0, 0, DirRight},
    };
    for (const Case &c : cases) {
        resetToStart();
        for (SDLKey k : c.keys) testKeys[k] = 1;
        movePlayer();
        EXPECT_EQ(match.playerX, 100 + c.dx);
        EXPECT_EQ(match.playerY, 300 + c.dy);
        EXPECT_EQ(match.playerDir, c.dir);
        EXPECT_EQ(match.playerFiring, 0);
    }
}

TEST(Controls, FireKeyOnlyMarksTheShotAndADeadPlayerDoesNothing) {
    resetToStart();
    match.ammo = 0;
    match.weapon = 1;
    testKeys[SDLK_SPACE] = 1;
    movePlayer();
    EXPECT_EQ(match.playerFiring, 1);  // whatever the ammunition or the weapon

    resetToStart();
    match.playerDead = 1;
    match.matchFrames = 51;
    for (SDLKey k : {SDLK_UP, SDLK_LEFT, SDLK_SPACE, SDLK_3}) testKeys[k] = 1;
    movePlayer();
    selectWeapon();
    EXPECT_EQ(match.playerX, 100);
    EXPECT_EQ(match.playerY, 300);
    EXPECT_EQ(match.playerDir, DirRight);
    EXPECT_EQ(match.playerFiring, 0);
    EXPECT_EQ(match.weapon, 3);  // the number keys still act
}

TEST(Controls, WeaponKeysActFromThe51stMatchFrameAndTheHighestWins) {
    resetToStart();
    testKeys[SDLK_4] = 1;
    match.matchFrames = 50;
    selectWeapon();
    EXPECT_EQ(match.weapon, 2);
    match.matchFrames = 51;
    selectWeapon();
    EXPECT_EQ(match.weapon, 4);

    testKeys[SDLK_2] = testKeys[SDLK_3] = 1;
    selectWeapon();
    EXPECT_EQ(match.weapon, 4);
    testKeys[SDLK_4] = 0;
    selectWeapon();
    EXPECT_EQ(match.weapon, 3);

    testKeys[SDLK_KP1] = 1;  // keypad digits are other keys
    testKeys[SDLK_2] = testKeys[SDLK_3] = 0;
    selectWeapon();
    EXPECT_EQ(match.weapon, 3);
}

TEST(Controls, WeaponTableGivesDamageChargeAndName) {
    const char *names[] = {"Knife", "Colt", "Thompson SMG", "M1 Garand"};
    const int32_t damage[] = {100, 2, 3, 5};
    const int32_t charge[] = {0, 1, 3, 1};
    for (int32_t w = 1; w <= 4; w++) {
        resetToStart();
        match.weapon = w;
        setWeaponDamage();
        EXPECT_EQ(match.weaponDamage, damage[w - 1]);
        EXPECT_EQ(weaponCharge(w), charge[w - 1]);
        EXPECT_STREQ(weaponName(w), names[w - 1]);
    }
    EXPECT_EQ(weaponName(0), nullptr);
    EXPECT_EQ(weaponName(5), nullptr);
    EXPECT_EQ(weaponCharge(5), 0);
}
