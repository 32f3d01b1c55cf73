// Combat: the enemy's fire trigger, the two shots and their hits, the knife, deaths and returns, the chase.
#include "rules/combat.h"
#include "rules/controls.h"
#include "rules/walls.h"
#include "shell/main_loop.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

// Start values with the damage of the starting weapon set, as after a first pass.
void resetForCombat() {
    resetToStart();
    setWeaponDamage();
}

}  // namespace

TEST(Combat, TriggerFiresOnlyWhenThePlayerLiesStrictlyAheadAlongTheFacing) {
    struct Case {
        int32_t dir, ex, ey, px, py, want;
    };
    const Case cases[] = {
        {DirUp, 300, 300, 0, 299, 1},    {DirUp, 300, 300, 0, 300, 0},    {DirDown, 300, 300, 599, 301, 1},
        {DirDown, 300, 300, 0, 300, 0},  {DirLeft, 300, 300, 299, 0, 1},  {DirLeft, 300, 300, 300, 499, 0},
        {DirRight, 300, 300, 301, 0, 1}, {DirRight, 300, 300, 300, 0, 0}, {DirRight, 300, 300, 300, 300, 0},
    };
    for (const Case &c : cases) {
        resetForCombat();
        match.enemyDir = c.dir;
        match.enemyX = c.ex;
        match.enemyY = c.ey;
        match.playerX = c.px;
        match.playerY = c.py;
        triggerEnemyFire();
        EXPECT_EQ(match.enemyFiring, c.want) << "facing " << c.dir << " player (" << c.px << ", " << c.py << ")";
        match.enemyDead = 1;
        match.enemyFiring = 0;
        triggerEnemyFire();
        EXPECT_EQ(match.enemyFiring, 0) << "a dead enemy does not fire";
    }
    resetForCombat();
    match.enemyFiring = 1;
    match.enemyDir = DirUp;  // the player lies below: the trigger never lowers the flag
    triggerEnemyFire();
    EXPECT_EQ(match.enemyFiring, 1);
}

// For a shot up or down the target is in line from the owner's x - 19 to x + 9; at x - 20 or x + 10 not.
// Left or right, the same window on y.
TEST(Combat, InLineWindowIsAsymmetricAndStrict) {
    resetForCombat();
    for (int32_t offset = -21; offset <= 11; offset++) {
        bool inLine = offset >= -19 && offset <= 9;
        int32_t sx = 0, sy = 210;
        EXPECT_EQ(flyShot(200, 200, DirDown, 200 + offset, 250, sx, sy, nullptr), inLine) << "down, x offset " << offset;
        sx = 0, sy = 210;
        EXPECT_EQ(flyShot(200, 300, DirUp, 200 + offset, 250, sx, sy, nullptr), inLine) << "up, x offset " << offset;
        sx = 210, sy = 0;
        EXPECT_EQ(flyShot(200, 200, DirRight, 250, 200 + offset, sx, sy, nullptr), inLine) << "right, y offset " << offset;
        sx = 290, sy = 0;
        EXPECT_EQ(flyShot(300, 200, DirLeft, 250, 200 + offset, sx, sy, nullptr), inLine) << "left, y offset " << offset;
    }
}

// The shot is moved before it is tested, must pass the target's near edge strictly, and the target
// must be ahead of the owner.
TEST(Combat, ShotHitsOnceItHasPassedTheNearEdgeAndHitsAgainWhileItFlies) {
    resetForCombat();
    int32_t sx = 0, sy = 200;
    EXPECT_FALSE(flyShot(100, 100, DirDown, 100, 250, sx, sy, nullptr));  // moved to 250: not past 250
    EXPECT_EQ(sy, 250);
    EXPECT_TRUE(flyShot(100, 100, DirDown, 100, 250, sx, sy, nullptr));
    EXPECT_EQ(sy, 300);
    EXPECT_TRUE(flyShot(100, 100, DirDown, 100, 250, sx, sy, nullptr));
    sy = 200;
    EXPECT_FALSE(flyShot(100, 250, DirDown, 100, 250, sx, sy, nullptr));  // target level with the owner: not ahead
    sx = 300, sy = 7;
    EXPECT_TRUE(flyShot(300, 100, DirLeft, 260, 100, sx, sy, nullptr));   // 250 < 260, the shot's y plays no part
    EXPECT_EQ(sx, 250);
    EXPECT_EQ(sy, 7);
    sx = 50, sy = 100;
    EXPECT_FALSE(flyShot(100, 100, DirRight, 90, 100, sx, sy, nullptr));  // target behind the owner
    EXPECT_FALSE(flyShot(100, 100, 0, 200, 100, sx, sy, nullptr));        // no facing: nothing moves
    EXPECT_EQ(sx, 100);

    // Through the match: the player's Colt shot hits the enemy frame after frame for 2 each.
    resetForCombat();
    match.playerX = 100;
    match.playerY = 155;
    match.enemyX = 220;
    match.enemyY = 150;
    match.playerFiring = 1;
    match.playerShotX = 110;
    match.playerShotY = 165;
    flyPlayerShot();  // 160: not past 220
    EXPECT_EQ(match.enemyHealth, 100);
    flyPlayerShot();  // 210
    flyPlayerShot();  // 260
    EXPECT_EQ(match.enemyHealth, 98);
    flyPlayerShot();
    EXPECT_EQ(match.enemyHealth, 96);
    EXPECT_EQ(match.playerShotX, 310);
    match.enemyDead = 1;  // a dead enemy takes no damage from the shot
    flyPlayerShot();
    EXPECT_EQ(match.enemyHealth, 96);
}

TEST(Combat, HeldShotWithNoAmmunitionOrTheKnifeStaysPutUntilItCanFly) {
    for (int32_t variant = 0; variant < 2; variant++) {
        resetForCombat();
        match.matchStarted = 1;
        if (variant == 0) match.ammo = 0;
        if (variant == 1) match.weapon = 1;
        setWeaponDamage();
        match.playerFiring = 1;
        match.playerShotX = 300;
        match.playerShotY = 320;
        match.enemyDead = 1;  // keep the enemy out of the way
        match.enemyHealth = -500;
        for (int frame = 0; frame < 3; frame++) {
            runMatchFrame();
            EXPECT_EQ(match.playerShotX, 300);
            EXPECT_EQ(match.playerShotY, 320);  // not moved, and not put at the resting point either
            EXPECT_EQ(match.playerFiring, 1);
        }
        applyArenaWalls();  // (300, 320) stops nothing
        EXPECT_EQ(match.playerFiring, 1);

        match.ammo = 1;
        match.weapon = 2;
        match.playerDir = DirUp;  // flies on from where it stands, along the facing of that frame
        runMatchFrame();
        EXPECT_EQ(match.playerShotX, 300);
        EXPECT_EQ(match.playerShotY, 270);
    }
}

TEST(Combat, KnifeStabsInsideTheStrictBoxEvenFromADeadPlayer) {
    struct Case {
        int32_t dx, dy;
        bool stab;
    };
    const Case cases[] = {{1, 1, true}, {19, 14, true}, {0, 5, false}, {20, 5, false}, {5, 0, false}, {5, 15, false}};
    for (const Case &c : cases) {
        resetForCombat();
        match.weapon = 1;
        setWeaponDamage();
        match.playerX = match.enemyX + c.dx;
        match.playerY = match.enemyY + c.dy;
        match.playerDead = 1;
        stabWithKnife();
        EXPECT_EQ(match.enemyHealth, c.stab ? 0 : 100) << c.dx << ", " << c.dy;
    }
    resetForCombat();  // the Colt does not stab
    match.playerX = match.enemyX + 5;
    match.playerY = match.enemyY + 5;
    stabWithKnife();
    EXPECT_EQ(match.enemyHealth, 100);
}

// An actor whose health stood at h below 1 lies dead for 100 - h frames, the frame of death and the
// frame of return included; the enemy's return scores 20 in its last dead frame.
TEST(Combat, DeathLastsOneHundredMinusHealthFramesAndTheReturnScores) {
    for (int32_t h : {0, -4, 1}) {
        resetForCombat();
        match.matchStarted = 1;
        match.playerX = 100;  // far out of line of the enemy, which faces right at it
        match.playerY = 470;
        match.enemyX = 300;
        match.enemyY = 200;
        match.enemyHealth = h;
        int deadFrames = 0;
        int32_t scoreBefore = 0;
        for (int frame = 0; frame < 200 && (deadFrames == 0 || match.enemyDead == 1); frame++) {
            scoreBefore = match.score;
            runMatchFrame();
            deadFrames += (match.enemyDead == 1 || match.score != scoreBefore) ? 1 : 0;
        }
        if (h == 1) {
            EXPECT_EQ(deadFrames, 0) << "health 1 is alive";
            continue;
        }
        EXPECT_EQ(deadFrames, 100 - h);
        EXPECT_EQ(match.score, 20);
        EXPECT_EQ(match.enemyHealth, 100);
        EXPECT_EQ(match.enemyDead, 0);
        // Set back to (550, 150), then chased 1 px toward the player in the same frame.
        EXPECT_EQ(match.enemyX, 549);
        EXPECT_EQ(match.enemyY, 151);
        EXPECT_EQ(match.enemyDir, DirDown);
        EXPECT_EQ(match.enemyShotX, 559);  // rests at the chased position
        EXPECT_EQ(match.enemyShotY, 161);
    }

    resetForCombat();
    match.matchStarted = 1;
    match.playerHealth = -1;
    match.playerX = 250;
    match.playerY = 250;
    for (int frame = 1; frame <= 101; frame++) {
        runMatchFrame();
        if (frame < 101) EXPECT_EQ(match.playerDead, 1) << "frame " << frame;
    }
    EXPECT_EQ(match.playerDead, 0);
    EXPECT_EQ(match.playerHealth, 100);
    EXPECT_EQ(match.playerX, 100);
    EXPECT_EQ(match.playerY, 300);
    EXPECT_EQ(match.score, 0);
}

// A medkit taken while dead adds 25 to the death count, which rises by one more before it is compared.
// From 75 after the medkit on, the count passes 100 without equalling it; the player still comes back.
TEST(Combat, DeadPlayerComesBackWhenTheMedkitTakesTheCountPast100) {
    for (int32_t count : {73, 74, 75, 80}) {
        resetForCombat();
        match.matchStarted = 1;
        match.playerDead = 1;
        match.playerHealth = count;
        match.playerX = match.medkitX + 5;
        match.playerY = match.medkitY + 5;
        match.medkitTimer = 500;
        runMatchFrame();  // count + 1, then the medkit shows and is taken
        EXPECT_EQ(match.medkitShown, 0) << "count " << count;
        int32_t afterMedkit = count + 1 + 25;
        EXPECT_EQ(match.playerHealth, afterMedkit);
        EXPECT_EQ(match.playerDead, 1);  // the count is compared before the medkit step
        runMatchFrame();
        EXPECT_EQ(match.playerDead, 0) << "count " << count;
        EXPECT_EQ(match.playerX, 100);
        EXPECT_EQ(match.playerY, 300);
        EXPECT_GE(match.playerHealth, 100);
    }
}

TEST(Combat, EnemyShotFliesOnAfterItsOwnerDiesAndSparesADeadPlayer) {
    resetForCombat();
    match.matchStarted = 1;
    match.enemyX = 300;
    match.enemyY = 100;
    match.enemyDir = DirDown;
    match.enemyHealth = 0;
    match.enemyFiring = 1;
    match.enemyShotX = 310;
    match.enemyShotY = 260;
    match.playerX = 305;
    match.playerY = 300;
    runMatchFrame();  // shot to 310: past 300, the player is hit; then the enemy dies
    EXPECT_EQ(match.enemyDead, 1);
    EXPECT_EQ(match.playerHealth, 98);
    runMatchFrame();
    EXPECT_EQ(match.playerHealth, 96);
    EXPECT_EQ(match.enemyShotY, 360);

    match.playerDead = 1;
    match.playerHealth = 50;
    runMatchFrame();
    EXPECT_EQ(match.playerHealth, 51);  // only the death count moves
}

TEST(Combat, ChaseMovesOnePixelPerAxisAndTheLastMoveSetsTheFacing) {
    struct Case {
        int32_t px, py, wantX, wantY, wantDir;
    };
    const Case cases[] = {
        {100, 100, 299, 299, DirUp}, {400, 300, 301, 300, DirRight}, {100, 300, 299, 300, DirLeft},
        {300, 300, 300, 300, DirDown}, {300, 301, 300, 301, DirDown}, {500, 500, 301, 301, DirDown},
    };
    for (const Case &c : cases) {
        resetForCombat();
        match.enemyX = 300;
        match.enemyY = 300;
        match.playerX = c.px;
        match.playerY = c.py;
        chasePlayer();
        EXPECT_EQ(match.enemyX, c.wantX);
        EXPECT_EQ(match.enemyY, c.wantY);
        EXPECT_EQ(match.enemyDir, c.wantDir) << "player (" << c.px << ", " << c.py << ")";
        match.enemyDead = 1;
        chasePlayer();
        EXPECT_EQ(match.enemyX, c.wantX) << "a dead enemy stays";
    }
}
