// The match frame: shots and hits, the knife, deaths and returns, the chase; the enemy's decision to fire.
#include "rules/combat.h"

#include "draw/font.h"
#include "draw/sprites.h"
#include "shell/match_state.h"

namespace {

// Where the actors come back after death, and what the enemy's return scores.
constexpr int32_t enemyRespawnX = 550;
constexpr int32_t enemyRespawnY = 150;
constexpr int32_t playerRespawnX = 100;
constexpr int32_t playerRespawnY = 300;
constexpr int32_t returnHealth = 100;
constexpr int32_t pointsForReturn = 20;
constexpr int32_t enemyHitDamage = 2;
constexpr int32_t shotSpeed = 50;

}  // namespace

// The other coordinate is not compared and the flag is never lowered here; the player's death is not looked at.
void triggerEnemyFire() {
    if (match.enemyDead == 0 && match.enemyDir == DirUp && match.enemyY > match.playerY) match.enemyFiring = 1;
    if (match.enemyDead == 0 && match.enemyDir == DirDown && match.enemyY < match.playerY) match.enemyFiring = 1;
    if (match.enemyDead == 0 && match.enemyDir == DirLeft && match.enemyX > match.playerX) match.enemyFiring = 1;
    if (match.enemyDead == 0 && match.enemyDir == DirRight && match.enemyX < match.playerX) match.enemyFiring = 1;
}

void drawMap() { drawSprite(match.mapSprite, 0, 0); }

// The live sprite is drawn dead or alive; a dead actor's dead sprite goes over it later in the frame.
void drawPlayer() {
    if (match.playerDir == DirUp) drawSprite(match.playerSpriteUp, match.playerX, match.playerY);
    if (match.playerDir == DirDown) drawSprite(match.playerSpriteDown, match.playerX, match.playerY);
    if (match.playerDir == DirLeft) drawSprite(match.playerSpriteLeft, match.playerX, match.playerY);
    if (match.playerDir == DirRight) drawSprite(match.playerSpriteRight, match.playerX, match.playerY);
}

void drawPlayerHealth() {
    drawText(match.screen, match.hudFont, match.playerX - 10, match.playerY + 25, "HP:");
    drawText(match.screen, match.hudFont, match.playerX + 10, match.playerY + 25, "%d", match.playerHealth);
}

void drawEnemy() {
    if (match.enemyDir == DirUp) drawSprite(match.enemySpriteUp, match.enemyX, match.enemyY);
    if (match.enemyDir == DirDown) drawSprite(match.enemySpriteDown, match.enemyX, match.enemyY);
    if (match.enemyDir == DirLeft) drawSprite(match.enemySpriteLeft, match.enemyX, match.enemyY);
    if (match.enemyDir == DirRight) drawSprite(match.enemySpriteRight, match.enemyX, match.enemyY);
}

// The shot is drawn where it stood, then moved; the hit test uses the moved position. The target is
// in line when its cross coordinate lies strictly between the owner's - 20 and + 10, ahead when it
// is past the owner, and hit when the shot has passed its near edge. Facing up the flash goes over
// the shot; in the other facings the shot goes over the flash.
bool flyShot(int32_t x, int32_t y, int32_t dir, int32_t tx, int32_t ty, int32_t &shotX, int32_t &shotY,
             SDL_Surface *shotSprite) {
    bool hit = false;
    if (dir == DirUp) {
        drawSprite(shotSprite, shotX, shotY);
        drawSprite(match.muzzleFlashSprite, x + 15, y);
        shotY -= shotSpeed;
        hit = tx < x + 10 && x < tx + 20 && ty < y && shotY < ty;
    }
    if (dir == DirDown) {
        drawSprite(match.muzzleFlashSprite, x, y + 20);
        drawSprite(shotSprite, shotX, shotY);
        shotY += shotSpeed;
        hit = tx < x + 10 && x < tx + 20 && y < ty && shotY > ty;
    }
    if (dir == DirLeft) {
        drawSprite(match.muzzleFlashSprite, x - 5, y + 10);
        drawSprite(shotSprite, shotX, shotY);
        shotX -= shotSpeed;
        hit = ty < y + 10 && y < ty + 20 && tx < x && shotX < tx;
    }
    if (dir == DirRight) {
        drawSprite(match.muzzleFlashSprite, x + 20, y + 10);
        drawSprite(shotSprite, shotX, shotY);
        shotX += shotSpeed;
        hit = ty < y + 10 && y < ty + 20 && x < tx && shotX > tx;
    }
    return hit;
}

// With no ammunition or the Knife the marked shot is held where it stands: not drawn, moved or tested.
// A hit does not end the shot: it hits again in every frame the test still holds.
void flyPlayerShot() {
    if (match.playerFiring == 1 && match.ammo > 0 && match.weapon != 1) {
        bool hit = flyShot(match.playerX, match.playerY, match.playerDir, match.enemyX, match.enemyY,
                           match.playerShotX, match.playerShotY, match.playerShotSprite);
        if (hit && match.enemyDead == 0) match.enemyHealth -= match.weaponDamage;
    }
}

// The enemy's shot flies on after the enemy dies, and still hurts.
void flyEnemyShot() {
    if (match.enemyFiring == 1) {
        bool hit = flyShot(match.enemyX, match.enemyY, match.enemyDir, match.playerX, match.playerY,
                           match.enemyShotX, match.enemyShotY, match.enemyShotSprite);
        if (hit && match.playerDead == 0) match.playerHealth -= enemyHitDamage;
    }
}

// Every frame the player's corner lies strictly inside the 20 x 15 box from the enemy's corner is
// another stab; no key is involved and a dead player stabs too.
void stabWithKnife() {
    bool inBox = match.enemyX < match.playerX && match.playerX < match.enemyX + 20 && match.enemyY < match.playerY &&
                 match.playerY < match.enemyY + 15;
    if (inBox && match.weapon == 1 && match.enemyDead == 0) match.enemyHealth -= match.weaponDamage;
}

namespace {

// Health doubles as the death count: once below 1 the actor lies dead, the count rises by one per
// frame from wherever it fell with the dead sprite drawn at the place of death, and the actor comes
// back at its respawn point once the count reaches 100. "Reaches" rather than "equals": a medkit
// taken while dead adds 25 to the player's count, which may then pass 100 without ever equalling it.
// Returns true in the frame of the return.
bool deathAndReturn(int32_t &health, int32_t &dead, int32_t &x, int32_t &y, SDL_Surface *deadSprite,
                    int32_t respawnX, int32_t respawnY) {
    if (health < 1) dead = 1;
    if (dead == 1) {
        addCapped(health, 1);
        drawSprite(deadSprite, x, y);
    }
    bool returns = dead == 1 && health >= returnHealth;
    if (returns) {
        dead = 0;
        x = respawnX;
        y = respawnY;
    }
    return returns;
}

}  // namespace

// The points are scored when the enemy comes back, not when it dies.
void enemyDeathAndReturn() {
    bool returned = deathAndReturn(match.enemyHealth, match.enemyDead, match.enemyX, match.enemyY,
                                   match.enemyDeadSprite, enemyRespawnX, enemyRespawnY);
    if (returned) addCapped(match.score, pointsForReturn);
}

void playerDeathAndReturn() {
    deathAndReturn(match.playerHealth, match.playerDead, match.playerX, match.playerY, match.playerDeadSprite,
                   playerRespawnX, playerRespawnY);
}

// One px per axis toward the player; the last test that moves sets the facing, so the enemy faces
// up or down unless the two y are equal. Walls act on it in the next pass.
void chasePlayer() {
    if (match.enemyDead == 0 && match.playerX < match.enemyX) {
        match.enemyX -= 1;
        match.enemyDir = DirLeft;
    }
    if (match.enemyDead == 0 && match.playerX > match.enemyX) {
        match.enemyX += 1;
        match.enemyDir = DirRight;
    }
    if (match.enemyDead == 0 && match.playerY < match.enemyY) {
        match.enemyY -= 1;
        match.enemyDir = DirUp;
    }
    if (match.enemyDead == 0 && match.playerY > match.enemyY) {
        match.enemyY += 1;
        match.enemyDir = DirDown;
    }
}

// A resting shot waits at its owner's position + (10, 10); a new shot starts from there.
void restPlayerShot() {
    if (match.playerFiring == 0) {
        match.playerShotX = match.playerX + 10;
        match.playerShotY = match.playerY + 10;
    }
}

void restEnemyShot() {
    if (match.enemyFiring == 0) {
        match.enemyShotX = match.enemyX + 10;
        match.enemyShotY = match.enemyY + 10;
    }
}
